// The main window's description: every component with its name, caption and
// place, the way a form designer would have laid it out.
#include "PemarisMain.h"

#include "LanguageButtons.h"
#include "SourceFileListBox.h"
#include "WM_DropFilesComponents.h"

#include <QHBoxLayout>
#include <QMenuBar>
#include <QSplitter>
#include <QStyle>

namespace pem {

namespace {

struct ActionDef {
    const char* name;
    const char* caption;
    const char* category;
    const char* shortCut = "";
    bool hidden = false; // shown later by the product, the language or the advanced view
    bool ticked = false; // an action with a tick state
};

constexpr bool H = true; // starts hidden

// ActionListMain in its stored order.
const ActionDef kActions[] = {
    {"ActNewProject", "New job", "Project"},
    {"ActOpenProject", "Open job...", "Project"},
    {"ActSaveProject", "Save job", "Project"},
    {"ActSaveProjectAs", "Save job as...", "Project"},
    {"ActCloseAll", "Exit", "Project"},
    {"ActRestartProject", "Reset output", "Project"},
    {"ActAddfiles", "Add &files to the job", "FileCollect", "Ctrl+B"},
    {"ActAddDirectories", "Add complete directories ", "FileCollect", "Ctrl+A"},
    {"ActRemoveFiles", "Remove &unchecked list items", "FileCollect"},
    {"ActToggleSelect", "&Reverse the selection", "FileCollect", "Alt+R"},
    {"ActSelectAll", "Select &all items in the list", "FileCollect", "Alt+A"},
    {"ActUnselectAll", "&Unselect all of the items", "FileCollect", "Alt+U"},
    {"ActToggleComponent", "Toggle whole component", "FileCollect"},
    {"ActToggleModule", "Toggle whole module", "FileCollect"},
    {"ActCalculateCommonRoot", "Analyze component/modul structure", "FileCollect"},
    {"ActCalculateCommonRootStrict", "Recalculate modular structure", "FileCollect"},
    {"ActCountLinesOnly", "Count lines only", "FileCollect"},
    {"ActNameByDirectory", "Automatically create \"Systems\"  by module level", "FileCollect", "", H, true},
    {"ActSpecifyTestCaseFile", "Select TestCase file", "FileCollect", "", H},
    {"ActSpecifyMethodFile", "Select Method file", "FileCollect", "", H},
    {"ActSpecifyTestExecutionLog", "Select test execution log", "FileCollect", "", H},
    {"ActSpecifyTestResult", "Select trace files", "FileCollect", "", H},
    {"ActSpecifyDefiXML", "Select Defect file", "FileCollect", "", H},
    {"ActRunAnal", "Analyse", "Generate"},
    {"ActRunWordScanner", "Word scanner", "Generate"},
    {"ActRunTransform", "Transform", "Generate", "", H},
    {"ActRunSearch", "Search", "Generate", "", H},
    {"ActRunTestDesigner", "Test designer", "Generate", "", H},
    {"ActCreateVelling", "Create Test Specificaton", "Generate", "", H},
    {"ActRunTSP", "TSP", "Generate", "", H},
    {"ActRunTST", "TST", "Generate", "", H},
    {"ActRunTSC", "TSC", "Generate", "", H},
    {"ActRunTSM", "TSM", "Generate", "", H},
    {"ActRunCTA", "CTA", "Generate", "", H},
    {"ActModuleRanking", "Module ranking", "Generate", "", H},
    {"ActDeficiencyRanking", "Deficiency ranking", "Generate", "", H},
    {"ActCompoundMetrics", "Compound metrics", "Generate", "", H},
    {"ActSpecStatistic", "View Defect Statistic Report", "Mindra", "", H},
    {"ActSpecRanking", "ActSpecRanking", "Mindra", "", H},
    {"ActCancelRun", "Cancel", "Run"},
    {"ActSwitchOnLog", "Show console", "Run"},
    {"ActSwitchOffLog", "Hide console", "Run"},
    {"ActDontRun", "Stop before starting COBOL subtask", "Run", "", false, true},
    {"ActViewSpecs", "Open specification listings", "Viewer", "Ctrl+S", H},
    {"ActViewDefis", "Open deficiency reports", "Viewer", "Ctrl+D"},
    {"ActViewTestCases", "View & Edit Test Cases", "Viewer", "Ctrl+T", H},
    {"ActViewMetrics", "Show metrics", "Viewer", "Ctrl+M", H},
    {"ActViewGeneral", "Open a file in the general internal viewer", "Viewer", "Ctrl+W"},
    {"ActViewNotepad", "Call external editor", "Viewer"},
    {"ActViewParameters", "Show XML parameter file in a viewer tab", "ExtraActions", "", H},
    {"ActViewProductLog", "View product log (<Productname>.log)", "Viewer", "Ctrl+L"},
    {"ActViewConsoleLog", "View console log from the last run", "Viewer", "", H},
    {"ActViewMethodList", "View/Edit method list", "Viewer", "", H},
    {"ActXMLEditor", "XML Editor", "Viewer", "", H},
    {"ActSelectFont", "Select font for the viewer/printer", "Viewer"},
    {"ActCloseTab", "Close current page", "Viewer", "Ctrl+F4"},
    {"ActCloseAllPages", "Close all editor pages", "Viewer"},
    {"ActSortBySource", "Sort by source file name", "Sort", "", false, true},
    {"ActSortByLevel", "Sort by deficiency level", "Sort", "", false, true},
    {"ActSortByRuleName", "Sort by rules", "Sort", "", false, true},
    {"ActFindText", "&Find text ", "Sort", "Ctrl+F"},
    {"ActLoadWordList", "Import a word list", "WordList"},
    {"ActSaveWordList", "Export word list to a file", "WordList"},
    {"ActLoadTextFile", "Load a text file to pick up control words", "WordList"},
    {"ActAddselectedToLIst", "Add selected text to word list", "WordList", "Ctrl+A"},
    {"ActRemoveDuplicates", "Remove duplicates", "WordList"},
    {"ActRemoveUnidentified", "Remove items with undefined type(\"????\")", "WordList"},
    {"ActPrintCurrent", "&Print ", "Print", "Ctrl+P"},
    {"ActPrintFile", "Print a file(s)", "Print"},
    {"ActSelectPrinter", "Select printer", "Print"},
    {"ActPreviewBeforePrinting", "Preview before printing", "Print", "", false, true},
    {"ActWriteINIFile", "Save INI file", "ExtraActions", "", H},
    {"ActShowAdvanced", "Advanced options", "Help", "", H, true},
    {"ActAbout", "About...", "Help"},
    {"ActHelpShell", "Help on Pemaris shell", "Help"},
};

} // namespace

void TfrmPemarisMain::BuildActions() {
    ActionListMain = new TActionList(this, "ActionListMain");
    for (const auto& d : kActions) {
        auto* a = new TAction(ActionListMain, d.name, d.caption, d.category);
        if (*d.shortCut) a->SetShortCut(d.shortCut);
        if (d.ticked) a->setCheckable(true);
        if (d.hidden) a->SetVisible(false);
    }
    ActRunAnal = Act("ActRunAnal");
    ActRunWordScanner = Act("ActRunWordScanner");
    ActSaveProject = Act("ActSaveProject");
    ActSaveProjectAs = Act("ActSaveProjectAs");
    ActOpenProject = Act("ActOpenProject");
    ActNewProject = Act("ActNewProject");
    ActShowAdvanced = Act("ActShowAdvanced");
    ActCalculateCommonRootStrict = Act("ActCalculateCommonRootStrict");
    ActionListMain->OnExecute = [this](TAction* a, bool& handled) { ActionListMainExecute(a, handled); };
    ActShowAdvanced->OnExecute = [this](TComponent* s) { ActShowAdvancedExecute(s); };
    Act("ActDontRun")->OnExecute = [this](TComponent* s) { ActDontRunExecute(s); };
}

void TfrmPemarisMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    File1 = new TMenuItem(this, bar, "File1", "&File");
    Actions1 = new TMenuItem(this, bar, "Actions1", "&Actions");
    Viewers1 = new TMenuItem(this, bar, "Viewers1", "&Viewers");
    Logs1 = new TMenuItem(this, bar, "Logs1", "&Logs");
    Abouttheprogram1 = new TMenuItem(this, bar, "Abouttheprogram1", "&Help");
    for (TMenuItem* m : {File1, Actions1, Viewers1, Logs1, Abouttheprogram1}) bar->addMenu(m);
    for (TAction* a : ActionListMain->ActionVector()) {
        const std::string cat = a->Category();
        if (cat == "Project" || cat == "Print") File1->addAction(a);
        else if (cat == "Viewer" || cat == "Sort") {
            if (a->Name() == "ActViewProductLog" || a->Name() == "ActViewConsoleLog") Logs1->addAction(a);
            else Viewers1->addAction(a);
        } else if (cat == "Help") Abouttheprogram1->addAction(a);
        else Actions1->addAction(a);
    }
}

