// The main window's creation, first showing and hiding: recognising the
// product from the program's own name and shaping the window to it.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "ButtonRows.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "CmdLine.h"
#include "ControlEvents.h"
#include "DesktopServices.h"
#include "DropRouter.h"
#include "FindDirectoryFrame.h"
#include "OnExit.h"
#include "SourceFileListBox.h"
#include "WM_DropFilesComponents.h"
#include "Exceptions.h"
#include "PrintDispatch.h"
#include "QtText.h"
#include "ResultTabs.h"
#include "SettingsStore.h"
#include "SharedRoutinesCommon.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFontMetrics>
#include <QPointer>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace pem {

std::string TfrmPemarisMain::ExecutablePath;
int TfrmPemarisMain::BareToolNumber = 0;

namespace {
TfrmPemarisMain* g_main = nullptr;

std::string FileNameOf(const std::string& path) {
    auto p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}
std::string StemOf(const std::string& path) {
    std::string name = FileNameOf(path);
    auto dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}
} // namespace

TfrmPemarisMain* MainForm() { return g_main; }

TfrmPemarisMain::TfrmPemarisMain() : TForm("frmPemarisMain", "TfrmPemarisMain") {
    if (!g_main) g_main = this;
    BuildComponents();
    // Any fault while creating ends in the fatal-start close at the first
    // showing, never in a half-built running window.
    OnCreate = [this](TComponent* s) {
        try {
            FormCreate(s);
        } catch (const EAbort&) {
            throw;
        } catch (const std::exception& e) {
            MyStB->ShowError(e.what(), true);
            Abort();
        }
    };
    OnShow = [this](TComponent* s) { FormShow(s); };
    OnHide = [this](TComponent* s) { FormHide(s); };
    OnCloseQuery = [this](TComponent* s, bool& c) { FormCloseQuery(s, c); };
    OnMessage = [this](int msg) {
        if (msg == WM_USER) OnMyMessage_0();
    };
    BindJobActions();
    BindJobDropHandlers();
    BindViewerActions();
    BindPrintActions();
    RegisterTestCaseFrame();
    BindEvaluationActions();
    BindStatisticActions();
    BindSourceHandlers();
    BindXMLEditorActions();
    BindWordListHandlers();
    BindOutputDirectoryHandlers();
    BindParameterHandlers();
    BindRunActions();
}

TfrmPemarisMain::~TfrmPemarisMain() {
    // The controls die after this window's own part: what they send while
    // dying (signals of their models, events to the watchers) must reach no
    // handler of the window. Signals are blocked, and the watchers go while
    // the window is whole (see TFormEventFilter).
    std::vector<QPointer<QObject>> watchers;
    for (QObject* o : findChildren<QObject*>()) {
        o->blockSignals(true);
        if (dynamic_cast<TFormEventFilter*>(o)) watchers.emplace_back(o);
    }
    for (const QPointer<QObject>& w : watchers) delete w.data();
    if (g_main == this) g_main = nullptr;
}

std::string TfrmPemarisMain::ExeFolder() const {
    auto p = ExecutablePath.find_last_of('/');
    return p == std::string::npos ? std::string("./") : ExecutablePath.substr(0, p + 1);
}

TAction* TfrmPemarisMain::Act(const std::string& name) const {
    TAction* a = ActionListMain ? ActionListMain->FindAction(name) : nullptr;
    if (!a) throw Exception("Unknown action " + name);
    return a;
}

TTabSheet* TfrmPemarisMain::LanguageTabOf(const TRadioButton* button) const {
    const QWidget* p = button->parentWidget();
    for (int i = 0; i < 2 && p; ++i) p = p->parentWidget();
    return dynamic_cast<TTabSheet*>(TComponent::Of(p));
}

// ---------------------------------------------------------------- creation

