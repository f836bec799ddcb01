#include "ListingPane.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>

namespace pem {

namespace {
// Space left of the text and above the first line, as a text edit leaves.
constexpr int kMargin = 4;

// The line laid out on one line in the font, tabs at the distance.
void LayOut(QTextLayout& layout, const QString& text, const QFont& font, double tabDistance) {
    layout.setText(text);
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabDistance);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setLineWidth(1e9);
    layout.endLayout();
}
} // namespace

TListingPane::TListingPane(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TListingPane::Append(const QString& piece) {
    const int base = static_cast<int>(text_.size());
    text_.append(piece);
    const QChar* s = piece.constData();
    const int n = static_cast<int>(piece.size());
    int lineStart = starts_.back();
    for (int i = 0; i < n; ++i) {
        if (s[i] != u'\n') continue;
        longest_ = std::max(longest_, base + i - lineStart);
        lineStart = base + i + 1;
        starts_.push_back(lineStart);
    }
    longest_ = std::max(longest_, base + n - lineStart);
}

void TListingPane::Shown() {
    UpdateScrollBars();
    viewport()->update();
}

void TListingPane::Clear() {
    text_.clear();
    starts_.assign(1, 0);
    longest_ = 0;
    caret_ = anchor_ = 0;
    Shown();
}

int TListingPane::LineLength(int i) const {
    const size_t k = static_cast<size_t>(i);
    const int end = k + 1 < starts_.size() ? starts_[k + 1] - 1 : static_cast<int>(text_.size());
    return end - starts_[k];
}

QString TListingPane::Line(int i) const {
    if (i < 0 || i >= LineCount()) return {};
    return text_.mid(LineStart(i), LineLength(i));
}

int TListingPane::LineOf(int position) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), position);
    return static_cast<int>(it - starts_.begin()) - 1;
}

void TListingPane::SetCaret(int position, bool keepAnchor) {
    SetSelection(keepAnchor ? anchor_ : position, position);
}

void TListingPane::SetSelection(int anchor, int caret) {
    const int size = static_cast<int>(text_.size());
    anchor = std::clamp(anchor, 0, size);
    caret = std::clamp(caret, 0, size);
    const bool moved = caret != caret_;
    if (!moved && anchor == anchor_) return;
    caret_ = caret;
    anchor_ = anchor;
    EnsureCaretVisible();
    viewport()->update();
    if (moved && OnCaretMoved) OnCaretMoved();
}

void TListingPane::ScrollToLine(int i) { verticalScrollBar()->setValue(i); }

int TListingPane::FirstVisibleLine() const { return verticalScrollBar()->value(); }

void TListingPane::SetTabDistance(double distance) {
    tabDistance_ = distance;
    viewport()->update();
}

int TListingPane::VisibleLines() const {
    const double h = QFontMetricsF(font()).lineSpacing();
    return std::max(1, static_cast<int>((viewport()->height() - kMargin) / h));
}

void TListingPane::UpdateScrollBars() {
    const int visible = VisibleLines();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, LineCount() - visible));
    v->setPageStep(visible);
    v->setSingleStep(1);
    // Wide enough for the longest line in the widest letter of the font.
    const QFontMetricsF m(font());
    const int width = static_cast<int>(longest_ * m.horizontalAdvance(QChar('W'))) + 2 * kMargin;
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, width - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(static_cast<int>(m.averageCharWidth()) + 1);
}

void TListingPane::EnsureCaretVisible() {
    const int line = LineOf(caret_);
    const int first = FirstVisibleLine();
    const int visible = VisibleLines();
    if (line < first) verticalScrollBar()->setValue(line);
    else if (line >= first + visible) verticalScrollBar()->setValue(line - visible + 1);
    QTextLayout layout;
    LayOut(layout, Line(line), font(), tabDistance_);
    const int x = static_cast<int>(layout.lineAt(0).cursorToX(caret_ - LineStart(line))) + kMargin;
    QScrollBar* h = horizontalScrollBar();
    if (x < h->value()) h->setValue(std::max(0, x - viewport()->width() / 3));
    else if (x > h->value() + viewport()->width() - kMargin) h->setValue(x - viewport()->width() * 2 / 3);
}

int TListingPane::PositionAt(const QPoint& p) const {
    const double h = QFontMetricsF(font()).lineSpacing();
    const int row = static_cast<int>(std::floor((p.y() - kMargin) / h));
    const int line = std::clamp(FirstVisibleLine() + row, 0, LineCount() - 1);
    QTextLayout layout;
    LayOut(layout, Line(line), font(), tabDistance_);
    const double x = p.x() + horizontalScrollBar()->value() - kMargin;
    return LineStart(line) + layout.lineAt(0).xToCursor(x);
}