void TfrmPemarisMain::BuildLanguageTabs() {
    struct TabDef {
        TLangTab kind;
        const char* suffix;
        const char* caption;
        TTabSheet** tab;
        TGroupBox** box;
        TRadioGroup** group;
    };
    const TabDef tabs[] = {
        {TLangTab::Pemaris, "Pemaris", "Language", &TabSheetLangSel_Pemaris, &GroupBoxLangSel_Pemaris,
         &RadioGroupLangver_Pemaris},
        {TLangTab::Mindra, "Mindra", "Document", &TabSheetLangSel_Mindra, &GroupBoxLangSel_Mindra,
         &RadioGroupLangver_Mindra},
        {TLangTab::Velling, "Velling", "Test tool", &TabSheetLangSel_Velling, &GroupBoxLangSel_Velling,
         &RadioGroupLangver_Velling},
        {TLangTab::Harnox, "Harnox", "Test tool", &TabSheetLangSel_Harnox, &GroupBoxLangSel_Harnox,
         &RadioGroupLangver_Harnox},
    };
    for (const auto& t : tabs) {
        std::string sfx = t.suffix;
        *t.tab = new TTabSheet(this, PageControlMain, "TabSheetLangSel_" + sfx, t.caption, TLayoutKind::Horizontal);
        *t.box = new TGroupBox(this, *t.tab, "GroupBoxLangSel_" + sfx, "Select", TLayoutKind::Horizontal);
        *t.group = new TRadioGroup(this, *t.tab, "RadioGroupLangver_" + sfx, "Version");
        static_cast<QBoxLayout*>((*t.tab)->layout())->setStretchFactor(*t.box, 3);
        (*t.group)->OnClick = [this](TComponent*) {
            if (!LangVerGroup) return;
            int i = LangVerGroup->ItemIndex();
            if (i >= 0) LanguageVersion = LangVerGroup->Items()[i];
        };
        // Buttons sit in columns of panels inside the group box; a button's
        // parent's parent's parent is its tab.
        std::vector<TPanel*> panels;
        for (const auto& b : LanguageButtonCatalogue()) {
            if (b.tab != t.kind) continue;
            while (static_cast<int>(panels.size()) <= b.column)
                panels.push_back(new TPanel(this, *t.box,
                                            "PanelLang" + sfx + std::to_string(panels.size() + 1)));
            auto* rb = new TRadioButton(this, panels[static_cast<size_t>(b.column)], b.name, b.caption);
            // The installation check enables what the INI file installs. XML
            // alone starts enabled: the test product takes that as XML being
            // offered and then greys the three SQL buttons instead, so its
            // installed XML stays selectable.
            rb->SetEnabled(std::string(b.name) == "RadioButtonXML");
            rb->OnClick = [this](TComponent* s) { RadioButtonClick(s); };
            LanguageButtons.push_back(rb);
        }
        for (TPanel* p : panels) static_cast<QBoxLayout*>(p->layout())->addStretch(1);
    }
}

