#include "BaseFileUtils.h"
#include "Exceptions.h"
#include "FileFaults.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace pem;
namespace fs = std::filesystem;
using pemtest::ReadFile;
using pemtest::TempDir;
using pemtest::WriteFile;

namespace {

// A pattern that shows a shifted or repeated block.
std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 8192) & 0xFF);
    return s;
}

// The message of the EFileError the call raises, or "" when none.
template <class F>
std::string FileErrorOf(F&& f) {
    try {
        f();
    } catch (const EFileError& e) {
        return e.Message();
    }
    return std::string();
}

using pemtest::ScopedEnv;

} // namespace

// --------------------------------------------------------------- copying

TEST(CopyFileBlocks, CopiesWholeFilesAroundBlockBoundaries) {
    TempDir dir;
    const std::size_t sizes[] = {0, 1, 8191, 8192, 8193, kCopyBlockSize - 1, kCopyBlockSize,
                                 kCopyBlockSize + 1, 3 * kCopyBlockSize};
    for (std::size_t n : sizes) {
        const std::string data = Pattern(n);
        WriteFile(dir / "src.bin", data);
        CopyFileBlocks(dir / "src.bin", dir / "dst.bin");
        EXPECT_EQ(ReadFile(dir / "dst.bin"), data) << n << " bytes";
    }
}

TEST(CopyFileBlocks, OverwritesALongerDestinationAndCopiesIntoFolders) {
    TempDir dir;
    WriteFile(dir / "short.txt", "new");
    WriteFile(dir / "long.txt", "old content that is longer");
    CopyFileBlocks(dir / "short.txt", dir / "long.txt");
    EXPECT_EQ(ReadFile(dir / "long.txt"), "new");

    fs::create_directory(dir / "into");
    CopyFileBlocks(dir / "short.txt", dir / "into");
    EXPECT_EQ(ReadFile(dir / "into/short.txt"), "new");
    CopyFileBlocks(dir / "long.txt", dir / "into/");
    EXPECT_EQ(ReadFile(dir / "into/long.txt"), "new");
    EXPECT_EQ(ReadFile(dir / "short.txt"), "new");
}

TEST(CopyFileBlocks, RelativeDestinationIsTakenFromTheWorkingFolder) {
    TempDir dir;
    WriteFile(dir / "a.txt", "abc");
    const auto old = fs::current_path();
    fs::current_path(dir.Path());
    CopyFileBlocks("a.txt", "./sub/../b.txt");
    fs::current_path(old);
    EXPECT_EQ(ReadFile(dir / "b.txt"), "abc");
}

TEST(CopyFileBlocks, FailuresRaiseFileErrorsNamingTheFile) {
    TempDir dir;
    WriteFile(dir / "a.txt", "abc");
    fs::create_directory(dir / "folder");
    EXPECT_EQ(FileErrorOf([&] { CopyFileBlocks(dir / "missing.txt", dir / "x.txt"); }),
              "Can not open file " + (dir / "missing.txt"));
    EXPECT_EQ(FileErrorOf([&] { CopyFileBlocks(dir / "folder", dir / "x.txt"); }),
              "Can not open file " + (dir / "folder") + ": not a regular file");
    EXPECT_EQ(FileErrorOf([&] { CopyFileBlocks(dir / "a.txt", dir / "no/such/x.txt"); }),
              "Can not create file " + (dir / "no/such/x.txt"));
    EXPECT_FALSE(fs::exists(dir / "x.txt"));
}

// A full disk must not pass for a finished copy.
TEST(CopyFileBlocks, FullDiskRaisesWriteError) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    WriteFile(dir / "a.bin", Pattern(100000));
    EXPECT_EQ(FileErrorOf([&] { CopyFileBlocks(dir / "a.bin", "/dev/full"); }), "Can not write file /dev/full");
}

