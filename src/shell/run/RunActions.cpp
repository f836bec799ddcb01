#include "RunActions.h"

#include "ToolStart.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

namespace {

// The label of a list item: the text before its first "=".
std::string LabelOf(const std::string& item) {
    const auto eq = item.find('=');
    return eq == std::string::npos ? item : item.substr(0, eq);
}

bool HasInput(const TSourceFileList& files, const TNeededInput& need) {
    for (const TSourceFile& f : files.Items())
        if (LabelOf(f.path) == need.label && (!need.mustBeTicked || f.checked)) return true;
    return false;
}

const TNeededInput kTrace{"Trace file:", true, "Trace file(s) not specified!"};

} // namespace

const std::vector<TTestToolAction>& TestToolActions() {
    static const std::vector<TTestToolAction> actions = {
        {"ActRunTSP", "TSP", "profile.log", {{"Methods:", false, "Method list file not specified!"}, kTrace}},
        {"ActRunTST", "TST", "trace.log", {{"Methods:", false, "Method file not specified!"}, kTrace}},
        {"ActRunTSC",
         "TSC",
         "coverage.log",
         {{"Methods:", false, "Method list file not specified!"},
          {"Test Cases:", false, "Test Cases file not specified!"},
          kTrace}},
        {"ActRunTSM",
         "TSM",
         "metrics.log",
         {{"Methods:", false, "Method list file not specified!"},
          {"Test execution log:", false, "Tested Cases file not specified!"},
          kTrace}},
        {"ActRunCTA",
         "CTA",
         "testcode.log",
         {{"Methods:", false, "Method list file not specified!"},
          {"Test execution log:", false, "Test execution log file not specified!"},
          kTrace}},
    };
    return actions;
}

const TTestToolAction* TestToolAction(const std::string& actionName) {
    for (const TTestToolAction& a : TestToolActions())
        if (actionName == a.action) return &a;
    return nullptr;
}

std::string MissingTestToolInput(const TTestToolAction& action, const TSourceFileList& files) {
    for (const TNeededInput& need : action.needs)
        if (!HasInput(files, need)) return need.message;
    return {};
}

TToolCommand ToolCommandFor(unsigned char runMode, bool batchRun, const std::string& outputDir,
                            const std::string (&programs)[7]) {
    if (runMode == rmAnalysis && batchRun) return {IncludeTrailingSeparator(outputDir, '/') + "lastbatch.cmd", {}};
    const unsigned char mode = runMode >= 1 && runMode <= 6 ? runMode : rmAnalysis;
    return {programs[mode], {"last.xml"}};
}

std::string DirectProgressCaption(const std::string& job, int modulesDone, int moduleTotal, int sourcesDone,
                                  int selectedSources) {
    return "Started processing project " + job + " - Modules " + std::to_string(modulesDone) + " of " +
           std::to_string(moduleTotal) + " - Sources " + std::to_string(sourcesDone) + " of " +
           std::to_string(selectedSources);
}

std::string PipedProgressCaption(const std::string& job, int position, int copiedSources) {
    return "Started processing project " + job + " - Entity " + std::to_string(position) + " of " +
           std::to_string(copiedSources) + " ";
}

int CopiedSourceCount(const TInputTreeEntries& entries) {
    int n = 0;
    std::string kind, number;
    for (const TInputTreeEntry& e : entries.Entries())
        if (TInputTreeEntries::SplitKey(e.key, kind, number) && AsciiUpperCase(kind) == "XCPY") ++n;
    return n;
}

const std::vector<std::string>& RenamedResultFolders() {
    static const std::vector<std::string> folders = {"Metrics", "Defis", "Specs",  "Requs", "Comments",
                                                     "Exports", "Cases", "Instru", "Tables"};
    return folders;
}

void RemoveEmptyResultFolders(const std::string& outputDir, const std::string& systemName) {
    const std::string out = IncludeTrailingSeparator(outputDir, '/');
    std::vector<std::string> folders = {"Metrics", "Defis",    "Requs",   "Quorra", "Tavrel", "Specs",
                                        "Comments", "Exports", "Cases", "Instru", "Tables"};
    // The system's name never leads out of the output directory.
    if (!systemName.empty() && systemName != "." && systemName != ".." &&
        systemName.find_first_of("/\\") == std::string::npos)
        folders.push_back(systemName);
    // rmdir removes a folder only when it is empty.
    for (const std::string& f : folders) ::rmdir(Cp1252ToUtf8(out + f).c_str());
}

TRunOutcome DecideRunOutcome(const TToolEnd& end, const std::string& program) {
    TRunOutcome o;
    const int code = end.exitCode;
    if (end.piped && end.startError != 0) {
        o.text = "Failed to start batch processing task " + program + " (" + SystemErrorText(end.startError) +
                 "), analysis incomplete!";
        o.error = true;
        return o;
    }
    if (end.signal != 0) {
        o.text = "Process ended by signal " + std::to_string(end.signal) + ", analysis incomplete!";
        o.error = true;
        return o;
    }
    if (end.stopRequested) {
        o.text = "Process cancelled, analysis incomplete!";
        o.error = true;
    } else {
        o.text = "Analysis completed, processing finished";
        o.success = code == 0;
    }
    if (code != 0) o.warning = "The tool ended with exit code " + std::to_string(code);
    return o;
}

bool WriteStopRequest(const std::string& outputDir) {
    const std::string path = Cp1252ToUtf8(IncludeTrailingSeparator(outputDir, '/') + "Semaphore.xml");
    try {
        ReplaceOwnFileText(path, "");
    } catch (const EFileError&) {
        return false;
    }
    return true;
}

long ToolWrittenConsoleLogLines(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return -1;
    TReadStatus status = TReadStatus::Ok;
    const int fd = OpenRegularFile(path, status);
    if (fd < 0) return -1;
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        ::close(fd);
        return -1;
    }
    long lines = 0;
    char last = '\n';
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) {
        lines += std::count(buf, buf + n, '\n');
        last = buf[n - 1];
    }
    std::fclose(f);
    return lines + (last != '\n' ? 1 : 0);
}

bool ShowsConsoleLogAfterRun(long lines, unsigned long long bytes) {
    return lines >= 0 && lines < 1001 && bytes <= kShownConsoleLogBytes;
}

} // namespace pem
