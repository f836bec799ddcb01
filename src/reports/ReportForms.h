#pragma once
// The windows of the evaluation: compound metrics, the limits dialog and the
// report forms, created at start and shown on demand.
#include "CompoundMetrics.h"
#include "Forms.h"
#include "GetLimits.h"

namespace pem {

// A report form: one per report layout.
class TQRReportForm : public TForm {
public:
    TQRReportForm(const std::string& name, const char* className) : TForm(name, className) {}
};

#define PEM_REPORT_FORM(cls, name)                                                                                  \
    class cls : public TQRReportForm {                                                                              \
    public:                                                                                                         \
        cls() : TQRReportForm(name, #cls) {}                                                                        \
    };

PEM_REPORT_FORM(TQRfrm_XMLTable, "QRfrm_XMLTable")
PEM_REPORT_FORM(TQRfrm_HardCopy, "QRfrm_HardCopy")
PEM_REPORT_FORM(TQRfrm_MindraChangeRank, "QRfrm_MindraChangeRank")
PEM_REPORT_FORM(TQRfrm_MindraChangeStat, "QRfrm_MindraChangeStat")
PEM_REPORT_FORM(TQRfrm_MindraDefectRank, "QRfrm_MindraDefectRank")
PEM_REPORT_FORM(TQRfrm_MindraDefectStat, "QRfrm_MindraDefectStat")
PEM_REPORT_FORM(TQRfrm_MindraProjectStat, "QRfrm_MindraProjectStat")

#undef PEM_REPORT_FORM

} // namespace pem
