// A failure of the system reaches the user in the system's own words, with its code kept in
// the error, rather than as a guess at what might have gone wrong.

#include "FileSystem.h"
#include "TestSupport.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace ziptest;
using zipcore::Status;

TEST(SystemCauses, AnArchiveThatCannotBeCreatedSaysWhy) {
    ScratchFolder dir;
    WriteFileBytes(dir / "a.txt", "a");
    zipcore::UpdateOptions options;
    options.add = {"a.txt"};
    options.baseDir = dir.Path();
    std::vector<std::string> lines;
    options.report = [&](Status, const std::string& line) { lines.push_back(line); };
    EXPECT_EQ(zipcore::Update(dir / "missing/out.zip", options).status, Status::IoError);
    EXPECT_TRUE(AnyLineHas(lines, "cannot create a temporary file"));
    EXPECT_TRUE(AnyLineHas(lines, std::generic_category().message(ENOENT))) << (lines.empty() ? "" : lines.back());
}

#ifndef _WIN32
TEST(SystemCauses, AFullDiskIsCalledByItsName) {
    // Every write to /dev/full fails as a full disk does.
    zipcore::fs::File full;
    ASSERT_TRUE(full.open("/dev/full", "wb"));
    const std::string block(1 << 16, 'x');
    const bool written = full.write(block.data(), block.size()) && full.flushToDisk();
    EXPECT_FALSE(written);
    const zipcore::SystemError cause = zipcore::fs::LastFailure();
    EXPECT_EQ(cause, (zipcore::SystemError{zipcore::SystemError::Kind::Errno, ENOSPC}));
    const zipcore::Error error = zipcore::fs::IoFailure("cannot write /dev/full", cause);
    EXPECT_EQ(error.status, Status::IoError);
    EXPECT_EQ(error.cause, cause);
    EXPECT_EQ(error.message, "cannot write /dev/full: " + std::generic_category().message(ENOSPC));
    // A failure that is no system error keeps no stale code from the one before.
    zipcore::fs::File closed;
    EXPECT_FALSE(closed.write("x", 1));
    EXPECT_FALSE(zipcore::fs::LastFailure());
}
#else
TEST(SystemCauses, AFullDiskIsCalledByItsName) {
    for (DWORD code : {DWORD{ERROR_DISK_FULL}, DWORD{ERROR_HANDLE_DISK_FULL}}) {
        std::string text =
            zipcore::SystemErrorText(zipcore::SystemError{zipcore::SystemError::Kind::LastError, static_cast<int>(code)});
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(text.find("disk"), std::string::npos) << code << ": " << text;
        EXPECT_NE(text.back(), '\n');
    }
}

TEST(SystemCauses, AnArchiveHeldByAnotherProgramSaysWhy) {
    ScratchFolder dir;
    WriteFileBytes(dir / "held.zip", "PK\x05\x06" + std::string(18, '\0'));
    HANDLE held = CreateFileA((dir / "held.zip").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    zipcore::Error error;
    EXPECT_FALSE(zipcore::Reader::Open(dir / "held.zip", error));
    CloseHandle(held);
    EXPECT_EQ(error.status, Status::IoError);
    ASSERT_TRUE(error.cause);
    EXPECT_NE(error.message.find(zipcore::SystemErrorText(error.cause)), std::string::npos) << error.message;
}
#endif
