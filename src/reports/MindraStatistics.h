#pragma once
// Defect, change and project statistics and rankings over the documents the
// report conversion leaves in the report folders: one record per document,
// sorted once by its key, the total record appended last.
//
// Widget-free. The main form's five Show... routines call the Collect...
// routine of their report with the busy cursor on; then, by the outcome:
//  - NoFiles: the status bar's Error with NoFilesMessage (ends the action);
//  - Failed: nothing more (the "XML processing error:" dialog was shown
//    through the problems channel);
//  - Ready: restore the cursor, choose the printer as MindraReportInfo says,
//    set the report form's title, product and version captions from the
//    report, hand Items (keys and records, the total last) to its strings
//    band and preview it. The records are plain values owned by the result.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "BaseFileUtils.h"
#include "ReportFolders.h"
#include "ReportProblems.h"
#include "TessalyXML.h"

namespace pem {

// The five role blocks of a statistic record, in this order.
enum TRoleBlock : int { rbDevelopers = 0, rbTesters = 1, rbManagers = 2, rbUsers = 3, rbSum = 4 };
constexpr int kRoleBlocks = 5;

struct TErrorCounts {
    std::int64_t Fatal = 0, Major = 0, Media = 0, Minor = 0;
    std::int64_t Unkno = 0;  // severity not given
    std::int64_t Total = 0;
    std::int64_t Weigh = 0;  // weighted total
    double Share = 0;        // the block's share of the weighted defects
};

// One system (statistic) or one component (ranking: only the first block).
struct TErrorEntities {
    std::string SystemName;
    std::string ComponentName;  // rankings; "Product Total" in a ranking's total
    std::string Date;
    std::array<TErrorCounts, kRoleBlocks> Blocks{};
};

struct TChangeCounts {
    std::int64_t Extend = 0, Adapt = 0, Perfect = 0, Convert = 0, Integr = 0, Total = 0;
    double Impact = 0;
    double Share = 0;  // the block's share of the impact
};

struct TChangeEntities {
    std::string SystemName;
    std::string ComponentName;
    std::string Date;
    std::array<TChangeCounts, kRoleBlocks> Blocks{};
};

// One component of a project.
struct TProjectEntities {
    std::string SystemName;
    std::string ComponentName;  // "Product Total" in the total
    std::string ComponentType;  // empty in the total
    std::string Date;
    TDateTime StartDate = 0;
    TDateTime EndDate = 0;
    std::int64_t HeadCount = 0;
    std::int64_t Effort = 0;
    std::string EffortUnit;
    std::int64_t ElapsedTime = 0;
    std::string ElapsedTimeUnit;
    std::int64_t AccumulatedCosts = 0;
    std::string CostsUnit;
};

// One line of a report: its sort key and its record.
template <class R>
struct TReportEntry {
    std::string Key;
    R Record;
};

enum class TMindraReportKind { DefectStatistic, DefectRanking, ChangeStatistic, ChangeRanking, ProjectStatistic };

// Which printer a report is printed on.
enum class TReportPrinterChoice {
    ApplicationPrinter,  // the application's current printer
    FormPrinter,         // as the report form has it
    HardCopyPrinter,     // the printer chosen for the hard-copy report form
};

struct TMindraReportInfo {
    const char* Area;            // "ErrorReports" ...
    const char* Subfolder;       // "Original" or "Components"
    const char* NoFilesMessage;  // the status-bar error when no document is found
    const char* TitlePrefix;     // "Defect_Statistic_Report_" ...
    TReportPrinterChoice Printer;
};
const TMindraReportInfo& MindraReportInfo(TMindraReportKind kind);

// The folder a report reads: the report folder of its area and its subfolder.
std::string MindraReportFolder(const TScannerReportSettings& settings, TMindraReportKind kind);
// Title prefix, product name, "_V" and the version with "_" for every ".".
std::string MindraReportTitle(const TScannerReportSettings& settings, TMindraReportKind kind);

template <class R>
struct TMindraReport {
    std::string Title;        // the report form's title
    std::string ProductName;  // caption of QRLabelProductName
    std::string Version;      // caption of QRLabelVersion
    std::string Systems;      // rankings: the ranked systems, ", " between them
    std::vector<TReportEntry<R>> Items;  // sorted; the total record last
};

enum class TMindraOutcome { Ready, NoFiles, Failed };

template <class R>
struct TMindraResult {
    TMindraOutcome Outcome = TMindraOutcome::Failed;
    std::string NoFilesMessage;
    TMindraReport<R> Report;
};

// Settings used: OutputDir, ProductName, SystemVersion.
TMindraResult<TErrorEntities> CollectDefectStatistic(const TScannerReportSettings& settings, TReportProblems& problems);
TMindraResult<TErrorEntities> CollectDefectRanking(const TScannerReportSettings& settings, TReportProblems& problems);
TMindraResult<TChangeEntities> CollectChangeStatistic(const TScannerReportSettings& settings, TReportProblems& problems);
TMindraResult<TChangeEntities> CollectChangeRanking(const TScannerReportSettings& settings, TReportProblems& problems);
TMindraResult<TProjectEntities> CollectProjectStatistic(const TScannerReportSettings& settings,
                                                        TReportProblems& problems);

// A "dd/mm/yyyy" date (day and month of one or two digits, a year of four,
// blanks around allowed) as days since 1899-12-30. Anything else raises
// EConvertError "'%s' is not a valid date". Nothing global is read or changed.
TDateTime ParseReportDate(std::string_view text);

// "%30.30s": the text cut after 30 bytes and right-aligned in 30.
std::string RightAligned30(std::string_view text);

} // namespace pem
