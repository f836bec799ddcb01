#pragma once
// The about box: a non-visual component that shows the about form filled
// from the program's version record, with an optional extra text, heading
// and title.
#include "Component.h"
#include "Controls.h"

#include <QDialog>
#include <ctime>
#include <string>

namespace pem {

class TfrmAbout : public QDialog, public TControl {
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    TPanel* pnlPgmTitle;
    TLabel* lblPgmTitle;
    TLabel* lblFileDesc;
    TLabel* lblFileVer;
    TLabel* lblBuildDateTime;
    TLabel* lblProdver;
    TLabel* lblLegalCopyright;
    TMemo* Memo1;
    TButton* btnOK;
    TPanel* pnlPicture;

    void FormShow();
    void btnOKClick(TComponent* sender);

protected:
    void showEvent(QShowEvent* e) override;
};

class TAboutBoxDlg : public QObject, public TComponent {
public:
    TAboutBoxDlg(TComponent* owner, const std::string& name);

    std::string MemoContent;
    std::string PgmTitle;
    std::string Heading;

    // Shows the about form modally; true when it was closed with OK.
    bool Execute();
};

// "yyyy mmmm dd,dddd hh:mm:ss" with English month and day names.
std::string FormatBuildDateTime(std::time_t t);

} // namespace pem
