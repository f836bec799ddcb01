// Default bodies of the main window's routines whose concerns are built
// elsewhere. Each does what can be done without its concern; the concern's
// own unit replaces the body here when it arrives.
#include "PemarisMain.h"

namespace pem {

// Seams of the job's life.
// Source-file list: the language's file-list definitions.
void TfrmPemarisMain::LoadFileListDefinitions(TRadioButton*) {}
// Structure: the compacted component and module lists.
void TfrmPemarisMain::ClearStructureLists() {}
// Runs: no watcher runs yet; no result gets a new name.
void TfrmPemarisMain::WaitForWatcher() {}
int TfrmPemarisMain::FinishResultNames() { return NumberOfRenamedModules; }

// Runs and structure.
void TfrmPemarisMain::ActSwitchOffLogExecute(TComponent*) {}
void TfrmPemarisMain::ActCalculateCommonRootExecute(TComponent*) {}


// Seams of the language selection.
// Metric weights: refilled by the job settings' own unit.
void TfrmPemarisMain::RefillMetricWeights() {}

} // namespace pem
