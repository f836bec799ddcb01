// The run's preparation on the main window: the input checks, the first-use
// question, the line count through its action, the input tree with a source
// gone missing, a stop request during the copies, and the documents of a
// system named by directory.
#include "MainFormHarness.h"

#include "FindDirectoryFrame.h"
#include "FindExecFrame.h"
#include "QtTestSupport.h"
#include "BaseStrings.h"
#include "RunPreparation.h"

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const char* const kKorvexIni = "RadioButtonCob85=COBOL 85,COB,,1,V85\n"
                               "COB.Extras=(DirDepth=2)\n"
                               "COB.Filters=COBOL sources (*.cbl;*.cob)|*.cbl;*.cob\n"
                               "FileCopy.SystemIOBuffSize=200000\n"
                               "ActiveRadioButton=RadioButtonCob85\n";

class PrepareRunTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
        pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI", kKorvexIni);
        fs::create_directories(install / "Tools/Measure/Korvex/COBAudit");
    }

    // The window with three sources of one component in two modules: 3 LF
    // lines, 2 CR LF lines and 1,000 LF lines.
    TfrmPemarisMain* StartWithJob() {
        std::string many;
        for (int i = 0; i < 1000; ++i) many += "l\n";
        return StartWithSources({Src("pay/in/a.cbl", "1\n2\n3\n"), Src("pay/in/b.cbl", "x\r\ny\r\n"),
                                 Src("pay/out/c.cbl", many)});
    }

    // The window with the job's names, the output directory and the sources
    // added through the file dialog.
    TfrmPemarisMain* StartWithSources(const std::vector<std::string>& sources) {
        TfrmPemarisMain* f = Start();
        f->ValidateProductName("Abc");
        f->ValidateSystemName("Pay");
        f->ValidateVersion("1");
        f->FrameFindDirectoryOutputDir->Edit->SetText(out.Path());
        dialogs->AnswerFiles(sources);
        EXPECT_TRUE(f->Act("ActAddfiles")->Execute());
        EXPECT_EQ(f->SourceFiles.Count(), static_cast<int>(sources.size()));
        dialogs->Reset();
        recorder.records.clear();
        return f;
    }

    // The language's extras in the product's INI file.
    void UseExtras(const std::string& extras) {
        pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                           ReplaceStr("(DirDepth=2)", "(" + extras + ")", kKorvexIni));
    }

    // Imports a word list through its action, as the user does.
    void ImportWordList(TfrmPemarisMain* f, const std::string& text) {
        pemtest::WriteFile(src / "words.wrl", text);
        dialogs->AnswerFiles({src / "words.wrl"});
        f->Act("ActLoadWordList")->trigger();
        dialogs->Reset();
    }

    std::string Src(const std::string& rel, const std::string& text) {
        pemtest::WriteFile(src / rel, text);
        return src / rel;
    }
    std::string Tree(const std::string& rel) const { return out / ("workinp/COMP0001/" + rel); }

    std::vector<std::string> OutFiles() const {
        std::vector<std::string> v;
        for (const auto& e : fs::recursive_directory_iterator(out.Path()))
            v.push_back(e.path().string().substr(out.Path().size() + 1));
        std::sort(v.begin(), v.end());
        return v;
    }

    // Runs the preparation as the run actions do; false when it ended
    // through the silent abort.
    bool Prepare(TfrmPemarisMain* f) {
        try {
            f->PrepareRun();
            return true;
        } catch (const EAbort&) {
            return false;
        }
    }

    // Acts once, at the first events served while the sources are copied.
    void WhileCopying(TfrmPemarisMain* f, std::function<void()> act) {
        timer_ = std::make_unique<QTimer>();
        QObject::connect(timer_.get(), &QTimer::timeout, [this, f, act] {
            if (!f->InputLoopRunning) return;
            timer_->stop();
            act();
        });
        timer_->start(0);
    }

    pemtest::TempDir src, out;
    std::unique_ptr<QTimer> timer_;
};

} // namespace

