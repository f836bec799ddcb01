// The result tabs on a small window with the controls they work on, a
// project context of the test's own, scripted dialogs and fake frames of
// each kind: opening, reuse and reload, closing with the save question,
// frames that fail, the viewer dialogs, find, font, regrouping and logs.
#include "Exceptions.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "QtTestSupport.h"
#include "ResultTabs.h"
#include "SettingsStore.h"
#include "SimpleViewerFrame.h"
#include "ViewerTestContext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

using Context = pemtest::FakeProjectContext;
using pemtest::RecordingDialogs;

// A frame of the later viewers, as far as the tabs see it.
class FakeFrame : public TFrameViewerBase, public IResultFrame, public IEditorFrame, public IDefiGrouping {
public:
    FakeFrame(const TFrameCreateArgs& a, TResultFrameKind kind)
        : TFrameViewerBase(a.owner, a.parent, "Fake"), kind_(kind) {
        view = new TListingView(this, this, "RichEditSourceView");
        view->LoadFromFile(a.fileName);
        SetFileName(a.fileName);
    }
    TResultFrameKind FrameKind() const override { return kind_; }
    TListingView* SearchView() override { return view; }
    bool HasUnsavedChanges() const override { return modified; }
    void SaveChanges() override {
        ++saves;
        if (failSave) throw EFileError("Can not create file " + FileName);
        modified = false;
    }
    void CommitEdit() override { ++commits; }
    void GroupDefisBySource() override { groupings += "S"; }
    void GroupDefisByLevel() override { groupings += "L"; }
    void GroupDefisByRuleName() override { groupings += "R"; }

    TListingView* view;
    bool modified = false, failSave = false;
    int saves = 0, commits = 0;
    std::string groupings;

private:
    TResultFrameKind kind_;
};

class ResultTabsTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        SetDialogService(&dialogs);
        savedWrite = WriteSettingProc;
        WriteSettingProc = [this](const std::string& n, const std::string& v) { written.push_back(n + "=" + v); };
        host = std::make_unique<TForm>("frmHost");
        ctx.bar = new TMyStatusBar(host.get(), host.get(), "MyStB");
        ctx.out = dir / "out";
        PageControlMain = new TPageControl(host.get(), host->Client(), "PageControlMain");
        TabSheetNames = new TTabSheet(host.get(), PageControlMain, "TabSheetNames", "Names");
        TabSheetViewer = new TTabSheet(host.get(), PageControlMain, "TabSheetViewer", "Internal viewer");
        TabSheetViewer->SetTabVisible(false);
        PageControlEditor = new TPageControl(host.get(), TabSheetViewer, "PageControlEditor");
        actions = new TActionList(host.get(), "ActionListMain");
        TResultTabControls c;
        c.PageControlMain = PageControlMain;
        c.TabSheetViewer = TabSheetViewer;
        c.TabSheetNames = TabSheetNames;
        c.PageControlEditor = PageControlEditor;
        c.OpenDialogWork = new TOpenDialog(host.get(), "OpenDialogWork");
        c.ActPrintCurrent = new TAction(actions, "ActPrintCurrent", "&Print ", "Print");
        c.ActSortBySource = new TAction(actions, "ActSortBySource", "Sort by source file name", "Sort");
        c.ActSortByLevel = new TAction(actions, "ActSortByLevel", "Sort by deficiency level", "Sort");
        c.ActSortByRuleName = new TAction(actions, "ActSortByRuleName", "Sort by rules", "Sort");
        c.TabOwner = host.get();
        tabs = std::make_unique<TResultTabs>(ctx, c);
        for (TAction* a : {c.ActSortBySource, c.ActSortByLevel, c.ActSortByRuleName})
            a->OnExecute = [this](TComponent* s) { tabs->Sort(static_cast<TAction*>(s)); };
        host->resize(700, 500);
        host->show();
    }
    void TearDown() override {
        tabs.reset();
        host.reset();
        WriteSettingProc = savedWrite;
        SetDialogService(nullptr);
    }

    // A fake frame kind the tabs create through a factory.
    void Register(TResultFrameKind kind) {
        tabs->RegisterFrame(kind, [this, kind](const TFrameCreateArgs& a) {
            auto* f = new FakeFrame(a, kind);
            frames.push_back(f);
            return f;
        });
    }

    std::string Write(const std::string& rel, const std::string& text = "line\r\n") {
        pemtest::WriteFile(ctx.out + "/" + rel, text);
        return ctx.out + "/" + rel;
    }
    static void Touch(const std::string& file, int secondsLater) {
        struct stat st {};
        ::stat(file.c_str(), &st);
        utimbuf t{st.st_atime, st.st_mtime + secondsLater};
        ::utime(file.c_str(), &t);
    }
    // Runs an operation as a handler does: a silent abort ends it.
    static bool Run(const std::function<void()>& fn) { return RunGuarded(fn); }

    std::vector<std::string> TabNames() const {
        std::vector<std::string> n;
        for (int i = 0; i < tabs->TabCount(); ++i) n.push_back(tabs->Tab(i)->Name() + ":" + tabs->Tab(i)->Caption());
        return n;
    }
    bool Error(const std::string& text) const { return recorder.Has(TStatusRecord::Error, text); }

    pemtest::TempDir dir;
    RecordingDialogs dialogs;
    pemtest::StatusRecorder recorder;
    Context ctx;
    TReadSettingProc savedRead;
    TWriteSettingProc savedWrite;
    std::vector<std::string> written;
    std::unique_ptr<TForm> host;
    TPageControl *PageControlMain = nullptr, *PageControlEditor = nullptr;
    TTabSheet *TabSheetNames = nullptr, *TabSheetViewer = nullptr;
    TActionList* actions = nullptr;
    std::unique_ptr<TResultTabs> tabs;
    std::vector<QPointer<FakeFrame>> frames;
};

