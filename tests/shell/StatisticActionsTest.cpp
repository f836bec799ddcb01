// The statistics and rankings of the document scanners as the user reaches
// them: a document kind selected, the statistic or ranking action
// triggered, the report previewed (and printed from the preview) on the
// printer its report uses; and the ways a report does not come about.
#include "MainFormHarness.h"
#include "FindDirectoryFrame.h"
#include "MetricTemplates.h"
#include "ReportConversion.h"
#include "ReportForms.h"
#include "ReportPreview.h"
#include "ReportPrinter.h"

#include <QApplication>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const char* const kDefectStatHeader = "M i n d r a   D e f e c t   S t a t i s t i c   R e p o r t ";
const char* const kDefectRankHeader = "M i n d r a   D e f e c t  R a n k i n g   R e p o r t ";
const char* const kChangeStatHeader = "M i n d r a   C h a n g e   S t a t i s t i c   R e p o r t ";
const char* const kChangeRankHeader = "M i n d r a   C h a n g e  R a n k i n g   R e p o r t ";
const char* const kProjectStatHeader = "M i n d r a   P r o j e c t  S t a t i s t i c   R e p o r t ";

class StatisticActionsTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/../../demo");
        AddTimeSheets();
        hardCopy = std::make_unique<TQRfrm_HardCopy>();
        defectStat = std::make_unique<TQRfrm_MindraDefectStat>();
        defectRank = std::make_unique<TQRfrm_MindraDefectRank>();
        changeStat = std::make_unique<TQRfrm_MindraChangeStat>();
        changeRank = std::make_unique<TQRfrm_MindraChangeRank>();
        projectStat = std::make_unique<TQRfrm_MindraProjectStat>();
        Start("Mindra");
        fs::create_directories(out);
        // The job is not saved when a language switch asks.
        dialogs->defaultMessageAnswer = mrNo;
        // The printers: the program's current one, the one chosen for the
        // hard copy, and the change statistic's own.
        SetCurrentPrinterName("Office");
        hardCopy->PrinterSettings.PrinterName = "Laser";
        changeStat->PrinterSettings.PrinterName = "Plotter";
        SetReportPrintHook([this](const TReportDocument& d, const std::string& printer) {
            printed.push_back({d.title, printer});
        });
        dialogs->modalHook = [this](QDialog* d) {
            auto* preview = dynamic_cast<TReportPreview*>(d);
            ASSERT_NE(preview, nullptr);
            busyDuringPreview = Screen().Busy();
            previewed.push_back(preview->Document());
            preview->PrintPages();
        };
    }
    void TearDown() override {
        SetReportPrintHook(nullptr);
        SetCurrentPrinterName("");
        MainFormTest::TearDown();
    }

    // The demo installation with a third document kind, time sheets.
    void AddTimeSheets() {
        const std::string ini = install / "_Pemaris_Family.Src/Mindra.INI";
        std::string text = pemtest::ReadFile(ini);
        const std::string after = "CHNG.Filters=Change requests (*.txt;*.pdf)|*.txt;*.pdf\n";
        const size_t at = text.find(after);
        ASSERT_NE(at, std::string::npos);
        text.insert(at + after.size(), "RadioButtonMindraTIME=Time sheets,TIME,,1,V1\n"
                                       "TIME.Extras=(DirDepth=1,Rules=N,MaxValues=N,Functab=N,ScanProg=TIMEScan)\n");
        pemtest::WriteFile(ini, text);
        const std::string tools = install / "Tools/Measure/Mindra/";
        fs::create_directories(tools + "TIMEScan");
        for (const auto& [from, to] : {std::pair<const char*, const char*>{"CHNGScan.exe", "TIMEScan.exe"},
                                       {"Metrics.CHNG", "Metrics.TIME"},
                                       {"Specs.CHNG", "Specs.TIME"}})
            fs::copy_file(tools + "CHNGScan/" + from, tools + "TIMEScan/" + to);
    }

    // Selects a document kind as the user does.
    void Select(const std::string& name) {
        auto* button = form->Find<TRadioButton>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        if (!button->Checked()) button->click();
        QApplication::processEvents();
        ASSERT_TRUE(button->Checked()) << name;
        // A language selection starts a new job: its names and output
        // directory are given again.
        form->FrameFindDirectoryOutputDir->Edit->SetText(out);
        form->ValidateProductName("ABC");
        form->ValidateVersion("1.0");
        dialogs->calls.clear();
    }

    // A scanner's report of that kind converted as after a run.
    void Convert(const std::string& button, const std::string& system, const char* fixture) {
        Select(button);
        pemtest::WriteFile(out + "/" + system + ".xml",
                           pemtest::ReadFile(std::string(FIXTURES_DIR) + "/reports/" + fixture));
        pemtest::WriteFile(out + "/" + system + ".txt", "scan\n");
        TScannerReportSettings s = form->ScannerReportSettings();
        s.SystemName = system;
        TDialogReportProblems problems;
        ConvertReportAfterRun({s, BuiltInReportTemplates(), &problems});
        ASSERT_TRUE(dialogs->Messages().empty()) << dialogs->Messages().front();
    }
    void ConvertAll() {
        Convert("RadioButtonMindraDEFI", "Sales", "defects_Sales.xml");
        Convert("RadioButtonMindraCHNG", "Orders", "changes_Orders.xml");
        Convert("RadioButtonMindraTIME", "Acme", "projects_Acme.xml");
    }

    // The first document below a report folder.
    std::string DocumentIn(const std::string& area, const std::string& sub) {
        const std::string folder = out + "/" + area + "/ABC/V1.0/" + sub;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (e.path().extension() == ".xml") return e.path().string();
        return {};
    }

    void Trigger(const char* action) {
        TAction* a = form->Act(action);
        ASSERT_TRUE(a->Visible()) << action;
        ASSERT_TRUE(a->Enabled()) << action;
        a->trigger();
        QApplication::processEvents();
    }

    static bool Shows(const TReportDocument& doc, const std::string& text) {
        for (const auto& page : doc.pages)
            for (const auto& t : page.texts)
                if (t.text == text) return true;
        return false;
    }

    const std::string out = install / "out";
    std::unique_ptr<TQRfrm_HardCopy> hardCopy;
    std::unique_ptr<TQRfrm_MindraDefectStat> defectStat;
    std::unique_ptr<TQRfrm_MindraDefectRank> defectRank;
    std::unique_ptr<TQRfrm_MindraChangeStat> changeStat;
    std::unique_ptr<TQRfrm_MindraChangeRank> changeRank;
    std::unique_ptr<TQRfrm_MindraProjectStat> projectStat;
    std::vector<TReportDocument> previewed;
    std::vector<std::pair<std::string, std::string>> printed;  // title, printer
    bool busyDuringPreview = true;
};