// Opening the destination would empty the source: refused, data intact,
// whatever name leads to the same file.
TEST(CopyFileBlocks, CopyOntoItselfIsRefusedAndLeavesTheFile) {
    TempDir dir;
    const std::string data = Pattern(20000);
    WriteFile(dir / "a.bin", data);
    fs::create_directory(dir / "sub");
    fs::create_symlink(dir / "a.bin", dir / "link.bin");
    fs::create_hard_link(dir / "a.bin", dir / "hard.bin");
    const std::string sameFiles[] = {dir / "a.bin", dir / "sub/../a.bin", dir / "link.bin", dir / "hard.bin",
                                     dir.Path()};
    for (const auto& dest : sameFiles) {
        EXPECT_EQ(FileErrorOf([&] { CopyFileBlocks(dir / "a.bin", dest); }),
                  "Can not copy file " + (dir / "a.bin") + " onto itself")
            << dest;
        EXPECT_EQ(ReadFile(dir / "a.bin"), data) << dest;
    }
    EXPECT_EQ(FileErrorOf([&] { CopyFileBlocks(dir / "link.bin", dir / "a.bin"); }),
              "Can not copy file " + (dir / "link.bin") + " onto itself");
    EXPECT_EQ(ReadFile(dir / "a.bin"), data);
}

// A FIFO at either end is refused at once: nothing waits for its writer or
// reader, and no destination is made.
TEST(CopyFileBlocks, AFifoAtEitherEndIsRefusedWithoutWaiting) {
    TempDir dir;
    WriteFile(dir / "a.txt", "abc");
    pemtest::FifoPlant source(dir / "in.pipe"), dest(dir / "out.pipe");
    ASSERT_TRUE(source.Made() && dest.Made());
    EXPECT_EQ(FileErrorOf([&] { CopyFileBlocks(dir / "in.pipe", dir / "out.txt"); }),
              "Can not open file " + (dir / "in.pipe") + ": not a regular file");
    EXPECT_EQ(FileErrorOf([&] { CopyFileBlocks(dir / "a.txt", dir / "out.pipe"); }),
              "Can not create file " + (dir / "out.pipe"));
    EXPECT_FALSE(source.Done()) << "the copy waited for a writer";
    EXPECT_FALSE(dest.Done()) << "the copy waited for a reader";
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
}

// ---------------------------------------------------------------- moving

TEST(MoveFileOrCopy, RenamesOrCopiesIntoAFolderAndDeletesTheSource) {
    TempDir dir;
    WriteFile(dir / "a.txt", "A");
    MoveFileOrCopy(dir / "a.txt", dir / "b.txt");
    EXPECT_FALSE(fs::exists(dir / "a.txt"));
    EXPECT_EQ(ReadFile(dir / "b.txt"), "A");

    // Renaming onto an existing folder fails; the copy puts it inside.
    fs::create_directory(dir / "Original");
    MoveFileOrCopy(dir / "b.txt", dir / "Original");
    EXPECT_FALSE(fs::exists(dir / "b.txt"));
    EXPECT_EQ(ReadFile(dir / "Original/b.txt"), "A");
}

TEST(MoveFileOrCopy, MissingOrReadOnlySourceRaisesMoveError) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    EXPECT_EQ(FileErrorOf([&] { MoveFileOrCopy(dir / "missing.txt", dir / "b.txt"); }),
              "Can not move file " + (dir / "missing.txt"));
    WriteFile(dir / "ro.txt", "R");
    ::chmod((dir / "ro.txt").c_str(), 0444);
    EXPECT_EQ(FileErrorOf([&] { MoveFileOrCopy(dir / "ro.txt", dir / "folder"); }),
              "Can not move file " + (dir / "ro.txt"));
    EXPECT_EQ(ReadFile(dir / "ro.txt"), "R");
    EXPECT_FALSE(fs::exists(dir / "folder/ro.txt"));
}

// ----------------------------------------------------- dates, attributes

TEST(FileDateTime, LocalLastWriteTimeAsDaysSince1899) {
    TempDir dir;
    WriteFile(dir / "a.txt", "x");
    std::tm tm{};
    tm.tm_year = 2021 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 4;
    tm.tm_hour = 5;
    tm.tm_min = 6;
    tm.tm_sec = 7;
    tm.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&tm), 0}, {std::mktime(&tm), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "a.txt").c_str(), times, 0), 0);
    EXPECT_NEAR(FileDateTime(dir / "a.txt"), 44259 + (5 * 3600 + 6 * 60 + 7) / 86400.0, 1e-9);
    EXPECT_EQ(FileDateTime(dir / "missing.txt"), 0);
}

