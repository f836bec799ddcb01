// The component and module structure over small trees: root and depth,
// generated component and module names, duplicate numbers, irrelevant names,
// and the checks that end the computation early.
#include "ModularStructure.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <set>

using namespace pem;

namespace {

struct Computation {
    TSourceFileList files;
    TNameList components, modules;
    TModularStructure out;
    TStructureOutcome outcome;
    std::set<std::string> missing;
    TStructureRequest request;

    explicit Computation(std::vector<std::string> paths, int level = 2) {
        for (auto& p : paths) files.Append(p, true);
        request.level = level;
        request.bigLimit = 1000;
        request.productKind = 5; // no default irrelevant names, depth checked
        request.fileExists = [this](const std::string& p) { return !missing.count(p); };
    }
    Computation& Compute(bool strict = false) {
        request.strict = strict;
        outcome = CalculateModularStructure(files, components, modules, out, request);
        return *this;
    }
    std::string Message() const { return outcome.hasMessage ? outcome.message.text : std::string(); }
    static std::string Names(const TNameList& l) {
        std::string s;
        for (const auto& e : l) s += (s.empty() ? "" : ",") + e.name + (e.ticked ? "+" : "");
        return s;
    }
};

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? "|" : "") + v[i];
    return s;
}

} // namespace

TEST(ModularStructureTest, RootAndDepthPerLevel) {
    struct Case {
        int level;
        std::string root, components, modules, sources;
        int depth;
    };
    const Case cases[] = {
        {2, "/a", "x|x", "m1|m2", "f|g", 1},
        {3, "/a", "x|x", "m1|m2", "f|g", 1},
        {1, "/a", "|", "x|x", "f|g", 1},
        {0, "/a", "|", "|", "f|g", 1},
        {99, "/a/x", "|", "|", "|", 1},
    };
    for (const Case& c : cases) {
        Computation r({"/a/x/m1/f.cbl", "/a/x/m2/g.cbl"}, c.level);
        r.request.productKind = 0;
        r.Compute();
        EXPECT_TRUE(r.outcome.computed) << c.level;
        EXPECT_EQ(r.out.Root, c.root) << c.level;
        EXPECT_EQ(r.out.Depth, c.depth) << c.level;
        EXPECT_EQ(Join(r.out.Components), c.components) << c.level;
        EXPECT_EQ(Join(r.out.Modules), c.modules) << c.level;
        EXPECT_EQ(Join(r.out.Sources), c.sources) << c.level;
    }
}

TEST(ModularStructureTest, CommonRootOfOddTrees) {
    struct Case {
        std::vector<std::string> paths;
        int level;
        std::string root;
        int depth;
    };
    const Case cases[] = {
        {{"/a/b/c/d/f.cbl"}, 2, "/a/b", 0},
        {{"/a/b/c/d/f.cbl"}, 99, "/a/b/c/d", 0},
        {{"/f.cbl", "/a/b/c/g.cbl"}, 2, "", 3},
        {{"/r/p/q/s/a.cbl", "/r/p/b.cbl"}, 2, "/r/p", 2},
        {{"/r/k/m/f.cbl", "/R/k/m/f.cbl"}, 2, "", 3}, // folders differ in letter case
    };
    for (const Case& c : cases) {
        const TCommonRoot r = DetermineCommonRoot(c.paths, c.level);
        EXPECT_EQ(r.root, c.root) << c.paths.front();
        EXPECT_EQ(r.depth, c.depth) << c.paths.front();
    }
    EXPECT_EQ(RelativePartStart("/r/p"), 6);
    EXPECT_EQ(RelativePartStart(""), 1);
}

TEST(ModularStructureTest, FilesNearTheRootGetGeneratedNames) {
    Computation r({"/r/p/q/s/a.cbl", "/r/p/q/c.cbl", "/r/p/b.cbl"});
    r.Compute();
    // In list order: b.cbl (in the root), q/c.cbl (one below), q/s/a.cbl.
    EXPECT_EQ(Join(r.out.Components), "Gen_Comp|Gen_Comp|q");
    EXPECT_EQ(Join(r.out.Modules), "Gen_Modu|q|s");
    EXPECT_EQ(Computation::Names(r.components), "q");
    EXPECT_EQ(Computation::Names(r.modules), "q,s");

    Computation one({"/r/p/q/s/a.cbl", "/r/p/q/c.cbl", "/r/p/b.cbl"}, 1);
    one.Compute();
    EXPECT_EQ(Join(one.out.Components), "||");
    EXPECT_EQ(Join(one.out.Modules), "Gen_Modu|q|q"); // the first segment below the root
}

