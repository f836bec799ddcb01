// Conversion of the document scanners' reports into metric documents: the
// run road, the editor road, failures, and the counter sums of the editor.
#include "FileFaults.h"
#include "ReportConversion.h"
#include "ReportsTestSupport.h"
#include "ScannerReportEntry.h"
#include "QtTestSupport.h"

#include <gtest/gtest.h>
#include <map>

using namespace pem;
using namespace pemtest;

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The text without its first two lines.
std::string WithoutTwoLines(const std::string& text) {
    size_t at = text.find('\n');
    at = text.find('\n', at + 1);
    return text.substr(at + 1);
}

struct Expected {
    const char* tag;
    const char* value;
};

void ExpectValues(TMyXMLNodeList& doc, std::initializer_list<Expected> values) {
    for (const Expected& e : values) EXPECT_EQ(ValueOf(doc, e.tag), e.value) << e.tag;
}

class ConversionTest : public ::testing::Test {
protected:
    ReportOutput output;
    ProblemRecorder problems;

    void AfterRun(int kind, const std::string& system) {
        ConvertReportAfterRun({output.Settings(kind, system), BuiltInReportTemplates(), &problems});
    }
};

// An editor tab on a file, holding the document it read.
struct FakeEditor : IReportEditor {
    std::string file;
    std::unique_ptr<TMyXMLNodeList> doc;
    explicit FakeEditor(std::string f) : file(std::move(f)), doc(LoadDocument(file)) {}
    std::string ReportFileName() const override { return file; }
    TMyXMLNodeList& ReportDocument() override { return *doc; }
};

} // namespace

TEST_F(ConversionTest, DefectReportAfterRunKeepsTheReportAndWritesExportAndComponents) {
    const std::string report = ReportFixture("defects_Sales.xml");
    output.PlaceReport("Sales", report, "Problem report scan\r\n");
    AfterRun(kDocumentKindDefects, "Sales");
    EXPECT_TRUE(problems.errors.empty());
    EXPECT_TRUE(problems.warnings.empty());

    const std::string folder = output.Folder(kDocumentKindDefects);
    EXPECT_EQ(folder, output.out + "/ErrorReports/ABC/V1.0/");
    EXPECT_FALSE(Exists(output.out + "/Sales.xml"));
    EXPECT_FALSE(Exists(output.out + "/Sales.txt"));
    // The report less its first two lines, its line ends kept; the text beside it.
    EXPECT_EQ(ReadFile(folder + "Original/Sales.xml"), WithoutTwoLines(report));
    EXPECT_EQ(ReadFile(folder + "Sales.txt"), "Problem report scan\r\n");

    auto exp = LoadDocument(folder + "Exports/Sales.xml");
    EXPECT_EQ(exp->DocTypeHeader, "<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->\r\n");
    EXPECT_EQ(exp->NodeName(0), "QMETRICS");
    EXPECT_EQ(exp->NodeAttributes(exp->NodeByTag("METRIC_FILE")->Index),
              " Product=\"ABC\" System=\"Sales\" Version=\"1.0\" Date=\"070111\" Source=\"Mindra\"");
    EXPECT_EQ(AttributeOf(*exp, "METRIC_ENTITY", "Entity"), "Product");
    EXPECT_EQ(AttributeOf(*exp, "METRIC_ENTITY", "EName"), "Sales");
    // Developers, testers and managers summed (Fatal 1 + 2 + 3); users copied.
    ExpectValues(*exp, {{"Fatal_Self_Defects", "6"}, {"Major_Self_Defects", "1"}, {"Media_Self_Defects", "2"},
                        {"Minor_Self_Defects", "3"}, {"Unknown_Self_Defects", "1"}, {"Total_Self_Defects", "13"},
                        {"Weighted_Self_Defects", "59"}, {"Fatal_User_Defects", "5"}, {"Major_User_Defects", "4"},
                        {"Unknown_User_Defects", "1"}, {"Total_User_Defects", "15"},
                        {"Weighted_User_Defects", "64"}, {"Completness", "0.75"}, {"Conformity", "0.5"},
                        {"Quality", "0.9"}, {"Impact", "0.125"}});

    // The group with an empty comp is skipped; "../x" stays inside Components.
    EXPECT_EQ(FilesIn(folder + "Components"), (std::vector<std::string>{"Sales_Billing.xml", "Sales___x.xml"}));
    auto billing = LoadDocument(folder + "Components/Sales_Billing.xml");
    EXPECT_EQ(AttributeOf(*billing, "METRIC_FILE", "Component"), "Billing");
    EXPECT_EQ(AttributeOf(*billing, "METRIC_FILE", "System"), "Sales");
    EXPECT_EQ(AttributeOf(*billing, "METRIC_ENTITY", "Entity"), "Component");
    EXPECT_EQ(AttributeOf(*billing, "METRIC_ENTITY", "EName"), "Billing");
    EXPECT_EQ(AttributeOf(*billing, "METRIC_ENTITY", "EType"), "PR");
    ExpectValues(*billing, {{"Fatal_Self_Defects", "1"}, {"Major_Self_Defects", "2"}, {"Media_Self_Defects", "3"},
                            {"Minor_Self_Defects", "4"}, {"Unknown_Self_Defects", "5"},
                            {"Total_Self_Defects", "15"}, {"Weighted_Self_Defects", "26"}});
    EXPECT_FALSE(billing->HasTag("Quality_Metrics"));
    auto odd = LoadDocument(folder + "Components/Sales___x.xml");
    EXPECT_EQ(AttributeOf(*odd, "METRIC_FILE", "Component"), "../x");
    EXPECT_EQ(AttributeOf(*odd, "METRIC_ENTITY", "EName"), "../x");
}

