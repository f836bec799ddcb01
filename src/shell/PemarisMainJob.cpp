// The job's life on the main window: new, open, save, save as, reading it
// back, clearing it, the names that make its file name,
// and the reconnection with a run that went on in the background.
#include "JobFile.h"
#include "PemarisMain.h"

#include "SourceTree.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "SettingsStore.h"
#include "SharedRoutinesCommon.h"
#include "StreamToIni.h"
#include "SourceFileListBox.h"
#include "SourceTree.h"
#include "StringListHolder.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace pem {

namespace {

TFileFilter JobFilter(const std::string& ext) {
    // "Job definitions files(*%s)|*%s"
    return {"Job definitions files(*" + ext + ")", "*" + ext};
}

const char* const kLoadError =
    " Error while loading project definition, it was possibly generated with an older version of the tool";

} // namespace

void TfrmPemarisMain::BindJobActions() {
    ActNewProject->OnExecute = [this](TComponent* s) { ActNewProjectExecute(s); };
    ActOpenProject->OnExecute = [this](TComponent* s) { ActOpenProjectExecute(s); };
    ActSaveProject->OnExecute = [this](TComponent* s) { ActSaveProjectExecute(s); };
    ActSaveProjectAs->OnExecute = [this](TComponent* s) { ActSaveProjectExecute(s); };
    Act("ActCloseAll")->OnExecute = [this](TComponent* s) { ActCloseAllExecute(s); };
    EditProductName->OnExit = [this](TComponent* s) { EditProductNameExit(s); };
    EditSystemName->OnExit = [this](TComponent* s) { EditSystemNameExit(s); };
    EditSystemVersion->OnExit = [this](TComponent* s) { EditSystemVersionExit(s); };
    // The names become the job's file name: one holding a control character
    // is refused on leaving the edit, not quietly mended.
    for (TEdit* e : {EditProductName, EditSystemName, EditSystemVersion}) e->SetStripControlChars(false);
}

// ------------------------------------------------------------------ names

std::string TfrmPemarisMain::GetProjectName() {
    if (JobName.empty()) {
        ValidateProductName(ProductName);
        ValidateSystemName(SystemName);
        ValidateVersion(SystemVersion);
        const std::string name = ComposeJobName(ProductName, SystemName, LanguageVersion);
        // The language version comes from the installation; the job name
        // still becomes a file name and must not lead out of its folder.
        if (!IsSafeJobName(name)) MyStB->Error("Job name missing or incorrect");
        JobName = name;
    }
    return JobName;
}

void TfrmPemarisMain::SetProjectName(const std::string& fileName) {
    JobName = (fileName.empty() || fileName == "*") ? std::string() : JobNameFromFileName(fileName);
    SetCaption(CaptionWithJobName(Caption(), JobName));
}

void TfrmPemarisMain::ValidateSystemName(const std::string& text) {
    if (text != "*" && !IsValidJobPartName(text)) {
        PageControlMain->SetActivePage(TabSheetNames);
        EditSystemName->setFocus();
        MyStB->Error("System name missing or incorrect");
    }
    const std::string value = text == "*" ? std::string() : text;
    if (value != SystemName) {
        JobName.clear();
        NewJobFile = true;
        SystemName = value;
        EditSystemName->SetText(value);
        SetModified(true);
    }
    MyStB->ClearMessage();
}

void TfrmPemarisMain::CheckNamesForPaths() {
    if (!ProductName.empty()) ValidateProductName(ProductName);
    if (!SystemName.empty()) ValidateSystemName(SystemName);
}

void TfrmPemarisMain::ValidateProductName(const std::string& text) {
    if (text != "*" && !IsValidJobPartName(text)) {
        PageControlMain->SetActivePage(TabSheetNames);
        EditProductName->setFocus();
        MyStB->Error("Product name missing or incorrect");
    }
    const std::string value = text == "*" ? std::string() : text;
    if (value != ProductName) {
        JobName.clear();
        NewJobFile = true;
        ProductName = value;
        EditProductName->SetText(value);
        SetModified(true);
    }
    MyStB->ClearMessage();
}

