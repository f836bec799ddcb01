// Language selection on the main window: the radio buttons, the language's
// switches applied to tabs, actions and check boxes, the pick frames pointed
// at the language's tools and parameter files, and the limits grid.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "ButtonRows.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "DialogService.h"
#include "Exceptions.h"
#include "FindDirectoryFrame.h"
#include "FindExecFrame.h"
#include "HandlerGuard.h"
#include "OutputDirRules.h"
#include "SettingsStore.h"
#include "SharedRoutinesCommon.h"
#include "SourceFileListBox.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <filesystem>

namespace fs = std::filesystem;

namespace pem {

namespace {

std::string ChangeExt(const std::string& path, const std::string& ext) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return path.substr(0, dot) + ext;
    return path + ext;
}
void ShowAction(TfrmPemarisMain* f, const char* name, bool visible) { f->Act(name)->SetVisible(visible); }

} // namespace

// ------------------------------------------------------------------ frames

void TfrmPemarisMain::CreatePickFrames() {
    auto exec = [this](QWidget* parent, const char* name, const char* caption, int tag) {
        auto* f = new TFrameFindexec(this, parent, name);
        f->LabelFindExec->SetCaption(caption);
        f->StatusBar = MyStB;
        f->SetTag(tag);
        return f;
    };
    FrameFindDirectoryOutputDir = new TFrameFindDirectory(this, TabSheetNames, "FrameFindDirectoryOutputDir");
    FrameFindDirectoryOutputDir->LabelCaption->SetCaption("Output directory");
    FrameFindDirectoryOutputDir->StatusBar = MyStB;
    // Under the names and extras, above the file list.
    if (auto* box = qobject_cast<QBoxLayout*>(TabSheetNames->layout())) {
        box->removeWidget(FrameFindDirectoryOutputDir);
        box->insertWidget(1, FrameFindDirectoryOutputDir);
    }
    // Parameter files: a missing one is marked, not asked for; the
    // language may simply not have it.
    FrameFindexecLimits = exec(TabSheetLimits, "FrameFindexecLimits", "Limits file", 1);
    FrameFindexecRules = exec(TabSheetRules, "FrameFindexecRules", "Rules file", 1);
    FrameFindexecMetrics = exec(TabSheetMetrics, "FrameFindexecMetrics", "Metrics file", 1);
    FrameFindexecSpecs = exec(TabSheetSpecs, "FrameFindexecSpecs", "Specifications file", 1);
    FrameFindexecFunctab = exec(TabSheetFunctab, "FrameFindexecFunctab", "Function table file", 1);
    // Tools.
    FrameFindexecPemaris = exec(TabSheetTech, "FrameFindexecPemaris", "Analysis program", 0);
    FrameFindexecWordScanner = exec(TabSheetTech, "FrameFindexecWordScanner", "Word scanner program", 0);
    FrameFindexecTransform = exec(TabSheetTech, "FrameFindexecTransform", "Transformation program", 0);
    FrameFindexecSearch = exec(TabSheetTech, "FrameFindexecSearch", "Search program", 0);
    FrameFindexecTestDesigner = exec(TabSheetTech, "FrameFindexecTestDesigner", "Test designer program", 0);
    FrameFindexecTstSpecTemplate = exec(TabSheetTech, "FrameFindexecTstSpecTemplate", "Test specification template", 0);
    FrameFindexecEditorGeneral = exec(TabSheetTech, "FrameFindexecEditorGeneral", "Editor", 1);
    FrameFindexecRepo_Tab = exec(PanelExtraFiles, "FrameFindexecRepo_Tab", "Repository table", 1);
    for (TFrameFindexec* f : {FrameFindexecWordScanner, FrameFindexecTransform, FrameFindexecSearch,
                              FrameFindexecTestDesigner, FrameFindexecTstSpecTemplate})
        f->SetVisible(false);

    // Handlers of the INI tab and the limits grid.
    ButtonApplyINI->OnClick = [this](TComponent* s) { ButtonApplyINIClick(s); };
    Act("ActWriteINIFile")->OnExecute = [this](TComponent* s) { ActWriteINIFileExecute(s); };
    StringGridNumParams->OnSetEditText = [this](TComponent* s) { StringGridNumParamsSetEditText(s); };
    StringGridNumParams->OnEnter = [this](TComponent* s) { StringGridNumParamsEnter(s); };
    StringGridNumParams->OnExit = [this](TComponent* s) { StringGridNumParamsExit(s); };
    QObject::connect(StringGridNumParams, &QTableWidget::currentCellChanged, StringGridNumParams,
                     [this](int row, int col, int prevRow, int prevCol) {
                         if (fillingGrid_) return;
                         RunGuarded([&] {
                             bool can = true;
                             numParamPrev_ = {prevCol, prevRow};
                             StringGridNumParamsSelectCell(col, row, can);
                         });
                     });
}

