#pragma once
// The page model of a report: positioned texts and lines on numbered pages,
// in millimetres from the paper's top-left corner. Layout passes make it,
// and the preview, the printer, PDF, pictures and the text export all show
// the same pages from it. Free of Qt.
#include <string>
#include <vector>

namespace pem {

struct TReportFont {
    std::string name = "Arial"; // as the report asks for it; the painter maps missing families
    double pointSize = 10;
    bool bold = false, italic = false, underline = false, strikeOut = false;
    bool operator==(const TReportFont&) const = default;
};

enum class TReportAlign { Left, Center, Right };

// One line of text in its box; the text never wraps inside the box (the
// layout pass has wrapped it already). textWidth is the text's width as the
// layout measured it, so that the text export finds where it starts.
struct TReportText {
    double x = 0, y = 0, w = 0, h = 0;
    std::string text;
    TReportFont font;
    TReportAlign align = TReportAlign::Left;
    unsigned color = 0x000000; // 0xRRGGBB
    int background = -1;       // 0xRRGGBB filling the box behind the text; -1 none
    double textWidth = 0;
    bool operator==(const TReportText&) const = default;

    // Where the text starts on the page.
    double StartX() const;
};

struct TReportLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double width = 0.2;
    bool operator==(const TReportLine&) const = default;
};

struct TReportPage {
    std::vector<TReportText> texts;
    std::vector<TReportLine> lines;
    bool operator==(const TReportPage&) const = default;
};

struct TReportDocument {
    std::string title;
    double pageWidth = 210, pageHeight = 297; // A4 portrait
    // Width of one column of the text export, in millimetres.
    double textColumn = 2.0;
    double textLeft = 0; // the left edge of the text export's column 0
    std::vector<TReportPage> pages;
    bool operator==(const TReportDocument&) const = default;
};

// The pages as plain text: per page its texts row by row (top to bottom,
// each row left to right, a text starting at its column but at least one
// blank after the one before), rows ended by LF, a form feed between pages.
std::string ReportPagesAsText(const TReportDocument& doc);

// The text rows of one page, as the text export writes them.
std::vector<std::string> ReportPageRows(const TReportDocument& doc, int page);

} // namespace pem
