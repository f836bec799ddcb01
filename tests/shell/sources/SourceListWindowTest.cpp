// The source-file list on the main window, driven the way a user drives it:
// actions triggered, files chosen in (scripted) dialogs, files and folders
// dropped through the drop router, ticks changed in the list.
#include "MainFormHarness.h"

#include "DropRouter.h"
#include "EventPump.h"
#include "Exceptions.h"
#include "FindDirectoryFrame.h"
#include "OnExit.h"
#include "QtTestSupport.h"
#include "SettingsStore.h"
#include "StringListHolder.h"
#include "UserGestures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const char* const kKorvexIni = "; Korvex source-list fixture\n"
                               "RadioButtonCob85=COBOL 85,COB,,3,V85,V74\n"
                               "COB.Extras=(DirDepth=2)\n"
                               "COB.Filters=COBOL sources (*.cbl;*.cob)|*.cbl;*.cob\n"
                               "V85.Filters=Copy books (*.cpy)|*.cpy\n"
                               "COB.DummyNames=(TEST,DUMMY)\n"
                               "Common.DummyNames=(COPY,OLD)\n"
                               "RadioButtonNatural=Natural and maps,WAA,,1,V1\n"
                               "WAA.Extras=(DirDepth=99)\n"
                               "WAA.SubProcessors=(Natural=NAT,Maps=MAP,Group=WAA)\n"
                               "NAT.Filters=Natural programs (*.nsp)|*.nsp\n"
                               "MAP.Filters=Natural maps (*.nsm)|*.nsm\n"
                               "RadioButtonC=C,C,,1,ANSI\n"
                               "C.Extras=(DirDepth=2)\n"
                               "Runcontrol.RenameAfter=Y\n"
                               "Runcontrol.SystemBigDirectoryLimit=5\n"
                               "FileCopy.SystemIOBuffSize=200000\n"
                               "FileCopy.SystemFileViewStyle=1\n"
                               "ActiveRadioButton=RadioButtonCob85\n";

// The warning names the strict action by its caption.
std::string PressRecalculate(TfrmPemarisMain* f) {
    return "Press the \"" + f->ActCalculateCommonRootStrict->Caption() + "\" button to apply the changes !";
}

class SourceListWindowTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
        pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI", kKorvexIni);
        for (const char* tool : {"COBAudit", "WAAAudit", "CAudit"}) fs::create_directories(install / ("Tools/Measure/Korvex/" + std::string(tool)));
        pemtest::WriteFile(install / "Tools/Measure/Korvex/COBAudit/Metrics.COB", "LOC Lines of code\nCYCL Cyclomatic\nNEST Nesting\n");
    }

    TfrmPemarisMain* StartNamed(const std::string& product = "Korvex") {
        TfrmPemarisMain* f = Start(product);
        f->activateWindow();
        QApplication::setActiveWindow(f);
        f->ValidateProductName("Abc");
        f->ValidateSystemName("Pay");
        f->ValidateVersion("1");
        f->FrameFindDirectoryOutputDir->Edit->SetText(out.Path());
        f->Modified = false;
        dialogs->Reset();
        recorder.records.clear();
        return f;
    }

    // Harnox, whose list holds the test tools' inputs.
    TfrmPemarisMain* StartHarnox() {
        pemtest::WriteFile(install / "_Pemaris_Family.Src/Harnox.INI",
                           "RadioButtonHarnoxTCS=Test cases,TCS,,1,V1\n"
                           "TCS.Extras=(DirDepth=2,HarnoxPost=Y)\n"
                           "Runcontrol.SystemBigDirectoryLimit=50\n"
                           "FileCopy.SystemIOBuffSize=200000\n"
                           "FileCopy.SystemFileViewStyle=1\n"
                           "ActiveRadioButton=RadioButtonHarnoxTCS\n");
        return StartNamed("Harnox");
    }

    // A file below src/.
    std::string Src(const std::string& rel, const std::string& text = "x") {
        pemtest::WriteFile(src / rel, text);
        return src / rel;
    }

    std::vector<std::string> Items() const {
        std::vector<std::string> v;
        for (const auto& f : form->SourceFiles.Items()) v.push_back(f.path.substr(src.Path().size() + 1) + (f.checked ? "+" : ""));
        return v;
    }

    int Count(const std::string& text) const {
        int n = 0;
        for (const auto& r : recorder.records) n += r.text == text;
        return n;
    }

    void Drop(QWidget* on, const std::vector<std::string>& files) {
        TStringList l;
        for (const auto& f : files) l.Add(f);
        TDropRouter::Instance().Deliver(on, l);
    }

    pemtest::TempDir src, out;
};

} // namespace

TEST_F(SourceListWindowTest, FilesChosenInTheDialogAreFilteredAndKeptOnce) {
    TfrmPemarisMain* f = StartNamed();
    const std::string a = Src("pay/in/a.cbl"), b = Src("pay/in/B.COB"), c = Src("pay/out/c.cpy");
    const std::string txt = Src("pay/in/notes.txt"), bare = Src("pay/in/README");
    const std::string broken = Src("pay/in/two\nlines.cbl"), angled = Src("pay/in/a<b>.cbl");
    dialogs->AnswerFiles({a, b, c, txt, bare, broken, angled, a});
    ASSERT_TRUE(f->Act("ActAddfiles")->Execute());
    EXPECT_EQ(dialogs->calls.back().text, "Add files to process to the project");
    // .cpy comes from the version's filter; no extension and .txt never.
    EXPECT_EQ(Items(), (std::vector<std::string>{"pay/in/a.cbl+", "pay/in/B.COB+", "pay/out/c.cpy+"}));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning,
                             "File skipped, its name holds a line break or another control character: " + src.Path() +
                                 "/pay/in/two?lines.cbl (and 1 more files skipped)"));
    // The structure was computed: components and modules below the root.
    EXPECT_EQ(f->EditCommonRoot->Text(), src.Path());
    EXPECT_EQ(f->Structure.Components, (std::vector<std::string>{"pay", "pay", "pay"}));
    EXPECT_EQ(f->Structure.Modules, (std::vector<std::string>{"in", "in", "out"}));
    EXPECT_TRUE(f->Modified);
    EXPECT_EQ(f->GroupBoxSelectedFiles->Caption(), "Source files of the project (3)");

    // Chosen again: nothing new; an unticked item stays unticked.
    f->CheckListBoxSelectedFiles->SetChecked(0, false);
    dialogs->AnswerFiles({a});
    ASSERT_TRUE(f->Act("ActAddfiles")->Execute());
    EXPECT_EQ(Items(), (std::vector<std::string>{"pay/in/a.cbl", "pay/in/B.COB+", "pay/out/c.cpy+"}));
}