TEST(ModularStructureTest, DuplicatesAreNumberedWithinComponentAndModule) {
    Computation r({"/r/c1/m1/f.cbl", "/r/c1/m1/x/f.cbl", "/r/c1/m1/y/f.cob", "/r/c1/m2/f.cbl", "/r/c2/m1/f.cbl",
           "/r/c1/m1/x/F.cbl"});
    r.request.productKind = 0;
    r.Compute();
    EXPECT_EQ(r.out.Root, "/r");
    // Order: c1/m1/f, c1/m1/x/F, c1/m1/x/f, c1/m1/y/f.cob, c1/m2/f, c2/m1/f;
    // F differs in letter case and keeps its name.
    EXPECT_EQ(Join(r.out.Sources), "f|F|f_1|f_2|f|f");
    EXPECT_EQ(Join(r.out.Extensions), ".cbl|.cbl|.cbl|.cob|.cbl|.cbl");
    std::vector<std::string> newNames;
    for (int i = 0; i < r.files.Count(); ++i) newNames.push_back(r.out.NewFileNameAt(i));
    EXPECT_EQ(Join(newNames), "||f_1.cbl|f_2.cob||");
    EXPECT_EQ(r.out.NewFileNameAt(99), "");
}

TEST(ModularStructureTest, IrrelevantNamesLeaveThePaths) {
    Computation r({"/r/src/k/m/f.cbl", "/r/SRC/src/k/m/g.cbl", "/r/k/old/m/h.cbl", "/r/old/m/i.cbl"});
    r.components = {{"src", true}, {"stale", false}};
    r.modules = {{"old", true}};
    r.Compute();
    EXPECT_EQ(r.out.Root, "/r");
    // Order: k/old/m/h, old/m/i, src/k/m/f, SRC/src/k/m/g.
    EXPECT_EQ(Join(r.out.Names), "/r/k/m/h.cbl|/r/old/m/i.cbl|/r/k/m/f.cbl|/r/k/m/g.cbl");
    EXPECT_EQ(Join(r.out.Components), "k|old|k|k");
    EXPECT_EQ(Join(r.out.Modules), "m|m|m|m");
    // Irrelevant names first, then those found; the stale unticked one is gone.
    EXPECT_EQ(Computation::Names(r.components), "src+,k,old");
    EXPECT_EQ(Computation::Names(r.modules), "old+,m");
}

TEST(ModularStructureTest, DefaultIrrelevantNamesOnceForTheMainAnalysisProducts) {
    for (int kind : {0, 3, 5}) {
        Computation r({"/r/c/TEST/m/f.cbl", "/r/d/m/g.cbl"});
        r.request.productKind = kind;
        r.request.dummyNames = {"TEST", "DUMMY", "", "COPY", "OLD", "TEST"};
        r.Compute();
        if (kind == 5) {
            EXPECT_EQ(Computation::Names(r.components), "c,d") << kind;
            EXPECT_EQ(Computation::Names(r.modules), "m,TEST") << kind;
            continue;
        }
        EXPECT_EQ(Computation::Names(r.components), "COPY+,DUMMY+,OLD+,TEST+,c,d") << kind;
        EXPECT_EQ(Computation::Names(r.modules), "COPY+,DUMMY+,OLD+,TEST+,m") << kind;
        // A list the engineer already has is left alone.
        r.components = {{"keep", true}};
        r.modules = {};
        r.Compute();
        EXPECT_EQ(Computation::Names(r.components), "keep+,c,d") << kind;
        EXPECT_EQ(Computation::Names(r.modules), "m,TEST") << kind;
    }
}

