#pragma once
// The XML document editor of a result tab: every element and attribute of a
// clean document as a labelled row with an edit field, checked by the
// value's kind as it is typed, stored into the document when the field is
// left, written back on save. Rows flow down in columns on a panel inside a
// scroll area; groups of values start collapsed under their heading.
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
#include <vector>

class QScrollArea;

namespace pem {

class TMenuItem;
class TMyStatusBar;

class TFrameXMLEdit : public TFrame, public IResultFrame, public IEditorFrame {
public:
    TFrameXMLEdit(TComponent* owner, QWidget* parent, const std::string& name = "FrameXMLEdit");
    ~TFrameXMLEdit() override;

    // Creates the frame, reads the document (cleaned) and its date and
    // builds the rows. A file that does not parse raises the parser's error
    // and leaves no frame.
    static TFrameXMLEdit* CreateForFile(TComponent* owner, QWidget* parent, const std::string& fileName,
                                        const std::string& name = "FrameXMLEdit");

    // ---- components
    TPanel* Panel1;
    QScrollArea* ScrollBoxEditor;
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

    // The rows and, per row, its label and its edit (none for headings).
    const TXMLEditRows& Rows() const { return rows_; }
    const std::vector<TLabel*>& RowLabels() const { return labels_; }
    const std::vector<TEdit*>& RowEdits() const { return edits_; }
    // The edit typed in or entered last; none before.
    TEdit* CurrentEdit() const { return current_; }

    void BuildEditorControls();
    void LayoutEditorRows();
    void SyncEditorRows();
    // Cleans the read-only list (its text), marks read-only rows, lays out.
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
    int RowOf(const TComponent* edit) const;
    // Stores what the edit holds into the document; false when nothing was
    // stored (the number did not convert).
    bool StoreEdit(TEdit* edit, int row);
    void EditLeft(TComponent* sender);
    void MoveToNextField(TEdit* from);

    TXMLEditRows rows_;
    std::vector<TLabel*> labels_;
    std::vector<TEdit*> edits_;
    TEdit* current_ = nullptr;
    bool leaving_ = false;
};

} // namespace pem