TEST_F(SourceListWindowTest, ATreeAboveTheLimitIsAddedOnlyAfterTheQuestion) {
    TfrmPemarisMain* f = StartNamed();
    for (int i = 0; i < 7; ++i) Src("sys/c/m/f" + std::to_string(i) + ".cbl");
    const std::string question = "You are going to add 7 source files\r\nDo you really want to proceed?";

    dialogs->AnswerDirectory(src / "sys");
    dialogs->AnswerMessage(mrCancel);
    f->Act("ActAddDirectories")->Execute();
    EXPECT_EQ(dialogs->Messages(), (std::vector<std::string>{question}));
    EXPECT_TRUE(recorder.HasText("Cancelled due to too many files in directory"));
    EXPECT_TRUE(f->SourceFiles.Empty());
    EXPECT_FALSE(f->GroupBoxSlider->Visible());
    EXPECT_FALSE(f->FileLoopRunning);

    dialogs->AnswerDirectory(src / "sys");
    dialogs->AnswerMessage(mrOk);
    ASSERT_TRUE(f->Act("ActAddDirectories")->Execute());
    EXPECT_EQ(f->SourceFiles.Count(), 7);
    // Above the limit the structure waits for the strict computation.
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, PressRecalculate(f)));
    EXPECT_TRUE(f->ActCalculateCommonRootStrict->Visible());
    EXPECT_TRUE(f->Structure.Components.empty());
    ASSERT_TRUE(f->ActCalculateCommonRootStrict->Execute());
    EXPECT_EQ(f->Structure.Components.size(), 7u);
}

TEST_F(SourceListWindowTest, DroppedFoldersComeInWithoutQuestionAndOneComputation) {
    TfrmPemarisMain* f = StartNamed();
    for (int i = 0; i < 4; ++i) Src("one/c/m/f" + std::to_string(i) + ".cbl");
    for (int i = 0; i < 4; ++i) Src("two/c/m/g" + std::to_string(i) + ".cob");
    Src("two/c/m/skip.txt");
    Src("two/c/m/line\nbreak.cbl");
    Drop(f->BitBtnAddDirectories, {src / "one", src / "two"});
    EXPECT_TRUE(dialogs->Messages().empty());
    EXPECT_EQ(f->SourceFiles.Count(), 8);
    EXPECT_EQ(Count(PressRecalculate(f)), 1);
    EXPECT_TRUE(recorder.HasText("File skipped, its name holds a line break or another control character: " +
                                 src.Path() + "/two/c/m/line?break.cbl"));

    // The same tree again: one item each, and an unticked one ticked again.
    f->CheckListBoxSelectedFiles->SetChecked(0, false);
    Drop(f->GroupBoxSelectedFiles, {src / "one"});
    EXPECT_EQ(f->SourceFiles.Count(), 8);
    EXPECT_EQ(f->SourceFiles.CheckedCount(), 8);

    // A link that leads back up the tree is not followed.
    fs::create_directory_symlink(src / "one", src / "one/c/loop");
    Drop(f->BitBtnAddFiles, {src / "one"});
    EXPECT_EQ(f->SourceFiles.Count(), 8);
}

TEST_F(SourceListWindowTest, DroppedFilesAndJobFilesOnTheWindow) {
    TfrmPemarisMain* f = StartNamed();
    const std::string a = Src("s/c/m/a.cbl"), t = Src("s/c/m/t.txt");
    Drop(f->GroupBoxSelectedFiles, {a, t, Src("s/c/m/x\ty.cbl")});
    EXPECT_EQ(Items(), (std::vector<std::string>{"s/c/m/a.cbl+"}));
    EXPECT_TRUE(recorder.HasText("File skipped, its name holds a line break or another control character: " +
                                 src.Path() + "/s/c/m/x?y.cbl"));

    // Job files dropped elsewhere on the window: one opens, two open nothing.
    f->Modified = false;
    const std::string job = src / "Saved.jkvx";
    dialogs->AnswerFiles({job});
    ASSERT_TRUE(f->ActSaveProjectAs->Execute());
    f->ClearProject();
    Drop(f->TabSheetRulesMetricsUsw, {job, job});
    EXPECT_TRUE(f->SourceFiles.Empty());
    Drop(f->TabSheetRulesMetricsUsw, {job});
    EXPECT_EQ(Items(), (std::vector<std::string>{"s/c/m/a.cbl+"}));
}

TEST_F(SourceListWindowTest, BadInputGivesAClearMessageAndLeavesTheList) {
    TfrmPemarisMain* f = StartNamed();
    const std::string a = Src("s/c/m/a.cbl");
    Drop(f->BitBtnAddFiles, {a});
    ASSERT_EQ(f->SourceFiles.Count(), 1);

    // A folder that cannot be read.
    fs::create_directories(src / "locked/c/m");
    Src("locked/c/m/b.cbl");
    fs::permissions(src / "locked", fs::perms::none);
    if (::access((src / "locked").c_str(), R_OK) != 0) {
        Drop(f->BitBtnAddDirectories, {src / "locked"});
        EXPECT_TRUE(recorder.HasText("The folder " + src / "locked" + " cannot be read; nothing was added from it"));
        EXPECT_EQ(f->SourceFiles.Count(), 1);
    }
    fs::permissions(src / "locked", fs::perms::owner_all);

    // A language without a filter: the information, and nothing added.
    ASSERT_TRUE(f->Find<TRadioButton>("RadioButtonC")->isEnabled());
    f->Modified = false;
    f->Find<TRadioButton>("RadioButtonC")->click();
    f->EditProductName->SetText("Abc");
    f->EditSystemName->SetText("Pay");
    Src("cs/c/m/x.c");
    recorder.records.clear();
    Drop(f->BitBtnAddDirectories, {src / "cs"});
    EXPECT_TRUE(recorder.HasText("Shell program error, missing filter definition, inform Valtmoor"));
    EXPECT_TRUE(f->SourceFiles.Empty());

    // A language definition that is missing.
    recorder.records.clear();
    EXPECT_THROW(f->LoadLanguageDefinition("RadioButtonNone"), EAbort);
    EXPECT_TRUE(recorder.HasText("Shell error,missing language definition, inform Valtmoor"));
}

