// Which names may go on an interpreter command line inside quotes, and which are refused.

#include <gtest/gtest.h>

#include "CommandLineSafety.h"

namespace {

bool Accepted(const std::string& text, ArgumentUse use = ArgumentUse::ExactName) {
    return UnsafeArgumentReason(text, use).empty();
}

}  // namespace

TEST(CommandLineSafety, ShellOperatorsAreHarmlessInsideQuotes) {
    EXPECT_TRUE(Accepted("a&del *.*", ArgumentUse::Pattern));
    for (const char* name : {"x|format", "a>b<c^d(e)f", "C:\\Program Files\\ARJ\\ARJ.EXE", "sub/dir/file name.txt"})
        EXPECT_TRUE(Accepted(name)) << name;
}

TEST(CommandLineSafety, TextsThatEscapeTheQuotesAreRefused) {
    for (const char* text :
         {"a\"&del *.*&\"", "%PATH%", "50%.txt", "wow!.txt", "two\r\nlines", "tab\there", "C:\\DIR\\", ""})
        EXPECT_FALSE(Accepted(text)) << text;
}

TEST(CommandLineSafety, LeadingSwitchCharactersAreRefused) {
    EXPECT_FALSE(Accepted("-r"));
    EXPECT_FALSE(Accepted("/Y"));
    EXPECT_TRUE(Accepted("a-r"));
}

TEST(CommandLineSafety, WildcardsOnlyWherePatternsBelong) {
    EXPECT_FALSE(Accepted("*"));
    EXPECT_FALSE(Accepted("file?.txt"));
    EXPECT_TRUE(Accepted("C:\\DOCS\\*.TXT", ArgumentUse::Pattern));
    EXPECT_FALSE(Accepted("C:\\DOCS\\%X%.TXT", ArgumentUse::Pattern));
}

TEST(CommandLineSafety, QuotingAndMessage) {
    EXPECT_EQ(QuoteArgument("a&b"), "\"a&b\"");
    std::string reason = UnsafeArgumentReason("%PATH%", ArgumentUse::ExactName);
    std::string message = UnsafeArgumentMessage("%PATH%", reason);
    EXPECT_NE(message.find("\"%PATH%\""), std::string::npos);
    EXPECT_NE(message.find("percent"), std::string::npos);
}
