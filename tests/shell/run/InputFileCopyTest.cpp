// Copying sources into the input tree: the block copy with its kinds, line
// ends and line count at several block sizes, count-only runs, stopping,
// odd files, and the roads of documents (through a fake converter) and of
// texts that are re-flowed and marked.
#include "InputFileCopy.h"

#include "Exceptions.h"
#include "FileFaults.h"
#include "TestSupport.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kFakeConverter = std::string(FAKE_TOOLS_DIR) + "/fake_pdf2txt";

TInputCopyOptions Blocks(long long size, bool countOnly = false) {
    TInputCopyOptions o;
    o.bufferSize = size;
    o.countLinesOnly = countOnly;
    return o;
}

// A tool root holding the fake converter under the given name.
std::string ToolRootWith(const pemtest::TempDir& dir, const std::string& name) {
    const std::string root = dir / "Tools";
    fs::create_directories(root);
    if (!name.empty()) fs::copy_file(kFakeConverter, root + "/" + name);
    return root;
}

} // namespace

TEST(CopyInputFile, KindLineEndsAndLineCountAtEveryBlockSize) {
    const std::array<long long, 3> sizes = {3, 7, 200000};
    // UTF-16LE: h, e acute, LF, the euro sign, a letter the code page lacks,
    // a surrogate pair, CR LF.
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("h\0\xE9\0\n\0\xAC\x20\x22\x6F", 10) +
                              std::string("\x3D\xD8\x00\xDE\r\0\n\0", 8);
    const struct {
        const char* name;
        std::string input;
        std::array<std::string, 3> expected; // for blocks of 3, 7 and 200000 bytes
        int lines;
    } cases[] = {
        {"LF only", "a\nbb\nccc\n", {"a\r\nbb\r\nccc\r\n", "a\r\nbb\r\nccc\r\n", "a\r\nbb\r\nccc\r\n"}, 3},
        {"CR LF", "ab\r\ncd\r\n", {"ab\r\ncd\r\n", "ab\r\ncd\r\n", "ab\r\ncd\r\n"}, 2},
        {"UTF-16LE with its mark", utf16, {"h\xE9\n\x80??\r\n", "h\xE9\n\x80??\r\n", "h\xE9\n\x80??\r\n"}, 2},
        {"empty", "", {"", "", ""}, 0},
        // Blocks of 7: "abcdef\r" and "\nxy\n"; the whole file holds CR LF.
        {"CR and LF split at a block edge", "abcdef\r\nxy\n",
         {"abcdef\r\nxy\r\n", "abcdef\r\nxy\r\n", "abcdef\r\nxy\n"}, 2},
        // Blocks of 3 begin with "a\nb": the later CR LF lines keep one CR.
        {"first block LF only, later CR LF", "a\nb\r\nc\r\n", {"a\r\nb\r\nc\r\n", "a\nb\r\nc\r\n", "a\nb\r\nc\r\n"},
         3},
        {"no line end at all", "abcdefghij", {"abcdefghij", "abcdefghij", "abcdefghij"}, 0},
    };
    pemtest::TempDir dir;
    for (const auto& c : cases) {
        pemtest::WriteFile(dir / "src", c.input);
        for (size_t i = 0; i < sizes.size(); ++i) {
            const std::string what = std::string(c.name) + ", blocks of " + std::to_string(sizes[i]);
            TInputFileCopier copier(Blocks(sizes[i]));
            ASSERT_TRUE(copier.CopyInputFile(dir / "src", dir / "SRC0001.TXT")) << what;
            EXPECT_EQ(pemtest::ReadFile(dir / "SRC0001.TXT"), c.expected[i]) << what;
            EXPECT_EQ(copier.SourceLines(), c.lines) << what;

            TInputFileCopier counter(Blocks(sizes[i], true));
            ASSERT_TRUE(counter.CopyInputFile(dir / "src", dir / "SRC0002.TXT")) << what;
            EXPECT_TRUE(fs::exists(dir / "SRC0002.TXT")) << what;
            EXPECT_EQ(fs::file_size(dir / "SRC0002.TXT"), 0u) << what << ", count only";
            EXPECT_EQ(counter.SourceLines(), c.lines) << what << ", count only";
        }
    }
}

