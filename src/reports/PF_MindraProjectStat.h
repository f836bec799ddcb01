#pragma once
// Project statistic: one line per component with its head count, effort,
// elapsed time and costs, each with its unit.
#include "PF_MindraReport.h"

namespace pem {

class TQRfrm_MindraProjectStat : public TQRMindraReportForm<TProjectEntities> {
public:
    TQRfrm_MindraProjectStat();
};

} // namespace pem
