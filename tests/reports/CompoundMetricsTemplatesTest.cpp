// The metric document templates on the compound metrics window: their
// shape, and that the conversion reads them from the window's instance.
#include "CompoundMetrics.h"
#include "ReportsTestSupport.h"
#include "ScannerReportEntry.h"
#include "QtTestSupport.h"

#include <gtest/gtest.h>

using namespace pem;
using namespace pemtest;

TEST(MetricTemplates, HoldersCarryEachTemplateAsAMetricDocument) {
    EnsureQApp();
    TfrmCompoundMetrics form;
    struct Case {
        const char* holder;
        const char* docType;
        const char* root;
        const char* fileAttributes;
        const char* entityAttributes;
        const char* groups;  // the Type of each counter group
        bool qualities;
    };
    const Case cases[] = {
        {"STHXML_Defi_TavrelExport", "<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->", "QMETRICS",
         R"( Product="Product" System="System" Version="0.0" Date="150308" Source="Mindra")",
         R"( Entity="Entity" EName="EName" EType="PR")", "Self,User", true},
        {"STHXML_Defi_ComponentRanking", "<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->", "QMETRICS",
         R"( Product="Product" System="System" Version="0.0" Component="Component" Date="150308" Source="Mindra")",
         R"( Entity="Entity" EName="EName" EType="PR")", "Self", false},
        {"STHXML_Chng_TavrelExport", "<!--DOCTYPE EMETRICS SYSTEM \"Emetrics.xsd\"-->", "EMETRICS",
         R"( Product="Product" System="System" Version="0.0" Date="150308" Source="WOLMIRA")",
         R"( Entity="Entity" EName="EName" EType="CR")", "Self,User", true},
        {"STHXML_Chng_ComponentRanking", "<!--DOCTYPE EMETRICS SYSTEM \"Emetrics.xsd\"-->", "EMETRICS",
         R"( Product="Product" System="System" Version="0.0" Date="150308" Source="WOLMIRA")",
         R"( Entity="Entity" EName="EName" EType="CR")", "Self", false},
        {"STHXML_Project_Statistics", "<!--DOCTYPE PMETRICS SYSTEM \"pmetrics.xsd\"-->", "PMETRICS",
         R"( Product="Product" System="System" Version="0.0" Date="22.06.11" Source="TENDRUP")",
         R"( Entity="Project" EName="EName" EType="EType")", "", false},
    };
    for (const Case& c : cases) {
        auto* holder = dynamic_cast<TStringListHolder*>(form.FindComponent(c.holder));
        ASSERT_NE(holder, nullptr) << c.holder;
        auto doc = TMyXMLNodeList::CreateFromText(holder->StringList().Text());
        EXPECT_EQ(doc->ProcessingHeader, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n") << c.holder;
        EXPECT_EQ(doc->DocTypeHeader, std::string(c.docType) + "\r\n") << c.holder;
        EXPECT_EQ(doc->NodeName(0), c.root) << c.holder;
        EXPECT_EQ(doc->NodeAttributes(doc->NodeByTag("METRIC_FILE")->Index), c.fileAttributes) << c.holder;
        EXPECT_EQ(doc->NodeAttributes(doc->NodeByTag("METRIC_ENTITY")->Index), c.entityAttributes) << c.holder;
        std::string groups;
        for (int i = 0; i < doc->Count(); ++i)
            if (doc->NodeName(i) == "Defects" || doc->NodeName(i) == "Changes")
                groups += (groups.empty() ? "" : ",") + doc->NodeAt(i)->GetAttribute("Type");
        EXPECT_EQ(groups, c.groups) << c.holder;
        EXPECT_EQ(doc->HasTag("Quality_Metrics"), c.qualities) << c.holder;
    }
    // The spellings of completeness differ between the two exports.
    EXPECT_TRUE(TMyXMLNodeList::CreateFromText(kTemplateDefiTavrelExport)->HasTag("Completness"));
    EXPECT_TRUE(TMyXMLNodeList::CreateFromText(kTemplateChngTavrelExport)->HasTag("Completeness"));
    auto project = TMyXMLNodeList::CreateFromText(kTemplateProjectStatistics);
    for (const auto& [tag, unit] : {std::pair{"Effort", "Months"}, {"ElapsedTime", "Months"},
                                    {"Accumulated_Costs", "Euro"}})
        EXPECT_EQ(AttributeOf(*project, tag, "Unit"), unit) << tag;
}

TEST(MetricTemplates, TheConversionReadsTheWindowsHolders) {
    EnsureQApp();
    ReportOutput output;
    output.PlaceReport("Sales", ReportFixture("defects_Sales.xml"));
    {
        TfrmCompoundMetrics form;
        ASSERT_EQ(TfrmCompoundMetrics::Instance(), &form);
        TStringList& text = form.STHXML_Defi_TavrelExport->StringList();
        for (int i = 0; i < text.Count(); ++i)
            if (text[i].find("Qmetrics.xsd") != std::string::npos) text.Put(i, "<!--DOCTYPE QMETRICS SYSTEM \"Edited.xsd\"-->");
        ConvertScannerReportAfterRun(output.Settings(kDocumentKindDefects, "Sales"), {});
    }
    EXPECT_EQ(TfrmCompoundMetrics::Instance(), nullptr);
    auto exp = LoadDocument(output.Folder(kDocumentKindDefects) + "Exports/Sales.xml");
    EXPECT_EQ(exp->DocTypeHeader, "<!--DOCTYPE QMETRICS SYSTEM \"Edited.xsd\"-->\r\n");
    auto component = LoadDocument(output.Folder(kDocumentKindDefects) + "Components/Sales_Billing.xml");
    EXPECT_EQ(component->DocTypeHeader, "<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->\r\n");
}