void TfrmPemarisMain::ValidateVersion(const std::string& text) {
    if (text != "*" && !IsValidVersion(text)) {
        EditSystemVersion->setFocus();
        MyStB->Error("Version missing or incorrect (0..9 and . are accepted)");
    }
    const std::string value = text == "*" ? std::string() : text;
    if (value != SystemVersion) {
        SystemVersion = value;
        EditSystemVersion->SetText(value);
        SetModified(true);
    }
    MyStB->ClearMessage();
}

void TfrmPemarisMain::EditProductNameExit(TComponent*) {
    if (!EditProductName->Text().empty()) ValidateProductName(EditProductName->Text());
}
void TfrmPemarisMain::EditSystemNameExit(TComponent*) {
    if (!EditSystemName->Text().empty()) ValidateSystemName(EditSystemName->Text());
}
void TfrmPemarisMain::EditSystemVersionExit(TComponent*) {
    if (!EditSystemVersion->Text().empty()) ValidateVersion(EditSystemVersion->Text());
}

// ------------------------------------------------------------ new and open

void TfrmPemarisMain::ActNewProjectExecute(TComponent*) {
    RefuseJobChangeWhileBusy();
    SetModified(false);
    if (ActiveRadioButton) RadioButtonClick(ActiveRadioButton);
    PageControlMain->SetActivePage(TabSheetNames);
}

void TfrmPemarisMain::ActOpenProjectExecute(TComponent* sender) {
    // Every road that opens a job comes here (the window's file drop too).
    RefuseJobChangeWhileBusy();
    SetModified(false);
    ClearProject();
    PageControlMain->SetActivePage(TabSheetNames);
    if (sender) {
        TOpenDialogRequest& o = OpenDialogWork->Options;
        o = TOpenDialogRequest{};
        o.mustExist = true;
        o.multiSelect = false;
        o.fileName.clear();
        OpenDialogWork->FileName.clear();
        o.initialDir = JobFolder;
        o.filters = {JobFilter(Product.JobExtension)};
        o.defaultExt = Product.JobExtension.empty() ? std::string() : Product.JobExtension.substr(1);
        o.title = "Open a " + Product.JobDescription;
        if (!OpenDialogWork->Execute()) MyStB->Error("File search cancelled, new project created");
    }
    LoadProject(OpenDialogWork->FileName);
    NewJobFile = false;
    CheckBackgroundBatch();
}

// -------------------------------------------------------------------- save

void TfrmPemarisMain::ActSaveProjectExecute(TComponent* sender) {
    if (TabSheetLimits->TabVisible()) CheckNumParamsGrid();
    TBusyCursor busy;
    const bool saveAs = sender == ActSaveProjectAs;
    std::string fileName;
    const bool autoRunSave = !saveAs && !AutoRunSaveFile.empty();
    if (autoRunSave) {
        // An automatic run saves into the file it was started with, whatever
        // the job's name.
        fileName = AutoRunSaveFile;
    } else if (!saveAs) {
        fileName = IncludeTrailingSeparator(JobFolder, '/') + GetProjectName() + Product.JobExtension;
        NewJobFile = !FileExists(fileName);
    }
    if (!autoRunSave && (saveAs || JobName.empty() || NewJobFile)) {
        try {
            ValidateOutputDirectory();
        } catch (const EAbort&) {
        } catch (const Exception&) {
        }
        TOpenDialogRequest& o = SaveDialogWork->Options;
        o = TOpenDialogRequest{};
        o.fileName = JobName + Product.JobExtension;
        o.initialDir = JobFolder;
        o.title = "Save job as...";
        o.filters = {JobFilter(Product.JobExtension)};
        o.mustExist = false;
        SaveDialogWork->FileName = o.fileName;
        if (!SaveDialogWork->Execute()) MyStB->Error("Save cancelled");
        fileName = SaveDialogWork->FileName;
        SetLastPosition(fileName);
        SetProjectName(fileName);
    }
    // The folder above the output directory is offered for the next job.
    const std::string outDir = OutputDirectory();
    if (!outDir.empty()) {
        const std::string parent = OutputDirParentToRemember(outDir);
        WriteSetting("LastOutputDir" + LanguageCode, parent);
        WriteSetting("LastOutputDir", parent);
    }
    WriteSetting("LastRepo_Tab", RepoTabFile());

    SaveProjectTo(fileName);

    // What the derived products reopen at their next start.
    switch (Product.Kind) {
    case 1: case 2: case 6:
        RememberedDerivedJob = fileName;
        WriteSetting(kKeyJobFile, fileName);
        if (Product.Kind == 6) {
            const std::string cases =
                IncludeTrailingSeparator(outDir, '/') + "Cases/" + SystemName + ".csv";
            RememberedTestCaseList = (!outDir.empty() && FileExists(cases)) ? cases : std::string();
            WriteSetting(kKeyTestCaseList, RememberedTestCaseList);
        }
        break;
    case 4:
        RememberedJobName = LanguageVersion;
        WriteSetting(kKeyJobName, RememberedJobName);
        WriteSetting(kKeyJobFolder, JobFolder);
        break;
    default: break;
    }
    Modified = false;
    ActSaveProject->SetEnabled(false);
}

