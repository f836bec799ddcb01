#pragma once
// The program's one channel for telling the user what happened: information,
// warnings and errors in their colours in one panel, the highest severity
// reached since the last clear, several errors collected into one list, and
// the error convention: Error ends the current operation by the silent abort.
#include "Component.h"

#include <QColor>
#include <QStatusBar>
#include <functional>
#include <string>

class QLabel;

namespace pem {

// What a bar showed, for tests and records.
struct TStatusRecord {
    enum Kind { Info, Warning, Error, Collected, Fatal, Clear, Question } kind;
    std::string text;
};

class TMyStatusBarBase : public QStatusBar, public TControl {
public:
    TMyStatusBarBase(TComponent* owner, QWidget* parent, const std::string& name);

    QColor ColorWarn;
    QColor ColorErr;
    bool UseMessageBox = false;
    std::string LastMessage;
    unsigned char Severity = 0; // 0 none, 1 warning, 2 error, 3 fatal
    std::string MessageList;     // non-empty: collecting
    TNotifyEvent OnDblClick;
    TNotifyEvent OnClick;

    virtual void ShowInfo(const std::string& text);
    virtual void ShowWarning(const std::string& text);
    virtual void ShowError(const std::string& text, bool noAbort);
    virtual void AddMessage(const std::string& text, bool noAbort);
    virtual void ShowFatal(const std::string& text);
    virtual void ClearMessage();

    // The text shown (the simple panel) and the hint.
    std::string SimpleText() const { return simpleText_; }
    std::string HintText() const { return hint_; }
    // The message shown, whole even when the bar shows it cut.
    std::string ShownText() const;
    QColor CurrentColor() const { return color_; }
    bool Collecting() const { return !MessageList.empty(); }

    void Click();
    void DblClick();

    // Every bar reports what it shows here when set (tests read it).
    static std::function<void(const TStatusRecord&)> Recorder;

protected:
    // Width of a text in the bar's font plus four border widths.
    virtual int TextWidth(const std::string& text) const;
    virtual int BarClientWidth() const;
    void ShowFitted(const std::string& text);
    void SetSimpleText(const std::string& text);
    void SetHint(const std::string& hint);
    void SetColor(const QColor& c);
    void Beep();
    void Record(TStatusRecord::Kind kind, const std::string& text);
    void ClickDialog();
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QLabel* label_;
    std::string simpleText_;
    std::string hint_;
    QColor color_;
};

class TMyStatusBar : public TMyStatusBarBase {
public:
    TMyStatusBar(TComponent* owner, QWidget* parent, const std::string& name = "MyStB");

    // Ends the operation with the silent abort unless the text is empty
    // (then the bar is cleared and Error returns).
    void Error(const std::string& text);
    void AddError(const std::string& text);
    // Asks with Yes and No after the collected list (or, when nothing is
    // collected, after the text shown) and returns the answer (mrYes or
    // mrNo); never aborts, and never starts collecting.
    int AddErrorNoAbort(const std::string& text);
};

} // namespace pem
