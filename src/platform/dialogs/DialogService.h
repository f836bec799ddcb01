#pragma once
// One service for every dialog the program shows: message dialogs and the
// common dialogs. The program installs the Qt implementation; tests install
// the scripted one, so no test ever waits on a real modal dialog.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace pem {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a message dialog, as a bit set.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
constexpr unsigned mbYesNo = mbYes | mbNo;
constexpr unsigned mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr unsigned mbOKCancel = mbOK | mbCancel;

// Modal results.
enum TModalResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
    mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
};

struct TFileFilter {
    std::string caption; // "XML files (*.xml)"
    std::string masks;   // "*.xml;*.XML"
};

struct TOpenDialogRequest {
    std::string title;
    std::string initialDir;
    std::string fileName;
    std::string defaultExt;
    std::vector<TFileFilter> filters;
    int filterIndex = 1;
    bool multiSelect = false;
    bool mustExist = true;
    bool overwritePrompt = true; // save dialogs
    std::string okCaption;       // relabelled OK button, when given
    std::string cancelCaption;
    int viewStyle = -1;          // file view style 0 to 4; -1 the dialog's own
};

struct TFontSpec {
    std::string name;
    int charSet = 1;
    int size = 10;
    int height = 0;
    bool bold = false, italic = false, underline = false, strikeOut = false;
};

// "description|masks|description|masks..." as filters, and back.
std::vector<TFileFilter> ParseDialogFilter(const std::string& filter);
std::string DialogFilterString(const std::vector<TFileFilter>& filters);

// The find dialog: where it stands (screen coordinates) and its title. It
// offers no case, direction or whole-word choice.
struct TFindRequest {
    std::string title = "Find";
    int left = 0, top = 0;
};
using TFindEvent = std::function<void(const std::string& text)>;

// What a dialog was asked, for tests and for the record.
struct TDialogCall {
    std::string kind; // "message", "open", "save", "directory", "font", "input", ...
    std::string text; // message text or title
    TMsgDlgType type = TMsgDlgType::mtInformation;
    unsigned buttons = 0;
    int answer = 0;
};

// One of the program's own forms: a window of its own (not a dialog) that
// is shown modally.
class TModalWindow {
public:
    virtual ~TModalWindow() = default;
    virtual QWidget* ModalWidget() = 0;
    virtual int ModalResult() const = 0;
    virtual void SetModalResult(int result) = 0;
    // Shows the window and runs until it has a modal result; returns it.
    virtual int RunModal() = 0;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // Shows a message dialog and returns the button pressed (a TModalResult).
    virtual int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int helpContext = 0) = 0;
    // File dialogs give false when cancelled.
    virtual bool OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) = 0;
    virtual bool SaveFile(const TOpenDialogRequest& req, std::string& file) = 0;
    virtual bool SelectDirectory(const std::string& caption, const std::string& start, std::string& dir) = 0;
    // The font dialog: it offers the installed fixed-pitch families only,
    // with the font given preselected; false when cancelled.
    virtual bool ChooseFont(TFontSpec& font) = 0;
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    virtual void Beep() = 0;
    // Runs one of the program's own dialogs modally and returns its modal
    // result (mrOk when it was accepted, else mrCancel).
    virtual int ShowModal(QDialog* dialog);
    // The same for one of the program's own forms: its modal result.
    virtual int ShowModal(TModalWindow& form);
    // Shows the find dialog; each press of its find button calls onFind with
    // the text. The dialog stays until closed. onFind must not throw (the
    // caller wraps its handler in the handler guard).
    virtual void FindText(const TFindRequest& req, const TFindEvent& onFind);
    // Lets the user pick one of the printers by name; false when cancelled.
    virtual bool SelectPrinter(const std::vector<std::string>& printers, std::string& printer);
};

// The service in force; the scripted one until the program installs its own.
DialogService& Dialogs();
// Installs a service (not owned); nullptr restores the default.
void SetDialogService(DialogService* service);

// Scripted answers: each call takes the next queued answer of its kind, or
// the default. Every call is recorded.
class ScriptedDialogService : public DialogService {
public:
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int helpContext = 0) override;
    bool OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) override;
    bool SaveFile(const TOpenDialogRequest& req, std::string& file) override;
    bool SelectDirectory(const std::string& caption, const std::string& start, std::string& dir) override;
    bool ChooseFont(TFontSpec& font) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    void Beep() override { ++beeps; }
    // Shows the dialog (its show handlers run), hands it to modalHook, which
    // may press its buttons, hides it again; the result is the dialog's own
    // when the hook ended it, else the next queued modal answer (mrOk).
    int ShowModal(QDialog* dialog) override;
    // A form likewise: shown, handed to formHook, which may press its
    // buttons, and hidden; the result is the one the hook set, else the next
    // queued modal answer (mrOk).
    int ShowModal(TModalWindow& form) override;
    // Each queued find text presses the find button once, in order.
    void FindText(const TFindRequest& req, const TFindEvent& onFind) override;
    bool SelectPrinter(const std::vector<std::string>& printers, std::string& printer) override;

    // Queue answers.
    void AnswerMessage(int modalResult) { messageAnswers.push_back(modalResult); }
    void AnswerFiles(std::vector<std::string> files) { fileAnswers.push_back(std::move(files)); }
    void AnswerDirectory(std::string dir) { dirAnswers.push_back(std::move(dir)); }
    void AnswerInput(std::string value) { inputAnswers.push_back(std::move(value)); }
    void AnswerModal(int modalResult) { modalAnswers.push_back(modalResult); }
    void AnswerFind(std::string text) { findAnswers.push_back(std::move(text)); }
    void AnswerPrinter(std::string name) { printerAnswers.push_back(std::move(name)); }
    // A font answer with an empty name confirms the preselected font as it is.
    void AnswerFont(TFontSpec font) { fontAnswers.push_back(std::move(font)); }
    std::function<void(QDialog*)> modalHook;
    // Runs while a message dialog is open, after its answer is taken and
    // recorded: what a timer or a queued call would do while a real dialog's
    // own loop serves the window.
    std::function<void(const std::string& text)> messageHook;
    std::function<void(TModalWindow&)> formHook;

    // A message with no queued answer gets the first of OK, Yes, Cancel,
    // Abort, No that the dialog offers (or this value when set).
    int defaultMessageAnswer = mrNone;

    std::vector<TDialogCall> calls;
    std::vector<int> messageAnswers;
    std::vector<std::vector<std::string>> fileAnswers;
    std::vector<std::string> dirAnswers;
    std::vector<std::string> inputAnswers;
    std::vector<TFontSpec> fontAnswers;
    std::vector<int> modalAnswers;
    std::vector<std::string> findAnswers;
    std::vector<std::string> printerAnswers;
    std::vector<TFindRequest> findRequests;
    std::vector<TFontSpec> fontRequests;          // the font each font dialog preselected
    std::vector<TOpenDialogRequest> fileRequests; // each open and save dialog as asked
    int beeps = 0;

    // Texts of all message dialogs shown, in order.
    std::vector<std::string> Messages() const;
    void Reset();
};

// Turns an exception message into the dialog the default handler shows.
void ShowExceptionMessage(const std::string& message);

} // namespace pem
