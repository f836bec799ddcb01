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

// An item that keeps its text as 8-bit text, the key of the list's order.
class TListItem : public QListWidgetItem {
public:
    explicit TListItem(const std::string& text) : QListWidgetItem(ToQ(text)), key_(text) {}
    const std::string& Key() const { return key_; }
    void setData(int role, const QVariant& value) override {
        QListWidgetItem::setData(role, value);
        if (role == Qt::DisplayRole || role == Qt::EditRole) key_ = FromQ(text());
    }
    // Used by QListWidget::sortItems.
    bool operator<(const QListWidgetItem& other) const override;
    QListWidgetItem* clone() const override { return new TListItem(*this); }

private:
    std::string key_;
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
    QObject::connect(this, &QListWidget::itemDoubleClicked, this,
                     [this](QListWidgetItem*) { FireEvent(OnDblClick, this); });
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

QListWidgetItem* TListBox::MakeItem(const TListItemData& d) const { return new TListItem(d.text); }

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
    if (sorted_)
        std::stable_sort(items.begin(), items.end(), [](const TListItemData& a, const TListItemData& b) {
            return CompareListText(a.text, b.text) < 0;
        });
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    updating_ = true;
    clear();
    for (const auto& d : items) addItem(MakeItem(d));
    updating_ = false;
    setUpdatesEnabled(updates);
}

void TListBox::SetSorted(bool s) {
    if (s == sorted_) return;
    sorted_ = s;
    if (!s || count() < 2) return;
    updating_ = true;
    sortItems(Qt::AscendingOrder); // one stable sort by TListItem::operator<
    updating_ = false;
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

QListWidgetItem* TCheckListBox::MakeItem(const TListItemData& d) const {
    // The item is complete before it joins the list: setting flags on an
    // item already in a long list costs a model update each time.
    QListWidgetItem* it = TListBox::MakeItem(d);
    Qt::ItemFlags f = it->flags() | Qt::ItemIsUserCheckable;
    if (!d.enabled) f &= ~Qt::ItemIsEnabled;
    it->setFlags(f);
    it->setCheckState(d.checked ? Qt::Checked : Qt::Unchecked);
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
