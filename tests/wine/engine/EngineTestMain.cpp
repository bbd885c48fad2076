// The engine tests' entry point. Started as "<program> --init-probe <report file>" it instead
// binds the zip libraries from its own folder and writes what happened into the report, so
// that a copy placed beside missing or wrong DLLs shows how Init reacts. With
// "--record-probe" it runs one operation against the recording stand-in DLLs, and with
// "--program-dir-probe" it writes down its own program folder.

#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "PathHelpers.h"
#include "RecordProbe.h"
#include "ZipHandler.h"

namespace {

int RunInitProbe(const char* reportPath) {
    std::ofstream report(reportPath, std::ios::binary | std::ios::trunc);
    RecordingPresenter presenter;
    CZipHandler handler(nullptr);
    report << "result " << handler.Init() << "\n";
    if (GetModuleHandleA("Zip32.dll")) report << "Zip32.dll loaded\n";
    for (const RecordedMessage& message : presenter.messages)
        report << "message " << message.style << " " << message.text << "\n";
    return 0;
}

int RunProgramDirProbe(const char* reportPath) {
    std::string folder;
    GetProgramDir(folder);
    std::ofstream(reportPath, std::ios::binary | std::ios::trunc) << folder;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--init-probe") == 0) return RunInitProbe(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--program-dir-probe") == 0) return RunProgramDirProbe(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "--record-probe") == 0) return RunRecordProbe(argv[2], argv[3]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
