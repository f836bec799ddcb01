// A simple viewer on the file named on the command line, in a window of its
// own: prints where its button panel is once shown, and how each drag out
// of it ended.
#include "Forms.h"
#include "OleBridge.h"
#include "SimpleViewerFrame.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

using namespace pem;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    InitialiseOleBridge();
    TFrame host(nullptr, nullptr, "host");
    host.setGeometry(50, 100, 400, 300);
    TFontSpec font{"Lucida Console", 1, 8, -11};
    auto* v = TFrameSimpleViewer::CreateForFile(&host, &host, &font, argv[1]);
    v->resize(400, 300);
    v->DropFileSourceKorvex->OnAfterDrop = [](TCustomDropSource*, TDragResult r, bool) {
        std::printf("result %d\n", static_cast<int>(r));
        std::fflush(stdout);
    };
    host.show();
    QTimer::singleShot(200, [&] {
        TPanel* panel = v->PanelSimpleViewer;
        // A point of the panel itself: a button would take the press.
        QPoint local(2, panel->height() / 2);
        while (local.x() < panel->width() && panel->childAt(local)) local.rx() += 4;
        const QPoint at = panel->mapToGlobal(local);
        std::printf("ready %d %d\n", at.x(), at.y());
        std::fflush(stdout);
    });
    return app.exec();
}
