#pragma once
// The job file as plain text: its head (the active language button and the
// job's properties), the limits grid lines, the names that make the job's
// file name, and saving without ever leaving a half-written job behind.
// The form-state sections that follow the head are written and read by the
// form-state store; the main form joins both.
#include "StringList.h"

#include <string>
#include <vector>

namespace pem {

// The progress counters of a run, kept in the job while a tool runs.
struct TRunCounters {
    int RenamedModules = 0;
    int Modules = 0;
    int RenamedSourceFiles = 0;
    int SourceFiles = 0;
    bool operator==(const TRunCounters&) const = default;
};

// Everything the head of a job file holds.
struct TJobHead {
    std::string ActiveRadioButton; // component name of the language button
    std::string ProjectName;
    std::string ProductName;
    std::string SystemName;
    std::string SystemVersion;
    bool BatchRunning = false;
    std::string LanguageCode;    // written for the reader only, never read back
    std::string LanguageVersion; // "ProjectSubVersion"
    std::string ToolRootDir;     // written for the reader only, never read back
    std::string InterfaceType;
    int MaxDirDepth = 0;
    std::string CommonRoot;
    int SelectedFilesScreenWidth = 0;
    bool SystemNameByDirectory = false;
    long long SourceLinesInJob = 0;
    bool PreviewBeforePrinting = false;
    TRunCounters Counters; // written only while a tool runs
    bool operator==(const TJobHead&) const = default;
};

// One row of the limits grid: columns 0, 1 and 2.
struct TLimitRow {
    std::string Col0, Col1, Col2;
};

// Appends "[RadioButtons]", the active button, "[Properties]" and the
// properties in their fixed order. Values go through the list's name=value
// assignment, so an empty value writes no line.
void ComposeJobHead(const TJobHead& head, TStringList& out);

// Appends "[TStringGrid]", "<grid>=<grid>" and one line per row in the form
// the limits list is read back from: column 2 "=" column 0 "," column 1
// (columns 0 and 1 trimmed).
void ComposeLimitsGrid(const std::string& gridName, const std::vector<TLimitRow>& rows, TStringList& out);

// The head read back from a job file's text. Keys are looked up (case
// ignored) only in the head: the lines before the first form-state section
// ("[Form - "), so a memo line of the same name never stands in for a
// missing key. A missing key leaves its default (a structure level of 0),
// and so does a negative structure level.
// A value that should be a number or a strict boolean and is not raises
// EConvertError. limitLines receives the lines after the limits grid's
// "StringGridNumParams" line up to the next section header.
TJobHead ParseJobHead(const TStringList& text, TStringList* limitLines = nullptr);

// Settings keys of the jobs the derived products reopen at their next start
// (written on saving, forgotten by the reset of the output).
inline constexpr const char* kKeyJobFile = "RememberedJobFile";           // kinds 1, 2 and 6
inline constexpr const char* kKeyTestCaseList = "RememberedTestCaseList"; // kind 6
inline constexpr const char* kKeyJobName = "RememberedJobName";           // kind 4
inline constexpr const char* kKeyJobFolder = "RememberedJobFolder";       // kind 4

// Whether a product or system name may become part of a file or folder name:
// not empty, not beginning with a digit, and holding no "/", "\", ".." or
// control character (a pasted line end would end up in the file name).
bool IsValidJobPartName(const std::string& text);
// Whether a job name may become a file name: not empty, no "/", "\", ".."
// or control character.
bool IsSafeJobName(const std::string& text);
// Digits and "." only, not empty.
bool IsValidVersion(const std::string& text);

// The job name made of the product name, the system name and the language
// version, each with capitalised words.
std::string ComposeJobName(const std::string& productName, const std::string& systemName,
                           const std::string& languageVersion);
// The file name without folder and extension.
std::string JobNameFromFileName(const std::string& fileName);
// The caption's part before its last " [", then " [" job "]", then its part
// after its last "]".
std::string CaptionWithJobName(const std::string& caption, const std::string& jobName);
// The caption's part before its last " - ", " - " and the language's name.
std::string CaptionWithLanguage(const std::string& caption, const std::string& languageName);
// The selected-files caption: its part before "(", "(" count ")" and
// " Number of source lines(n)" with thousands separated by ",".
std::string SelectedFilesCaption(const std::string& caption, int fileCount, long long sourceLines);
// Its part before "(" and "(0)".
std::string SelectedFilesCaptionCleared(const std::string& caption);
// The folder whose parent is remembered for the next job's output directory:
// the parent of the output directory, or the output directory itself when
// its parent is the root.
std::string OutputDirParentToRemember(const std::string& outputDir);

} // namespace pem
