#pragma once
// Change ranking: one line per component, by impact from the largest down,
// the impact coloured by the change rate.
#include "PF_MindraReport.h"

namespace pem {

class TQRfrm_MindraChangeRank : public TQRMindraReportForm<TChangeEntities> {
public:
    TQRfrm_MindraChangeRank();

    // The background of an impact.
    static unsigned ChangeRateColor(double impact) { return pem::ChangeRateColor(impact); }
};

} // namespace pem
