#pragma once
// The controls of the forms layer. Each is a small subclass of the Qt widget
// that carries what the program uses of it, under the names the program's
// forms use. A control placed on a parent that has a layout is added to that
// layout; texts cross into Qt as Windows-1252 through ToQ/FromQ.
#include "Component.h"
#include "StringList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <vector>

class QBoxLayout;

namespace pem {

class TAction;

enum class TLayoutKind { None, Vertical, Horizontal };

// Places w into parent's layout when the parent has one.
void AddToParentLayout(QWidget* parent, QWidget* w);
// Gives a container a layout of the kind asked (no margins of its own).
void SetContainerLayout(QWidget* w, TLayoutKind kind);

using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;

class TPanel : public QFrame, public TControl {
public:
    TPanel(TComponent* owner, QWidget* parent, const std::string& name, TLayoutKind layout = TLayoutKind::Vertical,
           const char* className = "TPanel");
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& c) { caption_ = c; }
    TNotifyEvent OnMouseDown;

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    std::string caption_;
};

class TFrame : public QFrame, public TControl {
public:
    TFrame(TComponent* owner, QWidget* parent, const std::string& name, const char* className = "TFrame",
           TLayoutKind layout = TLayoutKind::Vertical);
};

class TGroupBox : public QGroupBox, public TControl {
public:
    TGroupBox(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "",
              TLayoutKind layout = TLayoutKind::Vertical, const char* className = "TGroupBox");
    std::string Caption() const;
    void SetCaption(const std::string& c);
    TNotifyEvent OnMouseDown;

protected:
    void mousePressEvent(QMouseEvent* e) override;
};

class TLabel : public QLabel, public TControl {
public:
    TLabel(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "");
    std::string Caption() const;
    void SetCaption(const std::string& c);
    TNotifyEvent OnClick;

protected:
    void mousePressEvent(QMouseEvent* e) override;
};

class TEdit : public QLineEdit, public TControl {
public:
    TEdit(TComponent* owner, QWidget* parent, const std::string& name, const std::string& text = "",
          const char* className = "TEdit");
    std::string Text() const;
    // Setting the text programmatically fires OnChange, as the edit always did.
    void SetText(const std::string& t);
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool r) { setReadOnly(r); }
    // A one-line edit drops control characters (a pasted line end) as they
    // are typed or pasted; an edit whose text is checked and refused turns
    // that off. Text set by the program is taken as it is.
    void SetStripControlChars(bool on);
    TNotifyEvent OnChange;
    TNotifyEvent OnExit;
    TNotifyEvent OnEnter;
    TKeyPressEvent OnKeyPress;

protected:
    void focusOutEvent(QFocusEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QValidator* controlFilter_ = nullptr;
};

class TMemo : public QPlainTextEdit, public TControl {
public:
    TMemo(TComponent* owner, QWidget* parent, const std::string& name, const char* className = "TMemo");
    // The lines as a list (a copy); SetLines replaces them.
    TStringList Lines() const;
    void SetLines(const TStringList& lines);
    int LineCount() const;
    std::string Line(int i) const;
    void AddLine(const std::string& s);
    void Clear() { clear(); }
    std::string Text() const;
    void SetText(const std::string& t);
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool r) { setReadOnly(r); }
    bool Modified() const;
    void SetModified(bool m);
    TNotifyEvent OnChange;
    TNotifyEvent OnExit;
    TNotifyEvent OnDblClick;

protected:
    void focusOutEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

class TRichEdit : public QTextEdit, public TControl {
public:
    TRichEdit(TComponent* owner, QWidget* parent, const std::string& name);
    TStringList Lines() const;
    void SetLines(const TStringList& lines);
    std::string Text() const;
    void SetText(const std::string& t);
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool r) { setReadOnly(r); }
    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionChange;
};

class TCheckBox : public QCheckBox, public TControl {
public:
    TCheckBox(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "");
    bool Checked() const { return isChecked(); }
    // Changing the state programmatically fires OnClick, as the box always did.
    void SetChecked(bool c);
    std::string Caption() const;
    void SetCaption(const std::string& c);
    TNotifyEvent OnClick;
};

class TRadioButton : public QRadioButton, public TControl {
public:
    TRadioButton(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "");
    bool Checked() const { return isChecked(); }
    // OnClick runs when the button becomes checked, by the user or by
    // SetChecked(true); a click on a button already checked, and unchecking,
    // run nothing.
    void SetChecked(bool c);
    std::string Caption() const;
    void SetCaption(const std::string& c);
    TNotifyEvent OnClick;
};

