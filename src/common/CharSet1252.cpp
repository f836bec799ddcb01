#include "CharSet1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

namespace pem {

namespace {

// Code points of 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

struct FoldTables {
    std::array<unsigned char, 256> lower{}, upper{};
    FoldTables() {
        for (int i = 0; i < 256; ++i) {
            lower[i] = upper[i] = static_cast<unsigned char>(i);
        }
        for (int i = 'A'; i <= 'Z'; ++i) {
            lower[i] = static_cast<unsigned char>(i + 32);
            upper[i + 32] = static_cast<unsigned char>(i);
        }
        // Accented capitals 0xC0..0xDE pair with 0xE0..0xFE, except the
        // multiplication and division signs.
        for (int i = 0xC0; i <= 0xDE; ++i) {
            if (i == 0xD7) continue;
            lower[i] = static_cast<unsigned char>(i + 32);
            upper[i + 32] = static_cast<unsigned char>(i);
        }
        auto pair = [&](int up, int low) {
            lower[up] = static_cast<unsigned char>(low);
            upper[low] = static_cast<unsigned char>(up);
        };
        pair(0x8A, 0x9A); // S caron
        pair(0x8C, 0x9C); // OE
        pair(0x8E, 0x9E); // Z caron
        pair(0x9F, 0xFF); // Y diaeresis
    }
};

const FoldTables& Folds() {
    static const FoldTables t;
    return t;
}

} // namespace

char32_t Cp1252ToUnicode(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
    return c;
}

int UnicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == cp) return 0x80 + i;
    }
    return -1;
}

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            AppendUtf8(out, Cp1252ToUnicode(c));
        }
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view s, bool* ok) {
    if (ok) *ok = true;
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int len = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        char32_t cp = len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool good = len > 0 && i + len <= n;
        for (int k = 1; good && k < len; ++k) {
            unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) good = false;
            else cp = (cp << 6) | (c & 0x3F);
        }
        if (good && ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)))
            good = false; // overlong
        if (!good) {
            if (ok) *ok = false;
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int c = UnicodeToCp1252(cp);
        if (c < 0) {
            if (ok) *ok = false;
            out += '?';
        } else {
            out += static_cast<char>(c);
        }
        i += len;
    }
    return out;
}

void TUtf16LeFolder::Fold(std::string_view bytes, std::string& out) {
    size_t i = 0;
    const size_t n = bytes.size();
    auto unitAt = [&](unsigned char lo, unsigned char hi) {
        const char16_t u = static_cast<char16_t>(lo | (hi << 8));
        if (afterHigh_ && u >= 0xDC00 && u <= 0xDFFF) {
            afterHigh_ = false; // the pair's "?" is out already
            return;
        }
        afterHigh_ = u >= 0xD800 && u <= 0xDBFF;
        const int b = UnicodeToCp1252(u);
        out += b < 0 ? '?' : static_cast<char>(b);
    };
    if (pendingByte_ >= 0 && n > 0) {
        unitAt(static_cast<unsigned char>(pendingByte_), static_cast<unsigned char>(bytes[0]));
        pendingByte_ = -1;
        i = 1;
    }
    out.reserve(out.size() + (n - i) / 2);
    for (; i + 1 < n; i += 2) unitAt(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1]));
    if (i < n) pendingByte_ = static_cast<unsigned char>(bytes[i]);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AnsiLowerChar(char c) { return static_cast<char>(Folds().lower[static_cast<unsigned char>(c)]); }
char AnsiUpperChar(char c) { return static_cast<char>(Folds().upper[static_cast<unsigned char>(c)]); }

std::string AnsiLowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AnsiLowerChar(c);
    return r;
}
std::string AnsiUpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AnsiUpperChar(c);
    return r;
}
std::string AsciiLowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiLower(c);
    return r;
}
std::string AsciiUpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiUpper(c);
    return r;
}

int CompareText(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(AsciiLower(a[i]));
        unsigned char y = static_cast<unsigned char>(AsciiLower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int AnsiCompareText(std::string_view a, std::string_view b) {
    const auto& f = Folds();
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = f.lower[static_cast<unsigned char>(a[i])];
        unsigned char y = f.lower[static_cast<unsigned char>(b[i])];
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
    int r = AnsiCompareText(a, b);
    if (r != 0) return r;
    int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CompareListText(std::string_view a, std::string_view b) {
    const int r = AnsiCompareText(a, b);
    return r != 0 ? r : AnsiCompareStr(a, b);
}

std::vector<size_t> ListOrderOf(const std::vector<std::string_view>& texts) {
    const auto& f = Folds();
    const size_t n = texts.size();
    std::vector<size_t> order(n);
    if (n == 0) return order;
    // The folded prefix every text shares tells no text from another.
    size_t common = texts[0].size();
    for (size_t i = 1; i < n && common > 0; ++i) {
        const std::string_view t = texts[i];
        size_t k = 0;
        const size_t m = std::min(common, t.size());
        while (k < m && f.lower[static_cast<unsigned char>(t[k])] == f.lower[static_cast<unsigned char>(texts[0][k])]) ++k;
        common = k;
    }
    // The next 32 folded bytes, big-endian, a shorter text padded with
    // zeros: comparing them as numbers compares the texts' starts.
    constexpr size_t kWords = 4;
    struct Key {
        uint64_t part[kWords];
        size_t index;
    };
    std::vector<Key> keys(n);
    for (size_t i = 0; i < n; ++i) {
        Key& key = keys[i];
        key = Key{};
        key.index = i;
        const std::string_view t = texts[i];
        for (size_t k = 0; k < 8 * kWords; ++k) {
            const size_t at = common + k;
            if (at >= t.size()) break;
            key.part[k / 8] |= uint64_t(f.lower[static_cast<unsigned char>(t[at])]) << (8 * (7 - k % 8));
        }
    }
    std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        for (size_t w = 0; w < kWords; ++w)
            if (a.part[w] != b.part[w]) return a.part[w] < b.part[w];
        return CompareListText(texts[a.index], texts[b.index]) < 0;
    });
    for (size_t i = 0; i < n; ++i) order[i] = keys[i].index;
    return order;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

} // namespace pem
