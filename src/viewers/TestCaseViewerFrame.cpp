#include "TestCaseViewerFrame.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "ProjectContext.h"
#include "QtText.h"
#include "ReportPainter.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>

namespace pem {

namespace {

const char* const kCategory = "TestCaseEditor";

std::string JoinForView(const TTestCaseList& list) {
    std::string text;
    for (int i = 0; i < list.LineCount(); ++i) {
        text += list.Line(i);
        text += '\n';
    }
    return text;
}

// An entry of a popup menu standing for an action: its caption, short cut
// and state follow the action, and choosing it executes the action.
void AddMenuItem(QMenu* menu, TAction* action, const char* name) {
    QAction* item = menu->addAction(action->text());
    item->setObjectName(name);
    item->setShortcutContext(Qt::WidgetShortcut);
    const auto sync = [item, action] {
        item->setText(action->text());
        item->setShortcut(action->shortcut());
        item->setEnabled(action->Enabled());
        item->setVisible(action->isVisible());
    };
    sync();
    QObject::connect(action, &QAction::changed, item, sync);
    QObject::connect(item, &QAction::triggered, action, [action] { action->Execute(); });
}

// Watches the text view for the releases that mark whole lines: the left
// mouse button on its text, and any key (the frame looks for Shift).
class TReleaseWatch : public QObject {
public:
    TReleaseWatch(TListingView* view) : QObject(view), view_(view) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    TNotifyEvent OnMouseUp;
    std::function<void(TComponent* sender, int key)> OnKeyUp;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease && watched == view_->viewport() &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && OnMouseUp)
            RunGuarded([this] { OnMouseUp(view_); });
        else if (event->type() == QEvent::KeyRelease && watched == view_ &&
                 !static_cast<QKeyEvent*>(event)->isAutoRepeat() && OnKeyUp) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            RunGuarded([this, key] { OnKeyUp(view_, key); });
        }
        return false;
    }

private:
    TListingView* view_;
};

} // namespace

