// Drops 20 MB of text through the Qt bridge into a text data format and
// compares it with what a plain Qt program does with the same drop:
// QMimeData::text() and one conversion to Windows-1252.
//
//   dnd_bench [--mb N] [--runs R]
//
// Both sides run in this process, warm, alternated R times (default 7) on
// the same MIME data; each prints min, median and max in milliseconds, then
// the ratio of the medians, judged against the goal: within 3x of the plain
// program. Both must end with the same two texts.
#include "CharSet1252.h"
#include "DragDropText.h"
#include "DropTarget.h"
#include "OleBridge.h"
#include "QtOleWindows.h"

#include "BenchVerdict.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace pem;

namespace {

double Millis(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Stats {
    double min, median, max;
};

Stats Of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

} // namespace

int main(int argc, char** argv) {
    int mb = 20;
    int runs = 7;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--mb")) mb = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char arg0[] = "dnd_bench";
    char* qargv[] = {arg0, nullptr};
    QApplication app(qargc, qargv);
    InitialiseOleBridge();

    // Text as another program drops it: UTF-8 bytes, mostly ASCII with
    // letters and signs of the code page.
    QByteArray utf8;
    const QByteArray line = QByteArray("Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln, 12 \xE2\x82\xAC je St\xC3\xBC" "ck; ") +
                            QByteArray(40, 'x') + "\r\n";
    while (utf8.size() < qsizetype(mb) * 1024 * 1024) utf8 += line;
    QMimeData mime;
    mime.setData("text/plain", utf8);

    QWidget window;
    window.resize(200, 100);
    TCustomDropMultiTarget target;
    auto* text = new TTextDataFormat(&target);
    target.RegisterTargetControl(WindowOf(&window));
    QString refWide;
    std::string refAnsi;
    // The drop handler compares what it got with the reference; that time is
    // not counted.
    bool same = false;
    double compareMs = 0;
    target.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) {
        compareMs = Millis([&] {
            const std::string& a = text->Text();
            const std::u16string& w = text->UnicodeText();
            same = a == refAnsi && w.size() == static_cast<size_t>(refWide.size()) &&
                   std::memcmp(w.data(), refWide.utf16(), w.size() * 2) == 0;
        });
    };

    std::vector<double> ours, ref;
    for (int r = 0; r < runs; ++r) {
        ref.push_back(Millis([&] {
            refWide = mime.text();
            QByteArray bytes = mime.data("text/plain");
            refAnsi = Utf8ToCp1252(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        }));
        same = false;
        ours.push_back(Millis([&] {
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &drop);
        }) - compareMs);
        if (!same) {
            std::fprintf(stderr, "dnd_bench: the two sides differ in run %d\n", r + 1);
            return 1;
        }
    }
    Stats o = Of(ours), q = Of(ref);
    std::printf("%d MB of text, %d runs each\n", mb, runs);
    std::printf("drop into TTextDataFormat        min %8.1f  median %8.1f  max %8.1f ms\n", o.min, o.median, o.max);
    std::printf("QMimeData::text() + Windows-1252 min %8.1f  median %8.1f  max %8.1f ms\n", q.min, q.median, q.max);
    JudgeFigure("drop, ratio of medians to QMimeData::text()", o.median / q.median, "x", 3);
    return 0;
}
