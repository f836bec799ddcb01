// The source-file list: its order, adding by dialog and by tree, and the
// changes of ticks.
#include "SourceFileList.h"
#include "SourceTree.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include <gtest/gtest.h>

using namespace pem;

namespace {

std::vector<std::string> Paths(const TSourceFileList& l) {
    std::vector<std::string> p;
    for (const auto& f : l.Items()) p.push_back(f.path);
    return p;
}
std::string Ticks(const TSourceFileList& l) {
    std::string t;
    for (const auto& f : l.Items()) t += f.checked ? 'Y' : 'N';
    return t;
}

} // namespace

TEST(SourceFileListTest, OrderFoldsCaseKeepsBlanksAndPutsEqualPathsTogether) {
    TSourceFileList l;
    // Appended out of order; the list sorts itself once when read.
    for (const char* p : {"/s/b.cbl", "/s/B.cbl", "/s/a b.cbl", "/s/ab.cbl", "/s/\xC9t.cbl", "/s/\xE9t.cbl",
                          "/s/A.cbl", "/s/b.cbl"})
        l.Append(p, false);
    // A blank sorts before "." and letters; case folds, then "A" before "a".
    const std::vector<std::string> want = {"/s/a b.cbl",   "/s/A.cbl",     "/s/ab.cbl", "/s/B.cbl",
                                           "/s/b.cbl",     "/s/b.cbl",     "/s/\xC9t.cbl", "/s/\xE9t.cbl"};
    EXPECT_EQ(Paths(l), want);
    EXPECT_EQ(l.IndexOf("/s/B.cbl"), 3);
    EXPECT_EQ(l.IndexOf("/s/b.CBL"), -1); // letter case makes another file
    EXPECT_EQ(l.IndexOf("/s/\xE9t.cbl"), 7);
}

TEST(SourceFileListTest, AddingByDialogSkipsWhatIsListedAndKeepsCaseVariants) {
    TSourceFileList l;
    l.Append("/s/a.cbl", false);
    const int added = l.AddNew({"/s/c.cbl", "/s/a.cbl", "/s/A.cbl", "/s/c.cbl"});
    EXPECT_EQ(added, 2);
    EXPECT_EQ(Paths(l), (std::vector<std::string>{"/s/A.cbl", "/s/a.cbl", "/s/c.cbl"}));
    EXPECT_EQ(Ticks(l), "YNY"); // the listed file keeps its tick

    // A few paths added to a long list: the same rules.
    TSourceFileList longer;
    for (int i = 0; i < 200; ++i) longer.Append("/s/m" + std::to_string(1000 + i) + ".cbl", false);
    EXPECT_EQ(longer.AddNew({"/s/m1100.cbl", "/s/M1100.cbl", "/s/new.cbl", "/s/new.cbl"}), 2);
    EXPECT_EQ(longer.Count(), 202);
    EXPECT_FALSE(longer.Checked(longer.IndexOf("/s/m1100.cbl")));
    EXPECT_TRUE(longer.Checked(longer.IndexOf("/s/M1100.cbl")));
    EXPECT_TRUE(longer.Checked(longer.IndexOf("/s/new.cbl")));
    EXPECT_EQ(longer.AddNew({}), 0);
}

TEST(SourceFileListTest, TreeOnAnEmptyListTakesEverythingTicked) {
    TSourceFileList l;
    EXPECT_TRUE(l.AddTree({"/t/z.cbl", "/t/a.cbl"}));
    EXPECT_EQ(Paths(l), (std::vector<std::string>{"/t/a.cbl", "/t/z.cbl"}));
    EXPECT_EQ(Ticks(l), "YY");
}

TEST(SourceFileListTest, TreeAddedAgainLeavesOneItemTickedAndKeepsItsEnabledState) {
    TSourceFileList l;
    l.Append("/t/a.cbl", false, false);
    l.Append("/t/m.cbl", false);
    std::vector<int> positions;
    EXPECT_TRUE(l.AddTree({"/t/a.cbl", "/t/b.cbl"}, [&](int pos, int max) {
        positions.push_back(pos);
        EXPECT_EQ(max, 4);
        return true;
    }));
    EXPECT_EQ(Paths(l), (std::vector<std::string>{"/t/a.cbl", "/t/b.cbl", "/t/m.cbl"}));
    EXPECT_EQ(Ticks(l), "YYN");
    EXPECT_FALSE(l.Enabled(0)); // the listed entry stays; the structure decides again
    EXPECT_EQ(positions, (std::vector<int>{1}));
}

TEST(SourceFileListTest, SortedTreeMergesIntoTheList) {
    TSourceFileList l;
    l.Append("/t/b.cbl", false);
    l.Append("/t/d.cbl", false);
    EXPECT_TRUE(l.AddTree({"/t/a.cbl", "/t/b.cbl", "/t/c.cbl"}, {}, true));
    EXPECT_EQ(Paths(l), (std::vector<std::string>{"/t/a.cbl", "/t/b.cbl", "/t/c.cbl", "/t/d.cbl"}));
    EXPECT_EQ(Ticks(l), "YYYN");
}

