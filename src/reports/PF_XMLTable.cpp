#include "PF_XMLTable.h"

#include "SharedRoutinesCommon.h"

namespace pem {

namespace {

const TReportFont kArial{"Arial", 10};
const TReportFont kArialBold{"Arial", 10, true};
const TReportFont kMainFont{"Arial", 13, true};
const TReportFont kHeaderFont{"Arial", 12, true};

constexpr double kHeaderDesignHeight = 32;  // mm
constexpr double kSystemsTop = 25;          // mm below the header's top
constexpr double kValueLeft = 32;           // where the header's values start
constexpr double kSystemsWidth = 120;       // the systems label's fixed width

} // namespace

TXMLTableBand XMLTableBandOf(const std::string& line) {
    TXMLTableBand b;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) return b; // prints nothing
    const std::string caption = line.substr(0, tab);
    const std::string data = line.substr(tab + 1);
    if (data == "#mainfejlec") {
        b.kind = TXMLTableBand::MainHeading;
        b.heightPx = 32;
        b.frameLines = true;
        b.mainCaption = SpaceOutLetters(caption);
    } else if (data == "#subfejlec") {
        b.kind = TXMLTableBand::SubHeading;
        b.heightPx = 23;
        b.subCaption = SpaceOutLetters(caption);
    } else if (!data.empty() && data[0] != '#') {
        b.caption = caption;
        b.data = data;
    }
    return b;
}

TQRfrm_XMLTable::TQRfrm_XMLTable() : TQRReportForm("QRfrm_XMLTable", "TQRfrm_XMLTable") {
    SetCaption("Comprehensive metrics printout");
}

TReportDocument TQRfrm_XMLTable::Layout(const TTextMeasure& measure) const { return LayoutDated(measure, ReportToday()); }

TReportDocument TQRfrm_XMLTable::LayoutDated(const TTextMeasure& m, const std::string& date) const {
    TPageSetup setup;
    setup.frame = true;
    const double width = setup.Width();
    // The systems label wraps within its width and stretches downwards; the
    // header grows on every page to hold it.
    const std::vector<std::string> systems = WrapText(QRLabelSystemName, kSystemsWidth, kArial, m);
    const double lineH = m.LineHeight(kArial);
    const double headerHeight =
        std::max(kHeaderDesignHeight, kSystemsTop + lineH * static_cast<double>(systems.size()) + 0.2);

    auto header = [&](int page) {
        TBand h;
        h.height = headerHeight;
        h.texts.push_back(ReportLabel(0, 2, width, kHeader, kHeaderFont, m, TReportAlign::Center));
        h.texts.push_back(ReportLabel(width - 52, 10, 50, "Date:" + date, kArial, m, TReportAlign::Right));
        h.texts.push_back(ReportLabel(width - 52, 15, 50, "Page:" + std::to_string(page), kArial, m, TReportAlign::Right));
        const std::pair<const char*, const std::string*> pairs[] = {{"Product name: ", &QRLabelProductName},
                                                                    {"Data type:", &QRLabelTableName},
                                                                    {"Element Type:", &QRLabelElementType}};
        double y = 10;
        for (const auto& [label, value] : pairs) {
            h.texts.push_back(ReportLabel(2, y, kValueLeft - 2, label, kArialBold, m));
            h.texts.push_back(ReportLabel(kValueLeft, y, width - kValueLeft - 52, *value, kArial, m));
            y += 5;
        }
        h.texts.push_back(ReportLabel(2, kSystemsTop, kValueLeft - 2, "Systems: ", kArialBold, m));
        double sy = kSystemsTop;
        for (const auto& s : systems) {
            h.texts.push_back(ReportLabel(kValueLeft, sy, kSystemsWidth, s, kArial, m));
            sy += lineH;
        }
        h.lines.push_back({0, headerHeight, width, headerHeight});
        return h;
    };

    TBandFlow flow(setup, ReportTitle, header);
    for (const auto& item : Items) {
        const TXMLTableBand b = XMLTableBandOf(item.s);
        TBand band;
        band.height = TBandFlow::Px(b.heightPx);
        // A heading stays with the first row below it.
        band.keepWithNext = b.kind != TXMLTableBand::Value;
        const double mid = (band.height - m.LineHeight(kArial)) / 2;
        switch (b.kind) {
        case TXMLTableBand::MainHeading: {
            const double y = (band.height - m.LineHeight(kMainFont)) / 2;
            band.texts.push_back(ReportLabel(0, y, width, b.mainCaption, kMainFont, m, TReportAlign::Center));
            break;
        }
        case TXMLTableBand::SubHeading:
            band.texts.push_back(ReportLabel(2, mid, width - 4, b.subCaption, kArialBold, m));
            break;
        case TXMLTableBand::Value:
            if (!b.caption.empty() || !b.data.empty()) {
                band.texts.push_back(ReportLabel(6, mid, width * 0.65, b.caption, kArial, m));
                band.texts.push_back(ReportLabel(width * 0.65 + 8, mid, width * 0.35 - 12, b.data, kArial, m,
                                          TReportAlign::Right));
            }
            break;
        }
        if (b.frameLines) {
            band.lines.push_back({0, 0, width, 0});
            band.lines.push_back({0, band.height, width, band.height});
        }
        flow.Add(band);
    }
    TReportDocument doc = flow.Finish();
    doc.textColumn = 2.0;
    return doc;
}

} // namespace pem
