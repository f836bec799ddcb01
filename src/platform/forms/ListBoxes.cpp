// List boxes and check lists of the forms layer. A sorted list keeps its own
// order (CompareListText over the Windows-1252 texts), never Qt's: Qt would
// sort by code point, case-sensitively, and re-sort on every item change.
// Lists of a hundred thousand files are filled in one pass: the items are
// sorted once and take the list's one item height from its delegate.
#include "Controls.h"

#include "CharSet1252.h"
#include "QtText.h"

#include <algorithm>

namespace pem {

namespace {

// An item that keeps its text as 8-bit text (the key of the list's order)
// and its tick as a number, and gives both to the view when asked. Made
// whole before it joins the list, it costs no model update and no stored
// copies; a later change goes through the item's own store as well, so the
// list hears of it.
class TListItem : public QListWidgetItem {
public:
    // check: the check state, or -1 for an item without a check box.
    TListItem(std::string text, int check)
        : QListWidgetItem(nullptr, QListWidgetItem::UserType), key_(std::move(text)), check_(check) {}
    const std::string& Key() const { return key_; }
    QVariant data(int role) const override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) return ToQ(key_);
        if (role == Qt::CheckStateRole) return check_ < 0 ? QVariant() : QVariant(check_);
        return QListWidgetItem::data(role);
    }
    void setData(int role, const QVariant& value) override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) key_ = FromQ(value.toString());
        else if (role == Qt::CheckStateRole) check_ = value.isValid() ? value.toInt() : -1;
        QListWidgetItem::setData(role, value);
    }
    // Used by QListWidget::sortItems, should anything call it.
    bool operator<(const QListWidgetItem& other) const override;
    QListWidgetItem* clone() const override { return new TListItem(*this); }

private:
    std::string key_;
    int check_;
};

std::string KeyOf(const QListWidgetItem* it) {
    if (auto* t = dynamic_cast<const TListItem*>(it)) return t->Key();
    return FromQ(it->text());
}

bool TListItem::operator<(const QListWidgetItem& other) const {
    if (auto* t = dynamic_cast<const TListItem*>(&other)) return CompareListText(key_, t->Key()) < 0;
    return CompareListText(key_, KeyOf(&other)) < 0;
}

} // namespace

QSize TListItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    if (auto* list = dynamic_cast<const TListBox*>(parent()); list && list->ItemHeight() > 0)
        s.setHeight(list->ItemHeight());
    return s;
}

TListBox::TListBox(TComponent* owner, QWidget* parent, const std::string& name, const char* className)
    : QListWidget(parent), TControl(this, owner, name, className) {
    AddToParentLayout(parent, this);
    setUniformItemSizes(true);
    setItemDelegate(new TListItemDelegate(this));
    QObject::connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { FireEvent(OnClick, this); });
}

void TListBox::mouseDoubleClickEvent(QMouseEvent* e) {
    QListWidget::mouseDoubleClickEvent(e);
    FireEvent(OnDblClick, this);
}

TStringList TListBox::Items() const {
    TStringList l;
    for (int i = 0; i < count(); ++i) l.Add(KeyOf(item(i)));
    return l;
}

void TListBox::SetItems(const TStringList& items) {
    std::vector<TListItemData> data;
    data.reserve(static_cast<size_t>(items.Count()));
    for (const auto& it : items) data.push_back({it.s});
    AssignItems(std::move(data));
}

QListWidgetItem* TListBox::MakeItem(TListItemData d) const { return new TListItem(std::move(d.text), -1); }

void TListBox::InsertMadeItem(QListWidgetItem* it) {
    updating_ = true;
    if (!sorted_) {
        addItem(it);
    } else {
        // After every equal item, so equal texts keep the order they came in.
        const std::string key = KeyOf(it);
        int lo = 0, hi = count();
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (CompareListText(KeyOf(item(mid)), key) <= 0) lo = mid + 1;
            else hi = mid;
        }
        insertItem(lo, it);
    }
    updating_ = false;
}

void TListBox::AddItem(const std::string& s) { InsertMadeItem(MakeItem({s})); }

