// The start-up benchmark's reference: a bare Qt main window with a menu bar,
// a tab widget holding a label, a line edit, a check box and a list, and a
// status bar, as large as the program's window. It ends after its first
// paint through the same hook as the program.
#include "FirstPaintExit.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    pem::bench_hook::ArmFirstPaintExitFromEnvironment();
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle("Reference");
    QMenu* file = w.menuBar()->addMenu("&File");
    file->addAction("&Open...");
    file->addAction("&Save");
    file->addSeparator();
    file->addAction("E&xit", &app, &QApplication::quit);
    w.menuBar()->addMenu("&Help")->addAction("&About");
    auto* tabs = new QTabWidget;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel("Name:"));
    layout->addWidget(new QLineEdit("value"));
    layout->addWidget(new QCheckBox("Option"));
    auto* list = new QListWidget;
    list->addItems({"one", "two", "three"});
    layout->addWidget(list);
    tabs->addTab(page, "Page");
    w.setCentralWidget(tabs);
    w.statusBar()->showMessage("Ready");
    // The size the program's main window has at its first paint offscreen
    // (its designed 1000 x 720 fitted into the 800 pixels wide offscreen
    // screen): painting and holding the picture cost by its area, and the
    // comparison is of what is inside the window.
    w.resize(800, 720);
    w.show();
    return app.exec();
}
