// Saves and reopens a job with many source files, and compares both with
// reading the same file line by line:
//
//   job_bench [--files N] [--runs R]
//
// A small installation (one product INI file) is made in a fresh folder
// under $TMPDIR (or /tmp) and removed afterwards; the main window runs
// offscreen with scripted dialogs. Each step runs R times; the best time of
// each counts. The target is save plus reopen under 2 seconds for 100,000
// files.
#include "CmdLine.h"
#include "DialogService.h"
#include "Exceptions.h"
#include "PemarisMain.h"
#include "SettingsStore.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace pem;

namespace {

double Seconds(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void WriteText(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

} // namespace

int main(int argc, char** argv) {
    int files = 100000;
    int runs = 3;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--files")) files = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char arg0[] = "job_bench";
    char* qargv[] = {arg0, nullptr};
    QApplication app(qargc, qargv);

    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/job_bench-XXXXXX";
    if (!::mkdtemp(templ.data())) return 1;
    const fs::path root = templ;
    WriteText(root / "_Pemaris_Family.Src/Korvex.INI",
              "RadioButtonCob85=COBOL 85,COB,,1,V1\nCOB.Extras=(DirDepth=2)\nRuncontrol.RenameAfter=Y\n"
              "Runcontrol.SystemBigDirectoryLimit=50\nActiveRadioButton=RadioButtonCob85\n");
    fs::create_directories(root / "Tools/Measure/Korvex/COBAudit");
    fs::create_directories(root / "jobs");
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ScriptedDialogService dialogs;
    SetDialogService(&dialogs);
    SetCommandLine({});

    TfrmPemarisMain::ExecutablePath = (root / "Tools/Korvex").string();
    TMyStatusBarBase::Recorder = [](const TStatusRecord& r) {
        if (std::getenv("JOB_BENCH_TRACE")) std::fprintf(stderr, "status %d %s\n", int(r.kind), r.text.c_str());
    };
    auto* f = new TfrmPemarisMain;
    f->DoCreate();
    f->show();
    QApplication::processEvents();
    f->MyStB->MessageList.clear();

    auto fill = [&] {
        f->ActiveRadioButton = f->Find<TRadioButton>("RadioButtonCob85");
        f->ValidateProductName("bench corp");
        f->ValidateSystemName("big system");
        f->ValidateVersion("1.0");
        f->JobFolder = (root / "jobs").string() + "/";
        f->CheckListBoxSelectedFiles->ClearItems();
        char name[96];
        for (int i = 0; i < files; ++i) {
            std::snprintf(name, sizeof name, "/src/big/comp%02d/mod%04d/file%06d.cob", i % 50, i % 5000, i);
            f->CheckListBoxSelectedFiles->AddItem(name, i % 7 != 0);
        }
    };
    fill();

    const std::string job = (root / "jobs/Big.jkvx").string();
    double save = 1e9, reopen = 1e9, read = 1e9;
    int loaded = 0;
    long lines = 0;
    try {
    for (int r = 0; r < runs; ++r) {
        save = std::min(save, Seconds([&] { f->SaveProjectTo(job); }));
        reopen = std::min(reopen, Seconds([&] {
                              f->ClearProject();
                              f->LoadProject(job);
                          }));
        loaded = f->CheckListBoxSelectedFiles->Count();
        read = std::min(read, Seconds([&] {
                            std::ifstream in(job, std::ios::binary);
                            std::string line;
                            lines = 0;
                            while (std::getline(in, line)) ++lines;
                        }));
    }
    } catch (const EAbort&) {
        std::printf("job_bench: stopped: %s\n%s\n", f->MyStB->LastMessage.c_str(), f->MyStB->MessageList.c_str());
        return 1;
    }
    const bool ok = loaded == files;
    std::printf("job_bench: %d source files, job file %ld lines, %.1f MB, best of %d\n", files, lines,
                static_cast<double>(fs::file_size(job)) / (1024.0 * 1024.0), runs);
    std::printf("  save          %8.3f s   (x%.0f the line reader)\n", save, save / read);
    std::printf("  reopen        %8.3f s   (x%.0f the line reader)\n", reopen, reopen / read);
    std::printf("  line reader   %8.3f s\n", read);
    std::printf("  save + reopen %8.3f s   target < 2 s: %s\n", save + reopen,
                save + reopen < 2.0 ? "met" : "missed");
    if (!ok) std::printf("  reopened list holds %d files instead of %d\n", loaded, files);
    delete f;
    SetDialogService(nullptr);
    std::error_code ec;
    fs::remove_all(root, ec);
    return ok ? 0 : 1;
}
