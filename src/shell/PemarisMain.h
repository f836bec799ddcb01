#pragma once
// The main window: a hub that holds the controls, the actions and the job's
// state, and whose handlers call the classes of each concern (product and
// start-up, INI file, languages, job file, runs ...).
#include "Forms.h"
#include "InputTreeEntries.h"
#include "MyStatusBar.h"
#include "LanguageSelection.h"
#include "ModularStructure.h"
#include "NewFileNames.h"
#include "ParameterDocument.h"
#include "ProductIni.h"
#include "ProductTable.h"
#include "RenameResultFolder.h"
#include "RunActions.h"
#include "ProjectContext.h"
#include "SourceFileList.h"
#include "SourceFileListBox.h"
#include "StringList.h"
#include "ToolOutputReader.h"
#include "ToolStart.h"
#include "ToolWatcher.h"
#include "DictionaryTerms.h"
#include "DropRouter.h"
#include "WM_DropFilesComponents.h"

#include <QPoint>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QMimeData;
class QPainter;
class QRect;

namespace pem {

class TFrameFindexec;
class TFrameFindDirectory;
class TStringListHolder;
class TIncCombo;
class TResultTabs;
class TAboutBoxDlg;
class TTabBarPress;
class TPrintDispatch;
class IHardCopyPrinter;
class ICompoundMetricsHost;
class TBitBtnWM_Drop;
class TControlEvents;
struct TScannerReportSettings;
class TExtensionList;
class TCustomDropTarget;
class TDropFileTarget;
struct POINT;
class TDocumentDictionary;

// Where a language radio button sits: the language tab of a product group.
enum class TLangTab { Pemaris, Mindra, Velling, Harnox };

class TfrmPemarisMain : public TForm, public IProjectContext {
public:
    TfrmPemarisMain();
    ~TfrmPemarisMain() override;

    // ---- start-up (entry, creation, first showing)
    void FormCreate(TComponent* sender);
    void FormShow(TComponent* sender);
    void FormHide(TComponent* sender);
    void OnMyMessage_0();
    void RegisterJobFileType();
    TBitBtn* CreateActionButton(TBitBtn* templ, TAction* action, int tag);
    void ActShowAdvancedExecute(TComponent* sender);
    void ShowHelperPages(bool show);
    static void SetCategoryActionsVisible(const std::string& category, bool alsoEnable, bool value);

    // The executable's full path; the product is recognised from its name.
    // Tests set it before creation; the entry sets it from argv[0].
    static std::string ExecutablePath;
    // The number that picks a product for a bare tool name (see
    // ResolveBareToolName); 0 leaves such a name invalid.
    static int BareToolNumber;
    std::string ExeFolder() const; // with trailing "/"

    // ---- the INI file, the language and the job as the start and other
    // concerns call on them
    void ShowProductIniFile();
    void ApplyIniSettings(int mode);
    void ApplyLanguageExtras();
    void RadioButtonClick(TComponent* sender);
    void SelectLanguage(const std::string& name);
    void SetModified(bool value);
    void LoadProject(const std::string& fileName);
    void CheckBackgroundBatch();
    void ClearProject();
    // The console switches and the structure (PemarisMainJobSettings.cpp,
    // PemarisMainStructure.cpp).
    void ActSwitchOffLogExecute(TComponent* sender);
    void ActCalculateCommonRootExecute(TComponent* sender);
    void FormCloseQuery(TComponent* sender, bool& canClose);
    void ActionListMainExecute(TAction* action, bool& handled);
    // The output directory's edit read-only and its browse button hidden.
    void SetOutputDirectoryReadOnly(bool readOnly);

    // ---- product INI file and installation check (PemarisMainIni.cpp)
    std::string GetProductIniFileName();
    void WriteProductIniFile();
    void ActWriteINIFileExecute(TComponent* sender);
    void ButtonApplyINIClick(TComponent* sender);
    // The value of key in the language's ".Extras"; false (and a collected
    // message) when that line is missing or empty.
    bool GetProductExtra(const std::string& code, const std::string& key, std::string& value);
    // The INI text of the technical-parameters memo as lines, and back.
    TStringList IniLines() const;
    void SetIniLines(const TStringList& lines);
    // Returns whether DOSBox is in use for that setting (DOS start concern).
    bool LocateDOSBox(bool useDOSBox);
    // The check of the language lines against the tool tree (mode 2).
    void RunInstallationCheck();
    // Buttons for language lines the window's catalogue lacks.
    void CreateButtonsForIniLanguages(const TStringList& lines);
    // Warnings that the start's clearing of the status bar must not hide (an
    // INI file used as it is because it cannot be written, a settings file
    // that is not used): shown at the end of the first showing and again
    // whenever a language selection clears the bar.
    std::string StandingWarning;
    void AddStandingWarning(const std::string& text);
    void ShowStandingWarning();
    // The settings store's warnings become standing warnings of this window.
    void RouteSettingsWarnings();
    TPanel* IniPanel = nullptr;
    bool fillingGrid_ = false;                 // the grid is written by the program
    std::pair<int, int> numParamPrev_{-1, -1}; // the cell left (column, row)

    // ---- language selection (PemarisMainLanguage.cpp)
    std::string GetLanguageExtra(const std::string& code, const std::string& key);
    std::string GetRootFilePath(const std::string& name);
    int ArrangeCheckBoxes(TGroupBox* box);
    void CheckNumParamCell(int col, int row);
    void StringGridNumParamsEnter(TComponent* sender);
    void StringGridNumParamsSelectCell(int col, int row, bool& canSelect);
    void StringGridNumParamsExit(TComponent* sender);
    void StringGridNumParamsSetEditText(TComponent* sender);
    // Every value of the limits grid checked (an edit in progress taken over
    // first); a bad one ends the operation through the status bar.
    void CheckNumParamsGrid();
    // Routines of other concerns called by the language selection; those of
    // the word lists and the output directory are still default bodies
    // (PemarisMainSeams.cpp).
    void SetupDOSStart(bool createPif);         // DOS start through .pif files
    void RefillMetricWeights();                 // one weight per metric when stale
    void LoadWordListFromFunctab();             // word lists from the function table
    void CheckOutputDirectory();                // the output-directory check
    // The subfolder the language adds to the output directory, "" none.
    std::string LanguageSubfolder(const std::string& outputDir);

