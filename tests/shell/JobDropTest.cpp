// Files dropped on the main window from a file manager, played as Qt drag
// events: a job file on the names box or a language tab opens once the drop
// is answered; other drops change nothing; the selected-files list keeps its
// own road.
#include "ActionGate.h"
#include "DragDropFile.h"
#include "DragPlayer.h"
#include "DropRouter.h"
#include "MainFormHarness.h"

#include <QMimeData>
#include <QUrl>
#include <filesystem>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const char* const kSaveQuestion = "The current project has been modified \r\nDo you want to save the changes?'";

// Scripted answers that also note, at the save question, how far the
// opening had got.
class SpyDialogs : public ScriptedDialogService {
public:
    std::function<void()> atQuestion;
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int help) override {
        if (text == kSaveQuestion && atQuestion) atQuestion();
        return ScriptedDialogService::MessageDlg(text, type, buttons, help);
    }
};

class JobDropTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
        const std::string job = std::string(FIXTURES_DIR) + "/jobs/crlf.jkvx"; // system "pay roll"
        fs::create_directories(install / "drop/Folder.jkvx");
        for (const char* name : {"Job.jkvx", "Second.jkvx", "Upper.JKVX", "notes.txt"})
            fs::copy_file(job, install / (std::string("drop/") + name));
        SetDialogService(&spy);
    }
    void TearDown() override {
        SetDialogService(nullptr);
        MainFormTest::TearDown();
    }

    TfrmPemarisMain* Start(const std::string& name = "Korvex") {
        MainFormTest::Start(name);
        spy.Reset();
        return form.get();
    }

    // A job of the form's own, changed since it was last saved.
    void ChangedJob() {
        form->ValidateSystemName("changed");
        ASSERT_TRUE(form->Modified);
    }

    // Drops the files (names under drop/) on the widget; gives the answer
    // the drop had. What the drop leaves to do runs afterwards.
    Qt::DropAction Drop(QWidget* site, std::vector<std::string> names, bool thenRun = true,
                        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& n : names) urls << QUrl::fromLocalFile(QString::fromStdString(install / ("drop/" + n)));
        mime.setUrls(urls);
        return DropMime(site, mime, thenRun, actions, modifiers);
    }
    Qt::DropAction DropMime(QWidget* site, const QMimeData& mime, bool thenRun = true,
                            Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
                            Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        asked = 0;
        pemtest::Player player{site};
        player.actions = actions;
        player.modifiers = modifiers;
        const Qt::DropAction answer = player.Play(&mime);
        askedDuringDrop = asked > 0 || !spy.Messages().empty();
        if (thenRun)
            for (int i = 0; i < 3; ++i) QApplication::processEvents();
        return answer;
    }

    SpyDialogs spy;
    int asked = 0;
    bool askedDuringDrop = false;
};

} // namespace

TEST_F(JobDropTest, AJobOnTheNamesBoxOrALanguageTabOpensInTheFiveSteps) {
    TfrmPemarisMain* f = Start();
    EXPECT_EQ(f->DropFileTargetOpenJob->Targets().size(), 4u);
    const std::vector<std::pair<const char*, QWidget*>> sites = {
        {"names box", f->GroupBoxNames},
        {"an edit in the names box", f->EditSystemName},
        {"Pemaris tab", f->TabSheetLangSel_Pemaris},
        {"Velling tab", f->TabSheetLangSel_Velling},
        {"Harnox tab", f->TabSheetLangSel_Harnox},
    };
    for (const auto& [name, site] : sites) {
        SCOPED_TRACE(name);
        ChangedJob();
        f->PageControlMain->SetActivePage(f->TabSheetTech);
        spy.Reset();
        spy.AnswerMessage(mrNo);
        // At the question the job is still the changed one, on the page it was.
        std::string systemAtQuestion;
        TTabSheet* pageAtQuestion = nullptr;
        spy.atQuestion = [&] {
            ++asked;
            systemAtQuestion = f->SystemName;
            pageAtQuestion = f->PageControlMain->ActivePage();
        };
        EXPECT_EQ(Drop(site, {"Job.jkvx"}), Qt::CopyAction);
        EXPECT_FALSE(askedDuringDrop); // the file manager never waits on it
        EXPECT_EQ(spy.Messages(), std::vector<std::string>{kSaveQuestion});
        EXPECT_EQ(systemAtQuestion, "changed");
        EXPECT_EQ(pageAtQuestion, f->TabSheetTech);
        // Then cleared, the names page shown, the file loaded, and the job
        // known to have its file.
        EXPECT_EQ(f->SystemName, "pay roll");
        EXPECT_EQ(f->PageControlMain->ActivePage(), f->TabSheetNames);
        EXPECT_EQ(f->JobFolder, install / "drop/");
        EXPECT_FALSE(f->NewJobFile);
        EXPECT_FALSE(f->Modified);
        spy.atQuestion = nullptr;
    }
}

