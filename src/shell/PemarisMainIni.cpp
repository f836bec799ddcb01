// The product INI file on the main window: loading it into the technical
// parameters memo, saving it with its stamp, applying its settings and the
// installation check that matches the language lines against the tool tree.
#include "PemarisMain.h"

#include "BaseStrings.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "DialogService.h"
#include "Exceptions.h"
#include "LanguageButtons.h"
#include "SafeFiles.h"
#include "SettingsStore.h"
#include "SharedRoutinesCommon.h"

#include <QMenuBar>
#include <ctime>

namespace pem {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "RadioButtonCob85" -> "Cob85"
std::string AfterRadioButton(const std::string& name) {
    return HasPrefix(name, "RadioButton", false) ? name.substr(11) : name;
}

// Stamps the lines and writes them over the INI file in one step, in the
// file's own line ends; false, with the file as it was, when that fails.
bool SaveIniLines(const std::string& path, TStringList& lines, const std::string& lineBreak) {
    StampDateWritten(lines, FormatDateWritten(std::time(nullptr)));
    lines.LineBreak = lineBreak;
    try {
        ReplaceFileText(Cp1252ToUtf8(path), lines.Text(), path);
        return true;
    } catch (const EFileError&) {
        return false;
    }
}

} // namespace

TStringList TfrmPemarisMain::IniLines() const { return MemoToolNameDefault->Lines(); }

void TfrmPemarisMain::SetIniLines(const TStringList& lines) { MemoToolNameDefault->SetLines(lines); }

std::string TfrmPemarisMain::GetProductIniFileName() {
    if (!ProductIniPath.empty()) return ProductIniPath;
    ProductIniPath = FindProductIniFile(ExecutablePath, Product);
    if (ProductIniPath.empty()) MyStB->AddError("No ini file is available for " + Product.ProgramName);
    return ProductIniPath;
}

void TfrmPemarisMain::ShowProductIniFile() {
    const std::string path = GetProductIniFileName();
    try {
        TStringList lines;
        lines.LoadFromFile(Cp1252ToUtf8(path));
        IniLineBreak = lines.LineBreak;
        SetIniLines(lines);
    } catch (const std::exception& e) {
        PageControlMain->SetEnabled(false);
        menuBar()->clear();
        SetModified(false);
        // Why, first: a FIFO or a device in the INI's place says so.
        if (!path.empty()) MyStB->AddMessage(e.what(), true);
        MyStB->AddError("Cannot access product ini file - " + path);
    }
    GroupBoxAdvanced->SetCaption("Product ini file : " + path);
}

void TfrmPemarisMain::WriteProductIniFile() {
    TStringList lines = IniLines();
    const std::string path = GetProductIniFileName();
    // A write-protected file is refused; a failed write (a full disk) leaves
    // the file byte for byte as it was.
    if (!SaveIniLines(path, lines, IniLineBreak)) {
        MyStB->UseMessageBox = true;
        MyStB->Error("Cannot write to " + path);
    }
    SetIniLines(lines);
}

void TfrmPemarisMain::ActWriteINIFileExecute(TComponent*) {
    WriteProductIniFile();
    ApplyIniSettings(2);
    ApplyLanguageExtras();
}

void TfrmPemarisMain::ButtonApplyINIClick(TComponent*) {
    ApplyIniSettings(2);
    ApplyLanguageExtras();
}

bool TfrmPemarisMain::GetProductExtra(const std::string& code, const std::string& key, std::string& value) {
    bool found = false;
    value = LanguageExtra(IniLines(), code, key, &found);
    if (!found) MyStB->AddMessage(MissingIniLineMessage(code + ".Extras"), true);
    return !value.empty();
}

void TfrmPemarisMain::SetOptionLevel(int level) {
    OptionLevel = MakeOptionLevel(level);
    StructureLevel = level;
}

void TfrmPemarisMain::ApplyIniSettings(int mode) {
    TStringList lines = IniLines();
    std::vector<TIniProblem> problems;
    TIniEnvironment env;
    env.consoleStubExists = !ConsoleStubPath.empty();
    env.locateDOSBox = [this](bool use) { return LocateDOSBox(use); };
    IniSettings = ReadIniSettings(lines, env, problems);
    lines = IniLines(); // the DOSBox search may have added its location line
    SystemCaptureConsole = IniSettings.SystemCaptureConsole;
    DebugMode = IniSettings.DebugMode;
    SystemNameByDirectory = IniSettings.NameByDirectory;
    SystemBigDirectoryLimit = IniSettings.BigDirectoryLimit;
    Act("ActViewConsoleLog")->SetVisible(IniSettings.CaptureLog);
    // A value the installation cannot use is an installation error: the
    // setting keeps its default and the start goes the way its severity says.
    for (const auto& p : problems) MyStB->AddMessage(p.Message(), true);

    unsigned char style = 1;
    if (EnsureFileViewStyle(lines, IniSettings.IOBuffSize, style)) {
        // Saved at once; an INI file that cannot be written (write-protected,
        // say) is used as it stands instead of stopping the start.
        const std::string path = GetProductIniFileName();
        if (SaveIniLines(path, lines, IniLineBreak)) {
            SetIniLines(lines);
            ShowProductIniFile();
        } else {
            AddStandingWarning("Cannot write to " + path +
                               ", its settings are used as they are (FileCopy.SystemFileViewStyle=1)");
        }
    }
    SetFileViewStyle(style);
    if (mode == 0) return;
    RunInstallationCheck();
}

