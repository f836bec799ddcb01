// The input tree of a run, measured against the system's own tools in one
// run:
//
//   input_bench [--sources N] [--mb M] [--text-mb T] [--runs R]
//
//  - building the input tree of N sources (M megabytes, CR LF lines) with the
//    block copier against "cp -r" of the same tree; LF-only sources, which
//    the copier gives CR LF line ends, against a converting copy of the same
//    files by perl (one process, each file read, LF made CR LF, written to
//    the same place in a tree of the same folders);
//  - counting the lines only (every target made, and left empty) against
//    "wc -l", into a new tree and into one whose targets are there;
//  - re-flowing and term-marking a text of T and of 2T megabytes with a
//    dictionary of 100,000 terms: the ratio of the two times shows whether
//    the work grows with the text alone.
// The files are made in a fresh folder under $TMPDIR (or /tmp) and removed
// afterwards. Each pair runs R times in turns after a warm-up run; medians
// with min and max are printed. After every run the results are checked: the
// copies against their sources (both converting copies against the source
// with CR LF line ends), the line counts against wc's, the marked text of 2T
// against twice the marked text of T.
//
// Goals, each judged on the ratio of the medians with the load average
// beside it: the input tree within 1.5x of its reference, plain and
// converting; counting within 1.5x of wc -l, both where the targets are there
// (counting alone) and into a new tree (where the count makes every target as
// well, which wc does not). The re-flow of 2T within 2.2x of T's, on wall
// time and on processor time. The dictionary's making is shown as
// information.
#include "BaseFileUtils.h"
#include "DocumentText.h"
#include "InputFileCopy.h"

#include "BenchCompare.h"
#include "BenchVerdict.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <malloc.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

struct Source {
    std::string rel;   // below the tree's root
    std::int64_t lines; // LF characters in it
};

// Lines of 20 to 100 characters ending in lineEnd, cut to size.
std::string LinesOf(std::size_t size, std::mt19937& rng, const char* lineEnd) {
    static const char kText[] = "MOVE CUSTOMER-RECORD TO WS-OUTPUT-AREA PERFORM 2000-VALIDATE THRU 2000-EXIT ";
    std::string s;
    s.reserve(size + 128);
    while (s.size() < size) {
        const std::size_t n = 20 + rng() % 80;
        for (std::size_t i = 0; i < n; ++i) s += kText[(i + rng() % 7) % (sizeof kText - 1)];
        s += lineEnd;
    }
    s.resize(size);
    return s;
}

// count sources in folders of 100, about mb megabytes: most small, a few big.
std::vector<Source> MakeTree(const std::string& root, int count, std::size_t mb, const char* lineEnd,
                             unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::size_t> sizes(static_cast<std::size_t>(count));
    std::size_t total = 0;
    for (auto& s : sizes) total += s = (rng() % 50 == 0) ? 200000 + rng() % 3000000 : 2000 + rng() % 40000;
    const double scale = static_cast<double>(mb << 20) / static_cast<double>(total);
    std::vector<Source> sources;
    for (int i = 0; i < count; ++i) {
        const std::string folder = "COMP" + std::to_string(i / 1000) + "/MOD" + std::to_string(i / 100);
        fs::create_directories(root + "/" + folder);
        const std::string rel = folder + "/prog" + std::to_string(i) + ".cbl";
        const std::size_t size = std::max<std::size_t>(1024, static_cast<std::size_t>(sizes[i] * scale));
        const std::string text = LinesOf(size, rng, lineEnd);
        WriteAll(root + "/" + rel, text);
        sources.push_back({rel, std::count(text.begin(), text.end(), '\n')});
    }
    return sources;
}

