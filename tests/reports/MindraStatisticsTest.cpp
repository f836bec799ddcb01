// Defect, change and project statistics and rankings: records, keys, the
// order, the total, shares, dates, and the ways a report does not come about.
#include "MindraStatistics.h"
#include "MetricTemplates.h"
#include "ReportsTestSupport.h"
#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

using namespace pem;
using namespace pemtest;

namespace {

const char* const kRoles[] = {"Devl", "Test", "Mngr", "User"};
const char* const kDefectKinds[] = {"Fatal", "Major", "Media", "Minor", "Unkno", "Total", "Weigh"};
const char* const kChangeKinds[] = {"Extend", "Adapt", "Perfect", "Convert", "Integr", "Total", "Impact"};

using Counts = std::array<std::string, 7>;

// A scanner report as the conversion keeps it in Original.
std::string ScannerReport(const char* root, const char* group, const char* suffix, const char* const* kinds,
                          const std::string& system, const std::array<Counts, 4>& roles) {
    std::string t = std::string("<") + root + ">\n  <METRIC_FILE Product=\"ABC\" System=\"" + system +
                    "\" Version=\"1.0\" Date=\"070111\" Source=\"Scan\"/>\n"
                    "  <METRIC_ENTITY Entity=\"Product\" EName=\"" + system + "\" EType=\"PR\">\n";
    for (int r = 0; r < 4; ++r) {
        t += std::string("    <") + group + " type=\"" + kRoles[r] + "\">\n";
        for (int k = 0; k < 7; ++k) {
            const std::string name = std::string(kinds[k]) + "_" + kRoles[r] + "_" + suffix;
            t += "      <" + name + ">" + roles[static_cast<size_t>(r)][static_cast<size_t>(k)] + "</" + name + ">\n";
        }
        t += std::string("    </") + group + ">\n";
    }
    return t + "  </METRIC_ENTITY>\n</" + root + ">\n";
}

std::string DefectReport(const std::string& system, const std::array<Counts, 4>& roles) {
    return ScannerReport("QMETRICS", "Defects", "Defects", kDefectKinds, system, roles);
}
std::string ChangeReport(const std::string& system, const std::array<Counts, 4>& roles) {
    return ScannerReport("EMETRICS", "Changes", "Changes", kChangeKinds, system, roles);
}

// A document made from a template: attributes (tag, name, value) and values.
struct Attr {
    const char* tag;
    const char* name;
    std::string value;
};
void WriteFromTemplate(const std::string& path, const char* templateText, const std::vector<Attr>& attrs,
                       const std::map<std::string, std::string>& values) {
    auto doc = TMyXMLNodeList::CreateFromText(templateText);
    for (const Attr& a : attrs) doc->NodeByTag(a.tag)->SetAttribute(a.name, a.value);
    for (const auto& [tag, value] : values) doc->NodeByTag(tag)->Value = value;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    doc->SaveToFile(path);
}

// A component document of the defect ranking with its weighted defects.
void DefectComponent(const ReportOutput& out, const std::string& system, const std::string& component,
                     int weighted, int fatal = 1) {
    WriteFromTemplate(out.Folder(kDocumentKindDefects) + "Components/" + system + "_" + component + ".xml",
                      kTemplateDefiComponentRanking,
                      {{"METRIC_FILE", "System", system}, {"METRIC_FILE", "Component", component}},
                      {{"Fatal_Self_Defects", std::to_string(fatal)}, {"Total_Self_Defects", "3"},
                       {"Weighted_Self_Defects", std::to_string(weighted)}});
}

void ChangeComponent(const ReportOutput& out, const std::string& system, const std::string& component,
                     const std::string& impact) {
    WriteFromTemplate(out.Folder(kDocumentKindChanges) + "Components/" + system + "_" + component + ".xml",
                      kTemplateChngComponentRanking,
                      {{"METRIC_FILE", "System", system}, {"METRIC_FILE", "Component", component}},
                      {{"Extend_Self_Changes", "2"}, {"Impact_Self_Changes", impact}});
}

void ProjectComponent(const ReportOutput& out, const std::string& file, const std::string& name,
                      const std::string& type, const std::map<std::string, std::string>& values,
                      const std::string& unit) {
    WriteFromTemplate(out.Folder(kDocumentKindProjects) + "Components/" + file, kTemplateProjectStatistics,
                      {{"METRIC_FILE", "System", "Acme"}, {"METRIC_ENTITY", "EName", name},
                       {"METRIC_ENTITY", "EType", type}, {"Effort", "Unit", unit}, {"ElapsedTime", "Unit", unit},
                       {"Accumulated_Costs", "Unit", unit}},
                      values);
}

template <class R>
std::vector<std::string> Keys(const TMindraResult<R>& r) {
    std::vector<std::string> keys;
    for (const auto& e : r.Report.Items) keys.push_back(e.Key);
    return keys;
}

template <class R>
std::vector<std::string> Components(const TMindraResult<R>& r) {
    std::vector<std::string> names;
    for (const auto& e : r.Report.Items) names.push_back(e.Record.ComponentName);
    return names;
}

Counts Weighs(int w) { return {"0", "0", "0", "0", "0", "0", std::to_string(w)}; }

} // namespace