TEST_F(ResultTabsTest, SameFileTwiceKeepsOneTabUntilItsDateChanges) {
    const std::string txt = Write("Metrics/PAY.met");
    tabs->OpenInSimpleViewer(txt);
    tabs->OpenInSimpleViewer(txt);
    EXPECT_EQ(TabNames(), std::vector<std::string>{"tsv0:Metrics/PAY.met"});
    EXPECT_TRUE(dialogs.calls.empty());
    // A changed date asks; No keeps the tab, Yes opens it anew at the end.
    Touch(txt, 10);
    dialogs.AnswerMessage(mrNo);
    tabs->OpenInSimpleViewer(txt);
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Module " + txt + "'s date/time changed. Reload?"});
    EXPECT_EQ(TabNames(), std::vector<std::string>{"tsv0:Metrics/PAY.met"});
    dialogs.AnswerMessage(mrYes);
    tabs->OpenInSimpleViewer(txt);
    EXPECT_EQ(TabNames(), std::vector<std::string>{"tsv1:Metrics/PAY.met"});
    // A log whose date changed is reloaded without a question, whatever the
    // case of its extension.
    dialogs.Reset();
    const std::string log = Write("PAY.LOG");
    tabs->OpenInSimpleViewer(log);
    Touch(log, 10);
    tabs->OpenInSimpleViewer(log);
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(TabNames(), (std::vector<std::string>{"tsv1:Metrics/PAY.met", "tsv3:PAY.LOG"}));
    // Another case is another file here.
    tabs->OpenInSimpleViewer(Write("Defis/A.def"));
    tabs->OpenInSimpleViewer(Write("Defis/a.def"));
    EXPECT_EQ(tabs->TabCount(), 4);
    // The frame is named after its tab and shows the file.
    auto* frame = dynamic_cast<TFrameSimpleViewer*>(tabs->Tab(0)->Frame);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Name(), "tsv1FrameSimpleViewer");
    EXPECT_EQ(frame->StatusBar, ctx.bar);
    EXPECT_EQ(frame->BitBtnPrint->Action()->Name(), "ActPrintCurrent");
}

TEST_F(ResultTabsTest, SpecificationsOfTheSameStemCountUnlessInAPlainListingTab) {
    Register(TResultFrameKind::SpecsObj);
    Register(TResultFrameKind::SpecsGer);
    ctx.lang = "JAV";
    tabs->OpenSpecsReport(Write("Specs/X.txt"));
    dialogs.AnswerMessage(mrNo);
    tabs->OpenSpecsReport(Write("Specs/X.JAV"));
    EXPECT_EQ(dialogs.Messages(),
              std::vector<std::string>{"Module " + ctx.out + "/Specs/X.JAV is already loaded. Reload?"});
    EXPECT_EQ(TabNames(), std::vector<std::string>{"tsv0:Specs/X.txt"});
    EXPECT_EQ(tabs->Tab(0)->Frame->Name(), "tsv0FrameSpecs");

    tabs->CloseAllEditorTabs();
    dialogs.Reset();
    ctx.lang = "GER";
    tabs->OpenSpecsReport(Write("Specs/X.txt"));
    tabs->OpenSpecsReport(Write("Specs/X.GER"));
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(tabs->TabCount(), 2);
}

