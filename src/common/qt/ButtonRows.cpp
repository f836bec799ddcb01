#include "ButtonRows.h"

#include "DesktopServices.h"

#include <QAbstractButton>
#include <QList>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace pem {

namespace {

int IntProperty(const QObject* o, const char* name, int fallback) {
    const QVariant v = o->property(name);
    return v.isValid() ? v.toInt() : fallback;
}

int Tag(const QObject* o) { return IntProperty(o, "Tag", 0); }

// The buttons to arrange, in their arranging order.
std::vector<QAbstractButton*> CollectButtons(QWidget* container, QWidget* parentFilter) {
    std::vector<QAbstractButton*> buttons;
    if (container == nullptr) return buttons;
    for (QAbstractButton* b : container->findChildren<QAbstractButton*>()) {
        if (b->parentWidget() == nullptr) continue;
        if (b->isHidden() || b->testAttribute(Qt::WA_ForceDisabled)) continue;
        if (Tag(b) <= 0) continue;
        if (parentFilter != nullptr && b->parentWidget() != parentFilter) continue;
        buttons.push_back(b);
    }
    std::stable_sort(buttons.begin(), buttons.end(), [](const QWidget* a, const QWidget* b) {
        return CompareControlsByPosition(a, b) < 0;
    });
    return buttons;
}

int ButtonWidth(const QAbstractButton* b) {
    const int caption = TextWidthWithMargin(b->text(), b->font());
    int width;
    const QVariant glyph = b->property("GlyphWidth");
    if (glyph.isValid() || !b->icon().isNull()) {
        const int glyphWidth = glyph.isValid() ? glyph.toInt() : b->iconSize().width();
        width = glyphWidth / 2 + 3 * IntProperty(b, "Spacing", 4) + caption;
    } else {
        width = caption + 8;
    }
    return std::min(width, b->parentWidget()->width() - 1);
}

void SetGeometryIfChanged(QWidget* w, const QRect& r) {
    if (w->geometry() != r) w->setGeometry(r);
}

// Gives a parent the height of its rows and the width of its widest row.
void FinishParent(QWidget* parent, int lastTop, int lastHeight, int widestRow) {
    const int height = lastTop + lastHeight + 4;
    if (parent->height() != height) parent->resize(parent->width(), height);
    if (Tag(parent) != widestRow) parent->setProperty("Tag", widestRow);
}

} // namespace

int CompareControlsByPosition(const QWidget* a, const QWidget* b) {
    const QString pa = a->parentWidget() != nullptr ? a->parentWidget()->objectName() : QString();
    const QString pb = b->parentWidget() != nullptr ? b->parentWidget()->objectName() : QString();
    if (int c = QString::compare(pa, pb, Qt::CaseSensitive); c != 0) return c < 0 ? -1 : 1;
    const int ta = Tag(a), tb = Tag(b);
    if (ta != tb) return ta < tb ? -1 : 1;
    const int oa = IntProperty(a, "TabOrder", 0), ob = IntProperty(b, "TabOrder", 0);
    if (oa != ob) return oa < ob ? -1 : 1;
    return 0;
}

void ArrangeButtonsRightAligned(QWidget* container) { ArrangeButtonsRightAlignedEx(container, nullptr); }

void ArrangeButtonsRightAlignedEx(QWidget* container, QWidget* parentFilter) {
    const std::vector<QAbstractButton*> buttons = CollectButtons(container, parentFilter);
    QWidget* parent = nullptr;
    int tag = 0, left = 0, top = 0, height = 0;
    int rowRight = 0, widest = 0;
    // Backwards: the last button stands at the top right.
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
        QAbstractButton* b = *it;
        QWidget* p = b->parentWidget();
        const int pw = p->width();
        const int w = ButtonWidth(b);
        if (p != parent) {
            if (parent != nullptr) FinishParent(parent, top, height, widest);
            parent = p;
            widest = 0;
            top = 2;
            left = pw - w - 2;
            rowRight = left + w;
        } else if (Tag(b) != tag) {
            top = top + height + 2;
            left = pw - w - 2;
            rowRight = left + w;
        } else {
            left = left - 2 - w;
            if (left < 3) {
                top = top + height + 2;
                left = pw - w - 2;
                rowRight = left + w;
            }
        }
        tag = Tag(b);
        height = b->height();
        widest = std::max(widest, rowRight - left);
        SetGeometryIfChanged(b, QRect(left, top, w, height));
    }
    if (parent != nullptr) FinishParent(parent, top, height, widest);
}

void ArrangeButtonsInRows(QWidget* container) { ArrangeButtonsInRowsEx(container, nullptr, 0); }

void ArrangeButtonsInRowsWithMargin(QWidget* container, int rightMargin) {
    ArrangeButtonsInRowsEx(container, nullptr, rightMargin);
}

void ArrangeButtonsInRowsEx(QWidget* container, QWidget* parentFilter, int rightMargin) {
    struct Placed {
        QAbstractButton* button;
        QRect rect;
    };
    // The rows of one parent, laid out before anything is moved.
    std::vector<std::vector<Placed>> rows;
    QWidget* parent = nullptr;

    auto finish = [&]() {
        if (parent == nullptr || rows.empty()) return;
        int widestRight = 0;
        for (const auto& row : rows) widestRight = std::max(widestRight, row.back().rect.right() + 1);
        const int widest = widestRight - 2;
        if (rightMargin != 0) {
            const int rowEnd = rows.size() == 1 ? parent->width() - rightMargin : widestRight;
            for (auto& row : rows) {
                QRect& r = row.back().rect;
                if (rowEnd - r.left() > r.width()) r.setWidth(rowEnd - r.left());
            }
        }
        for (const auto& row : rows)
            for (const Placed& pl : row) SetGeometryIfChanged(pl.button, pl.rect);
        const QRect& last = rows.back().back().rect;
        FinishParent(parent, last.top(), last.height(), widest);
        rows.clear();
    };

    for (QAbstractButton* b : CollectButtons(container, parentFilter)) {
        QWidget* p = b->parentWidget();
        const int w = ButtonWidth(b);
        const int h = b->height();
        if (p != parent) {
            finish();
            parent = p;
            rows.push_back({{b, QRect(2, 2, w, h)}});
            continue;
        }
        const QRect prev = rows.back().back().rect;
        const bool sameTag = Tag(b) == Tag(rows.back().back().button);
        const int left = prev.left() + prev.width() + 2;
        if (sameTag && left + w <= p->width() - rightMargin)
            rows.back().push_back({b, QRect(left, prev.top(), w, h)});
        else
            rows.push_back({{b, QRect(2, prev.top() + prev.height() + 2, w, h)}});
    }
    finish();
}

} // namespace pem
