#pragma once
// The test plan generator: an RTF template filled for the current system.
// Placeholders take the system name and figures from the system's metrics
// report; include marks take the chosen objects, the use cases with their
// steps (use case listing) and the requirements (test case listing). The
// template is written line by line into "temprtf.rtf" in the run's private
// temporary folder, whose text then replaces <Product><System>TestPlan.rtf in
// the output directory's Specs folder in one step (never through a link in
// its place). Template and listings are read only when they are regular
// files.
//
// Widget-free; the main form gives the names, the template and the ticked
// objects, and shows the outcome on the status bar.
#include "Exceptions.h"
#include "StringList.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

inline constexpr char kNoUseCaseFile[] = "There is no usecase file, run analysis first!";
inline constexpr char kNoMetricsFile[] = "There is no metrics file, run analysis first!";
inline constexpr char kNoTestCaseFile[] = "There is no test case file, run analysis first!";
inline constexpr char kTestPlanIOError[] = "I/O error:";
inline constexpr char kTestPlanCreated[] = "Test specification created in ";
inline constexpr char kTestPlanTempName[] = "temprtf.rtf";

// A failure that ends the generator with its message on the status bar.
class ETestPlanError : public Exception {
public:
    using Exception::Exception;
};

struct TTestPlanFigures {
    int Actors = 1;
    int TestCases = 1;
    int TestCasePoints = 1;
    int TestDays = 0;      // test case points / 8, rounded half to even
    int DaysPerActor = 0;  // test days / actors, rounded half to even
};

// One figure of the metrics report read as name=value lines: the line's name
// compared ignoring case (blanks count); of its value the text after the
// first ">" up to the first "|", trimmed, read as a number with "0" in
// front. A missing line reads 0. Raises EConvertError for a value that is no
// number.
int TestPlanFigure(const TStringList& metrics, std::string_view name);
// The three figures (0 read as 1) and the two derived ones.
TTestPlanFigures TestPlanFigures(const TStringList& metrics);

// Every "\" doubled, for text placed into RTF.
std::string RtfEscapeBackslashes(std::string_view s);
// Every "{" and "}" written as "\{" and "\}": braces from the listings would
// otherwise open or close RTF groups.
std::string RtfEscapeBraces(std::string_view s);

// The six placeholders of a template line replaced, each everywhere.
std::string FillTestPlanPlaceholders(std::string line, std::string_view systemName, const TTestPlanFigures& figures);

struct TTestPlanJob {
    std::string OutputDir;     // as typed (trailing "/" optional)
    std::string ProductName;
    std::string SystemName;
    std::string TemplateFile;
    std::vector<std::string> Objects;  // the ticked entries of the object list, in order
};

// The three listings a job reads (as given; the generator finds them
// ignoring case) and the file it makes.
std::string TestPlanUseCaseFile(const TTestPlanJob& job);
std::string TestPlanMetricsFile(const TTestPlanJob& job);
std::string TestPlanTestCaseFile(const TTestPlanJob& job);
std::string TestPlanOutputFile(const TTestPlanJob& job);

// Writes the filled template to out, line by line, each line ended by LF.
// The listings are read as they are needed. File errors as EFileError.
void WriteTestPlan(std::istream& templ, std::ostream& out, const TTestPlanJob& job, const TTestPlanFigures& figures,
                   const std::string& useCaseFile, const std::string& testCaseFile);

// The whole generator; returns the file made. Raises ETestPlanError with the
// status-bar message: a missing listing, or "I/O error:" and the failure's
// message (then nothing is copied).
std::string CreateTestPlan(const TTestPlanJob& job);

} // namespace pem
