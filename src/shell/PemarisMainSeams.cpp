// Default bodies of the main window's routines whose concerns are built
// elsewhere. Each does what can be done without its concern; the concern's
// own unit replaces the body here when it arrives.
#include "PemarisMain.h"

namespace pem {

// Seams of the job's life.
// Output directory: its check comes with the output-directory unit.
void TfrmPemarisMain::ValidateOutputDirectory() {}
// Runs: no watcher runs yet; no result gets a new name.
void TfrmPemarisMain::WaitForWatcher() {}
int TfrmPemarisMain::FinishResultNames() { return NumberOfRenamedModules; }


// Seams of the language selection.
// Word lists: loaded from the function table by the word-list unit.
void TfrmPemarisMain::LoadWordListFromFunctab() {}
// Output directory: checked by its own unit.
void TfrmPemarisMain::CheckOutputDirectory() {}
// Output directory: no language subfolder until that unit sets one.
std::string TfrmPemarisMain::LanguageSubfolder() { return {}; }

} // namespace pem
