#pragma once
// The dialog service of the running program: real Qt dialogs.
#include "DialogService.h"

class QFileDialog;
class QFontDialog;
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

// How the file and font dialogs are set up before they are shown.
// A file dialog shows each filter's text as the request gives it and
// filters by its masks; it opens in the request's folder with its file name.
void SetUpFileDialog(QFileDialog& dialog, const TOpenDialogRequest& req);
// The font dialog lists fixed-pitch families only, the font preselected as
// OfferedFixedFont gives it.
void SetUpFontDialog(QFontDialog& dialog, const TFontSpec& font);

} // namespace pem