    // ---- tool start (PemarisMainTool.cpp)
    // Toggles the refusal to start tools (a debugging aid).
    void ActDontRunExecute(TComponent* sender);
    // Starts a tool run in the working folder (the output directory):
    // directly, through the console stub, as the batch script or under
    // DOSBox, as the INI settings say; CaptureLog adds ">" "Console.log".
    // True when it runs (ToolRun then holds it). A refused run (ActDontRun)
    // ends through the status bar; a failed direct start raises an exception
    // with the system's message; a failed piped start returns false with
    // LastSystemError set.
    bool StartTool(const std::string& executable, const std::vector<std::string>& params,
                   const std::string& workingDir);
    bool StartWithPipes(const TToolStartRequest& request);
    // Runs a program and waits for it in a loop that repaints but takes no
    // user input; false when it could not start (LastSystemError).
    bool RunAndWait(const std::string& program, const std::vector<std::string>& params,
                    const std::string& workingDir);
    // One polling step of a piped run: the waiting output into the memo and
    // the capture, the progress of counted sources; CR LF to the tool when
    // nothing waits. A step works for a bounded time: output it has not
    // reached waits, and a later turn of the event loop goes on with it.
    void ReadToolOutput();
    // The piped run has ended: the rest of its output and the carried line,
    // worked through in bounded steps that serve events between them.
    void FinishToolOutput();
    // One reading step of the console into the memo, to the time budget.
    TOutputStep ReadToolOutputStep();
    static int ConsoleStepMs;
    bool ReadingToolOutput = false;  // a step runs (events it serves re-enter)
    bool ToolOutputPosted = false;   // a continuation waits in the queue
    std::chrono::steady_clock::time_point MemoFedAt; // the memo's last update
    // "Console.log" in the output directory from every line of the run;
    // the number of lines, -1 when it could not be written.
    long SaveConsoleLog();
    // Starts the renaming of one run's results (counters and warnings), then
    // renames one result folder after the run.
    void BeginResultRenaming();
    int RenameResultFolder(const std::string& outputDir, const std::string& folderName);
    // The run's outcome on the status bar, with the warnings collected while
    // it finished, so they are not lost under the final text.
    void ShowRunOutcome(bool cancelled);
    void ShowRunOutcome(const TRunOutcome& outcome);
    // The note of the DOS start, shown once the language selection has
    // cleared the bar.
    void ShowDOSStartNote();
    std::unique_ptr<TToolRun> ToolRun;
    std::unique_ptr<TToolOutputReader> ToolOutput;
    std::unique_ptr<TResultRenamer> ResultRenamer;
    TInputTreeEntries InputTreeEntries; // filled by the parameter document
    std::vector<std::string> RunWarnings;
    int LastSystemError = 0;
    bool DOSBoxActive = false;
    std::string DOSBoxPath, DOSBoxTemplatePath;
    std::string PendingDOSNote;

    // ---- word lists (PemarisMainWords.cpp)
    void BindWordListHandlers();
    // Adds the entries of a word-list file to the two lists, ticked, and
    // sorts each list once.
    void LoadWordList(const std::string& fileName);
    // Writes the ticked entries of both lists (each sorted once first).
    void SaveWordList(const std::string& fileName);
    // The ticked items of the control-word list ("CODE word"), in list order.
    std::vector<std::string> TickedControlTags() const;
    // Brings the dictionary lists up to date with the ticked control words
    // and the language's dictionary (the files are read only when they or
    // the words changed); its warnings go to the status bar, read failures
    // raise. The lists: Dictionary.SingleTerms(), CompoundTerms(),
    // Exceptions().
    const TDictionaryTerms& ReadControlWords();
    TDictionaryTerms Dictionary;
    void ActLoadWordListExecute(TComponent* sender);
    void ActSaveWordListExecute(TComponent* sender);
    void ActLoadTextFileExecute(TComponent* sender);
    void ActAddselectedToLIstExecute(TComponent* sender);
    void ActRemoveDuplicatesExecute(TComponent* sender);
    void ActRemoveUnidentifiedExecute(TComponent* sender);
    void PageControlMainChange(TComponent* sender);
    void BitBtnImportWordlistWMDropFileMessage(TComponent* sender, const TWMDropFiles& msg);
    void ButtonCreateWrdListClick(TComponent* sender);
    bool EditCreateWrdListDragOver(TComponent* sender, const QMimeData* data);
    void EditCreateWrdListDragDrop(TComponent* sender, const QMimeData* data);
    bool CheckListBoxControlTagsDragOver(TComponent* sender, const QMimeData* data);
    void RichEditCTLWordsMouseDown(TComponent* sender, Qt::MouseButton button, const QPoint& at);
    void CheckListBoxControlTagsDrawItem(QPainter* painter, const QRect& rect, const std::string& text);
    void CheckListBoxObjectsMouseUp(TComponent* sender, Qt::MouseButton button, const QPoint& at);
    void CheckListBoxObjectsMouseMove(TComponent* sender, const QPoint& at);
    void CheckListBoxObjectsKeyDown(TComponent* sender, int& key);
    void EditObjectsKeyPress(TComponent* sender, char& key);
    void EditObjectsExit(TComponent* sender);
    void CheckListBoxControlTagsMouseUp(TComponent* sender, Qt::MouseButton button, const QPoint& at);
    void CheckListBoxControlTagsKeyDown(TComponent* sender, int& key);
    void PanelCWrdKeyDown(TComponent* sender, int& key);
    void PanelCWrdExit(TComponent* sender);
    // The in-place editors of a noun and of a control word.
    void EditObjectInPlace(int index);
    void EditControlWordInPlace(int index);
    // Imports a word-list file chosen or dropped: the clear question, the
    // entries, the modified flag, "LastUsedWordTable".
    void ImportWordList(const std::string& fileName);
    TPanel* PanelCWrd = nullptr;
    TPanel* PanelCreateWrdList = nullptr;
    TButton* ButtonCreateWrdList = nullptr;
    int EditedObjectIndex = -1, EditedControlWordIndex = -1;
    TControlEvents* RichEditEvents = nullptr;