std::string TfrmPemarisMain::RepoTabFile() { return FrameFindexecRepo_Tab->FileName(); }
void TfrmPemarisMain::SetRepoTabFile(const std::string& fileName) { FrameFindexecRepo_Tab->Edit->SetText(fileName); }

std::string TfrmPemarisMain::OutputDirectory() {
    return FrameFindDirectoryOutputDir ? FrameFindDirectoryOutputDir->Edit->Text() : std::string();
}

void TfrmPemarisMain::FocusOutputDirectory() {
    if (FrameFindDirectoryOutputDir) FrameFindDirectoryOutputDir->Edit->setFocus();
}

void TfrmPemarisMain::SetOutputDirectoryReadOnly(bool readOnly) {
    FrameFindDirectoryOutputDir->Edit->SetReadOnly(readOnly);
    FrameFindDirectoryOutputDir->SpeedButton->SetVisible(!readOnly);
}

// ------------------------------------------------------------ radio buttons

void TfrmPemarisMain::RadioButtonClick(TComponent* sender) {
    auto* rb = dynamic_cast<TRadioButton*>(sender);
    if (!rb) rb = ActiveRadioButton;
    if (!rb) return;
    // Buttons in sibling panels of one group box act as one group.
    for (TRadioButton* o : LanguageButtons) {
        if (o == rb || !o->Checked()) continue;
        QWidget* op = o->parentWidget();
        QWidget* rp = rb->parentWidget();
        if (op != rp && op && rp && op->parentWidget() == rp->parentWidget()) o->SetChecked(false);
    }
    if (Loading) return;
    SetModified(false);
    MyStB->ClearMessage();
    ActiveRadioButton = rb;
    SelectLanguage(rb->Name());
    if (LangTab && LangTab->TabVisible() && IsDerivedKind(Product.Kind) && !EditProductName->Text().empty()) {
        const std::string job = JobFolder + CapitalizeWords(EditProductName->Text()) +
                                CapitalizeWords(EditSystemName->Text()) + CapitalizeWords(LanguageVersion) +
                                Product.JobExtension;
        const std::string found = FindFileIgnoringCase(job);
        if (!found.empty()) {
            TStringList j;
            try {
                j.LoadFromFile(Cp1252ToUtf8(found));
            } catch (const EFileError&) {
            }
            if (SameText(j.Values("frmPemarisMain.FrameFindDirectoryOutputDir.Edit"),
                         FrameFindDirectoryOutputDir->Edit->Text()))
                LoadProject(found);
        }
        SetModified(false);
        if (sender) PageControlMain->SetActivePage(TabSheetNames);
    }
}

