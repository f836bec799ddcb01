// The run's preparation on the main window: the parameter document, the
// first-use question, the cleaned output directory, the input tree with a
// copy of every ticked source, the result folders, the documents and the
// batch file, the tables; and the line count that stops after the copies.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "CharSet1252.h"
#include "DialogService.h"
#include "EventPump.h"
#include "FileFilter.h"
#include "FindExecFrame.h"
#include "InputFileCopy.h"
#include "JobFile.h"
#include "OnExit.h"
#include "RunPreparation.h"
#include "SafeFiles.h"
#include "SourceFileListBox.h"

#include <filesystem>
#include <memory>

namespace pem {

namespace {

const char* const kStopQuestion = "The User requested to stop the process, please confirm?";
const char* const kStopped = "Process aborted on user request!";

void Step(TProgressBar* bar) { bar->SetPosition(bar->Position() + 1); }

} // namespace

void TfrmPemarisMain::BindPrepareHandlers() {
    Act("ActCountLinesOnly")->OnExecute = [this](TComponent* s) { ActCountLinesOnlyExecute(s); };
}

void TfrmPemarisMain::ActCountLinesOnlyExecute(TComponent*) {
    CountLinesOnly = true;
    TOnExit clear([this] { CountLinesOnly = false; });
    PrepareRun();
}

void TfrmPemarisMain::ConfirmBreak() {
    if (Dialogs().MessageDlg("Break the process ?", TMsgDlgType::mtConfirmation, mbYesNo) == mrYes) Abort();
}

void TfrmPemarisMain::ShowPreparingDirectories() {
    GroupBoxSlider->SetCaption("Preparing directories");
    ProgressBarModules->SetMin(0);
    ProgressBarModules->SetMax(6);
    ProgressBarModules->SetPosition(1);
    ProgressBarSources->SetMin(0);
    ProgressBarSources->SetMax(0);
    ProgressBarSources->SetPosition(0);
}

void TfrmPemarisMain::AskStopRequest() {
    if (!InputLoopStop && !FileLoopStop) return;
    if (Dialogs().MessageDlg(kStopQuestion, TMsgDlgType::mtConfirmation, mbYesNo) == mrYes) MyStB->Error(kStopped);
    // One request, asked about once: both loops go on.
    SetBuildLoopStop(false);
    SetFileLoopStop(false);
}

void TfrmPemarisMain::PrepareRun() {
    // 1.
    SourceLinesInJob = 0;
    const bool subProcessorRun = SameText(LanguageCode, kSubProcessorGroup);
    const std::string toolFolder = ExcludeTrailingSeparator(ExtractFilePath(FrameFindexecPemaris->FileName()), '/');
    // 2. The caption, the progress group and the cursor are put right on
    // every way out.
    TBusyCursor busy;
    TOnExit finish([this] {
        GroupBoxSelectedFiles->SetCaption(
            SelectedFilesCaption(GroupBoxSelectedFiles->Caption(), SourceFiles.Count(), SourceLinesInJob));
        SetProgressBarsVisible(false);
    });
    ShowPreparingDirectories();
    SetProgressBarsVisible(true);
    // 3.
    WriteParameterDocument();
    // 4.
    ShowPreparingDirectories();
    Step(ProgressBarModules);
    const std::string outputDir = OutputDirectory();
    InputTreePath = InputTreeFolder(outputDir); // the reset sweeps this tree
    // The first-use question comes before anything in the directory is
    // touched, so No leaves it as it was.
    if (!OutputDirectoryUsed(outputDir) &&
        Dialogs().MessageDlg(FirstUseQuestion(outputDir), TMsgDlgType::mtWarning, mbYesNo) != mrYes)
        MyStB->Error("Go and select another output directory,and then try again");
    try {
        // 5.
        // The window is served while old results go, however many there are.
        TEventPump sweepPump;
        const auto serve = [&sweepPump] { sweepPump.Pump(); };
        CleanInputTree(outputDir, StructureLevel, serve);
        Step(ProgressBarModules);
        // 7.
        CleanOutputDirectory(outputDir, StructureLevel, [this] { Step(ProgressBarModules); }, serve);
    } catch (const EFileError& e) {
        MyStB->Error(e.what());
    }
    // 8.
    if (RunMode != 4) BuildInputTree(outputDir);
    // 9.
    if (CountLinesOnly) Abort();
    try {
        // 10. The work folder is the one the document names ("./work"), in
        // the output directory as it is now, not as it was when the
        // language was chosen.
        WorkFolder = ExcludeTrailingSeparator(outputDir, '/') + "/work";
        MakeResultFolders(outputDir, SystemName, WorkFolder, LanguageCode == "PB");
        // 11.
        TRunDocuments run;
        run.outputDir = outputDir;
        run.document = &ParameterDocuments;
        run.entries = &InputTreeEntries;
        run.batchLines = &BatchLines;
        run.subProcessorRun = subProcessorRun;
        run.nameByDirectory = SystemNameByDirectory;
        run.toolFolder = toolFolder;
        WriteRunDocuments(run);
        // 12.
        if (Product.Kind == 1) {
            const std::string dummy = InputTreeFolder(outputDir) + "/" + SystemName + ".csv";
            ReplaceOwnFileText(Cp1252ToUtf8(dummy), DummyTestCaseText(), dummy);
            MyStB->ShowWarning("Testcase file missing, dummy file inserted");
        }
        // 13.
        CopyRunTables(outputDir);
    } catch (const EFileError& e) {
        MyStB->Error(e.what());
    }
    Step(ProgressBarSources);
}

void TfrmPemarisMain::BuildInputTree(const std::string& outputDir) {
    // a.
    GroupBoxSlider->SetCaption("Building input structure");
    ProgressBarModules->SetPosition(0);
    // b.
    const TInputTreePlan plan = PlanInputTree(InputTreeEntries, outputDir, Product.Kind);
    for (const std::string& folder : plan.folders)
        if (!ForceDirectories(folder)) MyStB->Error("Can not create folder " + folder);
    const int count = static_cast<int>(plan.copies.size());
    ProgressBarModules->SetMax(count);

    // c.
    TEventPump pump;
    TInputCopyOptions options;
    options.bufferSize = IniSettings.IOBuffSize;
    options.countLinesOnly = CountLinesOnly;
    options.textTags = TextTags;
    // A dictionary that cannot be read ends the preparation like any other
    // failure of the copies.
    std::shared_ptr<const TDocumentDictionary> dictionary;
    try {
        dictionary = DocumentDictionary();
    } catch (const Exception& e) {
        MyStB->Error(e.what());
    }
    options.dictionary = dictionary.get();
    std::vector<std::string> ticked;
    for (int i = 0; i < CheckListBoxControlTags->Count(); ++i)
        if (CheckListBoxControlTags->Checked(i)) ticked.push_back(CheckListBoxControlTags->ItemText(i));
    const TControlWordList controlWords = TControlWordList::FromTickedItems(ticked);
    options.controlWords = &controlWords;
    options.toolRoot = ToolRoot;
    options.runAndWait = [this](const std::string& program, const std::vector<std::string>& params,
                                const std::string& workingDir) { return RunAndWait(program, params, workingDir); };
    options.beforeBlock = [this, &pump](const TCopyProgress& p) {
        if (p.longFile) GroupBoxSlider->SetCaption(CopyProgressCaption(p));
        const TCopyBar bar = CopyProgressBar(p);
        ProgressBarSources->SetMax(bar.max);
        ProgressBarSources->SetPosition(bar.position);
        pump.Pump();
        AskStopRequest();
        return true;
    };
    options.showError = [this](const std::string& text) { MyStB->ShowWarning(text); };
    TInputFileCopier copier(options);

    const bool namedInputs = Act("ActSpecifyMethodFile")->Visible();
    SetBuildLoopStop(false);
    SetFileLoopStop(false);
    // d. on every way out, with the lines counted so far.
    TOnExit stopped([this, &copier] {
        SetBuildLoopStop(true);
        SetFileLoopStop(true);
        SourceLinesInJob = copier.SourceLines();
    });

    int position = 0;
    for (const TInputCopy& copy : plan.copies) {
        if (copy.position >= 0 && copy.position < SourceFiles.Count()) {
            std::string source = SourceFiles.Path(copy.position);
            if (namedInputs) source = source.substr(source.find('=') + 1);
            if (!SourceFileExists(source)) {
                CheckListBoxSelectedFiles->SetChecked(copy.position, false);
                CheckListBoxSelectedFiles->SetItemEnabled(copy.position, false);
                MyStB->ShowWarning("Some input files cannot be found!");
            } else {
                bool copied = false;
                try {
                    copied = copier.CopyInputFile(source, copy.target);
                } catch (const EAbort&) {
                    throw;
                } catch (const Exception& e) {
                    MyStB->Error(e.what());
                }
                if (!copied) MyStB->Error("Process cancelled by the user!");
            }
        }
        ++position;
        Step(ProgressBarModules);
        GroupBoxSlider->SetCaption(BuildProgressCaption(position, count));
        // The first copy shows at once; later ones at a bounded rate.
        pump.Pump(position == 1);
        AskStopRequest();
    }
}

// The tables' copies are the output directory's own files: a link in their
// place is replaced, never followed, and a copy that fails leaves the old
// one whole. A table that is there but is no regular file (a FIFO, a
// folder) ends the preparation with its file error instead of being passed
// over in silence.
void TfrmPemarisMain::CopyRunTables(const std::string& outputDir) {
    const auto copy = [](const std::string& source, const std::string& target) {
        CopyToOwnFile(Cp1252ToUtf8(source), Cp1252ToUtf8(target), source, target);
    };
    const auto present = [](const std::string& name) {
        std::error_code ec;
        return !name.empty() && std::filesystem::exists(Cp1252ToUtf8(name), ec);
    };
    const std::string repoTab = FrameFindexecRepo_Tab->FileName();
    if (RunMode == 1 && CheckBoxRepo_Tab->Visible() && CheckBoxRepo_Tab->Checked() && present(repoTab))
        copy(repoTab, IncludeTrailingSeparator(outputDir, '/') + "Repo_Tab.csv");
    if (TabSheetWordScan->TabVisible()) {
        SaveFunctionWordList(IncludeTrailingSeparator(outputDir, '/') + "functab.wrl");
    } else if (TabSheetFunctab->TabVisible()) {
        // Under its own name, the name the document gives the tools.
        const std::string functab = FrameFindexecFunctab->FileName();
        const std::string target = IncludeTrailingSeparator(outputDir, '/') + ExtractFileName(functab);
        if (present(functab) && NormalizePath(functab, '/') != NormalizePath(target, '/'))
            copy(functab, target);
    }
}

} // namespace pem