TEST_F(ConversionTest, ChangeReportAfterRunSumsImpactAsARealAndLeavesConformity) {
    output.PlaceReport("Orders", ReportFixture("changes_Orders.xml"));
    AfterRun(kDocumentKindChanges, "Orders");
    EXPECT_TRUE(problems.errors.empty());

    const std::string folder = output.Folder(kDocumentKindChanges);
    EXPECT_EQ(folder, output.out + "/ChangeReports/ABC/V1.0/");
    auto exp = LoadDocument(folder + "Exports/Orders.xml");
    EXPECT_EQ(exp->NodeName(0), "EMETRICS");
    EXPECT_EQ(AttributeOf(*exp, "METRIC_FILE", "Source"), "Wolmira");
    ExpectValues(*exp, {{"Extend_Self_Changes", "3"}, {"Adapt_Self_Changes", "1"}, {"Perfect_Self_Changes", "1"},
                        {"Convert_Self_Changes", "3"}, {"Integr_Self_Changes", "1"}, {"Total_Self_Changes", "9"},
                        {"Impact_Self_Changes", "0.35"}, {"Extend_User_Changes", "4"},
                        {"Total_User_Changes", "4"}, {"Impact_User_Changes", "0.375"},
                        {"Completeness", "0.8"}, {"Quality", "0.6"}, {"Impact", "0.4"}, {"Conformity", "0.0"}});

    EXPECT_EQ(FilesIn(folder + "Components"), std::vector<std::string>{"Orders_Shipping.xml"});
    auto shipping = LoadDocument(folder + "Components/Orders_Shipping.xml");
    // The change template has no Component: it is appended after Source.
    EXPECT_EQ(shipping->NodeAttributes(shipping->NodeByTag("METRIC_FILE")->Index),
              " Product=\"ABC\" System=\"Orders\" Version=\"1.0\" Date=\"070111\" Source=\"Wolmira\""
              " Component=\"Shipping\"");
    ExpectValues(*shipping, {{"Extend_Self_Changes", "1"}, {"Adapt_Self_Changes", "2"},
                             {"Perfect_Self_Changes", "3"}, {"Total_Self_Changes", "6"},
                             {"Impact_Self_Changes", "0.25"}});
}