void TfrmPemarisMain::FormCreate(TComponent*) {
    // 1. The installed-language list exists from construction on.
    InstalledLanguages.Clear();
    // 2.
    ActCalculateCommonRootStrict->SetVisible(false);
    ShowHelperPages(false);
    // 3. Animated cursors: the busy cursor stands in for all four.
    // 4. Product recognition.
    std::string programName = AsciiLowerCase(StemOf(ExecutablePath));
    programName = AsciiLowerCase(ResolveBareToolName(programName, BareToolNumber));
    const TAnalTypeConstants* row = FindProduct(programName);
    if (!row) {
        // Creation stops here; the first showing closes the program.
        MyStB->Error("Application name: " + programName + " is invalid");
        return;
    }
    Product = *row;
    ProductRecognised = true;
    const int kind = Product.Kind;

    // 5.
    for (TTabSheet* t : {TabSheetLangSel_Pemaris, TabSheetLangSel_Mindra, TabSheetLangSel_Velling,
                         TabSheetLangSel_Harnox})
        t->SetTabVisible(false);
    ConsoleStubPath = ExeFolder() + "console_stub";
    // 6.
    std::string help;
    auto useTab = [&](TTabSheet* t, TGroupBox* b, TRadioGroup* g) {
        LangTab = t;
        LangGroupBox = b;
        LangVerGroup = g;
        t->SetTabVisible(true);
    };
    switch (kind) {
    case 0: case 1: case 2:
        useTab(TabSheetLangSel_Pemaris, GroupBoxLangSel_Pemaris, RadioGroupLangver_Pemaris);
        help = "HELP_KORVEX.HLP";
        break;
    case 3: case 4:
        useTab(TabSheetLangSel_Pemaris, GroupBoxLangSel_Pemaris, RadioGroupLangver_Pemaris);
        help = "HELP_LUMIDOR.HLP";
        break;
    case 5: case 6:
        useTab(TabSheetLangSel_Velling, GroupBoxLangSel_Velling, RadioGroupLangver_Velling);
        Act("ActViewDefis")->SetVisible(false);
        for (const char* a : {"ActViewSpecs", "ActViewTestCases", "ActViewMetrics"}) Act(a)->SetVisible(true);
        help = "HELP_VELLING.HLP";
        if (kind == 6) PanelTCAnal->SetVisible(false);
        break;
    case 7:
        useTab(TabSheetLangSel_Harnox, GroupBoxLangSel_Harnox, RadioGroupLangver_Harnox);
        help = "HELP_HARNOX.HLP";
        break;
    default:
        useTab(TabSheetLangSel_Mindra, GroupBoxLangSel_Mindra, RadioGroupLangver_Mindra);
        help = "HELP_HARNOX.HLP";
        break;
    }
    Application().HelpFile = ExeFolder() + help;
    // 7.
    SetHelpContexts();
    // 8.
    if (!FileExists(ConsoleStubPath)) ConsoleStubPath.clear();
    // 9.
    Application().Icon = ImageListApplIcons->Icon(Product.Family);
    setWindowIcon(Application().Icon);
    if (qApp) QApplication::setWindowIcon(Application().Icon);
    // 10.
    ShowProductIniFile();
    ApplyIniSettings(0);
    // 11.
    ParameterDocuments.Clear();
    WorkList.Clear();
    SetModified(false);
    // 12. Tool root.
    std::string root;
    if (!FindCmdLineValue("-Root:-R", root) || root.empty()) {
        root = ExeFolder();
        if (root.size() > 1) root.pop_back();
    }
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    // Tools run in the output directory: a root relative to the folder the
    // program was started in is made absolute once, here.
    if (!root.empty() && root.front() != '/') {
        std::error_code ec;
        const std::filesystem::path cwd = std::filesystem::current_path(ec);
        if (!ec) root = Utf8ToCp1252((cwd / Cp1252ToUtf8(root)).lexically_normal().string());
        while (root.size() > 1 && root.back() == '/') root.pop_back();
    }
    if (SameText(FileNameOf(root), Product.ToolsFolderName)) {
        std::string sub = Product.RootSubfolder;
        for (char& c : sub)
            if (c == '\\') c = '/';
        // The subfolder as the installation spells it ("measure/KORVEX").
        const std::string found = FindDirIgnoringCase(root + sub);
        if (!found.empty()) root = found;
    }
    ToolRoot = root;
    // 13. No file loop runs.
    FileLoopStop = true;
    // 14. The pick frames report through MyStB (done where they are made).
    // 15.
    ProgramVersion = GetVersionInfoValue("FileVersion");
    // 16.
    if (CmdLineSwitch("-Register:-Shell") && IsMainKind(kind)) RegisterJobFileType();
    // 17.
    if (SystemCaptureConsole) {
        resize(width(), height() + MemoCaptureConsole->maximumHeight());
        MemoCaptureConsole->SetVisible(true);
        MemoCaptureConsole->Clear();
    }
    // 18. Measures for the owner-drawn lists.
    ListItemHeight = QFontMetrics(CheckListBoxSelectedFiles->font()).height();
    WidthIndexPrefix = TextWidthWithMargin(std::string("[01] "), ComboBoxMetricsWeights->font());
    WidthWidestWeight = 0;
    for (int i = 0; i < ComboBoxMetricsWeights->count(); ++i)
        WidthWidestWeight = std::max(
            WidthWidestWeight, TextWidthWithMargin(ComboBoxMetricsWeights->itemText(i), ComboBoxMetricsWeights->font()));
    WidthControlTagCol = TextWidthWithMargin(std::string("WWWW "), CheckListBoxControlTags->font()) - 1;
    // 19.
    SavedTitle = Application().Title;
    // 20. Action buttons.
    std::vector<std::string> buttons;
    switch (kind) {
    case 0: case 1: case 2:
        buttons = {"ActRunWordScanner", "ActModuleRanking", "ActSpecRanking", "ActDeficiencyRanking",
                   "ActCompoundMetrics"};
        break;
    case 3: case 4: buttons = {"ActRunWordScanner", "ActRunTransform", "ActRunSearch"}; break;
    case 5: buttons = {"ActRunWordScanner", "ActCreateVelling", "ActRunTestDesigner"}; break;
    case 6: buttons = {"ActRunWordScanner", "ActRunTestDesigner"}; break;
    case 7:
        buttons = {"ActRunWordScanner", "ActCreateVelling", "ActRunTestDesigner", "ActRunTSP", "ActRunTST",
                   "ActRunTSC", "ActRunTSM", "ActRunCTA"};
        break;
    default: buttons = {"ActRunWordScanner", "ActSpecStatistic", "ActSpecRanking"}; break;
    }
    const int tag = (kind <= 2) ? BitBtnRunAnal->Tag() + 1 : -1;
    bool first = true;
    const std::set<std::string> remembered = {"ActCompoundMetrics", "ActModuleRanking", "ActRunTestDesigner",
                                              "ActRunTSP", "ActRunTST", "ActRunTSC", "ActRunTSM", "ActRunCTA"};
    for (const auto& name : buttons) {
        TBitBtn* b = CreateActionButton(BitBtnRunAnal, Act(name), tag);
        if (first) {
            b->SetTabOrder(0);
            first = false;
        }
        if (remembered.count(name)) RememberedButtons[name] = b;
    }
    if (kind == 7) {
        for (const char* name : {"ActSpecifyTestCaseFile", "ActSpecifyMethodFile", "ActSpecifyTestExecutionLog",
                                 "ActSpecifyTestResult", "ActSpecifyDefiXML"})
            CreateActionButton(BitBtnAddFiles, Act(name), -1);
    }
    // 21.
    std::string autoRun;
    FindCmdLineValue("-AutoRun:-ar", autoRun);
    AutoRun = SameText(autoRun, "Anal") ? 1 : SameText(autoRun, "Scan") ? 3 : 0;
    // 22.
    FitFormToWorkArea(this);
}