void TfrmPemarisMain::SaveProjectTo(const std::string& fileName) {
    TJobHead h;
    h.ActiveRadioButton = ActiveRadioButton ? ActiveRadioButton->Name() : std::string();
    h.ProjectName = GetProjectName();
    h.ProductName = ProductName;
    h.SystemName = SystemName;
    h.SystemVersion = SystemVersion;
    h.BatchRunning = Running;
    h.LanguageCode = LanguageCode;
    h.LanguageVersion = LanguageVersion;
    h.ToolRootDir = ToolRoot;
    h.InterfaceType = InterfaceType;
    h.MaxDirDepth = StructureLevel;
    h.CommonRoot = CommonRoot;
    h.SelectedFilesScreenWidth = SelectedFilesScreenWidth;
    h.SystemNameByDirectory = SystemNameByDirectory;
    h.SourceLinesInJob = SourceLinesInJob;
    h.PreviewBeforePrinting = Act("ActPreviewBeforePrinting")->Checked();
    h.Counters = {NumberOfRenamedModules, NumberOfModules, NumberOfRenamedSourceFiles, NumberOfSourceFiles};

    TStreamToIni list;
    ComposeJobHead(h, list);
    if (TabSheetLimits->TabVisible()) {
        std::vector<TLimitRow> rows;
        for (int r = 0; r < StringGridNumParams->RowCount(); ++r)
            rows.push_back({StringGridNumParams->Cell(0, r), StringGridNumParams->Cell(1, r),
                            StringGridNumParams->Cell(2, r)});
        ComposeLimitsGrid(StringGridNumParams->Name(), rows, list);
    }
    // The main form without the INI memo, the console and the tool frames;
    // then the repository-table frame alone; then the compound metrics
    // window without its string-list holders.
    list.SkipInvisible = true;
    list.ExcludeControls({MemoToolNameDefault, MemoCaptureConsole});
    list.ExcludeFrameClasses({"TFrameFindExec"});
    list.StoreFormsEx(this);
    if (TComponent* repo = FindComponentDeep("FrameFindexecRepo_Tab")) {
        list.IncludeOnlyControls({repo});
        list.StoreFormsEx(this);
    }
    if (TForm* metrics = Screen().FindForm("frmCompoundMetrics")) list.StoreFormsEx(metrics, 959);

    list.SaveToFile(Cp1252ToUtf8(fileName), fileName);
}

// -------------------------------------------------------------------- load

