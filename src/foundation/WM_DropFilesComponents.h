#pragma once
// A button, a panel and a group box that receive the shell's dropped-files
// message. The form switches the message on (DragAcceptFiles) and reads the
// dropped names in OnWMDropFileMessage.
#include "Controls.h"
#include "DropRouter.h"

namespace pem {

class TBitBtnWM_Drop : public TBitBtn, public TDropFilesReceiver {
public:
    TBitBtnWM_Drop(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "");
    TWMDropfilesEvent OnWMDropFileMessage;
    void WMDropFiles(const TWMDropFiles& msg) override;
};

class TPanelWM_Drop : public TPanel, public TDropFilesReceiver {
public:
    TPanelWM_Drop(TComponent* owner, QWidget* parent, const std::string& name,
                  TLayoutKind layout = TLayoutKind::Vertical);
    TWMDropfilesEvent OnWMDropFileMessage;
    void WMDropFiles(const TWMDropFiles& msg) override;
};

class TGroupBoxWM_Drop : public TGroupBox, public TDropFilesReceiver {
public:
    TGroupBoxWM_Drop(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption = "",
                     TLayoutKind layout = TLayoutKind::Vertical);
    TWMDropfilesEvent OnWMDropFileMessage;
    void WMDropFiles(const TWMDropFiles& msg) override;
};

} // namespace pem
