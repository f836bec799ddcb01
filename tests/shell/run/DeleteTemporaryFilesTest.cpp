// Cleaning up after a run: the copies of the sources and the folders they
// emptied go, a file the user put into the input tree stays with its
// folders, and a work folder that is no folder of the run is never emptied.
#include "DeleteTemporaryFiles.h"

#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

// An output directory after a run at structure level 2: two modules of one
// component and one of another, the work folder, the documents, the batch
// file and the copied tables.
struct RunOutput {
    pemtest::TempDir dir;
    std::string out = dir / "out";
    std::string tree = out + "/workinp";
    TInputTreeEntries entries;

    RunOutput() {
        const char* sources[] = {"COMP0001/MOD0001/SRC0001.COB", "COMP0001/MOD0001/SRC0002.COB",
                                 "COMP0001/MOD0002/SRC0003.COB", "COMP0002/MOD0003/SRC0004.COB"};
        for (const char* s : sources) pemtest::WriteFile(tree + "/" + s, "source");
        for (int m = 1; m <= 3; ++m) {
            const std::string comp = m < 3 ? "COMP0001" : "COMP0002";
            entries.Add("FDR000" + std::to_string(m), tree + "\\" + comp + "\\MOD000" + std::to_string(m));
        }
        int i = 0;
        for (const char* s : sources) {
            std::string value = tree + "/" + s;
            for (size_t at = tree.size(); at < value.size(); ++at)
                if (value[at] == '/') value[at] = '\\';
            entries.Add("XCPY000" + std::to_string(i++), value);
        }
        pemtest::WriteFile(out + "/work/a/b/x.tmp", "t");
        pemtest::WriteFile(out + "/work/y.tmp", "t");
        for (const char* f : {"last.xml", "lastbatch.cmd", "LAST0001.xml", "last0002.xml", "functab.wrl",
                              "Repo_Tab.csv", "Functab.COB", "Last notes.txt"})
            pemtest::WriteFile(out + "/" + f, "x");
        pemtest::WriteFile(dir / "tools/Functab.COB", "table");
        fs::create_directories(out + "/Metrics");
    }

    TTemporaryFilesSettings Settings() const {
        TTemporaryFilesSettings s;
        s.outputDir = out;
        s.workFolder = out + "/work";
        s.entries = &entries;
        s.structureLevel = 2;
        s.deleteAfterControl = true;
        s.functionTable = dir / "tools/Functab.COB";
        return s;
    }

    std::vector<std::string> Left() const {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(out))
            names.push_back(e.path().string().substr(out.size() + 1));
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST(DeleteTemporaryFiles, RemovesTheRunsFilesAndTheFoldersTheyEmptied) {
    RunOutput run;
    int steps = 0;
    TTemporaryFilesSettings s = run.Settings();
    s.step = [&] { ++steps; };
    const TDeleteTemporaryReport report = DeleteTemporaryFiles(s);
    EXPECT_EQ(run.Left(), (std::vector<std::string>{"Last notes.txt", "Metrics"}));
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(report.filesDeleted, 7 + 4 + 2); // documents and tables, copies, work files
    EXPECT_TRUE(report.warnings.empty());
}

TEST(DeleteTemporaryFiles, KeepsAUsersFileWithItsFoldersAndTheDocumentsWithoutControl) {
    RunOutput run;
    pemtest::WriteFile(run.tree + "/COMP0001/MOD0002/notes.txt", "mine");
    TTemporaryFilesSettings s = run.Settings();
    s.deleteAfterControl = false;
    DeleteTemporaryFiles(s);
    EXPECT_EQ(run.Left(), (std::vector<std::string>{"Functab.COB", "LAST0001.xml", "Last notes.txt", "Metrics",
                                                    "Repo_Tab.csv", "functab.wrl", "last.xml", "last0002.xml",
                                                    "lastbatch.cmd", "workinp", "workinp/COMP0001",
                                                    "workinp/COMP0001/MOD0002", "workinp/COMP0001/MOD0002/notes.txt"}));
}

TEST(DeleteTemporaryFiles, TheUsersOwnFunctionTableAndTheDummyTestCases) {
    RunOutput run;
    TTemporaryFilesSettings s = run.Settings();
    // The function table chosen lies in the output directory itself: the
    // "copy" is the user's file.
    s.functionTable = run.out + "/Functab.COB";
    s.productKind = 1;
    s.systemName = "Billing";
    pemtest::WriteFile(run.tree + "/Billing.csv", "\"TestCaseId\";");
    DeleteTemporaryFiles(s);
    EXPECT_EQ(run.Left(), (std::vector<std::string>{"Functab.COB", "Last notes.txt", "Metrics"}));
}

TEST(DeleteTemporaryFiles, EntriesOutsideTheInputTreeAreLeftAlone) {
    RunOutput run;
    pemtest::WriteFile(run.dir / "elsewhere/keep.txt", "mine");
    fs::create_directories(run.dir / "elsewhere/empty");
    run.entries.Add("XCPY0009", run.dir / "elsewhere/keep.txt");
    run.entries.Add("XCPY0010", run.tree + "\\..\\..\\elsewhere\\keep.txt");
    run.entries.Add("FDR0009", run.dir / "elsewhere/empty");
    const TDeleteTemporaryReport report = DeleteTemporaryFiles(run.Settings());
    EXPECT_TRUE(fs::exists(run.dir / "elsewhere/keep.txt"));
    EXPECT_TRUE(fs::exists(run.dir / "elsewhere/empty"));
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0], "Input tree entries outside " + run.tree + " left alone: 3, the first " +
                                      run.tree + "\\..\\..\\elsewhere\\keep.txt");
}

TEST(DeleteTemporaryFiles, NeverEmptiesTheRootTheHomeFolderOrTheOutputDirectoryAndItsParents) {
    RunOutput run;
    const std::string home = run.dir / "home";
    pemtest::WriteFile(home + "/mine.txt", "mine");
    pemtest::ScopedEnv env("HOME", home);
    fs::create_directory_symlink(run.dir.Path(), run.dir / "link");
    const struct {
        std::string work, refusal;
    } cases[] = {
        {"/", "it is the root folder"},
        {"work", "it is not an absolute path"},
        {"", "it is not an absolute path"},
        {home, "it is the home folder"},
        {home + "/", "it is the home folder"},
        {run.out, "it is the output directory"},
        {run.out + "/work/..", "it is the output directory"},
        {run.dir.Path(), "it holds the output directory"},
        {run.dir / "link", "it holds the output directory"},
        {run.out + "/work", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(WorkFolderRefusal(c.work, run.out), c.refusal) << c.work;

    for (const std::string& work : {home, run.out, run.dir.Path()}) {
        TTemporaryFilesSettings s = run.Settings();
        s.workFolder = work;
        const TDeleteTemporaryReport report = DeleteTemporaryFiles(s);
        ASSERT_EQ(report.warnings.size(), 1u) << work;
        EXPECT_EQ(report.warnings[0].rfind("The work folder " + work + " was not emptied: it ", 0), 0u) << work;
        EXPECT_TRUE(fs::exists(home + "/mine.txt")) << work;
        EXPECT_TRUE(fs::exists(run.out + "/Last notes.txt")) << work;
        EXPECT_TRUE(fs::exists(run.out + "/work/y.tmp")) << work;
    }
}
