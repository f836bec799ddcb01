#pragma once
// Forms, the application object and the screen: top-level windows in the
// order they were created, their create/show/hide/close events run inside the
// handler guard, and queued messages to a form stand in for posted window
// messages.
#include "Actions.h"
#include "Component.h"
#include "Controls.h"
#include "DialogService.h"

#include <QIcon>
#include <functional>
#include <QMainWindow>
#include <QEventLoop>
#include <QMenu>

namespace pem {

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;
using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;
using TMessageEvent = std::function<void(int msg)>;

constexpr int WM_USER = 0x400;
constexpr int WM_CLOSE = 0x10;

class TForm : public QMainWindow, public TControl, public TModalWindow {
public:
    TForm(const std::string& name, const char* className = "TForm");
    ~TForm() override;

    std::string Caption() const;
    void SetCaption(const std::string& c);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState s);
    // The area below the menu and above the status bar.
    QWidget* Client() const { return client_; }

    // Runs OnCreate inside the guard (the application object calls it once
    // the form is built). Returns false when it ended by an exception.
    bool DoCreate();
    void Close() { close(); }

    // A posted message: msg reaches OnMessage later, on the GUI thread.
    void PostMessage(int msg);
    // WM_CLOSE sent directly: the close query runs now.
    void SendClose() { close(); }

    // Shows the form modally through the dialog service (tests answer it
    // there) and returns its modal result.
    int ShowModal() { return Dialogs().ShowModal(*this); }
    // Setting a result other than mrNone ends a modal showing; closing the
    // form ends it with mrCancel.
    int ModalResult() const override { return modalResult_; }
    void SetModalResult(int result) override;
    QWidget* ModalWidget() override { return this; }
    int RunModal() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnResize;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    TMessageEvent OnMessage;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    // Enter presses the focused button, else the form's default button;
    // Escape presses its cancel button (TButton::SetCancel).
    void keyPressEvent(QKeyEvent* e) override;

private:
    QWidget* client_;
    int modalResult_ = 0;
    QEventLoop* modalLoop_ = nullptr;
};

class TMenuItem : public QMenu, public TComponent {
public:
    TMenuItem(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption);
};

class TImageList : public QObject, public TComponent {
public:
    TImageList(TComponent* owner, const std::string& name);
    int Count() const { return static_cast<int>(images_.size()); }
    void Add(const QIcon& icon) { images_.push_back({icon, {}}); }
    // An image made the first time it is asked for: decoding the images of
    // a list whose one image in use is picked later costs start-up time.
    void AddLazy(std::function<QIcon()> make) { images_.push_back({{}, std::move(make)}); }
    QIcon Icon(int i) const;

private:
    struct Image {
        QIcon icon;
        std::function<QIcon()> make; // set until the icon is made
    };
    mutable std::vector<Image> images_;
};

// Non-visual font dialog: holds the chosen font.
class TFontDialog : public QObject, public TComponent {
public:
    TFontDialog(TComponent* owner, const std::string& name);
    TFontSpec Font;
    bool Execute() { return Dialogs().ChooseFont(Font); }
};

// Non-visual open and save dialogs around the dialog service.
class TOpenDialog : public QObject, public TComponent {
public:
    TOpenDialog(TComponent* owner, const std::string& name, bool save = false);
    TOpenDialogRequest Options;
    std::string FileName;
    std::vector<std::string> Files;
    bool Execute();

private:
    bool save_;
};

class TScreen {
public:
    // Forms in creation order.
    const std::vector<TForm*>& Forms() const { return forms_; }
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TForm* FindForm(const std::string& name) const;
    // The busy cursor for long work; Restore puts back the normal one.
    void SetBusyCursor(bool busy);
    bool Busy() const { return busy_; }

private:
    friend class TForm;
    std::vector<TForm*> forms_;
    bool busy_ = false;
};

TScreen& Screen();

// Every action of every action list that a form owns (at any depth: frames
// on tabs included), form by form in creation order.
void ForEachFormAction(const std::function<void(TAction*)>& fn);

// The busy cursor for a scope: the cursor shown before comes back on every
// way out of it, or earlier through Restore.
class TBusyCursor {
public:
    TBusyCursor() : before_(Screen().Busy()) { Screen().SetBusyCursor(true); }
    ~TBusyCursor() { Restore(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
    void Restore() { Screen().SetBusyCursor(before_); }

private:
    bool before_;
};

class TApplication {
public:
    std::string Title;
    std::string HelpFile;
    std::string ExeName; // full path of the running program
    QIcon Icon;
    bool Terminated = false;

    TForm* MainForm() const { return mainForm_; }
    // Builds a form; the first one built becomes the main form.
    template <class T, class... A>
    T* CreateForm(A&&... args) {
        T* f = new T(std::forward<A>(args)...);
        if (!mainForm_) mainForm_ = f;
        f->DoCreate();
        return f;
    }
    void ProcessMessages();
    // Opens the help file with the desktop's opener; false when it is missing.
    bool ShowHelp(int context = 0);
    void Terminate();

private:
    TForm* mainForm_ = nullptr;
};

TApplication& Application();

// Queues fn to run later on the GUI thread, inside the guard.
void PostToGui(std::function<void()> fn);

} // namespace pem