void TfrmPemarisMain::LoadProject(const std::string& fileName) {
    PageControlHelper->SetActivePage(TabSheetComponentNames);
    // Read and check the whole file before anything of the current job
    // changes: an unreadable or foreign file leaves the job as it was.
    TStreamToIni list;
    TStringList limitLines;
    TJobHead head;
    TRadioButton* button = nullptr;
    try {
        list.LoadFromFile(Cp1252ToUtf8(fileName));
        head = ParseJobHead(list, &limitLines);
        button = dynamic_cast<TRadioButton*>(FindComponentDeep(head.ActiveRadioButton));
        if (!button) throw Exception("No language button " + head.ActiveRadioButton + " in " + fileName);
    } catch (const std::exception& e) {
        MyStB->AddMessage(e.what(), true);
        MyStB->AddError(kLoadError);
    }

    std::string failure;
    std::vector<std::string> leftOut;
    {
        TBusyCursor busy;
        // However the reading ends, the loading flag is cleared again, so the
        // language buttons never stay dead after a failed load.
        struct LoadingScope {
            bool& flag;
            ~LoadingScope() { flag = false; }
        } scope{Loading};
        try {
            SelectLanguage("???" + head.ActiveRadioButton);
            Loading = true;
            SetCommonRoot(head.CommonRoot);
            ActiveRadioButton = button;
            LoadFileListDefinitions(button);
            // The names are taken when valid; an invalid one is reported
            // and skipped, the rest of the job still loads.
            auto validated = [this](void (TfrmPemarisMain::*validate)(const std::string&), const std::string& v) {
                try {
                    (this->*validate)(v);
                } catch (const EAbort&) {
                }
            };
            validated(&TfrmPemarisMain::ValidateProductName, head.ProductName);
            validated(&TfrmPemarisMain::ValidateSystemName, head.SystemName);
            validated(&TfrmPemarisMain::ValidateVersion, head.SystemVersion);
            // Taking the names over clears a derived job name; the job keeps
            // the name it was saved under, so that saving it again writes the
            // same file.
            SetProjectName(head.ProjectName);
            LanguageVersion = head.LanguageVersion;
            InterfaceType = head.InterfaceType;
            SetLastPosition(fileName);
            SetOptionLevel(head.MaxDirDepth);
            Running = head.BatchRunning;
            NumberOfRenamedModules = head.Counters.RenamedModules;
            NumberOfModules = head.Counters.Modules;
            NumberOfRenamedSourceFiles = head.Counters.RenamedSourceFiles;
            NumberOfSourceFiles = head.Counters.SourceFiles;
            SelectedFilesScreenWidth = head.SelectedFilesScreenWidth;
            SystemNameByDirectory = head.SystemNameByDirectory;
            SourceLinesInJob = head.SourceLinesInJob;
            TAction* preview = Act("ActPreviewBeforePrinting");
            preview->SetChecked(head.PreviewBeforePrinting);
            if (preview->OnExecute) preview->OnExecute(nullptr);
            SetCaption(CaptionWithLanguage(Caption(), button->Caption()));
            list.RestoreForms();
            // Entries no run can carry stay in the job, out of the run.
            leftOut = LeaveOutUnsafeEntries(SourceFiles);
            if (!leftOut.empty()) CheckListBoxSelectedFiles->Changed();
            if (auto* weights = dynamic_cast<TStringListHolder*>(FindComponentDeep("STLHMetricsWeights"));
                weights && weights->Count() != CheckListBoxMetrics->Count()) {
                weights->Clear();
                for (int i = 0; i < CheckListBoxMetrics->Count(); ++i)
                    weights->Add(CheckListBoxMetrics->Checked(i) ? "1" : "0");
            }
            if (TabSheetLimits->TabVisible()) FillNumParamsGrid(limitLines);
            ActCalculateCommonRootStrict->SetVisible(CheckListBoxSelectedFiles->Count() > SystemBigDirectoryLimit);
            if (ActCalculateCommonRootStrict->Visible() || ActShowAdvanced->Checked()) ShowHelperPages(true);
            GroupBoxSelectedFiles->SetCaption(SelectedFilesCaption(
                GroupBoxSelectedFiles->Caption(), CheckListBoxSelectedFiles->Count(), SourceLinesInJob));
            SetModified(false);
        } catch (const EAbort&) {
            failure = kLoadError;
        } catch (const std::exception& e) {
            failure = e.what();
        }
        JobFileDate = FileDateTime(fileName);
        try {
            LoadParameterLists();
        } catch (const EAbort&) {
        }
        // The parameter lists apply the language's switches again; the job's
        // own structure level is the one that holds.
        if (failure.empty()) SetOptionLevel(head.MaxDirDepth);
        SetModified(false);
    }
    PageControlMain->SetActivePage(TabSheetNames);
    skippedSources_ = std::move(leftOut);
    ShowSkippedSources();
    if (!failure.empty()) {
        if (failure != kLoadError) MyStB->AddMessage(failure, true);
        MyStB->AddError(kLoadError);
    }
}

