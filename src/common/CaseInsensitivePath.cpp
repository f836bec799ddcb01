#include "CaseInsensitivePath.h"

#include "CharSet1252.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace pem {

namespace {

bool Exists(const std::string& cp1252Path) {
    std::error_code ec;
    return fs::exists(fs::path(Cp1252ToUtf8(cp1252Path)), ec);
}

// The entry of folder whose name equals element ignoring case; "" when none.
std::string MatchInFolder(const std::string& folder, const std::string& element) {
    std::error_code ec;
    const std::string dir = folder.empty() ? std::string(".") : folder;
    fs::directory_iterator it(fs::path(Cp1252ToUtf8(dir)), ec);
    if (ec) return {};
    std::vector<std::string> hits;
    for (const auto& e : it) {
        bool ok = true;
        std::string name = Utf8ToCp1252(e.path().filename().string(), &ok);
        if (!ok) continue; // not representable: cannot be what was asked for
        if (AnsiCompareText(name, element) == 0) hits.push_back(name);
    }
    if (hits.empty()) return {};
    std::sort(hits.begin(), hits.end());
    return hits.front();
}

} // namespace

std::string FindPathIgnoringCase(const std::string& path) {
    if (path.empty()) return {};
    if (Exists(path)) return path;
    std::string result;
    size_t pos = 0;
    if (path[0] == '/') {
        result = "/";
        pos = 1;
    }
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        std::string element = path.substr(pos, next - pos);
        pos = next + 1;
        if (element.empty()) {
            if (next >= path.size()) break;
            continue; // doubled separator
        }
        std::string candidate = result.empty() || result.back() == '/' ? result + element : result + "/" + element;
        if (element == "." || element == ".." || Exists(candidate)) {
            result = candidate;
        } else {
            const std::string folder = result;
            std::string hit = MatchInFolder(folder, element);
            if (hit.empty()) return {};
            result = folder.empty() || folder.back() == '/' ? folder + hit : folder + "/" + hit;
        }
        if (next >= path.size()) break;
    }
    return result;
}

std::string FindFileIgnoringCase(const std::string& path) {
    std::string p = FindPathIgnoringCase(path);
    std::error_code ec;
    if (p.empty() || !fs::is_regular_file(fs::path(Cp1252ToUtf8(p)), ec)) return {};
    return p;
}

std::string FindDirIgnoringCase(const std::string& path) {
    std::string p = FindPathIgnoringCase(path);
    std::error_code ec;
    if (p.empty() || !fs::is_directory(fs::path(Cp1252ToUtf8(p)), ec)) return {};
    return p;
}

bool FileExistsIgnoringCase(const std::string& path) { return !FindFileIgnoringCase(path).empty(); }
bool DirExistsIgnoringCase(const std::string& path) { return !FindDirIgnoringCase(path).empty(); }

std::string ResolveFileIgnoringCase(const std::string& path) {
    std::string p = FindFileIgnoringCase(path);
    return p.empty() ? path : p;
}

} // namespace pem
