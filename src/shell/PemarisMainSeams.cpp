// Default bodies of the main window's routines whose concerns are built
// elsewhere. Each does what can be done without its concern; the concern's
// own unit replaces the body here when it arrives.
#include "PemarisMain.h"

namespace pem {

// Seams of the job's life.
// Runs: no watcher runs yet; no result gets a new name.
void TfrmPemarisMain::WaitForWatcher() {}
int TfrmPemarisMain::FinishResultNames() { return NumberOfRenamedModules; }

} // namespace pem
