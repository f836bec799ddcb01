// The main window's evaluation actions: the module ranking with its limits
// dialog, the deficiency ranking and the test plan. The work is done in
// src/reports; here the window gives its values, shows the progress group
// and the busy cursor, and reports the outcome.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "DefiRanking.h"
#include "FindExecFrame.h"
#include "GetLimits.h"
#include "ModuleRanking.h"
#include "RankingText.h"
#include "SharedRoutinesCommon.h"
#include "TestPlan.h"

#include <chrono>

namespace pem {

namespace {

// The progress group while a ranking reads its files: the caption, the
// modules bar from 1 and the sources bar at 0, both up to the number of
// files; shown above the big-directory limit, hidden again at the end.
// Window events are served at a bounded rate, not once per file.
class TRankingProgress {
public:
    TRankingProgress(TfrmPemarisMain& form, const std::string& caption, int files) : form_(form) {
        form_.GroupBoxSlider->SetCaption(caption);
        form_.ProgressBarModules->SetMax(files);
        form_.ProgressBarModules->SetPosition(1);
        form_.ProgressBarSources->SetMax(files);
        form_.ProgressBarSources->SetPosition(0);
        if (files > form_.SystemBigDirectoryLimit) form_.SetProgressBarsVisible(true);
    }
    ~TRankingProgress() { form_.SetProgressBarsVisible(false); }
    TRankingProgress(const TRankingProgress&) = delete;
    TRankingProgress& operator=(const TRankingProgress&) = delete;

    void Step() {
        form_.ProgressBarModules->SetPosition(form_.ProgressBarModules->Position() + 1);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastEvents_ < std::chrono::milliseconds(50)) return;
        lastEvents_ = now;
        Application().ProcessMessages();
    }

private:
    TfrmPemarisMain& form_;
    std::chrono::steady_clock::time_point lastEvents_ = std::chrono::steady_clock::now();
};

using TRankFiles = std::function<std::vector<std::string>(const std::string& folder,
                                                          const std::vector<std::string>& files,
                                                          const std::function<void()>& onFileRead)>;

// The road both rankings share: the files of the result folder, the ranking
// under the progress group, the report written into the output directory and
// opened in a result tab. A missing file or a ranking error ends the action
// on the status bar with nothing written.
void RunRanking(TfrmPemarisMain& form, const char* folder, const char* extensions, const char* noFiles,
                std::string (*caption)(int), const char* reportName, const TRankFiles& rank) {
    TBusyCursor busy;
    const std::string out = IncludeTrailingSeparator(form.OutputDirectory(), '/');
    const std::string base = out + folder + "/";
    TStringList found;
    FindFilesRecursive(base, "", extensions, found);
    if (found.Empty()) form.MyStB->Error(noFiles);
    std::vector<std::string> files;
    files.reserve(static_cast<size_t>(found.Count()));
    for (const auto& item : found) files.push_back(item.s);

    std::vector<std::string> lines;
    {
        TRankingProgress progress(form, caption(found.Count()), found.Count());
        try {
            lines = rank(base, files, [&progress] { progress.Step(); });
        } catch (const ERankingError& e) {
            form.MyStB->Error(e.what());
        }
    }
    WriteLinesLF(out + reportName, lines);
    form.OpenInSimpleViewer(out + reportName);
}

} // namespace

void TfrmPemarisMain::BindEvaluationActions() {
    Act("ActModuleRanking")->OnExecute = [this](TComponent* s) { ActModuleRankingExecute(s); };
    Act("ActDeficiencyRanking")->OnExecute = [this](TComponent* s) { ActDeficiencyRankingExecute(s); };
    Act("ActCreateVelling")->OnExecute = [this](TComponent* s) { ActCreateVellingExecute(s); };
}

void TfrmPemarisMain::ActModuleRankingExecute(TComponent*) {
    TfrmGetLimits& dialog = GetLimitsForm();
    if (dialog.ShowModal() != mrOk) MyStB->Error(kNoModuleRankingProduced);
    const TModuleRankingLimits limits = dialog.Limits();
    RunRanking(*this, "Metrics", ".met;", kNoMetricsFileFound, ModuleRankingCaption, kModuleRankingFileName,
               [&limits](const std::string& folder, const std::vector<std::string>& files, const auto& onFileRead) {
                   return RankModules(folder, files, limits, onFileRead);
               });
}

void TfrmPemarisMain::ActDeficiencyRankingExecute(TComponent*) {
    RunRanking(*this, "Defis", ".def;", kNoDeficiencyFilesFound, DefiRankingCaption, kRuleViolationsFileName,
               [](const std::string& folder, const std::vector<std::string>& files, const auto& onFileRead) {
                   return RankDeficiencies(DefiFilesInSubfolders(files, folder), onFileRead);
               });
}

void TfrmPemarisMain::ActCreateVellingExecute(TComponent*) {
    CheckNamesForPaths();
    TTestPlanJob job{OutputDirectory(), ProductName, SystemName, FrameFindexecTstSpecTemplate->FileName(), {}};
    for (int i = 0; i < CheckListBoxObjects->Count(); ++i)
        if (CheckListBoxObjects->Checked(i)) job.Objects.push_back(CheckListBoxObjects->ItemText(i));
    std::string made;
    try {
        made = CreateTestPlan(job);
    } catch (const ETestPlanError& e) {
        MyStB->Error(e.what());
    }
    MyStB->ShowWarning(kTestPlanCreated + made);
}

} // namespace pem