TFrameTestCaseViewer::TFrameTestCaseViewer(TComponent* owner, QWidget* parent, IProjectContext* context,
                                           const std::string& name)
    : TFrame(owner, parent, name, "TFrameTestCaseViewer"), ctx_(context) {
    ActionListTestCaseViewer = new TActionList(this, "ActionListTestCaseViewer");
    ActDelete = new TAction(ActionListTestCaseViewer, "ActDelete", "Delete selection", kCategory);
    ActUndo = new TAction(ActionListTestCaseViewer, "ActUndo", "Undo last deleted line", kCategory);
    ActApply = new TAction(ActionListTestCaseViewer, "ActApply", "Save changes", kCategory);
    ActUndoBlokk = new TAction(ActionListTestCaseViewer, "ActUndoBlokk", "Undo last block", kCategory);
    ActRedo = new TAction(ActionListTestCaseViewer, "ActRedo", "Redo last undone deletion", kCategory);
    ActDelete->SetShortCut("Ctrl+Del");
    ActUndo->SetShortCut("Alt+Backspace");
    ActApply->SetShortCut("Ctrl+S");
    for (TAction* a : ActionListTestCaseViewer->ActionVector()) a->SetEnabled(false);
    ActRedo->SetVisible(false);
    ActDelete->OnExecute = [this](TComponent* s) { ActDeleteExecute(s); };
    ActUndo->OnExecute = [this](TComponent* s) { ActUndoExecute(s); };
    ActApply->OnExecute = [this](TComponent* s) { ActApplyExecute(s); };
    ActUndoBlokk->OnExecute = [this](TComponent* s) { ActUndoBlokkExecute(s); };

    PanelTop = new TPanel(this, this, "PanelTop", TLayoutKind::Horizontal);
    BitBtnTrash = new TBitBtn(this, PanelTop, "BitBtnTrash");
    BitBtnUndel = new TBitBtn(this, PanelTop, "BitBtnUndel");
    BitBtnApply = new TBitBtn(this, PanelTop, "BitBtnApply");
    BitBtnBUndo = new TBitBtn(this, PanelTop, "BitBtnBUndo");
    BitBtn1 = new TBitBtn(this, PanelTop, "BitBtn1");
    BitBtnTrash->SetAction(ActDelete);
    BitBtnUndel->SetAction(ActUndo);
    BitBtnApply->SetAction(ActApply);
    BitBtnBUndo->SetAction(ActUndoBlokk);
    BitBtn1->SetAction(ActRedo);
    if (auto* row = PanelTop->layout()) row->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding));

    RichEditSourceView = new TListingView(this, this, "RichEditSourceView");
    static_cast<QBoxLayout*>(layout())->setStretchFactor(RichEditSourceView, 1);
    RichEditSourceView->OnSelectionChange = [this](TComponent* s) { RichEditSourceViewSelectionChange(s); };
    // Mouse and Shift releases mark whole lines; the editor's short cuts
    // win over the window's while the text has the focus.
    auto* releases = new TReleaseWatch(RichEditSourceView);
    releases->OnMouseUp = [this](TComponent* s) { RichEditSourceViewMouseUp(s); };
    releases->OnKeyUp = [this](TComponent* s, int key) { RichEditSourceViewKeyUp(s, key); };
    RichEditSourceView->installEventFilter(this);

    PopupMenuTestCaseViewer = new TMenuItem(this, this, "PopupMenuTestCaseViewer", "");
    AddMenuItem(PopupMenuTestCaseViewer, ActDelete, "Deletemarkedlines1");
    AddMenuItem(PopupMenuTestCaseViewer, ActUndo, "Undolastdeletedline1");
    AddMenuItem(PopupMenuTestCaseViewer, ActUndoBlokk, "Undolastblock1");
    AddMenuItem(PopupMenuTestCaseViewer, ActRedo, "Redolastundonedeletion1");
    RichEditSourceView->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(RichEditSourceView, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        PopupMenuTestCaseViewer->popup(RichEditSourceView->viewport()->mapToGlobal(p));
    });
}

TFrameTestCaseViewer* TFrameTestCaseViewer::CreateForFile(const TFrameCreateArgs& args,
                                                          const TTestCaseViewerOptions& options) {
    auto* frame = new TFrameTestCaseViewer(args.owner, args.parent, args.context);
    try {
        if (args.font) frame->setFont(ViewerQFont(*args.font));
        frame->SkipCompanions = options.skipCompanions;
        frame->FileDate = FileDateTime(args.fileName);
        frame->AddViewerPopup(options.viewerPopup);
        frame->Load(args.fileName);
    } catch (...) {
        TMyStatusBar* bar = frame->Bar();
        delete frame;
        if (bar) bar->Error("File invalid for this viewer!");
        throw;
    }
    return frame;
}

TMyStatusBar* TFrameTestCaseViewer::Bar() const { return ctx_ ? ctx_->ProjectStatusBar() : nullptr; }

void TFrameTestCaseViewer::AddViewerPopup(QMenu* viewerPopup) {
    if (!viewerPopup) return;
    // Copies of the window's items as they stand now, each choosing the
    // window's own action.
    PopupMenuTestCaseViewer->addSeparator();
    for (QAction* source : viewerPopup->actions()) {
        if (source->isSeparator()) {
            PopupMenuTestCaseViewer->addSeparator();
            continue;
        }
        QAction* copy = PopupMenuTestCaseViewer->addAction(source->text());
        copy->setObjectName(source->objectName());
        copy->setShortcut(source->shortcut());
        copy->setShortcutContext(Qt::WidgetShortcut);
        copy->setCheckable(source->isCheckable());
        copy->setChecked(source->isChecked());
        auto* action = dynamic_cast<TAction*>(source);
        copy->setEnabled(action ? action->Enabled() : source->isEnabled());
        copy->setVisible(source->isVisible());
        copy->setWhatsThis(source->whatsThis());
        QObject::connect(copy, &QAction::triggered, source, [source] { source->trigger(); });
    }
}

