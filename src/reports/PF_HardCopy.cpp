#include "PF_HardCopy.h"

#include "ReportPainter.h"


namespace pem {

TQRfrm_HardCopy::TQRfrm_HardCopy() : TQRReportForm("QRfrm_HardCopy", "TQRfrm_HardCopy") { SetCaption("Hard copy"); }

TReportDocument TQRfrm_HardCopy::Layout(const TTextMeasure& m) const {
    const TPageSetup setup;
    const TReportFont font = ReportFontOf(Font);
    TBandFlow flow(setup, ReportTitle);
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
    return FinishTextPages(flow, font, m);
}

} // namespace pem