TEST(DefectStatistic, SystemsInTextOrderWithSharesOfTheWeightedDefectsAndTheTotalLast) {
    ReportOutput out;
    ProblemRecorder problems;
    TScannerReportSettings settings = out.Settings(kDocumentKindDefects, "");
    settings.SystemVersion = "1.0.2";
    const std::string original = MindraReportFolder(settings, TMindraReportKind::DefectStatistic);
    EXPECT_EQ(original, out.out + "/ErrorReports/ABC/V1.0.2/Original/");
    WriteFile(original + "beta.xml", DefectReport("beta", {Weighs(1), Weighs(1), Weighs(1), Weighs(1)}));
    WriteFile(original + "Alpha.xml",
              DefectReport("Alpha", {Counts{"1", "2", "3", "4", "5", "15", "10"}, Weighs(20), Weighs(0), Weighs(10)}));
    WriteFile(original + "older/gamma.xml", DefectReport("gamma", {Weighs(0), Weighs(2), Weighs(0), Weighs(0)}));
    WriteFile(original + "notes.txt", "not a report");

    const auto r = CollectDefectStatistic(settings, problems);
    ASSERT_EQ(r.Outcome, TMindraOutcome::Ready);
    EXPECT_EQ(Keys(r), (std::vector<std::string>{"Alpha", "beta", "gamma", "ABC"}));
    EXPECT_EQ(r.Report.Title, "Defect_Statistic_Report_ABC_V1_0_2");
    EXPECT_EQ(r.Report.ProductName, "ABC");
    EXPECT_EQ(r.Report.Version, "1.0.2");

    const TErrorEntities& alpha = r.Report.Items[0].Record;
    EXPECT_EQ(alpha.SystemName, "Alpha");
    EXPECT_EQ(alpha.Date, "070111");
    EXPECT_EQ(alpha.Blocks[rbDevelopers].Fatal, 1);
    EXPECT_EQ(alpha.Blocks[rbDevelopers].Unkno, 5);
    EXPECT_EQ(alpha.Blocks[rbSum].Weigh, 40);
    EXPECT_EQ(alpha.Blocks[rbSum].Total, 15);
    const double shares[] = {0.25, 0.5, 0.0, 0.25, 1.0};
    for (int b = 0; b < kRoleBlocks; ++b) EXPECT_DOUBLE_EQ(alpha.Blocks[static_cast<size_t>(b)].Share, shares[b]) << b;

    const TErrorEntities& total = r.Report.Items.back().Record;
    EXPECT_EQ(total.Blocks[rbDevelopers].Weigh, 11);
    EXPECT_EQ(total.Blocks[rbTesters].Weigh, 23);
    EXPECT_EQ(total.Blocks[rbSum].Weigh, 46);
    EXPECT_EQ(total.Blocks[rbSum].Fatal, 1);
    EXPECT_DOUBLE_EQ(total.Blocks[rbTesters].Share, 23.0 / 46.0);
    EXPECT_DOUBLE_EQ(total.Blocks[rbSum].Share, 1.0);
    EXPECT_TRUE(problems.errors.empty());
}

