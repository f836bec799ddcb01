#include "Progress.h"

namespace pem {

TfrmProgress::TfrmProgress() : TForm("frmProgress", "TfrmProgress") { SetCaption("Importing...."); }

} // namespace pem