// The sources bar takes the file's size as maximum: full at once for a short
// file, following the blocks for a long one, scaled to fit past 2 GiB.
TEST(CopyInputFile, TheSourcesBarFollowsTheBytesOfALongFile) {
    const std::string name = "a";
    const struct {
        std::uint64_t position, size;
        bool longFile;
        int max, bar;
    } cases[] = {
        {0, 22, false, 22, 22},
        {14, 22, false, 22, 22},
        {0, 5000000, true, 5000000, 0},
        {2000000, 5000000, true, 5000000, 2000000},
        {0, 0, false, 0, 0},
        {3ull << 30, 6ull << 30, true, 3 << 29, 3 << 28},
    };
    for (const auto& c : cases) {
        const TCopyBar bar = CopyProgressBar(TCopyProgress{name, c.position, c.size, c.longFile});
        EXPECT_EQ(bar.max, c.max) << c.size;
        EXPECT_EQ(bar.position, c.bar) << c.position << " of " << c.size;
    }
}

TEST(CopyInputFile, LinesAddUpOverFilesAndBlocksAreAnnouncedBeforeTheyAreRead) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "a", std::string(20, 'x') + "\n\n");
    pemtest::WriteFile(dir / "b", "1\r\n2\r\n3\r\n");
    std::vector<std::uint64_t> positions;
    std::vector<bool> longFile;
    TInputCopyOptions o = Blocks(7);
    o.beforeBlock = [&](const TCopyProgress& p) {
        positions.push_back(p.position);
        longFile.push_back(p.longFile);
        EXPECT_EQ(p.size, 22u);
        EXPECT_EQ(CopyProgressCaption(p), "Building input structure, Processing bytes " + std::to_string(p.position) +
                                              " of 22 of file " + (dir / "a"));
        return true;
    };
    TInputFileCopier copier(o);
    ASSERT_TRUE(copier.CopyInputFile(dir / "a", dir / "A"));
    EXPECT_EQ(positions, (std::vector<std::uint64_t>{0, 7, 14, 21}));
    EXPECT_EQ(longFile, std::vector<bool>(4, false));
    o.beforeBlock = {};
    copier = TInputFileCopier(o);
    copier.CopyInputFile(dir / "a", dir / "A");
    copier.CopyInputFile(dir / "b", dir / "B");
    EXPECT_EQ(copier.SourceLines(), 5);

    // More than 20 blocks: worth a caption per block.
    pemtest::WriteFile(dir / "c", std::string(70, 'y'));
    bool wasLong = false;
    o = Blocks(3);
    o.beforeBlock = [&](const TCopyProgress& p) { return wasLong = p.longFile, true; };
    TInputFileCopier(o).CopyInputFile(dir / "c", dir / "C");
    EXPECT_TRUE(wasLong);
}

TEST(CopyInputFile, AStopBeforeABlockEndsTheCopy) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "src", "abcdefghij\nklmnop\n");
    TInputCopyOptions o = Blocks(7);
    int calls = 0;
    o.beforeBlock = [&](const TCopyProgress&) { return ++calls < 2; };
    TInputFileCopier copier(o);
    EXPECT_FALSE(copier.CopyInputFile(dir / "src", dir / "dst"));
    EXPECT_EQ(pemtest::ReadFile(dir / "dst"), "abcdefg");

    // A stop raised by the caller (the silent abort) passes through.
    o.beforeBlock = [](const TCopyProgress& p) -> bool {
        if (p.position > 0) Abort();
        return true;
    };
    TInputFileCopier aborting(o);
    EXPECT_THROW(aborting.CopyInputFile(dir / "src", dir / "dst"), EAbort);
}

// Odd sources and targets end the copy with their file errors, and nothing
// waits on a FIFO at either end: a FIFO planted in the input tree, which the
// cleaning of the tree leaves alone, is refused.
TEST(CopyInputFile, OddSourcesAndTargetsRaiseFileErrors) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "src", "x\n");
    pemtest::WriteFile(dir / "big", std::string(100000, 'x'));
    pemtest::FifoPlant source(dir / "fifo"), target(dir / "SRC0002.CBL");
    ASSERT_TRUE(source.Made() && target.Made());
    TInputFileCopier copier(Blocks(200000));
    const struct {
        std::string source, target, message;
    } cases[] = {
        {dir / "missing", dir / "t1", "Can not open file " + (dir / "missing")},
        {dir / "fifo", dir / "t2", "Can not open file " + (dir / "fifo") + ": not a regular file"},
        {dir / "src", dir / "no/such/folder/t3", "Can not create file " + (dir / "no/such/folder/t3")},
        {dir / "src", dir / "SRC0002.CBL", "Can not create file " + (dir / "SRC0002.CBL") + ": not a regular file"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pemtest::MessageOf<EFileError>([&] { copier.CopyInputFile(c.source, c.target); }), c.message);
    EXPECT_FALSE(source.Done()) << "the copy waited for a writer";
    EXPECT_FALSE(target.Done()) << "the copy waited for a reader";

    // A full disk.
    {
        pemtest::FileSizeLimit disk(4096);
        EXPECT_EQ(pemtest::MessageOf<EFileError>([&] { copier.CopyInputFile(dir / "big", dir / "t4"); }),
                  "Can not write file " + (dir / "t4"));
    }
}

