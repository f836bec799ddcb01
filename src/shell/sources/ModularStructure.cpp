#include "ModularStructure.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "FileFilter.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <unordered_map>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

namespace {

const char* const kPhases[] = {
    "Determine longest common path",
    "Remove irrelevant directories from path",
    "Determine component/module names and source duplicates  ",
    "Sort component/module names ",
};

std::vector<std::string_view> Split(std::string_view s) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    while (true) {
        const auto slash = s.find('/', from);
        parts.push_back(s.substr(from, slash == std::string_view::npos ? std::string_view::npos : slash - from));
        if (slash == std::string_view::npos) break;
        from = slash + 1;
    }
    return parts;
}

// The folder segments of a path below the root of the file system.
std::vector<std::string_view> FolderSegments(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos || slash == 0) return {};
    std::string_view folder = path.substr(0, slash);
    if (folder.front() == '/') folder.remove_prefix(1);
    return Split(folder);
}

std::unordered_set<std::string> LowerSet(const TNameList& list, bool tickedOnly) {
    std::unordered_set<std::string> set;
    for (const TNameEntry& e : list)
        if (!tickedOnly || e.ticked) set.insert(AnsiLowerCase(e.name));
    return set;
}

// Drops the directory segments (all but the last) whose name is in irrelevant.
void RemoveIrrelevant(std::vector<std::string_view>& segs, std::size_t from,
                      const std::unordered_set<std::string>& irrelevant) {
    if (irrelevant.empty() || segs.size() < 2) return;
    std::vector<std::string_view> kept(segs.begin(), segs.begin() + static_cast<std::ptrdiff_t>(from));
    for (std::size_t k = from; k + 1 < segs.size(); ++k)
        if (!irrelevant.count(AnsiLowerCase(segs[k]))) kept.push_back(segs[k]);
    kept.push_back(segs.back());
    segs = std::move(kept);
}

struct TUnitKey {
    std::string_view component, module, source;
    bool operator==(const TUnitKey& o) const {
        return source == o.source && module == o.module && component == o.component;
    }
};
struct TUnitKeyHash {
    std::size_t operator()(const TUnitKey& k) const {
        const std::hash<std::string_view> h;
        return h(k.source) ^ (h(k.module) * 31) ^ (h(k.component) * 131);
    }
};

void SortNameList(TNameList& list) {
    std::sort(list.begin(), list.end(),
              [](const TNameEntry& a, const TNameEntry& b) { return AnsiCompareStr(a.name, b.name) < 0; });
    // The irrelevant names first, then the names found, each group in order.
    std::stable_partition(list.begin(), list.end(), [](const TNameEntry& e) { return e.ticked; });
}

} // namespace

namespace {

// Existence of files looked up folder by folder.
class TFolderLookup {
public:
    ~TFolderLookup() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Exists(const std::string& path) {
        const auto slash = path.find_last_of('/');
        if (slash == std::string::npos || path.empty()) return SourceFileExists(path);
        const std::string_view folder(path.data(), slash + 1);
        if (folder != folder_) {
            if (fd_ >= 0) ::close(fd_);
            folder_.assign(folder);
            fd_ = ::open(Cp1252ToUtf8(folder_).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
        if (fd_ < 0) return false;
        struct stat st {};
        return ::fstatat(fd_, Cp1252ToUtf8(std::string_view(path).substr(slash + 1)).c_str(), &st, 0) == 0 &&
               S_ISREG(st.st_mode);
    }

private:
    std::string folder_;
    int fd_ = -1;
};

} // namespace

bool SourceFileExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    bool ascii = true;
    for (unsigned char c : path) ascii = ascii && c < 0x80;
    const int r = ascii ? ::stat(path.c_str(), &st) : ::stat(Cp1252ToUtf8(path).c_str(), &st);
    return r == 0 && S_ISREG(st.st_mode);
}

TStructureFlags StructureFlagsOf(int level) {
    TStructureFlags f;
    f.components = level == 2 || level == 3;
    f.modules = level >= 1 && level <= 3;
    f.sources = level >= 0 && level <= 3;
    f.allLevels = level == 99;
    return f;
}

void TModularStructure::Clear() {
    Names.clear();
    Components.clear();
    Modules.clear();
    Sources.clear();
    Duplicates.clear();
    Extensions.clear();
    NamesMaxLen = ComponentsMaxLen = ModulesMaxLen = SourcesMaxLen = 0;
    Root.clear();
    Depth = 0;
}

void TModularStructure::ClearComponentsAndModules() {
    Components.clear();
    Modules.clear();
    ComponentsMaxLen = ModulesMaxLen = 0;
}

const std::string& TModularStructure::At(const std::vector<std::string>& list, int i) {
    static const std::string empty;
    return i >= 0 && static_cast<std::size_t>(i) < list.size() ? list[static_cast<std::size_t>(i)] : empty;
}

int TModularStructure::DuplicateAt(int i) const {
    return i >= 0 && static_cast<std::size_t>(i) < Duplicates.size() ? Duplicates[static_cast<std::size_t>(i)] : 0;
}

std::string TModularStructure::NewFileNameAt(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= Sources.size() || static_cast<std::size_t>(i) >= Extensions.size() ||
        DuplicateAt(i) == 0)
        return {};
    return Sources[static_cast<std::size_t>(i)] + Extensions[static_cast<std::size_t>(i)];
}

