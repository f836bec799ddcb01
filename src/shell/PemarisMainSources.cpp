// The job's source files on the main window: adding them by dialog, by
// directory tree and by dropping, removing and ticking them, the language's
// file filter and version choice, and how each item is drawn. The list and
// its rules live in the source-file classes; the handlers here are the
// window's side of them.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "DesktopServices.h"
#include "DialogService.h"
#include "DropRouter.h"
#include "Exceptions.h"
#include "FileFilter.h"
#include "HandlerGuard.h"
#include "JobFile.h"
#include "QtText.h"
#include "SettingsStore.h"
#include "SharedRoutinesCommon.h"
#include "SharedRoutinesFiles.h"
#include "SourceFileListBox.h"
#include "EventPump.h"
#include "SourceTree.h"
#include "StringListHolder.h"
#include "WM_DropFilesComponents.h"

#include <QApplication>
#include <QPainter>
#include <future>
#include <unistd.h>

namespace pem {

namespace {

const char* const kNoCheckList = "Click on a checklistbox first to use this function!";
const char* const kNoCheckListTag = "Click on a checklistbox first to use this function(Tag)!";

std::string FolderOf(const std::string& fileName) {
    const auto slash = fileName.find_last_of('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

} // namespace

// ------------------------------------------------------------------ binding

void TfrmPemarisMain::BindSourceHandlers() {
    CheckListBoxSelectedFiles->OnClick = [this](TComponent* s) { CheckListBoxSelectedFilesClick(s); };
    CheckListBoxSelectedFiles->OnEnter = [this](TComponent* s) { CheckListBoxSelectedFilesEnter(s); };
    CheckListBoxSelectedFiles->OnClickCheck = [this](TComponent* s) { CheckListBoxSelectedFilesClickCheck(s); };
    // A tick changes the job: refused while a run is in progress, on every
    // road (click, Space, double-click).
    CheckListBoxSelectedFiles->OnCanTick = [this] { return RunGuarded([this] { RefuseJobChangeWhileBusy(); }); };
    const auto toggleOnDoubleClick = [this](TComponent* s) {
        RefuseJobChangeWhileBusy();
        ActToggleSelectExecute(s);
    };
    CheckListBoxSelectedFiles->OnDblClick = toggleOnDoubleClick;
    CheckListBoxSelectedFiles->OnDrawItem = [this](QPainter* p, const QRect& r, int i, bool sel) {
        CheckListBoxSelectedFilesDrawItem(p, r, i, sel);
    };
    CheckListBoxComponentNames->OnClickCheck = [this](TComponent* s) { CheckListBoxSelectedFilesClickCheck(s); };
    CheckListBoxModuleNames->OnClickCheck = [this](TComponent* s) { CheckListBoxSelectedFilesClickCheck(s); };
    for (TCheckListBox* l : {CheckListBoxMetrics, CheckListBoxRules, CheckListBoxSpecs, CheckListBoxFunctab,
                             CheckListBoxLimits, CheckListBoxComponentNames, CheckListBoxModuleNames})
        l->OnDblClick = toggleOnDoubleClick;

    Act("ActAddfiles")->OnExecute = [this](TComponent* s) { ActAddfilesExecute(s); };
    Act("ActAddDirectories")->OnExecute = [this](TComponent* s) { ActAddDirectoriesExecute(s); };
    Act("ActRemoveFiles")->OnExecute = [this](TComponent* s) { ActRemoveFilesExecute(s); };
    Act("ActToggleSelect")->OnExecute = [this](TComponent* s) { ActToggleSelectExecute(s); };
    Act("ActSelectAll")->OnExecute = [this](TComponent* s) { ActSelectAllExecute(s); };
    Act("ActUnselectAll")->OnExecute = [this](TComponent* s) { ActUnselectAllExecute(s); };
    Act("ActToggleComponent")->OnExecute = [this](TComponent* s) { ActToggleComponentExecute(s); };
    Act("ActToggleModule")->OnExecute = [this](TComponent* s) { ActToggleModuleExecute(s); };
    Act("ActCalculateCommonRoot")->OnExecute = [this](TComponent* s) { ActCalculateCommonRootExecute(s); };
    ActCalculateCommonRootStrict->OnExecute = [this](TComponent* s) { ActCalculateCommonRootStrictExecute(s); };

    // Files dropped on the list's box and on the two add buttons; a job file
    // dropped anywhere else on the window.
    for (auto* b : {BitBtnAddFiles, BitBtnAddDirectories})
        b->OnWMDropFileMessage = [this](TComponent* s, const TWMDropFiles& m) { BitBtnAddFilesWMDropFileMessage(s, m); };
    GroupBoxSelectedFiles->OnWMDropFileMessage = [this](TComponent* s, const TWMDropFiles& m) {
        BitBtnAddFilesWMDropFileMessage(s, m);
    };
    TDropRouter::Instance().RegisterTarget(Client(), [this](const TWMDropFiles& msg) { WMDropFiles(msg); });

    // The form's active control: the check list an action from a menu or a
    // button works on is the one that had the focus last.
    QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this) activeControl_ = now;
    });
    BindJobSettingsHandlers();
}

