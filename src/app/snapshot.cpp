// Starts the program as the product named by an executable path, lets the
// first showing finish, and saves a picture of the main window. Used by the
// demo where no display is available. Dialogs are answered with their
// defaults so nothing waits for a user.
//
//   pemaris_snapshot <product executable path> <picture.png> [program parameters...]
#include "CmdLine.h"
#include "DialogService.h"
#include "PemarisMain.h"
#include "ProgramEntry.h"
#include "QtText.h"

#include <QApplication>
#include <QPixmap>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    using namespace pem;
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <product executable path> <picture.png> [parameters...]\n", argv[0]);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    static ScriptedDialogService dialogs;
    SetDialogService(&dialogs);
    TfrmPemarisMain::ExecutablePath = ProgramPathFromArgv0(argv[1]);
    SetProgramPath(TfrmPemarisMain::ExecutablePath);
    std::vector<std::string> params;
    for (int i = 3; i < argc; ++i) params.push_back(FromQ(QString::fromLocal8Bit(argv[i])));
    SetCommandLine(params);
    TfrmPemarisMain* main = CreateApplicationForms();
    main->show();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    for (const std::string& m : dialogs.Messages()) std::fprintf(stderr, "dialog: %s\n", m.c_str());
    if (!main->MyStB->SimpleText().empty())
        std::fprintf(stderr, "status bar: %s\n", main->MyStB->SimpleText().c_str());
    if (main->isHidden()) {
        std::fprintf(stderr, "the main window closed during start\n");
        return 1;
    }
    if (!main->grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s\n", argv[2]);
    return 0;
}
