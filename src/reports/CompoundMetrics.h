#pragma once
// The compound metrics window: metric documents of several runs and systems
// gathered into one check list, a choice of them kept as a metrics file list
// (".flst"), and their compound metrics computed, shown, saved and printed.
// It also holds, in string-list holders, the metric document templates and
// type tables that the report conversion and the XML editor read through its
// single instance.
//
// What it needs of the main window comes through ICompoundMetricsHost.
#include "Forms.h"
#include "MetricTemplates.h"
#include "StringListHolder.h"
#include "WM_DropFilesComponents.h"

#include <functional>
#include <string>
#include <vector>

namespace pem {

class TMyStatusBar;
class TfrmCompoundMetrics;

// The import list: a sorted check list whose entries draw as four columns
// (product, system, kind, path below the common root).
class TImportFileList : public TCheckListBox {
public:
    TImportFileList(TfrmCompoundMetrics* form, QWidget* parent);
    TfrmCompoundMetrics* Form;
};

// The main window as the compound metrics window sees it.
class ICompoundMetricsHost {
public:
    virtual ~ICompoundMetricsHost() = default;
    virtual std::string CompoundProductName() = 0;
    virtual std::string CompoundSystemName() = 0;
    virtual std::string CompoundOutputDirectory() = 0;  // as typed
    virtual std::string CompoundProjectName() = 0;      // the job's name
    // The job changed (its file keeps the window's list).
    virtual void CompoundJobModified() = 0;
    virtual bool CompoundPreviewBeforePrinting() = 0;
    // The main window's progress group over the files computed: shown above
    // ten files, stepped per file, hidden at the end.
    virtual void CompoundProgressBegin(const std::string& caption, int files) = 0;
    virtual void CompoundProgressStep() = 0;
    virtual void CompoundProgressEnd() = 0;
    // The window this one is placed against; none: left where it is.
    virtual QWidget* CompoundMainWindow() = 0;
};

class TfrmCompoundMetrics : public TForm {
public:
    TfrmCompoundMetrics();

    // ---- templates and tables
    TStringListHolder* STHXML_Defi_TavrelExport;
    TStringListHolder* STHXML_Defi_ComponentRanking;
    TStringListHolder* STHXML_Chng_TavrelExport;
    TStringListHolder* STHXML_Chng_ComponentRanking;
    TStringListHolder* STHXML_Project_Statistics;
    TStringListHolder* STHXML_Sample;
    TStringListHolder* STHXML_Type_List;
    TStringListHolder* StLHKodToLabel;
    TStringListHolder* StLHLabelToKod;

    // The report templates as the holders hold them.
    TReportTemplates ReportTemplates() const;

    // ---- controls
    TLabel* LabelCommonRoot;
    TPanelWM_Drop* PanelWM_DropImportFiles;
    TImportFileList* CBImportFiles;
    TPanel* Panel2;
    TBitBtn* BitBtnGetFile;
    TBitBtnWM_Drop* BitBtnWM_DropGetDirectory;
    TBitBtn* BitBtnRefreshList;
    TBitBtn* BitBtnCreateReport;
    TBitBtn* BitBtnSaveAsXML;
    TBitBtn* BitBtnPrint;
    TBitBtnWM_Drop* BitBtnWM_DropLoadFileList;
    TBitBtn* BitBtnSaveFileList;
    TMyStatusBar* MyStB;
    TMenuItem* PopupMenuImportFiles;
    TOpenDialog* OpenDialogWork;
    TOpenDialog* SaveDialog;
    TActionList* ActionList2;
    TAction *ActSelectImporFile, *ActSelectImportDirectory, *ActRefresh, *ActShowSummary, *ActSaveToXML,
        *ActPrintResult, *ActLoadFileList, *ActSaveFileList, *ActImportShowXML, *ActRemoveUnchecked,
        *ActImportReverseSelection, *ActSelectAll, *ActUnselectAll, *ActToggleFileType;

    // The main window; set by it before the window is first shown.
    ICompoundMetricsHost* Host = nullptr;
    // The date the result carries ("yyyy-mm-dd"); today by default.
    std::function<std::string()> Today;

    // ---- form events and handlers
    void FormCreate(TComponent* sender);
    void FormShow(TComponent* sender);
    void FormResize();
    void CBImportFilesClick(TComponent* sender);
    void CBImportFilesClickCheck(TComponent* sender);
    void CBImportFilesDblClick(TComponent* sender);
    void ActionList2Execute(TAction* action, bool& handled);
    void ActSelectImporFileExecute(TComponent* sender);
    void ActSelectImportDirectoryExecute(TComponent* sender);
    void PanelWM_DropImportFilesWMDropFileMessage(TComponent* sender, const TWMDropFiles& msg);
    void ActImportShowXMLExecute(TComponent* sender);
    void ActRemoveUncheckedExecute(TComponent* sender);
    void ActImportReverseSelectionExecute(TComponent* sender);
    void ActSelectAllExecute(TComponent* sender);
    void ActUnselectAllExecute(TComponent* sender);
    void ActToggleFileTypeExecute(TComponent* sender);
    void ActRefreshExecute(TComponent* sender);
    void ActLoadFileListExecute(TComponent* sender);
    void BitBtnWM_DropLoadFileListWMDropFileMessage(TComponent* sender, const TWMDropFiles& msg);
    void ActSaveFileListExecute(TComponent* sender);
    void ActShowSummaryExecute(TComponent* sender);
    void ActSaveToXMLExecute(TComponent* sender);
    void ActPrintResultExecute(TComponent* sender);

    // ---- the list
    void SelectImportFiles();
    void SelectImportDirectory();
    void AddImportFiles(const std::vector<std::string>& files);
    void AddImportDirectory(const std::string& folder);
    void RefreshImportList();
    // The file of entry i.
    std::string EntryPath(int i) const;

    // ---- the result
    std::string ComputeCompoundMetrics();
    void FillComprehensiveReport(const std::string& text);

    // The instance made at start-up; null before it is made.
    static TfrmCompoundMetrics* Instance();

protected:
    void resizeEvent(QResizeEvent* e) override;
    // The buttons follow the button panel's width, which the form's layout
    // sets after the form's own resize.
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Adds the files that pass (a folder gives its XML files, subfolders
    // included, when folders are allowed), then refreshes; the refused
    // files are reported after invalidText.
    void ImportFiles(const std::vector<std::string>& paths, bool foldersToo, const char* invalidText);
    // After the user changed check marks or entries.
    void ListChanged();
    // The job is marked changed only while the list is kept with it.
    void JobModified();
    void SetScrollExtent();
    void FitButtonPanel();
    // The form's layout applied now, so that the panels have their widths.
    void LayOutNow();
    // The open dialog as the window uses it: several existing files.
    bool ExecuteOpenDialog(const std::string& initialDir, const char* title, const char* filter);
    std::string ProductName() const;
    std::string OutputDirectory() const;
};

} // namespace pem