TCommonRoot DetermineCommonRoot(const std::vector<std::string>& paths, int level) {
    TCommonRoot r;
    if (paths.empty()) return r;
    // Each folder as a view (no leading "/", no trailing one) and its number
    // of segments; the reference is the folder with the fewest.
    auto folderOf = [](std::string_view path) {
        const auto slash = path.find_last_of('/');
        if (slash == std::string_view::npos || slash == 0) return std::string_view();
        std::string_view folder = path.substr(0, slash);
        if (folder.front() == '/') folder.remove_prefix(1);
        return folder;
    };
    auto segments = [](std::string_view folder) {
        return folder.empty() ? 0 : static_cast<int>(std::count(folder.begin(), folder.end(), '/')) + 1;
    };
    std::size_t reference = 0;
    int fewest = 999, deepest = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const int n = segments(folderOf(paths[i]));
        if (n <= fewest) {
            fewest = n;
            reference = i;
        }
        deepest = std::max(deepest, n);
    }
    const std::vector<std::string_view> ref = FolderSegments(paths[reference]);
    // The common length: how many of the reference's segments every folder
    // begins with. The reference's first k segments with their separators
    // form a prefix, so a folder agrees in k segments exactly when it begins
    // with that prefix followed by "/" (or ends there).
    std::vector<std::size_t> ends; // end of segment k in the reference folder
    {
        std::size_t at = 0;
        for (std::string_view seg : ref) {
            at += seg.size();
            ends.push_back(at);
            ++at;
        }
    }
    const std::string_view refFolder = folderOf(paths[reference]);
    std::size_t common = ref.size();
    for (const std::string& p : paths) {
        const std::string_view folder = folderOf(p);
        while (common > 0) {
            const std::size_t len = ends[common - 1];
            if (folder.size() >= len && folder.compare(0, len, refFolder.substr(0, len)) == 0 &&
                (folder.size() == len || folder[len] == '/'))
                break;
            --common;
        }
        if (common == 0) break;
    }
    std::string root = "/";
    const int limit = level == 99 ? deepest - 1 : deepest - 3;
    for (std::size_t k = 0; k < common && static_cast<int>(k) <= limit; ++k) root.append(ref[k]).append("/");
    root.pop_back();
    r.root = root;
    r.depth = deepest - static_cast<int>(common);
    return r;
}

int RelativePartStart(const std::string& root) { return root.empty() ? 1 : static_cast<int>(root.size()) + 2; }

