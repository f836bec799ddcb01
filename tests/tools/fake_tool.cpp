// A tool of the package for the tests: it keeps the whole contract a tool
// has with the shell (see ToolContract.h) and misbehaves on request.
//
//   fake_tool DOCUMENT[;NNNN] [> FILE]
//
// Its own name decides what it is: a name beginning with "ENG" or "GER"
// (ignoring case) is a text tool that reports "Orig Text File =", any other
// an analysis tool that reports "Orig Source File =". For every source of
// the document (only NNNN in batch calls) it checks the input tree, prints
// the progress line, and writes line counts as "Metrics/SRCnnnn.met", per
// module "Metrics/MODnnnn.met", per component "Metrics/COMPnnnn.met"; the log
// "<system>.log" lists what it did. It stops before the next source when an
// empty "Semaphore.xml" appears.
//
// Knobs, from the environment:
//   FAKE_TOOL_ARGLOG=FILE    append the arguments, one "[i]=arg" line each, and "--"
//   FAKE_TOOL_EXIT=N         exit code (default 0; 1 when an input was missing)
//   FAKE_TOOL_STDIN=block    wait for one line on standard input before working
//   FAKE_TOOL_STDIN=close    close standard input at once
//   FAKE_TOOL_FLOOD=BYTES    first write that many bytes of short numbered lines
//   FAKE_TOOL_LONG_LINE_MB=N first write one line of exactly N MB: a progress
//                            counter redrawn with lone CRs, ended by "100%"
//   FAKE_TOOL_PARTIAL=1      write each progress line in pieces, pausing 120 ms between
//   FAKE_TOOL_NO_FINAL_EOL=1 end with a last line that has no line end
//   FAKE_TOOL_CRLF=1         end lines with CR LF
//   FAKE_TOOL_SLEEP_MS=N     pause before each source
//   FAKE_TOOL_WAIT_STOP_MS=N after the sources, wait up to N ms for a stop request
//   FAKE_TOOL_IGNORE_SEMAPHORE=1  never stop on "Semaphore.xml"
//   FAKE_TOOL_STDERR=TEXT    write TEXT and a line end to standard error
//   FAKE_TOOL_STOP_LATE_MS=N honour a stop request only N ms after noticing it
//   FAKE_TOOL_CRASH=1        end by SIGSEGV once the work is done
//   FAKE_TOOL_SIGNAL=N       end by signal N once the work is done
#include "ToolContract.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

