// The text work under the rankings: line ends of every kind, the printf
// forms the reports use whatever the locale, and numbers read from text.
#include "Exceptions.h"
#include "RankingText.h"
#include "TestSupport.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace pem;

TEST(RankingTextTest, LinesEndAtLfCrLfAndCr) {
    struct Case {
        std::string text;
        std::vector<std::string_view> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\rb\n\r\n", {"a", "", "b", ""}},
        {"x\r\ny\nz\rw", {"x", "y", "z", "w"}},
    };
    for (const auto& c : cases) EXPECT_EQ(LineViews(c.text), c.lines) << c.text;
}

TEST(RankingTextTest, FilesAreReadWholeIntoOneBuffer) {
    pemtest::TempDir dir;
    const std::string big(300000, 'x');
    pemtest::WriteFile(dir / "big", big);
    pemtest::WriteFile(dir / "small", "abc");
    pemtest::WriteFile(dir / "empty", "");
    std::string buffer;
    ReadFileInto(dir / "big", buffer);
    EXPECT_EQ(buffer, big);
    ReadFileInto(dir / "small", buffer);
    EXPECT_EQ(buffer, "abc");
    ReadFileInto(dir / "empty", buffer);
    EXPECT_EQ(buffer, "");
    EXPECT_THROW(ReadFileInto(dir / "none", buffer), EFileError);
    EXPECT_THROW(ReadFileInto(dir.Path(), buffer), EFileError);
    EXPECT_THROW(WriteLinesLF(dir / "no/such/folder/file", {"a"}), EFileError);
    WriteLinesLF(dir / "written", {"a", "", "b"});
    EXPECT_EQ(pemtest::ReadFile(dir / "written"), "a\n\nb\n");
}

TEST(RankingTextTest, FormatsIgnoreTheLocale) {
    // A locale with a decimal comma, when the machine has one.
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    EXPECT_EQ(FormatFloat(0.7, 5, 3), "0.700");
    EXPECT_EQ(FormatFloat(12.5, 7, 3), " 12.500");
    EXPECT_EQ(FormatFloat(1 - 0.55, 5, 3), "0.450");
    EXPECT_EQ(FormatFloat(-0.2, 5, 3), "-0.200");
    EXPECT_DOUBLE_EQ(TextToFloat(" 0.55 "), 0.55);
    std::setlocale(LC_NUMERIC, before.c_str());
    if (!comma) GTEST_LOG_(INFO) << "no locale with a decimal comma here";

    EXPECT_EQ(FormatInt(1234, 7, 7), "0001234");
    EXPECT_EQ(FormatInt(1234, 7), "   1234");
    EXPECT_EQ(FormatInt(-5, 7, 7), "-0000005");
    EXPECT_EQ(FormatInt(7, 2, 2), "07");
    EXPECT_EQ(FormatInt(123456789, 7), "123456789");
    EXPECT_EQ(CutPadRight("abc", 5), "abc  ");
    EXPECT_EQ(CutPadRight("abcdef", 5), "abcde");
}

TEST(RankingTextTest, NumbersFromText) {
    EXPECT_EQ(TextToInt(" 0001000 "), 1000);
    EXPECT_EQ(TextToInt("+12"), 12);
    EXPECT_EQ(TextToInt("-12"), -12);
    EXPECT_DOUBLE_EQ(TextToFloat("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(TextToFloat("5."), 5.0);
    EXPECT_DOUBLE_EQ(TextToFloat("-1e-3"), -0.001);
    for (const char* bad : {"", " ", "0,5", "1.2.3", "inf", "nan", "0x1p3", "+-1", "--1", "1 2", "12a"})
        EXPECT_THROW(TextToFloat(bad), EConvertError) << bad;
    for (const char* bad : {"", "1.0", "12a", "99999999999", "0x10"}) EXPECT_THROW(TextToInt(bad), EConvertError) << bad;
    try {
        TextToFloat("0,5");
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'0,5' is not a valid floating point value");
    }
}
