#include "PostDocListing.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "SharedRoutinesCommon.h"

namespace pem {

namespace {

const char* const kTitles[] = {"",
                               "Interface  Structure",
                               "Procedural Structure",
                               "Decisional Structure",
                               "Data Flow  Structure",
                               "Used Data  Structure"};
const char* const kNativeExtensions[] = {".inf", ".prc", ".dec", ".dat", ".use"};

bool Starts(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string ReplaceBars(std::string s) {
    for (char& c : s)
        if (c == '|') c = ' ';
    return s;
}

std::string Capitalized(std::string_view s) { return CapitalizeFirst(TrimView(s)); }

// Where a data-flow row's columns go.
enum TFlowGroup { kInputs, kPredicates, kOutputs };
const char* const kGroupNames[] = {"Inputs/Arguments", "Predicates", "Outputs/Results"};
const int kGroupImages[] = {1, 3, 2};

} // namespace

const char* const kPostDocHeader = "/ Post Documentation of Program:";

const char* PostDocStructureTitle(int kind) { return kTitles[kind >= 1 && kind <= 5 ? kind : 0]; }

std::vector<std::string> PostDocListingFiles(const std::string& fileName, const std::string& languageCode,
                                             const TResolveFile& resolve) {
    if (SameText(ExtractFileExt(fileName), "." + languageCode)) return {fileName};
    std::vector<std::string> files;
    for (const char* ext : kNativeExtensions) {
        const std::string f = resolve(ChangeFileExt(fileName, ext));
        if (!f.empty()) files.push_back(f);
    }
    return files;
}

TPostDocListing ReadPostDocListing(std::vector<std::string> lines) {
    TPostDocListing r;
    const int n = static_cast<int>(lines.size());
    const auto at = [&lines, n](int i) -> const std::string& {
        static const std::string none;
        return i >= 0 && i < n ? lines[static_cast<size_t>(i)] : none;
    };
    std::vector<char> marked(lines.size(), 0);
    std::vector<int> descriptorOf(lines.size(), -1);
    std::vector<TSpecsDescriptor> found;

    for (int i = 0; i < n; ++i) {
        const std::string& line = lines[static_cast<size_t>(i)];
        if (!Starts(line, kPostDocHeader)) continue;
        const std::string_view rest = std::string_view(line).substr(std::string_view(kPostDocHeader).size());
        const std::string name = ListedSourceName(TrimView(rest.substr(0, rest.find("Date:"))));
        if (r.sourceNames.empty() || r.sourceNames.back() != name) r.sourceNames.push_back(name);
        TSpecsDescriptor d;
        d.sourceIndex = static_cast<int>(r.sourceNames.size()) - 1;
        // The title: the third header line before the source name and ":".
        std::string_view third = at(i + 2);
        if (!name.empty()) third = third.substr(0, third.find(name));
        third = third.substr(0, third.find(':'));
        const std::string_view title = TrimView(LineFrom(third, 2));
        for (int kind = 1; kind <= 5; ++kind)
            if (title == kTitles[kind]) d.kind = kind;
        if (i + 2 < n) marked[static_cast<size_t>(i + 2)] = 1;
        // The description, up to the first box.
        int k = i + 3;
        for (bool first = true; k < n && !Starts(at(k), "+--"); ++k, first = false) {
            const std::string& l = at(k);
            const int len = static_cast<int>(l.size());
            if (!first) d.description += "\r\n";
            d.description += std::string(TrimView(LineRange(l, 2, len - 2)));
            marked[static_cast<size_t>(k)] = 1;
        }
        // The column header between the box lines.
        if (d.kind != 4) {
            while (k < n && Starts(at(k), "+--")) marked[static_cast<size_t>(k++)] = 1;
            if (k < n) {
                d.columnHeader = ReplaceBars(at(k));
                marked[static_cast<size_t>(k)] = 1;
                if (Starts(at(k + 1), "+--")) marked[static_cast<size_t>(k + 1)] = 1;
            }
        }
        descriptorOf[static_cast<size_t>(i)] = static_cast<int>(found.size());
        found.push_back(std::move(d));
    }

    // Marked and empty lines go, boxes become dashes, equal neighbours
    // become one, and lines before the first structure go: one pass each.
    std::vector<std::string> kept;
    std::vector<int> keptDesc;
    kept.reserve(lines.size());
    keptDesc.reserve(lines.size());
    for (int i = 0; i < n; ++i) {
        std::string& line = lines[static_cast<size_t>(i)];
        const int d = descriptorOf[static_cast<size_t>(i)];
        if (d < 0 && (marked[static_cast<size_t>(i)] || line.empty())) continue;
        if (d < 0 && Starts(line, "+--")) line = std::string(37, '-');
        kept.push_back(std::move(line));
        keptDesc.push_back(d);
    }
    const int m = static_cast<int>(kept.size());
    for (int i = 0; i < m; ++i) {
        const int d = keptDesc[static_cast<size_t>(i)];
        if (d < 0 && i + 1 < m && kept[static_cast<size_t>(i)] == kept[static_cast<size_t>(i + 1)]) continue;
        if (d < 0 && r.lines.empty()) continue;
        r.lines.push_back(std::move(kept[static_cast<size_t>(i)]));
        r.descriptorOf.push_back(d);
    }

    // Each structure runs from the line after its header to the next one.
    const int total = static_cast<int>(r.lines.size());
    int last = -1;
    for (int i = 0; i <= total; ++i) {
        if (i < total && r.descriptorOf[static_cast<size_t>(i)] < 0) continue;
        if (last >= 0) r.descriptors.back().lineCount = i - last - 1;
        if (i == total) break;
        TSpecsDescriptor d = std::move(found[static_cast<size_t>(r.descriptorOf[static_cast<size_t>(i)])]);
        d.firstLine = i + 1;
        r.descriptorOf[static_cast<size_t>(i)] = static_cast<int>(r.descriptors.size());
        r.descriptors.push_back(std::move(d));
        last = i;
    }
    return r;
}

TTreeLines PostDocStructureTree(const TPostDocListing& listing) {
    std::vector<TSectionRef> sections;
    for (const TSpecsDescriptor& d : listing.descriptors) sections.push_back({d.sourceIndex, d.kind});
    return SourceSectionTree(sections, listing.sourceNames, [](int kind) { return PostDocStructureTitle(kind); });
}

std::vector<std::string> PostDocStructureMemo(const TPostDocListing& listing, int descriptor) {
    std::vector<std::string> memo;
    if (descriptor < 0 || descriptor >= static_cast<int>(listing.descriptors.size())) return memo;
    const TSpecsDescriptor& d = listing.descriptors[static_cast<size_t>(descriptor)];
    for (int i = d.firstLine; i < d.firstLine + d.lineCount && i < static_cast<int>(listing.lines.size()); ++i)
        memo.push_back(ReplaceBars(listing.lines[static_cast<size_t>(i)]));
    return memo;
}

std::string PostDocHeaderText(const TSpecsDescriptor& d) { return std::string(44, '-') + "\r\n" + d.columnHeader; }

namespace {

// Kind 3: the nesting level in characters 1 to 3 places each decision.
void DecisionNodes(const std::vector<std::string>& memo, TTreeLines& nodes) {
    int prevLevel = -1, prevDepth = -1;
    for (size_t i = 0; i + 1 < memo.size(); ++i) {
        if (!Starts(memo[i], "-")) continue;
        const std::string& l = memo[i + 1];
        const std::optional<int> level = ParseInteger(LineRange(l, 1, 3));
        if (!level) continue;
        const std::string_view name8 = TrimView(LineRange(l, 11, 18));
        const std::string name =
            name8.empty() ? "<..Sequence ..>" : Capitalized(name8) + ":" + Capitalized(LineFrom(l, 19));
        int depth;
        if (*level > prevLevel) {
            depth = prevDepth + 1;
            // A "?" for each level skipped.
            for (int skip = prevLevel + 1; skip < *level; ++skip) nodes.push_back({depth++, "?", 11, 11, -1});
        } else if (*level == prevLevel) {
            depth = prevDepth;
        } else {
            // A sibling of the previous entry's parent; never beside the
            // structure node itself.
            depth = prevDepth > 0 ? prevDepth - 1 : 0;
        }
        nodes.push_back({depth, name, 11, 11, static_cast<int>(i + 1)});
        prevLevel = *level;
        prevDepth = depth;
    }
}

// Kind 4: each entry with the inputs, predicates and outputs of its rows.
void DataFlowNodes(const std::vector<std::string>& memo, bool compressed, TTreeLines& nodes) {
    const int n = static_cast<int>(memo.size());
    int i = 0;
    while (i <= n - 6) {
        if (!Starts(memo[static_cast<size_t>(i)], "-")) {
            ++i;
            continue;
        }
        const std::string& first = memo[static_cast<size_t>(i + 1)];
        nodes.push_back({0, std::string(TrimView(StrAfterFirst(first, ":"))), 0, 0, i + 1});
        std::vector<TTreeLines> groups(3);
        std::vector<int> order; // groups in the order of their first use
        int k = i + 5;
        for (; k < n && !Starts(memo[static_cast<size_t>(k)], "-"); ++k) {
            const std::string& row = memo[static_cast<size_t>(k)];
            const std::string_view columns[] = {TrimView(LineRange(row, 1, 32)), TrimView(LineRange(row, 33, 61)),
                                                TrimView(LineRange(row, 62, 93))};
            for (int g : {kInputs, kPredicates, kOutputs}) {
                if (columns[g].empty()) continue;
                if (groups[static_cast<size_t>(g)].empty()) order.push_back(g);
                groups[static_cast<size_t>(g)].push_back(
                    {compressed ? 1 : 2, std::string(columns[g]), kGroupImages[g], kGroupImages[g], k});
            }
        }
        for (int g : order) {
            if (!compressed) nodes.push_back({1, kGroupNames[g], kGroupImages[g], kGroupImages[g], -1});
            for (auto& node : groups[static_cast<size_t>(g)]) nodes.push_back(std::move(node));
        }
        // The scan goes on at the line that ended the rows.
        i = k;
    }
}

} // namespace

TTreeLines PostDocEntryNodes(const std::vector<std::string>& memo, int kind, bool compressed) {
    TTreeLines nodes;
    switch (kind) {
    case 1:
    case 2:
        for (size_t i = 0; i + 1 < memo.size(); ++i) {
            if (!Starts(memo[i], "-")) continue;
            const std::string& l = memo[i + 1];
            const std::string name = kind == 1 ? Capitalized(LineFrom(l, 24))
                                               : Capitalized(LineRange(l, 11, 19)) + ":" + Capitalized(LineFrom(l, 20));
            nodes.push_back({0, name, 0, 0, static_cast<int>(i + 1)});
        }
        break;
    case 3: DecisionNodes(memo, nodes); break;
    case 4: DataFlowNodes(memo, compressed, nodes); break;
    default: break;
    }
    return nodes;
}

std::optional<int> PostDocEntrySourceLine(std::string_view memoLine, int kind) {
    if (kind == 1 || kind == 2) return ParseInteger(LineRange(memoLine, 2, 6));
    if (kind == 3) return ParseInteger(LineRange(memoLine, 5, 9));
    return std::nullopt;
}

} // namespace pem
