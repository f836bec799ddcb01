#pragma once
// The base of the program's report forms: a title, the printer they print
// on (by name), a layout pass that gives the pages, and the preview,
// printing and printer setup that every form offers on those pages.
#include "Forms.h"
#include "ReportLayout.h"

#include <string>

namespace pem {

// Today's date as the report headers show it ("yyyy-mm-dd").
std::string ReportToday();

struct TQRPrinterSettings {
    std::string PrinterName; // "" the program's current printer
};

class TQRReportForm : public TForm {
public:
    TQRReportForm(const std::string& name, const char* className) : TForm(name, className) {}

    std::string ReportTitle;
    TQRPrinterSettings PrinterSettings;

    // The pages of the report as it stands (a form without a layout of its
    // own gives one empty page).
    virtual TReportDocument Layout(const TTextMeasure& measure) const;
    TReportDocument Layout() const { return Layout(QtTextMeasure()); }

    // Shows the pages in the preview window (modal).
    void Preview() const;
    // Prints the pages on the form's printer.
    virtual void Print() const;
    // Lets the user choose the form's printer by name; false when cancelled.
    bool PrinterSetup();
};

} // namespace pem
