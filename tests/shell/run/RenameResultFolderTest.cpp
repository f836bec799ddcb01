// Results get their source, module and component names back.
#include "RenameResultFolder.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Files(const std::string& root) {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.push_back(fs::relative(e.path(), root).string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(RenameResultFolder, Table) {
    using V = std::vector<std::string>;
    const struct {
        const char* what;
        V entries;
        int level;
        int kind;
        bool methodFile;
        const char* folder;
        V files;    // in the result folder before
        V expected; // in the result folder after
        int modules, sources, warnings;
    } cases[] = {
        {"a source's result takes the source's name with its own extension",
         {"SRC0012=Comp/Mod/prog.cbl"}, 2, 0, false, "Metrics", {"SRC0012.met"}, {"Comp/Mod/prog.met"}, 0, 0, 0},
        {".JAV results keep the source's extension", {"SRC0003=Comp/Mod/Foo.java"}, 2, 0, false, "Exports",
         {"SRC0003.JAV", "SRC0003.met"}, {"Comp/Mod/Foo.java", "Comp/Mod/Foo.met"}, 0, 2, 0},
        {"kind 7 without the method file keeps the source's name", {"SRC0001=tests/case1.csv"}, 99, 7, false,
         "Cases", {"SRC0001.res"}, {"tests/case1.csv"}, 0, 1, 0},
        {"kind 7 with the method file renames as usual", {"SRC0001=tests/case1.csv"}, 99, 7, true, "Cases",
         {"SRC0001.res"}, {"tests/case1.res"}, 0, 1, 0},
        {"a flat source without a folder", {"SRC0002=top.cbl"}, 99, 0, false, "Specs", {"SRC0002.spc"},
         {"top.spc"}, 0, 0, 0},
        {"modules and components at level 2", {"COMP0001=Billing", "MOD0002=Billing/Invoice"}, 2, 0, false,
         "Metrics", {"COMP0001.met", "MOD0002.met"}, {"Billing.met", "Billing/Invoice.met"}, 1, 0, 0},
        {"a module at level 1 as the parameter document writes it", {"MOD0002=/Invoice", "SRC0005=Invoice/a.cbl"}, 1,
         0, false, "Metrics", {"MOD0002.met", "SRC0005.met"}, {"Invoice.met", "Invoice/a.met"}, 1, 0, 0},
        {"one leading separator starts at the result folder", {"SRC0003=/etc/x.cbl"}, 2, 0, false, "Metrics",
         {"SRC0003.met"}, {"etc/x.met"}, 0, 0, 0},
        {"level 0: empty component and module entries leave their results alone",
         {"COMP0001=", "MOD0001=", "SRC0005=a.cbl"}, 0, 0, false, "Metrics",
         {"COMP0001.met", "MOD0001.met", "SRC0005.met"}, {"COMP0001.met", "MOD0001.met", "a.met"}, 0, 0, 0},
        {"lower-case result names, and files without an entry", {"SRC0001=Comp/Mod/x.cbl"}, 2, 0, false, "Defis",
         {"src0001.def", "SRC0099.def", "MODULES.txt", "other.def"},
         {"Comp/Mod/x.def", "MODULES.txt", "SRC0099.def", "other.def"}, 0, 0, 0},
        {"entries that lead out of the result folder are skipped",
         {"SRC0001=../../etc/x.cbl", "SRC0002=C:\\x.cbl", "SRC0003=//server/x.cbl", "SRC0004=Comp/../../y.cbl"},
         2, 0, false, "Metrics", {"SRC0001.met", "SRC0002.met", "SRC0003.met", "SRC0004.met"},
         {"SRC0001.met", "SRC0002.met", "SRC0003.met", "SRC0004.met"}, 0, 0, 4},
        {"a backslash is part of a file name, not a separator", {"SRC0001=Comp/Mod/back\\slash.cbl", "SRC0002=\\\\srv\\z.cbl"},
         2, 0, false, "Metrics", {"SRC0001.met", "SRC0002.met"}, {"Comp/Mod/back\\slash.met", "\\\\srv\\z.met"}, 0, 0, 0},
        {"two sources of one name: the second keeps its input-tree name", {"SRC0001=x/a.cbl", "SRC0002=x/a.cob"},
         99, 0, false, "Metrics", {"SRC0002.met", "SRC0001.met"}, {"SRC0002.met", "x/a.met"}, 0, 0, 1},
    };
    for (const auto& c : cases) {
        pemtest::TempDir out;
        for (const auto& f : c.files) pemtest::WriteFile(out / (std::string(c.folder) + "/" + f), f);
        TInputTreeEntries entries;
        for (const auto& e : c.entries) entries.AddLine(e);
        TResultRenamer renamer({&entries, c.level, c.kind, c.methodFile});
        int steps = 0;
        renamer.RenameFolder(out.Path() + "/", c.folder, [&] { ++steps; });
        EXPECT_EQ(Files(out / c.folder), c.expected) << c.what;
        EXPECT_EQ(steps, static_cast<int>(std::count_if(c.files.begin(), c.files.end(), [](const std::string& f) {
                      return f.rfind("SRC", 0) == 0 || f.rfind("src", 0) == 0 || f.rfind("MOD", 0) == 0 ||
                             f.rfind("COMP", 0) == 0;
                  }))) << c.what;
        EXPECT_EQ(renamer.RenamedModules, c.modules) << c.what;
        EXPECT_EQ(renamer.RenamedSources, c.sources) << c.what;
        EXPECT_EQ(static_cast<int>(renamer.Warnings.size()), c.warnings) << c.what;
    }
}

