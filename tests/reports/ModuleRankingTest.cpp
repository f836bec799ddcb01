// The module ranking over metrics reports of each kind: the report against
// golden files, how a report's lines are recognised, and the failures that
// end the ranking.
#include "ModuleRanking.h"
#include "RankingText.h"
#include "RankingTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pem;
using namespace pemtest;

// Each tree holds the Metrics folder of one report kind and the report the
// ranking must write for it.
//  - program: limits met exactly are hits; two equal qualities list the
//    later path first; a path over 60 characters is cut; 12.500 sorts as
//    text before 2.250 and so is listed after it; a report without a size
//    line keeps its other hits; of a report with two modules only the last
//    one counts (the scan ends at its size line); a report directly in
//    Metrics is dropped even with its ".xml" beside it. One report has CR LF
//    line ends.
//  - database: a report directly in Metrics stays only with its ".xml";
//    lists without hits print "<No hit>".
//  - interface: the first report found, directly in Metrics, fixes the
//    format and is then dropped.
//  - requirement, design: the quality limit is inclusive.
TEST(ModuleRankingTest, ReportOfEachKindMatchesItsGoldenFile) {
    struct Case {
        const char* tree;
        TModuleRankingLimits limits;
    };
    const Case cases[] = {
        {"program", {1000, 0.7, 0.5}},     {"database", {100, 0.7, 0.5}}, {"interface", {40, 0.75, 0.45}},
        {"requirement", {250, 0.6, 0.51}}, {"design", {8, 0.4, 0.7}},
    };
    for (const auto& c : cases) {
        const std::string folder = RankingTree(c.tree) + "Metrics/";
        const std::vector<std::string> lines = RankModules(folder, FoundFiles(folder, ".met;"), c.limits);
        EXPECT_EQ(JoinedLines(lines), pemtest::ReadFile(RankingTree(c.tree) + "Module Ranking.txt")) << c.tree;
    }
}

TEST(ModuleRankingTest, LinesAreRecognisedFromTheBottomInLowerCaseKeepingTheirCase) {
    struct Case {
        const char* what;
        std::vector<std::string_view> lines;
        int kind;
        const char* quality;
        const char* complexity;
        const char* size;
    };
    const Case cases[] = {
        {"upper-case report",
         {"A NUMBER OF STATEMENTS = > 10", "B PROGRAM COMPLEXITY = > 0.5", "C PROGRAM QUALITY = > 0.5"}, 2,
         "C PROGRAM QUALITY = ", "B PROGRAM COMPLEXITY = ", "A NUMBER OF STATEMENTS = "},
        {"of two adjacent size lines the upper one gives the key",
         {"Z other", "S2 number of statements (all) > 1", "S1 number of statements > 1", "C program complexity > 1",
          "Q program quality > 1"},
         2, "Q program quality ", "C program complexity ", "S2 number of statements (all) "},
        {"the scan stops at the first line above a size line that is none",
         {"S2 number of statements > 1", "gap", "S1 number of statements > 1", "C program complexity > 1",
          "Q program quality > 1"},
         2, "Q program quality ", "C program complexity ", "S1 number of statements "},
        {"the quality line nearest the end decides; kinds are tried in their order",
         {"S number of data attributes > 1", "C database complexity > 1", "Q program and database quality > 1",
          "trailer"},
         0, "Q program and database quality ", "C database complexity ", "S number of data attributes "},
        {"lines between the quality and the complexity line are passed over",
         {"S number of sentences > 1", "C overall requirement complexity > 1", "note", "Q overall requirement quality > 1"},
         3, "Q overall requirement quality ", "C overall requirement complexity ", "S number of sentences "},
        {"no quality line", {"S number of statements > 1", "C program complexity > 1"}, -1, "", "", ""},
        {"no complexity line: no size key either", {"S number of statements > 1", "Q program quality > 1"}, 2,
         "Q program quality ", "", ""},
        {"a size line of another kind",
         {"S number of statements > 1", "C average design complexity > 1", "Q design quality > 1"}, 4,
         "Q design quality ", "C average design complexity ", ""},
        {"a design complexity must be an average one",
         {"S number of design entities > 1", "C design complexity > 1", "Q design quality > 1"}, 4,
         "Q design quality ", "", ""},
    };
    for (const auto& c : cases) {
        const TMetricsReportFormat f = RecognizeMetricsReport(c.lines);
        EXPECT_EQ(f.Kind, c.kind) << c.what;
        EXPECT_EQ(f.QualityKey, c.quality) << c.what;
        EXPECT_EQ(f.ComplexityKey, c.complexity) << c.what;
        EXPECT_EQ(f.SizeKey, c.size) << c.what;
        EXPECT_EQ(f.Known(), c.kind >= 0 && *c.size) << c.what;
    }
}

