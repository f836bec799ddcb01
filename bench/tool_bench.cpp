// Tool runs, measured against plain programs doing the same work in the
// same run, each side in fresh processes and alternated:
//
//   tool_bench [--mb N] [--sources N] [--runs R]
//
// 1. Console capture: the fake tool writes N MB (default 200) of short lines
//    through the console stub into the shell's reader (draining thread,
//    line assembly and counting, the memo's bounded tail fed per chunk, the
//    capture store) and "Console.log" is saved; against
//    `fake_tool | cat > FILE` at the same lowest CPU priority the stub gives
//    the tool. Goal: at least 50 MB/s, within 3x.
// 2. Renaming the results of N sources (default 9,998) in three result
//    folders; against a plain rename() loop that makes the same folders.
//    Goal: within 1.5x.
// The two sides of each comparison run in turns, the order swapped every
// round, after a warm-up round that is not counted (R rounds, default 5).
// Both sides must leave the same bytes / the same files. Prints min, median
// and max of the runs. The ratios are judged on the median of the rounds'
// own ratios: the two runs of a round follow each other, so a change of the
// machine's load between rounds shifts both sides of a round alike and moves
// the median little, where a ratio of the two sides' medians pairs runs of
// different rounds. The speed is judged at the median time of the capture.
// Each verdict is printed with the load average beside it.
#include "InputTreeEntries.h"
#include "RenameResultFolder.h"
#include "ToolOutputReader.h"
#include "ToolProcess.h"

#include "BenchVerdict.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

double Seconds(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Stats {
    std::vector<double> v;
    double Min() const { return *std::min_element(v.begin(), v.end()); }
    double Max() const { return *std::max_element(v.begin(), v.end()); }
    double Median() const {
        std::vector<double> s = v;
        std::sort(s.begin(), s.end());
        return s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
    }
};

// The median of the rounds' own ratios a[i] / b[i].
double MedianRatio(const Stats& a, const Stats& b) {
    Stats r;
    for (size_t i = 0; i < a.v.size() && i < b.v.size(); ++i) r.v.push_back(a.v[i] / b.v[i]);
    return r.Median();
}

void Print(const char* name, const Stats& s, double mb = 0) {
    std::printf("  %-28s min %7.3f s  median %7.3f s  max %7.3f s", name, s.Min(), s.Median(), s.Max());
    if (mb > 0) std::printf("  (%.0f MB/s at the median)", mb / s.Median());
    std::printf("\n");
}

bool SameFile(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    if (!fa || !fb) return false;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    for (;;) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount()) return false;
        if (std::memcmp(ba.data(), bb.data(), static_cast<size_t>(fa.gcount())) != 0) return false;
        if (fa.gcount() == 0) return true;
    }
}

// ------------------------------------------------------------- capture

void CaptureThroughStub(const std::string& dir, const std::string& log) {
    TLaunchRequest r;
    r.program = CONSOLE_STUB;
    r.args = {FAKE_TOOL, "missing.xml"};
    r.workingDir = dir;
    int error = 0;
    auto p = TToolProcess::Start(r, error);
    if (!p) {
        std::fprintf(stderr, "cannot start the console stub: %s\n", SystemErrorMessage(error).c_str());
        std::exit(1);
    }
    TToolOutputReader reader(0);
    QPlainTextEdit memo;
    memo.setMaximumBlockCount(static_cast<int>(reader.TailLimit()));
    std::string chunk;
    auto feedMemo = [&] {
        bool replaced = false;
        const auto lines = reader.TakeMemoLines(replaced);
        std::string text;
        for (const auto& l : lines) {
            if (!text.empty()) text += '\n';
            text += l;
        }
        if (replaced) memo.setPlainText(QString::fromLatin1(text.data(), static_cast<int>(text.size())));
        else if (!lines.empty()) memo.appendPlainText(QString::fromLatin1(text.data(), static_cast<int>(text.size())));
    };
    // Steps as the watcher takes them: at most 100 ms apart, sooner when
    // the buffer fills up.
    while (!p->Drained()) {
        p->WaitForBacklog(100);
        chunk.clear();
        if (p->Take(chunk)) {
            reader.Feed(chunk);
            feedMemo();
        }
    }
    p->Child().WaitFor(-1);
    chunk.clear();
    p->Take(chunk);
    reader.Feed(chunk);
    reader.Finish();
    feedMemo();
    if (!reader.Capture().SaveToFile(log)) std::exit(1);
}

void CaptureThroughCat(const std::string& dir, const std::string& file) {
    TLaunchRequest r;
    r.program = "/bin/sh";
    // At the priority the console stub gives the tool: the lowest.
    r.args = {"-c", std::string("nice -n 19 '") + FAKE_TOOL + "' missing.xml | nice -n 19 cat > '" + file + "'"};
    r.workingDir = dir;
    int error = 0;
    auto child = LaunchProcess(r, error);
    if (!child || !child->WaitFor(-1)) std::exit(1);
}

// ------------------------------------------------------------- renaming

const char* const kFolders[] = {"Metrics", "Specs", "Defis"};
const char* const kExtensions[] = {".met", ".spc", ".def"};

std::string SourceValue(int i) {
    char v[96];
    std::snprintf(v, sizeof v, "Comp%02d/Mod%03d/program%05d.cbl", i % 20, i % 400, i);
    return v;
}

