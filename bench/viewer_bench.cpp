// Opening a large listing in a viewer tab, and printing a long hard copy:
//
//   viewer_bench [--lines N] [--runs R] [--pages P]
//
// 1. A listing of N CR LF lines (580,000 by default, about 50 MB, with
//    Windows-1252 letters in) is read and decoded for display by this
//    program and converted by `iconv -f WINDOWS-1252 -t UTF-8` in the same
//    run: both as fresh processes, alternated R times, medians with min and
//    max; both results are compared first. Target: within 2x of iconv.
// 2. The open in a viewer tab (offscreen) as fresh processes: the time to
//    the first paint with the first lines, the longest stall of the event
//    loop (a 1 ms timer's longest gap) from the open until the whole text
//    is in, the time until the whole text is in, and peak memory. Targets:
//    first lines under 200 ms, no stall over 100 ms, the whole text under
//    1.5 s, memory under 12x the file's size.
// 3. A hard copy of P pages (1,000 by default) laid out and written as PDF.
//    Target: under 2 s.
// Each target is judged with the load average beside it. The files go to a
// fresh folder under $TMPDIR (or /tmp), removed afterwards.
#include "BenchSupport.h"
#include "BenchVerdict.h"
#include "FirstPaint.h"
#include "Forms.h"
#include "ListingPane.h"
#include "ListingText.h"
#include "MyStatusBar.h"
#include "PF_HardCopy.h"
#include "ReportPrinter.h"
#include "SimpleViewerFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

using namespace bench;

void MakeListing(const std::string& file, int lines) {
    std::ofstream out(file, std::ios::binary);
    char buf[160];
    for (int i = 0; i < lines; ++i) {
        const int n = std::snprintf(buf, sizeof buf,
                                    "%06d   MOVE WS-CAF\xC9-%05d TO WS-R\xC9SULTAT-\x80%04d.   *> Zeile f\xFCr Pr\xFC"
                                    "fung %08d ....\r\n",
                                    i % 1000000, i % 100000, i % 10000, i);
        out.write(buf, n);
    }
}

// ---- the child modes

// Reads and decodes as the viewer does; with an output file, writes the
// decoded text as UTF-8 (for the comparison with iconv).
int DecodeMode(const std::string& file, const std::string& outFile) {
    std::ofstream out;
    if (!outFile.empty()) out.open(outFile, std::ios::binary);
    size_t chars = 0;
    ReadListingFile(file, [&](const QString& piece) {
        chars += static_cast<size_t>(piece.size());
        if (out.is_open()) {
            const QByteArray u = piece.toUtf8();
            out.write(u.constData(), u.size());
        }
    });
    return chars == 0 ? 1 : 0;
}

