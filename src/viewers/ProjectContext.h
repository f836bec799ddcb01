#pragma once
// What the result viewers read of the job and the main window, behind one
// interface that the main window implements: the viewers never include the
// main window itself.
#include "DialogService.h"

#include <string>

namespace pem {

class TAction;
class TMyStatusBar;

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
};

} // namespace pem
