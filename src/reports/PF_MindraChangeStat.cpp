#include "PF_MindraChangeStat.h"

#include "MindraReportTables.h"

namespace pem {

TQRfrm_MindraChangeStat::TQRfrm_MindraChangeStat()
    : TQRMindraReportForm("QRfrm_MindraChangeStat", "TQRfrm_MindraChangeStat", kChangeStatisticSheet, ChangeStatisticColumns()) {
    SetCaption("Change statistic");
}

} // namespace pem
