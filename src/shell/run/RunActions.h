#pragma once
// What the start actions of a tool run decide without the window: the run
// modes, the inputs each test tool needs, the program and parameters of a
// start, the progress texts, the result folders renamed and removed after a
// run, and the stop file that asks a running tool to end.
#include "InputTreeEntries.h"
#include "SourceFileList.h"

#include <string>
#include <vector>

namespace pem {

// The run mode of the main window.
enum TRunMode : unsigned char {
    rmNone = 0,
    rmAnalysis = 1,
    rmTransform = 2,
    rmWordScanner = 3,
    rmTestDesigner = 4,
    rmTestTool = 5,
    rmSearch = 6,
};

// The modal result a dialog look-up gives when there is no such form.
inline constexpr int kNoParameterDialog = 5;

// An input a test tool needs: an item of the selected-files list named by
// its label (the text before the first "="), any such item or a ticked one.
struct TNeededInput {
    const char* label;
    bool mustBeTicked;
    const char* message; // when there is none
};

struct TTestToolAction {
    const char* action;  // "ActRunTSP"
    const char* section; // its section of the language extras: "TSP"
    const char* log;     // the tool's log: "profile.log"
    std::vector<TNeededInput> needs;
};

// The five test-tool actions; nullptr for any other name.
const TTestToolAction* TestToolAction(const std::string& actionName);
const std::vector<TTestToolAction>& TestToolActions();

// The message of the first input the list lacks, in the action's order;
// "" when all are there.
std::string MissingTestToolInput(const TTestToolAction& action, const TSourceFileList& files);

// The program and parameters of a start.
struct TToolCommand {
    std::string program;
    std::vector<std::string> params;
};

// By run mode: analysis runs that are batch runs (a sub-processor run, or
// systems named by directory) start the output directory's "lastbatch.cmd"
// with no parameters; every other run starts its program with "last.xml".
// programs[mode] is the program of each mode (index 1 to 6).
TToolCommand ToolCommandFor(unsigned char runMode, bool batchRun, const std::string& outputDir,
                            const std::string (&programs)[7]);

// "Started processing project %s - Modules %d of %d - Sources %d of %d".
std::string DirectProgressCaption(const std::string& job, int modulesDone, int moduleTotal, int sourcesDone,
                                  int selectedSources);
// "Started processing project %s - Entity %d of %d " (piped runs).
std::string PipedProgressCaption(const std::string& job, int position, int copiedSources);

// The number of XCPY entries (the sources copied into the input tree).
int CopiedSourceCount(const TInputTreeEntries& entries);

// The result folders renamed after a run, in their order.
const std::vector<std::string>& RenamedResultFolders();
// Removes the result folders of the output directory that are empty, and
// the one named after the system when it is empty; a folder that holds
// anything stays.
void RemoveEmptyResultFolders(const std::string& outputDir, const std::string& systemName);

// How a run ended, as the finishing step reports it.
struct TToolEnd {
    bool stopRequested = false; // "Semaphore.xml" was written during the run
    int exitCode = 0;           // of the process the shell started
    int signal = 0;             // the signal that ended it, 0 when none
    bool piped = false;         // the process is the console stub
    int startError = 0;         // piped: the stub could not start the tool (errno)
};

struct TRunOutcome {
    std::string text;    // the outcome line
    bool error = false;  // shown in the error style
    std::string warning; // shown after the outcome, "" when none
    bool success = false; // a completed run whose tool exited 0
};

// The outcome of a run. A tool ended by a signal is no completed analysis;
// once the stop file was written the run is cancelled, whenever the tool
// ends; a tool that exits with a code other than 0 keeps the outcome text
// and adds a warning naming the code. The console stub ends as the tool
// ended (its code, or by its signal), so a piped run reads like a direct
// one; a tool the stub could not start is the stub's report, never a code.
TRunOutcome DecideRunOutcome(const TToolEnd& end, const std::string& program);

// Writes an empty "Semaphore.xml" into the output directory, replacing any
// old one (a link in its place is replaced, its target left alone); false
// when it cannot be written.
bool WriteStopRequest(const std::string& outputDir);

// A tool that was given "> Console.log" writes the console log itself, and
// its pipe then carries nothing: an empty capture must not replace that
// file. The number of lines of the file at path when it is a plain file
// that is not empty (so it stays), -1 otherwise (a link, no file, an empty
// one: the capture is saved).
long ToolWrittenConsoleLogLines(const std::string& path);

// Whether the console log saved after a piped run is shown: fewer than 1001
// lines and a file of at most 4 MB. A log of a few
// lines that are megabytes long (a progress counter redrawn with lone CRs)
// would hold the window up for seconds; it stays saved, unopened.
inline constexpr unsigned long long kShownConsoleLogBytes = 4ull << 20;
bool ShowsConsoleLogAfterRun(long lines, unsigned long long bytes);

} // namespace pem
