#include "Controls.h"

#include "Actions.h"
#include "HandlerGuard.h"
#include "QtText.h"

#include <QApplication>
#include <QBoxLayout>
#include <algorithm>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QValidator>

namespace pem {

namespace {
// Each line followed by a line break: the last, empty block of the document
// then stands for "no more lines", so a last line that is empty survives.
std::string LinesToDocumentText(const TStringList& lines) {
    std::string t;
    for (const auto& it : lines) {
        t += it.s;
        t += '\n';
    }
    return t;
}

void Fire(const TNotifyEvent& ev, TComponent* sender) { FireEvent(ev, sender); }

// Drops control characters from what the user types or pastes.
class ControlCharFilter : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        QString kept;
        int beforeCursor = 0;
        for (int i = 0; i < input.size(); ++i) {
            if (input[i].category() == QChar::Other_Control) {
                if (i < pos) ++beforeCursor;
                continue;
            }
            kept += input[i];
        }
        if (kept.size() != input.size()) {
            input = kept;
            pos -= beforeCursor;
        }
        return Acceptable;
    }
};
} // namespace

void AddToParentLayout(QWidget* parent, QWidget* w) {
    if (!parent) return;
    if (QLayout* l = parent->layout()) l->addWidget(w);
}

void SetContainerLayout(QWidget* w, TLayoutKind kind) {
    if (kind == TLayoutKind::None) return;
    auto* l = new QBoxLayout(kind == TLayoutKind::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, w);
    l->setContentsMargins(2, 2, 2, 2);
    l->setSpacing(2);
}

// ---- containers

TPanel::TPanel(TComponent* owner, QWidget* parent, const std::string& name, TLayoutKind layout,
               const char* className)
    : QFrame(parent), TControl(this, owner, name, className) {
    SetContainerLayout(this, layout);
    AddToParentLayout(parent, this);
}

void TPanel::mousePressEvent(QMouseEvent* e) {
    QFrame::mousePressEvent(e);
    Fire(OnMouseDown, this);
}

TFrame::TFrame(TComponent* owner, QWidget* parent, const std::string& name, const char* className,
               TLayoutKind layout)
    : QFrame(parent), TControl(this, owner, name, className) {
    SetContainerLayout(this, layout);
    AddToParentLayout(parent, this);
}

TGroupBox::TGroupBox(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption,
                     TLayoutKind layout, const char* className)
    : QGroupBox(ToQ(caption), parent), TControl(this, owner, name, className) {
    SetContainerLayout(this, layout);
    AddToParentLayout(parent, this);
}
std::string TGroupBox::Caption() const { return FromQ(title()); }
void TGroupBox::SetCaption(const std::string& c) { setTitle(ToQ(c)); }
void TGroupBox::mousePressEvent(QMouseEvent* e) {
    QGroupBox::mousePressEvent(e);
    Fire(OnMouseDown, this);
}

// ---- label and edits

TLabel::TLabel(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption)
    : QLabel(ToQ(caption), parent), TControl(this, owner, name, "TLabel") {
    AddToParentLayout(parent, this);
}
std::string TLabel::Caption() const { return FromQ(text()); }
void TLabel::SetCaption(const std::string& c) { setText(ToQ(c)); }
void TLabel::mousePressEvent(QMouseEvent* e) {
    QLabel::mousePressEvent(e);
    Fire(OnClick, this);
}