void TfrmPemarisMain::BuildNamesTab() {
    TabSheetNames = new TTabSheet(this, PageControlMain, "TabSheetNames", "Names and files");
    PanelSytemName = new TPanel(this, TabSheetNames, "PanelSytemName", TLayoutKind::Horizontal);
    GroupBoxNames = new TGroupBox(this, PanelSytemName, "GroupBoxNames", "Job");
    new TLabel(this, GroupBoxNames, "LabelProductName", "Product name");
    EditProductName = new TEdit(this, GroupBoxNames, "EditProductName");
    new TLabel(this, GroupBoxNames, "LabelSystemName", "System name");
    EditSystemName = new TEdit(this, GroupBoxNames, "EditSystemName");
    new TLabel(this, GroupBoxNames, "LabelSystemVersion", "System version");
    EditSystemVersion = new TEdit(this, GroupBoxNames, "EditSystemVersion");
    PanelBozomek = new TPanel(this, PanelSytemName, "PanelBozomek");
    GroupBoxExtras = new TGroupBox(this, PanelBozomek, "GroupBoxExtras", "Extras");
    CheckBoxComments = new TCheckBox(this, GroupBoxExtras, "CheckBoxComments", "Comments");
    CheckBoxAudit = new TCheckBox(this, GroupBoxExtras, "CheckBoxAudit", "Audit");
    CheckBoxRedoc = new TCheckBox(this, GroupBoxExtras, "CheckBoxRedoc", "Redocumentation");
    CheckBoxCalc = new TCheckBox(this, GroupBoxExtras, "CheckBoxCalc", "Calculations");
    CheckBoxExports = new TCheckBox(this, GroupBoxExtras, "CheckBoxExports", "Exports");
    CheckBoxLabels = new TCheckBox(this, GroupBoxExtras, "CheckBoxLabels", "Labels");
    CheckBoxBranches = new TCheckBox(this, GroupBoxExtras, "CheckBoxBranches", "Branches");
    CheckBoxCalls = new TCheckBox(this, GroupBoxExtras, "CheckBoxCalls", "Calls");
    CheckBoxMacros = new TCheckBox(this, GroupBoxExtras, "CheckBoxMacros", "Macros");
    CheckBoxIOs = new TCheckBox(this, GroupBoxExtras, "CheckBoxIOs", "I/Os");
    CheckBoxRepo_Tab = new TCheckBox(this, GroupBoxExtras, "CheckBoxRepo_Tab", "Repository table");
    for (TCheckBox* c : {CheckBoxRedoc, CheckBoxCalc, CheckBoxLabels, CheckBoxBranches, CheckBoxCalls,
                         CheckBoxMacros, CheckBoxIOs, CheckBoxRepo_Tab})
        c->SetVisible(false);
    PanelExtraFiles = new TPanel(this, PanelBozomek, "PanelExtraFiles");
    PanelExtraFiles->SetVisible(false);
    GroupBoxSearch = new TGroupBox(this, PanelBozomek, "GroupBoxSearch", "Search");
    ComboBoxSearchType = new TComboBox(this, GroupBoxSearch, "ComboBoxSearchType");
    MemoSearch = new TMemo(this, GroupBoxSearch, "MemoSearch");
    GroupBoxSearch->SetVisible(false);
    PanelTCAnal = new TPanel(this, PanelBozomek, "PanelTCAnal");
    PanelCommonRoot = new TPanel(this, TabSheetNames, "PanelCommonRoot", TLayoutKind::Horizontal);
    new TLabel(this, PanelCommonRoot, "LabelCommonRoot", "Common root");
    EditCommonRoot = new TEdit(this, PanelCommonRoot, "EditCommonRoot");
    EditCommonRoot->SetReadOnly(true);
    GroupBoxSelectedFiles =
        new TGroupBoxWM_Drop(this, TabSheetNames, "GroupBoxSelectedFiles", "Source files of the project (0)");
    CheckListBoxSelectedFiles =
        new TSourceFileListBox(this, GroupBoxSelectedFiles, "CheckListBoxSelectedFiles", SourceFiles);
}

