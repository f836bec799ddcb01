// The report layer: bands flowing onto pages, the text export, wrapping and
// TABs, PDF and text files, printing without a printer, the print hook and
// the preview window.
#include "DialogService.h"
#include "Exceptions.h"
#include "FileFaults.h"
#include "QtTestSupport.h"
#include "ReportLayout.h"
#include "ReportPainter.h"
#include "ReportPreview.h"
#include "ReportPrinter.h"

#include <QApplication>
#include <QFontInfo>
#include <QPrintPreviewWidget>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;

namespace {

// Every character 2 mm wide, every line 5 mm high.
class GridMeasure : public TTextMeasure {
public:
    double Width(const std::string& t, const TReportFont&) const override { return 2.0 * t.size(); }
    double LineHeight(const TReportFont&) const override { return 5.0; }
};
const GridMeasure kGrid;

TBand Line(const std::string& text) { return TextLineBand(text, TReportFont{}, 100, kGrid); }

TEST(ReportLayout, BandsFlowOntoPagesUnderTheirHeaders) {
    TPageSetup setup;
    setup.pageHeight = 60; // 40 mm between the margins
    TBandFlow flow(setup, "t", [](int page) {
        TBand h = TextLineBand("Page:" + std::to_string(page), TReportFont{}, 100, kGrid);
        h.height = 10;
        return h;
    });
    for (int i = 0; i < 13; ++i) flow.Add(Line("row " + std::to_string(i)));
    flow.NewPage();
    flow.Add(Line("after break"));
    const TReportDocument doc = flow.Finish();
    // 30 mm under each 10 mm header: six rows a page.
    ASSERT_EQ(doc.pages.size(), 4u);
    EXPECT_EQ(ReportPageRows(doc, 0),
              (std::vector<std::string>{"Page:1", "row 0", "row 1", "row 2", "row 3", "row 4", "row 5"}));
    EXPECT_EQ(ReportPageRows(doc, 2), (std::vector<std::string>{"Page:3", "row 12"}));
    EXPECT_EQ(ReportPageRows(doc, 3), (std::vector<std::string>{"Page:4", "after break"}));
    EXPECT_DOUBLE_EQ(doc.pages[0].texts[1].y, 20);
    EXPECT_DOUBLE_EQ(doc.pages[0].texts[1].x, 10);
}

TEST(ReportLayout, TextExportPlacesTextsOnRowsAndSeparatesPages) {
    TReportDocument doc;
    doc.textColumn = 2;
    doc.textLeft = 10;
    TReportPage p;
    auto text = [](double x, double y, double w, const std::string& s, TReportAlign a) {
        TReportText t;
        t.x = x;
        t.y = y;
        t.w = w;
        t.text = s;
        t.align = a;
        t.textWidth = 2.0 * s.size();
        return t;
    };
    p.texts.push_back(text(50, 10, 40, "value", TReportAlign::Right)); // starts at 80 mm: column 35
    p.texts.push_back(text(14, 10, 20, "cap", TReportAlign::Left));
    p.texts.push_back(text(10, 20, 100, "centre", TReportAlign::Center));
    doc.pages = {p, TReportPage{}};
    EXPECT_EQ(ReportPagesAsText(doc), "  cap" + std::string(30, ' ') + "value\n" + std::string(22, ' ') +
                                          "centre\n\f");
}

TEST(ReportLayout, TabsAndWrapping) {
    struct TabCase {
        const char* in;
        const char* out;
    } tabs[] = {{"a\tb", "a       b"}, {"\t", "        "}, {"1234567\tx", "1234567 x"}, {"12345678\tx", "12345678        x"}};
    for (const auto& c : tabs) EXPECT_EQ(ExpandTabs(c.in), c.out);
    using V = std::vector<std::string>;
    const TReportFont f;
    EXPECT_EQ(WrapText("short", 20, f, kGrid), V{"short"});
    EXPECT_EQ(WrapText("", 20, f, kGrid), V{""});
    EXPECT_EQ(WrapText("aaaa bbbb cccc", 20, f, kGrid), (V{"aaaa bbbb", "cccc"}));
    EXPECT_EQ(WrapText("abcdefghijklmn", 20, f, kGrid), (V{"abcdefghij", "klmn"}));
}

class ReportOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        SetDialogService(&dialogs);
        std::vector<std::string> lines;
        for (int i = 0; i < 120; ++i) lines.push_back("Line " + std::to_string(i) + "\twith a tab");
        doc = LayoutPlainText(lines, TReportFont{"Lucida Console", 10}, "My/Report", QtTextMeasure());
    }
    void TearDown() override {
        SetDialogService(nullptr);
        SetReportPrintHook(nullptr);
        SetPrinterNamesProvider(nullptr);
        SetReportEnvironment({});
    }
    pemtest::TempDir dir;
    ScriptedDialogService dialogs;
    TReportDocument doc;
};