// The copier's side: the module folders made, every source copied.
std::int64_t CopyTree(const std::string& from, const std::string& to, const std::vector<Source>& sources,
                      bool countOnly) {
    pem::TInputCopyOptions o;
    o.countLinesOnly = countOnly;
    pem::TInputFileCopier copier(o);
    std::string lastFolder;
    for (const Source& s : sources) {
        const std::string target = to + "/" + s.rel;
        const std::string folder = target.substr(0, target.rfind('/'));
        if (folder != lastFolder) pem::ForceDirectories(folder);
        lastFolder = folder;
        if (!copier.CopyInputFile(from + "/" + s.rel, target)) throw std::runtime_error("copy stopped");
    }
    return copier.SourceLines();
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Every target against its source (CR LF added where convert is set).
void CheckCopies(const std::string& from, const std::string& to, const std::vector<Source>& sources, bool convert,
                 const char* who) {
    for (const Source& s : sources) {
        const std::string src = ReadAll(from + "/" + s.rel);
        if (ReadAll(to + "/" + s.rel) != (convert ? WithCrLf(src) : src))
            throw std::runtime_error(std::string(who) + ": " + s.rel + " differs from its source");
    }
}

std::int64_t TotalLines(const std::vector<Source>& sources) {
    std::int64_t n = 0;
    for (const Source& s : sources) n += s.lines;
    return n;
}

// ---- the text part

double ThreadSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string RandomWord(std::mt19937& rng, std::size_t minLen, std::size_t maxLen) {
    const std::size_t n = minLen + rng() % (maxLen - minLen + 1);
    std::string w;
    for (std::size_t i = 0; i < n; ++i) w += static_cast<char>('a' + rng() % 26);
    return w;
}

struct TextWorld {
    std::vector<std::pair<std::string, int>> single;
    std::vector<std::string> compound;
    std::vector<std::string> exceptions;
    std::vector<std::string> words; // the single terms, for the text
};

TextWorld MakeDictionary(std::size_t terms, std::mt19937& rng) {
    TextWorld w;
    std::unordered_set<std::string> seen;
    while (w.words.size() < terms) {
        std::string t = RandomWord(rng, 4, 10);
        if (t.back() == 's' || t.size() >= 3 && t.compare(t.size() - 3, 3, "ing") == 0) t += 'e';
        if (!seen.insert(t).second) continue;
        const unsigned kind = rng() % 10;
        int value = kind < 6 ? -1 : kind < 7 ? -2 - static_cast<int>(rng() % 3) : kind < 9 ? 0
                                                                                   : (rng() % 2 ? 1 + static_cast<int>(rng() % 4)
                                                                                                 : 101 + static_cast<int>(rng() % 3));
        w.single.push_back({t, value});
        w.words.push_back(t);
    }
    for (const auto& [t, value] : w.single) {
        if (value > -2) continue;
        for (int k = 0; k < 2; ++k) {
            std::string c = t;
            for (int j = 0; j <= static_cast<int>(rng() % 2); ++j) c += "_" + w.words[rng() % w.words.size()];
            w.compound.push_back(c);
        }
    }
    for (std::size_t i = 0; i < 500; ++i) w.exceptions.push_back(w.words[rng() % w.words.size()] + "s");
    return w;
}

// Requirement-like text of about size bytes: sentences of dictionary words,
// fillers, plurals, capitals, numbers, items, bullets, pairs of quotes and
// control words. It ends with a sentence of its own, so that the text twice
// over is marked as twice the text.
std::string MakeText(std::size_t size, const TextWorld& world, std::mt19937& rng) {
    static const char* kFillers[] = {"the", "a", "of", "to", "and", "is", "be", "will", "for", "with", "when", "each"};
    static const char* kControl[] = {"shall", "must", "should"};
    std::string s;
    s.reserve(size + 256);
    while (s.size() < size) {
        const unsigned form = rng() % 20;
        if (form == 0) s += "o\n";
        if (form == 1) s += "1) ";
        for (int sentence = 0; sentence < 3; ++sentence) {
            const int n = 6 + static_cast<int>(rng() % 14);
            for (int i = 0; i < n; ++i) {
                const unsigned r = rng() % 100;
                std::string word;
                if (r < 45) word = world.words[rng() % world.words.size()];
                else if (r < 50) word = world.words[rng() % world.words.size()] + "s";
                else if (r < 53) word = "CPU" + std::to_string(rng() % 10);
                else if (r < 56) word = kControl[rng() % 3];
                else if (r < 58) word = "3.5.";
                else if (r < 60) word = "\"" + world.words[rng() % world.words.size()] + "\"";
                else word = kFillers[rng() % 12];
                if (i == 0) word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
                s += word;
                s += i + 1 < n ? (rng() % 25 == 0 ? "; " : " ") : ". ";
            }
        }
        s += "\n";
    }
    s += "This is the end.\n";
    return s;
}

} // namespace

