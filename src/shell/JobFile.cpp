#include "JobFile.h"

#include "CmdLine.h"
#include "Exceptions.h"
#include "SharedRoutinesCommon.h"

#include <charconv>
#include <unordered_map>

namespace pem {

namespace {

const char* YN(bool b) { return b ? "Y" : "N"; }

bool IsSectionHeader(const std::string& line) { return !line.empty() && line[0] == '['; }

// The job head's lines end where the first form-state section begins.
int HeadEnd(const TStringList& text) {
    for (int i = 0; i < text.Count(); ++i)
        if (StartsWithStr("[Form - ", text[i])) return i;
    return text.Count();
}

int ToInt(const std::string& value) {
    if (value.empty()) return 0;
    int n = 0;
    if (!TryStrToIntValue(value, n)) throw EConvertError("'" + value + "' is not a valid integer value");
    return n;
}

// The line total of all sources can pass 32 bits.
long long ToInt64(const std::string& value) {
    const std::string_view v = TrimCharSetView(value, csControlAndBlank);
    if (v.empty()) return 0;
    long long n = 0;
    const char* first = v.data() + (v.size() > 1 && v[0] == '+' ? 1 : 0);
    const auto [end, ec] = std::from_chars(first, v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size()) throw EConvertError("'" + value + "' is not a valid integer value");
    return n;
}

std::string ThousandsSeparated(long long n) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out;
    int k = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, ++k) {
        if (k && k % 3 == 0) out.insert(out.begin(), ',');
        out.insert(out.begin(), *it);
    }
    return n < 0 ? "-" + out : out;
}

bool HoldsPathParts(const std::string& text) {
    return text.find('/') != std::string::npos || text.find('\\') != std::string::npos ||
           text.find("..") != std::string::npos || PosCharSetFrom(csControl, text) > 0;
}

} // namespace

void ComposeJobHead(const TJobHead& h, TStringList& out) {
    out.Add("[RadioButtons]");
    out.SetValue("ActiveRadioButton", h.ActiveRadioButton);
    out.Add("[Properties]");
    out.SetValue("ProjectName", h.ProjectName);
    out.SetValue("ProjectProductName", h.ProductName);
    out.SetValue("ProjectSystemName", h.SystemName);
    out.SetValue("ProjectSystemVersion", h.SystemVersion);
    out.SetValue("BatchRunning", YN(h.BatchRunning));
    out.SetValue(";ProjectVersion", h.LanguageCode);
    out.SetValue("ProjectSubVersion", h.LanguageVersion);
    out.SetValue(";ToolRootDir", h.ToolRootDir);
    out.SetValue("ProjectInterFaceType", h.InterfaceType);
    out.SetValue("MaxDirDepth", std::to_string(h.MaxDirDepth));
    out.SetValue("ProjectCommonRoot", h.CommonRoot);
    out.SetValue("SelectedFilesScreenWidth", std::to_string(h.SelectedFilesScreenWidth));
    out.SetValue("SystemNameByDirectory", YN(h.SystemNameByDirectory));
    out.SetValue("SourceLinesInJob", std::to_string(h.SourceLinesInJob));
    out.SetValue("PreviewBeforePrinting", YN(h.PreviewBeforePrinting));
    if (h.BatchRunning) {
        out.SetValue("NumberOfRenamedModules", std::to_string(h.Counters.RenamedModules));
        out.SetValue("NumberOfModules", std::to_string(h.Counters.Modules));
        out.SetValue("NumberOfRenamedSourceFiles", std::to_string(h.Counters.RenamedSourceFiles));
        out.SetValue("NumberOfSourceFiles", std::to_string(h.Counters.SourceFiles));
    }
}

void ComposeLimitsGrid(const std::string& gridName, const std::vector<TLimitRow>& rows, TStringList& out) {
    out.Add("[TStringGrid]");
    out.Add(gridName + "=" + gridName);
    for (const auto& r : rows)
        out.Add(r.Col2 + "=" + TrimCharSet(r.Col0, csControlAndBlank) + "," + TrimCharSet(r.Col1, csControlAndBlank));
}

