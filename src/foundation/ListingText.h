#pragma once
// The text roads of the listing viewers, free of widgets: a file's bytes as
// the text a viewer shows (Windows-1252 through the code page's table, any
// line end as one line break), and the UTF-16LE road of files that begin
// with a byte-order mark.
#include <QString>
#include <functional>
#include <string>
#include <string_view>

namespace pem {

// The whole file; raises EFileError "Can not open file %s".
std::string ReadFileBytes(const std::string& fileName);
// Its first bytes (fewer when it is shorter); raises the same.
std::string ReadFileHead(const std::string& fileName, size_t count);

// Decodes 8-bit text for display piece by piece, so that a large file
// passes through one small buffer: Windows-1252 through the code page's
// table, CR LF, LF and a lone CR each as one "\n" (a CR LF split between two
// pieces too), and the line end after the last line dropped, so that the
// text has as many lines as the file read as lines.
class TListingDecoder {
public:
    // The display text of the piece (out is replaced; it keeps its buffer).
    void Decode(std::string_view piece, QString& out);
    // The text held back at the end, "" (a last line end is dropped).
    void Finish(QString& out);
    // Whether any byte came in.
    bool AnyInput() const { return any_; }

private:
    bool pendingCr_ = false;     // the previous piece ended in CR
    bool pendingBreak_ = false;  // a line break not written yet
    bool any_ = false;
};

// The whole 8-bit text decoded at once.
QString ListingToQString(std::string_view text);

// Decoded pieces of a file read a megabyte at a time, or of a text, handed to
// onPiece (the piece is reused between calls). They return whether there
// was any input; reading raises EFileError.
using TListingPieceProc = std::function<void(const QString& piece)>;
bool ReadListingFile(const std::string& fileName, const TListingPieceProc& onPiece);
bool DecodeListingText(std::string_view text, const TListingPieceProc& onPiece);

// The bytes begin with the UTF-16LE byte-order mark FF FE.
bool HasUtf16LeMark(std::string_view bytes);

// The 16-bit units after the mark ((size - 2) / 2 of them; an odd last byte
// is ignored) as 8-bit text: each character Windows-1252 holds becomes its
// byte, any other (a surrogate pair counting as one) "?". The result then
// passes through Utf8ToAnsiStr, so UTF-8 carried inside 8-bit units folds.
std::string Utf16LeToAnsi(std::string_view bytes);

} // namespace pem