TEST(DefectRanking, ComponentsByWeightedDefectsThenByTheirPaddedNames) {
    ReportOutput out;
    ProblemRecorder problems;
    const std::string longName = "AVeryLongComponentNameOfMoreThan30Chars";
    DefectComponent(out, "S1", "Zero", 0);
    DefectComponent(out, "S1", "Twelve", 12);
    DefectComponent(out, "S2", "Core", 30);
    DefectComponent(out, "S2", "Twelve", 12);
    DefectComponent(out, "S1", "Alphabet", 12);
    DefectComponent(out, "S1", longName, 6);

    const auto r = CollectDefectRanking(out.Settings(kDocumentKindDefects, ""), problems);
    ASSERT_EQ(r.Outcome, TMindraOutcome::Ready);
    // Equal counts in the order of the right-aligned names: shorter first.
    EXPECT_EQ(Components(r), (std::vector<std::string>{"Core", "Twelve", "Twelve", "Alphabet", longName, "Zero",
                                                       "Product Total"}));
    EXPECT_EQ(r.Report.Items[1].Record.SystemName, "S1");
    EXPECT_EQ(r.Report.Items[2].Record.SystemName, "S2");
    const std::string& key = r.Report.Items[4].Key;
    EXPECT_EQ(key.substr(key.size() - 33), longName.substr(0, 30) + "_S1");
    EXPECT_EQ(r.Report.Items[0].Key.substr(r.Report.Items[0].Key.size() - 33),
              std::string(26, ' ') + "Core_S2");
    EXPECT_EQ(r.Report.Systems, "S1, S2");
    EXPECT_EQ(r.Report.Title, "Defect_Ranking_Report_ABC_V1_0");

    const TErrorEntities& total = r.Report.Items.back().Record;
    EXPECT_EQ(total.Blocks[0].Weigh, 72);
    EXPECT_EQ(total.Blocks[0].Fatal, 6);
    EXPECT_DOUBLE_EQ(total.Blocks[0].Share, 1.0);
    EXPECT_DOUBLE_EQ(r.Report.Items[0].Record.Blocks[0].Share, 30.0 / 72.0);
    EXPECT_DOUBLE_EQ(r.Report.Items[5].Record.Blocks[0].Share, 0.0);
}

TEST(ChangeRanking, LargestImpactFirstComparedToThreeDecimals) {
    ReportOutput out;
    ProblemRecorder problems;
    ChangeComponent(out, "S1", "Quarter", "0.25");
    ChangeComponent(out, "S1", "Half", "0.5");
    ChangeComponent(out, "S1", "None", "0.0");
    ChangeComponent(out, "S2", "Tiny", "0.0004");
    ChangeComponent(out, "S2", "Huge", "3.0");
    ChangeComponent(out, "S2", "Large", "1.5");

    const auto r = CollectChangeRanking(out.Settings(kDocumentKindChanges, ""), problems);
    ASSERT_EQ(r.Outcome, TMindraOutcome::Ready);
    // Impacts above 1 lead, the largest first; 0.0004 ties with 0 at three
    // decimals and goes by its name.
    EXPECT_EQ(Components(r), (std::vector<std::string>{"Huge", "Large", "Half", "Quarter", "None", "Tiny",
                                                       "Product Total"}));
    EXPECT_EQ(r.Report.Items[3].Key, "0.750=" + std::string(23, ' ') + "Quarter_S1");
    EXPECT_EQ(r.Report.Items[0].Key.substr(0, 7), "-2.000=");
    EXPECT_EQ(r.Report.Title, "Change_Ranking_Report_ABC_V1_0");
    const TChangeEntities& total = r.Report.Items.back().Record;
    EXPECT_DOUBLE_EQ(total.Blocks[0].Impact, 5.2504);
    EXPECT_EQ(total.Blocks[0].Extend, 12);
    EXPECT_DOUBLE_EQ(r.Report.Items[3].Record.Blocks[0].Share, 0.25 / 5.2504);
    EXPECT_EQ(total.ComponentName, "Product Total");
}