    // ---- output directory and reset (PemarisMainOutputDir.cpp)
    // The output-directory field's own handlers, bound at creation; its
    // frame's two notifications, bound at the first showing.
    void BindOutputDirectoryHandlers();
    void BindOutputDirectoryNotifications();
    void FrameFindDirectoryOutputDirEditExit(TComponent* sender);
    void FrameFindDirectoryOutputDirSpeedButtonClick(TComponent* sender);
    void FrameFindDirectoryOutputDirEditKeyPress(TComponent* sender, char& key);
    bool FrameFindDirectoryOutputDirEditDragOver(TComponent* sender, const QMimeData* data);
    void FrameFindDirectoryOutputDirEditDragDrop(TComponent* sender, const QMimeData* data);
    void OutputDirModifiedExit(TComponent* sender);
    void GroupBoxNamesMouseDown(TComponent* sender);
    void ActRestartProjectExecute(TComponent* sender);
    bool OutputDirCreateOnExit = false; // a drag of the names changed the field
    bool NamesDragGuard = false;        // the next press on the names starts no drag
    std::string InputTreePath;          // set by the run preparation; the reset fills it when empty
    TControlEvents* GroupBoxNamesEvents = nullptr;
    // ---- the parameter document (PemarisMainParameters.cpp)
    // The first step of a run's preparation (run modes 1 and 3 to 6): the
    // input checks, then the document, the input-tree entries and the batch
    // lines composed from the job: ParameterDocuments, InputTreeEntries and
    // NewFileNames (shown by MemoNewFileNames), BatchRun and BatchLines,
    // NumberOfModules, the pairs of MemoLongextension. It makes no folder
    // and saves no file: the preparation does both. Any input error ends it
    // through the status bar (silent abort) with ParameterDocuments empty.
    void WriteParameterDocument();
    // Names, ticked sources, the output directory, the strict structure.
    void CheckRunInputs();
    // The job as the document sees it, read from the window.
    TParameterJob ParameterJobSnapshot();
    // The sub-processors of the group "WAA" by extension.
    TSubProcessorMap GetSubProcessors();
    // The long extension a short input-tree extension was made from
    // (MemoLongextension); true when it differs.
    bool RestoreLongExtension(const std::string& extension, std::string& longExtension);
    void BindParameterHandlers();
    void EditSystemNameChange(TComponent* sender);
    void EditProductNameChange(TComponent* sender);
    void EditSystemVersionChange(TComponent* sender);
    bool BatchRun = false;              // the last document made a batch run
    std::vector<TBatchLine> BatchLines; // its tool calls, per source or per module
    TMemo* MemoSearch = nullptr;        // the search run's text

    // ---- the run's preparation (PemarisMainPrepare.cpp)
    // PrepareRun (declared with the job's routines) gives the output
    // directory all a tool run needs; it ends normally or through the status
    // bar's silent abort. ActCountLinesOnly runs it up to the copies, which
    // then only count lines.
    void BindPrepareHandlers();
    void ActCountLinesOnlyExecute(TComponent* sender);
    // Asks "Break the process ?"; Yes ends the operation (silent abort).
    void ConfirmBreak();
    void ShowPreparingDirectories();
    // A stop request (the loop flags a close request sets) is confirmed or
    // dropped; a confirmed one ends the operation.
    void AskStopRequest();
    void BuildInputTree(const std::string& outputDir);
    void CopyRunTables(const std::string& outputDir);
    // Word-list routines the preparation calls (default bodies in
    // PemarisMainSeams.cpp until the word lists fill them): the function
    // word list written for the word scanner, and the language's dictionary
    // for term-marking documents (null: none).
    void SaveFunctionWordList(const std::string& fileName);
    std::shared_ptr<const TDocumentDictionary> DocumentDictionary();
    std::shared_ptr<const TDocumentDictionary> DocumentTerms; // built from Dictionary
    int DocumentTermsReading = -1;                           // Dictionary.Readings() it was built at
    bool CountLinesOnly = false; // set only while ActCountLinesOnly runs

