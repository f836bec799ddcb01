// The source-file list: its order, adding by dialog and by tree, and the
// changes of ticks.
#include "SourceFileList.h"

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
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4}));
}

TEST(SourceFileListTest, StoppedTreePassKeepsWhatWasAppended) {
    TSourceFileList l;
    l.Append("/t/a.cbl", false);
    l.Append("/t/c.cbl", false);
    // Sorted: a a b c c; the pass stops before the fourth entry.
    EXPECT_FALSE(l.AddTree({"/t/a.cbl", "/t/b.cbl", "/t/c.cbl"}, [](int pos, int) { return pos < 4; }));
    EXPECT_EQ(Paths(l), (std::vector<std::string>{"/t/a.cbl", "/t/b.cbl", "/t/c.cbl", "/t/c.cbl"}));
    EXPECT_EQ(Ticks(l), "YYNY");
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
