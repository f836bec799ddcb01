#pragma once
// The metric document templates the report conversion fills: an export
// document for the evaluation tool and a component document per document
// kind, and the project statistics document. Their values are placeholders
// that the conversion overwrites. The compound metrics window holds them in
// its string-list holders; the texts are kept here so that widget-free code
// and tests can read them as well.
#include <string>

namespace pem {

extern const char* const kTemplateDefiTavrelExport;       // STHXML_Defi_TavrelExport
extern const char* const kTemplateDefiComponentRanking;   // STHXML_Defi_ComponentRanking
extern const char* const kTemplateChngTavrelExport;       // STHXML_Chng_TavrelExport
extern const char* const kTemplateChngComponentRanking;   // STHXML_Chng_ComponentRanking
extern const char* const kTemplateProjectStatistics;      // STHXML_Project_Statistics

// The five template texts as the conversion reads them.
struct TReportTemplates {
    std::string DefiTavrelExport;
    std::string DefiComponentRanking;
    std::string ChngTavrelExport;
    std::string ChngComponentRanking;
    std::string ProjectStatistics;
};

// The built-in texts above.
TReportTemplates BuiltInReportTemplates();

// The compound metrics document before it is filled (STHXML_Sample): every
// value element with its Caption, the groups with their Header or
// SubHeader, comments between the requirement, design, code and test parts.
extern const char* const kTemplateCompoundSample;
// Document type to kind label, one "type=label" line each; a line starting
// with ";" is a disabled type; the last line holds a single blank
// (StLHKodToLabel).
extern const char* const kKodToLabelTable;
// Kind to document type and short code (StLHLabelToKod); kept for the
// window's holder, read nowhere here.
extern const char* const kLabelToKodTable;
// The read-only list of the XML editor (STHXML_Type_List): empty, so that
// the editor marks nothing read-only.
extern const char* const kTypeListTemplate;

} // namespace pem