    // ---- the job: action gate, modified flag, closing and the job file
    // (PemarisMainJob.cpp, PemarisMainClose.cpp)
    void BindJobActions();
    void CheckJobNamesAndOutputDir();
    void ActNewProjectExecute(TComponent* sender);
    // A nil sender opens the file already named in OpenDialogWork.
    void ActOpenProjectExecute(TComponent* sender);
    // Bound to ActSaveProject and ActSaveProjectAs.
    void ActSaveProjectExecute(TComponent* sender);
    void ActCloseAllExecute(TComponent* sender);
    // ---- a dropped job file (PemarisMainJobDrop.cpp)
    void BindJobDropHandlers();
    // The first showing registers the job-file drop target (main kinds).
    void RegisterJobDropTarget();
    // One file of the job extension (letter case included), not a folder:
    // opened once the drop is answered; refused while a tool runs, ignored
    // during a file or input-building loop.
    void DropFileTargetOpenJobDrop(TCustomDropTarget* sender, uint8_t shift, POINT pt, uint32_t& effect);
    bool IsDroppableJob(const std::string& fileName) const;
    void OpenDroppedJob(const std::string& fileName);
    // Shared: the class is known where the target is made, not here.
    std::shared_ptr<TDropFileTarget> DropFileTargetOpenJob;
    // Writes the job file (head and form state) under that name.
    void SaveProjectTo(const std::string& fileName);
    // The remembered jobs of the derived products, from the settings store.
    void LoadRememberedJobs();
    std::string GetProjectName();
    void SetProjectName(const std::string& fileName);
    void ValidateProductName(const std::string& text);
    // The one check of the typed names before they become part of a path,
    // whether or not their edits were left (empty names pass).
    void CheckNamesForPaths();
    void ValidateSystemName(const std::string& text);
    void ValidateVersion(const std::string& text);
    void EditProductNameExit(TComponent* sender);
    void EditSystemNameExit(TComponent* sender);
    void EditSystemVersionExit(TComponent* sender);
    // Routines of other concerns the job's life calls. The output directory
    // check and the watcher are still default bodies (PemarisMainSeams.cpp).
    std::string OutputDirectory() override;                 // the output directory frame's text
    void FocusOutputDirectory();                            // focus its edit
    void ValidateOutputDirectory();                         // check (and create) the output directory
    void OutputDirAccepted();                               // the work folder and input tree follow the field
    std::string RepoTabFile();                              // the file of FrameFindexecRepo_Tab
    void SetRepoTabFile(const std::string& fileName);
    void SetOptionLevel(int level);                         // the structure level and its flags
    void LoadFileListDefinitions(TRadioButton* button);     // the language's file-list definitions
    void ClearStructureLists();                             // the compacted component and module lists
    void CloseActiveEditorTab();                            // asks to save a changed editor
    void CloseAllEditorTabs();
    void WaitForWatcher();                                  // the running tool's watcher has ended
    int FinishResultNames();                                // modules whose results have their final names
    void PrepareRun();
    void LoadParameterLists();
    void FillNumParamsGrid(const TStringList& lines);

    // ---- result tabs, viewer actions and the about box (PemarisMainViewers.cpp)
    void BindViewerActions();
    void ActViewDialogExecute(TComponent* sender);    // the five result-file dialog actions
    void ActViewProductLogExecute(TComponent* sender); // product log, console log, parameters
    void ActViewNotepadExecute(TComponent* sender);
    void ActCloseTabExecute(TComponent* sender);
    void ActCloseAllPagesExecute(TComponent* sender);
    void ActSelectFontExecute(TComponent* sender);
    void ActSortExecute(TComponent* sender);          // the three sort actions
    void ActFindTextExecute(TComponent* sender);
    void PageControlEditorChanging(TComponent* sender);
    void PopupMenuViewerPopup(const QPoint& at);
    void ActAboutExecute(TComponent* sender);
    // Opens the log a run leaves, chosen by the sender (ActViewProductLog,
    // ActViewConsoleLog, ActViewParameters) and the run mode; a missing
    // file opens nothing. The end of a run comes here.
    void OpenRunLog(TComponent* sender);
    void OpenInSimpleViewer(const std::string& fileName);
    void OpenDefiReport(const std::string& fileName);
    void OpenSpecsReport(const std::string& fileName);
    void OpenTestCaseReport(const std::string& fileName);
    bool CloseEditorTab();
    bool FindResultFile(const std::string& folder, std::string& path);
    std::string NextTabSheetName();
    // The project context of the viewers.
    std::string ProjectLanguageCode() override { return LanguageCode; }
    bool ProjectLanguageInList(const std::string& list) override;
    int ProjectProductKind() override { return Product.Kind; }
    int ProjectRunMode() override { return RunMode; }
    std::string ProjectSystemName() override { return SystemName; }
    std::string ProjectTestToolLog() override { return TestToolLogName; }
    int ProjectFileViewStyle() override { return IniSettings.FileViewStyle; }
    TFontSpec& ProjectViewerFont() override { return FontDialog1->Font; }
    std::string ProjectEditorProgram() override;
    TMyStatusBar* ProjectStatusBar() override { return MyStB; }
    std::string ProjectCommonRoot() override { return CommonRoot; }
    bool ProjectRestoreLongExtension(const std::string& ext, std::string& longExt) override;
    TProjectFileStructure ProjectFileStructure() override;
    bool ProjectViewerAutoExpand() override { return IniSettings.AutoExpand; }
    bool ProjectSpecViewerCompressedTree() override { return IniSettings.CompressedTree; }
    std::unique_ptr<TResultTabs> ResultTabs;
    TAboutBoxDlg* AboutBoxDlg1 = nullptr;
    TMenuItem* PopupMenuViewer = nullptr;
    TTabBarPress* EditorTabBarPress = nullptr;
    unsigned char RunMode = 0;        // 1 analysis ... 6 search, of the last run
    std::string TestToolLogName;      // the active test tool's log

