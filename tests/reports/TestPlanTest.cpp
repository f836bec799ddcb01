// The test plan generator: the filled template against a golden RTF file,
// the figures and their rounding, the placeholders, and the failures that
// copy nothing.
#include "TestPlan.h"

#include "SharedRoutinesCommon.h"

#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

// An output directory with the fixture's listings under the system's name.
struct PlanOutput {
    pemtest::TempDir dir;
    TTestPlanJob job;

    explicit PlanOutput(const std::string& system = "pay roll") {
        const std::string fx = std::string(FIXTURES_DIR) + "/reports/testplan/";
        job = {dir / "out", "abc corp", system, fx + "template.rtf", {" Clerk ", "C:\\pay {x}"}};
        Place("Specs/PAYROLL.use", "Specs/" + system + ".use");
        Place("Metrics/PAYROLL.met", "Metrics/" + system + ".met");
        Place("Cases/PAYROLL.txt", "Cases/" + system + ".txt");
    }
    void Place(const std::string& fixture, const std::string& as) {
        pemtest::WriteFile(job.OutputDir + "/" + as,
                           pemtest::ReadFile(std::string(FIXTURES_DIR) + "/reports/testplan/" + fixture));
    }
    std::string Output() const { return job.OutputDir + "/Specs/Abc CorpPay RollTestPlan.rtf"; }
};

TStringList Metrics(const std::string& text) {
    TStringList l;
    l.SetText(text);
    return l;
}

} // namespace

// The golden file shows: a placeholder twice in a line; the CR LF template
// written with LF; "\cf6" dropped from the part before a mark and its
// trailing blanks stripped; a line with Text3 before Text41 handled by
// Text3 and one with Text42 before Text41 handled by Text41, the other mark
// staying in the text; the use case lines by kind (the nine header lines
// skipped, an empty rest, USECASE, STEP with its first ") " made a tab, a
// name and value, a line without colon left out); requirement lines by
// columns, one shifted out by its backslash; backslashes doubled and braces
// escaped in listing text and objects; the figure names read ignoring case.
TEST(TestPlanTest, FilledTemplateMatchesItsGoldenFile) {
    PlanOutput o;
    EXPECT_EQ(CreateTestPlan(o.job), o.Output());
    EXPECT_EQ(pemtest::ReadFile(o.Output()),
              pemtest::ReadFile(std::string(FIXTURES_DIR) + "/reports/testplan/expected.rtf"));
    EXPECT_FALSE(fs::exists(TempFilePath(kTestPlanTempName)));
}

TEST(TestPlanTest, ListingsAreFoundIgnoringCase) {
    PlanOutput o("PAYROLL");
    o.job.SystemName = "payroll";
    EXPECT_EQ(CreateTestPlan(o.job), o.job.OutputDir + "/Specs/Abc CorpPayrollTestPlan.rtf");
}

TEST(TestPlanTest, FiguresAreRoundedHalfToEven) {
    const std::string actors = "|       Number of System Actors specified        ";
    const std::string cases = "|       Number of Test Cases extracted           ";
    const std::string points = "|       Number of Test Case Points               ";
    struct Case {
        std::string text;
        int actors, testCases, points, days, perActor;
    };
    const Case table[] = {
        {actors + "= > 3 |\n" + points + "= > 20 |\n", 3, 1, 20, 2, 1},  // 2.5 -> 2, 0.67 -> 1
        {points + "= > 12 |\n", 1, 1, 12, 2, 2},                           // 1.5 -> 2
        {points + "= > 28 |\n" + actors + "= > 2\n", 2, 1, 28, 4, 2},      // 3.5 -> 4
        {actors + "= > 4 |\n" + points + "= > 44 |\n", 4, 1, 44, 6, 2},   // 5.5 -> 6, 1.5 -> 2
        {actors + "= > 0 |\n" + cases + "= |\n" + points + "=>|", 1, 1, 1, 0, 0},  // 0 and empty read as 1
        {"", 1, 1, 1, 0, 0},                                                // missing lines too
        {cases + "= 7 | no mark\n", 1, 7, 1, 0, 0},                         // no ">": the whole value
    };
    for (const auto& c : table) {
        const TTestPlanFigures f = TestPlanFigures(Metrics(c.text));
        EXPECT_EQ(f.Actors, c.actors) << c.text;
        EXPECT_EQ(f.TestCases, c.testCases) << c.text;
        EXPECT_EQ(f.TestCasePoints, c.points) << c.text;
        EXPECT_EQ(f.TestDays, c.days) << c.text;
        EXPECT_EQ(f.DaysPerActor, c.perActor) << c.text;
    }
    EXPECT_EQ(TestPlanFigure(Metrics(cases + "= > 17 |\n"), "|       NUMBER of test cases EXTRACTED           "), 17);
    EXPECT_EQ(TestPlanFigure(Metrics(cases + "= > 17 |\n"), "|      Number of Test Cases extracted           "), 0)
        << "blanks count";
    EXPECT_THROW(TestPlanFigure(Metrics(cases + "= > -5 |\n"), cases), EConvertError);
}

