// The program's main window, started as the product named by an executable
// path of an installation, its dialogs answered by script so nothing waits:
// a job with its names set and the output directory given on the command
// line. Prints where its source-file list is once shown, its status bar's
// messages, each position a drag passes over it, and, each time the list changes, the files it holds.
//
//   xdnd_program_host <installation>/Tools/<product> <output directory>
#include "CmdLine.h"
#include "DialogService.h"
#include "FindDirectoryFrame.h"
#include "MyStatusBar.h"
#include "PemarisMain.h"
#include "ProgramEntry.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>

namespace {

// Tells each position a drag passes over the window: the source sends the
// next one only once it has this one's answer.
class MoveTeller : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::DragMove) {
            std::printf("over\n");
            std::fflush(stdout);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace pem;
    if (argc < 3) return 2;
    QApplication app(argc, argv);
    static ScriptedDialogService dialogs;
    SetDialogService(&dialogs);
    // The status bar's messages, to tell why a drop was not taken.
    TMyStatusBarBase::Recorder = [](const TStatusRecord& r) {
        if (!r.text.empty()) std::printf("status %s\n", r.text.c_str());
        std::fflush(stdout);
    };
    TfrmPemarisMain::ExecutablePath = ProgramPathFromArgv0(argv[1]);
    SetProgramPath(TfrmPemarisMain::ExecutablePath);
    TfrmPemarisMain* main = CreateApplicationForms();
    main->setGeometry(0, 0, 900, 700);
    main->show();
    main->ValidateProductName("Demo");
    main->ValidateSystemName("Pay");
    main->ValidateVersion("1");
    main->FrameFindDirectoryOutputDir->Edit->SetText(argv[2]);
    main->Modified = false;
    main->PageControlMain->SetActivePage(main->TabSheetNames);
    MoveTeller teller;
    app.installEventFilter(&teller);
    QTimer::singleShot(300, [main] {
        QWidget* list = main->CheckListBoxSelectedFiles;
        const QPoint at = list->mapToGlobal(list->rect().center());
        std::printf("ready %d %d\n", at.x(), at.y());
        std::fflush(stdout);
    });
    auto* watch = new QTimer(main);
    int shown = 0;
    QObject::connect(watch, &QTimer::timeout, [main, &shown] {
        const int count = main->SourceFiles.Count();
        if (count == shown) return;
        shown = count;
        for (const auto& f : main->SourceFiles.Items()) std::printf("file %s\n", f.path.c_str());
        std::printf("count %d\n", count);
        std::fflush(stdout);
    });
    watch->start(100);
    return app.exec();
}
