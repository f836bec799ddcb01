#include "DictionaryTerms.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"
#include "StringList.h"

#include <algorithm>
#include <sys/stat.h>
#include <unordered_set>

namespace pem {

namespace {

constexpr TCharSet kWordDelimiters = TCharSet::Range(0, 32) + TCharSet::Of("!\"%'+,./:;<=>?\\^`~") +
                                     TCharSet{static_cast<char>(133), static_cast<char>(150),
                                              static_cast<char>(151)};

bool LessNoCase(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) < 0; }

// The file of the dictionary with that extension, as the installation spells
// it; "" when there is none.
std::string DictionaryFile(const std::string& baseName, const char* ext) {
    return FindFileIgnoringCase(ChangeFileExt(baseName, ext));
}

// What tells a changed file: its modification time and its size.
void StampOf(const std::string& file, std::vector<long long>& stamps) {
    struct stat st {};
    if (file.empty() || ::stat(Cp1252ToUtf8(file).c_str(), &st) != 0) {
        stamps.insert(stamps.end(), {-1, -1, -1});
        return;
    }
    stamps.insert(stamps.end(), {static_cast<long long>(st.st_mtim.tv_sec), static_cast<long long>(st.st_mtim.tv_nsec),
                                 static_cast<long long>(st.st_size)});
}

TStringList ReadLines(const std::string& file) {
    TStringList lines;
    lines.SetText(ReadRegularFile(Cp1252ToUtf8(file)));
    return lines;
}

struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using WordSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;

// Whether some run of the "_"-joined parts of the compound (lower case), but
// not the whole of it, is one of the words: the compound begins with a word
// and "_", holds "_" word "_", or ends with "_" and a word.
bool HoldsWordAsPart(const std::string& compound, const WordSet& words) {
    std::vector<size_t> starts{0}, ends;
    for (size_t i = 0; i < compound.size(); ++i)
        if (compound[i] == '_') {
            ends.push_back(i);
            starts.push_back(i + 1);
        }
    ends.push_back(compound.size());
    const size_t parts = starts.size();
    for (size_t i = 0; i < parts; ++i)
        for (size_t j = i; j < parts; ++j) {
            if (i == 0 && j == parts - 1) continue;
            if (words.find(std::string_view(compound).substr(starts[i], ends[j] - starts[i])) != words.end())
                return true;
        }
    return false;
}

} // namespace

bool IsWordDelimiter(char c) { return kWordDelimiters.Contains(c); }

const TSingleTerm* TDictionaryTerms::FindSingleTerm(std::string_view term) const {
    auto it = std::lower_bound(single_.begin(), single_.end(), term,
                               [](const TSingleTerm& t, std::string_view k) { return LessNoCase(t.term, k); });
    return it != single_.end() && AnsiCompareText(it->term, term) == 0 ? &*it : nullptr;
}

bool TDictionaryTerms::HasCompoundTerm(std::string_view term) const {
    auto it = std::lower_bound(compound_.begin(), compound_.end(), term,
                               [](const std::string& t, std::string_view k) { return LessNoCase(t, k); });
    return it != compound_.end() && AnsiCompareText(*it, term) == 0;
}

bool TDictionaryTerms::IsException(std::string_view word) const {
    auto it = std::lower_bound(exceptions_.begin(), exceptions_.end(), word,
                               [](const std::string& t, std::string_view k) { return LessNoCase(t, k); });
    return it != exceptions_.end() && AnsiCompareText(*it, word) == 0;
}

bool TDictionaryTerms::ReadControlWords(const std::string& baseName,
                                        const std::vector<std::string>& tickedControlItems) {
    std::string words;
    for (const std::string& item : tickedControlItems) words += item + "\n";
    std::vector<long long> stamps;
    for (const char* ext : {".tdfall", ".exceptions", ".tdfc"}) StampOf(DictionaryFile(baseName, ext), stamps);
    if (cached_ && baseName == cacheBase_ && words == cacheWords_ && stamps == cacheStamps_) return false;

    cached_ = false;
    try {
        Read(baseName, tickedControlItems);
    } catch (...) {
        single_.clear();
        compound_.clear();
        exceptions_.clear();
        throw;
    }
    // The stamps taken after the reading: a cleaned exceptions file was
    // written back on the way.
    stamps.clear();
    for (const char* ext : {".tdfall", ".exceptions", ".tdfc"}) StampOf(DictionaryFile(baseName, ext), stamps);
    cached_ = true;
    cacheBase_ = baseName;
    cacheWords_ = std::move(words);
    cacheStamps_ = std::move(stamps);
    return true;
}