    // ---- tool runs: the start actions, the watcher, finishing and
    // cancelling (PemarisMainRun.cpp)
    void BindRunActions();
    void ActRunAnalExecute(TComponent* sender);
    void ActRunTransformExecute(TComponent* sender);
    void ActRunWordScannerExecute(TComponent* sender);
    void ActRunTestDesignerExecute(TComponent* sender);
    void ActRunTestToolExecute(TComponent* sender); // TSP, TST, TSC, TSM, CTA by the sender
    void ActRunSearchExecute(TComponent* sender);
    void ActCancelRunExecute(TComponent* sender);
    // Prepares, starts and watches the run of RunMode.
    void ActRunTool();
    // The modal result of the form of that name shown at the control; 5 when
    // there is no such form.
    int ShowParameterDialog(const std::string& formName, TControl* at);
    void SetRunning(bool value);
    void UpdateRunProgress();
    void FinishRun();
    void RenameResultFiles();
    void RemoveEmptyResultFolders();
    void DeleteTemporaryFiles();
    // Runs the job as "-AutoRun" asks, or ends the program when it cannot.
    void StartAutoRun();
    // "-AutoRun" was given (with any value).
    bool AutoRunAsked() const;
    // The first showing reached StartAutoRun; a start that did not ends the
    // program through EndAutoRunStart.
    bool AutoRunReached = false;
    // Ends a program whose automatic run cannot run (its exit status stays
    // 1): the window is closed once the current event is over, and the
    // program quits when the close is refused, so it never idles unseen.
    void EndAutoRunStart();
    // Waits, in a loop that repaints but takes no user input, until the run
    // has finished; false when the user stopped waiting for a tool that does
    // not end.
    bool WaitForRunEnd();
    std::unique_ptr<TKorvexToolWatcherThread> ToolWatcher;
    TRunState RunState = TRunState::Idle;
    std::string TestToolProgram;
    // The watcher's slice and how long a cancel waits before it offers to
    // stop waiting (tests shorten both).
    static int WatcherSliceMs;
    static int StopWaitMs;
    // The program's exit status: "-AutoRun" makes it 1 until a run completed
    // and its job was saved.
    int ExitStatus = 0;
    std::function<void()> QuitRunWait; // ends the wait for the run's end
    // The stop file was written during this run: its outcome is the
    // cancellation, however long the tool takes to honour it.
    bool StopRequested = false;
    // From the start action to the end of the finishing a run is in
    // progress: the preparation serves events, and nothing may change the
    // job or start a second run meanwhile.
    bool RunInProgress = false;
    bool Processing() const { return Running || RunInProgress; }
    // Sets RunInProgress; the output directory's field is read-only while
    // it is set, and afterwards as the product wants it.
    void SetRunInProgress(bool on);
    // Refuses a change of the job while a run is in progress (the gate's
    // text) or a long loop walks the job's lists (silently).
    void RefuseJobChangeWhileBusy();
    // Counts the passes over the job's lists under way: an add from its
    // start to its end (its dialogs and count question included, while the
    // file loop's own flag is down) and a structure computation. Both serve
    // the window with the list half merged or half read; the gate holds
    // every change of the job meanwhile, so none runs inside another.
    int ListsInUse = 0;
    class TListsInUse {
    public:
        explicit TListsInUse(TfrmPemarisMain* f) : f_(f) { ++f_->ListsInUse; }
        ~TListsInUse() { --f_->ListsInUse; }
        TListsInUse(const TListsInUse&) = delete;
        TListsInUse& operator=(const TListsInUse&) = delete;

    private:
        TfrmPemarisMain* f_;
    };
    // A long loop walks the job's lists.
    bool LoopBusy() const { return FileLoopRunning || InputLoopRunning || ListsInUse > 0; }
    // The job file an automatic run was started with; its save writes there.
    std::string AutoRunJobFile;
    // Every save of an automatic run writes here (its job file, set once
    // the job is loaded).
    std::string AutoRunSaveFile;
    std::string LastToolProgram; // the program of the current run

    // ---- printing of tabs and files (PemarisMainPrint.cpp) and the test
    // case editor's frame (PemarisMainTestCases.cpp)
    void BindPrintActions();
    void ActPrintCurrentExecute(TComponent* sender);
    void ActPrintFileExecute(TComponent* sender);
    void ActSelectPrinterExecute(TComponent* sender);
    // With a sender the switch flips and the job is modified; then the
    // print actions of every form are relabelled.
    void ActPreviewBeforePrintingExecute(TComponent* sender);
    void RegisterTestCaseFrame();
    std::unique_ptr<IHardCopyPrinter> HardCopyPrinter;
    std::unique_ptr<TPrintDispatch> PrintDispatch;

    // ---- evaluation: module and deficiency rankings, test plan
    // (PemarisMainEvaluation.cpp)
    void BindEvaluationActions();
    void ActModuleRankingExecute(TComponent* sender);
    void ActDeficiencyRankingExecute(TComponent* sender);
    void ActCreateVellingExecute(TComponent* sender);
    // SetProgressBarsVisible (the progress group) comes with the job settings below.
    // ---- XML editor tabs and the compound metrics window
    // (PemarisMainCompound.cpp)
    void BindXMLEditorActions();
    void ActXMLEditorExecute(TComponent* sender);
    // Opens a report document in an XML editor tab whose changes recompute
    // the report's sums and whose save converts the report again.
    void OpenXMLEditorTab(const std::string& fileName);
    // What the compound metrics window reads of this window (a child object).
    ICompoundMetricsHost* CompoundHost = nullptr;

    // ---- statistics and rankings of the document scanners
    // (PemarisMainStatistics.cpp)
    void BindStatisticActions();
    void ActSpecStatisticExecute(TComponent* sender); // by the document kind
    void ActSpecRankingExecute(TComponent* sender);
    void ShowDefectStatistic();
    void ShowDefectRanking();
    void ShowChangeStatistic();
    void ShowChangeRanking();
    void ShowProjectStatistic();
    // The output directory, names, version and kinds the report folders
    // are built from.
    TScannerReportSettings ScannerReportSettings();

