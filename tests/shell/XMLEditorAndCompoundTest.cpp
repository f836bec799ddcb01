// The XML editor tabs and the compound metrics window as the main window
// serves them: the editor opened by its action on a scanner report, its
// sums recomputed as a counter changes, its save converting the report
// again, the reuse and reload of its tab; the compound window shown by its
// action, its check marks and the job, its progress and its printing.
#include "CompoundMetrics.h"
#include "MainFormHarness.h"
#include "FindDirectoryFrame.h"
#include "HandlerGuard.h"
#include "ReportPrinter.h"
#include "ResultTabs.h"
#include "XMLEditFrame.h"
#include "XMLViewer.h"

#include <QApplication>
#include <QKeyEvent>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

void Press(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
}

class XMLEditorAndCompoundTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
    }
    void TearDown() override {
        SetReportPrintHook(nullptr);
        metrics.reset();
        viewer.reset();
        MainFormTest::TearDown();
    }
    void StartAs(const std::string& product) {
        Start(product);
        viewer = std::make_unique<TfrmXMLViewer>();
        metrics = std::make_unique<TfrmCompoundMetrics>();
        metrics->DoCreate();
        dialogs->Reset();
        out = install / "out";
        fs::create_directories(out);
        form->FrameFindDirectoryOutputDir->Edit->SetText(out);
    }
    void Trigger(const char* action) {
        form->Act(action)->trigger();
        QApplication::processEvents();
    }
    int Tabs() const { return form->PageControlEditor->PageCount(); }
    TFrameXMLEdit* Editor() const { return dynamic_cast<TFrameXMLEdit*>(form->ResultTabs->ActiveFrame()); }
    // The edit of the first row of the node with that tag name.
    TEdit* Field(const std::string& tag) const {
        TFrameXMLEdit* f = Editor();
        for (size_t r = 0; r < f->Rows().Rows.size(); ++r)
            if ((*f->Document)[f->Rows().Rows[r].Node]->TagName == tag && f->Rows().Rows[r].Kind != TXMLEditKind::None)
                return f->RowEdit(r);
        return nullptr;
    }
    static void Touch(const std::string& file, int secondsLater) {
        struct stat st {};
        ::stat(file.c_str(), &st);
        utimbuf t{st.st_atime, st.st_mtime + secondsLater};
        ::utime(file.c_str(), &t);
    }

    std::string out;
    std::unique_ptr<TfrmXMLViewer> viewer;
    std::unique_ptr<TfrmCompoundMetrics> metrics;
};

TEST_F(XMLEditorAndCompoundTest, EditingAReportKeepsItsSumsAndSavingConvertsIt) {
    StartAs("Mindra");
    form->DocumentKind = 7;
    form->ProductName = "ABC";
    form->SystemName = "Sales";
    form->SystemVersion = "1.0";
    const std::string folder = out + "/ErrorReports/ABC/V1.0/";
    const std::string report = folder + "Original/Sales.xml";
    pemtest::WriteFile(report, pemtest::ReadFile(FIXTURES_DIR "/reports/defects_Sales.xml"));

    dialogs->AnswerFiles({report});
    Trigger("ActXMLEditor");
    EXPECT_EQ(form->OpenDialogWork->Options.initialDir, folder);
    EXPECT_EQ(form->OpenDialogWork->Options.title, "Open a file");
    EXPECT_EQ(DialogFilterString(form->OpenDialogWork->Options.filters), "XML files(*.xml)|*.xml");
    ASSERT_EQ(Tabs(), 1);
    EXPECT_EQ(form->PageControlEditor->ActivePage()->Caption(), "ErrorReports/ABC/V1.0/Original/Sales.xml");
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->Name(), "tsv0FrameXMLEdit");
    EXPECT_FALSE(recorder.HasText("File " + report + " doesn't belong to the current project/version"));

    // Major from 0 to 2: the total grows by 2, the weighted count by 8.
    TEdit* major = Field("Major_Devl_Defects");
    ASSERT_NE(major, nullptr);
    Press(major, Qt::Key_Backspace);
    Press(major, Qt::Key_2, "2");
    Press(major, Qt::Key_Return);
    EXPECT_EQ(Field("Total_Devl_Defects")->Text(), "6");
    EXPECT_EQ(Field("Weigh_Devl_Defects")->Text(), "21");

    Editor()->BitBtnSave->click();
    auto saved = TMyXMLNodeList::CreateFromFile(report);
    saved->First();
    EXPECT_EQ(saved->NodeByTag("Weigh_Devl_Defects")->Value, "21");
    auto exported = TMyXMLNodeList::CreateFromFile(folder + "Exports/Sales.xml");
    exported->First();
    EXPECT_EQ(exported->NodeByTag("Major_Self_Defects")->Value, "3"); // 2 + 1 + 0
    // The page holds what the file now holds: opening it again asks nothing.
    form->OpenXMLEditorTab(report);
    EXPECT_EQ(Tabs(), 1);
    EXPECT_TRUE(dialogs->Messages().empty());
}

