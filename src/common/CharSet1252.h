#pragma once
// Windows-1252 is the one code page of all 8-bit text in the program. These
// two conversions are used only at the Qt boundary and at the file-system
// boundary (file names are UTF-8 on Linux).
#include <string>
#include <string_view>
#include <vector>

namespace pem {

// UTF-8 text of the 8-bit text. Bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
std::string Cp1252ToUtf8(std::string_view s);

// 8-bit text of a UTF-8 text. ok is cleared when a character has no place in
// Windows-1252 (it becomes '?') or the input is not valid UTF-8 (each bad byte
// is taken as it stands).
std::string Utf8ToCp1252(std::string_view s, bool* ok = nullptr);

// The Unicode code point of one Windows-1252 byte, and back (-1: none).
char32_t Cp1252ToUnicode(unsigned char c);
int UnicodeToCp1252(char32_t cp);

// Folds UTF-16LE text into 8-bit text piece by piece, so that a large file
// passes through a small buffer: each character Windows-1252 holds becomes
// its byte, any other one "?" (a surrogate pair counting as one character).
// A unit split between two pieces is joined; an odd byte left at the end is
// dropped. The caller skips the byte-order mark.
class TUtf16LeFolder {
public:
    // Appends the 8-bit text of the piece to out.
    void Fold(std::string_view bytes, std::string& out);

private:
    int pendingByte_ = -1;    // the first byte of a unit split between pieces
    bool afterHigh_ = false;  // the last unit began a surrogate pair
};

// Case folding for 8-bit text: ASCII only, and the locale-aware form that
// also folds the accented Latin letters of the code page.
char AsciiLower(char c);
char AsciiUpper(char c);
char AnsiLowerChar(char c);
char AnsiUpperChar(char c);
std::string AnsiLowerCase(std::string_view s);
std::string AnsiUpperCase(std::string_view s);
std::string AsciiLowerCase(std::string_view s);
std::string AsciiUpperCase(std::string_view s);

// Case-insensitive comparisons: CompareText folds ASCII only, AnsiCompareText
// folds the whole code page (the order used to sort string lists).
int CompareText(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);
// The order of sorted lists on screen: AnsiCompareText, and where that finds
// two texts equal, AnsiCompareStr, so that texts differing only in letter
// case still come in one fixed order.
int CompareListText(std::string_view a, std::string_view b);
// The positions of the texts in CompareListText order; equal texts keep the
// order they came in. Made for lists of many paths: a folded key of 32 bytes taken
// after the part all texts share decides most comparisons, so the texts are
// rarely read while sorting.
std::vector<size_t> ListOrderOf(const std::vector<std::string_view>& texts);
bool SameText(std::string_view a, std::string_view b);

} // namespace pem