void TDictionaryTerms::Read(const std::string& baseName, const std::vector<std::string>& tickedControlItems) {
    ++readings_;
    single_.clear();
    compound_.clear();
    exceptions_.clear();
    warnings_.clear();

    // Single terms: "term=integer". Short terms count only as compound
    // starts, stored as the complement of their integer.
    const std::string allFile = ChangeFileExt(baseName, ".tdfall");
    const std::string found = FindFileIgnoringCase(allFile);
    if (found.empty()) throw EFileError("Can not open file " + allFile);
    const TStringList all = ReadLines(found);
    single_.reserve(static_cast<size_t>(all.Count()));
    int lineNo = 0;
    for (const auto& it : all) {
        ++lineNo;
        if (TrimCharSetView(it.s, csControlAndBlank).empty()) continue;
        const size_t eq = it.s.find('=');
        const std::string term = it.s.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : it.s.substr(eq + 1);
        int n = 0;
        if (!TryStrToIntValue(value, n))
            throw EConvertError("'" + value + "' is not a valid integer value (" + found + ", line " +
                                std::to_string(lineNo) + ")");
        if (term.size() >= 3) single_.push_back({term, n});
        else if (n < 0 && n != -1) single_.push_back({term, ~n});
    }
    std::stable_sort(single_.begin(), single_.end(),
                     [](const TSingleTerm& a, const TSingleTerm& b) { return LessNoCase(a.term, b.term); });

    // Removal marks, so that taking terms out does not move the list each
    // time; the list is compacted at the end.
    std::vector<bool> removed(single_.size(), false);
    auto find = [&](std::string_view term) -> long {
        auto it = std::lower_bound(single_.begin(), single_.end(), term,
                                   [](const TSingleTerm& t, std::string_view k) { return LessNoCase(t.term, k); });
        for (; it != single_.end() && AnsiCompareText(it->term, term) == 0; ++it)
            if (!removed[static_cast<size_t>(it - single_.begin())]) return static_cast<long>(it - single_.begin());
        return -1;
    };
    // An exception: a term alone (-1) is no term; a compound start (another
    // negative n) becomes 99 - n.
    auto applyException = [&](std::string_view word) {
        const long i = find(word);
        if (i < 0) return;
        int& v = single_[static_cast<size_t>(i)].value;
        if (v == -1) removed[static_cast<size_t>(i)] = true;
        else if (v < 0) v = 99 - v;
    };

    const std::string exceptionsFile = DictionaryFile(baseName, ".exceptions");
    if (!exceptionsFile.empty()) {
        TStringList lines = ReadLines(exceptionsFile);
        bool dropped = false;
        for (int i = lines.Count() - 1; i >= 0; --i) {
            const std::string& s = lines[i];
            if (TrimCharSetView(s, csControlAndBlank).empty() || static_cast<unsigned char>(s[0]) < 32) {
                lines.Delete(i);
                dropped = true;
            }
        }
        if (dropped) {
            // The cleaned list is used even when the file stays as it was
            // (an installation that may not be written).
            try {
                ReplaceFileText(Cp1252ToUtf8(exceptionsFile), lines.Text(), exceptionsFile);
            } catch (const EFileError& e) {
                warnings_.push_back("Exceptions file not cleaned: " + e.Message());
            }
        }
        for (const auto& it : lines) exceptions_.push_back(it.s);
        std::stable_sort(exceptions_.begin(), exceptions_.end(), LessNoCase);
        exceptions_.erase(std::unique(exceptions_.begin(), exceptions_.end(),
                                      [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }),
                          exceptions_.end());
        for (const std::string& e : exceptions_) applyException(AnsiLowerCase(e));

        const std::string compoundFile = ChangeFileExt(baseName, ".tdfc");
        const std::string compoundFound = FindFileIgnoringCase(compoundFile);
        if (compoundFound.empty()) throw EFileError("Can not open file " + compoundFile);
        const TStringList compounds = ReadLines(compoundFound);
        compound_.reserve(static_cast<size_t>(compounds.Count()));
        for (const auto& it : compounds)
            if (!TrimCharSetView(it.s, csControlAndBlank).empty()) compound_.push_back(it.s);
        std::stable_sort(compound_.begin(), compound_.end(), LessNoCase);

        WordSet controlWords;
        for (const std::string& item : tickedControlItems) {
            const std::string word = AnsiLowerCase(TrimCharSet(CopyFromStr(item, 6), csControlAndBlank));
            const bool plural = !word.empty() && word.back() == 's';
            const std::string stem = plural ? word.substr(0, word.size() - 1) : std::string();
            long i = find(word);
            if (i < 0 && plural) i = find(stem);
            if (i >= 0) {
                removed[static_cast<size_t>(i)] = true;
                if (plural) applyException(stem);
            }
            if (std::any_of(word.begin(), word.end(), IsWordDelimiter))
                warnings_.push_back("Control word " + item + " contains a word delimiter");
            controlWords.insert(word);
        }
        if (!controlWords.empty())
            compound_.erase(std::remove_if(compound_.begin(), compound_.end(),
                                           [&](const std::string& c) {
                                               return HoldsWordAsPart(AnsiLowerCase(c), controlWords);
                                           }),
                            compound_.end());
    }

    size_t kept = 0;
    for (size_t i = 0; i < single_.size(); ++i)
        if (!removed[i]) {
            if (kept != i) single_[kept] = std::move(single_[i]);
            ++kept;
        }
    single_.resize(kept);
}

} // namespace pem