void TFrameTestCaseViewer::Load(const std::string& fileName) {
    TTextLines text = ReadTextLines(fileName);
    lineBreak_ = text.lineBreak;
    finalBreak_ = text.finalBreak;
    ReadOnly = !HasPrefix(ExtractFileExt(fileName), ".txt", false);
    if (list_.Load(std::move(text.lines)) && !ReadOnly) {
        // The cleaned listing is written at once and read back; a read-only
        // listing is shown cleaned and left as it is.
        WriteTextLines(fileName, {list_.Working(), lineBreak_, finalBreak_});
        TTextLines again = ReadTextLines(fileName);
        list_.Reload(std::move(again.lines));
    }
    ShowLines();
    SetViewFileName(fileName);
}

void TFrameTestCaseViewer::ShowLines() { RichEditSourceView->SetText8(JoinForView(list_)); }

void TFrameTestCaseViewer::SetViewFileName(const std::string& fileName) {
    FileName = fileName;
    ReadOnly = !HasPrefix(ExtractFileExt(fileName), ".txt", false);
    if (ReadOnly)
        for (TAction* a : ActionListTestCaseViewer->ActionVector()) a->SetEnabled(false);
}

std::string TFrameTestCaseViewer::PrintTitle() const { return ExtractFileName(FileName); }

bool TFrameTestCaseViewer::HasUnsavedChanges() const { return ActApply->Enabled(); }

// ------------------------------------------------------------ marking

void TFrameTestCaseViewer::RichEditSourceViewSelectionChange(TComponent*) {
    if (ReadOnly) return;
    if (TMyStatusBar* bar = Bar()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Line %d of %d in ", RichEditSourceView->CaretLine() + 1,
                      RichEditSourceView->LineCount() + 1);
        bar->ShowInfo(buf + FileName + " ");
    }
    ActDelete->SetEnabled(RichEditSourceView->SelLength() != 0);
}

void TFrameTestCaseViewer::MarkWholeLines() {
    if (ReadOnly) return;
    const auto [first, last] = SelectedLines();
    SelectLines(first, last);
    ActDelete->SetEnabled(true);
}

std::pair<int, int> TFrameTestCaseViewer::SelectedLines() const {
    const QTextDocument* doc = RichEditSourceView->document();
    const QTextCursor c = RichEditSourceView->textCursor();
    const int first = doc->findBlock(c.selectionStart()).blockNumber();
    const QTextBlock endBlock = doc->findBlock(c.selectionEnd());
    int last = endBlock.blockNumber();
    // A selection of whole lines ends where the next line starts; that line
    // is not part of it.
    if (c.selectionEnd() > c.selectionStart() && c.selectionEnd() == endBlock.position() && last > first) --last;
    return {first, last};
}

void TFrameTestCaseViewer::SelectLines(int first, int last) {
    const int start = RichEditSourceView->LineStart(first);
    if (start < 0) return;
    int end = RichEditSourceView->LineStart(last + 1);
    if (end < 0) end = RichEditSourceView->document()->characterCount() - 1; // the last line: to the end of the text
    RichEditSourceView->SetSelection(start, end - start);
    FirstMarked = first;
    LastMarked = last;
}

void TFrameTestCaseViewer::RichEditSourceViewMouseUp(TComponent*) { MarkWholeLines(); }

void TFrameTestCaseViewer::RichEditSourceViewKeyUp(TComponent*, int key) {
    if (key == Qt::Key_Shift && RichEditSourceView->SelLength() != 0) MarkWholeLines();
}

