// The table and hard-copy report forms: what each line prints and how high
// its band is, headers on every page, page breaks of the hard copy, and the
// same pages previewed, printed and written.
#include "DialogService.h"
#include "PF_HardCopy.h"
#include "PF_XMLTable.h"
#include "QtTestSupport.h"
#include "ReportPainter.h"
#include "ReportPreview.h"
#include "ReportPrinter.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace pem;

namespace {

class GridMeasure : public TTextMeasure {
public:
    double Width(const std::string& t, const TReportFont&) const override { return 2.0 * t.size(); }
    double LineHeight(const TReportFont&) const override { return 4.0; }
};
const GridMeasure kGrid;

TEST(XMLTableForm, WhatEachLinePrints) {
    struct Case {
        const char* line;
        TXMLTableBand::Kind kind;
        double height;
        bool frame;
        const char *main, *sub, *caption, *data;
    } cases[] = {
        {"Size\t#mainfejlec", TXMLTableBand::MainHeading, 32, true, "S  i  z  e  ", "", "", ""},
        {"Lines of code\t#subfejlec", TXMLTableBand::SubHeading, 23, false, "", "L  i  n  e  s     o  f     c  o  d  e  ",
         "", ""},
        {"Statements\t1234", TXMLTableBand::Value, 17, false, "", "", "Statements", "1234"},
        {"Statements 1234", TXMLTableBand::Value, 17, false, "", "", "", ""},  // no TAB: nothing
        {"Statements\t#x", TXMLTableBand::Value, 17, false, "", "", "", ""},   // value beginning with "#"
        {"Statements\t", TXMLTableBand::Value, 17, false, "", "", "", ""},     // empty value
        {"\t#mainfejlec", TXMLTableBand::MainHeading, 32, true, "", "", "", ""},
        {"A\tb\tc", TXMLTableBand::Value, 17, false, "", "", "A", "b\tc"},      // the first TAB splits
        {"Caption\t#MAINFEJLEC", TXMLTableBand::Value, 17, false, "", "", "", ""}, // markers are exact
    };
    for (const auto& c : cases) {
        const TXMLTableBand b = XMLTableBandOf(c.line);
        EXPECT_EQ(b.kind, c.kind) << c.line;
        EXPECT_EQ(b.heightPx, c.height) << c.line;
        EXPECT_EQ(b.frameLines, c.frame) << c.line;
        EXPECT_EQ(b.mainCaption, c.main) << c.line;
        EXPECT_EQ(b.subCaption, c.sub) << c.line;
        EXPECT_EQ(b.caption, c.caption) << c.line;
        EXPECT_EQ(b.data, c.data) << c.line;
    }
}

class ReportFormTest : public ::testing::Test {
protected:
    void SetUp() override { pemtest::EnsureQApp(); }
    void TearDown() override {
        SetReportPrintHook(nullptr);
        SetDialogService(nullptr);
    }
    static std::vector<std::string> Rows(const TReportDocument& d, int page) { return ReportPageRows(d, page); }
    static std::vector<std::string> TextsOf(const TReportPage& p) {
        std::vector<std::string> t;
        for (const auto& x : p.texts) t.push_back(x.text);
        return t;
    }
    static bool Has(const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    }
};

TEST_F(ReportFormTest, TableRepeatsItsHeaderAndPageNumberAndGrowsForTheSystems) {
    TQRfrm_XMLTable form;
    form.QRLabelProductName = "Payroll";
    form.QRLabelTableName = "Compound";
    form.QRLabelElementType = "Module";
    form.QRLabelSystemName = std::string(200, 'S');
    form.Items.Add("Size\t#mainfejlec");
    for (int i = 0; i < 199; ++i) form.Items.Add("Measure " + std::to_string(i) + "\t" + std::to_string(i * 3));
    const TReportDocument doc = form.LayoutDated(kGrid, "2024-03-05");
    ASSERT_GE(doc.pages.size(), 3u);
    for (size_t p = 0; p < doc.pages.size(); ++p) {
        const auto texts = TextsOf(doc.pages[p]);
        EXPECT_TRUE(Has(texts, TQRfrm_XMLTable::kHeader)) << p;
        EXPECT_TRUE(Has(texts, "Page:" + std::to_string(p + 1))) << p;
        EXPECT_TRUE(Has(texts, "Date:2024-03-05")) << p;
        EXPECT_TRUE(Has(texts, "Product name: ") && Has(texts, "Payroll")) << p;
        // 200 characters in a 120 mm label of 2 mm letters: four lines, and
        // the first row of the table starts below them on every page.
        const double headerBottom = 10 + 25 + 4 * 4.0 + 0.2;
        for (const auto& t : doc.pages[p].texts)
            if (t.text.rfind("Measure ", 0) == 0) EXPECT_GE(t.y, headerBottom) << p;
    }
    // Heights: a main heading of 32 pixels, then rows of 17.
    const auto& texts = doc.pages[0].texts;
    double mainY = 0, firstY = 0, secondY = 0;
    for (const auto& t : texts) {
        if (t.text == "S  i  z  e  ") mainY = t.y - (TBandFlow::Px(32) - 4) / 2;
        if (t.text == "Measure 0") firstY = t.y;
        if (t.text == "Measure 1") secondY = t.y;
    }
    EXPECT_NEAR(secondY - firstY, TBandFlow::Px(17), 1e-9);
    EXPECT_NEAR(firstY - (TBandFlow::Px(17) - 4) / 2 - mainY, TBandFlow::Px(32), 1e-9);
    // Values are right-aligned beside their captions.
    const auto rows = Rows(doc, 0);
    const auto row = std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return r.rfind("   Measure 2", 0) == 0; });
    ASSERT_NE(row, rows.end());
    EXPECT_EQ(row->substr(row->size() - 2), " 6");
}