void TListBox::AssignItems(std::vector<TListItemData> items) {
    std::vector<size_t> order;
    if (sorted_) {
        std::vector<std::string_view> texts;
        texts.reserve(items.size());
        for (const auto& d : items) texts.push_back(d.text);
        order = ListOrderOf(texts);
    }
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    updating_ = true;
    clear();
    // The rows go in quietly and the view then starts afresh, as after a
    // model reset: one notice for the whole list instead of one per row.
    model()->blockSignals(true);
    // Sorted items are copied rather than moved, so that their texts lie in
    // memory in list order, as every later pass over the list reads them.
    for (size_t i = 0; i < items.size(); ++i) addItem(MakeItem(sorted_ ? items[order[i]] : std::move(items[i])));
    model()->blockSignals(false);
    reset();
    doItemsLayout();
    updating_ = false;
    setUpdatesEnabled(updates);
}

void TListBox::SetSorted(bool s) {
    if (s == sorted_) return;
    sorted_ = s;
    if (!s || count() < 2) return;
    // One sort: the items leave the list and come back in order, quietly,
    // and the view starts afresh (as in AssignItems).
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    updating_ = true;
    model()->blockSignals(true);
    std::vector<QListWidgetItem*> taken(static_cast<size_t>(count()));
    for (int i = count() - 1; i >= 0; --i) taken[static_cast<size_t>(i)] = takeItem(i);
    std::vector<std::string> other; // texts of items not made here
    other.reserve(taken.size());
    std::vector<std::string_view> texts;
    texts.reserve(taken.size());
    for (QListWidgetItem* it : taken) {
        if (auto* t = dynamic_cast<const TListItem*>(it)) {
            texts.push_back(t->Key());
        } else {
            other.push_back(FromQ(it->text()));
            texts.push_back(other.back());
        }
    }
    for (size_t i : ListOrderOf(texts)) addItem(taken[i]);
    model()->blockSignals(false);
    reset();
    doItemsLayout();
    updating_ = false;
    setUpdatesEnabled(updates);
}

std::string TListBox::ItemText(int i) const { return KeyOf(item(i)); }
void TListBox::SetItemText(int i, const std::string& s) { item(i)->setText(ToQ(s)); }
void TListBox::DeleteItem(int i) { delete takeItem(i); }
bool TListBox::Selected(int i) const { return item(i) && item(i)->isSelected(); }
void TListBox::SetSelected(int i, bool s) {
    if (item(i)) item(i)->setSelected(s);
}
void TListBox::SetMultiSelect(bool m) {
    setSelectionMode(m ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TListBox::SetItemHeight(int h) {
    if (h == itemHeight_) return;
    itemHeight_ = h;
    // The delegate answers for every item; the view measures again.
    doItemsLayout();
}

TCheckListBox::TCheckListBox(TComponent* owner, QWidget* parent, const std::string& name)
    : TListBox(owner, parent, name, "TCheckListBox") {
    QObject::connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem*) {
        if (!updating_) FireEvent(OnClickCheck, this);
    });
}

QListWidgetItem* TCheckListBox::MakeItem(TListItemData d) const {
    const bool enabled = d.enabled;
    auto* it = new TListItem(std::move(d.text), d.checked ? Qt::Checked : Qt::Unchecked);
    Qt::ItemFlags f = it->flags() | Qt::ItemIsUserCheckable;
    if (!enabled) f &= ~Qt::ItemIsEnabled;
    it->setFlags(f);
    return it;
}

void TCheckListBox::AddItem(const std::string& s, bool checked) { AddItem(s, checked, true); }
void TCheckListBox::AddItem(const std::string& s, bool checked, bool enabled) {
    InsertMadeItem(MakeItem({s, checked, enabled}));
}
bool TCheckListBox::Checked(int i) const { return item(i) && item(i)->checkState() == Qt::Checked; }
void TCheckListBox::SetChecked(int i, bool c) {
    if (!item(i)) return;
    updating_ = true;
    item(i)->setCheckState(c ? Qt::Checked : Qt::Unchecked);
    updating_ = false;
}
bool TCheckListBox::ItemEnabled(int i) const { return item(i) && (item(i)->flags() & Qt::ItemIsEnabled); }
void TCheckListBox::SetItemEnabled(int i, bool e) {
    if (!item(i)) return;
    updating_ = true;
    item(i)->setFlags(e ? item(i)->flags() | Qt::ItemIsEnabled : item(i)->flags() & ~Qt::ItemIsEnabled);
    updating_ = false;
}

} // namespace pem
