#include "BaseStrings.h"

#include <array>
#include <cstring>

namespace pem {

namespace {

// ASCII-only case folding: A..Z onto a..z, every other byte unchanged.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[static_cast<size_t>(i)] =
            static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + ('a' - 'A') : i);
    return t;
}
constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

inline unsigned char Fold(char c) { return kFold[static_cast<unsigned char>(c)]; }

inline int Len(std::string_view s) { return static_cast<int>(s.size()); }

// Sub-view of 1-based positions from..to, already inside the string.
inline std::string Slice(std::string_view s, int from, int to) {
    return std::string(s.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1)));
}

bool EqualNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

// 0-based offset of the first match of find in s at or after from; npos when
// none. find is non-empty.
size_t FindFrom(std::string_view find, std::string_view s, size_t from, bool caseSensitive) {
    if (from > s.size() || find.size() > s.size() - from) return std::string_view::npos;
    if (caseSensitive) return s.find(find, from);
    const unsigned char first = Fold(find[0]);
    const size_t last = s.size() - find.size();
    const char* p = s.data();
    for (size_t i = from; i <= last; ++i) {
        if (Fold(p[i]) == first && EqualNoCase(p + i + 1, find.data() + 1, find.size() - 1))
            return i;
    }
    return std::string_view::npos;
}

// 0-based offset of the first character of the set at or after from.
size_t FindSetFrom(const TCharSet& set, std::string_view s, size_t from) {
    for (size_t i = from; i < s.size(); ++i)
        if (set.Contains(s[i])) return i;
    return std::string_view::npos;
}

// The matches of one pass are kept in a fixed table; text with more matches
// is rebuilt pass after pass, each pass growing the result once.
constexpr size_t kMatchesPerPass = 4096;

// Replaces the matches that next() yields (0-based offset, npos at the end),
// each of length matchLen, by replace. first is the offset of the first match.
template <typename NextMatch>
std::string ReplaceMatches(std::string_view s, std::string_view replace, size_t matchLen,
                           size_t first, NextMatch next) {
    std::array<size_t, kMatchesPerPass> pos;
    std::string result;
    size_t chunkStart = 0;
    size_t match = first;
    while (match != std::string_view::npos) {
        size_t count = 0;
        while (match != std::string_view::npos && count < kMatchesPerPass) {
            pos[count++] = match;
            match = next(match + matchLen);
        }
        const size_t chunkEnd = match != std::string_view::npos ? match : s.size();
        // One allocation per pass: the chunk length grows by the difference
        // of the lengths once per match.
        const size_t chunkLen = chunkEnd - chunkStart - count * matchLen + count * replace.size();
        const size_t base = result.size();
        result.resize(base + chunkLen);
        char* out = result.data() + base;
        size_t from = chunkStart;
        for (size_t k = 0; k < count; ++k) {
            const size_t gap = pos[k] - from;
            std::memcpy(out, s.data() + from, gap);
            out += gap;
            std::memcpy(out, replace.data(), replace.size());
            out += replace.size();
            from = pos[k] + matchLen;
        }
        std::memcpy(out, s.data() + from, chunkEnd - from);
        chunkStart = chunkEnd;
    }
    return result;
}

} // namespace

// ---- bounded copies ----

std::string CopyRangeStr(std::string_view s, int from, int to) {
    const int len = Len(s);
    if (from < 1) from = 1;
    if (to > len) to = len;
    if (to < from || to < 1 || from > len) return std::string();
    return Slice(s, from, to);
}

std::string CopyFromStr(std::string_view s, int from) {
    if (from <= 1) return std::string(s);
    if (from > Len(s)) return std::string();
    return std::string(s.substr(static_cast<size_t>(from - 1)));
}

std::string CopyHeadStr(std::string_view s, int n) {
    if (n <= 0) return std::string();
    if (n >= Len(s)) return std::string(s);
    return std::string(s.substr(0, static_cast<size_t>(n)));
}

std::string CopyTailStr(std::string_view s, int n) {
    if (n <= 0) return std::string();
    if (n >= Len(s)) return std::string(s);
    return std::string(s.substr(s.size() - static_cast<size_t>(n)));
}

