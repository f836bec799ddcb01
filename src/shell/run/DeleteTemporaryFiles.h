#pragma once
// Removing what a run left in the output directory for the tool only: the
// copies of the sources in the input tree "workinp" with the folders they
// emptied, the contents of the work folder and, on request, the parameter
// documents, the batch file and the copied tables. A folder is only ever
// removed when it is empty, so a file the user put into the input tree stays
// with its folder.
#include "InputTreeEntries.h"

#include <functional>
#include <string>
#include <vector>

namespace pem {

struct TTemporaryFilesSettings {
    std::string outputDir;  // the output directory
    std::string workFolder; // the language's work folder
    const TInputTreeEntries* entries = nullptr;
    int structureLevel = 2;
    int productKind = 0;
    // The system name: product kind 1 gets a dummy test-case file named after
    // it with ".csv" in the input tree.
    std::string systemName;
    // Runcontrol.SystemDeleteAfterControl: the parameter documents, the batch
    // file and the copied tables go as well.
    bool deleteAfterControl = false;
    // The function-table file whose copy, under its own name, the output
    // directory received; "" when none was copied.
    std::string functionTable;
    // After each source copy removed: the place for a progress step and
    // pending events.
    std::function<void()> step;
};

struct TDeleteTemporaryReport {
    int filesDeleted = 0;
    // What was left alone on purpose, for the status bar.
    std::vector<std::string> warnings;
};

// In this order:
//  1. with deleteAfterControl: the copied function table, "functab.wrl",
//     "Repo_Tab.csv", "last.xml", "lastbatch.cmd" and the "LAST####" files
//     of the output directory (the function table only when the copy is not
//     the user's own file);
//  2. product kind 1: the dummy test-case file;
//  3. every XCPY target, from the last entry to the first;
//  4. every FDR folder, and at structure levels 1 to 3 their parent folders
//     (at levels 2 and 3 also the folder above the last one);
//  5. the work folder emptied (files to 99 levels, emptied folders removed)
//     unless it is a folder no run may empty (see WorkFolderRefusal), and the
//     input-tree folder removed.
// Entries whose paths lie outside the input tree are left alone.
TDeleteTemporaryReport DeleteTemporaryFiles(const TTemporaryFilesSettings& settings);

// Why the folder may not be emptied as the work folder of a run in
// outputDir: "" when it may, else the reason ("it is not an absolute path",
// "it is the root folder", "it is the home folder", "it is the output
// directory", "it holds the output directory"). Links are resolved first.
std::string WorkFolderRefusal(const std::string& workFolder, const std::string& outputDir);

} // namespace pem
