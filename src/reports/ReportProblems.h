#pragma once
// How the report conversion and the statistics tell the user about trouble:
// the guarded document work ends in one error dialog, "XML processing
// error:", CR LF and the exception's message; notes that do not stop the
// work go to the status bar as warnings. The main form injects the real
// channel; tests record what arrives.
#include <functional>
#include <string>

namespace pem {

class TReportProblems {
public:
    virtual ~TReportProblems() = default;
    // The document work failed with this exception message.
    virtual void XmlProcessingError(const std::string& message) = 0;
    // A note that does not stop the work.
    virtual void Warning(const std::string& text) = 0;
};

// The text of the error dialog for an exception message.
std::string XmlProcessingErrorText(const std::string& message);

// Errors through the dialog service (error icon, OK button); warnings to the
// given routine (the main form's status bar), or nowhere when none is given.
class TDialogReportProblems : public TReportProblems {
public:
    explicit TDialogReportProblems(std::function<void(const std::string&)> warning = {})
        : warning_(std::move(warning)) {}
    void XmlProcessingError(const std::string& message) override;
    void Warning(const std::string& text) override;

private:
    std::function<void(const std::string&)> warning_;
};

} // namespace pem
