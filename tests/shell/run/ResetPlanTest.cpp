// Resetting the output: what is announced, what goes, what stays, and the
// directories that are refused.
#include "ResetPlan.h"
#include "TestSupport.h"

#include <algorithm>
#include <set>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

std::set<std::string> FilesBelow(const std::string& root) {
    std::set<std::string> out;
    if (!fs::exists(root)) return out;
    for (auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.insert(e.path().string());
    return out;
}

class ResetPlanTest : public ::testing::Test {
protected:
    ResetPlanTest() {
        r.outputDir = dir / "out";
        r.productName = "Acme";
        r.systemName = "Pay";
        r.jobName = "AcmePay";
        r.structureLevel = 2;
        r.homeDir = dir / "home";
        fs::create_directories(r.outputDir);
    }
    void Make(const std::vector<std::string>& rel) {
        for (const auto& f : rel) pemtest::WriteFile(r.outputDir + "/" + f, "x");
    }
    pemtest::TempDir dir;
    TResetRequest r;
};

} // namespace

TEST_F(ResetPlanTest, TheQuestionNamesElevenFilesThenDots) {
    for (int i = 0; i < 25; ++i) Make({"Metrics/SRC" + std::to_string(1000 + i) + ".met"});
    const TResetPlan plan = CollectReset(r);
    ASSERT_EQ(plan.files.size(), 25u);
    const std::string q = ResetQuestion(plan);
    EXPECT_EQ(q.rfind("You are going to reset your job to it's initial state.\r\nYou have  25 files in your output "
                      "folders. Should I continue ?\r\n\r\nYour files:\r\n", 0), 0u);
    EXPECT_EQ(std::count(q.begin(), q.end(), '\n'), 3 + 11 + 1);
    EXPECT_EQ(q.substr(q.size() - 5), "\r\n...");

    TResetPlan two;
    two.files = {"/o/a", "/o/b"};
    EXPECT_EQ(ResetQuestion(two), "You are going to reset your job to it's initial state.\r\nYou have  2 files in your "
                                  "output folders. Should I continue ?\r\n\r\nYour files:\r\n/o/a\r\n/o/b");
}

TEST_F(ResetPlanTest, AnEmptyOutputDirectoryHasNothingToAnnounce) {
    fs::create_directories(r.outputDir + "/Metrics");
    EXPECT_TRUE(CollectReset(r).files.empty());
}

TEST_F(ResetPlanTest, WhatIsAnnouncedIsWhatGoes) {
    Make({"Metrics/SRC0001.met", "Defis/COMP0001/x.def", "Module Ranking.txt", "last.xml", "lastbatch.cmd",
          "Acme.log", "Pay.txt", "AcmePay_1.txt", "notes.txt", "workinp/COMP0001/MOD0001/SRC0001.CBL",
          "a/b/c/d/deep.txt", ".hidden", "AcmePay.jkvx"});
    r.openJobFile = r.outputDir + "/AcmePay.jkvx";
    const std::set<std::string> before = FilesBelow(r.outputDir);
    const TResetPlan plan = CollectReset(r);
    ASSERT_TRUE(plan.refusal.empty());
    const std::string o = r.outputDir + "/";
    // The searches first, in their order; then what the sweeps take besides.
    EXPECT_EQ(plan.files, (std::vector<std::string>{o + "Module Ranking.txt", o + "last.xml", o + "lastbatch.cmd",
                                                   o + "Acme.log", o + "Pay.txt", o + "AcmePay_1.txt",
                                                   o + "Metrics/SRC0001.met", o + "Defis/COMP0001/x.def",
                                                   o + "notes.txt", o + "workinp/COMP0001/MOD0001/SRC0001.CBL"}));
    ExecuteReset(plan, r);
    std::set<std::string> expected = before;
    for (const auto& f : plan.files) expected.erase(f);
    EXPECT_EQ(FilesBelow(r.outputDir), expected);
    // Too deep for the sweep, hidden, and the open job: still there.
    EXPECT_EQ(expected, (std::set<std::string>{o + "a/b/c/d/deep.txt", o + ".hidden", o + "AcmePay.jkvx"}));
    EXPECT_FALSE(fs::exists(o + "Metrics"));
    EXPECT_FALSE(fs::exists(o + "workinp"));
}

TEST_F(ResetPlanTest, TheDocumentScannersReportFolderGoesDeeper) {
    r.reportFolder = r.outputDir + "/ErrorReports/Acme/V1/";
    Make({"ErrorReports/Acme/V1/Original/a.xml", "ErrorReports/Acme/V1/Components/c/d/e/f.xml"});
    const TResetPlan plan = CollectReset(r);
    EXPECT_EQ(plan.files, (std::vector<std::string>{r.outputDir + "/ErrorReports/Acme/V1/Original/a.xml",
                                                   r.outputDir + "/ErrorReports/Acme/V1/Components/c/d/e/f.xml"}));
    ExecuteReset(plan, r);
    EXPECT_TRUE(FilesBelow(r.outputDir).empty());
    EXPECT_TRUE(fs::is_directory(r.outputDir));
}

TEST_F(ResetPlanTest, RefusedDirectoriesLoseNothing) {
    pemtest::WriteFile(dir / "home/Metrics/keep.met", "x");
    pemtest::WriteFile(dir / "src/Metrics/keep.met", "x");
    const struct {
        std::string out, commonRoot;
        const char* says;
    } cases[] = {
        {dir / "home", "", "holds the home folder"},
        {dir.Path(), "", "holds the home folder"},
        {dir / "src", dir / "src/system", "holds the job's sources"},
        {dir / "src", dir / "src", "holds the job's sources"},
        {"/", "", "is the root of the file system"},
        {"", "", "This field must not be empty"},
        {"rel/out", "", "No relative or UNC format path"},
    };
    for (const auto& c : cases) {
        TResetRequest q = r;
        q.outputDir = c.out;
        q.commonRoot = c.commonRoot;
        const TResetPlan plan = CollectReset(q);
        EXPECT_NE(plan.refusal.find(c.says), std::string::npos) << c.out << ": " << plan.refusal;
        EXPECT_TRUE(plan.files.empty());
        ExecuteReset(plan, q);
    }
    EXPECT_TRUE(fs::exists(dir / "home/Metrics/keep.met"));
    EXPECT_TRUE(fs::exists(dir / "src/Metrics/keep.met"));
    // A folder beside the sources is fine.
    TResetRequest beside = r;
    beside.commonRoot = dir / "src";
    EXPECT_TRUE(ResetRefusal(beside).empty());
}

TEST_F(ResetPlanTest, TheFlatListSearchesOneLevel) {
    EXPECT_EQ(ResetDepth(99), 1);
    EXPECT_EQ(ResetDepth(3), 3);
    r.structureLevel = 99;
    Make({"Metrics/a.met", "Metrics/x/b.met", "Metrics/x/y/c.met"});
    // The search and the sweep reach three folder levels from the output
    // directory: "Metrics/x/y" is beyond both.
    const TResetPlan plan = CollectReset(r);
    EXPECT_EQ(plan.files, (std::vector<std::string>{r.outputDir + "/Metrics/a.met", r.outputDir + "/Metrics/x/b.met"}));
}