TEST(ModularStructureTest, ChecksThatEndTheComputation) {
    struct Case {
        const char* what;
        int files, ticked, kind, bigLimit;
        bool strict;
        TSourceMessage::Kind kindWant;
        std::string message;
        bool computed;
    };
    const Case cases[] = {
        {"9999 files", 9999, 9999, 0, 100000, true, TSourceMessage::Error,
         "The number of file in one job must be less than 9999", false},
        {"9998 files", 9998, 9998, 0, 100000, true, TSourceMessage::Info, "", true},
        {"none ticked, strict", 3, 0, 0, 50, true, TSourceMessage::Error, "No files are selected for processing!", false},
        {"none ticked", 3, 0, 0, 50, false, TSourceMessage::Info, "No files are selected for processing!", false},
        {"long list", 60, 60, 0, 50, false, TSourceMessage::Warning,
         "Press the \"Recalculate modular structure\" button to apply the changes !", false},
        {"long list, strict", 60, 60, 0, 50, true, TSourceMessage::Info, "", true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> paths;
        for (int i = 0; i < c.files; ++i) paths.push_back("/r/c/m/f" + std::to_string(i) + ".cbl");
        Computation r(paths);
        for (int i = c.ticked; i < c.files; ++i) r.files.SetChecked(i, false);
        r.request.productKind = c.kind;
        r.request.bigLimit = c.bigLimit;
        r.out.Components = {"before"};
        r.Compute(c.strict);
        EXPECT_EQ(r.Message(), c.message) << c.what;
        if (!c.message.empty()) EXPECT_EQ(r.outcome.message.kind, c.kindWant) << c.what;
        EXPECT_EQ(r.outcome.computed, c.computed) << c.what;
        if (!c.computed) EXPECT_EQ(Join(r.out.Components), "before") << c.what; // nothing changed
    }
}

TEST(ModularStructureTest, MissingFilesAreUntickedAndDisabled) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "c/m/here.cbl", "x");
    pemtest::WriteFile(dir / "c/m/unticked.cbl", "x");
    TSourceFileList files;
    for (const char* f : {"c/m/here.cbl", "c/m/gone.cbl", "c/m/unticked.cbl", "c/m/gone2.cbl"})
        files.Append(dir / f, true);
    files.SetChecked(files.IndexOf(dir / "c/m/gone2.cbl"), false); // only ticked files are looked at
    TNameList comps, mods;
    TModularStructure out;
    TStructureRequest req;
    const TStructureOutcome o = CalculateModularStructure(files, comps, mods, out, req);
    EXPECT_EQ(o.message.text, "Some input files cannot be found!");
    EXPECT_EQ(o.message.kind, TSourceMessage::Error);
    EXPECT_TRUE(o.filesChanged);
    std::string state;
    for (const auto& f : files.Items()) state += std::string(f.checked ? "Y" : "N") + (f.enabled ? "Y" : "N");
    // gone, gone2, here, unticked
    EXPECT_EQ(state, "NNNYYYYY");

    // Test-tool entries are checked by the path after their label, and
    // nothing else is computed for them.
    TSourceFileList tools;
    tools.Append("Methods:=" + (dir / "c/m/here.cbl"), true);
    tools.Append("Trace file:=" + (dir / "nope.csv"), true);
    req.testToolMode = true;
    const TStructureOutcome t = CalculateModularStructure(tools, comps, mods, out, req);
    EXPECT_EQ(t.message.text, "Some input files cannot be found!");
    EXPECT_TRUE(tools.Checked(0));
    EXPECT_FALSE(tools.Checked(1));
    tools.RemoveUnchecked();
    const TStructureOutcome ok = CalculateModularStructure(tools, comps, mods, out, req);
    EXPECT_FALSE(ok.hasMessage);
    EXPECT_FALSE(ok.computed);
}

TEST(ModularStructureTest, DepthIsCheckedOutsideTheMainAnalysisProducts) {
    struct Case {
        int kind;
        bool strict;
        std::string message;
    };
    const Case cases[] = {
        {0, false, ""},
        {3, true, ""},
        {1, false, "Maximum allowed directory depth is 1, uncheck some files!"},
        {1, true, "Maximum allowed directory depth is 1, remove some files from the list!"},
        {6, false, "Maximum allowed directory depth is 1, uncheck some files!"},
    };
    for (const Case& c : cases) {
        // Three levels below the longest common path /a.
        Computation r({"/a/b/c/d/f.cbl", "/a/e/g.cbl"}, 1);
        r.request.productKind = c.kind;
        r.Compute(c.strict);
        EXPECT_EQ(r.out.Depth, 3) << c.kind;
        EXPECT_EQ(r.Message(), c.message) << c.kind << c.strict;
        EXPECT_TRUE(r.outcome.computed); // the structure stands; only the message differs
        EXPECT_EQ(r.outcome.clearStatus, c.message.empty());
    }
}

