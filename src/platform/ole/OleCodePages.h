#pragma once
// Code pages and locales as the drag-and-drop library asks for them. Every
// locale's 8-bit ("ANSI") code page is Windows-1252, the one code page of the
// program's 8-bit text; the OEM code page is 437.
#include "OleTypes.h"

#include <string>
#include <string_view>

namespace pem {

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_WINDOWS_1252 = 1252;
constexpr UINT CP_OEM_437 = 437;

constexpr DWORD LOCALE_IDEFAULTANSICODEPAGE = 0x1004;
constexpr DWORD LOCALE_IDEFAULTCODEPAGE = 0x000B;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_EN_US = 0x0409;

// The text of a locale's setting, at most maxChars characters; empty for a
// setting that is not kept.
std::string GetLocaleInfoA(LCID locale, DWORD type, int maxChars = 256);
LCID GetThreadLocale();

// 8-bit text to UTF-16 in a code page (CP_ACP and 1252, CP_OEMCP and 437);
// ok is cleared for an unknown code page (the result is then empty).
std::u16string MultiByteToWideChar(UINT codePage, std::string_view s, bool* ok = nullptr);
// UTF-16 text to 8-bit text; a character the code page lacks, or half of a
// surrogate pair, becomes '?' (one per code point).
std::string WideCharToMultiByte(UINT codePage, std::u16string_view s, bool* ok = nullptr);
// Windows-1252 text to the OEM code page, byte for byte.
std::string CharToOemBuffA(std::string_view s);

} // namespace pem
