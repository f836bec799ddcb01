#include "DefiListing.h"

#include "CharSet1252.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <unordered_map>

namespace pem {

namespace {

constexpr std::string_view kSourcePrefix = "|   SOURCE: ";
constexpr std::string_view kStatisticsPrefix = "|   Number of major Rule Violations =";
constexpr int kStatisticsLines = 10; // the line itself and the nine after it

bool Starts(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// 1 problem, 2 deficiency, 3 warning; 0 for any other line.
int ItemKind(std::string_view line) {
    if (line.size() < 6 || line[0] != '|' || line[1] != ' ') return 0;
    const std::string_view tag = line.substr(2, 4);
    if (tag == "PROB") return 1;
    if (tag == "DEFI") return 2;
    if (tag == "WARN") return 3;
    return 0;
}

// The text after the first "|" from `from` on and before the next "|",
// trimmed.
std::string_view BetweenBars(std::string_view s) {
    const size_t bar = s.find('|');
    if (bar == std::string_view::npos) return {};
    s = s.substr(bar + 1);
    return TrimView(s.substr(0, s.find('|')));
}

std::string_view RuleName(std::string_view line) { return BetweenBars(line.substr(6)); }

// A list of distinct names (ignoring case, the first spelling kept), sorted
// once at the end.
class TNameCollector {
public:
    // The name's index in collection order; added tells whether it is new.
    int Add(std::string_view name, bool& added) {
        auto [it, inserted] = index_.try_emplace(AnsiLowerCase(name), static_cast<int>(names_.size()));
        added = inserted;
        if (inserted) names_.emplace_back(name);
        return it->second;
    }
    // The names sorted; order[k] is the collection index of sorted name k.
    std::vector<std::string> Sorted(std::vector<int>* order = nullptr) {
        std::vector<int> o(names_.size());
        std::iota(o.begin(), o.end(), 0);
        std::sort(o.begin(), o.end(), [this](int a, int b) {
            return AnsiCompareText(names_[static_cast<size_t>(a)], names_[static_cast<size_t>(b)]) < 0;
        });
        std::vector<std::string> sorted;
        sorted.reserve(o.size());
        for (int i : o) sorted.push_back(std::move(names_[static_cast<size_t>(i)]));
        if (order) *order = std::move(o);
        return sorted;
    }

private:
    std::vector<std::string> names_;
    std::unordered_map<std::string, int> index_;
};

} // namespace

const char* const kDefiStatisticsMissing =
    "Statistical data is not available.\r\nThe DEFI listing was incomplete\r\nProbably embedded binary zeros can be "
    "found\r\nin a source program literal\r\n";
const char* const kDefiStatisticsWarning = "Probably embedded binary zeros can be found in a source program literal";

void TDefiDescriptor::SetLastLine(int line) {
    lastLine = line;
    if (firstLine == -1) firstLine = line;
}

std::string DefiSourceName(std::string_view line) {
    std::string_view name = line.substr(std::min(line.size(), kSourcePrefix.size()));
    name = name.substr(0, name.find("PAGE:"));
    name = TrimView(name.substr(0, name.find('|')));
    if (const size_t bs = name.find('\\'); bs != std::string_view::npos) return std::string(name.substr(bs + 1));
    if (const size_t sl = name.find('/'); sl != std::string_view::npos) return std::string(name.substr(sl + 1));
    return std::string(name);
}

int IndexOfSortedName(const std::vector<std::string>& names, std::string_view name) {
    size_t lo = 0, hi = names.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const int c = AnsiCompareText(names[mid], name);
        if (c == 0) return static_cast<int>(mid);
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return -1;
}

const char* DefiKindName(int kind) {
    switch (kind) {
    case 1: return "Problems";
    case 2: return "Defi's";
    case 3: return "Warnings";
    default: return "";
    }
}

namespace {

// Reads the listing line by line in one pass: sources and rules are
// collected as they come and sorted at the end, the items' indexes then
// mapped to the sorted lists.
class TDefiReader {
public:
    explicit TDefiReader(bool refuseDuplicates) : refuse_(refuseDuplicates) {}

