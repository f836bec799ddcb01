#pragma once
// The XML document editor of a result tab: every element and attribute of a
// clean document as a labelled row with an edit field, checked by the
// value's kind as it is typed, stored into the document when the field is
// left, written back on save. Rows flow down in columns; groups of values
// start collapsed under their heading.
//
// A document may hold a hundred thousand rows, so only the rows in view
// have widgets: the panel is as large as the scroll area's window, and a
// small pool of labels and edits is bound to the rows that the horizontal
// scroll position shows. What an edit holds lives in the document (or, for
// a row scrolled away with a text of its own, in the frame) while the row
// has no widget. The edit being typed in keeps its widget until it is left,
// wherever the row is scrolled; Tab and Enter move to the next row's field
// and scroll it into view.
//
// The owner hears of each changed element (to recompute sums) and of each
// save. Because the focus cannot be relied on, the field being typed in is
// also stored by CommitEdit, which the tab change, the closing and the save
// call.
#include "ResultFrames.h"
#include "TessalyXML.h"
#include "XMLEditRows.h"

#include "Actions.h"
#include "BaseFileUtils.h"
#include "Controls.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QAbstractScrollArea;

namespace pem {

class TMenuItem;
class TMyStatusBar;

// A document read and cleaned for the editor, with its rows.
struct TXMLEditSource {
    std::unique_ptr<TMyXMLNodeList> Document;
    TXMLEditRows Rows;
};

class TFrameXMLEdit : public TFrame, public IResultFrame, public IEditorFrame {
public:
    TFrameXMLEdit(TComponent* owner, QWidget* parent, const std::string& name = "FrameXMLEdit");
    ~TFrameXMLEdit() override;

    // Creates the frame, reads the document (cleaned) and its date and
    // builds the rows. A file that does not parse raises the parser's error
    // and leaves no frame.
    static TFrameXMLEdit* CreateForFile(TComponent* owner, QWidget* parent, const std::string& fileName,
                                        const std::string& name = "FrameXMLEdit");
    // Reads the document (cleaned) and builds its rows on a worker thread,
    // while this thread keeps serving timers, paints and queued calls (not
    // the user's input, which waits), so that a large document does not
    // freeze the window. Raises the parser's error. Nothing of a page
    // should exist yet while it waits.
    static TXMLEditSource ReadForEditing(const std::string& fileName);
    // Creates the frame on a document so read, with the file's date.
    static TFrameXMLEdit* CreateForSource(TComponent* owner, QWidget* parent, const std::string& fileName,
                                          TXMLEditSource source, const std::string& name = "FrameXMLEdit");

    // ---- components
    TPanel* Panel1;
    QAbstractScrollArea* ScrollBoxEditor;
    // The window onto the rows, as large as the scroll area's viewport.
    TPanel* PanelEditor;
    TPanel* PanelBottom;
    TBitBtn* BitBtnSave;
    TBitBtn* BitBtnCancel;
    TActionList* ActionList1;
    TAction* ActSaveModifications;
    TAction* ActCancel;
    TMenuItem* PopupMenuXMLEditor;
    QAction* Save1;
    QAction* Cancel1;
    // Templates the rows copy (positions, sizes, fonts, handlers); hidden.
    TLabel* LabelTree;
    TLabel* LabelFirst;
    TLabel* LabelSecond;
    TEdit* EditFirst;
    TEdit* EditSecond;
    TEdit* EditFloat;
    TEdit* EditInteger;
    TEdit* EditParam;
    // Takes the focus to end an edit.
    TEdit* EditForceExitDummy;

    // ---- state
    std::string FileName;
    std::unique_ptr<TMyXMLNodeList> Document;
    unsigned char Modified = 0;
    bool Building = false;
    TDateTime FileDate = 0;
    // Where a number that does not convert is reported (the main window's
    // status bar); none: not reported.
    TMyStatusBar* StatusBar = nullptr;
    // After an element value or attribute was changed by the user.
    std::function<void(TFrameXMLEdit* frame, TMyXMLNodeList& document)> OnElementChanged;
    // After the document was written.
    std::function<void(TFrameXMLEdit* frame)> OnSaved;