TEST_F(PrepareRunTest, TheInputChecksComeFirst) {
    TfrmPemarisMain* f = StartWithJob();
    f->SourceFiles.CheckAll(false);
    f->Act("ActCountLinesOnly")->Execute();
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "No files are selected for processing!"));
    EXPECT_EQ(f->PageControlMain->ActivePage(), f->TabSheetNames);

    f->SourceFiles.CheckAll(true);
    f->FrameFindDirectoryOutputDir->Edit->SetText(out / "missing");
    f->Act("ActCountLinesOnly")->Execute();
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Output directory error - Directory doesn't exist"));
    EXPECT_TRUE(OutFiles().empty());
    EXPECT_FALSE(f->ProgressShown);
}

TEST_F(PrepareRunTest, FirstUseNoLeavesTheDirectoryYesCountsTheLines) {
    TfrmPemarisMain* f = StartWithJob();
    pemtest::WriteFile(out / "notes.txt", "mine");
    dialogs->AnswerMessage(mrNo);
    f->Act("ActCountLinesOnly")->Execute();
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{FirstUseQuestion(out.Path())});
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Go and select another output directory,and then try again"));
    EXPECT_EQ(OutFiles(), std::vector<std::string>{"notes.txt"});

    // Yes: the input tree holds an empty file per source, the caption the
    // lines of all, and nothing else is made.
    dialogs->Reset();
    dialogs->AnswerMessage(mrYes);
    f->Act("ActCountLinesOnly")->Execute();
    EXPECT_EQ(OutFiles(), (std::vector<std::string>{"notes.txt", "workinp", "workinp/COMP0001", "workinp/COMP0001/MOD0001",
                                                    "workinp/COMP0001/MOD0001/SRC0001.CBL",
                                                    "workinp/COMP0001/MOD0001/SRC0002.CBL", "workinp/COMP0001/MOD0002",
                                                    "workinp/COMP0001/MOD0002/SRC0003.CBL"}));
    EXPECT_EQ(fs::file_size(Tree("MOD0002/SRC0003.CBL")), 0u);
    EXPECT_EQ(f->GroupBoxSelectedFiles->Caption(), "Source files of the project (3) Number of source lines(1,005)");
    EXPECT_EQ(f->SourceLinesInJob, 1005);
    EXPECT_FALSE(f->CountLinesOnly);
    EXPECT_FALSE(f->ProgressShown);
    EXPECT_FALSE(f->FileLoopRunning || f->InputLoopRunning);
}