TEST(ChangeStatistic, RoleSharesOfTheImpact) {
    ReportOutput out;
    ProblemRecorder problems;
    const std::string original = out.Folder(kDocumentKindChanges) + "Original/";
    WriteFile(original + "Orders.xml",
              ChangeReport("Orders", {Counts{"1", "0", "0", "0", "2", "3", "0.1"}, Counts{"0", "0", "0", "0", "0", "0", "0.3"},
                                      Counts{"0", "0", "0", "0", "0", "0", "0"}, Counts{"4", "0", "0", "0", "0", "4", "0.6"}}));
    const auto r = CollectChangeStatistic(out.Settings(kDocumentKindChanges, ""), problems);
    ASSERT_EQ(r.Outcome, TMindraOutcome::Ready);
    EXPECT_EQ(Keys(r), (std::vector<std::string>{"Orders", "ABC"}));
    EXPECT_EQ(r.Report.Title, "Change_Statistic_Report_ABC_V1_0");
    const TChangeEntities& orders = r.Report.Items[0].Record;
    EXPECT_EQ(orders.Blocks[rbSum].Extend, 5);
    EXPECT_EQ(orders.Blocks[rbSum].Integr, 2);
    EXPECT_DOUBLE_EQ(orders.Blocks[rbSum].Impact, 1.0);
    EXPECT_DOUBLE_EQ(orders.Blocks[rbTesters].Share, 0.3);
    EXPECT_DOUBLE_EQ(orders.Blocks[rbUsers].Share, 0.6);
    EXPECT_DOUBLE_EQ(orders.Blocks[rbSum].Share, 1.0);
    EXPECT_DOUBLE_EQ(r.Report.Items[1].Record.Blocks[rbUsers].Share, 0.6);
}

TEST(MindraShares, ASumOfZeroGivesSharesOfZero) {
    ReportOutput out;
    ProblemRecorder problems;
    WriteFile(out.Folder(kDocumentKindDefects) + "Original/Quiet.xml",
              DefectReport("Quiet", {Weighs(0), Weighs(0), Weighs(0), Weighs(0)}));
    const auto stat = CollectDefectStatistic(out.Settings(kDocumentKindDefects, ""), problems);
    ASSERT_EQ(stat.Outcome, TMindraOutcome::Ready);
    for (const auto& e : stat.Report.Items) {
        for (int b = rbDevelopers; b <= rbUsers; ++b) EXPECT_EQ(e.Record.Blocks[static_cast<size_t>(b)].Share, 0.0);
        EXPECT_EQ(e.Record.Blocks[rbSum].Share, 1.0);
    }

    DefectComponent(out, "Quiet", "A", 0);
    DefectComponent(out, "Quiet", "B", 0);
    const auto rank = CollectDefectRanking(out.Settings(kDocumentKindDefects, ""), problems);
    ASSERT_EQ(rank.Outcome, TMindraOutcome::Ready);
    EXPECT_EQ(rank.Report.Items[0].Record.Blocks[0].Share, 0.0);
    EXPECT_EQ(rank.Report.Items[1].Record.Blocks[0].Share, 0.0);

    ChangeComponent(out, "Quiet", "A", "0.0");
    const auto changes = CollectChangeRanking(out.Settings(kDocumentKindChanges, ""), problems);
    ASSERT_EQ(changes.Outcome, TMindraOutcome::Ready);
    EXPECT_EQ(changes.Report.Items[0].Record.Blocks[0].Share, 0.0);
    EXPECT_TRUE(problems.errors.empty());
}