TEdit::TEdit(TComponent* owner, QWidget* parent, const std::string& name, const std::string& text,
             const char* className)
    : QLineEdit(ToQ(text), parent), TControl(this, owner, name, className) {
    AddToParentLayout(parent, this);
    QObject::connect(this, &QLineEdit::textChanged, this, [this](const QString&) { Fire(OnChange, this); });
    controlFilter_ = new ControlCharFilter(this);
    setValidator(controlFilter_);
}
void TEdit::SetStripControlChars(bool on) { setValidator(on ? controlFilter_ : nullptr); }
std::string TEdit::Text() const { return FromQ(text()); }
void TEdit::SetText(const std::string& t) { setText(ToQ(t)); }
void TEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    Fire(OnExit, this);
}
void TEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    Fire(OnEnter, this);
}
void TEdit::keyPressEvent(QKeyEvent* e) {
    if (OnKeyPress) {
        char key = 0;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) key = '\r';
        else if (e->key() == Qt::Key_Escape) key = 27;
        else if (e->key() == Qt::Key_Backspace) key = 8;
        else if (!e->text().isEmpty()) {
            std::string s = FromQ(e->text());
            if (!s.empty()) key = s[0];
        }
        if (key != 0) {
            char original = key;
            RunGuarded([&] { OnKeyPress(this, key); });
            if (key == 0) return; // swallowed
            if (key != original) {
                insert(ToQ(std::string(1, key)));
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(e);
}

TMemo::TMemo(TComponent* owner, QWidget* parent, const std::string& name, const char* className)
    : QPlainTextEdit(parent), TControl(this, owner, name, className) {
    AddToParentLayout(parent, this);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    QObject::connect(this, &QPlainTextEdit::textChanged, this, [this] { Fire(OnChange, this); });
}
TStringList TMemo::Lines() const {
    TStringList l;
    const QTextDocument* d = document();
    for (QTextBlock b = d->begin(); b.isValid(); b = b.next()) l.Add(FromQ(b.text()));
    // An empty memo has one empty block; a text ending in a line break has a
    // trailing empty block: neither is a line.
    if (l.Count() > 0 && l[l.Count() - 1].empty()) l.Delete(l.Count() - 1);
    return l;
}
void TMemo::SetLines(const TStringList& lines) { setPlainText(ToQ(LinesToDocumentText(lines))); }
int TMemo::LineCount() const { return Lines().Count(); }
std::string TMemo::Line(int i) const { return FromQ(document()->findBlockByNumber(i).text()); }
void TMemo::AddLine(const std::string& s) {
    // The document holds every line followed by a line break (see
    // LinesToDocumentText); text typed without a final break gets one first.
    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    const QString all = document()->toPlainText();
    QString add = ToQ(s) + '\n';
    if (!all.isEmpty() && !all.endsWith('\n')) add.prepend('\n');
    c.insertText(add);
}
std::string TMemo::Text() const {
    TStringList l = Lines();
    l.LineBreak = "\r\n";
    return l.Text();
}
void TMemo::SetText(const std::string& t) {
    TStringList l;
    l.SetText(t);
    SetLines(l);
}
bool TMemo::Modified() const { return document()->isModified(); }
void TMemo::SetModified(bool m) { document()->setModified(m); }
void TMemo::focusOutEvent(QFocusEvent* e) {
    QPlainTextEdit::focusOutEvent(e);
    Fire(OnExit, this);
}
void TMemo::mouseDoubleClickEvent(QMouseEvent* e) {
    QPlainTextEdit::mouseDoubleClickEvent(e);
    Fire(OnDblClick, this);
}

TRichEdit::TRichEdit(TComponent* owner, QWidget* parent, const std::string& name)
    : QTextEdit(parent), TControl(this, owner, name, "TRichEdit") {
    AddToParentLayout(parent, this);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    QObject::connect(this, &QTextEdit::textChanged, this, [this] { Fire(OnChange, this); });
    QObject::connect(this, &QTextEdit::selectionChanged, this, [this] { Fire(OnSelectionChange, this); });
}
TStringList TRichEdit::Lines() const {
    TStringList l;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) l.Add(FromQ(b.text()));
    if (l.Count() > 0 && l[l.Count() - 1].empty()) l.Delete(l.Count() - 1);
    return l;
}
void TRichEdit::SetLines(const TStringList& lines) { setPlainText(ToQ(LinesToDocumentText(lines))); }
std::string TRichEdit::Text() const {
    TStringList l = Lines();
    l.LineBreak = "\r\n";
    return l.Text();
}
void TRichEdit::SetText(const std::string& t) {
    TStringList l;
    l.SetText(t);
    SetLines(l);
}

// ---- check and radio

TCheckBox::TCheckBox(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption)
    : QCheckBox(ToQ(caption), parent), TControl(this, owner, name, "TCheckBox") {
    AddToParentLayout(parent, this);
    QObject::connect(this, &QCheckBox::clicked, this, [this](bool) { Fire(OnClick, this); });
}
void TCheckBox::SetChecked(bool c) {
    if (c == isChecked()) return;
    setChecked(c);
    Fire(OnClick, this);
}
std::string TCheckBox::Caption() const { return FromQ(text()); }
void TCheckBox::SetCaption(const std::string& c) { setText(ToQ(c)); }

TRadioButton::TRadioButton(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption)
    : QRadioButton(ToQ(caption), parent), TControl(this, owner, name, "TRadioButton") {
    AddToParentLayout(parent, this);
    // Only a button that becomes checked clicks: a click on the button
    // already checked changes nothing and runs nothing.
    QObject::connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Fire(OnClick, this);
    });
}
void TRadioButton::SetChecked(bool c) {
    if (c == isChecked()) return;
    if (!c) {
        // Auto-exclusive buttons refuse to be unchecked directly.
        bool ex = autoExclusive();
        setAutoExclusive(false);
        setChecked(false);
        setAutoExclusive(ex);
        return;
    }
    setChecked(true); // toggled: OnClick
}
std::string TRadioButton::Caption() const { return FromQ(text()); }
void TRadioButton::SetCaption(const std::string& c) { setText(ToQ(c)); }

