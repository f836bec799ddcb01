// The mask sweep over a folder tree.
#include "ProcessFilesByMask.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

// Every file left below root, relative, sorted.
std::vector<std::string> Left(const std::string& root) {
    std::vector<std::string> out;
    if (!fs::exists(root)) return out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_symlink() && fs::is_directory(it->path())) it.disable_recursion_pending();
        if (!it->is_directory() || it->is_symlink()) out.push_back(fs::relative(it->path(), root).string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(MaskDigits, EveryDigitBecomesAHash) {
    EXPECT_EQ(MaskDigits("SRC0012.met"), "SRC####.met");
    EXPECT_EQ(MaskDigits("abc"), "abc");
    EXPECT_EQ(MaskDigits(""), "");
}

TEST(ProcessFilesByMask, Table) {
    using V = std::vector<std::string>;
    const V tree = {"SRC0001.CBL", "src0002.cbl", "SRCX001.CBL", "LAST0001.XML", "keep.txt",
                    "COMP0001/MOD0001/SRC0003.CBL", "COMP0001/MOD0001/notes.txt", "COMP0001/SRC0004.CBL",
                    ".hidden/SRC0005.CBL", ".SRC0006.CBL", "deep/a/b/SRC0007.CBL"};
    const struct {
        const char* what;
        int depth;
        bool countOnly;
        const char* mask;
        int count;
        V left;
    } cases[] = {
        {"digits and case, three levels", 3, false, "SRC####", 4,
         {".SRC0006.CBL", ".hidden/SRC0005.CBL", "COMP0001/MOD0001/notes.txt", "LAST0001.XML", "SRCX001.CBL",
          "deep/a/b/SRC0007.CBL", "keep.txt"}},
        {"one level", 1, false, "src####", 2,
         {".SRC0006.CBL", ".hidden/SRC0005.CBL", "COMP0001/MOD0001/SRC0003.CBL", "COMP0001/MOD0001/notes.txt",
          "COMP0001/SRC0004.CBL", "LAST0001.XML", "SRCX001.CBL", "deep/a/b/SRC0007.CBL", "keep.txt"}},
        {"count only deletes nothing", 9, true, "SRC####", 5, {}},
        {"depth below 1 does nothing", 0, false, "", 0, {}},
        {"an empty mask takes every file that is not hidden; emptied folders go", 9, false, "", 9,
         {".SRC0006.CBL", ".hidden/SRC0005.CBL"}},
        {"*.* likewise", 2, false, "*.*", 6,
         {".SRC0006.CBL", ".hidden/SRC0005.CBL", "COMP0001/MOD0001/SRC0003.CBL", "COMP0001/MOD0001/notes.txt",
          "deep/a/b/SRC0007.CBL"}},
    };
    for (const auto& c : cases) {
        pemtest::TempDir dir;
        for (const auto& f : tree) pemtest::WriteFile(dir / ("out/" + f), "x");
        const V before = Left(dir / "out");
        EXPECT_EQ(ProcessFilesByMask(dir.Path(), "out", c.depth, c.countOnly, c.mask), c.count) << c.what;
        EXPECT_EQ(Left(dir / "out"), c.left.empty() ? before : c.left) << c.what;
    }
}

TEST(ProcessFilesByMask, EmptiedFoldersGoAndTheFolderItselfWhenEmpty) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "workinp/COMP0001/MOD0001/SRC0001.CBL", "x");
    pemtest::WriteFile(dir / "workinp/COMP0001/MOD0002/SRC0002.CBL", "x");
    fs::create_directories(dir / "workinp/COMP0002/MOD0003");
    EXPECT_EQ(ProcessFilesByMask(dir.Path() + "/", "workinp", 3, false, "SRC####"), 2);
    EXPECT_FALSE(fs::exists(dir / "workinp"));
    EXPECT_EQ(ProcessFilesByMask("", "workinp", 3, false, ""), 0);
    EXPECT_EQ(ProcessFilesByMask(dir / "missing", "", 3, false, ""), 0);
}

TEST(ProcessFilesByMask, FolderLinksAreNotFollowed) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "elsewhere/SRC0001.CBL", "precious");
    pemtest::WriteFile(dir / "out/SRC0002.CBL", "x");
    fs::create_directory_symlink(dir / "elsewhere", dir / "out/link");
    EXPECT_EQ(ProcessFilesByMask(dir / "out", "", 5, false, ""), 1);
    EXPECT_EQ(pemtest::ReadFile(dir / "elsewhere/SRC0001.CBL"), "precious");
    EXPECT_TRUE(fs::is_symlink(dir / "out/link"));
}

TEST(ProcessFilesByMask, TellsWhatItTakesAndSparesTheKeptFiles) {
    pemtest::TempDir dir;
    for (const char* f : {"out/SRC0001.CBL", "out/job.jkvx", "out/COMP0001/SRC0002.CBL"})
        pemtest::WriteFile(dir / f, "x");
    std::vector<std::string> matched;
    TMaskSweep how;
    how.matched = &matched;
    // The kept file however its path is spelt.
    how.keep = {dir / "out/COMP0001/../job.jkvx"};
    EXPECT_EQ(ProcessFilesByMask(dir / "out", "", 3, "", how), 2);
    std::sort(matched.begin(), matched.end());
    EXPECT_EQ(matched, (std::vector<std::string>{dir / "out/COMP0001/SRC0002.CBL", dir / "out/SRC0001.CBL"}));
    EXPECT_EQ(Left(dir / "out"), std::vector<std::string>{"job.jkvx"});
}
