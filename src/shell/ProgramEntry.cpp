#include "ProgramEntry.h"

#include "CmdLine.h"
#include "PemarisMain.h"
#include "Progress.h"
#include "HeadlessDialogService.h"
#include "MyStatusBar.h"
#include "QtDialogService.h"
#include "QtText.h"
#include "CharSet1252.h"
#include "ReportForms.h"
#include "XMLViewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>

namespace pem {

std::string ProgramPathFromArgv0(const char* argv0) {
    QString a = QString::fromLocal8Bit(argv0 ? argv0 : "");
    if (!a.contains('/')) {
        QString found = QStandardPaths::findExecutable(a);
        if (!found.isEmpty()) a = found;
    }
    // Absolute, but without resolving links.
    QString abs = QDir::cleanPath(QDir::current().absoluteFilePath(a));
    return FromQ(abs);
}

TfrmPemarisMain* CreateApplicationForms() {
    Application().Title = "Pemaris shell application";
    Application().HelpFile = "Pemaris.HLP";
    auto* main = Application().CreateForm<TfrmPemarisMain>();
    Application().CreateForm<TfrmXMLViewer>();
    Application().CreateForm<TfrmProgress>();
    Application().CreateForm<TfrmCompoundMetrics>();
    Application().CreateForm<TQRfrm_XMLTable>();
    Application().CreateForm<TfrmGetLimits>();
    Application().CreateForm<TQRfrm_HardCopy>();
    Application().CreateForm<TQRfrm_MindraChangeRank>();
    Application().CreateForm<TQRfrm_MindraChangeStat>();
    Application().CreateForm<TQRfrm_MindraDefectRank>();
    Application().CreateForm<TQRfrm_MindraDefectStat>();
    Application().CreateForm<TQRfrm_MindraProjectStat>();
    return main;
}

int RunProgram(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    // Without a display no dialog may wait: questions and the status bar's
    // messages go to standard error, each question answered so that the
    // user's files and job stay as they are.
    const QString platform = QGuiApplication::platformName();
    const bool headless = platform == "offscreen" || platform == "minimal";
    static QtDialogService dialogs;
    static HeadlessDialogService headlessDialogs;
    if (headless) {
        SetDialogService(&headlessDialogs);
        TMyStatusBarBase::Recorder = [](const TStatusRecord& r) {
            if (r.text.empty()) return;
            const std::string line = Cp1252ToUtf8(r.text) + "\n";
            std::fwrite(line.data(), 1, line.size(), stderr);
        };
    } else {
        SetDialogService(&dialogs);
    }
    TfrmPemarisMain::ExecutablePath = ProgramPathFromArgv0(argc > 0 ? argv[0] : "");
    SetProgramPath(TfrmPemarisMain::ExecutablePath);
    std::vector<std::string> params;
    for (int i = 1; i < argc; ++i) params.push_back(FromQ(QString::fromLocal8Bit(argv[i])));
    SetCommandLine(params);
    TfrmPemarisMain* main = CreateApplicationForms();
    QApplication::setApplicationName(ToQ(Application().Title));
    std::string autoRun;
    if (FindCmdLineValue("-AutoRun:-ar", autoRun) || CmdLineSwitch("-AutoRun:-ar")) main->ExitStatus = 1;
    main->show();
    const int status = app.exec();
    // An automatic run ends well only when its run completed and its job
    // was saved.
    return status != 0 ? status : main->ExitStatus;
}

} // namespace pem
