#include "SourceFileListBox.h"

#include "QtText.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace pem {

// ---------------------------------------------------------------- model

TSourceFileListModel::TSourceFileListModel(TSourceFileListBox* box, TSourceFileList& list)
    : QAbstractListModel(box), box_(box), list_(list) {}

int TSourceFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.Count();
}

QVariant TSourceFileListModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row < 0 || row >= list_.Count()) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return ToQ(list_.Path(row));
    case Qt::CheckStateRole: return list_.Checked(row) ? Qt::Checked : Qt::Unchecked;
    default: return {};
    }
}

bool TSourceFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int row = index.row();
    if (role != Qt::CheckStateRole || row < 0 || row >= list_.Count() || !list_.Enabled(row)) return false;
    if (box_->OnCanTick && !box_->OnCanTick()) return false;
    list_.SetChecked(row, value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    box_->UserTicked(row);
    return true;
}

Qt::ItemFlags TSourceFileListModel::flags(const QModelIndex& index) const {
    const int row = index.row();
    if (!index.isValid() || row < 0 || row >= list_.Count()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
    if (list_.Enabled(row)) f |= Qt::ItemIsEnabled;
    return f;
}

void TSourceFileListModel::Reset() {
    beginResetModel();
    endResetModel();
}

void TSourceFileListModel::RowChanged(int row) {
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

// -------------------------------------------------------------- delegate

TOwnerDrawDelegate::TOwnerDrawDelegate(QObject* parent, std::function<int()> itemHeight,
                                       std::function<int()> itemWidth, TDrawItemEvent draw)
    : QStyledItemDelegate(parent), itemHeight_(std::move(itemHeight)), itemWidth_(std::move(itemWidth)),
      draw_(std::move(draw)) {}

int TOwnerDrawDelegate::TextLeft(const QStyleOptionViewItem& option) {
    const QWidget* w = option.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    return style->subElementRect(QStyle::SE_ItemViewItemText, &option, w).left();
}

void TOwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* w = opt.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    // Background, selection and check box, without the text: draw_ paints that.
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
    if (!draw_) return;
    const int left = TextLeft(opt);
    painter->save();
    painter->setClipRect(option.rect);
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(opt.font);
    draw_(painter, QRect(left, option.rect.top(), option.rect.right() - left + 1, option.rect.height()), index.row(),
          selected);
    painter->restore();
}

QSize TOwnerDrawDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    if (itemHeight_) s.setHeight(std::max(itemHeight_(), 1));
    if (itemWidth_) s.setWidth(std::max(s.width(), itemWidth_()));
    return s;
}

// ------------------------------------------------------------------- box

TSourceFileListBox::TSourceFileListBox(TComponent* owner, QWidget* parent, const std::string& name,
                                       TSourceFileList& list)
    : QListView(parent), TControl(this, owner, name, "TCheckListBox"), list_(list) {
    AddToParentLayout(parent, this);
    model_ = new TSourceFileListModel(this, list_);
    setModel(model_);
    setItemDelegate(new TOwnerDrawDelegate(
        this, [this] { return itemHeight_; }, [this] { return extent_; },
        [this](QPainter* p, const QRect& r, int i, bool selected) {
            if (OnDrawItem) OnDrawItem(p, r, i, selected);
        }));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    itemHeight_ = fontMetrics().height();
    QObject::connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
                     [this](const QModelIndex& current, const QModelIndex&) {
                         if (current.isValid()) FireEvent(OnClick, this);
                     });
}

void TSourceFileListBox::Changed() {
    const int keep = ItemIndex();
    model_->Reset();
    if (keep >= 0 && keep < Count()) SetItemIndex(keep);
}

void TSourceFileListBox::ItemChanged(int index) {
    if (index >= 0 && index < Count()) model_->RowChanged(index);
}

void TSourceFileListBox::SetChecked(int i, bool c) {
    list_.SetChecked(i, c);
    ItemChanged(i);
}

void TSourceFileListBox::SetItemEnabled(int i, bool e) {
    list_.SetEnabled(i, e);
    ItemChanged(i);
}

void TSourceFileListBox::AddItem(const std::string& s, bool checked, bool enabled) {
    list_.Append(s, checked, enabled);
    Changed();
}

void TSourceFileListBox::ClearItems() {
    list_.Clear();
    Changed();
}

int TSourceFileListBox::ItemIndex() const {
    const QModelIndex i = currentIndex();
    return i.isValid() && selectionModel()->isSelected(i) ? i.row() : -1;
}

void TSourceFileListBox::SetItemIndex(int i) {
    if (i < 0 || i >= Count()) {
        selectionModel()->clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(model_->index(i));
}

void TSourceFileListBox::SetItemHeight(int h) {
    if (h <= 0 || h == itemHeight_) return;
    itemHeight_ = h;
    model_->Reset();
}

void TSourceFileListBox::SetHorizontalExtent(int pixels) {
    if (pixels == extent_) return;
    extent_ = pixels;
    model_->Reset();
}

TListItemData TSourceFileListBox::CheckListItem(int i) const {
    const TSourceFile& f = list_.Item(i);
    return {f.path, f.checked, f.enabled};
}

void TSourceFileListBox::AssignCheckList(std::vector<TListItemData> items) {
    std::vector<TSourceFile> files;
    files.reserve(items.size());
    for (TListItemData& e : items) files.push_back({std::move(e.text), e.checked, e.enabled});
    list_.Assign(std::move(files));
    Changed();
}

void TSourceFileListBox::UserTicked(int row) {
    // A tick also makes its item the selected one, as a click on it does.
    if (ItemIndex() != row) SetItemIndex(row);
    FireEvent(OnClickCheck, this);
}

void TSourceFileListBox::focusInEvent(QFocusEvent* e) {
    QListView::focusInEvent(e);
    FireEvent(OnEnter, this);
}

void TSourceFileListBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) FireEvent(OnRightButtonDown, this);
    QListView::mousePressEvent(e);
}

void TSourceFileListBox::mouseDoubleClickEvent(QMouseEvent* e) {
    QListView::mouseDoubleClickEvent(e);
    FireEvent(OnDblClick, this);
}

} // namespace pem