TEST_F(JobDropTest, OtherDropsChangeNothing) {
    TfrmPemarisMain* f = Start();
    struct Case {
        const char* name;
        std::vector<std::string> files;
        std::function<void()> state; // what the window is doing
        std::string error;           // on the status bar
    };
    const std::vector<Case> cases = {
        {"the job extension in another letter case", {"Upper.JKVX"}, nullptr, ""},
        {"two job files", {"Job.jkvx", "Second.jkvx"}, nullptr, ""},
        {"a folder named like a job", {"Folder.jkvx"}, nullptr, ""},
        {"another extension", {"notes.txt"}, nullptr, ""},
        {"a tool running", {"Job.jkvx"}, [&] { f->Running = true; }, kGateRefusedMessage},
        {"files being collected", {"Job.jkvx"}, [&] { f->FileLoopRunning = true; }, ""},
        {"the input tree being built", {"Job.jkvx"}, [&] { f->InputLoopRunning = true; }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChangedJob();
        spy.Reset();
        recorder.records.clear();
        if (c.state) c.state();
        EXPECT_EQ(Drop(f->GroupBoxNames, c.files), Qt::IgnoreAction);
        EXPECT_EQ(f->SystemName, "changed");
        EXPECT_TRUE(f->Modified);
        EXPECT_TRUE(spy.Messages().empty());
        EXPECT_EQ(recorder.Has(TStatusRecord::Error, kGateRefusedMessage), !c.error.empty());
        f->Running = f->FileLoopRunning = f->InputLoopRunning = false;
    }

    // A loop that starts after the drop was taken still keeps the job.
    Drop(f->GroupBoxNames, {"Job.jkvx"}, false);
    f->FileLoopRunning = true;
    QApplication::processEvents();
    EXPECT_EQ(f->SystemName, "changed");
    f->FileLoopRunning = false;
}

TEST_F(JobDropTest, CancelAtTheSaveQuestionKeepsTheJobAndTheNextDragWorks) {
    TfrmPemarisMain* f = Start();
    ChangedJob();
    spy.AnswerMessage(mrCancel);
    EXPECT_EQ(Drop(f->TabSheetLangSel_Pemaris, {"Job.jkvx"}), Qt::CopyAction);
    EXPECT_EQ(spy.Messages(), std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(f->SystemName, "changed");
    EXPECT_TRUE(f->Modified);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Action cancelled"));

    spy.AnswerMessage(mrNo);
    EXPECT_EQ(Drop(f->TabSheetLangSel_Pemaris, {"Job.jkvx"}), Qt::CopyAction);
    EXPECT_EQ(f->SystemName, "pay roll");
}

// A derived product's window registers nothing with the job-file drop
// target, and its window's own dropped-files road opens no job either: a job
// of the product's own type, dropped anywhere on the window, opens nothing.
TEST_F(JobDropTest, ADerivedProductTakesNoJobDrop) {
    const std::vector<std::pair<const char*, const char*>> products = {
        {"Oskaro_Korvex", ".jtst"}, {"Ravenel_Korvex", ".jtst"}, {"Zelmar_Lumidor", ".jlmd"}, {"Ravenel_Velling", ".jtst"}};
    for (const auto& [product, extension] : products) {
        SCOPED_TRACE(product);
        const std::string job = std::string("Own") + extension;
        fs::copy_file(install / "drop/Job.jkvx", install / ("drop/" + job), fs::copy_options::overwrite_existing);
        TfrmPemarisMain* f = Start(product);
        ASSERT_EQ(f->Product.JobExtension, extension);
        EXPECT_TRUE(f->DropFileTargetOpenJob->Targets().empty());
        for (QWidget* w : std::initializer_list<QWidget*>{f->GroupBoxNames, f->TabSheetLangSel_Pemaris,
                                                          f->TabSheetLangSel_Velling, f->TabSheetLangSel_Harnox,
                                                          f->PageControlMain}) {
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_FALSE(TDropRouter::Instance().IsOleTarget(w));
            const std::string system = f->SystemName;
            Drop(w, {job});
            EXPECT_EQ(f->SystemName, system);
            EXPECT_TRUE(spy.Messages().empty());
        }
    }
}

// Where the job-file drop target refuses a drag (a source that only moves),
// the window's dropped-files road below it does not take it instead.
TEST_F(JobDropTest, ARefusalByTheJobDropTargetIsFinal) {
    TfrmPemarisMain* f = Start();
    for (QWidget* site : std::initializer_list<QWidget*>{f->GroupBoxNames, f->TabSheetLangSel_Pemaris}) {
        SCOPED_TRACE(site->objectName().toStdString());
        ChangedJob();
        spy.Reset();
        EXPECT_EQ(Drop(site, {"Job.jkvx"}, true, Qt::MoveAction), Qt::IgnoreAction);
        EXPECT_EQ(f->SystemName, "changed");
        EXPECT_TRUE(spy.Messages().empty());
    }
}

// A job saved while its tool ran reconnects when it is dropped, as it does
// when opened: otherwise the window would stay busy with no tool running.
TEST_F(JobDropTest, ADroppedJobOfABackgroundRunReconnects) {
    TfrmPemarisMain* f = Start();
    f->ActiveRadioButton = f->Find<TRadioButton>("RadioButtonCob85");
    f->ValidateProductName("abc corp");
    f->ValidateSystemName("pay roll");
    f->ValidateVersion("1.2");
    f->JobFolder = install / "drop/";
    f->Running = true;
    f->NumberOfModules = f->NumberOfRenamedModules = 3;
    const std::string job = install / "drop/Batch.jkvx";
    f->SetProjectName(job);
    f->SaveProjectTo(job);
    f->Running = false;
    f->Modified = false;

    Drop(f->GroupBoxNames, {"Batch.jkvx"});
    ASSERT_EQ(spy.Messages().size(), 1u);
    EXPECT_EQ(spy.Messages()[0].rfind("Your batch process seems to have finished", 0), 0u);
    EXPECT_FALSE(f->Running);
}

// The selected-files list takes dropped files on the window's other road:
// a folder and two files dropped on the list reach its box once, together,
// and come into the job's list.
TEST_F(JobDropTest, AFolderAndTwoFilesDroppedOnTheSelectedFilesListReachItOnce) {
    pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                       "RadioButtonCob85=COBOL 85,COB,,1,V1\nCOB.Extras=(DirDepth=2)\n"
                       "COB.Filters=COBOL sources (*.cob)|*.cob\nActiveRadioButton=RadioButtonCob85\n");
    for (const char* name : {"drop/tree/c/m/t1.cob", "drop/tree/c/m/t2.cob", "drop/a.cob", "drop/b.cob"})
        pemtest::WriteFile(install / name, "x");
    TfrmPemarisMain* f = Start();
    QWidget* list = f->CheckListBoxSelectedFiles->viewport();

    // Heard by the box itself in place of its handler.
    TWMDropfilesEvent own = f->GroupBoxSelectedFiles->OnWMDropFileMessage;
    std::vector<TStringList> received;
    f->GroupBoxSelectedFiles->OnWMDropFileMessage = [&](TComponent*, const TWMDropFiles& m) { received.push_back(m.Files); };
    EXPECT_EQ(Drop(list, {"tree", "a.cob", "b.cob"}), Qt::CopyAction);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (TStringList{install / "drop/tree", install / "drop/a.cob", install / "drop/b.cob"}));

    // With the box's own handler: the tree's files and the two files.
    f->GroupBoxSelectedFiles->OnWMDropFileMessage = own;
    Drop(list, {"tree", "a.cob", "b.cob"});
    EXPECT_EQ(f->SourceFiles.Count(), 4);
    EXPECT_EQ(f->SystemName, ""); // no job opened on the way
}

