// Records that set words the DLLs do not support, or leave out what they need, are refused
// with a readable line and touch nothing.

#include "WindllFixture.h"

#include <windows.h>

using namespace windll_test;

namespace {

int UnzipWith(void (*change)(UnzipCommand&)) {
    UnzipCommand command = ListingCommand(DataFile("infozip-deflated.zip"));
    change(command);
    return CallUnzip(command).result;
}

}  // namespace

TEST(UnzipRequestCheck, WordsThatMustBeZeroAreRefused) {
    const std::vector<void (*)(UnzipCommand&)> changes = {
        [](UnzipCommand& c) { c.onlyNewer = 1; },      [](UnzipCommand& c) { c.convertLineEnds = 1; },
        [](UnzipCommand& c) { c.commentOnly = 1; },    [](UnzipCommand& c) { c.upperCaseNames = 1; },
        [](UnzipCommand& c) { c.reserved13 = 1; },     [](UnzipCommand& c) { c.reserved14 = 1; },
        [](UnzipCommand& c) { c.reserved15 = 1; },     [](UnzipCommand& c) { c.quietLevel = 3; },
        [](UnzipCommand& c) { c.testOnly = 1; },   // together with listOnly
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE("change " + std::to_string(i));
        EXPECT_EQ(UnzipWith(changes[i]), UNZIP_BAD_ARGUMENT);
        EXPECT_TRUE(Recorded().entries.empty());
        EXPECT_NE(Recorded().printed.find("error"), std::string::npos) << Recorded().printed;
    }
}

TEST(UnzipRequestCheck, MissingPointersAreRefused) {
    WindllUnzipFunction unzip = Unzip();
    ASSERT_NE(unzip, nullptr);
    UnzipCallbacks callbacks = MakeCallbacks();
    UnzipCommand command = ListingCommand(DataFile("infozip-deflated.zip"));
    Recorded().Reset();
    EXPECT_EQ(unzip(0, nullptr, nullptr, &callbacks), UNZIP_BAD_ARGUMENT);
    EXPECT_EQ(unzip(0, nullptr, &command, nullptr), UNZIP_BAD_ARGUMENT);
    EXPECT_EQ(unzip(2, nullptr, &command, &callbacks), UNZIP_BAD_ARGUMENT);
    char* emptyList[] = {nullptr};
    EXPECT_EQ(unzip(1, emptyList, &command, &callbacks), UNZIP_BAD_ARGUMENT);
    UnzipCommand noPath = command;
    noPath.archivePath = nullptr;
    EXPECT_EQ(unzip(0, nullptr, &noPath, &callbacks), UNZIP_BAD_ARGUMENT);
    UnzipCallbacks noEntry = callbacks;
    noEntry.entry = nullptr;
    EXPECT_EQ(unzip(0, nullptr, &command, &noEntry), UNZIP_BAD_ARGUMENT);
    EXPECT_TRUE(Recorded().entries.empty());
}

TEST(UnzipRequestCheck, ANameCountWithAnEmptyListExtractsNothing) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WindllUnzipFunction unzip = Unzip();
    ASSERT_NE(unzip, nullptr);
    UnzipCallbacks callbacks = MakeCallbacks();
    UnzipCommand command = ExtractCommand(DataFile("infozip-deflated.zip"), true, true);
    char* emptyList[] = {nullptr};
    EXPECT_EQ(unzip(2, emptyList, &command, &callbacks), UNZIP_BAD_ARGUMENT);
    EXPECT_TRUE(FolderTree(scratch.Path()).empty());
}

TEST(UnzipRequestCheck, AskingWithoutAReplaceCallbackIsRefusedBeforeWriting) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WindllUnzipFunction unzip = Unzip();
    ASSERT_NE(unzip, nullptr);
    UnzipCallbacks callbacks = MakeCallbacks();
    callbacks.replace = nullptr;
    UnzipCommand command = ExtractCommand(DataFile("infozip-deflated.zip"), false, true);
    EXPECT_EQ(unzip(0, nullptr, &command, &callbacks), UNZIP_BAD_ARGUMENT);
    EXPECT_TRUE(FolderTree(scratch.Path()).empty());
}

TEST(ZipRequestCheck, WordsThatMustBeZeroAreRefusedAndNothingIsWritten) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    DllZipUpFilesFunction zipUp = ZipUp();
    ASSERT_NE(zipUp, nullptr);
    const std::string archive = scratch / "refused.zip";
    char name[] = "a.txt";
    char* names[] = {name, nullptr};
    const std::vector<int ZipRequest::*> words = {
        &ZipRequest::encrypt,     &ZipRequest::systemFiles,   &ZipRequest::volumeLabel,
        &ZipRequest::recurse,     &ZipRequest::grow,          &ZipRequest::moveFiles,
        &ZipRequest::update,      &ZipRequest::freshen,       &ZipRequest::convertCrLf,
        &ZipRequest::reserved28,  &ZipRequest::offsetsToZero, &ZipRequest::junkSfxPrefix,
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        SCOPED_TRACE("word " + std::to_string(i));
        ZipRequest request = DefaultZipRequest();
        request.archivePath = archive.c_str();
        request.nameCount = 1;
        request.names = names;
        request.*words[i] = 1;
        Recorded().Reset();
        EXPECT_EQ(zipUp(&request), ZIP_BAD_ARGUMENT);
        EXPECT_NE(Recorded().printed.find("error"), std::string::npos) << Recorded().printed;
        EXPECT_FALSE(FileExists(archive));
    }
}

TEST(ZipRequestCheck, ALevelThatIsNotADigitIsRefusedWhenAdding) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    ZipCall call{scratch / "level.zip", {"a.txt"}, 'x'};
    EXPECT_EQ(CallZip(call), ZIP_BAD_ARGUMENT);
    EXPECT_FALSE(FileExists(scratch / "level.zip"));
    call.level = '\0';
    EXPECT_EQ(CallZip(call), ZIP_BAD_ARGUMENT);
}

TEST(ZipRequestCheck, MissingPointersAreRefused) {
    DllZipUpFilesFunction zipUp = ZipUp();
    ASSERT_NE(zipUp, nullptr);
    EXPECT_EQ(zipUp(nullptr), ZIP_BAD_ARGUMENT);
    ZipRequest request = DefaultZipRequest();
    request.nameCount = 1;
    request.names = nullptr;
    request.archivePath = "x.zip";
    EXPECT_EQ(zipUp(&request), ZIP_BAD_ARGUMENT);
    char name[] = "a.txt";
    char* names[] = {name, nullptr};
    request.names = names;
    request.archivePath = nullptr;
    EXPECT_EQ(zipUp(&request), ZIP_BAD_ARGUMENT);
}

TEST(ZipRequestCheck, NoNamesIsNothingToDo) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    EXPECT_EQ(CallZip({scratch / "none.zip", {}}), ZIP_NOTHING_TO_DO);
    EXPECT_FALSE(FileExists(scratch / "none.zip"));
}