class TRadioGroup : public QGroupBox, public TControl {
public:
    TRadioGroup(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "");
    TStringList Items() const { return items_; }
    void SetItems(const TStringList& items);
    int ItemIndex() const;
    // OnClick runs when the index changes, by the user or programmatically;
    // a click on the item already selected runs nothing.
    void SetItemIndex(int i);
    std::string Caption() const;
    void SetCaption(const std::string& c);
    int Columns() const { return columns_; }
    void SetColumns(int c);
    QRadioButton* Button(int i) const;
    TNotifyEvent OnClick;

private:
    void Rebuild();
    TStringList items_;
    std::vector<QRadioButton*> buttons_;
    int columns_ = 1;
    bool updating_ = false;
};

class TComboBox : public QComboBox, public TControl {
public:
    TComboBox(TComponent* owner, QWidget* parent, const std::string& name, const char* className = "TComboBox");
    TStringList Items() const;
    void SetItems(const TStringList& items);
    void AddItem(const std::string& s);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int i);
    std::string Text() const;
    void SetText(const std::string& t);
    // Editable (csDropDown) or fixed list (csDropDownList).
    void SetDropDownList(bool list) { setEditable(!list); }
    TNotifyEvent OnChange;
    TNotifyEvent OnExit;
};

// One item of a list, as the program fills lists in bulk.
struct TListItemData {
    std::string text;
    bool checked = false; // check lists only
    bool enabled = true;  // check lists only
};

// Sizes every item of a list to the list's item height (when one is set):
// one measure for the whole list instead of a size on every item. A list
// that draws its items itself derives its delegate from this one.
class TListItemDelegate : public QStyledItemDelegate {
public:
    explicit TListItemDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TListBox : public QListWidget, public TControl {
public:
    TListBox(TComponent* owner, QWidget* parent, const std::string& name, const char* className = "TListBox");
    TStringList Items() const;
    // Replaces the items (bulk; see AssignItems).
    void SetItems(const TStringList& items);
    // Appends the item, or in a sorted list inserts it at its place.
    void AddItem(const std::string& s);
    int Count() const { return count(); }
    std::string ItemText(int i) const;
    void SetItemText(int i, const std::string& s);
    void DeleteItem(int i);
    void ClearItems() { clear(); }
    int ItemIndex() const { return currentRow(); }
    void SetItemIndex(int i) { setCurrentRow(i); }
    bool Selected(int i) const;
    void SetSelected(int i, bool s);
    void SetMultiSelect(bool m);
    // One height for every item, kept by the list (0: the style's own).
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int h);
    // A sorted list keeps its items in CompareListText order. Switching it on
    // sorts the items once; single items added later go to their place.
    // Filling many items goes through AssignItems, or with Sorted off and
    // switched on again at the end.
    bool Sorted() const { return sorted_; }
    void SetSorted(bool s);
    // Replaces all items in one go: a sorted list sorts the new items once,
    // then the view takes them without per-item sorting or sizing.
    void AssignItems(std::vector<TListItemData> items);
    TNotifyEvent OnClick;
    // Any double click on the list, on an item or on its empty part.
    TNotifyEvent OnDblClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // A new item for the data, not yet in the list.
    virtual QListWidgetItem* MakeItem(TListItemData d) const;
    // Puts a made item into the list at the end or at its sorted place.
    void InsertMadeItem(QListWidgetItem* it);
    // Whether the list is filled by the program (changes are not the user's).
    bool updating_ = false;

private:
    int itemHeight_ = 0;
    bool sorted_ = false;
};

// The items of a check list for the form state. TCheckListBox holds its own;
// a list that shows items kept elsewhere gives and takes them the same way.
class TCheckListItems {
public:
    virtual ~TCheckListItems() = default;
    virtual int CheckListCount() const = 0;
    virtual TListItemData CheckListItem(int i) const = 0;
    // Replaces every item at once.
    virtual void AssignCheckList(std::vector<TListItemData> items) = 0;
};

class TCheckListBox : public TListBox, public TCheckListItems {
public:
    TCheckListBox(TComponent* owner, QWidget* parent, const std::string& name);
    void AddItem(const std::string& s, bool checked = false);
    void AddItem(const std::string& s, bool checked, bool enabled);
    bool Checked(int i) const;
    // Changing a check programmatically does not fire OnClickCheck.
    void SetChecked(int i, bool c);
    // Whether the user may tick item i (a disabled item is shown greyed).
    bool ItemEnabled(int i) const;
    void SetItemEnabled(int i, bool e);
    TNotifyEvent OnClickCheck;

