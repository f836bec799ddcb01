#include "SharedRoutinesCommon.h"
#include "StringsTestTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace pem;
using S = std::string;

TEST(SharedStrings, CuttingAroundASeparator) {
    const CallRow<S> rows[] = {
        ROW(StrBeforeFirst("a/b/c", "/"), "a"),
        ROW(StrBeforeLast("a/b/c", "/"), "a/b"),
        ROW(StrAfterFirst("a/b/c", "/"), "b/c"),
        ROW(StrAfterLast("a/b/c", "/"), "c"),
        ROW(StrBeforeFirst("/", "a/b"), "/"),
        ROW(StrBeforeFirst("x::y::z", "::"), "x"),
        ROW(StrBeforeLast("x::y::z", "::"), "x::y"),
        ROW(StrAfterFirst("x::y::z", "::"), "y::z"),
        ROW(StrAfterLast("x::y::z", "::"), "z"),
        ROW(StrBeforeFirst("a/b", "-"), "a/b"),   // absent
        ROW(StrBeforeLast("a/b", "-"), "a/b"),
        ROW(StrAfterFirst("a/b", "-"), ""),
        ROW(StrAfterLast("a/b", "-"), ""),
        ROW(StrBeforeFirst("a/b", ""), "a/b"),    // empty separator
        ROW(StrBeforeLast("a/b", ""), "a/b"),
        ROW(StrAfterFirst("a/b", ""), ""),
        ROW(StrAfterLast("a/b", ""), ""),
        ROW(StrBeforeFirst("aXbxc", "x"), "aXb"), // case-sensitive
        ROW(StrAfterFirst("aXbxc", "x"), "c"),
        ROW(StrAfterLast("a=", "="), ""),
    };
    CheckRows(rows);

    const CallRow<bool> starts[] = {
        ROW(StartsWithStr("ab", "abc"), true),
        ROW(StartsWithStr("abc", "ab"), false),
        ROW(StartsWithStr("", "x"), true),
        ROW(StartsWithStr("", ""), true),
        ROW(StartsWithStr("AB", "abc"), false),
        ROW(StartsWithText("AB", "abc"), true),
        ROW(StartsWithText("abc", "AB"), false),
        ROW(StartsWithText("\xC9", "\xE9x"), false),
    };
    CheckRows(starts);
}

TEST(SharedStrings, CaseAndLettering) {
    const CallRow<S> rows[] = {
        ROW(CapitalizeFirst("hELLO wORLD"), "Hello world"),
        ROW(CapitalizeFirst(""), ""),
        ROW(CapitalizeFirst("\xE9T\xC9"), "\xC9t\xE9"),
        ROW(CapitalizeWords("hello-world_foo bar"), "Hello-World_Foo Bar"),
        ROW(CapitalizeWords("JOHN o'NEIL,a.b"), "John O'neil,A.B"),
        ROW(CapitalizeWords("\xE9" "cole \xE9T\xC9"), "\xC9" "cole \xC9t\xE9"),
        ROW(CapitalizeWords("a  b"), "A  B"),
        ROW(CapitalizeWords(""), ""),
        ROW(SpaceOutLetters("ab"), "a  b  "),
        ROW(SpaceOutLetters(""), ""),
    };
    CheckRows(rows);
}

namespace {

TStringList ListOf(std::initializer_list<std::string> items) {
    TStringList l;
    for (const auto& s : items) l.Add(s);
    return l;
}

std::vector<std::string> Strings(const TStringList& l) {
    std::vector<std::string> r;
    for (const auto& it : l) r.push_back(it.s);
    return r;
}

} // namespace

TEST(SharedStrings, SortStringsByNameMovesObjectsWithStrings) {
    TStringList l;
    for (const char* s : {"delta=4", "Alpha=1", "charlie=3", "bravo=2"})
        l.AddObject(s, std::make_shared<std::string>(s));
    int calls = 0;
    SortStringsByName(l, [&] { ++calls; });
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"Alpha=1", "bravo=2", "charlie=3", "delta=4"}));
    for (int i = 0; i < l.Count(); ++i)
        EXPECT_EQ(*std::static_pointer_cast<std::string>(l.Objects(i)), l[i]);
    EXPECT_GT(calls, 0);

    // By name: "a" sorts before "a-x" although "a-x=1" < "a=2" as whole strings.
    TStringList byName = ListOf({"a-x=1", "B=3", "a=2"});
    SortStringsByName(byName);
    EXPECT_EQ(Strings(byName), (std::vector<std::string>{"a=2", "a-x=1", "B=3"}));
    TStringList whole = ListOf({"a=2", "B=3", "a-x=1"});
    QuickSortStrings(whole, 0, 2, {}, false);
    EXPECT_EQ(Strings(whole), (std::vector<std::string>{"a-x=1", "a=2", "B=3"}));

    // Code-page folding: an accented capital sorts with its small letter.
    TStringList accents = ListOf({"\xE9z=1", "f=2", "\xC9" "a=3", "e=4"});
    SortStringsByName(accents);
    EXPECT_EQ(Strings(accents),
              (std::vector<std::string>{"e=4", "f=2", "\xC9" "a=3", "\xE9z=1"}));

    TStringList empty, one = ListOf({"x=1"});
    SortStringsByName(empty, [&] { ADD_FAILURE(); });
    SortStringsByName(one, [&] { ADD_FAILURE(); });
    EXPECT_EQ(one[0], "x=1");
}