TEST_F(ResultTabsTest, ChecksOfTheOpenOperations) {
    const std::string outside = dir / "elsewhere/Defis/A.def";
    pemtest::WriteFile(outside, "x\n");
    struct Case {
        std::function<void()> open;
        std::string message;
    } cases[] = {
        {[&] { tabs->OpenDefiReport(outside); }, "File " + outside + " doesn't belong to the current project"},
        {[&] { tabs->OpenDefiReport(Write("Specs/A.def")); },
         "File " + ctx.out + "/Specs/A.def doesn't belong to the current project"},
        {[&] { tabs->OpenSpecsReport(ctx.out + "/Specs/none.JAV"); },
         "File " + ctx.out + "/Specs/none.JAV doesn't exist"},
        {[&] { tabs->OpenInSimpleViewer(ctx.out + "/none.txt"); }, "File " + ctx.out + "/none.txt doesn't exist"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Run(c.open));
        EXPECT_TRUE(Error(c.message)) << c.message;
    }
    EXPECT_EQ(tabs->TabCount(), 0);
    // The result folder compares without regard to case.
    Register(TResultFrameKind::Defi);
    EXPECT_TRUE(Run([&] { tabs->OpenDefiReport(Write("DEFIS/B.def")); }));
    EXPECT_EQ(tabs->TabCount(), 1);
}

TEST_F(ResultTabsTest, NamesOnlyGrowAndTheLastTabTakesTheViewerPageAlong) {
    tabs->OpenInSimpleViewer(Write("a.txt"));
    EXPECT_TRUE(TabSheetViewer->TabVisible());
    EXPECT_EQ(PageControlMain->ActivePage(), TabSheetViewer);
    EXPECT_TRUE(tabs->CloseEditorTab());
    EXPECT_FALSE(TabSheetViewer->TabVisible());
    EXPECT_EQ(PageControlMain->ActivePage(), TabSheetNames);
    tabs->OpenInSimpleViewer(Write("a.txt"));
    EXPECT_EQ(tabs->Tab(0)->Name(), "tsv1");
    // With the names page in front the close does nothing.
    PageControlMain->SetActivePage(TabSheetNames);
    EXPECT_FALSE(tabs->CloseEditorTab());
    EXPECT_EQ(tabs->TabCount(), 1);
}

TEST_F(ResultTabsTest, ChangedEditorAsksYesSavesAFailingSaveKeepsTheTab) {
    tabs->RegisterFrame(TResultFrameKind::SimpleViewer, [this](const TFrameCreateArgs& a) {
        auto* f = new FakeFrame(a, TResultFrameKind::XMLEdit);
        frames.push_back(f);
        return f;
    });
    const std::string question = "Metrics/M.xml has been changed,\r\nDo you want to save the changes ?";
    struct Case {
        bool modified, failSave;
        int answer;
        int saves, tabsLeft;
        bool asked;
    } cases[] = {
        {true, false, mrYes, 1, 0, true},
        {true, false, mrNo, 0, 0, true},
        {true, true, mrYes, 1, 1, true},
        {false, false, mrYes, 0, 0, false},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < tabs->TabCount(); ++i) static_cast<FakeFrame*>(tabs->Tab(i)->Frame)->modified = false;
        tabs->CloseAllEditorTabs();
        QApplication::processEvents();
        dialogs.Reset();
        tabs->OpenInSimpleViewer(Write("Metrics/M.xml", "<a>\r\n</a>\r\n"));
        auto* f = static_cast<FakeFrame*>(tabs->ActiveFrame());
        f->modified = c.modified;
        f->failSave = c.failSave;
        dialogs.AnswerMessage(c.answer);
        Run([&] { tabs->CloseEditorTab(); });
        EXPECT_EQ(!dialogs.Messages().empty() && dialogs.Messages()[0] == question, c.asked);
        EXPECT_EQ(f->saves, c.saves);
        EXPECT_EQ(f->commits, 1); // the edit in progress is committed first
        EXPECT_EQ(tabs->TabCount(), c.tabsLeft);
    }
}