    // ---- source files, structure and further job settings
    // (PemarisMainSources.cpp, PemarisMainStructure.cpp, PemarisMainJobSettings.cpp)
    void BindSourceHandlers();
    // The source-file list: adding, removing, ticking, drops and drawing.
    void ActAddfilesExecute(TComponent* sender);
    void ActAddDirectoriesExecute(TComponent* sender);
    void ActRemoveFilesExecute(TComponent* sender);
    void ActToggleSelectExecute(TComponent* sender);
    void ActSelectAllExecute(TComponent* sender);
    void ActUnselectAllExecute(TComponent* sender);
    void ActToggleComponentExecute(TComponent* sender);
    void ActToggleModuleExecute(TComponent* sender);
    void BitBtnAddFilesWMDropFileMessage(TComponent* sender, const TWMDropFiles& msg);
    void WMDropFiles(const TWMDropFiles& msg);
    void CheckListBoxSelectedFilesClick(TComponent* sender);
    void CheckListBoxSelectedFilesEnter(TComponent* sender);
    void CheckListBoxSelectedFilesClickCheck(TComponent* sender);
    void CheckListBoxSelectedFilesDrawItem(QPainter* painter, const QRect& rect, int index, bool selected);
    std::string GetFileFilter(const std::string& key, const std::string& version);
    void AddDirectoryFiles(const std::string& folder, bool quiet);
    void LoadLanguageDefinition(const std::string& key);
    void SetLastPosition(const std::string& fileName);
    void SetSelectedFilesExtent(int pixels);
    // The check list an action works on: the sender when it is one, else
    // the form's active control; an error when there is none.
    TControl* FocusedCheckList(TComponent* sender);
    // The structure.
    void ActCalculateCommonRootStrictExecute(TComponent* sender);
    void CalculateModularStructure(bool strict);
    void SetCommonRoot(const std::string& root);
    void SetDepth(int depth);
    // Test-tool inputs, metric weights and further settings.
    void ActSpecifyMethodFileExecute(TComponent* sender);
    void ActSpecifyTestCaseFileExecute(TComponent* sender);
    void ActSpecifyDefiXMLExecute(TComponent* sender);
    void ActSpecifyTestExecutionLogExecute(TComponent* sender);
    void ActSpecifyTestResultExecute(TComponent* sender);
    void ActViewMethodListExecute(TComponent* sender);
    void CheckListBoxMetricsClickCheck(TComponent* sender);
    void ShowMetricWeightEditor(int index);
    void ComboBoxMetricsWeightsExit(TComponent* sender);
    void ComboBoxMetricsWeightsKeyPress(TComponent* sender, char& key);
    void CheckListBoxMetricsKeyPress(TComponent* sender, char& key);
    void CheckListBoxMetricsMouseUp(const QPoint& at);
    void CheckListBoxMetricsMouseMove(const QPoint& at);
    // A right-button press on a list focuses it, so its pop-up menu works on it.
    void CheckListBoxMetricsMouseDown(QWidget* list);
    void CheckListBoxMetricsDrawItem(QPainter* painter, const QRect& rect, int index);
    void WriteJobrinParameters();
    void ListCsxExports();
    std::string GetNewFileName(const std::string& text) const;
    std::string GetOriginalFileName(const std::string& text) const;
    // The new-file-names list changed: the memo shows it again.
    void NewFileNamesChanged();
    void MemoNewFileNamesChange(TComponent* sender);
    void ShowLastBatchStart(double start);
    void ShowLastBatchRuntime(double end);
    void SetFileLoopStop(bool flag);
    void SetBuildLoopStop(bool flag);
    void SetProgressBarsVisible(bool show);
    bool IsLanguageInList(const std::string& list) const;
    std::string GetCheckedFlags(TControl* list) const;
    void SetNameByDirectory(bool flag);
    void ActNameByDirectoryExecute(TComponent* sender);
    void ActHelpShellExecute(TComponent* sender);
    void Contents1Click(TComponent* sender);
    void ActCompoundMetricsExecute(TComponent* sender);
    void FormResize(TComponent* sender);
    void EditRulesEnter(TComponent* sender);
    void CheckBoxAuditClick(TComponent* sender);
    void FrameFindexecUseCaseFileEditExit(TComponent* sender);
    void FrameFindexecRepo_TabEnter(TComponent* sender);
    void SetRepoTabColor(TComponent* sender);
    void SetFileViewStyle(int style);
    bool IniFileBesideProgram();

