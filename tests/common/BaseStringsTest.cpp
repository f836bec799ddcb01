#include "BaseStrings.h"
#include "StringsTestTable.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pem;
using S = std::string;

namespace {
const std::string kAbc = "abcdef";
const TCharSet kStar{'*'};
} // namespace

TEST(BaseStringsCopy, BoundedCopiesClampOrGiveEmpty) {
    const CallRow<S> rows[] = {
        ROW(CopyRangeStr(kAbc, 2, 4), "bcd"),
        ROW(CopyRangeStr(kAbc, 4, 2), ""),         // reversed
        ROW(CopyRangeStr(kAbc, 0, 2), "ab"),       // from below 1 counts as 1
        ROW(CopyRangeStr(kAbc, -5, 2), "ab"),
        ROW(CopyRangeStr(kAbc, 4, 99), "def"),     // to beyond the end
        ROW(CopyRangeStr(kAbc, 3, 0), ""),         // to below 1
        ROW(CopyRangeStr(kAbc, 7, 9), ""),         // from beyond the end
        ROW(CopyRangeStr(kAbc, 6, 6), "f"),
        ROW(CopyRangeStr("", 1, 1), ""),
        ROW(CopyFromStr(kAbc, 3), "cdef"),
        ROW(CopyFromStr(kAbc, 1), "abcdef"),
        ROW(CopyFromStr(kAbc, -2), "abcdef"),
        ROW(CopyFromStr(kAbc, 6), "f"),
        ROW(CopyFromStr(kAbc, 7), ""),
        ROW(CopyHeadStr(kAbc, 2), "ab"),
        ROW(CopyHeadStr(kAbc, 0), ""),
        ROW(CopyHeadStr(kAbc, -1), ""),
        ROW(CopyHeadStr(kAbc, 6), "abcdef"),
        ROW(CopyHeadStr(kAbc, 9), "abcdef"),
        ROW(CopyTailStr(kAbc, 2), "ef"),
        ROW(CopyTailStr(kAbc, 0), ""),
        ROW(CopyTailStr(kAbc, -3), ""),
        ROW(CopyTailStr(kAbc, 9), "abcdef"),
        ROW(CopyCountNeg(kAbc, 2, 3), "bcd"),
        ROW(CopyCountNeg(kAbc, 3, 2), "cd"),
        ROW(CopyCountNeg(kAbc, -2, 5), "ef"),      // runs past the end
        ROW(CopyCountNeg(kAbc, -3, 2), "de"),
        ROW(CopyCountNeg(kAbc, -1, 1), "f"),
        ROW(CopyCountNeg(kAbc, 2, -1), ""),        // negative count
        ROW(CopyCountNeg(kAbc, 2, 0), ""),
        ROW(CopyCountNeg(kAbc, 7, 1), ""),
        ROW(CopyRangeNeg(kAbc, -3, -1), "def"),
        ROW(CopyRangeNeg(kAbc, 2, -2), "bcde"),
        ROW(CopyRangeNeg(kAbc, -5, 3), "bc"),
        ROW(CopyRangeNeg(kAbc, -2, 2), ""),        // reversed once resolved
        ROW(CopyRangeNeg(kAbc, -9, -8), ""),       // wholly before the start
        ROW(CopyRangeNeg(kAbc, 8, 9), ""),         // wholly after the end
        ROW(CopyRangeNeg(kAbc, 3, 99), "cdef"),
    };
    CheckRows(rows);
}