TEST(ModuleRankingTest, ValuesAndMeasureNamesOfLines) {
    EXPECT_EQ(MetricsLineValue("K = >   0.734 (good) > x"), "0.734");
    EXPECT_EQ(MetricsLineValue("K = >\t12\tlines"), "12\tlines") << "only a blank ends the value";
    EXPECT_EQ(MetricsLineValue("no mark 5"), "no");
    EXPECT_EQ(MeasureNameOfKey("PGM-0003 Program    QUALITY  = "), "program quality");
    EXPECT_EQ(MeasureNameOfKey(" Lines  of   code"), "lines of code");
    EXPECT_EQ(MeasureNameOfKey("nothing-after-the-code"), "");
}

TEST(ModuleRankingTest, LimitsComeFromTheDialogTexts) {
    const TModuleRankingLimits l = ModuleRankingLimitsFromTexts("0001000", "0.7  ", " 0.55");
    EXPECT_EQ(l.StatementNumber, 1000);
    EXPECT_DOUBLE_EQ(l.Complexity, 0.7);
    EXPECT_DOUBLE_EQ(l.Quality, 0.55);
    EXPECT_THROW(ModuleRankingLimitsFromTexts("       ", "0.7", "0.5"), EConvertError);
    EXPECT_THROW(ModuleRankingLimitsFromTexts("1", "0,7", "0.5"), EConvertError);
}

TEST(ModuleRankingTest, FailuresNameTheFile) {
    pemtest::TempDir dir;
    const std::string folder = dir / "Metrics/";
    const std::string first = folder + "A/first.met";
    const std::string second = folder + "A/second.met";
    const std::string good = "S number of statements > 10\nC program complexity > 0.5\nQ program quality > 0.5\n";

    // The first file found fixes the format; without one nothing is ranked.
    pemtest::WriteFile(first, "a report without measures\n");
    pemtest::WriteFile(second, good);
    try {
        RankModules(folder, {first, second}, {});
        FAIL() << "no error";
    } catch (const ERankingError& e) {
        EXPECT_EQ(std::string(e.what()), "Unknown metrics file format - " + first);
    }

    // A value that is no number ends the ranking, naming its file.
    pemtest::WriteFile(first, good);
    pemtest::WriteFile(second, "S number of statements > 10\nC program complexity > 0,5\nQ program quality > 0.5\n");
    try {
        RankModules(folder, {first, second}, {});
        FAIL() << "no error";
    } catch (const ERankingError& e) {
        EXPECT_EQ(std::string(e.what()), "'0,5' is not a valid floating point value - " + second);
    }
}

TEST(ModuleRankingTest, EveryRankedFileIsReported) {
    const std::string folder = RankingTree("program") + "Metrics/";
    const std::vector<std::string> files = FoundFiles(folder, ".met;");
    int read = 0;
    RankModules(folder, files, {}, [&read] { ++read; });
    EXPECT_EQ(read, static_cast<int>(files.size()) - 1) << "all but the report directly in Metrics";
}
