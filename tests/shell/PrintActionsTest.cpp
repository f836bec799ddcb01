// Printing on the main window through its actions, with the report layer's
// print hook standing for the printer: the active tab of each kind, no tab,
// a file (and the cancelled dialog), the printer chosen by name, the preview
// switch with its relabelling and its place in the job, the preview's own
// saving, and a PDF written where no printer is installed.
#include "DefiFrame.h"
#include "MainFormHarness.h"
#include "PF_HardCopy.h"
#include "ReportPainter.h"
#include "ReportPreview.h"
#include "ReportPrinter.h"
#include "ResultTabs.h"
#include "SimpleViewerFrame.h"
#include "SpecsFrame.h"
#include "UserGestures.h"

#include <QAction>
#include <QApplication>
#include <QPrintPreviewWidget>
#include <QTreeWidgetItem>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

class PrintActionsTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        out = StartWithOutputDir();
        fs::copy(FIXTURES_DIR "/cases", out, fs::copy_options::recursive);
        SetPrinterNamesProvider([] { return std::vector<std::string>{"Office", "Laser"}; });
        SetReportPrintHook([this](const TReportDocument& d, const std::string& printer) {
            printed.push_back(d);
            printers.push_back(printer);
        });
    }
    void TearDown() override {
        SetReportPrintHook(nullptr);
        SetPrinterNamesProvider(nullptr);
        SetCurrentPrinterName("");
        MainFormTest::TearDown();
    }
    void Trigger(const char* action) {
        form->Act(action)->trigger();
        QApplication::processEvents();
    }
    std::string Caption(const char* action) const { return form->Act(action)->Caption(); }

    std::string out;
    std::vector<TReportDocument> printed;
    std::vector<std::string> printers;
};

TEST_F(PrintActionsTest, TheActiveTabPrintsByItsKind) {
    // No tab: nothing.
    Trigger("ActPrintCurrent");
    EXPECT_TRUE(printed.empty());
    // A metrics report in the simple viewer goes through the hard copy, in
    // the viewer font.
    form->FontDialog1->Font = {"DejaVu Sans Mono", 1, 9, -12};
    form->OpenInSimpleViewer(out + "/Metrics/PAY.met");
    Trigger("ActPrintCurrent");
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].title, "PAY.met");
    EXPECT_EQ(HardCopyForm().ReportTitle, "PAY.met");
    EXPECT_EQ(HardCopyForm().Font.name, "DejaVu Sans Mono");
    EXPECT_EQ(HardCopyForm().Items.Count(), 5);
    ASSERT_FALSE(printed[0].pages.empty());
    EXPECT_EQ(printed[0].pages[0].texts.at(0).font.name, "DejaVu Sans Mono");
    EXPECT_EQ(ReportPageRows(printed[0], 0).at(3),
              "|       Number of Test Cases extracted           =======>        6     |");
    // The simple viewer's print button carries the same action.
    static_cast<TFrameSimpleViewer*>(form->ResultTabs->ActiveFrame())->BitBtnPrint->click();
    EXPECT_EQ(printed.size(), 2u);
    // A test case tab prints the listing as shown, even with preview on.
    form->OpenTestCaseReport(out + "/Cases/PAY.txt");
    Trigger("ActPreviewBeforePrinting");
    int previews = 0;
    dialogs->modalHook = [&](QDialog*) { ++previews; };
    Trigger("ActPrintCurrent");
    EXPECT_EQ(previews, 0);
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[2].title, "PAY.txt");
    EXPECT_EQ(ReportPageRows(printed[2], 0).at(3).substr(0, 6), "TC0001");
}