TBitBtn* TfrmPemarisMain::CreateActionButton(TBitBtn* templ, TAction* action, int tag) {
    QWidget* parent = templ->parentWidget();
    auto* b = new TBitBtn(this, nullptr, "BitBtn" + action->Name().substr(3));
    b->setParent(parent);
    if (auto* box = qobject_cast<QBoxLayout*>(parent->layout())) {
        // Before the stretch that closes the row.
        int at = box->count();
        if (at > 0 && box->itemAt(at - 1)->spacerItem()) --at;
        box->insertWidget(at, b);
    }
    b->setIcon(templ->icon());
    b->setMinimumHeight(templ->minimumHeight());
    b->SetAction(action);
    b->SetTag(tag == -1 ? templ->Tag() : tag);
    return b;
}

void TfrmPemarisMain::SetHelpContexts() {
    auto ctx = [this](const char* name, int c) {
        if (TComponent* comp = FindComponentDeep(name)) comp->SetHelpContext(c);
    };
    switch (Product.Kind) {
    case 0: case 1: case 2:
        SetHelpContext(9999);
        ctx("TabSheetLangSel_Pemaris", 9);
        ctx("TabSheetNames", 10);
        ctx("TabSheetRulesMetricsUsw", 11);
        ctx("TabSheetWordScan", 12);
        ctx("PageControlWordLists", 12);
        ctx("CheckListBoxControlTags", 12);
        ctx("File1", 3);
        ctx("Actions1", 4);
        ctx("PanelBitButtons", 4);
        ctx("Viewers1", 5);
        ctx("Logs1", 6);
        ctx("Abouttheprogram1", 7);
        ctx("PageControlEditor", 15);
        ctx("ActRunWordScanner", 13);
        ctx("ActRunAnal", 14);
        ctx("ComboBoxCreateWrdList", 19);
        ctx("ComboBoxEditCWrd", 19);
        ctx("EditCWrd", 19);
        break;
    case 5: case 6:
        if (Product.Kind == 5) SetHelpContext(9999);
        ctx("TabSheetLangSel_Velling", 34);
        ctx("TabSheetNames", 36);
        ctx("TabSheetRulesMetricsUsw", 38);
        ctx("TabSheetControlWDS", 40);
        ctx("TabSheetWordScan", 40);
        ctx("File1", 44);
        ctx("Actions1", 45);
        ctx("PanelBitButtons", 45);
        ctx("Viewers1", 46);
        ctx("PageControlEditor", 46);
        break;
    case 7:
        SetHelpContext(9999);
        ctx("PageControlMain", 38);
        ctx("GroupBoxLangSel_Harnox", 40);
        ctx("TabSheetNames", 41);
        ctx("TabSheetRulesMetricsUsw", 42);
        for (const char* a : {"ActRunTSP", "ActRunTST", "ActRunTSC", "ActRunTSM"}) ctx(a, 43);
        break;
    case 8: SetHelpContext(9999); break;
    default: break;
    }
}

