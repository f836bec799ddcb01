#include "DragDrop.h"
#include "DragDropFile.h"
#include "DragDropFormats.h"
#include "DragDropPIDL.h"
#include "DragDropText.h"

namespace pem {

// The units register in a fixed order, so that the map's runs of entries
// follow it: feedback, text, item list, file formats.
void InitialiseDragDrop() {
    static bool done = false;
    if (done && !DragDropShuttingDown()) return;
    done = true;
    InitialiseDragDropCore();
    InitialiseDragDropFormats();
    InitialiseDragDropText();
    InitialiseDragDropPIDL();
    InitialiseDragDropFile();
}

} // namespace pem