TEST_F(ReportFormTest, TableHeadingsStayWithTheirFirstRow) {
    // The page on which a text stands, -1 when it is on none.
    const auto pageOf = [](const TReportDocument& d, const std::string& text) {
        for (size_t p = 0; p < d.pages.size(); ++p)
            for (const auto& t : d.pages[p].texts)
                if (t.text == text) return static_cast<int>(p);
        return -1;
    };
    // Rows before a sub heading, and before a main heading followed by a
    // sub heading, from none to more than a page: one of the counts puts
    // the headings at the last place of the first page.
    for (int before = 0; before <= 70; ++before) {
        for (bool mainToo : {false, true}) {
            TQRfrm_XMLTable form;
            form.QRLabelSystemName = "PAY";
            form.Items.Add("Size\t#mainfejlec");
            for (int i = 0; i < before; ++i) form.Items.Add("Row " + std::to_string(i) + "\t" + std::to_string(i));
            if (mainToo) form.Items.Add("Cost\t#mainfejlec");
            form.Items.Add("Lines\t#subfejlec");
            form.Items.Add("First\t1");
            form.Items.Add("Second\t2");
            const TReportDocument doc = form.LayoutDated(kGrid, "2024-03-05");
            const int first = pageOf(doc, "First");
            ASSERT_GE(first, 0) << before;
            EXPECT_EQ(pageOf(doc, "L  i  n  e  s  "), first) << before << " rows, main heading " << mainToo;
            if (mainToo) EXPECT_EQ(pageOf(doc, "C  o  s  t  "), first) << before << " rows";
            // The heading of the table stays with its first row too.
            EXPECT_EQ(pageOf(doc, "S  i  z  e  "), pageOf(doc, before > 0 ? "Row 0" : mainToo ? "C  o  s  t  " : "First"))
                << before;
            // Moving headings down leaves no page without a row.
            for (size_t p = 0; p < doc.pages.size(); ++p) {
                bool row = false;
                for (const auto& t : doc.pages[p].texts)
                    row |= t.text.rfind("Row ", 0) == 0 || t.text == "First" || t.text == "Second";
                EXPECT_TRUE(row) << before << " rows, page " << p;
            }
        }
    }
}

