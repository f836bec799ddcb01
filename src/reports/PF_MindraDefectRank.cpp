#include "PF_MindraDefectRank.h"

#include "MindraReportTables.h"

namespace pem {

TQRfrm_MindraDefectRank::TQRfrm_MindraDefectRank()
    : TQRMindraReportForm("QRfrm_MindraDefectRank", "TQRfrm_MindraDefectRank", kDefectRankingSheet, DefectRankingColumns()) {
    SetCaption("Defect ranking");
}

} // namespace pem
