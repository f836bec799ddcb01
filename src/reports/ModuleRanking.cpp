#include "ModuleRanking.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "RankingText.h"

#include <algorithm>

namespace pem {

namespace {

struct KindWords {
    const char* quality;                // with "quality" on the quality line
    std::vector<const char*> size;      // every one on the size line
};

// Kinds 0 to 4 in the order they are tried.
const KindWords kKinds[] = {
    {"database", {"number", "data", "attributes"}},
    {"interface", {"number", "data", "variables", "declared"}},
    {"program", {"number of statements"}},
    {"overall requirement", {"number of sentences"}},
    {"design", {"number of design entities"}},
};

const char* const kComplexityWords[] = {"database", "interface", "program", "overall requirement", "average design"};

bool Holds(std::string_view lower, std::string_view word) { return lower.find(word) != std::string_view::npos; }

bool IsComplexityLine(std::string_view lower) {
    if (!Holds(lower, "complexity")) return false;
    for (const char* w : kComplexityWords)
        if (Holds(lower, w)) return true;
    return false;
}

bool IsSizeLine(std::string_view lower, int kind) {
    for (const char* w : kKinds[kind].size)
        if (!Holds(lower, w)) return false;
    return true;
}

bool Begins(std::string_view line, std::string_view key) { return line.substr(0, key.size()) == key; }

std::string_view PathBelow(const std::string& file, const std::string& folder) {
    std::string_view f = file;
    return Begins(f, folder) ? f.substr(folder.size()) : f;
}

void SortIgnoringCase(std::vector<std::string>& list) {
    std::stable_sort(list.begin(), list.end(),
                     [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
}

// A hit entry's parts: the sort key before the first blank, the path after it.
std::string_view EntryKey(std::string_view entry) { return entry.substr(0, entry.find(' ')); }
std::string_view EntryPath(std::string_view entry) {
    const size_t b = entry.find(' ');
    return b == std::string_view::npos ? std::string_view() : entry.substr(b + 1);
}

const std::string kDashes = "  " + std::string(62, '-');

// The hits from the last to the first entry, each with its printed value.
template <class Value>
void AddHits(std::vector<std::string>& out, const std::vector<std::string>& hits, Value value) {
    if (hits.empty()) out.push_back("   <No hit>");
    for (auto it = hits.rbegin(); it != hits.rend(); ++it)
        out.push_back("   " + CutPadRight(EntryPath(*it), 60) + "   " + value(EntryKey(*it)));
}

} // namespace

TModuleRankingLimits ModuleRankingLimitsFromTexts(std::string_view statementNumber, std::string_view complexity,
                                                  std::string_view quality) {
    TModuleRankingLimits l;
    l.StatementNumber = TextToInt(TrimCharSetView(statementNumber, csControlAndBlank));
    l.Complexity = TextToFloat(TrimCharSetView(complexity, csControlAndBlank));
    l.Quality = TextToFloat(TrimCharSetView(quality, csControlAndBlank));
    return l;
}

std::string_view MetricsLineKey(std::string_view line) { return line.substr(0, line.find('>')); }

std::string_view MetricsLineValue(std::string_view line) {
    const size_t gt = line.find('>');
    std::string_view v = TrimCharSetView(gt == std::string_view::npos ? line : line.substr(gt + 1), csControlAndBlank);
    return v.substr(0, v.find(' '));
}

std::string MeasureNameOfKey(std::string_view key) {
    const size_t blank = key.find(' ');
    std::string_view rest = blank == std::string_view::npos ? std::string_view() : key.substr(blank + 1);
    rest = rest.substr(0, rest.find('='));
    return CollapseCharRuns(AnsiLowerCase(TrimCharSetView(rest, csControlAndBlank)), ' ');
}

TMetricsReportFormat RecognizeMetricsReport(const std::vector<std::string_view>& lines) {
    TMetricsReportFormat f;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const std::string lower = AnsiLowerCase(*it);
        if (f.QualityKey.empty()) {
            for (int k = 0; k < 5; ++k)
                if (Holds(lower, kKinds[k].quality) && Holds(lower, "quality")) {
                    f.Kind = k;
                    f.QualityKey = MetricsLineKey(*it);
                    break;
                }
        } else if (f.ComplexityKey.empty()) {
            if (IsComplexityLine(lower)) f.ComplexityKey = MetricsLineKey(*it);
        } else if (IsSizeLine(lower, f.Kind)) {
            f.SizeKey = MetricsLineKey(*it);
        } else if (!f.SizeKey.empty()) {
            break;
        }
    }
    return f;
}

std::vector<std::string> NarrowMetricsFiles(const std::vector<std::string>& files, const std::string& metricsFolder,
                                            int kind) {
    std::vector<std::string> kept;
    kept.reserve(files.size());
    for (const auto& f : files) {
        const bool inSubfolder = PathBelow(f, metricsFolder).find('/') != std::string_view::npos;
        if (inSubfolder) {
            kept.push_back(f);
        } else if (kind != 1 && kind != 2) {
            const size_t dot = f.rfind('.');
            const std::string xml = (dot == std::string::npos || dot < f.rfind('/') + 1 ? f : f.substr(0, dot)) + ".xml";
            if (FileExists(xml) || FileExistsIgnoringCase(xml)) kept.push_back(f);
        }
    }
    return kept;
}

std::string ModuleRankingCaption(int fileCount) {
    return "Searching for exceptional modules in " + std::to_string(fileCount) + " metrics files";
}

std::vector<std::string> RankModules(const std::string& metricsFolder, const std::vector<std::string>& files,
                                     const TModuleRankingLimits& limits, const std::function<void()>& onFileRead) {
    std::string bytes;                    // one buffer for all reports
    std::vector<std::string_view> lines;  // and one list of their lines
    TMetricsReportFormat fmt;
    if (!files.empty()) {
        ReadFileInto(files.front(), bytes);
        LineViews(bytes, lines);
        fmt = RecognizeMetricsReport(lines);
    }
    if (!fmt.Known()) throw ERankingError(kUnknownMetricsFormat + (files.empty() ? std::string() : files.front()));

    std::vector<std::string> sizeHits, complexityHits, qualityHits;
    for (const auto& file : NarrowMetricsFiles(files, metricsFolder, fmt.Kind)) {
        ReadFileInto(file, bytes);
        LineViews(bytes, lines);
        if (onFileRead) onFileRead();
        const std::string path(PathBelow(file, metricsFolder));
        try {
            for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
                const std::string_view line = *it;
                if (Begins(line, fmt.QualityKey)) {
                    const double v = TextToFloat(MetricsLineValue(line));
                    if (v <= limits.Quality) qualityHits.push_back(FormatFloat(1 - v, 5, 3) + " " + path);
                } else if (Begins(line, fmt.ComplexityKey)) {
                    const double v = TextToFloat(MetricsLineValue(line));
                    if (v >= limits.Complexity) complexityHits.push_back(FormatFloat(v, 5, 3) + " " + path);
                } else if (Begins(line, fmt.SizeKey)) {
                    const std::int32_t n = TextToInt(MetricsLineValue(line));
                    if (n >= limits.StatementNumber) sizeHits.push_back(FormatInt(n, 7, 7) + " " + path);
                    break;
                }
            }
        } catch (const EConvertError& e) {
            throw ERankingError(std::string(e.what()) + " - " + file);
        }
    }
    SortIgnoringCase(sizeHits);
    SortIgnoringCase(complexityHits);
    SortIgnoringCase(qualityHits);

    std::vector<std::string> out;
    out.push_back("");
    out.push_back("   Modules with " + MeasureNameOfKey(fmt.SizeKey) + " more than " +
                  std::to_string(limits.StatementNumber) + " ");
    out.push_back(kDashes);
    AddHits(out, sizeHits, [](std::string_view key) { return FormatInt(TextToInt(key), 7); });
    out.push_back(kDashes);
    out.push_back("");
    out.push_back("   Modules with " + MeasureNameOfKey(fmt.ComplexityKey) + " greater than " +
                  FormatFloat(limits.Complexity, 5, 3) + " ");
    out.push_back(kDashes);
    AddHits(out, complexityHits, [](std::string_view key) { return FormatFloat(TextToFloat(key), 7, 3); });
    out.push_back(kDashes);
    out.push_back("");
    out.push_back("   Modules with " + MeasureNameOfKey(fmt.QualityKey) + " less than " +
                  FormatFloat(limits.Quality, 5, 3) + " ");
    out.push_back(kDashes);
    AddHits(out, qualityHits, [](std::string_view key) { return FormatFloat(1 - TextToFloat(key), 7, 3); });
    out.push_back(kDashes);
    return out;
}

} // namespace pem
