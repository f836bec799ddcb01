#include "DOSStart.h"

#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "SafeFiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

std::string FindDOSBoxExecutable(const std::string& iniLocation) {
    if (const char* path = std::getenv("PATH")) {
        const std::string dirs = path;
        size_t at = 0;
        while (at <= dirs.size()) {
            size_t end = dirs.find(':', at);
            if (end == std::string::npos) end = dirs.size();
            const std::string dir = dirs.substr(at, end - at);
            at = end + 1;
            if (dir.empty()) continue;
            const std::string candidate = dir + "/dosbox";
            struct stat st {};
            if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
                return Utf8ToCp1252(candidate);
        }
    }
    if (!iniLocation.empty()) {
        std::string location = iniLocation;
        for (char& c : location)
            if (c == '\\') c = '/';
        const std::string found = FindFileIgnoringCase(location);
        if (!found.empty()) return found;
    }
    return {};
}

std::vector<std::string> DOSBoxWriteConfigArguments(const std::string& fileName) {
    return {"-c", " CONFIG -writeconf " + fileName, "-noconsole", "-c", "exit"};
}

bool IsDosExecutable(const std::string& path) {
    if (path.empty()) return false;
    const std::string onDisk = Cp1252ToUtf8(path);
    struct stat st {};
    if (::stat(onDisk.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos && SameText(path.substr(dot), ".com"))
        return true;
    // Opened without waiting: a FIFO put in the file's place since the test
    // above is refused, not waited for.
    TReadStatus status = TReadStatus::Ok;
    const int fd = OpenRegularFile(onDisk, status);
    if (fd < 0) return false;
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        ::close(fd);
        return false;
    }
    unsigned char head[64] = {};
    const size_t n = std::fread(head, 1, sizeof head, f);
    bool dos = false;
    if (n >= 2 && head[0] == 'M' && head[1] == 'Z') {
        dos = true;
        // Relocations at 0x40 or later leave room for a newer header, whose
        // place the word at 0x3C gives.
        const unsigned relocations = n >= 0x1A ? head[0x18] | (head[0x19] << 8) : 0;
        if (n == sizeof head && relocations >= 0x40) {
            const long at = static_cast<long>(head[0x3C] | (head[0x3D] << 8) | (head[0x3E] << 16) |
                                              (static_cast<unsigned>(head[0x3F]) << 24));
            unsigned char sig[2] = {};
            if (at > 0 && std::fseek(f, at, SEEK_SET) == 0 && std::fread(sig, 1, 2, f) == 2) {
                const std::string s(reinterpret_cast<char*>(sig), 2);
                if (s == "PE" || s == "NE" || s == "LE" || s == "LX") dos = false;
            }
        }
    }
    std::fclose(f);
    return dos;
}

std::string DOSStartNote(const std::vector<std::string>& dosPrograms) {
    std::string note = "Create_PIF: this system has no DOS subsystem, no AUTOEXEC.NT or .pif files are made";
    if (dosPrograms.empty()) return note;
    note += dosPrograms.size() == 1 ? "; the DOS program " : "; the DOS programs ";
    for (size_t i = 0; i < dosPrograms.size(); ++i) note += (i ? ", " : "") + dosPrograms[i];
    note += dosPrograms.size() == 1 ? " runs only under DOSBox" : " run only under DOSBox";
    return note;
}

} // namespace pem
