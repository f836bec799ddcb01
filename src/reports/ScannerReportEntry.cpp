#include "ScannerReportEntry.h"

#include "CompoundMetrics.h"

namespace pem {

TReportTemplates CurrentReportTemplates() {
    if (TfrmCompoundMetrics* form = TfrmCompoundMetrics::Instance()) return form->ReportTemplates();
    return BuiltInReportTemplates();
}

void ConvertScannerReportAfterRun(const TScannerReportSettings& settings, const TWarningSink& warning) {
    TDialogReportProblems problems(warning);
    ConvertReportAfterRun({settings, CurrentReportTemplates(), &problems});
}

void ConvertSavedReport(const TScannerReportSettings& settings, IReportEditor* editor, const TWarningSink& warning) {
    TDialogReportProblems problems(warning);
    ConvertCurrentReport({settings, CurrentReportTemplates(), &problems}, editor);
}

} // namespace pem
