#pragma once
// The compound metrics of many metric documents, free of widgets: counters
// summed over the files of the kinds that carry them, the code qualities
// averaged weighted by size, the requirement, design and test values given
// as the middle of their range; the result filled into the compound
// template, with the elements that came out 0 and the groups left empty
// pruned; and the caption and value lines of its printed table.
#include "StringList.h"
#include "TessalyXML.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pem {

class TCompoundMetrics {
public:
    TCompoundMetrics();

    // One file of the list: nothing when it does not exist (false);
    // otherwise its kind label and system join the lists, and its values the
    // sums. A required element the file lacks, or a value that does not
    // convert, raises the document model's error.
    bool AddFile(const std::string& fileName, const std::string& kindLabel, const std::string& system);
    // The same for a document already read (cleaned).
    void AddDocument(TMyXMLNodeList& doc, const std::string& kindLabel, const std::string& system);

    // The result document as text (CR LF, two blanks per level, no
    // declaration), made from the template text.
    std::string ResultText(const std::string& templateText, const std::string& productName,
                           const std::string& date) const;

    int FilesSummed() const { return summed_; }
    // The comma lists as they stand (each item with its trailing ",").
    const std::string& Labels() const { return labels_; }
    const std::string& Systems() const { return systems_; }

    // The values as the result shows them, for a look before pruning.
    std::int32_t Counter(const std::string& element) const;
    double Real(const std::string& element) const;

private:
    void NoteLists(const std::string& kindLabel, const std::string& system);

    std::vector<std::int32_t> counters_;
    int summed_ = 0;
    std::array<double, 3> weighted_{};  // complexity, conformity, quality
    std::int32_t totalWeight_ = 0;
    std::array<double, 9> min_{};
    std::array<double, 9> max_{};
    std::string labels_, systems_;
};

// The prune of a filled compound document: every element whose value reads
// as 0 goes, then twice every element from Quantity_Metrics on that holds
// neither a value nor a child.
void PruneCompoundDocument(TMyXMLNodeList& doc);

// What the table report of a compound document prints.
struct TComprehensiveReport {
    std::string Title;         // product "_" system "_Comprehensive_Report"
    std::string SystemsLabel;  // ESystems of METRIC_ENTITY
    std::string TableLabel;    // its EType
    TStringList Lines;         // caption TAB " " value, or heading TAB "#mainfejlec" / "#subfejlec"
};
TComprehensiveReport ComprehensiveReportOf(const std::string& compoundText, const std::string& productName,
                                           const std::string& systemName);

// Today as "yyyy-mm-dd".
std::string CompoundDate();

} // namespace pem
