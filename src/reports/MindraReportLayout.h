#pragma once
// The pages of the statistics and ranking reports, free of widgets: how a
// value of a record becomes the text and the background of its label, and
// how the labels flow down the pages.
//
// A report is described by a table of columns (head, width, field, format,
// colour rule); every line of a ranking and every row of a statistic block
// prints the same columns from its record. A statistic entry prints as one
// block (system line, column heads, five role rows) that never splits
// across pages; rankings and the project statistic print one line per entry
// under column heads repeated in every page header.
#include "MindraStatistics.h"
#include "ReportLayout.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace pem {

// The value in fixed-point notation with "." as separator: rounded (half
// away from zero) to at most `precision` significant digits and `digits`
// decimals, then written with exactly `digits` decimals ("1.00"). A value
// with more integer digits than `precision` is written in scientific
// notation ("1.235E4").
std::string FormatFixed(double value, int precision, int digits);

// Label backgrounds, 0xRRGGBB.
constexpr unsigned kLabelRed = 0xFF0000;
constexpr unsigned kLabelYellow = 0xFFFF00;
constexpr unsigned kLabelLightGreen = 0x80FF80;
constexpr unsigned kLabelWhite = 0xFFFFFF;

// Weighted defects: above 9 red, 6 to 9 yellow, 5 and below light green.
unsigned DefectLevelColor(std::int64_t weighted);
// Change impact: 0.1 and above red, 0.05 and above yellow, below that light
// green. The bounds are the doubles nearest 0.1 and 0.05, so an impact
// written as 0.1 is red and one written as 0.05 yellow.
unsigned ChangeRateColor(double impact);

using TCellValue = std::variant<std::int64_t, double, std::string>;

enum class TCellFormat {
    Integer,  // decimal
    Share,    // FormatFixed(value, 3, 2)
    Impact,   // FormatFixed(value, 4, 3)
    Text,     // as it stands
};
enum class TCellColor { None, DefectLevel, ChangeRate };
// Where a column prints nothing (empty text on white).
enum class TCellBlank {
    Never,
    SumRow,      // the sum row of every statistic block
    TotalEntry,  // the last entry (the total) of a ranking
};

// The text of a value in a format.
std::string FormatCell(const TCellValue& value, TCellFormat format);
// The background of a value by a rule (white for no rule).
unsigned CellColor(const TCellValue& value, TCellColor rule);

// One column of a report. The field reads the record of an entry; `row` is
// the role block of a statistic row (rbDevelopers ... rbSum), 0 on the lines
// of rankings and the project statistic.
template <class R>
struct TMindraColumn {
    const char* head;
    double width;  // mm
    TCellFormat format;
    TCellColor color;
    TCellBlank blank;
    TCellValue (*field)(const R& record, int row);
};

// One printed value: its text and background (0xRRGGBB).
struct TMindraCell {
    std::string text;
    unsigned background = kLabelWhite;
    bool operator==(const TMindraCell&) const = default;
};

// What one entry of the strings band prints.
struct TMindraBand {
    std::string systemCaption;  // statistic blocks: "System:" or "Product total:"
    std::string systemName;     // the system's name; nothing on the total
    std::vector<std::vector<TMindraCell>> rows;
};

template <class R>
std::vector<TMindraCell> CellsOf(const std::vector<TMindraColumn<R>>& columns, const R& record, int row,
                                 bool total) {
    std::vector<TMindraCell> cells;
    cells.reserve(columns.size());
    for (const auto& c : columns) {
        const bool blank = (c.blank == TCellBlank::SumRow && row == rbSum) ||
                           (c.blank == TCellBlank::TotalEntry && total);
        if (blank) {
            cells.push_back({});
            continue;
        }
        const TCellValue v = c.field(record, row);
        cells.push_back({FormatCell(v, c.format), CellColor(v, c.color)});
    }
    return cells;
}

// The fixed texts and the kind of one report.
struct TMindraSheet {
    const char* header;        // the title at the top of every page
    const char* classesTitle;  // over the value columns
    bool blocks;               // statistic: one block of role rows per entry
    bool classesInHeader;      // rankings: the classes title in the page header
};

// The captions of the statistic rows, developers to sum.
extern const char* const kMindraRowCaptions[kRoleBlocks];

// What the page header shows besides the sheet's texts.
struct TMindraHeaderValues {
    std::string title;        // the document's title (ReportTitle)
    std::string productName;  // QRLabelProductName
    std::string version;      // QRLabelVersion
    std::string system;       // QRLabelSystem (lines only)
    std::string date;
};

struct TMindraColumnHead {
    std::string head;
    double width;
    bool number;  // right-aligned
};

TReportDocument LayoutMindraBands(const TMindraSheet& sheet, const std::vector<TMindraColumnHead>& columns,
                                  const std::vector<TMindraBand>& bands, const TMindraHeaderValues& header,
                                  const TTextMeasure& measure);

// The bands of a report's entries: a block of the five role rows per entry
// for statistics, one line per entry otherwise; the last entry is the total.
template <class R>
TReportDocument LayoutMindraReport(const TMindraSheet& sheet, const std::vector<TMindraColumn<R>>& columns,
                                   const std::vector<TReportEntry<R>>& items, const TMindraHeaderValues& header,
                                   const TTextMeasure& measure) {
    std::vector<TMindraColumnHead> heads;
    for (const auto& c : columns) heads.push_back({c.head, c.width, c.format != TCellFormat::Text});
    std::vector<TMindraBand> bands;
    bands.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const bool total = i + 1 == items.size();
        TMindraBand band;
        if (sheet.blocks) {
            band.systemCaption = total ? "Product total:" : "System:";
            if (!total) band.systemName = items[i].Key;
            for (int row = rbDevelopers; row <= rbSum; ++row)
                band.rows.push_back(CellsOf(columns, items[i].Record, row, total));
        } else {
            band.rows.push_back(CellsOf(columns, items[i].Record, 0, total));
        }
        bands.push_back(std::move(band));
    }
    return LayoutMindraBands(sheet, heads, bands, header, measure);
}

} // namespace pem
