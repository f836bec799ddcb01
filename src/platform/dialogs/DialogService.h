#pragma once
// One service for every dialog the program shows: message dialogs and the
// common dialogs. The program installs the Qt implementation; tests install
// the scripted one, so no test ever waits on a real modal dialog.
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
};

struct TFontSpec {
    std::string name;
    int charSet = 1;
    int size = 10;
    int height = 0;
    bool bold = false, italic = false, underline = false, strikeOut = false;
};

// What a dialog was asked, for tests and for the record.
struct TDialogCall {
    std::string kind; // "message", "open", "save", "directory", "font", "input", "form"
    std::string text; // message text, title, or the form's name
    TMsgDlgType type = TMsgDlgType::mtInformation;
    unsigned buttons = 0;
    int answer = 0;
};

// One of the program's own forms, shown modally.
class TModalWindow {
public:
    virtual ~TModalWindow() = default;
    // The window's name, for the record.
    virtual std::string ModalName() const = 0;
    // Shows the window and runs until it has a modal result; returns it.
    virtual int RunModal() = 0;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // Shows one of the program's own forms modally and returns its modal
    // result. The program runs the form's own modal loop.
    virtual int ShowModalForm(TModalWindow& form) { return form.RunModal(); }
    // Shows a message dialog and returns the button pressed (a TModalResult).
    virtual int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int helpContext = 0) = 0;
    // File dialogs give false when cancelled.
    virtual bool OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) = 0;
    virtual bool SaveFile(const TOpenDialogRequest& req, std::string& file) = 0;
    virtual bool SelectDirectory(const std::string& caption, const std::string& start, std::string& dir) = 0;
    virtual bool ChooseFont(TFontSpec& font) = 0;
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    virtual void Beep() = 0;
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
    // A form takes the next queued form answer, which may fill its fields
    // and gives the modal result; without one the form is cancelled.
    int ShowModalForm(TModalWindow& form) override;

    // Queue answers.
    void AnswerMessage(int modalResult) { messageAnswers.push_back(modalResult); }
    void AnswerFiles(std::vector<std::string> files) { fileAnswers.push_back(std::move(files)); }
    void AnswerDirectory(std::string dir) { dirAnswers.push_back(std::move(dir)); }
    void AnswerInput(std::string value) { inputAnswers.push_back(std::move(value)); }
    void AnswerForm(std::function<int(TModalWindow&)> answer) { formAnswers.push_back(std::move(answer)); }

    // A message with no queued answer gets the first of OK, Yes, Cancel,
    // Abort, No that the dialog offers (or this value when set).
    int defaultMessageAnswer = mrNone;

    std::vector<TDialogCall> calls;
    std::vector<int> messageAnswers;
    std::vector<std::vector<std::string>> fileAnswers;
    std::vector<std::string> dirAnswers;
    std::vector<std::string> inputAnswers;
    std::vector<TFontSpec> fontAnswers;
    std::vector<std::function<int(TModalWindow&)>> formAnswers;
    int beeps = 0;

    // Texts of all message dialogs shown, in order.
    std::vector<std::string> Messages() const;
    void Reset();
};

// Turns an exception message into the dialog the default handler shows.
void ShowExceptionMessage(const std::string& message);

} // namespace pem
