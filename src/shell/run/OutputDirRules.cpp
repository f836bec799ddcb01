#include "OutputDirRules.h"

#include "BaseFileUtils.h"

#include <algorithm>

namespace pem {

namespace {

std::string CollapseSlashes(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '/' || out.empty() || out.back() != '/') out += c;
    return out;
}

// The last folder of a path that ends with "/", and where it starts.
std::string LastFolder(const std::string& withSlash, size_t& start) {
    const size_t end = withSlash.size() - 1;
    const size_t slash = end == 0 ? std::string::npos : withSlash.rfind('/', end - 1);
    start = slash == std::string::npos ? 0 : slash + 1;
    return withSlash.substr(start, end - start);
}

} // namespace

TOutputDirCheck CheckOutputDirText(const std::string& text) {
    if (text.empty()) return TOutputDirCheck::Empty;
    return text[0] == '/' ? TOutputDirCheck::Ok : TOutputDirCheck::NotAbsolute;
}

std::string OutputDirCheckMessage(TOutputDirCheck check) {
    switch (check) {
    case TOutputDirCheck::Empty: return "This field must not be empty";
    case TOutputDirCheck::NotAbsolute: return "Invalid output directory (No relative or UNC format path is allowed here)!";
    case TOutputDirCheck::Ok: break;
    }
    return {};
}

std::string ForcedLanguageFolder(const std::string& text, const TOutputDirContext& ctx) {
    const std::string& code = ctx.languageCode;
    if (code.empty()) return {};
    std::string p = IncludeTrailingSeparator(text, '/');
    if (!ctx.jobName.empty() && p.find("/" + ctx.jobName + "/") != std::string::npos) return {};
    if (p.find("/" + code + "/") != std::string::npos) return {};
    if (ctx.productKind == 6 && (code == "ENG" || code == "GER")) {
        const size_t at = p.rfind(code == "ENG" ? "/GER/" : "/ENG/");
        if (at != std::string::npos) p.erase(at + 1);
    } else if (ctx.productKind == 4 && p.size() > 1) {
        size_t start = 0;
        const std::string last = LastFolder(p, start);
        const auto& langs = ctx.installedLanguages;
        if (!last.empty() && std::find(langs.begin(), langs.end(), last) != langs.end()) p.erase(start);
    }
    return CollapseSlashes(p) + code + "/";
}

std::string NormaliseOutputDir(const std::string& text) {
    std::string s = CollapseSlashes(text);
    if (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

std::string WorkFolderOf(const std::string& outputDir) {
    if (outputDir.empty()) return {};
    return IncludeTrailingSeparator(outputDir, '/') + "work";
}

std::optional<std::string> DropJobNameOnOutputDir(const std::string& text, const std::string& languageCode,
                                                  const std::string& jobName) {
    std::string path = ExcludeTrailingSeparator(text, '/');
    auto lastOf = [](const std::string& p, size_t& slash) {
        slash = p.rfind('/');
        return slash == std::string::npos ? p : p.substr(slash + 1);
    };
    size_t slash = 0;
    if (!languageCode.empty() && lastOf(path, slash) == languageCode && slash != std::string::npos)
        path.erase(slash == 0 ? 1 : slash);
    if (lastOf(path, slash) == jobName) return std::nullopt;
    return IncludeTrailingSeparator(path, '/') + jobName;
}

} // namespace pem