TEST_F(PrepareRunTest, AFullPreparationWithASourceGoneMissing) {
    // Missing when the run starts: the structure's check ends the run
    // before the directory is touched.
    TfrmPemarisMain* f = StartWithJob();
    fs::create_directories(out / "Metrics"); // used before: no question
    pemtest::WriteFile(out / "lastbatch.cmd", "stale");
    pemtest::WriteFile(out / "LAST0007.XML", "old");
    pemtest::WriteFile(src / "gone.cbl", "");
    fs::rename(src / "pay/in/b.cbl", src / "gone.cbl");
    EXPECT_FALSE(Prepare(f));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Some input files cannot be found!"));
    EXPECT_FALSE(f->SourceFiles.Checked(1));
    EXPECT_FALSE(f->SourceFiles.Enabled(1));
    EXPECT_EQ(OutFiles(), (std::vector<std::string>{"LAST0007.XML", "Metrics", "lastbatch.cmd"}));

    // Gone while the sources are copied: unticked, disabled and warned
    // about, and the run goes on without it.
    fs::rename(src / "gone.cbl", src / "pay/in/b.cbl");
    f->CheckListBoxSelectedFiles->SetItemEnabled(1, true);
    f->CheckListBoxSelectedFiles->SetChecked(1, true);
    recorder.records.clear();
    WhileCopying(f, [this] { fs::remove(src / "pay/out/c.cbl"); });
    ASSERT_TRUE(Prepare(f));
    EXPECT_TRUE(dialogs->Messages().empty());
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Some input files cannot be found!"));
    EXPECT_FALSE(f->SourceFiles.Checked(2));
    EXPECT_FALSE(f->SourceFiles.Enabled(2));
    // The others arrive, LF-only lines with CR LF.
    EXPECT_EQ(pemtest::ReadFile(Tree("MOD0001/SRC0001.CBL")), "1\r\n2\r\n3\r\n");
    EXPECT_EQ(pemtest::ReadFile(Tree("MOD0001/SRC0002.CBL")), "x\r\ny\r\n");
    EXPECT_FALSE(fs::exists(Tree("MOD0002/SRC0003.CBL")));
    EXPECT_EQ(f->SourceLinesInJob, 5);
    EXPECT_EQ(f->GroupBoxSelectedFiles->Caption(), "Source files of the project (3) Number of source lines(5)");
    EXPECT_EQ(pemtest::ReadFile(out / "last.xml"), f->ParameterDocuments.Text());
    EXPECT_FALSE(fs::exists(out / "lastbatch.cmd"));
    EXPECT_FALSE(fs::exists(out / "LAST0007.XML"));
    for (const std::string& folder : ResultFolderNames()) EXPECT_TRUE(fs::is_directory(out / folder)) << folder;
    EXPECT_TRUE(fs::is_directory(out / "Pay"));
    // The work folder the document names, whatever the output directory was
    // when the language was chosen.
    EXPECT_TRUE(fs::is_directory(out / "work"));
    EXPECT_EQ(f->WorkFolder, out / "work");
    EXPECT_EQ(f->MemoNewFileNames->Lines().Values("XCPY0002"), Tree("MOD0002/SRC0003.CBL"));
    EXPECT_FALSE(f->ProgressShown);
}

TEST_F(PrepareRunTest, AStopRequestDuringTheCopiesIsConfirmedOrDropped) {
    for (int answer : {mrNo, mrYes}) {
        SCOPED_TRACE(answer);
        TfrmPemarisMain* f = StartWithJob();
        fs::remove_all(out.Path());
        fs::create_directories(out / "Metrics");
        // The user closes the window while the sources are copied: the
        // close asks first, then the loop.
        WhileCopying(f, [f] { f->close(); });
        dialogs->AnswerMessage(mrYes);
        dialogs->AnswerMessage(answer);
        EXPECT_EQ(Prepare(f), answer == mrNo);
        ASSERT_EQ(dialogs->Messages().size(), 2u);
        EXPECT_EQ(dialogs->Messages()[1], "The User requested to stop the process, please confirm?");
        EXPECT_EQ(recorder.Has(TStatusRecord::Error, "Process aborted on user request!"), answer == mrYes);
        EXPECT_EQ(fs::exists(Tree("MOD0002/SRC0003.CBL")), answer == mrNo);
        EXPECT_EQ(fs::exists(out / "last.xml"), answer == mrNo);
        EXPECT_FALSE(f->FileLoopRunning || f->InputLoopRunning);
        EXPECT_TRUE(f->isVisible());
        EXPECT_NE(f->GroupBoxSelectedFiles->Caption().find("Number of source lines("), std::string::npos);
    }
}