void TfrmPemarisMain::SelectLanguage(const std::string& nameIn) {
    std::string name = nameIn;
    bool skipLists = false;
    if (HasPrefix(name, "???")) {
        name = name.substr(3);
        skipLists = true;
    }
    if (Loading) return;
    SetModified(false);
    const TStringList lines = IniLines();
    if (TrimCharSet(lines.Text(), csControlAndBlank).empty()) MyStB->Error("Szar van a palacsint\xE1" "ban");
    const std::string value = IniValue(lines, name);
    if (value.empty()) MyStB->Error("Shell error,missing language definition, inform Valtmoor");

    ParseLanguageDefinition(name, value, ActiveLanguage);
    LanguageCode = ActiveLanguage.Code;
    ToolFolderCode = ActiveLanguage.FolderCode;
    LanguageVersion = ActiveLanguage.Version;

    SetCaption(StrBeforeLast(Caption(), " - ") + " - " + ActiveLanguage.DisplayName);
    FrameFindexecPemaris->LabelFindExec->SetCaption(ActiveLanguage.DisplayName + " program");
    ClearProject();
    ApplyLanguageExtras();

    // Pick frames: each gets its default and an empty edit.
    TPickContext ctx;
    ctx.toolRoot = ToolRoot;
    ctx.code = LanguageCode;
    ctx.shortTool = Product.ShortToolName;
    ctx.version = LanguageVersion;
    ctx.iniPath = GetProductIniFileName();
    ctx.iniBesideProgram = IniFileBesideProgram();
    const TPickDefaults d = ComputePickDefaults(ctx, LanguageExtras);
    const std::pair<TFrameFindexec*, const std::string*> frames[] = {
        {FrameFindexecEditorGeneral, &d.EditorGeneral}, {FrameFindexecLimits, &d.Limits},
        {FrameFindexecRules, &d.Rules},                 {FrameFindexecMetrics, &d.Metrics},
        {FrameFindexecFunctab, &d.Functab},             {FrameFindexecSpecs, &d.Specs},
        {FrameFindexecPemaris, &d.Pemaris},             {FrameFindexecTransform, &d.Transform},
        {FrameFindexecWordScanner, &d.WordScanner},     {FrameFindexecTestDesigner, &d.TestDesigner},
        {FrameFindexecTstSpecTemplate, &d.TstSpecTemplate}, {FrameFindexecSearch, &d.Search},
    };
    for (const auto& [frame, def] : frames) {
        frame->DefaultName = *def;
        frame->ClearFileName();
    }

    // Folders used last, for the main products.
    if (IsMainKind(Product.Kind)) {
        const std::string docs = ExcludeTrailingSeparator(GetMyDocumentsDir(), '/');
        std::string last = ReadSettingStrDef("LastPosition" + LanguageCode, ReadSettingStr("LastPosition"));
        if (last.empty() || !DirectoryExists(last)) {
            last = ExcludeTrailingSeparator(ReadSettingStr("LastPosition"), '/');
            if (!ForceDirectories(last)) last = docs;
        }
        JobFolder = IncludeTrailingSeparator(last, '/');
        std::string out = ExcludeTrailingSeparator(
            ReadSettingStrDef("LastOutputDir" + LanguageCode, ReadSettingStrDef("LastOutputDir", docs)), '/');
        if (!ForceDirectories(out)) {
            out = ExcludeTrailingSeparator(ReadSettingStr("LastOutputDir"), '/');
            if (!ForceDirectories(out)) out = docs;
        }
        const std::string sub = LanguageSubfolder(out);
        if (!sub.empty()) out = IncludeTrailingSeparator(out, '/') + sub;
        FrameFindDirectoryOutputDir->Edit->SetText(out);
    }
    WorkFolder = WorkFolderOf(FrameFindDirectoryOutputDir->Edit->Text());
    LoadFileListDefinitions(ActiveRadioButton);
    if (skipLists) return;
    LoadParameterLists();
    bool info = false;
    const std::string msg = ParameterFilesMessage(FailedParameterFiles, info);
    // Nothing to say clears the bar, unless a switch of the language was
    // reported: that must stay in view. A standing warning comes back.
    if (msg.empty()) {
        if (LanguageExtrasProblems.empty()) {
            MyStB->ClearMessage();
            ShowStandingWarning();
        }
    } else if (info) MyStB->ShowInfo(msg);
    else MyStB->ShowWarning(msg);
    ShowDOSStartNote();
}

// -------------------------------------------------------------- switches

std::string TfrmPemarisMain::GetLanguageExtra(const std::string& code, const std::string& key) {
    return LanguageExtra(IniLines(), code, key);
}

std::string TfrmPemarisMain::GetRootFilePath(const std::string& name) {
    if (name.empty()) return {};
    return FindFileIgnoringCase(ToolRoot + "/" + ReplaceChar('\\', '/', name));
}

int TfrmPemarisMain::ArrangeCheckBoxes(TGroupBox* box) {
    // The box's layout stacks its check boxes; widen them all to the widest
    // caption and report the height they take.
    int widest = 0, height = 0, shown = 0;
    std::vector<TCheckBox*> boxes;
    for (QObject* o : box->children())
        if (auto* c = dynamic_cast<TCheckBox*>(o); c && c->Visible()) boxes.push_back(c);
    for (TCheckBox* c : boxes) widest = std::max(widest, c->sizeHint().width());
    for (TCheckBox* c : boxes) {
        c->setMinimumWidth(widest);
        height += c->sizeHint().height();
        ++shown;
    }
    if (box->layout()) height += box->layout()->spacing() * std::max(0, shown - 1);
    return height;
}