TEST(SourceFileListTest, StoppedTreePassKeepsWhatWasAppended) {
    TSourceFileList l;
    l.Append("/t/a.cbl", false);
    l.Append("/t/c.cbl", false);
    std::vector<std::string> tree = {"/t/a.cbl", "/t/b.cbl", "/t/c.cbl"};
    // Sorted: a a b c c ... ; the pass stops at position 257, so the pairs
    // after it keep their duplicates.
    for (int i = 0; i < 300; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/t/d%03d.cbl", i);
        l.Append(name, false);
        tree.push_back(name);
    }
    EXPECT_FALSE(l.AddTree(tree, [](int pos, int) { return pos < 257; }));
    const auto& items = l.Items();
    EXPECT_EQ(items[0].path, "/t/a.cbl");
    EXPECT_EQ(items[1].path, "/t/b.cbl");
    EXPECT_EQ(items[0].checked, true);
    // 256 entries passed: a a b c c and d000 ... d125 pairs; d126 on stay doubled.
    EXPECT_EQ(l.Count(), 3 + 300 + (300 - 126) + 1);
}

TEST(SourceFileListTest, TickChanges) {
    TSourceFileList l;
    for (const char* p : {"/r/c1/m/a", "/r/c1/m/b", "/r/c2/m/c", "/r/c10/d"}) l.Append(p, false);
    l.CheckPrefix("/r/c1/", true);
    EXPECT_EQ(Ticks(l), "YYNN"); // order: c1/m/a c1/m/b c10/d c2/m/c
    l.InvertChecks();
    EXPECT_EQ(Ticks(l), "NNYY");
    EXPECT_EQ(l.CheckedCount(), 2);
    EXPECT_EQ(l.RemoveUnchecked(), 2);
    EXPECT_EQ(Paths(l), (std::vector<std::string>{"/r/c10/d", "/r/c2/m/c"}));
    l.CheckAll(false);
    EXPECT_EQ(Ticks(l), "NN");
}

TEST(SourceFileListTest, TreeSortGivesTheListsOrder) {
    std::vector<std::string> paths = {"/t/B_x.cbl", "/t/b.cbl", "/t/A.cbl", "/t/a/z.cbl", "/t/a.cbl", "/t/_a.cbl",
                                      "/t/\xC9.cbl", "/t/\xE9.cbl", "/t/B.cbl", "/t/a b.cbl", "/t/A.cbl"};
    std::vector<std::string> want = paths;
    std::sort(want.begin(), want.end(),
              [](const std::string& a, const std::string& b) { return CompareSourcePaths(a, b) < 0; });
    SortSourcePaths(paths);
    EXPECT_EQ(paths, want);
    SortSourcePaths(paths); // already in order: unchanged
    EXPECT_EQ(paths, want);
}

TEST(SourceFileListTest, LongShuffledListTakesTheStableOrderOfThePathComparison) {
    // Paths that fold alike, differ only in case, carry blanks and 8-bit
    // letters, and share prefixes longer than any short key, each drawn many
    // times; every entry is told apart by its original position.
    const std::vector<std::string> dirs = {"/p/", "/P/", "/p/a b/", "/p/ab/", "/p/\xC9t\xE9/", "/p/\xE9t\xE9/",
                                           "/p/deep/deeper/deepest/and/further/down/than/a/key/reaches/",
                                           "/p/deep/deeper/deepest/and/further/down/than/a/key/Reaches/"};
    const std::vector<std::string> names = {"x.cbl", "X.cbl", "x .cbl", "x_.cbl", "x", "", "Mod01.COB", "mod01.cob",
                                            "\xC6.cbl", "\xE6.cbl"};
    std::mt19937 random(7);
    std::vector<TSourceFile> items;
    for (int i = 0; i < 20000; ++i) {
        TSourceFile f;
        f.path = dirs[random() % dirs.size()] + names[random() % names.size()] + std::to_string(random() % 40);
        f.checked = random() % 2 != 0;
        f.structureRow = i;
        items.push_back(f);
    }
    std::vector<TSourceFile> want = items;
    std::stable_sort(want.begin(), want.end(), [](const TSourceFile& a, const TSourceFile& b) {
        return CompareSourcePaths(a.path, b.path) < 0;
    });
    auto same = [&want](const TSourceFileList& l) {
        if (l.Count() != static_cast<int>(want.size())) return false;
        for (int i = 0; i < l.Count(); ++i)
            if (l.Path(i) != want[i].path || l.StructureRow(i) != want[i].structureRow ||
                l.Checked(i) != want[i].checked)
                return false;
        return true;
    };

    TSourceFileList assigned;
    assigned.Assign(items);
    EXPECT_TRUE(same(assigned));

    // Appended one by one, as a job file's lines come in, the list read
    // once in between: the later half is sorted on its own and merged in
    // after the entries already listed, which gives the same order.
    TSourceFileList appended;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i == items.size() / 2) appended.Items();
        appended.Append(items[i].path, items[i].checked);
    }
    std::string got, expected;
    for (const auto& f : appended.Items()) got += f.path + (f.checked ? "+\n" : "-\n");
    for (const auto& f : want) expected += f.path + (f.checked ? "+\n" : "-\n");
    EXPECT_EQ(got, expected);
}
