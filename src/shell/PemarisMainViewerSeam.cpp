// Default body of the simple-viewer road: the result tabs join it to their
// own opening of a file; until then a written report is not shown.
#include "PemarisMain.h"

namespace pem {

void TfrmPemarisMain::OpenInSimpleViewer(const std::string&) {}

} // namespace pem
