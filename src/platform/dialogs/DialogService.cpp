#include "DialogService.h"

#include <QDialog>
#include <QWidget>

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
    if (messageHook) messageHook(text);
    return answer;
}

bool ScriptedDialogService::OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) {
    fileRequests.push_back(req);
    std::vector<std::string> answer;
    bool ok = TakeFront(fileAnswers, answer);
    if (ok) files = answer;
    calls.push_back({"open", req.title, TMsgDlgType::mtCustom, 0, ok ? 1 : 0});
    return ok && !answer.empty();
}

bool ScriptedDialogService::SaveFile(const TOpenDialogRequest& req, std::string& file) {
    fileRequests.push_back(req);
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
    fontRequests.push_back(font);
    TFontSpec answer;
    bool ok = TakeFront(fontAnswers, answer);
    if (ok && !answer.name.empty()) font = answer;
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

int DialogService::ShowModal(QDialog* dialog) { return dialog->exec() == QDialog::Accepted ? mrOk : mrCancel; }
int DialogService::ShowModal(TModalWindow& form) { return form.RunModal(); }
void DialogService::FindText(const TFindRequest&, const TFindEvent&) {}
bool DialogService::SelectPrinter(const std::vector<std::string>&, std::string&) { return false; }

int ScriptedDialogService::ShowModal(QDialog* dialog) {
    dialog->setResult(-1);
    dialog->show();
    if (modalHook) modalHook(dialog);
    int answer = mrOk;
    if (dialog->isVisible()) {
        TakeFront(modalAnswers, answer);
        dialog->hide();
    } else {
        answer = dialog->result() == QDialog::Accepted ? mrOk : mrCancel;
    }
    calls.push_back({"modal", dialog->objectName().toStdString(), TMsgDlgType::mtCustom, 0, answer});
    return answer;
}

int ScriptedDialogService::ShowModal(TModalWindow& form) {
    QWidget* w = form.ModalWidget();
    form.SetModalResult(mrNone);
    w->show();
    if (formHook) formHook(form);
    int answer = form.ModalResult();
    if (answer == mrNone) {
        answer = mrOk;
        TakeFront(modalAnswers, answer);
        form.SetModalResult(answer);
    }
    w->hide();
    calls.push_back({"modal", w->objectName().toStdString(), TMsgDlgType::mtCustom, 0, answer});
    return answer;
}

void ScriptedDialogService::FindText(const TFindRequest& req, const TFindEvent& onFind) {
    findRequests.push_back(req);
    calls.push_back({"find", req.title, TMsgDlgType::mtCustom, 0, static_cast<int>(findAnswers.size())});
    std::vector<std::string> texts;
    texts.swap(findAnswers);
    for (const auto& t : texts) onFind(t);
}

bool ScriptedDialogService::SelectPrinter(const std::vector<std::string>&, std::string& printer) {
    std::string answer;
    bool ok = TakeFront(printerAnswers, answer);
    if (ok) printer = answer;
    calls.push_back({"printer", printer, TMsgDlgType::mtCustom, 0, ok ? 1 : 0});
    return ok;
}

std::vector<TFileFilter> ParseDialogFilter(const std::string& filter) {
    std::vector<TFileFilter> out;
    std::vector<std::string> parts;
    size_t from = 0;
    while (true) {
        size_t bar = filter.find('|', from);
        parts.push_back(filter.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
        if (bar == std::string::npos) break;
        from = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) out.push_back({parts[i], parts[i + 1]});
    return out;
}

std::string DialogFilterString(const std::vector<TFileFilter>& filters) {
    std::string s;
    for (const auto& f : filters) {
        if (!s.empty()) s += '|';
        s += f.caption + '|' + f.masks;
    }
    return s;
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
