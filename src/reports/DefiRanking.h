#pragma once
// The deficiency ranking: how often each rule was violated over all
// deficiency listings (".def") in the subfolders of the output directory's
// Defis folder, by severity, written as the text report "Rule
// Violations.txt": each severity ordered by code (or name), then by the
// number of occurrences.
//
// Widget-free. The main form finds the files, shows the progress group and
// hands the report to the simple viewer.
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

inline constexpr char kNoDeficiencyFilesFound[] = "No deficiency files found in output directory";
inline constexpr char kRuleViolationsFileName[] = "Rule Violations.txt";

enum TDefiSeverity { dsMajor = 0, dsMedium = 1, dsMinor = 2, dsNone = 3 };

// One listing line as the ranking reads it: its severity (dsNone when the
// line is not counted) and its violation key.
struct TDefiLine {
    TDefiSeverity Severity = dsNone;
    std::string Key;
};

// Reads one line. numbered is the nearest line below it whose columns 18 to
// 22 are an integer (empty when there is none); the "| MAJOR  |" forms take
// their key from it.
TDefiLine ClassifyDefiLine(std::string_view line, std::string_view numbered);

// Whether a line's columns 18 to 22, trimmed, are a decimal integer.
bool IsNumberedDefiLine(std::string_view line);

// The counts of one ranking, kept across listings.
class TDefiRanking {
public:
    // Counts the lines of one listing's text, examined from the last to the
    // first.
    void CountListing(std::string_view text);
    // The report's lines.
    std::vector<std::string> ReportLines() const;
    // Code mode: every key met so far begins with two digits.
    bool CodeMode() const { return codeMode_; }
    // Occurrences of a key in a severity (0 when never met).
    int Count(TDefiSeverity severity, std::string_view key) const;

private:
    struct Less {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    // Key -> occurrences; keys equal but for case are one key.
    std::map<std::string, int, Less> counts_[3];
    bool codeMode_ = true;
    std::vector<std::string_view> lines_; // the listing being counted
};

// The caption of the progress group while the ranking reads n files.
std::string DefiRankingCaption(int fileCount);

// The found files that lie in subfolders of the deficiency folder (given
// with a trailing "/").
std::vector<std::string> DefiFilesInSubfolders(const std::vector<std::string>& files, const std::string& defiFolder);

// Counts the files in order and returns the report's lines; onFileRead runs
// after each file is read. File errors as EFileError.
std::vector<std::string> RankDeficiencies(const std::vector<std::string>& files,
                                          const std::function<void()>& onFileRead = {});

} // namespace pem
