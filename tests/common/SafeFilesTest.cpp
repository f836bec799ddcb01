// Reading only regular files, and replacing files in one step: odd kinds of
// file, a full disk, links, permissions, protected files and folders, and the
// temporary files a killed save leaves behind.
#include "Exceptions.h"
#include "FileFaults.h"
#include "SafeFiles.h"
#include "StringList.h"
#include "TestSupport.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pem;
using pemtest::ReadFile;
using pemtest::TempDir;
using pemtest::WriteFile;
namespace fs = std::filesystem;

namespace {

template <class F>
std::string FileErrorOf(F&& f) {
    return pemtest::MessageOf<EFileError>(f);
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

int EntriesIn(const std::string& dir) {
    return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// A writer as ReplaceFileAtomically wants one: the text and a line end
// written straight into the file it is given, EFileError when that fails.
void WriteBy(const std::string& text, const std::string& file) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) throw EFileError("Can not create file " + file);
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fputc('\n', f) == '\n';
    if (std::fclose(f) != 0 || !ok) throw EFileError("Can not write file " + file);
}

// ------------------------------------------------------------------ reading

// Every odd kind of file is refused at once: nothing waits for a writer of a
// FIFO, nothing reads /dev/zero until memory runs out. (The test's ctest
// timeout guards against a hang.)
TEST(ReadRegularFile, OddKindsAreRefusedWithoutReadingThem) {
    TempDir dir;
    WriteFile(dir / "plain.txt", "a\r\nb\n");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero");
    fs::create_directory(dir / "folder");
    WriteFile(dir / "big", "");
    fs::resize_file(dir / "big", 1001);

    struct Case {
        std::string path;
        TReadStatus status;
        std::string message;
    };
    const Case cases[] = {
        {dir / "plain.txt", TReadStatus::Ok, ""},
        {dir / "fifo", TReadStatus::NotRegular, "Can not open file " + (dir / "fifo") + ": not a regular file"},
        {dir / "zero", TReadStatus::NotRegular, "Can not open file " + (dir / "zero") + ": not a regular file"},
        {dir / "folder", TReadStatus::NotRegular, "Can not open file " + (dir / "folder") + ": not a regular file"},
        {dir / "none", TReadStatus::Missing, "Can not open file " + (dir / "none")},
        {dir / "big", TReadStatus::TooLarge, "Can not open file " + (dir / "big") + ": larger than 1000 bytes"},
    };
    for (const auto& c : cases) {
        std::string content = "stale";
        EXPECT_EQ(TryReadRegularFile(c.path, content, 1000), c.status) << c.path;
        EXPECT_EQ(IsRegularFile(c.path), c.status == TReadStatus::Ok || c.status == TReadStatus::TooLarge);
        if (c.status == TReadStatus::Ok) {
            EXPECT_EQ(content, "a\r\nb\n");
        } else {
            EXPECT_EQ(content, "") << c.path;
            EXPECT_EQ(FileErrorOf([&] { ReadRegularFile(c.path, 1000); }), c.message);
        }
    }
    // A string list reads the same way, so every text file the program
    // loads refuses them too.
    TStringList l;
    EXPECT_EQ(FileErrorOf([&] { l.LoadFromFile(dir / "fifo"); }),
              "Can not open file " + (dir / "fifo") + ": not a regular file");
    EXPECT_EQ(FileErrorOf([&] { l.LoadFromFile(dir / "zero"); }),
              "Can not open file " + (dir / "zero") + ": not a regular file");
}

// ---------------------------------------------------------------- replacing

TEST(ReplaceFile, FailedWriterKeepsThePreviousFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string job = dir / "job.jkvx";
    WriteFile(job, "previous\n");
    // The message names the file, never the temporary file.
    EXPECT_EQ(FileErrorOf([&] {
                  ReplaceFileAtomically(
                      job,
                      [](const std::string& temp) {
                          WriteFile(temp, "half");
                          throw EFileError("Can not write file " + temp);
                      },
                      "Job One");
              }),
              "Can not write file Job One");
    EXPECT_EQ(ReadFile(job), "previous\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1);

    ReplaceFileAtomically(job, [](const std::string& temp) { WriteBy("new", temp); });
    EXPECT_EQ(ReadFile(job), "new\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1);
    EXPECT_EQ(FileErrorOf([&] { ReplaceFileText(dir / "missing/job.jkvx", "x"); }),
              "Can not create file " + (dir / "missing/job.jkvx"));
}

// A full disk, made by a limit on the size of files this process writes:
// the write of the new text fails half-way and must not touch the old one.
TEST(ReplaceFile, FullDiskLeavesTheOldFileByteIdentical) {
    TempDir dir;
    const std::string file = dir / "Korvex.INI";
    const std::string old = "; installation\r\nRadioButtonCob85=COBOL 85,COB\r\n";
    WriteFile(file, old);
    const std::string bigger(8192, 'x');
    {
        pemtest::FileSizeLimit limit(4096);
        EXPECT_EQ(FileErrorOf([&] { ReplaceFileText(file, bigger, "Korvex.INI"); }),
                  "Can not write file Korvex.INI");
        EXPECT_EQ(FileErrorOf([&] { ReplaceFileAtomically(file, [&](const std::string& t) { WriteBy(bigger, t); }); }),
                  "Can not write file " + file);
    }
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(EntriesIn(dir.Path()), 1);
}

TEST(ReplaceFile, LinksStayLinksAndPermissionsStay) {
    TempDir dir;
    fs::create_directory(dir / "real");
    WriteFile(dir / "real/settings.ini", "old\n");
    ::chmod((dir / "real/settings.ini").c_str(), 0600);
    // A relative link to a link to the file.
    fs::create_symlink("real/settings.ini", dir / "inner");
    fs::create_symlink("inner", dir / "outer");

    ReplaceFileText(dir / "outer", "new\n");
    EXPECT_TRUE(fs::is_symlink(dir / "outer"));
    EXPECT_TRUE(fs::is_symlink(dir / "inner"));
    EXPECT_EQ(fs::read_symlink(dir / "outer"), "inner");
    EXPECT_EQ(ReadFile(dir / "real/settings.ini"), "new\n");
    EXPECT_EQ(ModeOf(dir / "real/settings.ini"), 0600u);
    EXPECT_EQ(EntriesIn(dir / "real"), 1);

    // A link whose target does not exist yet: the target is made.
    fs::create_symlink("real/made.ini", dir / "dangling");
    ReplaceFileText(dir / "dangling", "made\n");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(ReadFile(dir / "real/made.ini"), "made\n");

    // A new file gets the usual mode of new files.
    const mode_t mask = ::umask(022);
    ReplaceFileText(dir / "fresh.txt", "x");
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir / "fresh.txt"), 0644u);
}

// A file the program keeps at a fixed name in its own folder: a link planted
// in its place is replaced by a plain file of the new text, whatever it
// points at, and what it pointed at stays as it was. A plain file in its
// place keeps its mode, as any replaced file does.
TEST(ReplaceOwnFile, ALinkInItsPlaceIsReplacedAndItsTargetLeftAlone) {
    using Replace = std::function<void(const std::string& path, const std::string& text)>;
    const struct {
        const char* what;
        Replace replace;
    } ways[] = {
        {"text", [](const std::string& p, const std::string& t) { ReplaceOwnFileText(p, t); }},
        {"writer",
         [](const std::string& p, const std::string& t) {
             ReplaceOwnFileAtomically(p, [&](const std::string& temp) { WriteFile(temp, t); });
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        TempDir elsewhere, out;
        WriteFile(elsewhere / "precious.txt", "the user's text\n");
        ::chmod((elsewhere / "precious.txt").c_str(), 0640);
        fs::create_symlink(elsewhere / "precious.txt", out / "Semaphore.xml");
        fs::create_symlink("Semaphore.xml", out / "chain.xml");        // a link to the link
        fs::create_symlink(elsewhere / "gone.txt", out / "last.xml");  // a dangling one
        fs::create_symlink("/dev/zero", out / "Console.log");          // not a file at all
        WriteFile(out / "plain.cmd", "old\n");
        ::chmod((out / "plain.cmd").c_str(), 0600);

        const mode_t mask = ::umask(022);
        for (const char* name : {"Semaphore.xml", "chain.xml", "last.xml", "Console.log", "plain.cmd"})
            way.replace(out / name, std::string("new ") + name);
        ::umask(mask);

        for (const char* name : {"Semaphore.xml", "chain.xml", "last.xml", "Console.log"}) {
            EXPECT_FALSE(fs::is_symlink(out / name)) << name;
            EXPECT_TRUE(fs::is_regular_file(out / name)) << name;
            EXPECT_EQ(ReadFile(out / name), std::string("new ") + name);
            EXPECT_EQ(ModeOf(out / name), 0644u) << name;
        }
        EXPECT_EQ(ReadFile(out / "plain.cmd"), "new plain.cmd");
        EXPECT_EQ(ModeOf(out / "plain.cmd"), 0600u);
        EXPECT_EQ(ReadFile(elsewhere / "precious.txt"), "the user's text\n");
        EXPECT_EQ(ModeOf(elsewhere / "precious.txt"), 0640u);
        EXPECT_FALSE(fs::exists(elsewhere / "gone.txt"));
        EXPECT_EQ(EntriesIn(elsewhere.Path()), 1);
        EXPECT_EQ(EntriesIn(out.Path()), 5);
    }
}

// What a direct write would refuse is refused, and the file stays as it is:
// a write-protected file (whoever writes, even an administrator) and
// anything that is not a regular file.
TEST(ReplaceFile, ProtectedFilesAndOddKindsAreRefused) {
    TempDir dir;
    WriteFile(dir / "job.jkvx", "protected\n");
    ::chmod((dir / "job.jkvx").c_str(), 0444);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero");
    fs::create_directory(dir / "folder");

    EXPECT_EQ(FileErrorOf([&] { ReplaceFileText(dir / "job.jkvx", "new", "Job"); }), "Can not create file Job");
    EXPECT_EQ(FileErrorOf([&] { ReplaceFileAtomically(dir / "job.jkvx", [](const std::string&) {}, "Job"); }),
              "Can not create file Job");
    EXPECT_EQ(ReadFile(dir / "job.jkvx"), "protected\n");
    EXPECT_EQ(ModeOf(dir / "job.jkvx"), 0444u);
    for (const char* name : {"fifo", "zero", "folder"}) {
        EXPECT_EQ(FileErrorOf([&] { ReplaceFileText(dir / name, "x", name); }),
                  std::string("Can not create file ") + name + ": not a regular file");
    }
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_EQ(fs::read_symlink(dir / "zero"), "/dev/zero");
    EXPECT_EQ(EntriesIn(dir.Path()), 4);
}

// A killed save leaves its temporary file; the next save of the same file
// removes it, but never one of a process that still runs, nor files of
// other names.
TEST(ReplaceFile, NextSaveRemovesTemporaryFilesOfEndedProcessesOnly) {
    TempDir dir;
    const std::string job = dir / "job.jkvx";
    WriteFile(job, "v1\n");

    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const pid_t running = ::getppid();

    const std::string dead = dir / (ReplacementTempPrefix("job.jkvx", ended) + "a1b2c3");
    const std::string alive = dir / (ReplacementTempPrefix("job.jkvx", running) + "d4e5f6");
    const std::string own = dir / (ReplacementTempPrefix("job.jkvx", ::getpid()) + "g7h8i9");
    const std::string other = dir / (ReplacementTempPrefix("other.jkvx", ended) + "j1k2l3");
    const std::string odd = dir / ".job.jkvx.tmp-notapid-m4n5o6";
    for (const auto& f : {dead, alive, own, other, odd}) WriteFile(f, "half");

    ReplaceFileText(job, "v2\n");
    EXPECT_EQ(ReadFile(job), "v2\n");
    EXPECT_FALSE(fs::exists(dead));
    for (const auto& f : {alive, own, other, odd}) EXPECT_TRUE(fs::exists(f)) << f;
}

// Where the folder takes no new file but the file may be written, the text
// is written over the file in place; a failure on the way puts the old text
// back. Run as an ordinary user, for whom folder permissions count.
TEST(ReplaceFile, ReadOnlyFolderWithWritableFileIsWrittenInPlace) {
    TempDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    fs::create_directory(dir / "ro");
    const std::string file = dir / "ro/Korvex.INI";
    WriteFile(file, "old text\n");
    ::chmod(file.c_str(), 0666);
    ::chmod((dir / "ro").c_str(), 0555);
    const ino_t inode = InodeOf(file);

    const int status = pemtest::RunAsOrdinaryUser([&] {
        ReplaceFileText(file, "new and longer text\n");
        if (ReadFile(file) != "new and longer text\n") return 1;
        ReplaceFileAtomically(file, [](const std::string& t) { WriteBy("short", t); });
        if (ReadFile(file) != "short\n") return 2;
        {
            pemtest::FileSizeLimit limit(100);
            try {
                ReplaceFileText(file, std::string(500, 'y'));
                return 3;
            } catch (const EFileError& e) {
                if (std::string(e.what()) != "Can not write file " + file) return 4;
            }
        }
        if (ReadFile(file) != "short\n") return 5;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(InodeOf(file), inode);
    EXPECT_EQ(EntriesIn(dir / "ro"), 1);
    ::chmod((dir / "ro").c_str(), 0755);
}

// ------------------------------------------------------ own-file copies

// The copy of a table into the output directory: a link in its place is
// replaced and its target left alone, a copy cut by a full disk leaves the
// old copy whole, and a source that is not a regular file is refused
// without waiting for a writer.
TEST(CopyToOwnFile, ReplacesALinkKeepsTheOldCopyOnAFailedWriteAndRefusesOddSources) {
    TempDir elsewhere, out, src;
    std::string table(300000, '\0');
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<char>('a' + i % 23);
    WriteFile(src / "repo.csv", table);
    WriteFile(elsewhere / "precious.csv", "the user's text\n");
    fs::create_symlink(elsewhere / "precious.csv", out / "Repo_Tab.csv");

    CopyToOwnFile(src / "repo.csv", out / "Repo_Tab.csv");
    EXPECT_FALSE(fs::is_symlink(out / "Repo_Tab.csv"));
    EXPECT_EQ(ReadFile(out / "Repo_Tab.csv"), table);
    EXPECT_EQ(ReadFile(elsewhere / "precious.csv"), "the user's text\n");
    EXPECT_EQ(EntriesIn(elsewhere.Path()), 1);

    WriteFile(out / "Functab.COB", "old table\n");
    {
        pemtest::FileSizeLimit disk(4096);
        EXPECT_EQ(FileErrorOf([&] { CopyToOwnFile(src / "repo.csv", out / "Functab.COB", "", "Functab.COB"); }),
                  "Can not write file Functab.COB");
    }
    EXPECT_EQ(ReadFile(out / "Functab.COB"), "old table\n");

    pemtest::FifoPlant fifo(src / "pipe.csv");
    ASSERT_TRUE(fifo.Made());
    const struct {
        std::string source, message;
    } odd[] = {
        {src / "pipe.csv", "Can not open file " + (src / "pipe.csv") + ": not a regular file"},
        {src.Path(), "Can not open file " + src.Path() + ": not a regular file"},
        {src / "missing.csv", "Can not open file " + (src / "missing.csv")},
    };
    for (const auto& c : odd)
        EXPECT_EQ(FileErrorOf([&] { CopyToOwnFile(c.source, out / "Functab.COB"); }), c.message);
    EXPECT_FALSE(fifo.Done()) << "a copy waited on the FIFO";
    EXPECT_EQ(ReadFile(out / "Functab.COB"), "old table\n");
    EXPECT_EQ(EntriesIn(out.Path()), 2); // no temporary file left
}

// A file rewritten in place in the output directory: a link in its place is
// replaced, never followed; a FIFO there is refused without waiting for a
// reader.
TEST(WriteOwnFileInPlace, ReplacesALinkAndRefusesAFifoWithoutWaiting) {
    TempDir elsewhere, out;
    WriteFile(elsewhere / "precious.txt", "the user's text\n");
    fs::create_symlink(elsewhere / "precious.txt", out / "SRC0001.TXT");
    fs::create_symlink(elsewhere / "gone.txt", out / "SRC0002.TXT");
    for (const char* name : {"SRC0001.TXT", "SRC0002.TXT"}) {
        WriteOwnFileInPlace(out / name, "copy\n");
        EXPECT_FALSE(fs::is_symlink(out / name)) << name;
        EXPECT_EQ(ReadFile(out / name), "copy\n") << name;
    }
    EXPECT_EQ(ReadFile(elsewhere / "precious.txt"), "the user's text\n");
    EXPECT_EQ(EntriesIn(elsewhere.Path()), 1);

    pemtest::FifoPlant fifo(out / "SRC0003.TXT");
    ASSERT_TRUE(fifo.Made());
    EXPECT_EQ(FileErrorOf([&] { WriteOwnFileInPlace(out / "SRC0003.TXT", "copy\n", "SRC0003.TXT"); }),
              "Can not create file SRC0003.TXT: not a regular file");
    EXPECT_FALSE(fifo.Done()) << "the write waited on the FIFO";
    EXPECT_TRUE(fs::is_fifo(out / "SRC0003.TXT"));
}

} // namespace
