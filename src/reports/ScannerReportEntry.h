#pragma once
// The two places the main form starts a report conversion from, with the
// templates of the compound metrics window and the program's channels for
// problems: errors in the "XML processing error:" dialog, warnings to the
// given routine (the status bar).
#include <functional>
#include <string>

#include "ReportConversion.h"

namespace pem {

using TWarningSink = std::function<void(const std::string&)>;

// The run's finishing step calls this after every run of the document
// scanners (product kind 8; other products convert nothing). Nothing it
// meets escapes: a failure arrives at warning and the finishing goes on.
void ConvertScannerReportAfterRun(const TScannerReportSettings& settings, const TWarningSink& warning);

// The saved event of an XML editor tab opened on a report: editor is the
// tab's editor, null when the tab holds none.
void ConvertSavedReport(const TScannerReportSettings& settings, IReportEditor* editor, const TWarningSink& warning);

// The templates of the compound metrics window's single instance, or the
// built-in texts while there is none.
TReportTemplates CurrentReportTemplates();

} // namespace pem