TEST(TestPlanTest, PlaceholdersAndEscapes) {
    TTestPlanFigures f;
    f.Actors = 3;
    f.TestCases = 17;
    f.TestCasePoints = 20;
    f.TestDays = 2;
    f.DaysPerActor = 1;
    EXPECT_EQ(FillTestPlanPlaceholders("#Var@SystemName@/#Var@SystemName@ #Var@NoOfTestCases@ #Var@NoOfActors@ "
                                       "#Var@NoOfTestCasePoints@ #Var@NoOfTestDays@ #Var@Res1@ #var@Res1@",
                                       "Caf\xe9", f),
              "CAF\xc9/CAF\xc9 17 3 20 2 1 #var@Res1@");
    EXPECT_EQ(RtfEscapeBackslashes("C:\\a\\\\b"), "C:\\\\a\\\\\\\\b");
    EXPECT_EQ(RtfEscapeBraces("{a} b"), "\\{a\\} b");
    EXPECT_EQ(RtfEscapeBraces("plain"), "plain");
}

TEST(TestPlanTest, MissingListingsAreReportedInOrder) {
    struct Case {
        std::vector<const char*> removed;
        const char* message;
    };
    const Case cases[] = {
        {{"Specs/pay roll.use", "Metrics/pay roll.met"}, "There is no usecase file, run analysis first!"},
        {{"Metrics/pay roll.met", "Cases/pay roll.txt"}, "There is no metrics file, run analysis first!"},
        {{"Cases/pay roll.txt"}, "There is no test case file, run analysis first!"},
    };
    for (const auto& c : cases) {
        PlanOutput o;
        for (const char* r : c.removed) fs::remove(o.job.OutputDir + "/" + r);
        try {
            CreateTestPlan(o.job);
            ADD_FAILURE() << c.message;
        } catch (const ETestPlanError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_FALSE(fs::exists(o.Output()));
    }
}

TEST(TestPlanTest, ReadFailuresEndInAnIOErrorAndCopyNothing) {
    struct Case {
        const char* what;
        std::function<void(PlanOutput&)> spoil;
        std::string message;
    };
    const Case cases[] = {
        {"missing template", [](PlanOutput& o) { o.job.TemplateFile = o.dir / "none.rtf"; },
         "I/O error:Can not open file "},
        {"a figure that is no number",
         [](PlanOutput& o) {
             pemtest::WriteFile(o.job.OutputDir + "/Metrics/pay roll.met",
                                "|       Number of Test Case Points               = > 2x |\n");
         },
         "I/O error:'02x' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        PlanOutput o;
        pemtest::WriteFile(o.Output(), "older plan");
        c.spoil(o);
        try {
            CreateTestPlan(o.job);
            ADD_FAILURE() << c.what;
        } catch (const ETestPlanError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, c.message.size()), c.message) << c.what;
        }
        EXPECT_EQ(pemtest::ReadFile(o.Output()), "older plan") << c.what;
        EXPECT_FALSE(fs::exists(TempFilePath(kTestPlanTempName))) << c.what;
    }
}