TEST_F(SourceListWindowTest, VersionsOfTheLanguageAndTheGroupsFilter) {
    recorder.records.clear();
    TfrmPemarisMain* f = Start();
    EXPECT_TRUE(recorder.HasText("Language definition RadioButtonCob85 counts 3 versions but lists 2"));
    // The line counts three versions and lists two: both are offered.
    EXPECT_EQ(f->RadioGroupLangver_Pemaris->Items().CommaText(), "V85,V74");
    EXPECT_TRUE(f->RadioGroupLangver_Pemaris->Visible());
    EXPECT_EQ(f->LanguageVersion, "V85");
    f->RadioGroupLangver_Pemaris->SetItemIndex(1);
    EXPECT_EQ(f->LanguageVersion, "V74");
    EXPECT_EQ(f->GetFileFilter(f->LanguageCode, f->LanguageVersion), "COBOL sources (*.cbl;*.cob)|*.cbl;*.cob");

    // The sub-processor group: its members' filters; the item naming the
    // group itself is left out with a warning.
    f->Find<TRadioButton>("RadioButtonNatural")->click();
    EXPECT_FALSE(f->RadioGroupLangver_Pemaris->Visible());
    recorder.records.clear();
    EXPECT_EQ(f->GetFileFilter("WAA", ""), "Natural programs (*.nsp)|*.nsp|Natural maps (*.nsm)|*.nsm");
    EXPECT_TRUE(recorder.HasText("WAA.SubProcessors: Group=WAA names the group itself and is skipped"));
}

TEST_F(SourceListWindowTest, TicksAndTheStructure) {
    TfrmPemarisMain* f = StartNamed();
    const std::vector<std::string> files = {Src("r/c1/m1/f.cbl"), Src("r/c1/m1/x/f.cbl"), Src("r/c1/m2/g.cbl"),
                                            Src("r/c2/m1/h.cbl")};
    Drop(f->BitBtnAddFiles, files);
    ASSERT_EQ(f->Structure.Components, (std::vector<std::string>{"c1", "c1", "c1", "c2"}));
    EXPECT_EQ(f->Structure.NewFileNameAt(1), "f_1.cbl");
    // The default irrelevant names of the language and the common ones.
    EXPECT_EQ(f->CheckListBoxComponentNames->Items().CommaText(), "COPY,DUMMY,OLD,TEST,c1,c2");

    // Entering the list selects its first item.
    EXPECT_EQ(f->CheckListBoxSelectedFiles->ItemIndex(), -1);
    f->CheckListBoxSelectedFiles->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f->CheckListBoxSelectedFiles->ItemIndex(), 0);

    // Unselecting all leaves the structure; selecting all computes it again.
    f->Structure.Modules[0] = "marker";
    ASSERT_TRUE(f->Act("ActUnselectAll")->Execute());
    EXPECT_EQ(f->SourceFiles.CheckedCount(), 0);
    EXPECT_EQ(f->Structure.Modules[0], "marker");
    ASSERT_TRUE(f->Act("ActSelectAll")->Execute());
    EXPECT_EQ(f->Structure.Modules[0], "m1");

    // Toggling the selected file's component, then its module.
    f->CheckListBoxSelectedFiles->SetItemIndex(0);
    EXPECT_EQ(f->Act("ActToggleComponent")->Caption(), "Deselect the whole component");
    ASSERT_TRUE(f->Act("ActToggleComponent")->Execute());
    EXPECT_EQ(Items(), (std::vector<std::string>{"r/c1/m1/f.cbl", "r/c1/m1/x/f.cbl", "r/c1/m2/g.cbl", "r/c2/m1/h.cbl+"}));
    EXPECT_EQ(f->Act("ActToggleModule")->Caption(), "Select the whole module");
    ASSERT_TRUE(f->Act("ActToggleModule")->Execute());
    EXPECT_EQ(Items(), (std::vector<std::string>{"r/c1/m1/f.cbl+", "r/c1/m1/x/f.cbl+", "r/c1/m2/g.cbl", "r/c2/m1/h.cbl+"}));

    // Removing the unticked files: the lists beside them follow.
    f->CheckListBoxSelectedFiles->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(f->Act("ActRemoveFiles")->Execute());
    EXPECT_EQ(Items(), (std::vector<std::string>{"r/c1/m1/f.cbl+", "r/c1/m1/x/f.cbl+", "r/c2/m1/h.cbl+"}));
    EXPECT_EQ(f->Structure.Modules, (std::vector<std::string>{"m1", "m1", "m1"}));
    EXPECT_EQ(f->Structure.Components, (std::vector<std::string>{"c1", "c1", "c2"}));

    // A file gone from the disk is unticked and greyed by the strict computation.
    fs::remove(files[3]);
    recorder.records.clear();
    f->ActCalculateCommonRootStrict->Execute();
    EXPECT_TRUE(recorder.HasText("Some input files cannot be found!"));
    EXPECT_FALSE(f->SourceFiles.Checked(2));
    EXPECT_FALSE(f->CheckListBoxSelectedFiles->ItemEnabled(2));
    EXPECT_FALSE(Screen().Busy());
    EXPECT_FALSE(f->GroupBoxSlider->Visible());

    // An action for a list with no list in front.
    f->EditSystemName->setFocus();
    QApplication::processEvents();
    recorder.records.clear();
    f->Act("ActSelectAll")->Execute();
    EXPECT_TRUE(recorder.HasText("Click on a checklistbox first to use this function!"));
}

// A file directly in the common root has no component or module folder:
// selecting its "whole component" takes in the files whose path continues
// the root by the file's first character, not every file under the root.
TEST_F(SourceListWindowTest, TogglingTheUnitOfAFileInTheRootTakesInOnlyItsNeighbours) {
    TfrmPemarisMain* f = StartNamed();
    Drop(f->BitBtnAddFiles, {Src("r/a.cbl"), Src("r/c1/m1/f.cbl"), Src("r/c2/m1/h.cbl")});
    ASSERT_EQ(Items(), (std::vector<std::string>{"r/a.cbl+", "r/c1/m1/f.cbl+", "r/c2/m1/h.cbl+"}));
    f->CheckListBoxSelectedFiles->setFocus();
    QApplication::processEvents();
    for (const char* action : {"ActToggleComponent", "ActToggleModule"}) {
        SCOPED_TRACE(action);
        ASSERT_TRUE(f->Act("ActUnselectAll")->Execute());
        f->CheckListBoxSelectedFiles->SetItemIndex(0);
        ASSERT_TRUE(f->Act(action)->Execute());
        EXPECT_EQ(Items(), (std::vector<std::string>{"r/a.cbl+", "r/c1/m1/f.cbl", "r/c2/m1/h.cbl"}));
    }
}