TEST_F(ReportOutputTest, PdfAndTextFilesHoldThePages) {
    ASSERT_GE(doc.pages.size(), 2u);
    WriteReportPdf(doc, dir / "r.pdf");
    EXPECT_EQ(pemtest::ReadFile(dir / "r.pdf").substr(0, 5), "%PDF-");
    // The second page holds the second page's lines (read back where the
    // PDF tools are installed).
    if (std::system("command -v pdftotext >/dev/null 2>&1") == 0) {
        const std::string cmd = "pdftotext -f 2 -l 2 '" + dir / "r.pdf" + "' '" + dir / "p2.txt" + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        const std::string page2 = pemtest::ReadFile(dir / "p2.txt");
        const std::string first = ReportPageRows(doc, 1).front();
        EXPECT_NE(page2.find(first.substr(0, first.find(' ', 5))), std::string::npos) << page2.substr(0, 80);
        EXPECT_EQ(page2.find("Line 0 "), std::string::npos);
    }
    WriteReportText(doc, dir / "r.txt");
    const std::string text = pemtest::ReadFile(dir / "r.txt");
    EXPECT_EQ(text, ReportPagesAsText(doc));
    EXPECT_EQ(text.substr(0, 26), "Line 0  with a tab\nLine 1 ");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), static_cast<long>(doc.pages.size()) - 1);
    EXPECT_THROW(WriteReportText(doc, dir / "missing/r.txt"), EFileError);
}

TEST_F(ReportOutputTest, WithoutAPrinterThePdfGoesToTheFolderAndIsSaid) {
    SetPrinterNamesProvider([] { return std::vector<std::string>{}; });
    std::vector<std::string> said;
    SetReportEnvironment({[this] { return dir.Path(); }, [&](const std::string& s) { said.push_back(s); }});
    PrintReportDocument(doc);
    EXPECT_EQ(pemtest::ReadFile(dir / "My_Report.pdf").substr(0, 5), "%PDF-");
    EXPECT_EQ(said, std::vector<std::string>{"No printer is installed: printed to " + dir / "My_Report.pdf"});
    // Without a folder there is nowhere to print.
    SetReportEnvironment({});
    EXPECT_THROW(PrintReportDocument(doc), Exception);
}

TEST_F(ReportOutputTest, PreviewShowsThePagesAndPrintsTheSameOnes) {
    std::vector<TReportDocument> printed;
    std::vector<std::string> printers;
    SetReportPrintHook([&](const TReportDocument& d, const std::string& p) {
        printed.push_back(d);
        printers.push_back(p);
    });
    dialogs.fileAnswers = {{dir / "p.pdf"}, {dir / "p.txt"}};
    int pages = 0;
    dialogs.modalHook = [&](QDialog* d) {
        auto* preview = dynamic_cast<TReportPreview*>(d);
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->Document(), doc);
        preview->PreviewWidget()->updatePreview();
        pages = preview->PreviewWidget()->pageCount();
        preview->ShowPage(2);
        EXPECT_EQ(preview->CurrentPage(), 2);
        preview->PrintPages();
        preview->SavePdf();
        preview->SaveText();
    };
    PreviewReportDocument(doc, "Office");
    EXPECT_EQ(pages, static_cast<int>(doc.pages.size()));
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], doc);
    EXPECT_EQ(printers[0], "Office");
    EXPECT_EQ(pemtest::ReadFile(dir / "p.pdf").substr(0, 5), "%PDF-");
    EXPECT_EQ(pemtest::ReadFile(dir / "p.txt"), ReportPagesAsText(doc));
    // Printing straight away gives the same pages.
    PrintReportDocument(doc, "Office");
    EXPECT_EQ(printed.at(1), printed.at(0));
}