TEST_F(ConversionTest, ProjectReportAfterRunRenamesOnlyInTheConvertedDocuments) {
    output.PlaceReport("Acme", ReportFixture("projects_Acme.xml"));
    AfterRun(kDocumentKindProjects, "Acme");
    EXPECT_TRUE(problems.errors.empty());

    const std::string folder = output.Folder(kDocumentKindProjects);
    const std::string original = ReadFile(folder + "Original/Acme.xml");
    EXPECT_EQ(original, WithoutTwoLines(ReportFixture("projects_Acme.xml")));
    EXPECT_NE(original.find("<Time Unit"), std::string::npos);

    auto exp = LoadDocument(folder + "Exports/Acme.xml");
    EXPECT_EQ(AttributeOf(*exp, "METRIC_FILE", "System"), "Acme");
    EXPECT_FALSE(exp->HasTag("Time"));
    EXPECT_FALSE(exp->HasTag("Costs"));
    EXPECT_EQ(ValueOf(*exp, "ElapsedTime"), "12");
    EXPECT_EQ(ValueOf(*exp, "Accumulated_Costs"), "500000");

    // None for the first entity, none for an entity without a name.
    EXPECT_EQ(FilesIn(folder + "Components"),
              (std::vector<std::string>{"Acme_Billing_BAT.xml", "Acme_Portal_WEB.xml"}));
    auto portal = LoadDocument(folder + "Components/Acme_Portal_WEB.xml");
    EXPECT_EQ(portal->NodeName(0), "PMETRICS");
    EXPECT_EQ(AttributeOf(*portal, "METRIC_FILE", "System"), "Acme");
    EXPECT_EQ(AttributeOf(*portal, "METRIC_FILE", "Component"), "Portal");
    EXPECT_EQ(AttributeOf(*portal, "METRIC_ENTITY", "Entity"), "Project");
    EXPECT_EQ(AttributeOf(*portal, "METRIC_ENTITY", "EType"), "WEB");
    ExpectValues(*portal, {{"StartDate", "01/03/2010"}, {"EndDate", "30/09/2010"}, {"HeadCount", "5"},
                           {"Effort", "21"}, {"ElapsedTime", "7"}, {"Accumulated_Costs", "120000"}});
    auto billing = LoadDocument(folder + "Components/Acme_Billing_BAT.xml");
    EXPECT_EQ(AttributeOf(*billing, "Effort", "Unit"), "Days");
    EXPECT_EQ(AttributeOf(*billing, "ElapsedTime", "Unit"), "Days");
    EXPECT_EQ(AttributeOf(*billing, "Accumulated_Costs", "Unit"), "USD");
    EXPECT_EQ(ValueOf(*billing, "Accumulated_Costs"), "45000");
}

TEST_F(ConversionTest, NothingIsConvertedWithoutAReportOrOutsideTheDocumentScanners) {
    struct Case {
        const char* what;
        bool placeReport;
        int productKind;
        int documentKind;
    };
    for (const Case& c : {Case{"no report", false, 8, 7}, Case{"other product", true, 7, 7},
                          Case{"other document kind", true, 8, 5}}) {
        ReportOutput out;
        ProblemRecorder recorder;
        if (c.placeReport) out.PlaceReport("Sales", ReportFixture("defects_Sales.xml"));
        TScannerReportSettings s = out.Settings(c.documentKind, "Sales");
        s.ProductKind = c.productKind;
        ConvertReportAfterRun({s, BuiltInReportTemplates(), &recorder});
        EXPECT_FALSE(Exists(out.out + "/ErrorReports")) << c.what;
        EXPECT_EQ(Exists(out.out + "/Sales.xml"), c.placeReport) << c.what;
        EXPECT_TRUE(recorder.errors.empty() && recorder.warnings.empty()) << c.what;
    }
}

TEST_F(ConversionTest, AReportWithoutItsTextIsConvertedWithAWarning) {
    output.PlaceReport("Sales", ReportFixture("defects_Sales.xml"), "");
    AfterRun(kDocumentKindDefects, "Sales");
    ASSERT_EQ(problems.warnings.size(), 1u);
    EXPECT_EQ(problems.warnings[0], "Report text file " + output.out + "/Sales.txt doesn't exist");
    EXPECT_TRUE(Exists(output.Folder(kDocumentKindDefects) + "Exports/Sales.xml"));
    EXPECT_TRUE(Exists(output.Folder(kDocumentKindDefects) + "Components/Sales_Billing.xml"));
}

