#include "HeadlessDialogService.h"

#include "CharSet1252.h"

namespace pem {

namespace {

const char* TypeName(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning: return "Warning";
    case TMsgDlgType::mtError: return "Error";
    case TMsgDlgType::mtInformation: return "Information";
    case TMsgDlgType::mtConfirmation: return "Confirmation";
    default: return "Message";
    }
}

const char* AnswerName(int answer) {
    switch (answer) {
    case mrOk: return "OK";
    case mrCancel: return "Cancel";
    case mrAbort: return "Abort";
    case mrRetry: return "Retry";
    case mrIgnore: return "Ignore";
    case mrYes: return "Yes";
    case mrNo: return "No";
    case mrAll: return "All";
    case mrNoToAll: return "No to all";
    case mrYesToAll: return "Yes to all";
    default: return "none";
    }
}

// The dialog's text on one line: its line breaks as " / ".
std::string OneLine(const std::string& text) {
    std::string s;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') continue;
        if (text[i] == '\n') s += " / ";
        else s += text[i];
    }
    return s;
}

} // namespace

int HeadlessDialogService::AnswerFor(unsigned buttons) {
    if (buttons & mbNo) return mrNo;
    // The default button is the first the dialog shows.
    static const std::pair<unsigned, int> order[] = {{mbYes, mrYes},     {mbOK, mrOk},       {mbCancel, mrCancel},
                                                     {mbAbort, mrAbort}, {mbRetry, mrRetry}, {mbIgnore, mrIgnore},
                                                     {mbAll, mrAll},     {mbNoToAll, mrNoToAll},
                                                     {mbYesToAll, mrYesToAll}};
    for (const auto& [button, answer] : order)
        if (buttons & button) return answer;
    return mrOk;
}

void HeadlessDialogService::Say(const std::string& line) {
    const std::string text = Cp1252ToUtf8(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
}

int HeadlessDialogService::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int) {
    const int answer = AnswerFor(buttons);
    Say(std::string(TypeName(type)) + ": " + OneLine(text) + " [" + AnswerName(answer) + "]");
    return answer;
}

bool HeadlessDialogService::OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>&) {
    Say("Open dialog: " + req.title + " [Cancel]");
    return false;
}

bool HeadlessDialogService::SaveFile(const TOpenDialogRequest& req, std::string&) {
    Say("Save dialog: " + req.title + " [Cancel]");
    return false;
}

bool HeadlessDialogService::SelectDirectory(const std::string& caption, const std::string&, std::string&) {
    Say("Folder dialog: " + caption + " [Cancel]");
    return false;
}

bool HeadlessDialogService::ChooseFont(TFontSpec&) {
    Say("Font dialog [Cancel]");
    return false;
}

bool HeadlessDialogService::InputQuery(const std::string& caption, const std::string& prompt, std::string&) {
    Say("Input: " + caption + " - " + OneLine(prompt) + " [Cancel]");
    return false;
}

int HeadlessDialogService::ShowModal(QDialog*) {
    Say("Dialog [Cancel]");
    return mrCancel;
}

int HeadlessDialogService::ShowModal(TModalWindow&) {
    Say("Window [Cancel]");
    return mrCancel;
}

} // namespace pem
