#include "CharSet1252.h"
#include "SharedRoutinesFiles.h"
#include "StringList.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace pem;

namespace {

const std::string kTree = std::string(FIXTURES_DIR) + "/files/tree";

// The found paths relative to root, in the order found.
std::vector<std::string> Relative(const TStringList& list, const std::string& root) {
    std::vector<std::string> out;
    for (const auto& item : list) {
        EXPECT_EQ(item.s.rfind(root + "/", 0), 0u) << item.s;
        out.push_back(item.s.substr(root.size() + 1));
    }
    return out;
}

std::vector<std::string> Find(const std::string& extensions) {
    TStringList list;
    FindFilesRecursive(kTree, "", extensions, list);
    return Relative(list, kTree);
}

std::vector<std::string> Search(const std::string& mask, int depth, const std::string& extensions = "*.*;") {
    TStringList list;
    SearchFilesInTree(kTree, "", mask, depth, list, extensions);
    return Relative(list, kTree);
}

using Names = std::vector<std::string>;

const std::string kCafe = "sub1/caf\xE9.xml";  // 8-bit form of the UTF-8 name on disk

} // namespace

// Each folder's entries come in byte order of their names with the results of
// a sub-folder where the folder's name sorts: "Zeta" before "a.XML".
TEST(FileSearch, ExtensionListsFindFilesInByteOrderAtAnyDepth) {
    struct Case {
        std::string extensions;
        Names expected;
    };
    const Case cases[] = {
        {".xml;", {"Zeta/z.xml", "a.XML", "last.xml", "sub1/b.xml", kCafe, "sub1/deeper/d.xml"}},
        // A single entry may come without its ";", and case is ignored.
        {".XML", {"Zeta/z.xml", "a.XML", "last.xml", "sub1/b.xml", kCafe, "sub1/deeper/d.xml"}},
        {".;", {"README", "sub1/deeper/NOEXT"}},
        {".txt;.;", {"Module Ranking.txt", "README", "sub1/deeper/NOEXT", "sub1/deeper/lastlog.txt"}},
        {"*.*;",
         {"Module Ranking.txt", "README", "Zeta/z.xml", "a.XML", "last.xml", "lastbatch.cmd", "sub1/b.xml",
          "sub1/c.xml.bak", kCafe, "sub1/deeper/NOEXT", "sub1/deeper/d.xml", "sub1/deeper/lastlog.txt",
          "sub1/note.ml"}},
        // An extension must be a whole entry of the list: ".ml" is not ".xml".
        {".ml;", {"sub1/note.ml"}},
        {".bak;", {"sub1/c.xml.bak"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Find(c.extensions), c.expected) << c.extensions;
}

TEST(FileSearch, NameMasksAndDepths) {
    struct Case {
        std::string mask;
        int depth;
        std::string extensions;
        Names expected;
    };
    const Case cases[] = {
        {"last*", 1, "*.*;", {"last.xml", "lastbatch.cmd"}},
        {"last*", 2, "*.*;", {"last.xml", "lastbatch.cmd"}},
        {"last*", 3, "*.*;", {"last.xml", "lastbatch.cmd", "sub1/deeper/lastlog.txt"}},
        {"last*", -1, "*.*;", {"last.xml", "lastbatch.cmd", "sub1/deeper/lastlog.txt"}},
        {"last*", 0, "*.*;", {}},
        {"LAST*", -1, ".xml;", {"last.xml"}},
        {"module ranking.txt", -1, "*.*;", {"Module Ranking.txt"}},
        {"Module Ranking", 1, "*.*;", {"Module Ranking.txt"}},
        {"*log", -1, "*.*;", {"sub1/deeper/lastlog.txt"}},
        {"*AST*", -1, "*.*;", {"last.xml", "lastbatch.cmd", "sub1/deeper/lastlog.txt"}},
        {"*", 1, ".xml;", {"a.XML", "last.xml"}},
        {"?", -1, ".xml;", {"Zeta/z.xml", "a.XML", "sub1/b.xml", "sub1/deeper/d.xml"}},
        {"?ast*", -1, "*.*;", {"last.xml", "lastbatch.cmd", "sub1/deeper/lastlog.txt"}},
        {"nothing*", -1, "*.*;", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Search(c.mask, c.depth, c.extensions), c.expected) << c.mask << " depth " << c.depth;
}

TEST(FileSearch, SubFolderIsSearchedBelowTheBaseAndListIsAppended) {
    TStringList list;
    list.Add("kept");
    SearchFilesInTree(kTree + "/", "sub1", "", 1, list, ".xml");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "kept");
    EXPECT_EQ(list[1], kTree + "/sub1/b.xml");
    EXPECT_EQ(list[2], kTree + "/" + kCafe);
}

TEST(FileSearch, MissingFolderFindsNothing) {
    TStringList list;
    FindFilesRecursive(kTree + "/no such folder", "", "*.*;", list);
    EXPECT_EQ(list.Count(), 0);
}

// A link to a folder is not followed, so a cycle of links ends; a link to a
// file is found like the file; broken links and hidden names are skipped.
TEST(FileSearch, SymbolicLinkCycleIsNotFollowed) {
    pemtest::TempDir dir;
    namespace fs = std::filesystem;
    pemtest::WriteFile(dir / "f.xml", "f");
    pemtest::WriteFile(dir / "sub/g.xml", "g");
    fs::create_directory_symlink("..", dir / "sub/loop");
    fs::create_directory_symlink(dir.Path(), dir / "sub/abs");
    fs::create_symlink("sub/g.xml", dir / "link.xml");
    fs::create_symlink("missing.xml", dir / "broken.xml");
    pemtest::WriteFile(dir / ".h/x.xml", "x");

    TStringList list;
    FindFilesRecursive(dir.Path(), "", ".xml;", list);
    EXPECT_EQ(Relative(list, dir.Path()), (Names{"f.xml", "link.xml", "sub/g.xml"}));
}

// The base folder itself may be reached through a link.
TEST(FileSearch, BaseFolderGivenAsLinkIsSearched) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "real/a.xml", "a");
    std::filesystem::create_directory_symlink(dir / "real", dir / "via");
    TStringList list;
    FindFilesRecursive(dir / "via", "", ".xml;", list);
    EXPECT_EQ(Relative(list, dir / "via"), (Names{"a.xml"}));
}

