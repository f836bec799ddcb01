#include "DefiRanking.h"

#include "BaseStrings.h"
#include "BaseUtils.h"
#include "CharSet1252.h"
#include "RankingText.h"

#include <algorithm>

namespace pem {

namespace {

// Columns from..to (1-based, inclusive), as far as the line reaches.
std::string_view Columns(std::string_view line, size_t from, size_t to) {
    if (from > line.size()) return {};
    return line.substr(from - 1, to - from + 1);
}

// Two leading digits: the code the code layout prints in parentheses.
bool HasTwoDigitCode(std::string_view key) {
    return key.size() >= 2 && key[0] >= '0' && key[0] <= '9' && key[1] >= '0' && key[1] <= '9';
}

const char* const kSeverityNames[3] = {"Major", "Medium", "Minor"};
const char* const kNoEntries[3] = {"   <No major deficiences>", "   <No medium deficiences>",
                                   "   <No minor deficiences>"};
const std::string kDashes = "  " + std::string(77, '-');

} // namespace

bool IsNumberedDefiLine(std::string_view line) {
    const std::string_view cols = Columns(line, 18, 22);
    // Most lines have no digit there at all.
    if (cols.find_first_of("0123456789") == std::string_view::npos) return false;
    return IsIntegerStr(cols);
}

namespace {

// The severity and key of a line; a key made of parts is built in scratch.
// The forms are tested in the order of the table; the first that matches
// decides.
std::pair<TDefiSeverity, std::string_view> Classify(std::string_view line, std::string_view numbered,
                                                    std::string& scratch) {
    using namespace std::string_view_literals;
    static constexpr std::pair<std::string_view, TDefiSeverity> kRule[] = {
        {"| PROB"sv, dsMajor}, {"| DEFI"sv, dsMedium}, {"| WARN"sv, dsMinor}};
    static constexpr std::pair<std::string_view, TDefiSeverity> kLevel[] = {
        {"| MAJOR  |"sv, dsMajor}, {"| MEDIA  |"sv, dsMedium}, {"| MINOR  |"sv, dsMinor}};
    static constexpr std::pair<std::string_view, TDefiSeverity> kShort[] = {
        {"|MAJOR |"sv, dsMajor}, {"|MEDIA |"sv, dsMedium}, {"|MINOR |"sv, dsMinor}};

    // Rule lines: the key is the text from column 10 up to the last "|".
    if (line.size() >= 6 && line[0] == '|' && line[1] == ' ' && line[2] >= 'D' && line[2] <= 'W')
        for (const auto& [prefix, severity] : kRule)
            if (line.starts_with(prefix)) {
                const size_t bar = line.rfind('|');
                if (bar == std::string_view::npos || bar <= 9) return {severity, {}};
                return {severity, TrimCharSetView(line.substr(9, bar - 9), csControlAndBlank)};
            }
    // Level lines of the statistics form, seven columns in: the key is the
    // numbered line below, its number and its text from column 25.
    if (line.size() >= 17 && line[7] == '|' && line[9] == 'M')
        for (const auto& [prefix, severity] : kLevel)
            if (line.substr(7).starts_with(prefix)) {
                if (numbered.empty()) return {severity, {}};
                scratch.assign(TrimCharSetView(Columns(numbered, 18, 22), csControlAndBlank));
                scratch += ' ';
                if (numbered.size() > 24) scratch += numbered.substr(24);
                return {severity, scratch};
            }
    // Level lines of the short form: the key is columns 19 to 71.
    if (line.size() >= 8 && line[0] == '|' && line[1] == 'M')
        for (const auto& [prefix, severity] : kShort)
            if (line.starts_with(prefix)) return {severity, TrimCharSetView(Columns(line, 19, 71), csControlAndBlank)};
    return {dsNone, {}};
}

} // namespace

TDefiLine ClassifyDefiLine(std::string_view line, std::string_view numbered) {
    std::string scratch;
    const auto [severity, key] = Classify(line, numbered, scratch);
    return {severity, std::string(key)};
}

bool TDefiRanking::Less::operator()(std::string_view a, std::string_view b) const {
    return AnsiCompareText(a, b) < 0;
}

void TDefiRanking::CountListing(std::string_view text) {
    LineViews(text, lines_);
    std::string scratch;
    std::string_view numbered; // the nearest numbered line below the one examined
    for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
        const auto [severity, key] = Classify(*it, numbered, scratch);
        if (severity != dsNone) {
            auto& counts = counts_[severity];
            auto entry = counts.find(key);
            if (entry == counts.end()) counts.emplace(std::string(key), 1);
            else ++entry->second;
            // The code layout prints two leading digits; any other key, the
            // empty one included, switches every section to the name layout.
            if (!HasTwoDigitCode(key)) codeMode_ = false;
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
        if (rest.starts_with(defiFolder)) rest.remove_prefix(defiFolder.size());
        if (rest.find('/') != std::string_view::npos) kept.push_back(f);
    }
    return kept;
}

std::vector<std::string> RankDeficiencies(const std::vector<std::string>& files, const std::function<void()>& onFileRead) {
    TDefiRanking ranking;
    std::string text; // one buffer for all listings
    for (const auto& f : files) {
        ReadFileInto(f, text);
        if (onFileRead) onFileRead();
        ranking.CountListing(text);
    }
    return ranking.ReportLines();
}

} // namespace pem