// ------------------------------------------------------------------ filters

std::string TfrmPemarisMain::GetFileFilter(const std::string& key, const std::string& version) {
    const TStringList lines = IniLines();
    TFilterGroup group;
    group.defined = !IniValue(lines, std::string(kSubProcessorGroup) + ".SubProcessors").empty();
    group.codes = SubProcessorCodes(lines, kSubProcessorGroup, &group.loops);
    TSourceMessages messages;
    const std::string filter = pem::GetFileFilter(
        [&lines](const std::string& name) { return IniValue(lines, name); }, key, version, LanguageCode, group, messages);
    ShowSourceMessages(messages);
    return filter;
}

void TfrmPemarisMain::ShowSourceMessages(const TSourceMessages& messages) {
    for (const TSourceMessage& m : messages) {
        switch (m.kind) {
        case TSourceMessage::Info: MyStB->ShowInfo(m.text); break;
        case TSourceMessage::Warning: MyStB->ShowWarning(m.text); break;
        case TSourceMessage::Error: MyStB->Error(m.text); break;
        }
    }
}

// ---------------------------------------------------------- language versions

void TfrmPemarisMain::LoadFileListDefinitions(TRadioButton* button) {
    if (button) LoadLanguageDefinition(button->Name());
}

void TfrmPemarisMain::LoadLanguageDefinition(const std::string& key) {
    const std::string value = IniValue(IniLines(), key);
    if (value.empty()) MyStB->Error("Shell error,missing language definition, inform Valtmoor");
    TLanguageDefinition def;
    ParseLanguageDefinition(key, value, def);
    LanguageVersionCount = def.VersionCount;
    if (!LangVerGroup) return;
    // A count larger than the versions listed is read as far as they go.
    if (static_cast<int>(def.Versions.size()) < def.VersionCount)
        MyStB->ShowWarning("Language definition " + key + " counts " + std::to_string(def.VersionCount) +
                           " versions but lists " + std::to_string(def.Versions.size()));
    TStringList versions;
    for (const std::string& v : def.Versions) versions.Add(v);
    LangVerGroup->SetItems(versions);
    LanguageVersion = def.Versions.empty() ? std::string() : def.Versions.front();
    if (!def.Versions.empty()) LangVerGroup->SetItemIndex(0);
    LangVerGroup->setFixedHeight(17 * versions.Count() + 20);
    LangVerGroup->SetVisible(versions.Count() >= 2);
}

void TfrmPemarisMain::SetLastPosition(const std::string& fileName) {
    JobFolder = FolderOf(fileName);
    if (!IsMainKind(Product.Kind)) return;
    WriteSetting("LastPosition" + LanguageCode, JobFolder);
    WriteSetting("LastPosition", JobFolder);
}

// ------------------------------------------------------------------ adding