TEST_F(ConversionTest, FailuresBeforeTheDocumentWorkArriveAsWarnings) {
    struct Case {
        const char* what;
        std::string report;
        bool blockOriginal;  // a file where the folder Original is to be
        const char* message;
    };
    const std::string report = ReportFixture("defects_Sales.xml");
    const Case cases[] = {
        {"the report cannot be moved", report, true, "Can not create file "},
        {"the report does not parse", Replaced(report, "</Defects>", "</Defect>"), false,
         "No matching tag found for </Defect>!"},
    };
    for (const Case& c : cases) {
        ReportOutput out;
        ProblemRecorder recorder;
        out.PlaceReport("Sales", c.report);
        if (c.blockOriginal) WriteFile(out.Folder(kDocumentKindDefects) + "Original", "");
        ConvertReportAfterRun({out.Settings(kDocumentKindDefects, "Sales"), BuiltInReportTemplates(), &recorder});
        EXPECT_TRUE(recorder.errors.empty()) << c.what;
        ASSERT_EQ(recorder.warnings.size(), 1u) << c.what;
        EXPECT_EQ(recorder.warnings[0].rfind("Report conversion failed: ", 0), 0u) << recorder.warnings[0];
        EXPECT_NE(recorder.warnings[0].find(c.message), std::string::npos) << recorder.warnings[0];
        EXPECT_TRUE(FilesIn(out.Folder(kDocumentKindDefects) + "Exports").empty()) << c.what;
    }
}

TEST_F(ConversionTest, BadDocumentsEndInTheDialogAndKeepWhatWasWritten) {
    // A first run converted the report; the second brings a bad one.
    struct Case {
        const char* what;
        std::string report;
        const char* message;
        std::vector<std::string> rewritten;  // documents the second run wrote
    };
    const std::string report = ReportFixture("defects_Sales.xml");
    const Case cases[] = {
        {"a counter that is no number",
         Replaced(report, "<Fatal_Devl_Defects>1</Fatal_Devl_Defects>", "<Fatal_Devl_Defects>x1</Fatal_Devl_Defects>"),
         "'x1' is not a valid integer value", {}},
        {"a component without a counter", Replaced(report, "<Weigh_Comp_Defects>1</Weigh_Comp_Defects>", ""),
         "Tag \"Weigh_Comp_Defects\" doesn't exist", {"Exports/Sales.xml", "Components/Sales_Billing.xml"}},
    };
    for (const Case& c : cases) {
        ReportOutput out;
        const std::string folder = out.Folder(kDocumentKindDefects);
        out.PlaceReport("Sales", report);
        ConvertScannerReportAfterRun(out.Settings(kDocumentKindDefects, "Sales"), {});
        const std::vector<std::string> written = {"Exports/Sales.xml", "Components/Sales_Billing.xml",
                                                  "Components/Sales___x.xml"};
        for (const auto& f : written) WriteFile(folder + f, "first run");

        ScopedDialogs dialogs;
        std::vector<std::string> warnings;
        out.PlaceReport("Sales", c.report);
        ConvertScannerReportAfterRun(out.Settings(kDocumentKindDefects, "Sales"),
                                     [&](const std::string& w) { warnings.push_back(w); });
        ASSERT_EQ(dialogs->calls.size(), 1u) << c.what;
        EXPECT_EQ(dialogs->calls[0].text, std::string("XML processing error:\r\n") + c.message);
        EXPECT_EQ(dialogs->calls[0].type, TMsgDlgType::mtError);
        EXPECT_EQ(dialogs->calls[0].buttons, unsigned(mbOK));
        EXPECT_TRUE(warnings.empty()) << c.what;
        for (const auto& f : written) {
            const bool rewritten = std::find(c.rewritten.begin(), c.rewritten.end(), f) != c.rewritten.end();
            EXPECT_EQ(ReadFile(folder + f) != "first run", rewritten) << c.what << ": " << f;
        }
    }
}

