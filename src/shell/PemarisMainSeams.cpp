// Default bodies of the main window's routines whose concerns are built
// elsewhere. Each does what can be done without its concern; the concern's
// own unit replaces the body here when it arrives.
#include "PemarisMain.h"

namespace pem {

// Product INI file: loaded into the technical-parameters memo.
void TfrmPemarisMain::ShowProductIniFile() {}
void TfrmPemarisMain::ApplyIniSettings(int) {}
void TfrmPemarisMain::ApplyLanguageExtras() {}

// Language selection.
void TfrmPemarisMain::RadioButtonClick(TComponent* sender) {
    if (auto* rb = dynamic_cast<TRadioButton*>(sender)) {
        ActiveRadioButton = rb;
        SelectLanguage(rb->Name());
    }
}
void TfrmPemarisMain::SelectLanguage(const std::string&) {}

// Modified flag and closing.
void TfrmPemarisMain::SetModified(bool value) {
    Modified = value;
    if (ActSaveProject) ActSaveProject->SetEnabled(value);
}
void TfrmPemarisMain::FormCloseQuery(TComponent*, bool& canClose) { canClose = true; }
void TfrmPemarisMain::ActionListMainExecute(TAction*, bool&) {}

// Job file.
void TfrmPemarisMain::LoadProject(const std::string&) {}
void TfrmPemarisMain::CheckBackgroundBatch() {}
void TfrmPemarisMain::ClearProject() {}

// Runs and structure.
void TfrmPemarisMain::ActSwitchOffLogExecute(TComponent*) {}
void TfrmPemarisMain::ActCalculateCommonRootExecute(TComponent*) {}

// Pick frames.
void TfrmPemarisMain::CreatePickFrames() {}
void TfrmPemarisMain::SetOutputDirectoryReadOnly(bool) {}

} // namespace pem