    void Line(std::string_view line) {
        if (first_) {
            first_ = false;
            if (Starts(line, "/")) return; // a first line beginning with "/" is not read
        }
        if (collect_ > 0) {
            --collect_;
            Collect(line);
        }
        if (Starts(line, kSourcePrefix)) {
            open_ = false;
            const std::string name = DefiSourceName(line);
            bool added = false;
            const int index = sources_.Add(name, added);
            if (added) statisticsOf_.push_back(-1);
            // Items belong to the source named; statistics to the source
            // taken up, which a refused name leaves as it was.
            itemSource_ = index;
            if (added || !refuse_) {
                statisticsSource_ = index;
                pending_ = false;
            } else if (pending_) {
                pending_ = false;
                r_.duplicateSources.push_back(name);
            }
        } else if (const int kind = ItemKind(line); kind != 0) {
            latest_ = -1;
            bool added = false;
            const int rule = rules_.Add(RuleName(line), added);
            if (itemSource_ < 0) return; // an item before any source
            TDefiDescriptor d;
            d.kind = static_cast<unsigned char>(kind);
            d.sourceIndex = itemSource_;
            d.ruleIndex = rule;
            r_.items.push_back(d);
            latest_ = static_cast<int>(r_.items.size()) - 1;
        } else if (Starts(line, kStatisticsPrefix)) {
            r_.statistics.emplace_back();
            pending_ = false;
            open_ = true;
            collect_ = kStatisticsLines - 1;
            Collect(line);
            if (statisticsSource_ >= 0)
                statisticsOf_[static_cast<size_t>(statisticsSource_)] = static_cast<int>(r_.statistics.size()) - 1;
        } else if (latest_ >= 0) {
            if (const std::optional<int> number = ParseInteger(LineRange(line, 2, 8)))
                r_.items[static_cast<size_t>(latest_)].SetLastLine(*number);
        }
    }

    TDefiListing Finish() {
        std::vector<int> sourceOrder, ruleOrder;
        r_.sourceNames = sources_.Sorted(&sourceOrder);
        r_.ruleNames = rules_.Sorted(&ruleOrder);
        const std::vector<int> sourceAt = Positions(sourceOrder), ruleAt = Positions(ruleOrder);
        r_.sourceStatistics.reserve(sourceOrder.size());
        for (int collected : sourceOrder) r_.sourceStatistics.push_back(statisticsOf_[static_cast<size_t>(collected)]);
        for (TDefiDescriptor& d : r_.items) {
            d.sourceIndex = sourceAt[static_cast<size_t>(d.sourceIndex)];
            d.ruleIndex = ruleAt[static_cast<size_t>(d.ruleIndex)];
        }
        // Items without a line number show the lines of the item after them.
        for (size_t i = r_.items.size(); i-- > 1;) {
            TDefiDescriptor& d = r_.items[i - 1];
            if (d.firstLine == -1) d.firstLine = d.lastLine = r_.items[i].lastLine;
        }
        return std::move(r_);
    }

private:
    // The statistics text's part of a line: between its first two bars.
    void Collect(std::string_view line) {
        const std::string_view part = BetweenBars(line);
        if (part.empty()) return;
        std::string& text = r_.statistics.back();
        if (!text.empty()) text += "\r\n";
        text += part;
        // The block counts as the text a header clears until a header came.
        if (open_) pending_ = true;
    }
    // For each collected index, its place in the sorted order.
    static std::vector<int> Positions(const std::vector<int>& order) {
        std::vector<int> at(order.size());
        for (size_t k = 0; k < order.size(); ++k) at[static_cast<size_t>(order[k])] = static_cast<int>(k);
        return at;
    }

