#include "BaseFileUtils.h"
#include "DragPlayer.h"
#include "Exceptions.h"
#include "FindDirectoryFrame.h"
#include "FindExecFrame.h"
#include "MyStatusBar.h"
#include "QtTestSupport.h"
#include "SettingsStore.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kTools = std::string(FIXTURES_DIR) + "/controls/tools";

// Scripted dialogs that also keep what the frames asked for.
class RecordingDialogs : public ScriptedDialogService {
public:
    bool OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) override {
        openRequests.push_back(req);
        return ScriptedDialogService::OpenFiles(req, files);
    }
    bool SelectDirectory(const std::string& caption, const std::string& start, std::string& dir) override {
        dirStarts.push_back(start);
        return ScriptedDialogService::SelectDirectory(caption, start, dir);
    }
    std::vector<TOpenDialogRequest> openRequests;
    std::vector<std::string> dirStarts;
};

class PickFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        SetDialogService(&dialogs);
        savedWrite = WriteSettingProc;
        WriteSettingProc = [this](const std::string& n, const std::string& v) { settings[n] = v; };
        bar = new TMyStatusBar(&form, &form, "MyStB");
    }
    void TearDown() override {
        WriteSettingProc = savedWrite;
        SetDialogService(nullptr);
    }
    // Messages the bar collected (AddMessage without abort), in order.
    std::vector<std::string> Collected() const {
        std::vector<std::string> out;
        for (const auto& r : recorder.records)
            if (r.kind == TStatusRecord::Collected) out.push_back(r.text);
        return out;
    }

    struct AppFirst {
        AppFirst() { pemtest::EnsureQApp(); }
    } appFirst; // before any widget member
    RecordingDialogs dialogs;
    pemtest::StatusRecorder recorder;
    TWriteSettingProc savedWrite;
    std::map<std::string, std::string> settings;
    TPanel form{nullptr, nullptr, "frmPemarisMain"};
    TMyStatusBar* bar = nullptr;
};

class FindExecTest : public PickFrameTest {
protected:
    void SetUp() override {
        PickFrameTest::SetUp();
        frame = new TFrameFindexec(&form, &form, "FrameFindexecPemaris");
        frame->LabelFindExec->SetCaption("Analysis program");
        frame->StatusBar = bar;
        frame->OnFileChanged = [this](TComponent*) { ++fileChanges; };
    }
    TFrameFindexec* frame = nullptr;
    int fileChanges = 0;
};

TEST_F(FindExecTest, FrameParts) {
    EXPECT_STREQ(frame->ClassName(), "TFrameFindexec");
    EXPECT_STREQ(frame->Edit->ClassName(), "TEdit");
    EXPECT_EQ(frame->FindComponent("Edit"), frame->Edit);
    EXPECT_EQ(frame->FindComponent("SpeedButtonFindExec"), frame->SpeedButtonFindExec);
}

