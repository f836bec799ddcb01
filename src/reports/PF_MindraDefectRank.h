#pragma once
// Defect ranking: one line per component, by weighted defects from the
// largest down, the weighted total coloured by the defect level.
#include "PF_MindraReport.h"

namespace pem {

class TQRfrm_MindraDefectRank : public TQRMindraReportForm<TErrorEntities> {
public:
    TQRfrm_MindraDefectRank();

    // The background of a weighted total.
    static unsigned DefectLevelColor(std::int64_t weighted) { return pem::DefectLevelColor(weighted); }
};

} // namespace pem