// ------------------------------------------------------------- first showing

void TfrmPemarisMain::FormShow(TComponent*) {
    // 1.
    if (MyStB->Severity >= 2) {
        PostMessage(WM_USER);
        Abort();
    }
    // A start asked to run by itself that never reaches the run ends the
    // program (with 1), whatever way the showing is left.
    TOnExit unreached([this] {
        if (AutoRunAsked() && !AutoRunReached) EndAutoRunStart();
    });
    // 2.
    SetModified(false);
    Application().ProcessMessages();
    // 3.
    RouteSettingsWarnings();
    SetSettingsApplication(Product.ProgramName + " Shell");
    SetSettingsSection("Parameters");
    WriteSetting("ProgramVersion", ProgramVersion);
    // 4. Dropped files.
    for (QWidget* w : std::initializer_list<QWidget*>{GroupBoxSelectedFiles, BitBtnAddDirectories, BitBtnAddFiles,
                                                      FrameFindDirectoryOutputDir, BitBtnImportWordlist})
        DragAcceptFiles(w, true);
    // 5.
    RegisterJobDropTarget();
    // 6.
    BindOutputDirectoryNotifications();
    // 7.
    ApplyViewerFontFromSettings();
    // 8.
    ApplyGeometryFromSettings();
    // 9.
    SetCaption(Product.MainCaption + " - ");
    // 10. Installation check.
    const bool xmlWasEnabled = FindComponentDeep("RadioButtonXML") &&
                               static_cast<TRadioButton*>(FindComponentDeep("RadioButtonXML"))->Enabled();
    bool skipJob = false;
    bool checkFailed = false;
    try {
        ApplyIniSettings(2);
    } catch (const EAbort&) {
        checkFailed = true;
    }
    if (checkFailed) {
        if (!ActiveRadioButton) return;
        AutoRun = 0;
        MyStB->UseMessageBox = false;
        skipJob = true;
    }
    if (Product.Kind == 2) {
        auto* xml = dynamic_cast<TRadioButton*>(FindComponentDeep("RadioButtonXML"));
        if (xmlWasEnabled) {
            for (const char* n : {"RadioButtonSQL_DB2", "RadioButtonSQL_Oracle", "RadioButtonSQL_MS"})
                if (auto* b = dynamic_cast<TRadioButton*>(FindComponentDeep(n))) b->SetEnabled(false);
        } else if (xml) {
            xml->SetEnabled(false);
        }
    }
    // 11.
    SetModified(false);
    // 12.
    ActShowAdvanced->SetVisible(CmdLineSwitch("-ShowAdvanced:-ShA"));
    ActShowAdvanced->SetChecked(DebugMode && ActShowAdvanced->Visible());
    ActShowAdvancedExecute(nullptr);
    // 13.
    if (LangTab && LangTab->TabVisible()) PageControlMain->SetActivePage(LangTab);
    else PageControlMain->SetActivePage(TabSheetNames);
    // 14.
    ActSwitchOffLogExecute(nullptr);
    // 15. The job. A job that cannot be loaded, like an installation check
    // that ended in an error, leaves its messages on the bar; the start then
    // goes on as without a job, and runs nothing by itself.
    LoadRememberedJobs();
    bool failed = skipJob;
    const std::string job = skipJob ? std::string() : StartJobFile();
    if (!job.empty()) {
        try {
            LoadProject(job);
        } catch (const EAbort&) {
            failed = true;
        }
        if (!failed) CheckBackgroundBatch();
        if (!failed) AutoRunJobFile = job;
        // From here on every save of an automatic run writes the file it
        // was started with, whatever the job's name: the start-up's own
        // saves included, which would otherwise ask where to save.
        if (!failed && (AutoRun == 1 || AutoRun == 3)) AutoRunSaveFile = job;
    }
    if (job.empty() || failed) {
        if (failed) AutoRun = 0;
        const std::string kept = MyStB->MessageList;
        const std::string keptLast = MyStB->LastMessage;
        try {
            if (ActiveRadioButton) {
                if (!ActiveRadioButton->Checked()) ActiveRadioButton->SetChecked(true);
                else RadioButtonClick(ActiveRadioButton);
            }
        } catch (const EAbort&) {
        }
        if (failed) ReportAgain(kept, keptLast);
    }
    // 16.
    PageControlHelper->SetActivePage(TabSheetComponentNames);
    for (TCheckListBox* l : {CheckListBoxComponentNames, CheckListBoxModuleNames, CheckListBoxMetrics})
        l->SetItemHeight(ListItemHeight);
    CheckListBoxSelectedFiles->SetItemHeight(ListItemHeight);
    // 17.
    if (IsDerivedKind(Product.Kind)) {
        for (TEdit* e : {EditProductName, EditSystemName, EditSystemVersion}) e->SetReadOnly(true);
        SetOutputDirectoryReadOnly(true);
        for (TAction* a : {ActOpenProject, ActNewProject, ActSaveProject, ActSaveProjectAs}) a->SetVisible(false);
    }
    // 18.
    if (Product.Kind == 1 || Product.Kind == 2 || Product.Kind == 4) ActCalculateCommonRootExecute(nullptr);
    // 19.
    MemoCaptureConsole->Clear();
    SetModified(false);
    ShowStandingWarning();
    // 20.
    StartAutoRun();
}