void TfrmPemarisMain::ApplyLanguageExtras() {
    const TStringList lines = IniLines();
    std::vector<TIniProblem> problems;
    LanguageExtras = ReadLanguageExtras(lines, LanguageCode, problems);
    LanguageCompanions = ReadLanguageCompanions(lines, LanguageCode);
    // Each unusable switch is reported once per selection, however often the
    // switches are applied again on the way.
    LanguageExtrasProblems.clear();
    for (const auto& p : problems) {
        LanguageExtrasProblems.push_back(p.Message());
        const std::string list = "\r\n" + MyStB->MessageList + "\r\n";
        if (list.find("\r\n- " + p.Message() + "\r\n") == std::string::npos) MyStB->AddMessage(p.Message(), true);
    }
    const TLanguageExtras& x = LanguageExtras;
    const int kind = Product.Kind;

    SetOptionLevel(x.DirDepth);
    TabSheetRulesMetricsUsw->SetTabVisible(x.Analpar);
    TabSheetRules->SetTabVisible(x.Rules);
    FrameFindexecRules->SetVisible(x.Rules);
    CheckListBoxRules->SetVisible(x.Rules);
    const bool limits = x.MaxValues || x.Rules;
    TabSheetLimits->SetTabVisible(limits);
    FrameFindexecLimits->SetVisible(limits);
    TabSheetMetrics->SetTabVisible(x.Metrics);
    FrameFindexecMetrics->SetVisible(x.Metrics);
    CheckListBoxMetrics->SetVisible(x.Metrics);
    TabSheetSpecs->SetTabVisible(x.Specs);
    FrameFindexecSpecs->SetVisible(x.Specs);
    CheckListBoxSpecs->SetVisible(x.Specs);
    TabSheetFunctab->SetTabVisible(x.Functab);
    FrameFindexecFunctab->SetVisible(x.Functab);
    CheckListBoxFunctab->SetVisible(x.Functab);
    ShowAction(this, "ActRunTransform", x.Transf);
    FrameFindexecTransform->SetVisible(x.Transf);
    ActRunAnal->SetVisible(true);
    FrameFindexecPemaris->SetVisible(true);

    DocumentKind = 0;
    if (kind == 8) {
        if (SameText(LanguageCode, "DEFI")) DocumentKind = 7;
        else if (SameText(LanguageCode, "CHNG")) DocumentKind = 8;
        else if (SameText(LanguageCode, "TIME")) DocumentKind = 9;
    }
    const bool scan = x.Scan || kind == 8;
    TabSheetWordScan->SetTabVisible(scan);
    TabSheetObjects->SetTabVisible(scan && x.ObjectsEdit);
    const bool scanProg = scan && !x.ScanProg.empty();
    ActRunWordScanner->SetVisible(scanProg);
    FrameFindexecWordScanner->SetVisible(scanProg);
    if (scan) TabSheetFunctab->SetTabVisible(false);
    SetCategoryActionsVisible("WordList", true, scan);
    SetCategoryActionsVisible("Mindra", true, kind == 8);
    if (kind == 8) {
        ShowAction(this, "ActSpecStatistic", DocumentKind >= 7 && DocumentKind <= 9);
        ShowAction(this, "ActSpecRanking", DocumentKind == 7 || DocumentKind == 8);
    }
    BrasketPath = PlaceUnderRoot(ToolRoot, x.Brasket);
    WolmiraPath = PlaceUnderRoot(ToolRoot, x.Wolmira);
    TendrupPath = PlaceUnderRoot(ToolRoot, x.Tendrup);
    TextTags = x.TextTags;
    UseDictionaryFiles = false;
    DictionaryFilesPath.clear();
    if (!x.DictionaryFiles.empty()) {
        DictionaryFilesPath = ExpandRelativePath(ReplaceChar('\\', '/', x.DictionaryFiles), ToolRoot, '/');
        if (!FileExistsIgnoringCase(ChangeExt(DictionaryFilesPath, ".tdfc")) ||
            !FileExistsIgnoringCase(ChangeExt(DictionaryFilesPath, ".tdfall")))
            MyStB->AddError("DictionaryFilesName " + DictionaryFilesPath + " is invalid or file doesn't exist");
        UseDictionaryFiles = true;
        TextTags = true;
    }
    ShowAction(this, "ActRunTestDesigner", !x.TstDesignProg.empty());
    FrameFindexecTestDesigner->SetVisible(!x.TstDesignProg.empty());
    const bool plan = !x.TstSpecTemplate.empty() && (kind == 5 || kind == 6);
    ShowAction(this, "ActCreateVelling", plan);
    FrameFindexecTstSpecTemplate->SetVisible(plan);
    ShowAction(this, "ActNameByDirectory", kind == 0);
    if (kind != 0) SystemNameByDirectory = IniSettings.NameByDirectory = false;
    const bool search = !x.SearchProg.empty();
    ShowAction(this, "ActRunSearch", search);
    GroupBoxSearch->SetVisible(search);
    FrameFindexecSearch->SetVisible(search);
    if (search) {
        ComboBoxSearchType->SetItems(SearchKeyNames(LanguageCompanions.SearchKeys));
        ComboBoxSearchType->SetItemIndex(0);
    }
    GroupBoxExtras->SetVisible(x.Extras);
    CheckBoxComments->SetVisible(x.Comments);
    CheckBoxAudit->SetVisible(x.Audit);
    CheckBoxRedoc->SetVisible(x.Redoc);
    CheckBoxCalc->SetVisible(x.Calc);
    CheckBoxExports->SetVisible(x.Exports);
    for (TCheckBox* c : {CheckBoxLabels, CheckBoxBranches, CheckBoxCalls, CheckBoxMacros, CheckBoxIOs})
        c->SetVisible(x.InstruPar);
    CheckBoxRepo_Tab->SetVisible(x.Repo_Tab);
    const int used = ArrangeCheckBoxes(GroupBoxExtras);
    PanelSytemName->setMinimumHeight(std::max(PanelSytemName->minimumHeight(), used));
    PanelExtraFiles->SetVisible(x.Repo_Tab);
    if (x.Repo_Tab) {
        FrameFindexecRepo_Tab->StatusBar = MyStB;
        FrameFindexecRepo_Tab->Edit->SetText(ReadSettingStr("LastRepo_Tab"));
    }
    CreatePif = x.Create_PIF;
    ShowAction(this, "ActSpecifyMethodFile", x.HarnoxPost);
    const bool harnoxOwnList = x.HarnoxPost && kind == 7;
    RefuseListDrops = harnoxOwnList;
    GroupBoxSelectedFiles->setAcceptDrops(!harnoxOwnList);
    for (const char* a : {"ActToggleComponent", "ActToggleModule", "ActToggleSelect", "ActSelectAll", "ActUnselectAll"})
        ShowAction(this, a, !harnoxOwnList);
    for (const char* a : {"ActSpecifyTestCaseFile", "ActSpecifyTestExecutionLog", "ActSpecifyTestResult",
                          "ActViewMethodList"})
        ShowAction(this, a, x.HarnoxPost);
    PanelCommonRoot->SetVisible(!x.HarnoxPost);
    CheckListBoxSelectedFiles->SetEnabled(true); // and sorted, as it always is
    for (const char* tool : {"TSP", "TST", "TSC", "TSM", "CTA"}) {
        const bool on = x.HarnoxPost && !GetRootFilePath(LanguageExtra(lines, tool, "Procpgm")).empty();
        Act(std::string("ActRun") + tool)->SetVisible(on);
    }
    ExtraScreen = x.ExtraScreen;
    if (kind == 0) {
        ShowAction(this, "ActModuleRanking", x.Ranking);
        ShowAction(this, "ActDeficiencyRanking", x.Ranking);
    }
    ShowAction(this, "ActViewDefis", kind == 0 || kind == 1);
    ShowAction(this, "ActViewSpecs", kind >= 3 && kind <= 6);
    ShowAction(this, "ActViewTestCases", kind == 5 || kind == 6);
    ShowAction(this, "ActViewMetrics", kind == 0 || kind == 1 || kind == 5 || kind == 6);
    ShowAction(this, "ActXMLEditor", kind == 8);
    ShowAction(this, "ActCompoundMetrics", kind == 0);

    // Caption overrides: undo the previous language's, apply this one's.
    for (const auto& [name, prev] : ActionOverrides) {
        TAction* a = ActionListMain->FindAction(name);
        if (!a) continue;
        if (prev == "*Y") a->SetVisible(true);
        else if (prev == "*N") a->SetVisible(false);
        else a->SetCaption(prev);
    }
    ActionOverrides.clear();
    const TStringList caps = CaptionOverrides(LanguageCompanions.Captions);
    for (TAction* a : ActionListMain->ActionVector()) {
        const std::string v = caps.Values(a->Name());
        if (v.empty()) continue;
        if (v == "*") {
            ActionOverrides[a->Name()] = std::string("*") + (a->Visible() ? "Y" : "N");
            a->SetVisible(false);
        } else {
            ActionOverrides[a->Name()] = a->Caption();
            a->SetCaption(v);
        }
    }

    const TStringList types = WordScanObjectTypes(lines, LanguageCode);
    ComboBoxEditCWrd->SetItems(types);
    ComboBoxEditCWrd->SetItemIndex(0);
    ComboBoxCreateWrdList->SetItems(types);
    ComboBoxCreateWrdList->SetItemIndex(0);
    ArrangeButtonsInRows(PanelBitButtons);
}

