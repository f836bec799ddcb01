// The deficiency ranking: which listing lines count and under which key, the
// report against golden files in both layouts, and the keys that switch the
// report to the name layout.
#include "DefiRanking.h"
#include "RankingTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pem;
using namespace pemtest;

namespace {

// A line whose columns 18 to 22 hold code and whose text from column 25 on
// is text.
std::string Numbered(const std::string& code, const std::string& text) {
    std::string s(17, ' ');
    s += std::string(5 - code.size(), ' ') + code + "  " + text;
    return s;
}

} // namespace

TEST(DefiRankingTest, LinesAreReadByTheirForms) {
    const std::string below = Numbered("15", "Data item unused ");
    const std::string shortForm = "|MAJOR |  000004  " + std::string("21 Nested IF") + std::string(41, ' ') + "| tail";
    struct Case {
        std::string line;
        std::string numbered;
        TDefiSeverity severity;
        std::string key;
    };
    const Case cases[] = {
        {"| PROB  | 12 Paragraph too long      |", "", dsMajor, "12 Paragraph too long"},
        {"| DEFI  | 07 GO TO | used |", "", dsMedium, "07 GO TO | used"},
        {"| WARN  | Comment missing", "", dsMinor, ""},  // no "|" after column 10
        {"| PROBLEM: rule   |", "", dsMajor, ": rule"},
        {"       | MAJOR  | level", below, dsMajor, "15 Data item unused "},
        {"xxxxxxx| MEDIA  |", below, dsMedium, "15 Data item unused "},
        {"       | MINOR  |", "", dsMinor, ""},  // no numbered line below
        {"      | MAJOR  |", below, dsNone, ""},  // one column short
        {shortForm, "", dsMajor, "21 Nested IF"},
        {"|MEDIA |", "", dsMedium, ""},
        {"|MINOR |x", "", dsMinor, ""},
        {"| prob  | lower case |", "", dsNone, ""},
        {" | PROB  | indented |", "", dsNone, ""},
        {"|    120|      PERFORM X.", "", dsNone, ""},
    };
    for (const auto& c : cases) {
        const TDefiLine d = ClassifyDefiLine(c.line, c.numbered);
        EXPECT_EQ(d.Severity, c.severity) << c.line;
        EXPECT_EQ(d.Key, c.key) << c.line;
    }
    EXPECT_TRUE(IsNumberedDefiLine(below));
    EXPECT_TRUE(IsNumberedDefiLine(Numbered("-3", "x")));
    EXPECT_FALSE(IsNumberedDefiLine(Numbered("1x", "x")));
    EXPECT_FALSE(IsNumberedDefiLine("|    120|      PERFORM X."));
}

// Each tree holds a Defis folder and the report the ranking must write.
//  - codes: a listing directly in Defis is dropped (its lettered key would
//    switch the layout); a key met in five listings counts 5; 07 sorts
//    before 12; a three-digit code prints its first two digits and the key
//    from its fourth character; keys are cut at 60; equal counts list in
//    descending key order; the three line forms count alike; an empty
//    severity prints its "<No ...>" line in both groups.
//  - names: one lettered key switches every section to the name layout;
//    keys are cut at 65; keys equal but for case are one key, spelt as met
//    first from the bottom.
TEST(DefiRankingTest, ReportInBothLayoutsMatchesItsGoldenFile) {
    for (const char* tree : {"defis_code", "defis_name"}) {
        const std::string folder = RankingTree(tree) + "Defis/";
        const std::vector<std::string> files = DefiFilesInSubfolders(FoundFiles(folder, ".def;"), folder);
        EXPECT_EQ(JoinedLines(RankDeficiencies(files)), pemtest::ReadFile(RankingTree(tree) + "Rule Violations.txt")) << tree;
    }
}

TEST(DefiRankingTest, CountsGatherAcrossListingsAndRootListingsAreDropped) {
    const std::string folder = RankingTree("defis_code") + "Defis/";
    const std::vector<std::string> all = FoundFiles(folder, ".def;");
    const std::vector<std::string> files = DefiFilesInSubfolders(all, folder);
    EXPECT_EQ(all.size(), files.size() + 1);
    TDefiRanking ranking;
    for (const auto& f : files) ranking.CountListing(pemtest::ReadFile(f));
    EXPECT_EQ(ranking.Count(dsMajor, "12 Paragraph too long"), 5);
    EXPECT_EQ(ranking.Count(dsMajor, "12 PARAGRAPH TOO LONG"), 5);
    EXPECT_EQ(ranking.Count(dsMedium, "07 GO TO used"), 2);
    EXPECT_EQ(ranking.Count(dsMajor, "Zebra rule without a code"), 0);
    EXPECT_TRUE(ranking.CodeMode());
}

// The code layout prints two leading digits; a key without them (a
// one-digit code, an empty key) switches to the name layout instead of
// ending the ranking with a conversion error.
TEST(DefiRankingTest, KeysWithoutTwoLeadingDigitsGiveTheNameLayout) {
    auto padded = [](const std::string& s, size_t n) { return s + std::string(n - s.size(), ' '); };
    const std::string once = "   " + std::string(6, ' ') + "1";
    struct Case {
        const char* what;
        std::string listing;
        bool codeMode;
        std::string majorLine;  // the first major entry of the report
    };
    const Case cases[] = {
        {"one-digit code", "       | MAJOR  |\n" + Numbered("7", "Short code") + "\n", false,
         "   " + padded("7 Short code", 65) + once},
        {"empty key", "| PROB  | 12 Coded |\n| PROB  no bar\n", false, "   " + padded("", 65) + once},
        {"two-digit codes only", "| PROB  | 12 Coded |\n| PROB  | 07 Also coded |\n", true,
         "   (07) " + padded("Also coded", 60) + once},
    };
    for (const auto& c : cases) {
        TDefiRanking ranking;
        ranking.CountListing(c.listing);
        EXPECT_EQ(ranking.CodeMode(), c.codeMode) << c.what;
        const std::vector<std::string> lines = ranking.ReportLines();
        ASSERT_GT(lines.size(), 3u);
        EXPECT_EQ(lines[1], c.codeMode ? "   Major deficiences sorted by deficiency code"
                                       : "   Major deficiences sorted by name")
            << c.what;
        EXPECT_EQ(lines[3], c.majorLine) << c.what;
    }
}

TEST(DefiRankingTest, ListingsWithoutCountedLinesGiveEmptySections) {
    TDefiRanking ranking;
    ranking.CountListing("/ header\r\n|   SOURCE: A.COB |\r\n|     10|  MOVE.\r\n");
    const std::string dashes = "  " + std::string(77, '-');
    const std::vector<std::string> expected = {
        "",
        "   Major deficiences sorted by deficiency code", dashes, "   <No major deficiences>", dashes, "",
        "   Medium deficiences sorted by deficiency code", dashes, "   <No medium deficiences>", dashes, "",
        "   Minor deficiences sorted by deficiency code", dashes, "   <No minor deficiences>", dashes, "",
        "   Major deficiences sorted by number of occurences", dashes, "   <No major deficiences>", dashes, "",
        "   Medium deficiences sorted by number of occurences", dashes, "   <No medium deficiences>", dashes, "",
        "   Minor deficiences sorted by number of occurences", dashes, "   <No minor deficiences>", dashes,
    };
    EXPECT_EQ(ranking.ReportLines(), expected);
}