// Opens the file in a viewer tab and waits for its first paint.
int OpenMode(int argc, char** argv, const std::string& file) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    TForm window("frmBench");
    window.resize(1000, 700);
    auto* bar = new TMyStatusBar(&window, &window, "MyStB");
    window.setStatusBar(bar);
    auto* pages = new TPageControl(&window, window.Client(), "PageControlEditor");
    window.show();
    QApplication::processEvents();
    TFontSpec font{"Lucida Console", 1, 8, -11};
    FirstPaint probe;
    // The longest time the event loop went without serving a 1 ms timer.
    QElapsedTimer clock;
    qint64 last = 0, stall = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 t = clock.nsecsElapsed();
        stall = std::max(stall, t - last);
        last = t;
    });
    tick.start();
    clock.start();
    auto* tab = new TTabSheet(&window, pages, "tsv0", "listing.txt");
    pages->SetActivePage(tab);
    auto* frame = TFrameSimpleViewer::CreateForFile(tab, tab, &font, file);
    frame->StatusBar = bar;
    // A plain listing is painted by the view's pane, which covers its viewport.
    TListingView* view = frame->RichEditSourceView;
    (view->Pane() ? view->Pane()->viewport() : view->viewport())->installEventFilter(&probe);
    double firstPaint = -1, whole = -1;
    while (firstPaint < 0 || whole < 0) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (firstPaint < 0 && probe.painted) firstPaint = clock.nsecsElapsed() / 1e9;
        if (whole < 0 && !frame->RichEditSourceView->Filling()) whole = clock.nsecsElapsed() / 1e9;
    }
    stall = std::max(stall, clock.nsecsElapsed() - last);
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%.6f %ld %d %.6f %.6f\n", firstPaint, ru.ru_maxrss, frame->RichEditSourceView->LineCount(),
                stall / 1e9, whole);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int lines = 580000, runs = 5, pages = 1000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines")) lines = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--pages")) pages = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--decode")) return DecodeMode(argv[i + 1], i + 2 < argc ? argv[i + 2] : "");
        else if (!std::strcmp(argv[i], "--open")) return OpenMode(argc, argv, argv[i + 1]);
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/viewer_bench-XXXXXX";
    if (!mkdtemp(tmpl.data())) return 2;
    const fs::path dir = tmpl;
    const std::string listing = (dir / "listing.txt").string();
    MakeListing(listing, lines);
    const double size = static_cast<double>(fs::file_size(listing));
    const std::string self = fs::canonical("/proc/self/exe").string();
    std::printf("listing: %d lines, %.1f MB\n", lines, size / 1e6);

    // Both sides give the same text (line ends aside: the viewer keeps lines).
    RunTimed({self, "--decode", listing, (dir / "ours.txt").string()});
    RunTimed({"iconv", "-f", "WINDOWS-1252", "-t", "UTF-8", listing}, (dir / "iconv.txt").string());
    std::string reference = Slurp((dir / "iconv.txt").string());
    reference.erase(std::remove(reference.begin(), reference.end(), '\r'), reference.end());
    if (!reference.empty() && reference.back() == '\n') reference.pop_back();
    if (Slurp((dir / "ours.txt").string()) != reference) {
        std::fprintf(stderr, "decoded texts differ\n");
        return 1;
    }
    fs::remove(dir / "ours.txt");
    fs::remove(dir / "iconv.txt");

    std::vector<double> ours, iconv;
    for (int r = 0; r < runs; ++r) {
        ours.push_back(RunTimed({self, "--decode", listing}));
        iconv.push_back(RunTimed({"iconv", "-f", "WINDOWS-1252", "-t", "UTF-8", listing}));
    }
    const Stats o = Summary(ours), c = Summary(iconv);
    std::printf("read and decode  : min %.3f  median %.3f  max %.3f s\n", o.min, o.median, o.max);
    std::printf("iconv            : min %.3f  median %.3f  max %.3f s\n", c.min, c.median, c.max);
    JudgeFigure("read and decode, ratio of medians to iconv", o.median / c.median, "x", 2);

    std::vector<double> firsts, stalls, wholes, memory;
    for (int r = 0; r < runs; ++r) {
        const std::string outFile = (dir / "open.txt").string();
        RunTimed({self, "--open", listing}, outFile);
        double first = 0, stall = 0, whole = 0;
        long kb = 0;
        int shown = 0;
        if (std::sscanf(Slurp(outFile).c_str(), "%lf %ld %d %lf %lf", &first, &kb, &shown, &stall, &whole) != 5 ||
            shown != lines) {
            std::fprintf(stderr, "the viewer showed %d lines\n", shown);
            return 1;
        }
        firsts.push_back(first);
        stalls.push_back(stall);
        wholes.push_back(whole);
        memory.push_back(static_cast<double>(kb) * 1024.0 / size);
    }
    const Stats fi = Summary(firsts), st = Summary(stalls), wh = Summary(wholes), mem = Summary(memory);
    std::printf("first lines shown  : min %.3f  median %.3f  max %.3f s\n", fi.min, fi.median, fi.max);
    std::printf("longest stall      : min %.3f  median %.3f  max %.3f s\n", st.min, st.median, st.max);
    std::printf("whole text in      : min %.3f  median %.3f  max %.3f s\n", wh.min, wh.median, wh.max);
    std::printf("peak memory        : min %.1f  median %.1f  max %.1f x the file\n", mem.min, mem.median, mem.max);
    JudgeFigure("first lines shown, median", fi.median, " s", 0.2);
    JudgeFigure("longest stall, worst run", st.max, " s", 0.1);
    JudgeFigure("whole text in, median", wh.median, " s", 1.5);
    JudgeFigure("peak memory, median", mem.median, "x the file", 12);

    // 3. The hard copy.
    {
        int qargc = 1;
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QApplication app(qargc, argv);
        TQRfrm_HardCopy form;
        form.ReportTitle = "listing.txt";
        const TReportDocument probe = [&] {
            TQRfrm_HardCopy one;
            one.Items.Add("x");
            return one.Layout();
        }();
        (void)probe;
        std::ifstream in(listing, std::ios::binary);
        std::string line;
        // Enough lines for the pages asked for, a page break every 60 lines.
        for (int i = 0; i < pages * 60 && std::getline(in, line); ++i) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            form.Items.Add(line);
            if (i % 60 == 59) form.Items.Add("/");
        }
        std::vector<double> layout, pdf;
        size_t pageCount = 0;
        for (int r = 0; r < std::min(runs, 3); ++r) {
            auto t0 = Clock::now();
            const TReportDocument doc = form.Layout();
            layout.push_back(Since(t0));
            auto t1 = Clock::now();
            WriteReportPdf(doc, (dir / "hardcopy.pdf").string());
            pdf.push_back(Since(t1));
            pageCount = doc.pages.size();
        }
        const Stats l = Summary(layout), p = Summary(pdf);
        std::printf("hard copy of %zu pages: layout median %.3f s, PDF median %.3f s (min %.3f, max %.3f)\n",
                    pageCount, l.median, p.median, p.min, p.max);
        JudgeFigure("hard copy, layout and PDF together, medians", l.median + p.median, " s", 2);
    }
    fs::remove_all(dir);
    return 0;
}