TRadioGroup::TRadioGroup(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption)
    : QGroupBox(ToQ(caption), parent), TControl(this, owner, name, "TRadioGroup") {
    SetContainerLayout(this, TLayoutKind::Vertical);
    AddToParentLayout(parent, this);
}
void TRadioGroup::SetItems(const TStringList& items) {
    items_ = items;
    Rebuild();
}
void TRadioGroup::SetColumns(int c) {
    columns_ = c < 1 ? 1 : c;
}
void TRadioGroup::Rebuild() {
    for (QRadioButton* b : buttons_) delete b;
    buttons_.clear();
    for (int i = 0; i < items_.Count(); ++i) {
        auto* b = new QRadioButton(ToQ(items_[i]), this);
        layout()->addWidget(b);
        QObject::connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on && !updating_) Fire(OnClick, this);
        });
        buttons_.push_back(b);
    }
}
int TRadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->isChecked()) return static_cast<int>(i);
    return -1;
}
void TRadioGroup::SetItemIndex(int i) {
    if (i == ItemIndex()) return;
    updating_ = true;
    for (size_t k = 0; k < buttons_.size(); ++k) {
        buttons_[k]->setAutoExclusive(false);
        buttons_[k]->setChecked(static_cast<int>(k) == i);
        buttons_[k]->setAutoExclusive(true);
    }
    updating_ = false;
    Fire(OnClick, this);
}
QRadioButton* TRadioGroup::Button(int i) const {
    return i >= 0 && i < static_cast<int>(buttons_.size()) ? buttons_[static_cast<size_t>(i)] : nullptr;
}
std::string TRadioGroup::Caption() const { return FromQ(title()); }
void TRadioGroup::SetCaption(const std::string& c) { setTitle(ToQ(c)); }

// ---- lists

TComboBox::TComboBox(TComponent* owner, QWidget* parent, const std::string& name, const char* className)
    : QComboBox(parent), TControl(this, owner, name, className) {
    AddToParentLayout(parent, this);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(this, &QComboBox::currentTextChanged, this, [this](const QString&) { Fire(OnChange, this); });
}
TStringList TComboBox::Items() const {
    TStringList l;
    for (int i = 0; i < count(); ++i) l.Add(FromQ(itemText(i)));
    return l;
}
void TComboBox::SetItems(const TStringList& items) {
    QString keep = currentText();
    blockSignals(true);
    clear();
    for (const auto& it : items) addItem(ToQ(it.s));
    if (isEditable()) setEditText(keep);
    else setCurrentIndex(-1);
    blockSignals(false);
}
void TComboBox::AddItem(const std::string& s) { addItem(ToQ(s)); }
void TComboBox::SetItemIndex(int i) { setCurrentIndex(i); }
std::string TComboBox::Text() const { return FromQ(currentText()); }
void TComboBox::SetText(const std::string& t) {
    if (isEditable()) {
        setEditText(ToQ(t));
    } else {
        setCurrentIndex(findText(ToQ(t)));
    }
}

TStringGrid::TStringGrid(TComponent* owner, QWidget* parent, const std::string& name)
    : QTableWidget(parent), TControl(this, owner, name, "TStringGrid") {
    AddToParentLayout(parent, this);
    QObject::connect(this, &QTableWidget::cellChanged, this, [this](int, int) { Fire(OnSetEditText, this); });
    // The cell editor is a child of the grid: moving into it is no exit.
    auto inGrid = [this](const QWidget* w) { return w && (w == this || isAncestorOf(w)); };
    QObject::connect(qApp, &QApplication::focusChanged, this, [this, inGrid](QWidget* old, QWidget* now) {
        const bool was = inGrid(old), is = inGrid(now);
        if (was && !is) Fire(OnExit, this);
        else if (!was && is) Fire(OnEnter, this);
    });
}
void TStringGrid::EndEdit() {
    QWidget* editor = indexWidget(currentIndex());
    if (!editor || state() != QAbstractItemView::EditingState) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}
std::string TStringGrid::Cell(int col, int row) const {
    const QTableWidgetItem* it = item(row, col);
    return it ? FromQ(it->text()) : std::string();
}
void TStringGrid::SetCell(int col, int row, const std::string& s) {
    if (row >= rowCount()) setRowCount(row + 1);
    if (col >= columnCount()) setColumnCount(col + 1);
    QTableWidgetItem* it = item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        setItem(row, col, it);
    }
    it->setText(ToQ(s));
}

// ---- buttons