void TfrmPemarisMain::BuildParameterTabs() {
    TabSheetRulesMetricsUsw = new TTabSheet(this, PageControlMain, "TabSheetRulesMetricsUsw", "Rules and metrics");
    PageControlParams = new TPageControl(this, TabSheetRulesMetricsUsw, "PageControlParams");
    TabSheetLimits = new TTabSheet(this, PageControlParams, "TabSheetLimits", "Limits");
    StringGridNumParams = new TStringGrid(this, TabSheetLimits, "StringGridNumParams");
    StringGridNumParams->SetColCount(3);
    StringGridNumParams->SetRowCount(0);
    CheckListBoxLimits = new TCheckListBox(this, TabSheetLimits, "CheckListBoxLimits");
    TabSheetRules = new TTabSheet(this, PageControlParams, "TabSheetRules", "Rules");
    CheckListBoxRules = new TCheckListBox(this, TabSheetRules, "CheckListBoxRules");
    TabSheetMetrics = new TTabSheet(this, PageControlParams, "TabSheetMetrics", "Metrics");
    CheckListBoxMetrics = new TCheckListBox(this, TabSheetMetrics, "CheckListBoxMetrics");
    ComboBoxMetricsWeights = new TComboBox(this, TabSheetMetrics, "ComboBoxMetricsWeights");
    ComboBoxMetricsWeights->SetDropDownList(true);
    {
        TStringList w;
        for (const char* s : {"Off", "Normal", "Double", "High"}) w.Add(s);
        ComboBoxMetricsWeights->SetItems(w);
    }
    TabSheetSpecs = new TTabSheet(this, PageControlParams, "TabSheetSpecs", "Specifications");
    CheckListBoxSpecs = new TCheckListBox(this, TabSheetSpecs, "CheckListBoxSpecs");
    TabSheetFunctab = new TTabSheet(this, PageControlParams, "TabSheetFunctab", "Function table");
    CheckListBoxFunctab = new TCheckListBox(this, TabSheetFunctab, "CheckListBoxFunctab");
}