void TfrmPemarisMain::ActAddfilesExecute(TComponent*) {
    const TListsInUse adding(this);
    PageControlMain->SetActivePage(TabSheetNames);
    TOpenDialogRequest& o = OpenDialogWork->Options;
    o = TOpenDialogRequest{};
    o.multiSelect = true;
    o.mustExist = true;
    o.initialDir = CommonRoot;
    o.title = "Add files to process to the project";
    o.filters = ParseDialogFilter(GetFileFilter(LanguageCode, LanguageVersion));
    OpenDialogWork->FileName.clear();
    if (OpenDialogWork->Execute()) {
        const TExtensionList admitted(GetFileFilter(LanguageCode, LanguageVersion));
        AddSourceFiles(OpenDialogWork->Files, admitted);
    }
    // Marked before the structure is computed: a list it refuses (9999
    // files or more) is still a changed job.
    SetModified(true);
    CalculateModularStructure(false);
    ShowSkippedSources();
}

void TfrmPemarisMain::AddSourceFiles(const std::vector<std::string>& files, const TExtensionList& admitted) {
    std::vector<std::string> take;
    for (const std::string& f : files) {
        if (!admitted.Admits(f)) continue;
        const std::string reason = UnsafeSourceNameReason(f);
        if (!reason.empty()) {
            skippedSources_.push_back(SkippedSourceMessage(f, reason));
            continue;
        }
        take.push_back(f);
    }
    if (SourceFiles.AddNew(take) > 0) CheckListBoxSelectedFiles->Changed();
}

void TfrmPemarisMain::ShowSkippedSources() {
    if (skippedSources_.empty()) return;
    std::string text = skippedSources_.front();
    if (skippedSources_.size() > 1)
        text += " (and " + std::to_string(skippedSources_.size() - 1) + " more files skipped)";
    skippedSources_.clear();
    MyStB->ShowWarning(text);
}

void TfrmPemarisMain::BitBtnAddFilesWMDropFileMessage(TComponent* sender, const TWMDropFiles& msg) {
    if (sender == GroupBoxSelectedFiles && RefuseListDrops) return;
    RefuseJobChangeWhileBusy();
    const TListsInUse adding(this);
    const TExtensionList admitted(GetFileFilter(LanguageCode, LanguageVersion));
    skippedSources_.clear();
    for (const TSkippedName& s : msg.Skipped) skippedSources_.push_back(SkippedSourceMessage(s.name, s.reason));
    // Several folders dropped at once are added first and the structure
    // computed once; the files are added together.
    std::vector<std::string> files;
    bool addedTree = false;
    for (const auto& item : msg.Files) {
        if (DirectoryExists(item.s)) {
            AddDirectoryFilesOnly(item.s, true);
            addedTree = true;
        } else {
            files.push_back(item.s);
        }
    }
    AddSourceFiles(files, admitted);
    if (!files.empty() || addedTree) {
        SetModified(true);
        CalculateModularStructure(false);
    }
    ShowSkippedSources();
}

void TfrmPemarisMain::WMDropFiles(const TWMDropFiles& msg) {
    // A derived product's job is given to it; it opens no other, on any road.
    if (!IsMainKind(Product.Kind)) return;
    if (msg.Files.Count() != 1) return;
    const std::string& name = msg.Files[0];
    if (DirectoryExists(name) || Product.JobExtension.empty()) return;
    const auto dot = name.find_last_of('.');
    const auto slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return;
    if (name.substr(dot) != Product.JobExtension) return;
    OpenDialogWork->FileName = name;
    ActOpenProjectExecute(nullptr);
}

void TfrmPemarisMain::ActAddDirectoriesExecute(TComponent*) {
    const TListsInUse adding(this);
    std::string start;
    if (!CommonRoot.empty()) start = "/";
    std::string folder;
    if (!Dialogs().SelectDirectory("Select a folder containing files to add to the project", start, folder)) return;
    AddDirectoryFiles(folder, false);
}