TEST_F(PrepareRunTest, ASystemNamedByDirectoryGetsADocumentPerModule) {
    TfrmPemarisMain* f = StartWithJob();
    fs::create_directories(out / "Metrics");
    f->Act("ActNameByDirectory")->Execute();
    ASSERT_TRUE(f->SystemNameByDirectory);
    ASSERT_TRUE(Prepare(f));
    EXPECT_TRUE(fs::exists(out / "last0001.xml"));
    EXPECT_TRUE(fs::exists(out / "last0002.xml"));
    EXPECT_FALSE(fs::exists(out / "last.xml"));
    const std::string tool = ShellQuote(f->FrameFindexecPemaris->FileName());
    EXPECT_EQ(pemtest::ReadFile(out / "lastbatch.cmd"),
              "set -x\n" + tool + " 'last0001.xml'\n" + tool + " 'last0002.xml'\n");
    const std::string module2 = pemtest::ReadFile(out / "last0002.xml");
    EXPECT_NE(module2.find("  SystemName  = \"out\"\n"), std::string::npos) << module2;
    EXPECT_NE(module2.find("  <Orig_File_0003>pay/out/c.cbl</Orig_File_0003>\n"), std::string::npos) << module2;
    EXPECT_EQ(module2.find("Orig_File_0001"), std::string::npos) << module2;
}