TEST(ModularStructureTest, ColumnsOfAnItem) {
    Computation r({"/r/c1/m1/f.cbl", "/r/c1/m1/x/f.cbl", "/r/c2/m1/g.cbl"});
    r.request.productKind = 0;
    r.Compute();
    const int extent = ApplyCommonRootWidths(r.out, r.files, {});
    // Widths in characters: the widest item below the root is "c1/m1/x/f.cbl".
    EXPECT_EQ(r.out.NamesMaxLen, 13);
    // The sources' column fits the new name "f_1.cbl".
    EXPECT_EQ(extent, 3 + 16 + 13 + 2 + 2 + 7 + 5);
    TItemLayout layout;
    layout.relativeStart = RelativePartStart(r.out.Root);
    auto text = [&](int i, bool helper = false) {
        layout.helperPagesShown = helper;
        std::string s;
        for (const auto& c : SourceItemColumns(r.files, r.out, i, layout)) s += std::to_string(c.x) + ":" + c.text + " ";
        return s;
    };
    EXPECT_EQ(text(0), "2:c1/m1/f.cbl 15:c1 17:m1 ");
    EXPECT_EQ(text(1), "2:c1/m1/x/f.cbl 15:c1 17:m1 19:f_1.cbl ");
    EXPECT_EQ(text(1, true), "2:c1/m1/x/f.cbl 15:c1 17:m1 19:f_1.cbl 31:/r/c1/m1/x/f.cbl ");
    r.files.SetChecked(2, false);
    EXPECT_EQ(text(2), "2:/r/c2/m1/g.cbl ");
    // Lists cut short by an ended computation are read within bounds.
    r.out.Components.resize(1);
    r.out.Sources.clear();
    r.files.SetChecked(2, true);
    EXPECT_EQ(text(2), "2:c2/m1/g.cbl 17:m1 ");

    TSourceFileList tools;
    tools.Append("Methods:=/t/m.csv");
    layout.testToolMode = true;
    layout.labelWidth = 20;
    std::string s;
    for (const auto& c : SourceItemColumns(tools, r.out, 0, layout)) s += std::to_string(c.x) + ":" + c.text + " ";
    EXPECT_EQ(s, "2:Methods: 22:/t/m.csv ");
}

TEST(ModularStructureTest, AboveTheLimitAnItemAddedSinceTheComputationShowsNoStructure) {
    // The list is longer than the large-tree limit: a change of the list
    // does not recompute the structure, and items added since then sort in
    // among the computed ones.
    Computation r({"/r/c1/m1/f.cbl", "/r/c2/m2/g.cbl", "/r/c3/m3/h.cbl"});
    r.request.bigLimit = 2;
    r.Compute(true);
    ASSERT_TRUE(r.outcome.computed);
    TItemLayout layout;
    layout.relativeStart = RelativePartStart(r.out.Root);
    auto columns = [&](const std::string& path) {
        std::string s;
        for (const auto& c : SourceItemColumns(r.files, r.out, r.files.IndexOf(path), layout)) s += c.text + " ";
        return s;
    };
    r.files.Append("/r/a0/m0/a.cbl");   // before every computed item
    r.files.Append("/r/c2/m2/g2.cbl");  // between two of them
    r.files.Append("/r/z9/m9/z.cbl");   // after the last one
    r.Compute(false);
    ASSERT_FALSE(r.outcome.computed);
    EXPECT_EQ(Join(r.out.Components), "c1|c2|c3"); // the structure of before
    const struct {
        const char* path;
        const char* shown;
    } cases[] = {
        {"/r/a0/m0/a.cbl", "a0/m0/a.cbl "},
        {"/r/c1/m1/f.cbl", "c1/m1/f.cbl c1 m1 "},
        {"/r/c2/m2/g.cbl", "c2/m2/g.cbl c2 m2 "},
        {"/r/c2/m2/g2.cbl", "c2/m2/g2.cbl "},
        {"/r/c3/m3/h.cbl", "c3/m3/h.cbl c3 m3 "},
        {"/r/z9/m9/z.cbl", "z9/m9/z.cbl "},
    };
    for (const auto& c : cases) EXPECT_EQ(columns(c.path), c.shown) << c.path;
    // The recalculation gives every item its own columns.
    r.Compute(true);
    EXPECT_EQ(columns("/r/a0/m0/a.cbl"), "a0/m0/a.cbl a0 m0 ");
    EXPECT_EQ(columns("/r/c2/m2/g2.cbl"), "c2/m2/g2.cbl c2 m2 ");
}