std::string TfrmPemarisMain::StartJobFile() {
    const int kind = Product.Kind;
    auto hasJobExt = [&](const std::string& f) {
        return FileExists(f) && f.size() >= Product.JobExtension.size() &&
               SameText(f.substr(f.size() - Product.JobExtension.size()), Product.JobExtension);
    };
    if ((kind == 1 || kind == 2 || kind == 6) && hasJobExt(RememberedDerivedJob)) return RememberedDerivedJob;
    if (kind == 4 && !RememberedJobName.empty() && FileExists(JobFolder + RememberedJobName + Product.JobExtension))
        return JobFolder + RememberedJobName + Product.JobExtension;
    std::string proj;
    FindCmdLineValue("-Proj:P", proj);
    if (!proj.empty() && hasJobExt(proj)) return proj;
    return {};
}

void TfrmPemarisMain::ReportAgain(const std::string& collected, const std::string& last) {
    // The selection cleared the bar: each collected message joins the list
    // again (answered questions, kept without "- ", stay answered), with no
    // dialog a second time.
    const bool box = MyStB->UseMessageBox;
    MyStB->UseMessageBox = false;
    TStringList lines;
    lines.SetText(collected);
    bool any = false;
    for (const auto& it : lines) {
        if (it.s.rfind("- ", 0) != 0) continue;
        MyStB->AddMessage(it.s.substr(2), true);
        any = true;
    }
    if (!any && !last.empty()) MyStB->AddMessage(last, true);
    MyStB->UseMessageBox = box;
}