TButton::TButton(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption,
                 const char* className)
    : QPushButton(ToQ(caption), parent), TControl(this, owner, name, className) {
    AddToParentLayout(parent, this);
    QObject::connect(this, &QPushButton::clicked, this, [this](bool) {
        if (action_) action_->Execute();
        else Fire(OnClick, this);
    });
}
std::string TButton::Caption() const { return FromQ(text()); }
void TButton::SetCaption(const std::string& c) { setText(ToQ(c)); }
void TButton::SetAction(TAction* action) {
    action_ = action;
    if (!action_) return;
    SyncFromAction();
    QObject::connect(action_, &QAction::changed, this, [this] { SyncFromAction(); });
}
void TButton::SyncFromAction() {
    setText(action_->text());
    setEnabled(action_->isEnabled());
    setVisible(action_->isVisible());
    setToolTip(action_->toolTip());
    if (!action_->icon().isNull()) setIcon(action_->icon());
}

TBitBtn::TBitBtn(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption,
                 const char* className)
    : TButton(owner, parent, name, caption, className) {}

TSpeedButton::TSpeedButton(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption)
    : QToolButton(parent), TControl(this, owner, name, "TSpeedButton") {
    setText(ToQ(caption));
    AddToParentLayout(parent, this);
    QObject::connect(this, &QToolButton::clicked, this, [this](bool) { Fire(OnClick, this); });
}

// ---- pages

TTabSheet::TTabSheet(TComponent* owner, TPageControl* pageControl, const std::string& name,
                     const std::string& caption, TLayoutKind layout)
    : QWidget(pageControl), TControl(this, owner, name, "TTabSheet"), pageControl_(pageControl) {
    SetContainerLayout(this, layout);
    pageControl_->pages_.push_back(this);
    pageControl_->addTab(this, ToQ(caption));
}
TTabSheet::~TTabSheet() { DetachFromPageControl(); }
void TTabSheet::DetachFromPageControl() {
    if (!pageControl_) return;
    auto& v = pageControl_->pages_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    int i = pageControl_->indexOf(this);
    TPageControl* pc = pageControl_;
    pageControl_ = nullptr;
    if (i >= 0) pc->removeTab(i);
    hide();
}
void TTabSheet::SetTabVisible(bool v) {
    tabVisible_ = v;
    if (!pageControl_) return;
    int i = pageControl_->indexOf(this);
    if (i >= 0) pageControl_->setTabVisible(i, v);
}
std::string TTabSheet::Caption() const {
    if (!pageControl_) return std::string();
    int i = pageControl_->indexOf(this);
    return i >= 0 ? FromQ(pageControl_->tabText(i)) : std::string();
}
void TTabSheet::SetCaption(const std::string& c) {
    if (!pageControl_) return;
    int i = pageControl_->indexOf(this);
    if (i >= 0) pageControl_->setTabText(i, ToQ(c));
}
int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    for (size_t i = 0; i < pageControl_->pages_.size(); ++i)
        if (pageControl_->pages_[i] == this) return static_cast<int>(i);
    return -1;
}

TPageControl::TPageControl(TComponent* owner, QWidget* parent, const std::string& name)
    : QTabWidget(parent), TControl(this, owner, name, "TPageControl") {
    AddToParentLayout(parent, this);
    QObject::connect(this, &QTabWidget::currentChanged, this, [this](int) { Fire(OnChange, this); });
}
TPageControl::~TPageControl() {
    // The sheets are freed after this, as Qt children: they must not reach
    // back into the list.
    for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
}
TTabSheet* TPageControl::ActivePage() const {
    QWidget* w = currentWidget();
    for (TTabSheet* p : pages_)
        if (p == w) return p;
    return nullptr;
}
void TPageControl::SetActivePage(TTabSheet* page) {
    if (page) setCurrentWidget(page);
}

TTreeView::TTreeView(TComponent* owner, QWidget* parent, const std::string& name)
    : QTreeWidget(parent), TControl(this, owner, name, "TTreeView") {
    AddToParentLayout(parent, this);
    setHeaderHidden(true);
    QObject::connect(this, &QTreeWidget::currentItemChanged, this,
                     [this](QTreeWidgetItem* current, QTreeWidgetItem* before) { CurrentChanged(current, before); });
}

void TTreeView::CurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (restoring_) return;
    if (current && OnChanging && !Orphaned()) {
        // Qt has no veto before the change: the change is undone instead.
        bool allow = true;
        changing_ = true;
        changingFrom_ = previous;
        const bool ended = RunGuarded([&] { OnChanging(this, current, allow); });
        changing_ = false;
        changingFrom_ = nullptr;
        if (!ended || !allow) {
            restoring_ = true;
            setCurrentItem(previous);
            if (!previous) clearSelection();
            restoring_ = false;
            return;
        }
    }
    Fire(OnChange, this);
}

TProgressBar::TProgressBar(TComponent* owner, QWidget* parent, const std::string& name)
    : QProgressBar(parent), TControl(this, owner, name, "TProgressBar") {
    AddToParentLayout(parent, this);
}

} // namespace pem