void TfrmPemarisMain::AddStandingWarning(const std::string& text) {
    if (StandingWarning.find(text) != std::string::npos) return;
    if (!StandingWarning.empty()) StandingWarning += " - ";
    StandingWarning += text;
}

void TfrmPemarisMain::ShowStandingWarning() {
    if (StandingWarning.empty()) return;
    // In the bar only: it comes back after every language selection.
    const bool box = MyStB->UseMessageBox;
    MyStB->UseMessageBox = false;
    MyStB->ShowWarning(StandingWarning);
    MyStB->UseMessageBox = box;
}

void TfrmPemarisMain::RouteSettingsWarnings() {
    SettingsWarningProc = [](const std::string& text) {
        DefaultSettingsWarning(text);
        if (TfrmPemarisMain* f = MainForm()) f->AddStandingWarning(text);
    };
}

void TfrmPemarisMain::CreateButtonsForIniLanguages(const TStringList& lines) {
    // Language lines whose button the window does not carry get one on the
    // product's own language tab, so an installation may add languages.
    if (!LangGroupBox) return;
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string name = TrimCharSet(lines.Names(i), csControlAndBlank);
        if (!HasPrefix(name, "RadioButton", false) || name.size() <= 11) continue;
        if (name.find_first_of(" .") != std::string::npos) continue;
        if (FindComponentDeep(name)) continue;
        if (!IniPanel) IniPanel = new TPanel(this, LangGroupBox, "PanelLangIni");
        TLanguageDefinition def;
        ParseLanguageDefinition(name, lines.ValueFromIndex(i), def);
        auto* rb = new TRadioButton(this, IniPanel, name, def.DisplayName.empty() ? name : def.DisplayName);
        rb->SetEnabled(false);
        rb->OnClick = [this](TComponent* s) { RadioButtonClick(s); };
        LanguageButtons.push_back(rb);
    }
}

void TfrmPemarisMain::RunInstallationCheck() {
    TStringList lines = IniLines();
    // Limits definitions.
    CheckListBoxLimits->ClearItems();
    const TStringList limits = LimitsBlock(lines);
    for (const auto& it : limits) CheckListBoxLimits->AddItem(it.s, true);
    InstalledLanguages.Clear();
    InstalledLanguages.SetSorted(true);
    CreateButtonsForIniLanguages(lines);

    for (TRadioButton* rb : LanguageButtons) {
        const int at = lines.IndexOfName(rb->Name());
        const std::string value = at < 0 ? std::string() : lines.ValueFromIndex(at);
        rb->SetEnabled(!value.empty());
        if (value.empty()) continue;
        TLanguageDefinition def;
        ParseLanguageDefinition(rb->Name(), value, def);
        if (!def.DisplayName.empty()) rb->SetCaption(def.DisplayName);
        std::string folder;
        std::string procpgm;
        bool extrasFound = false;
        procpgm = LanguageExtra(lines, def.Code, "Procpgm", &extrasFound);
        if (!extrasFound) MyStB->AddMessage(MissingIniLineMessage(def.Code + ".Extras"), true);
        if (!procpgm.empty()) folder = FolderOf(PlaceUnderRoot(ToolRoot, procpgm));
        else folder = ToolRoot + "/" + def.Code + Product.ShortToolName;
        if (!DirExistsIgnoringCase(folder)) {
            rb->SetEnabled(false);
            MyStB->AddMessage("Directory " + folder + " doesn't exist, " + "Product reference " + value +
                                  " removed from ini file",
                              true);
        }
        if (rb->Enabled()) InstalledLanguages.Add(def.Code);
        else lines.Put(at, "Not installed " + lines[at]);
    }
    SetIniLines(lines);

    // The active language button.
    if (!(ActiveRadioButton && ActiveRadioButton->Enabled())) {
        ActiveRadioButton = nullptr;
        const std::string name = IniValue(lines, "ActiveRadioButton");
        auto* rb = name.empty() ? nullptr : dynamic_cast<TRadioButton*>(FindComponentDeep(name));
        if (rb && !IniValue(lines, name).empty() && LangTab && LanguageTabOf(rb) == LangTab) {
            ActiveRadioButton = rb;
        } else {
            MyStB->AddMessage("Installation problem - required components missing for : " + AfterRadioButton(name),
                              true);
            for (TRadioButton* b : LanguageButtons) {
                TTabSheet* tab = LanguageTabOf(b);
                if (IniValue(lines, b->Name()).empty() || !tab || !tab->TabVisible()) continue;
                ActiveRadioButton = b;
                SetIniValue(lines, "ActiveRadioButton", b->Name());
                SetIniLines(lines);
                WriteProductIniFile();
                MyStB->UseMessageBox = true;
                MyStB->AddError("Default product changed to: " + AfterRadioButton(b->Name()));
            }
        }
    }
    if (!ActiveRadioButton) {
        PageControlMain->SetEnabled(false);
        menuBar()->clear();
        SetModified(false);
        MyStB->UseMessageBox = true;
        MyStB->AddError("Installation error , no product is available - probably misplaced TOOL library");
    }
    if (MyStB->Severity > 0) {
        MyStB->UseMessageBox = true;
        if (MyStB->AddErrorNoAbort("Errors occured durig installation, rewrite ini file?") == mrYes)
            WriteProductIniFile();
    }
}

} // namespace pem