// ------------------------------------------------------- parameter lists

void TfrmPemarisMain::LoadParameterLists() {
    ApplyLanguageExtras();
    // Frames outside the extra-files panel whose file is missing.
    for (TComponent* c : ComponentList()) {
        auto* f = dynamic_cast<TFrameFindexec*>(c);
        if (!f || f->parentWidget() == PanelExtraFiles) continue;
        if (!f->CheckFile()) {
            TabSheetTech->SetTabVisible(true);
            PageControlMain->SetActivePage(TabSheetTech);
        }
    }
    SetupDOSStart(CreatePif);
    const QColor normal = TFrameFindexec::ColorNormal();
    ActRunAnal->SetEnabled(FrameFindexecPemaris->EditColor() == normal);
    Act("ActRunTransform")->SetEnabled(FrameFindexecTransform->EditColor() == normal);
    ActRunWordScanner->SetEnabled(FrameFindexecWordScanner->EditColor() == normal);
    RefillMetricWeights();

    FailedParameterFiles.clear();
    const std::pair<TFrameFindexec*, TCheckListBox*> lists[] = {
        {FrameFindexecFunctab, CheckListBoxFunctab}, {FrameFindexecRules, CheckListBoxRules},
        {FrameFindexecSpecs, CheckListBoxSpecs},     {FrameFindexecLimits, CheckListBoxLimits},
        {FrameFindexecMetrics, CheckListBoxMetrics},
    };
    const std::pair<TFrameFindexec*, const char*> kinds[] = {
        {FrameFindexecLimits, "Limits"}, {FrameFindexecRules, "Rules"},   {FrameFindexecMetrics, "Metrics"},
        {FrameFindexecFunctab, "Functab"}, {FrameFindexecSpecs, "Specs"},
    };
    for (const auto& [frame, list] : lists)
        if (frame->CheckChangedSinceProject(list, JobFileDate)) SetModified(true);
    for (const auto& [frame, kindName] : kinds)
        if (frame->Visible() && !FileExistsIgnoringCase(frame->FileName())) FailedParameterFiles.push_back(kindName);

    if (TabSheetWordScan->TabVisible()) {
        EditObjects->SetVisible(false);
        if (!FrameFindexecFunctab->FileName().empty() && CheckListBoxControlTags->Count() == 0 &&
            RichEditCTLWords->Text().empty())
            LoadWordListFromFunctab();
    }
    if (!FrameFindexecLimits->FileName().empty() && StringGridNumParams->RowCount() < 4)
        FillNumParamsGrid(CheckListBoxLimits->Items());

    const std::string out = FrameFindDirectoryOutputDir->Edit->Text();
    WorkFolder = WorkFolderOf(out);
    if (DirectoryExists(out) || (Loading && !out.empty())) {
        if (Loading && !out.empty()) {
            ForceDirectories(out);
            ForceDirectories(WorkFolder);
            if (SameText(LanguageCode, "PB"))
                for (const char* sub : {"/ProcTabs", "/InclTabs", "/CommTabs", "/DataTabs", "/MaskTabs", "/StmtTabs"})
                    ForceDirectories(WorkFolder + sub);
        }
    } else {
        Dialogs().MessageDlg("The project's output directory - " + out + " - doesn't exist\r\nplease define an output directory",
                             TMsgDlgType::mtWarning, mbOK);
        CheckOutputDirectory();
    }
    const std::string limitsFile = FrameFindexecLimits->FileName();
    if (!limitsFile.empty() && !FileExistsIgnoringCase(limitsFile)) {
        if (MyStB->Severity >= 2) MyStB->AddError("No LIMITS.TXT exists, internal defaults are used");
        else MyStB->ShowWarning("No LIMITS.TXT exists, internal defaults are used");
    }
}

