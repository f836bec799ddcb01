#include "ReportPreview.h"

#include "DialogService.h"
#include "Exceptions.h"
#include "HandlerGuard.h"
#include "QtText.h"
#include "ReportPainter.h"
#include "ReportPrinter.h"

#include <QAction>
#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

namespace pem {

TReportPreview::TReportPreview(TReportDocument doc, std::string printerName, QWidget* parent)
    : QDialog(parent), doc_(std::move(doc)), printerName_(std::move(printerName)) {
    setObjectName("ReportPreview");
    setWindowTitle(ToQ(doc_.title.empty() ? std::string("Preview") : "Preview - " + doc_.title));
    resize(820, 900);
    // The preview paints into a PDF-format printer: it needs no installed
    // printer and shows the page size of the report.
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setFullPage(true);
    printer_->setPageLayout(QPageLayout(QPageSize(QSizeF(doc_.pageWidth, doc_.pageHeight), QPageSize::Millimeter),
                                        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    bar_ = new QToolBar(this);
    layout->addWidget(bar_);
    preview_ = new QPrintPreviewWidget(printer_.get(), this);
    layout->addWidget(preview_, 1);
    QObject::connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) { Paint(p); });

    auto add = [this](const char* name, const char* text, std::function<void()> fn) {
        QAction* a = bar_->addAction(text);
        a->setObjectName(name);
        QObject::connect(a, &QAction::triggered, this, [fn] { RunGuarded(fn); });
    };
    add("ActPreviewPrint", "&Print", [this] { PrintPages(); });
    add("ActPreviewPdf", "Save as P&DF...", [this] { SavePdf(); });
    add("ActPreviewText", "Save as &text...", [this] { SaveText(); });
    bar_->addSeparator();
    add("ActPreviewFirst", "|<", [this] { ShowPage(1); });
    add("ActPreviewPrior", "<", [this] { ShowPage(CurrentPage() - 1); });
    add("ActPreviewNext", ">", [this] { ShowPage(CurrentPage() + 1); });
    add("ActPreviewLast", ">|", [this] { ShowPage(static_cast<int>(doc_.pages.size())); });
    bar_->addSeparator();
    add("ActPreviewFitWidth", "Page width", [this] { preview_->fitToWidth(); });
    add("ActPreviewWholePage", "Whole page", [this] { preview_->fitInView(); });
    add("ActPreviewZoomIn", "Zoom +", [this] { preview_->zoomIn(); });
    add("ActPreviewZoomOut", "Zoom -", [this] { preview_->zoomOut(); });
    bar_->addSeparator();
    add("ActPreviewClose", "&Close", [this] { accept(); });
    preview_->fitToWidth();
    preview_->updatePreview();
}

TReportPreview::~TReportPreview() = default;

void TReportPreview::Paint(QPrinter* printer) {
    QPainter painter;
    if (!painter.begin(printer)) return;
    for (size_t i = 0; i < doc_.pages.size(); ++i) {
        if (i > 0) printer->newPage();
        PaintReportPage(painter, doc_.pages[i]);
    }
    painter.end();
}

void TReportPreview::PrintPages() { PrintReportDocument(doc_, printerName_); }

void TReportPreview::SavePdf() {
    TOpenDialogRequest req;
    req.title = "Save the report as PDF";
    req.filters = {{"PDF files (*.pdf)", "*.pdf"}};
    req.defaultExt = "pdf";
    req.fileName = ReportPdfName(doc_.title);
    req.initialDir = ReportFolder();
    std::string file;
    if (!Dialogs().SaveFile(req, file)) return;
    WriteReportPdf(doc_, file);
}

void TReportPreview::SaveText() {
    TOpenDialogRequest req;
    req.title = "Save the report as text";
    req.filters = {{"Text files (*.txt)", "*.txt"}};
    req.defaultExt = "txt";
    std::string base = ReportPdfName(doc_.title);
    req.fileName = base.substr(0, base.size() - 4) + ".txt";
    req.initialDir = ReportFolder();
    std::string file;
    if (!Dialogs().SaveFile(req, file)) return;
    WriteReportText(doc_, file);
}

int TReportPreview::CurrentPage() const { return preview_->currentPage(); }

void TReportPreview::ShowPage(int page) {
    const int n = static_cast<int>(doc_.pages.size());
    if (n == 0) return;
    preview_->setCurrentPage(std::clamp(page, 1, n));
}

void PreviewReportDocument(const TReportDocument& doc, const std::string& printerName) {
    TReportPreview preview(doc, printerName, QApplication::activeWindow());
    Dialogs().ShowModal(&preview);
}

} // namespace pem