TEST_F(PrintActionsTest, DeficiencyTabsPrintTheirTextAndSpecificationTabsTheSourceShown) {
    const std::string listings = FIXTURES_DIR "/listings";
    fs::create_directories(out + "/Defis/COMP/MOD");
    fs::create_directories(out + "/Specs/COMP/MOD");
    fs::copy_file(listings + "/payroll.def", out + "/Defis/COMP/MOD/payroll.def");
    fs::copy_file(listings + "/post/PAYROLL.prc", out + "/Specs/COMP/MOD/PAYROLL.prc");
    form->CommonRoot = listings + "/sources";
    const auto click = [](TListingTreeFrame* f, const std::vector<std::string>& path) {
        QTreeWidgetItem* node = f->FindNode(path);
        ASSERT_NE(node, nullptr);
        f->TreeView1->scrollToItem(node);
        pemtest::Click(f->TreeView1->viewport(), f->TreeView1->visualItemRect(node).center());
        QApplication::processEvents();
    };
    Trigger("ActPreviewBeforePrinting");
    int previews = 0;
    dialogs->modalHook = [&](QDialog*) { ++previews; };

    // A deficiency tab prints its text view directly: no preview, no hard
    // copy, the listing's name as the title.
    dialogs->AnswerFiles({out + "/Defis/COMP/MOD/payroll.def"});
    Trigger("ActViewDefis");
    auto* defi = dynamic_cast<TFrameDefi*>(form->ResultTabs->ActiveFrame());
    ASSERT_NE(defi, nullptr);
    click(defi, {"payroll.c", "Defi's", "07 Magic number", "21"});
    const std::string hardCopyTitle = HardCopyForm().ReportTitle;
    defi->BitBtnPrint->click();
    EXPECT_EQ(previews, 0);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].title, "payroll.def");
    EXPECT_EQ(ReportPagesAsText(printed[0]), defi->RichEditSourceView->Text8() + "\n");
    EXPECT_NE(ReportPagesAsText(printed[0]).find("return compute_pay(40);"), std::string::npos);
    EXPECT_EQ(HardCopyForm().ReportTitle, hardCopyTitle);

    // A specification tab whose tree loaded a source prints that source
    // through the hard copy, previewed first.
    dialogs->AnswerFiles({out + "/Specs/COMP/MOD/PAYROLL.prc"});
    Trigger("ActViewSpecs");
    auto* specs = dynamic_cast<TFrameSpecs*>(form->ResultTabs->ActiveFrame());
    ASSERT_NE(specs, nullptr);
    click(specs, {"PAYROLL.cbl", "Procedural Structure"});
    ASSERT_EQ(specs->FileName, listings + "/sources/COMP/MOD/PAYROLL.cbl");
    std::string title;
    dialogs->modalHook = [&](QDialog* d) {
        ++previews;
        if (auto* preview = dynamic_cast<TReportPreview*>(d)) title = preview->Document().title;
    };
    Trigger("ActPrintCurrent");
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(title, "PAYROLL.cbl");
    EXPECT_EQ(printed.size(), 1u);
    ASSERT_GT(HardCopyForm().Items.Count(), 0);
    const std::string source = pemtest::ReadFile(specs->FileName);
    EXPECT_EQ(HardCopyForm().Items[0], source.substr(0, source.find_first_of("\r\n")));
}

TEST_F(PrintActionsTest, PreviewFirstShowsTheHardCopysPages) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 150; ++i) lines.push_back("       " + std::to_string(i) + "  MOVE A TO B.");
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    pemtest::WriteFile(out + "/Specs/A.COB", text);
    form->OpenInSimpleViewer(out + "/Specs/A.COB");
    Trigger("ActPreviewBeforePrinting");
    int pages = 0;
    dialogs->modalHook = [&](QDialog* d) {
        auto* preview = dynamic_cast<TReportPreview*>(d);
        ASSERT_NE(preview, nullptr);
        preview->PreviewWidget()->updatePreview();
        pages = preview->PreviewWidget()->pageCount();
        RenderReportPage(preview->Document(), 1, 60).save(QString::fromStdString(install / "preview-page-2.png"));
        EXPECT_EQ(preview->Document().title, "A.COB");
    };
    Trigger("ActPrintCurrent");
    EXPECT_GE(pages, 2);
    EXPECT_TRUE(printed.empty()); // previewed, not printed
    EXPECT_FALSE(QImage(QString::fromStdString(install / "preview-page-2.png")).isNull());
}

TEST_F(PrintActionsTest, ThePreviewSavesAsPdfAndTextStartingInTheOutputDirectory) {
    form->OpenInSimpleViewer(out + "/Metrics/PAY.met");
    Trigger("ActPreviewBeforePrinting");
    const std::string elsewhere = install / "elsewhere";
    fs::create_directories(elsewhere);
    dialogs->AnswerFiles({elsewhere + "/PAY.pdf"});
    dialogs->AnswerFiles({elsewhere + "/PAY.txt"});
    dialogs->modalHook = [&](QDialog* d) {
        auto* preview = dynamic_cast<TReportPreview*>(d);
        ASSERT_NE(preview, nullptr);
        for (const char* name : {"ActPreviewPdf", "ActPreviewText"}) {
            auto* action = preview->findChild<QAction*>(name);
            ASSERT_NE(action, nullptr) << name;
            ASSERT_TRUE(action->isEnabled()) << name;
            action->trigger();
        }
    };
    Trigger("ActPrintCurrent");
    ASSERT_EQ(dialogs->fileRequests.size(), 2u);
    for (const TOpenDialogRequest& req : dialogs->fileRequests) {
        EXPECT_TRUE(!req.initialDir.empty() && fs::equivalent(req.initialDir, out)) << req.title << ": " << req.initialDir;
        EXPECT_EQ(req.fileName.substr(0, 3), "PAY") << req.title;
    }
    // The files go where the user chose.
    EXPECT_EQ(pemtest::ReadFile(elsewhere + "/PAY.pdf").substr(0, 5), "%PDF-");
    EXPECT_NE(pemtest::ReadFile(elsewhere + "/PAY.txt").find("Number of Test Cases extracted"), std::string::npos);
    EXPECT_TRUE(printed.empty());
}