void TfrmPemarisMain::AddDirectoryFiles(const std::string& folder, bool quiet) {
    skippedSources_.clear();
    AddDirectoryFilesOnly(folder, quiet);
    SetModified(true);
    CalculateModularStructure(false);
    ShowSkippedSources();
}

void TfrmPemarisMain::AddDirectoryFilesOnly(const std::string& folder, bool quiet) {
    if (::access(Cp1252ToUtf8(folder).c_str(), R_OK | X_OK) != 0) {
        MyStB->ShowWarning("The folder " + folder + " cannot be read; nothing was added from it");
        return;
    }
    // The progress group, the busy cursor and the loop flags are put back
    // however the adding ends.
    struct Restore {
        TfrmPemarisMain* f;
        ~Restore() {
            f->SetFileLoopStop(true);
            f->FileLoopRunning = false;
            f->SetProgressBarsVisible(false);
            Screen().SetBusyCursor(false);
        }
    } restore{this};
    ProgressBarSources->SetMin(0);
    ProgressBarSources->SetMax(5);
    ProgressBarSources->SetPosition(1);
    GroupBoxSlider->SetCaption("");
    SetProgressBarsVisible(true);
    Screen().SetBusyCursor(true);

    // The search runs beside the event loop, which goes on serving the
    // window; a close request during it stops the adding before the list changes.
    const std::string searchList = TExtensionList(GetFileFilter(LanguageCode, LanguageVersion)).SearchList();
    SetFileLoopStop(false);
    std::vector<std::string> found;
    if (!searchList.empty()) {
        auto work = std::async(std::launch::async, [folder, searchList] { return CollectSourceTree(folder, searchList); });
        TEventPump pump;
        do
            pump.Pump(true);
        while (work.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready);
        TCollectedTree tree = work.get();
        found = std::move(tree.files);
        for (const std::string& s : tree.skipped) skippedSources_.push_back(s);
    }
    ProgressBarSources->SetPosition(ProgressBarSources->Position() + 1);
    if (FileLoopStop) MyStB->Error("Process aborted!");

    if (!quiet && static_cast<int>(found.size()) > SystemBigDirectoryLimit) {
        // No loop runs while the question is open; a stop the user confirms
        // meanwhile is kept for the pass.
        FileLoopRunning = false;
        const int answer = Dialogs().MessageDlg("You are going to add " + std::to_string(found.size()) +
                                                    " source files\r\nDo you really want to proceed?",
                                                TMsgDlgType::mtWarning, mbOKCancel);
        if (answer != mrOk) MyStB->Error("Cancelled due to too many files in directory");
        FileLoopRunning = true;
        if (FileLoopStop) MyStB->Error("Process aborted!");
    }

    ProgressBarModules->SetMin(1);
    ProgressBarModules->SetMax(std::max(1, SourceFiles.Count() + static_cast<int>(found.size())));
    ProgressBarModules->SetPosition(1);
    TEventPump pump;
    const bool completed = SourceFiles.AddTree(std::move(found), [&](int pos, int max) {
        if (!pump.Due()) return !FileLoopStop;
        GroupBoxSlider->SetCaption("Processing " + std::to_string(pos) + " of " + std::to_string(max));
        ProgressBarModules->SetMax(max);
        ProgressBarModules->SetPosition(pos);
        pump.Pump(false);
        return !FileLoopStop;
    }, true);
    CheckListBoxSelectedFiles->Changed();
    if (!completed) {
        SetModified(true);
        MyStB->Error("Process aborted!");
    }
}

// ------------------------------------------------------------- the check lists

TControl* TfrmPemarisMain::FocusedCheckList(TComponent* sender) {
    auto isList = [this](TComponent* c) -> TControl* {
        if (c == CheckListBoxSelectedFiles) return CheckListBoxSelectedFiles;
        return dynamic_cast<TCheckListBox*>(c);
    };
    if (TControl* l = isList(sender)) return l;
    if (sender && sender->Tag() != 0) MyStB->Error(kNoCheckListTag);
    QWidget* active = activeControl_;
    // A focus inside a list's viewport belongs to the list.
    for (QWidget* w = active; w && w != this; w = w->parentWidget())
        if (TControl* l = isList(TComponent::Of(w))) return l;
    MyStB->Error(kNoCheckList);
    return nullptr;
}

