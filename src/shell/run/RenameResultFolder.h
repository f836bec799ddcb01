#pragma once
// After a run the tools' results carry input-tree names ("SRC0012.met",
// "MOD0003.met", "COMP0001.met"); the renaming gives each the name of its
// source, module or component again, by the run's input-tree entries.
#include "InputTreeEntries.h"

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace pem {

struct TRenameSettings {
    const TInputTreeEntries* entries = nullptr;
    int structureLevel = 2;
    int productKind = 0;
    // The method-file action is visible (test-tool jobs of product kind 7).
    bool methodFileVisible = false;
};

// One renaming pass over the result folders of a run. It remembers the names
// it gave, so a later result never replaces an earlier one of the same run.
class TResultRenamer {
public:
    explicit TResultRenamer(TRenameSettings settings) : settings_(settings) {}

    // Renames the results in outputDir/folderName: every file whose name
    // begins (ignoring case) with "COMP", "MOD" or "SRC", in sorted order.
    //  - COMP and MOD files take their entry's value and keep their own
    //    extension ("MOD0003.met" -> "Comp/Mod.met");
    //  - SRC files take their entry's value with the result's extension in
    //    place of the source's ("SRC0012.met" -> "Comp/Mod/prog.met"); ".JAV"
    //    results, and every result of product kind 7 without the method-file
    //    action, take the value unchanged.
    // Target folders are created. A file of the target name is replaced in
    // one step, unless this pass gave it that name already: then the later
    // result keeps its input-tree name and a warning says so. An entry that
    // would lead out of the result folder (a ".." part, a drive or an
    // absolute path) is skipped with a warning; a result without an entry,
    // or whose entry holds no name, keeps its name. stepPerFile runs after
    // each file. Returns the number of files renamed.
    int RenameFolder(const std::string& outputDir, const std::string& folderName,
                     const std::function<void()>& stepPerFile = {});

    // Renamed MOD files in "Metrics", and SRC files in "Exports" or "Cases".
    int RenamedModules = 0;
    int RenamedSources = 0;
    // Everything that went wrong, for the user once the run has finished.
    std::vector<std::string> Warnings;

private:
    TRenameSettings settings_;
    std::unordered_set<std::string> given_;  // targets named in this pass
    std::unordered_set<std::string> made_;   // folders known to exist
};

} // namespace pem
