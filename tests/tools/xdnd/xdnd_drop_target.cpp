// Another program's window taking drops: prints where it is once shown,
// each position a drag passes over it, then for each drop the bytes of every format it got and the uri-list.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class Target : public QWidget {
protected:
    void dragEnterEvent(QDragEnterEvent* e) override { e->acceptProposedAction(); }
    // Each position the source sends is told: the source sends the next one
    // only once it has this one's answer.
    void dragMoveEvent(QDragMoveEvent* e) override {
        e->acceptProposedAction();
        std::printf("over\n");
        std::fflush(stdout);
    }
    void dropEvent(QDropEvent* e) override {
        const QMimeData* mime = e->mimeData();
        for (const QString& f : mime->formats())
            std::printf("format %s %lld\n", qPrintable(f), static_cast<long long>(mime->data(f).size()));
        const QByteArray uris = mime->data("text/uri-list");
        std::printf("uri-list %s\n", uris.toPercentEncoding(" /:").constData());
        std::printf("dropped\n");
        std::fflush(stdout);
        e->acceptProposedAction();
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Target w;
    w.setAcceptDrops(true);
    w.setWindowTitle("drop target");
    w.setGeometry(600, 100, 300, 300);
    w.show();
    QTimer::singleShot(200, [&] {
        const QPoint c = w.mapToGlobal(w.rect().center());
        std::printf("ready %d %d\n", c.x(), c.y());
        std::fflush(stdout);
    });
    return app.exec();
}
