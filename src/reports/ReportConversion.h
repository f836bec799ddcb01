#pragma once
// Conversion of the document scanners' reports into metric documents.
//
// After a run of the document scanners the report "<system>.xml" (with its
// text companion "<system>.txt") lies in the output directory. The
// conversion moves both into the report folder of the product and version,
// keeps the report (less its first two lines) in "Original", and writes an
// export document for the evaluation tool into "Exports" and one document per
// component into "Components". When an XML editor tab on a report of the
// "Original" folder is saved, the same conversion runs again from the edited
// document. While such a report is edited, the editor's element-changed
// event recomputes the totals of its counter groups.
//
// Widget-free: the main form hands in its values, the templates of the
// compound metrics window and the channel for problems.
#include <string>
#include <string_view>

#include "MetricTemplates.h"
#include "ReportFolders.h"
#include "ReportProblems.h"
#include "TessalyXML.h"

namespace pem {

// What the conversion needs of an XML editor tab: the full path of the file
// it edits ("/" separators) and its document. The XML editor frame
// implements it.
class IReportEditor {
public:
    virtual ~IReportEditor() = default;
    virtual std::string ReportFileName() const = 0;
    virtual TMyXMLNodeList& ReportDocument() = 0;
};

// Where a conversion takes its report from.
struct TReportSource {
    // false: the report the scanner left in the output directory.
    bool FromEditor = false;
    // With FromEditor: the editor of the tab that was saved; null when the
    // saving tab holds no XML editor (the folders are made, nothing else).
    IReportEditor* Editor = nullptr;

    static TReportSource AfterRun() { return {}; }
    static TReportSource Saved(IReportEditor* editor) { return {true, editor}; }
};

// Everything a conversion reads besides its source.
struct TReportConversion {
    TScannerReportSettings Settings;
    TReportTemplates Templates;
    TReportProblems* Problems = nullptr;  // required
};

// The three conversions. Errors of the document work (a missing element, a
// counter that is not a number, a file that cannot be written) end in the
// "XML processing error:" dialog; documents written before stay. A failed
// move of the report, or a report that does not parse, raises.
void ConvertDefectReport(const TReportConversion& conv, const TReportSource& source);
void ConvertChangeReport(const TReportConversion& conv, const TReportSource& source);
void ConvertProjectReport(const TReportConversion& conv, const TReportSource& source);
// The conversion of the document kind (7, 8, 9); any other kind does nothing.
void ConvertScannerReport(const TReportConversion& conv, const TReportSource& source);

// The run road: for the document scanners (product kind 8), the conversion
// of the active document kind. Whatever it raises is shown as a warning;
// the caller's finishing goes on.
void ConvertReportAfterRun(const TReportConversion& conv);
// The editor road (an XML editor tab was saved): the same for the saving
// tab's editor (null when the tab holds none).
void ConvertCurrentReport(const TReportConversion& conv, IReportEditor* editor);

// Element-changed handlers for a report open in the XML editor: recompute
// "Total_..." and the weighted total of every counter group (kind 7), or
// "Total_..." of every change group (kind 8), from the document's cursor.
// A missing counter raises the document model's error.
void SumDefectCounters(TMyXMLNodeList& document);
void SumChangeCounters(TMyXMLNodeList& document);
// The handler for a document kind (7 or 8); null for any other kind.
using TCounterSums = void (*)(TMyXMLNodeList&);
TCounterSums CounterSumsFor(int documentKind);

// A name taken from report text made safe as part of a file name: "/", "\",
// ".." and control characters become "_".
std::string SafeFileNamePart(std::string_view name);

// The renames a project report gets before it is converted: the system's
// attribute written as "Organisation" becomes "System" (its first
// occurrence), the elements "Time" and "Costs" become "ElapsedTime" and
// "Accumulated_Costs".
std::string ProjectReportFixUps(std::string line);

} // namespace pem
