#include "ListingSource.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"

#include "Exceptions.h"
#include "FileDescriptor.h"
#include "SafeFiles.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

// ------------------------------------------------------------ lines

void ForEachListingLine(std::string_view text, const std::function<void(std::string_view line)>& fn) {
    const size_t n = text.size();
    size_t start = 0;
    size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        fn(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < n) fn(text.substr(start));
}

std::vector<std::string> SplitListingLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t breaks = 0;
    for (char c : text) breaks += c == '\n';
    lines.reserve(breaks + 1);
    ForEachListingLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

void ForEachFileLine(const std::string& fileName, const std::function<void(std::string_view line)>& fn) {
    // O_NONBLOCK: a FIFO would wait in the open for a writer; only a regular
    // file is read, anything else is refused at once.
    TFileDescriptor f(::open(Cp1252ToUtf8(fileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (!f.ok() || ::fstat(f.get(), &st) != 0) throw EFileError("Can not open file " + fileName);
    if (!S_ISREG(st.st_mode)) throw EFileError(ReadFailureMessage(TReadStatus::NotRegular, fileName));
    constexpr size_t kBlock = 1 << 20;
    std::vector<char> block(kBlock);
    std::string carry; // the start of a line the block before left open
    bool pendingCr = false;
    for (;;) {
        const ssize_t n = ::read(f.get(), block.data(), kBlock);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EFileError("Can not read file " + fileName);
        if (n == 0) break;
        const size_t got = static_cast<size_t>(n);
        std::string_view data(block.data(), got);
        // The LF of a CR LF that the block before ended in.
        if (pendingCr && data.front() == '\n') data.remove_prefix(1);
        pendingCr = false;
        size_t start = 0;
        for (size_t i = 0; i < data.size(); ++i) {
            const char c = data[i];
            if (c != '\r' && c != '\n') continue;
            if (carry.empty()) {
                fn(data.substr(start, i - start));
            } else {
                carry.append(data.substr(start, i - start));
                fn(carry);
                carry.clear();
            }
            if (c == '\r') {
                if (i + 1 < data.size()) {
                    if (data[i + 1] == '\n') ++i;
                } else {
                    pendingCr = true;
                }
            }
            start = i + 1;
        }
        carry.append(data.substr(start));
    }
    if (!carry.empty()) fn(carry);
}

std::vector<std::string> ReadListingLines(const std::string& fileName) {
    std::vector<std::string> lines;
    ForEachFileLine(fileName, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::string_view LineRange(std::string_view line, int from, int to) {
    if (from < 1) from = 1;
    if (to < from || static_cast<size_t>(from) > line.size()) return {};
    const size_t len = static_cast<size_t>(to - from + 1);
    return line.substr(static_cast<size_t>(from - 1), len);
}

std::string_view LineFrom(std::string_view line, int from) {
    if (from < 1) from = 1;
    if (static_cast<size_t>(from) > line.size()) return {};
    return line.substr(static_cast<size_t>(from - 1));
}

std::string_view TrimRightView(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
    return s.substr(0, n);
}

std::string_view TrimView(std::string_view s) {
    s = TrimRightView(s);
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    return s.substr(i);
}

std::optional<int> ParseInteger(std::string_view text) {
    text = TrimView(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    int value = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    if (r.ec != std::errc() || r.ptr != end) return std::nullopt;
    return value;
}

// ------------------------------------------------------------ the listing's place

namespace {

// The part of the path below the result folder.
std::string PathBelowFolder(const std::string& fileName, const std::string& outputDir, const std::string& folder) {
    const std::string out = IncludeTrailingSeparator(outputDir, '/');
    const std::string sub = folder + "/";
    if (!out.empty() && fileName.compare(0, out.size(), out) == 0 &&
        SameText(std::string_view(fileName).substr(out.size(), sub.size()), sub))
        return fileName.substr(out.size() + sub.size());
    // A listing elsewhere: below the last folder of that name, else its name.
    const std::string folded = AnsiLowerCase(fileName);
    const size_t at = folded.rfind("/" + AnsiLowerCase(sub));
    if (at != std::string::npos) return fileName.substr(at + sub.size() + 1);
    return ExtractFileName(fileName);
}

// The text before the next "/" from `from` on, and where the rest begins.
std::string NextPart(const std::string& s, size_t& from) {
    if (from >= s.size()) {
        from = std::string::npos;
        return {};
    }
    const size_t slash = s.find('/', from);
    std::string part = s.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
    from = slash == std::string::npos ? std::string::npos : slash + 1;
    return part;
}

} // namespace

TListingPlace SplitListingPath(const std::string& fileName, const std::string& outputDir, const std::string& folder) {
    const std::string rest = PathBelowFolder(fileName, outputDir, folder);
    TListingPlace p;
    size_t at = 0;
    p.component = NextPart(rest, at);
    if (at != std::string::npos) p.module = NextPart(rest, at);
    if (at != std::string::npos) p.source = NextPart(rest, at);
    if (p.source.empty()) {
        p.module = ChangeFileExt(p.module, "");
        if (p.module.empty()) p.component = ChangeFileExt(p.component, "");
    }
    return p;
}

std::string ListingPlaceText(const TListingPlace& place) {
    std::string s;
    if (!place.component.empty()) s += "Component: " + place.component;
    if (!place.module.empty()) s += " Module: " + place.module;
    if (!place.source.empty()) s += " Source: " + place.source;
    return s;
}

std::string ListedSourceName(std::string_view name) {
    const size_t bs = name.find('\\');
    return std::string(bs == std::string_view::npos ? name : name.substr(bs + 1));
}

// ------------------------------------------------------------ source files

namespace {

std::string SourceBase(const std::string& commonRoot) {
    // No root: the file system's root, never the program's working folder.
    return IncludeTrailingSeparator(commonRoot.empty() ? std::string("/") : commonRoot, '/');
}

std::string Folders(const std::string& component, const std::string& module) {
    std::string s;
    if (!component.empty()) s += component + "/";
    if (!module.empty()) s += module + "/";
    return s;
}

std::string NameAsPath(const std::string& name) {
    std::string s = name;
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

TSourceLookup FindSourceFile(const std::string& commonRoot, const TListingPlace& place, const std::string& name,
                             const std::string& languageCode, const TLongExtension* longExtension,
                             const TFileExists& exists) {
    const std::string base = SourceBase(commonRoot);
    std::string file = NameAsPath(name);
    TSourceLookup r;
    r.path = base + Folders(place.component, place.module) + file;
    if (exists(r.path)) return {true, r.path};
    if (ExtractFileExt(file).empty()) {
        file += "." + languageCode;
        r.path += "." + languageCode;
        if (exists(r.path)) return {true, r.path};
    }
    if (longExtension) {
        std::string longExt;
        if ((*longExtension)(ExtractFileExt(file), longExt)) {
            file = ChangeFileExt(file, longExt);
            r.path = ChangeFileExt(r.path, longExt);
            if (exists(r.path)) return {true, r.path};
        }
    }
    if (!place.component.empty()) {
        r.path = base + Folders("", place.module) + file;
        if (exists(r.path)) return {true, r.path};
    }
    return r;
}

bool SameName(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }

// The path without the duplicate suffix "_N" (N from 1) at the end of its
// file name's stem, the extension kept; "" when it has none.
std::string WithoutDuplicateSuffix(const std::string& path) {
    const size_t nameAt = path.find_last_of('/') + 1; // npos + 1 is 0
    const std::string ext = ExtractFileExt(path.substr(nameAt));
    const std::string stem = path.substr(0, path.size() - ext.size());
    size_t digits = stem.size();
    while (digits > nameAt && stem[digits - 1] >= '0' && stem[digits - 1] <= '9') --digits;
    if (digits == stem.size() || stem[digits] == '0' || digits < nameAt + 2 || stem[digits - 1] != '_') return {};
    return stem.substr(0, digits - 1) + ext;
}

} // namespace

TSourceLookup FindSpecsSourceFile(const std::string& commonRoot, const TListingPlace& place, const std::string& name,
                                  const std::string& languageCode, const TLongExtension& longExtension,
                                  const TFileExists& exists, const TFileExists& inJobList) {
    const TSourceLookup r =
        FindSourceFile(commonRoot, place, name, languageCode, longExtension ? &longExtension : nullptr, exists);
    if (r.found || !inJobList) return r;
    // A duplicate is listed under its numbered name, but its file keeps the
    // name it shares; the job's list tells that this file is the one meant.
    const std::string plain = WithoutDuplicateSuffix(NameAsPath(name));
    if (plain.empty()) return r;
    const std::string path = SourceBase(commonRoot) + Folders(place.component, place.module) + plain;
    if (exists(path) && inJobList(path)) return {true, path};
    return r;
}

TSourceLookup FindDefiSourceFile(const std::string& commonRoot, const TListingPlace& place, const std::string& name,
                                 const std::string& languageCode, const TFileExists& exists) {
    return FindSourceFile(commonRoot, place, name, languageCode, nullptr, exists);
}

std::string FindSourceInFileList(const TProjectFileStructure& files, const TListingPlace& place,
                                 const std::string& source) {
    const auto& comps = files.components;
    const auto& mods = files.modules;
    size_t k = 0;
    while (k < comps.size() && !SameName(comps[k], place.component)) ++k;
    if (k >= comps.size()) return {};
    while (k < mods.size() && !SameName(mods[k], place.module)) ++k;
    for (; k < mods.size() && (mods[k].empty() || SameName(mods[k], place.module)); ++k) {
        if (k >= files.sources.size() || k >= files.extensions.size()) break;
        if (files.sources[k] + files.extensions[k] == source) return k < files.files.size() ? files.files[k] : "";
    }
    return {};
}

// ------------------------------------------------------------ errors, trees

std::string SourceNotAvailableText(const std::string& path) { return "Source file " + path + " is not available"; }

std::string LineTooHighText(int line) { return "Line number " + std::to_string(line) + " is too high"; }

TTreeLines SourceSectionTree(const std::vector<TSectionRef>& sections, const std::vector<std::string>& sourceNames,
                             const std::function<std::string(int kind)>& kindName) {
    TTreeLines tree;
    bool any = false;
    int prevSource = 0, prevKind = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        const TSectionRef& d = sections[i];
        const int data = static_cast<int>(i);
        const bool newSource = !any || d.sourceIndex != prevSource;
        if (newSource) {
            const bool named = d.sourceIndex >= 0 && d.sourceIndex < static_cast<int>(sourceNames.size());
            tree.push_back({0, named ? sourceNames[static_cast<size_t>(d.sourceIndex)] : std::string(), 7, 8, data});
            prevSource = d.sourceIndex;
        }
        if (newSource || d.kind != prevKind) {
            tree.push_back({1, kindName(d.kind), 5, 6, data});
            prevKind = d.kind;
        }
        any = true;
    }
    return tree;
}

TTreeLines TreeLinesOf(const ITreeSource& source) {
    TTreeLines lines;
    lines.reserve(source.Size());
    for (size_t i = 0; i < source.Size(); ++i)
        lines.push_back({source.Level(i), source.Text(i), source.Image(i), source.SelectedImage(i), source.Data(i)});
    return lines;
}

std::string TreeLinesText(const TTreeLines& tree) {
    std::string s;
    for (const auto& n : tree) {
        s.append(static_cast<size_t>(n.level) * 2, ' ');
        s += n.text;
        s += '\n';
    }
    return s;
}

} // namespace pem
