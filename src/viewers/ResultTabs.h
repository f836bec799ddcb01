#pragma once
// The result tabs of the main window: the viewer page and its page control,
// one tab per opened result with its frame; the viewer actions' dialogs,
// opening files into tabs with the reuse and reload rules, closing tabs
// with the save question of editors, the viewer font, regrouping, the find
// dialog, the logs of a run and the external editor. The main window owns
// one of these and hands it its controls and its project context.
#include "ProjectContext.h"
#include "ResultFrames.h"
#include "ResultTabRules.h"

#include <map>
#include <optional>

namespace pem {

class TAction;
class TOpenDialog;
class TMyStatusBar;
class TFrameXMLEdit;
class TMyXMLNodeList;

// A result tab: the sheet and the frame it shows (the frame is its child).
class TResultTab : public TTabSheet {
public:
    TResultTab(TComponent* owner, TPageControl* pageControl, const std::string& name, const std::string& caption)
        : TTabSheet(owner, pageControl, name, caption) {}
    TFrame* Frame = nullptr;
};

// The main window's parts that the tabs work on.
struct TResultTabControls {
    TPageControl* PageControlMain = nullptr;
    TTabSheet* TabSheetViewer = nullptr;
    TTabSheet* TabSheetNames = nullptr;
    TPageControl* PageControlEditor = nullptr;
    TOpenDialog* OpenDialogWork = nullptr;
    TAction* ActPrintCurrent = nullptr;
    TAction* ActSortBySource = nullptr;
    TAction* ActSortByLevel = nullptr;
    TAction* ActSortByRuleName = nullptr;
    TComponent* TabOwner = nullptr; // the main window: owner of the tabs
};

// What the main window gives an XML editor tab: the report folder of the
// product and version (with a trailing "/"), the handlers of its events
// (either may be empty) and the text of the read-only list.
struct TXMLEditorSetup {
    std::string ReportFolder;
    std::function<void(TFrameXMLEdit* frame, TMyXMLNodeList& document)> OnElementChanged;
    std::function<void(TFrameXMLEdit* frame)> OnSaved;
    std::string ReadOnlyList;
};

class TResultTabs {
public:
    TResultTabs(IProjectContext& context, const TResultTabControls& controls);

    // Frames of the later viewers plug in here; a kind without a factory is
    // shown in the simple viewer.
    void RegisterFrame(TResultFrameKind kind, TResultFrameFactory factory);

    // ---- the viewer actions
    // The result-file dialog of a dialog action, then opening the choice.
    void ViewerDialog(TViewerDialog dialog);
    // The run's logs and the parameter document: opened when they exist.
    void ViewLog(TLogKind kind);
    // Runs the external editor in the output directory and waits for it.
    void ViewNotepad();
    void SelectFont();
    void Sort(TAction* executed);
    void FindText();
    void FindDialogFind(const std::string& text);

    // ---- operations of the main window used by others
    bool FindResultFile(const std::string& folder, std::string& path);
    void OpenInSimpleViewer(const std::string& fileName);
    void OpenDefiReport(const std::string& fileName);
    void OpenSpecsReport(const std::string& fileName);
    void OpenTestCaseReport(const std::string& fileName);
    // Closes the active tab (asking to save a changed editor); whether a
    // tab was closed. The tab leaves the page control at once and is freed
    // once the handler that closed it has returned.
    bool CloseEditorTab();
    void CloseAllEditorTabs();
    std::string NextTabSheetName();
    void PageControlEditorChanging();

    // ---- the XML editor (XMLEditorTabs.cpp)
    // The result-file dialog in the report folder (or beside the tab in
    // view), then OpenXMLEditorTab.
    void XMLEditorDialog(const TXMLEditorSetup& setup);
    // Opens the document in an XML editor tab, or activates the tab that
    // has it (asking to reload when the file changed since).
    void OpenXMLEditorTab(const std::string& fileName, const TXMLEditorSetup& setup);

    // ---- reading the tabs
    int TabCount() const;
    TResultTab* ActiveTab() const;
    TResultTab* Tab(int i) const;
    TFrame* ActiveFrame() const;
    int TabCounter() const { return counter_; }

    // The run program, waited for: tests replace it.
    std::function<void(const std::vector<std::string>& command, const std::string& workDir)> RunAndWait;

private:
    void Open(TOpenKind kind, const std::string& fileName);
    void CheckProjectFolder(const std::string& fileName, const std::string& folder);
    void ShowViewerPage();
    void UpdateViewerPage();
    TFrame* CreateFrame(TResultFrameKind kind, TResultTab* tab, const std::string& fileName);
    // A new active tab at the end holding the frame made for it; a frame that
    // cannot be made leaves no tab.
    TResultTab* NewTab(const std::string& caption, const std::function<TFrame*(TResultTab*)>& makeFrame);
    TMyStatusBar* Bar() const { return ctx_.ProjectStatusBar(); }

    IProjectContext& ctx_;
    TResultTabControls c_;
    std::map<TResultFrameKind, TResultFrameFactory> factories_;
    int counter_ = 0;
};

} // namespace pem