// The run's documents and its batch are the output directory's own files:
// links planted at their names are replaced by plain files, and the files
// they pointed at stay as they were.
TEST_F(PrepareRunTest, LinksAtTheRunsDocumentsAreReplacedNotFollowed) {
    const struct {
        const char* what;
        bool byDirectory;
        std::vector<std::string> names;
    } cases[] = {
        {"one document", false, {"last.xml"}},
        {"a document per module", true, {"last0001.xml", "last0002.xml", "lastbatch.cmd"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfrmPemarisMain* f = StartWithJob();
        fs::remove_all(out.Path());
        fs::create_directories(out / "Metrics");
        pemtest::TempDir elsewhere;
        for (const std::string& name : c.names) {
            pemtest::WriteFile(elsewhere / name, "kept " + name);
            fs::create_symlink(elsewhere / name, out / name);
        }
        if (c.byDirectory) f->Act("ActNameByDirectory")->Execute();
        ASSERT_EQ(f->SystemNameByDirectory, c.byDirectory);
        ASSERT_TRUE(Prepare(f));
        for (const std::string& name : c.names) {
            EXPECT_EQ(pemtest::ReadFile(elsewhere / name), "kept " + name);
            EXPECT_FALSE(fs::is_symlink(out / name)) << name;
            EXPECT_TRUE(fs::is_regular_file(out / name)) << name;
        }
        EXPECT_EQ(pemtest::ReadFile(out / c.names[0]).find("kept"), std::string::npos);
    }
}

TEST_F(PrepareRunTest, TheTablesGoBesideTheDocument) {
    pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                       ReplaceStr("(DirDepth=2)", "(DirDepth=2,REPO_Tab=Y)", kKorvexIni));
    pemtest::WriteFile(install / "Tools/Measure/Korvex/COBAudit/Functab.COB", "PERFORM\n");
    pemtest::WriteFile(src / "repo.csv", "a;b\n");
    TfrmPemarisMain* f = StartWithJob();
    fs::create_directories(out / "Metrics");
    ASSERT_TRUE(f->TabSheetFunctab->TabVisible());
    ASSERT_TRUE(f->CheckBoxRepo_Tab->Visible());
    f->CheckBoxRepo_Tab->click();
    f->FrameFindexecRepo_Tab->Edit->SetText(src / "repo.csv");
    f->RunMode = 1; // an analysis, as its run action sets
    ASSERT_TRUE(Prepare(f));
    // The function table under its own name, the one the document gives.
    EXPECT_EQ(pemtest::ReadFile(out / "Functab.COB"), "PERFORM\n");
    EXPECT_EQ(pemtest::ReadFile(out / "Repo_Tab.csv"), "a;b\n");
    const std::string doc = pemtest::ReadFile(out / "last.xml");
    EXPECT_NE(doc.find("  <Func_Tab>Functab.COB</Func_Tab>\n  <Repo_Tab_Orig>" + src / "repo.csv" +
                       "</Repo_Tab_Orig>\n  <Repo_Tab>Repo_Tab.csv</Repo_Tab>\n"),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("  REPO_TAB = \"Y\" \n"), std::string::npos) << doc;
}

TEST_F(PrepareRunTest, TheNamesFollowTheirEditsAndABreakIsConfirmed) {
    TfrmPemarisMain* f = StartWithJob();
    fs::create_directories(out / "Metrics");
    // Typed and not yet left: the run writes what the edits show.
    f->EditSystemName->SetText("Payroll");
    f->EditSystemVersion->SetText("2.1");
    EXPECT_EQ(f->SystemName, "Payroll");
    EXPECT_TRUE(f->Modified);
    f->Act("ActCountLinesOnly")->Execute();
    EXPECT_GE(f->ParameterDocuments.IndexOf("  SystemName  = \"Payroll\""), 0);
    EXPECT_GE(f->ParameterDocuments.IndexOf("  Version = \"2.1\""), 0);

    dialogs->AnswerMessage(mrNo);
    EXPECT_NO_THROW(f->ConfirmBreak());
    dialogs->AnswerMessage(mrYes);
    EXPECT_THROW(f->ConfirmBreak(), EAbort);
    EXPECT_EQ(dialogs->Messages(), (std::vector<std::string>{"Break the process ?", "Break the process ?"}));
}

TEST_F(PrepareRunTest, TheWordScanTabHandsTheTickedWordsToTheScanner) {
    UseExtras("DirDepth=2,Scan=Y");
    // The language's function table is its word list: the lists start from
    // it, and the file itself is not the scanner's input.
    pemtest::WriteFile(install / "Tools/Measure/Korvex/COBAudit/Functab.COB",
                       "0001 07 PROC PERFORM\r\n0002 06 SKIP GOBACK\r\n0003 08 NOUN customer\r\n0004 05 NOUN order\r\n");
    TfrmPemarisMain* f = StartWithJob();
    fs::create_directories(out / "Metrics");
    ASSERT_TRUE(f->TabSheetWordScan->TabVisible());
    ASSERT_FALSE(f->TabSheetFunctab->TabVisible());
    ASSERT_EQ(f->CheckListBoxControlTags->Count(), 2);
    ASSERT_EQ(f->CheckListBoxObjects->Count(), 2);
    // Unticked words stay in the lists and out of the scanner's list; a word
    // added through the create row is ticked.
    f->CheckListBoxControlTags->SetChecked(1, false); // SKIP GOBACK
    f->CheckListBoxObjects->SetChecked(1, false);     // order
    f->ComboBoxCreateWrdList->SetText("INPT");
    f->EditCreateWrdList->SetText("ACCEPT");
    f->ButtonCreateWrdList->click();
    f->RunMode = 3; // a word scan, as its run action sets
    ASSERT_TRUE(Prepare(f));
    EXPECT_EQ(pemtest::ReadFile(out / "functab.wrl"), "0001 06 INPT ACCEPT\n0002 07 PROC PERFORM\n0003 08 NOUN customer\n");
    EXPECT_FALSE(fs::exists(out / "Functab.COB"));
    EXPECT_NE(pemtest::ReadFile(out / "last.xml").find("  <Func_Tab>functab.wrl</Func_Tab>\n"), std::string::npos);
    EXPECT_EQ(f->CheckListBoxControlTags->Count(), 3);
}

TEST_F(PrepareRunTest, DocumentsAreMarkedWithTheLanguagesDictionaryReadOnlyWhenSomethingChanged) {
    pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                       ReplaceStr("(DirDepth=2)", "(DirDepth=2,Scan=Y,DictionaryFiles=english)",
                                  ReplaceStr("*.cbl;*.cob)|*.cbl;*.cob", "*.txt)|*.txt", kKorvexIni)));
    for (const char* ext : {".tdfall", ".tdfc", ".exceptions"})
        fs::copy_file(std::string(FIXTURES_DIR "/dictionary/english") + ext,
                      install / (std::string("Tools/Measure/Korvex/english") + ext));
    TfrmPemarisMain* f = StartWithSources({Src("req/spec.txt", "The data base system shall work on the CPU\n")});
    ASSERT_TRUE(f->UseDictionaryFiles);
    fs::create_directories(out / "Metrics");
    ImportWordList(f, "0001 05 INPT shall\n");
    ASSERT_EQ(f->CheckListBoxControlTags->Count(), 1);

    const struct {
        const char* what;
        bool shallTicked;
        int readings;
        const char* text;
    } cases[] = {
        // The control word ends the sentence before it and is no term; the
        // compound term and the capital word are marked.
        {"the first preparation reads the term files", true, 1, "The <data_base_system> .\r\nshall work on the <CPU>\r\n"},
        {"nothing changed: the files are not read again", true, 1,
         "The <data_base_system> .\r\nshall work on the <CPU>\r\n"},
        // Unticked, the word is a term of its own again, and its mark joins
        // the one before it.
        {"a control word unticked: the files are read again", false, 2,
         "The <data_base_system_shall> work on the <CPU>\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        f->CheckListBoxControlTags->SetChecked(0, c.shallTicked);
        ASSERT_TRUE(Prepare(f));
        const std::string copy = f->MemoNewFileNames->Lines().Values("XCPY0000");
        ASSERT_FALSE(copy.empty()) << f->MemoNewFileNames->Lines().Text();
        EXPECT_EQ(pemtest::ReadFile(copy), c.text);
        EXPECT_EQ(f->Dictionary.Readings(), c.readings);
    }

    // A dictionary gone since: the preparation ends with the status bar's
    // error, before anything is copied.
    fs::remove(install / "Tools/Measure/Korvex/english.tdfall");
    f->CheckListBoxControlTags->SetChecked(0, true);
    recorder.records.clear();
    EXPECT_FALSE(Prepare(f));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error,
                             "Can not open file " + install / "Tools/Measure/Korvex/english.tdfall"));
    EXPECT_FALSE(fs::exists(out / "workinp/COMP0001/MOD0001/SRC0001.TXT"));
    EXPECT_FALSE(f->FileLoopRunning || f->InputLoopRunning);
    EXPECT_FALSE(f->ProgressShown);
}

