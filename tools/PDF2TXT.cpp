// PDF2TXT DOCUMENT TEXTFILE
//
// The document converter of the package: writes the text of a ".pdf" (through
// pdftotext) or a ".doc" (through antiword) document into TEXTFILE as 8-bit
// Windows-1252 text, the code page of everything the shell reads; curly
// quotes and dashes keep their places 145 to 151, characters the code page
// lacks become "?". The text file exists only when the conversion succeeded;
// every failure is told on standard error with a non-zero exit code.
#include "CharSet1252.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(pem::AsciiLower(c));
    return ext;
}

// Runs the converter and collects its standard output. Returns the exit
// code, or -1 with errno's text in error when it could not be started.
int Capture(const std::vector<std::string>& words, std::string& out, std::string& error) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        error = std::strerror(rc);
        return -1;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n > 0) out.append(buf, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR) break;
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: PDF2TXT DOCUMENT TEXTFILE\n");
        return 2;
    }
    const std::string document = argv[1];
    const std::string textFile = argv[2];
    const std::string ext = LowerExtension(document);
    std::vector<std::string> words;
    const char* package = "";
    if (ext == ".pdf") {
        words = {"pdftotext", "-enc", "UTF-8", "-eol", "unix", document, "-"};
        package = "poppler-utils";
    } else if (ext == ".doc") {
        words = {"antiword", "-m", "UTF-8.txt", document};
        package = "antiword";
    } else {
        std::fprintf(stderr, "PDF2TXT: %s: only .pdf and .doc documents can be converted\n", document.c_str());
        return 2;
    }
    if (::access(document.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "PDF2TXT: cannot read %s: %s\n", document.c_str(), std::strerror(errno));
        return 2;
    }
    std::string utf8, error;
    const int rc = Capture(words, utf8, error);
    if (rc < 0) {
        std::fprintf(stderr, "PDF2TXT: cannot run %s (Debian package %s): %s\n", words[0].c_str(), package,
                     error.c_str());
        return 3;
    }
    if (rc != 0) {
        std::fprintf(stderr, "PDF2TXT: %s could not convert %s (exit code %d)\n", words[0].c_str(),
                     document.c_str(), rc);
        return 4;
    }
    const std::string text = pem::Utf8ToCp1252(utf8);
    // Written aside and renamed, so a half-written file never stands there.
    const std::string part = textFile + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "PDF2TXT: cannot write %s: %s\n", textFile.c_str(), std::strerror(errno));
        std::remove(part.c_str());
        return 5;
    }
    if (std::rename(part.c_str(), textFile.c_str()) != 0) {
        std::fprintf(stderr, "PDF2TXT: cannot write %s: %s\n", textFile.c_str(), std::strerror(errno));
        std::remove(part.c_str());
        return 5;
    }
    return 0;
}