// The preview's save buttons write a file the user chose. Saved through a
// link, the link stays and its target is written with its own mode; a save
// that cannot be written whole (a full disk) leaves the older file as it was
// and says so.
TEST_F(ReportOutputTest, PreviewSavesKeepTheChosenLinkAndLeaveTheOlderFileWholeOnAFullDisk) {
    std::vector<std::string> lines;
    for (int i = 0; i < 5000; ++i) lines.push_back("Row " + std::to_string(i) + "\tof a report longer than the disk allows");
    const TReportDocument big = LayoutPlainText(lines, TReportFont{"Lucida Console", 10}, "Big", QtTextMeasure());
    ASSERT_GT(ReportPagesAsText(big).size(), 100000u);
    namespace fs = std::filesystem;
    const struct {
        const char* button;
        const char* name;
        std::function<bool(const std::string&)> written; // the file holds the new report
    } cases[] = {
        {"ActPreviewText", "chosen.txt", [&](const std::string& t) { return t == ReportPagesAsText(big); }},
        {"ActPreviewPdf", "chosen.pdf",
         [](const std::string& t) { return t.rfind("%PDF-", 0) == 0 && t.find("%%EOF", t.size() - 8) != std::string::npos; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        const std::string target = dir / (std::string("shared/") + c.name), chosen = dir / c.name;
        const std::string older = "the older file\n";
        pemtest::WriteFile(target, older);
        ::chmod(target.c_str(), 0640);
        fs::create_symlink(target, chosen);
        dialogs.Reset();
        dialogs.fileAnswers = {{chosen}, {chosen}};
        dialogs.modalHook = [&](QDialog* d) {
            auto* bar = d->findChild<QToolBar*>();
            ASSERT_NE(bar, nullptr);
            auto* action = bar->findChild<QAction*>(c.button);
            ASSERT_NE(action, nullptr);
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
            ASSERT_NE(button, nullptr);
            {
                pemtest::FileSizeLimit disk(4096);
                button->click();
            }
            EXPECT_EQ(pemtest::ReadFile(target), older);
            EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Can not write file " + chosen + "."});
            button->click();
        };
        PreviewReportDocument(big, "Office");
        EXPECT_EQ(dialogs.Messages().size(), 1u);
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(chosen)));
        EXPECT_TRUE(c.written(pemtest::ReadFile(target)));
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));
        for (const auto& folder : {dir.Path(), dir / "shared"})
            for (const auto& e : fs::directory_iterator(folder))
                EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }
}

// Printed without a printer, the PDF is a file of the program's folder: a
// link in its place is replaced and the file it pointed to stays as it was.
TEST_F(ReportOutputTest, WithoutAPrinterTheFoldersPdfReplacesALinkInItsPlace) {
    namespace fs = std::filesystem;
    SetPrinterNamesProvider([] { return std::vector<std::string>{}; });
    SetReportEnvironment({[this] { return dir / "out"; }, [](const std::string&) {}});
    const std::string outside = dir / "elsewhere.pdf", file = dir / "out/My_Report.pdf";
    pemtest::WriteFile(outside, "the user's own file\n");
    fs::create_directories(dir / "out");
    fs::create_symlink(outside, file);
    PrintReportDocument(doc);
    EXPECT_EQ(pemtest::ReadFile(outside), "the user's own file\n");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(file)));
    EXPECT_EQ(pemtest::ReadFile(file).substr(0, 5), "%PDF-");
}

TEST(ReportFonts, MissingFixedPitchFamiliesFallBackToTheSystemFixedFont) {
    pemtest::EnsureQApp();
    for (const char* name : {"Lucida Console", "Courier New"}) {
        const TFontSpec spec{name, 1, 0, -11};
        EXPECT_TRUE(QFontInfo(ViewerQFont(spec)).fixedPitch()) << name;
        EXPECT_EQ(ViewerQFont(spec).pixelSize(), 11);
        const TReportFont report = ReportFontOf(spec);
        EXPECT_EQ(report.name, name); // the report keeps the name it asked for
        EXPECT_DOUBLE_EQ(report.pointSize, 11 * 72.0 / 96.0);
        EXPECT_TRUE(QFontInfo(ReportQFont(report)).fixedPitch()) << name;
    }
    EXPECT_DOUBLE_EQ(ReportFontOf({"Arial", 1, 12, -16}).pointSize, 12);
}

TEST_F(ReportOutputTest, CurrentPrinterByName) {
    std::vector<std::string> printers;
    SetReportPrintHook([&](const TReportDocument&, const std::string& p) { printers.push_back(p); });
    SetCurrentPrinterName("Laser 2");
    PrintReportDocument(doc);
    PrintReportDocument(doc, "Other");
    EXPECT_EQ(printers, (std::vector<std::string>{"Laser 2", "Other"}));
    SetCurrentPrinterName("");
    EXPECT_EQ(ReportPdfName(""), "Report.pdf");
    EXPECT_EQ(ReportPdfName(".."), "Report.pdf");
    EXPECT_EQ(ReportPdfName("a\\b/c"), "a_b_c.pdf");
}

} // namespace