// A disk that fills up during a conversion, on the run road and on the
// editor road: every document it was to replace stays whole (the report
// kept in Original as the run moved it there, the export and component
// documents of the first conversion), and the failure is reported.
TEST_F(ConversionTest, AFullDiskLeavesEveryReplacedDocumentWhole) {
    const std::string folder = output.Folder(kDocumentKindDefects);
    const std::string report = ReportFixture("defects_Sales.xml");
    output.PlaceReport("Sales", report);
    AfterRun(kDocumentKindDefects, "Sales");
    ASSERT_TRUE(problems.errors.empty());
    std::map<std::string, std::string> first;
    for (const std::string sub : {"Exports", "Components"})
        for (const std::string& f : FilesIn(folder + sub)) first[sub + "/" + f] = ReadFile(folder + sub + "/" + f);
    ASSERT_EQ(first.size(), 3u);
    auto unchanged = [&] {
        for (const auto& [f, text] : first) EXPECT_EQ(ReadFile(folder + f), text) << f;
        for (const std::string sub : {"Original", "Exports", "Components"})
            for (const std::string& f : FilesIn(folder + sub)) EXPECT_EQ(f.find(".tmp-"), std::string::npos) << f;
    };

    // The run road: the new report reaches Original by a rename, and its
    // rewrite without the first two lines cannot be made.
    const std::string second = Replaced(report, "<Fatal_Devl_Defects>1<", "<Fatal_Devl_Defects>5<");
    output.PlaceReport("Sales", second);
    {
        pemtest::FileSizeLimit disk(200);
        try {
            AfterRun(kDocumentKindDefects, "Sales");
        } catch (const std::exception&) {
        }
    }
    EXPECT_EQ(ReadFile(folder + "Original/Sales.xml"), second);
    unchanged();

    // The editor road: the export cannot be written; the dialog says so.
    FakeEditor editor(folder + "Original/Sales.xml");
    {
        pemtest::FileSizeLimit disk(200);
        ConvertCurrentReport({output.Settings(kDocumentKindDefects, "Sales"), BuiltInReportTemplates(), &problems},
                             &editor);
    }
    ASSERT_EQ(problems.errors.size(), 1u);
    EXPECT_EQ(problems.errors[0], "Can not write file " + folder + "Exports/Sales.xml");
    unchanged();
}

TEST_F(ConversionTest, ASavedEditorConvertsOnlyAReportOfTheOriginalFolder) {
    // A report of Original under a name other than the system's, and the
    // same report outside the folder.
    const std::string folder = output.Folder(kDocumentKindDefects);
    const std::string report = WithoutTwoLines(ReportFixture("defects_Sales.xml"));
    WriteFile(folder + "Original/Renamed.xml", report);
    WriteFile(output.out + "/Elsewhere.xml", report);

    const TReportConversion conv{output.Settings(kDocumentKindDefects, "Sales"), BuiltInReportTemplates(), &problems};
    FakeEditor outside(output.out + "/Elsewhere.xml");
    ConvertCurrentReport(conv, &outside);
    ConvertCurrentReport(conv, nullptr);
    EXPECT_TRUE(FilesIn(folder + "Exports").empty());
    EXPECT_TRUE(FilesIn(folder + "Components").empty());

    FakeEditor inside(folder + "Original/Renamed.xml");
    ConvertCurrentReport(conv, &inside);
    EXPECT_TRUE(problems.errors.empty());
    // Named by the file, not by the system.
    EXPECT_EQ(FilesIn(folder + "Exports"), std::vector<std::string>{"Renamed.xml"});
    EXPECT_EQ(FilesIn(folder + "Components"),
              (std::vector<std::string>{"Renamed_Billing.xml", "Renamed___x.xml"}));
    auto exp = LoadDocument(folder + "Exports/Renamed.xml");
    EXPECT_EQ(ValueOf(*exp, "Fatal_Self_Defects"), "6");

    TScannerReportSettings other = conv.Settings;
    other.ProductKind = 7;
    std::filesystem::remove_all(folder + "Exports");
    ConvertCurrentReport({other, conv.Templates, &problems}, &inside);
    EXPECT_FALSE(Exists(folder + "Exports"));
}

