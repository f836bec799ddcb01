// A whole analysis run from the main window, offscreen, with the fake tool
// in place of the analysis tool:
//
//   run_bench [--sources N] [--runs R]
//
// The job holds N small sources (default 9,998) in 10 components of 10
// modules each. One run is the start action's work until the tool runs
// (preparation: cleaning, the parameter document, the input tree; the start)
// and then the watch and the finishing (renaming, cleaning, logs) until the
// run is idle again. The shell's own time is the whole run less the time the
// tool alone takes on the same prepared output directory right after it; it
// is compared with "cp -r" of the sources, run in turns with it. A 10 ms timer runs all
// the while; the longest gap between its ticks shows how long the window
// went without serving events. After every run the input tree and the
// renamed results are counted; after every copy, the copied files.
#include "DialogService.h"
#include "FindDirectoryFrame.h"
#include "PemarisMain.h"
#include "SharedRoutinesCommon.h"

#include "BenchCompare.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace pem;

namespace {

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

int CountFiles(const fs::path& root) {
    int n = 0;
    std::error_code ec;
    if (!fs::exists(root, ec)) return 0;
    for (const auto& e : fs::recursive_directory_iterator(root, ec))
        if (e.is_regular_file()) ++n;
    return n;
}

} // namespace

int main(int argc, char** argv) {
    int sources = 9998, runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--sources")) sources = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
    }
    const std::string root = MakeBenchRoot("run_bench");
    if (root.empty()) return 1;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    // The window makes default folders in the home folder: the bench's own.
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    QApplication app(argc, argv);
    static ScriptedDialogService dialogs;
    SetDialogService(&dialogs);

    // The demo installation with the fake tool as the COBOL tool.
    fs::copy(DEMO_DIR, root, fs::copy_options::recursive);
    fs::copy_file(FAKE_TOOL, root + "/Tools/Measure/Korvex/COBAudit/COBAudit.exe",
                  fs::copy_options::overwrite_existing);
    const std::string src = root + "/src", out = root + "/out/COB", copy = root + "/copy";
    for (int i = 0; i < sources; ++i) {
        char rel[64];
        std::snprintf(rel, sizeof rel, "C%02d/M%03d/s%05d.cbl", i % 10, i % 100, i);
        WriteFile(src + "/" + rel, "       IDENTIFICATION DIVISION.\r\n       PROGRAM-ID. P.\r\n");
    }

    TfrmPemarisMain::ExecutablePath = root + "/Tools/Korvex";
    auto* f = new TfrmPemarisMain;
    f->DoCreate();
    f->show();
    QApplication::processEvents();
    f->EditProductName->SetText("Bench");
    f->EditProductNameExit(f->EditProductName);
    f->EditSystemName->SetText("Sys");
    f->EditSystemNameExit(f->EditSystemName);
    f->EditSystemVersion->SetText("1.0");
    f->EditSystemVersionExit(f->EditSystemVersion);
    f->FrameFindDirectoryOutputDir->Edit->SetText(out);
    f->AddDirectoryFiles(src, true);
    if (f->SourceFiles.CheckedCount() != sources) {
        std::printf("the job holds %d of %d sources\n", f->SourceFiles.CheckedCount(), sources);
        return 1;
    }

    long longestGap = 0, longestGapPreparing = 0, longestGapWatching = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max<long>(longestGap, static_cast<long>(sinceTick.restart()));
    });
    Times prepare, rest;
    bool ok = true;
    auto freshOutput = [&] {
        fs::remove_all(out);
        fs::create_directories(out + "/Metrics"); // an output directory in use
        fs::remove_all(copy);
    };
    auto ours = [&] {
        sinceTick.start();
        ticker.start(10);
        QElapsedTimer t;
        t.start();
        f->ActRunAnal->trigger();
        prepare.t.push_back(t.nsecsElapsed() / 1e9);
        longestGapPreparing = std::max(longestGapPreparing, longestGap);
        const long before = longestGap;
        longestGap = 0;
        while (f->RunState != TRunState::Idle) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        rest.t.push_back(t.nsecsElapsed() / 1e9 - prepare.t.back());
        ticker.stop();
        longestGapWatching = std::max(longestGapWatching, longestGap);
        longestGap = std::max(longestGap, before);
    };
    // The tool alone, on the output directory the run prepared.
    Times tool;
    auto toolAlone = [&] {
        tool.t.push_back(Seconds([&] {
            const std::string cmd = "cd '" + out + "' && '" + std::string(FAKE_TOOL) + "' last.xml > /dev/null";
            if (const int rc = std::system(cmd.c_str()); rc != 0) {
                std::printf("the tool alone ended with %d\n", rc);
                ok = false;
            }
        }));
    };
    auto checkOurs = [&] {
        const int tree = CountFiles(out + "/workinp"), results = CountFiles(out + "/Metrics");
        // One result per source, module and component.
        if (tree != sources || results != sources + 100 + 10) {
            std::printf("run: %d sources in the input tree, %d results (expected %d and %d)\n", tree, results, sources,
                        sources + 110);
            ok = false;
        }
        toolAlone();
    };
    auto cp = [&] { Run({"cp", "-r", src, copy}); };
    auto checkCp = [&] {
        if (CountFiles(copy) != sources) {
            std::printf("cp: %d files copied\n", CountFiles(copy));
            ok = false;
        }
    };
    const auto [whole, cps] = RunBoth(runs, freshOutput, ours, cp, checkOurs, checkCp);
    // Not the warm-up run.
    prepare.t.erase(prepare.t.begin());
    rest.t.erase(rest.t.begin());

    Times own;
    for (size_t i = 0; i < whole.t.size(); ++i) own.t.push_back(whole.t[i] - tool.t[i]);

    std::printf("%d sources, %d runs\n", sources, runs);
    std::printf("preparation and start %.3f s (%.3f..%.3f)\n", prepare.Median(), prepare.Min(), prepare.Max());
    std::printf("watch and finishing (tool included) %.3f s (%.3f..%.3f)\n", rest.Median(), rest.Min(), rest.Max());
    std::printf("the tool alone %.3f s (%.3f..%.3f)\n", tool.Median(), tool.Min(), tool.Max());
    PrintLine("shell's own time:", own, "cp -r", cps);
    std::printf("longest gap of a 10 ms timer: %ld ms while preparing and starting, %ld ms while watching and "
                "finishing\n",
                longestGapPreparing, longestGapWatching);
    std::printf("%s\n", ok ? "results checked" : "RESULTS DIFFER");
    if (std::getenv("RUN_BENCH_KEEP")) std::printf("kept %s\n", root.c_str());
    else fs::remove_all(root);
    return ok ? 0 : 1;
}
