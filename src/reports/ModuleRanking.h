#pragma once
// The module ranking: the exceptional modules of the last analysis, read from
// the metrics reports (".met") below the output directory's Metrics folder,
// listed in the text report "Module Ranking.txt": modules whose size is at
// least a statement limit, whose complexity is at least a complexity limit,
// and whose quality is at most a quality limit.
//
// Widget-free. The main form asks for the limits, finds the files, shows the
// progress group, and hands the report to the simple viewer.
#include "Exceptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

// Messages that end the ranking through the status bar's Error.
inline constexpr char kNoModuleRankingProduced[] = "No modul ranking list produced";
inline constexpr char kNoMetricsFileFound[] = "No metrics file found in output directory";
inline constexpr char kUnknownMetricsFormat[] = "Unknown metrics file format - ";
inline constexpr char kModuleRankingFileName[] = "Module Ranking.txt";

// A failure that ends a ranking with its message on the status bar.
class ERankingError : public Exception {
public:
    using Exception::Exception;
};

struct TModuleRankingLimits {
    std::int32_t StatementNumber = 1000;
    double Complexity = 0.7;
    double Quality = 0.5;
};

// The limits from the texts of the limits dialog's three fields, each
// trimmed. Raises EConvertError for a text that is no number.
TModuleRankingLimits ModuleRankingLimitsFromTexts(std::string_view statementNumber, std::string_view complexity,
                                                  std::string_view quality);

// What a metrics report's lines are: the report kind (0 database, 1
// interface, 2 program, 3 requirement, 4 design; -1 unknown) and the keys of
// its quality, complexity and size lines, as the report spells them.
struct TMetricsReportFormat {
    int Kind = -1;
    std::string QualityKey, ComplexityKey, SizeKey;
    bool Known() const { return Kind >= 0 && !SizeKey.empty(); }
};

// Recognises the format from a report's lines, read from the last to the
// first in lower case: the quality line nearest the end gives the kind, the
// complexity line above it, then the size line above that (of adjacent size
// lines the upper one).
TMetricsReportFormat RecognizeMetricsReport(const std::vector<std::string_view>& lines);

// A report line's key: its text before the first ">" (all of it without one).
std::string_view MetricsLineKey(std::string_view line);
// A report line's value: the text after the first ">", trimmed, up to the
// first blank.
std::string_view MetricsLineValue(std::string_view line);
// The measure a key names, for the report's headings: the text after the
// key's first blank up to the first "=", trimmed, in lower case, blank runs
// made one blank.
std::string MeasureNameOfKey(std::string_view key);

// The metrics folder's files after narrowing by kind: for interface and
// program reports only those in subfolders; for the other kinds those in
// subfolders, and those directly in the folder that have a ".xml" file of
// the same name beside them.
std::vector<std::string> NarrowMetricsFiles(const std::vector<std::string>& files, const std::string& metricsFolder,
                                            int kind);

// The caption of the progress group while the ranking reads n files.
std::string ModuleRankingCaption(int fileCount);

// Ranks the modules of the found files (metricsFolder with a trailing "/";
// files in the order found, at least one) and returns the report's lines.
// onFileRead runs after each file is read. Raises ERankingError for an
// unrecognised first file and for a value that is no number (naming the
// file); file errors as EFileError.
std::vector<std::string> RankModules(const std::string& metricsFolder, const std::vector<std::string>& files,
                                     const TModuleRankingLimits& limits,
                                     const std::function<void()>& onFileRead = {});

} // namespace pem