std::vector<bool> TfrmPemarisMain::Ticks(TControl* list) const {
    std::vector<bool> ticks;
    if (list == CheckListBoxSelectedFiles) {
        for (const TSourceFile& f : SourceFiles.Items()) ticks.push_back(f.checked);
    } else if (auto* box = dynamic_cast<TCheckListBox*>(list)) {
        for (int i = 0; i < box->Count(); ++i) ticks.push_back(box->Checked(i));
    }
    return ticks;
}

void TfrmPemarisMain::SetTicks(TControl* list, const std::function<bool(int, bool)>& tick) {
    if (list == CheckListBoxSelectedFiles) {
        for (int i = 0; i < SourceFiles.Count(); ++i) SourceFiles.SetChecked(i, tick(i, SourceFiles.Checked(i)));
        CheckListBoxSelectedFiles->Changed();
    } else if (auto* box = dynamic_cast<TCheckListBox*>(list)) {
        for (int i = 0; i < box->Count(); ++i) box->SetChecked(i, tick(i, box->Checked(i)));
    }
}

bool TfrmPemarisMain::TestToolInputsShown() const { return Act("ActSpecifyMethodFile")->Visible(); }

void TfrmPemarisMain::ActRemoveFilesExecute(TComponent* sender) {
    TControl* list = FocusedCheckList(sender);
    if (list == CheckListBoxSelectedFiles) {
        SourceFiles.RemoveUnchecked();
        CheckListBoxSelectedFiles->Changed();
    } else if (auto* box = dynamic_cast<TCheckListBox*>(list)) {
        std::vector<TListItemData> kept;
        for (int i = 0; i < box->Count(); ++i)
            if (box->Checked(i)) kept.push_back(box->CheckListItem(i));
        box->AssignCheckList(std::move(kept));
    }
    SetModified(true);
    ActCalculateCommonRootStrict->SetVisible(SourceFiles.Count() > SystemBigDirectoryLimit);
    if (ActCalculateCommonRootStrict->Visible() || ActShowAdvanced->Checked()) ShowHelperPages(true);
    RecountSelectedFiles();
    // The lists beside the files follow them again, so no item is drawn with
    // another file's component and module.
    if (list == CheckListBoxSelectedFiles) CalculateModularStructure(false);
}

void TfrmPemarisMain::RecountSelectedFiles() {
    const std::string caption = GroupBoxSelectedFiles->Caption();
    GroupBoxSelectedFiles->SetCaption(StrBeforeFirst(caption, "(") + "(" + std::to_string(SourceFiles.Count()) + ")");
}

void TfrmPemarisMain::ActToggleSelectExecute(TComponent* sender) {
    TControl* list = FocusedCheckList(sender);
    if (TestToolInputsShown() && list == CheckListBoxSelectedFiles) return;
    SetTicks(list, [](int, bool on) { return !on; });
    if (list == CheckListBoxMetrics) MetricWeightsFollowTicks();
    SetModified(true);
    if (list == CheckListBoxSelectedFiles) CalculateModularStructure(false);
}

void TfrmPemarisMain::ActSelectAllExecute(TComponent* sender) {
    TControl* list = FocusedCheckList(sender);
    SetTicks(list, [](int, bool) { return true; });
    SetModified(true);
    if (list == CheckListBoxSelectedFiles) CalculateModularStructure(false);
    if (list == CheckListBoxMetrics) SetAllWeights("1");
}

void TfrmPemarisMain::ActUnselectAllExecute(TComponent* sender) {
    TControl* list = FocusedCheckList(sender);
    SetTicks(list, [](int, bool) { return false; });
    if (list == CheckListBoxMetrics) SetAllWeights("0");
    SetModified(true);
}

