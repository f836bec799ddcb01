#include "LanguageSelection.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "BaseUtils.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "CmdLine.h"
#include "Exceptions.h"

#include <climits>

namespace pem {

bool ParseLanguageDefinition(const std::string& buttonName, const std::string& value, TLanguageDefinition& def) {
    def = TLanguageDefinition{};
    def.ButtonName = buttonName;
    if (TrimCharSet(value, csControlAndBlank).empty()) return false;
    const std::vector<std::string> items = SplitCommaList(value);
    auto item = [&](size_t i) { return i < items.size() ? items[i] : std::string(); };
    def.DisplayName = item(0);
    def.Code = item(1);
    def.FolderCode = item(2).empty() ? def.Code : item(2);
    int count = 0;
    if (!TryStrToIntValue(item(3), count) || count < 0) count = 0;
    def.VersionCount = count;
    // The count may claim more versions than the line holds.
    for (size_t i = 4; i < items.size() && i < 4 + static_cast<size_t>(count); ++i) def.Versions.push_back(items[i]);
    def.Version = item(4);
    return true;
}

namespace {

class ExtrasReader {
public:
    ExtrasReader(const TStringList& lines, const std::string& code, std::vector<TIniProblem>& problems)
        : code_(code), problems_(problems) {
        const std::string v = IniValue(lines, code + ".Extras");
        for (const std::string& it : SplitCommaList(InsideParentheses(v))) {
            const auto eq = it.find('=');
            if (eq == std::string::npos) continue;
            items_.Add(TrimCharSet(it.substr(0, eq), csControlAndBlank) + "=" +
                       TrimCharSet(it.substr(eq + 1), csControlAndBlank));
        }
    }
    std::string Str(const char* key) const { return items_.Values(key); }
    bool Bool(const char* key, bool def) {
        const std::string v = Str(key);
        try {
            return StrToBoolDef(v, def);
        } catch (const EConvertError& e) {
            problems_.push_back({code_ + ".Extras: " + key, v, e.what()});
            return def;
        }
    }
    bool StrictBool(const char* key) {
        const std::string v = Str(key);
        try {
            return StrToBoolYJIN(v);
        } catch (const EConvertError& e) {
            problems_.push_back({code_ + ".Extras: " + key, v, e.what()});
            return false;
        }
    }
    int Integer(const char* key, int def, int min = INT_MIN) {
        const std::string v = Str(key);
        if (v.empty()) return def;
        int n = 0;
        if (!TryStrToIntValue(v, n)) {
            problems_.push_back({code_ + ".Extras: " + key, v, "'" + v + "' is not a valid integer value"});
            return def;
        }
        if (n < min) {
            problems_.push_back({code_ + ".Extras: " + key, v, "'" + v + "' is below " + std::to_string(min)});
            return def;
        }
        return n;
    }

private:
    std::string code_;
    std::vector<TIniProblem>& problems_;
    TStringList items_;
};

} // namespace

TLanguageExtras ReadLanguageExtras(const TStringList& lines, const std::string& code,
                                   std::vector<TIniProblem>& problems) {
    ExtrasReader r(lines, code, problems);
    TLanguageExtras x;
    // A structure level below 0 has no meaning and would go into every job
    // saved with it: an invalid value like any other.
    x.DirDepth = r.Integer("DirDepth", 2, 0);
    x.Analpar = r.Bool("Analpar", true);
    x.Rules = r.Bool("Rules", true);
    x.MaxValues = r.Bool("MaxValues", true);
    x.Metrics = r.Bool("Metrics", true);
    x.Specs = r.Bool("Specs", true);
    x.Functab = r.Bool("Functab", true);
    x.Procpgm = r.Str("Procpgm");
    x.Transf = r.Bool("Transf", false);
    x.Scan = r.Bool("Scan", false);
    x.ObjectsEdit = r.Bool("ObjectsEdit", false);
    x.ScanProg = r.Str("ScanProg");
    x.Brasket = r.Str("Brasket");
    x.Wolmira = r.Str("Wolmira");
    x.Tendrup = r.Str("Tendrup");
    x.TextTags = r.StrictBool("TextTags");
    x.DictionaryFiles = r.Str("DictionaryFiles");
    x.TstDesignProg = r.Str("TstDesignProg");
    x.TstSpecTemplate = r.Str("TstSpecTemplate");
    x.SearchProg = r.Str("SearchProg");
    x.Extras = r.Bool("Extras", true);
    x.Comments = r.Bool("Comments", true);
    x.Audit = r.Bool("Audit", true);
    x.Redoc = r.Bool("Redoc", false);
    x.Calc = r.Bool("Calc", false);
    x.Exports = r.Bool("Exports", true);
    x.InstruPar = r.Bool("InstruPar", false);
    x.Repo_Tab = r.Bool("REPO_Tab", false);
    x.Create_PIF = r.Bool("Create_PIF", false);
    x.HarnoxPost = r.Bool("HarnoxPost", false);
    x.ExtraScreen = r.Str("ExtraScreen");
    x.Ranking = r.Bool("Ranking", true);
    return x;
}

TLanguageCompanions ReadLanguageCompanions(const TStringList& lines, const std::string& code) {
    TLanguageCompanions c;
    c.Filters = IniValue(lines, code + ".Filters");
    c.SubProcessors = IniValue(lines, code + ".SubProcessors");
    c.DummyNames = IniValue(lines, code + ".DummyNames");
    c.SearchKeys = IniValue(lines, code + ".SearchKeys");
    c.Captions = IniValue(lines, code + ".Captions");
    return c;
}

std::vector<std::string> SubProcessorCodes(const TStringList& lines, const std::string& code,
                                           std::vector<std::string>* loops) {
    std::vector<std::string> codes;
    const std::string v = IniValue(lines, code + ".SubProcessors");
    if (v.empty()) return codes;
    for (const std::string& item : SplitCommaList(InsideParentheses(v))) {
        const auto eq = item.find('=');
        const std::string sub = TrimCharSet(eq == std::string::npos ? std::string() : item.substr(eq + 1),
                                            csControlAndBlank);
        if (sub.empty()) continue;
        if (SameText(sub, code)) {
            if (loops) loops->push_back(item);
            continue;
        }
        codes.push_back(sub);
    }
    return codes;
}

TStringList CaptionOverrides(const std::string& value) {
    TStringList list;
    if (value.empty()) return list;
    std::string t = TrimCharSet(InsideParentheses(value), csControlAndBlank);
    t = RemoveChar(ReplaceStr(",", "\n", t), '"');
    list.SetText(t);
    // Blanks after the commas would otherwise become part of the names.
    for (int i = 0; i < list.Count(); ++i) list.Put(i, TrimCharSet(list[i], csControlAndBlank));
    return list;
}

TStringList SearchKeyNames(const std::string& value) {
    TStringList names;
    std::string v = value.empty() ? std::string("Program=PROG") : InsideParentheses(value);
    for (const std::string& item : SplitCommaList(v)) {
        const auto eq = item.find('=');
        const std::string name = eq == std::string::npos ? item : item.substr(0, eq);
        if (!name.empty()) names.Add(TrimCharSet(name, csControlAndBlank));
    }
    if (names.Empty()) names.Add("Program");
    return names;
}

std::string SearchKeyValue(const std::string& value, const std::string& name) {
    std::string v = value.empty() ? std::string("Program=PROG") : InsideParentheses(value);
    for (const std::string& item : SplitCommaList(v)) {
        const auto eq = item.find('=');
        if (eq == std::string::npos) continue;
        if (SameText(TrimCharSet(item.substr(0, eq), csControlAndBlank), TrimCharSet(name, csControlAndBlank)))
            return TrimCharSet(item.substr(eq + 1), csControlAndBlank);
    }
    return {};
}

TStringList WordScanObjectTypes(const TStringList& lines, const std::string& code) {
    std::string v = IniValue(lines, code + ".WordScan.ObjectTypes");
    if (v.empty()) v = IniValue(lines, "WordScan.ObjectTypes");
    if (v.empty()) v = "INPT,OUTP,MASK,REPO,CASE,SKIP,LINK,FUNC,PROC";
    TStringList types;
    for (const std::string& t : SplitCommaList(InsideParentheses(v)))
        if (!t.empty()) types.Add(t);
    if (types.IndexOf("????") < 0) types.Add("????");
    return types;
}

// ------------------------------------------------------------ pick frames

std::string PlaceUnderRoot(const std::string& toolRoot, const std::string& path) {
    if (path.empty()) return {};
    const std::string p = ReplaceChar('\\', '/', path);
    if (PathIsAbsolute(p)) return p;
    return toolRoot + "/" + p;
}

namespace {

std::string ChangeExt(const std::string& path, const std::string& ext) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    std::string base = (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? path.substr(0, dot)
                                                                                                  : path;
    return base + ext;
}

std::string ParameterFile(const TPickContext& ctx, const char* kind) {
    const std::string name = ctx.toolRoot + "/" + ctx.code + ctx.shortTool + "/" + kind + "." + ctx.code;
    if (!ctx.version.empty()) {
        const std::string v = FindFileIgnoringCase(ChangeExt(name, "." + ctx.version));
        if (!v.empty()) return v;
    }
    return ResolveFileIgnoringCase(name);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TPickDefaults ComputePickDefaults(const TPickContext& ctx, const TLanguageExtras& x) {
    TPickDefaults d;
    d.EditorGeneral = "NOTEPAD.EXE";
    d.Limits = ParameterFile(ctx, "Limits");
    d.Rules = ParameterFile(ctx, "Rules");
    d.Metrics = ParameterFile(ctx, "Metrics");
    d.Functab = ParameterFile(ctx, "Functab");
    d.Specs = ParameterFile(ctx, "Specs");
    const std::string toolFolder = ctx.toolRoot + "/" + ctx.code + ctx.shortTool;
    const std::string mainDefault = toolFolder + "/" + ctx.code + ctx.shortTool + ".exe";
    d.Pemaris = ResolveFileIgnoringCase(x.Procpgm.empty() ? mainDefault : PlaceUnderRoot(ctx.toolRoot, x.Procpgm));
    d.Transform = ResolveFileIgnoringCase(ctx.toolRoot + "/Jobrin/Jobrin.exe");
    if (x.ScanProg.empty()) d.WordScanner = d.Pemaris;
    else {
        const std::string s = ReplaceChar('\\', '/', x.ScanProg);
        d.WordScanner = ResolveFileIgnoringCase(PathIsAbsolute(s) ? s : toolFolder + "/" + s + ".exe");
    }
    d.TestDesigner = ResolveFileIgnoringCase(PlaceUnderRoot(ctx.toolRoot, x.TstDesignProg));
    if (!x.TstSpecTemplate.empty()) {
        const std::string t = ReplaceChar('\\', '/', x.TstSpecTemplate);
        if (PathIsAbsolute(t)) d.TstSpecTemplate = t;
        else if (ctx.iniBesideProgram) {
            const auto slash = ctx.iniPath.find_last_of('/');
            const std::string folder = slash == std::string::npos ? std::string() : ctx.iniPath.substr(0, slash + 1);
            d.TstSpecTemplate = ResolveFileIgnoringCase(folder + "TextTemplates/" + FileNameOf(t));
        } else {
            d.TstSpecTemplate = ResolveFileIgnoringCase(ctx.toolRoot + "/" + t);
        }
    }
    d.Search = ResolveFileIgnoringCase(PlaceUnderRoot(ctx.toolRoot, x.SearchProg));
    return d;
}

// ------------------------------------------------------------ limits grid

std::vector<TNumParamRow> NumParamRows(const TStringList& lines) {
    std::vector<TNumParamRow> rows;
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line[0] == ';') continue;
        const std::string value = lines.ValueFromIndex(i);
        if (value.empty()) continue;
        TNumParamRow r;
        const auto comma = value.find(',');
        r.caption = TrimCharSet(comma == std::string::npos ? value : value.substr(0, comma), csControlAndBlank);
        r.value = comma == std::string::npos ? std::string()
                                             : TrimCharSet(value.substr(comma + 1), csControlAndBlank);
        r.name = TrimCharSet(lines.Names(i), csControlAndBlank);
        if (r.value.empty()) continue;
        rows.push_back(r);
    }
    return rows;
}

std::string CheckNumParamText(const std::string& text) {
    const std::string t = TrimCharSet(text, csControlAndBlank);
    if (t.size() > 6) throw Exception("Max six digits are allowed!");
    int n = 0;
    if (!TryStrToIntValue(t, n)) throw EConvertError("'" + t + "' is not a valid integer value");
    return std::to_string(n);
}

std::string ParameterFilesMessage(const std::vector<std::string>& failed, bool& isInfo) {
    isInfo = false;
    if (failed.empty()) return {};
    if (failed.size() == 1 && failed[0] == "Limits") {
        isInfo = true;
        return "No default file for parameters (Limits) , internal defaults used";
    }
    std::string names;
    for (const auto& f : failed) names += (names.empty() ? "" : ",") + f;
    return "Some parameter files (" + names + ") couldn't be opened for this language,this may lead to errors.";
}

} // namespace pem
