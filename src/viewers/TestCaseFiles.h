#pragma once
// The files of a test case listing: the listing itself, its ".CSV" and
// ".XML" companions and the system's metrics report with the test case
// count. Every file is read as it is and written back with its own line
// ends, replaced in one step, so a failed write leaves the old file whole.
#include <string>
#include <unordered_set>
#include <vector>

namespace pem {

// A text file's lines and how it ended them, so that it is written back
// byte for byte as read except for the lines changed.
struct TTextLines {
    std::vector<std::string> lines;
    std::string lineBreak = "\n"; // CR LF when the first line end is one
    bool finalBreak = true;       // the last line ends with a line break
};
// Raise EFileError.
TTextLines ReadTextLines(const std::string& fileName);
void WriteTextLines(const std::string& fileName, const TTextLines& text);

extern const char* const kTestCaseCountPrefix;
// The count line: the prefix, the count as "%9d", "     |".
std::string TestCaseCountLine(int count);

// The companion of the listing with that extension (".CSV", ".XML") in any
// letter case; "" when there is none.
std::string TestCaseCompanion(const std::string& listing, const std::string& extension);
// The system's metrics report, "<output>/Metrics/<system>.met" in any
// letter case; "" when there is none.
std::string TestCaseMetricsReport(const std::string& outputDir, const std::string& systemName);

using TTestCaseIds = std::unordered_set<std::string>;

// Removes the lines whose characters 2 to W + 1 are a deleted identifier.
// Returns the number of lines removed.
int PruneTestCaseCsvLines(std::vector<std::string>& lines, const TTestCaseIds& deleted, int width);
// Removes the blocks from a line that begins with the block start (five
// blanks and <TestFall Id = ") whose characters 22 to W + 21 are a deleted
// identifier, up to and including the next line that begins with the
// block's end (or the end of the file). Returns the number of blocks.
int PruneTestCaseXmlLines(std::vector<std::string>& lines, const TTestCaseIds& deleted, int width);
// Replaces every count line of a metrics report. Returns how many.
int ReplaceTestCaseCount(std::vector<std::string>& lines, int count);

// The same on the files, each read and written back.
int PruneTestCaseCsv(const std::string& fileName, const TTestCaseIds& deleted, int width);
int PruneTestCaseXml(const std::string& fileName, const TTestCaseIds& deleted, int width);
int WriteTestCaseCount(const std::string& fileName, int count);

// One save of an edited listing.
struct TTestCaseSave {
    std::string listing;          // the listing's file
    TTextLines text;              // its lines to write and its line ends
    TTestCaseIds deleted;         // identifiers of the deleted test cases
    int width = 12;               // W
    bool skipCompanions = false;  // leave ".CSV", ".XML" and the count alone
    std::string outputDir, systemName;
};
// Writes the listing, prunes the companions and rewrites the count. A
// missing companion does not stop the rest: its message ("CSV version of
// ... is not found", "XML version of ...") is returned; a missing metrics
// report is passed over. File errors raise EFileError.
std::vector<std::string> SaveTestCaseFiles(const TTestCaseSave& save);

} // namespace pem