void TfrmPemarisMain::ApplyViewerFontFromSettings() {
    std::string name = ReadSettingStr("FontName");
    if (name.empty()) return;
    TFontSpec& f = FontDialog1->Font;
    f.charSet = ReadSettingIntDef("FontCharSet", f.charSet);
    f.size = ReadSettingIntDef("FontSize", f.size);
    f.height = ReadSettingIntDef("FontHeight", f.height);
    f.name = name;
    f.bold = ReadSettingBoolDef("FontBold", f.bold);
    f.italic = ReadSettingBoolDef("FontItalic", f.italic);
    f.underline = ReadSettingBoolDef("FontUnderline", f.underline);
    f.strikeOut = ReadSettingBoolDef("FontStrikeOut", f.strikeOut);
}

void TfrmPemarisMain::ApplyGeometryFromSettings() {
    if (ReadSettingInt("FormWidth") == 0) return;
    int top = ReadSettingIntDef("FormTop", y());
    int left = ReadSettingIntDef("FormLeft", x());
    int w = ReadSettingIntDef("FormWidth", width());
    int h = ReadSettingIntDef("FormHeight", height());
    int pw = ReadSettingIntDef("PanelBozomek.Width", PanelBozomek->width());
    move(left, top);
    resize(w, h);
    PanelBozomek->setFixedWidth(std::max(0, pw));
    PanelBozomek->setMinimumWidth(0);
    PanelBozomek->setMaximumWidth(QWIDGETSIZE_MAX);
    PanelBozomek->resize(pw, PanelBozomek->height());
}

void TfrmPemarisMain::FormHide(TComponent*) {
    if (!ProductRecognised || WindowState() != TWindowState::wsNormal) return;
    WriteSettingInt("FormTop", y());
    WriteSettingInt("FormLeft", x());
    WriteSettingInt("FormWidth", width());
    WriteSettingInt("FormHeight", height());
    WriteSettingInt("PanelBozomek.Width", PanelBozomek->width());
    WriteSettingInt("PanelLibraries.Width", PanelLibraries->width());
}

void TfrmPemarisMain::OnMyMessage_0() {
    MyStB->UseMessageBox = true;
    Modified = false;
    MyStB->ShowError("Fatal errors during start, application will be stopped", true);
    Close();
}

// ------------------------------------------------------------- registration

void TfrmPemarisMain::RegisterJobFileType() {
    const std::string exe = ExecutablePath;
    RegisterFileExtension(Product.JobExtension, Product.JobDescription);
    RegisterFileTypeIcon(Product.JobDescription, exe + ",0");
    RegisterFileTypeVerb(Product.JobDescription, "OpenAdvanced", "Start job with advanced options enabled",
                         "\"" + exe + "\" -sha -root \"" + ToolRoot + "\" -proj \"%1\"");
    RegisterFileTypeVerb(Product.JobDescription, "Open", "Start job",
                         "\"" + exe + "\" -root \"" + ToolRoot + "\" -proj \"%1\"");
}

// ------------------------------------------------------------ advanced view

void TfrmPemarisMain::ActShowAdvancedExecute(TComponent* sender) {
    if (sender) {
        ActShowAdvanced->SetChecked(!ActShowAdvanced->Checked());
        if (ActShowAdvanced->Checked()) PageControlMain->SetActivePage(TabSheetNames);
    }
    const bool on = ActShowAdvanced->Checked();
    TabSheetTech->SetTabVisible(on);
    SetCategoryActionsVisible("ExtraActions", false, on);
    MemoNewFileNames->SetVisible(on);
    TabSheetNewFileNames->SetTabVisible(on);
    MemoLongextension->SetVisible(on);
    TabSheetLongextension->SetTabVisible(on);
    PageControlHelper->SetMultiLine(true);
    PageControlHelper->SetVisible(on);
    PanelLibraries->SetVisible(on); // no empty side panel
}

void TfrmPemarisMain::ShowHelperPages(bool show) {
    PageControlHelper->SetMultiLine(true);
    if (show) {
        PageControlHelper->SetVisible(true);
        PanelLibraries->SetVisible(true);
    }
    PageControlHelper->SetActivePage(TabSheetModuleNames);
}

void TfrmPemarisMain::SetCategoryActionsVisible(const std::string& category, bool alsoEnable, bool value) {
    ForEachFormAction([&](TAction* a) {
        if (a->Category() != category) return;
        a->SetVisible(value);
        if (alsoEnable) a->SetEnabled(value);
    });
}

} // namespace pem
