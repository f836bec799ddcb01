// The word-list file: what the writer makes, what the reader takes back, and
// the long words whose length takes three digits.
#include "WordListFile.h"
#include "Exceptions.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {

const TStringList kCodes = {"INPT", "OTPT", "MASK", "REPO", "CASE", "SKIP", "LINK", "FUNC", "PROC", "????"};

} // namespace

TEST(WordListFile, WriterNumbersTheTickedEntriesControlWordsFirst) {
    const TStringList lines = FormatWordListLines({"INPT input file", "???? lone", "  ", "OTPT"}, {"customer", ""});
    EXPECT_EQ(lines, TStringList({"0001 10 INPT input file", "0002 04 ???? lone", "0003 -01 OTPT", "0004 08 NOUN customer"}));
}

TEST(WordListFile, ReaderTakesLinesByTheirCodeColumns) {
    TStringList lines;
    lines.SetText("0001 05 NOUN table\r\n"
                  "0002 01 NOUN a\r\n"              // 14 characters: enough
                  "0003 00 NOUN \r\n"               // 12 when trimmed: too short
                  "0004 -1 INPT xxxxxxxxxx\r\n"     // a negative length: not an entry
                  "0005 04      word\r\n"           // no code
                  "0006 04 ATTR word\r\n"           // a code the list does not offer
                  "0007 04 inpt data\r\n"           // codes compare ignoring case
                  "0008 09 PROC two words  \r\n");  // the rest of the line as it stands
    const TWordListEntries e = ParseWordListLines(lines, kCodes);
    EXPECT_EQ(e.nouns, (std::vector<std::string>{"table", "a"}));
    EXPECT_EQ(e.controlTags, (std::vector<std::string>{"???? word", "inpt data", "PROC two words  "}));
}

TEST(WordListFile, RunningNumbersFromTenThousandMoveTheColumnsOn) {
    const std::string longWord(120, 'w');
    TStringList lines;
    lines.SetText("9999 05 NOUN table\r\n"
                  "10000 05 NOUN chair\r\n"
                  "10001 04 INPT data\r\n"
                  "10002 04      word\r\n"
                  "10003 -1 INPT xxxxxxxxxx\r\n"      // a negative length: not an entry
                  "123456 03 NOUN one\r\n"
                  "10004 125 INPT " + longWord + "\r\n"
                  "1000x 05 NOUN mixed\r\n");          // no number: fixed columns
    const TWordListEntries e = ParseWordListLines(lines, kCodes);
    EXPECT_EQ(e.nouns, (std::vector<std::string>{"table", "chair", "one"}));
    EXPECT_EQ(e.controlTags, (std::vector<std::string>{"INPT data", "???? word", "INPT " + longWord}));
}

TEST(WordListFile, TwelveThousandEntriesReadBackWhole) {
    pemtest::TempDir dir;
    const std::string file = dir / "big.wrl";
    std::vector<std::string> nouns;
    for (int i = 1; i <= 12000; ++i) nouns.push_back("noun" + std::to_string(i));
    WriteWordListFile(file, {ControlTagItem("CASE", "when")}, nouns);
    const std::string text = pemtest::ReadFile(file);
    EXPECT_NE(text.find("\n9999 08 NOUN noun9998\n10000 08 NOUN noun9999\n"), std::string::npos);
    const TWordListEntries back = ReadWordListFile(file, kCodes);
    EXPECT_EQ(back.controlTags, std::vector<std::string>{"CASE when"});
    EXPECT_EQ(back.nouns, nouns);
}

TEST(WordListFile, AControlWordWithoutCodeIsWrittenSoItReadsBack) {
    const std::string item = ControlTagItem("", "zeta");
    EXPECT_EQ(item, "     zeta");
    const TStringList lines = FormatWordListLines({item, "   ", "OTPT out"}, {});
    EXPECT_EQ(lines, TStringList({"0001 04      zeta", "0002 03 OTPT out"}));
    EXPECT_EQ(ParseWordListLines(lines, kCodes).controlTags, (std::vector<std::string>{"???? zeta", "OTPT out"}));
}

TEST(WordListFile, RoundTripKeepsWhatTheListOffersAndLongWords) {
    pemtest::TempDir dir;
    const std::string file = dir / "list.wrl";
    const std::string longWord(120, 'w');
    const std::vector<std::string> controls = {ControlTagItem("ATTR", "attribute"), ControlTagItem("????", "loose"),
                                               ControlTagItem("", ""), ControlTagItem("INPT", longWord),
                                               ControlTagItem("CASE", "switch")};
    WriteWordListFile(file, controls, {"order", "   ", "order line"});
    EXPECT_NE(pemtest::ReadFile(file).find("0003 120 INPT " + longWord + "\n"), std::string::npos);

    const TWordListEntries back = ReadWordListFile(file, kCodes);
    // "ATTR" is not offered; the empty entries took no number.
    EXPECT_EQ(back.controlTags,
              (std::vector<std::string>{"???? loose", "INPT " + longWord, "CASE switch"}));
    EXPECT_EQ(back.nouns, (std::vector<std::string>{"order", "order line"}));
}

TEST(WordListFile, ControlTagItemsKeepTheCodeInFourColumns) {
    EXPECT_EQ(ControlTagItem("AB", "word"), "AB   word");
    EXPECT_EQ(ControlTagItem("LONGCODE", "word"), "LONG word");
    EXPECT_EQ(ControlTagCode("INPT data base"), "INPT");
    EXPECT_EQ(ControlTagWord("INPT data base"), "data base");
    EXPECT_EQ(ControlTagWord("INPT"), "");
}

TEST(WordListFile, AMissingFileRaisesTheFileError) {
    EXPECT_THROW(ReadWordListFile("/nonexistent/list.wrl", kCodes), EFileError);
}
