// The new-file-names store, the translation tool's document and the return
// of its translations, metric weights, test-tool entries and the small job
// settings.
#include "JobSettings.h"
#include "JobrinDocument.h"
#include "MetricWeights.h"
#include "NewFileNames.h"
#include "TestToolInputs.h"

#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

TEST(NewFileNamesTest, GetNewFileName) {
    TNewFileNames names;
    names.Assign(TStringList{"SRC0002=/s/b.cbl", "csx0001.csx=/o/Exports/b.csv", "SRC0001=/s/a.cbl",
                             "COMP0001=pay", "SRC0002=/s/second.cbl", "NOVALUE"});
    // Sorted by name; equal names keep their order.
    EXPECT_EQ(names.Lines()[0], "COMP0001=pay");
    EXPECT_EQ(names.Lines()[1], "csx0001.csx=/o/Exports/b.csv");
    struct Case {
        std::string text, want;
    };
    const Case cases[] = {
        {"SRC0001", "/s/a.cbl"},
        {"src0001", "/s/a.cbl"},                  // letter case ignored
        {"SRC0001=whatever", "/s/a.cbl"},         // the part before "=" counts
        {"SRC0002", "/s/b.cbl"},                  // the first of equal names
        {"CSX0001.CSX", "/o/Exports/b.csv"},
        {"SRC0003", ""},
        {"NOVALUE", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(names.Lookup(c.text), c.want) << c.text;

    names.SetValue("SRC0001", "/s/new.cbl");
    names.SetValue("MOD0001", "m");
    EXPECT_EQ(names.Lookup("SRC0001"), "/s/new.cbl");
    EXPECT_EQ(names.Lookup("MOD0001"), "m");
    EXPECT_EQ(names.Lines()[2], "MOD0001=m");
    names.SetValues({{"csx0001.csx", "/x"}, {"csx0000.csx", "/y"}});
    EXPECT_EQ(names.Lookup("csx0001.csx"), "/x");
    EXPECT_EQ(names.Lines()[1], "csx0000.csx=/y");
}

TEST(JobrinTest, DocumentForThreeExports) {
    TJobrinInput in;
    in.version = "V1";
    in.productName = "Abc";
    in.systemName = "Pay";
    in.exportsFolder = "/out/Exports";
    in.exports = {"/out/Exports/a.csv", "/out/Exports/sub/b.csv", "/out/Exports/sub/deeper/c d.csv"};
    const TJobrinDocument doc = ComposeJobrinParameters(in);
    const std::string golden = pemtest::ReadFile(FIXTURES_DIR "/sources/jobrin-three-exports.xml");
    EXPECT_EQ(doc.lines.Text(), golden);
    ASSERT_EQ(doc.names.size(), 3u);
    EXPECT_EQ(doc.names[2].first, "csx0002.csx");
    EXPECT_EQ(doc.names[2].second, "/out/Exports/sub/deeper/c d.csv");
}

TEST(JobrinTest, TranslationsTakeThePlaceOfTheirExports) {
    pemtest::TempDir out;
    const std::string ex = out / "Exports";
    pemtest::WriteFile(ex + "/a.csv", "export a");
    pemtest::WriteFile(ex + "/sub/b.csv", "export b");
    pemtest::WriteFile(ex + "/csx0000.csx", "translated a");
    pemtest::WriteFile(ex + "/csx0001.csx", "translated b");
    pemtest::WriteFile(ex + "/csx0007.csx", "no entry");
    pemtest::WriteFile(ex + "/csx0002.csx", "target folder gone");
    TNewFileNames names;
    names.SetValues({{"csx0000.csx", ex + "/a.csv"},
                     {"csx0001.csx", ex + "/sub/b.csv"},
                     {"csx0002.csx", ex + "/gone/c.csv"}});
    TSourceMessages messages;
    EXPECT_EQ(ListCsxExports(ex, names, messages), 2);
    EXPECT_EQ(pemtest::ReadFile(ex + "/a.csv"), "translated a");
    EXPECT_EQ(pemtest::ReadFile(ex + "/sub/b.csv"), "translated b");
    EXPECT_FALSE(fs::exists(ex + "/csx0000.csx"));
    EXPECT_TRUE(fs::exists(ex + "/csx0007.csx")); // no entry: stays
    // A move that cannot be made keeps both files and says so.
    EXPECT_TRUE(fs::exists(ex + "/csx0002.csx"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, TSourceMessage::Warning);
    EXPECT_NE(messages[0].text.find("csx0002.csx could not replace " + ex + "/gone/c.csv"), std::string::npos);
}

TEST(MetricWeightsTest, WeightsFollowTheListAndTheTicks) {
    TStringList w{"2", "0", "3"};
    EXPECT_FALSE(FitMetricWeights(w, 3, 2));
    EXPECT_TRUE(FitMetricWeights(w, 4, 0)); // saved with another number of metrics
    EXPECT_EQ(w.CommaText(), "1,1,1,1");

    TStringList v{"2", "0", "3", "1"};
    EXPECT_TRUE(WeightsFollowTicks(v, {true, true, false, true}));
    EXPECT_EQ(v.CommaText(), "2,1,0,1"); // ticking an "Off" metric gives "Normal"
    EXPECT_FALSE(WeightsFollowTicks(v, {true, true, false, true}));

    TStringList r{"2"};
    EXPECT_FALSE(RefillMetricWeightsFor(r, 1, true));
    EXPECT_TRUE(RefillMetricWeightsFor(r, 1, false));
    EXPECT_EQ(r.CommaText(), "1");
    EXPECT_EQ(MetricWeightNames()[MetricWeightIndex("3")], "High");
    EXPECT_EQ(MetricWeightIndex("x"), 0);
}

TEST(TestToolInputsTest, SingleInputsReplaceManyInputsAdd) {
    TSourceFileList l;
    const TTestToolInput& methods = *TestToolInputOfAction("ActSpecifyMethodFile");
    const TTestToolInput& logs = *TestToolInputOfAction("ActSpecifyTestExecutionLog");
    SetTestToolEntries(l, methods, {"/t/m1.csv"});
    SetTestToolEntries(l, logs, {"/t/l1.csv", "/t/l2.csv"});
    SetTestToolEntries(l, methods, {"/t/m2.csv"});
    SetTestToolEntries(l, logs, {"/t/l1.csv"});
    l.SetChecked(0, false);
    SetTestToolEntries(l, methods, {"/t/m3.csv"});
    std::vector<std::string> items;
    for (const auto& f : l.Items()) items.push_back(f.path + (f.checked ? "+" : ""));
    EXPECT_EQ(items, (std::vector<std::string>{"Methods:=/t/m3.csv+", "Test execution log:=/t/l1.csv+",
                                               "Test execution log:=/t/l1.csv+", "Test execution log:=/t/l2.csv+"}));
    EXPECT_EQ(MethodListPath(l), "/t/m3.csv");
    EXPECT_EQ(MethodListPath(TSourceFileList()), "");
}

TEST(JobSettingsTest, LanguageListsFlagsStylesAndBatchTimes) {
    struct Case {
        std::string code, list;
        bool in;
    };
    const Case cases[] = {
        {"SQL", "DLI,SQL", true}, {"SQ", "DLI,SQL", false}, {"QL", "DLI,SQL", true},
        {"GER", "ger,eng", true}, {"ENG", "GER,ENG", true}, {"GER", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsLanguageInList(c.code, c.list), c.in) << c.code << " in " << c.list;
    EXPECT_EQ(CheckedFlags({true, false, true}), "YNY");
    EXPECT_EQ(FileViewStyleOf(4), 4);
    EXPECT_EQ(FileViewStyleOf(7), 2);
    EXPECT_EQ(FileViewStyleOf(-1), 2);

    // 10:20:30.250 on some day; the run took 1 h 2 min 3.5 s.
    const double start = 45000 + (10 * 3600 + 20 * 60 + 30.25) / 86400.0;
    const double end = start + (3600 + 2 * 60 + 3.5) / 86400.0;
    const std::string c1 = CaptionWithBatchStart("Korvex - COBOL [Job]", start);
    EXPECT_EQ(c1, "Korvex - COBOL [Job] Last batch started at: 10:20:30");
    EXPECT_EQ(CaptionWithBatchRuntime(c1, start, end), "Korvex - COBOL [Job] Last batch runtime: 01:02:03:500");
}