TEST_F(ConversionTest, AProjectReportSavedInTheEditorConvertsLikeTheRunAndStaysAsTheUserHasIt) {
    output.PlaceReport("Acme", ReportFixture("projects_Acme.xml"));
    AfterRun(kDocumentKindProjects, "Acme");
    const std::string folder = output.Folder(kDocumentKindProjects);
    std::vector<std::pair<std::string, std::string>> byRun;
    for (const char* f : {"Exports/Acme.xml", "Components/Acme_Portal_WEB.xml", "Components/Acme_Billing_BAT.xml"})
        byRun.emplace_back(f, ReadFile(folder + f));
    std::filesystem::remove_all(folder + "Exports");
    std::filesystem::remove_all(folder + "Components");

    FakeEditor editor(folder + "Original/Acme.xml");
    const std::string asOpened = editor.doc->AsText();
    ConvertCurrentReport({output.Settings(kDocumentKindProjects, "Acme"), BuiltInReportTemplates(), &problems},
                         &editor);
    EXPECT_TRUE(problems.errors.empty());
    for (const auto& [file, text] : byRun) EXPECT_EQ(ReadFile(folder + file), text) << file;
    EXPECT_EQ(editor.doc->AsText(), asOpened);
    EXPECT_EQ(AttributeOf(*editor.doc, "METRIC_FILE", "Organisation"), "Acme");
    EXPECT_TRUE(editor.doc->HasTag("Time"));
}

// ------------------------------------------------------------ counter sums

TEST(CounterSums, DefectTotalsFollowTheEditedCounters) {
    // Major_Devl_Defects 0 -> 2 in a scanner report: Total + 2, Weigh + 8.
    auto doc = TMyXMLNodeList::CreateFromText(WithoutTwoLines(ReportFixture("defects_Sales.xml")));
    doc->NodeByTag("Major_Devl_Defects")->Value = "2";
    SumDefectCounters(*doc);
    EXPECT_EQ(ValueOf(*doc, "Total_Devl_Defects"), "6");
    EXPECT_EQ(ValueOf(*doc, "Weigh_Devl_Defects"), "21");
    // Every group is recomputed, the unknown count enters the total only.
    EXPECT_EQ(ValueOf(*doc, "Total_Test_Defects"), "4");
    EXPECT_EQ(ValueOf(*doc, "Weigh_Test_Defects"), "20");
    doc->First();
    ASSERT_TRUE(doc->Locate("Defects", {"comp", "Billing"}));
    const int billing = doc->CursorIndex;
    EXPECT_EQ(doc->NodeByTagFrom("Total_Comp_Defects", billing + 1)->Value, "15");
    EXPECT_EQ(doc->NodeByTagFrom("Weigh_Comp_Defects", billing + 1)->Value, "26");
}

TEST(CounterSums, ExportDocumentsUseTheirSpelledOutNames) {
    ReportOutput output;
    ProblemRecorder problems;
    output.PlaceReport("Sales", ReportFixture("defects_Sales.xml"));
    ConvertReportAfterRun({output.Settings(kDocumentKindDefects, "Sales"), BuiltInReportTemplates(), &problems});
    auto exp = LoadDocument(output.Folder(kDocumentKindDefects) + "Exports/Sales.xml");
    exp->NodeByTag("Unknown_Self_Defects")->Value = "4";
    exp->NodeByTag("Minor_User_Defects")->Value = "0";
    SumDefectCounters(*exp);
    EXPECT_EQ(ValueOf(*exp, "Total_Self_Defects"), "16");
    EXPECT_EQ(ValueOf(*exp, "Weighted_Self_Defects"), "59");
    EXPECT_EQ(ValueOf(*exp, "Total_User_Defects"), "13");
    EXPECT_EQ(ValueOf(*exp, "Weighted_User_Defects"), "62");
}

