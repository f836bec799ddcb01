#include "ReportProblems.h"

#include "DialogService.h"

namespace pem {

std::string XmlProcessingErrorText(const std::string& message) {
    return "XML processing error:\r\n" + message;
}

void TDialogReportProblems::XmlProcessingError(const std::string& message) {
    Dialogs().MessageDlg(XmlProcessingErrorText(message), TMsgDlgType::mtError, mbOK);
}

void TDialogReportProblems::Warning(const std::string& text) {
    if (warning_) warning_(text);
}

} // namespace pem
