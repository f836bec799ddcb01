// Whole analysis runs with the fake tool in place of the analysis tool, on a
// copy of the demo installation whose console is captured
// (Runcontrol.SystemCaptureConsole=Y, so every run is piped):
//
//   run_bench [--sources N] [--runs R] [--flood-mb M] [--line-mb L]
//
// The job holds N small sources (default 9,998) in 10 components of 10
// modules each. Phases:
//
//  1. The run from the main window, offscreen: the start action's work until
//     the tool runs (preparation: cleaning, the parameter document, the input
//     tree; the start), then the watch and the finishing (renaming, cleaning,
//     logs) until the run is idle again. The shell's own time is the whole
//     run less the tool alone; it is compared with "cp -r" of the sources,
//     run in turns with it.
//  2. The same run while the tool first prints M MB (default 200) of short
//     lines, and
//  3. while it first prints one line of L MB (default 16) without a line end
//     (a progress counter redrawn with lone CRs).
//  In every phase a 5 ms timer runs all the while, and the longest gap
//  between its ticks, while the run prepares and starts, while the tool runs
//  and while the run finishes, is how long the window went without serving
//  events. Console.log is checked to hold every line.
//  4. The headless "-AutoRun=Anal" run as a process of its own, start-up and
//     exit included, in turns with the tool alone.
//
// "The tool alone" runs each time in a fresh copy of the output directory as
// the preparation left it (before any tool wrote results there), with its
// output thrown away.
//
// Goals, each judged with the load average beside it:
//  - no event-loop gap over 100 ms in any phase of any run. Preparing is held
//    to the same goal as the watch and the finishing: it is the same measure
//    (how long the window serves no events, here while the start action
//    works on the GUI thread), and the preparation's loops serve events every
//    30 ms, so nothing in it needs to hold the window longer;
//  - the shell's own time within 3x of cp -r of the sources: it copies the
//    input tree (within 1.5x of cp -r, input_bench's goal) and renames the
//    results (within 1.5x of a rename() loop over as many files, tool_bench's
//    goal), each about a cp -r's worth of file-system work; the parameter
//    document and the logs add little;
//  - the headless run's own time as a process exceeds the window run's own
//    time by at most 1.5x the program's start with the job to its first
//    paint (timed after each headless run): it does the same run, and
//    besides starts the program with the job, saves the job after the run
//    and exits; the half start is room for the save and the exit.
// The phases' times and the tool's are shown as information.
#include "DialogService.h"
#include "FindDirectoryFrame.h"
#include "PemarisMain.h"
#include "SharedRoutinesCommon.h"

#include "BenchCompare.h"
#include "BenchVerdict.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

namespace fs = std::filesystem;
using namespace pem;

namespace {

constexpr double kGapGoalMs = 100;
constexpr double kOwnTimeGoal = 3;       // x cp -r
constexpr double kProcessExtraGoal = 1.5; // x the start with the job

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int CountFiles(const fs::path& root) {
    int n = 0;
    std::error_code ec;
    if (!fs::exists(root, ec)) return 0;
    for (const auto& e : fs::recursive_directory_iterator(root, ec))
        if (e.is_regular_file()) ++n;
    return n;
}

// The verdict on a phase's longest event-loop gap.
void JudgeGap(const std::string& what, double ms) {
    JudgeFigure(("  longest event-loop gap " + what).c_str(), ms, " ms", kGapGoalMs);
}

} // namespace

