#pragma once
// Where the document scanners' reports and the documents made from them live:
// under the output directory, one report area per document kind, then the
// product name and "V" with the system version, each with the subfolders
// "Original", "Exports" and "Components".
//
// Widget-free; the values come from the main form.
#include <string>
#include <string_view>

namespace pem {

// Document kinds of the document scanners.
constexpr int kDocumentKindDefects = 7;   // problem reports ("DEFI")
constexpr int kDocumentKindChanges = 8;   // change requests ("CHNG")
constexpr int kDocumentKindProjects = 9;  // time sheets ("TIME")
// Product kind of the document scanners.
constexpr int kProductKindDocumentScanners = 8;

// What the report conversion and the statistics read of the main form.
struct TScannerReportSettings {
    std::string OutputDir;      // the output directory as typed (trailing "/" optional)
    std::string ProductName;
    std::string SystemName;
    std::string SystemVersion;  // as typed: digits and dots
    int DocumentKind = 0;       // 7, 8 or 9
    int ProductKind = 0;        // 8 for the document scanners
};

// "ErrorReports", "ChangeReports" or "ProjectReports" for the kinds 7, 8, 9;
// "" for any other kind.
std::string ReportAreaOf(int documentKind);

// The output directory with a trailing "/", the area, "/", the product name,
// "/V", the version and "/".
std::string ReportFolder(const TScannerReportSettings& settings, std::string_view area);

} // namespace pem
