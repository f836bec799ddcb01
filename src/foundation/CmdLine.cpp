#include "CmdLine.h"

#include "CharSet1252.h"
#include "Exceptions.h"

namespace pem {

namespace {
std::vector<std::string> g_params;
std::string g_program;

std::string Dashed(std::string name) {
    if (!name.empty() && name[0] != '-') name.insert(name.begin(), '-');
    return name;
}
std::string Before(const std::string& s, char c) {
    auto p = s.find(c);
    return p == std::string::npos ? s : s.substr(0, p);
}
} // namespace

void SetCommandLine(std::vector<std::string> params) { g_params = std::move(params); }
const std::vector<std::string>& CommandLine() { return g_params; }
int ParamCount() { return static_cast<int>(g_params.size()); }
std::string ParamStr(int i) {
    if (i == 0) return g_program;
    return i >= 1 && i <= ParamCount() ? g_params[static_cast<size_t>(i - 1)] : std::string();
}
void SetProgramPath(const std::string& path) { g_program = path; }

bool CmdLineSwitchDef(const std::string& spec, bool def) {
    if (spec.empty()) return false;
    auto colon = spec.find(':');
    std::string lng = AsciiLowerCase(colon == std::string::npos ? spec : spec.substr(0, colon));
    std::string shrt = colon == std::string::npos ? std::string() : AsciiLowerCase(spec.substr(colon + 1));
    lng = Dashed(lng);
    shrt = Dashed(shrt);
    for (const std::string& param : g_params) {
        std::string p = AsciiLowerCase(Before(param, '='));
        if (p == lng || p == lng + "+" || (!shrt.empty() && (p == shrt || p == shrt + "+"))) return true;
        if (p == lng + "-" || (!shrt.empty() && p == shrt + "-")) return false;
    }
    return def;
}

bool CmdLineSwitch(const std::string& spec) { return CmdLineSwitchDef(spec, false); }

bool FindCmdLineValue(const std::string& spec, std::string& value) {
    if (spec.empty()) return false;
    auto first = spec.find(':');
    auto last = spec.rfind(':');
    std::string lng = AsciiLowerCase(first == std::string::npos ? spec : spec.substr(0, first));
    std::string shrt;
    if (first != std::string::npos) {
        auto second = spec.find(':', first + 1);
        shrt = AsciiLowerCase(spec.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                                  : second - first - 1));
    }
    std::string marker = last == std::string::npos ? std::string() : AsciiLowerCase(spec.substr(last + 1));
    if (marker == "default" && g_params.size() == 1 && g_params[0].find('=') == std::string::npos) {
        value = g_params[0];
        return true;
    }
    lng = Dashed(lng);
    shrt = Dashed(shrt);
    const size_t n = g_params.size();
    for (size_t i = 0; i < n; ++i) {
        std::string p = AsciiLowerCase(g_params[i]);
        if (p == lng || (!shrt.empty() && p == shrt)) {
            // An empty next parameter is a value like any other: it does not
            // begin with "-".
            if (i + 1 < n && (g_params[i + 1].empty() || g_params[i + 1][0] != '-')) {
                value = g_params[i + 1];
                return true;
            }
            continue;
        }
        auto eq = g_params[i].find('=');
        if (eq == std::string::npos) continue;
        std::string name = AsciiLowerCase(g_params[i].substr(0, eq));
        if (name == lng || (!shrt.empty() && name == shrt)) {
            value = g_params[i].substr(eq + 1);
            return true;
        }
    }
    return false;
}

void GetCmdLineValue(const std::string& spec, std::string& value) {
    value.clear();
    FindCmdLineValue(spec, value);
}

char BoolToChar(bool value, char whenTrue, char whenFalse) { return value ? whenTrue : whenFalse; }
char BoolToYN(bool value) { return value ? 'Y' : 'N'; }

bool StrToBoolYJIN(const std::string& text) {
    std::string t = AsciiLowerCase(text);
    if (t == "false") return false;
    if (t == "true") return true;
    if (t.size() == 1) {
        if (t[0] == 'y' || t[0] == 'j' || t[0] == 'i') return true;
        if (t[0] == 'n') return false;
    }
    if (t.empty()) return false;
    throw EConvertError(text + " is not valid boolean value (Y,J,I,N,True,False)");
}

bool StrToBoolDef(const std::string& text, bool def) { return text.empty() ? def : StrToBoolYJIN(text); }

} // namespace pem
