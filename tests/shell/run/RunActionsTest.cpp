// The run actions' decisions: the inputs each test tool needs, the program a
// run starts, the empty result folders cleared after a run, the stop file.
#include "RunActions.h"
#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

TEST(RunActions, TestToolInputsAreCheckedInTheirOrder) {
    using V = std::vector<TSourceFile>;
    const TSourceFile methods{"Methods:=/t/m.txt", false, true};
    const TSourceFile cases{"Test Cases:=/t/c.csv", false, true};
    const TSourceFile execLog{"Test execution log:=/t/e.log", false, true};
    const TSourceFile trace{"Trace file:=/t/a.trc", true, true};
    const TSourceFile untickedTrace{"Trace file:=/t/a.trc", false, true};
    const struct {
        const char* action;
        V items;
        const char* expected;
    } cases_[] = {
        {"ActRunTSP", {}, "Method list file not specified!"},
        {"ActRunTST", {}, "Method file not specified!"},
        {"ActRunTSP", {methods}, "Trace file(s) not specified!"},
        {"ActRunTSP", {methods, untickedTrace}, "Trace file(s) not specified!"},
        {"ActRunTSP", {methods, trace}, ""},
        {"ActRunTSC", {methods, trace}, "Test Cases file not specified!"},
        {"ActRunTSC", {methods, cases, trace}, ""},
        {"ActRunTSM", {methods, trace}, "Tested Cases file not specified!"},
        {"ActRunCTA", {methods, trace}, "Test execution log file not specified!"},
        {"ActRunCTA", {methods, execLog, trace}, ""},
        // A label is the whole text before "=": a look-alike does not count.
        {"ActRunTSP", {{"Methods:x=/t/m.txt", true, true}, trace}, "Method list file not specified!"},
    };
    for (const auto& c : cases_) {
        TSourceFileList list;
        list.Assign(c.items);
        const TTestToolAction* tool = TestToolAction(c.action);
        ASSERT_TRUE(tool) << c.action;
        EXPECT_EQ(MissingTestToolInput(*tool, list), c.expected) << c.action;
    }
    EXPECT_EQ(TestToolAction("ActRunAnal"), nullptr);
    EXPECT_STREQ(TestToolAction("ActRunCTA")->log, "testcode.log");
    EXPECT_STREQ(TestToolAction("ActRunTSM")->section, "TSM");
}

TEST(RunActions, TheProgramOfARunFollowsItsMode) {
    const std::string programs[7] = {"", "/t/anal", "/t/transform", "/t/scan", "/t/design", "/t/testtool", "/t/search"};
    const struct {
        unsigned char mode;
        bool batch;
        TToolCommand expected;
    } cases[] = {
        {rmAnalysis, false, {"/t/anal", {"last.xml"}}},
        {rmAnalysis, true, {"/out/lastbatch.cmd", {}}},
        {rmTransform, true, {"/t/transform", {"last.xml"}}},
        {rmWordScanner, false, {"/t/scan", {"last.xml"}}},
        {rmTestDesigner, false, {"/t/design", {"last.xml"}}},
        {rmTestTool, false, {"/t/testtool", {"last.xml"}}},
        {rmSearch, false, {"/t/search", {"last.xml"}}},
    };
    for (const auto& c : cases) {
        const TToolCommand got = ToolCommandFor(c.mode, c.batch, "/out", programs);
        EXPECT_EQ(got.program, c.expected.program) << int(c.mode);
        EXPECT_EQ(got.params, c.expected.params) << int(c.mode);
    }
}

TEST(RunActions, OnlyEmptyResultFoldersAreRemoved) {
    pemtest::TempDir dir;
    const std::string out = dir / "out";
    for (const char* f : {"Metrics", "Defis", "Quorra", "Tables", "Sys", "Other"}) fs::create_directories(out + "/" + f);
    pemtest::WriteFile(out + "/Defis/keep.def", "x");
    pemtest::WriteFile(out + "/Sys/keep.txt", "x");
    RemoveEmptyResultFolders(out, "Sys");
    EXPECT_FALSE(fs::exists(out + "/Metrics"));
    EXPECT_FALSE(fs::exists(out + "/Quorra"));
    EXPECT_FALSE(fs::exists(out + "/Tables"));
    EXPECT_TRUE(fs::exists(out + "/Defis/keep.def"));
    EXPECT_TRUE(fs::exists(out + "/Sys/keep.txt"));
    EXPECT_TRUE(fs::exists(out + "/Other")); // not a result folder

    // A system name never reaches outside the output directory.
    fs::create_directories(dir / "empty");
    RemoveEmptyResultFolders(dir / "empty/sub", "..");
    EXPECT_TRUE(fs::exists(dir / "empty"));
}

TEST(RunActions, TheStopRequestIsAnEmptyFileReplacingAnOldOne) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "Semaphore.xml", "<old/>");
    ASSERT_TRUE(WriteStopRequest(dir.Path()));
    EXPECT_EQ(pemtest::ReadFile(dir / "Semaphore.xml"), "");
    EXPECT_FALSE(WriteStopRequest(dir / "missing/folder"));
}

TEST(RunActions, ProgressCaptionsAndCopiedSources) {
    EXPECT_EQ(DirectProgressCaption("Job", 1, 2, 3, 4), "Started processing project Job - Modules 1 of 2 - Sources 3 of 4");
    EXPECT_EQ(PipedProgressCaption("Job", 0, 3), "Started processing project Job - Entity 0 of 3 ");
    TInputTreeEntries entries;
    for (const char* l : {"COMP0001=C", "XCPY0000=a", "xcpy0001=b", "SRC0001=s", "XCPYX=c"}) entries.AddLine(l);
    EXPECT_EQ(CopiedSourceCount(entries), 2);
}
