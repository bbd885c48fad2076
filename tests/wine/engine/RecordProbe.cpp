// Started as "<copy of the tests> --record-probe <scenario> <folder>" beside the recording
// stand-in DLLs: binds them, runs one operation and writes what the view and the message
// seam saw into <folder>\report.txt.

#include "RecordProbe.h"

#include <fstream>

#include "EngineTestSupport.h"
#include "ZipHandler.h"

int RunRecordProbe(const std::string& scenario, const std::string& folder) {
    std::ofstream report(folder + "\\report.txt", std::ios::binary | std::ios::trunc);
    RecordingView view;
    RecordingPresenter presenter;
    CZipHandler handler(&view);
    if (!handler.Init()) {
        report << "init failed\n";
        return 0;
    }
    handler.Open(folder + "\\ARCHIVE.ZIP");
    int result = -1;
    if (scenario == "list") {
        result = handler.Refresh();
    } else if (scenario == "extract-selected") {
        view.selection = {"first.txt", "dir/second.bin"};
        result = handler.Extract(folder + "\\out", 0, 1, 0);
    } else if (scenario == "extract-all") {
        result = handler.Extract(folder + "\\out", 1, 0, 1);
    } else if (scenario == "add-tree") {
        SetCurrentDirectoryA((folder + "\\tree").c_str());
        result = handler.AddFile("*.TXT", 1, 1, 0);
    } else if (scenario == "add-plain") {
        result = handler.AddFile("C:\\SOME\\FILE.TXT", 0, 0, 9);
    } else if (scenario == "add-at-once") {
        // Lists that one call would store otherwise than one AddFile per name are declined
        // without a call; the last list is stored in one.
        const std::string a = folder + "\\a.txt", b = folder + "\\sub\\B.TXT";
        report << "pattern " << handler.AddAllAtOnce(NameList{a, folder + "\\*.txt"}, 1, 0, 6) << "\n";
        report << "same file name " << handler.AddAllAtOnce(NameList{a, folder + "\\other\\A.TXT"}, 1, 0, 6) << "\n";
        report << "recurse " << handler.AddAllAtOnce(NameList{a, b}, 1, 1, 6) << "\n";
        report << "the archive " << handler.AddAllAtOnce(NameList{a, folder + "\\archive.zip"}, 1, 0, 6) << "\n";
        report << "dot " << handler.AddAllAtOnce(NameList{a, folder + "\\sub\\."}, 1, 0, 6) << "\n";
        report << "one name " << handler.AddAllAtOnce(NameList{a}, 1, 0, 6) << "\n";
        result = handler.AddAllAtOnce(NameList{a, b}, 0, 0, 6);
    } else if (scenario == "delete") {
        result = handler.DeleteEntries(NameList{"first.txt", "dir/second.bin"});
    }
    report << "result " << result << "\n";
    for (const EntryRow& row : view.rows)
        report << "row " << row.name << "|" << row.date << "|" << row.time << "|" << row.size << "|" << row.ratio
               << "|" << row.packed << "\n";
    if (view.statusCount > 0) report << "status " << view.statusText << "\n";
    for (const RecordedMessage& message : presenter.messages) report << "message " << message.text << "\n";
    report << "cwd " << CurrentDirectory() << "\n";
    return 0;
}