// ------------------------------------------------------------------- clear

void TfrmPemarisMain::ClearProject() {
    if (IsMainKind(Product.Kind)) {
        ProductName.clear();
        SystemName.clear();
        SystemVersion.clear();
        for (TEdit* e : {EditProductName, EditSystemName, EditSystemVersion}) e->SetText("");
    }
    EditCommonRoot->SetText("");
    EditCreateWrdList->SetText("");
    CommonRoot.clear();
    if (Product.Kind != 1 && Product.Kind != 6) CheckListBoxSelectedFiles->ClearItems();
    for (TCheckListBox* l : {CheckListBoxObjects, CheckListBoxControlTags, CheckListBoxComponentNames,
                             CheckListBoxModuleNames})
        l->ClearItems();
    RichEditCTLWords->SetText("");
    MemoNewFileNames->Clear();
    InputTreePath.clear(); // the next reset sweeps this job's tree, not the last one's
    MemoLongextension->Clear();
    ClearStructureLists();
    StringGridNumParams->SetRowCount(0);
    if (TForm* metrics = Screen().FindForm("frmCompoundMetrics")) {
        TComponent* imports = metrics->FindComponentDeep("CBImportFiles");
        if (auto* combo = dynamic_cast<TComboBox*>(imports)) combo->clear();
        else if (auto* list = dynamic_cast<TListBox*>(imports)) list->ClearItems();
    }
    CloseAllEditorTabs();
    TabSheetViewer->SetTabVisible(false);
    for (QCheckBox* q : GroupBoxExtras->findChildren<QCheckBox*>())
        if (auto* box = dynamic_cast<TCheckBox*>(q); box && box->Visible()) box->SetChecked(true);
    SetProjectName("*");
    JobFileDate = 0;
    NewJobFile = true;
    Modified = false;
    ActSaveProject->SetEnabled(false);
    GroupBoxSelectedFiles->SetCaption(SelectedFilesCaptionCleared(GroupBoxSelectedFiles->Caption()));
    MemoCaptureConsole->Clear();
    SetRepoTabFile("");
}

// --------------------------------------------------------- background runs

void TfrmPemarisMain::CheckBackgroundBatch() {
    if (!Running) return;
    NumberOfRenamedModules = FinishResultNames();
    if (NumberOfRenamedModules == NumberOfModules) {
        Dialogs().MessageDlg("Your batch process seems to have finished in the mean time. \r\nEnjoy the results. ",
                             TMsgDlgType::mtInformation, mbOK);
        Running = false;
        ActSaveProject->Execute();
        return;
    }
    const int answer = Dialogs().MessageDlg(
        "Some awaited outputs are still misssing from your previous processing.\r\nIf your background job is "
        "still running, reply Cancel to exit.\r\nReply OK, if the process was broken, and you want to restart "
        "this project.",
        TMsgDlgType::mtWarning, mbOKCancel);
    if (answer == mrCancel) {
        SetModified(true);
        ActSaveProject->Execute();
        Running = false;
        Close();
    } else {
        Running = false;
    }
}

// ----------------------------------------------------- remembered derived jobs

void TfrmPemarisMain::LoadRememberedJobs() {
    switch (Product.Kind) {
    case 1: case 2: case 6:
        RememberedDerivedJob = ReadSettingStr(kKeyJobFile);
        if (Product.Kind == 6) RememberedTestCaseList = ReadSettingStr(kKeyTestCaseList);
        break;
    case 4:
        RememberedJobName = ReadSettingStr(kKeyJobName);
        JobFolder = ReadSettingStr(kKeyJobFolder);
        break;
    default: break;
    }
}

} // namespace pem
