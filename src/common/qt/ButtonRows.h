#pragma once
// Arranging the buttons of a panel in rows.
//
// The buttons concerned are the QAbstractButtons below the container that
// are visible and enabled by their own flags and carry a "Tag" property above
// 0; buttons of one parent and Tag share rows, a new Tag starts a new row.
// A button is as wide as its caption (TextWidthWithMargin) plus 8; a button
// with a glyph (an icon, or the property "GlyphWidth") is half the glyph's
// width plus three times its "Spacing" property (default 4) plus the caption.
// No button is wider than its parent's width - 1. Each parent gets the height
// of its rows (last row's top + height + 4) and the width of its widest row
// as its "Tag" property.
class QWidget;

namespace pem {

// Rows from the top right of each parent, filled from the right.
void ArrangeButtonsRightAligned(QWidget* container);
// As above, only buttons whose parent is parentFilter when that is given.
void ArrangeButtonsRightAlignedEx(QWidget* container, QWidget* parentFilter);

// Rows from the top left of each parent, wrapped before the parent's width
// less the right margin. With a margin other than 0 the last button of each
// row is widened to the widest row's right edge, and a single row's last
// button to the parent's width less the margin.
void ArrangeButtonsInRows(QWidget* container);
void ArrangeButtonsInRowsWithMargin(QWidget* container, int rightMargin);
void ArrangeButtonsInRowsEx(QWidget* container, QWidget* parentFilter, int rightMargin);

// Order of buttons: by their parent's name (case-sensitive), then by the
// "Tag" property, then by the "TabOrder" property. -1, 0 or 1.
int CompareControlsByPosition(const QWidget* a, const QWidget* b);

} // namespace pem