TStructureOutcome CalculateModularStructure(TSourceFileList& files, TNameList& componentNames,
                                            TNameList& moduleNames, TModularStructure& out,
                                            const TStructureRequest& req) {
    TStructureOutcome o;
    auto stop = [&o](TSourceMessage::Kind kind, const std::string& text) {
        o.hasMessage = true;
        o.message = {kind, text};
        return o;
    };
    const int count = files.Count();
    if (count == 0) return o;
    if (count >= 9999) return stop(TSourceMessage::Error, "The number of file in one job must be less than 9999");

    // Missing files are unticked and greyed. A long list is looked at by a
    // few threads at once while the caller's tick keeps serving the window.
    const std::vector<TSourceFile>& items = files.Items();
    std::vector<char> gone(static_cast<std::size_t>(count), 0);
    auto look = [&](std::size_t from, std::size_t to) {
        // Files of one folder follow each other: the folder is opened once
        // and each file looked up in it.
        TFolderLookup lookup;
        for (std::size_t i = from; i < to; ++i) {
            if (!items[i].checked) continue;
            std::string path = items[i].path;
            if (req.testToolMode) {
                const auto eq = path.find('=');
                path = eq == std::string::npos ? std::string() : path.substr(eq + 1);
            }
            gone[i] = !(req.fileExists ? req.fileExists(path) : lookup.Exists(path));
        }
    };
    const std::size_t n = static_cast<std::size_t>(count);
    if (n < 2048) {
        for (std::size_t i = 0; i < n; ++i) {
            if (req.tick) req.tick();
            look(i, i + 1);
        }
    } else {
        const std::size_t parts = 4;
        std::vector<std::future<void>> work;
        for (std::size_t k = 0; k < parts; ++k)
            work.push_back(std::async(std::launch::async, look, n * k / parts, n * (k + 1) / parts));
        for (auto& w : work) {
            while (w.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
                if (req.tick) req.tick();
            w.get();
        }
    }
    bool missing = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (!gone[i]) continue;
        files.SetChecked(static_cast<int>(i), false);
        files.SetEnabled(static_cast<int>(i), false);
        missing = true;
    }
    o.filesChanged = missing;
    if (missing) return stop(TSourceMessage::Error, "Some input files cannot be found!");
    if (req.testToolMode) return o;

    if (files.CheckedCount() == 0)
        return stop(req.strict ? TSourceMessage::Error : TSourceMessage::Info, "No files are selected for processing!");
    if (!req.strict && count > req.bigLimit)
        return stop(TSourceMessage::Warning,
                    "Press the \"" + req.recalculateCaption + "\" button to apply the changes !");

    if (req.onWork) req.onWork();
    auto width = [&req](std::string_view s) {
        return req.textWidth ? req.textWidth(s) : static_cast<int>(s.size());
    };
    auto progress = [&req, count](int phase, int pos) {
        if (req.progress) req.progress(kPhases[phase], phase, pos, count);
    };

    // Default irrelevant names, for the main analysis products, once.
    if ((req.productKind == 0 || req.productKind == 3) && componentNames.empty()) {
        std::vector<std::string> items = req.dummyNames;
        std::sort(items.begin(), items.end(),
                  [](const std::string& a, const std::string& b) { return AnsiCompareStr(a, b) < 0; });
        TNameList names;
        for (const std::string& n : items)
            if (!n.empty() && (names.empty() || names.back().name != n)) names.push_back({n, true});
        componentNames = names;
        if (moduleNames.empty()) moduleNames = names;
    }

    // The common root.
    files.NumberStructureRows();
    out.Names.clear();
    out.Names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        progress(0, i + 1);
        out.Names.push_back(files.Path(i));
    }
    const TCommonRoot cr = DetermineCommonRoot(out.Names, req.level);
    const std::string& root = cr.root;

    // Irrelevant directories leave the paths.
    const auto irrelevantComponents = LowerSet(componentNames, true);
    const auto irrelevantModules = LowerSet(moduleNames, true);
    const bool anyIrrelevant = !irrelevantComponents.empty() || !irrelevantModules.empty();
    for (int i = 0; i < count; ++i) {
        progress(1, i + 1);
        if (!anyIrrelevant) continue; // the paths stay as they are
        std::string& name = out.Names[static_cast<std::size_t>(i)];
        std::string_view below(name);
        below.remove_prefix(std::min(root.size() + 1, below.size()));
        std::vector<std::string_view> segs = Split(below);
        RemoveIrrelevant(segs, 0, irrelevantComponents);
        RemoveIrrelevant(segs, 1, irrelevantModules);
        std::string path = root;
        for (std::string_view s : segs) path.append("/").append(s);
        name = std::move(path);
    }

    // Names and duplicates.
    auto dropUnticked = [](TNameList& l) {
        l.erase(std::remove_if(l.begin(), l.end(), [](const TNameEntry& e) { return !e.ticked; }), l.end());
    };
    dropUnticked(componentNames);
    dropUnticked(moduleNames);
    auto knownComponents = LowerSet(componentNames, false);
    auto knownModules = LowerSet(moduleNames, false);
    out.Components.clear();
    out.Modules.clear();
    out.Sources.clear();
    out.Duplicates.clear();
    out.Extensions.clear();
    out.ComponentsMaxLen = out.ModulesMaxLen = out.SourcesMaxLen = 0;
    for (auto* v : {&out.Components, &out.Modules, &out.Sources, &out.Extensions})
        v->reserve(static_cast<std::size_t>(count));
    out.Duplicates.reserve(static_cast<std::size_t>(count));
    const TStructureFlags flags = StructureFlagsOf(req.level);
    std::unordered_set<std::string> firstOccurrence; // lower-cased source names seen
    firstOccurrence.reserve(static_cast<std::size_t>(count));
    // Entries so far of each component, module and source name
    // (case-sensitive); the views point into the lists being filled, which
    // were sized beforehand and do not move.
    std::unordered_map<TUnitKey, int, TUnitKeyHash> seen;
    seen.reserve(static_cast<std::size_t>(count));
    // Neighbouring entries mostly share their component and module: the
    // look-ups of the last ones are kept.
    std::string lastComponent, lastModule;
    bool haveLast = false;
    for (int i = 0; i < count; ++i) {
        progress(2, i + 1);
        std::string_view below(out.Names[static_cast<std::size_t>(i)]);
        below.remove_prefix(std::min(root.size() + 1, below.size()));
        // The segments: the last is the file name; "Gen_Modu" and "Gen_Comp"
        // stand in front of a path too short for its level.
        const auto lastSlash = below.find_last_of('/');
        const std::string_view fileName = lastSlash == std::string_view::npos ? below : below.substr(lastSlash + 1);
        const std::size_t firstSlash = below.find('/');
        const std::string_view seg0 = firstSlash == std::string_view::npos ? below : below.substr(0, firstSlash);
        std::string_view seg1;
        int segCount = 1;
        if (firstSlash != std::string_view::npos) {
            const std::size_t second = below.find('/', firstSlash + 1);
            seg1 = below.substr(firstSlash + 1, second == std::string_view::npos ? std::string_view::npos
                                                                                 : second - firstSlash - 1);
            segCount = static_cast<int>(std::count(below.begin(), below.end(), '/')) + 1;
        }
        std::string_view component, module;
        if (flags.components) {
            // At least three segments: Gen_Comp in front of one or two.
            if (segCount >= 3) {
                component = seg0;
                module = seg1;
            } else {
                component = kGenComp;
                module = segCount == 2 ? seg0 : std::string_view(kGenModu);
            }
        } else if (flags.modules) {
            // Without components the module is the first segment below the root.
            module = segCount >= 2 ? seg0 : std::string_view(kGenModu);
        }
        const bool sameUnit = haveLast && component == lastComponent && module == lastModule;
        if (!sameUnit) {
            if (flags.components && component != kGenComp && knownComponents.insert(AnsiLowerCase(component)).second)
                componentNames.push_back({std::string(component), false});
            if (flags.modules && module != kGenModu && knownModules.insert(AnsiLowerCase(module)).second)
                moduleNames.push_back({std::string(module), false});
            if (flags.components) out.ComponentsMaxLen = std::max(out.ComponentsMaxLen, width(component));
            if (flags.modules) out.ModulesMaxLen = std::max(out.ModulesMaxLen, width(module));
            lastComponent.assign(component);
            lastModule.assign(module);
            haveLast = true;
        }
        out.Components.emplace_back(component);
        out.Modules.emplace_back(module);

        if (flags.sources) {
            const std::string ext = ExtractFileExt(std::string(fileName));
            const std::string_view source = fileName.substr(0, fileName.size() - ext.size());
            out.Extensions.push_back(ext);
            const int dup = seen[{out.Components.back(), out.Modules.back(), source}]++;
            if (firstOccurrence.insert(AnsiLowerCase(source)).second)
                out.SourcesMaxLen = std::max(out.SourcesMaxLen, width(fileName));
            out.Sources.emplace_back(source);
            out.Duplicates.push_back(dup);
        } else {
            out.Sources.emplace_back();
            out.Extensions.emplace_back();
            out.Duplicates.push_back(0);
        }
    }
    for (std::size_t i = 0; i < out.Sources.size(); ++i) {
        if (out.Duplicates[i] == 0) continue;
        out.Sources[i] += "_" + std::to_string(out.Duplicates[i]);
        // The new name is drawn in the sources' column too: it must fit.
        out.SourcesMaxLen = std::max(out.SourcesMaxLen, width(out.Sources[i] + out.Extensions[i]));
    }

    progress(3, count);
    SortNameList(componentNames);
    SortNameList(moduleNames);

    out.Root = root;
    out.Depth = cr.depth;
    o.computed = true;

    if (req.productKind != 0 && req.productKind != 3 && req.level < cr.depth) {
        const std::string level = std::to_string(req.level);
        if (req.strict)
            return stop(TSourceMessage::Error,
                        "Maximum allowed directory depth is " + level + ", remove some files from the list!");
        return stop(TSourceMessage::Warning, "Maximum allowed directory depth is " + level + ", uncheck some files!");
    }
    o.clearStatus = true;
    return o;
}

