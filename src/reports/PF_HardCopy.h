#pragma once
// The hard-copy report: plain text lines in a fixed-pitch font, TABs to
// eight columns, long lines wrapped. A line beginning with "/" is a page
// break and is not printed; a page break before anything was printed gives
// no empty first page, so only later breaks start pages (two in a row leave
// an empty page).
#include "DialogService.h"
#include "QRReportForm.h"
#include "StringList.h"

namespace pem {

class TQRfrm_HardCopy : public TQRReportForm {
public:
    TQRfrm_HardCopy();

    // The strings band's lines.
    TStringList Items;
    // The font the lines print in (the program sets the viewer font).
    TFontSpec Font{"Lucida Console", 1, 10, -13};

    using TQRReportForm::Layout;
    TReportDocument Layout(const TTextMeasure& measure) const override;
};

} // namespace pem