// File names are UTF-8 on disk; a name Windows-1252 cannot hold is skipped,
// the others arrive in 8-bit form.
TEST(FileSearch, NamesOutsideTheCodePageAreSkipped) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "\xE6\x97\xA5\xE6\x9C\xAC.xml", "jp");
    pemtest::WriteFile(dir / "\xE2\x82\xAC uro.xml", "euro");
    pemtest::WriteFile(dir / "\xE6\x97\xA5/inside.xml", "jp folder");
    TStringList list;
    FindFilesRecursive(dir.Path(), "", ".xml;", list);
    EXPECT_EQ(Relative(list, dir.Path()), (Names{"\x80 uro.xml"}));
}

TEST(FileSearch, BaseFolderInCodePageTextReachesUtf8Folder) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "r\xC3\xA9sultats/m.met", "m");
    TStringList list;
    FindFilesRecursive(Utf8ToCp1252(dir.Path()) + "/r\xE9sultats", "", ".met", list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], Utf8ToCp1252(dir.Path()) + "/r\xE9sultats/m.met");
}

TEST(MatchWildMask, DigitsAnyCharactersAndPrefixes) {
    struct Case {
        std::string name, mask;
        bool prefixOnly, expected;
    };
    const Case cases[] = {
        {"A1x", "A#?", false, true},
        {"a9z", "A#?", false, true},
        {"AB1", "A#?", false, false},
        {"A1xyz", "A#?", true, true},
        {"A1xyz", "A#?", false, false},
        {"A1", "A#?", true, false},
        {"A1", "A#?", false, false},
        {"Ax1", "a?#", false, true},
        {"#1", "#?", false, true},
        {"\xE9", "\xC9", false, false},  // only ASCII letters fold
        {"", "", false, true},
        {"x", "", true, true},
        {"x", "", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchWildMask(c.name, c.mask, c.prefixOnly), c.expected)
            << c.name << " / " << c.mask << " / " << c.prefixOnly;
}
