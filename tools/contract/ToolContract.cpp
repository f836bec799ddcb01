#include "ToolContract.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pemtool {

namespace {

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
    while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
    return s.substr(a, b - a);
}

std::string Slashes(std::string s) {
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

// <name>value</name> on one line.
bool Element(const std::string& line, std::string& name, std::string& value) {
    if (line.size() < 5 || line[0] != '<' || line[1] == '/') return false;
    const size_t close = line.find('>');
    if (close == std::string::npos) return false;
    name = line.substr(1, close - 1);
    const std::string end = "</" + name + ">";
    if (line.size() < close + 1 + end.size() || line.compare(line.size() - end.size(), end.size(), end) != 0)
        return false;
    value = line.substr(close + 1, line.size() - end.size() - close - 1);
    return true;
}

// Name = "value" on one line.
bool Attribute(const std::string& line, std::string& name, std::string& value) {
    const size_t eq = line.find('=');
    const size_t q1 = line.find('"');
    const size_t q2 = line.rfind('"');
    if (eq == std::string::npos || q1 == std::string::npos || q2 <= q1 || q1 < eq) return false;
    name = Trim(line.substr(0, eq));
    value = line.substr(q1 + 1, q2 - q1 - 1);
    return !name.empty() && name.find('<') == std::string::npos;
}

bool IsDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

bool ReadParameterDocument(const std::string& path, TParameterDocument& doc, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    doc = TParameterDocument();
    std::map<std::string, size_t> byNumber;
    auto source = [&](const std::string& number) -> TSourceEntry& {
        auto it = byNumber.find(number);
        if (it == byNumber.end()) {
            it = byNumber.emplace(number, doc.sources.size()).first;
            doc.sources.push_back({number, {}, {}});
        }
        return doc.sources[it->second];
    };
    // Test-tool inputs: the path element and its input element share a slot.
    static const std::pair<const char*, const char*> kTestInputs[] = {
        {"Orig_TestCases", "TestCases"},       {"Orig_Methods", "Methods"},
        {"Orig_Problemfile", "ProblemFile"},   {"Orig_Test_Exec_Log", "Test_Exec_Log"},
        {"Orig_Trace_File", "TraceFile"},
    };
    std::string line;
    int testInput = 0;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty()) continue;
        std::string name, value;
        if (doc.root.empty()) {
            if (line[0] == '<' && line.size() > 2 && line[1] != '?' && line[1] != '!') {
                doc.root = line.substr(1, line.find('>') == std::string::npos ? std::string::npos : line.find('>') - 1);
            }
            continue;
        }
        if (Element(line, name, value)) {
            const size_t at = name.find('@');
            if (at != std::string::npos) name = name.substr(at + 1);
            if (name.rfind("Orig_File_", 0) == 0 && IsDigits(name.substr(10))) {
                source(name.substr(10)).origPath = value;
            } else if (name.rfind("File_", 0) == 0 && IsDigits(name.substr(5))) {
                source(name.substr(5)).treePath = Slashes(value);
            } else if (name == "Orig_Input_Dir") {
                doc.origInputDir = value;
            } else if (name == "Input_Dir") {
                doc.inputDir = Slashes(value);
            } else if (name == "Output_Dir") {
                doc.outputDir = Slashes(value);
            } else if (name == "Work_Dir") {
                doc.workDir = Slashes(value);
            } else {
                for (const auto& [orig, input] : kTestInputs) {
                    if (name == orig) {
                        source("T" + std::to_string(++testInput)).origPath = value;
                    } else if (name == input) {
                        TSourceEntry& e = source("T" + std::to_string(testInput));
                        e.treePath = Slashes(value);
                    }
                }
            }
            continue;
        }
        if (Attribute(line, name, value)) {
            if (name == "Language") doc.language = value;
            else if (name == "ProductName") doc.productName = value;
            else if (name == "SystemName") doc.systemName = value;
            else if (name == "Version") doc.version = value;
        }
    }
    if (doc.root.empty()) {
        error = path + " holds no document";
        return false;
    }
    return true;
}

TToolArguments ParseToolArguments(int argc, char** argv) {
    TToolArguments a;
    int n = argc;
    if (n >= 3 && std::strcmp(argv[n - 2], ">") == 0) {
        a.consoleFile = argv[n - 1];
        n -= 2;
    }
    if (n >= 2) {
        std::string doc = argv[1];
        const size_t semi = doc.rfind(';');
        if (semi != std::string::npos && IsDigits(doc.substr(semi + 1))) {
            a.sourceNumber = std::stoi(doc.substr(semi + 1));
            doc = doc.substr(0, semi);
        }
        a.document = doc;
    }
    return a;
}

bool RedirectConsole(const std::string& file) {
    if (!std::freopen(file.c_str(), "w", stdout)) return false;
    ::dup2(::fileno(stdout), 2);
    return true;
}

bool StopRequested(const std::string& outputDir) {
    std::error_code ec;
    const fs::path p = fs::path(outputDir) / "Semaphore.xml";
    return fs::is_regular_file(p, ec) && fs::file_size(p, ec) == 0 && !ec;
}

std::string TreeName(const std::string& treePath) {
    const std::string p = Slashes(treePath);
    const size_t slash = p.rfind('/');
    std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    const size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

static std::string FolderAt(const std::string& treePath, int up) {
    std::string p = Slashes(treePath);
    for (int i = 0; i < up; ++i) {
        const size_t slash = p.rfind('/');
        if (slash == std::string::npos) return {};
        p = p.substr(0, slash);
    }
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string TreeModule(const std::string& treePath) {
    const std::string m = FolderAt(treePath, 1);
    return m.rfind("MOD", 0) == 0 ? m : std::string();
}

std::string TreeComponent(const std::string& treePath) {
    const std::string c = FolderAt(treePath, 2);
    return c.rfind("COMP", 0) == 0 ? c : std::string();
}

bool WriteResult(const std::string& outputDir, const std::string& folder, const std::string& name,
                 const std::string& text) {
    std::error_code ec;
    const fs::path dir = fs::path(outputDir) / folder;
    fs::create_directories(dir, ec);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

long CountLines(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    long lines = 0;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        for (size_t i = 0; i < n; ++i)
            if (buf[i] == '\n') ++lines;
    std::fclose(f);
    return lines;
}

void ReportSource(const std::string& origPath, bool textTool) {
    std::printf("%s = %s\n", textTool ? "Orig Text File" : "Orig Source File", origPath.c_str());
    std::fflush(stdout);
}

} // namespace pemtool
