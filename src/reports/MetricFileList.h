#pragma once
// The metric file list of the compound metrics window, free of widgets: what
// a metric document's head says (type, product, system), the entry text the
// list shows for a file, which files may enter the list and why the others
// may not, the common root folder of the ticked files, and the metrics file
// lists (".flst") that keep a selection.
#include "StringList.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace pem {

// What the head of a metric document says; "?" where it says nothing.
struct TMetricFileHeader {
    std::string Type = "?";
    std::string Product = "?";
    std::string System = "?";
};

// Reads at most the first 10 lines of the file (nothing when it is missing
// or no regular file): the type from a DOCTYPE comment, then from the root
// tag ("...METRICS>" or "...METRIC>"), which decides when both are there;
// product and system from the " Product" and " System" attributes. No line
// is read after the one that gave the system.
TMetricFileHeader ReadMetricFileHeader(const std::string& fileName);
// The same for the lines of a head already read.
TMetricFileHeader ParseMetricFileHeader(const std::vector<std::string>& lines);

// An entry of the list: product, TAB, system, TAB, type, TAB, " - ", path.
std::string MetricEntryText(const TMetricFileHeader& header, const std::string& path);
struct TMetricEntry {
    std::string Product, System, Type, Path;
};
TMetricEntry SplitMetricEntry(const std::string& entry);
// The file an entry stands for.
std::string MetricEntryPath(const std::string& entry);

// The kind label of a document type in the type table ("" none); the label
// of a disabled type stands under ";" + type.
std::string KindLabelOf(const TStringList& kodToLabel, const std::string& type);
std::string DisabledLabelOf(const TStringList& kodToLabel, const std::string& type);

// One pass of adding files to the list: each file examined once against the
// entries already listed and those added before it in the same pass.
class TMetricImport {
public:
    struct TNewEntry {
        std::string Text;
        bool Ticked = false;
    };

    TMetricImport(const TStringList& kodToLabel, std::string productName,
                  const std::vector<std::string>& listedEntries);

    // Whether the file entered the list. A file without ".xml" extension is
    // passed over silently; a file whose type has no "METRIC" or no kind
    // label (a disabled type, a missing file) is noted in the invalid list;
    // an entry already listed is neither added nor noted. A new entry is
    // ticked when its product is the job's (case ignored).
    bool Check(const std::string& fileName);

    const std::vector<TNewEntry>& Added() const { return added_; }
    // "," + name + " - " + type [+ "(" + label + ")"] per refused file.
    const std::string& InvalidList() const { return invalid_; }

private:
    const TStringList& table_;
    std::string product_;
    std::unordered_set<std::string> listed_;
    std::vector<TNewEntry> added_;
    std::string invalid_;
};

// The common root of the files: the folder names all of them share from the
// start, of which only the first M - 1 count (M the most names any file's
// folder has), as "/a/" with a trailing "/"; "/" when nothing is shared or
// there is no file. Files on different drives have none: ok is false then.
std::string CommonRootOf(const std::vector<std::string>& paths, bool& ok);

// A metrics file list: one path per line, LF line ends.
std::string MetricsFileListText(const std::vector<std::string>& paths);
// The lines of a metrics file list (CR LF or LF); raises EFileError when it
// cannot be read.
std::vector<std::string> ReadMetricsFileList(const std::string& fileName);

} // namespace pem
