#include "BaseCodecs.h"

namespace pem {

bool IsPlainAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

TUtf8Status DecodeUtf8Sequence(const void* p, int n, int& length, char32_t& codePoint) {
    if (p == nullptr || n < 1) {
        length = 0;
        codePoint = 0;
        return utf8Empty;
    }
    const auto* b = static_cast<const unsigned char*>(p);
    const unsigned char lead = b[0];
    if (lead < 0x80) {
        length = 1;
        codePoint = lead;
        return utf8Ok;
    }
    if ((lead & 0xC0) == 0x80 || lead >= 0xF8) {
        length = 1;
        codePoint = lead;
        return utf8Invalid;
    }
    int len;
    char32_t cp;
    if ((lead & 0xE0) == 0xC0) {
        len = 2;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3;
        cp = lead & 0x0F;
    } else {
        len = 4;
        cp = lead & 0x07;
    }
    length = len;
    if (len > n) {
        codePoint = lead;
        return utf8Truncated;
    }
    for (int i = 1; i < len; ++i) {
        if ((b[i] & 0xC0) != 0x80) {
            length = 1;
            codePoint = lead;
            return utf8Invalid;
        }
        cp = (cp << 6) | (b[i] & 0x3F);
    }
    codePoint = cp;
    return utf8Ok;
}

TUtf8Status DecodeUtf8Sequence(const void* p, int n, int& length, std::uint32_t& codePoint) {
    char32_t cp = 0;
    const TUtf8Status st = DecodeUtf8Sequence(p, n, length, cp);
    codePoint = cp;
    return st;
}

TUtf8Status DecodeUtf8ToWideChar(const void* p, int n, int& length, char16_t& wideChar) {
    char32_t cp = 0;
    const TUtf8Status st = DecodeUtf8Sequence(p, n, length, cp);
    if (st == utf8Ok && cp >= 0x10000) {
        wideChar = 0;
        return utf8OutOfRange;
    }
    wideChar = static_cast<char16_t>(cp);
    return st;
}

TUtf8Status DecodeUtf8ToWideChar(const void* p, int n, int& length, std::uint16_t& wideChar) {
    char16_t wc = 0;
    const TUtf8Status st = DecodeUtf8ToWideChar(p, n, length, wc);
    wideChar = wc;
    return st;
}

} // namespace pem
