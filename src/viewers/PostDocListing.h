#pragma once
// Post-documentation listings as the viewer reads them, free of widgets:
// the native listings of a program read together, structure headers with
// their title, description and column header, the listing cleaned of them,
// boxes turned into dashes and equal neighbours joined; the structures
// become a tree of sources and structure kinds, and each structure's
// entries (interfaces, procedures, the nested decisions, data flows with
// their inputs, predicates and outputs) are derived from its memo lines.
#include "ListingSource.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

// The structure titles of kinds 1 to 5 ("" for any other).
const char* PostDocStructureTitle(int kind);

extern const char* const kPostDocHeader;

// The files whose lines a post-documentation tab shows: a native listing
// (any extension but "." and the language code) brings every native listing
// of the program that exists beside it, in the order ".inf", ".prc", ".dec",
// ".dat", ".use"; the joined listing comes alone. resolve gives the
// existing file for a name (its letter case may differ), "" for none.
using TResolveFile = std::function<std::string(const std::string&)>;
std::vector<std::string> PostDocListingFiles(const std::string& fileName, const std::string& languageCode,
                                             const TResolveFile& resolve);

// The structure that a header line opens.
struct TSpecsDescriptor {
    int sourceIndex = 0;      // into the source names
    int kind = 0;             // 1 to 5, 0 when no title matched
    std::string description;  // the header block, lines joined by CR LF
    std::string columnHeader; // "" none
    int firstLine = 0;        // the line after the header line
    int lineCount = 0;        // lines up to the next structure
};

struct TPostDocListing {
    std::vector<std::string> sourceNames;
    std::vector<std::string> lines; // cleaned
    std::vector<int> descriptorOf;  // per line: its structure, -1 none
    std::vector<TSpecsDescriptor> descriptors;
};

TPostDocListing ReadPostDocListing(std::vector<std::string> lines);

// Sources (images 7/8) with their structures (images 5/6); data: the
// descriptor index.
TTreeLines PostDocStructureTree(const TPostDocListing& listing);

// The structure's lines as the memo shows them: every "|" a blank.
std::vector<std::string> PostDocStructureMemo(const TPostDocListing& listing, int descriptor);
// The column header label: 44 dashes, CR LF and the column header.
std::string PostDocHeaderText(const TSpecsDescriptor& d);

// The entries of a structure from its memo lines, as children of the
// structure node (level 0 below it). Data: the entry's first memo line
// (the line of a data-flow row for its inputs, predicates and outputs);
// fillers and groups carry none. compressed: data-flow rows hang directly
// below their entry.
TTreeLines PostDocEntryNodes(const std::vector<std::string>& memo, int kind, bool compressed);

// The source line number of an entry's memo line: characters 2 to 6 for
// kinds 1 and 2, 5 to 9 for kind 3.
std::optional<int> PostDocEntrySourceLine(std::string_view memoLine, int kind);

} // namespace pem
