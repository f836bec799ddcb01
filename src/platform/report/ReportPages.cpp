#include "ReportPages.h"

#include <algorithm>
#include <cmath>

namespace pem {

double TReportText::StartX() const {
    switch (align) {
    case TReportAlign::Left: return x;
    case TReportAlign::Center: return x + (w - textWidth) / 2;
    case TReportAlign::Right: return x + w - textWidth;
    }
    return x;
}

std::vector<std::string> ReportPageRows(const TReportDocument& doc, int page) {
    std::vector<std::string> rows;
    if (page < 0 || page >= static_cast<int>(doc.pages.size())) return rows;
    std::vector<const TReportText*> texts;
    for (const auto& t : doc.pages[static_cast<size_t>(page)].texts) texts.push_back(&t);
    // Texts whose tops lie within a tenth of a millimetre share a row.
    auto rowKey = [](const TReportText* t) { return std::lround(t->y * 10); };
    std::stable_sort(texts.begin(), texts.end(), [&](const TReportText* a, const TReportText* b) {
        if (rowKey(a) != rowKey(b)) return rowKey(a) < rowKey(b);
        return a->StartX() < b->StartX();
    });
    const double col = doc.textColumn > 0 ? doc.textColumn : 2.0;
    for (size_t i = 0; i < texts.size();) {
        const long key = rowKey(texts[i]);
        std::string row;
        bool first = true;
        for (; i < texts.size() && rowKey(texts[i]) == key; ++i) {
            const TReportText& t = *texts[i];
            if (t.text.empty() && !first) continue;
            long column = std::max(0L, std::lround((t.StartX() - doc.textLeft) / col));
            size_t at = static_cast<size_t>(column);
            if (!first && at < row.size() + 1) at = row.size() + 1;
            if (row.size() < at) row.append(at - row.size(), ' ');
            row += t.text;
            first = false;
        }
        while (!row.empty() && row.back() == ' ') row.pop_back();
        rows.push_back(row);
    }
    return rows;
}

std::string ReportPagesAsText(const TReportDocument& doc) {
    std::string out;
    for (size_t p = 0; p < doc.pages.size(); ++p) {
        if (p > 0) out += '\f';
        for (const auto& r : ReportPageRows(doc, static_cast<int>(p))) {
            out += r;
            out += '\n';
        }
    }
    return out;
}

} // namespace pem