TEST_F(ResultTabsTest, AFrameThatFailsLeavesNoTab) {
    struct Case {
        const char* what;
        std::function<TFrame*(const TFrameCreateArgs&)> factory;
    } cases[] = {
        {"rejected list", [this](const TFrameCreateArgs&) -> TFrame* {
             ctx.bar->Error("File invalid for this viewer!");
             return nullptr;
         }},
        {"file error", [](const TFrameCreateArgs& a) -> TFrame* { throw EFileError("Can not open file " + a.fileName); }},
        {"other fault", [](const TFrameCreateArgs&) -> TFrame* { throw std::runtime_error("broken"); }},
    };
    tabs->OpenInSimpleViewer(Write("kept.txt"));
    for (const auto& c : cases) {
        tabs->RegisterFrame(TResultFrameKind::TestCase, c.factory);
        EXPECT_THROW(tabs->OpenTestCaseReport(Write("Cases/T.txt")), std::exception) << c.what;
        EXPECT_EQ(TabNames(), std::vector<std::string>{"tsv0:kept.txt"}) << c.what;
    }
    EXPECT_TRUE(Error("File invalid for this viewer!"));
    // With no other tab the viewer page goes too.
    tabs->CloseEditorTab();
    EXPECT_THROW(tabs->OpenTestCaseReport(Write("Cases/T.txt")), std::exception);
    EXPECT_FALSE(TabSheetViewer->TabVisible());
    EXPECT_EQ(PageControlMain->ActivePage(), TabSheetNames);
}

TEST_F(ResultTabsTest, ATabClosedFromItsOwnFrameIsFreedAfterTheHandler) {
    tabs->OpenInSimpleViewer(Write("a.txt"));
    QPointer<TFrame> frame = tabs->ActiveFrame();
    auto* button = static_cast<TFrameSimpleViewer*>(frame.data())->BitBtnClose;
    bool frameAliveInHandler = false;
    button->SetAction(nullptr);
    button->OnClick = [&](TComponent*) {
        tabs->CloseEditorTab();
        frameAliveInHandler = !frame.isNull() && frame->isWidgetType();
    };
    button->click();
    EXPECT_TRUE(frameAliveInHandler);
    EXPECT_EQ(tabs->TabCount(), 0);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull());
}

TEST_F(ResultTabsTest, DeficiencyTabsStartGroupedBySourceAndRegroup) {
    Register(TResultFrameKind::Defi);
    tabs->OpenDefiReport(Write("Defis/A.def"));
    auto* f = static_cast<FakeFrame*>(tabs->ActiveFrame());
    EXPECT_EQ(f->Name(), "tsv0FrameDefi");
    EXPECT_EQ(f->groupings, "S");
    actions->FindAction("ActSortByLevel")->Execute();
    actions->FindAction("ActSortByRuleName")->Execute();
    EXPECT_EQ(f->groupings, "SLR");
    EXPECT_FALSE(actions->FindAction("ActSortBySource")->Checked());
    EXPECT_FALSE(actions->FindAction("ActSortByLevel")->Checked());
    EXPECT_TRUE(actions->FindAction("ActSortByRuleName")->Checked());
    // Text languages show deficiency listings in the simple viewer.
    ctx.lang = "GER";
    tabs->OpenDefiReport(Write("Defis/B.def"));
    EXPECT_NE(dynamic_cast<TFrameSimpleViewer*>(tabs->ActiveFrame()), nullptr);
    EXPECT_EQ(tabs->ActiveFrame()->Name(), "tsv1FrameDefi");
}

TEST_F(ResultTabsTest, FindRunsFromTheSelectionIgnoringCase) {
    tabs->OpenInSimpleViewer(Write("f.txt", "one ALPHA\r\ntwo alpha\r\nthree\r\n"));
    auto* view = static_cast<TFrameSimpleViewer*>(tabs->ActiveFrame())->RichEditSourceView;
    view->SetSelection(5, 0); // a caret without selection searches from the start
    dialogs.AnswerFind("alpha");
    tabs->FindText();
    EXPECT_EQ(view->SelStart(), 4);
    EXPECT_EQ(view->SelLength(), 5);
    dialogs.AnswerFind("Alpha");
    dialogs.AnswerFind("alpha"); // no third one
    tabs->FindText();
    EXPECT_EQ(view->SelStart(), 14);
    EXPECT_TRUE(Error("String not found"));
    ASSERT_EQ(dialogs.findRequests.size(), 2u);
    // Without a tab the find dialog does not open.
    tabs->CloseAllEditorTabs();
    tabs->FindText();
    EXPECT_EQ(dialogs.findRequests.size(), 2u);
}