    TSourceFileList SourceFiles;   // the job's files; CheckListBoxSelectedFiles shows them
    TModularStructure Structure;   // the lists parallel to SourceFiles, the root and the depth
    TNewFileNames NewFileNames;    // MemoNewFileNames shows them
    TStringListHolder* STLHMetricsWeights = nullptr;
    TLabel* LabelDepth = nullptr;
    TMenuItem *PopupMenuSelectedFiles = nullptr, *PopupMenuRulesMetricsLists = nullptr;
    int LanguageVersionCount = 0;
    int Depth = 0;
    bool ProgressShown = false;
    double BatchStart = 0, BatchEnd = 0;
    unsigned char FileViewStyle = 2;
    signed char IniBesideProgram = 0; // 0 not tested, 1 present, -1 absent
    int MetricWeightEditorIndex = -1;  // the metric whose weight the editor shows

private:
    // Helpers of the source-file list, the structure and the job settings.
    void BindJobSettingsHandlers();
    void ShowSourceMessages(const TSourceMessages& messages);
    void AddSourceFiles(const std::vector<std::string>& files, const TExtensionList& admitted);
    void AddDirectoryFilesOnly(const std::string& folder, bool quiet);
    void ShowSkippedSources();
    std::vector<bool> Ticks(TControl* list) const;
    void SetTicks(TControl* list, const std::function<bool(int index, bool ticked)>& tick);
    bool TestToolInputsShown() const;
    void RecountSelectedFiles();
    void ToggleStructureUnit(int level);
    void MetricWeightsFollowTicks();
    void SetAllWeights(const std::string& value);
    void SpecifyTestToolInput(const std::string& actionName);
    void StoreMetricWeight(bool close);
    void CloseMetricWeightEditor();
    QPointer<QWidget> activeControl_;
    std::vector<std::string> skippedSources_;
    bool syncingNewFileNames_ = false;

public:
    // ---- state of the recognised product and the start
    TAnalTypeConstants Product;
    bool ProductRecognised = false;
    std::string ToolRoot;
    std::string ProgramVersion;
    std::string ConsoleStubPath;
    std::string SavedTitle;
    unsigned char AutoRun = 0; // 0 none, 1 analysis, 3 word scanner
    TTabSheet* LangTab = nullptr;
    TGroupBox* LangGroupBox = nullptr;
    TRadioGroup* LangVerGroup = nullptr;
    TRadioButton* ActiveRadioButton = nullptr;
    TStringList InstalledLanguages;
    TStringList ParameterDocuments;
    TStringList WorkList;
    bool Modified = false;
    // Loop flags: stop requested / loop running, for the file loops and the
    // input-building loop.
    bool FileLoopStop = false, FileLoopRunning = false;
    bool InputLoopStop = false, InputLoopRunning = false;
    bool Running = false; // a tool runs
    int ListItemHeight = 0;
    int WidthIndexPrefix = 0;   // "[01] "
    int WidthWidestWeight = 0;  // widest item of ComboBoxMetricsWeights
    int WidthControlTagCol = 0; // "WWWW " less one
    // Buttons remembered for later enabling.
    std::map<std::string, TBitBtn*> RememberedButtons;
    // Settings applied from the product INI file.
    bool SystemCaptureConsole = false;
    bool DebugMode = false;
    std::string RememberedDerivedJob; // kinds 1, 2 and 6
    std::string RememberedJobName;    // kind 4
    std::string JobFolder;            // the folder used last
    std::string LanguageCode;         // the active language
    std::string LanguageVersion;
    // Product INI file and language state.
    std::string ProductIniPath;        // worked out once
    std::string IniLineBreak = "\n";   // the file's own line ends, kept on saving
    TIniSettings IniSettings;
    TOptionLevel OptionLevel;
    TLanguageDefinition ActiveLanguage;
    TLanguageExtras LanguageExtras;
    TLanguageCompanions LanguageCompanions; // the file-list switches are read from here
    std::string ToolFolderCode;
    std::string WorkFolder;
    unsigned char DocumentKind = 0;    // kind 8: 7 DEFI, 8 CHNG, 9 TIME
    std::string BrasketPath, WolmiraPath, TendrupPath;
    std::string DictionaryFilesPath;
    bool UseDictionaryFiles = false, TextTags = false;
    std::string ExtraScreen;
    bool CreatePif = false;
    bool RefuseListDrops = false;      // file drops on the selected-files box
    // Caption overrides of the selected language: action name -> what to
    // restore ("*Y" / "*N" former visibility, else the former caption).
    std::map<std::string, std::string> ActionOverrides;
    // Unusable ".Extras" values of the selected language, as reported.
    std::vector<std::string> LanguageExtrasProblems;
    // Parameter files that failed to open at the last LoadParameterLists.
    std::vector<std::string> FailedParameterFiles;
    // The job.
    std::string ProductName, SystemName, SystemVersion;
    std::string JobName;               // derived from the names when empty
    double JobFileDate = 0;            // the job file's date; 0 for a new job
    bool Loading = false;              // a job file is being read: language and list handlers wait
    bool NewJobFile = true;            // the job has no file yet
    std::string RememberedTestCaseList; // kind 6
    std::string InterfaceType;
    std::string CommonRoot;
    int StructureLevel = 2;
    int SystemBigDirectoryLimit = 50;
    int SelectedFilesScreenWidth = 0;
    bool SystemNameByDirectory = false;
    long long SourceLinesInJob = 0;
    // Progress counters of the run, kept in the job while a tool runs.
    int NumberOfRenamedModules = 0, NumberOfModules = 0;
    int NumberOfRenamedSourceFiles = 0, NumberOfSourceFiles = 0;

