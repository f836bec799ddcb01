#pragma once
// The preview window of a report: its pages as they will print, page by
// page or several at once, zoomed, and from there printed, saved as PDF or
// saved as text. Shown modally through the dialog service, so tests answer
// it like any other window (they find the pages in Document()).
#include "ReportPages.h"

#include <QDialog>

class QPrinter;
class QPrintPreviewWidget;
class QToolBar;

namespace pem {

class TReportPreview : public QDialog {
public:
    TReportPreview(TReportDocument doc, std::string printerName, QWidget* parent = nullptr);
    ~TReportPreview() override;

    const TReportDocument& Document() const { return doc_; }
    QPrintPreviewWidget* PreviewWidget() const { return preview_; }

    // The buttons' work, also for tests.
    void PrintPages();          // on the printer (or the fallback PDF)
    void SavePdf();             // asks for the file through the dialog service
    void SaveText();
    int CurrentPage() const;    // 1-based
    void ShowPage(int page);

private:
    void Paint(QPrinter* printer);
    TReportDocument doc_;
    std::string printerName_;
    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget* preview_;
    QToolBar* bar_;
};

// Shows the preview modally.
void PreviewReportDocument(const TReportDocument& doc, const std::string& printerName = "");

} // namespace pem
