// The entry list's sort keys, its filter rule and its selection totals, as plain functions.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ListOrder.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }
int Sign(long long value) { return (value > 0) - (value < 0); }

}  // namespace

TEST(ListOrder, NamesCompareWithoutCaseAndWithNumbersByValue) {
    struct Case {
        const char* a;
        const char* b;
        int order;
    } cases[] = {
        {"file2", "file10", -1}, {"File1", "file1", 0}, {"x09.txt", "x9.txt", 0}, {"x9.txt", "x10.txt", -1},
        {"a", "a1", -1},         {"1zip", "a", -1},     {"abc", "ABD", -1},       {"d2/f.txt", "d10/a.txt", -1},
        {"v1.10", "v1.9", 1},    {"file", "file0", -1}, {"a100b", "a99c", 1},     {"Z", "a", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sign(NaturalSortKey(c.a).compare(NaturalSortKey(c.b))), c.order) << c.a << " vs " << c.b;
}

TEST(ListOrder, DateAndTimeGoByTheRealMoment) {
    struct Case {
        const char* dateA;
        const char* timeA;
        const char* dateB;
        const char* timeB;
        int order;
    } cases[] = {
        {"05/01/98", "12:30", "06/01/98", "00:00", -1},  // day first in zip rows
        {"31/01/98", "00:00", "01/02/98", "00:00", -1},  // then the month
        {"31/12/99", "23:59", "01/01/00", "00:00", -1},  // 00 is after 99
        {"05/01/98", "10:30", "98-01-05", "10:30:00", 0},  // arj rows say year-month-day
        {"98-01-05", "10:30:00", "98-01-05", "10:30:01", -1},
        {"05/01/98", "09:59", "05/01/98", "10:00", -1},
        {"", "", "01/01/80", "00:00", -1},  // unreadable dates come first
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sign(DateTimeKey(c.dateA, c.timeA) - DateTimeKey(c.dateB, c.timeB)), c.order)
            << c.dateA << " " << c.timeA << " vs " << c.dateB << " " << c.timeB;
    EXPECT_EQ(LeadingNumber("-05%"), -5);
    EXPECT_EQ(LeadingNumber("12K"), 12);
    EXPECT_EQ(LeadingNumber("K"), 0);
}

TEST(ListOrder, FilterContainsTheTextOrMatchesTheWildcard) {
    struct Case {
        const char* name;
        const char* filter;
        bool matches;
    } cases[] = {
        {"README.TXT", "read", true},
        {"docs/notes.txt", "NOTES", true},
        {"a.txt", "", true},
        {"x", "xy", false},
        {"docs/a.txt", "*.txt", true},
        {"a.txt.bak", "*.txt", false},
        {"abc", "a?c", true},
        {"abc", "?", false},
        {"abc", "b*", false},
        {"d1/File.TXT", "*/f*.txt", true},
        {"aXbXc", "a*b*c", true},
        {"ab", "a**b", true},
        {"abcbxd", "*b?d", true},
        {"abcbe", "*b?d", false},
        {"", "*", true},
    };
    for (const Case& c : cases) EXPECT_EQ(FilterMatches(c.name, c.filter), c.matches) << c.name << " / " << c.filter;
}

TEST(ListOrder, SelectionTreeAgreesWithRowByRowSums) {
    // Random range changes against a plain array of flags, for sizes that do and do not
    // split evenly.
    std::mt19937 random(24);
    for (int rowCount : {1, 2, 7, 64, 100}) {
        std::vector<long long> sizes(rowCount), packed(rowCount);
        for (int row = 0; row < rowCount; ++row) sizes[row] = row * 3 + 1, packed[row] = row % 5;
        SelectionTree tree;
        tree.Reset(sizes, packed);
        std::vector<bool> flags(rowCount, false);
        for (int step = 0; step < 200; ++step) {
            int first = static_cast<int>(random() % rowCount), last = static_cast<int>(random() % rowCount);
            if (first > last) std::swap(first, last);
            const bool selected = random() % 2 == 0;
            tree.Assign(first, last, selected);
            for (int row = first; row <= last; ++row) flags[row] = selected;

            SelectionTree::Totals expected;
            std::vector<int> positions;
            for (int row = 0; row < rowCount; ++row) {
                if (!flags[row]) continue;
                positions.push_back(row);
                expected.count += 1, expected.sizeK += sizes[row], expected.packedK += packed[row];
            }
            ASSERT_EQ(tree.Selected().count, expected.count) << rowCount << " rows, step " << step;
            ASSERT_EQ(tree.Selected().sizeK, expected.sizeK);
            ASSERT_EQ(tree.Selected().packedK, expected.packedK);
            ASSERT_EQ(tree.SelectedPositions(), positions);
            const int probe = static_cast<int>(random() % rowCount);
            ASSERT_EQ(tree.IsSelected(probe), flags[probe]) << probe;
        }
    }
}
