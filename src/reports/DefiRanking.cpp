#include "DefiRanking.h"

#include "BaseStrings.h"
#include "BaseUtils.h"
#include "CharSet1252.h"
#include "RankingText.h"

#include <algorithm>

namespace pem {

namespace {

bool Begins(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

// Columns from..to (1-based, inclusive), as far as the line reaches.
std::string_view Columns(std::string_view line, size_t from, size_t to) {
    if (from > line.size()) return {};
    return line.substr(from - 1, to - from + 1);
}

std::string Trimmed(std::string_view s) { return std::string(TrimCharSetView(s, csControlAndBlank)); }

// Two leading digits: the code the code layout prints in parentheses.
bool HasTwoDigitCode(std::string_view key) {
    return key.size() >= 2 && key[0] >= '0' && key[0] <= '9' && key[1] >= '0' && key[1] <= '9';
}

const char* const kSeverityNames[3] = {"Major", "Medium", "Minor"};
const char* const kNoEntries[3] = {"   <No major deficiences>", "   <No medium deficiences>",
                                   "   <No minor deficiences>"};
const std::string kDashes = "  " + std::string(77, '-');

} // namespace

bool IsNumberedDefiLine(std::string_view line) { return IsIntegerStr(Columns(line, 18, 22)); }

TDefiLine ClassifyDefiLine(std::string_view line, std::string_view numbered) {
    struct Form {
        const char* prefix;
        TDefiSeverity severity;
    };
    // Rule lines: the key is the text from column 10 up to the last "|".
    static const Form kRule[] = {{"| PROB", dsMajor}, {"| DEFI", dsMedium}, {"| WARN", dsMinor}};
    // Level lines of the statistics form: the key comes from the numbered
    // line below.
    static const Form kLevel[] = {{"| MAJOR  |", dsMajor}, {"| MEDIA  |", dsMedium}, {"| MINOR  |", dsMinor}};
    // Level lines of the short form: the key is columns 19 to 71.
    static const Form kShort[] = {{"|MAJOR |", dsMajor}, {"|MEDIA |", dsMedium}, {"|MINOR |", dsMinor}};

    for (const auto& f : kRule)
        if (Begins(line, f.prefix)) {
            const size_t bar = line.rfind('|');
            return {f.severity, bar != std::string_view::npos && bar > 9 ? Trimmed(line.substr(9, bar - 9)) : ""};
        }
    if (line.size() > 7)
        for (const auto& f : kLevel)
            if (Begins(line.substr(7), f.prefix)) {
                if (numbered.empty()) return {f.severity, ""};
                return {f.severity, Trimmed(Columns(numbered, 18, 22)) + " " +
                                        std::string(numbered.size() > 24 ? numbered.substr(24) : std::string_view())};
            }
    for (const auto& f : kShort)
        if (Begins(line, f.prefix)) return {f.severity, Trimmed(Columns(line, 19, 71))};
    return {};
}

bool TDefiRanking::Less::operator()(const std::string& a, const std::string& b) const {
    return AnsiCompareText(a, b) < 0;
}

void TDefiRanking::CountListing(std::string_view text) {
    const std::vector<std::string_view> lines = LineViews(text);
    std::string_view numbered; // the nearest numbered line below the one examined
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        TDefiLine d = ClassifyDefiLine(*it, numbered);
        if (d.Severity != dsNone) {
            auto [entry, added] = counts_[d.Severity].try_emplace(d.Key, 1);
            if (!added) ++entry->second;
            // The code layout prints two leading digits; any other key, the
            // empty one included, switches every section to the name layout.
            if (!HasTwoDigitCode(d.Key)) codeMode_ = false;
        }
        if (IsNumberedDefiLine(*it)) numbered = *it;
    }
}

int TDefiRanking::Count(TDefiSeverity severity, std::string_view key) const {
    if (severity == dsNone) return 0;
    auto it = counts_[severity].find(std::string(key));
    return it == counts_[severity].end() ? 0 : it->second;
}

std::vector<std::string> TDefiRanking::ReportLines() const {
    auto entryLine = [this](const std::string& key, int count) {
        if (codeMode_)
            return "   (" + FormatInt(TextToInt(key.substr(0, 2)), 2, 2) + ") " + CutPadRight(CopyFromStr(key, 4), 60) +
                   "   " + FormatInt(count, 7);
        return "   " + CutPadRight(key, 65) + "   " + FormatInt(count, 7);
    };
    std::vector<std::string> out{""};
    for (int s = 0; s < 3; ++s) {
        out.push_back(std::string("   ") + kSeverityNames[s] + " deficiences sorted by " +
                      (codeMode_ ? "deficiency code" : "name"));
        out.push_back(kDashes);
        if (counts_[s].empty()) out.push_back(kNoEntries[s]);
        for (const auto& [key, count] : counts_[s]) out.push_back(entryLine(key, count));
        out.push_back(kDashes);
        out.push_back("");
    }
    for (int s = 0; s < 3; ++s) {
        // By count: the stored count (occurrences less one) in eight digits
        // before the key, sorted as text, most frequent first.
        std::vector<std::pair<std::string, int>> byCount;
        for (const auto& [key, count] : counts_[s]) byCount.emplace_back(FormatInt(count - 1, 8, 8) + key, count);
        std::stable_sort(byCount.begin(), byCount.end(),
                         [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
        if (s > 0) out.push_back("");
        out.push_back(std::string("   ") + kSeverityNames[s] + " deficiences sorted by number of occurences");
        out.push_back(kDashes);
        if (byCount.empty()) out.push_back(kNoEntries[s]);
        for (auto it = byCount.rbegin(); it != byCount.rend(); ++it) out.push_back(entryLine(it->first.substr(8), it->second));
        out.push_back(kDashes);
    }
    return out;
}

std::string DefiRankingCaption(int fileCount) {
    return "Ranking deficiencies in " + std::to_string(fileCount) + " defi files";
}

std::vector<std::string> DefiFilesInSubfolders(const std::vector<std::string>& files, const std::string& defiFolder) {
    std::vector<std::string> kept;
    for (const auto& f : files) {
        std::string_view rest = f;
        if (Begins(rest, defiFolder)) rest.remove_prefix(defiFolder.size());
        if (rest.find('/') != std::string_view::npos) kept.push_back(f);
    }
    return kept;
}

std::vector<std::string> RankDeficiencies(const std::vector<std::string>& files, const std::function<void()>& onFileRead) {
    TDefiRanking ranking;
    for (const auto& f : files) {
        const std::string text = ReadFileBytes(f);
        if (onFileRead) onFileRead();
        ranking.CountListing(text);
    }
    return ranking.ReportLines();
}

} // namespace pem
