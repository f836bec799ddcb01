// Opening a large metric document in the XML editor:
//
//   xml_editor_bench [--runs R] [--sizes N,N,...]
//   xml_editor_bench --write N file     (writes the document of N elements)
//   xml_editor_bench --open file        (one open, as each run does it)
//
// For each size (10,000, 30,000 and 100,000 elements by default) a metric
// document is generated; each run is a fresh process, offscreen, that opens
// it in an editor page on a shown window from a queued call of the event
// loop, as the main window's action does, and waits for the editor's first
// paint. A timer of 5 ms runs from before the open until 500 ms after that
// paint; the longest gap between two of its ticks is the longest stall of
// the event loop. The sizes alternate within each round; R runs each (5 by
// default), medians with min and max; every run must show the same number
// of rows.
// Targets, each judged with the load average beside it: 100,000 elements
// shown in under 2 s (median), no stall over 200 ms (each size's median of
// its runs' longest), and linear growth (each step's ratio of medians within
// 1.25x the ratio of sizes).
#include "BenchSupport.h"
#include "BenchVerdict.h"
#include "FirstPaint.h"
#include "Forms.h"
#include "XMLEditFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

using namespace bench;

// A metric document of n elements: entities with their attributes, each
// with quantity counters, quality figures and a text.
std::string MetricDocument(int n) {
    std::string d = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->"
                    "\r\n<QMETRICS>\r\n";
    d += "  <METRIC_FILE Product=\"Bench\" System=\"Editor\" Version=\"1.0\" Date=\"2011-01-07\" Source=\"bench\"/>\r\n";
    int made = 2;
    unsigned seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int e = 0; made < n; ++e) {
        d += "  <METRIC_ENTITY Entity=\"Module\" EName=\"MOD" + std::to_string(e) + "\" EType=\"MO\">\r\n";
        d += "    <Quantity_Metrics>\r\n";
        made += 2;
        for (int c = 0; c < 14 && made < n; ++c, ++made) {
            const std::string tag = "Nr_Counter_" + std::to_string(c);
            d += "      <" + tag + ">" + std::to_string(next() % 5000) + "</" + tag + ">\r\n";
        }
        d += "    </Quantity_Metrics>\r\n";
        if (made < n) {
            d += "    <Quality_Metrics>\r\n";
            ++made;
            for (int q = 0; q < 4 && made < n; ++q, ++made) {
                const std::string tag = "Quality_Figure_" + std::to_string(q);
                d += "      <" + tag + ">" + std::to_string(next() % 100) + "." + std::to_string(next() % 100) +
                     "</" + tag + ">\r\n";
            }
            if (made < n) {
                d += "      <Notes>checked by the bench &amp; kept</Notes>\r\n";
                ++made;
            }
            d += "    </Quality_Metrics>\r\n";
        }
        d += "  </METRIC_ENTITY>\r\n";
    }
    return d + "</QMETRICS>\r\n";
}


// The child: opens the document and prints "<seconds> <stall ms> <rows>".
int OpenMode(int argc, char** argv, const std::string& file) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    TForm window("frmBench");
    window.resize(1000, 700);
    auto* pages = new TPageControl(&window, window.Client(), "PageControlEditor");
    window.show();
    QApplication::processEvents();

    QElapsedTimer clock;
    qint64 lastTick = -1, longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick >= 0) longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    FirstPaint probe;
    TFrameXMLEdit* frame = nullptr;
    qint64 start = 0, shown = -1;
    clock.start();
    ticker.start();
    // A few idle ticks first, then the open as a queued call.
    QTimer::singleShot(30, [&] {
        start = clock.nsecsElapsed();
        auto* tab = new TTabSheet(&window, pages, "tsv0", "editor.xml");
        pages->SetActivePage(tab);
        frame = TFrameXMLEdit::CreateForFile(tab, tab, file, "tsv0FrameXMLEdit");
        frame->ApplyReadOnlyRules("");
        frame->PanelEditor->installEventFilter(&probe);
    });
    while (shown < 0 || clock.nsecsElapsed() - shown < 500'000'000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (shown < 0 && probe.painted) shown = clock.nsecsElapsed();
        if (clock.nsecsElapsed() > 300'000'000'000) {
            std::fprintf(stderr, "no paint after 300 s\n");
            return 1;
        }
    }
    std::printf("%.6f %.3f %zu\n", static_cast<double>(shown - start) / 1e9, static_cast<double>(longest) / 1e6,
                frame->Rows().Rows.size());
    return 0;
}

