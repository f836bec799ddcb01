#pragma once
// The compound metrics window. It holds, in string-list holders, the metric
// document templates that the report conversion reads through its single
// instance. The window's own controls come with the compound metrics
// computation.
#include "Forms.h"
#include "MetricTemplates.h"
#include "StringListHolder.h"

namespace pem {

class TfrmCompoundMetrics : public TForm {
public:
    TfrmCompoundMetrics();

    TStringListHolder* STHXML_Defi_TavrelExport;
    TStringListHolder* STHXML_Defi_ComponentRanking;
    TStringListHolder* STHXML_Chng_TavrelExport;
    TStringListHolder* STHXML_Chng_ComponentRanking;
    TStringListHolder* STHXML_Project_Statistics;

    // The report templates as the holders hold them.
    TReportTemplates ReportTemplates() const;

    // The instance made at start-up; null before it is made.
    static TfrmCompoundMetrics* Instance();
};

} // namespace pem