TEST(CounterSums, ChangeTotalsLeaveTheImpactAlone) {
    auto doc = TMyXMLNodeList::CreateFromText(WithoutTwoLines(ReportFixture("changes_Orders.xml")));
    doc->NodeByTag("Integr_Devl_Changes")->Value = "5";
    SumChangeCounters(*doc);
    EXPECT_EQ(ValueOf(*doc, "Total_Devl_Changes"), "7");
    EXPECT_EQ(ValueOf(*doc, "Impact_Devl_Changes"), "0.1");
    EXPECT_EQ(CounterSumsFor(kDocumentKindChanges), &SumChangeCounters);
    EXPECT_EQ(CounterSumsFor(kDocumentKindProjects), nullptr);
}

TEST(CounterSums, AnEmptyTotalElementIsWrittenWithItsSum) {
    const std::string report = Replaced(WithoutTwoLines(ReportFixture("defects_Sales.xml")),
                                        "<Total_Devl_Defects>4</Total_Devl_Defects>", "<Total_Devl_Defects/>");
    auto doc = TMyXMLNodeList::CreateFromText(report);
    SumDefectCounters(*doc);
    auto reread = TMyXMLNodeList::CreateFromText(doc->AsText());
    EXPECT_EQ(ValueOf(*reread, "Total_Devl_Defects"), "4");
}

TEST(CounterSums, AMissingCounterRaisesAndADocumentWithoutGroupsIsLeftAlone) {
    auto doc = TMyXMLNodeList::CreateFromText(
        Replaced(WithoutTwoLines(ReportFixture("defects_Sales.xml")), "<Media_Test_Defects>0</Media_Test_Defects>", ""));
    try {
        SumDefectCounters(*doc);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Tag \"Media_Test_Defects\" doesn't exist");
    }
    auto project = TMyXMLNodeList::CreateFromText(WithoutTwoLines(ReportFixture("projects_Acme.xml")));
    const std::string before = project->AsText();
    SumDefectCounters(*project);
    EXPECT_EQ(project->AsText(), before);
}

TEST(ReportFileNames, NamesFromReportTextStayInsideTheirFolder) {
    struct Case {
        const char* name;
        const char* safe;
    };
    for (const Case& c : {Case{"Billing", "Billing"}, Case{"../x", "__x"}, Case{"a/b\\c", "a_b_c"},
                          Case{"tab\there", "tab_here"}, Case{"v1.2", "v1.2"}, Case{"...", "_."}})
        EXPECT_EQ(SafeFileNamePart(c.name), c.safe) << c.name;
}

TEST(ReportFixUps, ProjectRenamesTouchWholeElementNamesOnly) {
    struct Case {
        const char* line;
        const char* fixed;
    };
    for (const Case& c : {
             Case{R"(<METRIC_FILE Product="P" Organisation ="O" Version="1"/>)",
                  R"(<METRIC_FILE Product="P" System ="O" Version="1"/>)"},
             Case{R"(<METRIC_FILE Product="P" Organisation="O"/>)", R"(<METRIC_FILE Product="P" System="O"/>)"},
             Case{R"(<Time Unit="Months">7</Time>)", R"(<ElapsedTime Unit="Months">7</ElapsedTime>)"},
             Case{R"(<Time>7</Time><Costs>9</Costs>)", R"(<ElapsedTime>7</ElapsedTime><Accumulated_Costs>9</Accumulated_Costs>)"},
             Case{R"(<Costs Unit="Euro">1</Costs><Costs Unit="Euro">2</Costs>)",
                  R"(<Accumulated_Costs Unit="Euro">1</Accumulated_Costs><Accumulated_Costs Unit="Euro">2</Accumulated_Costs>)"},
             Case{R"(<TimeZone>UTC</TimeZone><Costs_Total>1</Costs_Total>)",
                  R"(<TimeZone>UTC</TimeZone><Costs_Total>1</Costs_Total>)"},
         })
        EXPECT_EQ(ProjectReportFixUps(c.line), c.fixed) << c.line;
}