// A tick the user changes is a change of the job, whether or not the
// structure is computed after it: above the large-tree limit (5 here) the
// computation is put off, and unticking the last ticked file computes
// nothing. The job can then be saved, and the tick is there on reopening.
TEST_F(SourceListWindowTest, EveryTickTheUserChangesIsSavedWithTheJob) {
    enum TList { Files, Components, Modules };
    const struct {
        const char* what;
        int files;
        TList list;
        const char* item; // the row clicked: a name of that list, or "" for the first file
    } cases[] = {
        {"a file below the limit", 3, Files, ""},
        {"a file above the limit", 7, Files, ""},
        {"the last ticked file", 1, Files, ""},
        {"a found component name above the limit", 7, Components, "c1"},
        {"a found module name above the limit", 7, Modules, "m2"},
    };
    for (const auto& c : cases) {
        TfrmPemarisMain* f = StartNamed();
        std::vector<std::string> files;
        for (int i = 0; i < c.files; ++i)
            files.push_back(Src("t/c" + std::to_string(i % 2 + 1) + "/m" + std::to_string(i % 3 + 1) + "/f" +
                                std::to_string(i) + ".cbl"));
        Drop(f->BitBtnAddFiles, files);
        ASSERT_EQ(f->SourceFiles.Count(), c.files) << c.what;
        if (c.files > f->SystemBigDirectoryLimit) ASSERT_TRUE(f->ActCalculateCommonRootStrict->Execute()) << c.what;
        const std::string job = install / "jobs/Ticks.jkvx";
        fs::create_directories(install / "jobs");
        dialogs->AnswerFiles({job});
        ASSERT_TRUE(f->ActSaveProjectAs->Execute()) << c.what;
        ASSERT_FALSE(f->ActSaveProject->Enabled()) << c.what;

        QAbstractItemView* view = f->CheckListBoxSelectedFiles;
        TCheckListBox* names = c.list == Components ? f->CheckListBoxComponentNames
                               : c.list == Modules  ? f->CheckListBoxModuleNames
                                                    : nullptr;
        int row = 0;
        if (names) {
            TTabSheet* page = c.list == Components ? f->TabSheetComponentNames : f->TabSheetModuleNames;
            // The tab the user clicks names what its list holds.
            EXPECT_EQ(f->PageControlHelper->tabBar()->tabText(f->PageControlHelper->indexOf(page)).toStdString(),
                      c.list == Components ? "Component names" : "Module names")
                << c.what;
            pemtest::ClickTab(f->PageControlHelper, page);
            row = names->Items().IndexOf(c.item);
            ASSERT_GE(row, 0) << c.what;
            ASSERT_FALSE(names->Checked(row)) << c.what;
            view = names;
        } else {
            pemtest::ClickTab(f->PageControlMain, f->TabSheetNames);
        }
        pemtest::ClickTick(view, row);
        const bool ticked = names ? names->Checked(row) : f->SourceFiles.Checked(0);
        ASSERT_NE(ticked, !names) << c.what << ": the click changed no tick";
        EXPECT_TRUE(f->Modified) << c.what;
        EXPECT_TRUE(f->ActSaveProject->Enabled()) << c.what;

        ASSERT_TRUE(f->ActSaveProject->Execute()) << c.what;
        f->ClearProject();
        Drop(f->TabSheetRulesMetricsUsw, {job});
        ASSERT_EQ(f->SourceFiles.Count(), c.files) << c.what;
        if (names) {
            row = names->Items().IndexOf(c.item);
            ASSERT_GE(row, 0) << c.what;
            EXPECT_TRUE(names->Checked(row)) << c.what;
        } else {
            EXPECT_FALSE(f->SourceFiles.Checked(f->SourceFiles.IndexOf(files[0]))) << c.what;
        }
        fs::remove_all(src / "t");
    }
}

TEST_F(SourceListWindowTest, ProgressGroupGrowsTheWindowOnce) {
    TfrmPemarisMain* f = StartNamed();
    const int h = f->height();
    f->SetProgressBarsVisible(true);
    const int grown = f->height();
    EXPECT_GT(grown, h);
    f->SetProgressBarsVisible(true);
    EXPECT_EQ(f->height(), grown);
    f->SetProgressBarsVisible(false);
    f->SetProgressBarsVisible(false);
    EXPECT_EQ(f->height(), h);
}

TEST_F(SourceListWindowTest, MetricWeightsFollowTicksAndTheEditor) {
    TfrmPemarisMain* f = StartNamed();
    TCheckListBox* metrics = f->CheckListBoxMetrics;
    ASSERT_EQ(metrics->Count(), 3);
    TStringList& w = f->STLHMetricsWeights->StringList();
    EXPECT_EQ(w.CommaText(), "1,1,1");

    // The weight editor: Enter on an item, "Off" chosen, Enter again.
    f->PageControlMain->SetActivePage(f->TabSheetRulesMetricsUsw);
    f->PageControlParams->SetActivePage(f->TabSheetMetrics);
    metrics->setFocus();
    metrics->SetItemIndex(1);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(metrics, &enter);
    ASSERT_TRUE(f->ComboBoxMetricsWeights->Visible());
    EXPECT_EQ(f->ComboBoxMetricsWeights->ItemIndex(), 1);
    f->ComboBoxMetricsWeights->SetItemIndex(0);
    QApplication::sendEvent(f->ComboBoxMetricsWeights, &enter);
    EXPECT_FALSE(f->ComboBoxMetricsWeights->Visible());
    EXPECT_EQ(w.CommaText(), "1,0,1");
    EXPECT_FALSE(metrics->Checked(1));

    // Ticked again by the user: "Normal".
    metrics->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(w.CommaText(), "1,1,1");

    // A tick in the control-word list marks the job, weights stay.
    w.Put(1, "3");
    metrics->SetItemIndex(1);
    f->CheckListBoxControlTags->AddItem("INPT word", false);
    f->Modified = false;
    f->CheckListBoxControlTags->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(f->Modified);
    EXPECT_EQ(w.CommaText(), "1,3,1");

    // Select all and unselect all of the metrics.
    metrics->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(f->Act("ActUnselectAll")->Execute());
    EXPECT_EQ(w.CommaText(), "0,0,0");
    ASSERT_TRUE(f->Act("ActToggleSelect")->Execute());
    EXPECT_EQ(w.CommaText(), "1,1,1");
}

