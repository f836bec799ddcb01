#include "SharedRoutinesCommon.h"

#include "CharSet1252.h"

#include <filesystem>
#include <vector>

namespace pem {

// ---- cutting around a separator ----

std::string StrBeforeFirst(std::string_view s, std::string_view sep) {
    if (sep.empty()) return std::string(s);
    const size_t i = s.find(sep);
    return std::string(i == std::string_view::npos ? s : s.substr(0, i));
}

std::string StrBeforeLast(std::string_view s, std::string_view sep) {
    if (sep.empty()) return std::string(s);
    const size_t i = s.rfind(sep);
    return std::string(i == std::string_view::npos ? s : s.substr(0, i));
}

std::string StrAfterFirst(std::string_view s, std::string_view sep) {
    if (sep.empty()) return std::string();
    const size_t i = s.find(sep);
    return i == std::string_view::npos ? std::string() : std::string(s.substr(i + sep.size()));
}

std::string StrAfterLast(std::string_view s, std::string_view sep) {
    if (sep.empty()) return std::string();
    const size_t i = s.rfind(sep);
    return i == std::string_view::npos ? std::string() : std::string(s.substr(i + sep.size()));
}

bool StartsWithStr(std::string_view prefix, std::string_view s) {
    return prefix.size() <= s.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool StartsWithText(std::string_view prefix, std::string_view s) {
    return prefix.size() <= s.size() && CompareText(prefix, s.substr(0, prefix.size())) == 0;
}

// ---- case and lettering ----

std::string CapitalizeFirst(std::string_view s) {
    std::string r = AnsiLowerCase(s);
    if (!r.empty()) r[0] = AnsiUpperChar(r[0]);
    return r;
}

std::string CapitalizeWords(std::string_view s) {
    static constexpr TCharSet kWordBreaks = TCharSet::Of(" ,-._");
    std::string r = AnsiLowerCase(s);
    for (size_t i = 0; i < r.size(); ++i)
        if (i == 0 || kWordBreaks.Contains(r[i - 1])) r[i] = AnsiUpperChar(r[i]);
    return r;
}

std::string SpaceOutLetters(std::string_view s) {
    std::string r;
    r.reserve(s.size() * 3);
    for (char c : s) {
        r += c;
        r += "  ";
    }
    return r;
}

// ---- UTF-8 ----

std::string Utf8ToAnsiStr(std::string_view s) {
    if (s.empty() || IsPlainAscii(s)) return std::string(s);
    std::string r;
    r.reserve(s.size());
    const char* p = s.data();
    int left = static_cast<int>(s.size());
    while (left > 0) {
        int len = 0;
        char16_t wc = 0;
        const TUtf8Status st = DecodeUtf8ToWideChar(p, left, len, wc);
        // The shortest encoding of the decoded character; a longer one is an
        // overlong form and counts as invalid.
        const int shortest = wc < 0x80 ? 1 : wc < 0x800 ? 2 : 3;
        if (st == utf8Ok && len == shortest) {
            r += static_cast<char>(wc < 256 ? wc : 0xF5);
        } else if (st == utf8OutOfRange) {
            r += static_cast<char>(0xF5);
        } else {
            // Invalid, overlong or cut off by the end: the lead byte stands
            // for itself and decoding resumes at the next byte.
            r += *p;
            len = 1;
        }
        p += len;
        left -= len;
    }
    return r;
}

// ---- name=value string lists ----

namespace {

std::string_view NameOf(const std::string& s) {
    const size_t i = s.find('=');
    return i == std::string::npos ? std::string_view(s) : std::string_view(s).substr(0, i);
}

} // namespace

namespace {

using TItems = std::vector<TStringList::Item>;

inline std::string_view SortKey(const std::string& s, bool byName) {
    return byName ? NameOf(s) : std::string_view(s);
}

// One partitioning step over lo..hi around the key of the middle entry;
// afterwards lo..j and i..hi remain to be sorted.
void Partition(TItems& items, int lo, int hi, bool byName, const TProgressProc& progress,
               int& iOut, int& jOut) {
    const std::string pivot(SortKey(items[static_cast<size_t>((lo + hi) / 2)].s, byName));
    int i = lo, j = hi;
    do {
        while (AnsiCompareText(SortKey(items[static_cast<size_t>(i)].s, byName), pivot) < 0) ++i;
        while (AnsiCompareText(pivot, SortKey(items[static_cast<size_t>(j)].s, byName)) < 0) --j;
        if (i <= j) {
            // The whole entry moves: the object travels with its string.
            std::swap(items[static_cast<size_t>(i)], items[static_cast<size_t>(j)]);
            ++i;
            --j;
        }
        if (progress) progress();
    } while (i <= j);
    iOut = i;
    jOut = j;
}

// Sorts lo..hi without progress; recurses into the smaller side and loops on
// the larger one so that the depth stays logarithmic.
void SortRange(TItems& items, int lo, int hi, bool byName) {
    while (lo < hi) {
        int i, j;
        Partition(items, lo, hi, byName, {}, i, j);
        if (j - lo < hi - i) {
            if (lo < j) SortRange(items, lo, j, byName);
            lo = i;
        } else {
            if (i < hi) SortRange(items, i, hi, byName);
            hi = j;
        }
    }
}

} // namespace

void QuickSortStrings(TStringList& list, int lo, int hi, const TProgressProc& progress,
                      bool byName) {
    if (lo < 0) lo = 0;
    if (hi > list.Count() - 1) hi = list.Count() - 1;
    if (lo >= hi) return;
    auto& items = list.Items();
    int i, j;
    Partition(items, lo, hi, byName, progress, i, j);
    if (lo < j) SortRange(items, lo, j, byName);
    if (i < hi) SortRange(items, i, hi, byName);
}

void SortStringsByName(TStringList& list, const TProgressProc& progress) {
    if (list.Count() > 1) QuickSortStrings(list, 0, list.Count() - 1, progress, true);
}

int FindNameSorted(const TStringList& list, std::string_view name) {
    const auto& items = list.Items();
    int lo = 0, hi = list.Count() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = AnsiCompareText(NameOf(items[static_cast<size_t>(mid)].s), name);
        if (c < 0) {
            lo = mid + 1;
        } else if (c > 0) {
            hi = mid - 1;
        } else {
            int i = mid;
            while (i > 0 && NameOf(items[static_cast<size_t>(i - 1)].s) ==
                                NameOf(items[static_cast<size_t>(i)].s))
                --i;
            return i;
        }
    }
    return -1;
}

// ---- paths ----

std::string TempFilePath(std::string_view name) {
    std::string path = PrivateTempDir();
    path += '/';
    path += name;
    return std::filesystem::path(path).lexically_normal().string();
}

} // namespace pem
