#pragma once
// The common form of the five statistics and ranking reports: a page header
// with the title, the product name and version, date and page; one strings
// band whose entries carry the records (the total last); the columns every
// entry prints, from the form's table.
#include "MindraReportLayout.h"
#include "QRReportForm.h"

#include <vector>

namespace pem {

template <class R>
class TQRMindraReportForm : public TQRReportForm {
public:
    TQRMindraReportForm(const std::string& name, const char* className, const TMindraSheet& sheet,
                        const std::vector<TMindraColumn<R>>& columns)
        : TQRReportForm(name, className), sheet_(sheet), columns_(columns) {}

    // The entries of the strings band QRStringsBandDataLine: the sort key
    // and the record of each line, the total last. Set for a report and
    // cleared when it has been shown.
    std::vector<TReportEntry<R>> Items;
    // The page header's value labels.
    std::string QRLabelProductName;
    std::string QRLabelVersion;
    std::string QRLabelSystem;  // rankings and the project statistic

    const TMindraSheet& Sheet() const { return sheet_; }

    using TQRReportForm::Layout;
    TReportDocument Layout(const TTextMeasure& measure) const override { return LayoutDated(measure, ReportToday()); }
    // The same with the date the header shows.
    TReportDocument LayoutDated(const TTextMeasure& measure, const std::string& date) const {
        return LayoutMindraReport(sheet_, columns_, Items,
                                  {ReportTitle, QRLabelProductName, QRLabelVersion, QRLabelSystem, date}, measure);
    }

private:
    const TMindraSheet& sheet_;
    const std::vector<TMindraColumn<R>>& columns_;
};

} // namespace pem
