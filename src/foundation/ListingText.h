#pragma once
// The text roads of the listing viewers, free of widgets: a file's bytes as
// the text a viewer shows (Windows-1252 through the code page's table, any
// line end as one line break), and the UTF-16LE road of files that begin
// with a byte-order mark.
#include <QString>
#include <string>
#include <string_view>

namespace pem {

// The whole file; raises EFileError "Can not open file %s".
std::string ReadFileBytes(const std::string& fileName);

// The 8-bit text as one QString with "\n" between lines: CR LF, LF and a
// lone CR each end a line, and the line end after the last line is dropped,
// so that the text has as many lines as the file read as lines.
QString ListingToQString(std::string_view text);
// The number of lines of the text read as lines (0 for the empty text).
int ListingLineCount(std::string_view text);

// The bytes begin with the UTF-16LE byte-order mark FF FE.
bool HasUtf16LeMark(std::string_view bytes);

// The 16-bit units after the mark ((size - 2) / 2 of them; an odd last byte
// is ignored) as 8-bit text: each character Windows-1252 holds becomes its
// byte, any other (a surrogate pair counting as one) "?". The result then
// passes through Utf8ToAnsiStr, so UTF-8 carried inside 8-bit units folds.
std::string Utf16LeToAnsi(std::string_view bytes);

} // namespace pem