TEST_F(StatisticActionsTest, EachKindPreviewsItsReportOnItsPrinter) {
    ConvertAll();
    struct Case {
        const char* button;
        const char* action;
        const char* title;
        const char* header;
        const char* printer;
        std::vector<const char*> shown;  // besides the header's values
        const TQRReportForm* form;
    } cases[] = {
        {"RadioButtonMindraDEFI", "ActSpecStatistic", "Defect_Statistic_Report_ABC_V1_0", kDefectStatHeader,
         "Office", {"Sales", "Product total:", "123"}, defectStat.get()},
        {"RadioButtonMindraDEFI", "ActSpecRanking", "Defect_Ranking_Report_ABC_V1_0", kDefectRankHeader, "Office",
         {"Sales", "Billing", "../x", "Product Total", "27"}, defectRank.get()},
        {"RadioButtonMindraCHNG", "ActSpecStatistic", "Change_Statistic_Report_ABC_V1_0", kChangeStatHeader,
         "Plotter", {"Orders", "Product total:"}, changeStat.get()},
        {"RadioButtonMindraCHNG", "ActSpecRanking", "Change_Ranking_Report_ABC_V1_0", kChangeRankHeader, "Office",
         {"Orders", "Shipping", "Product Total", "0.250"}, changeRank.get()},
        {"RadioButtonMindraTIME", "ActSpecStatistic", "Projects_Statistic_Report_ABC_V1_0", kProjectStatHeader,
         "Laser", {"Portal", "Billing", "Product Total", "USD"}, projectStat.get()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.action);
        Select(c.button);
        previewed.clear();
        printed.clear();
        busyDuringPreview = true;
        Trigger(c.action);
        ASSERT_EQ(previewed.size(), 1u);
        const TReportDocument& doc = previewed[0];
        EXPECT_EQ(doc.title, c.title);
        for (const std::string text : {std::string(c.header), std::string("ABC"), std::string("1.0")})
            EXPECT_TRUE(Shows(doc, text)) << text;
        for (const char* text : c.shown) EXPECT_TRUE(Shows(doc, text)) << text;
        EXPECT_EQ(printed, (std::vector<std::pair<std::string, std::string>>{{c.title, c.printer}}));
        // The cursor is back for the preview and after it; the records are
        // gone with the preview.
        EXPECT_FALSE(busyDuringPreview);
        EXPECT_FALSE(Screen().Busy());
        EXPECT_EQ(c.form->ReportTitle, c.title);
        EXPECT_TRUE(dialogs->Messages().empty());
    }
    EXPECT_TRUE(defectStat->Items.empty() && defectRank->Items.empty() && changeStat->Items.empty() &&
                changeRank->Items.empty() && projectStat->Items.empty());
    // Time sheets have no ranking.
    EXPECT_FALSE(form->Act("ActSpecRanking")->Visible());
}