TEST_F(ResultTabsTest, FontGoesToEveryFrameAndIntoTheSettingsInOrder) {
    Register(TResultFrameKind::Defi);
    tabs->OpenInSimpleViewer(Write("a.txt"));
    tabs->OpenDefiReport(Write("Defis/A.def"));
    dialogs.fontAnswers.push_back({"DejaVu Sans Mono", 1, 12, -16, true});
    tabs->SelectFont();
    EXPECT_EQ(ctx.font.name, "DejaVu Sans Mono");
    auto* simple = static_cast<TFrameSimpleViewer*>(tabs->Tab(0)->Frame);
    EXPECT_EQ(simple->RichEditSourceView->font().pixelSize(), 16);
    EXPECT_EQ(static_cast<FakeFrame*>(tabs->Tab(1)->Frame)->ViewerFont, &ctx.font);
    EXPECT_EQ(written, (std::vector<std::string>{"FontCharSet=1", "FontSize=12", "FontHeight=-16",
                                                 "FontName=DejaVu Sans Mono", "FontBold=1", "FontItalic=0",
                                                 "FontUnderline=0", "FontStrikeOut=0"}));
    // Cancel changes nothing.
    written.clear();
    tabs->SelectFont();
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(ctx.font.name, "DejaVu Sans Mono");
}

TEST_F(ResultTabsTest, ViewerDialogOpensInTheResultFolderWithTheTabsListingPreselected) {
    Register(TResultFrameKind::Defi);
    Register(TResultFrameKind::SpecsObj);
    const std::string def = Write("Defis/COMP0001/MOD0001/A.def");
    const std::string spec = Write("Specs/COMP0001/MOD0001/A.JAV");
    tabs->OpenDefiReport(def);
    dialogs.AnswerFiles({spec});
    tabs->ViewerDialog(TViewerDialog::Specs);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const TOpenDialogRequest& r = dialogs.openRequests[0];
    EXPECT_EQ(r.title, "Open a Spec's report");
    EXPECT_EQ(DialogFilterString(r.filters), "Spec's(*.JAV)|*.JAV");
    EXPECT_EQ(r.initialDir, ctx.out + "/Specs/COMP0001/MOD0001/");
    EXPECT_EQ(r.fileName, "A.JAV");
    EXPECT_EQ(r.okCaption, "&Do Open");
    EXPECT_EQ(r.cancelCaption, "&No, Dismiss");
    EXPECT_EQ(TabNames().back(), "tsv1:Specs/COMP0001/MOD0001/A.JAV");
    // A missing folder is said without ending; a cancelled dialog ends.
    EXPECT_FALSE(Run([&] { tabs->ViewerDialog(TViewerDialog::TestCases); }));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Directory for Cases has not been created yet!"));
    EXPECT_EQ(dialogs.openRequests.back().initialDir, ctx.out);
    EXPECT_TRUE(Error("File search cancelled"));
}

TEST_F(ResultTabsTest, LogsOpenWhenTheyExistAndSayNothingOtherwise) {
    ctx.runMode = 2;
    EXPECT_TRUE(Run([&] { tabs->ViewLog(TLogKind::ProductLog); }));
    EXPECT_EQ(tabs->TabCount(), 0);
    EXPECT_TRUE(recorder.records.empty());
    Write("Exports/PAY.log");
    Write("Console.log");
    tabs->ViewLog(TLogKind::ProductLog);
    tabs->ViewLog(TLogKind::ConsoleLog);
    EXPECT_EQ(TabNames(), (std::vector<std::string>{"tsv0:Exports/PAY.log", "tsv1:Console.log"}));
}

TEST_F(ResultTabsTest, ExternalEditorRunsInTheOutputDirectoryOrIsMissed) {
    std::vector<std::string> ran;
    std::string where;
    tabs->RunAndWait = [&](const std::vector<std::string>& cmd, const std::string& wd) {
        ran = cmd;
        where = wd;
    };
    {
        pemtest::ScopedEnv visual("VISUAL", std::string("myeditor -x"));
        tabs->ViewNotepad();
        EXPECT_EQ(ran, (std::vector<std::string>{"myeditor", "-x"}));
        EXPECT_EQ(where, ctx.out);
    }
    ran.clear();
    pemtest::ScopedEnv visual("VISUAL", std::nullopt), editor("EDITOR", std::nullopt),
        path("PATH", dir.Path());
    tabs->ViewNotepad();
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "No text editor found: set VISUAL or EDITOR to one"));
}

} // namespace

// ------------------------------------------------ a big listing filling in turns

