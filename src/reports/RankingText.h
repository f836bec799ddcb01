#pragma once
// Text work shared by the module and deficiency rankings and the test plan:
// many files read whole through one buffer and seen as line views, reports written with LF line
// ends, and the few printf forms the reports use, free of the C library's
// locale (real numbers always with ".").
//
// File names are 8-bit text; they become UTF-8 only to reach the disk.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

// The bytes of a file into a buffer that keeps its memory from file to file
// (ReadFileBytes of the listing text reads a file once). Only a regular file
// is read: a FIFO or a device is refused without waiting. Raises EFileError
// "Can not open file %s" (with ": not a regular file" for another kind of
// file) or "Can not read file %s".
void ReadFileInto(const std::string& fileName, std::string& bytes);

// The lines of a text as views into it: CR LF, LF and CR each end a line; a
// last line without its end counts, an end at the very end adds no line.
std::vector<std::string_view> LineViews(std::string_view text);
// The same into a list that keeps its memory from text to text.
void LineViews(std::string_view text, std::vector<std::string_view>& lines);

// The lines, each followed by LF, as a report the program keeps at a fixed
// name in its output directory: the whole text replaces the file in one step
// (a failed write leaves the old report whole), and a link found in its
// place is replaced, never followed. Raises EFileError "Can not create file
// %s" (also for a FIFO or another odd file in its place, ": not a regular
// file") or "Can not write file %s".
void WriteLinesLF(const std::string& fileName, const std::vector<std::string>& lines);

// printf("%<width>.<digits>d"): at least digits digits, right-aligned in
// width.
std::string FormatInt(std::int64_t value, int width, int digits = 0);
// printf("%<width>.<decimals>f") with "." whatever the locale.
std::string FormatFloat(double value, int width, int decimals);
// printf("%-<n>.<n>s"): cut after n bytes or padded with blanks to n.
std::string CutPadRight(std::string_view text, int n);

// A 32-bit integer text (blanks around allowed, a sign allowed). Raises
// EConvertError "'%s' is not a valid integer value".
std::int32_t TextToInt(std::string_view text);
// A real number with "." as the decimal separator (blanks around, a sign and
// an exponent allowed). Raises EConvertError "'%s' is not a valid floating
// point value".
double TextToFloat(std::string_view text);

} // namespace pem
