#include "XMLEditFrame.h"

#include "DialogService.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "QtText.h"
#include "SharedRoutinesCommon.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMetaObject>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace pem {

namespace {

const char* const kCloseCaption = "Close editor page";
const char* const kCancelCaption = "Cancel editing and close editor page";

// A number typed into a field, read as the document model reads values.
double ReadFloat(const std::string& text) {
    TMyXMLNode probe(0, "<v>");
    probe.Value = text;
    return probe.AsFloat();
}
int ReadInteger(const std::string& text) {
    TMyXMLNode probe(0, "<v>");
    probe.Value = text;
    return probe.AsInteger();
}

// Keeps a flag set for a scope, whatever way it ends.
struct FlagScope {
    bool& flag;
    explicit FlagScope(bool& f) : flag(f) { flag = true; }
    ~FlagScope() { flag = false; }
};

} // namespace

TFrameXMLEdit::TFrameXMLEdit(TComponent* owner, QWidget* parent, const std::string& name)
    : TFrame(owner, parent, name, "TFrameXMLEdit", TLayoutKind::Vertical) {
    Panel1 = new TPanel(this, this, "Panel1", TLayoutKind::Vertical);
    static_cast<QBoxLayout*>(layout())->setStretchFactor(Panel1, 1);
    ScrollBoxEditor = new QScrollArea(Panel1);
    ScrollBoxEditor->setObjectName("ScrollBoxEditor");
    ScrollBoxEditor->setWidgetResizable(false);
    Panel1->layout()->addWidget(ScrollBoxEditor);
    PanelEditor = new TPanel(this, nullptr, "PanelEditor", TLayoutKind::None);
    ScrollBoxEditor->setWidget(PanelEditor);
    ScrollBoxEditor->viewport()->installEventFilter(this);

    PanelBottom = new TPanel(this, this, "PanelBottom", TLayoutKind::Horizontal);
    PanelBottom->setFixedHeight(34);
    // Takes the focus from the field being typed in, so that it is stored.
    EditForceExitDummy = new TEdit(this, PanelBottom, "EditForceExitDummy");
    EditForceExitDummy->setFixedSize(1, 1);
    EditForceExitDummy->setFocusPolicy(Qt::ClickFocus);
    static_cast<QBoxLayout*>(PanelBottom->layout())->addStretch(1);
    BitBtnSave = new TBitBtn(this, PanelBottom, "BitBtnSave");
    BitBtnCancel = new TBitBtn(this, PanelBottom, "BitBtnCancel");

    ActionList1 = new TActionList(this, "ActionList1");
    ActSaveModifications = new TAction(ActionList1, "ActSaveModifications", "&Save");
    ActSaveModifications->SetShortCut("Ctrl+S");
    ActCancel = new TAction(ActionList1, "ActCancel", kCloseCaption);
    for (TAction* a : {ActSaveModifications, ActCancel}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    BitBtnSave->SetAction(ActSaveModifications);
    BitBtnCancel->SetAction(ActCancel);
    PopupMenuXMLEditor = new TMenuItem(this, this, "PopupMenuXMLEditor", "");
    PopupMenuXMLEditor->addAction(ActSaveModifications);
    PopupMenuXMLEditor->addAction(ActCancel);
    Save1 = ActSaveModifications;
    Cancel1 = ActCancel;
    PanelEditor->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(PanelEditor, &QWidget::customContextMenuRequested, this,
                     [this](const QPoint& p) { PopupMenuXMLEditor->popup(PanelEditor->mapToGlobal(p)); });

    // The templates: where rows stand against each other, their fonts and
    // their handlers.
    LabelTree = new TLabel(this, PanelEditor, "LabelTree", "+ Boolean tipus ");
    QFont bold = LabelTree->font();
    bold.setBold(true);
    LabelTree->setFont(bold);
    LabelTree->setGeometry(8, 8, 120, 17);
    LabelFirst = new TLabel(this, PanelEditor, "LabelFirst", "LabelFirst");
    LabelFirst->setGeometry(24, 11, 120, 17);
    LabelSecond = new TLabel(this, PanelEditor, "LabelSecond", "LabelSecond");
    LabelSecond->setGeometry(24, 35, 120, 17);
    EditFirst = new TEdit(this, PanelEditor, "EditFirst");
    EditFirst->setGeometry(150, 8, 121, 22);
    EditSecond = new TEdit(this, PanelEditor, "EditSecond");
    EditSecond->setGeometry(150, 32, 121, 22);
    EditFloat = new TEdit(this, PanelEditor, "EditFloat");
    EditFloat->setGeometry(150, 56, 121, 22);
    EditInteger = new TEdit(this, PanelEditor, "EditInteger");
    EditInteger->setGeometry(150, 80, 121, 22);
    EditParam = new TEdit(this, PanelEditor, "EditParam");
    EditParam->setGeometry(150, 104, 121, 22);
    for (TEdit* e : {EditFirst, EditSecond, EditFloat, EditInteger, EditParam}) {
        e->OnKeyPress = [this](TComponent* s, char& k) { EditFirstKeyPress(s, k); };
        e->OnEnter = [this](TComponent* s) { EditFirstEnter(s); };
    }
    EditFirst->OnExit = [this](TComponent* s) { EditFirstExit(s); };
    EditSecond->OnExit = [this](TComponent* s) { EditFirstExit(s); };
    EditFloat->OnExit = [this](TComponent* s) { EditFloatExit(s); };
    EditInteger->OnExit = [this](TComponent* s) { EditIntegerExit(s); };
    EditParam->OnExit = [this](TComponent* s) { EditParamExit(s); };
    LabelTree->OnClick = [this](TComponent* s) { LabelTreeClick(s); };
    for (QWidget* t : std::initializer_list<QWidget*>{LabelTree, LabelFirst, LabelSecond, EditFirst, EditSecond,
                                                      EditFloat, EditInteger, EditParam})
        t->hide();

    ActSaveModifications->OnExecute = [this](TComponent* s) { ActSaveModificationsExecute(s); };
    ActCancel->OnExecute = [this](TComponent* s) { ActCancelExecute(s); };
}

TFrameXMLEdit::~TFrameXMLEdit() {
    // The rows go with the panel; nothing may store into the document now.
    Building = true;
    current_ = nullptr;
}

TFrameXMLEdit* TFrameXMLEdit::CreateForFile(TComponent* owner, QWidget* parent, const std::string& fileName,
                                            const std::string& name) {
    auto* frame = new TFrameXMLEdit(owner, parent, name);
    try {
        frame->FileName = fileName;
        frame->Document = TMyXMLNodeList::CreateFromFile(fileName);
        frame->FileDate = FileDateTime(fileName);
        frame->BuildEditorControls();
    } catch (...) {
        delete frame;
        throw;
    }
    return frame;
}

// ------------------------------------------------------------ rows

void TFrameXMLEdit::BuildEditorControls() {
    FlagScope building(Building);
    Modified = 0;
    current_ = nullptr;
    for (TLabel* l : labels_) delete l;
    for (TEdit* e : edits_) delete e;
    labels_.clear();
    edits_.clear();
    rows_ = BuildXMLEditRows(*Document);

    const QFontMetrics fm(EditFirst->font());
    const int wWidth = fm.horizontalAdvance('W');
    PanelEditor->setUpdatesEnabled(false);
    labels_.reserve(rows_.Rows.size());
    edits_.reserve(rows_.Rows.size());
    for (size_t r = 0; r < rows_.Rows.size(); ++r) {
        const TXMLEditRow& row = rows_.Rows[r];
        const bool heading = row.Kind == TXMLEditKind::None;
        auto* label = new TLabel(this, PanelEditor, row.LabelName, row.Label);
        label->SetTag(row.Node);
        label->setProperty("XmlRow", static_cast<int>(r));
        label->setFont(heading ? LabelTree->font() : LabelFirst->font());
        label->resize(label->width(), LabelFirst->height());
        if (row.Heading == TXMLHeading::Group) label->OnClick = LabelTree->OnClick;
        labels_.push_back(label);
        TEdit* edit = nullptr;
        if (!heading) {
            TEdit* templ = row.Kind == TXMLEditKind::Integer ? EditInteger
                           : row.Kind == TXMLEditKind::Float ? EditFloat
                           : row.Kind == TXMLEditKind::Param ? EditParam
                                                             : EditFirst;
            edit = new TEdit(this, PanelEditor, row.EditName, row.Text);
            edit->SetTag(row.Node);
            edit->setProperty("XmlRow", static_cast<int>(r));
            edit->setFont(templ->font());
            const int width = row.Wide ? static_cast<int>(row.Text.size()) * wWidth : EditFirst->width();
            edit->resize(std::max(width, 8), EditFirst->height());
            edit->OnKeyPress = templ->OnKeyPress;
            edit->OnExit = templ->OnExit;
            edit->OnEnter = templ->OnEnter;
            edit->setModified(false);
        }
        edits_.push_back(edit);
    }
    PanelEditor->setUpdatesEnabled(true);
    LayoutEditorRows();
}

void TFrameXMLEdit::LayoutEditorRows() {
    TXMLEditMetrics m;
    m.Left = LabelTree->x();
    m.Top = LabelTree->y();
    m.LabelToEdit = LabelFirst->y() - EditFirst->y();
    m.Indent = LabelFirst->x() - LabelTree->x();
    m.RowHeight = std::max(1, EditSecond->y() - EditFirst->y());
    std::vector<int> labelWidths(rows_.Rows.size()), editWidths(rows_.Rows.size());
    for (size_t r = 0; r < rows_.Rows.size(); ++r) {
        labelWidths[r] = QFontMetrics(labels_[r]->font()).horizontalAdvance(labels_[r]->text()) + 2;
        editWidths[r] = edits_[r] ? edits_[r]->width() : 0;
    }
    const int clientHeight = ScrollBoxEditor->viewport()->height();
    const TXMLEditLayout plan = PlanXMLEditLayout(rows_.Rows, labelWidths, editWidths, m, clientHeight);
    PanelEditor->setUpdatesEnabled(false);
    for (size_t r = 0; r < rows_.Rows.size(); ++r) {
        const TXMLRowPlace& p = plan.Places[r];
        TLabel* l = labels_[r];
        l->setGeometry(p.LabelLeft, p.LabelTop, labelWidths[r], LabelFirst->height());
        l->setVisible(p.Visible);
        if (TEdit* e = edits_[r]) {
            e->move(p.EditLeft, p.EditTop);
            e->setVisible(p.Visible);
        }
    }
    PanelEditor->resize(std::max(plan.Width, 1), std::max(clientHeight, 1));
    PanelEditor->setUpdatesEnabled(true);
}

void TFrameXMLEdit::SyncEditorRows() {
    FlagScope building(Building);
    for (size_t r = 0; r < rows_.Rows.size(); ++r) {
        TEdit* e = edits_[r];
        if (!e) continue;
        const TXMLEditRow& row = rows_.Rows[r];
        const TMyXMLNode* node = (*Document)[row.Node];
        e->SetText(row.Kind == TXMLEditKind::Param ? node->GetAttribute(row.Attribute) : node->Text());
        e->setModified(false);
    }
}

void TFrameXMLEdit::ApplyReadOnlyRules(const std::string& readOnlyListText) {
    MarkReadOnlyRows(rows_, *Document, readOnlyListText);
    for (size_t r = 0; r < rows_.Rows.size(); ++r)
        if (edits_[r]) edits_[r]->SetEnabled(!rows_.Rows[r].ReadOnly);
    LayoutEditorRows();
}

int TFrameXMLEdit::RowOf(const TComponent* c) const {
    if (!c || !c->Object()) return -1;
    const QVariant v = c->Object()->property("XmlRow");
    if (!v.isValid()) return -1;
    const int r = v.toInt();
    return r >= 0 && static_cast<size_t>(r) < rows_.Rows.size() ? r : -1;
}

// ------------------------------------------------------------ keys

void TFrameXMLEdit::EditFirstKeyPress(TComponent* sender, char& key) {
    auto* edit = dynamic_cast<TEdit*>(sender);
    const int r = RowOf(sender);
    if (!edit || r < 0) return;
    current_ = edit;
    const TXMLEditKind kind = rows_.Rows[static_cast<size_t>(r)].Kind;
    const auto c = static_cast<unsigned char>(key);
    if (c == '\r') {
        key = 0;
        MoveToNextField(edit);
        return;
    }
    if (c == 27) {
        key = 0;
        const char* cleared = kind == TXMLEditKind::Float ? "0.0" : kind == TXMLEditKind::Integer ? "0" : "";
        // The cleared field counts as changed, so that leaving it stores
        // the change and the page knows it has one.
        if (kind != TXMLEditKind::Param && edit->Text() != cleared) {
            edit->SetText(cleared);
            edit->setModified(true);
        }
        return;
    }
    if (c < 32 || c == 127) return;
    bool accepted = true;
    switch (kind) {
    case TXMLEditKind::Integer: accepted = c >= '0' && c <= '9'; break;
    case TXMLEditKind::Float:
        accepted = (c >= '0' && c <= '9') ||
                   (c == '.' && (edit->Text().find('.') == std::string::npos || edit->selectedText().contains('.')));
        break;
    default: accepted = c != '<' && c != '>'; break;
    }
    if (!accepted) {
        Dialogs().Beep();
        key = 0;
    }
}

void TFrameXMLEdit::MoveToNextField(TEdit* from) {
    EditLeft(from);
    const int r = RowOf(from);
    for (size_t next = static_cast<size_t>(r) + 1; next < edits_.size(); ++next) {
        TEdit* e = edits_[next];
        if (e && !e->isHidden() && e->isEnabled()) {
            current_ = e;
            e->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    current_ = nullptr;
    BitBtnSave->setFocus(Qt::TabFocusReason);
}

// ------------------------------------------------------------ leaving a field

void TFrameXMLEdit::EditFirstEnter(TComponent* sender) {
    if (auto* e = dynamic_cast<TEdit*>(sender); e && RowOf(e) >= 0) current_ = e;
}

void TFrameXMLEdit::EditFirstExit(TComponent* sender) { EditLeft(sender); }
void TFrameXMLEdit::EditFloatExit(TComponent* sender) { EditLeft(sender); }
void TFrameXMLEdit::EditIntegerExit(TComponent* sender) { EditLeft(sender); }
void TFrameXMLEdit::EditParamExit(TComponent* sender) { EditLeft(sender); }

void TFrameXMLEdit::CommitEdit() {
    if (current_) EditLeft(current_);
}

bool TFrameXMLEdit::StoreEdit(TEdit* edit, int r) {
    const TXMLEditRow& row = rows_.Rows[static_cast<size_t>(r)];
    TMyXMLNode* node = (*Document)[row.Node];
    const std::string text = edit->Text();
    const std::string trimmed = TrimCharSet(text, csControlAndBlank);
    try {
        switch (row.Kind) {
        case TXMLEditKind::Text: Document->SetNodeValue(row.Node, text); break;
        case TXMLEditKind::Float: Document->SetNodeValue(row.Node, StoredFloatText(ReadFloat(trimmed))); break;
        case TXMLEditKind::Integer: Document->SetNodeValue(row.Node, std::to_string(ReadInteger(trimmed))); break;
        case TXMLEditKind::Param: node->SetAttribute(row.Attribute, trimmed); break;
        case TXMLEditKind::None: break;
        }
    } catch (const EConvertError& e) {
        // An emptied or mistyped number: the document keeps its value, and
        // so does the field.
        FlagScope building(Building);
        edit->SetText(node->Text());
        edit->setModified(false);
        if (StatusBar) StatusBar->ShowWarning(e.what());
        return false;
    }
    return true;
}

void TFrameXMLEdit::EditLeft(TComponent* sender) {
    if (Building || leaving_ || !Document) return;
    auto* edit = dynamic_cast<TEdit*>(sender);
    const int r = RowOf(sender);
    if (!edit || r < 0 || edits_[static_cast<size_t>(r)] != edit) return;
    FlagScope leaving(leaving_);
    const bool changed = edit->isModified();
    if (!StoreEdit(edit, r)) return;
    edit->setModified(false);
    if (changed) {
        if (Modified == 0) ActCancel->SetCaption(kCancelCaption);
        Modified = 1;
    }
    if (OnElementChanged && changed) {
        OnElementChanged(this, *Document);
        SyncEditorRows();
        LayoutEditorRows();
    }
}

// ------------------------------------------------------------ headings

void TFrameXMLEdit::LabelTreeClick(TComponent* sender) {
    const int r = RowOf(sender);
    if (r < 0) return;
    TXMLEditRow& row = rows_.Rows[static_cast<size_t>(r)];
    if (row.Kind != TXMLEditKind::None) return;
    row.Label = ToggledHeading(row.Label);
    labels_[static_cast<size_t>(r)]->SetCaption(row.Label);
    LayoutEditorRows();
}

void TFrameXMLEdit::PanelEditorResize() { LayoutEditorRows(); }

bool TFrameXMLEdit::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ScrollBoxEditor->viewport() && e->type() == QEvent::Resize && !Building)
        RunGuarded([this] { PanelEditorResize(); });
    return TFrame::eventFilter(watched, e);
}

// ------------------------------------------------------------ save and close

void TFrameXMLEdit::ActSaveModificationsExecute(TComponent*) {
    CommitEdit();
    EditForceExitDummy->setFocus();
    if (Modified) {
        Document->SaveToFile(FileName);
        // The file now holds what the page shows: reopening it is no change.
        FileDate = FileDateTime(FileName);
        if (OnSaved) OnSaved(this);
    }
    ActCancel->SetCaption(kCloseCaption);
    Modified = 0;
}

void TFrameXMLEdit::ActCancelExecute(TComponent*) {
    CommitEdit();
    if (Modified && Dialogs().MessageDlg(FileName + " has been changed,\r\nDo you want to discard the changes ?",
                                         TMsgDlgType::mtInformation, mbYesNo) == mrNo)
        return;
    Modified = 0;
    ActCancel->SetCaption(kCloseCaption);
    // The main window's close request closes the active result tab, this
    // one, once this click is over.
    QWidget* w = window();
    if (!dynamic_cast<TForm*>(w) && Application().MainForm()) w = Application().MainForm();
    QMetaObject::invokeMethod(w, "close", Qt::QueuedConnection);
}

} // namespace pem