// The report the user opened through a link is the user's document: the
// save writes the link's target and the link stays. The documents its
// conversion writes are the output directory's own: links in their places
// are replaced, and the files they pointed to stay as they were.
TEST_F(XMLEditorAndCompoundTest, SavingAReportKeepsItsLinkAndReplacesLinksInTheConversionsPlaces) {
    StartAs("Mindra");
    form->DocumentKind = 7;
    form->ProductName = "ABC";
    form->SystemName = "Sales";
    form->SystemVersion = "1.0";
    const std::string folder = out + "/ErrorReports/ABC/V1.0/";
    const std::string users = install / "shared/Sales.xml", report = folder + "Original/Sales.xml";
    pemtest::WriteFile(users, pemtest::ReadFile(FIXTURES_DIR "/reports/defects_Sales.xml"));
    fs::create_directories(folder + "Original");
    fs::create_symlink(users, report);
    const std::string elsewhere = install / "elsewhere/";
    const char* const converted[] = {"Exports/Sales.xml", "Components/Sales_Billing.xml"};
    for (const char* d : converted) {
        pemtest::WriteFile(elsewhere + d, "the user's own file\n");
        fs::create_directories(fs::path(folder + d).parent_path());
        fs::create_symlink(elsewhere + d, folder + d);
    }

    form->OpenXMLEditorTab(report);
    ASSERT_NE(Editor(), nullptr);
    TEdit* major = Field("Major_Devl_Defects");
    ASSERT_NE(major, nullptr);
    Press(major, Qt::Key_Backspace);
    Press(major, Qt::Key_2, "2");
    Press(major, Qt::Key_Return);
    Editor()->BitBtnSave->click();
    EXPECT_TRUE(dialogs->Messages().empty()) << dialogs->Messages().front();

    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(report)));
    auto saved = TMyXMLNodeList::CreateFromFile(users);
    saved->First();
    EXPECT_EQ(saved->NodeByTag("Weigh_Devl_Defects")->Value, "21");
    for (const char* d : converted) {
        EXPECT_EQ(pemtest::ReadFile(elsewhere + d), "the user's own file\n") << d;
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(folder + d))) << d;
    }
    auto exported = TMyXMLNodeList::CreateFromFile(folder + "Exports/Sales.xml");
    exported->First();
    EXPECT_EQ(exported->NodeByTag("Major_Self_Defects")->Value, "3");
}