TEST(ProjectStatistic, ComponentsByNameAndTypeWithTotalsInTheLastUnits) {
    ReportOutput out;
    ProblemRecorder problems;
    // Read in file-name order: the units of b.xml are the last read.
    ProjectComponent(out, "a.xml", "Portal", "WEB",
                     {{"StartDate", "01/03/2010"}, {"EndDate", "31/12/2010"}, {"HeadCount", "5"}, {"Effort", "21"},
                      {"ElapsedTime", "7"}, {"Accumulated_Costs", "120000"}},
                     "Months");
    ProjectComponent(out, "b.xml", "Billing", "BAT",
                     {{"StartDate", "15/06/2010"}, {"EndDate", "15/12/2010"}, {"HeadCount", "3"}, {"Effort", "90"},
                      {"ElapsedTime", "180"}, {"Accumulated_Costs", "45000"}},
                     "Days");
    const auto r = CollectProjectStatistic(out.Settings(kDocumentKindProjects, ""), problems);
    ASSERT_EQ(r.Outcome, TMindraOutcome::Ready);
    // Right-aligned names: the shorter one first.
    EXPECT_EQ(Keys(r), (std::vector<std::string>{std::string(24, ' ') + "Portal_WEB",
                                                 std::string(23, ' ') + "Billing_BAT",
                                                 std::string(27, ' ') + "ABC_ABC"}));
    EXPECT_EQ(r.Report.Title, "Projects_Statistic_Report_ABC_V1_0");
    const TProjectEntities& portal = r.Report.Items[0].Record;
    EXPECT_EQ(portal.ComponentType, "WEB");
    EXPECT_EQ(portal.SystemName, "Acme");
    EXPECT_EQ(portal.StartDate, 40238);
    EXPECT_EQ(portal.EndDate, 40543);
    EXPECT_EQ(portal.EffortUnit, "Months");
    const TProjectEntities& total = r.Report.Items.back().Record;
    EXPECT_EQ(total.ComponentName, "Product Total");
    EXPECT_EQ(total.ComponentType, "");
    EXPECT_EQ(total.HeadCount, 8);
    EXPECT_EQ(total.Effort, 111);
    EXPECT_EQ(total.ElapsedTime, 187);
    EXPECT_EQ(total.AccumulatedCosts, 165000);
    EXPECT_EQ(total.EffortUnit, "Days");
    EXPECT_EQ(total.ElapsedTimeUnit, "Days");
    EXPECT_EQ(total.CostsUnit, "Days");
    EXPECT_EQ(MindraReportInfo(TMindraReportKind::ProjectStatistic).Printer, TReportPrinterChoice::HardCopyPrinter);
}

