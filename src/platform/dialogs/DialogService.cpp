#include "DialogService.h"

namespace pem {

namespace {
ScriptedDialogService& DefaultService() {
    static ScriptedDialogService s;
    return s;
}
DialogService* g_service = nullptr;

template <class T>
bool TakeFront(std::vector<T>& q, T& out) {
    if (q.empty()) return false;
    out = std::move(q.front());
    q.erase(q.begin());
    return true;
}
} // namespace

DialogService& Dialogs() { return g_service ? *g_service : DefaultService(); }
void SetDialogService(DialogService* service) { g_service = service; }

int ScriptedDialogService::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int) {
    int answer = mrNone;
    if (!TakeFront(messageAnswers, answer)) {
        if (defaultMessageAnswer != mrNone) answer = defaultMessageAnswer;
        else if (buttons & mbOK) answer = mrOk;
        else if (buttons & mbYes) answer = mrYes;
        else if (buttons & mbCancel) answer = mrCancel;
        else if (buttons & mbAbort) answer = mrAbort;
        else if (buttons & mbNo) answer = mrNo;
    }
    calls.push_back({"message", text, type, buttons, answer});
    return answer;
}

bool ScriptedDialogService::OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) {
    std::vector<std::string> answer;
    bool ok = TakeFront(fileAnswers, answer);
    if (ok) files = answer;
    calls.push_back({"open", req.title, TMsgDlgType::mtCustom, 0, ok ? 1 : 0});
    return ok && !answer.empty();
}

bool ScriptedDialogService::SaveFile(const TOpenDialogRequest& req, std::string& file) {
    std::vector<std::string> answer;
    bool ok = TakeFront(fileAnswers, answer) && !answer.empty();
    if (ok) file = answer.front();
    calls.push_back({"save", req.title, TMsgDlgType::mtCustom, 0, ok ? 1 : 0});
    return ok;
}

bool ScriptedDialogService::SelectDirectory(const std::string& caption, const std::string&, std::string& dir) {
    std::string answer;
    bool ok = TakeFront(dirAnswers, answer);
    if (ok) dir = answer;
    calls.push_back({"directory", caption, TMsgDlgType::mtCustom, 0, ok ? 1 : 0});
    return ok;
}

bool ScriptedDialogService::ChooseFont(TFontSpec& font) {
    TFontSpec answer;
    bool ok = TakeFront(fontAnswers, answer);
    if (ok) font = answer;
    calls.push_back({"font", font.name, TMsgDlgType::mtCustom, 0, ok ? 1 : 0});
    return ok;
}

bool ScriptedDialogService::InputQuery(const std::string& caption, const std::string&, std::string& value) {
    std::string answer;
    bool ok = TakeFront(inputAnswers, answer);
    if (ok) value = answer;
    calls.push_back({"input", caption, TMsgDlgType::mtCustom, 0, ok ? 1 : 0});
    return ok;
}

int ScriptedDialogService::ShowModalForm(TModalWindow& form) {
    // Recorded first, so that dialogs the form raises while answered follow it.
    const size_t at = calls.size();
    calls.push_back({"form", form.ModalName(), TMsgDlgType::mtCustom, 0, mrCancel});
    std::function<int(TModalWindow&)> answer;
    const int result = TakeFront(formAnswers, answer) ? answer(form) : mrCancel;
    calls[at].answer = result;
    return result;
}

std::vector<std::string> ScriptedDialogService::Messages() const {
    std::vector<std::string> r;
    for (const auto& c : calls)
        if (c.kind == "message") r.push_back(c.text);
    return r;
}

void ScriptedDialogService::Reset() { *this = ScriptedDialogService(); }

void ShowExceptionMessage(const std::string& message) {
    std::string text = message;
    if (!text.empty() && text.back() != '.') text += '.';
    Dialogs().MessageDlg(text, TMsgDlgType::mtError, mbOK);
}

} // namespace pem
