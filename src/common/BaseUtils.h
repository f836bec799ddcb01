#pragma once
// Small general helpers: the character-set type the string routines take,
// integer tests and conversions, choices and raw byte moves.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pem {

// A set of byte values (256 bits), usable in constant expressions.
class TCharSet {
public:
    constexpr TCharSet() = default;
    constexpr TCharSet(std::initializer_list<char> chars) {
        for (char c : chars) Include(c);
    }

    // Every byte value from lo to hi inclusive.
    static constexpr TCharSet Range(unsigned char lo, unsigned char hi) {
        TCharSet r;
        for (unsigned v = lo; v <= hi; ++v) r.Include(static_cast<unsigned char>(v));
        return r;
    }
    // Every character of chars.
    static constexpr TCharSet Of(std::string_view chars) {
        TCharSet r;
        for (char c : chars) r.Include(c);
        return r;
    }

    constexpr bool Contains(unsigned char c) const {
        return (bits_[c >> 6] >> (c & 63)) & 1u;
    }
    constexpr bool Contains(char c) const { return Contains(static_cast<unsigned char>(c)); }
    constexpr bool operator[](char c) const { return Contains(c); }

    constexpr TCharSet& Include(unsigned char c) {
        bits_[c >> 6] |= std::uint64_t{1} << (c & 63);
        return *this;
    }
    constexpr TCharSet& Include(char c) { return Include(static_cast<unsigned char>(c)); }
    constexpr TCharSet& Exclude(unsigned char c) {
        bits_[c >> 6] &= ~(std::uint64_t{1} << (c & 63));
        return *this;
    }
    constexpr TCharSet& Exclude(char c) { return Exclude(static_cast<unsigned char>(c)); }

    constexpr bool IsEmpty() const {
        return (bits_[0] | bits_[1] | bits_[2] | bits_[3]) == 0;
    }

    // Union, difference, intersection, complement.
    friend constexpr TCharSet operator+(TCharSet a, const TCharSet& b) {
        for (int i = 0; i < 4; ++i) a.bits_[i] |= b.bits_[i];
        return a;
    }
    friend constexpr TCharSet operator-(TCharSet a, const TCharSet& b) {
        for (int i = 0; i < 4; ++i) a.bits_[i] &= ~b.bits_[i];
        return a;
    }
    friend constexpr TCharSet operator*(TCharSet a, const TCharSet& b) {
        for (int i = 0; i < 4; ++i) a.bits_[i] &= b.bits_[i];
        return a;
    }
    constexpr TCharSet operator~() const {
        TCharSet r;
        for (int i = 0; i < 4; ++i) r.bits_[i] = ~bits_[i];
        return r;
    }
    friend constexpr bool operator==(const TCharSet&, const TCharSet&) = default;

private:
    std::uint64_t bits_[4] = {0, 0, 0, 0};
};

// Byte values 0 to 32: the control characters and the blank. Trimming with
// this set is the program's usual trim.
inline constexpr TCharSet csControlAndBlank = TCharSet::Range(0, 32);
// The control characters: byte values 0 to 31 and 127 (DEL).
inline constexpr TCharSet csControl = TCharSet::Range(0, 31) + TCharSet::Range(127, 127);
// '0' to '9'.
inline constexpr TCharSet csDigits = TCharSet::Range('0', '9');

// After trimming control characters and blanks: non-empty and all digits,
// where (unless unsignedOnly) the first character may also be '+' or '-'
// when more characters follow.
bool IsIntegerStrEx(std::string_view s, bool unsignedOnly);
bool IsIntegerStr(std::string_view s);
// The value of an integer text (IsIntegerStr); false and n = 0 for any other
// text, including numbers that do not fit into 32 bits.
bool TryStrToIntValue(std::string_view s, int& n);

std::int32_t MinInt(std::int32_t a, std::int32_t b);
std::int32_t MaxInt(std::int32_t a, std::int32_t b);

// a when flag is true, else b.
std::int32_t ChooseInt(bool flag, std::int32_t a, std::int32_t b);
long double ChooseFloat(bool flag, long double a, long double b);
std::string ChooseStr(bool flag, const std::string& a, const std::string& b);

// Copies n bytes from source to dest; the blocks may overlap. Nothing for
// n below 1.
void MoveBytes(const void* source, void* dest, int n);

} // namespace pem
