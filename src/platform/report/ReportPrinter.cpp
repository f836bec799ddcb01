#include "ReportPrinter.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "Exceptions.h"
#include "QtText.h"
#include "ReportPainter.h"
#include "SafeFiles.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace pem {

namespace {
std::function<std::vector<std::string>()> g_printerNames;
std::string g_currentPrinter;
TReportEnvironment g_env;
TReportPrintHook g_hook;

QPageLayout PageLayoutOf(const TReportDocument& doc) {
    return QPageLayout(QPageSize(QSizeF(doc.pageWidth, doc.pageHeight), QPageSize::Millimeter),
                       doc.pageWidth > doc.pageHeight ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}
} // namespace

std::vector<std::string> PrinterNames() {
    if (g_printerNames) return g_printerNames();
    std::vector<std::string> names;
    for (const QString& n : QPrinterInfo::availablePrinterNames()) names.push_back(FromQ(n));
    return names;
}

std::string DefaultPrinterName() {
    if (g_printerNames) {
        auto names = g_printerNames();
        return names.empty() ? std::string() : names.front();
    }
    return FromQ(QPrinterInfo::defaultPrinterName());
}

void SetPrinterNamesProvider(std::function<std::vector<std::string>()> provider) {
    g_printerNames = std::move(provider);
}

std::string CurrentPrinterName() { return g_currentPrinter; }
void SetCurrentPrinterName(const std::string& name) { g_currentPrinter = name; }

void SetReportEnvironment(TReportEnvironment env) { g_env = std::move(env); }
std::string ReportFolder() { return g_env.fallbackFolder ? g_env.fallbackFolder() : std::string(); }
void SetReportPrintHook(TReportPrintHook hook) { g_hook = std::move(hook); }

std::string ReportPdfName(const std::string& title) {
    std::string name = title.empty() ? std::string("Report") : title;
    for (char& c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) c = '_';
    if (name == "." || name == "..") name = "Report";
    return name + ".pdf";
}

namespace {
TPageProducer PagesOf(const TReportDocument& doc) {
    return [&doc](const TPageSink& sink) {
        for (const auto& page : doc.pages) sink(page);
    };
}

// Paints the pages as they come; the first failure stops the painting, and
// the pages made after it are let go.
bool PaintPages(QPagedPaintDevice& device, const TPageProducer& produce) {
    TReportPagePainter painter(device);
    bool ok = true;
    produce([&](const TReportPage& page) { ok = ok && painter.Page(page); });
    return painter.End() && ok;
}
} // namespace

namespace {
// Paints the PDF into the file named, which the caller's replacement made.
// The writer keeps a failed write to itself, so the file's own error is
// asked for once the pages are done.
void PaintPdfInto(const TReportDocument& head, const TPageProducer& produce, const std::string& diskName,
                  const std::string& fileName) {
    QFile file(QString::fromStdString(diskName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw EFileError("Can not create file " + fileName);
    {
        QPdfWriter writer(&file);
        writer.setTitle(ToQ(head.title));
        writer.setCreator("Pemaris");
        writer.setResolution(600);
        writer.setPageLayout(PageLayoutOf(head));
        if (!PaintPages(writer, produce)) throw EFileError("Can not create file " + fileName);
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) throw EFileError("Can not write file " + fileName);
    file.close();
    if (file.error() != QFileDevice::NoError) throw EFileError("Can not write file " + fileName);
}

// The PDF printed without a printer is a file of the program's output
// folder: a link in its place is replaced, not followed.
void WriteOwnReportPdf(const TReportDocument& head, const TPageProducer& produce, const std::string& fileName) {
    ReplaceOwnFileAtomically(
        Cp1252ToUtf8(fileName),
        [&](const std::string& diskName) { PaintPdfInto(head, produce, diskName, fileName); }, fileName);
}
} // namespace

void WriteReportPdf(const TReportDocument& doc, const std::string& fileName) {
    WriteReportPdfPages(doc, PagesOf(doc), fileName);
}

void WriteReportPdfPages(const TReportDocument& head, const TPageProducer& produce, const std::string& fileName) {
    ReplaceFileAtomically(
        Cp1252ToUtf8(fileName),
        [&](const std::string& diskName) { PaintPdfInto(head, produce, diskName, fileName); }, fileName);
}

void WriteReportText(const TReportDocument& doc, const std::string& fileName) {
    ReplaceFileText(Cp1252ToUtf8(fileName), ReportPagesAsText(doc), fileName);
}

void PrintReportDocument(const TReportDocument& doc, const std::string& printerName) {
    PrintReportPages(doc, PagesOf(doc), printerName);
}

void PrintReportPages(const TReportDocument& head, const TPageProducer& produce, const std::string& printerName) {
    std::string name = printerName.empty() ? CurrentPrinterName() : printerName;
    if (g_hook) {
        TReportDocument doc = head;
        doc.pages.clear();
        produce([&doc](const TReportPage& page) { doc.pages.push_back(page); });
        g_hook(doc, name);
        return;
    }
    const TReportDocument& doc = head;
    const std::vector<std::string> printers = PrinterNames();
    if (printers.empty()) {
        const std::string folder = ReportFolder();
        if (folder.empty()) throw Exception("No printer is installed and there is no folder for the PDF file");
        const std::string file = IncludeTrailingSeparator(folder, '/') + ReportPdfName(doc.title);
        WriteOwnReportPdf(doc, produce, file);
        if (g_env.notify) g_env.notify("No printer is installed: printed to " + file);
        return;
    }
    bool known = false;
    for (const auto& p : printers) known = known || p == name;
    if (!known) name = DefaultPrinterName().empty() ? printers.front() : DefaultPrinterName();
    QPrinter printer(QPrinterInfo::printerInfo(ToQ(name)), QPrinter::HighResolution);
    printer.setDocName(ToQ(doc.title));
    printer.setFullPage(true);
    printer.setPageLayout(PageLayoutOf(doc));
    if (!PaintPages(printer, produce)) throw Exception("Can not print on " + name);
}

} // namespace pem
