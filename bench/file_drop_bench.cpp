// Files across the drag-and-drop bridge, both ways.
//
// In: 100,000 file URLs dropped from a file manager on a file pick frame,
// through the drop router, the CF_HDROP block and the drop target's Files,
// to the frame's handler (which refuses a drop of more than one file). The
// reference is what a plain Qt program does with the same drop:
// QMimeData::urls() and toLocalFile() of each. The enter and the moves are
// timed on their own: they look no further than the first local file.
//
// Out: the simple viewer's panel pressed and moved, dragging its file to a
// file manager's folder (played offscreen by a loopback executor), for a
// file of 1 byte and a sparse file of 1 GB: only the file's URL travels, so
// both take the same time and memory.
//
// Goals: the drop in within 3x of the plain program; the 1 GB drag-out no
// more than 1 ms slower than the 1-byte one (reading the file would take
// hundreds of milliseconds), and each drop growing the memory by at most
// 1 MiB (reading the file would take 1,024). The enter and the moves are
// shown as information.
//
//   file_drop_bench [--names N] [--runs R]
//
// Both sides of each comparison run in this process, warm, alternated R
// times (default 7); each prints min, median and max, then the ratio of the
// medians. Both sides must end with the same result. Memory and times are
// judged on the medians.
#include "BenchCompare.h"
#include "BenchVerdict.h"
#include "DragDropFile.h"
#include "FindExecFrame.h"
#include "OleBridge.h"
#include "OleTimers.h"
#include "QtOleWindows.h"
#include "SimpleViewerFrame.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
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
#include <vector>

using namespace pem;
namespace fs = std::filesystem;

namespace {

double Millis(const std::function<void()>& f) { return 1000.0 * Seconds(f); }

void Print(const char* what, const Times& s, const char* unit) {
    std::printf("%-44s min %9.2f  median %9.2f  max %9.2f %s\n", what, s.Min(), s.Median(), s.Max(), unit);
}

// Resident memory of this process in MiB.
double ResidentMiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The data of a drop from another program: the list arrives as the bytes
// it was sent in, and every reader parses them (a QMimeData given the list
// by setData would hold it parsed into URLs already).
class ForeignDrop : public QMimeData {
public:
    explicit ForeignDrop(QByteArray list) : list_(std::move(list)) {}
    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }
    bool hasFormat(const QString& type) const override { return type == QLatin1String("text/uri-list"); }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override {
        return type == QLatin1String("text/uri-list") ? QVariant(list_) : QVariant();
    }

private:
    QByteArray list_;
};

// Takes a file list as a file manager's folder does, noting the memory in
// use when the drop arrives.
class Folder : public QWidget {
public:
    Folder() { setAcceptDrops(true); }
    QByteArray last;
    double residentAtDrop = 0;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override { e->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* e) override { e->acceptProposedAction(); }
    void dropEvent(QDropEvent* e) override {
        residentAtDrop = ResidentMiB();
        last = e->mimeData()->data("text/uri-list");
        e->setDropAction(Qt::CopyAction);
        e->accept();
    }
};

