#pragma once
// Defect statistic: a block of the five role rows per system, the weighted
// totals coloured by the defect level, the role shares of the weighted defects.
#include "PF_MindraReport.h"

namespace pem {

class TQRfrm_MindraDefectStat : public TQRMindraReportForm<TErrorEntities> {
public:
    TQRfrm_MindraDefectStat();

    // The background of a weighted total.
    static unsigned DefectLevelColor(std::int64_t weighted) { return pem::DefectLevelColor(weighted); }
};

} // namespace pem
