#pragma once
// What the viewers' tests stand in for the main window: a project context
// whose answers a test sets, and a scripted dialog service that keeps each
// file dialog's request.
#include "DialogService.h"
#include "ProjectContext.h"
#include "ResultTabRules.h"

#include <string>
#include <vector>

namespace pemtest {

class FakeProjectContext : public pem::IProjectContext {
public:
    std::string out, lang = "JAV", system = "PAY", toolLog, editor = "NOTEPAD.EXE";
    int kind = 0, runMode = 1, fileViewStyle = 1;
    pem::TFontSpec font{"Lucida Console", 1, 8, -11};
    pem::TMyStatusBar* bar = nullptr;
    std::string OutputDirectory() override { return out; }
    std::string ProjectLanguageCode() override { return lang; }
    bool ProjectLanguageInList(const std::string& list) override { return pem::LanguageInList(lang, list); }
    int ProjectProductKind() override { return kind; }
    int ProjectRunMode() override { return runMode; }
    std::string ProjectSystemName() override { return system; }
    std::string ProjectTestToolLog() override { return toolLog; }
    int ProjectFileViewStyle() override { return fileViewStyle; }
    pem::TFontSpec& ProjectViewerFont() override { return font; }
    std::string ProjectEditorProgram() override { return editor; }
    pem::TMyStatusBar* ProjectStatusBar() override { return bar; }
};

class RecordingDialogs : public pem::ScriptedDialogService {
public:
    bool OpenFiles(const pem::TOpenDialogRequest& req, std::vector<std::string>& files) override {
        openRequests.push_back(req);
        return ScriptedDialogService::OpenFiles(req, files);
    }
    std::vector<pem::TOpenDialogRequest> openRequests;
};

} // namespace pemtest
