#include "MetricTemplates.h"

namespace pem {

// The defect export: the developers', testers' and managers' counts summed
// into "Self", the users' copied; completeness is spelled "Completness" here,
// as the evaluation tool reads it.
const char* const kTemplateDefiTavrelExport =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
    "<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->\n"
    "<QMETRICS>\n"
    "  <METRIC_FILE Product=\"Product\" System=\"System\" Version=\"0.0\" Date=\"150308\" Source=\"Mindra\"/>\n"
    "  <METRIC_ENTITY Entity=\"Entity\" EName=\"EName\" EType=\"PR\">\n"
    "    <Quantity_Metrics>\n"
    "      <Defects Type=\"Self\">\n"
    "        <Fatal_Self_Defects>0</Fatal_Self_Defects>\n"
    "        <Major_Self_Defects>0</Major_Self_Defects>\n"
    "        <Media_Self_Defects>0</Media_Self_Defects>\n"
    "        <Minor_Self_Defects>0</Minor_Self_Defects>\n"
    "        <Unknown_Self_Defects>0</Unknown_Self_Defects>\n"
    "        <Total_Self_Defects>0</Total_Self_Defects>\n"
    "        <Weighted_Self_Defects>0</Weighted_Self_Defects>\n"
    "      </Defects>\n"
    "      <Defects Type=\"User\">\n"
    "        <Fatal_User_Defects>0</Fatal_User_Defects>\n"
    "        <Major_User_Defects>0</Major_User_Defects>\n"
    "        <Media_User_Defects>0</Media_User_Defects>\n"
    "        <Minor_User_Defects>0</Minor_User_Defects>\n"
    "        <Unknown_User_Defects>0</Unknown_User_Defects>\n"
    "        <Total_User_Defects>0</Total_User_Defects>\n"
    "        <Weighted_User_Defects>0</Weighted_User_Defects>\n"
    "      </Defects>\n"
    "    </Quantity_Metrics>\n"
    "    <Quality_Metrics>\n"
    "      <Qualities>\n"
    "        <Completness>0.0</Completness>\n"
    "        <Conformity>0.0</Conformity>\n"
    "        <Impact>0.0</Impact>\n"
    "        <Quality>0.0</Quality>\n"
    "      </Qualities>\n"
    "    </Quality_Metrics>\n"
    "  </METRIC_ENTITY>\n"
    "</QMETRICS>\n";

const char* const kTemplateDefiComponentRanking =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
    "<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->\n"
    "<QMETRICS>\n"
    "  <METRIC_FILE Product=\"Product\" System=\"System\" Version=\"0.0\" Component=\"Component\" Date=\"150308\" "
    "Source=\"Mindra\"/>\n"
    "  <METRIC_ENTITY Entity=\"Entity\" EName=\"EName\" EType=\"PR\">\n"
    "    <Quantity_Metrics>\n"
    "      <Defects Type=\"Self\">\n"
    "        <Fatal_Self_Defects>0</Fatal_Self_Defects>\n"
    "        <Major_Self_Defects>0</Major_Self_Defects>\n"
    "        <Media_Self_Defects>0</Media_Self_Defects>\n"
    "        <Minor_Self_Defects>0</Minor_Self_Defects>\n"
    "        <Unknown_Self_Defects>0</Unknown_Self_Defects>\n"
    "        <Total_Self_Defects>0</Total_Self_Defects>\n"
    "        <Weighted_Self_Defects>0</Weighted_Self_Defects>\n"
    "      </Defects>\n"
    "    </Quantity_Metrics>\n"
    "  </METRIC_ENTITY>\n"
    "</QMETRICS>\n";

const char* const kTemplateChngTavrelExport =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
    "<!--DOCTYPE EMETRICS SYSTEM \"Emetrics.xsd\"-->\n"
    "<EMETRICS>\n"
    "  <METRIC_FILE Product=\"Product\" System=\"System\" Version=\"0.0\" Date=\"150308\" Source=\"WOLMIRA\"/>\n"
    "  <METRIC_ENTITY Entity=\"Entity\" EName=\"EName\" EType=\"CR\">\n"
    "    <Quantity_Metrics>\n"
    "      <Changes Type=\"Self\">\n"
    "        <Extend_Self_Changes>0</Extend_Self_Changes>\n"
    "        <Adapt_Self_Changes>0</Adapt_Self_Changes>\n"
    "        <Perfect_Self_Changes>0</Perfect_Self_Changes>\n"
    "        <Convert_Self_Changes>0</Convert_Self_Changes>\n"
    "        <Integr_Self_Changes>0</Integr_Self_Changes>\n"
    "        <Total_Self_Changes>0</Total_Self_Changes>\n"
    "        <Impact_Self_Changes>0.0</Impact_Self_Changes>\n"
    "      </Changes>\n"
    "      <Changes Type=\"User\">\n"
    "        <Extend_User_Changes>0</Extend_User_Changes>\n"
    "        <Adapt_User_Changes>0</Adapt_User_Changes>\n"
    "        <Perfect_User_Changes>0</Perfect_User_Changes>\n"
    "        <Convert_User_Changes>0</Convert_User_Changes>\n"
    "        <Integr_User_Changes>0</Integr_User_Changes>\n"
    "        <Total_User_Changes>0</Total_User_Changes>\n"
    "        <Impact_User_Changes>0.0</Impact_User_Changes>\n"
    "      </Changes>\n"
    "    </Quantity_Metrics>\n"
    "    <Quality_Metrics>\n"
    "      <Qualities>\n"
    "        <Completeness>0.0</Completeness>\n"
    "        <Conformity>0.0</Conformity>\n"
    "        <Impact>0.0</Impact>\n"
    "        <Quality>0.0</Quality>\n"
    "      </Qualities>\n"
    "    </Quality_Metrics>\n"
    "  </METRIC_ENTITY>\n"
    "</EMETRICS>\n";

// No Component attribute: the conversion appends it.
const char* const kTemplateChngComponentRanking =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
    "<!--DOCTYPE EMETRICS SYSTEM \"Emetrics.xsd\"-->\n"
    "<EMETRICS>\n"
    "  <METRIC_FILE Product=\"Product\" System=\"System\" Version=\"0.0\" Date=\"150308\" Source=\"WOLMIRA\"/>\n"
    "  <METRIC_ENTITY Entity=\"Entity\" EName=\"EName\" EType=\"CR\">\n"
    "    <Quantity_Metrics>\n"
    "      <Changes Type=\"Self\">\n"
    "        <Extend_Self_Changes>0</Extend_Self_Changes>\n"
    "        <Adapt_Self_Changes>0</Adapt_Self_Changes>\n"
    "        <Perfect_Self_Changes>0</Perfect_Self_Changes>\n"
    "        <Convert_Self_Changes>0</Convert_Self_Changes>\n"
    "        <Integr_Self_Changes>0</Integr_Self_Changes>\n"
    "        <Total_Self_Changes>0</Total_Self_Changes>\n"
    "        <Impact_Self_Changes>0.0</Impact_Self_Changes>\n"
    "      </Changes>\n"
    "    </Quantity_Metrics>\n"
    "  </METRIC_ENTITY>\n"
    "</EMETRICS>\n";

// One component of a project; the conversion appends Component to METRIC_FILE.
const char* const kTemplateProjectStatistics =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
    "<!--DOCTYPE PMETRICS SYSTEM \"pmetrics.xsd\"-->\n"
    "<PMETRICS>\n"
    "  <METRIC_FILE Product=\"Product\" System=\"System\" Version=\"0.0\" Date=\"22.06.11\" Source=\"TENDRUP\"/>\n"
    "  <METRIC_ENTITY Entity=\"Project\" EName=\"EName\" EType=\"EType\">\n"
    "    <Project_Metrics>\n"
    "      <StartDate>01/01/2011</StartDate>\n"
    "      <EndDate>01/01/2011</EndDate>\n"
    "      <HeadCount>0</HeadCount>\n"
    "      <Effort Unit=\"Months\">0</Effort>\n"
    "      <ElapsedTime Unit=\"Months\">0</ElapsedTime>\n"
    "      <Accumulated_Costs Unit=\"Euro\">0</Accumulated_Costs>\n"
    "    </Project_Metrics>\n"
    "  </METRIC_ENTITY>\n"
    "</PMETRICS>\n";

TReportTemplates BuiltInReportTemplates() {
    return {kTemplateDefiTavrelExport, kTemplateDefiComponentRanking, kTemplateChngTavrelExport,
            kTemplateChngComponentRanking, kTemplateProjectStatistics};
}

} // namespace pem