// The input tree's copies are the output directory's own files: a link in a
// copy's place is replaced on every road, the plain copy, the text road and
// the document road, and its target stays as it was.
TEST(CopyInputFile, ALinkInTheInputTreeIsReplacedNotFollowed) {
    pemtest::TempDir dir, elsewhere;
    pemtest::WriteFile(dir / "in.txt", "Some text.\n");
    pemtest::WriteFile(dir / "in.pdf", "A converted text.\n");
    fs::create_directories(dir / "tree");
    TInputCopyOptions text = Blocks(200000);
    text.textTags = true;
    TInputCopyOptions document = Blocks(200000);
    document.toolRoot = ToolRootWith(dir, "PDF2TXT.exe");
    const struct {
        const char* what;
        TInputCopyOptions options;
        std::string source;
        std::vector<std::string> names; // in the tree; the first is the copy
    } cases[] = {
        {"plain copy", Blocks(200000), dir / "in.txt", {"SRC0001.TXT"}},
        {"text road", text, dir / "in.txt", {"SRC0002.TXT"}},
        {"document road", document, dir / "in.pdf", {"SRC0003.TXT", "SRC0003.pdf", "SRC0003.raw"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& name : c.names) {
            pemtest::WriteFile(elsewhere / name, "the user's " + name);
            fs::create_symlink(elsewhere / name, dir / ("tree/" + name));
        }
        TInputFileCopier copier(c.options);
        ASSERT_TRUE(copier.CopyInputFile(c.source, dir / ("tree/" + c.names[0])));
        EXPECT_FALSE(fs::is_symlink(dir / ("tree/" + c.names[0])));
        EXPECT_NE(pemtest::ReadFile(dir / ("tree/" + c.names[0])).find("ext"), std::string::npos);
        for (const std::string& name : c.names)
            EXPECT_EQ(pemtest::ReadFile(elsewhere / name), "the user's " + name) << name;
    }
}

TEST(CopyInputFile, BlockSizesOutsideTheirRangeAreMadeUsable) {
    pemtest::TempDir dir;
    const std::string utf16("\xFF\xFEo\0k\0", 6);
    pemtest::WriteFile(dir / "src", utf16);
    for (long long size : {-5ll, 0ll, 1ll, 1ll << 40}) {
        TInputFileCopier copier(Blocks(size));
        ASSERT_TRUE(copier.CopyInputFile(dir / "src", dir / "dst")) << size;
        EXPECT_EQ(pemtest::ReadFile(dir / "dst"), "ok") << size;
    }
}

TEST(CopyInputFile, TextsAreReflowedMarkedCleanedAndWrapped) {
    pemtest::TempDir dir;
    const TDocumentDictionary dictionary({{"input", -1}, {"file", -1}}, {}, {});
    const TControlWordList words({"shall"});
    pemtest::WriteFile(dir / "req.txt", "The input file shall exist. It is read\n\n\n" + std::string(1000, 'z') + "\n");
    TInputCopyOptions o = Blocks(200000);
    o.textTags = true;
    o.dictionary = &dictionary;
    o.controlWords = &words;
    TInputFileCopier copier(o);
    ASSERT_TRUE(copier.CopyInputFile(dir / "req.txt", dir / "SRC0001.TXT"));
    EXPECT_EQ(pemtest::ReadFile(dir / "SRC0001.TXT"),
              "The <input_file> .\r\nshall exist. \r\n It is read\r\n" + std::string(1000, 'z') + "\r\n");
    EXPECT_EQ(copier.SourceLines(), 0);
    EXPECT_EQ(pemtest::ReadFile(dir / "req.txt"), "The input file shall exist. It is read\n\n\n" +
                                                      std::string(1000, 'z') + "\n");
}

TEST(CopyInputFile, DocumentsAreConvertedKeptRawCleanedAndWrapped) {
    pemtest::TempDir dir;
    const std::string tree = dir / "out/workinp/COMP0001/MOD0001";
    fs::create_directories(tree);
    std::string line;
    for (int i = 0; i < 100; ++i) line += "123456789 ";
    pemtest::WriteFile(dir / "docs/Spec.DOC", "First line\n\n   \n" + line + "\n");
    // An old text of the same name must not pass for a conversion.
    pemtest::WriteFile(tree + "/SRC0001.TXT", "old");
    TInputCopyOptions o = Blocks(200000);
    o.toolRoot = ToolRootWith(dir, "PDF2TXT.exe");
    TInputFileCopier copier(o);
    ASSERT_TRUE(copier.CopyInputFile(dir / "docs/Spec.DOC", tree + "/SRC0001.TXT"));
    EXPECT_EQ(pemtest::ReadFile(tree + "/PDF2TXT.log"), "SRC0001.DOC SRC0001.TXT\n");
    EXPECT_EQ(pemtest::ReadFile(tree + "/SRC0001.raw"), "First line\n\n   \n" + line + "\n");
    EXPECT_FALSE(fs::exists(tree + "/SRC0001.DOC"));
    std::string wrapped;
    for (size_t at = 0; at < line.size(); at += 390) wrapped += line.substr(at, 390) + "\r\n";
    EXPECT_EQ(pemtest::ReadFile(tree + "/SRC0001.TXT"), "First line\r\n" + wrapped);
}

TEST(CopyInputFile, TheConverterIsFoundUnderTheToolRootIgnoringCase) {
    for (const char* name : {"PDF2TXT.exe", "pdf2txt.EXE", "PDF2TXT", "Pdf2Txt"}) {
        pemtest::TempDir dir;
        const std::string root = ToolRootWith(dir, name);
        EXPECT_EQ(DocumentConverterPath(root), root + "/" + name);
        pemtest::WriteFile(dir / "a.pdf", "text");
        TInputCopyOptions o = Blocks(200000);
        o.toolRoot = root + "/";
        ASSERT_TRUE(TInputFileCopier(o).CopyInputFile(dir / "a.pdf", dir / "SRC0003.TXT")) << name;
        EXPECT_EQ(pemtest::ReadFile(dir / "SRC0003.TXT"), "text\r\n") << name;
    }
    EXPECT_EQ(DocumentConverterPath("/nowhere"), "/nowhere/PDF2TXT.exe");
}

TEST(CopyInputFile, AConversionThatFailsEndsWithItsMessage) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "a.pdf", "text");
    pemtest::WriteFile(dir / "empty.pdf", "%no-text");
    const std::string target = dir / "SRC0001.TXT";
    const struct {
        const char* name;
        std::string converter, source, message;
    } cases[] = {
        {"no converter", "", dir / "a.pdf", "Problem converting .pdf " + (dir / "a.pdf") + " "},
        {"a converter that writes nothing", "PDF2TXT.exe", dir / "empty.pdf",
         "File .pdf " + (dir / "empty.pdf") + " was not converted to " + target},
    };
    for (const auto& c : cases) {
        pemtest::TempDir tools;
        pemtest::WriteFile(target, "from an earlier run");
        TInputCopyOptions o = Blocks(200000);
        o.toolRoot = ToolRootWith(tools, c.converter);
        TInputFileCopier copier(o);
        EXPECT_EQ(pemtest::MessageOf<Exception>([&] { copier.CopyInputFile(c.source, target); }), c.message)
            << c.name;
    }
}

TEST(CopyInputFile, ADocumentWhoseTargetKeepsItsExtensionIsNotConvertedOntoItself) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "a.pdf", "text");
    TInputCopyOptions o = Blocks(200000);
    o.toolRoot = ToolRootWith(dir, "PDF2TXT.exe");
    ASSERT_TRUE(TInputFileCopier(o).CopyInputFile(dir / "a.pdf", dir / "SRC0001.pdf"));
    EXPECT_EQ(pemtest::ReadFile(dir / "PDF2TXT.log"), "SRC0001.pdf.pdf SRC0001.pdf\n");
    EXPECT_EQ(pemtest::ReadFile(dir / "SRC0001.pdf"), "text\r\n");
    EXPECT_FALSE(fs::exists(dir / "SRC0001.pdf.pdf"));
}