TEST_F(PrepareRunTest, ResetOutputSweepsOnlyTheInputTreeOfItsOwnDirectory) {
    const struct {
        const char* what;
        bool moved; // the output directory changed after the preparation
    } cases[] = {
        {"the same output directory", false},
        {"another output directory since", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfrmPemarisMain* f = StartWithJob();
        fs::remove_all(out.Path());
        fs::create_directories(out / "Metrics");
        ASSERT_TRUE(Prepare(f));
        ASSERT_TRUE(fs::exists(Tree("MOD0002/SRC0003.CBL")));
        pemtest::TempDir other;
        if (c.moved) {
            pemtest::WriteFile(other / "Metrics/a.met", "x");
            f->FrameFindDirectoryOutputDir->Edit->SetText(other.Path());
        }
        dialogs->AnswerMessage(mrYes);
        f->Act("ActRestartProject")->trigger();
        ASSERT_EQ(dialogs->Messages().size(), 1u);
        // The input tree of a directory left since is another job's: it
        // stays whole, with the rest of that directory.
        EXPECT_EQ(dialogs->Messages()[0].find(Tree("MOD0001/SRC0001.CBL")) == std::string::npos, c.moved)
            << dialogs->Messages()[0];
        for (const char* copy : {"MOD0001/SRC0001.CBL", "MOD0001/SRC0002.CBL", "MOD0002/SRC0003.CBL"})
            EXPECT_EQ(fs::exists(Tree(copy)), c.moved) << copy;
        EXPECT_EQ(fs::exists(out / "workinp/COMP0001"), c.moved);
        EXPECT_EQ(fs::exists(out / "last.xml"), c.moved);
        EXPECT_FALSE(fs::exists(other / "Metrics/a.met"));
        dialogs->Reset();
    }
}
