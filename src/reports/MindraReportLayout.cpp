#include "MindraReportLayout.h"

#include "FloatFormat.h"

#include <algorithm>

namespace pem {

namespace {

const TReportFont kArial{"Arial", 10};
const TReportFont kHeaderFont{"Arial", 12, true};

constexpr double kHeaderValueLeft = 40;   // where the product name and version start
constexpr double kDateWidth = 65;         // the date and page labels, right-aligned
constexpr double kCellPadding = 0.5;      // between a column's edge and its label
constexpr double kBlockGap = 4;           // below a statistic block
constexpr double kSystemNameLeft = 28;    // the system name beside its caption

// The longest head of the text that fits the width.
std::string Fitted(const std::string& text, double width, const TReportFont& font, const TTextMeasure& m) {
    if (m.Width(text, font) <= width) return text;
    size_t lo = 0, hi = text.size();
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        if (m.Width(text.substr(0, mid), font) <= width) lo = mid;
        else hi = mid - 1;
    }
    return text.substr(0, lo);
}

struct TColumnPlace {
    double x, w;
    bool number;
};

std::vector<TColumnPlace> Places(const std::vector<TMindraColumnHead>& columns) {
    std::vector<TColumnPlace> places;
    double x = 0;
    for (const auto& c : columns) {
        places.push_back({x, c.width, c.number});
        x += c.width;
    }
    return places;
}

// The span of the value columns (all but the first and the share): where the
// classes title is centred.
std::pair<double, double> ValueSpan(const std::vector<TColumnPlace>& p) {
    if (p.size() < 3) return {0, p.empty() ? 0 : p.back().x + p.back().w};
    return {p[1].x, p[p.size() - 2].x + p[p.size() - 2].w};
}

// The column heads, each wrapped within its column; returns their height.
double AddHeads(TBand& band, double y, const std::vector<TMindraColumnHead>& columns,
                const std::vector<TColumnPlace>& places, const TTextMeasure& m) {
    const double lh = m.LineHeight(kArial);
    size_t most = 1;
    for (size_t i = 0; i < columns.size(); ++i) {
        const double w = places[i].w - 2 * kCellPadding;
        const auto lines = WrapText(columns[i].head, w, kArial, m);
        most = std::max(most, lines.size());
        double ly = y;
        for (const auto& line : lines) {
            band.texts.push_back(ReportLabel(places[i].x + kCellPadding, ly, w, line, kArial, m,
                                             places[i].number ? TReportAlign::Right : TReportAlign::Left));
            ly += lh;
        }
    }
    return lh * static_cast<double>(most);
}

// One row of values; returns its height.
double AddRow(TBand& band, double y, const std::vector<TMindraCell>& cells, const std::vector<TColumnPlace>& places,
              const TTextMeasure& m) {
    const double lh = m.LineHeight(kArial);
    for (size_t i = 0; i < cells.size() && i < places.size(); ++i) {
        const double w = places[i].w - 2 * kCellPadding;
        const std::string text = places[i].number ? cells[i].text : Fitted(cells[i].text, w, kArial, m);
        TReportText t = ReportLabel(places[i].x + kCellPadding, y + 0.3, w, text, kArial, m,
                                    places[i].number ? TReportAlign::Right : TReportAlign::Left);
        t.background = static_cast<int>(cells[i].background);
        band.texts.push_back(std::move(t));
    }
    return lh + 0.6;
}

} // namespace

const char* const kMindraRowCaptions[kRoleBlocks] = {"Developers", "Testers", "Managers", "Users", "System Total"};

std::string FormatFixed(double value, int precision, int digits) {
    return FloatToStrFixed(value, precision, digits);
}

unsigned DefectLevelColor(std::int64_t weighted) {
    if (weighted > 9) return kLabelRed;
    if (weighted >= 6) return kLabelYellow;
    return kLabelLightGreen;
}

unsigned ChangeRateColor(double impact) {
    if (impact >= 0.1) return kLabelRed;
    if (impact >= 0.05) return kLabelYellow;
    return kLabelLightGreen;
}

std::string FormatCell(const TCellValue& value, TCellFormat format) {
    switch (format) {
    case TCellFormat::Integer:
        if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
        break;
    case TCellFormat::Share:
        if (const auto* d = std::get_if<double>(&value)) return FormatFixed(*d, 3, 2);
        break;
    case TCellFormat::Impact:
        if (const auto* d = std::get_if<double>(&value)) return FormatFixed(*d, 4, 3);
        break;
    case TCellFormat::Text:
        if (const auto* s = std::get_if<std::string>(&value)) return *s;
        break;
    }
    return {};
}

