#pragma once
// The progress dialog created at start.
#include "Forms.h"

namespace pem {

class TfrmProgress : public TForm {
public:
    TfrmProgress();
};

} // namespace pem