void TfrmPemarisMain::BuildWordScanTab() {
    TabSheetWordScan = new TTabSheet(this, PageControlMain, "TabSheetWordScan", "Word scan");
    PageControlWordLists = new TPageControl(this, TabSheetWordScan, "PageControlWordLists");
    // Control words: the list with the row that adds a word above it, the
    // source text to pick words from beside it.
    TabSheetControlWDS = new TTabSheet(this, PageControlWordLists, "TabSheetControlWDS", "Control Words");
    auto* split = new QSplitter(Qt::Horizontal, TabSheetControlWDS);
    static_cast<QBoxLayout*>(TabSheetControlWDS->layout())->addWidget(split, 1);
    auto* left = new QWidget(split);
    SetContainerLayout(left, TLayoutKind::Vertical);
    PanelCreateWrdList = new TPanel(this, left, "PanelCreateWrdList", TLayoutKind::Horizontal);
    ComboBoxCreateWrdList = new TComboBox(this, PanelCreateWrdList, "ComboBoxCreateWrdList");
    ComboBoxCreateWrdList->SetDropDownList(false);
    ComboBoxCreateWrdList->SetText("ATTR");
    EditCreateWrdList = new TEdit(this, PanelCreateWrdList, "EditCreateWrdList");
    ButtonCreateWrdList = new TButton(this, PanelCreateWrdList, "ButtonCreateWrdList", "Add to list");
    static_cast<QBoxLayout*>(PanelCreateWrdList->layout())->setStretchFactor(EditCreateWrdList, 1);
    CheckListBoxControlTags = new TCheckListBox(this, left, "CheckListBoxControlTags");
    // The in-place editor of a control word floats over the list.
    PanelCWrd = new TPanel(this, CheckListBoxControlTags->viewport(), "PanelCWrd", TLayoutKind::Horizontal);
    ComboBoxEditCWrd = new TComboBox(this, PanelCWrd, "ComboBoxEditCWrd");
    ComboBoxEditCWrd->SetDropDownList(true);
    EditCWrd = new TEdit(this, PanelCWrd, "EditCWrd");
    static_cast<QBoxLayout*>(PanelCWrd->layout())->setStretchFactor(EditCWrd, 1);
    PanelCWrd->SetVisible(false);
    RichEditCTLWords = new TRichEdit(this, split, "RichEditCTLWords");
    RichEditCTLWords->SetReadOnly(true);
    split->addWidget(left);
    split->addWidget(RichEditCTLWords);
    TabSheetObjects = new TTabSheet(this, PageControlWordLists, "TabSheetObjects", "Nouns");
    CheckListBoxObjects = new TCheckListBox(this, TabSheetObjects, "CheckListBoxObjects");
    // The in-place editor of a noun floats over its list.
    EditObjects = new TEdit(this, CheckListBoxObjects->viewport(), "EditObjects");
    EditObjects->SetVisible(false);
    BitBtnImportWordlist = new TBitBtnWM_Drop(this, TabSheetWordScan, "BitBtnImportWordlist", "Import word list");
    BitBtnImportWordlist->SetAction(Act("ActLoadWordList"));
}

void TfrmPemarisMain::BuildTechTab() {
    TabSheetTech = new TTabSheet(this, PageControlMain, "TabSheetTech", "Technical parameters");
    GroupBoxAdvanced = new TGroupBox(this, TabSheetTech, "GroupBoxAdvanced", "Product ini file : ");
    MemoToolNameDefault = new TMemo(this, GroupBoxAdvanced, "MemoToolNameDefault");
    ButtonApplyINI = new TButton(this, GroupBoxAdvanced, "ButtonApplyINI", "Apply");
}

