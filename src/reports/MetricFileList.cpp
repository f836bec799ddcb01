#include "MetricFileList.h"

#include "BaseFileUtils.h"
#include "SafeFiles.h"
#include "SharedRoutinesCommon.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

namespace {

constexpr int kHeadLines = 10;

std::string Trimmed(std::string_view s) { return TrimCharSet(s, csControlAndBlank); }

// The text between the first "<" that opens a tag (not a comment or a
// declaration) and the ">" after it.
std::string RootTagText(const std::string& line) {
    size_t open = line.find('<');
    while (open != std::string::npos && open + 1 < line.size() && (line[open + 1] == '!' || line[open + 1] == '?'))
        open = line.find('<', open + 1);
    if (open == std::string::npos) return {};
    const size_t close = line.find('>', open + 1);
    return Trimmed(line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1));
}

// The quoted value after " Product" or " System", "=" and a double quote.
std::string AttributeText(const std::string& line, const std::string& key) {
    std::string rest = StrAfterFirst(line, key);
    rest = StrAfterFirst(rest, "=");
    rest = StrAfterFirst(rest, "\"");
    return Trimmed(StrBeforeFirst(rest, "\""));
}

bool Holds(const std::string& line, std::initializer_list<const char*> parts) {
    for (const char* p : parts)
        if (line.find(p) == std::string::npos) return false;
    return true;
}

std::string DriveOf(const std::string& path) { return PathHasDrive(path) ? AsciiLowerCase(path.substr(0, 2)) : ""; }

std::vector<std::string> FolderNames(const std::string& path) {
    std::string folder = ExtractFilePath(path);
    if (PathHasDrive(folder)) folder.erase(0, 2);
    std::vector<std::string> names;
    for (const auto& part : SplitByChar(folder, '/'))
        if (!part.empty()) names.push_back(part);
    return names;
}

} // namespace

TMetricFileHeader ParseMetricFileHeader(const std::vector<std::string>& lines) {
    TMetricFileHeader h;
    int read = 0;
    for (const std::string& line : lines) {
        if (read++ >= kHeadLines) break;
        if (Holds(line, {"<!--", "DOCTYPE", "SYSTEM"}))
            h.Type = Trimmed(StrBeforeFirst(StrAfterFirst(line, "DOCTYPE"), "SYSTEM"));
        if (Holds(line, {"<", "METRICS>"})) h.Type = RootTagText(line);
        if (Holds(line, {"<", "METRIC>"})) h.Type = RootTagText(line);
        if (Holds(line, {" Product", "=", "\""})) h.Product = AttributeText(line, " Product");
        if (Holds(line, {" System", "=", "\""})) {
            h.System = AttributeText(line, " System");
            break;
        }
    }
    return h;
}

TMetricFileHeader ReadMetricFileHeader(const std::string& fileName) {
    // Only a regular file is read (a FIFO would wait), and only as far as
    // its first lines.
    const int fd = ::open(Cp1252ToUtf8(fileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return {};
    struct stat st {};
    std::string head;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char buf[8192];
        while (std::count(head.begin(), head.end(), '\n') < kHeadLines) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0) break;
            head.append(buf, static_cast<size_t>(n));
        }
    } else {
        ::close(fd);
        return {};
    }
    ::close(fd);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < head.size() && static_cast<int>(lines.size()) < kHeadLines) {
        size_t end = head.find('\n', start);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return ParseMetricFileHeader(lines);
}

std::string MetricEntryText(const TMetricFileHeader& header, const std::string& path) {
    return header.Product + "\t" + header.System + "\t" + header.Type + "\t - " + path;
}

TMetricEntry SplitMetricEntry(const std::string& entry) {
    TMetricEntry e;
    const auto fields = SplitByChar(entry, '\t');
    if (fields.size() >= 4) {
        e.Product = fields[0];
        e.System = fields[1];
        e.Type = fields[2];
    }
    e.Path = MetricEntryPath(entry);
    return e;
}

std::string MetricEntryPath(const std::string& entry) {
    // The path field follows the third TAB, so that a " - " inside a
    // product or system name cannot cut it.
    size_t at = 0;
    for (int i = 0; i < 3 && at != std::string::npos; ++i) {
        at = entry.find('\t', at);
        if (at != std::string::npos) ++at;
    }
    if (at == std::string::npos) return Trimmed(StrAfterFirst(entry, " - "));
    const std::string field = entry.substr(at);
    return Trimmed(field.find(" - ") == std::string::npos ? field : StrAfterFirst(field, " - "));
}

std::string KindLabelOf(const TStringList& kodToLabel, const std::string& type) { return kodToLabel.Values(type); }

std::string DisabledLabelOf(const TStringList& kodToLabel, const std::string& type) {
    return kodToLabel.Values(";" + type);
}

TMetricImport::TMetricImport(const TStringList& kodToLabel, std::string productName,
                             const std::vector<std::string>& listedEntries)
    : table_(kodToLabel), product_(std::move(productName)), listed_(listedEntries.begin(), listedEntries.end()) {}

bool TMetricImport::Check(const std::string& fileName) {
    if (AsciiLowerCase(ExtractFileExt(fileName)) != ".xml") return false;
    const TMetricFileHeader h = ReadMetricFileHeader(fileName);
    const std::string text = MetricEntryText(h, fileName);
    if (h.Type.find("METRIC") != std::string::npos && !KindLabelOf(table_, h.Type).empty()) {
        if (!listed_.insert(text).second) return false;
        added_.push_back({text, SameText(h.Product, product_)});
        return true;
    }
    if (listed_.count(text)) return false;
    invalid_ += "," + ExtractFileName(fileName) + " - " + h.Type;
    const std::string disabled = DisabledLabelOf(table_, h.Type);
    if (!disabled.empty()) invalid_ += "(" + disabled + ")";
    return false;
}

std::string CommonRootOf(const std::vector<std::string>& paths, bool& ok) {
    ok = true;
    if (paths.empty()) return "/";
    const std::string drive = DriveOf(paths.front());
    std::vector<std::vector<std::string>> names;
    names.reserve(paths.size());
    size_t most = 0, fewest = 0;
    for (const std::string& p : paths) {
        if (DriveOf(p) != drive) {
            ok = false;
            return {};
        }
        names.push_back(FolderNames(p));
        most = std::max(most, names.back().size());
        if (names.back().size() < names[fewest].size()) fewest = names.size() - 1;
    }
    size_t shared = 0;
    for (; shared < names[fewest].size(); ++shared) {
        const std::string& n = names[fewest][shared];
        if (!std::all_of(names.begin(), names.end(), [&](const auto& v) { return v[shared] == n; })) break;
    }
    // Of the shared names, only those before the deepest path's last one.
    const size_t kept = most >= 1 ? std::min(shared, most - 1) : 0;
    std::string root = drive + "/";
    for (size_t i = 0; i < kept; ++i) root += names[fewest][i] + "/";
    return root;
}

std::string MetricsFileListText(const std::vector<std::string>& paths) {
    std::string text;
    for (const auto& p : paths) text += p + "\n";
    return text;
}

std::vector<std::string> ReadMetricsFileList(const std::string& fileName) {
    const std::string text = ReadRegularFile(Cp1252ToUtf8(fileName));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace pem