    // The rows.
    const TXMLEditRows& Rows() const { return rows_; }
    // The label and the edit of a row (no edit for a heading), as the user
    // reaches them: a row that shows is scrolled into view; a row hidden
    // under a collapsed heading gets its widgets, hidden. Out of range
    // throws std::out_of_range.
    TLabel* RowLabel(size_t row);
    TEdit* RowEdit(size_t row);
    // Where the rows stand now, in the coordinates of the whole flow of
    // columns; the scroll position is the flow's x at the panel's left.
    const TXMLEditLayout& Layout() const { return plan_; }
    int ScrollPosition() const { return scrollX_; }
    // Rows that have widgets now.
    size_t BoundRowCount() const { return bound_.size(); }
    // The edit typed in or entered last; none before.
    TEdit* CurrentEdit() const { return current_; }

    void BuildEditorControls();
    void BuildEditorControls(TXMLEditRows rows);
    void LayoutEditorRows();
    void SyncEditorRows();
    // Cleans the read-only list (its text) and marks the read-only rows.
    void ApplyReadOnlyRules(const std::string& readOnlyListText);

    // ---- handlers
    void ActSaveModificationsExecute(TComponent* sender);
    void ActCancelExecute(TComponent* sender);
    void EditFirstKeyPress(TComponent* sender, char& key);
    void EditFirstEnter(TComponent* sender);
    void EditFirstExit(TComponent* sender);
    void EditFloatExit(TComponent* sender);
    void EditIntegerExit(TComponent* sender);
    void EditParamExit(TComponent* sender);
    void LabelTreeClick(TComponent* sender);
    void PanelEditorResize();

    // ---- the result tab's interfaces
    TResultFrameKind FrameKind() const override { return TResultFrameKind::XMLEdit; }
    double LoadedFileDate() const override { return FileDate; }
    bool HasUnsavedChanges() const override { return Modified != 0; }
    void SaveChanges() override { ActSaveModificationsExecute(nullptr); }
    void CommitEdit() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    friend class TXMLRowView;
    int RowOf(const TComponent* edit) const;
    // Stores what the edit holds into the document; false when nothing was
    // stored (the number did not convert).
    bool StoreEdit(TEdit* edit, int row);
    void EditLeft(TComponent* sender);
    void MoveToNextField(TEdit* from);
    void MoveToPreviousField(TEdit* from);
    void FocusRow(size_t row);

    // ---- the widgets of the rows in view
    void ScrollTo(int x);
    void ScrollRowIntoView(size_t row);
    // Gives the rows in view their widgets and places every row that has
    // widgets; rows that left the view give theirs back.
    void PlaceRows();
    void PlaceRowsOnce();
    void LayOutOnce();
    void BindRow(size_t row);
    void ReleaseRow(size_t row, bool keepText = true);
    void PlaceRow(size_t row);
    bool Pinned(size_t row) const;
    void ReleaseAll();
    // The text a row's edit shows when it gets its widget.
    std::string ShownText(size_t row) const;
    int LabelWidth(size_t row) const;

    TXMLEditRows rows_;
    TXMLEditLayout plan_;
    std::vector<int> labelWidths_, editWidths_;
    // Per row its widgets while it has them.
    std::vector<TLabel*> labelOf_;
    std::vector<TEdit*> editOf_;
    std::vector<size_t> bound_;
    std::vector<TLabel*> spareLabels_;
    std::vector<TEdit*> spareEdits_;
    // Texts of rows that gave their edit back with a text of their own;
    // cleared when every field is refreshed from the document.
    std::unordered_map<size_t, std::string> keptTexts_;
    // Set once every field was refreshed from the document: from then on a
    // field shows the document's text, not the text it was opened with.
    bool synced_ = false;
    int scrollX_ = 0;
    bool layingOut_ = false, layOutAgain_ = false;
    bool placing_ = false, placeAgain_ = false;
    TEdit* current_ = nullptr;
    bool leaving_ = false;
};

} // namespace pem