    bool refuse_;
    bool first_ = true;
    TDefiListing r_;
    TNameCollector sources_, rules_;
    std::vector<int> statisticsOf_; // per collected source
    int itemSource_ = -1, statisticsSource_ = -1;
    int latest_ = -1;      // the item source line numbers go to
    int collect_ = 0;      // lines still to collect into the statistics
    bool pending_ = false; // statistics text collected since the last source taken up
    bool open_ = false;    // no source header since the statistics line
};

} // namespace

TDefiListing ReadDefiListing(std::string_view text, bool refuseDuplicateSources) {
    TDefiReader reader(refuseDuplicateSources);
    ForEachListingLine(text, [&reader](std::string_view line) { reader.Line(line); });
    return reader.Finish();
}

TDefiListing ReadDefiListingFile(const std::string& fileName, bool refuseDuplicateSources) {
    TDefiReader reader(refuseDuplicateSources);
    ForEachFileLine(fileName, [&reader](std::string_view line) { reader.Line(line); });
    return reader.Finish();
}

bool DefiStatistics(const TDefiListing& listing, int sourceIndex, std::string& text) {
    const int s = sourceIndex >= 0 && sourceIndex < static_cast<int>(listing.sourceStatistics.size())
                      ? listing.sourceStatistics[static_cast<size_t>(sourceIndex)]
                      : -1;
    if (s < 0 || s >= static_cast<int>(listing.statistics.size())) {
        text = kDefiStatisticsMissing;
        return false;
    }
    text = listing.statistics[static_cast<size_t>(s)];
    return true;
}

std::string DefiItemName(const TDefiDescriptor& item) {
    std::string name = std::to_string(item.firstLine);
    if (item.lastLine != item.firstLine) name += "-" + std::to_string(item.lastLine);
    return name;
}

int TDefiTree::Image(size_t i) const {
    switch (Nodes[i].what) {
    case TDefiTreeNode::Source: return 7;
    case TDefiTreeNode::Kind: return 5;
    case TDefiTreeNode::Rule: return 9;
    default: return 11;
    }
}

int TDefiTree::SelectedImage(size_t i) const {
    switch (Nodes[i].what) {
    case TDefiTreeNode::Source: return 8;
    case TDefiTreeNode::Kind: return 6;
    default: return Image(i);
    }
}

std::string TDefiTree::Text(size_t i) const {
    const TDefiTreeNode& n = Nodes[i];
    const auto name = [](const std::vector<std::string>& names, int k) {
        return k >= 0 && k < static_cast<int>(names.size()) ? names[static_cast<size_t>(k)] : std::string();
    };
    switch (n.what) {
    case TDefiTreeNode::Source: return name(listing_->sourceNames, n.value);
    case TDefiTreeNode::Kind: return DefiKindName(n.value);
    case TDefiTreeNode::Rule: return name(listing_->ruleNames, n.value);
    default: return DefiItemName(listing_->items[static_cast<size_t>(n.value)]);
    }
}

void GroupDefis(TDefiListing& listing, TDefiGrouping grouping, TDefiTree& tree) {
    auto& items = listing.items;
    // The keys of each grouping, top level first; the first line last.
    const auto key = [grouping](const TDefiDescriptor& d) {
        switch (grouping) {
        case TDefiGrouping::BySource: return std::array<int, 4>{d.sourceIndex, d.kind, d.firstLine, 0};
        case TDefiGrouping::ByLevel: return std::array<int, 4>{d.kind, d.ruleIndex, d.sourceIndex, d.firstLine};
        case TDefiGrouping::ByRuleName: return std::array<int, 4>{d.ruleIndex, d.kind, d.sourceIndex, d.firstLine};
        }
        return std::array<int, 4>{};
    };
    std::stable_sort(items.begin(), items.end(),
                     [&key](const TDefiDescriptor& a, const TDefiDescriptor& b) { return key(a) < key(b); });

    using W = TDefiTreeNode::TWhat;
    std::vector<W> levels;
    switch (grouping) {
    case TDefiGrouping::BySource: levels = {W::Source, W::Kind, W::Rule}; break;
    case TDefiGrouping::ByLevel: levels = {W::Kind, W::Rule, W::Source}; break;
    case TDefiGrouping::ByRuleName: levels = {W::Rule, W::Source}; break;
    }
    const auto value = [](W w, const TDefiDescriptor& d) {
        return w == W::Source ? d.sourceIndex : w == W::Kind ? int(d.kind) : d.ruleIndex;
    };

    tree.Nodes.clear();
    tree.Nodes.reserve(items.size() + items.size() / 4);
    int lastItem = -1; // the item node added last under the current group
    for (size_t i = 0; i < items.size(); ++i) {
        const TDefiDescriptor& d = items[i];
        bool fresh = i == 0;
        for (size_t l = 0; l < levels.size(); ++l) {
            const W w = levels[l];
            fresh = fresh || value(w, d) != value(w, items[i - 1]);
            if (!fresh) continue;
            tree.Nodes.push_back(
                {w, static_cast<unsigned char>(l), value(w, d), w == W::Source ? static_cast<int>(i) : -1});
            lastItem = -1;
        }
        // An item named as the item node before it under the same group (the
        // same first and last lines) makes no node.
        if (lastItem >= 0 && items[static_cast<size_t>(lastItem)].firstLine == d.firstLine &&
            items[static_cast<size_t>(lastItem)].lastLine == d.lastLine)
            continue;
        tree.Nodes.push_back(
            {W::Item, static_cast<unsigned char>(levels.size()), static_cast<int>(i), static_cast<int>(i)});
        lastItem = static_cast<int>(i);
    }
}

TTreeLines GroupDefis(TDefiListing& listing, TDefiGrouping grouping) {
    TDefiTree tree(listing);
    GroupDefis(listing, grouping, tree);
    return TreeLinesOf(tree);
}

} // namespace pem