unsigned CellColor(const TCellValue& value, TCellColor rule) {
    switch (rule) {
    case TCellColor::None: break;
    case TCellColor::DefectLevel:
        if (const auto* i = std::get_if<std::int64_t>(&value)) return DefectLevelColor(*i);
        break;
    case TCellColor::ChangeRate:
        if (const auto* d = std::get_if<double>(&value)) return ChangeRateColor(*d);
        break;
    }
    return kLabelWhite;
}

TReportDocument LayoutMindraBands(const TMindraSheet& sheet, const std::vector<TMindraColumnHead>& columns,
                                  const std::vector<TMindraBand>& bands, const TMindraHeaderValues& values,
                                  const TTextMeasure& m) {
    const TPageSetup setup;
    const double width = setup.Width();
    const double lh = m.LineHeight(kArial);
    const double lh12 = m.LineHeight(kHeaderFont);
    const std::vector<TColumnPlace> places = Places(columns);
    const auto [spanLeft, spanRight] = ValueSpan(places);
    // The ranked systems may fill more than one line; the header grows on
    // every page to hold them.
    const std::vector<std::string> systems =
        sheet.blocks ? std::vector<std::string>{} : WrapText(values.system, width - kHeaderValueLeft, kArial, m);

    auto header = [&](int page) {
        TBand h;
        h.texts.push_back(ReportLabel(0, 0, width, sheet.header, kHeaderFont, m, TReportAlign::Center));
        double y = lh12 + 2;
        h.texts.push_back(ReportLabel(0, y, kHeaderValueLeft, "Product name: ", kHeaderFont, m));
        h.texts.push_back(ReportLabel(kHeaderValueLeft, y, width - kHeaderValueLeft - kDateWidth, values.productName,
                                      kHeaderFont, m));
        h.texts.push_back(ReportLabel(width - kDateWidth, y, kDateWidth, "Date:" + values.date, kHeaderFont, m,
                                      TReportAlign::Right));
        y += lh12;
        h.texts.push_back(ReportLabel(0, y, kHeaderValueLeft, "Version", kHeaderFont, m));
        h.texts.push_back(ReportLabel(kHeaderValueLeft, y, width - kHeaderValueLeft - kDateWidth, values.version,
                                      kHeaderFont, m));
        h.texts.push_back(ReportLabel(width - kDateWidth, y, kDateWidth, "Page:" + std::to_string(page), kHeaderFont,
                                      m, TReportAlign::Right));
        y += lh12 + 2;
        if (!sheet.blocks) {
            h.texts.push_back(ReportLabel(0, y, kHeaderValueLeft, "System:", kArial, m));
            for (const auto& line : systems) {
                h.texts.push_back(ReportLabel(kHeaderValueLeft, y, width - kHeaderValueLeft, line, kArial, m));
                y += lh;
            }
            y += 1.5;
            if (sheet.classesInHeader) {
                h.texts.push_back(ReportLabel(spanLeft, y, spanRight - spanLeft, sheet.classesTitle, kArial, m,
                                              TReportAlign::Center));
                y += lh + 0.5;
            }
            y += AddHeads(h, y, columns, places, m) + 0.5;
        }
        h.lines.push_back({0, y, width, y});
        h.height = y + 1.5;
        return h;
    };

    TBandFlow flow(setup, values.title, header);
    for (const auto& b : bands) {
        TBand band;
        double y = 0;
        if (sheet.blocks) {
            band.texts.push_back(ReportLabel(0, y, kSystemNameLeft, b.systemCaption, kArial, m));
            band.texts.push_back(ReportLabel(kSystemNameLeft, y, spanLeft - kSystemNameLeft, b.systemName, kArial, m));
            band.texts.push_back(
                ReportLabel(spanLeft, y, spanRight - spanLeft, sheet.classesTitle, kArial, m, TReportAlign::Center));
            y += lh + 1;
            const double headsTop = y;
            y += AddHeads(band, y, columns, places, m) + 0.3;
            band.lines.push_back({0, y, width, y});
            y += 0.5;
            for (const auto& row : b.rows) y += AddRow(band, y, row, places, m);
            if (!places.empty())
                band.lines.push_back({places[0].w, headsTop, places[0].w, y});
            y += kBlockGap;
        } else {
            for (const auto& row : b.rows) y += AddRow(band, y, row, places, m);
        }
        band.height = y;
        flow.Add(band);
    }
    return flow.Finish();
}

} // namespace pem
