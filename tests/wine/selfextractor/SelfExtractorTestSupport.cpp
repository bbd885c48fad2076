#include "SelfExtractorTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport/Contents.h"
#include "zipcore/ZipArchive.h"

std::vector<std::string> MakeSampleTree(const std::string& folder) {
    const std::vector<std::string> files = {"empty.txt", "docs\\readme.txt", "docs\\deep\\deeper\\notes.txt",
                                            "with blank\\data file.bin"};
    MakeFolders(folder + "\\docs\\deep\\deeper");
    MakeFolders(folder + "\\with blank");
    WriteFileBytes(folder + "\\empty.txt", "");
    WriteFileBytes(folder + "\\docs\\readme.txt", "read me\r\n");
    std::string notes;
    for (int i = 0; i < 4000; ++i) notes += "line " + std::to_string(i * 7919 % 1000) + "\r\n";
    WriteFileBytes(folder + "\\docs\\deep\\deeper\\notes.txt", notes);
    WriteFileBytes(folder + "\\with blank\\data file.bin", Noise(70000, 1));
    return files;
}

void MakeArchive(const std::string& archive, const std::string& tree, const std::vector<std::string>& files) {
    zipcore::UpdateOptions options;
    options.add = files;
    options.baseDir = tree;
    zipcore::UpdateResult result = zipcore::Update(archive, options);
    if (result.status != zipcore::Status::Ok) throw std::runtime_error("cannot make " + archive);
}

std::string FirstDifference(const std::string& expected, const std::string& actual,
                            const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        if (!FileExists(actual + "\\" + file)) return file + " is missing";
        if (ReadFileBytes(expected + "\\" + file) != ReadFileBytes(actual + "\\" + file)) return file + " differs";
    }
    return std::string();
}

namespace {

void CopyFromBuild(const std::string& name, const std::string& to) {
    if (!CopyFileA((TestProgramFolder() + "\\" + name).c_str(), to.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + name);
}

std::string ShellLog(const ProgramFolder& folder) { return folder / "shell.log"; }

}  // namespace

ProgramFolder::ProgramFolder() {
    CopyFromBuild("UNZIPSFX.EXE", folder / "UNZIPSFX.EXE");
    CopyFromBuild("Kestrel.exe", folder / "KESTREL.EXE");
    CopyFromBuild("ZIP386.EXE", folder / "ZIP386.EXE");
    CopyFromBuild("UnZip32.dll", folder / "UnZip32.dll");
    SetEnvironmentVariableA("BRINDLE_SFX_SHELL_LOG", ShellLog(*this).c_str());
    SetEnvironmentVariableA("BRINDLE_SFX_SHELL_IDLE", nullptr);
}

ProgramFolder::~ProgramFolder() {
    SetEnvironmentVariableA("BRINDLE_SFX_SHELL_LOG", nullptr);
    SetEnvironmentVariableA("BRINDLE_SFX_SHELL_IDLE", nullptr);
}

void ProgramFolder::MakeShellIdle() { SetEnvironmentVariableA("BRINDLE_SFX_SHELL_IDLE", "1"); }

std::vector<ProgramFolder::Run> ProgramFolder::Runs() const {
    std::vector<Run> runs;
    std::istringstream log(ReadFileBytes(ShellLog(*this)));
    std::string line;
    while (std::getline(log, line)) {
        std::string::size_type tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::string key = line.substr(0, tab), value = line.substr(tab + 1);
        if (key == "LINE") runs.push_back(Run{value, std::string(), -2});
        else if (key == "DIR" && !runs.empty()) runs.back().folder = value;
        else if (key == "SHOW" && !runs.empty()) runs.back().show = std::stoi(value);
    }
    return runs;
}