TEST_F(ReportFormTest, HardCopyPageBreaks) {
    struct Case {
        std::vector<std::string> lines;
        std::vector<std::vector<std::string>> pages;
    } cases[] = {
        {{"/first", "a", "b"}, {{"a", "b"}}},                 // no blank first page
        {{"/", "/", "a"}, {{}, {"a"}}},                       // two breaks in a row: one empty page
        {{"a", "/x", "b", "/", "/", "c"}, {{"a"}, {"b"}, {}, {"c"}}},
        {{" /", "a"}, {{" /", "a"}}},                         // a blank before "/" is text
        {{"a", "", "b"}, {{"a", "", "b"}}},                   // empty lines keep their row
        {{"x\ty"}, {{"x       y"}}},                          // TABs to eight columns
        {{}, {{}}},
    };
    for (const auto& c : cases) {
        TQRfrm_HardCopy form;
        for (const auto& l : c.lines) form.Items.Add(l);
        const TReportDocument doc = form.Layout(kGrid);
        ASSERT_EQ(doc.pages.size(), c.pages.size()) << (c.lines.empty() ? "" : c.lines[0]);
        for (size_t p = 0; p < c.pages.size(); ++p) EXPECT_EQ(Rows(doc, static_cast<int>(p)), c.pages[p]);
    }
}

TEST_F(ReportFormTest, HardCopyWrapsLongLinesAndFillsPages) {
    TQRfrm_HardCopy form;
    form.Items.Add(std::string(100, 'w')); // 190 mm wide at 2 mm a letter: 95 and 5
    for (int i = 0; i < 100; ++i) form.Items.Add("line " + std::to_string(i));
    const TReportDocument doc = form.Layout(kGrid);
    EXPECT_EQ(Rows(doc, 0)[0], std::string(95, 'w'));
    EXPECT_EQ(Rows(doc, 0)[1], std::string(5, 'w'));
    // 277 mm of 4 mm rows: 69 rows on the first page.
    EXPECT_EQ(Rows(doc, 0).size(), 69u);
    EXPECT_EQ(Rows(doc, 1).front(), "line 67");
    EXPECT_EQ(Rows(doc, 1).back(), "line 99");
}

TEST_F(ReportFormTest, PreviewPrintAndFilesShowTheFormsPages) {
    TQRfrm_HardCopy form;
    form.ReportTitle = "A.COB";
    form.PrinterSettings.PrinterName = "Office";
    for (int i = 0; i < 150; ++i) form.Items.Add("source line " + std::to_string(i));
    std::vector<TReportDocument> printed;
    SetReportPrintHook([&](const TReportDocument& d, const std::string& printer) {
        printed.push_back(d);
        EXPECT_EQ(printer, "Office");
    });
    ScriptedDialogService dialogs;
    SetDialogService(&dialogs);
    pemtest::TempDir dir;
    dialogs.fileAnswers = {{dir / "A.pdf"}, {dir / "A.txt"}};
    dialogs.modalHook = [&](QDialog* d) {
        auto* preview = static_cast<TReportPreview*>(d);
        // A picture of the first page, to look at.
        RenderReportPage(preview->Document(), 0, 60).save(QString::fromStdString(dir / "page.png"));
        preview->PrintPages();
        preview->SavePdf();
        preview->SaveText();
    };
    form.Preview();
    form.Print();
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0], printed[1]);
    EXPECT_EQ(printed[0].title, "A.COB");
    EXPECT_EQ(pemtest::ReadFile(dir / "A.txt"), ReportPagesAsText(printed[0]));
    EXPECT_EQ(pemtest::ReadFile(dir / "A.pdf").substr(0, 5), "%PDF-");
    EXPECT_FALSE(QImage(QString::fromStdString(dir / "page.png")).isNull());
    // The printer setup keeps the choice by name.
    dialogs.AnswerPrinter("Laser");
    EXPECT_TRUE(form.PrinterSetup());
    EXPECT_EQ(form.PrinterSettings.PrinterName, "Laser");
    EXPECT_FALSE(form.PrinterSetup());
    EXPECT_EQ(form.PrinterSettings.PrinterName, "Laser");
}

} // namespace