TEST_F(XMLEditorAndCompoundTest, AnOpenReportIsReusedOrReloadedAndOtherFilesAreWarnedOrRefused) {
    StartAs("Mindra");
    form->DocumentKind = 8;
    form->ProductName = "ABC";
    form->SystemVersion = "2";
    const std::string report = out + "/ChangeReports/ABC/V2/Original/Orders.xml";
    pemtest::WriteFile(report, pemtest::ReadFile(FIXTURES_DIR "/reports/changes_Orders.xml"));
    form->OpenXMLEditorTab(report);
    ASSERT_EQ(Tabs(), 1);

    // With a tab open the dialog starts beside its file.
    dialogs->AnswerFiles({report});
    Trigger("ActXMLEditor");
    EXPECT_EQ(form->OpenDialogWork->Options.initialDir, out + "/ChangeReports/ABC/V2/Original/");
    EXPECT_EQ(form->OpenDialogWork->Options.fileName, "Orders.xml");
    EXPECT_EQ(Tabs(), 1); // the same date: kept, nothing asked
    EXPECT_TRUE(dialogs->Messages().empty());
    Trigger("ActXMLEditor"); // no answer: cancelled
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "File search cancelled"));

    Touch(report, 5);
    dialogs->AnswerMessage(mrNo);
    form->OpenXMLEditorTab(report);
    EXPECT_EQ(dialogs->Messages().back(), "The file " + report + "'s date/time changed. Reload?");
    EXPECT_EQ(form->PageControlEditor->ActivePage()->Name(), "tsv0");
    dialogs->AnswerMessage(mrYes);
    form->OpenXMLEditorTab(report);
    QApplication::processEvents();
    ASSERT_EQ(Tabs(), 1);
    EXPECT_EQ(form->PageControlEditor->ActivePage()->Name(), "tsv1");

    const std::string elsewhere = out + "/elsewhere.xml";
    pemtest::WriteFile(elsewhere, "<a><b>1</b></a>");
    form->OpenXMLEditorTab(elsewhere);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning,
                             "File " + elsewhere + " doesn't belong to the current project/version"));
    EXPECT_EQ(Tabs(), 2);

    pemtest::WriteFile(out + "/bad.xml", "<a><b></a>");
    RunGuarded([&] { form->OpenXMLEditorTab(out + "/bad.xml"); });
    QApplication::processEvents();
    EXPECT_EQ(Tabs(), 2);
    EXPECT_FALSE(dialogs->Messages().empty());
    RunGuarded([&] { form->OpenXMLEditorTab(out + "/gone.xml"); });
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "File " + out + "/gone.xml doesn't exist"));

    // The editor's own close button closes its tab through the window.
    Editor()->BitBtnCancel->click();
    QApplication::processEvents();
    EXPECT_EQ(Tabs(), 1);
    EXPECT_FALSE(form->isHidden());
}

TEST_F(XMLEditorAndCompoundTest, CompoundWindowMarksTheJobOnlyWhileItsListIsKeptWithIt) {
    StartAs("Korvex");
    // The action checks the job's names first.
    form->EditProductName->SetText("Demo");
    form->EditSystemName->SetText("PAY");
    form->EditSystemVersion->SetText("1.0");
    form->SystemVersion = "1.0";
    for (int i = 0; i < 11; ++i)
        pemtest::WriteFile(out + "/Tavrel/S" + std::to_string(i) + "/t.xml",
                           pemtest::ReadFile(FIXTURES_DIR "/reports/compound/test1.xml"));
    Trigger("ActCompoundMetrics");
    ASSERT_FALSE(metrics->isHidden());
    ASSERT_EQ(metrics->CBImportFiles->Count(), 11);

    // The extra actions hidden: a tick asks nothing and leaves the job as it is.
    form->SetModified(true);
    metrics->CBImportFiles->item(0)->setCheckState(Qt::Unchecked);
    QApplication::processEvents();
    EXPECT_TRUE(dialogs->Messages().empty());
    EXPECT_TRUE(form->Modified);
    form->Modified = false;

    // Shown, the list is saved with the job: a tick marks it changed.
    form->ActShowAdvanced->setVisible(true);
    Trigger("ActShowAdvanced");
    ASSERT_TRUE(metrics->ActSaveFileList->Visible());
    metrics->CBImportFiles->item(0)->setCheckState(Qt::Checked);
    QApplication::processEvents();
    EXPECT_TRUE(form->Modified);

    // Eleven files: the progress group is shown while they are read.
    metrics->Today = [] { return std::string("2011-01-07"); };
    metrics->ActShowSummary->trigger();
    EXPECT_EQ(form->GroupBoxSlider->Caption(), "Coputing compund metrics from XML data");
    EXPECT_EQ(form->ProgressBarModules->Max(), 11);
    EXPECT_EQ(form->ProgressBarModules->Position(), 11);
    EXPECT_FALSE(form->GroupBoxSlider->Visible());
    EXPECT_NE(pemtest::ReadFile(out + "/Demo_Compound_Metrics.xml").find("ENumOfSummed=\"11\""), std::string::npos);

    // Printing follows the window's preview choice.
    std::vector<std::string> printed;
    SetReportPrintHook([&](const TReportDocument& d, const std::string&) { printed.push_back(d.title); });
    form->Act("ActPreviewBeforePrinting")->SetChecked(false);
    metrics->ActPrintResult->trigger();
    EXPECT_EQ(printed, std::vector<std::string>{"Demo_PAY_Comprehensive_Report"});
}

} // namespace
