// Default bodies of the main window's routines whose concerns are built
// elsewhere. Each does what can be done without its concern; the concern's
// own unit replaces the body here when it arrives.
#include "PemarisMain.h"

namespace pem {

// Seams of the job's life.
// Output directory: its check comes with the output-directory unit.
void TfrmPemarisMain::ValidateOutputDirectory() {}
// Result tabs: closing and freeing them comes with the result tabs.
void TfrmPemarisMain::CloseActiveEditorTab() {}
void TfrmPemarisMain::CloseAllEditorTabs() {}
// Result tabs: a test-case list (the method list) opened in a tab of its own.
void TfrmPemarisMain::OpenTestCaseReport(const std::string&) {}
// Runs: no watcher runs yet; no result gets a new name.
void TfrmPemarisMain::WaitForWatcher() {}
int TfrmPemarisMain::FinishResultNames() { return NumberOfRenamedModules; }


// Seams of the language selection.
// DOS start: no .pif files or AUTOEXEC.NT on this platform until the DOS start is built.
void TfrmPemarisMain::SetupDOSStart(bool) {}
// Word lists: loaded from the function table by the word-list unit.
void TfrmPemarisMain::LoadWordListFromFunctab() {}
// Output directory: checked by its own unit.
void TfrmPemarisMain::CheckOutputDirectory() {}
// Output directory: no language subfolder until that unit sets one.
std::string TfrmPemarisMain::LanguageSubfolder() { return {}; }

} // namespace pem
