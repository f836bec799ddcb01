#pragma once
// Deficiency listings as the viewer reads them, free of widgets: the
// sources with their statistics blocks, the rule names, and the items
// (problems, deficiencies, warnings) with the source lines they name; and
// the three trees of the items, by source, by level and by rule.
#include "ListingSource.h"

#include <string>
#include <string_view>
#include <vector>

namespace pem {

// One item of the listing.
struct TDefiDescriptor {
    int firstLine = -1; // -1 until a line number is given
    int lastLine = -1;
    unsigned char kind = 0; // 1 problem, 2 deficiency, 3 warning
    int sourceIndex = 0;    // into the sorted source names
    int ruleIndex = 0;      // into the sorted rule names
    // Sets the last line, and the first while it is still -1.
    void SetLastLine(int line);
};

struct TDefiListing {
    std::vector<std::string> sourceNames; // sorted (AnsiCompareText), no duplicates
    std::vector<int> sourceStatistics;    // per source: its statistics text, -1 none
    std::vector<std::string> statistics;  // the statistics texts, lines joined by CR LF
    std::vector<std::string> ruleNames;   // sorted, no duplicates
    std::vector<TDefiDescriptor> items;
    // Names refused as duplicates after a statistics block (listings whose
    // source names must be unique): each one a message for the status bar.
    std::vector<std::string> duplicateSources;
};

// Reads the listing's text. refuseDuplicateSources: a source header that
// repeats a known name keeps the current source for the statistics that
// follow (DL/I and SQL listings). Items and statistics before the first
// source header are dropped.
TDefiListing ReadDefiListing(std::string_view text, bool refuseDuplicateSources);
// The same, reading the file a block at a time; raises EFileError.
TDefiListing ReadDefiListingFile(const std::string& fileName, bool refuseDuplicateSources);

// The source header's name: after "|   SOURCE: ", before "PAGE:" and "|",
// trimmed; after its first "\" when it has one, else after its first "/".
std::string DefiSourceName(std::string_view line);

// Index of the name in a sorted name list (ignoring case), -1 none.
int IndexOfSortedName(const std::vector<std::string>& names, std::string_view name);

// "Problems", "Defi's", "Warnings".
const char* DefiKindName(int kind);
// What the counters show for a source without its statistics.
extern const char* const kDefiStatisticsMissing;
extern const char* const kDefiStatisticsWarning;

// The statistics text of a source; false when it has none of its own.
bool DefiStatistics(const TDefiListing& listing, int sourceIndex, std::string& text);

// The tree of a grouping, node by node in preorder, each naming its text
// by what it stands for (no text is made before it is shown).
struct TDefiTreeNode {
    enum TWhat : unsigned char { Source, Kind, Rule, Item };
    TWhat what;
    unsigned char level;
    int value; // the source, kind or rule; the item for Item
    int data;  // the item for source and item nodes, -1 for the others
};

class TDefiTree : public ITreeSource {
public:
    explicit TDefiTree(const TDefiListing& listing) : listing_(&listing) {}
    std::vector<TDefiTreeNode> Nodes;
    size_t Size() const override { return Nodes.size(); }
    int Level(size_t i) const override { return Nodes[i].level; }
    int Data(size_t i) const override { return Nodes[i].data; }
    int Image(size_t i) const override;
    int SelectedImage(size_t i) const override;
    std::string Text(size_t i) const override;

private:
    const TDefiListing* listing_;
};

// Sorts the items (stably) and describes the tree of that grouping into
// tree (its nodes replaced); data of source and item nodes: the item's
// index in the sorted items, of the other group nodes -1.
enum class TDefiGrouping { BySource, ByLevel, ByRuleName };
void GroupDefis(TDefiListing& listing, TDefiGrouping grouping, TDefiTree& tree);
// The same as tree lines.
TTreeLines GroupDefis(TDefiListing& listing, TDefiGrouping grouping);

// An item node's name: its first line, and "-" and its last line when they
// differ.
std::string DefiItemName(const TDefiDescriptor& item);

} // namespace pem
