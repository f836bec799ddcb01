// Another program's window that drags out the files named on its command
// line as a uri-list: a press and a move on it start the drag. Prints where
// it is once shown, each action a target answers, and how each drag ended.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class Source : public QWidget {
public:
    QList<QUrl> urls;

protected:
    void mousePressEvent(QMouseEvent* e) override { pressed_ = e->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!(e->buttons() & Qt::LeftButton) ||
            (e->position().toPoint() - pressed_).manhattanLength() < QApplication::startDragDistance())
            return;
        auto* mime = new QMimeData;
        mime->setUrls(urls);
        // An X11 target reads the data after the drop was sent, when exec
        // has returned already: the drag lives as long as the window.
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        // Told once the target under the pointer takes the drop.
        QObject::connect(drag, &QDrag::actionChanged, [](Qt::DropAction a) {
            std::printf("action %d\n", static_cast<int>(a));
            std::fflush(stdout);
        });
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("result %d\n", static_cast<int>(done));
        std::fflush(stdout);
    }

private:
    QPoint pressed_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Source w;
    for (int i = 1; i < argc; ++i) w.urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    w.setWindowTitle("drag source");
    w.setGeometry(1000, 100, 200, 200);
    w.show();
    QTimer::singleShot(200, [&] {
        const QPoint c = w.mapToGlobal(w.rect().center());
        std::printf("ready %d %d\n", c.x(), c.y());
        std::fflush(stdout);
    });
    return app.exec();
}
