#pragma once
// The rules of the result tabs, free of widgets: the caption of a result
// file, the result file that belongs to the tab in view, the result-file
// dialog of each viewer action (title, filter, folder, preselected name),
// which frame shows a file, which open tab counts as the same file and
// whether it is kept or reloaded, the log file a run leaves, and the
// external editor's command.
#include "BaseFileUtils.h"
#include "ResultFrames.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pem {

using TDirExists = std::function<bool(const std::string&)>;

// The file's path relative to the output directory when it lies below it
// (the output directory compared exactly), else the full path.
std::string ResultTabCaption(const std::string& fileName, const std::string& outputDir);

// The result folders a tab caption may begin with.
bool IsResultFolder(const std::string& name);

// The file of the given result folder that belongs to the tab captioned
// caption: the output directory, the folder and the caption's part after
// its first folder, when that part's folder exists. None for a caption
// outside the output directory, one whose first folder is no result folder,
// or when that folder is missing.
std::optional<std::string> FindResultFile(const std::string& caption, const std::string& outputDir,
                                          const std::string& folder, const TDirExists& dirExists = DirectoryExists);

// The dialog actions of the viewers.
enum class TViewerDialog { General, Defis, Metrics, Specs, TestCases };

struct TResultDialogSetup {
    std::string title;
    std::string filter;       // "description|masks|..."
    int filterIndex = 1;
    std::string defaultExt;
    std::string folder;       // the result folder; "" for the output directory
    std::string preselectExt; // the extension of the preselected name
};
TResultDialogSetup ResultDialogSetup(TViewerDialog dialog, const std::string& languageCode, int productKind);

// Where the dialog opens and the name it preselects.
struct TDialogStart {
    std::string initialDir;
    std::string fileName;
    std::string missingFolderMessage; // the result folder does not exist yet
};
// activeCaption: the caption of the tab in view, none without tabs.
TDialogStart ResultDialogStart(const TResultDialogSetup& setup, const std::string& outputDir,
                               const std::optional<std::string>& activeCaption,
                               const TDirExists& dirExists = DirectoryExists);

// The four ways of opening a file into a tab.
enum class TOpenKind { Simple, Defi, Specs, TestCase };

// The frame that shows the file, by the active language.
TResultFrameKind FrameKindFor(TOpenKind kind, const std::function<bool(const std::string&)>& languageInList);
// The suffix of the frame's name after the tab's name.
std::string FrameNameSuffix(TOpenKind kind);

// Whether an open tab counts as the same file as the new caption.
bool CountsAsSameFile(TOpenKind kind, const std::string& newCaption, const std::string& tabCaption,
                      TResultFrameKind tabFrame);

enum class TReloadAction { Keep, Reload, Ask };
struct TReloadDecision {
    TReloadAction action = TReloadAction::Keep;
    std::string question; // for Ask
};
// What happens to the same file's tab: stored is the frame's file date,
// current the file's date now.
TReloadDecision ReloadDecision(TOpenKind kind, TResultFrameKind tabFrame, TDateTime stored, TDateTime current,
                               const std::string& fileName);

// The file a log action opens ("" none): the product log by the run mode,
// the console log, or the parameter document.
enum class TLogKind { ProductLog, ConsoleLog, Parameters };
std::string RunLogFile(TLogKind kind, int runMode, const std::string& outputDir, const std::string& systemName,
                       const std::string& testToolLog);

// Whether the code followed by "," occurs in the upper-cased list followed
// by "," (a plain substring test: "QL" is in "DLI,SQL"); false for an empty
// list.
bool LanguageInList(const std::string& code, const std::string& list);

// The command that runs the editor named in the editor field: the named
// program itself, or, for "NOTEPAD.EXE" (any case) or an empty field, the
// user's editor: $VISUAL, else $EDITOR (each split at blanks), else the
// first desktop editor found on PATH. Empty when there is none.
using TEnvLookup = std::function<std::string(const std::string&)>;
using TProgramLookup = std::function<std::string(const std::string&)>; // full path or ""
std::vector<std::string> EditorCommand(const std::string& editorField, const TEnvLookup& env,
                                       const TProgramLookup& findProgram);

} // namespace pem