void TfrmPemarisMain::BuildHelperPages() {
    PageControlHelper = new TPageControl(this, PanelLibraries, "PageControlHelper");
    TabSheetComponentNames = new TTabSheet(this, PageControlHelper, "TabSheetComponentNames", "Component names");
    CheckListBoxComponentNames = new TCheckListBox(this, TabSheetComponentNames, "CheckListBoxComponentNames");
    TabSheetModuleNames = new TTabSheet(this, PageControlHelper, "TabSheetModuleNames", "Module names");
    CheckListBoxModuleNames = new TCheckListBox(this, TabSheetModuleNames, "CheckListBoxModuleNames");
    TabSheetNewFileNames = new TTabSheet(this, PageControlHelper, "TabSheetNewFileNames", "New file names");
    MemoNewFileNames = new TMemo(this, TabSheetNewFileNames, "MemoNewFileNames");
    TabSheetLongextension = new TTabSheet(this, PageControlHelper, "TabSheetLongextension", "Long extensions");
    MemoLongextension = new TMemo(this, TabSheetLongextension, "MemoLongextension");
    for (TTabSheet* t : {TabSheetNewFileNames, TabSheetLongextension}) t->SetTabVisible(false);
    MemoNewFileNames->SetVisible(false);
    MemoLongextension->SetVisible(false);
}

void TfrmPemarisMain::BuildComponents() {
    SetCaption("Pemaris");
    resize(1000, 720);
    MyStB = new TMyStatusBar(this, this, "MyStB");
    MyStB->ColorErr = QColor(0xFF, 0x80, 0x80);
    MyStB->ColorWarn = QColor(0x58, 0x54, 0xFA);
    setStatusBar(MyStB);
    ImageListApplIcons = new TImageList(this, "ImageListApplIcons");
    for (auto sp : {QStyle::SP_ComputerIcon, QStyle::SP_FileDialogDetailedView, QStyle::SP_DialogApplyButton,
                    QStyle::SP_FileDialogContentsView, QStyle::SP_DirIcon})
        ImageListApplIcons->AddLazy([this, sp] { return style()->standardIcon(sp); });
    FontDialog1 = new TFontDialog(this, "FontDialog1");
    FontDialog1->Font = {"Lucida Console", 1, 8, -11};
    OpenDialogWork = new TOpenDialog(this, "OpenDialogWork");
    SaveDialogWork = new TOpenDialog(this, "SaveDialogWork", true);

    BuildActions();
    BuildMenus();

    QWidget* client = Client();
    PanelBitButtons = new TPanel(this, client, "PanelBitButtons", TLayoutKind::Horizontal);
    PanelBitButtons->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    BitBtnRunAnal = new TBitBtn(this, PanelBitButtons, "BitBtnRunAnal", "Analyse");
    BitBtnRunAnal->SetAction(ActRunAnal);
    BitBtnRunAnal->SetTag(1);
    BitBtnAddFiles = new TBitBtnWM_Drop(this, PanelBitButtons, "BitBtnAddFiles", "Add files");
    BitBtnAddFiles->SetAction(Act("ActAddfiles"));
    BitBtnAddFiles->SetTag(2);
    BitBtnAddDirectories = new TBitBtnWM_Drop(this, PanelBitButtons, "BitBtnAddDirectories", "Add directories");
    BitBtnAddDirectories->SetAction(Act("ActAddDirectories"));
    BitBtnAddDirectories->SetTag(2);
    static_cast<QBoxLayout*>(PanelBitButtons->layout())->addStretch(1);

    auto* split = new QSplitter(Qt::Horizontal, client);
    static_cast<QBoxLayout*>(client->layout())->addWidget(split, 1);
    auto* left = new QWidget(split);
    SetContainerLayout(left, TLayoutKind::Vertical);
    PageControlMain = new TPageControl(this, left, "PageControlMain");
    PanelLibraries = new TPanel(this, split, "PanelLibraries");
    split->addWidget(left);
    split->addWidget(PanelLibraries);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    BuildLanguageTabs();
    BuildNamesTab();
    BuildParameterTabs();
    BuildWordScanTab();
    BuildTechTab();
    TabSheetViewer = new TTabSheet(this, PageControlMain, "TabSheetViewer", "Internal viewer");
    PageControlEditor = new TPageControl(this, TabSheetViewer, "PageControlEditor");
    TabSheetViewer->SetTabVisible(false);
    BuildHelperPages();

    GroupBoxSlider = new TGroupBox(this, client, "GroupBoxSlider", "Progress");
    ProgressBarModules = new TProgressBar(this, GroupBoxSlider, "ProgressBarModules");
    ProgressBarSources = new TProgressBar(this, GroupBoxSlider, "ProgressBarSources");
    GroupBoxSlider->SetVisible(false);
    MemoCaptureConsole = new TMemo(this, client, "MemoCaptureConsole");
    MemoCaptureConsole->SetReadOnly(true);
    MemoCaptureConsole->setMaximumHeight(120);
    MemoCaptureConsole->SetVisible(false);

    CreatePickFrames();
}

} // namespace pem