void TListingPane::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette& pal = palette();
    painter.fillRect(viewport()->rect(), pal.base());
    painter.setPen(pal.text().color());
    const double h = QFontMetricsF(font()).lineSpacing();
    const int first = FirstVisibleLine();
    const int last = std::min(LineCount() - 1, first + VisibleLines() + 1);
    const int selStart = std::min(caret_, anchor_), selEnd = std::max(caret_, anchor_);
    const double left = kMargin - horizontalScrollBar()->value();
    const bool caretShown = hasFocus();
    for (int i = first; i <= last; ++i) {
        const int start = LineStart(i), length = LineLength(i);
        QTextLayout layout;
        LayOut(layout, text_.mid(start, length), font(), tabDistance_);
        QList<QTextLayout::FormatRange> selections;
        const int from = std::max(selStart, start), to = std::min(selEnd, start + length);
        if (from < to) {
            QTextLayout::FormatRange range;
            range.start = from - start;
            range.length = to - from;
            range.format.setBackground(pal.highlight());
            range.format.setForeground(pal.highlightedText());
            selections.append(range);
        }
        const QPointF at(left, kMargin + (i - first) * h);
        layout.draw(&painter, at, selections);
        if (caretShown && caret_ >= start && caret_ <= start + length) layout.drawCursor(&painter, at, caret_ - start);
    }
}

void TListingPane::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
}

void TListingPane::scrollContentsBy(int, int) { viewport()->update(); }

void TListingPane::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) Shown();
}

void TListingPane::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void TListingPane::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}

void TListingPane::keyPressEvent(QKeyEvent* e) {
    if (e == QKeySequence::Copy) return Copy();
    if (e == QKeySequence::SelectAll) return SelectAll();
    const bool keep = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int line = LineOf(caret_);
    const int column = caret_ - LineStart(line);
    // A move up or down keeps the column as far as the line reaches.
    const auto toLine = [&](int target) {
        target = std::clamp(target, 0, LineCount() - 1);
        return LineStart(target) + std::min(column, LineLength(target));
    };
    int to;
    switch (e->key()) {
    case Qt::Key_Left: to = caret_ - 1; break;
    case Qt::Key_Right: to = caret_ + 1; break;
    case Qt::Key_Up: to = toLine(line - 1); break;
    case Qt::Key_Down: to = toLine(line + 1); break;
    case Qt::Key_PageUp:
        verticalScrollBar()->setValue(FirstVisibleLine() - VisibleLines());
        to = toLine(line - VisibleLines());
        break;
    case Qt::Key_PageDown:
        verticalScrollBar()->setValue(FirstVisibleLine() + VisibleLines());
        to = toLine(line + VisibleLines());
        break;
    case Qt::Key_Home: to = ctrl ? 0 : LineStart(line); break;
    case Qt::Key_End: to = ctrl ? static_cast<int>(text_.size()) : LineStart(line) + LineLength(line); break;
    default: e->ignore(); return;
    }
    SetCaret(to, keep);
}

void TListingPane::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(e);
    SetCaret(PositionAt(e->position().toPoint()), e->modifiers() & Qt::ShiftModifier);
}

void TListingPane::mouseMoveEvent(QMouseEvent* e) {
    if (e->buttons() & Qt::LeftButton) SetCaret(PositionAt(e->position().toPoint()), true);
}

void TListingPane::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mouseDoubleClickEvent(e);
    // The word under the mouse: letters, digits and underscores.
    const int at = PositionAt(e->position().toPoint());
    const auto inWord = [this](int i) {
        const QChar c = text_.at(i);
        return c.isLetterOrNumber() || c == u'_';
    };
    int from = at, to = at;
    while (from > 0 && inWord(from - 1)) --from;
    while (to < static_cast<int>(text_.size()) && inWord(to)) ++to;
    SetSelection(from, to);
}

void TListingPane::contextMenuEvent(QContextMenuEvent* e) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QObject::tr("&Copy"), [this] { Copy(); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(caret_ != anchor_);
    menu->addSeparator();
    menu->addAction(QObject::tr("Select All"), [this] { SelectAll(); })->setShortcut(QKeySequence::SelectAll);
    menu->popup(e->globalPos());
}

void TListingPane::Copy() const {
    const int from = std::min(caret_, anchor_), to = std::max(caret_, anchor_);
    if (from < to) QApplication::clipboard()->setText(text_.mid(from, to - from));
}

void TListingPane::SelectAll() { SetSelection(0, static_cast<int>(text_.size())); }

} // namespace pem
