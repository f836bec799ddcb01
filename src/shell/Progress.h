#pragma once
// The progress dialog created at start: a stay-on-top box with a label and a
// bar. Long work polls CancelRequested, which Escape or a mouse press on the
// bar sets; the held modifier keys are kept for the work to read.
#include "Forms.h"

namespace pem {

class TfrmProgress : public TForm {
public:
    TfrmProgress();

    TPanel* Panel1 = nullptr;
    TLabel* LabelMax = nullptr;
    TProgressBar* ProgressBar1 = nullptr;

    bool ShiftDown = false;
    bool CtrlDown = false;
    bool EscapeDown = false;
    bool CancelRequested = false;

    void FormShow(TComponent* sender);
    void FormHide(TComponent* sender);
    // key: a Qt key code.
    void FormKeyDown(TComponent* sender, int key);
    void FormKeyUp(TComponent* sender, int key);
    void ProgressBar1MouseDown(TComponent* sender);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
};

} // namespace pem
