// The parameter document on the main window: the run's input checks, the job
// read from the window into a snapshot, and the composed document, entries
// and batch lines put where the run preparation and the renaming of results
// read them.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "BaseUtils.h"
#include "CharSet1252.h"
#include "EventPump.h"
#include "FileFilter.h"
#include "FindDirectoryFrame.h"
#include "FindExecFrame.h"
#include "LanguageSelection.h"
#include "StringListHolder.h"

namespace pem {

void TfrmPemarisMain::BindParameterHandlers() {
    EditSystemName->OnChange = [this](TComponent* s) { EditSystemNameChange(s); };
    EditProductName->OnChange = [this](TComponent* s) { EditProductNameChange(s); };
    EditSystemVersion->OnChange = [this](TComponent* s) { EditSystemVersionChange(s); };
    BindPrepareHandlers();
}

// The names follow their edits as they are typed, so a run started without
// leaving the edit writes what the edit shows; leaving it still checks it.
// A changed system or product name makes a new job name and job file.
void TfrmPemarisMain::EditSystemNameChange(TComponent*) {
    const std::string text = EditSystemName->Text();
    if (Loading || text == SystemName) return;
    SystemName = text;
    JobName.clear();
    NewJobFile = true;
    SetModified(true);
}

void TfrmPemarisMain::EditProductNameChange(TComponent*) {
    const std::string text = EditProductName->Text();
    if (Loading || text == ProductName) return;
    ProductName = text;
    JobName.clear();
    NewJobFile = true;
    SetModified(true);
}

void TfrmPemarisMain::EditSystemVersionChange(TComponent*) {
    const std::string text = EditSystemVersion->Text();
    if (Loading || text == SystemVersion) return;
    SystemVersion = text;
    SetModified(true);
}

void TfrmPemarisMain::CheckRunInputs() {
    ValidateProductName(ProductName);
    ValidateSystemName(SystemName);
    ValidateVersion(SystemVersion);
    GetProjectName();
    NumberOfSourceFiles = SourceFiles.CheckedCount();
    NumberOfRenamedModules = 0;
    NumberOfRenamedSourceFiles = 0;
    if (NumberOfSourceFiles == 0) {
        PageControlMain->SetActivePage(TabSheetNames);
        MyStB->Error("No files are selected for processing!");
    }
    if (!DirectoryExists(OutputDirectory())) {
        PageControlMain->SetActivePage(TabSheetNames);
        if (FrameFindDirectoryOutputDir->Edit->isVisible()) FocusOutputDirectory();
        MyStB->Error("Output directory error - Directory doesn't exist");
    }
    CalculateModularStructure(true);
}

TParameterJob TfrmPemarisMain::ParameterJobSnapshot() {
    TParameterJob j;
    j.runMode = RunMode;
    j.productKind = Product.Kind;
    j.structureLevel = StructureLevel;
    j.programName = Product.ProgramName;
    j.languageCode = LanguageCode;
    j.languageVersion = LanguageVersion;
    j.productName = ProductName;
    j.systemName = SystemName;
    j.version = SystemVersion;
    const TCheckBox* boxes[poCount] = {CheckBoxAudit,    CheckBoxRedoc,  CheckBoxCalc,  CheckBoxComments,
                                       CheckBoxExports,  CheckBoxLabels, CheckBoxBranches, CheckBoxCalls,
                                       CheckBoxMacros,   CheckBoxIOs,    CheckBoxRepo_Tab};
    for (int i = 0; i < poCount; ++i) j.options[static_cast<std::size_t>(i)] = {boxes[i]->Visible(), boxes[i]->Checked()};
    j.metricsTab = TabSheetMetrics->TabVisible();
    j.specsTab = TabSheetSpecs->TabVisible();
    j.rulesTab = TabSheetRules->TabVisible();
    j.limitsTab = TabSheetLimits->TabVisible();
    j.wordScanTab = TabSheetWordScan->TabVisible();
    j.functabTab = TabSheetFunctab->TabVisible();
    for (const auto& weight : STLHMetricsWeights->StringList()) j.metricWeights.push_back(weight.s);
    j.metricCount = CheckListBoxMetrics->Count();
    j.specs = Ticks(CheckListBoxSpecs);
    j.rules = Ticks(CheckListBoxRules);
    for (int row = 0; row < StringGridNumParams->RowCount(); ++row)
        j.limits.push_back({StringGridNumParams->Cell(1, row), StringGridNumParams->Cell(2, row)});
    j.searchType = SearchKeyValue(LanguageCompanions.SearchKeys, ComboBoxSearchType->Text());
    j.searchText = MemoSearch->Text();
    j.files = &SourceFiles;
    j.structure = &Structure;
    j.commonRoot = Structure.Root;
    j.outputDirectory = OutputDirectory();
    j.functabFile = FrameFindexecFunctab->FileName();
    j.repoTabFile = FrameFindexecRepo_Tab->FileName();
    j.nameByDirectory = SystemNameByDirectory;
    j.testToolInputs = TestToolInputsShown();
    j.toolExecutable = FrameFindexecPemaris->FileName();
    return j;
}

TSubProcessorMap TfrmPemarisMain::GetSubProcessors() {
    TSubProcessorMap map;
    const TStringList lines = IniLines();
    const std::string group = kSubProcessorGroup;
    for (const std::string& item : SplitCommaList(InsideParentheses(IniValue(lines, group + ".SubProcessors")))) {
        const auto eq = item.find('=');
        if (eq == std::string::npos) continue;
        const std::string name = TrimCharSet(item.substr(0, eq), csControlAndBlank);
        const std::string key = TrimCharSet(item.substr(eq + 1), csControlAndBlank);
        // The group itself has no filter of its own to take extensions from.
        if (key.empty() || SameText(key, group)) continue;
        map.AddFilter(name, GetFileFilter(key, ""));
    }
    return map;
}

bool TfrmPemarisMain::RestoreLongExtension(const std::string& extension, std::string& longExtension) {
    return pem::RestoreLongExtension(MemoLongextension->Lines(), extension, longExtension);
}

void TfrmPemarisMain::WriteParameterDocument() {
    ParameterDocuments.Clear();
    BatchRun = false;
    BatchLines.clear();
    // A job of many sources takes a while in each step: the window is
    // served between them.
    TEventPump pump;
    CheckRunInputs();
    pump.Pump(true);
    // The repository table's frame says itself what is wrong with its file.
    if (RunMode == 1 && CheckBoxRepo_Tab->Visible() && CheckBoxRepo_Tab->Checked() &&
        !FrameFindexecRepo_Tab->CheckFile())
        Abort();
    TSubProcessorMap subProcessors;
    if (SameText(LanguageCode, kSubProcessorGroup)) subProcessors = GetSubProcessors();
    TParameterJob job = ParameterJobSnapshot();
    job.subProcessors = &subProcessors;
    TParameterDocument doc;
    try {
        doc = ComposeParameterDocument(job);
    } catch (const EParameterDocument& e) {
        MyStB->Error(e.what());
    }
    pump.Pump(true);
    ParameterDocuments = std::move(doc.lines);
    InputTreeEntries = std::move(doc.entries);
    NewFileNames.Assign(InputTreeEntries.Lines());
    pump.Pump(true);
    NewFileNamesChanged();
    pump.Pump(true);
    skippedSources_ = std::move(doc.leftOut);
    ShowSkippedSources();
    BatchRun = doc.batchRun;
    BatchLines = std::move(doc.batchLines);
    NumberOfModules = doc.moduleTotal;
    if (!doc.extensionPairs.empty()) {
        TStringList pairs = MemoLongextension->Lines();
        SetExtensionPairs(pairs, doc.extensionPairs);
        MemoLongextension->SetLines(pairs);
    }
}

} // namespace pem