int main(int argc, char** argv) {
    int sources = 9998, runs = 3;
    long floodMb = 200, lineMb = 16;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--sources")) sources = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--flood-mb")) floodMb = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--line-mb")) lineMb = std::atol(argv[i + 1]);
    }
    const std::string root = MakeBenchRoot("run_bench");
    if (root.empty()) return 1;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    // The window makes default folders in the home folder: the bench's own.
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    ::unsetenv("FAKE_TOOL_FLOOD");
    ::unsetenv("FAKE_TOOL_LONG_LINE_MB");
    QApplication app(argc, argv);
    static ScriptedDialogService dialogs;
    SetDialogService(&dialogs);

    // The demo installation with the fake tool as the COBOL tool, the
    // program and the console stub in the tool root, the console captured.
    fs::copy(DEMO_DIR, root, fs::copy_options::recursive);
    fs::copy_file(FAKE_TOOL, root + "/Tools/Measure/Korvex/COBAudit/COBAudit.exe",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(CONSOLE_STUB, root + "/Tools/console_stub", fs::copy_options::overwrite_existing);
    fs::create_symlink(PROGRAM, root + "/Tools/Korvex");
    {
        const std::string ini = root + "/_Pemaris_Family.Src/Korvex.INI";
        std::string text = ReadFile(ini);
        const std::string off = "Runcontrol.SystemCaptureConsole=N";
        const size_t at = text.find(off);
        if (at == std::string::npos) {
            std::printf("the demo INI file has no %s line\n", off.c_str());
            return 1;
        }
        text.replace(at, off.size(), "Runcontrol.SystemCaptureConsole=Y");
        WriteFile(ini, text);
    }
    const std::string src = root + "/src", out = root + "/out/COB", copy = root + "/copy";
    const std::string prepared = root + "/prepared", fresh = root + "/fresh";
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
    if (!f->SystemCaptureConsole) {
        std::printf("the console is not captured\n");
        return 1;
    }
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
    auto freshOutput = [&] {
        fs::remove_all(out);
        fs::create_directories(out + "/Metrics"); // an output directory in use
        fs::remove_all(copy);
        fs::remove_all(fresh);
    };

    // The output directory as the preparation leaves it for the tool: the
    // run prepared with the tool's start prohibited.
    freshOutput();
    f->Act("ActDontRun")->SetChecked(true);
    f->ActRunAnal->trigger();
    f->Act("ActDontRun")->SetChecked(false);
    if (f->Processing() || !fs::exists(out + "/last.xml") || CountFiles(out + "/workinp") != sources) {
        std::printf("the run was not prepared: %d sources in the input tree\n", CountFiles(out + "/workinp"));
        return 1;
    }
    fs::copy(out, prepared, fs::copy_options::recursive);

    bool ok = true;
    Times tool;
    auto freshCopy = [&] {
        fs::remove_all(fresh);
        fs::copy(prepared, fresh, fs::copy_options::recursive);
    };
    auto toolRun = [&] {
        const std::string cmd = "cd '" + fresh + "' && '" + std::string(FAKE_TOOL) + "' last.xml > /dev/null";
        if (const int rc = std::system(cmd.c_str()); rc != 0) {
            std::printf("the tool alone ended with %d\n", rc);
            ok = false;
        }
    };
    // One result per source, module and component.
    const int results = sources + std::min(sources, 100) + std::min(sources, 10);
    auto checkTool = [&] {
        if (CountFiles(fresh + "/Metrics") != results) {
            std::printf("the tool alone wrote %d results\n", CountFiles(fresh + "/Metrics"));
            ok = false;
        }
    };
    auto toolAlone = [&] {
        freshCopy();
        tool.t.push_back(Seconds(toolRun));
        checkTool();
    };
    auto checkResults = [&](const char* what) {
        const int tree = CountFiles(out + "/workinp"), got = CountFiles(out + "/Metrics");
        if (tree != sources || got != results) {
            std::printf("%s: %d sources in the input tree, %d results (expected %d and %d)\n", what, tree, got,
                        sources, results);
            ok = false;
        }
    };

    // The event loop's longest gap, by the run's state when the gap ended.
    long gapPreparing = 0, gapRunning = 0, gapFinishing = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    // The first tick after the start action returned ends a gap of the
    // start action's own.
    bool preparing = false, started = false;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const long gap = static_cast<long>(sinceTick.restart());
        const bool start = std::exchange(started, false);
        long& slot = preparing || start ? gapPreparing
                     : f->RunState == TRunState::Finishing ? gapFinishing
                                                            : gapRunning;
        slot = std::max(slot, gap);
    });
    // One run from the window, timed in its two halves, with its longest
    // gaps by phase.
    Times prepare, rest;
    struct Gaps {
        Times preparing, running, finishing;
        void Clear() { *this = {}; }
        void DropFirst() {
            for (Times* g : {&preparing, &running, &finishing}) g->t.erase(g->t.begin());
        }
    } gaps;
    auto windowRun = [&] {
        gapPreparing = gapRunning = gapFinishing = 0;
        sinceTick.start();
        ticker.start(5);
        QElapsedTimer t;
        t.start();
        preparing = true;
        f->ActRunAnal->trigger();
        preparing = false;
        started = true;
        prepare.t.push_back(t.nsecsElapsed() / 1e9);
        while (f->RunState != TRunState::Idle) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        rest.t.push_back(t.nsecsElapsed() / 1e9 - prepare.t.back());
        ticker.stop();
        gaps.preparing.t.push_back(static_cast<double>(gapPreparing));
        gaps.running.t.push_back(static_cast<double>(gapRunning));
        gaps.finishing.t.push_back(static_cast<double>(gapFinishing));
    };
    // Each run's longest gap by phase, so that one stall is told from a
    // habit; the verdicts go by the worst run.
    auto judgeGaps = [&] {
        for (const auto& [phase, g] : {std::pair{"preparing and starting", &gaps.preparing},
                                       std::pair{"the tool runs", &gaps.running},
                                       std::pair{"finishing", &gaps.finishing}}) {
            std::printf("  longest event-loop gap while %s by run: median %.0f ms (%.0f-%.0f)\n", phase,
                        g->Median(), g->Min(), g->Max());
            JudgeGap(std::string("while ") + phase + ", worst run", g->Max());
        }
    };

    // 1. The plain run.
    auto cp = [&] { Run({"cp", "-r", src, copy}); };
    auto checkCp = [&] {
        if (CountFiles(copy) != sources) {
            std::printf("cp: %d files copied\n", CountFiles(copy));
            ok = false;
        }
    };
    const auto [whole, cps] = RunBoth(
        runs, freshOutput, windowRun, cp,
        [&] {
            checkResults("run");
            toolAlone();
        },
        checkCp);
    // Not the warm-up run.
    prepare.t.erase(prepare.t.begin());
    rest.t.erase(rest.t.begin());
    gaps.DropFirst();
    Times own;
    for (size_t i = 0; i < whole.t.size(); ++i) own.t.push_back(whole.t[i] - tool.t[i]);
    std::printf("%d sources, %d runs\n", sources, runs);
    std::printf("1. run from the window (the times as information, judged below)\n");
    std::printf("  preparation and start %.3f s (%.3f..%.3f)\n", prepare.Median(), prepare.Min(), prepare.Max());
    std::printf("  watch and finishing (tool included) %.3f s (%.3f..%.3f)\n", rest.Median(), rest.Min(),
                rest.Max());
    std::printf("  the tool alone %.3f s (%.3f..%.3f)\n", tool.Median(), tool.Min(), tool.Max());
    std::printf("  ");
    PrintLine("shell's own time:", own, "cp -r", cps);
    JudgeFigure("  shell's own time, ratio of medians to cp -r", own.Median() / cps.Median(), "x", kOwnTimeGoal);
    judgeGaps();

    // 2. and 3. Floods of the console.
    struct Flood {
        const char* name;
        const char* env;
        std::string value;
        std::string firstLine; // how Console.log begins
        size_t bytes;          // of the flood in Console.log
    };
    const Flood floods[] = {
        {"short-line flood", "FAKE_TOOL_FLOOD", std::to_string(floodMb << 20), "line 000000001\n",
         static_cast<size_t>(floodMb << 20)},
        {"line without line end", "FAKE_TOOL_LONG_LINE_MB", std::to_string(lineMb), "0%\r1%\r2%\r",
         static_cast<size_t>(lineMb << 20)},
    };
    int phase = 2;
    for (const Flood& fl : floods) {
        ::setenv(fl.env, fl.value.c_str(), 1);
        Times t;
        gaps.Clear();
        for (int i = 0; i < runs; ++i) {
            freshOutput();
            t.t.push_back(Seconds(windowRun));
            checkResults(fl.name);
            // Every line of the flood, then the tool's own lines.
            std::ifstream log(out + "/Console.log", std::ios::binary);
            std::string head(fl.firstLine.size(), '\0');
            log.read(head.data(), static_cast<std::streamsize>(head.size()));
            const auto size = fs::file_size(out + "/Console.log");
            if (head != fl.firstLine || size < fl.bytes + static_cast<size_t>(sources) * 20) {
                std::printf("%s: Console.log of %zu bytes begins \"%s\"\n", fl.name, static_cast<size_t>(size),
                            head.c_str());
                ok = false;
            }
        }
        ::unsetenv(fl.env);
        std::printf("%d. %zu MB %s: run %.3f s (%.3f..%.3f), as information\n", phase++, fl.bytes >> 20, fl.name,
                    t.Median(), t.Min(), t.Max());
        judgeGaps();
    }

    // 4. The headless automatic run as a process of its own.
    const std::string job = root + "/jobs/Bench" + f->Product.JobExtension;
    fs::create_directories(root + "/jobs");
    dialogs.AnswerFiles({job});
    f->ActSaveProject->trigger();
    if (!fs::exists(job)) {
        std::printf("the job was not saved\n");
        return 1;
    }
    auto autoRun = [&] {
        const std::string cmd = "'" + root + "/Tools/Korvex' -Root '" + root + "/Tools' -Proj '" + job +
                                "' -AutoRun=Anal > /dev/null 2>&1";
        if (const int rc = std::system(cmd.c_str()); rc != 0) {
            std::printf("the automatic run ended with %d\n", rc);
            ok = false;
        }
    };
    // The program started with the job until its first paint, with nothing
    // run: what the headless run does besides the window's run (but for the
    // job's save after the run and the exit). Taken after each timed
    // headless run, so that both meet the same load.
    Times starts;
    auto startOnly = [&] {
        const std::string cmd = "PEMARIS_BENCH_EXIT_AT_FIRST_PAINT=1 '" + root + "/Tools/Korvex' -Root '" + root +
                                "/Tools' -Proj '" + job + "' > /dev/null 2>&1";
        if (const int rc = std::system(cmd.c_str()); rc != 0) {
            std::printf("the start with the job ended with %d\n", rc);
            ok = false;
        }
    };
    const auto [procs, alone] = RunBoth(
        runs,
        [&] {
            freshOutput();
            freshCopy();
        },
        autoRun, toolRun,
        [&] {
            checkResults("automatic run");
            starts.t.push_back(Seconds(startOnly));
        },
        checkTool);
    Times procOwn;
    for (size_t i = 0; i < procs.t.size(); ++i) procOwn.t.push_back(procs.t[i] - alone.t[i]);
    std::printf("4. headless -AutoRun=Anal as a process (the times as information, judged below)\n  ");
    PrintLine("whole run:", procs, "the tool alone", alone);
    std::printf("  the shell's own time %.3f s (%.3f..%.3f)\n", procOwn.Median(), procOwn.Min(), procOwn.Max());
    std::printf("  the start with the job to its first paint %.3f s (%.3f..%.3f)\n", starts.Median(), starts.Min(),
                starts.Max());
    JudgeFigure("  the shell's own time as a process less the window run's, against the start",
                (procOwn.Median() - own.Median()) / starts.Median(), "x", kProcessExtraGoal);

    std::printf("%s\n", ok ? "results checked" : "RESULTS DIFFER");
    if (std::getenv("RUN_BENCH_KEEP")) std::printf("kept %s\n", root.c_str());
    else fs::remove_all(root);
    return ok ? 0 : 1;
}
