#include "ReportLayout.h"

#include <algorithm>

namespace pem {

TBandFlow::TBandFlow(const TPageSetup& setup, std::string title, TPageHeaderProc header, TPageSink sink)
    : setup_(setup), header_(std::move(header)), sink_(std::move(sink)) {
    doc_.title = std::move(title);
    doc_.pageWidth = setup.pageWidth;
    doc_.pageHeight = setup.pageHeight;
    doc_.textLeft = setup.Left();
    StartPage();
}

void TBandFlow::HandOver() {
    if (!sink_ || doc_.pages.empty()) return;
    sink_(doc_.pages.back());
    doc_.pages.clear();
}

void TBandFlow::StartPage() {
    HandOver();
    doc_.pages.emplace_back();
    ++pageCount_;
    y_ = setup_.Top();
    pageEmpty_ = true;
    if (setup_.frame) {
        auto& lines = doc_.pages.back().lines;
        const double l = setup_.Left(), r = setup_.Right(), t = setup_.Top(), b = setup_.Bottom();
        lines.push_back({l, t, r, t});
        lines.push_back({r, t, r, b});
        lines.push_back({r, b, l, b});
        lines.push_back({l, b, l, t});
    }
    if (header_) {
        TBand h = header_(pageCount_);
        Place(h, y_);
        y_ += h.height;
    }
}

void TBandFlow::Place(const TBand& band, double top) {
    TReportPage& page = doc_.pages.back();
    const double left = setup_.Left();
    const double bottom = setup_.Bottom();
    for (TReportText t : band.texts) {
        t.x += left;
        t.y += top;
        if (t.y >= bottom) continue; // cut at the bottom margin
        page.texts.push_back(std::move(t));
    }
    for (TReportLine l : band.lines) {
        l.x1 += left;
        l.x2 += left;
        l.y1 += top;
        l.y2 += top;
        page.lines.push_back(l);
    }
}

void TBandFlow::Put(const TBand& band) {
    if (y_ + band.height > setup_.Bottom() + 1e-9 && !pageEmpty_) StartPage();
    Place(band, y_);
    y_ += band.height;
    pageEmpty_ = false;
}

void TBandFlow::PutWaiting() {
    for (const TBand& b : waiting_) Put(b);
    waiting_.clear();
}

void TBandFlow::Add(const TBand& band) {
    if (band.keepWithNext) {
        waiting_.push_back(band);
        return;
    }
    if (!waiting_.empty()) {
        double together = band.height;
        for (const TBand& b : waiting_) together += b.height;
        // Together on a new page when they do not fit below what is there.
        if (y_ + together > setup_.Bottom() + 1e-9 && !pageEmpty_) StartPage();
        PutWaiting();
    }
    Put(band);
}

void TBandFlow::NewPage() {
    PutWaiting();
    StartPage();
}

TReportDocument TBandFlow::Finish() {
    PutWaiting();
    HandOver();
    return std::move(doc_);
}

std::string ExpandTabs(const std::string& text, int tabSize) {
    if (text.find('\t') == std::string::npos) return text;
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '\t') {
            out.append(static_cast<size_t>(tabSize - static_cast<int>(out.size()) % tabSize), ' ');
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> WrapText(const std::string& text, double width, const TReportFont& font,
                                  const TTextMeasure& measure) {
    std::vector<std::string> out;
    if (measure.Width(text, font) <= width) {
        out.push_back(text);
        return out;
    }
    std::string rest = text;
    while (!rest.empty()) {
        if (measure.Width(rest, font) <= width) {
            out.push_back(rest);
            break;
        }
        // The longest head that fits, found by halving.
        size_t lo = 1, hi = rest.size();
        while (lo < hi) {
            size_t mid = (lo + hi + 1) / 2;
            if (measure.Width(rest.substr(0, mid), font) <= width) lo = mid;
            else hi = mid - 1;
        }
        size_t cut = lo;
        size_t blank = rest.rfind(' ', cut);
        if (blank != std::string::npos && blank > 0 && blank <= cut) cut = blank + 1;
        std::string head = rest.substr(0, cut);
        while (head.size() > 1 && head.back() == ' ') head.pop_back();
        out.push_back(head);
        rest.erase(0, cut);
    }
    if (out.empty()) out.emplace_back();
    return out;
}

TReportText ReportLabel(double x, double y, double w, const std::string& text, const TReportFont& font,
                        const TTextMeasure& measure, TReportAlign align) {
    TReportText t;
    t.x = x;
    t.y = y;
    t.w = w;
    t.h = measure.LineHeight(font);
    t.text = text;
    t.font = font;
    t.align = align;
    t.textWidth = measure.Width(text, font);
    return t;
}

TBand TextLineBand(std::string text, const TReportFont& font, double width, const TTextMeasure& measure) {
    TBand band;
    band.height = measure.LineHeight(font);
    band.texts.push_back(ReportLabel(0, 0, width, text, font, measure));
    return band;
}

TReportDocument LayoutPlainText(const std::vector<std::string>& lines, const TReportFont& font,
                                const std::string& title, const TTextMeasure& measure, const TPageSetup& setup) {
    TBandFlow flow(setup, title);
    for (const auto& line : lines) AddTextLine(flow, line, font, setup.Width(), measure);
    return FinishTextPages(flow, font, measure);
}

void AddTextLine(TBandFlow& flow, const std::string& line, const TReportFont& font, double width,
                 const TTextMeasure& measure) {
    for (auto& row : WrapText(ExpandTabs(line), width, font, measure))
        flow.Add(TextLineBand(std::move(row), font, width, measure));
}

TReportDocument FinishTextPages(TBandFlow& flow, const TReportFont& font, const TTextMeasure& measure) {
    TReportDocument doc = flow.Finish();
    doc.textColumn = std::max(0.1, measure.Width("0", font));
    return doc;
}

TReportDocument TextPagesHead(const std::string& title, const TReportFont& font, const TTextMeasure& measure,
                              const TPageSetup& setup) {
    TReportDocument doc;
    doc.title = title;
    doc.pageWidth = setup.pageWidth;
    doc.pageHeight = setup.pageHeight;
    doc.textLeft = setup.Left();
    doc.textColumn = std::max(0.1, measure.Width("0", font));
    return doc;
}

} // namespace pem
