#pragma once
// The component and module structure of the job's source files: the common
// root of all files, directory names that do not count (irrelevant names),
// each file's component (the first directory below the root) and module (the
// next), and new names for files that share a name within one component and
// module. The results are lists parallel to the source-file list.
#include "SourceFileList.h"
#include "SourceMessages.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

// What a structure level keeps: components at 2 and 3, modules at 1 to 3,
// sources at 0 to 3, a flat list with folder entries at 99; other levels
// keep nothing.
struct TStructureFlags {
    bool components = false, modules = false, sources = false, allLevels = false;
};
TStructureFlags StructureFlagsOf(int level);

// Whether a source is a file on disk (its 8-bit name converted for the file
// system); safe to call from several threads.
bool SourceFileExists(const std::string& path);

// An entry of an irrelevant-directory list: ticked names are removed from
// paths; unticked ones are the names the last computation found.
struct TNameEntry {
    std::string name;
    bool ticked = false;
};
using TNameList = std::vector<TNameEntry>;

inline constexpr const char* kGenComp = "Gen_Comp";
inline constexpr const char* kGenModu = "Gen_Modu";

// The results, index-aligned with the source-file list (every entry, ticked
// or not). After a computation that ended early the lists may be shorter
// than the file list: read them through the At routines.
class TModularStructure {
public:
    std::vector<std::string> Names;      // each path with irrelevant directories removed
    std::vector<std::string> Components;
    std::vector<std::string> Modules;
    std::vector<std::string> Sources;    // name without extension, "name_N" for a duplicate
    std::vector<int> Duplicates;         // N, 0 for none
    std::vector<std::string> Extensions; // with the dot
    // Pixel widths of the widest entry of each list (0 after clearing).
    int NamesMaxLen = 0, ComponentsMaxLen = 0, ModulesMaxLen = 0, SourcesMaxLen = 0;
    std::string Root; // without trailing "/"; "" when the files share no folder
    int Depth = 0;

    void Clear();
    // Components and modules only, as clearing a job does.
    void ClearComponentsAndModules();

    static const std::string& At(const std::vector<std::string>& list, int i);
    int DuplicateAt(int i) const;
    // The name a duplicate gets in the input tree (source entry and
    // extension); "" for a file that keeps its name or lies outside the lists.
    std::string NewFileNameAt(int i) const;
};

// The root and depth of a set of paths. Each file's folder is split into its
// segments; the file with the fewest is the reference (a later one wins a
// tie); the common length is how far every file agrees with it. The root
// takes the common segments k with k <= deepest - 3 (level 99: deepest - 1),
// so that at least two levels stay below it for the deepest file. Depth is
// the deepest count less the common length.
struct TCommonRoot {
    std::string root;
    int depth = 0;
};
TCommonRoot DetermineCommonRoot(const std::vector<std::string>& paths, int level);

// "1 + the length of the root with its separator", 1 without a root: the
// 1-based position where a path's part below the root starts.
int RelativePartStart(const std::string& root);

struct TStructureRequest {
    bool strict = false;
    int level = 2;
    int productKind = 0;
    int bigLimit = 50;
    // The list holds test-tool entries ("label=path"): only the existence
    // of the ticked entries' files is checked.
    bool testToolMode = false;
    // The default irrelevant names: the language's items, then the common ones.
    std::vector<std::string> dummyNames;
    // The caption named in the warning of a long list.
    std::string recalculateCaption = "Recalculate modular structure";
    // Pixel width of a text in the list's font (with its margins); the
    // number of characters when not given.
    std::function<int(std::string_view)> textWidth;
    // Whether a source exists (SourceFileExists when not given); called
    // from several threads for a long list.
    std::function<bool(const std::string&)> fileExists;
    // The long part begins (after the checks that may end the computation).
    std::function<void()> onWork;
    // Called for every file the existence check looks at (a long list
    // serves the window meanwhile).
    std::function<void()> tick;
    // Phase caption, phase number (0-3), position and maximum of the phase.
    std::function<void(const char* phase, int phaseNo, int position, int max)> progress;
};

struct TStructureOutcome {
    // Whether the structure lists were computed (the common root is to be
    // applied); false when a check ended the computation before.
    bool computed = false;
    // The file list's ticks or enabled states changed.
    bool filesChanged = false;
    // A message to show; an Error ends the calling action.
    bool hasMessage = false;
    TSourceMessage message;
    // No message: the status bar is cleared.
    bool clearStatus = false;
};

TStructureOutcome CalculateModularStructure(TSourceFileList& files, TNameList& componentNames,
                                            TNameList& moduleNames, TModularStructure& out,
                                            const TStructureRequest& request);

// The widths once a root is set: NamesMaxLen becomes the widest item text
// from the relative-part start; returns the list's horizontal extent: the
// width of "xxx", the widest Names entry, the four MaxLen widths and 5.
int ApplyCommonRootWidths(TModularStructure& s, const TSourceFileList& files,
                          const std::function<int(std::string_view)>& textWidth);

// The columns one item of the source-file list shows, each a text at an x
// position (pixels from the item's left edge).
struct TItemColumn {
    int x = 0;
    std::string text;
};
struct TItemLayout {
    int relativeStart = 1;     // 1-based start of the part below the root
    bool testToolMode = false; // items are "label=path"
    int labelWidth = 0;        // width of "Test execution log: "
    bool helperPagesShown = false;
};
std::vector<TItemColumn> SourceItemColumns(const TSourceFileList& files, const TModularStructure& s, int index,
                                           const TItemLayout& layout);

} // namespace pem
