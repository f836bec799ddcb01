// The component and module structure on the main window: the computation's
// inputs gathered from the window, its progress shown, its results put into
// the lists that show them, and its messages on the status bar.
#include "PemarisMain.h"

#include "DesktopServices.h"
#include "EventPump.h"
#include "ListTextWidths.h"
#include "QtText.h"
#include "SharedRoutinesCommon.h"
#include "SourceFileListBox.h"

#include <QFontMetrics>

namespace pem {

namespace {

TNameList NamesOf(const TCheckListBox* box) {
    TNameList names;
    for (int i = 0; i < box->Count(); ++i) names.push_back({box->ItemText(i), box->Checked(i)});
    return names;
}

void ShowNames(TCheckListBox* box, const TNameList& names) {
    std::vector<TListItemData> items;
    items.reserve(names.size());
    for (const TNameEntry& n : names) items.push_back({n.name, n.ticked, true});
    box->AssignCheckList(std::move(items));
}

} // namespace

void TfrmPemarisMain::ActCalculateCommonRootExecute(TComponent*) { CalculateModularStructure(false); }

void TfrmPemarisMain::ActCalculateCommonRootStrictExecute(TComponent*) { CalculateModularStructure(true); }

void TfrmPemarisMain::ClearStructureLists() {
    Structure.ClearComponentsAndModules();
    CheckListBoxSelectedFiles->viewport()->update();
}

void TfrmPemarisMain::CalculateModularStructure(bool strict) {
    // The computation serves the window while it reads the list.
    const TListsInUse computing(this);
    const int count = SourceFiles.Count();
    ActCalculateCommonRootStrict->SetVisible(count > SystemBigDirectoryLimit);
    if (ActCalculateCommonRootStrict->Visible() || ActShowAdvanced->Checked()) ShowHelperPages(true);
    RecountSelectedFiles();
    if (count == 0) return;

    // The cursor and the progress group come back however the computation ends.
    struct Restore {
        TfrmPemarisMain* f;
        bool busy = false;
        ~Restore() {
            if (!busy) return;
            f->SetProgressBarsVisible(false);
            Screen().SetBusyCursor(false);
        }
    } restore{this};

    const TListTextWidths widths(CheckListBoxSelectedFiles->font());
    TStructureRequest req;
    req.strict = strict;
    req.level = StructureLevel;
    req.productKind = Product.Kind;
    req.bigLimit = SystemBigDirectoryLimit;
    req.testToolMode = TestToolInputsShown();
    req.recalculateCaption = ActCalculateCommonRootStrict->Caption();
    const TStringList lines = IniLines();
    req.dummyNames = SplitCommaList(InsideParentheses(IniValue(lines, LanguageCode + ".DummyNames")) + "," +
                                    InsideParentheses(IniValue(lines, "Common.DummyNames")));
    req.textWidth = [&widths](std::string_view s) { return widths(s); };
    req.onWork = [this, count, &restore] {
        restore.busy = true;
        Screen().SetBusyCursor(true);
        if (count > SystemBigDirectoryLimit) SetProgressBarsVisible(true);
        ProgressBarModules->SetMin(0);
        ProgressBarModules->SetMax(5);
        ProgressBarModules->SetPosition(1);
        ProgressBarSources->SetMin(0);
        ProgressBarSources->SetMax(count);
        ProgressBarSources->SetPosition(1);
    };
    // The window is served every 50 ms: a computation of a few thousand
    // files is over before it would be served a second time.
    TEventPump pump(std::chrono::milliseconds(50));
    req.tick = [&pump] { pump.Pump(); };
    int phaseShown = -1;
    req.progress = [&](const char* phase, int phaseNo, int pos, int) {
        if (phaseNo != phaseShown) {
            if (phaseShown >= 0) ProgressBarModules->SetPosition(ProgressBarModules->Position() + 1);
            phaseShown = phaseNo;
            GroupBoxSlider->SetCaption(phase);
        }
        if (pump.Due()) {
            ProgressBarSources->SetPosition(pos);
            pump.Pump();
        }
    };

    TNameList components = NamesOf(CheckListBoxComponentNames);
    TNameList modules = NamesOf(CheckListBoxModuleNames);
    const TStructureOutcome o = pem::CalculateModularStructure(SourceFiles, components, modules, Structure, req);
    if (o.filesChanged) CheckListBoxSelectedFiles->Changed();
    if (o.computed) {
        ShowNames(CheckListBoxComponentNames, components);
        ShowNames(CheckListBoxModuleNames, modules);
        for (TCheckListBox* l : {CheckListBoxComponentNames, CheckListBoxModuleNames}) l->SetItemHeight(ListItemHeight);
        CheckListBoxSelectedFiles->SetItemHeight(ListItemHeight);
        SetCommonRoot(Structure.Root);
        SetDepth(Structure.Depth);
        SetProgressBarsVisible(false);
        Screen().SetBusyCursor(false);
        restore.busy = false;
        SetModified(true);
    }
    if (o.hasMessage) ShowSourceMessages({o.message});
    else if (o.clearStatus) MyStB->ClearMessage();
}

void TfrmPemarisMain::SetCommonRoot(const std::string& rootIn) {
    std::string root = rootIn;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    CommonRoot = root;
    Structure.Root = root;
    EditCommonRoot->SetText(root);
    const TListTextWidths widths(CheckListBoxSelectedFiles->font());
    const int extent =
        ApplyCommonRootWidths(Structure, SourceFiles, [&widths](std::string_view s) { return widths(s); });
    SetSelectedFilesExtent(extent);
    CheckListBoxSelectedFiles->SetItemHeight(ListItemHeight);
    CheckListBoxSelectedFiles->viewport()->update();
}

void TfrmPemarisMain::SetDepth(int depth) {
    Depth = depth;
    Structure.Depth = depth;
    LabelDepth->SetCaption(std::to_string(depth));
}

} // namespace pem
