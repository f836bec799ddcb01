#include "SpecsListing.h"

#include "BaseStrings.h"
#include "CharSet1252.h"

#include <unordered_set>

namespace pem {

namespace {

const TSpecsSectionKind kKinds[] = {
    {"", "", ""},
    {"INCLUDES", "Includes", "This section contains the includes used in the source module"},
    {"DEFINES", "Defines", "This section contains the defines used in the source module"},
    {"CLASSES", "Classes", "CLASSES"},
    {"METHODS/PROCEDURES", "Methods/Procedures", "METHODS/PROCEDURES"},
    {"FUNCTION REFERENCES", "Function references", "FUNCTIONS REFERENCES"},
    {"FUNCTION INTERFACES", "Function interfaces", "FUNCTION INTERFACES"},
    {"DATA ATTRIBUTES", "Data attributes", "DATA ATTRIBUTES"},
    {"FILE/DB ACCESSES", "File/DB accesses", "FILE/DB ACCESSES"},
    {"CONDITION LOGIC", "Condition logic", "CONDITION LOGIC"},
    {"TEST CASES", "Test cases", "TEST CASES"},
};

const std::string kEmptyBoxLine = "|" + std::string(118, ' ') + "|";
constexpr std::string_view kSeparatorSource = "|      :+----------";
constexpr std::string_view kObjectPrefix = "|   OBJECT: ";

bool Starts(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Characters 9 to 28 are 20 blanks.
bool BlankColumns(std::string_view line) {
    if (line.size() < 28) return false;
    for (size_t i = 8; i < 28; ++i)
        if (line[i] != ' ') return false;
    return true;
}

bool Removable(const std::string& line) {
    return line.empty() || line[0] == '/' || line == kSpecsBorder || BlankColumns(line) || line == kEmptyBoxLine;
}

} // namespace

const char* const kSpecsPageHeader = "|          P E M A R I S   M O D U L E   S P E C I F I C A T I O N";
const std::string kSpecsBorder = "+" + std::string(118, '-') + "+";
const char* const kSpecsSeparator = "+-----------------------------------------------------";

const TSpecsSectionKind& SpecsSectionKind(int kind) { return kKinds[kind >= 1 && kind <= 10 ? kind : 0]; }

std::string SpecsHeaderSourceName(std::string_view line) {
    const size_t at = line.find("SOURCE NAME:");
    if (at == std::string_view::npos) return {};
    std::string_view rest = line.substr(at + 12);
    // The blanks between the label and the name are skipped: the name is
    // what follows them up to the next blank.
    size_t b = 0;
    while (b < rest.size() && rest[b] == ' ') ++b;
    rest = rest.substr(b);
    return ListedSourceName(rest.substr(0, rest.find(' ')));
}

TSpecsObjListing ReadSpecsObjListing(std::vector<std::string> lines) {
    TSpecsObjListing r;
    lines.emplace_back("/"); // end mark
    const int n = static_cast<int>(lines.size());
    std::vector<char> marked(lines.size(), 0);
    std::vector<int> descriptorOf(lines.size(), -1);
    std::vector<TSpecsObjDescriptor> found;

    // Page headers and section titles.
    for (int i = 0; i < n; ++i) {
        const std::string& line = lines[static_cast<size_t>(i)];
        if (Starts(line, kSpecsPageHeader)) {
            const std::string name = SpecsHeaderSourceName(i + 6 < n ? lines[static_cast<size_t>(i + 6)] : "");
            if (r.sourceNames.empty() || r.sourceNames.back() != name) {
                r.sourceNames.push_back(name);
                for (int k = i - 1; k <= i + 6; ++k)
                    if (k >= 0 && k < n) marked[static_cast<size_t>(k)] = 1;
            }
            i += 6;
            continue;
        }
        if (line != kSpecsBorder || i + 1 >= n) continue;
        std::string& next = lines[static_cast<size_t>(i + 1)];
        if (next.empty() || next[0] == '/' || r.sourceNames.empty()) continue;
        const std::string_view title = LineFrom(next, 10);
        for (int kind = 1; kind <= 10; ++kind) {
            if (!Starts(title, kKinds[kind].title)) continue;
            descriptorOf[static_cast<size_t>(i + 1)] = static_cast<int>(found.size());
            found.push_back({static_cast<int>(r.sourceNames.size()) - 1, kind, 0, 0});
            next = kKinds[kind].displayName;
            break;
        }
    }

    // One pass keeps the lines that stay, rewritten; lines before the
    // first section go too.
    r.lines.reserve(lines.size());
    r.descriptorOf.reserve(lines.size());
    for (int i = 0; i < n; ++i) {
        std::string& line = lines[static_cast<size_t>(i)];
        const int d = descriptorOf[static_cast<size_t>(i)];
        if (d < 0 && (marked[static_cast<size_t>(i)] || Removable(line))) continue;
        if (d < 0 && r.lines.empty()) continue;
        if (d < 0) {
            if (Starts(line, kSeparatorSource))
                line = kSpecsSeparator;
            else if (Starts(line, "| ") && line.size() >= 8 && line[7] == ':')
                line = line.substr(2, 5) + " " + std::string(LineFrom(line, 9));
        }
        r.lines.push_back(std::move(line));
        r.descriptorOf.push_back(d);
    }

    // Sections: first line and line count; a title alone is no section.
    const int m = static_cast<int>(r.lines.size());
    std::vector<int> starts;
    for (int i = 0; i < m; ++i)
        if (r.descriptorOf[static_cast<size_t>(i)] >= 0) starts.push_back(i);
    for (size_t s = 0; s < starts.size(); ++s) {
        const int at = starts[s];
        const int next = s + 1 < starts.size() ? starts[s + 1] : m;
        TSpecsObjDescriptor d = found[static_cast<size_t>(r.descriptorOf[static_cast<size_t>(at)])];
        d.firstLine = at;
        d.lineCount = next - at;
        if (d.lineCount < 2) {
            r.descriptorOf[static_cast<size_t>(at)] = -1;
            continue;
        }
        r.descriptorOf[static_cast<size_t>(at)] = static_cast<int>(r.descriptors.size());
        r.descriptors.push_back(d);
    }
    return r;
}

TTreeLines SpecsObjSectionTree(const TSpecsObjListing& listing) {
    std::vector<TSectionRef> sections;
    for (const TSpecsObjDescriptor& d : listing.descriptors) sections.push_back({d.sourceIndex, d.kind});
    return SourceSectionTree(sections, listing.sourceNames,
                             [](int kind) { return SpecsSectionKind(kind).displayName; });
}

std::vector<std::string> SpecsObjSectionMemo(const TSpecsObjListing& listing, int descriptor) {
    std::vector<std::string> memo;
    if (descriptor < 0 || descriptor >= static_cast<int>(listing.descriptors.size())) return memo;
    const TSpecsObjDescriptor& d = listing.descriptors[static_cast<size_t>(descriptor)];
    memo.reserve(static_cast<size_t>(d.lineCount));
    for (int i = d.firstLine; i < d.firstLine + d.lineCount && i < static_cast<int>(listing.lines.size()); ++i) {
        std::string line = listing.lines[static_cast<size_t>(i)];
        for (char& c : line)
            if (c == '|') c = ' ';
        line.resize(TrimRightView(line).size());
        memo.push_back(std::move(line));
    }
    return memo;
}

std::string SpecsEntryName(std::string_view memoLine) { return CollapseWhitespace(LineFrom(memoLine, 7)); }

TTreeLines FunctionReferenceNodes(const std::vector<std::string>& memo) {
    TTreeLines nodes;
    bool group = false;
    const int n = static_cast<int>(memo.size());
    for (int i = 0; i + 1 < n; ++i) {
        if (Starts(memo[static_cast<size_t>(i)], kSpecsSeparator)) {
            ++i; // the group line is no reference of its own
            nodes.push_back({0, SpecsEntryName(memo[static_cast<size_t>(i)]), 9, 9, i});
            group = true;
        } else if (group) {
            nodes.push_back({1, SpecsEntryName(memo[static_cast<size_t>(i)]), 10, 10, i});
        }
    }
    return nodes;
}

TTreeLines SectionEntryNodes(const std::vector<std::string>& memo, int kind) {
    TTreeLines nodes;
    if (kind != 4 && kind != 6 && kind != 7 && kind != 10) return nodes;
    const int n = static_cast<int>(memo.size());
    for (int i = 0; i + 1 < n; ++i) {
        const std::string& line = memo[static_cast<size_t>(i)];
        if (Starts(line, kSpecsSeparator) || (kind == 10 && Starts(LineFrom(line, 7), kSpecsSeparator)))
            nodes.push_back({0, SpecsEntryName(memo[static_cast<size_t>(i + 1)]), 11, 11, i + 1});
    }
    return nodes;
}

std::optional<int> MemoSourceLine(std::string_view memoLine) { return ParseInteger(LineRange(memoLine, 1, 5)); }

std::optional<TTextHit> FindReferenceInLine(std::string_view sourceLine, std::string_view memoLine) {
    std::string_view name = LineFrom(memoLine, 7);
    name = name.substr(0, name.find("\r\n"));
    if (name.empty()) return std::nullopt;
    const size_t at = sourceLine.find(std::string(name) + "(");
    if (at != std::string_view::npos) return TTextHit{static_cast<int>(at), static_cast<int>(name.size())};
    const std::string_view shorter = TrimRightView(name.substr(0, name.size() - 1));
    if (shorter.empty()) return std::nullopt;
    const size_t at2 = sourceLine.find(shorter);
    if (at2 == std::string_view::npos) return std::nullopt;
    return TTextHit{static_cast<int>(at2), static_cast<int>(shorter.size())};
}

std::vector<TObjectEntry> PlainListingObjects(std::string_view text) {
    std::vector<TObjectEntry> entries;
    std::unordered_set<std::string> seen;
    int number = 0;
    ForEachListingLine(text, [&](std::string_view line) {
        ++number;
        if (!Starts(line, kObjectPrefix)) return;
        const size_t bar = line.rfind('|');
        std::string_view body = bar == std::string_view::npos ? line : line.substr(0, bar);
        body = body.size() > kObjectPrefix.size() ? body.substr(kObjectPrefix.size()) : std::string_view();
        std::string name(TrimRightView(body));
        if (!seen.insert(AnsiLowerCase(name)).second) return;
        entries.push_back({std::move(name), number});
    });
    return entries;
}

} // namespace pem
