// A stand-in for DOSBox in the tests, found on PATH as "dosbox":
//
//   dosbox -conf FILE [-noconsole] -exit
//       runs the lines of every "[autoexec]" section of FILE: "mount D: PATH"
//       (PATH may be quoted), "D:" (change drive), "exit", and program calls
//       "[D:\]NAME ARGS" with NAME looked up ignoring case in the drive's
//       folder and run in the current drive's folder; other lines are skipped.
//   dosbox -c "CONFIG -writeconf FILE" [-noconsole] -c exit
//       writes a small configuration template to FILE.
//
// FAKE_DOSBOX_LOG=FILE appends the arguments ("arg: ...") and every program
// call ("run: ...") to FILE. The exit code is 0, or the last program's.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::ofstream g_log;

std::string Trim(std::string s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.pop_back();
    size_t a = 0;
    while (a < s.size() && static_cast<unsigned char>(s[a]) <= ' ') ++a;
    return s.substr(a);
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d))
        if (Upper(e->d_name) == Upper(name)) {
            found = folder + "/" + e->d_name;
            break;
        }
    ::closedir(d);
    return found;
}

int RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd) {
    if (g_log.is_open()) {
        g_log << "run: " << program;
        for (const auto& a : args) g_log << " " << a;
        g_log << " (in " << cwd << ")\n";
        g_log.flush();
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(cwd.c_str()) != 0) ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int RunConfig(const std::string& file) {
    std::ifstream in(file);
    if (!in) {
        std::fprintf(stderr, "dosbox: cannot read %s\n", file.c_str());
        return 1;
    }
    char cwd[4096];
    const std::string here = ::getcwd(cwd, sizeof cwd) ? cwd : ".";
    std::map<char, std::string> drives;
    char drive = 'Z';
    bool autoexec = false;
    int rc = 0;
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (!line.empty() && line[0] == '[') {
            autoexec = Upper(line) == "[AUTOEXEC]";
            continue;
        }
        if (!autoexec || line.empty() || line[0] == '#') continue;
        const std::string up = Upper(line);
        if (up == "EXIT") break;
        if (up.rfind("MOUNT ", 0) == 0 && up.size() > 8 && up[7] == ':') {
            std::string path = Trim(line.substr(8));
            if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
            if (path == ".") path = here;
            drives[up[6]] = path;
            continue;
        }
        if (up.size() == 2 && up[1] == ':') {
            drive = up[0];
            continue;
        }
        std::istringstream words(line);
        std::string program;
        words >> program;
        std::vector<std::string> args;
        for (std::string w; words >> w;) args.push_back(w);
        char at = drive;
        if (program.size() > 2 && program[1] == ':') {
            at = static_cast<char>(std::toupper(static_cast<unsigned char>(program[0])));
            program = program.substr(2);
        }
        if (!program.empty() && program[0] == '\\') program = program.substr(1);
        if (!drives.count(at) || !drives.count(drive)) continue;
        const std::string found = FindIgnoringCase(drives[at], program);
        if (found.empty()) {
            std::printf("Illegal command: %s.\n", program.c_str());
            continue;
        }
        rc = RunProgram(found, args, drives[drive]);
    }
    return rc;
}

} // namespace

int main(int argc, char** argv) {
    if (const char* log = std::getenv("FAKE_DOSBOX_LOG")) {
        g_log.open(log, std::ios::app);
        for (int i = 1; i < argc; ++i) g_log << "arg: " << argv[i] << "\n";
        g_log.flush();
    }
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-conf") == 0) return RunConfig(argv[i + 1]);
        if (std::strcmp(argv[i], "-c") == 0) {
            std::istringstream words(argv[i + 1]);
            std::string w1, w2, name;
            words >> w1 >> w2 >> name;
            if (Upper(w1) == "CONFIG" && w2 == "-writeconf" && !name.empty()) {
                std::ofstream out(name);
                out << "[sdl]\nfullscreen=false\n\n[cpu]\ncore=auto\ncycles=auto\n\n[autoexec]\n"
                       "# Lines in this section will be run at startup.\n";
                return out ? 0 : 1;
            }
        }
    }
    return 0;
}