// The source-file list only reads what is dropped on it: a Shift-drag (the
// source proposes a move) is answered with a copy, and a source that allows
// only a move is refused.
TEST_F(JobDropTest, TheSelectedFilesListAnswersACopy) {
    pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                       "RadioButtonCob85=COBOL 85,COB,,1,V1\nCOB.Filters=COBOL sources (*.cob)|*.cob\n"
                       "ActiveRadioButton=RadioButtonCob85\n");
    pemtest::WriteFile(install / "drop/a.cob", "x");
    TfrmPemarisMain* f = Start();
    QWidget* list = f->CheckListBoxSelectedFiles->viewport();
    EXPECT_EQ(Drop(list, {"a.cob"}, true, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier), Qt::CopyAction);
    EXPECT_EQ(f->SourceFiles.Count(), 1);
    EXPECT_EQ(Drop(list, {"a.cob"}, true, Qt::MoveAction), Qt::IgnoreAction);
}

// Dropped names the job cannot hold are left out with a warning on the
// status bar naming the first and how many more: names beyond Windows-1252
// and paths that are no UTF-8, dropped as files or inside a dropped folder.
TEST_F(JobDropTest, NamesLeftOutOfADropAreToldOnTheStatusBar) {
    pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                       "RadioButtonCob85=COBOL 85,COB,,1,V1\nCOB.Filters=COBOL sources (*.cob)|*.cob\n"
                       "ActiveRadioButton=RadioButtonCob85\n");
    for (const char* name : {"drop/a.cob", "drop/\xe6\x97\xa5.cob", "drop/tree/ok.cob", "drop/tree/\xe6\x97\xa5.cob",
                             "drop/tree/\xe6\x97\xa5.txt"})
        pemtest::WriteFile(install / name, "x");
    TfrmPemarisMain* f = Start();
    QWidget* list = f->CheckListBoxSelectedFiles->viewport();
    auto warnings = [&] {
        std::vector<std::string> w;
        for (const TStatusRecord& r : recorder.records)
            if (r.kind == TStatusRecord::Warning) w.push_back(r.text);
        return w;
    };

    QMimeData mime;
    const QByteArray base = QUrl::fromLocalFile(QString::fromStdString(install / "drop/")).toEncoded();
    mime.setData("text/uri-list", base + "a.cob\r\n" + base + "%E6%97%A5.cob\r\n" + base + "%FF.cob\r\n");
    recorder.records.clear();
    EXPECT_EQ(DropMime(list, mime), Qt::CopyAction);
    EXPECT_EQ(f->SourceFiles.Count(), 1);
    EXPECT_EQ(warnings(), std::vector<std::string>{"File skipped, its name does not fit the code page: " +
                                                   (install / "drop/?.cob") + " (and 1 more files skipped)"});

    // Nothing but a name left out: still dropped, still told.
    QMimeData only;
    only.setData("text/uri-list", base + "%FF.cob\r\n");
    recorder.records.clear();
    EXPECT_EQ(DropMime(list, only), Qt::CopyAction);
    EXPECT_EQ(warnings(), std::vector<std::string>{"File skipped, its path is not UTF-8: " + base.toStdString() + "%FF.cob"});

    // In a dropped folder only the name the search would have taken is told of.
    recorder.records.clear();
    Drop(list, {"tree"});
    EXPECT_EQ(f->SourceFiles.Count(), 2);
    EXPECT_EQ(warnings(), std::vector<std::string>{"File skipped, its name does not fit the code page: " +
                                                   (install / "drop/tree/?.cob")});
}
