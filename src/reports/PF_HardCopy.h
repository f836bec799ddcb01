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
    // Prints page by page as the lines are laid out: a listing of any length
    // goes to the printer (or the PDF file) without being held as pages.
    void Print() const override;

private:
    // The document without its pages, and the pages one at a time.
    TReportDocument Head(const TTextMeasure& measure) const;
    void LayoutPages(const TTextMeasure& measure, const TPageSink& sink) const;
};

// The hard-copy form made at start (one of the program's own when there is
// none, as in tests of the main window alone).
TQRfrm_HardCopy& HardCopyForm();

} // namespace pem
