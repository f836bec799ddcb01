// The input-tree entries: look-ups by key and by value, and the one sort.
#include "InputTreeEntries.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace pem;

TEST(InputTreeEntries, LooksUpByKeyIgnoringCaseAndByValueTheFirstOfEach) {
    TInputTreeEntries e;
    for (const char* line : {"COMP0001=Billing", "MOD0001=Billing\\Invoice", "FDR0001=workinp\\COMP0001\\MOD0001",
                             "SRC0001=Billing\\Invoice\\INVOICE", "XCPY0000=workinp\\COMP0001\\MOD0001\\SRC0001.CBL",
                             "SRC0001=second", "no equals sign", "MOD0002=Billing\\Invoice"})
        e.AddLine(line);
    EXPECT_EQ(e.Count(), 7);
    ASSERT_TRUE(e.ValueOf("src0001"));
    EXPECT_EQ(*e.ValueOf("SRC0001"), "Billing\\Invoice\\INVOICE");
    EXPECT_EQ(e.ValueOf("SRC0002"), nullptr);
    ASSERT_TRUE(e.KeyOf("Billing\\Invoice"));
    EXPECT_EQ(*e.KeyOf("Billing\\Invoice"), "MOD0001");
    EXPECT_EQ(e.KeyOf("billing\\invoice"), nullptr);

    std::string kind, number;
    EXPECT_TRUE(TInputTreeEntries::SplitKey("XCPY00012", kind, number));
    EXPECT_EQ(kind + "|" + number, "XCPY|00012");
    for (const char* bad : {"SRC", "0001", "SRC00a1", ""}) EXPECT_FALSE(TInputTreeEntries::SplitKey(bad, kind, number));
}

TEST(InputTreeEntries, OneSortGivesTheOrderOfALineSortAndKeepsTheIndexes) {
    const std::vector<std::string> lines = {"XCPY0001=w\\SRC0002.CBL", "SRC0010=b", "SRC0002=a", "SRC00010=e",
                                            "FDR0001=w", "FCDR0001=x\\", "MOD0001=c\\m", "COMP0001=c",
                                            "SRC0001=z", "SRC0001=y"};
    TInputTreeEntries e;
    for (const auto& l : lines) e.AddLine(l);
    e.Sort();
    std::vector<std::string> expected = lines;
    std::stable_sort(expected.begin(), expected.end());
    TStringList got = e.Lines();
    std::vector<std::string> gotLines;
    for (const auto& i : got) gotLines.push_back(i.s);
    EXPECT_EQ(gotLines, expected);
    EXPECT_EQ(*e.ValueOf("SRC0001"), "y");
    EXPECT_EQ(*e.KeyOf("c\\m"), "MOD0001");

    TInputTreeEntries copy;
    copy.SetLines(got);
    EXPECT_EQ(copy.Lines(), got);
    EXPECT_EQ(*copy.ValueOf("FCDR0001"), "x\\");
}