bool TFrameTestCaseViewer::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        if (watched == RichEditSourceView) {
            // An enabled editor action takes its key before the window's
            // actions see it (Ctrl+S saves here, it does not open a dialog).
            auto* key = static_cast<QKeyEvent*>(event);
            const QKeySequence pressed(key->keyCombination());
            for (TAction* a : {ActDelete, ActUndo, ActApply})
                if (a->Enabled() && a->shortcut() == pressed) {
                    event->accept();
                    if (event->type() == QEvent::KeyPress) a->Execute();
                    return true;
                }
        }
        break;
    default: break;
    }
    return TFrame::eventFilter(watched, event);
}

// ------------------------------------------------------------ deleting and undoing

void TFrameTestCaseViewer::ActDeleteExecute(TComponent*) {
    // What is shown selected is what goes, whatever was marked before.
    if (RichEditSourceView->SelLength() == 0) {
        ActDelete->SetEnabled(false);
        return;
    }
    std::tie(FirstMarked, LastMarked) = SelectedLines();
    const std::vector<int> removed = list_.Delete(FirstMarked, LastMarked);
    if (!removed.empty()) {
        RichEditSourceView->RemoveLines(removed);
        ActUndo->SetEnabled(true);
        ActUndoBlokk->SetEnabled(true);
        ActApply->SetEnabled(true);
    }
    ActDelete->SetEnabled(false);
}

void TFrameTestCaseViewer::ActUndoExecute(TComponent*) {
    if (auto restored = list_.Undo()) {
        RichEditSourceView->InsertLines({{restored->line, restored->text}});
        SelectLines(restored->line, restored->line);
        ActDelete->SetEnabled(true);
    }
    ActUndo->SetEnabled(list_.CanUndo());
    ActUndoBlokk->SetEnabled(list_.CanUndo());
}

void TFrameTestCaseViewer::ActUndoBlokkExecute(TComponent*) {
    const auto restored = list_.UndoBlock();
    if (!restored.empty()) {
        bool rising = true;
        for (size_t i = 1; i < restored.size() && rising; ++i) rising = restored[i].line > restored[i - 1].line;
        std::vector<std::pair<int, std::string>> lines;
        for (const auto& r : restored) {
            lines.emplace_back(r.line, r.text);
            if (!rising) {
                RichEditSourceView->InsertLines(lines);
                lines.clear();
            }
        }
        RichEditSourceView->InsertLines(lines);
        int first = restored.front().line, last = first;
        for (const auto& r : restored) {
            first = std::min(first, r.line);
            last = std::max(last, r.line);
        }
        SelectLines(first, last);
        ActDelete->SetEnabled(true);
    }
    ActUndo->SetEnabled(list_.CanUndo());
    ActUndoBlokk->SetEnabled(list_.CanUndo());
}

// ------------------------------------------------------------ saving

void TFrameTestCaseViewer::ActApplyExecute(TComponent* sender) {
    TBusyCursor busy;
    TTestCaseList::TSaved saved = list_.Apply();
    TTestCaseSave save;
    save.listing = FileName;
    save.text = {std::move(saved.lines), lineBreak_, finalBreak_};
    save.deleted = std::move(saved.deleted);
    save.width = list_.Width();
    save.skipCompanions = SkipCompanions;
    if (ctx_) {
        save.outputDir = ctx_->OutputDirectory();
        save.systemName = ctx_->ProjectSystemName();
    }
    for (const std::string& problem : SaveTestCaseFiles(save))
        if (TMyStatusBar* bar = Bar()) bar->ShowError(problem, true);
    if (sender) {
        TTextLines text = ReadTextLines(FileName);
        lineBreak_ = text.lineBreak;
        finalBreak_ = text.finalBreak;
        list_.Reload(std::move(text.lines));
        ShowLines();
        // Nothing is left to undo, and nothing is marked in the new text.
        ActUndo->SetEnabled(false);
        ActUndoBlokk->SetEnabled(false);
        RichEditSourceView->SetSelection(0, 0);
        FirstMarked = LastMarked = 0;
        ActDelete->SetEnabled(false);
    }
    ActApply->SetEnabled(false);
}

} // namespace pem