TEST_F(PrintActionsTest, PrintAFileThroughTheDialogAndOnTheChosenPrinter) {
    // The printer chosen in the setup becomes the current one by name.
    dialogs->AnswerPrinter("Laser");
    Trigger("ActSelectPrinter");
    EXPECT_EQ(CurrentPrinterName(), "Laser");
    EXPECT_EQ(HardCopyForm().PrinterSettings.PrinterName, "Laser");
    dialogs->AnswerFiles({out + "/Cases/PAY.csv"});
    Trigger("ActPrintFile");
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].title, "PAY.csv");
    EXPECT_EQ(printers[0], "Laser");
    EXPECT_EQ(ReportPageRows(printed[0], 0).at(1), "\"TC0001\";\"Func\";\"REQ-1\";\"Login with a valid password\"");
    // A cancelled setup keeps the printer; a cancelled dialog prints nothing.
    Trigger("ActSelectPrinter");
    EXPECT_EQ(CurrentPrinterName(), "Laser");
    Trigger("ActPrintFile");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Print cancelled"));
    EXPECT_EQ(printed.size(), 1u);
}

TEST_F(PrintActionsTest, PreviewSwitchRelabelsMarksTheJobAndStaysInIt) {
    const std::vector<const char*> actions{"ActPrintCurrent", "ActPrintFile", "ActSelectPrinter",
                                           "ActPreviewBeforePrinting"};
    const auto captions = [&] {
        std::vector<std::string> c;
        for (const char* a : actions) c.push_back(Caption(a));
        return c;
    };
    const std::vector<std::string> off{"&Print ", "Print a file(s)", "Select printer", "Preview before printing"};
    const std::vector<std::string> on{"&Preview ", "Preview a file(s)", "Select printer", "Preview before printing"};
    form->Modified = false;
    Trigger("ActPreviewBeforePrinting");
    EXPECT_TRUE(form->Act("ActPreviewBeforePrinting")->Checked());
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(captions(), on);
    Trigger("ActPreviewBeforePrinting");
    EXPECT_FALSE(form->Act("ActPreviewBeforePrinting")->Checked());
    EXPECT_EQ(captions(), off);

    // A job saved with the switch on opens with it on and the captions
    // relabelled.
    Trigger("ActPreviewBeforePrinting");
    form->ValidateProductName("abc");
    form->ValidateSystemName("pay");
    form->ValidateVersion("1");
    const std::string job = install / "Preview.jkvx";
    dialogs->AnswerFiles({job});
    ASSERT_TRUE(form->ActSaveProjectAs->ExecuteUnguarded());
    Trigger("ActPreviewBeforePrinting");
    form->Modified = false;
    EXPECT_EQ(captions(), off);
    form->LoadProject(job);
    EXPECT_TRUE(form->Act("ActPreviewBeforePrinting")->Checked());
    EXPECT_EQ(captions(), on);
}

TEST_F(PrintActionsTest, WithoutAPrinterAPdfLandsInTheOutputDirectory) {
    SetReportPrintHook(nullptr);
    SetPrinterNamesProvider([] { return std::vector<std::string>{}; });
    form->OpenInSimpleViewer(out + "/Metrics/PAY.met");
    Trigger("ActPrintCurrent");
    EXPECT_EQ(pemtest::ReadFile(out + "/PAY.met.pdf").substr(0, 5), "%PDF-");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "No printer is installed: printed to " + out + "/PAY.met.pdf"));
    if (std::system("command -v pdftotext >/dev/null 2>&1") == 0) {
        const std::string cmd = "pdftotext -layout '" + out + "/PAY.met.pdf' '" + out + "/back.txt'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        EXPECT_NE(pemtest::ReadFile(out + "/back.txt").find("Number of Test Cases extracted"), std::string::npos);
    }
}

} // namespace
