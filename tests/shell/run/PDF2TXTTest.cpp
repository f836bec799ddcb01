// The document converter, run as the input building runs it: a PDF's text
// in the code page the shell reads, and clear failures that leave no file.
#include "TestSupport.h"
#include "ToolStart.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {
const std::string kConverter = std::string(PROGRAM_DIR) + "/PDF2TXT";
}

TEST(PDF2TXT, APdfBecomesWindows1252TextWithCurlyQuotesInTheirPlaces) {
    pemtest::TempDir dir;
    fs::copy_file(FIXTURES_DIR "/run/quotes.pdf", dir / "Quotes.PDF");
    int code = -1;
    ASSERT_TRUE(RunAndWait(kConverter, {"Quotes.PDF", "Quotes.txt"}, dir.Path(), nullptr, &code));
    ASSERT_EQ(code, 0);
    const std::string text = pemtest::ReadFile(dir / "Quotes.txt");
    EXPECT_EQ(text.substr(0, 23), "He said \x93yes\x94 and \x91no\x92.");
    EXPECT_EQ(static_cast<unsigned char>(text[8]), 147);
    EXPECT_EQ(static_cast<unsigned char>(text[12]), 148);
}

TEST(PDF2TXT, FailuresLeaveNoTextFile) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "plain.doc", "not a word document");
    pemtest::WriteFile(dir / "notes.odt", "x");
    const struct {
        const char* document;
        int code;
    } cases[] = {{"plain.doc", 4}, {"notes.odt", 2}, {"missing.pdf", 2}};
    for (const auto& c : cases) {
        int code = -1;
        ASSERT_TRUE(RunAndWait(kConverter, {c.document, "out.txt"}, dir.Path(), nullptr, &code)) << c.document;
        EXPECT_EQ(code, c.code) << c.document;
        EXPECT_FALSE(fs::exists(dir / "out.txt")) << c.document;
        EXPECT_FALSE(fs::exists(dir / "out.txt.part")) << c.document;
    }
}
