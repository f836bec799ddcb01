#pragma once
// The tools' parameter document ("last.xml") composed from a snapshot of the
// job. In the same pass every source gets its number and its place in the
// input tree under "workinp" (the input-tree entries the run preparation
// copies by and the renaming after a run reads back), and a batch run gets
// its tool calls (one per source or per module).
//
// Composing is a pure function: it reads the snapshot and touches neither
// widgets nor files. The run preparation makes the folders ("workinp", the
// work folder) and saves the lines; the main window builds the snapshot.
//
// The document is plain text built line by line, one blank of indentation
// per level; values are written as they are (the tools read them
// unescaped), so texts that would end an element or an attribute are refused
// before anything is composed.
#include "BatchScript.h"
#include "Exceptions.h"
#include "InputTreeEntries.h"
#include "StringList.h"

#include <array>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pem {

class TSourceFileList;
class TModularStructure;

// A job the document cannot carry (a name holding "<", a source without a
// sub-processor ...); the message says what and where.
class EParameterDocument : public Exception {
public:
    using Exception::Exception;
};

// The option check boxes of an analysis, in the order of their attributes.
enum TParameterOption {
    poAudit, poRedoc, poCalc, poComments, poExports, poLabels, poBranches, poCalls, poMacros, poIOs, poRepo_Tab,
    poCount
};

struct TOptionBox {
    bool visible = false; // the box's own flag: hidden tabs and windows do not matter
    bool checked = false;
};

// One row of the limits grid: its value (second column) and its name (third).
struct TLimitAttribute {
    std::string value;
    std::string name;
};

// Which sub-processor of the sub-processor group handles an extension.
class TSubProcessorMap {
public:
    // extension=name for every extension the filter's masks name (every
    // second "|" part, "*" removed, split at ";").
    void AddFilter(const std::string& name, const std::string& filter);
    // Of two names for one extension the one that sorts first stays (the
    // order of a sorted list that ignores duplicates).
    void Add(const std::string& extension, const std::string& name);
    // The sub-processor of an extension, letter case ignored; "" for none.
    std::string Lookup(const std::string& extension) const;
    bool Empty() const { return byExtension_.empty(); }

private:
    std::unordered_map<std::string, std::string> byExtension_; // lower-cased extension -> name
};

// The job as the document sees it.
struct TParameterJob {
    int runMode = 1;        // 1 analysis, 3 word scanner, 4 test designer, 5 test tools, 6 search
    int productKind = 0;    // 0..8
    int structureLevel = 2; // 0, 1, 2, 3 or 99 (flat list); other levels keep both levels
    std::string programName; // the product's program name; the root element is its upper case
    std::string languageCode;    // "WAA": a sub-processor run
    std::string languageVersion; // the selected version's text
    std::string productName, systemName, version;

    std::array<TOptionBox, poCount> options{};
    // The parameter pages shown as tabs.
    bool metricsTab = false, specsTab = false, rulesTab = false, limitsTab = false;
    bool wordScanTab = false, functabTab = false;
    std::vector<std::string> metricWeights; // one per metric; a missing one reads "1"
    int metricCount = 0;                     // items of the metrics list
    std::vector<bool> specs, rules;          // ticks of the two lists
    std::vector<TLimitAttribute> limits;
    std::string searchType; // the value of the chosen search type
    std::string searchText; // the search field's text

    // The sources (every entry, ticked or not) and the structure computed
    // for them; the structure is read for levels other than 99.
    const TSourceFileList* files = nullptr;
    const TModularStructure* structure = nullptr;
    std::string commonRoot;      // without trailing "/"
    std::string outputDirectory; // as typed
    std::string functabFile;     // the function table's path
    std::string repoTabFile;     // the repository table's path
    bool nameByDirectory = false; // one system per module
    bool testToolInputs = false;  // the list holds "label=path" test-tool entries
    std::string toolExecutable;   // the analysis tool; its folder holds the sub-processors
    const TSubProcessorMap* subProcessors = nullptr;
};

struct TParameterDocument {
    TStringList lines;         // the document, one line per entry
    TInputTreeEntries entries; // sorted once, in line order
    // A batch run (sub-processors or systems named by directory) and its
    // per-source or per-module tool calls; the first call of a module
    // carries the module number as its marker.
    bool batchRun = false;
    std::vector<TBatchLine> batchLines;
    int moduleTotal = 0; // the last module number given
    // long=short and short=long pairs of shortened extensions, to be set in
    // the long-extension list in this order.
    std::vector<std::pair<std::string, std::string>> extensionPairs;
    // Entries whose names the document cannot carry ("<", ">", control
    // characters) are left out as unticked ones are; a warning for each
    // that the run would have taken.
    std::vector<std::string> leftOut;
};

// Composes the document. Raises EParameterDocument for a job it cannot carry.
TParameterDocument ComposeParameterDocument(const TParameterJob& job);

// The structure level applied to an entry text ("KEYnnnn=value") or to an
// input-tree path: level 1 drops the component level, level 0 the component
// and the module level, other levels change nothing.
std::string CollapseEntryLevels(const std::string& text, int level);

// The extension used in the input tree: more than four characters (with the
// dot) become the upper case of the first four (".cobol" gives ".COB"),
// shorter ones are only put in upper case.
std::string ShortenExtension(const std::string& extension);
// The long extension a short one was made from, by the long-extension lines
// (name=value, names compared ignoring case); the extension itself when none
// is known. True when they differ.
bool RestoreLongExtension(const TStringList& longExtensions, const std::string& extension,
                          std::string& longExtension);
// Sets the pairs in the long-extension lines, in order.
void SetExtensionPairs(TStringList& longExtensions, const std::vector<std::pair<std::string, std::string>>& pairs);

} // namespace pem
