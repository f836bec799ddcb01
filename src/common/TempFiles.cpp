#include "TempFiles.h"

#include "Exceptions.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace pem {

namespace {

std::mutex gMutex;
std::string gDir;

void RemoveDirIfEmpty() {
    if (!gDir.empty()) ::rmdir(gDir.c_str());  // fails harmlessly when not empty
}

// mkdtemp under base; the empty string when that fails.
std::string MakeUnder(const std::string& base) {
    std::error_code ec;
    std::filesystem::path root = std::filesystem::absolute(base, ec);
    if (ec) return std::string();
    std::string tmpl = (root.lexically_normal() / "pemaris-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) return std::string();
    return std::string(buf.data());
}

} // namespace

const std::string& PrivateTempDir() {
    std::lock_guard<std::mutex> lock(gMutex);
    if (!gDir.empty()) return gDir;
    std::vector<std::string> bases;
    if (const char* env = std::getenv("TMPDIR"); env != nullptr && *env != '\0')
        bases.emplace_back(env);
    bases.emplace_back("/tmp");
    for (const auto& base : bases) {
        std::string dir = MakeUnder(base);
        if (!dir.empty()) {
            gDir = std::move(dir);
            std::atexit(RemoveDirIfEmpty);
            return gDir;
        }
    }
    throw EFileError("Can not create temporary folder " + bases.front() + "/pemaris-XXXXXX");
}

} // namespace pem