void MakeResults(const std::string& out, int sources) {
    fs::remove_all(out);
    for (int f = 0; f < 3; ++f) {
        fs::create_directories(out + "/" + kFolders[f]);
        for (int i = 1; i <= sources; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/%s/SRC%04d%s", kFolders[f], i, kExtensions[f]);
            std::ofstream(out + name) << i;
        }
    }
}

void RenameByLoop(const std::string& out, int sources) {
    std::set<std::string> made;
    for (int f = 0; f < 3; ++f) {
        for (int i = 1; i <= sources; ++i) {
            std::string rel = SourceValue(i);
            for (char& c : rel)
                if (c == '\\') c = '/';
            rel = rel.substr(0, rel.rfind('.')) + kExtensions[f];
            const std::string target = out + "/" + kFolders[f] + "/" + rel;
            const std::string dir = target.substr(0, target.rfind('/'));
            if (made.insert(dir).second) fs::create_directories(dir);
            char name[64];
            std::snprintf(name, sizeof name, "/%s/SRC%04d%s", kFolders[f], i, kExtensions[f]);
            std::rename((out + name).c_str(), target.c_str());
        }
    }
}

std::vector<std::string> Tree(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files.push_back(fs::relative(e.path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv) {
    long mb = 200;
    int sources = 9998;
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--mb")) mb = std::atol(argv[++i]);
        else if (!std::strcmp(argv[i], "--sources")) sources = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char arg0[] = "tool_bench";
    char* qargv[] = {arg0, nullptr};
    QApplication app(qargc, qargv);

    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/tool_bench-XXXXXX";
    if (!::mkdtemp(templ.data())) return 1;
    const std::string root = templ;
    bool ok = true;

    // 1. Console capture.
    ::setenv("FAKE_TOOL_FLOOD", std::to_string(mb * 1000 * 1000).c_str(), 1);
    Stats stub, cat;
    bool captureSame = true, renamedSame = true; // a verdict needs the same result on both sides
    // Round 0 warms up both sides and is not counted.
    for (int r = 0; r <= runs; ++r) {
        auto viaStub = [&] {
            const double t = Seconds([&] { CaptureThroughStub(root, root + "/Console.log"); });
            if (r > 0) stub.v.push_back(t);
        };
        auto viaCat = [&] {
            const double t = Seconds([&] { CaptureThroughCat(root, root + "/cat.txt"); });
            if (r > 0) cat.v.push_back(t);
        };
        // The order swaps every round, so that neither side always runs
        // on a cache the other one warmed or a load it left behind.
        if (r % 2 == 0) {
            viaStub();
            viaCat();
        } else {
            viaCat();
            viaStub();
        }
        if (!SameFile(root + "/Console.log", root + "/cat.txt")) {
            std::printf("  the capture differs from cat's output\n");
            ok = false;
            captureSame = false;
        }
    }
    std::printf("tool_bench: %ld MB of short lines, %d runs each after a warm-up, alternated\n", mb, runs);
    Print("stub -> reader -> Console.log", stub, static_cast<double>(mb));
    Print("nice fake_tool | cat > FILE", cat, static_cast<double>(mb));
    if (captureSame) {
        JudgeFigure("  console capture, median of the rounds' ratios to cat", MedianRatio(stub, cat), "x", 3);
        JudgeFigure("  console capture at its median time", static_cast<double>(mb) / stub.Median(), " MB/s", 50,
                    false);
    } else {
        std::printf("  console capture: not judged, its result differs from cat's\n");
    }
    ::unsetenv("FAKE_TOOL_FLOOD");
    fs::remove(root + "/Console.log");
    fs::remove(root + "/cat.txt");

    // 2. Renaming.
    TInputTreeEntries entries;
    for (int i = 1; i <= sources; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "SRC%04d", i);
        entries.Add(key, SourceValue(i));
    }
    Stats renamer, loop;
    std::vector<std::string> treeA, treeB;
    for (int r = 0; r <= runs; ++r) {
        auto viaRenamer = [&] {
            MakeResults(root + "/a", sources);
            const double t = Seconds([&] {
                TResultRenamer rr({&entries, 2, 0, false});
                for (const char* f : kFolders) rr.RenameFolder(root + "/a", f);
            });
            if (r > 0) renamer.v.push_back(t);
        };
        auto viaLoop = [&] {
            MakeResults(root + "/b", sources);
            const double t = Seconds([&] { RenameByLoop(root + "/b", sources); });
            if (r > 0) loop.v.push_back(t);
        };
        if (r % 2 == 0) {
            viaRenamer();
            viaLoop();
        } else {
            viaLoop();
            viaRenamer();
        }
        treeA = Tree(root + "/a");
        treeB = Tree(root + "/b");
        if (treeA != treeB) {
            std::printf("  the renamed trees differ\n");
            ok = false;
            renamedSame = false;
        }
    }
    std::printf("tool_bench: renaming the results of %d sources in 3 folders, %d runs each after a warm-up\n",
                sources, runs);
    Print("result renaming", renamer);
    Print("plain rename() loop", loop);
    if (renamedSame)
        JudgeFigure("  result renaming, median of the rounds' ratios to the loop", MedianRatio(renamer, loop), "x",
                    1.5);
    else
        std::printf("  result renaming: not judged, its tree differs from the loop's\n");

    std::error_code ec;
    fs::remove_all(root, ec);
    return ok ? 0 : 1;
}
