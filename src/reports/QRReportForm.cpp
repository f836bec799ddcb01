#include "QRReportForm.h"

#include "DialogService.h"
#include "ReportPreview.h"
#include "ReportPrinter.h"

namespace pem {

TReportDocument TQRReportForm::Layout(const TTextMeasure&) const {
    TBandFlow flow(TPageSetup{}, ReportTitle);
    return flow.Finish();
}

void TQRReportForm::Preview() const { PreviewReportDocument(Layout(), PrinterSettings.PrinterName); }

void TQRReportForm::Print() const { PrintReportDocument(Layout(), PrinterSettings.PrinterName); }

bool TQRReportForm::PrinterSetup() {
    std::string name = PrinterSettings.PrinterName.empty() ? CurrentPrinterName() : PrinterSettings.PrinterName;
    if (!Dialogs().SelectPrinter(PrinterNames(), name)) return false;
    PrinterSettings.PrinterName = name;
    return true;
}

} // namespace pem