TEST_F(SourceListWindowTest, JobOfTwoThousandSourcesKeepsItsListStructureAndWeights) {
    TfrmPemarisMain* f = StartNamed();
    f->SystemBigDirectoryLimit = 5000;
    for (int c = 0; c < 4; ++c)
        for (int m = 0; m < 5; ++m)
            for (int i = 0; i < 100; ++i)
                Src("sys/c" + std::to_string(c) + "/m" + std::to_string(m) + "/p" + std::to_string(i) + ".cbl");
    Drop(f->BitBtnAddDirectories, {src / "sys"});
    ASSERT_EQ(f->SourceFiles.Count(), 2000);
    for (int i = 0; i < 2000; i += 3) f->SourceFiles.SetChecked(i, false);
    f->CheckListBoxComponentNames->AddItem("extra", true);
    f->STLHMetricsWeights->StringList().Put(2, "2");
    f->STLHMetricsWeights->StringList().Put(0, "0");
    f->CheckListBoxMetrics->SetChecked(0, false);
    const auto before = f->SourceFiles.Items();
    const std::string components = f->CheckListBoxComponentNames->Items().CommaText();

    const std::string job = install / "jobs/Big.jkvx";
    fs::create_directories(install / "jobs");
    dialogs->AnswerFiles({job});
    ASSERT_TRUE(f->ActSaveProjectAs->Execute());
    f->ClearProject();
    ASSERT_TRUE(f->SourceFiles.Empty());
    f->LoadProject(job);

    ASSERT_EQ(f->SourceFiles.Count(), 2000);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(f->SourceFiles.Path(i), before[static_cast<size_t>(i)].path) << i;
        ASSERT_EQ(f->SourceFiles.Checked(i), before[static_cast<size_t>(i)].checked) << i;
    }
    EXPECT_EQ(f->CheckListBoxComponentNames->Items().CommaText(), components);
    EXPECT_EQ(f->STLHMetricsWeights->StringList().CommaText(), "0,1,2");
    EXPECT_EQ(f->CommonRoot, src.Path() + "/sys");

    // A file gone meanwhile comes back unticked and greyed at the next computation.
    fs::remove(src / "sys/c0/m0/p1.cbl");
    f->ActCalculateCommonRootStrict->Execute();
    const int gone = f->SourceFiles.IndexOf(src / "sys/c0/m0/p1.cbl");
    EXPECT_FALSE(f->SourceFiles.Checked(gone));
    EXPECT_FALSE(f->SourceFiles.Enabled(gone));
}

TEST_F(SourceListWindowTest, ConsoleSwitches) {
    TfrmPemarisMain* f = StartNamed();
    EXPECT_TRUE(f->MemoCaptureConsole->Visible()); // the first showing shows it
    ASSERT_TRUE(f->Act("ActSwitchOffLog")->Execute());
    EXPECT_FALSE(f->MemoCaptureConsole->Visible());
    EXPECT_FALSE(f->Act("ActSwitchOffLog")->Visible());
    EXPECT_TRUE(f->Act("ActSwitchOnLog")->Visible());
    ASSERT_TRUE(f->Act("ActSwitchOnLog")->Execute());
    EXPECT_TRUE(f->MemoCaptureConsole->Visible());
    EXPECT_TRUE(f->Act("ActSwitchOffLog")->Enabled());
}

TEST_F(SourceListWindowTest, TestToolInputsTakeThePlaceOfTheSources) {
    TfrmPemarisMain* f = StartHarnox();
    ASSERT_TRUE(f->Act("ActSpecifyMethodFile")->Visible());
    ASSERT_FALSE(f->Act("ActToggleSelect")->Visible());

    f->Act("ActViewMethodList")->Execute();
    EXPECT_TRUE(recorder.HasText("Select the method list file first!"));

    const std::string m1 = Src("t/m1.csv"), m2 = Src("t/m2.csv"), l1 = Src("logs/l1.csv"), l2 = Src("logs/l2.csv");
    for (const auto& [action, files] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"ActSpecifyMethodFile", {m1}},
             {"ActSpecifyMethodFile", {m2}},
             {"ActSpecifyTestExecutionLog", {l1, l2}},
             {"ActSpecifyTestExecutionLog", {l1}}}) {
        dialogs->AnswerFiles(files);
        ASSERT_TRUE(f->Act(action)->Execute()) << action;
    }
    const std::string m = src.Path() + "/t/m2.csv";
    std::vector<std::string> items;
    for (const auto& e : f->SourceFiles.Items()) items.push_back(e.path);
    EXPECT_EQ(items, (std::vector<std::string>{"Methods:=" + m, "Test execution log:=" + l1,
                                               "Test execution log:=" + l1, "Test execution log:=" + l2}));
    EXPECT_EQ(dialogs->calls.front().text, "Specify method list file");
    EXPECT_EQ(ReadSettingStr("TestExecLogFiles"), src.Path() + "/logs/");

    ASSERT_TRUE(f->Act("ActViewMethodList")->Execute());
    EXPECT_EQ(f->PageControlMain->ActivePage(), f->TabSheetViewer);

    // Drops on the list are refused in this product; only existence is checked.
    Drop(f->GroupBoxSelectedFiles, {Src("x/a.csv")});
    EXPECT_EQ(f->SourceFiles.Count(), 4);
    fs::remove(l2);
    f->ActCalculateCommonRootStrict->Execute();
    EXPECT_TRUE(recorder.HasText("Some input files cannot be found!"));
    EXPECT_FALSE(f->SourceFiles.Enabled(3));
    EXPECT_TRUE(f->SourceFiles.Checked(0));

    // Saved and reopened with the job.
    const std::string job = install / "jobs/Tools.jhnx";
    fs::create_directories(install / "jobs");
    dialogs->AnswerFiles({job});
    ASSERT_TRUE(f->ActSaveProjectAs->Execute());
    f->ClearProject();
    f->LoadProject(job);
    std::vector<std::string> again;
    for (const auto& e : f->SourceFiles.Items()) again.push_back(e.path + (e.checked ? "+" : ""));
    EXPECT_EQ(again, (std::vector<std::string>{"Methods:=" + m + "+", "Test execution log:=" + l1 + "+",
                                               "Test execution log:=" + l1 + "+", "Test execution log:=" + l2}));
}