void TfrmPemarisMain::ToggleStructureUnit(int level) {
    const int i = CheckListBoxSelectedFiles->ItemIndex();
    if (i < 0) return;
    const std::vector<std::string>& names = level == 1 ? Structure.Components : Structure.Modules;
    if (SourceFiles.Checked(i)) {
        // Every file of the selected file's component (module) goes out;
        // a file added since the last computation has none.
        const int row = SourceFiles.StructureRow(i);
        const std::string unit = TModularStructure::At(names, row);
        for (int k = 0; k < SourceFiles.Count(); ++k) {
            const int r = SourceFiles.StructureRow(k);
            if (k == i || (row >= 0 && r >= 0 && static_cast<size_t>(r) < names.size() &&
                           names[static_cast<size_t>(r)] == unit))
                SourceFiles.SetChecked(k, false);
        }
    } else {
        // Every file below the selected file's first (second) folder under
        // the root comes in. Without that folder (a file directly in the
        // root) the prefix is the root, its separator and one more
        // character: the root and separator alone would take in every file.
        const std::string& text = SourceFiles.Path(i);
        const size_t start = static_cast<size_t>(RelativePartStart(CommonRoot) - 1);
        size_t end = start + 1, found = 0;
        for (size_t p = start; p < text.size(); ++p)
            if (text[p] == '/' && ++found == static_cast<size_t>(level)) {
                end = p + 1;
                break;
            }
        SourceFiles.CheckPrefix(std::string_view(text).substr(0, end), true);
    }
    CheckListBoxSelectedFiles->Changed();
    CheckListBoxSelectedFilesClick(CheckListBoxSelectedFiles);
    SetModified(true);
    CalculateModularStructure(false);
}

void TfrmPemarisMain::ActToggleComponentExecute(TComponent*) { ToggleStructureUnit(1); }
void TfrmPemarisMain::ActToggleModuleExecute(TComponent*) { ToggleStructureUnit(2); }

void TfrmPemarisMain::CheckListBoxSelectedFilesClick(TComponent*) {
    const int i = CheckListBoxSelectedFiles->ItemIndex();
    if (i < 0) return;
    const bool on = SourceFiles.Checked(i);
    Act("ActToggleModule")->SetCaption(on ? "Deselect the whole module" : "Select the whole module");
    Act("ActToggleComponent")->SetCaption(on ? "Deselect the whole component" : "Select the whole component");
}

void TfrmPemarisMain::CheckListBoxSelectedFilesEnter(TComponent* sender) {
    if (CheckListBoxSelectedFiles->ItemIndex() >= 0 || SourceFiles.Empty()) return;
    CheckListBoxSelectedFiles->SetItemIndex(0);
    CheckListBoxSelectedFilesClick(sender);
}

void TfrmPemarisMain::CheckListBoxSelectedFilesClickCheck(TComponent*) {
    // The tick is a change of the job whatever the structure step makes of
    // it: above the large-tree limit, or with no file left ticked, that step
    // computes nothing.
    SetModified(true);
    Act("ActCalculateCommonRoot")->Execute();
}

void TfrmPemarisMain::SetSelectedFilesExtent(int pixels) {
    SelectedFilesScreenWidth = pixels;
    CheckListBoxSelectedFiles->SetHorizontalExtent(pixels);
}

// ------------------------------------------------------------------ drawing

void TfrmPemarisMain::CheckListBoxSelectedFilesDrawItem(QPainter* painter, const QRect& rect, int index, bool) {
    TItemLayout layout;
    layout.relativeStart = RelativePartStart(CommonRoot);
    layout.testToolMode = TestToolInputsShown();
    layout.labelWidth = QFontMetrics(CheckListBoxSelectedFiles->font()).horizontalAdvance("Test execution log: ");
    layout.helperPagesShown = PageControlHelper->Visible();
    for (const TItemColumn& c : SourceItemColumns(SourceFiles, Structure, index, layout))
        painter->drawText(QRect(rect.left() + c.x, rect.top(), std::max(0, rect.right() - rect.left() - c.x + 1),
                                rect.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ToQ(c.text));
}

} // namespace pem