    // ---- the main form's components
    TMyStatusBar* MyStB = nullptr;
    TActionList* ActionListMain = nullptr;
    TImageList* ImageListApplIcons = nullptr;
    TFontDialog* FontDialog1 = nullptr;
    TOpenDialog* OpenDialogWork = nullptr;
    TOpenDialog* SaveDialogWork = nullptr;
    // menus
    TMenuItem *File1 = nullptr, *Actions1 = nullptr, *Viewers1 = nullptr, *Logs1 = nullptr,
              *Abouttheprogram1 = nullptr;
    // panels and pages
    TPanel* PanelBitButtons = nullptr;
    TBitBtn* BitBtnRunAnal = nullptr;
    TBitBtnWM_Drop* BitBtnAddFiles = nullptr;
    TBitBtnWM_Drop* BitBtnAddDirectories = nullptr;
    TBitBtnWM_Drop* BitBtnImportWordlist = nullptr;
    TPanel* PanelBozomek = nullptr;
    TPanel* PanelLibraries = nullptr;
    TPageControl* PageControlMain = nullptr;
    TTabSheet *TabSheetLangSel_Pemaris = nullptr, *TabSheetLangSel_Mindra = nullptr,
              *TabSheetLangSel_Velling = nullptr, *TabSheetLangSel_Harnox = nullptr;
    TGroupBox *GroupBoxLangSel_Pemaris = nullptr, *GroupBoxLangSel_Mindra = nullptr,
              *GroupBoxLangSel_Velling = nullptr, *GroupBoxLangSel_Harnox = nullptr;
    TRadioGroup *RadioGroupLangver_Pemaris = nullptr, *RadioGroupLangver_Mindra = nullptr,
                *RadioGroupLangver_Velling = nullptr, *RadioGroupLangver_Harnox = nullptr;
    TTabSheet* TabSheetNames = nullptr;
    TGroupBox* GroupBoxNames = nullptr;
    TPanel* PanelSytemName = nullptr;
    TEdit *EditProductName = nullptr, *EditSystemName = nullptr, *EditSystemVersion = nullptr;
    TGroupBox* GroupBoxExtras = nullptr;
    TCheckBox *CheckBoxComments = nullptr, *CheckBoxAudit = nullptr, *CheckBoxRedoc = nullptr,
              *CheckBoxCalc = nullptr, *CheckBoxExports = nullptr, *CheckBoxLabels = nullptr,
              *CheckBoxBranches = nullptr, *CheckBoxCalls = nullptr, *CheckBoxMacros = nullptr,
              *CheckBoxIOs = nullptr, *CheckBoxRepo_Tab = nullptr;
    TPanel* PanelExtraFiles = nullptr;
    TGroupBox* GroupBoxSearch = nullptr;
    TComboBox* ComboBoxSearchType = nullptr;
    TGroupBoxWM_Drop* GroupBoxSelectedFiles = nullptr;
    TSourceFileListBox* CheckListBoxSelectedFiles = nullptr;
    TPanel* PanelCommonRoot = nullptr;
    TEdit* EditCommonRoot = nullptr;
    TPanel* PanelTCAnal = nullptr;
    TTabSheet* TabSheetRulesMetricsUsw = nullptr;
    TPageControl* PageControlParams = nullptr;
    TTabSheet *TabSheetLimits = nullptr, *TabSheetRules = nullptr, *TabSheetMetrics = nullptr,
              *TabSheetSpecs = nullptr, *TabSheetFunctab = nullptr;
    TStringGrid* StringGridNumParams = nullptr;
    TCheckListBox *CheckListBoxLimits = nullptr, *CheckListBoxRules = nullptr, *CheckListBoxMetrics = nullptr,
                  *CheckListBoxSpecs = nullptr, *CheckListBoxFunctab = nullptr;
    TComboBox* ComboBoxMetricsWeights = nullptr;
    TTabSheet* TabSheetWordScan = nullptr;
    TTabSheet* TabSheetControlWDS = nullptr;
    TTabSheet* TabSheetObjects = nullptr;
    TPageControl* PageControlWordLists = nullptr;
    TCheckListBox* CheckListBoxControlTags = nullptr;
    TCheckListBox* CheckListBoxObjects = nullptr;
    TComboBox* ComboBoxCreateWrdList = nullptr;
    TComboBox* ComboBoxEditCWrd = nullptr;
    TEdit* EditCWrd = nullptr;
    TEdit* EditCreateWrdList = nullptr;
    TEdit* EditObjects = nullptr;
    TRichEdit* RichEditCTLWords = nullptr;
    TTabSheet* TabSheetTech = nullptr;
    TGroupBox* GroupBoxAdvanced = nullptr;
    TMemo* MemoToolNameDefault = nullptr;
    TButton* ButtonApplyINI = nullptr;
    TTabSheet* TabSheetViewer = nullptr;
    TPageControl* PageControlEditor = nullptr;
    TPageControl* PageControlHelper = nullptr;
    TTabSheet *TabSheetComponentNames = nullptr, *TabSheetModuleNames = nullptr, *TabSheetNewFileNames = nullptr,
              *TabSheetLongextension = nullptr;
    TCheckListBox *CheckListBoxComponentNames = nullptr, *CheckListBoxModuleNames = nullptr;
    TMemo *MemoNewFileNames = nullptr, *MemoLongextension = nullptr;
    TGroupBox* GroupBoxSlider = nullptr;
    TProgressBar *ProgressBarModules = nullptr, *ProgressBarSources = nullptr;
    TMemo* MemoCaptureConsole = nullptr;
    // pick frames (created by CreatePickFrames)
    TFrameFindDirectory* FrameFindDirectoryOutputDir = nullptr;
    TFrameFindexec *FrameFindexecPemaris = nullptr, *FrameFindexecEditorGeneral = nullptr,
                   *FrameFindexecLimits = nullptr, *FrameFindexecRules = nullptr, *FrameFindexecMetrics = nullptr,
                   *FrameFindexecFunctab = nullptr, *FrameFindexecSpecs = nullptr,
                   *FrameFindexecTransform = nullptr, *FrameFindexecWordScanner = nullptr,
                   *FrameFindexecTestDesigner = nullptr, *FrameFindexecTstSpecTemplate = nullptr,
                   *FrameFindexecSearch = nullptr, *FrameFindexecRepo_Tab = nullptr;

    // Language radio buttons in component order, with the tab they sit on.
    std::vector<TRadioButton*> LanguageButtons;

    // Actions by name (all of ActionListMain).
    TAction* Act(const std::string& name) const;
    TAction *ActRunAnal = nullptr, *ActRunWordScanner = nullptr, *ActSaveProject = nullptr,
            *ActSaveProjectAs = nullptr, *ActOpenProject = nullptr, *ActNewProject = nullptr,
            *ActShowAdvanced = nullptr, *ActCalculateCommonRootStrict = nullptr;

    // The radio buttons of a tab, and the tab of a button (by its
    // parent's parent's parent).
    TTabSheet* LanguageTabOf(const TRadioButton* button) const;

private:
    void BuildComponents();
    void BuildActions();
    void BuildMenus();
    void BuildLanguageTabs();
    void BuildNamesTab();
    void BuildParameterTabs();
    void BuildWordScanTab();
    void BuildTechTab();
    void BuildHelperPages();
    void CreatePickFrames();
    void SetHelpContexts();
    void ApplyViewerFontFromSettings();
    void ApplyGeometryFromSettings();
    // The job the first showing opens (a derived product's remembered job,
    // else the one given by -Proj), "" none.
    std::string StartJobFile();
    // Collects a failed start step's messages again, after the language
    // selection that follows has cleared the bar.
    void ReportAgain(const std::string& collected, const std::string& last);
};

// The main form of the running program (the first form created).
TfrmPemarisMain* MainForm();

} // namespace pem