TEST(MindraFailures, ABadDocumentEndsInTheDialogAndNoReport) {
    struct Case {
        const char* what;
        std::function<int(ReportOutput&, TReportProblems&)> run;  // number of items
        const char* message;
    };
    const Case cases[] = {
        {"a bad date",
         [](ReportOutput& out, TReportProblems& p) {
             ProjectComponent(out, "a.xml", "Portal", "WEB", {{"StartDate", "2010-03-01"}}, "Months");
             return static_cast<int>(CollectProjectStatistic(out.Settings(9, ""), p).Report.Items.size());
         },
         "'2010-03-01' is not a valid date"},
        {"a missing element",
         [](ReportOutput& out, TReportProblems& p) {
             WriteFile(out.Folder(7) + "Original/a.xml", "<QMETRICS><METRIC_FILE System=\"a\"/></QMETRICS>");
             return static_cast<int>(CollectDefectStatistic(out.Settings(7, ""), p).Report.Items.size());
         },
         "Tag \"Fatal_Devl_Defects\" doesn't exist"},
        {"a counter that is no number",
         [](ReportOutput& out, TReportProblems& p) {
             ChangeComponent(out, "S1", "A", "0.5");
             WriteFromTemplate(out.Folder(8) + "Components/S1_B.xml", kTemplateChngComponentRanking, {},
                               {{"Adapt_Self_Changes", "x1"}});
             return static_cast<int>(CollectChangeRanking(out.Settings(8, ""), p).Report.Items.size());
         },
         "'x1' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        ReportOutput out;
        ScopedDialogs dialogs;
        TDialogReportProblems problems;
        EXPECT_EQ(c.run(out, problems), 0) << c.what;
        ASSERT_EQ(dialogs->calls.size(), 1u) << c.what;
        EXPECT_EQ(dialogs->calls[0].text, std::string("XML processing error:\r\n") + c.message);
        EXPECT_EQ(dialogs->calls[0].type, TMsgDlgType::mtError);
        EXPECT_EQ(dialogs->calls[0].buttons, unsigned(mbOK));
    }
}

TEST(MindraFailures, NoDocumentsGiveTheReportsStatusBarError) {
    struct Case {
        TMindraReportKind kind;
        const char* message;
    };
    const Case cases[] = {
        {TMindraReportKind::DefectStatistic, "No error report files found in output directory"},
        {TMindraReportKind::DefectRanking, "No error report files found in output directory"},
        {TMindraReportKind::ChangeStatistic, "No change request files found in output directory"},
        {TMindraReportKind::ChangeRanking, "No change request files found in output directory"},
        {TMindraReportKind::ProjectStatistic, "No project report files found in output directory"},
    };
    ReportOutput out;
    ProblemRecorder problems;
    // A folder holding no ".xml" file counts as none.
    WriteFile(out.Folder(kDocumentKindDefects) + "Original/Sales.txt", "text only");
    const TScannerReportSettings s = out.Settings(0, "");
    for (const Case& c : cases) {
        TMindraOutcome outcome{};
        std::string message;
        auto take = [&](const auto& r) {
            outcome = r.Outcome;
            message = r.NoFilesMessage;
        };
        switch (c.kind) {
        case TMindraReportKind::DefectStatistic: take(CollectDefectStatistic(s, problems)); break;
        case TMindraReportKind::DefectRanking: take(CollectDefectRanking(s, problems)); break;
        case TMindraReportKind::ChangeStatistic: take(CollectChangeStatistic(s, problems)); break;
        case TMindraReportKind::ChangeRanking: take(CollectChangeRanking(s, problems)); break;
        case TMindraReportKind::ProjectStatistic: take(CollectProjectStatistic(s, problems)); break;
        }
        EXPECT_EQ(outcome, TMindraOutcome::NoFiles) << c.message;
        EXPECT_EQ(message, c.message);
    }
    EXPECT_TRUE(problems.errors.empty());
}

TEST(ParseReportDate, DayMonthYearWithSlashes) {
    struct Case {
        const char* text;
        double serial;  // days since 1899-12-30; -1: not a date
    };
    for (const Case& c : {Case{"31/12/2010", 40543}, Case{"1/3/2010", 40238}, Case{" 01/03/2010 ", 40238},
                          Case{"30/12/1899", 0}, Case{"29/02/2000", 36585}, Case{"29/02/2011", -1},
                          Case{"31/13/2010", -1}, Case{"00/12/2010", -1}, Case{"2010-12-31", -1},
                          Case{"12/31/2010", -1}, Case{"31/12/10", -1}, Case{"31/12/2010x", -1},
                          Case{"31.12.2010", -1}, Case{"", -1},
                          Case{"44444444444444444444/12/2010", -1}, Case{"31/12/201000000000", -1}}) {
        if (c.serial >= 0) {
            EXPECT_EQ(ParseReportDate(c.text), c.serial) << c.text;
            continue;
        }
        try {
            ParseReportDate(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(c.text) + "' is not a valid date");
        }
    }
}

TEST(MindraStatistics, ConvertedReportsFeedTheStatisticsAndRankings) {
    ReportOutput out;
    ProblemRecorder problems;
    out.PlaceReport("Sales", ReportFixture("defects_Sales.xml"));
    ConvertReportAfterRun({out.Settings(kDocumentKindDefects, "Sales"), BuiltInReportTemplates(), &problems});
    out.PlaceReport("Acme", ReportFixture("projects_Acme.xml"));
    ConvertReportAfterRun({out.Settings(kDocumentKindProjects, "Acme"), BuiltInReportTemplates(), &problems});
    ASSERT_TRUE(problems.errors.empty());

    const auto stat = CollectDefectStatistic(out.Settings(kDocumentKindDefects, ""), problems);
    ASSERT_EQ(stat.Outcome, TMindraOutcome::Ready);
    EXPECT_EQ(Keys(stat), (std::vector<std::string>{"Sales", "ABC"}));
    EXPECT_EQ(stat.Report.Items[0].Record.Blocks[rbSum].Weigh, 123);
    EXPECT_DOUBLE_EQ(stat.Report.Items[0].Record.Blocks[rbUsers].Share, 64.0 / 123.0);

    const auto rank = CollectDefectRanking(out.Settings(kDocumentKindDefects, ""), problems);
    ASSERT_EQ(rank.Outcome, TMindraOutcome::Ready);
    EXPECT_EQ(Components(rank), (std::vector<std::string>{"Billing", "../x", "Product Total"}));
    EXPECT_EQ(rank.Report.Items.back().Record.Blocks[0].Weigh, 27);

    const auto projects = CollectProjectStatistic(out.Settings(kDocumentKindProjects, ""), problems);
    ASSERT_EQ(projects.Outcome, TMindraOutcome::Ready);
    EXPECT_EQ(Components(projects), (std::vector<std::string>{"Portal", "Billing", "Product Total"}));
    EXPECT_EQ(projects.Report.Items.back().Record.HeadCount, 8);
    EXPECT_TRUE(problems.errors.empty());
}
