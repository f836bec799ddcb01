#include "CompoundMetrics.h"

namespace pem {

namespace {

TStringListHolder* MakeHolder(TComponent* owner, const char* name, const char* text) {
    auto* holder = new TStringListHolder(owner, name);
    holder->StringList().SetText(text);
    return holder;
}

} // namespace

TfrmCompoundMetrics::TfrmCompoundMetrics() : TForm("frmCompoundMetrics", "TfrmCompoundMetrics") {
    SetCaption("Create compound metrics");
    STHXML_Defi_TavrelExport = MakeHolder(this, "STHXML_Defi_TavrelExport", kTemplateDefiTavrelExport);
    STHXML_Defi_ComponentRanking = MakeHolder(this, "STHXML_Defi_ComponentRanking", kTemplateDefiComponentRanking);
    STHXML_Chng_TavrelExport = MakeHolder(this, "STHXML_Chng_TavrelExport", kTemplateChngTavrelExport);
    STHXML_Chng_ComponentRanking = MakeHolder(this, "STHXML_Chng_ComponentRanking", kTemplateChngComponentRanking);
    STHXML_Project_Statistics = MakeHolder(this, "STHXML_Project_Statistics", kTemplateProjectStatistics);
}

TReportTemplates TfrmCompoundMetrics::ReportTemplates() const {
    return {STHXML_Defi_TavrelExport->StringList().Text(), STHXML_Defi_ComponentRanking->StringList().Text(),
            STHXML_Chng_TavrelExport->StringList().Text(), STHXML_Chng_ComponentRanking->StringList().Text(),
            STHXML_Project_Statistics->StringList().Text()};
}

TfrmCompoundMetrics* TfrmCompoundMetrics::Instance() {
    return dynamic_cast<TfrmCompoundMetrics*>(Screen().FindForm("frmCompoundMetrics"));
}

} // namespace pem
