#pragma once
// The table report: caption and value lines printed as a two-column table
// with main and sub headings under a page header that names the product,
// the data type, the element type and the systems. Each line of Items is a
// caption, a TAB and a data part: "#mainfejlec" marks a main heading and
// "#subfejlec" a sub heading (the caption is their text); any other data
// part is the value printed beside the caption, except that an empty data
// part or one beginning with "#" prints nothing.
#include "QRReportForm.h"
#include "StringList.h"

namespace pem {

// What one band of the table prints, decided from its line alone.
struct TXMLTableBand {
    enum Kind { Value, MainHeading, SubHeading } kind = Value;
    double heightPx = 17;     // at 96 dots per inch
    bool frameLines = false;  // lines above and below the band
    std::string mainCaption;  // QRLabelMainCaption
    std::string subCaption;   // QRLabelSubCaption
    std::string caption;      // QRLabelCaption
    std::string data;         // QRLabelData
};
TXMLTableBand XMLTableBandOf(const std::string& line);

class TQRfrm_XMLTable : public TQRReportForm {
public:
    TQRfrm_XMLTable();

    static constexpr const char* kHeader =
        "K o r v e x   C o m p r e h e n s i v e  M e t r i c s  P r i n t o u t ";

    // The strings band's lines.
    TStringList Items;
    // The header's value labels, set by whoever fills the report.
    std::string QRLabelProductName;
    std::string QRLabelTableName;
    std::string QRLabelElementType;
    std::string QRLabelSystemName;

    using TQRReportForm::Layout;
    TReportDocument Layout(const TTextMeasure& measure) const override;
    // The same with the date the header shows.
    TReportDocument LayoutDated(const TTextMeasure& measure, const std::string& date) const;
};

} // namespace pem