// ------------------------------------------------------------ limits grid

void TfrmPemarisMain::FillNumParamsGrid(const TStringList& lines) {
    fillingGrid_ = true;
    StringGridNumParams->SetRowCount(0);
    for (const TNumParamRow& r : NumParamRows(lines)) {
        const int row = StringGridNumParams->RowCount();
        StringGridNumParams->SetRowCount(row + 1);
        StringGridNumParams->SetCell(0, row, r.caption);
        StringGridNumParams->SetCell(1, row, r.value);
        StringGridNumParams->SetCell(2, row, r.name);
        try {
            CheckNumParamCell(1, row);
        } catch (const EAbort&) {
        } catch (const Exception&) {
            // The value stays as written; the engineer sees it in the grid.
        }
        if (StringGridNumParams->Cell(1, row).empty()) StringGridNumParams->SetRowCount(row);
    }
    const QFontMetrics fm(StringGridNumParams->font());
    StringGridNumParams->setColumnWidth(1, fm.horizontalAdvance("000000") + 8);
    StringGridNumParams->resizeColumnToContents(0);
    StringGridNumParams->resizeColumnToContents(2);
    int w = 0;
    for (int c = 0; c < 3; ++c) w += StringGridNumParams->columnWidth(c);
    StringGridNumParams->setMinimumWidth(std::min(w + 4, 2000));
    fillingGrid_ = false;
}