TEST(SharedStrings, QuickSortStringsSortsOnlyItsRange) {
    TStringList l = ListOf({"d", "c", "b", "a"});
    QuickSortStrings(l, 1, 2, {}, false);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"d", "b", "c", "a"}));
}

TEST(SharedStrings, SortsLargeListsAndFindsEveryName) {
    std::mt19937 rng(7);
    TStringList l;
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) {
        std::string name;
        for (int k = 0, n = 1 + static_cast<int>(rng() % 6); k < n; ++k)
            name += static_cast<char>((rng() % 2 ? 'a' : 'A') + rng() % 5);
        names.push_back(name);
        l.AddObject(name + "=" + std::to_string(i), std::make_shared<int>(i));
    }
    SortStringsByName(l);
    for (int i = 0; i < l.Count(); ++i) {
        const std::string& s = l[i];
        const int n = std::stoi(StrAfterFirst(s, "="));
        EXPECT_EQ(*std::static_pointer_cast<int>(l.Objects(i)), n);
        if (i) EXPECT_LE(AnsiCompareText(StrBeforeFirst(l[i - 1], "="), StrBeforeFirst(s, "=")), 0);
    }
    for (const auto& name : names) {
        const int i = FindNameSorted(l, name);
        ASSERT_GE(i, 0) << name;
        EXPECT_TRUE(SameText(StrBeforeFirst(l[i], "="), name)) << name;
        if (i) EXPECT_NE(StrBeforeFirst(l[i - 1], "="), StrBeforeFirst(l[i], "=")) << name;
    }
}

TEST(SharedStrings, FindNameSorted) {
    const TStringList l = ListOf({"a=1", "b=1", "b=2", "c=1"});
    const TStringList many = ListOf({"a=0", "k=1", "k=2", "k=3", "k=4", "k=5", "k=6", "z=0"});
    // Equal names in other case: the search steps back over exact matches only.
    const TStringList mixed = ListOf({"B=1", "b=2", "c=1"});
    const TStringList none;
    const CallRow<int> rows[] = {
        ROW(FindNameSorted(l, "b"), 1),
        ROW(FindNameSorted(l, "B"), 1),
        ROW(FindNameSorted(l, "a"), 0),
        ROW(FindNameSorted(l, "c"), 3),
        ROW(FindNameSorted(l, "bb"), -1),
        ROW(FindNameSorted(l, "0"), -1),
        ROW(FindNameSorted(l, "d"), -1),
        ROW(FindNameSorted(many, "k"), 1),
        ROW(FindNameSorted(mixed, "b"), 1),
        ROW(FindNameSorted(none, "a"), -1),
    };
    CheckRows(rows);
}

TEST(SharedStrings, TempFilePathLivesInThePrivateFolder) {
    const std::string dir = PrivateTempDir();
    EXPECT_EQ(PrivateTempDir(), dir);
    EXPECT_EQ(TempFilePath("temprtf.rtf"), dir + "/temprtf.rtf");
    EXPECT_EQ(dir.front(), '/');
    struct stat st {};
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// Run in a child process by the test below, with $TMPDIR set to a fresh
// folder: the private folder is made inside it.
TEST(TempFolderChild, MadeUnderTmpdir) {
    const char* tmpdir = std::getenv("PEM_TEMPDIR_CHECK");
    if (tmpdir == nullptr) GTEST_SKIP() << "runs only as the child of PrivateTempDirUnderTmpdir";
    const std::string dir = PrivateTempDir();
    EXPECT_EQ(std::filesystem::path(dir).parent_path(), std::filesystem::path(tmpdir));
    EXPECT_EQ(TempFilePath("x.tmp"), dir + "/x.tmp");
}

// $TMPDIR chooses the parent; the folder is private to the process and goes
// away at exit when nothing was left in it.
TEST(SharedStrings, PrivateTempDirUnderTmpdirRemovedAtExit) {
    namespace fs = std::filesystem;
    const std::string base = PrivateTempDir() + "/base";
    ASSERT_TRUE(fs::create_directory(base));
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string tmpdirEnv = "TMPDIR=" + base;
    const std::string checkEnv = "PEM_TEMPDIR_CHECK=" + base;
    const std::string filter = "--gtest_filter=TempFolderChild.MadeUnderTmpdir";
    char* argv[] = {const_cast<char*>(self.c_str()), const_cast<char*>(filter.c_str()), nullptr};
    char* envp[] = {const_cast<char*>(tmpdirEnv.c_str()), const_cast<char*>(checkEnv.c_str()),
                    nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(fs::is_empty(base));  // the child's folder went away at its exit
    fs::remove_all(base);
}