namespace {

// A listing that takes many event-loop turns to come in, with a word that
// occurs only on its last line.
std::string BigListing(int lines) {
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 72);
    char buf[96];
    for (int i = 0; i < lines; ++i) {
        std::snprintf(buf, sizeof buf, "%06d   MOVE WS-CAF\xC9-%05d TO WS-RESULT-%04d.   *> line %08d\r\n", i,
                      i % 100000, i % 10000, i);
        text += buf;
    }
    return text + "LASTWORD at the end\r\n";
}

// Whether this process holds the file open.
bool HeldOpen(const std::string& file) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/proc/self/fd"))
        if (fs::read_symlink(e.path(), ec) == fs::path(file)) return true;
    return false;
}

// Serves the event loop until the condition holds or two minutes passed.
bool PumpUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Reads as the disk does until failing is set; then every read fails.
std::atomic<bool> failing{false};
ssize_t FailingRead(int fd, void* buffer, size_t size) {
    if (failing) {
        errno = EIO;
        return -1;
    }
    return ::read(fd, buffer, size);
}

} // namespace

TEST_F(ResultTabsTest, BigListingShowsAtOnceAndFindFinishesTheFillToSearchTheWholeText) {
    const std::string file = Write("big.txt", BigListing(100000));
    tabs->OpenInSimpleViewer(file);
    auto* view = static_cast<TFrameSimpleViewer*>(tabs->ActiveFrame())->RichEditSourceView;
    ASSERT_TRUE(view->Filling());
    EXPECT_GT(view->LineCount(), 0); // the first lines are there
    EXPECT_LT(view->LineCount(), 100001);
    EXPECT_EQ(view->CaretLine(), 0);
    EXPECT_FALSE(view->document()->isModified());
    dialogs.AnswerFind("lastword");
    tabs->FindText();
    EXPECT_FALSE(view->Filling());
    EXPECT_EQ(view->LineCount(), 100001);
    EXPECT_EQ(view->CaretLine(), 100000);
    EXPECT_EQ(view->SelLength(), 8);
    EXPECT_EQ(view->Line(100000), "LASTWORD at the end");
    EXPECT_FALSE(Error("String not found"));
    EXPECT_FALSE(view->document()->isModified());
}

TEST_F(ResultTabsTest, BigListingClosedWhileFillingLeavesNoFileOpen) {
    const std::string file = Write("big.txt", BigListing(100000));
    tabs->OpenInSimpleViewer(file);
    QPointer<TFrame> frame = tabs->ActiveFrame();
    ASSERT_TRUE(static_cast<TFrameSimpleViewer*>(frame.data())->RichEditSourceView->Filling());
    EXPECT_TRUE(HeldOpen(file));
    // The close button asks the window, which closes the active tab, as the
    // main window does.
    host->OnCloseQuery = [this](TComponent*, bool& canClose) {
        tabs->CloseEditorTab();
        canClose = false;
    };
    static_cast<TFrameSimpleViewer*>(frame.data())->BitBtnClose->click();
    EXPECT_TRUE(PumpUntil([&] { return frame.isNull(); }));
    // Turns that were due find nothing left to read.
    for (int i = 0; i < 5; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(tabs->TabCount(), 0);
    EXPECT_FALSE(HeldOpen(file));
}

TEST_F(ResultTabsTest, BigListingWhoseReadFailsWhileFillingStopsWithAnErrorAndKeepsWhatCameIn) {
    const std::string file = Write("big.txt", BigListing(100000));
    const auto savedRead = TListingView::ReadPiece;
    TListingView::ReadPiece = FailingRead;
    failing = false;
    tabs->OpenInSimpleViewer(file);
    auto* view = static_cast<TFrameSimpleViewer*>(tabs->ActiveFrame())->RichEditSourceView;
    ASSERT_TRUE(view->Filling());
    const int shown = view->LineCount();
    failing = true;
    std::vector<std::string> guarded;
    const auto savedHook = OnGuardedException;
    OnGuardedException = [&](const char* m) { guarded.push_back(m); };
    EXPECT_TRUE(PumpUntil([&] { return !view->Filling(); }));
    OnGuardedException = savedHook;
    TListingView::ReadPiece = savedRead;
    failing = false;
    EXPECT_EQ(guarded, std::vector<std::string>{"Can not read file " + file});
    EXPECT_EQ(view->LineCount(), shown);
    EXPECT_FALSE(HeldOpen(file));
    // The reader that needs the whole text takes what there is.
    EXPECT_EQ(static_cast<int>(view->Lines().Count()), shown);
}