TEST(BaseStringsSearch, PositionsAreOneBasedFromStart) {
    const CallRow<int> rows[] = {
        ROW(PosCharFrom('.', "a.b.c", 1), 2),
        ROW(PosCharFrom('.', "a.b.c", 3), 4),
        ROW(PosCharFrom('.', "a.b.c", 4), 4),
        ROW(PosCharFrom('.', "a.b.c", 0), 2),
        ROW(PosCharFrom('.', "a.b.c", -5), 2),
        ROW(PosCharFrom('.', "a.b.c", 5), 0),
        ROW(PosCharFrom('.', "a.b.c", 99), 0),
        ROW(PosCharFrom('x', "a.b.c", 1), 0),
        ROW(PosCharFrom('\xE9', "ab\xE9", 1), 3),
        ROW(PosCharSetFrom(csDigits, "ab1c23", 1), 3),
        ROW(PosCharSetFrom(csDigits, "ab1c23", 4), 5),
        ROW(PosCharSetFrom(csDigits, "ab1c23", 7), 0),
        ROW(PosCharSetFrom(csDigits, "abc", 1), 0),
        ROW(PosNotCharSetFrom(csDigits, "12a34b", 1), 3),
        ROW(PosNotCharSetFrom(csDigits, "12a34b", 4), 6),
        ROW(PosNotCharSetFrom(csDigits, "12a34b", 0), 3),
        ROW(PosNotCharSetFrom(csDigits, "123", 1), 0),
        ROW(PosStrFrom("bc", "abcbc", 1, true), 2),
        ROW(PosStrFrom("abcbc", "bc", 1, true), 0),       // find longer than s
        ROW(PosStrFrom("bc", "abcbc", 3, true), 4),
        ROW(PosStrFrom("bc", "abcbc", 0, true), 2),
        ROW(PosStrFrom("bc", "abcbc", 6, true), 0),       // start beyond the end
        ROW(PosStrFrom("abc", "xxab", 3, true), 0),       // would run past the end
        ROW(PosStrFrom("", "abc", 1, true), 0),
        ROW(PosStrFrom("a", "", 1, true), 0),
        ROW(PosStrFrom("ABC", "xabcABC", 1, true), 5),
        ROW(PosStrFrom("ABC", "xabcABC", 1, false), 2),
        ROW(PosStrFrom("\xC9", "x\xE9\xC9", 1, false), 3), // ASCII folding only
        ROW(CountCharSetFrom("  ab  ", csControlAndBlank, 1), 2),
        ROW(CountCharSetFrom("  ab  ", csControlAndBlank, 3), 0),
        ROW(CountCharSetFrom("  ab  ", csControlAndBlank, 5), 2),
        ROW(CountCharSetFrom("  ab  ", csControlAndBlank, 7), 0),
        ROW(CountChar("a;b;;", ';'), 3),
        ROW(CountChar("", ';'), 0),
    };
    CheckRows(rows);
}

TEST(BaseStringsSearch, TestsAndMatches) {
    const CallRow<bool> rows[] = {
        ROW(StrAllInSet("123", csDigits), true),
        ROW(StrAllInSet("12a", csDigits), false),
        ROW(StrAllInSet("", csDigits), false),
        ROW(IsAllDigits("0789"), true),
        ROW(IsAllDigits("-1"), false),
        ROW(IsAllDigits(""), false),
        ROW(StrEqualNoCase("ABc", "abC"), true),
        ROW(StrEqualNoCase("ab", "abc"), false),
        ROW(StrEqualNoCase("\xC9", "\xE9"), false),
        ROW(StrEqualNoCase("", ""), true),
        ROW(BufEqual("abc", "abd", 2), true),
        ROW(BufEqual("abc", "abd", 3), false),
        ROW(BufEqual("abc", "xyz", 0), true),
        ROW(BufEqual("abc", "xyz", -1), true),
        ROW(BufEqual("ABC", "abc", 3), false),
        ROW(BufEqualNoCase("ABc", "abd", 2), true),
        ROW(BufEqualNoCase("ABc", "abC", 3), true),
        ROW(BufEqualNoCase("\xC9", "\xE9", 1), false),
        ROW(MatchStrAt("hello", "ll", 3), true),
        ROW(MatchStrAt("hello", "ll", 2), false),
        ROW(MatchStrAt("ll", "hello", 3), false),
        ROW(MatchStrAt("hello", "lo", 4), true),
        ROW(MatchStrAt("hello", "lo", 5), false),          // runs past the end
        ROW(MatchStrAt("hello", "o", 6), false),
        ROW(MatchStrAt("hello", "he", 0), false),
        ROW(MatchStrAt("hello", "", 1), false),
        ROW(MatchStrAt("", "a", 1), false),
        ROW(MatchStrAt("hello", "LL", 3), false),
        ROW(MatchTextAt("hello", "LL", 3), true),
        ROW(MatchTextAt("hello", "LO", 5), false),
        ROW(MatchTextAt("h\xE9", "H\xC9", 1), false),
        ROW(HasPrefix("Hello", "he", true), false),
        ROW(HasPrefix("Hello", "he", false), true),
        ROW(HasPrefix("he", "hello", false), false),
        ROW(HasPrefix("Hello", "", true), false),
        ROW(HasSuffix("file.TXT", ".txt", false), true),
        ROW(HasSuffix("file.TXT", ".txt", true), false),
        ROW(HasSuffix("file.TXT", ".TXT", true), true),
        ROW(HasSuffix(".TXT", "file.TXT", true), false),
        ROW(HasSuffix("file", "", true), false),
    };
    CheckRows(rows);
}