TEST(FileHasAttribute, AttributesOfFilesAndFolders) {
    TempDir dir;
    WriteFile(dir / "plain.txt", "p");
    WriteFile(dir / ".hidden", "h");
    WriteFile(dir / "ro.txt", "r");
    ::chmod((dir / "ro.txt").c_str(), 0444);
    fs::create_directory(dir / "folder");
    struct Case {
        std::string name;
        int attributes;
        bool expected;
    };
    const Case cases[] = {
        {dir / "plain.txt", kFileAttrArchive, true},
        {dir / "plain.txt", kFileAttrDirectory | kFileAttrReadOnly | kFileAttrHidden, false},
        {dir / "folder", kFileAttrDirectory, true},
        {dir / "folder", kFileAttrArchive, false},
        {dir / ".hidden", kFileAttrHidden, true},
        {dir / "ro.txt", kFileAttrReadOnly, true},
        {dir / "ro.txt", kFileAttrHidden | kFileAttrReadOnly, true},
        {"/dev/null", kFileAttrSysFile, true},
        {dir / "missing", 0xFF, false},
    };
    for (const auto& c : cases) EXPECT_EQ(FileHasAttribute(c.name, c.attributes), c.expected) << c.name;
}

// ----------------------------------------------------------------- paths

TEST(PathRoutines, DrivesAbsolutePathsAndTrailingSeparators) {
    struct Case {
        std::string path;
        bool drive, absolute;
    };
    const Case cases[] = {
        {"C:", true, true},         {"c:\\x", true, true}, {"1:", false, false}, {"C", false, false},
        {"", false, false},         {":C", false, false},  {"\xE9:", false, false}, {"/x", false, true},
        {"\\x", false, true},       {"x/y", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PathHasDrive(c.path), c.drive) << c.path;
        EXPECT_EQ(PathIsAbsolute(c.path), c.absolute) << c.path;
    }

    struct Trail {
        std::string path;
        char separator;
        std::string expected;
    };
    const Trail trails[] = {
        {"a", '/', "a/"}, {"a/", '/', "a/"}, {"a\\", '/', "a\\/"}, {"a/", '\\', "a/\\"}, {"", '/', ""},
    };
    for (const auto& t : trails) EXPECT_EQ(IncludeTrailingSeparator(t.path, t.separator), t.expected) << t.path;
}

TEST(PathRoutines, NormalizePath) {
    struct Case {
        std::string path;
        char separator;
        std::string expected;
    };
    const Case cases[] = {
        {"C:\\a\\b\\..\\c\\.\\d", '\\', "C:\\a\\c\\d"},
        {".\\x\\", '\\', "x\\"},
        {"C:\\..\\x", '\\', "C:\\x"},
        {"C:\\..", '\\', "C:"},
        {"/a/b/../c/./d", '/', "/a/c/d"},
        {"a/./././b", '/', "a/b"},
        {"a/b/../../c", '/', "c"},
        {"a/../../c", '/', "../c"},
        {"/../x", '/', "/x"},
        {"/../../x", '/', "/x"},
        {"\\..", '\\', ""},
        {"/..", '/', ""},
        {"x/..", '/', ""},
        {"a/.", '/', "a"},
        {"./", '/', ""},
        {".", '/', ""},
        {"a.", '/', "a"},
        {"a..", '/', "a.."},
        {"a/", '/', "a/"},
        {"C:/../x", '/', "C:/x"},
        // ".." parts are only found at the given separator.
        {"a\\b\\..\\c", '/', "a\\b\\..\\c"},
        {"\\\\srv\\share\\..\\x", '\\', "\\\\srv\\x"},
        {"", '/', ""},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizePath(c.path, c.separator), c.expected) << c.path;
}

