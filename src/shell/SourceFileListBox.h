#pragma once
// The check list of the job's source files: a view on the source-file list
// of the main window, which holds the items. It keeps no copy: the model
// reads the list when the view asks, and a delegate draws each item through
// the form's drawing routine. To the form state it is a check list like any
// other (class name "TCheckListBox").
#include "Controls.h"
#include "SourceFileList.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <functional>

namespace pem {

class TSourceFileListBox;

class TSourceFileListModel : public QAbstractListModel {
public:
    TSourceFileListModel(TSourceFileListBox* box, TSourceFileList& list);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void Reset();
    void RowChanged(int row);

private:
    TSourceFileListBox* box_;
    TSourceFileList& list_;
};

using TDrawItemEvent = std::function<void(QPainter* painter, const QRect& rect, int index, bool selected)>;

// Draws the items of an owner-drawn check list: background and check box
// where the style puts them, then whatever draw paints into the text
// rectangle. Every item has the height given and at least the width given.
class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
    TOwnerDrawDelegate(QObject* parent, std::function<int()> itemHeight, std::function<int()> itemWidth,
                       TDrawItemEvent draw);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Where the text of an item starts (right of its check box).
    static int TextLeft(const QStyleOptionViewItem& option);

private:
    std::function<int()> itemHeight_, itemWidth_;
    TDrawItemEvent draw_;
};

class TSourceFileListBox : public QListView, public TControl, public TCheckListItems {
public:
    TSourceFileListBox(TComponent* owner, QWidget* parent, const std::string& name, TSourceFileList& list);

    TSourceFileList& List() { return list_; }
    const TSourceFileList& List() const { return list_; }
    // The list changed as a whole (items added, removed or reordered).
    void Changed();
    // One item's tick or enabled state changed.
    void ItemChanged(int index);

    // The check list's own operations, on the list.
    int Count() const { return list_.Count(); }
    std::string ItemText(int i) const { return list_.Path(i); }
    bool Checked(int i) const { return list_.Checked(i); }
    void SetChecked(int i, bool c);
    bool ItemEnabled(int i) const { return list_.Enabled(i); }
    void SetItemEnabled(int i, bool e);
    void AddItem(const std::string& s, bool checked = false, bool enabled = true);
    void ClearItems();
    // The selected item, -1 when none.
    int ItemIndex() const;
    void SetItemIndex(int i);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int h);
    // The width the items may take (the horizontal scroll range).
    int HorizontalExtent() const { return extent_; }
    void SetHorizontalExtent(int pixels);

    int CheckListCount() const override { return Count(); }
    TListItemData CheckListItem(int i) const override;
    void AssignCheckList(std::vector<TListItemData> items) override;

    TNotifyEvent OnClick;      // an item became the selected one
    TNotifyEvent OnClickCheck; // the user changed a tick
    // Asked before a tick the user gives (click, Space) is taken; false
    // keeps the tick as it is.
    std::function<bool()> OnCanTick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnRightButtonDown;
    TDrawItemEvent OnDrawItem;

protected:
    void focusInEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    friend class TSourceFileListModel;
    void UserTicked(int row);
    TSourceFileList& list_;
    TSourceFileListModel* model_;
    int itemHeight_ = 16;
    int extent_ = 0;
};

} // namespace pem
