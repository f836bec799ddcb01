// Compares the file search with find(1) and the block copy with cp -r on
// generated trees, in one run:
//
//   file_bench [--files N] [--copy-mb M] [--runs R]
//
// The trees are made in a fresh folder under $TMPDIR (or /tmp) and removed
// afterwards. Each side runs R times, in turns, after one warm-up run; the
// medians (with min and max) and their ratio ours / theirs are printed. After
// every search run our list of files is compared with find's, after every
// copy both copies with the source tree.
// Goals: the search and the copy each within 1.5x of find and of cp -r (the
// goal of the input tree, which the copy serves).
#include "BaseFileUtils.h"
#include "SharedRoutinesFiles.h"
#include "StringList.h"

#include "BenchCompare.h"
#include "BenchVerdict.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <utility>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The lines of a file, sorted.
std::vector<std::string> SortedLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    std::sort(lines.begin(), lines.end());
    return lines;
}

void WriteBytes(const std::string& path, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    static const std::vector<char> block = [] {
        std::vector<char> b(1 << 20);
        for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<char>(i * 31 + i / 4093);
        return b;
    }();
    while (size > 0) {
        std::size_t n = std::min(size, block.size());
        std::fwrite(block.data(), 1, n, f);
        size -= n;
    }
    std::fclose(f);
}

// 100 folders of 10 sub-folders each, files spread evenly over them.
void MakeSearchTree(const std::string& root, int files) {
    int made = 0;
    for (int a = 0; made < files; ++a)
        for (int b = 0; b < 10 && made < files; ++b) {
            std::string dir = root + "/d" + std::to_string(a) + "/s" + std::to_string(b);
            fs::create_directories(dir);
            for (int c = 0; c < 100 && made < files; ++c, ++made)
                WriteBytes(dir + "/file" + std::to_string(c) + (c % 2 ? ".xml" : ".met"), 16);
        }
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(fs::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Every file of the source tree has its copy, with the same bytes, and the
// copy holds no other file; the reason is thrown otherwise.
void CheckCopy(const std::string& from, const std::string& to, const char* who) {
    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(from)) {
        if (!e.is_regular_file()) continue;
        ++files;
        const fs::path copy = fs::path(to) / fs::relative(e.path(), from);
        std::error_code ec;
        if (fs::file_size(copy, ec) != e.file_size() || ec || ReadBytes(e.path()) != ReadBytes(copy))
            throw std::runtime_error(std::string(who) + ": " + copy.string() + " differs from its source");
    }
    std::size_t copies = 0;
    for (const auto& e : fs::recursive_directory_iterator(to)) copies += e.is_regular_file();
    if (copies != files)
        throw std::runtime_error(std::string(who) + ": " + std::to_string(copies) + " files copied of " +
                                 std::to_string(files));
}

// A few large files and many small ones in nested folders.
void MakeCopyTree(const std::string& root, std::size_t megabytes) {
    std::size_t bytes = megabytes << 20;
    fs::create_directories(root + "/big");
    for (int i = 0; bytes > (8u << 20); ++i) {
        std::size_t size = std::min<std::size_t>(bytes, 20u << 20) - static_cast<std::size_t>(i) * 4097 % 8192;
        WriteBytes(root + "/big/file" + std::to_string(i) + ".bin", size);
        bytes -= std::min(bytes, size);
    }
    for (int d = 0; d < 20; ++d) {
        std::string dir = root + "/small/d" + std::to_string(d);
        fs::create_directories(dir);
        for (int i = 0; i < 50; ++i) WriteBytes(dir + "/f" + std::to_string(i) + ".txt", bytes / 1000 + i * 37);
    }
}

// The tree copy the program would do: folders made, every file block-copied.
void CopyTree(const std::string& from, const std::string& to) {
    pem::TStringList files;
    pem::FindFilesRecursive(from, "", "*.*;", files);
    for (const auto& item : files) {
        const std::string rel = item.s.substr(from.size() + 1);
        const std::string dest = to + "/" + rel;
        fs::create_directories(fs::path(dest).parent_path());
        pem::CopyFileBlocks(item.s, dest);
    }
}

} // namespace

int main(int argc, char** argv) {
    int files = 100000;
    std::size_t copyMb = 300;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--files") == 0) files = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--copy-mb") == 0) copyMb = static_cast<std::size_t>(std::atol(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    }

    const std::string root = MakeBenchRoot("file_bench");
    if (root.empty()) return 1;
    int rc = 0;
    try {
        std::printf("generating %d files and a %zu MB tree under %s\n", files, copyMb, root.c_str());
        MakeSearchTree(root + "/search", files);
        MakeCopyTree(root + "/copysrc", copyMb);

        // The list is emptied before each run, outside the timing: collecting
        // is what is compared. After every run both lists must name the same
        // files.
        pem::TStringList list;
        const std::string found = root + "/find.out";
        int compared = 0;
        std::vector<std::string> mine;
        const auto [ours, find] = RunBoth(
            runs, [&] { list = pem::TStringList(); },
            [&] { pem::FindFilesRecursive(root + "/search", "", "*.*;", list); },
            [&] {
                if (!Run({"find", root + "/search", "-type", "f"}, found)) throw std::runtime_error("find failed");
            },
            [&] {
                mine.clear();
                for (const auto& it : list) mine.push_back(it.s);
                std::sort(mine.begin(), mine.end());
            },
            [&] {
                const std::vector<std::string> theirs = SortedLines(found);
                if (mine != theirs) {
                    auto d = std::mismatch(mine.begin(), mine.end(), theirs.begin(), theirs.end());
                    throw std::runtime_error("the lists differ: ours " + std::to_string(mine.size()) +
                                             " files, find " + std::to_string(theirs.size()) + "; first difference " +
                                             (d.first != mine.end() ? *d.first : "(end)") + " / " +
                                             (d.second != theirs.end() ? *d.second : "(end)"));
                }
                ++compared;
            });
        std::printf("search: %zu files, the same list as find's in all %d runs\n", mine.size(), compared);
        PrintLine("search:", ours, "find", find);
        JudgeFigure("search, ratio of medians to find", ours.Median() / find.Median(), "x", 1.5);

        const std::string dest = root + "/copydst";
        auto clean = [&] { fs::remove_all(dest); };
        const auto [ourCopy, cp] = RunBoth(
            runs, clean, [&] { CopyTree(root + "/copysrc", dest); },
            [&] {
                if (!Run({"cp", "-r", root + "/copysrc", dest})) throw std::runtime_error("cp failed");
            },
            [&] { CheckCopy(root + "/copysrc", dest, "ours"); }, [&] { CheckCopy(root + "/copysrc", dest, "cp"); });
        std::printf("copy: %zu MB, both copies the same as the source in all %d runs\n", copyMb, runs);
        PrintLine("copy:", ourCopy, "cp -r", cp);
        JudgeFigure("copy, ratio of medians to cp -r", ourCopy.Median() / cp.Median(), "x", 1.5);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "file_bench: %s\n", e.what());
        rc = 1;
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return rc;
}
