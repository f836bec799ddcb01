#include "DesktopServices.h"

#include "CharSet1252.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextEdit>
#include <QWidget>
#include <algorithm>

namespace pem {

namespace {

// Width of a window border in pixels; the desktop draws one-pixel borders.
constexpr int kBorderWidth = 1;

} // namespace

QCursor LoadAnimatedCursor(const std::string& /*resourceName*/) { return QCursor(Qt::WaitCursor); }

bool SetFileDialogViewStyle(QFileDialog* dialog, int style) {
    if (dialog == nullptr) return false;
    switch (style) {
    case 1:
        dialog->setViewMode(QFileDialog::List);
        return true;
    case 2:
        dialog->setViewMode(QFileDialog::Detail);
        return true;
    default:
        return false;
    }
}

void FitFormToWorkArea(QWidget* form) {
    if (form == nullptr) return;
    QScreen* screen = form->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    form->setMaximumHeight(bottom);
    form->setMaximumWidth(right);

    int top = form->y(), left = form->x();
    int width = form->width(), height = form->height();
    if (top < 0) top = 0;
    if (top > bottom - 50) top = bottom - 50;
    if (height > bottom) height = bottom;
    if (left > right - 50) left = right - 50;
    if (left < 0) left = 0;
    if (width > right) width = right;
    if (left != form->x() || top != form->y()) form->move(left, top);
    if (width != form->width() || height != form->height()) form->resize(width, height);
}

bool MemoGotoLine(QWidget* edit, int line, int linesAbove) {
    auto* plain = qobject_cast<QPlainTextEdit*>(edit);
    auto* rich = qobject_cast<QTextEdit*>(edit);
    QTextDocument* doc = plain != nullptr ? plain->document() : rich != nullptr ? rich->document() : nullptr;
    if (doc == nullptr || line < 0 || line >= doc->blockCount()) return false;

    const QTextBlock block = doc->findBlockByNumber(line);
    QTextCursor cursor(doc);
    cursor.setPosition(block.position());
    // To the start of the next line; the last line, having none, to its end.
    cursor.setPosition(block.next().isValid() ? block.next().position() : block.position() + block.length() - 1,
                       QTextCursor::KeepAnchor);

    QScrollBar* bar = nullptr;
    int firstVisible = 0;
    int step = 1;  // scroll-bar units per line
    if (plain != nullptr) {
        plain->setTextCursor(cursor);
        plain->ensureCursorVisible();
        bar = plain->verticalScrollBar();
        firstVisible = plain->cursorForPosition(QPoint(0, 0)).blockNumber();
    } else {
        rich->setTextCursor(cursor);
        rich->ensureCursorVisible();
        bar = rich->verticalScrollBar();
        firstVisible = rich->cursorForPosition(QPoint(0, 0)).blockNumber();
        step = QFontMetrics(rich->font()).lineSpacing();
    }
    const int delta = line - firstVisible - linesAbove;
    if (bar != nullptr && delta != 0) bar->setValue(bar->value() + delta * step);
    return true;
}

int CaptionFitWidth(const QWidget* window) {
    QFont title = window->font();
    title.setBold(true);
    const QFontMetrics m(title);
    // Window managers draw their buttons at least as tall as the bar, and
    // the bar holds a line of the title font with room around it.
    const int button = std::max(window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window),
                                m.height() + 10);
    return m.horizontalAdvance(window->windowTitle()) + 4 * button + 2 * 8;
}

int TextWidthWithMargin(const QString& text, const QFont& font) {
    return QFontMetrics(font).horizontalAdvance(text) + 4 * kBorderWidth;
}

int TextWidthWithMargin(const std::string& text, const QFont& font) {
    return TextWidthWithMargin(QString::fromUtf8(Cp1252ToUtf8(text)), font);
}

} // namespace pem
