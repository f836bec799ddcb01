#pragma once
// A main window started as a product from an installation in a temporary
// folder, with scripted dialogs and a status-bar recorder: the ground of the
// shell's widget tests.
#include "CmdLine.h"
#include "FindDirectoryFrame.h"
#include "PemarisMain.h"
#include "QtTestSupport.h"

#include <QApplication>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace pemtest {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        ::setenv("XDG_CONFIG_HOME", (install / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (install / "data").c_str(), 1);
        std::filesystem::create_directories(install / "home");
        pem::SetCommandLine({});
    }
    void TearDown() override {
        form.reset();
        pem::SetCommandLine({});
    }

    // Copies a fixture installation (or the demo) into install/.
    void CopyTree(const std::string& from) {
        std::filesystem::copy(from, install.Path(), std::filesystem::copy_options::recursive |
                                                        std::filesystem::copy_options::overwrite_existing);
    }

    // Starts the main form as if the program were install/Tools/<name>.
    pem::TfrmPemarisMain* Start(const std::string& name = "Korvex") {
        form.reset();
        pem::TfrmPemarisMain::ExecutablePath = install / ("Tools/" + name);
        form = std::make_unique<pem::TfrmPemarisMain>();
        form->DoCreate();
        form->show();
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        return form.get();
    }

    // Starts Korvex from the start-up fixture with install/out (made) as its
    // output directory and "PAY" as its system, the start's dialogs and
    // messages forgotten. Returns the output directory.
    std::string StartWithOutputDir() {
        CopyTree(FIXTURES_DIR "/startup");
        Start("Korvex");
        dialogs->Reset();
        form->MyStB->MessageList.clear();
        const std::string out = install / "out";
        std::filesystem::create_directories(out);
        form->FrameFindDirectoryOutputDir->Edit->SetText(out);
        form->SystemName = "PAY";
        return out;
    }

    TempDir install;
    // The program makes folders below the user's documents: here, never in
    // the real home.
    ScopedEnv home{"HOME", install / "home"};
    ScopedDialogs dialogs;
    StatusRecorder recorder;
    std::unique_ptr<pem::TfrmPemarisMain> form;
};

} // namespace pemtest
