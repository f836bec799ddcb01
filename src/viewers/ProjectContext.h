#pragma once
// What the result viewers read of the job and the main window, behind one
// interface that the main window implements: the viewers never include the
// main window itself.
#include "DialogService.h"

#include <string>
#include <vector>

namespace pem {

class TAction;
class TMyStatusBar;

// The job's file list with its component and module structure: lists
// parallel to the file list, one entry per item, ticked or not.
struct TProjectFileStructure {
    std::vector<std::string> components; // compacted component names
    std::vector<std::string> modules;    // compacted module names
    std::vector<std::string> sources;    // source names without extension ("%s_%d" for duplicates)
    std::vector<std::string> extensions; // extensions with their dot
    std::vector<std::string> files;      // the full paths of the file list
};

class IProjectContext {
public:
    virtual ~IProjectContext() = default;

    // The text of the output-directory pick frame.
    virtual std::string OutputDirectory() = 0;
    // The code of the active language ("COB", "GER" ...).
    virtual std::string ProjectLanguageCode() = 0;
    // Whether the active language code is one of an upper-case comma list.
    virtual bool ProjectLanguageInList(const std::string& list) = 0;
    // The product kind 0 to 8 (7: test documentation).
    virtual int ProjectProductKind() = 0;
    // The run mode of the last run (1 analysis ... 6 search; 0 none yet).
    virtual int ProjectRunMode() = 0;
    virtual std::string ProjectSystemName() = 0;
    // The log of the active test tool ("profile.log" ...).
    virtual std::string ProjectTestToolLog() = 0;
    // The file view style of the file dialogs (0 to 4).
    virtual int ProjectFileViewStyle() = 0;
    // The viewer font (the font dialog's font).
    virtual TFontSpec& ProjectViewerFont() = 0;
    // The text of the external-editor field ("NOTEPAD.EXE" by default).
    virtual std::string ProjectEditorProgram() = 0;
    // The main window's status bar.
    virtual TMyStatusBar* ProjectStatusBar() = 0;

    // ---- what the listing viewers read to find a listing's sources
    // The common root of the job's files, without trailing separator.
    virtual std::string ProjectCommonRoot() { return {}; }
    // The long extension the input tree shortened to ext (".COB" for
    // ".cobol" and back); false, with longExt = ext, when none differs.
    virtual bool ProjectRestoreLongExtension(const std::string& ext, std::string& longExt) {
        longExt = ext;
        return false;
    }
    // The file list and its structure; none by default.
    virtual TProjectFileStructure ProjectFileStructure() { return {}; }
    // The INI switches Viewer.AutoExpand and SpecViewer.CompressedTree.
    virtual bool ProjectViewerAutoExpand() { return false; }
    virtual bool ProjectSpecViewerCompressedTree() { return false; }
};

} // namespace pem