TJobHead ParseJobHead(const TStringList& text, TStringList* limitLines) {
    const int end = HeadEnd(text);
    std::unordered_map<std::string, std::string> values;
    int gridLine = -1;
    for (int i = 0; i < end; ++i) {
        const std::string& line = text[i];
        auto eq = line.find('=');
        if (eq == std::string::npos || IsSectionHeader(line)) continue;
        std::string name = AsciiLowerCase(line.substr(0, eq));
        if (gridLine < 0 && name == "stringgridnumparams") gridLine = i;
        values.emplace(std::move(name), line.substr(eq + 1));
    }
    auto value = [&](const char* key) {
        auto it = values.find(AsciiLowerCase(key));
        return it == values.end() ? std::string() : it->second;
    };

    TJobHead h;
    h.ActiveRadioButton = value("ActiveRadioButton");
    h.ProjectName = value("ProjectName");
    h.ProductName = value("ProjectProductName");
    h.SystemName = value("ProjectSystemName");
    h.SystemVersion = value("ProjectSystemVersion");
    h.BatchRunning = value("BatchRunning") == "Y";
    h.LanguageVersion = value("ProjectSubVersion");
    h.InterfaceType = value("ProjectInterFaceType");
    // A negative level (written by earlier versions from a negative INI
    // switch) reads as a missing one.
    const std::string depth = value("MaxDirDepth");
    int n = 0;
    h.MaxDirDepth = TryStrToIntValue(depth, n) && n < 0 ? 0 : ToInt("0" + depth);
    h.CommonRoot = value("ProjectCommonRoot");
    h.Counters.RenamedModules = ToInt(value("NumberOfRenamedModules"));
    h.Counters.Modules = ToInt(value("NumberOfModules"));
    h.Counters.RenamedSourceFiles = ToInt(value("NumberOfRenamedSourceFiles"));
    h.Counters.SourceFiles = ToInt(value("NumberOfSourceFiles"));
    h.SelectedFilesScreenWidth = ToInt(value("SelectedFilesScreenWidth"));
    h.SystemNameByDirectory = StrToBoolYJIN(value("SystemNameByDirectory"));
    h.SourceLinesInJob = ToInt64(value("SourceLinesInJob"));
    h.PreviewBeforePrinting = StrToBoolDef(value("PreviewBeforePrinting"), false);

    if (limitLines) {
        limitLines->Clear();
        if (gridLine >= 0)
            for (int i = gridLine + 1; i < text.Count() && !IsSectionHeader(text[i]); ++i) limitLines->Add(text[i]);
    }
    return h;
}

bool IsValidJobPartName(const std::string& text) {
    if (text.empty()) return false;
    if (text[0] >= '0' && text[0] <= '9') return false;
    return !HoldsPathParts(text);
}

bool IsSafeJobName(const std::string& text) { return !text.empty() && !HoldsPathParts(text); }

bool IsValidVersion(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.')) return false;
    return true;
}

std::string ComposeJobName(const std::string& productName, const std::string& systemName,
                           const std::string& languageVersion) {
    return CapitalizeWords(productName) + CapitalizeWords(systemName) + CapitalizeWords(languageVersion);
}

std::string JobNameFromFileName(const std::string& fileName) {
    std::string name = fileName;
    auto slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name = name.substr(0, dot);
    return name;
}

std::string CaptionWithJobName(const std::string& caption, const std::string& jobName) {
    return StrBeforeLast(caption, " [") + " [" + jobName + "]" + StrAfterLast(caption, "]");
}

std::string CaptionWithLanguage(const std::string& caption, const std::string& languageName) {
    return StrBeforeLast(caption, " - ") + " - " + languageName;
}

std::string SelectedFilesCaption(const std::string& caption, int fileCount, long long sourceLines) {
    return StrBeforeFirst(caption, "(") + "(" + std::to_string(fileCount) + ")" + " Number of source lines(" +
           ThousandsSeparated(sourceLines) + ")";
}

std::string SelectedFilesCaptionCleared(const std::string& caption) { return StrBeforeFirst(caption, "(") + "(0)"; }

std::string OutputDirParentToRemember(const std::string& outputDir) {
    std::string dir = outputDir;
    while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
    auto slash = dir.find_last_of("/\\");
    if (slash == std::string::npos) return dir;
    std::string parent = dir.substr(0, slash);
    // A parent that is the root ("/" or a drive "C:") keeps the folder itself.
    if (parent.empty() || (parent.size() == 2 && parent[1] == ':')) return dir;
    return parent;
}

} // namespace pem