// A chosen input whose name would split the job's line or could not be
// carried by the tools' document is refused as a source would be; the rest
// of the choice is taken, and the job reads back without a stray item.
TEST_F(SourceListWindowTest, TestToolInputsWithUnsafeNamesAreRefused) {
    TfrmPemarisMain* f = StartHarnox();
    const std::string method = Src("t/methods.csv"), good = Src("t/good.csv"), broken = Src("t/bad\nname.csv");
    const struct {
        const char* action;
        std::vector<std::string> files;
        std::string warning; // "" when every file is taken
    } steps[] = {
        {"ActSpecifyMethodFile", {method}, ""},
        {"ActSpecifyTestResult", {broken, good},
         "File skipped, its name holds a line break or another control character: " + src.Path() + "/t/bad?name.csv"},
        // A single input refused leaves the entry it would replace.
        {"ActSpecifyMethodFile", {Src("t/m<1>.csv")},
         "File skipped, its name holds \"<\" or \">\": " + src.Path() + "/t/m<1>.csv"},
    };
    for (const auto& step : steps) {
        recorder.records.clear();
        dialogs->AnswerFiles(step.files);
        ASSERT_TRUE(f->Act(step.action)->Execute()) << step.action;
        std::vector<std::string> warnings;
        for (const auto& r : recorder.records)
            if (r.kind == TStatusRecord::Warning) warnings.push_back(r.text);
        EXPECT_EQ(warnings, step.warning.empty() ? std::vector<std::string>{} : std::vector<std::string>{step.warning})
            << step.action;
    }
    const std::vector<std::string> expected = {"Methods:=" + method, "Trace file:=" + good};
    auto entries = [f] {
        std::vector<std::string> v;
        for (const auto& e : f->SourceFiles.Items()) v.push_back(e.path);
        return v;
    };
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(ReadSettingStr("TraceFiles"), src.Path() + "/t/");

    const std::string job = install / "jobs/Refused.jhnx";
    fs::create_directories(install / "jobs");
    dialogs->AnswerFiles({job});
    ASSERT_TRUE(f->ActSaveProjectAs->Execute());
    f->ClearProject();
    Drop(f->TabSheetRulesMetricsUsw, {job});
    EXPECT_EQ(entries(), expected);
}

TEST_F(SourceListWindowTest, TranslationDocumentAndItsNames) {
    TfrmPemarisMain* f = StartNamed();
    pemtest::WriteFile(out / "Exports/a.csv", "a");
    pemtest::WriteFile(out / "Exports/sub/b.csv", "b");
    f->NewFileNames.SetValue("SRC0001", "/s/a.cbl");
    f->WriteJobrinParameters();
    const std::string doc = pemtest::ReadFile(out / "last.xml");
    EXPECT_NE(doc.find("  <Orig_File_0001>sub/b.csv</Orig_File_0001>\n  <File_0001>csx0001.csx</File_0001>"),
              std::string::npos)
        << doc;
    EXPECT_TRUE(fs::is_directory(out / "work"));
    EXPECT_EQ(f->GetNewFileName("csx0001.csx"), out / "Exports/sub/b.csv");
    EXPECT_EQ(f->GetOriginalFileName("SRC0001=whatever"), "/s/a.cbl");
    // The memo shows the store, and a memo restored from a job fills it.
    EXPECT_EQ(f->MemoNewFileNames->Lines().Count(), 3);
    f->MemoNewFileNames->SetLines(TStringList{"XCPY0000=/x/y.cpy"});
    EXPECT_EQ(f->GetNewFileName("XCPY0000"), "/x/y.cpy");
    EXPECT_EQ(f->GetNewFileName("SRC0001"), "");

    pemtest::WriteFile(out / "Exports/csx0000.csx", "translated");
    f->NewFileNames.SetValue("csx0000.csx", out / "Exports/a.csv");
    f->ListCsxExports();
    EXPECT_EQ(pemtest::ReadFile(out / "Exports/a.csv"), "translated");
}

TEST_F(SourceListWindowTest, AListTooLongForTheStructureStillMarksTheJob) {
    TfrmPemarisMain* f = StartNamed();
    for (int i = 0; i < 9999; ++i) Src("big/c/m/f" + std::to_string(i) + ".cbl");
    Drop(f->BitBtnAddDirectories, {src / "big"});
    EXPECT_EQ(f->SourceFiles.Count(), 9999);
    EXPECT_TRUE(recorder.HasText("The number of file in one job must be less than 9999"));
    EXPECT_TRUE(f->Modified);
    EXPECT_FALSE(f->FileLoopRunning);
    EXPECT_FALSE(f->GroupBoxSlider->Visible());
}

TEST_F(SourceListWindowTest, AStructureErrorPutsTheWindowBack) {
    pemtest::WriteFile(install / "_Pemaris_Family.Src/Velling.INI",
                       "RadioButtonVellingENG=English requirements,ENG,,1,V1\n"
                       "ENG.Extras=(DirDepth=1)\n"
                       "ENG.Filters=Texts (*.txt)|*.txt\n"
                       "Runcontrol.SystemBigDirectoryLimit=50\n"
                       "FileCopy.SystemIOBuffSize=200000\n"
                       "FileCopy.SystemFileViewStyle=1\n"
                       "ActiveRadioButton=RadioButtonVellingENG\n");
    TfrmPemarisMain* f = StartNamed("Velling");
    Drop(f->BitBtnAddFiles, {Src("d/a/b/c/one.txt"), Src("d/x/two.txt"), Src("d/x/three.txt")});
    ASSERT_EQ(f->SourceFiles.Count(), 3);
    EXPECT_TRUE(recorder.HasText("Maximum allowed directory depth is 1, uncheck some files!"));
    // With the progress group shown (more files than the limit), the strict
    // computation ends in its depth error: cursor and window come back.
    const int h = f->height();
    f->SystemBigDirectoryLimit = 1;
    recorder.records.clear();
    f->ActCalculateCommonRootStrict->Execute();
    EXPECT_TRUE(recorder.HasText("Maximum allowed directory depth is 1, remove some files from the list!"));
    EXPECT_FALSE(Screen().Busy());
    EXPECT_FALSE(f->GroupBoxSlider->Visible());
    EXPECT_EQ(f->height(), h);
    EXPECT_EQ(f->Structure.Modules.size(), 3u); // the structure itself stands
}