TEST(BaseStringsTrim, TrimmingAndCollapsing) {
    const CallRow<S> rows[] = {
        ROW(TrimLeftCharSet("\t x \n", csControlAndBlank), "x \n"),
        ROW(TrimRightCharSet("\t x \n", csControlAndBlank), "\t x"),
        ROW(TrimCharSet("\t x y\r\n", csControlAndBlank), "x y"),
        ROW(TrimCharSet(S("\0 a\0", 4), csControlAndBlank), "a"),
        ROW(TrimCharSet("**a*b**", kStar), "a*b"),
        ROW(TrimCharSet("***", kStar), ""),
        ROW(TrimLeftCharSet("", kStar), ""),
        ROW(CollapseWhitespace("  a \t\r\n b  "), "a b "),
        ROW(CollapseWhitespace("a\x01\x1F" "b"), "a b"),
        ROW(CollapseWhitespace("a!b"), "a!b"),
        ROW(CollapseWhitespace("   "), ""),
        ROW(CollapseWhitespace(""), ""),
        ROW(CollapseCharRuns("//a//b/", '/'), "a/b/"),
        ROW(CollapseCharRuns("a///b", '/'), "a/b"),
        ROW(CollapseCharRuns("a  b", '/'), "a  b"),
    };
    CheckRows(rows);
}

TEST(BaseStringsReplace, ReplacingAndRemoving) {
    const TCharSet punct{',', ';'};
    const CallRow<S> rows[] = {
        ROW(ReplaceChar('a', 'b', "aab"), "bbb"),
        ROW(ReplaceChar('\\', '/', "a\\b\\c"), "a/b/c"),
        ROW(ReplaceCharSet(csDigits, '#', "a1b22"), "a#b##"),
        ROW(ReplaceCharSetByStr(punct, "<>", "a,b;c"), "a<>b<>c"),
        ROW(ReplaceCharSetByStr(punct, "", ",a,;b;"), "ab"),
        ROW(ReplaceCharSetByStr(punct, "<>", "abc"), "abc"),
        ROW(ReplaceCharSetByStr(punct, "<>", ""), ""),
        ROW(ReplaceStr("b", "c", "abc", true), "acc"),
        ROW(ReplaceStr("aa", "b", "aaa", true), "ba"),         // no overlap
        ROW(ReplaceStr("ab", "X", "abAB", true), "XAB"),
        ROW(ReplaceStr("ab", "X", "abAB", false), "XX"),
        ROW(ReplaceStr("\xE9", "e", "\xC9\xE9", false), "\xC9" "e"), // ASCII only
        ROW(ReplaceStr("q", "x", "abc", true), "abc"),
        ROW(ReplaceStr("", "x", "abc", true), "abc"),
        ROW(ReplaceStr("a", "", "banana", true), "bnn"),
        ROW(ReplaceStr("a", "aa", "aXa", true), "aaXaa"),
        ROW(ReplaceStr("a", "x", "", true), ""),
        ROW(RemoveChar("a-b-c", '-'), "abc"),
        ROW(RemoveCharSet("a1b2", csDigits), "ab"),
    };
    CheckRows(rows);
}