int main(int argc, char** argv) {
    int sources = 9998;
    std::size_t mb = 300;
    std::size_t textMb = 10;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--sources") == 0) sources = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--mb") == 0) mb = static_cast<std::size_t>(std::atol(argv[i + 1]));
        else if (std::strcmp(argv[i], "--text-mb") == 0) textMb = static_cast<std::size_t>(std::atol(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    }
    const std::string root = MakeBenchRoot("input_bench");
    if (root.empty()) return 1;
    int rc = 0;
    try {
        std::printf("generating %d CR LF sources of %zu MB and %d LF-only ones of %zu MB under %s\n", sources, mb,
                    sources / 10, mb / 10, root.c_str());
        const std::vector<Source> crlf = MakeTree(root + "/crlf", sources, mb, "\r\n", 1);
        const std::vector<Source> lf = MakeTree(root + "/lf", sources / 10, mb / 10, "\n", 2);

        const std::string ours = root + "/ours";
        const std::string theirs = root + "/theirs";
        auto clean = [&] {
            fs::remove_all(ours);
            fs::remove_all(theirs);
        };
        const std::string list = root + "/files0";
        {
            std::string names;
            for (const Source& s : crlf) names += root + "/crlf/" + s.rel + '\0';
            WriteAll(list, names);
        }
        // Counted first, before any file is deleted: files made where many
        // were just deleted cost the file system far more (both copies below
        // pay that alike). A count makes every target, empty: once into a
        // fresh folder each run, as a first count does, and once into the
        // same folder, where the targets are there already and the counting
        // alone is measured.
        for (const bool fresh : {true, false}) {
            std::int64_t counted = 0;
            int round = 0;
            std::string target = ours + "/same";
            const auto [a, b] = RunBoth(
                runs, [&] { if (fresh) target = ours + "/" + std::to_string(round++); },
                [&] { counted = CopyTree(root + "/crlf", target, crlf, true); },
                [&] {
                    if (!Run({"wc", "-l", "--files0-from=" + list}, root + "/wc.out"))
                        throw std::runtime_error("wc failed");
                },
                [&] {
                    for (const Source& s : crlf)
                        if (fs::file_size(target + "/" + s.rel) != 0) throw std::runtime_error("a target was written");
                },
                [&] {
                    const std::string out = ReadAll(root + "/wc.out");
                    const std::size_t end = out.rfind(" total");
                    const std::size_t start = out.rfind('\n', end) + 1;
                    if (std::stoll(out.substr(start, end - start)) != counted)
                        throw std::runtime_error("the line counts differ from wc's");
                });
            std::printf("count only: %lld lines in %d sources, as wc counts\n", static_cast<long long>(counted),
                        sources);
            const char* name = fresh ? "count only, new targets" : "count only, targets there";
            PrintLine((std::string(name) + ":").c_str(), a, "wc -l", b);
            JudgeFigure((std::string(name) + ", ratio of medians to wc -l").c_str(), a.Median() / b.Median(), "x",
                        1.5);
        }

        // The LF-only tree converted by perl: the same bytes as the copier's
        // (every LF made CR LF, a last line without one left so), the same
        // folders made, each file written where the copier writes it.
        const std::string lfList = root + "/lf-files0";
        {
            std::string names;
            for (const Source& s : lf) names += s.rel + '\0';
            WriteAll(lfList, names);
        }
        static const char kConvert[] = R"(use strict; use warnings; use File::Path qw(make_path);
my ($from, $to, $list) = @ARGV;
open(my $l, "<:raw", $list) or die "$list: $!";
local $/ = "\0";
my $made = "";
while (my $rel = <$l>) {
    chomp $rel;
    my $target = "$to/$rel";
    (my $dir = $target) =~ s{/[^/]*\z}{};
    if ($dir ne $made) { make_path($dir); $made = $dir; }
    open(my $in, "<:raw", "$from/$rel") or die "$rel: $!";
    my $text = do { local $/; <$in> };
    close $in;
    $text =~ s/\n/\r\n/g;
    open(my $out, ">:raw", $target) or die "$target: $!";
    print $out $text or die "$target: $!";
    close $out or die "$target: $!";
})";
        struct CopyCase {
            const char* name;
            const std::vector<Source>* tree;
            bool convert;
            const char* reference;
        };
        for (const CopyCase& c : {CopyCase{"copy (CR LF)", &crlf, false, "cp -r"},
                                  CopyCase{"copy (LF only, made CR LF)", &lf, true, "perl s/\\n/\\r\\n/g"}}) {
            const std::string from = root + (c.convert ? "/lf" : "/crlf");
            std::int64_t lines = 0;
            const auto [a, b] = RunBoth(
                runs, clean, [&] { lines = CopyTree(from, ours, *c.tree, false); },
                [&] {
                    const bool done = c.convert ? Run({"perl", "-e", kConvert, from, theirs, lfList})
                                                : Run({"cp", "-r", from, theirs});
                    if (!done) throw std::runtime_error(std::string(c.reference) + " failed");
                },
                [&] {
                    if (lines != TotalLines(*c.tree)) throw std::runtime_error("our line count is wrong");
                    CheckCopies(from, ours, *c.tree, c.convert, "ours");
                },
                [&] { CheckCopies(from, theirs, *c.tree, c.convert, c.reference); });
            PrintLine((std::string(c.name) + ":").c_str(), a, c.reference, b);
            JudgeFigure((std::string(c.name) + ", ratio of medians to " + c.reference).c_str(),
                        a.Median() / b.Median(), "x", 1.5);
        }

        std::mt19937 rng(3);
        const TextWorld world = MakeDictionary(100000, rng);
        pem::TDocumentDictionary dictionary;
        const double dictSeconds =
            Seconds([&] { dictionary = pem::TDocumentDictionary(world.single, world.compound, world.exceptions); });
        const pem::TControlWordList control({"shall", "must", "CPU1"});
        const std::string text = MakeText(textMb << 20, world, rng);
        const std::string twice = text + text;
        std::string one, two;
        auto prepare = [&](const std::string& t) {
            return pem::MarkDocumentTermsText(pem::SplitSentencesText(t, control), control, dictionary);
        };
        // Both sizes warm, in this process, in turns: the allocator keeps
        // what it was given (no trimming, no separate mappings), so that the
        // larger text does not fault on fresh memory where the smaller one
        // reuses what it freed. The processor time of the thread is printed
        // beside the wall time.
        ::mallopt(M_MMAP_THRESHOLD, 512 << 20);
        ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
        Times smallCpu, largeCpu;
        auto cpu = [](Times& into, const std::function<void()>& f) {
            const double start = ThreadSeconds();
            f();
            into.t.push_back(ThreadSeconds() - start);
        };
        const auto [small, large] = RunBoth(
            runs, [] {}, [&] { cpu(smallCpu, [&] { one = prepare(text); }); },
            [&] { cpu(largeCpu, [&] { two = prepare(twice); }); }, {},
            [&] {
                if (two != one + one) throw std::runtime_error("the doubled text was not marked as twice the text");
            });
        // The warm-up runs do not count.
        smallCpu.t.erase(smallCpu.t.begin());
        largeCpu.t.erase(largeCpu.t.begin());
        std::printf("dictionary of %zu terms and %zu compounds; text of %zu MB marked into %zu MB\n",
                    world.single.size(), world.compound.size(), text.size() >> 20, one.size() >> 20);
        ShowFigure("dictionary made in", dictSeconds, " s");
        std::printf("re-flow and marking: %zu MB %.3f s (%.3f..%.3f), %zu MB %.3f s (%.3f..%.3f), ratio %.2f\n",
                    text.size() >> 20, small.Median(), small.Min(), small.Max(), twice.size() >> 20, large.Median(),
                    large.Min(), large.Max(), large.Median() / small.Median());
        std::printf("re-flow and marking, processor time: %zu MB %.3f s (%.3f..%.3f), %zu MB %.3f s (%.3f..%.3f), "
                    "ratio %.2f\n",
                    text.size() >> 20, smallCpu.Median(), smallCpu.Min(), smallCpu.Max(), twice.size() >> 20,
                    largeCpu.Median(), largeCpu.Min(), largeCpu.Max(), largeCpu.Median() / smallCpu.Median());
        JudgeFigure("re-flow and marking of 2T against T, ratio of medians", large.Median() / small.Median(), "x",
                    2.2);
        JudgeFigure("re-flow and marking of 2T against T, processor time, ratio of medians",
                    largeCpu.Median() / smallCpu.Median(), "x", 2.2);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "input_bench: %s\n", e.what());
        rc = 1;
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return rc;
}