TEST_F(SourceListWindowTest, ClosingWhileATreeIsAddedStopsTheAddingAfterTheQuestion) {
    TfrmPemarisMain* f = StartNamed();
    // The window is served while the tree is searched.
    for (int i = 0; i < 40; ++i)
        Src("big/c" + std::to_string(i / 1000) + "/m/f" + std::to_string(i) + ".cbl");
    dialogs->AnswerMessage(mrYes); // "please confirm?": yes, stop
    bool closedAtOnce = true;
    PostToGui([&] { closedAtOnce = f->close(); });
    Drop(f->BitBtnAddDirectories, {src / "big"});
    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(dialogs->Messages(), (std::vector<std::string>{"The User requested to stop the process, please confirm?"}));
    EXPECT_TRUE(recorder.HasText("Process aborted!"));
    EXPECT_TRUE(f->SourceFiles.Empty());
    EXPECT_FALSE(f->FileLoopRunning);
    EXPECT_FALSE(f->isHidden());

    // Closed while the count question is open: the same question, and the
    // stop confirmed then ends the adding.
    f->Modified = false;
    dialogs->Reset();
    recorder.records.clear();
    dialogs->AnswerDirectory(src / "big");
    dialogs->AnswerMessage(mrOk);  // "You are going to add 40 source files"
    dialogs->AnswerMessage(mrYes); // "please confirm?"
    dialogs->messageHook = [&](const std::string& text) {
        if (text.rfind("You are going to add ", 0) == 0) closedAtOnce = f->close();
    };
    closedAtOnce = true;
    f->Act("ActAddDirectories")->Execute();
    dialogs->messageHook = nullptr;
    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(dialogs->Messages(), (std::vector<std::string>{"You are going to add 40 source files\r\nDo you really want to proceed?",
                                                             "The User requested to stop the process, please confirm?"}));
    EXPECT_TRUE(recorder.HasText("Process aborted!"));
    EXPECT_FALSE(f->FileLoopRunning);
    EXPECT_FALSE(f->isHidden());
}

// A left-button release on a metric's text opens the weight editor; a right
// or middle one (a context click) does not.
TEST_F(SourceListWindowTest, OnlyALeftButtonReleaseOpensTheWeightEditor) {
    TfrmPemarisMain* f = StartNamed();
    f->PageControlMain->SetActivePage(f->TabSheetRulesMetricsUsw);
    f->PageControlParams->SetActivePage(f->TabSheetMetrics);
    TCheckListBox* metrics = f->CheckListBoxMetrics;
    ASSERT_GE(metrics->Count(), 2);
    const struct {
        Qt::MouseButton button;
        bool opens;
    } cases[] = {{Qt::RightButton, false}, {Qt::MiddleButton, false}, {Qt::LeftButton, true}};
    for (const auto& c : cases) {
        QWidget* vp = metrics->viewport();
        const QRect r = metrics->visualItemRect(metrics->item(1));
        const QPointF at(r.right() - 4, r.center().y());
        QMouseEvent release(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), c.button, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(vp, &release);
        EXPECT_EQ(f->ComboBoxMetricsWeights->Visible(), c.opens) << c.button;
    }
}

// While a tree is added (its search, its count question, its duplicate
// pass) the window is served; whatever the user does then to the job's
// lists or the output directory is refused, as opening a job is, so the
// add ends with its files whole, in order and each once.
TEST_F(SourceListWindowTest, NothingChangesTheListsWhileATreeIsAdded) {
    enum class TWhen { Search, CountQuestion, DuplicatePass };
    const char* const whenNames[] = {"search", "count question", "duplicate pass"};
    // Each gesture on the road the user takes: the action as shown, its
    // shortcut key, a drop, a click on a tick.
    const struct {
        const char* what;
        std::function<void(TfrmPemarisMain*)> gesture;
    } gestures[] = {
        {"Add complete directories", [](TfrmPemarisMain* f) { f->Act("ActAddDirectories")->Execute(); }},
        {"Ctrl+A", [](TfrmPemarisMain* f) { QTest::keyClick(f, Qt::Key_A, Qt::ControlModifier); }},
        {"Ctrl+B", [](TfrmPemarisMain* f) { QTest::keyClick(f, Qt::Key_B, Qt::ControlModifier); }},
        {"folder dropped", [this](TfrmPemarisMain* f) { Drop(f->BitBtnAddDirectories, {src / "second"}); }},
        {"Reset output", [](TfrmPemarisMain* f) { f->Act("ActRestartProject")->Execute(); }},
        {"Alt+A", [](TfrmPemarisMain* f) { QTest::keyClick(f, Qt::Key_A, Qt::AltModifier); }},
        {"Remove unchecked", [](TfrmPemarisMain* f) { f->Act("ActRemoveFiles")->Execute(); }},
        {"Recalculate modular structure", [](TfrmPemarisMain* f) { f->ActCalculateCommonRootStrict->Execute(); }},
        {"tick clicked", [this](TfrmPemarisMain* f) {
             pemtest::ClickTick(f->CheckListBoxSelectedFiles, f->SourceFiles.IndexOf(src / "pre/c/m/p0.cbl"));
         }},
    };
    // The pass serves the window at each chance it has, not every 30 ms.
    TEventPump::OverrideInterval(std::chrono::milliseconds(0));
    TOnExit restoreInterval([] { TEventPump::OverrideInterval(std::nullopt); });

    std::vector<std::string> listed, first, expected;
    for (int i = 0; i < 6; ++i) listed.push_back(Src("pre/c/m/p" + std::to_string(i) + ".cbl"));
    for (int i = 0; i < 8; ++i) first.push_back(Src("first/c/m/f" + std::to_string(i) + ".cbl"));
    listed.push_back(first[3]);
    for (int i = 0; i < 3; ++i) Src("second/c/m/g" + std::to_string(i) + ".cbl");
    for (int i = 0; i < 8; ++i) expected.push_back("first/c/m/f" + std::to_string(i) + ".cbl+");
    expected.push_back("pre/c/m/p0.cbl");
    for (int i = 1; i < 6; ++i) expected.push_back("pre/c/m/p" + std::to_string(i) + ".cbl+");

    for (const TWhen when : {TWhen::Search, TWhen::CountQuestion, TWhen::DuplicatePass}) {
        for (const auto& g : gestures) {
            const std::string label = std::string(g.what) + " during the " + whenNames[static_cast<int>(when)];
            pemtest::WriteFile(out / "Metrics/pay.met", "LOC 1\n");
            TfrmPemarisMain* f = StartNamed();
            // Listed already: more files than the limit (the structure waits
            // for the strict computation), one of them unticked, one of them
            // in the tree.
            dialogs->AnswerFiles(listed);
            ASSERT_TRUE(f->Act("ActAddfiles")->Execute()) << label;
            f->CheckListBoxSelectedFiles->SetChecked(f->SourceFiles.IndexOf(src / "pre/c/m/p0.cbl"), false);
            f->CheckListBoxSelectedFiles->setFocus();
            ASSERT_TRUE(f->ActCalculateCommonRootStrict->Visible());
            f->Structure = TModularStructure{};
            dialogs->Reset();
            recorder.records.clear();

            // What a gesture that got through would be given.
            dialogs->AnswerDirectory(src / "first");
            dialogs->AnswerDirectory(src / "second");
            dialogs->AnswerFiles({src / "second/c/m/g0.cbl", first[5], src / "second/c/m/g1.cbl"});
            const auto act = [&] { g.gesture(f); };
            if (when == TWhen::Search) PostToGui(act);
            dialogs->messageHook = [&](const std::string& text) {
                if (text.rfind("You are going to add ", 0) != 0) return;
                if (when == TWhen::CountQuestion) act();
                if (when == TWhen::DuplicatePass) PostToGui(act);
            };
            EXPECT_TRUE(f->Act("ActAddDirectories")->Execute()) << label;
            dialogs->messageHook = nullptr;
            QApplication::processEvents();

            EXPECT_EQ(Items(), expected) << label;
            std::vector<std::string> asked;
            for (const TDialogCall& c : dialogs->calls) asked.push_back(c.kind + ": " + c.text);
            EXPECT_EQ(asked, (std::vector<std::string>{
                                 "directory: Select a folder containing files to add to the project",
                                 "message: You are going to add 8 source files\r\nDo you really want to proceed?"}))
                << label;
            EXPECT_FALSE(recorder.HasText("Process aborted!")) << label;
            EXPECT_TRUE(f->Structure.Components.empty()) << label << ": the structure was computed inside";
            EXPECT_TRUE(fs::exists(out / "Metrics/pay.met")) << label;
            EXPECT_FALSE(f->FileLoopRunning) << label;
        }
    }
}

