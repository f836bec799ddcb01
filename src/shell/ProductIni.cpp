#include "ProductIni.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "BaseUtils.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "CmdLine.h"
#include "Exceptions.h"

#include <cstdio>

namespace pem {

// ------------------------------------------------------------------ lines

std::string IniValue(const TStringList& lines, const std::string& name) { return lines.Values(name); }

void SetIniValue(TStringList& lines, const std::string& name, const std::string& value) {
    const int i = lines.IndexOfName(name);
    const std::string line = name + "=" + value;
    if (i < 0) lines.Add(line);
    else lines.Put(i, lines.Names(i) + "=" + value);
}

std::vector<std::string> SplitCommaList(const std::string& text) {
    std::vector<std::string> items;
    const std::string t = TrimCharSet(text, csControlAndBlank);
    if (t.empty()) return items;
    size_t i = 0;
    const size_t n = t.size();
    while (true) {
        std::string item;
        while (i < n && static_cast<unsigned char>(t[i]) <= ' ') ++i;
        if (i < n && t[i] == '"') {
            ++i;
            while (i < n) {
                if (t[i] == '"') {
                    if (i + 1 < n && t[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += t[i++];
            }
            while (i < n && t[i] != ',') ++i; // anything after the quote
        } else {
            while (i < n && t[i] != ',') item += t[i++];
            item = TrimCharSet(item, csControlAndBlank);
        }
        items.push_back(item);
        if (i >= n) break;
        ++i; // the comma
    }
    return items;
}

std::string InsideParentheses(const std::string& text) {
    const auto open = text.find('(');
    if (open == std::string::npos) return text;
    const auto close = text.rfind(')');
    if (close == std::string::npos || close <= open) return text.substr(open + 1);
    return text.substr(open + 1, close - open - 1);
}

// --------------------------------------------------------------- settings

std::string TIniProblem::Message() const {
    return "Installation error, invalid value in ini file: " + key + "=" + value + " (" + reason + ")";
}

namespace {

class SettingsReader {
public:
    SettingsReader(const TStringList& lines, std::vector<TIniProblem>& problems)
        : lines_(lines), problems_(problems) {}

    // The boolean text with a default for an empty value.
    bool Bool(const char* key, bool def) {
        const std::string v = IniValue(lines_, key);
        try {
            return StrToBoolDef(v, def);
        } catch (const EConvertError& e) {
            problems_.push_back({key, v, e.what()});
            return def;
        }
    }
    // The same text where an empty value is false.
    bool StrictBool(const char* key) {
        const std::string v = IniValue(lines_, key);
        try {
            return StrToBoolYJIN(v);
        } catch (const EConvertError& e) {
            problems_.push_back({key, v, e.what()});
            return false;
        }
    }
    // "0" in front, then converted; a value that is 0 takes the default.
    int Integer(const char* key, int def) {
        const std::string v = IniValue(lines_, key);
        int n = 0;
        if (!TryStrToIntValue("0" + v, n)) {
            problems_.push_back({key, v, "'0" + v + "' is not a valid integer value"});
            return def;
        }
        return n == 0 ? def : n;
    }

private:
    const TStringList& lines_;
    std::vector<TIniProblem>& problems_;
};

} // namespace

TIniSettings ReadIniSettings(const TStringList& lines, const TIniEnvironment& env,
                             std::vector<TIniProblem>& problems) {
    TIniSettings s;
    SettingsReader r(lines, problems);
    s.CompressedTree = r.StrictBool("SpecViewer.CompressedTree");
    s.AutoExpand = r.StrictBool("Viewer.AutoExpand");
    s.UseDOSBox = r.Bool("Runcontrol.UseDOSBox", false);
    s.DOSBoxInUse = env.locateDOSBox ? env.locateDOSBox(s.UseDOSBox) : false;
    s.Blindrun = r.Bool("Runcontrol.Blindrun", false) && !s.DOSBoxInUse;
    s.CaptureLog = r.Bool("Runcontrol.CaptureLog", false) && !s.DOSBoxInUse;
    s.SystemCaptureConsole =
        r.StrictBool("Runcontrol.SystemCaptureConsole") && env.consoleStubExists && !s.DOSBoxInUse;
    s.DebugMode = r.StrictBool("Runcontrol.DebugMode");
    s.NameByDirectory = r.StrictBool("Runcontrol.NameByDirectory");
    s.DeleteAfter = r.StrictBool("Runcontrol.DeleteAfter");
    s.SystemDeleteAfterControl = r.Bool("Runcontrol.SystemDeleteAfterControl", false);
    s.RenameAfter = r.Bool("Runcontrol.RenameAfter", true);
    s.BigDirectoryLimit = r.Integer("Runcontrol.SystemBigDirectoryLimit", 50);
    s.IOBuffSize = r.Integer("FileCopy.SystemIOBuffSize", 200000);
    return s;
}

bool EnsureFileViewStyle(TStringList& lines, int ioBuffSize, unsigned char& style) {
    const char* key = "FileCopy.SystemFileViewStyle";
    int n = 0;
    const int at = lines.IndexOfName(key);
    if (at >= 0 && TryStrToIntValue(lines.ValueFromIndex(at), n)) {
        style = static_cast<unsigned char>(n & 0xFF);
        return false;
    }
    style = 1;
    if (at >= 0) {
        // Present but unusable: mend it where it stands rather than adding
        // a second line that the first one would always hide.
        lines.Put(at, lines.Names(at) + "=1");
        return true;
    }
    const std::string buffLine = "FileCopy.SystemIOBuffSize=" + std::to_string(ioBuffSize);
    int b = lines.IndexOfName("FileCopy.SystemIOBuffSize");
    if (b < 0) {
        lines.Add(buffLine);
        b = lines.Count() - 1;
    } else {
        lines.Put(b, lines.Names(b) + "=" + std::to_string(ioBuffSize));
    }
    // The buffer-size value used to carry these lines (and a final line end)
    // inside it; the file read back holds them as lines of their own.
    lines.Insert(b + 1, ";TFileViewStyle = (fvsIcons - 0, fvsList - 1, fvsDetails - 2, fvsThumbnails - 3, fvsTiles - 4)");
    lines.Insert(b + 2, std::string(key) + "=1");
    lines.Insert(b + 3, "");
    return true;
}

TStringList LimitsBlock(const TStringList& lines) {
    auto find = [&](const char* name, int from) {
        for (int i = from; i < lines.Count(); ++i) {
            if (lines.Names(i).empty() ? SameText(TrimCharSet(lines[i], csControlAndBlank), name)
                                       : SameText(lines.Names(i), name))
                return i;
        }
        return -1;
    };
    TStringList block;
    const int start = find("LimitsDef", 0);
    if (start < 0) return block;
    const int end = find("LimitsDef.End", start + 1);
    if (end < 0) return block;
    for (int i = start + 1; i < end; ++i) block.Add(lines[i]);
    return block;
}

// ----------------------------------------------------------------- saving

std::string FormatDateWritten(std::time_t when) {
    std::tm tm{};
    localtime_r(&when, &tm);
    // Room for any value the fields can hold, so nothing is ever cut.
    char buf[80];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

void StampDateWritten(TStringList& lines, const std::string& stamp) {
    const char* key = "Date Written";
    if (IniValue(lines, key).empty() && lines.IndexOfName(key) < 0)
        lines.Insert(lines.Count() < 1 ? lines.Count() : 1, std::string(key) + "=0");
    SetIniValue(lines, key, stamp);
}

// --------------------------------------------------------------- switches

std::string LanguageExtra(const TStringList& lines, const std::string& code, const std::string& key,
                          bool* extrasFound) {
    const std::string v = IniValue(lines, code + ".Extras");
    if (extrasFound) *extrasFound = !v.empty();
    if (v.empty()) return {};
    for (const std::string& item : SplitCommaList(InsideParentheses(v))) {
        const auto eq = item.find('=');
        if (eq == std::string::npos) continue;
        if (SameText(TrimCharSet(item.substr(0, eq), csControlAndBlank), key))
            return TrimCharSet(item.substr(eq + 1), csControlAndBlank);
    }
    return {};
}

std::string MissingIniLineMessage(const std::string& lineName) {
    return "Installation error #1, " + lineName + " is missing from ini file";
}

TOptionLevel MakeOptionLevel(int level) {
    TOptionLevel o;
    o.level = level;
    o.keepAllLevels = level == 2 || level == 3;
    o.dropComponentLevel = level >= 1 && level <= 3;
    o.dropBothLevels = level >= 0 && level <= 3;
    o.flatList = level == 99;
    return o;
}

// ----------------------------------------------------------------- finding

std::string FindProductIniFile(const std::string& exePath, const TAnalTypeConstants& product) {
    const auto slash = exePath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : exePath.substr(0, slash);
    const std::string exeName = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    std::string shortName = product.IniShortName;
    if (shortName.empty()) {
        const auto dot = exeName.find_last_of('.');
        shortName = (dot == std::string::npos || dot == 0 ? exeName : exeName.substr(0, dot)) + ".INI";
    }
    for (const std::string& rel : {product.IniPath, shortName}) {
        if (rel.empty()) continue;
        const std::string candidate = ExpandRelativePath(ReplaceChar('\\', '/', rel), folder, '/');
        // Whatever lies there but a folder: a file of another kind is then
        // refused with its reason when it is read.
        const std::string found = FindPathIgnoringCase(candidate);
        if (!found.empty() && !DirectoryExists(found)) return found;
    }
    return {};
}

} // namespace pem
