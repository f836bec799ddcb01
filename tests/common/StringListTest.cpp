#include "CharSet1252.h"
#include "Exceptions.h"
#include "StringList.h"

#include <gtest/gtest.h>

using namespace pem;

TEST(StringList, NameValueAccessAndEmptyValueDeletes) {
    TStringList l;
    l.Add("Alpha=1");
    l.Add("beta=two=2");
    l.Add("plain");
    EXPECT_EQ(l.Values("ALPHA"), "1");
    EXPECT_EQ(l.Values("Beta"), "two=2");
    EXPECT_EQ(l.IndexOfName("plain"), -1);
    l.SetValue("gamma", "3");
    EXPECT_EQ(l[3], "gamma=3");
    l.SetValue("alpha", "");
    EXPECT_EQ(l.IndexOfName("alpha"), -1);
    EXPECT_EQ(l.Count(), 3);
}

TEST(StringList, TextKeepsCrLfWhenReadWithIt) {
    TStringList l;
    l.SetText("a\r\nb\r\n\r\nc");
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l[2], "");
    EXPECT_EQ(l.Text(), "a\r\nb\r\n\r\nc\r\n");
    l.SetText("x\ny\n");
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Text(), "x\ny\n");
}

TEST(StringList, SortedInsertIgnoresDuplicatesAndMovesObjects) {
    TStringList l;
    l.SetSorted(true);
    auto o = std::make_shared<int>(7);
    l.AddObject("b", o);
    l.Add("A");
    l.Add("c");
    EXPECT_EQ(l.Add("B"), -1);
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l[0], "A");
    EXPECT_EQ(l.Objects(1).get(), o.get());
    l.Duplicates = TDuplicates::dupError;
    EXPECT_THROW(l.Add("C"), Exception);
}

TEST(StringList, CommaTextQuotesWhereNeeded) {
    TStringList l;
    l.SetCommaText("a, \"b c\",\"d\"\"e\",,f");
    ASSERT_EQ(l.Count(), 5);
    EXPECT_EQ(l[1], "b c");
    EXPECT_EQ(l[2], "d\"e");
    EXPECT_EQ(l[3], "");
    EXPECT_EQ(l.CommaText(), "a,\"b c\",\"d\"\"e\",\"\",f");
}

TEST(CharSet1252, RoundTripsEveryDefinedByte) {
    for (int c = 1; c < 256; ++c) {
        std::string s(1, static_cast<char>(c));
        bool ok = false;
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(s), &ok), s) << c;
        EXPECT_TRUE(ok) << c;
    }
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
    bool ok = true;
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD", &ok), "?");
    EXPECT_FALSE(ok);
}

TEST(CharSet1252, CaseFolding) {
    EXPECT_EQ(CompareText("ABC", "abc"), 0);
    EXPECT_NE(CompareText("\xC9", "\xE9"), 0);       // ASCII only
    EXPECT_EQ(AnsiCompareText("\xC9t\xC9", "\xE9T\xE9"), 0); // whole code page
    EXPECT_LT(AnsiCompareText("a", "B"), 0);
}

// The order of sorted lists on screen, and the fast ordering of many texts
// that must agree with it: texts that differ only beyond the 32 bytes the
// ordering looks at first, differ only in case, are prefixes of each other,
// or are equal (which keep their order).
TEST(CharSet1252, ListOrder) {
    EXPECT_LT(CompareListText("A", "a"), 0);
    EXPECT_LT(CompareListText("a", "B"), 0);
    EXPECT_LT(CompareListText("_x", "a"), 0);
    EXPECT_GT(CompareListText("\xE9", "z"), 0);
    EXPECT_EQ(CompareListText("same", "same"), 0);

    const std::string deep = "/home/user/project/source/" + std::string(40, 'd') + "/";
    const std::vector<std::string> texts = {
        deep + "b.cob", deep + "A.cob", deep + "a.cob", deep + "a", "", deep + "B.cob",
        deep + "a.cob", "/home/user/project/source/short", deep + "\xC9.cob", deep + "\xE9.cob", deep};
    std::vector<std::string_view> views(texts.begin(), texts.end());
    const std::vector<size_t> order = ListOrderOf(views);
    const std::vector<size_t> expected = {4, 10, 3, 1, 2, 6, 5, 0, 8, 9, 7};
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(ListOrderOf({}).empty());
}