using namespace pemtool;

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
long EnvNumber(const char* name, long def) {
    const std::string v = Env(name);
    return v.empty() ? def : std::atol(v.c_str());
}
void Pause(long ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string g_eol = "\n";

// A stop request, honoured after the late knob's pause.
bool Stopped() {
    if (!StopRequested(".")) return false;
    Pause(EnvNumber("FAKE_TOOL_STOP_LATE_MS", 0));
    return true;
}

void Out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (!Env("FAKE_TOOL_ARGLOG").empty()) {
        std::ofstream log(Env("FAKE_TOOL_ARGLOG"), std::ios::binary | std::ios::app);
        for (int i = 0; i < argc; ++i) log << "[" << i << "]=" << argv[i] << "\n";
        log << "--\n";
    }
    if (Env("FAKE_TOOL_CRLF") == "1") g_eol = "\r\n";
    std::string self = argv[0];
    self = self.substr(self.rfind('/') == std::string::npos ? 0 : self.rfind('/') + 1);
    std::string upper;
    for (char c : self) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const bool textTool = upper.rfind("ENG", 0) == 0 || upper.rfind("GER", 0) == 0;

    const TToolArguments args = ParseToolArguments(argc, argv);
    if (!args.consoleFile.empty() && !RedirectConsole(args.consoleFile)) return 4;
    if (!Env("FAKE_TOOL_STDERR").empty()) std::fprintf(stderr, "%s\n", Env("FAKE_TOOL_STDERR").c_str());

    const std::string stdinMode = Env("FAKE_TOOL_STDIN");
    if (stdinMode == "close") ::close(0);
    if (stdinMode == "block") {
        Out("Press Enter to continue" + g_eol);
        char c = 0;
        while (::read(0, &c, 1) == 1 && c != '\n') {
        }
        Out("Continuing" + g_eol);
    }

    if (const long flood = EnvNumber("FAKE_TOOL_FLOOD", 0); flood > 0) {
        std::string block;
        long written = 0, n = 0;
        char line[32];
        while (written < flood) {
            block.clear();
            while (block.size() < 65536 && written + static_cast<long>(block.size()) < flood) {
                const int len = std::snprintf(line, sizeof line, "line %09ld", ++n);
                block.append(line, static_cast<size_t>(len));
                block += g_eol;
            }
            std::fwrite(block.data(), 1, block.size(), stdout);
            written += static_cast<long>(block.size());
        }
        std::fflush(stdout);
    }

    if (const long mb = EnvNumber("FAKE_TOOL_LONG_LINE_MB", 0); mb > 0) {
        const long total = (mb << 20) - 4;
        std::string block;
        long written = 0, n = 0;
        while (written < total) {
            block.clear();
            while (block.size() < 65536) block += std::to_string(n++ % 100) + "%\r";
            const size_t len = static_cast<size_t>(std::min<long>(static_cast<long>(block.size()), total - written));
            std::fwrite(block.data(), 1, len, stdout);
            written += static_cast<long>(len);
        }
        Out("100%" + g_eol);
    }

    TParameterDocument doc;
    std::string error;
    if (!ReadParameterDocument(args.document, doc, error)) {
        Out("fake_tool: " + error + g_eol);
        return static_cast<int>(EnvNumber("FAKE_TOOL_EXIT", 2));
    }
    const bool obeyStop = Env("FAKE_TOOL_IGNORE_SEMAPHORE") != "1";
    const bool partial = Env("FAKE_TOOL_PARTIAL") == "1";
    std::ofstream log(doc.systemName + ".log", std::ios::binary | std::ios::app);
    log << self << " " << doc.root << " " << doc.systemName << "\n";
    std::map<std::string, long> modules, components;
    int missing = 0;
    bool stopped = false;
    for (const TSourceEntry& s : doc.sources) {
        if (args.sourceNumber >= 0 && std::atoi(s.number.c_str()) != args.sourceNumber) continue;
        Pause(EnvNumber("FAKE_TOOL_SLEEP_MS", 0));
        if (obeyStop && Stopped()) {
            log << "stopped\n";
            stopped = true;
            break;
        }
        const long lines = CountLines(doc.inputDir + "/" + s.treePath);
        if (lines < 0) {
            log << "missing " << s.treePath << "\n";
            ++missing;
            continue;
        }
        const std::string progress =
            std::string(textTool ? "Orig Text File" : "Orig Source File") + " = " + s.origPath + g_eol;
        if (partial) {
            for (size_t at = 0; at < progress.size(); at += 7) {
                Out(progress.substr(at, 7));
                Pause(120); // long enough that a loaded machine still sees the pieces apart
            }
        } else {
            Out(progress);
        }
        log << "source " << s.number << " " << s.origPath << " " << lines << "\n";
        WriteResult(".", "Metrics", TreeName(s.treePath) + ".met", "Lines > " + std::to_string(lines) + "\n");
        if (const std::string m = TreeModule(s.treePath); !m.empty()) modules[m] += lines;
        if (const std::string c = TreeComponent(s.treePath); !c.empty()) components[c] += lines;
    }
    for (const auto& [m, lines] : modules)
        WriteResult(".", "Metrics", m + ".met", "Lines > " + std::to_string(lines) + "\n");
    for (const auto& [c, lines] : components)
        WriteResult(".", "Metrics", c + ".met", "Lines > " + std::to_string(lines) + "\n");

    if (const long wait = EnvNumber("FAKE_TOOL_WAIT_STOP_MS", 0); wait > 0 && !stopped) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait);
        bool late = false;
        while (std::chrono::steady_clock::now() < end && !(obeyStop && (late = Stopped()))) Pause(10);
        if (late) log << "stopped\n";
    }
    const int endSignal = Env("FAKE_TOOL_CRASH") == "1" ? SIGSEGV : static_cast<int>(EnvNumber("FAKE_TOOL_SIGNAL", 0));
    if (endSignal > 0) {
        const rlimit noCore{0, 0}; // no core file in the output directory
        ::setrlimit(RLIMIT_CORE, &noCore);
        std::signal(endSignal, SIG_DFL);
        std::raise(endSignal);
    }
    if (Env("FAKE_TOOL_NO_FINAL_EOL") == "1") Out("Done without line end");
    else Out("Done" + g_eol);
    return static_cast<int>(EnvNumber("FAKE_TOOL_EXIT", missing ? 1 : 0));
}