TEST(BaseStringsReplace, DeletePrefixAndSuffixInPlace) {
    struct Case {
        const char* s;
        const char* part;
        bool prefix, caseSensitive;
        const char* want;
    } cases[] = {
        {"HelloWorld", "hello", true, false, "World"},
        {"HelloWorld", "hello", true, true, "HelloWorld"},
        {"HelloWorld", "Hello", true, true, "World"},
        {"Hi", "Hiya", true, true, "Hi"},
        {"a.TXT", ".txt", false, false, "a"},
        {"a.TXT", ".txt", false, true, "a.TXT"},
        {"a.txt.txt", ".txt", false, true, "a.txt"},
        {"abc", "", false, true, "abc"},
    };
    for (const auto& c : cases) {
        std::string s = c.s;
        const bool removed = c.prefix ? DeletePrefix(s, c.part, c.caseSensitive)
                                      : DeleteSuffix(s, c.part, c.caseSensitive);
        EXPECT_EQ(s, c.want) << c.s << " / " << c.part;
        EXPECT_EQ(removed, s != c.s) << c.s << " / " << c.part;
    }
}

// Where two long texts first differ (-1: equal), so that a failure does not
// print megabytes.
static long FirstDifference(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(n);
}

// Text with n matches spread over it crosses the pass boundaries of the
// replacement (4096 matches a pass) at n = 4096, 4097, 8192 and beyond.
TEST(BaseStringsReplace, ManyMatchesAcrossPasses) {
    for (int n : {1, 4095, 4096, 4097, 8192, 8193, 10000}) {
        std::string s = "<", shrink = "<", grow = "<", noCase = "<", sets = "<";
        for (int i = 0; i < n; ++i) {
            s += (i % 2 ? "aB" : "Ab");
            s += std::to_string(i % 10);
            shrink += "-" + std::to_string(i % 10);
            grow += "[xyz]" + std::to_string(i % 10);
        }
        s += ">";
        shrink += ">";
        grow += ">";
        EXPECT_EQ(FirstDifference(ReplaceStr("ab", "-", s, false), shrink), -1) << n;
        EXPECT_EQ(FirstDifference(ReplaceStr("AB", "[xyz]", s, false), grow), -1) << n;
        // Case-sensitively only half of them match.
        const std::string half = ReplaceStr("Ab", "", s, true);
        EXPECT_EQ(half.size(), s.size() - 2 * ((n + 1) / 2)) << n;
        // Every digit is a match for the set form.
        std::string digits;
        for (int i = 0; i < n; ++i) digits += (i % 2 ? "aB##" : "Ab##");
        EXPECT_EQ(FirstDifference(ReplaceCharSetByStr(csDigits, "##", s), "<" + digits + ">"), -1)
            << n;
    }
}

TEST(BaseStringsArrays, SplitJoinAndDelete) {
    EXPECT_EQ(SplitByChar(";a;;", ';'), (TStringArray{"", "a", "", ""}));
    EXPECT_EQ(SplitByChar(";", ';'), (TStringArray{"", ""}));
    EXPECT_EQ(SplitByChar("abc", ';'), (TStringArray{"abc"}));
    EXPECT_TRUE(SplitByChar("", ';').empty());
    EXPECT_EQ(JoinWithChar({"a", "", "b"}, ','), "a,,b");
    EXPECT_EQ(JoinWithChar({""}, ','), "");
    EXPECT_EQ(JoinWithChar({}, ','), "");
    EXPECT_EQ(JoinWithChar(SplitByChar(",x,,y,", ','), ','), ",x,,y,");

    struct Case {
        int index, count, removed;
        TStringArray rest;
    } cases[] = {
        {1, 2, 2, {"a", "d", "e"}},
        {2, 1, 1, {"a", "b", "d", "e"}},
        {-3, 2, 2, {"c", "d", "e"}},
        {3, 10, 2, {"a", "b", "c"}},
        {5, 1, 0, {"a", "b", "c", "d", "e"}},
        {1, 0, 0, {"a", "b", "c", "d", "e"}},
        {1, -1, 0, {"a", "b", "c", "d", "e"}},
    };
    for (const auto& c : cases) {
        TStringArray items{"a", "b", "c", "d", "e"};
        EXPECT_EQ(DeleteStringArrayItems(items, c.index, c.count), c.removed)
            << c.index << "," << c.count;
        EXPECT_EQ(items, c.rest) << c.index << "," << c.count;
    }
}
