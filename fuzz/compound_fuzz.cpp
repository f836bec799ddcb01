// Fuzz target for the metric documents the compound metrics and the XML
// editor read: the input as the head of a metric file, as an entry of the
// import list, as a metric document of each kind summed into compound
// metrics, as a compound document turned into report lines, and as a
// document whose editor rows are built and marked from a read-only list
// (the input again). Any input must end normally or with the program's own
// exceptions; a crash or a sanitizer report is a finding.
#include <cstdint>
#include <string>
#include <vector>

#include "CompoundComputation.h"
#include "Exceptions.h"
#include "MetricFileList.h"
#include "MetricTemplates.h"
#include "TessalyXML.h"
#include "XMLEditRows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size() && lines.size() < 12) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    pem::ParseMetricFileHeader(lines);
    pem::SplitMetricEntry(text);

    std::unique_ptr<pem::TMyXMLNodeList> doc;
    try {
        doc = pem::TMyXMLNodeList::CreateFromText(text);
    } catch (const pem::Exception&) {
        return 0;
    }
    pem::TCompoundMetrics metrics;
    for (const char* label : {"Prc. Code", "OO Code", "Interface", "Data", "Test Case", "Requirement", "Design"}) {
        try {
            metrics.AddDocument(*doc, label, "S");
        } catch (const pem::Exception&) {
        }
    }
    metrics.ResultText(pem::kTemplateCompoundSample, "P", "2011-01-07");
    try {
        pem::ComprehensiveReportOf(text, "P", "S");
    } catch (const pem::Exception&) {
    }
    try {
        pem::TXMLEditRows rows = pem::BuildXMLEditRows(*doc);
        pem::MarkReadOnlyRows(rows, *doc, text);
    } catch (const pem::Exception&) {
    }
    return 0;
}
