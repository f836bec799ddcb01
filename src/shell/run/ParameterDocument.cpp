#include "ParameterDocument.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "BaseUtils.h"
#include "CharSet1252.h"
#include "FileFilter.h"
#include "ModularStructure.h"
#include "SourceFileList.h"

#include <cstdio>
#include <optional>

namespace pem {

// ------------------------------------------------------------ sub-processors

void TSubProcessorMap::AddFilter(const std::string& name, const std::string& filter) {
    const TStringArray parts = SplitByChar(filter, '|');
    for (std::size_t i = 1; i < parts.size(); i += 2)
        for (const std::string& ext : SplitByChar(RemoveChar(parts[i], '*'), ';')) {
            const std::string e = TrimCharSet(ext, csControlAndBlank);
            if (!e.empty()) Add(e, name);
        }
}

void TSubProcessorMap::Add(const std::string& extension, const std::string& name) {
    auto [it, added] = byExtension_.emplace(AnsiLowerCase(extension), name);
    if (!added && AnsiCompareText(name, it->second) < 0) it->second = name;
}

std::string TSubProcessorMap::Lookup(const std::string& extension) const {
    const auto it = byExtension_.find(AnsiLowerCase(extension));
    return it == byExtension_.end() ? std::string() : it->second;
}

// ------------------------------------------------------------ extensions

std::string ShortenExtension(const std::string& extension) {
    return AnsiUpperCase(extension.size() > 4 ? extension.substr(0, 4) : extension);
}

bool RestoreLongExtension(const TStringList& longExtensions, const std::string& extension,
                          std::string& longExtension) {
    const std::string stored = longExtensions.Values(extension);
    longExtension = stored.empty() ? extension : stored;
    return longExtension != extension;
}

void SetExtensionPairs(TStringList& longExtensions, const std::vector<std::pair<std::string, std::string>>& pairs) {
    for (const auto& [name, value] : pairs) longExtensions.SetValue(name, value);
}

// ------------------------------------------------------------ entry levels

namespace {

std::string KeyOf(const std::string& text) {
    const auto eq = text.find('=');
    return eq == std::string::npos ? text : text.substr(0, eq);
}

// The text after its n-th "/" (n = 1 or 2); the text after the last one
// found when it has fewer, the whole text when it has none.
std::string AfterSlash(const std::string& text, int n) {
    std::size_t from = 0;
    for (int i = 0; i < n; ++i) {
        const auto p = text.find('/', from);
        if (p == std::string::npos) break;
        from = p + 1;
    }
    return text.substr(from);
}

} // namespace

std::string CollapseEntryLevels(const std::string& text, int level) {
    if (level == 1) {
        if (HasPrefix(text, "COMP0001=", false)) return "COMP0001=";
        if (HasPrefix(text, "MOD", false)) return KeyOf(text) + "=/" + AfterSlash(text, 1);
        if (HasPrefix(text, "SRC", false)) return KeyOf(text) + "=" + AfterSlash(text, 1);
        return ReplaceStr("COMP0001/", "", text);
    }
    if (level == 0) {
        if (HasPrefix(text, "COMP0001=", false)) return "COMP0001=";
        if (HasPrefix(text, "MOD0001=", false)) return "MOD0001=";
        if (HasPrefix(text, "SRC", false)) return KeyOf(text) + "=" + AfterSlash(text, 2);
        return ReplaceStr("MOD0001/", "", ReplaceStr("COMP0001/", "", text));
    }
    return text;
}

// ------------------------------------------------------------ composing

namespace {

std::string Num4(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4.4d", n);
    return buf;
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string Quoted(const std::string& name, const std::string& value, const char* tail = "") {
    return name + " = \"" + value + "\"" + tail;
}

// The line writers: every line indented by one blank per level.
class TDocumentWriter {
public:
    explicit TDocumentWriter(TStringList& lines) : lines_(lines) {}

    void AddLine(const std::string& text) {
        lines_.Add(std::string(static_cast<std::size_t>(level_ > 0 ? level_ : 0), ' ') + text);
    }
    void OpenElement(const std::string& name) {
        AddLine("<" + name + ">");
        element_ = name;
        ++level_;
    }
    void CloseElement() {
        --level_;
        AddLine("</" + element_ + ">");
    }
    void WriteElement(const std::string& name, const std::string& value) {
        AddLine("<" + name + ">" + value + "</" + name + ">");
    }
    // An opening line of attributes; a tag that got none leaves no line.
    void OpenTag(const std::string& text) {
        AddLine(text);
        tagIndex_ = lines_.Count() - 1;
        ++level_;
    }
    void CloseTag(const std::string& text) {
        --level_;
        if (tagIndex_ == lines_.Count() - 1) lines_.Delete(tagIndex_);
        else AddLine(text);
    }
    void SetLevel(int level) { level_ = level; }

private:
    TStringList& lines_;
    int level_ = 0;
    std::string element_;
    int tagIndex_ = -1;
};

// The option attributes in their order; from "Exports" on they end in a blank.
struct TOptionLiteral {
    const char* name;
    const char* tail;
};
constexpr TOptionLiteral kOptionLiterals[poCount] = {
    {"Audit", ""},      {"Redoc", ""},    {"Calc", ""},   {"Comments", ""}, {"Exports", " "},  {"Labels", " "},
    {"Branches", " "},  {"Calls", " "},   {"Macros", " "}, {"IOs", " "},     {"REPO_TAB", " "},
};

// Values are written unescaped: what would end an attribute or an element
// cannot be carried.
void RefuseUncarried(const char* what, const std::string& value, bool quoteToo) {
    const char* refused = quoteToo ? "<>\"" : "<>";
    if (value.find_first_of(refused) == std::string::npos) return;
    throw EParameterDocument(std::string(what) + (quoteToo ? " must not contain <, > or \": " : " must not contain < or >: ") +
                             value);
}

class TComposer {
public:
    explicit TComposer(const TParameterJob& job) : job_(job), w_(doc_.lines) {}

    TParameterDocument Compose() {
        const int mode = job_.runMode;
        const bool options = mode == 1 || mode == 3 || mode == 5;
        const std::string language = mode == 4 ? std::string() : job_.languageVersion;
        RefuseUncarried("Language version", language, true);
        RefuseUncarried("Product name", job_.productName, true);
        RefuseUncarried("System name", job_.systemName, true);
        RefuseUncarried("Version", job_.version, true);
        RefuseUncarried("Output directory", job_.outputDirectory, false);
        const std::string searchName = SearchName();
        if (mode == 6) {
            RefuseUncarried("Search type", job_.searchType, true);
            RefuseUncarried("Search text", searchName, true);
        }
        const bool repoTab = mode == 1 && job_.options[poRepo_Tab].visible && job_.options[poRepo_Tab].checked;
        if (repoTab) RefuseUncarried("Repository table", job_.repoTabFile, false);
        subProcessorRun_ = SameText(job_.languageCode, "WAA");
        doc_.batchRun = subProcessorRun_ || job_.nameByDirectory;
        inputTree_ = IncludeTrailingSeparator(job_.outputDirectory, '/') + "workinp";

        w_.AddLine(Padded("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>", 56));
        w_.AddLine(Padded("<!--DOCTYPE PEMARIS SYSTEM \"Pemaris.dtd\"-->", 56));
        const std::string root = AnsiUpperCase(job_.programName);
        w_.OpenElement(root);

        w_.OpenTag(Padded("<Names", 55));
        w_.AddLine(Quoted("Language", language));
        w_.AddLine(Quoted("ProductName", job_.productName));
        w_.AddLine(Quoted("SystemName ", job_.systemName));
        w_.AddLine(Quoted("Version", job_.version));
        w_.CloseTag("/>");

        w_.OpenTag("<Parameters");
        if (options) {
            for (int i = 0; i < poCount; ++i)
                if (job_.options[static_cast<std::size_t>(i)].visible)
                    w_.AddLine(Quoted(kOptionLiterals[i].name, job_.options[static_cast<std::size_t>(i)].checked ? "Y" : "N",
                                      kOptionLiterals[i].tail));
            if (job_.metricsTab) w_.AddLine(Quoted("Metrics", MetricWeights(), " "));
            if (job_.specsTab) w_.AddLine(Quoted("Specs", Flags(job_.specs), " "));
            if (job_.rulesTab) w_.AddLine(Quoted("Rules", Flags(job_.rules), " "));
        }
        if (mode == 6) {
            w_.AddLine(Quoted("SearchType", job_.searchType, " "));
            w_.AddLine(Quoted("SearchName", searchName, " "));
        }
        w_.CloseTag("/> ");

        w_.OpenTag("<MaxLimits");
        if (options && job_.limitsTab)
            for (const TLimitAttribute& row : job_.limits)
                w_.AddLine(Quoted(TrimCharSet(row.name, csControlAndBlank), TrimCharSet(row.value, csControlAndBlank), " "));
        w_.CloseTag("/> ");

        w_.OpenElement("Directories");
        w_.WriteElement("Orig_Input_Dir", job_.commonRoot);
        w_.WriteElement("Input_Dir", "workinp");
        w_.WriteElement("Orig_Output_Dir", job_.outputDirectory);
        w_.WriteElement("Output_Dir", ".");
        w_.WriteElement("Work_Dir", "./work");
        if (options && job_.wordScanTab) w_.WriteElement("Func_Tab", "functab.wrl");
        else if (options && job_.functabTab) w_.WriteElement("Func_Tab", ExtractFileName(job_.functabFile));
        if (repoTab) {
            w_.WriteElement("Repo_Tab_Orig", job_.repoTabFile);
            w_.WriteElement("Repo_Tab", "Repo_Tab.csv");
        }
        w_.CloseElement();

        if (mode != 4 && job_.files && job_.files->Count() > 0) {
            w_.OpenElement("Files");
            if (job_.structureLevel == 99) {
                if (job_.testToolInputs) BuildTestToolFileEntries();
                else BuildFlatFileEntries();
            } else {
                BuildStructuredEntries(job_.productKind != 7 && job_.productKind != 8);
            }
            w_.CloseElement();
        }
        doc_.entries.Sort();
        w_.SetLevel(0);
        w_.AddLine("</" + root + ">");
        return std::move(doc_);
    }

private:
    // The search field's first 60 characters, cut at a line break (which
    // would end the attribute).
    std::string SearchName() const {
        std::string s = job_.searchText.substr(0, std::min<std::size_t>(60, job_.searchText.size()));
        const auto br = s.find_first_of("\r\n");
        if (br != std::string::npos) s.resize(br);
        return s;
    }

    std::string MetricWeights() const {
        std::string out;
        for (int i = 0; i < job_.metricCount; ++i)
            out += i < static_cast<int>(job_.metricWeights.size()) ? job_.metricWeights[static_cast<std::size_t>(i)]
                                                                    : std::string("1");
        return out;
    }

    static std::string Flags(const std::vector<bool>& ticks) {
        std::string out;
        out.reserve(ticks.size());
        for (bool t : ticks) out += t ? 'Y' : 'N';
        return out;
    }

    // The source's path below the common root.
    std::string Relative(const std::string& path) const {
        std::string prefix = job_.commonRoot;
        if (prefix.empty() || prefix.back() != '/') prefix += '/';
        return HasPrefix(path, prefix) ? path.substr(prefix.size()) : path;
    }

    // The shortened extension; the long-extension pairs it makes are kept
    // once each.
    std::string Shorten(const std::string& extension) {
        const std::string shortExt = ShortenExtension(extension);
        if (extension.size() > 4) {
            SetPair(extension, shortExt);
            SetPair(shortExt, extension);
        }
        return shortExt;
    }
    void SetPair(const std::string& name, const std::string& value) {
        auto [it, added] = pairsSet_.emplace(AnsiLowerCase(name), std::make_pair(name, value));
        if (!added) {
            if (it->second.first == name && it->second.second == value) return;
            it->second = {name, value};
        }
        doc_.extensionPairs.emplace_back(name, value);
    }

    // Whether an entry is left out for its name; one the run would have
    // taken is reported.
    bool LeftOut(const TSourceFile& f, bool taken) {
        const std::string reason = UnsafeSourceNameReason(f.path);
        if (reason.empty()) return false;
        if (taken) doc_.leftOut.push_back(LeftOutSourceMessage(f.path, reason));
        return true;
    }

    void AddEntry(const std::string& line) { doc_.entries.AddLine(line); }
    // An entry whose value lies in the input tree; only the part below the
    // input tree takes the structure level, so an output directory whose
    // path holds "COMP0001/" or "MOD0001/" keeps its name.
    void AddTreeEntry(const std::string& key, const std::string& below) {
        doc_.entries.Add(key, inputTree_ + "/" + below);
    }

    void BuildStructuredEntries(bool documentBuilder) {
        const int level = job_.structureLevel;
        const TSourceFileList& files = *job_.files;
        static const TModularStructure kNone;
        const TModularStructure& s = job_.structure ? *job_.structure : kNone;
        std::string rootFolder = ExcludeTrailingSeparator(job_.commonRoot, '/');
        rootFolder = rootFolder.substr(rootFolder.find_last_of('/') == std::string::npos ? 0 : rootFolder.find_last_of('/') + 1);
        const std::string toolFolder = ExcludeTrailingSeparator(ExtractFilePath(job_.toolExecutable), '/');

        int comp = 0, mod = 0, src = 1;
        // Nothing matches the segments before the first item: it always
        // opens component 1 and module 1.
        std::optional<std::string> lastComp, lastMod;
        std::string marker;
        const std::vector<TSourceFile>& items = files.Items();
        for (std::size_t i = 0; i < items.size(); ++i, ++src) {
            const TSourceFile& f = items[i];
            // Not even its component and module: their names come from its path.
            if (LeftOut(f, f.checked)) continue;
            const std::string rel = Relative(f.path);
            std::string c, m, source, pathValue;
            if (documentBuilder) {
                const int at = static_cast<int>(i);
                c = TModularStructure::At(s.Components, at);
                m = TModularStructure::At(s.Modules, at);
                source = TModularStructure::At(s.Sources, at);
                pathValue = ExcludeTrailingSeparator(ExtractFilePath(rel), '/') + "/" + source +
                            TModularStructure::At(s.Extensions, at);
            } else {
                TStringArray seg = SplitByChar(rel, '/');
                while (seg.size() < 3) seg.insert(seg.begin(), rootFolder);
                c = seg[seg.size() - 3];
                m = seg[seg.size() - 2];
                source = seg.back();
                pathValue = rel;
            }
            if (!lastComp || c != *lastComp) {
                ++comp;
                ++mod;
                marker = "@" + Num4(mod);
                AddEntry(CollapseEntryLevels("COMP" + Num4(comp) + "=" + c, level));
                AddEntry(CollapseEntryLevels("MOD" + Num4(mod) + "=" + c + "/" + m, level));
                AddTreeEntry("FDR" + Num4(mod), CollapseEntryLevels("COMP" + Num4(comp) + "/MOD" + Num4(mod), level));
                lastComp = c;
                lastMod = m;
            } else if (m != *lastMod) {
                ++mod;
                marker = "@" + Num4(mod);
                AddEntry(CollapseEntryLevels("MOD" + Num4(mod) + "=" + c + "/" + m, level));
                AddTreeEntry("FDR" + Num4(mod), CollapseEntryLevels("COMP" + Num4(comp) + "/MOD" + Num4(mod), level));
                lastMod = m;
            }
            if (!f.checked) continue;

            const std::string fileExt = ExtractFileExt(f.path);
            std::string ext = Shorten(fileExt);
            if (documentBuilder) {
                const std::string lower = AnsiLowerCase(ext);
                if (lower == ".pdf" || lower == ".doc") ext = ".TXT";
            }
            const std::string n = Num4(src);
            w_.WriteElement(job_.nameByDirectory ? Num4(mod) + "@Orig_File_" + n : "Orig_File_" + n, pathValue);
            AddBatchLine(ext, fileExt, rel, n, mod, marker, toolFolder);
            marker.clear();
            const std::string below = CollapseEntryLevels("COMP" + Num4(comp) + "/MOD" + Num4(mod) + "/SRC" + n + ext, level);
            w_.WriteElement("File_" + n, below);
            AddEntry(CollapseEntryLevels("SRC" + n + "=" + c + "/" + m + "/" + source, level));
            AddTreeEntry("XCPY" + Num4(static_cast<int>(i)), below);
        }
        doc_.moduleTotal = mod;
    }

    void AddBatchLine(const std::string& ext, const std::string& fileExt, const std::string& rel, const std::string& n,
                      int mod, const std::string& marker, const std::string& toolFolder) {
        if (subProcessorRun_) {
            const TSubProcessorMap none;
            const TSubProcessorMap& map = job_.subProcessors ? *job_.subProcessors : none;
            std::string name = map.Lookup(ext);
            if (name.empty()) name = map.Lookup(fileExt);
            if (name.empty())
                throw EParameterDocument("No sub-processor is defined for the extension " +
                                         (fileExt.empty() ? std::string("(none)") : fileExt) + " of " + rel);
            TBatchLine line = TBatchLine::Call(toolFolder + "/" + name + ".exe", {"last.xml;" + n});
            if (job_.nameByDirectory && !marker.empty()) line.moduleMarker = marker.substr(1);
            doc_.batchLines.push_back(std::move(line));
        } else if (job_.nameByDirectory && !marker.empty()) {
            doc_.batchLines.push_back(TBatchLine::Call(job_.toolExecutable, {"last" + Num4(mod) + ".xml"}));
        }
    }

    void BuildFlatFileEntries() {
        int src = 1, folder = 0;
        std::string lastFolder;
        const std::vector<TSourceFile>& items = job_.files->Items();
        for (std::size_t i = 0; i < items.size(); ++i) {
            const TSourceFile& f = items[i];
            if (!f.checked || LeftOut(f, true)) continue;
            const std::string rel = Relative(f.path);
            const std::string folderPart = ExtractFilePath(rel);
            if (!folderPart.empty() && folderPart != lastFolder) {
                ++folder;
                AddEntry("FCDR" + Num4(folder) + "=" + folderPart);
                lastFolder = folderPart;
            }
            const std::string ext = Shorten(ExtractFileExt(f.path));
            const std::string n = Num4(src);
            w_.WriteElement("Orig_File_" + n, rel);
            w_.WriteElement("File_" + n, "SRC" + n + ext);
            AddEntry("SRC" + n + "=" + rel);
            AddTreeEntry("XCPY" + Num4(static_cast<int>(i)), "SRC" + n + ext);
            ++src;
        }
    }

    void BuildTestToolFileEntries() {
        const std::vector<TSourceFile>& items = job_.files->Items();
        int src = 0;
        auto emit = [&](std::size_t i, const char* pathElement, const char* inputElement) {
            if (LeftOut(items[i], true)) return;
            ++src;
            const std::string& text = items[i].path;
            const std::string path = text.substr(text.find('=') + 1);
            const std::string ext = ExtractFileExt(path);
            const std::string n = Num4(src);
            w_.WriteElement(pathElement, path);
            w_.WriteElement(inputElement, "SRC" + n + ext);
            AddEntry("SRC" + n + "=" + path);
            AddTreeEntry("XCPY" + Num4(static_cast<int>(i)), "SRC" + n + ext);
        };
        // The single inputs by their label's value, ticked or not.
        const struct {
            const char* label;
            const char* pathElement;
            const char* inputElement;
        } single[] = {{"Test Cases:", "Orig_TestCases", "TestCases"},
                      {"Methods:", "Orig_Methods", "Methods"},
                      {"Problems:", "Orig_Problemfile", "ProblemFile"}};
        for (const auto& s : single)
            for (std::size_t i = 0; i < items.size(); ++i) {
                const std::string& text = items[i].path;
                const auto eq = text.find('=');
                if (eq == std::string::npos || !SameText(std::string_view(text).substr(0, eq), s.label)) continue;
                if (eq + 1 < text.size()) emit(i, s.pathElement, s.inputElement);
                break;
            }
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].checked && HasPrefix(items[i].path, "Test execution log:"))
                emit(i, "Orig_Test_Exec_Log", "Test_Exec_Log");
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].checked && HasPrefix(items[i].path, "Trace file:")) emit(i, "Orig_Trace_File", "TraceFile");
    }

    const TParameterJob& job_;
    TParameterDocument doc_;
    TDocumentWriter w_;
    bool subProcessorRun_ = false;
    std::string inputTree_;
    std::unordered_map<std::string, std::pair<std::string, std::string>> pairsSet_;
};

} // namespace

TParameterDocument ComposeParameterDocument(const TParameterJob& job) { return TComposer(job).Compose(); }

} // namespace pem
