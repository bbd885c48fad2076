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
    EXPECT_TRUE(Accepted("x|format"));
    EXPECT_TRUE(Accepted("a>b<c^d(e)f"));
    EXPECT_TRUE(Accepted("C:\\Program Files\\ARJ\\ARJ.EXE"));
    EXPECT_TRUE(Accepted("sub/dir/file name.txt"));
}

TEST(CommandLineSafety, TextsThatEscapeTheQuotesAreRefused) {
    EXPECT_FALSE(Accepted("a\"&del *.*&\""));
    EXPECT_FALSE(Accepted("%PATH%"));
    EXPECT_FALSE(Accepted("50%.txt"));
    EXPECT_FALSE(Accepted("wow!.txt"));
    EXPECT_FALSE(Accepted("two\r\nlines"));
    EXPECT_FALSE(Accepted(std::string("tab\there")));
    EXPECT_FALSE(Accepted("C:\\DIR\\"));
    EXPECT_FALSE(Accepted(""));
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
