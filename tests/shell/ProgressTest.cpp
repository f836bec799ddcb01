// The progress dialog: held keys, and the ways to ask long work to stop.
#include "Progress.h"
#include "QtTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace pem;

namespace {

void Key(QWidget* w, QEvent::Type type, int key) {
    QKeyEvent e(type, key, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST(Progress, KeysAndMouseRequestTheStop) {
    pemtest::EnsureQApp();
    TfrmProgress f;
    EXPECT_EQ(f.Caption(), "Importing....");
    EXPECT_EQ(f.ProgressBar1->Max(), 100);
    EXPECT_EQ(f.ProgressBar1->Hint(), "Press mouse here to stop the process");

    // Shift and Ctrl are held between key down and key up; neither stops.
    Key(&f, QEvent::KeyPress, Qt::Key_Shift);
    Key(f.ProgressBar1, QEvent::KeyPress, Qt::Key_Control); // keys reach the form first
    EXPECT_TRUE(f.ShiftDown);
    EXPECT_TRUE(f.CtrlDown);
    EXPECT_FALSE(f.CancelRequested);
    Key(&f, QEvent::KeyRelease, Qt::Key_Shift);
    Key(&f, QEvent::KeyRelease, Qt::Key_Control);
    EXPECT_FALSE(f.ShiftDown);
    EXPECT_FALSE(f.CtrlDown);

    // Escape asks to stop; releasing it keeps the request.
    Key(&f, QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_TRUE(f.EscapeDown);
    EXPECT_TRUE(f.CancelRequested);
    Key(&f, QEvent::KeyRelease, Qt::Key_Escape);
    EXPECT_FALSE(f.EscapeDown);
    EXPECT_TRUE(f.CancelRequested);

    // Showing starts without a request; a press on the bar makes one; hiding clears it.
    f.show();
    QApplication::processEvents();
    EXPECT_FALSE(f.CancelRequested);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(f.ProgressBar1, &press);
    EXPECT_TRUE(f.CancelRequested);
    f.hide();
    QApplication::processEvents();
    EXPECT_FALSE(f.CancelRequested);
}

} // namespace