int DropIn(int names, int runs) {
    // The list as a file manager sends it: one encoded URL a line, some
    // names outside ASCII.
    QByteArray list;
    for (int i = 0; i < names; ++i) {
        list += "file:///data/src/comp" + QByteArray::number(i % 97) + "/module_" + QByteArray::number(i);
        list += (i % 10 == 0) ? "_gr%C3%BC%C3%9Fe.cob\r\n" : ".cob\r\n";
    }
    ForeignDrop mime(list);

    QWidget window;
    window.resize(400, 100);
    auto* frame = new TFrameFindexec(nullptr, &window, "FrameFindexecPemaris");
    frame->OpenDialogFindExec.Filter = "Tool files (*.exe)|*.exe";
    frame->resize(400, 60);
    QStringList reference;
    bool same = false;
    double compareMs = 0;
    // The comparison with the reference runs inside the drop; its time is
    // taken off.
    frame->DropFileTargetFindExec->OnDrop = [&](TCustomDropTarget* s, TShiftState shift, POINT pt, DWORD& effect) {
        compareMs = Millis([&] {
            TUnicodeStrings& files = frame->DropFileTargetFindExec->Files();
            same = files.Count() == reference.size();
            for (int i = 0; same && i < files.Count(); ++i)
                same = QString::fromStdU16String(files.Get(i)) == reference[i];
        });
        frame->DropFileTargetFindExecDrop(s, shift, pt, effect);
    };

    constexpr int kMoves = 10;
    Times ours, ref, enter, move;
    for (int r = 0; r < runs; ++r) {
        ref.t.push_back(Millis([&] {
            reference.clear();
            for (const QUrl& u : mime.urls())
                if (u.isLocalFile()) reference << u.toLocalFile();
        }));
        same = false;
        double enterMs = 0, moveMs = 0, dropMs = 0;
        QWidget* site = frame->Edit;
        enterMs = Millis([&] {
            QDragEnterEvent e(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(site, &e);
        });
        moveMs = Millis([&] {
            for (int i = 0; i < kMoves; ++i) {
                QDragMoveEvent e(QPoint(5 + i, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(site, &e);
            }
        });
        dropMs = Millis([&] {
            QDropEvent e(QPointF(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(site, &e);
        });
        ours.t.push_back(enterMs + moveMs + dropMs - compareMs);
        enter.t.push_back(enterMs * 1000);
        move.t.push_back(moveMs * 1000 / kMoves);
        if (!same || frame->FileName() != "") {
            std::fprintf(stderr, "file_drop_bench: the two sides differ in run %d\n", r + 1);
            return 1;
        }
    }
    std::printf("%d dropped names, %d runs each\n", names, runs);
    Print("enter, moves and drop into a pick frame", ours, "ms");
    Print("QMimeData::urls() + toLocalFile()", ref, "ms");
    Print("  of which the enter", enter, "us");
    Print("  of which one move", move, "us");
    ShowFigure("the enter, median", enter.Median(), " us");
    ShowFigure("one move, median", move.Median(), " us");
    JudgeFigure("drop in, ratio of medians to QMimeData::urls()", ours.Median() / ref.Median(), "x", 3);
    std::printf("\n");
    return 0;
}

int DragOut(int runs) {
    const std::string root = MakeBenchRoot("file_drop_bench");
    if (root.empty()) return 1;
    const fs::path dir = root;
    const fs::path small = dir / "one byte.txt", big = dir / "sparse 1 GB.txt";
    std::ofstream(small) << "x";
    std::ofstream(big) << "";
    fs::resize_file(big, 1ull << 30);

    QWidget host;
    host.resize(500, 300);
    host.show();
    auto* viewer = new TFrameSimpleViewer(nullptr, &host);
    viewer->resize(500, 300);
    QApplication::processEvents();
    Folder folder;
    TQtDragLoop::Instance().SetExecutor([&](QDrag& drag, Qt::DropActions actions, Qt::DropAction) {
        QDragEnterEvent enter(QPoint(5, 5), actions, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&folder, &enter);
        QDropEvent drop(QPointF(5, 5), actions, drag.mimeData(), Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&folder, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    });
    TFakeClock clock;
    TPanel* panel = viewer->PanelSimpleViewer;
    auto mouse = [panel](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, panel->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(panel, &e);
    };
    TDragResult result = drUnknown;
    viewer->DropFileSourceKorvex->OnAfterDrop = [&](TCustomDropSource*, TDragResult r, bool) { result = r; };

    struct Side {
        const char* name;
        fs::path file;
        Times ms, grownMiB;
    } sides[] = {{"drag out a 1-byte file", small, {}, {}}, {"drag out a sparse 1 GB file", big, {}, {}}};
    for (int r = 0; r < runs; ++r) {
        for (Side& s : sides) {
            viewer->FileName = s.file.string(); // ASCII: the same in Windows-1252
            result = drUnknown;
            folder.last.clear();
            const double before = ResidentMiB();
            s.ms.t.push_back(Millis([&] {
                QTimer::singleShot(0, [&] {
                    clock.Advance(250);
                    mouse(QEvent::MouseMove, {60, 10}, Qt::LeftButton);
                });
                mouse(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
                mouse(QEvent::MouseButtonRelease, {60, 10}, Qt::NoButton);
            }));
            s.grownMiB.t.push_back(folder.residentAtDrop - before);
            if (result != drDropCopy || folder.last != QUrl::fromLocalFile(QString::fromStdString(s.file.string())).toEncoded() + "\r\n") {
                std::fprintf(stderr, "file_drop_bench: %s did not arrive in run %d\n", s.name, r + 1);
                return 1;
            }
        }
    }
    TQtDragLoop::Instance().SetExecutor(nullptr);
    std::printf("drag-out from the simple viewer, %d runs each\n", runs);
    for (Side& s : sides) {
        Print(s.name, s.ms, "ms");
        Print("  memory grown by the drop", s.grownMiB, "MiB");
    }
    for (Side& s : sides)
        JudgeFigure((std::string(s.name) + ", memory grown by the drop, median").c_str(), s.grownMiB.Median(),
                    " MiB", 1);
    JudgeFigure("drag out, the 1 GB file's median less the 1-byte file's", sides[1].ms.Median() - sides[0].ms.Median(),
                " ms", 1);
    delete viewer;
    fs::remove_all(dir);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int names = 100000;
    int runs = 7;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--names")) names = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char arg0[] = "file_drop_bench";
    char* qargv[] = {arg0, nullptr};
    QApplication app(qargc, qargv);
    InitialiseOleBridge();
    if (int rc = DropIn(names, runs)) return rc;
    return DragOut(runs);
}
