#pragma once
// Change statistic: a block of the five role rows per system, the impacts
// coloured by the change rate, the role shares of the impact.
#include "PF_MindraReport.h"

namespace pem {

class TQRfrm_MindraChangeStat : public TQRMindraReportForm<TChangeEntities> {
public:
    TQRfrm_MindraChangeStat();

    // The background of an impact.
    static unsigned ChangeRateColor(double impact) { return pem::ChangeRateColor(impact); }
};

} // namespace pem