void TfrmPemarisMain::CheckNumParamCell(int col, int row) {
    if (row < 0 || row >= StringGridNumParams->RowCount()) return;
    const std::string text = StringGridNumParams->Cell(col, row);
    std::string value;
    try {
        value = CheckNumParamText(text);
    } catch (const EConvertError&) {
        throw;
    } catch (const Exception& e) {
        MyStB->Error(e.Message());
    }
    // Right-aligned: leading blanks until it is as wide as "000000".
    const QFontMetrics fm(StringGridNumParams->font());
    const int target = fm.horizontalAdvance("000000");
    while (fm.horizontalAdvance(QString::fromLatin1(value.c_str())) < target && value.size() < 40) value = " " + value;
    const bool was = fillingGrid_;
    fillingGrid_ = true;
    StringGridNumParams->SetCell(col, row, value);
    fillingGrid_ = was;
}

void TfrmPemarisMain::StringGridNumParamsEnter(TComponent*) {
    if (StringGridNumParams->RowCount() > 0) StringGridNumParams->setCurrentCell(0, 1);
    StringGridNumParams->setEditTriggers(QAbstractItemView::AllEditTriggers);
}

void TfrmPemarisMain::StringGridNumParamsSelectCell(int col, int row, bool& canSelect) {
    canSelect = col == 1;
    if (!canSelect) {
        if (row >= 0) {
            fillingGrid_ = true;
            StringGridNumParams->setCurrentCell(row, 1);
            fillingGrid_ = false;
        }
        return;
    }
    if (numParamPrev_.second >= 0 && numParamPrev_.second != row) CheckNumParamCell(1, numParamPrev_.second);
    const std::string t = StringGridNumParams->Cell(1, row);
    const bool was = fillingGrid_;
    fillingGrid_ = true;
    StringGridNumParams->SetCell(1, row, TrimLeftCharSet(t, csControlAndBlank));
    fillingGrid_ = was;
}

void TfrmPemarisMain::StringGridNumParamsExit(TComponent*) {
    StringGridNumParams->EndEdit();
    CheckNumParamCell(1, StringGridNumParams->currentRow());
    StringGridNumParams->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TfrmPemarisMain::CheckNumParamsGrid() {
    // What is being typed counts too; the first bad value ends the operation
    // with the cell's own message, so no unchecked limit is ever stored.
    StringGridNumParams->EndEdit();
    for (int row = 0; row < StringGridNumParams->RowCount(); ++row) {
        try {
            CheckNumParamCell(1, row);
        } catch (const EConvertError& e) {
            // The cell in question becomes the current one (no check of the
            // cell left on the way).
            fillingGrid_ = true;
            StringGridNumParams->setCurrentCell(row, 1);
            fillingGrid_ = false;
            MyStB->Error(e.Message());
        }
    }
}

void TfrmPemarisMain::StringGridNumParamsSetEditText(TComponent*) {
    if (!fillingGrid_) SetModified(true);
}

} // namespace pem
