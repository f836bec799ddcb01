#pragma once
// The XML viewer window: shows and edits metric documents in a window of
// its own.
#include "Forms.h"

namespace pem {

class TfrmXMLViewer : public TForm {
public:
    TfrmXMLViewer() : TForm("frmXMLViewer", "TfrmXMLViewer") { SetCaption("XML viewer"); }
};

} // namespace pem
