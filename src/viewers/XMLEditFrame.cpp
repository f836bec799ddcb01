#include "XMLEditFrame.h"

#include "DialogService.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "QtText.h"
#include "SharedRoutinesCommon.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMetaObject>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <future>
#include <stdexcept>

namespace pem {

// The scroll area over the rows: its horizontal bar runs over the whole
// flow of columns, and moving it re-places the rows instead of scrolling
// pixels.
class TXMLRowView : public QAbstractScrollArea {
public:
    TXMLRowView(TFrameXMLEdit* frame, QWidget* parent) : QAbstractScrollArea(parent), frame_(frame) {
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }

protected:
    void scrollContentsBy(int, int) override {
        RunGuarded([this] { frame_->ScrollTo(horizontalScrollBar()->value()); });
    }

private:
    TFrameXMLEdit* frame_;
};

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

// Keeps a flag set for a scope, whatever way it ends; nested scopes leave
// it as the outer one set it.
struct FlagScope {
    bool& flag;
    bool before;
    explicit FlagScope(bool& f) : flag(f), before(f) { flag = true; }
    ~FlagScope() { flag = before; }
};

} // namespace

TFrameXMLEdit::TFrameXMLEdit(TComponent* owner, QWidget* parent, const std::string& name)
    : TFrame(owner, parent, name, "TFrameXMLEdit", TLayoutKind::Vertical) {
    Panel1 = new TPanel(this, this, "Panel1", TLayoutKind::Vertical);
    static_cast<QBoxLayout*>(layout())->setStretchFactor(Panel1, 1);
    ScrollBoxEditor = new TXMLRowView(this, Panel1);
    ScrollBoxEditor->setObjectName("ScrollBoxEditor");
    Panel1->layout()->addWidget(ScrollBoxEditor);
    PanelEditor = new TPanel(this, ScrollBoxEditor->viewport(), "PanelEditor", TLayoutKind::None);
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

TXMLEditSource TFrameXMLEdit::ReadForEditing(const std::string& fileName) {
    QEventLoop loop;
    auto work = std::async(std::launch::async, [&] {
        // However the work ends, the wait ends with it.
        struct Done {
            QEventLoop& loop;
            ~Done() {
                QMetaObject::invokeMethod(&loop, [l = &loop] { l->quit(); }, Qt::QueuedConnection);
            }
        } done{loop};
        TXMLEditSource source;
        source.Document = TMyXMLNodeList::CreateFromFile(fileName);
        source.Rows = BuildXMLEditRows(*source.Document);
        return source;
    });
    if (work.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return work.get();
}

TFrameXMLEdit* TFrameXMLEdit::CreateForFile(TComponent* owner, QWidget* parent, const std::string& fileName,
                                            const std::string& name) {
    return CreateForSource(owner, parent, fileName, ReadForEditing(fileName), name);
}

TFrameXMLEdit* TFrameXMLEdit::CreateForSource(TComponent* owner, QWidget* parent, const std::string& fileName,
                                              TXMLEditSource source, const std::string& name) {
    auto* frame = new TFrameXMLEdit(owner, parent, name);
    try {
        frame->FileName = fileName;
        frame->Document = std::move(source.Document);
        frame->FileDate = FileDateTime(fileName);
        frame->BuildEditorControls(std::move(source.Rows));
    } catch (...) {
        delete frame;
        throw;
    }
    return frame;
}

// ------------------------------------------------------------ rows

void TFrameXMLEdit::BuildEditorControls() { BuildEditorControls(BuildXMLEditRows(*Document)); }

void TFrameXMLEdit::BuildEditorControls(TXMLEditRows rows) {
    FlagScope building(Building);
    Modified = 0;
    current_ = nullptr;
    ReleaseAll();
    rows_ = std::move(rows);
    const size_t n = rows_.Rows.size();
    labelOf_.assign(n, nullptr);
    editOf_.assign(n, nullptr);
    keptTexts_.clear();
    synced_ = false;
    scrollX_ = 0;

    // The widths of labels and edits, measured once; labels repeat their
    // texts a great deal, so each text is measured once.
    const QFontMetrics fm(EditFirst->font());
    const int wWidth = fm.horizontalAdvance('W');
    const QFontMetrics plain(LabelFirst->font()), bold(LabelTree->font());
    std::unordered_map<std::string, int> plainWidths, boldWidths;
    labelWidths_.resize(n);
    editWidths_.resize(n);
    for (size_t r = 0; r < n; ++r) {
        const TXMLEditRow& row = rows_.Rows[r];
        const bool heading = row.Kind == TXMLEditKind::None;
        auto& cache = heading ? boldWidths : plainWidths;
        auto [it, fresh] = cache.try_emplace(row.Label, 0);
        if (fresh) it->second = (heading ? bold : plain).horizontalAdvance(ToQ(row.Label)) + 2;
        labelWidths_[r] = it->second;
        editWidths_[r] =
            heading ? 0
                    : std::max(row.Wide ? static_cast<int>(row.Text.size()) * wWidth : EditFirst->width(), 8);
    }
    LayoutEditorRows();
}

int TFrameXMLEdit::LabelWidth(size_t r) const {
    const TXMLEditRow& row = rows_.Rows[r];
    const QFont& f = row.Kind == TXMLEditKind::None ? LabelTree->font() : LabelFirst->font();
    return QFontMetrics(f).horizontalAdvance(ToQ(row.Label)) + 2;
}

void TFrameXMLEdit::LayoutEditorRows() {
    // A field left while the rows are placed (its group collapsed under it)
    // may ask for a layout again: it follows this one.
    if (layingOut_) {
        layOutAgain_ = true;
        return;
    }
    FlagScope layingOut(layingOut_);
    do {
        layOutAgain_ = false;
        LayOutOnce();
    } while (layOutAgain_);
}

void TFrameXMLEdit::LayOutOnce() {
    TXMLEditMetrics m;
    m.Left = LabelTree->x();
    m.Top = LabelTree->y();
    m.LabelToEdit = LabelFirst->y() - EditFirst->y();
    m.Indent = LabelFirst->x() - LabelTree->x();
    m.RowHeight = std::max(1, EditSecond->y() - EditFirst->y());
    QWidget* viewport = ScrollBoxEditor->viewport();
    const int clientHeight = viewport->height();
    plan_ = PlanXMLEditLayout(rows_.Rows, labelWidths_, editWidths_, m, clientHeight);
    PanelEditor->setGeometry(0, 0, std::max(viewport->width(), 1), std::max(clientHeight, 1));
    QScrollBar* bar = ScrollBoxEditor->horizontalScrollBar();
    bar->setRange(0, std::max(0, plan_.Width - viewport->width()));
    bar->setPageStep(std::max(1, viewport->width()));
    bar->setSingleStep(std::max(1, m.RowHeight));
    scrollX_ = bar->value();
    PlaceRows();
}

void TFrameXMLEdit::SyncEditorRows() {
    FlagScope building(Building);
    synced_ = true;
    keptTexts_.clear();
    for (size_t r : bound_) {
        TEdit* e = editOf_[r];
        if (!e) continue;
        e->SetText(ShownText(r));
        e->setModified(false);
    }
}

void TFrameXMLEdit::ApplyReadOnlyRules(const std::string& readOnlyListText) {
    MarkReadOnlyRows(rows_, *Document, readOnlyListText);
    // The marks move no row: the rows in view only take them.
    for (size_t r : bound_)
        if (editOf_[r]) editOf_[r]->SetEnabled(!rows_.Rows[r].ReadOnly);
    PlaceRows();
}

// ------------------------------------------------------------ rows in view

std::string TFrameXMLEdit::ShownText(size_t r) const {
    if (auto it = keptTexts_.find(r); it != keptTexts_.end()) return it->second;
    const TXMLEditRow& row = rows_.Rows[r];
    if (!synced_) return row.Text;
    const TMyXMLNode* node = (*Document)[row.Node];
    return row.Kind == TXMLEditKind::Param ? node->GetAttribute(row.Attribute) : node->Text();
}

bool TFrameXMLEdit::Pinned(size_t r) const {
    // The field being typed in, or holding what was typed and not yet
    // stored, keeps its widget: giving it back would lose the typing.
    const TEdit* e = editOf_[r];
    return e && (e == current_ || e->hasFocus() || e->isModified());
}

void TFrameXMLEdit::BindRow(size_t r) {
    if (labelOf_[r]) return;
    const TXMLEditRow& row = rows_.Rows[r];
    const bool heading = row.Kind == TXMLEditKind::None;
    TLabel* label = nullptr;
    if (!spareLabels_.empty()) {
        label = spareLabels_.back();
        spareLabels_.pop_back();
        label->SetName(row.LabelName);
        label->SetCaption(row.Label);
    } else {
        label = new TLabel(this, PanelEditor, row.LabelName, row.Label);
    }
    label->SetTag(row.Node);
    label->setProperty("XmlRow", static_cast<int>(r));
    const QFont& font = heading ? LabelTree->font() : LabelFirst->font();
    if (label->font() != font) label->setFont(font);
    label->OnClick = row.Heading == TXMLHeading::Group ? LabelTree->OnClick : TNotifyEvent();
    labelOf_[r] = label;
    if (!heading) {
        TEdit* templ = row.Kind == TXMLEditKind::Integer ? EditInteger
                       : row.Kind == TXMLEditKind::Float ? EditFloat
                       : row.Kind == TXMLEditKind::Param ? EditParam
                                                         : EditFirst;
        TEdit* edit = nullptr;
        FlagScope building(Building);
        if (!spareEdits_.empty()) {
            edit = spareEdits_.back();
            spareEdits_.pop_back();
            edit->SetName(row.EditName);
            edit->SetText(ShownText(r));
        } else {
            edit = new TEdit(this, PanelEditor, row.EditName, ShownText(r));
            // Tab and Backtab go from row to row, not along the order in
            // which the pool's edits were made.
            edit->installEventFilter(this);
        }
        edit->SetTag(row.Node);
        edit->setProperty("XmlRow", static_cast<int>(r));
        if (edit->font() != templ->font()) edit->setFont(templ->font());
        edit->resize(editWidths_[r], EditFirst->height());
        edit->OnKeyPress = templ->OnKeyPress;
        edit->OnExit = templ->OnExit;
        edit->OnEnter = templ->OnEnter;
        edit->SetEnabled(!row.ReadOnly);
        edit->setModified(false);
        editOf_[r] = edit;
    }
    bound_.push_back(r);
}

void TFrameXMLEdit::ReleaseRow(size_t r, bool keepText) {
    if (TLabel* l = labelOf_[r]) {
        l->hide();
        l->OnClick = nullptr;
        l->setProperty("XmlRow", -1);
        l->SetName("");
        spareLabels_.push_back(l);
        labelOf_[r] = nullptr;
    }
    if (TEdit* e = editOf_[r]) {
        // The row keeps the text its field showed.
        if (keepText && e->Text() != ShownText(r)) keptTexts_[r] = e->Text();
        e->OnExit = nullptr;
        e->OnEnter = nullptr;
        e->OnKeyPress = nullptr;
        e->hide();
        e->setProperty("XmlRow", -1);
        e->SetName("");
        spareEdits_.push_back(e);
        editOf_[r] = nullptr;
    }
}

void TFrameXMLEdit::ReleaseAll() {
    // The rows are about to be made anew: their texts go with them.
    for (size_t r : bound_) ReleaseRow(r, false);
    bound_.clear();
}

void TFrameXMLEdit::PlaceRow(size_t r) {
    const TXMLRowPlace& p = plan_.Places[r];
    TLabel* l = labelOf_[r];
    TEdit* e = editOf_[r];
    int labelLeft = p.LabelLeft - scrollX_, editLeft = p.EditLeft - scrollX_;
    // A row far out of view that keeps its widgets (the field being typed
    // in) waits near the panel, out of sight, not at a far coordinate.
    const int w = std::max(PanelEditor->width(), 1);
    const int right = e ? editLeft + e->width() : labelLeft + labelWidths_[r];
    int shift = 0;
    if (right < -w) shift = -w - right;
    else if (labelLeft > 2 * w) shift = 2 * w - labelLeft;
    labelLeft += shift;
    editLeft += shift;
    l->setGeometry(labelLeft, p.LabelTop, labelWidths_[r], LabelFirst->height());
    l->setVisible(p.Visible);
    if (e) {
        e->move(editLeft, p.EditTop);
        e->setVisible(p.Visible);
    }
}

void TFrameXMLEdit::PlaceRows() {
    if (placing_) {
        placeAgain_ = true;
        return;
    }
    FlagScope placing(placing_);
    do {
        placeAgain_ = false;
        PlaceRowsOnce();
    } while (placeAgain_);
}

void TFrameXMLEdit::PlaceRowsOnce() {
    // The columns the panel shows, found by their left ends.
    const int viewLeft = scrollX_, viewRight = scrollX_ + std::max(PanelEditor->width(), 1);
    const auto& spans = plan_.Spans;
    auto first = std::partition_point(spans.begin(), spans.end(),
                                      [&](const TXMLEditColumn& c) { return c.Right < viewLeft; });
    auto last = std::partition_point(first, spans.end(),
                                     [&](const TXMLEditColumn& c) { return c.Left <= viewRight; });
    size_t from = 0, to = 0;
    if (first != last) {
        from = static_cast<size_t>(first->FirstRow);
        to = static_cast<size_t>((last - 1)->EndRow);
    }
    auto inView = [&](size_t r) { return r >= from && r < to && plan_.Places[r].Visible; };

    PanelEditor->setUpdatesEnabled(false);
    std::vector<size_t> kept;
    kept.reserve(bound_.size());
    for (size_t r : bound_) {
        if (inView(r) || Pinned(r)) kept.push_back(r);
        else ReleaseRow(r);
    }
    bound_ = std::move(kept);
    for (size_t r = from; r < to; ++r)
        if (plan_.Places[r].Visible) BindRow(r);
    // Placing may hide the field that has the focus, and leaving it may
    // come back here: walk a copy.
    const std::vector<size_t> placed = bound_;
    for (size_t r : placed)
        if (labelOf_[r]) PlaceRow(r);
    PanelEditor->setUpdatesEnabled(true);
}

void TFrameXMLEdit::ScrollTo(int x) {
    scrollX_ = x;
    if (!layingOut_) PlaceRows();
}

void TFrameXMLEdit::ScrollRowIntoView(size_t r) {
    const TXMLRowPlace& p = plan_.Places[r];
    if (!p.Visible) return;
    const int left = p.LabelLeft;
    const int right = rows_.Rows[r].Kind == TXMLEditKind::None ? p.LabelLeft + labelWidths_[r]
                                                                : p.EditLeft + editWidths_[r];
    const int width = std::max(PanelEditor->width(), 1);
    int x = scrollX_;
    if (right > x + width) x = right - width + LabelTree->x();
    if (left < x) x = left - LabelTree->x();
    QScrollBar* bar = ScrollBoxEditor->horizontalScrollBar();
    x = std::clamp(x, bar->minimum(), bar->maximum());
    if (x != bar->value()) bar->setValue(x); // re-places the rows
    else PlaceRows();
}

TLabel* TFrameXMLEdit::RowLabel(size_t row) {
    if (row >= rows_.Rows.size()) throw std::out_of_range("no row " + std::to_string(row));
    ScrollRowIntoView(row);
    if (!labelOf_[row]) {
        BindRow(row);
        PlaceRow(row);
    }
    return labelOf_[row];
}

TEdit* TFrameXMLEdit::RowEdit(size_t row) {
    RowLabel(row);
    return editOf_[row];
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

// The next field is the next row's edit that shows and may be changed,
// scrolled into view; after the last one the save button.
void TFrameXMLEdit::MoveToNextField(TEdit* from) {
    EditLeft(from);
    const int r = RowOf(from);
    for (size_t next = static_cast<size_t>(r) + 1; r >= 0 && next < rows_.Rows.size(); ++next) {
        const TXMLEditRow& row = rows_.Rows[next];
        if (row.Kind != TXMLEditKind::None && plan_.Places[next].Visible && !row.ReadOnly) {
            FocusRow(next);
            return;
        }
    }
    current_ = nullptr;
    BitBtnSave->setFocus(Qt::TabFocusReason);
}

// The previous row's field; before the first one, the control before the
// rows in the window's tab order.
void TFrameXMLEdit::MoveToPreviousField(TEdit* from) {
    EditLeft(from);
    const int r = RowOf(from);
    for (int prev = r - 1; prev >= 0; --prev) {
        const TXMLEditRow& row = rows_.Rows[static_cast<size_t>(prev)];
        if (row.Kind != TXMLEditKind::None && plan_.Places[static_cast<size_t>(prev)].Visible && !row.ReadOnly) {
            FocusRow(static_cast<size_t>(prev));
            return;
        }
    }
    for (QWidget* w = from->previousInFocusChain(); w && w != from; w = w->previousInFocusChain()) {
        if (PanelEditor->isAncestorOf(w)) continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) {
            current_ = nullptr;
            w->setFocus(Qt::BacktabFocusReason);
            return;
        }
    }
}

void TFrameXMLEdit::FocusRow(size_t row) {
    ScrollRowIntoView(row);
    TEdit* e = RowEdit(row);
    current_ = e;
    e->setFocus(Qt::TabFocusReason);
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
    if (!edit || r < 0 || editOf_[static_cast<size_t>(r)] != edit) return;
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
    labelWidths_[static_cast<size_t>(r)] = LabelWidth(static_cast<size_t>(r));
    if (TLabel* l = labelOf_[static_cast<size_t>(r)]) l->SetCaption(row.Label);
    LayoutEditorRows();
}

void TFrameXMLEdit::PanelEditorResize() { LayoutEditorRows(); }

bool TFrameXMLEdit::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ScrollBoxEditor->viewport() && e->type() == QEvent::Resize && !Building)
        RunGuarded([this] { PanelEditorResize(); });
    if (e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
        auto* edit = dynamic_cast<TEdit*>(TComponent::Of(watched));
        if (tab && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && edit && RowOf(edit) >= 0) {
            const bool back = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
            RunGuarded([&] {
                if (back) MoveToPreviousField(edit);
                else MoveToNextField(edit);
            });
            return true;
        }
    }
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
