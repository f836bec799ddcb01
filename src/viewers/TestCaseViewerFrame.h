#pragma once
// The test case list editor on a result tab: a thin view over the listing's
// lines (TTestCaseList). The engineer marks whole lines with the mouse or
// Shift, deletes test cases, undoes a line or a deletion's block, and saves
// the listing with its companions and count (TestCaseFiles). A listing whose
// extension is not ".txt" is shown read-only.
#include "BaseFileUtils.h"
#include "Forms.h"
#include "ListingView.h"
#include "ResultFrames.h"
#include "TestCaseFiles.h"
#include "TestCaseList.h"

class QMenu;

namespace pem {

class TMyStatusBar;

// What the main window gives a test case frame beyond the file.
struct TTestCaseViewerOptions {
    // Saving leaves the companions and the count alone (the method-file
    // mode of the window).
    bool skipCompanions = false;
    // The window's popup of the viewer page: its items join the frame's.
    QMenu* viewerPopup = nullptr;
};

class TFrameTestCaseViewer : public TFrame, public IResultFrame, public IEditorFrame, public IPrintableFrame {
public:
    TFrameTestCaseViewer(TComponent* owner, QWidget* parent, IProjectContext* context,
                         const std::string& name = "FrameTestCaseViewer");

    // Creates the frame and loads the listing. Any failure ends through the
    // status bar's Error "File invalid for this viewer!" (no frame is left).
    static TFrameTestCaseViewer* CreateForFile(const TFrameCreateArgs& args, const TTestCaseViewerOptions& options);

    TListingView* RichEditSourceView;
    TPanel* PanelTop;
    TBitBtn *BitBtnTrash, *BitBtnUndel, *BitBtnApply, *BitBtnBUndo, *BitBtn1;
    TActionList* ActionListTestCaseViewer;
    TAction *ActDelete, *ActUndo, *ActApply, *ActUndoBlokk, *ActRedo;
    TMenuItem* PopupMenuTestCaseViewer;

    // The fields of the editor.
    std::string FileName;
    bool ReadOnly = false;
    bool SkipCompanions = false;
    TDateTime FileDate = 0;
    int FirstMarked = 0, LastMarked = 0;
    const TTestCaseList& List() const { return list_; }

    // Stores the name and whether the listing is read-only (its extension
    // does not begin with ".txt"); a read-only listing's actions are off.
    void SetViewFileName(const std::string& fileName);

    void ActDeleteExecute(TComponent* sender);
    void ActUndoExecute(TComponent* sender);
    void ActUndoBlokkExecute(TComponent* sender);
    // Saves; with a sender (the action) the listing is shown anew.
    void ActApplyExecute(TComponent* sender);
    void RichEditSourceViewSelectionChange(TComponent* sender);
    // The left mouse button, or Shift with text selected, released: the
    // selection grows to whole lines, which become the marked lines.
    void RichEditSourceViewMouseUp(TComponent* sender);
    void RichEditSourceViewKeyUp(TComponent* sender, int key);

    // IResultFrame
    TResultFrameKind FrameKind() const override { return TResultFrameKind::TestCase; }
    TListingView* SearchView() override { return RichEditSourceView; }
    double LoadedFileDate() const override { return FileDate; }
    // IEditorFrame: deletions not saved yet, and saving them.
    bool HasUnsavedChanges() const override;
    void SaveChanges() override { ActApplyExecute(nullptr); }
    // IPrintableFrame: the listing as shown, titled by its name.
    TRoute PrintRoute() const override { return TRoute::TextView; }
    TListingView* PrintView() override { return RichEditSourceView; }
    std::string PrintTitle() const override;
    std::string PrintFile() const override { return FileName; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load(const std::string& fileName);
    void ShowLines();
    void MarkWholeLines();
    // The lines the selection covers, and selecting whole lines (which
    // become the marked lines).
    std::pair<int, int> SelectedLines() const;
    void SelectLines(int first, int last);
    void AddViewerPopup(QMenu* viewerPopup);
    TMyStatusBar* Bar() const;

    IProjectContext* ctx_;
    TTestCaseList list_;
    std::string lineBreak_ = "\n";
    bool finalBreak_ = true;
};

} // namespace pem