TEST_F(StatisticActionsTest, ABadDocumentEndsInTheDialogAndNothingIsPreviewed) {
    ConvertAll();
    struct Case {
        const char* button;
        const char* action;
        const char* area;
        const char* sub;
        const char* pattern;  // replaced in the document
        const char* with;
        const char* message;
    } cases[] = {
        {"RadioButtonMindraDEFI", "ActSpecStatistic", "ErrorReports", "Original",
         "<Weigh_User_Defects>64</Weigh_User_Defects>", "", "Tag \"Weigh_User_Defects\" doesn't exist"},
        {"RadioButtonMindraCHNG", "ActSpecRanking", "ChangeReports", "Components",
         "<Adapt_Self_Changes>[0-9]+</Adapt_Self_Changes>", "<Adapt_Self_Changes>x1</Adapt_Self_Changes>",
         "'x1' is not a valid integer value"},
        {"RadioButtonMindraTIME", "ActSpecStatistic", "ProjectReports", "Components",
         "<StartDate>[^<]*</StartDate>", "<StartDate>31/02/2010</StartDate>", "'31/02/2010' is not a valid date"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const std::string file = DocumentIn(c.area, c.sub);
        ASSERT_FALSE(file.empty());
        const std::string before = pemtest::ReadFile(file);
        const std::string broken = std::regex_replace(before, std::regex(c.pattern), c.with);
        ASSERT_NE(broken, before);
        pemtest::WriteFile(file, broken);
        Select(c.button);
        dialogs->calls.clear();
        previewed.clear();
        Trigger(c.action);
        EXPECT_TRUE(previewed.empty());
        EXPECT_TRUE(printed.empty());
        ASSERT_EQ(dialogs->calls.size(), 1u);
        EXPECT_EQ(dialogs->calls[0].text, std::string("XML processing error:\r\n") + c.message);
        EXPECT_EQ(dialogs->calls[0].type, TMsgDlgType::mtError);
        EXPECT_FALSE(Screen().Busy());
    }
}

// A system without weighted defects has no share to divide: its shares are
// 0, and the report shows.
TEST_F(StatisticActionsTest, ASystemWithoutWeightedDefectsShowsSharesOfZero) {
    Convert("RadioButtonMindraDEFI", "Sales", "defects_Sales.xml");
    const std::string file = DocumentIn("ErrorReports", "Original");
    pemtest::WriteFile(file, std::regex_replace(pemtest::ReadFile(file),
                                                std::regex("<Weigh_(Devl|Test|Mngr|User)_Defects>[0-9]+<"),
                                                "<Weigh_$1_Defects>0<"));
    Trigger("ActSpecStatistic");
    ASSERT_EQ(previewed.size(), 1u);
    EXPECT_TRUE(dialogs->Messages().empty());
    int zeroShares = 0;
    for (const auto& t : previewed[0].pages[0].texts) zeroShares += t.text == "0.00";
    EXPECT_EQ(zeroShares, 8);  // four roles of the system and of the total
}

TEST_F(StatisticActionsTest, NoDocumentsEndInTheStatusBarError) {
    struct Case {
        const char* button;
        const char* action;
        const char* message;
    } cases[] = {
        {"RadioButtonMindraDEFI", "ActSpecStatistic", "No error report files found in output directory"},
        {"RadioButtonMindraDEFI", "ActSpecRanking", "No error report files found in output directory"},
        {"RadioButtonMindraCHNG", "ActSpecStatistic", "No change request files found in output directory"},
        {"RadioButtonMindraCHNG", "ActSpecRanking", "No change request files found in output directory"},
        {"RadioButtonMindraTIME", "ActSpecStatistic", "No project report files found in output directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.action);
        Select(c.button);
        recorder.records.clear();
        dialogs->calls.clear();
        Trigger(c.action);
        EXPECT_TRUE(recorder.Has(pem::TStatusRecord::Error, c.message));
        EXPECT_TRUE(previewed.empty());
        EXPECT_TRUE(dialogs->calls.empty());
        EXPECT_FALSE(Screen().Busy());
    }
}

} // namespace
