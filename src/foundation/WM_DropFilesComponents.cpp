#include "WM_DropFilesComponents.h"

namespace pem {

// Without a handler the message gets the default handling, which does
// nothing with it.

TBitBtnWM_Drop::TBitBtnWM_Drop(TComponent* owner, QWidget* parent, const std::string& name,
                               const std::string& caption)
    : TBitBtn(owner, parent, name, caption, "TBitBtnWM_Drop") {}

void TBitBtnWM_Drop::WMDropFiles(const TWMDropFiles& msg) {
    if (OnWMDropFileMessage) OnWMDropFileMessage(this, msg);
}

TPanelWM_Drop::TPanelWM_Drop(TComponent* owner, QWidget* parent, const std::string& name, TLayoutKind layout)
    : TPanel(owner, parent, name, layout, "TPanelWM_Drop") {}

void TPanelWM_Drop::WMDropFiles(const TWMDropFiles& msg) {
    if (OnWMDropFileMessage) OnWMDropFileMessage(this, msg);
}

TGroupBoxWM_Drop::TGroupBoxWM_Drop(TComponent* owner, QWidget* parent, const std::string& name,
                                   const std::string& caption, TLayoutKind layout)
    : TGroupBox(owner, parent, name, caption, layout, "TGroupBoxWM_Drop") {}

void TGroupBoxWM_Drop::WMDropFiles(const TWMDropFiles& msg) {
    if (OnWMDropFileMessage) OnWMDropFileMessage(this, msg);
}

} // namespace pem
