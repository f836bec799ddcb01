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
        if (c < 0) lo = mid + 1;
        else hi = mid;
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

TDefiListing ReadDefiListing(std::string_view text, bool refuseDuplicateSources) {
    TDefiListing r;
    std::vector<std::string_view> lines;
    lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 2);
    ForEachListingLine(text, [&lines](std::string_view line) { lines.push_back(line); });
    lines.emplace_back("/");
    if (!lines.empty() && Starts(lines.front(), "/")) lines.erase(lines.begin());
    const size_t n = lines.size();

    // First pass: sources, their statistics, rule names.
    TNameCollector sources, rules;
    std::vector<int> statisticsOf; // per collected source
    int current = -1;
    std::string statistics;
    for (size_t i = 0; i < n; ++i) {
        const std::string_view line = lines[i];
        if (Starts(line, kSourcePrefix)) {
            const std::string name = DefiSourceName(line);
            bool added = false;
            const int index = sources.Add(name, added);
            if (added) statisticsOf.push_back(-1);
            if (added || !refuseDuplicateSources) {
                current = index;
                statistics.clear();
            } else if (!statistics.empty()) {
                statistics.clear();
                r.duplicateSources.push_back(name);
            }
        } else if (ItemKind(line) != 0) {
            bool added = false;
            rules.Add(RuleName(line), added);
        } else if (Starts(line, kStatisticsPrefix)) {
            statistics.clear();
            for (size_t k = i; k < n && k < i + kStatisticsLines; ++k) {
                const std::string_view part = BetweenBars(lines[k]);
                if (part.empty()) continue;
                if (!statistics.empty()) statistics += "\r\n";
                statistics += part;
            }
            r.statistics.push_back(statistics);
            if (current >= 0) statisticsOf[static_cast<size_t>(current)] = static_cast<int>(r.statistics.size()) - 1;
        }
    }
    std::vector<int> order;
    r.sourceNames = sources.Sorted(&order);
    r.sourceStatistics.reserve(order.size());
    for (int collected : order) r.sourceStatistics.push_back(statisticsOf[static_cast<size_t>(collected)]);
    r.ruleNames = rules.Sorted();

    // Second pass: the items and their source lines.
    current = -1;
    TDefiDescriptor* latest = nullptr;
    for (size_t i = 0; i < n; ++i) {
        const std::string_view line = lines[i];
        if (Starts(line, kSourcePrefix)) {
            current = IndexOfSortedName(r.sourceNames, DefiSourceName(line));
        } else if (const int kind = ItemKind(line); kind != 0) {
            latest = nullptr;
            if (current < 0) continue; // an item before any source
            TDefiDescriptor d;
            d.kind = static_cast<unsigned char>(kind);
            d.sourceIndex = current;
            d.ruleIndex = IndexOfSortedName(r.ruleNames, RuleName(line));
            r.items.push_back(d);
            latest = &r.items.back();
        } else if (!Starts(line, kStatisticsPrefix)) {
            if (!latest) continue;
            if (const std::optional<int> number = ParseInteger(LineRange(line, 2, 8))) latest->SetLastLine(*number);
        }
    }
    // Items without a line number show the lines of the item after them.
    for (size_t i = r.items.size(); i-- > 1;) {
        TDefiDescriptor& d = r.items[i - 1];
        if (d.firstLine == -1) d.firstLine = d.lastLine = r.items[i].lastLine;
    }
    return r;
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

TTreeLines GroupDefis(TDefiListing& listing, TDefiGrouping grouping) {
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

    enum TLevel { kSource, kKind, kRule };
    std::vector<TLevel> levels;
    switch (grouping) {
    case TDefiGrouping::BySource: levels = {kSource, kKind, kRule}; break;
    case TDefiGrouping::ByLevel: levels = {kKind, kRule, kSource}; break;
    case TDefiGrouping::ByRuleName: levels = {kRule, kSource}; break;
    }
    const auto value = [](TLevel l, const TDefiDescriptor& d) {
        return l == kSource ? d.sourceIndex : l == kKind ? int(d.kind) : d.ruleIndex;
    };

    TTreeLines tree;
    tree.reserve(items.size() + items.size() / 4);
    std::string lastItemName;
    for (size_t i = 0; i < items.size(); ++i) {
        const TDefiDescriptor& d = items[i];
        bool fresh = i == 0;
        for (size_t l = 0; l < levels.size(); ++l) {
            const TLevel level = levels[l];
            fresh = fresh || value(level, d) != value(level, items[i - 1]);
            if (!fresh) continue;
            const int depth = static_cast<int>(l);
            const int data = static_cast<int>(i);
            if (level == kSource)
                tree.push_back({depth, listing.sourceNames[static_cast<size_t>(d.sourceIndex)], 7, 8, data});
            else if (level == kKind) tree.push_back({depth, DefiKindName(d.kind), 5, 6, -1});
            else
                tree.push_back({depth,
                                d.ruleIndex >= 0 ? listing.ruleNames[static_cast<size_t>(d.ruleIndex)] : std::string(),
                                9, 9, -1});
            lastItemName.clear();
        }
        std::string name = DefiItemName(d);
        if (!fresh && name == lastItemName) continue;
        tree.push_back({static_cast<int>(levels.size()), name, 11, 11, static_cast<int>(i)});
        lastItemName = std::move(name);
    }
    return tree;
}

} // namespace pem
