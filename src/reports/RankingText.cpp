#include "RankingText.h"

#include "BaseStrings.h"
#include "CharSet1252.h"
#include "Exceptions.h"
#include "FileDescriptor.h"
#include "SafeFiles.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

void ReadFileInto(const std::string& fileName, std::string& bytes) {
    // O_NONBLOCK: a FIFO in the file's place would wait for a writer in the
    // open; it is refused below, as any file that is not a regular one.
    TFileDescriptor in(::open(Cp1252ToUtf8(fileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0) throw EFileError("Can not open file " + fileName);
    if (!S_ISREG(st.st_mode)) throw EFileError(ReadFailureMessage(TReadStatus::NotRegular, fileName));
    // The size known beforehand and a block more, to see the end at once; a
    // file that grows meanwhile is read on until its end.
    const size_t want = (st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0) + 4096;
    if (bytes.size() < want) bytes.resize(want);
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(2 * bytes.size());
        const ssize_t n = ::read(in.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EFileError("Can not read file " + fileName);
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
}

std::vector<std::string_view> LineViews(std::string_view text) {
    std::vector<std::string_view> lines;
    LineViews(text, lines);
    return lines;
}

void LineViews(std::string_view text, std::vector<std::string_view>& lines) {
    lines.clear();
    const char* p = text.data();
    const char* const end = p + text.size();
    if (text.find('\r') == std::string_view::npos) {  // LF only: one search per line
        while (p < end) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            const char* stop = lf ? lf : end;
            lines.emplace_back(p, static_cast<size_t>(stop - p));
            p = stop + 1;
        }
        return;
    }
    while (p < end) {
        // Up to the next LF; a CR inside ends the line before it.
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* stop = lf ? lf : end;
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(stop - p)));
        if (cr && cr + 1 != lf) {  // a CR on its own
            lines.emplace_back(p, static_cast<size_t>(cr - p));
            p = cr + 1;
            continue;
        }
        lines.emplace_back(p, static_cast<size_t>((cr ? cr : stop) - p));
        p = lf ? lf + 1 : end;
    }
}

void WriteLinesLF(const std::string& fileName, const std::vector<std::string>& lines) {
    std::string text;
    size_t size = 0;
    for (const auto& l : lines) size += l.size() + 1;
    text.reserve(size);
    for (const auto& l : lines) {
        text += l;
        text += '\n';
    }
    ReplaceOwnFileText(Cp1252ToUtf8(fileName), text, fileName);
}

std::string FormatInt(std::int64_t value, int width, int digits) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value < 0 ? -value : value);
    std::string s(buf, r.ptr);
    if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
    if (value < 0) s.insert(0, 1, '-');
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
    return s;
}

std::string FormatFloat(double value, int width, int decimals) {
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string s = r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0");
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
    return s;
}

std::string CutPadRight(std::string_view text, int n) {
    std::string s(text.substr(0, static_cast<size_t>(n)));
    s.resize(static_cast<size_t>(n), ' ');
    return s;
}

std::int32_t TextToInt(std::string_view text) {
    int v = 0;
    if (!TryStrToIntValue(text, v)) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

double TextToFloat(std::string_view text) {
    const std::string_view t = TrimCharSetView(text, csControlAndBlank);
    std::string_view num = t;
    if (!num.empty() && num.front() == '+') num.remove_prefix(1); // from_chars takes only "-"
    bool ok = !num.empty() && num.front() != '+' && !(num.front() == '-' && num.size() != t.size());
    // Digits, point, sign and exponent only: from_chars would also take "inf" and "nan".
    for (char c : num)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) ok = false;
    double v = 0;
    if (ok) {
        auto r = std::from_chars(num.data(), num.data() + num.size(), v, std::chars_format::general);
        ok = r.ec == std::errc() && r.ptr == num.data() + num.size() && std::isfinite(v);
    }
    if (!ok) throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return v;
}

} // namespace pem
