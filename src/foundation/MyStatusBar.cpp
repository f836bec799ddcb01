#include "MyStatusBar.h"

#include "DialogService.h"
#include "Exceptions.h"
#include "HandlerGuard.h"
#include "QtText.h"
#include "SharedRoutinesCommon.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>

namespace pem {

std::function<void(const TStatusRecord&)> TMyStatusBarBase::Recorder;

namespace {
const char* kCrLf = "\r\n";
// BGR colour values as the forms store them.
QColor FromBgr(unsigned v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

} // namespace

TMyStatusBarBase::TMyStatusBarBase(TComponent* owner, QWidget* parent, const std::string& name)
    : QStatusBar(parent), TControl(this, owner, name, "TMyStatusBar") {
    ColorWarn = FromBgr(0x00FA5458);
    ColorErr = FromBgr(0x008080FF);
    label_ = new QLabel(this);
    label_->setTextFormat(Qt::PlainText);
    addWidget(label_, 1);
    setSizeGripEnabled(false);
    setAutoFillBackground(true);
    color_ = palette().color(QPalette::Button);
}

int TMyStatusBarBase::TextWidth(const std::string& text) const {
    return QFontMetrics(font()).horizontalAdvance(ToQ(text)) + 4;
}

int TMyStatusBarBase::BarClientWidth() const { return contentsRect().width(); }

void TMyStatusBarBase::SetSimpleText(const std::string& text) {
    simpleText_ = text;
    label_->setText(ToQ(text));
}

void TMyStatusBarBase::SetHint(const std::string& hint) {
    hint_ = hint;
    setToolTip(ToQ(hint));
}

void TMyStatusBarBase::SetColor(const QColor& c) {
    color_ = c;
    QPalette p = palette();
    p.setColor(QPalette::Window, c);
    setPalette(p);
}

void TMyStatusBarBase::Beep() { Dialogs().Beep(); }

void TMyStatusBarBase::Record(TStatusRecord::Kind kind, const std::string& text) {
    if (Recorder) Recorder({kind, text});
}

void TMyStatusBarBase::ShowFitted(const std::string& text) {
    const int room = BarClientWidth() - TextWidth("...");
    const int len = static_cast<int>(text.size());
    if (len < 126 && TextWidth(text) <= room) {
        std::string shown = TrimCharSet(StrBeforeFirst(simpleText_, "..."), csControlAndBlank);
        if (!simpleText_.empty() && StartsWithStr(shown, TrimCharSet(hint_, csControlAndBlank))) SetHint("");
        SetSimpleText(text);
        return;
    }
    const int limit = room > 10 ? room : 10;
    int n = len < 126 ? len - 5 : 120;
    if (n < 0) n = 0;
    // A narrow bar with a wide font must not cut below nothing.
    while (n > 0 && TextWidth(text.substr(0, static_cast<size_t>(n))) > limit) n = n > 5 ? n - 5 : 0;
    SetSimpleText(text.substr(0, static_cast<size_t>(n)) + "...");
    SetHint(text.substr(0, static_cast<size_t>(n)) + kCrLf + text.substr(static_cast<size_t>(n)));
}

std::string TMyStatusBarBase::ShownText() const {
    // A cut text keeps its whole in the hint: the part shown, CRLF, the rest.
    const std::string suffix = "...";
    if (simpleText_.size() >= suffix.size() &&
        simpleText_.compare(simpleText_.size() - suffix.size(), suffix.size(), suffix) == 0) {
        const std::string head = simpleText_.substr(0, simpleText_.size() - suffix.size());
        if (hint_.compare(0, head.size() + 2, head + kCrLf) == 0) return head + hint_.substr(head.size() + 2);
    }
    return simpleText_;
}

void TMyStatusBarBase::ShowInfo(const std::string& text) {
    if (Collecting()) {
        AddMessage(text, true);
        return;
    }
    SetColor(palette().color(QPalette::Button));
    ShowFitted(text);
    Record(TStatusRecord::Info, text);
}

void TMyStatusBarBase::ShowWarning(const std::string& text) {
    if (Collecting()) {
        AddMessage(text, true);
        return;
    }
    SetColor(ColorWarn);
    ShowFitted(text);
    LastMessage = text;
    if (Severity < 1) Severity = 1;
    Record(TStatusRecord::Warning, text);
    Beep();
    if (UseMessageBox) Dialogs().MessageDlg(text, TMsgDlgType::mtWarning, mbOK);
}

void TMyStatusBarBase::ShowError(const std::string& text, bool noAbort) {
    if (Collecting()) {
        AddMessage(text, noAbort);
        return;
    }
    if (text.empty()) {
        ClearMessage();
        return;
    }
    SetColor(ColorErr);
    LastMessage = text;
    ShowFitted(text);
    if (Severity < 2) Severity = 2;
    Record(TStatusRecord::Error, text);
    Beep();
    if (UseMessageBox) Dialogs().MessageDlg(text, TMsgDlgType::mtError, mbOK);
    if (!noAbort) Abort();
}

void TMyStatusBarBase::AddMessage(const std::string& text, bool noAbort) {
    SetColor(ColorErr);
    LastMessage = text;
    if (MessageList.empty()) {
        MessageList = "- " + text;
        ShowFitted(text);
    } else {
        MessageList += kCrLf;
        MessageList += "- " + text;
        SetSimpleText("More than one message, click here to get them!");
        SetHint(MessageList);
    }
    if (Severity < 2) Severity = 2;
    Record(TStatusRecord::Collected, text);
    Beep();
    if (UseMessageBox) Dialogs().MessageDlg(MessageList, TMsgDlgType::mtError, mbOK);
    if (!noAbort) Abort();
}

void TMyStatusBarBase::ShowFatal(const std::string& text) {
    SetColor(ColorErr);
    LastMessage = text;
    SetSimpleText(text);
    MessageList.clear();
    Severity = 3;
    Record(TStatusRecord::Fatal, text);
    Beep();
    Dialogs().MessageDlg(text, TMsgDlgType::mtError, mbAbort);
    Abort();
}

void TMyStatusBarBase::ClearMessage() {
    SetColor(palette().color(QPalette::Button));
    std::string shown = TrimCharSet(StrBeforeFirst(simpleText_, "..."), csControlAndBlank);
    if (!MessageList.empty() && hint_ == MessageList) SetHint("");
    else if (!simpleText_.empty() && StartsWithStr(shown, TrimCharSet(hint_, csControlAndBlank))) SetHint("");
    SetSimpleText("");
    MessageList.clear();
    Severity = 0;
    Record(TStatusRecord::Clear, "");
}

void TMyStatusBarBase::ClickDialog() {
    if (Collecting()) {
        Dialogs().MessageDlg(std::string("The following errors occured....") + kCrLf + kCrLf + MessageList,
                             TMsgDlgType::mtError, mbOK);
        return;
    }
    if (simpleText_.empty()) return;
    std::string shown = TrimCharSet(StrBeforeFirst(simpleText_, "..."), csControlAndBlank);
    if (StartsWithStr(shown, TrimCharSet(hint_, csControlAndBlank)) && !hint_.empty()) {
        Dialogs().MessageDlg(std::string("The following error occured....") + kCrLf + kCrLf + hint_,
                             TMsgDlgType::mtError, mbOK);
    } else {
        Dialogs().MessageDlg(std::string("The following error occured....") + kCrLf + kCrLf + simpleText_,
                             TMsgDlgType::mtError, mbOK);
    }
}

void TMyStatusBarBase::Click() {
    if (OnClick) OnClick(this);
    else ClickDialog();
}

void TMyStatusBarBase::DblClick() {
    if (OnDblClick) OnDblClick(this);
    else ClickDialog();
}

void TMyStatusBarBase::mousePressEvent(QMouseEvent* e) {
    QStatusBar::mousePressEvent(e);
    if (e->button() == Qt::LeftButton) RunGuarded([this] { Click(); });
}

void TMyStatusBarBase::mouseDoubleClickEvent(QMouseEvent* e) {
    QStatusBar::mouseDoubleClickEvent(e);
    RunGuarded([this] { DblClick(); });
}

TMyStatusBar::TMyStatusBar(TComponent* owner, QWidget* parent, const std::string& name)
    : TMyStatusBarBase(owner, parent, name) {}

void TMyStatusBar::Error(const std::string& text) {
    if (Collecting()) {
        AddError(text);
        return;
    }
    if (text.empty()) {
        ClearMessage();
        return;
    }
    ShowError(text, false);
}

void TMyStatusBar::AddError(const std::string& text) { AddMessage(text, false); }

int TMyStatusBar::AddErrorNoAbort(const std::string& text) {
    SetColor(ColorErr);
    LastMessage = text;
    std::string asked;
    if (Collecting()) {
        MessageList += kCrLf;
        MessageList += text;
        SetSimpleText("More than one message, place cursor over the status bar (here) to get them!");
        SetHint(MessageList);
        asked = MessageList;
    } else {
        // Nothing collected: the question follows what the bar shows, and
        // the bar does not start collecting, so later information and
        // warnings are not taken for errors.
        const std::string shown = ShownText();
        asked = shown.empty() ? text : shown + kCrLf + text;
        ShowFitted(text);
    }
    if (Severity < 2) Severity = 2;
    Record(TStatusRecord::Question, text);
    Beep();
    int answer = Dialogs().MessageDlg(asked, TMsgDlgType::mtError, mbYesNo);
    return answer == mrYes ? mrYes : mrNo;
}

} // namespace pem