TEST_F(FindExecTest, CheckFileWithoutDialog) {
    struct Case {
        const char* name;
        std::string defaultName;
        std::string text;
        int tag;
        bool result;
        bool red;
        std::string textAfter;
        std::vector<std::string> collected;
    } cases[] = {
        {"check off", "@", "/no/such/file", 0, true, false, "/no/such/file", {}},
        {"marked unavailable", "/x/Pemaris*.exe", "/no/such/file", 0, true, true, "/no/such/file",
         {"File Analysis program is marked unavailable!"}},
        {"question mark takes the default", kTools + "/Pemaris.exe", "?", 0, true, false, kTools + "/Pemaris.exe", {}},
        {"empty takes the default", kTools + "/Pemaris.exe", "", 0, true, false, kTools + "/Pemaris.exe", {}},
        {"tag 1 only marks", "", "/no/such/file", 1, true, true, "/no/such/file", {}},
        {"default itself missing, tag 1", "/no/Pemaris.exe", "?", 1, true, true, "/no/Pemaris.exe", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bar->ClearMessage();
        recorder.records.clear();
        frame->DefaultName = c.defaultName;
        frame->Edit->SetText(c.text);
        frame->SetTag(c.tag);
        EXPECT_EQ(frame->CheckFile(), c.result);
        EXPECT_EQ(frame->EditColor() == TFrameFindexec::ColorMissing(), c.red);
        EXPECT_EQ(frame->FileName(), c.textAfter);
        EXPECT_EQ(Collected(), c.collected);
    }
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(fileChanges, 0);

    // A hidden frame checks nothing.
    frame->Hide();
    frame->DefaultName = "/x/a*";
    EXPECT_TRUE(frame->CheckFile());
    EXPECT_EQ(frame->EditColor(), TFrameFindexec::ColorNormal());
}

TEST_F(FindExecTest, MissingFileIsOfferedTheOpenDialog) {
    frame->Edit->SetText(kTools + "/Missing.exe");
    dialogs.AnswerFiles({kTools + "/Pemaris.exe"});
    EXPECT_TRUE(frame->CheckFile());
    EXPECT_EQ(frame->FileName(), kTools + "/Pemaris.exe");
    EXPECT_EQ(frame->EditColor(), TFrameFindexec::ColorNormal());
    EXPECT_EQ(fileChanges, 1);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const TOpenDialogRequest& req = dialogs.openRequests[0];
    EXPECT_EQ(req.title, "Find Analysis program ");
    EXPECT_EQ(req.fileName, kTools + "/Missing.exe");
    EXPECT_EQ(req.initialDir, kTools + "/");
    EXPECT_EQ(req.defaultExt, ".exe");
    EXPECT_EQ(frame->OpenDialogFindExec.Filter, "Analysis program files (*.exe)|*.exe|All files(*.*)|*.*");
    ASSERT_EQ(req.filters.size(), 2u);
    EXPECT_EQ(req.filters[0].masks, "*.exe");

    // Cancelled: the name is reported and the edit stays red.
    frame->Edit->SetText("/gone/Other.exe");
    EXPECT_FALSE(frame->CheckFile());
    EXPECT_EQ(frame->EditColor(), TFrameFindexec::ColorMissing());
    EXPECT_EQ(Collected(), std::vector<std::string>{"File not found: /gone/Other.exe"});
    // The filter made at the first browse stays.
    EXPECT_EQ(dialogs.openRequests[1].filters[0].masks, "*.exe");
}

TEST_F(FindExecTest, FindFileHandlerReplacesTheDialog) {
    std::string askedCaption;
    frame->OnFindFile = [&](TComponent*, std::string& name, const std::string& caption) {
        askedCaption = caption;
        name = kTools + "/Pemaris.exe";
    };
    frame->Edit->SetText("/no/such.exe");
    EXPECT_FALSE(frame->CheckFile());
    EXPECT_EQ(askedCaption, "Analysis program");
    EXPECT_EQ(frame->FileName(), kTools + "/Pemaris.exe");
    EXPECT_TRUE(dialogs.openRequests.empty());
}

TEST_F(FindExecTest, BrowseButtonAndEditExit) {
    // A file without extension gets the catch-all filter only.
    frame->DefaultName = kTools + "/README";
    std::string name = "?";
    EXPECT_FALSE(frame->BrowseForFile(name, "Readme"));
    EXPECT_EQ(dialogs.openRequests.back().fileName, kTools + "/README");
    EXPECT_EQ(frame->OpenDialogFindExec.Filter, "All files(*.*)|*.*");
    EXPECT_EQ(name, "?");

    // A cancelled browse from the button ends the operation silently.
    EXPECT_THROW(frame->SpeedButtonFindExecClick(), EAbort);
    frame->SpeedButtonFindExec->click(); // through the guard: nothing escapes
    EXPECT_EQ(fileChanges, 0);

    // Leaving a modified edit naming a missing file reports it and browses.
    frame->Edit->setText("/nowhere/x.exe");
    frame->Edit->setModified(true);
    dialogs.AnswerFiles({kTools + "/Pemaris.exe"});
    frame->EditExit();
    EXPECT_EQ(Collected(), std::vector<std::string>{"File \"/nowhere/x.exe\" doesn't exist"});
    EXPECT_EQ(frame->FileName(), kTools + "/Pemaris.exe");
    EXPECT_EQ(fileChanges, 1);

    // Enter in the edit runs the same check; an unmodified edit is left alone.
    size_t opened = dialogs.openRequests.size();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(frame->Edit, &enter);
    EXPECT_EQ(dialogs.openRequests.size(), opened);
}

TEST_F(FindExecTest, DroppedFileMustFitTheFirstPattern) {
    pemtest::TempDir tmp;
    fs::create_directory(tmp / "folder.exe");
    const std::string cyrillic = "/x/\xD0\xBF\xD1\x80\xD0\xB8.exe"; // UTF-8 on disk
    struct Case {
        const char* name;
        std::string filter;
        std::vector<std::string> files; // UTF-8 paths, dropped from a file manager
        std::string taken;              // what the edit shows afterwards; empty: nothing taken
    } cases[] = {
        {"matching extension", "Tool files (*.exe)|*.exe|All files(*.*)|*.*", {kTools + "/Pemaris.exe"},
         kTools + "/Pemaris.exe"},
        {"extension in another case", "Tool|*.EXE;*.com|All|*.*", {"/x/TOOL.exe"}, "/x/TOOL.exe"},
        {"second pattern of the list", "Tool|*.com;*.exe", {"/x/tool.exe"}, "/x/tool.exe"},
        {"a name in Windows-1252", "Tool|*.exe", {"/x/T\xC3\xB6\xC3\xB6l \xE2\x82\xAC.exe"}, "/x/T\xF6\xF6l \x80.exe"},
        {"other extension", "Tool files (*.exe)|*.exe", {"/x/notes.txt"}, ""},
        {"no extension", "Tool files (*.exe)|*.exe", {kTools + "/README"}, ""},
        {"dot only in the folder", "Tool files (*.exe)|*.exe", {"/x/dir.exe/README"}, ""},
        {"two files", "", {"/x/a.exe", "/x/b.exe"}, ""},
        {"a good name beside a Cyrillic one", "", {"/x/a.exe", cyrillic}, ""},
        {"a Cyrillic name alone", "", {cyrillic}, ""},
        {"a folder", "", {tmp / "folder.exe"}, ""},
        {"no filter yet", "", {kTools + "/README"}, kTools + "/README"},
        {"any file", "All files(*.*)|*.*", {"/x/notes.txt"}, "/x/notes.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frame->Edit->SetText("/old.exe");
        frame->OpenDialogFindExec.Filter = c.filter;
        fileChanges = 0;
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& f : c.files) urls << QUrl::fromLocalFile(QString::fromStdString(f));
        mime.setUrls(urls);
        // Dropped on the frame's edit: the frame takes it.
        const Qt::DropAction answer = pemtest::Player{frame->Edit}.Play(&mime);
        EXPECT_EQ(frame->FileName(), c.taken.empty() ? "/old.exe" : c.taken);
        EXPECT_EQ(fileChanges, c.taken.empty() ? 0 : 1);
        EXPECT_EQ(answer, c.taken.empty() ? Qt::IgnoreAction : Qt::CopyAction);
    }
}

TEST_F(FindExecTest, ExtensionsAndChangedParameterLists) {
    pemtest::TempDir tmp;
    fs::copy_file(kTools + "/Rules.lst", tmp / "Rules.lst");
    frame->DefaultName = tmp / "Rules.ENG";
    EXPECT_FALSE(frame->TryExtension("xyz"));
    EXPECT_EQ(frame->DefaultName, tmp / "Rules.ENG");
    EXPECT_TRUE(frame->TryExtension("lst"));
    EXPECT_EQ(frame->DefaultName, tmp / "Rules.lst");
    EXPECT_TRUE(frame->TryExtension(".lst"));

    auto* list = new TCheckListBox(&form, &form, "CheckListBoxRules");
    frame->Edit->SetText(tmp / "Rules.lst");
    TDateTime fileDate = FileDateTime(tmp / "Rules.lst");
    // Not newer than the job: nothing happens.
    EXPECT_FALSE(frame->CheckChangedSinceProject(list, fileDate + 1));
    EXPECT_EQ(list->Count(), 0);
    // Newer: reloaded, short lines gone, all ticked, reported.
    EXPECT_TRUE(frame->CheckChangedSinceProject(list, fileDate - 1));
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ(list->ItemText(1), "R002 Goto used");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(list->Checked(i));
    EXPECT_EQ(Collected(), std::vector<std::string>{
                               "Rules.lst - has been changed sience the project was changed, all entries are selected "});
    // A new job (date 0) reloads without a message and says false.
    EXPECT_FALSE(frame->CheckChangedSinceProject(list, 0));
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(Collected().size(), 1u);
}

// ---- folder pick frame

class FindDirectoryTest : public PickFrameTest {
protected:
    void SetUp() override {
        PickFrameTest::SetUp();
        frame = new TFrameFindDirectory(&form, &form, "FrameFindDirectoryOutputDir");
        frame->LabelCaption->SetCaption("Output directory");
        frame->StatusBar = bar;
        frame->OnDirChanged = [this](TComponent*) { ++dirChanges; };
    }
    TFrameFindDirectory* frame = nullptr;
    int dirChanges = 0;
    pemtest::TempDir tmp;
};

TEST_F(FindDirectoryTest, DirectoryWithAndWithoutSeparator) {
    struct Case {
        const char* text;
        const char* with;
        const char* without;
    } cases[] = {{"", "", ""}, {"/data/out", "/data/out/", "/data/out"}, {"/data/out/", "/data/out/", "/data/out"}};
    for (const auto& c : cases) {
        frame->Edit->SetText(c.text);
        EXPECT_EQ(frame->DirectoryWithBackslash(), c.with);
        EXPECT_EQ(frame->DirectoryWithoutBackslash(), c.without);
    }
}

TEST_F(FindDirectoryTest, DroppedFileSelectsItsFolder) {
    pemtest::WriteFile(tmp / "jobs/a.job", "x");
    fs::create_directory(tmp / "other");
    frame->Edit->SetText(tmp.Path());

    TWMDropFiles msg;
    msg.Files.Add(tmp / "jobs/a.job");
    frame->WMDropFiles(msg);
    EXPECT_EQ(frame->Edit->Text(), tmp / "jobs");
    EXPECT_EQ(settings["LastSelectedDir"], tmp / "jobs");
    EXPECT_EQ(dirChanges, 1);

    // The same folder again (with a separator) changes nothing.
    msg.Files.Clear();
    msg.Files.Add(tmp / "jobs/");
    frame->WMDropFiles(msg);
    EXPECT_EQ(dirChanges, 1);

    // Two items, or a folder that is not there, are ignored.
    msg.Files.Clear();
    msg.Files.Add(tmp / "other");
    msg.Files.Add(tmp / "jobs");
    frame->WMDropFiles(msg);
    msg.Files.Clear();
    msg.Files.Add(tmp / "gone/x.job");
    frame->WMDropFiles(msg);
    EXPECT_EQ(frame->Edit->Text(), tmp / "jobs");

    // Through the router, as the form registers the frame.
    DragAcceptFiles(frame, true);
    msg.Files.Clear();
    msg.Files.Add(tmp / "other/");
    EXPECT_TRUE(TDropRouter::Instance().Deliver(frame->Edit, msg.Files));
    EXPECT_EQ(frame->Edit->Text(), tmp / "other");
    EXPECT_EQ(dirChanges, 2);
}

TEST_F(FindDirectoryTest, BrowseStartsAtTheNearestExistingFolder) {
    fs::create_directory(tmp / "out");
    frame->Edit->SetText(tmp / "out/missing/deeper");
    dialogs.AnswerDirectory(tmp / "out");
    frame->BrowseForDir();
    ASSERT_EQ(dialogs.dirStarts.size(), 1u);
    EXPECT_EQ(dialogs.dirStarts[0], tmp / "out");
    EXPECT_EQ(frame->Edit->Text(), tmp / "out");
    EXPECT_EQ(settings["LastSelectedDir"], tmp / "out");
    EXPECT_EQ(dirChanges, 1);
    EXPECT_EQ(recorder.records.back().kind, TStatusRecord::Clear);
    EXPECT_EQ(frame->EditColor(), TFrameFindexec::ColorNormal());

    // A path too short to walk up starts at the documents folder.
    frame->Edit->SetText("/q");
    dialogs.AnswerDirectory("/q");
    frame->BrowseForDir();
    EXPECT_EQ(dialogs.dirStarts[1], GetMyDocumentsDir());
}

TEST_F(FindDirectoryTest, DefaultFolderIsCreatedForTheDialogAndRemovedWhenNotChosen) {
    fs::create_directory(tmp / "chosen");
    frame->DefaultDir = tmp / "new/default";
    dialogs.AnswerDirectory(tmp / "chosen");
    frame->BrowseForDir();
    EXPECT_EQ(dialogs.dirStarts[0], tmp / "new/default");
    EXPECT_EQ(frame->Edit->Text(), tmp / "chosen");
    EXPECT_FALSE(fs::exists(tmp / "new"));

    // Cancelled: the folder goes again, the bar says so and the operation ends.
    frame->Edit->SetText("");
    dirChanges = 0;
    EXPECT_THROW(frame->BrowseForDir(), EAbort);
    EXPECT_FALSE(fs::exists(tmp / "new"));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Directorry selection cancelled "));
    EXPECT_EQ(frame->Edit->Text(), "");
    EXPECT_EQ(dirChanges, 0);

    // The default folder chosen stays.
    dialogs.AnswerDirectory(tmp / "new/default");
    frame->BrowseForDir();
    EXPECT_TRUE(fs::is_directory(tmp / "new/default"));
}

TEST_F(FindDirectoryTest, LeavingAModifiedEditChecksTheFolder) {
    int checks = 0;
    frame->OnCheckDir = [&](TComponent*) { ++checks; };
    frame->Edit->setText(QString::fromStdString(tmp / "absent"));
    frame->Edit->setModified(true);
    dialogs.AnswerDirectory(tmp.Path());
    frame->EditExit();
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Output directory - " + (tmp / "absent") + " doesn't exist"));
    EXPECT_EQ(frame->Edit->Text(), tmp.Path());

    // An existing folder passes quietly; an unmodified edit is not checked.
    frame->Edit->setModified(true);
    frame->EditExit();
    frame->Edit->setModified(false);
    frame->EditExit();
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(dialogs.dirStarts.size(), 1u);
}

} // namespace
