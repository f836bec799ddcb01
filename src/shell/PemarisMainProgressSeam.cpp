// Default body of the progress group's showing: the job settings' unit
// replaces it with the full one (the window grows and shrinks with it).
#include "PemarisMain.h"

namespace pem {

void TfrmPemarisMain::SetProgressBarsVisible(bool show) { GroupBoxSlider->SetVisible(show); }

} // namespace pem
