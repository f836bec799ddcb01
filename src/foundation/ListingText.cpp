#include "ListingText.h"

#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"
#include "SharedRoutinesCommon.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

namespace {

const std::array<char16_t, 256>& Table1252() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(i)));
        return t;
    }();
    return table;
}

} // namespace

namespace {
// Reads up to limit bytes (all for SIZE_MAX) of the file.
std::string ReadFilePart(const std::string& fileName, size_t limit) {
    // Only a regular file: nothing waits for the writer of a FIFO.
    const int fd = OpenRegularFileOrRaise(Cp1252ToUtf8(fileName), fileName);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        throw EFileError("Can not open file " + fileName);
    }
    // One byte more than the size, so that the end shows without growing.
    std::string bytes(std::min(limit, static_cast<size_t>(st.st_size) + 1), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            throw EFileError("Can not read file " + fileName);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
        if (got == bytes.size() && limit == SIZE_MAX) bytes.resize(bytes.size() * 2); // the file grew
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}
} // namespace

std::string ReadFileBytes(const std::string& fileName) { return ReadFilePart(fileName, SIZE_MAX); }
std::string ReadFileHead(const std::string& fileName, size_t count) { return ReadFilePart(fileName, count); }

void TListingDecoder::Decode(std::string_view piece, QString& out) {
    const auto& table = Table1252();
    const size_t n = piece.size();
    // At most one held break and one character per byte.
    out.resize(static_cast<qsizetype>(n + 1));
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    size_t o = 0;
    size_t i = 0;
    if (n > 0) any_ = true;
    if (pendingCr_ && n > 0) {
        pendingCr_ = false;
        if (piece[0] == '\n') i = 1; // the LF of a CR LF split between pieces
    }
    if (pendingBreak_ && i < n) {
        d[o++] = u'\n';
        pendingBreak_ = false;
    }
    for (; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(piece[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r') {
                if (i + 1 < n) {
                    if (piece[i + 1] == '\n') ++i;
                } else {
                    pendingCr_ = true;
                }
            }
            if (i + 1 >= n) {
                pendingBreak_ = true; // written before the next piece's text, dropped at the end
                break;
            }
            d[o++] = u'\n';
        } else {
            d[o++] = table[c];
        }
    }
    out.truncate(static_cast<qsizetype>(o));
}

void TListingDecoder::Finish(QString& out) {
    out.clear();
    pendingCr_ = false;
    pendingBreak_ = false;
}

QString ListingToQString(std::string_view text) {
    TListingDecoder decoder;
    QString out;
    decoder.Decode(text, out);
    return out;
}

namespace {
constexpr size_t kPiece = 1 << 20;

// Runs the decoder over the pieces nextPiece gives until an empty one.
bool DecodePieces(const std::function<std::string_view()>& nextPiece, const TListingPieceProc& onPiece) {
    TListingDecoder decoder;
    QString text;
    for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece()) {
        decoder.Decode(piece, text);
        if (!text.isEmpty()) onPiece(text);
    }
    decoder.Finish(text);
    if (!text.isEmpty()) onPiece(text);
    return decoder.AnyInput();
}
} // namespace

bool ReadListingFile(const std::string& fileName, const TListingPieceProc& onPiece) {
    const int fd = OpenRegularFileOrRaise(Cp1252ToUtf8(fileName), fileName);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    std::string buffer(kPiece, '\0');
    return DecodePieces(
        [&]() {
            ssize_t n;
            do n = ::read(fd, buffer.data(), buffer.size());
            while (n < 0 && errno == EINTR);
            if (n < 0) throw EFileError("Can not read file " + fileName);
            return std::string_view(buffer.data(), static_cast<size_t>(n));
        },
        onPiece);
}

bool DecodeListingText(std::string_view text, const TListingPieceProc& onPiece) {
    return DecodePieces(
        [&text]() {
            std::string_view piece = text.substr(0, std::min(text.size(), kPiece));
            text.remove_prefix(piece.size());
            return piece;
        },
        onPiece);
}

bool HasUtf16LeMark(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

std::string Utf16LeToAnsi(std::string_view bytes) {
    std::string out;
    if (bytes.size() < 2) return out;
    TUtf16LeFolder().Fold(bytes.substr(2), out);
    return Utf8ToAnsiStr(out);
}

} // namespace pem
