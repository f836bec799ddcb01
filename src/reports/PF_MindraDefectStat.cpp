#include "PF_MindraDefectStat.h"

#include "MindraReportTables.h"

namespace pem {

TQRfrm_MindraDefectStat::TQRfrm_MindraDefectStat()
    : TQRMindraReportForm("QRfrm_MindraDefectStat", "TQRfrm_MindraDefectStat", kDefectStatisticSheet, DefectStatisticColumns()) {
    SetCaption("Defect statistic");
}

} // namespace pem
