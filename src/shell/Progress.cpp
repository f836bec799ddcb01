#include "Progress.h"

#include "HandlerGuard.h"

#include <QEvent>
#include <QKeyEvent>

namespace pem {

TfrmProgress::TfrmProgress() : TForm("frmProgress", "TfrmProgress") {
    SetCaption("Importing....");
    // A dialog that stays on top and offers no minimise, maximise or close box.
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    Panel1 = new TPanel(this, Client(), "Panel1");
    LabelMax = new TLabel(this, Panel1, "LabelMax");
    ProgressBar1 = new TProgressBar(this, Panel1, "ProgressBar1");
    ProgressBar1->SetMin(0);
    ProgressBar1->SetMax(100);
    ProgressBar1->SetHint("Press mouse here to stop the process");
    // Key preview: keys typed anywhere in the dialog reach the form first.
    for (QWidget* w : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(LabelMax),
                       static_cast<QWidget*>(ProgressBar1)})
        w->installEventFilter(this);
    OnShow = [this](TComponent* s) { FormShow(s); };
    OnHide = [this](TComponent* s) { FormHide(s); };
}

void TfrmProgress::FormShow(TComponent*) { CancelRequested = false; }
void TfrmProgress::FormHide(TComponent*) { CancelRequested = false; }

void TfrmProgress::FormKeyDown(TComponent*, int key) {
    switch (key) {
    case Qt::Key_Shift: ShiftDown = true; break;
    case Qt::Key_Control: CtrlDown = true; break;
    case Qt::Key_Escape:
        EscapeDown = true;
        CancelRequested = true;
        break;
    default: break;
    }
}

void TfrmProgress::FormKeyUp(TComponent*, int key) {
    switch (key) {
    case Qt::Key_Shift: ShiftDown = false; break;
    case Qt::Key_Control: CtrlDown = false; break;
    case Qt::Key_Escape: EscapeDown = false; break;
    default: break;
    }
}

void TfrmProgress::ProgressBar1MouseDown(TComponent*) { CancelRequested = true; }

void TfrmProgress::keyPressEvent(QKeyEvent* e) {
    RunGuarded([&] { FormKeyDown(this, e->key()); });
    e->accept();
}

void TfrmProgress::keyReleaseEvent(QKeyEvent* e) {
    RunGuarded([&] { FormKeyUp(this, e->key()); });
    e->accept();
}

bool TfrmProgress::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::KeyPress: keyPressEvent(static_cast<QKeyEvent*>(e)); return true;
    case QEvent::KeyRelease: keyReleaseEvent(static_cast<QKeyEvent*>(e)); return true;
    case QEvent::MouseButtonPress:
        if (watched == ProgressBar1) RunGuarded([&] { ProgressBar1MouseDown(ProgressBar1); });
        break;
    default: break;
    }
    return TForm::eventFilter(watched, e);
}

} // namespace pem
