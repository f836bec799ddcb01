#include "PF_MindraProjectStat.h"

#include "MindraReportTables.h"

namespace pem {

TQRfrm_MindraProjectStat::TQRfrm_MindraProjectStat()
    : TQRMindraReportForm("QRfrm_MindraProjectStat", "TQRfrm_MindraProjectStat", kProjectStatisticSheet, ProjectStatisticColumns()) {
    SetCaption("Project statistic");
}

} // namespace pem
