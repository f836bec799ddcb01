#pragma once
// The dialog service of a program without a display: no dialog waits for an
// answer nobody can give. Each question is written to standard error with
// the answer taken: the one that leaves the user's files and job as they are
// ("No" where it is offered), else the dialog's default button (its first).
// File, folder, font and input dialogs count as cancelled; the program's own
// forms as closed.
#include "DialogService.h"

#include <cstdio>

namespace pem {

class HeadlessDialogService : public DialogService {
public:
    explicit HeadlessDialogService(std::FILE* out = stderr) : out_(out) {}
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int helpContext = 0) override;
    bool OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) override;
    bool SaveFile(const TOpenDialogRequest& req, std::string& file) override;
    bool SelectDirectory(const std::string& caption, const std::string& start, std::string& dir) override;
    bool ChooseFont(TFontSpec& font) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    void Beep() override {}
    int ShowModal(QDialog* dialog) override;
    int ShowModal(TModalWindow& form) override;
    void FindText(const TFindRequest&, const TFindEvent&) override {}
    bool SelectPrinter(const std::vector<std::string>&, std::string&) override { return false; }

    // The answer taken for a message dialog with these buttons.
    static int AnswerFor(unsigned buttons);

private:
    void Say(const std::string& line);
    std::FILE* out_;
};

} // namespace pem
