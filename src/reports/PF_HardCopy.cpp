#include "PF_HardCopy.h"

#include "ReportPainter.h"
#include "ReportPrinter.h"


namespace pem {

TQRfrm_HardCopy::TQRfrm_HardCopy() : TQRReportForm("QRfrm_HardCopy", "TQRfrm_HardCopy") { SetCaption("Hard copy"); }

TReportDocument TQRfrm_HardCopy::Head(const TTextMeasure& m) const {
    return TextPagesHead(ReportTitle, ReportFontOf(Font), m);
}

TReportDocument TQRfrm_HardCopy::Layout(const TTextMeasure& m) const {
    TReportDocument doc = Head(m);
    LayoutPages(m, [&doc](const TReportPage& page) { doc.pages.push_back(page); });
    return doc;
}

void TQRfrm_HardCopy::Print() const {
    const TTextMeasure& m = QtTextMeasure();
    PrintReportPages(Head(m), [&](const TPageSink& sink) { LayoutPages(m, sink); }, PrinterSettings.PrinterName);
}

void TQRfrm_HardCopy::LayoutPages(const TTextMeasure& m, const TPageSink& sink) const {
    const TPageSetup setup;
    const TReportFont font = ReportFontOf(Font);
    TBandFlow flow(setup, ReportTitle, {}, sink);
    bool nothingPrinted = true;
    for (const auto& item : Items) {
        const std::string& line = item.s;
        if (!line.empty() && line[0] == '/') {
            if (!nothingPrinted) flow.NewPage();
            nothingPrinted = false;
            continue;
        }
        nothingPrinted = false;
        AddTextLine(flow, line, font, setup.Width(), m);
    }
    flow.Finish();
}

TQRfrm_HardCopy& HardCopyForm() {
    if (auto* f = dynamic_cast<TQRfrm_HardCopy*>(Screen().FindForm("QRfrm_HardCopy"))) return *f;
    // Lives until the program ends, as the form made at start does.
    static TQRfrm_HardCopy* made = new TQRfrm_HardCopy();
    return *made;
}

} // namespace pem