struct Size {
    int elements = 0;
    std::string file;
    std::vector<double> seconds, stalls;
    size_t rows = 0;
};

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::vector<int> sizes{10000, 30000, 100000};
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--open")) return OpenMode(argc, argv, argv[i + 1]);
        else if (!std::strcmp(argv[i], "--write") && i + 2 < argc) {
            // A document to look at or to profile the open with.
            std::ofstream(argv[i + 2], std::ios::binary) << MetricDocument(std::atoi(argv[i + 1]));
            return 0;
        }
        else if (!std::strcmp(argv[i], "--sizes")) {
            sizes.clear();
            for (const char* p = argv[++i]; *p;) {
                sizes.push_back(std::atoi(p));
                while (*p && *p != ',') ++p;
                if (*p == ',') ++p;
            }
        }
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/xml_editor_bench-XXXXXX";
    if (!mkdtemp(tmpl.data())) return 2;
    const fs::path dir = tmpl;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string outFile = (dir / "open.txt").string();

    std::vector<Size> all;
    for (int n : sizes) {
        Size s;
        s.elements = n;
        s.file = (dir / ("editor" + std::to_string(n) + ".xml")).string();
        std::ofstream(s.file, std::ios::binary) << MetricDocument(n);
        all.push_back(s);
    }
    for (int r = 0; r < runs; ++r) {
        for (size_t k = 0; k < all.size(); ++k) {
            // Alternate the order of the sizes from one round to the next.
            Size& s = all[r % 2 == 0 ? k : all.size() - 1 - k];
            RunTimed({self, "--open", s.file}, outFile);
            double t = 0, stall = 0;
            size_t rows = 0;
            if (std::sscanf(Slurp(outFile).c_str(), "%lf %lf %zu", &t, &stall, &rows) != 3 || rows == 0 ||
                (s.rows != 0 && rows != s.rows)) {
                std::fprintf(stderr, "the editor of %d elements showed %zu rows\n", s.elements, rows);
                return 1;
            }
            s.rows = rows;
            s.seconds.push_back(t);
            s.stalls.push_back(stall);
        }
    }
    fs::remove_all(dir);

    std::printf("XML editor: open to first paint, offscreen, %d fresh processes per size\n", runs);
    bool met = true;
    for (size_t k = 0; k < all.size(); ++k) {
        const Size& s = all[k];
        const Stats t = Summary(s.seconds), st = Summary(s.stalls);
        std::printf("  %7d elements (%7zu rows): %.3f s (%.3f-%.3f), longest stall %.1f ms (%.1f-%.1f)\n",
                    s.elements, s.rows, t.median, t.min, t.max, st.median, st.min, st.max);
        char what[128];
        if (s.elements >= 100000) {
            std::snprintf(what, sizeof what, "  %d elements shown, median", s.elements);
            met = JudgeFigure(what, t.median, " s", 2.0) && met;
        }
        std::snprintf(what, sizeof what, "  %d elements, longest stall, median of the runs", s.elements);
        met = JudgeFigure(what, st.median, " ms", 200) && met;
        if (k > 0) {
            const double ratio = t.median / Summary(all[k - 1].seconds).median;
            const double sizeRatio = static_cast<double>(s.elements) / all[k - 1].elements;
            std::snprintf(what, sizeof what, "  growth %d -> %d elements (x%.2f), medians", all[k - 1].elements,
                          s.elements, sizeRatio);
            met = JudgeFigure(what, ratio, "x", 1.25 * sizeRatio) && met;
        }
    }
    return met ? 0 : 3;
}
