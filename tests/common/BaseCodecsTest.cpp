#include "BaseCodecs.h"
#include "SharedRoutinesCommon.h"

#include <gtest/gtest.h>

#include <string>

using namespace pem;

TEST(BaseCodecs, IsPlainAscii) {
    EXPECT_TRUE(IsPlainAscii(""));
    EXPECT_TRUE(IsPlainAscii(std::string("a\0\x7F", 3)));
    EXPECT_FALSE(IsPlainAscii("ab\x80"));
}

TEST(BaseCodecs, DecodeOneSequence) {
    struct Case {
        const char* bytes;  // nullptr: no buffer
        int n;
        int length;
        char32_t cp;
        int status;
    } cases[] = {
        {nullptr, 5, 0, 0, 3},
        {"a", 0, 0, 0, 3},
        {"A", 1, 1, 0x41, 0},
        {"\xC3\xA9", 2, 2, 0xE9, 0},
        {"\xE2\x82\xAC", 3, 3, 0x20AC, 0},
        {"\xF0\x9F\x98\x80", 4, 4, 0x1F600, 0},
        {"\xC3\xA9zz", 4, 2, 0xE9, 0},          // only its own bytes
        {"\x80", 1, 1, 0x80, 1},                // continuation as lead
        {"\xF8\x80", 2, 1, 0xF8, 1},
        {"\xFF", 1, 1, 0xFF, 1},
        {"\xC3\x41", 2, 1, 0xC3, 1},            // bad continuation
        {"\xE2\x82\x41", 3, 1, 0xE2, 1},
        {"\xE2\x82", 2, 3, 0xE2, 2},            // longer than the bytes left
        {"\xC3\xA9", 1, 2, 0xC3, 2},
        {"\xF0\x9F\x98", 3, 4, 0xF0, 2},
        {"\xC0\x80", 2, 2, 0, 0},               // overlong forms decode
    };
    for (const auto& c : cases) {
        int length = -1;
        char32_t cp = 0xDEAD;
        const int st = DecodeUtf8Sequence(c.bytes, c.n, length, cp);
        const std::string what = c.bytes ? c.bytes : "(null)";
        EXPECT_EQ(st, c.status) << what << " n=" << c.n;
        EXPECT_EQ(length, c.length) << what << " n=" << c.n;
        EXPECT_EQ(cp, c.cp) << what << " n=" << c.n;
    }
}

TEST(BaseCodecs, DecodeToWideCharStopsAt16Bits) {
    struct Case {
        const char* bytes;
        int n;
        int length;
        char16_t wc;
        int status;
    } cases[] = {
        {"\xE2\x82\xAC", 3, 3, 0x20AC, 0},
        {"\xEF\xBF\xBF", 3, 3, 0xFFFF, 0},
        {"\xF0\x90\x80\x80", 4, 4, 0, 4},
        {"\xF4\x8F\xBF\xBF", 4, 4, 0, 4},
        {"\xF0\x90\x80", 3, 4, 0xF0, 2},
        {"\x9F", 1, 1, 0x9F, 1},
    };
    for (const auto& c : cases) {
        int length = -1;
        char16_t wc = 0xBEEF;
        EXPECT_EQ(DecodeUtf8ToWideChar(c.bytes, c.n, length, wc), c.status) << c.bytes;
        EXPECT_EQ(length, c.length) << c.bytes;
        EXPECT_EQ(wc, c.wc) << c.bytes;
    }
}

TEST(Utf8ToAnsiStrings, FoldsToEightBits) {
    struct Case {
        std::string in, want;
    } cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"\xC3\xA9", "\xE9"},
        {"caf\xC3\xA9 \xE2\x82\xAC" "5", "caf\xE9 \xF5" "5"},
        {"\xE2\x82\xAC", "\xF5"},
        {"x\xE9y", "x\xE9y"},                        // lone byte passes through
        {"\x80\xBF", "\x80\xBF"},
        // Four-byte characters fold like any other wide character, never to NUL.
        {"\xF0\x9F\x98\x80", "\xF5"},
        {"a\xF0\x9F\x98\x80" "b", "a\xF5" "b"},
        // Overlong forms are invalid: their bytes pass through.
        {"\xC0\x80", "\xC0\x80"},
        {"a\xC1\xBF", "a\xC1\xBF"},
        {"\xE0\x80\x80", "\xE0\x80\x80"},
        {"\xF0\x80\x80\x80", "\xF0\x80\x80\x80"},
        // A sequence cut off by the end keeps its bytes; nothing is lost.
        {"ab\xE2\x82", "ab\xE2\x82"},
        {"\xC3\xA9\xE2", "\xE9\xE2"},
        {"\xF0\xC3\xA9", "\xF0\xE9"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToAnsiStr(c.in), c.want) << c.in;
}

// No input without a NUL byte may yield one.
TEST(Utf8ToAnsiStrings, NeverWritesNul) {
    for (int a = 0x80; a < 0x100; ++a) {
        for (int b = 1; b < 0x100; ++b) {
            for (int c : {0x01, 0x41, 0x80, 0x90, 0xBF, 0xC3}) {
                const std::string in{static_cast<char>(a), static_cast<char>(b),
                                     static_cast<char>(c)};
                const std::string out = Utf8ToAnsiStr(in);
                ASSERT_EQ(out.find('\0'), std::string::npos) << std::hex << a << " " << b << " " << c;
                ASSERT_FALSE(out.empty());
                ASSERT_LE(out.size(), in.size());
            }
        }
    }
}