std::string CopyCountNeg(std::string_view s, int pos, int count) {
    const int len = Len(s);
    if (count < 0) return std::string();
    int from = pos < 0 ? len + pos + 1 : pos;
    if (from < 1) from = 1;
    if (from > len || count == 0) return std::string();
    const int to = count > len - from ? len : from + count - 1;
    return Slice(s, from, to);
}

std::string CopyRangeNeg(std::string_view s, int from, int to) {
    const int len = Len(s);
    if (from < 0) from = len + from + 1;
    if (to < 0) to = len + to + 1;
    return CopyRangeStr(s, from, to);
}

// ---- searching and testing ----

int PosCharFrom(char c, std::string_view s, int start) {
    if (start < 1) start = 1;
    if (start > Len(s)) return 0;
    const void* p = std::memchr(s.data() + start - 1, static_cast<unsigned char>(c),
                                s.size() - static_cast<size_t>(start - 1));
    return p ? static_cast<int>(static_cast<const char*>(p) - s.data()) + 1 : 0;
}

int PosCharSetFrom(const TCharSet& set, std::string_view s, int start) {
    if (start < 1) start = 1;
    const size_t i = FindSetFrom(set, s, static_cast<size_t>(start - 1));
    return i == std::string_view::npos ? 0 : static_cast<int>(i) + 1;
}

int PosNotCharSetFrom(const TCharSet& set, std::string_view s, int start) {
    if (start < 1) start = 1;
    for (size_t i = static_cast<size_t>(start - 1); i < s.size(); ++i)
        if (!set.Contains(s[i])) return static_cast<int>(i) + 1;
    return 0;
}

int PosStrFrom(std::string_view find, std::string_view s, int start, bool caseSensitive) {
    if (find.empty() || s.empty() || find.size() > s.size()) return 0;
    if (start < 1) start = 1;
    if (start > Len(s)) return 0;
    const size_t i = FindFrom(find, s, static_cast<size_t>(start - 1), caseSensitive);
    return i == std::string_view::npos ? 0 : static_cast<int>(i) + 1;
}

int CountCharSetFrom(std::string_view s, const TCharSet& set, int start) {
    if (start < 1) start = 1;
    int n = 0;
    for (size_t i = static_cast<size_t>(start - 1); i < s.size() && set.Contains(s[i]); ++i) ++n;
    return n;
}

int CountChar(std::string_view s, char c) {
    int n = 0;
    for (char x : s)
        if (x == c) ++n;
    return n;
}

bool StrAllInSet(std::string_view s, const TCharSet& set) {
    if (s.empty()) return false;
    for (char c : s)
        if (!set.Contains(c)) return false;
    return true;
}

bool IsAllDigits(std::string_view s) { return StrAllInSet(s, csDigits); }

bool StrEqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && EqualNoCase(a.data(), b.data(), a.size());
}

bool BufEqual(const void* a, const void* b, int n) {
    if (n < 1) return true;
    return std::memcmp(a, b, static_cast<size_t>(n)) == 0;
}

bool BufEqualNoCase(const void* a, const void* b, int n) {
    if (n < 1) return true;
    return EqualNoCase(static_cast<const char*>(a), static_cast<const char*>(b),
                       static_cast<size_t>(n));
}

bool MatchStrAt(std::string_view s, std::string_view sub, int pos) {
    if (sub.empty() || s.empty() || pos < 1) return false;
    if (pos > Len(s) || sub.size() > s.size() - static_cast<size_t>(pos - 1)) return false;
    return std::memcmp(s.data() + pos - 1, sub.data(), sub.size()) == 0;
}

bool MatchTextAt(std::string_view s, std::string_view sub, int pos) {
    if (sub.empty() || s.empty() || pos < 1) return false;
    if (pos > Len(s) || sub.size() > s.size() - static_cast<size_t>(pos - 1)) return false;
    return EqualNoCase(s.data() + pos - 1, sub.data(), sub.size());
}

bool HasPrefix(std::string_view s, std::string_view prefix, bool caseSensitive) {
    return caseSensitive ? MatchStrAt(s, prefix, 1) : MatchTextAt(s, prefix, 1);
}

bool HasSuffix(std::string_view s, std::string_view suffix, bool caseSensitive) {
    const int pos = Len(s) - Len(suffix) + 1;
    return caseSensitive ? MatchStrAt(s, suffix, pos) : MatchTextAt(s, suffix, pos);
}

// ---- trimming and collapsing ----

