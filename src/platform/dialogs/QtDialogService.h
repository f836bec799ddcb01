#pragma once
// The dialog service of the running program: real Qt dialogs.
#include "DialogService.h"

class QWidget;

namespace pem {

class QtDialogService : public DialogService {
public:
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int helpContext = 0) override;
    bool OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) override;
    bool SaveFile(const TOpenDialogRequest& req, std::string& file) override;
    bool SelectDirectory(const std::string& caption, const std::string& start, std::string& dir) override;
    bool ChooseFont(TFontSpec& font) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    void Beep() override;
    void FindText(const TFindRequest& req, const TFindEvent& onFind) override;
    bool SelectPrinter(const std::vector<std::string>& printers, std::string& printer) override;
};

} // namespace pem