TEST(RenameResultFolder, AnOldResultOfTheTargetNameIsReplacedAndAResultOfThisRunKept) {
    pemtest::TempDir out;
    pemtest::WriteFile(out / "Metrics/Comp/Mod/prog.met", "from the last run");
    pemtest::WriteFile(out / "Metrics/SRC0001.met", "new");
    pemtest::WriteFile(out / "Metrics/SRC0002.met", "newer");
    pemtest::WriteFile(out / "Specs/SRC0001.spc", "spec");
    TInputTreeEntries entries;
    entries.AddLine("SRC0001=Comp/Mod/prog.cbl");
    entries.AddLine("SRC0002=Comp/Mod/prog.cob");
    TResultRenamer renamer({&entries, 2, 0, false});
    EXPECT_EQ(renamer.RenameFolder(out.Path(), "Metrics"), 1);
    EXPECT_EQ(renamer.RenameFolder(out.Path(), "Specs"), 1);
    EXPECT_EQ(pemtest::ReadFile(out / "Metrics/Comp/Mod/prog.met"), "new");
    EXPECT_EQ(pemtest::ReadFile(out / "Metrics/SRC0002.met"), "newer");
    EXPECT_EQ(pemtest::ReadFile(out / "Specs/Comp/Mod/prog.spc"), "spec");
    ASSERT_EQ(renamer.Warnings.size(), 1u);
    EXPECT_EQ(renamer.Warnings[0],
              "Result Metrics/SRC0002.met keeps its name: Comp/Mod/prog.met was given to another result of this run");
}

// A folder link is never followed, whether it leads out of the result
// folder or to a folder inside it.
TEST(RenameResultFolder, AFolderLinkInTheResultFolderIsNotFollowed) {
    for (const bool inside : {false, true}) {
        SCOPED_TRACE(inside ? "a link inside the result folder" : "a link out of the result folder");
        pemtest::TempDir out, elsewhere;
        const std::string target = inside ? out / "Metrics/Other" : elsewhere.Path();
        pemtest::WriteFile(target + "/prog.met", "the user's");
        pemtest::WriteFile(out / "Metrics/SRC0001.met", "result");
        fs::create_symlink(target, out / "Metrics/Billing");
        TInputTreeEntries entries;
        entries.AddLine("SRC0001=Billing/prog.cbl");
        TResultRenamer renamer({&entries, 99, 0, false});
        EXPECT_EQ(renamer.RenameFolder(out.Path(), "Metrics"), 0);
        EXPECT_EQ(pemtest::ReadFile(target + "/prog.met"), "the user's");
        EXPECT_EQ(pemtest::ReadFile(out / "Metrics/SRC0001.met"), "result");
        ASSERT_EQ(renamer.Warnings.size(), 1u);
        EXPECT_EQ(renamer.Warnings[0],
                  "Result Metrics/SRC0001.met keeps its name: the folder of Billing/prog.met is a link");
    }
}