TEST(PathRoutines, ExpandRelativePath) {
    struct Case {
        std::string relative, base;
        char separator;
        std::string expected;
    };
    const Case cases[] = {
        {"x/y", "/base", '/', "/base/x/y"},
        {"../c", "/a/b", '/', "/a/c"},
        {"./c", "/a/b/", '/', "/a/b/c"},
        {"/abs/./p", "/base", '/', "/abs/p"},
        {"", "/base/./q", '/', "/base/q"},
        {"C:\\w\\..\\v", "D:\\base", '\\', "C:\\v"},
        {"sub\\f", "D:\\base\\", '\\', "D:\\base\\sub\\f"},
        {"..\\..\\f", "D:\\base", '\\', "D:\\f"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandRelativePath(c.relative, c.base, c.separator), c.expected) << c.relative << " in " << c.base;
}

// ----------------------------------------------------------- environment

TEST(GetMyDocumentsDir, XdgDocumentsFolderWhenItExistsElseHome) {
    TempDir dir;
    ScopedEnv home("HOME", dir.Path());
    ScopedEnv config("XDG_CONFIG_HOME", dir / "cfg");
    WriteFile(dir / "cfg/user-dirs.dirs", "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    EXPECT_EQ(GetMyDocumentsDir(), dir.Path());  // Docs does not exist yet
    fs::create_directory(dir / "Docs");
    EXPECT_EQ(GetMyDocumentsDir(), dir / "Docs");
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_FALSE(GetMyDocumentsDir().empty());  // the account's home
}

TEST(ExpandEnvVars, AllThreeFormsAndUnsetNamesStay) {
    ScopedEnv a("PEM_TEST_A", std::string("alpha"));
    ScopedEnv b("PEM_TEST_B", std::string("caf\xC3\xA9"));
    ScopedEnv none("PEM_TEST_NONE", std::nullopt);
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"$PEM_TEST_A/x", "alpha/x"},
        {"${PEM_TEST_A}x", "alphax"},
        {"%PEM_TEST_A%\\x", "alpha\\x"},
        {"$PEM_TEST_Ax", "$PEM_TEST_Ax"},
        {"$PEM_TEST_NONE", "$PEM_TEST_NONE"},
        {"${PEM_TEST_NONE}", "${PEM_TEST_NONE}"},
        {"%PEM_TEST_NONE%", "%PEM_TEST_NONE%"},
        {"%PEM_TEST_NONE%PEM_TEST_A%", "%PEM_TEST_NONEalpha"},
        {"$PEM_TEST_B", "caf\xE9"},
        {"100% $ %% ${PEM_TEST_A", "100% $ %% ${PEM_TEST_A"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandEnvVars(c.text), c.expected) << c.text;
}

TEST(GetShortPath, ThePathItselfWhenItExists) {
    TempDir dir;
    WriteFile(dir / "long name.txt", "x");
    EXPECT_EQ(GetShortPath(dir / "long name.txt"), dir / "long name.txt");
    EXPECT_EQ(GetShortPath(dir.Path()), dir.Path());
    EXPECT_EQ(GetShortPath(dir / "missing"), "");
}

TEST(FileExistence, EightBitNamesAndTrailingSeparators) {
    pemtest::TempDir dir;
    const std::string folder = dir / "caf\xE9";  // Windows-1252 name, UTF-8 on disk
    EXPECT_FALSE(pem::DirectoryExists(folder));
    EXPECT_TRUE(pem::ForceDirectories(folder + "/sub"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "caf\xC3\xA9/sub"));
    EXPECT_TRUE(pem::DirectoryExists(folder));
    EXPECT_FALSE(pem::FileExists(folder));
    pemtest::WriteFile(dir / "caf\xC3\xA9/f.txt", "x");
    EXPECT_TRUE(pem::FileExists(folder + "/f.txt"));
    EXPECT_FALSE(pem::FileExists(""));
    EXPECT_FALSE(pem::ForceDirectories(""));
    EXPECT_EQ(pem::ExcludeTrailingSeparator("/a/b//", '/'), "/a/b");
    EXPECT_EQ(pem::ExcludeTrailingSeparator("/", '/'), "/");
}