std::string_view TrimCharSetView(std::string_view s, const TCharSet& set) {
    size_t b = 0, e = s.size();
    while (b < e && set.Contains(s[b])) ++b;
    while (e > b && set.Contains(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string TrimLeftCharSet(std::string_view s, const TCharSet& set) {
    size_t b = 0;
    while (b < s.size() && set.Contains(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRightCharSet(std::string_view s, const TCharSet& set) {
    size_t e = s.size();
    while (e > 0 && set.Contains(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

std::string TrimCharSet(std::string_view s, const TCharSet& set) {
    return std::string(TrimCharSetView(s, set));
}

std::string CollapseWhitespace(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    bool inRun = false;
    for (char c : s) {
        if (static_cast<unsigned char>(c) < '!') {
            inRun = true;
            continue;
        }
        if (inRun && !r.empty()) r += ' ';
        inRun = false;
        r += c;
    }
    if (inRun && !r.empty()) r += ' ';
    return r;
}

std::string CollapseCharRuns(std::string_view s, char c) {
    std::string r;
    r.reserve(s.size());
    bool inRun = false;
    for (char x : s) {
        if (x == c) {
            inRun = true;
            continue;
        }
        if (inRun && !r.empty()) r += c;
        inRun = false;
        r += x;
    }
    if (inRun && !r.empty()) r += c;
    return r;
}

// ---- replacing and removing ----

std::string ReplaceChar(char find, char replace, std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c == find) c = replace;
    return r;
}

std::string ReplaceCharSet(const TCharSet& set, char replace, std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (set.Contains(c)) c = replace;
    return r;
}

std::string ReplaceCharSetByStr(const TCharSet& set, std::string_view replace, std::string_view s) {
    if (s.empty()) return std::string();
    const size_t first = FindSetFrom(set, s, 0);
    if (first == std::string_view::npos) return std::string(s);
    return ReplaceMatches(s, replace, 1, first,
                          [&](size_t from) { return FindSetFrom(set, s, from); });
}

std::string ReplaceStr(std::string_view find, std::string_view replace, std::string_view s,
                       bool caseSensitive) {
    if (s.empty()) return std::string();
    const int first = PosStrFrom(find, s, 1, caseSensitive);
    if (first == 0) return std::string(s);
    return ReplaceMatches(s, replace, find.size(), static_cast<size_t>(first - 1),
                          [&](size_t from) { return FindFrom(find, s, from, caseSensitive); });
}

std::string RemoveChar(std::string_view s, char c) {
    std::string r;
    r.reserve(s.size());
    for (char x : s)
        if (x != c) r += x;
    return r;
}

std::string RemoveCharSet(std::string_view s, const TCharSet& set) {
    std::string r;
    r.reserve(s.size());
    for (char x : s)
        if (!set.Contains(x)) r += x;
    return r;
}

bool DeletePrefix(std::string& s, std::string_view prefix, bool caseSensitive) {
    if (!HasPrefix(s, prefix, caseSensitive)) return false;
    s.erase(0, prefix.size());
    return true;
}

bool DeleteSuffix(std::string& s, std::string_view suffix, bool caseSensitive) {
    if (!HasSuffix(s, suffix, caseSensitive)) return false;
    s.erase(s.size() - suffix.size());
    return true;
}

// ---- string arrays ----

TStringArray SplitByChar(std::string_view s, char c) {
    TStringArray r;
    if (s.empty()) return r;
    r.reserve(static_cast<size_t>(CountChar(s, c)) + 1);
    size_t from = 0;
    for (;;) {
        const size_t i = s.find(c, from);
        if (i == std::string_view::npos) {
            r.emplace_back(s.substr(from));
            return r;
        }
        r.emplace_back(s.substr(from, i - from));
        from = i + 1;
    }
}

std::string JoinWithChar(const TStringArray& items, char c) {
    if (items.empty()) return std::string();
    size_t total = items.size() - 1;
    for (const auto& it : items) total += it.size();
    std::string r;
    r.reserve(total);
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) r += c;
        r += items[i];
    }
    return r;
}

int DeleteStringArrayItems(TStringArray& items, int index, int count) {
    if (index < 0) index = 0;
    const int len = static_cast<int>(items.size());
    if (count <= 0 || index >= len) return 0;
    if (count > len - index) count = len - index;
    items.erase(items.begin() + index, items.begin() + index + count);
    return count;
}

} // namespace pem
