#include "AboutBoxDlg.h"

#include "BaseFileUtils.h"
#include "CmdLine.h"
#include "DialogService.h"
#include "HandlerGuard.h"
#include "SharedRoutinesCommon.h"

#include <QApplication>
#include <QStyle>
#include <QTextDocument>
#include <QTextOption>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

namespace {

constexpr int kFormWidth = 420;
constexpr int kMemoLineHeight = 19;

// The program's own file: the path it was started by, else what the
// system says.
std::string ProgramFile() {
    std::string p = ParamStr(0);
    if (!p.empty() && FileExists(p)) return p;
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string();
    buf[n] = 0;
    return Utf8ToCp1252(buf);
}

TLabel* MakeLabel(TComponent* owner, QWidget* parent, const std::string& name, const std::string& text, int top) {
    auto* l = new TLabel(owner, parent, name, text);
    l->move(12, top);
    l->adjustSize();
    return l;
}

} // namespace

std::string FormatBuildDateTime(std::time_t t) {
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04d %s %02d,%s %02d:%02d:%02d", tm.tm_year + 1900, kMonths[tm.tm_mon],
                  tm.tm_mday, kDays[tm.tm_wday], tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent), TControl(this, nullptr, "frmAbout", "TfrmAbout") {
    setWindowTitle("About");
    setFixedWidth(kFormWidth);
    pnlPicture = new TPanel(this, this, "pnlPicture", TLayoutKind::None);
    pnlPicture->setGeometry(12, 12, 48, 48);
    auto* icon = new QLabel(pnlPicture);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    icon->resize(48, 48);
    pnlPgmTitle = new TPanel(this, this, "pnlPgmTitle", TLayoutKind::None);
    pnlPgmTitle->setFrameShape(QFrame::StyledPanel);
    pnlPgmTitle->setGeometry(72, 20, 200, 32);
    lblPgmTitle = new TLabel(this, pnlPgmTitle, "lblPgmTitle", "Program");
    QFont big = lblPgmTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblPgmTitle->setFont(big);
    lblPgmTitle->adjustSize();
    lblFileDesc = MakeLabel(this, this, "lblFileDesc", "File description", 72);
    lblFileVer = MakeLabel(this, this, "lblFileVer", "File Version: ", 94);
    lblBuildDateTime = MakeLabel(this, this, "lblBuildDateTime", "Built on: ", 116);
    lblProdver = MakeLabel(this, this, "lblProdver", "Product Version: ", 138);
    lblLegalCopyright = MakeLabel(this, this, "lblLegalCopyright", "Copyright", 166);
    Memo1 = new TMemo(this, this, "Memo1");
    Memo1->SetReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setGeometry(12, 192, kFormWidth - 24, kMemoLineHeight);
    btnOK = new TButton(this, this, "btnOK", "OK");
    btnOK->setDefault(true);
    btnOK->OnClick = [this](TComponent* s) { btnOKClick(s); };
    resize(kFormWidth, 250);
}

void TfrmAbout::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    RunGuarded([this] { FormShow(); });
}

void TfrmAbout::FormShow() {
    // The memo (when shown) sits above the OK button; the form ends below it.
    int y = 192;
    if (!Memo1->isHidden()) y = Memo1->y() + Memo1->height() + 10;
    btnOK->setGeometry((width() - 80) / 2, y, 80, 26);
    setFixedHeight(y + 26 + 12);
    // The title panel as wide as its label + 10, centred on the form, the
    // label centred in it; the legal notice centred on the form.
    lblPgmTitle->adjustSize();
    const int pw = lblPgmTitle->width() + 10;
    pnlPgmTitle->setGeometry((width() - pw) / 2, pnlPgmTitle->y(), pw, std::max(pnlPgmTitle->height(), lblPgmTitle->height() + 6));
    lblPgmTitle->move((pnlPgmTitle->width() - lblPgmTitle->width()) / 2,
                      (pnlPgmTitle->height() - lblPgmTitle->height()) / 2);
    lblLegalCopyright->adjustSize();
    lblLegalCopyright->move((width() - lblLegalCopyright->width()) / 2, lblLegalCopyright->y());
}

void TfrmAbout::btnOKClick(TComponent*) { accept(); }

TAboutBoxDlg::TAboutBoxDlg(TComponent* owner, const std::string& name)
    : QObject(owner ? owner->Object() : nullptr), TComponent(this, owner, name, "TAboutBoxDlg") {}

bool TAboutBoxDlg::Execute() {
    TfrmAbout form(QApplication::activeWindow());
    // 1. The version record of the program's own file.
    const std::string program = ProgramFile();
    if (!GetVersionInfoValue("FileVersion").empty()) {
        form.lblFileDesc->SetCaption(GetVersionInfoValue("FileDescription"));
        form.lblFileVer->SetCaption("File Version: " + GetVersionInfoValue("FileVersion"));
        struct stat st {};
        if (!program.empty() && ::stat(Cp1252ToUtf8(program).c_str(), &st) == 0)
            form.lblBuildDateTime->SetCaption("Built on: " + FormatBuildDateTime(st.st_mtime));
        form.lblPgmTitle->SetCaption(GetVersionInfoValue("ProductName"));
        form.lblLegalCopyright->SetCaption(GetVersionInfoValue("LegalCopyright"));
        form.lblProdver->SetCaption("Product Version: " + GetVersionInfoValue("ProductVersion"));
        for (TLabel* l : {form.lblFileDesc, form.lblFileVer, form.lblBuildDateTime, form.lblProdver})
            l->adjustSize();
    }
    // 2. The extra text.
    if (MemoContent.empty()) {
        form.Memo1->SetVisible(false);
    } else {
        std::string text = MemoContent;
        if (text[0] == '@') {
            text = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
            form.Memo1->document()->setDefaultTextOption(QTextOption(Qt::AlignLeft));
        } else {
            form.Memo1->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
        }
        form.Memo1->SetText(text);
        form.Memo1->setFixedHeight(kMemoLineHeight * std::max(1, form.Memo1->LineCount()));
    }
    // 3.
    if (!Heading.empty()) form.setWindowTitle(QString::fromStdString(Cp1252ToUtf8(Heading)));
    if (!PgmTitle.empty()) form.lblPgmTitle->SetCaption(PgmTitle);
    // 4.
    return Dialogs().ShowModal(&form) == mrOk;
}

} // namespace pem
