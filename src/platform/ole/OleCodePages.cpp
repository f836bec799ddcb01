#include "OleCodePages.h"

#include "CharSet1252.h"

namespace pem {

namespace {

// The upper half of code page 437, as Unicode.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

int UnicodeToCp437(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i)
        if (kCp437High[i] == cp) return 0x80 + i;
    return -1;
}

char32_t Cp437ToUnicode(unsigned char c) { return c < 0x80 ? c : kCp437High[c - 0x80]; }

int KnownCodePage(UINT cp) {
    if (cp == CP_ACP || cp == CP_WINDOWS_1252) return 1252;
    if (cp == CP_OEMCP || cp == CP_OEM_437) return 437;
    return 0;
}

} // namespace

std::string GetLocaleInfoA(LCID, DWORD type, int maxChars) {
    std::string v;
    if (type == LOCALE_IDEFAULTANSICODEPAGE) v = "1252";
    else if (type == LOCALE_IDEFAULTCODEPAGE) v = "437";
    if (maxChars >= 0 && static_cast<int>(v.size()) > maxChars) v.resize(static_cast<size_t>(maxChars));
    return v;
}

LCID GetThreadLocale() { return LOCALE_EN_US; }

std::u16string MultiByteToWideChar(UINT codePage, std::string_view s, bool* ok) {
    int cp = KnownCodePage(codePage);
    if (ok) *ok = cp != 0;
    std::u16string out;
    if (!cp) return out;
    out.reserve(s.size());
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(static_cast<char16_t>(cp == 1252 ? Cp1252ToUnicode(b) : Cp437ToUnicode(b)));
    }
    return out;
}

std::string WideCharToMultiByte(UINT codePage, std::u16string_view s, bool* ok) {
    int cp = KnownCodePage(codePage);
    if (ok) *ok = cp != 0;
    std::string out;
    if (!cp) return out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            ++i; // a pair stands for one character outside both code pages
            out.push_back('?');
            continue;
        }
        int b = cp == 1252 ? UnicodeToCp1252(c) : UnicodeToCp437(c);
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

std::string CharToOemBuffA(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        int b = UnicodeToCp437(Cp1252ToUnicode(static_cast<unsigned char>(c)));
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

} // namespace pem