int ApplyCommonRootWidths(TModularStructure& s, const TSourceFileList& files,
                          const std::function<int(std::string_view)>& textWidth) {
    auto width = [&textWidth](std::string_view t) {
        return textWidth ? textWidth(t) : static_cast<int>(t.size());
    };
    const std::size_t start = static_cast<std::size_t>(RelativePartStart(s.Root) - 1);
    int widestItem = 0;
    for (const TSourceFile& f : files.Items()) {
        std::string_view rel(f.path);
        rel.remove_prefix(std::min(start, rel.size()));
        widestItem = std::max(widestItem, width(rel));
    }
    s.NamesMaxLen = widestItem;
    int widestName = 0;
    for (const std::string& n : s.Names) widestName = std::max(widestName, width(n));
    return width("xxx") + widestName + s.NamesMaxLen + s.ComponentsMaxLen + s.ModulesMaxLen + s.SourcesMaxLen + 5;
}

std::vector<TItemColumn> SourceItemColumns(const TSourceFileList& files, const TModularStructure& s, int index,
                                           const TItemLayout& layout) {
    std::vector<TItemColumn> cols;
    if (index < 0 || index >= files.Count()) return cols;
    const std::string& text = files.Path(index);
    int x = 2;
    if (layout.testToolMode) {
        const auto eq = text.find('=');
        cols.push_back({x, text.substr(0, eq)});
        cols.push_back({x + layout.labelWidth, eq == std::string::npos ? std::string() : text.substr(eq + 1)});
        return cols;
    }
    if (!files.Checked(index)) {
        cols.push_back({x, text});
        return cols;
    }
    const std::size_t start = static_cast<std::size_t>(std::max(1, layout.relativeStart) - 1);
    cols.push_back({x, start < text.size() ? text.substr(start) : std::string()});
    // The structure's columns come from the entry's own row: entries added
    // since the last computation (a long list is not recomputed on every
    // change) have none, and the others keep theirs when insertions shift
    // the list.
    const int row = files.StructureRow(index);
    if (row < 0) return cols;
    if (s.NamesMaxLen > 0) x += s.NamesMaxLen;
    if (static_cast<std::size_t>(row) < s.Components.size()) cols.push_back({x, TModularStructure::At(s.Components, row)});
    x += s.ComponentsMaxLen;
    if (static_cast<std::size_t>(row) < s.Modules.size()) cols.push_back({x, TModularStructure::At(s.Modules, row)});
    x += s.ModulesMaxLen;
    const std::string newName = s.NewFileNameAt(row);
    if (!newName.empty()) cols.push_back({x, newName});
    if (layout.helperPagesShown) {
        x += s.SourcesMaxLen + 5;
        cols.push_back({x, TModularStructure::At(s.Names, row)});
    }
    return cols;
}

} // namespace pem