    int CheckListCount() const override { return Count(); }
    TListItemData CheckListItem(int i) const override { return {ItemText(i), Checked(i), ItemEnabled(i)}; }
    void AssignCheckList(std::vector<TListItemData> items) override { AssignItems(std::move(items)); }

protected:
    QListWidgetItem* MakeItem(TListItemData d) const override;
};

class TStringGrid : public QTableWidget, public TControl {
public:
    TStringGrid(TComponent* owner, QWidget* parent, const std::string& name);
    int ColCount() const { return columnCount(); }
    int RowCount() const { return rowCount(); }
    void SetColCount(int n) { setColumnCount(n); }
    void SetRowCount(int n) { setRowCount(n); }
    // Cells are addressed column first, as the grid always was.
    std::string Cell(int col, int row) const;
    void SetCell(int col, int row, const std::string& s);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int n) { fixedRows_ = n; }
    // Takes over what is being typed into the open cell editor, if any, and
    // closes the editor.
    void EndEdit();
    TNotifyEvent OnSetEditText;
    // The focus comes into the grid, or leaves the grid for a control
    // outside it (not for the grid's own cell editor).
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

private:
    int fixedRows_ = 1;
};

class TButton : public QPushButton, public TControl {
public:
    TButton(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "",
            const char* className = "TButton");
    std::string Caption() const;
    void SetCaption(const std::string& c);
    // Binds the button to an action: caption, enabled, visible and hint
    // follow the action, and a click executes it.
    void SetAction(TAction* action);
    TAction* Action() const { return action_; }
    // The default button (setDefault) is pressed by Enter on its form, the
    // cancel button by Escape.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool c) { cancel_ = c; }
    TNotifyEvent OnClick;

private:
    void SyncFromAction();
    TAction* action_ = nullptr;
    bool cancel_ = false;
};

class TBitBtn : public TButton {
public:
    TBitBtn(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "",
            const char* className = "TBitBtn");
    int Spacing() const { return spacing_; }
    void SetSpacing(int s) { spacing_ = s; }

private:
    int spacing_ = 4;
};

class TSpeedButton : public QToolButton, public TControl {
public:
    TSpeedButton(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "");
    TNotifyEvent OnClick;
};

class TPageControl;

class TTabSheet : public QWidget, public TControl {
public:
    TTabSheet(TComponent* owner, TPageControl* pageControl, const std::string& name, const std::string& caption,
              TLayoutKind layout = TLayoutKind::Vertical);
    // A sheet freed (a closed result tab) leaves its page control's list.
    ~TTabSheet() override;
    TPageControl* PageControl() const { return pageControl_; }
    // Takes the sheet out of its page control now (the sheet itself may be
    // freed later, once the handler that closed it has returned).
    void DetachFromPageControl();
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v);
    std::string Caption() const;
    void SetCaption(const std::string& c);
    int PageIndex() const;

private:
    friend class TPageControl;
    TPageControl* pageControl_;
    bool tabVisible_ = true;
};

class TPageControl : public QTabWidget, public TControl {
public:
    TPageControl(TComponent* owner, QWidget* parent, const std::string& name);
    ~TPageControl() override;
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int i) const { return pages_.at(static_cast<size_t>(i)); }
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* page);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool m) { multiLine_ = m; }
    TNotifyEvent OnChange;

private:
    friend class TTabSheet;
    std::vector<TTabSheet*> pages_;
    bool multiLine_ = false;
};

// Before the selection moves to node: leaving allowChange false, or ending
// by an exception, keeps the node selected before.
using TTVChangingEvent = std::function<void(TComponent* sender, QTreeWidgetItem* node, bool& allowChange)>;

class TTreeView : public QTreeWidget, public TControl {
public:
    TTreeView(TComponent* owner, QWidget* parent, const std::string& name);
    // The selected node; while OnChanging runs, still the one selected
    // before.
    QTreeWidgetItem* Selected() const { return changing_ ? changingFrom_ : currentItem(); }
    TTVChangingEvent OnChanging;
    TNotifyEvent OnChange;

private:
    void CurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    bool changing_ = false, restoring_ = false;
    QTreeWidgetItem* changingFrom_ = nullptr;
};

class TProgressBar : public QProgressBar, public TControl {
public:
    TProgressBar(TComponent* owner, QWidget* parent, const std::string& name);
    int Position() const { return value(); }
    void SetPosition(int p) { setValue(p); }
    int Max() const { return maximum(); }
    void SetMax(int m) { setMaximum(m); }
    int Min() const { return minimum(); }
    void SetMin(int m) { setMinimum(m); }
};

} // namespace pem