// A save while a tree is merged would write the list half moved; it waits
// until the add is over, and then the job holds every file.
TEST_F(SourceListWindowTest, ASaveDuringTheMergeOfATreeWaitsForTheWholeList) {
    TEventPump::OverrideInterval(std::chrono::milliseconds(0));
    TOnExit restoreInterval([] { TEventPump::OverrideInterval(std::nullopt); });
    TfrmPemarisMain* f = StartNamed();
    // Enough files for the pass to serve the window twice (every 256 files).
    std::vector<std::string> listed;
    for (int i = 0; i < 300; ++i) listed.push_back(Src("pre/c/m/p" + std::to_string(1000 + i) + ".cbl"));
    dialogs->AnswerFiles(listed);
    ASSERT_TRUE(f->Act("ActAddfiles")->Execute());
    for (int i = 0; i < 8; ++i) Src("first/c/m/f" + std::to_string(i) + ".cbl");
    const std::string job = src / "Pay.jkvx";
    dialogs->AnswerDirectory(src / "first");
    dialogs->AnswerFiles({job}); // "Save job as...", should it be asked

    // The save is asked for the second time the pass serves the window.
    int served = 0;
    std::function<void()> save = [&] {
        if (++served == 1) return PostToGui(save);
        f->ActSaveProject->Execute();
    };
    dialogs->messageHook = [&](const std::string& text) {
        if (text.rfind("You are going to add ", 0) == 0) PostToGui(save);
    };
    EXPECT_TRUE(f->Act("ActAddDirectories")->Execute());
    dialogs->messageHook = nullptr;
    ASSERT_EQ(served, 2);
    EXPECT_FALSE(fs::exists(job)) << "saved while the list was half merged";
    EXPECT_EQ(f->SourceFiles.Count(), 308);

    ASSERT_TRUE(f->ActSaveProject->Execute());
    f->ClearProject();
    Drop(f->TabSheetRulesMetricsUsw, {job});
    EXPECT_EQ(f->SourceFiles.Count(), 308);
    EXPECT_EQ(f->SourceFiles.CheckedCount(), 308);
}

// The structure computation serves the window while it reads the list: a
// change of the list then waits, so the computation's lists stay aligned
// with the files.
TEST_F(SourceListWindowTest, TheListStaysAsItIsWhileTheStructureIsComputed) {
    TEventPump::OverrideInterval(std::chrono::milliseconds(0));
    TOnExit restoreInterval([] { TEventPump::OverrideInterval(std::nullopt); });
    const struct {
        const char* what;
        std::function<void(TfrmPemarisMain*)> gesture;
    } gestures[] = {
        {"Ctrl+B", [](TfrmPemarisMain* f) { QTest::keyClick(f, Qt::Key_B, Qt::ControlModifier); }},
        {"folder dropped", [this](TfrmPemarisMain* f) { Drop(f->BitBtnAddDirectories, {src / "second"}); }},
        {"Remove unchecked", [](TfrmPemarisMain* f) { f->Act("ActRemoveFiles")->Execute(); }},
    };
    std::vector<std::string> listed;
    for (int i = 0; i < 7; ++i) listed.push_back(Src("pre/c" + std::to_string(i % 2) + "/m/p" + std::to_string(i) + ".cbl"));
    for (int i = 0; i < 3; ++i) Src("second/c/m/g" + std::to_string(i) + ".cbl");
    for (const auto& g : gestures) {
        TfrmPemarisMain* f = StartNamed();
        Drop(f->BitBtnAddFiles, listed);
        f->CheckListBoxSelectedFiles->SetChecked(0, false);
        f->CheckListBoxSelectedFiles->setFocus();
        dialogs->AnswerFiles({src / "second/c/m/g0.cbl", src / "second/c/m/g1.cbl"});
        PostToGui([&] { g.gesture(f); });
        EXPECT_TRUE(f->ActCalculateCommonRootStrict->Execute()) << g.what;
        QApplication::processEvents();
        EXPECT_EQ(f->SourceFiles.Count(), 7) << g.what;
        EXPECT_EQ(f->Structure.Components.size(), 7u) << g.what;
        EXPECT_EQ(f->Structure.Modules.size(), 7u) << g.what;
        EXPECT_TRUE(dialogs->calls.empty()) << g.what;
    }
}
