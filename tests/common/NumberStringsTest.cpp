#include "BaseUtils.h"
#include "StringsTestTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using namespace pem;

TEST(NumberStrings, IntegerTexts) {
    const CallRow<bool> rows[] = {
        ROW(IsIntegerStr(" -12 "), true),
        ROW(IsIntegerStr("\t+7\r\n"), true),
        ROW(IsIntegerStr("0"), true),
        ROW(IsIntegerStr("-"), false),
        ROW(IsIntegerStr(" + "), false),
        ROW(IsIntegerStr("1.0"), false),
        ROW(IsIntegerStr(""), false),
        ROW(IsIntegerStr("   "), false),
        ROW(IsIntegerStr("12a"), false),
        ROW(IsIntegerStr("--1"), false),
        ROW(IsIntegerStr("- 1"), false),
        ROW(IsIntegerStr("1-"), false),
        ROW(IsIntegerStrEx("+5", true), false),
        ROW(IsIntegerStrEx("-5", true), false),
        ROW(IsIntegerStrEx(" 5 ", true), true),
        ROW(IsIntegerStrEx("+5", false), true),
    };
    CheckRows(rows);
}

// Numbers that do not fit into 32 bits are refused, not wrapped.
TEST(NumberStrings, TryStrToIntValue) {
    struct Case {
        const char* s;
        bool ok;
        int n;
    } cases[] = {
        {" 42 ", true, 42},
        {"+17", true, 17},
        {"-0", true, 0},
        {"007", true, 7},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"4294967296", false, 0},
        {"99999999999999999999", false, 0},
        {"abc", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        int n = 5;
        EXPECT_EQ(TryStrToIntValue(c.s, n), c.ok) << c.s;
        EXPECT_EQ(n, c.n) << c.s;
    }
}

TEST(NumberStrings, ChoicesAndBounds) {
    EXPECT_EQ(MinInt(-3, 2), -3);
    EXPECT_EQ(MinInt(2, -3), -3);
    EXPECT_EQ(MaxInt(-3, 2), 2);
    EXPECT_EQ(MaxInt(INT_MIN, INT_MAX), INT_MAX);
    EXPECT_EQ(ChooseInt(true, 1, 2), 1);
    EXPECT_EQ(ChooseInt(false, 1, 2), 2);
    EXPECT_EQ(ChooseFloat(true, 1.5L, 2.5L), 1.5L);
    EXPECT_EQ(ChooseFloat(false, 1.5L, 2.5L), 2.5L);
    EXPECT_EQ(ChooseStr(true, "yes", "no"), "yes");
    EXPECT_EQ(ChooseStr(false, "yes", "no"), "no");
}

TEST(NumberStrings, MoveBytesSourceFirstAndOverlapping) {
    struct Case {
        int from, to, n;
        const char* want;
    } cases[] = {
        {0, 2, 4, "ababcd"},   // forward overlap
        {2, 0, 4, "cdefef"},   // backward overlap
        {0, 3, 3, "abcabc"},
        {0, 2, 0, "abcdef"},
        {0, 2, -1, "abcdef"},
    };
    for (const auto& c : cases) {
        char buf[] = "abcdef";
        MoveBytes(buf + c.from, buf + c.to, c.n);
        EXPECT_STREQ(buf, c.want) << c.from << "->" << c.to << " n=" << c.n;
    }
}

TEST(NumberStrings, CharSetBasics) {
    static_assert(csControlAndBlank.Contains('\0') && csControlAndBlank.Contains(' '));
    static_assert(!csControlAndBlank.Contains('!'));
    EXPECT_TRUE(csDigits.Contains('0') && csDigits.Contains('9'));
    EXPECT_FALSE(csDigits.Contains('/') || csDigits.Contains(':'));
    const TCharSet hi = TCharSet::Range(0xF0, 0xFF);
    EXPECT_TRUE(hi.Contains('\xFF'));
    EXPECT_FALSE(hi.Contains('\xEF'));
    EXPECT_TRUE((csDigits + TCharSet{'x'}).Contains('x'));
    EXPECT_FALSE((csDigits - TCharSet{'5'}).Contains('5'));
    EXPECT_TRUE((~csDigits).Contains('a'));
}
