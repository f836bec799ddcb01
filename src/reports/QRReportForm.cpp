#include "QRReportForm.h"

#include "DialogService.h"
#include "ReportPreview.h"
#include "ReportPrinter.h"

#include <ctime>

namespace pem {

std::string ReportToday() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
    return buf;
}

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
