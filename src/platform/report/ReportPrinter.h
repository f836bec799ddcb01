#pragma once
// The printer side of the report layer: printers are known by name, one of
// them is the program's current printer, and a report goes to a printer by
// name, to a PDF file or to a text file. Where no printer is installed,
// printing writes "<title>.pdf" into the folder the program names (its
// output directory; a link in that file's place is replaced, not followed)
// and says so.
#include "ReportLayout.h"
#include "ReportPages.h"

#include <functional>
#include <string>
#include <vector>

namespace pem {

// Names of the installed printers, and the system's default ("" for none).
std::vector<std::string> PrinterNames();
std::string DefaultPrinterName();
// Replaces the printer list (tests); an empty function restores the system's.
void SetPrinterNamesProvider(std::function<std::vector<std::string>()> provider);

// The program's current printer by name; "" means the system's default.
std::string CurrentPrinterName();
void SetCurrentPrinterName(const std::string& name);

// What the program tells the report layer: the folder for PDF files printed
// without a printer, and where to say what happened.
struct TReportEnvironment {
    std::function<std::string()> fallbackFolder;
    std::function<void(const std::string&)> notify;
};
void SetReportEnvironment(TReportEnvironment env);
// The folder the program names for its report files ("" when none).
std::string ReportFolder();

// When set, every report printed goes to the hook instead of a printer or a
// file (tests read the pages there).
using TReportPrintHook = std::function<void(const TReportDocument& doc, const std::string& printerName)>;
void SetReportPrintHook(TReportPrintHook hook);

// Prints the pages on the printer of that name ("" the current one). With
// no printer installed the pages go to "<title>.pdf" in the fallback folder.
// Raises Exception when neither works.
void PrintReportDocument(const TReportDocument& doc, const std::string& printerName = "");

// Makes the pages of a report one at a time: hands each to the sink, in
// order, as soon as it is laid out.
using TPageProducer = std::function<void(const TPageSink& sink)>;
// Prints the pages as they are made, each painted before the next is laid
// out: a report of thousands of pages is never held whole. head gives the
// title, the page size and the text columns (its pages are not used). The
// print hook, when set, receives the whole document. As PrintReportDocument
// otherwise.
void PrintReportPages(const TReportDocument& head, const TPageProducer& produce,
                      const std::string& printerName = "");

// Writes the pages as a PDF file / as plain text (ReportPagesAsText) that the
// user chose: the whole file replaces an older one in one step, so a failed
// write (a full disk) leaves that one whole; a link in its place stays and
// its target is written, with its mode. Raise EFileError "Can not create
// file %s" or "Can not write file %s" on failure.
void WriteReportPdf(const TReportDocument& doc, const std::string& fileName);
// The PDF file written page by page as they are made.
void WriteReportPdfPages(const TReportDocument& head, const TPageProducer& produce, const std::string& fileName);
void WriteReportText(const TReportDocument& doc, const std::string& fileName);

// The name the fallback PDF gets: the title with characters that cannot
// stand in a file name replaced by "_", and ".pdf".
std::string ReportPdfName(const std::string& title);

} // namespace pem
