#pragma once
// The windows of the evaluation: compound metrics, the limits dialog and the
// report forms, created at start and shown on demand.
#include "CompoundMetrics.h"
#include "Forms.h"
#include "GetLimits.h"
#include "PF_HardCopy.h"
#include "PF_XMLTable.h"
#include "QRReportForm.h"

namespace pem {

#define PEM_REPORT_FORM(cls, name)                                                                                  \
    class cls : public TQRReportForm {                                                                              \
    public:                                                                                                         \
        cls() : TQRReportForm(name, #cls) {}                                                                        \
    };

PEM_REPORT_FORM(TQRfrm_MindraChangeRank, "QRfrm_MindraChangeRank")
PEM_REPORT_FORM(TQRfrm_MindraChangeStat, "QRfrm_MindraChangeStat")
PEM_REPORT_FORM(TQRfrm_MindraDefectRank, "QRfrm_MindraDefectRank")
PEM_REPORT_FORM(TQRfrm_MindraDefectStat, "QRfrm_MindraDefectStat")
PEM_REPORT_FORM(TQRfrm_MindraProjectStat, "QRfrm_MindraProjectStat")

#undef PEM_REPORT_FORM

} // namespace pem
