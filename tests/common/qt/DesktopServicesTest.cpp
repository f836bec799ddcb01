#include "DesktopServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QWidget>

#include <gtest/gtest.h>

#include "QtApp.h"
#include "TestSupport.h"

#include <cstdlib>
#include <memory>

using namespace pem;

namespace {

QApplication* EnsureApp() { return pemtest::EnsureQApp(); }

QString Lines(int n) {
    QStringList lines;
    for (int i = 0; i < n; ++i) lines << QStringLiteral("line %1").arg(i);
    return lines.join('\n');
}

int FirstVisibleLine(QWidget* w) {
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->cursorForPosition(QPoint(0, 0)).blockNumber();
    return qobject_cast<QTextEdit*>(w)->cursorForPosition(QPoint(0, 0)).blockNumber();
}

QTextCursor CursorOf(QWidget* w) {
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->textCursor();
    return qobject_cast<QTextEdit*>(w)->textCursor();
}

std::unique_ptr<QWidget> MakeEdit(bool plain, int lines) {
    std::unique_ptr<QWidget> w;
    if (plain) {
        auto* e = new QPlainTextEdit;
        e->setLineWrapMode(QPlainTextEdit::NoWrap);
        e->setPlainText(Lines(lines));
        w.reset(e);
    } else {
        auto* e = new QTextEdit;
        e->setLineWrapMode(QTextEdit::NoWrap);
        e->setPlainText(Lines(lines));
        w.reset(e);
    }
    w->resize(300, 200);
    w->show();
    QCoreApplication::processEvents();
    return w;
}

} // namespace

TEST(MemoGotoLine, SelectsTheLineAndScrollsItBelowTheTop) {
    EnsureApp();
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "QPlainTextEdit" : "QTextEdit");
        auto edit = MakeEdit(plain, 200);
        ASSERT_TRUE(MemoGotoLine(edit.get(), 120, 3));
        const QTextCursor c = CursorOf(edit.get());
        EXPECT_EQ(c.selectedText(), QStringLiteral("line 120") + QChar(0x2029));
        EXPECT_EQ(FirstVisibleLine(edit.get()), 117);

        // Back up towards the start: the line again stands 3 below the top.
        ASSERT_TRUE(MemoGotoLine(edit.get(), 40, 3));
        EXPECT_EQ(FirstVisibleLine(edit.get()), 37);
        ASSERT_TRUE(MemoGotoLine(edit.get(), 10, 0));
        EXPECT_EQ(FirstVisibleLine(edit.get()), 10);
    }
}

// The last line has no next line: it is selected to its end, so that a jump
// to it shows it as every other line is shown.
TEST(MemoGotoLine, LastLineAndMissingLines) {
    EnsureApp();
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "QPlainTextEdit" : "QTextEdit");
        auto edit = MakeEdit(plain, 5);
        ASSERT_TRUE(MemoGotoLine(edit.get(), 4, 0));
        QTextCursor c = CursorOf(edit.get());
        EXPECT_EQ(c.selectedText(), QStringLiteral("line 4"));
        EXPECT_EQ(c.block().blockNumber(), 4);

        ASSERT_TRUE(MemoGotoLine(edit.get(), 1, 0));
        const int anchor = CursorOf(edit.get()).anchor(), pos = CursorOf(edit.get()).position();
        EXPECT_FALSE(MemoGotoLine(edit.get(), 5, 0));
        EXPECT_FALSE(MemoGotoLine(edit.get(), -1, 0));
        EXPECT_EQ(CursorOf(edit.get()).anchor(), anchor);
        EXPECT_EQ(CursorOf(edit.get()).position(), pos);
    }
    QWidget notAnEdit;
    EXPECT_FALSE(MemoGotoLine(&notAnEdit, 0, 0));
}

TEST(FitFormToWorkArea, KeepsFiftyPixelsInsideAndLimitsTheSize) {
    EnsureApp();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int right = area.x() + area.width(), bottom = area.y() + area.height();
    struct Case {
        QRect before, after;
    };
    const Case cases[] = {
        {QRect(3000, 10, 200, 100), QRect(right - 50, 10, 200, 100)},
        {QRect(-40, -30, 200, 100), QRect(0, 0, 200, 100)},
        {QRect(10, bottom + 500, 200, 100), QRect(10, bottom - 50, 200, 100)},
        {QRect(20, 30, 200, 100), QRect(20, 30, 200, 100)},
    };
    for (const auto& c : cases) {
        QWidget form;
        form.move(c.before.topLeft());
        form.resize(c.before.size());
        FitFormToWorkArea(&form);
        EXPECT_EQ(QRect(form.pos(), form.size()), c.after) << c.before.x() << "," << c.before.y();
        EXPECT_EQ(form.maximumWidth(), right);
        EXPECT_EQ(form.maximumHeight(), bottom);
    }
    QWidget big;
    big.resize(right + 300, bottom + 300);
    FitFormToWorkArea(&big);
    EXPECT_LE(big.width(), right);
    EXPECT_LE(big.height(), bottom);
}

TEST(SetFileDialogViewStyle, ListAndDetailsMapOthersDoNot) {
    EnsureApp();
    // The dialog keeps its state in the user's settings when it goes: here,
    // never in the real home.
    pemtest::TempDir config;
    pemtest::ScopedEnv home("XDG_CONFIG_HOME", config.Path());
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    struct Case {
        int style;
        bool result;
        QFileDialog::ViewMode mode;
    };
    const Case cases[] = {
        {2, true, QFileDialog::Detail}, {0, false, QFileDialog::Detail}, {1, true, QFileDialog::List},
        {3, false, QFileDialog::List},  {4, false, QFileDialog::List},   {2, true, QFileDialog::Detail},
        {-1, false, QFileDialog::Detail},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetFileDialogViewStyle(&dialog, c.style), c.result) << c.style;
        EXPECT_EQ(dialog.viewMode(), c.mode) << c.style;
    }
    EXPECT_FALSE(SetFileDialogViewStyle(nullptr, 1));
}

TEST(TextWidthWithMargin, TextExtentPlusFourBorders) {
    EnsureApp();
    QFont font = QApplication::font();
    font.setPixelSize(13);
    const QFontMetrics fm(font);
    EXPECT_EQ(TextWidthWithMargin(QStringLiteral("Start job"), font), fm.horizontalAdvance("Start job") + 4);
    EXPECT_EQ(TextWidthWithMargin(std::string(""), font), 4);
    // 8-bit text is Windows-1252: 0x80 is the euro sign.
    EXPECT_EQ(TextWidthWithMargin(std::string("\x80 caf\xE9"), font),
              fm.horizontalAdvance(QString::fromUtf8("\xE2\x82\xAC caf\xC3\xA9")) + 4);
}

TEST(LoadAnimatedCursor, IsTheBusyCursor) {
    EnsureApp();
    EXPECT_EQ(LoadAnimatedCursor("HOURGLASS").shape(), Qt::WaitCursor);
}
