#include "ListingText.h"

#include "CharSet1252.h"
#include "Exceptions.h"
#include "SharedRoutinesCommon.h"

#include <array>
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

std::string ReadFileBytes(const std::string& fileName) {
    int fd = ::open(Cp1252ToUtf8(fileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFileError("Can not open file " + fileName);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw EFileError("Can not open file " + fileName);
    }
    std::string bytes;
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (true) {
        if (got == bytes.size()) bytes.resize(bytes.size() + 65536);
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            ::close(fd);
            throw EFileError("Can not read file " + fileName);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

QString ListingToQString(std::string_view text) {
    const auto& table = Table1252();
    QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    const size_t n = text.size();
    size_t o = 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            d[o++] = u'\n';
            if (i + 1 < n && text[i + 1] == '\n') ++i;
        } else {
            d[o++] = table[c];
        }
    }
    if (o > 0 && d[o - 1] == u'\n') --o;
    out.truncate(static_cast<qsizetype>(o));
    return out;
}

int ListingLineCount(std::string_view text) {
    if (text.empty()) return 0;
    int lines = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        if (text[i] == '\r') {
            ++lines;
            if (i + 1 < n && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            ++lines;
        }
    }
    const char last = text.back();
    if (last != '\n' && last != '\r') ++lines;
    return lines;
}

bool HasUtf16LeMark(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

std::string Utf16LeToAnsi(std::string_view bytes) {
    std::string out;
    if (bytes.size() < 2) return out;
    const size_t units = (bytes.size() - 2) / 2;
    out.reserve(units);
    auto unit = [&](size_t k) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * k]) |
                                     (static_cast<unsigned char>(bytes[3 + 2 * k]) << 8));
    };
    for (size_t k = 0; k < units; ++k) {
        char16_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            char16_t lo = unit(k + 1);
            if (lo >= 0xDC00 && lo <= 0xDFFF) ++k;
            out += '?';
            continue;
        }
        int b = UnicodeToCp1252(u);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return Utf8ToAnsiStr(out);
}

} // namespace pem
