#include "PF_MindraChangeRank.h"

#include "MindraReportTables.h"

namespace pem {

TQRfrm_MindraChangeRank::TQRfrm_MindraChangeRank()
    : TQRMindraReportForm("QRfrm_MindraChangeRank", "TQRfrm_MindraChangeRank", kChangeRankingSheet, ChangeRankingColumns()) {
    SetCaption("Change ranking");
}

} // namespace pem
