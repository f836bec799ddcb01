#pragma once
// UTF-8 decoding, one sequence at a time, for folding UTF-8 input into the
// program's 8-bit text.
#include <cstdint>
#include <string_view>

namespace pem {

// Status of one decoding step.
enum TUtf8Status : int {
    utf8Ok = 0,          // success
    utf8Invalid = 1,     // invalid lead or continuation byte
    utf8Truncated = 2,   // the sequence is longer than the bytes left
    utf8Empty = 3,       // no input
    utf8OutOfRange = 4,  // the code point does not fit into 16 bits (wide form only)
};

// True when every byte is below 128 (true for the empty string).
bool IsPlainAscii(std::string_view s);

// Decodes the sequence at p with n bytes available. length is the number of
// bytes the step covers (1 for an invalid byte, the expected length of a
// truncated sequence); codePoint is the lead byte itself when the status is
// not utf8Ok. Overlong forms are decoded, not rejected.
TUtf8Status DecodeUtf8Sequence(const void* p, int n, int& length, char32_t& codePoint);
TUtf8Status DecodeUtf8Sequence(const void* p, int n, int& length, std::uint32_t& codePoint);

// The same limited to 16 bits: code points of 0x10000 and above give
// utf8OutOfRange and the wide character 0.
TUtf8Status DecodeUtf8ToWideChar(const void* p, int n, int& length, char16_t& wideChar);
TUtf8Status DecodeUtf8ToWideChar(const void* p, int n, int& length, std::uint16_t& wideChar);

} // namespace pem
