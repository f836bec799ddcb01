// Speed and peak memory of the XML model against pugixml as the reference
// parser, under equal conditions for both sides:
//   - parse: each parse in a fresh child process, the document already in
//     memory (read before the clock starts);
//   - file:  each load of the document from disk in a fresh child process;
//   - warm:  both parsers in one process, alternated, after one warm-up parse
//     each, with the allocator told to keep freed memory (no mmap, no trim),
//     so that both sides reuse warm pages the same way.
// Runs alternate between the sides (the first side swaps every round); each
// figure is the median with min and max. Peak memory is each child's maximum
// resident set. Every run hashes what it parsed (elements in document order
// with level, name, attributes and text) and both sides must agree.
// Afterwards the model's own look-ups, walk and writer are timed once.
//   xml_bench [megabytes (50)] [runs per side (7)]
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "StringList.h"
#include "TessalyXML.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string EntityName(int k) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "module_%06d", k);
    return buf;
}

// A metric document: declaration, type comment, root, the empty METRIC_FILE,
// then METRIC_ENTITY elements holding measures grouped by kind.
std::string MetricDocument(size_t bytes, int& entities) {
    std::string d;
    d.reserve(bytes + 4096);
    d += "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";
    d += "<!--DOCTYPE CMETRICS SYSTEM \"Cmetrics.xsd\"-->\r\n";
    d += "<CMETRICS>\r\n";
    d += "  <METRIC_FILE Product=\"Bench\" System=\"Generated\" Version=\"1.0\" Date=\"2024-01-01\" "
         "Source=\"xml_bench\"/>\r\n";
    unsigned seed = 12345;
    auto rnd = [&](unsigned mod) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % mod;
    };
    entities = 0;
    while (d.size() < bytes) {
        const int k = entities++;
        d += "  <METRIC_ENTITY Entity=\"Module\" EName=\"" + EntityName(k) + "\" EType=\"" +
             (k % 3 ? "MO" : "CO") + "\">\r\n";
        d += "    <Quantity_Metrics>\r\n";
        d += "      <Lines>" + std::to_string(rnd(5000)) + "</Lines>\r\n";
        d += "      <Statements>" + std::to_string(rnd(3000)) + "</Statements>\r\n";
        d += "      <Comments>" + std::to_string(rnd(800)) + "</Comments>\r\n";
        d += "      <Functions>" + std::to_string(rnd(60)) + "</Functions>\r\n";
        d += "    </Quantity_Metrics>\r\n";
        d += "    <Complexity_Metrics>\r\n";
        d += "      <McCabe>" + std::to_string(rnd(90)) + "</McCabe>\r\n";
        d += "      <Nesting>" + std::to_string(rnd(12)) + "</Nesting>\r\n";
        d += "      <Halstead_Volume Unit=\"bits\">" + std::to_string(rnd(99999)) + ".5</Halstead_Volume>\r\n";
        d += "    </Complexity_Metrics>\r\n";
        d += "    <Quality_Metrics>\r\n";
        d += "      <Maintainability>0." + std::to_string(rnd(100)) + "</Maintainability>\r\n";
        d += "      <Comment_Ratio>0." + std::to_string(rnd(100)) + "</Comment_Ratio>\r\n";
        d += "    </Quality_Metrics>\r\n";
        d += "  </METRIC_ENTITY>\r\n";
    }
    d += "</CMETRICS>\r\n";
    return d;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    std::string s(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(s.data(), static_cast<std::streamsize>(s.size()));
    return s;
}

// ------------------------------------------------------------ what was parsed

// FNV-1a over the elements in document order.
struct Digest {
    uint64_t h = 1469598103934665603ull;
    long elements = 0;
    void Add(std::string_view s) {
        for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
        h = (h ^ 0xff) * 1099511628211ull;
    }
    void Element(int level, std::string_view name) {
        ++elements;
        Add(std::to_string(level));
        Add(name);
    }
};

Digest ModelDigest(const pem::TMyXMLNodeList& l) {
    Digest d;
    for (int i = 0; i < l.Count(); ++i) {
        const pem::TMyXMLNode* n = l.NodeAt(i);
        d.Element(n->Level, n->TagName);
        if (auto attrs = n->AttributeValues())
            for (int k = 0; k < attrs->Count(); ++k) d.Add((*attrs)[k]);
        d.Add("|");
        d.Add(n->Value);
    }
    return d;
}

void PugiDigestOf(const pugi::xml_node& e, int level, Digest& d) {
    d.Element(level, e.name());
    for (const pugi::xml_attribute& a : e.attributes()) d.Add(std::string(a.name()) + "=" + a.value());
    d.Add("|");
    d.Add(e.child_value());
    for (const pugi::xml_node& c : e.children())
        if (c.type() == pugi::node_element) PugiDigestOf(c, level + 1, d);
}

Digest PugiDigest(const pugi::xml_document& doc) {
    Digest d;
    for (const pugi::xml_node& c : doc.children())
        if (c.type() == pugi::node_element) PugiDigestOf(c, 0, d);
    return d;
}

long PeakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// One timed run's outcome, as a child prints it.
struct Run {
    double seconds = 0;
    long peakKiB = 0;
    uint64_t digest = 0;
    long elements = 0;
};

void PrintRun(const Run& r) {
    std::printf("%.6f %ld %llu %ld\n", r.seconds, r.peakKiB, static_cast<unsigned long long>(r.digest), r.elements);
    std::fflush(stdout);
}

// ------------------------------------------------------------------ children

// Parses or loads once, then leaves without freeing anything (both sides
// alike): the process ends right after the figures are printed.
int FreshChild(const std::string& mode, const std::string& side, const std::string& file) {
    const bool fromFile = mode == "file";
    std::string text;
    if (!fromFile) text = ReadWhole(file);
    Run r;
    if (side == "pugi") {
        auto* doc = new pugi::xml_document;
        auto t0 = Clock::now();
        pugi::xml_parse_result ok = fromFile ? doc->load_file(file.c_str()) : doc->load_buffer(text.data(), text.size());
        r.seconds = Seconds(t0);
        r.peakKiB = PeakKiB();
        if (!ok) return 3;
        Digest d = PugiDigest(*doc);
        r.digest = d.h;
        r.elements = d.elements;
    } else {
        auto t0 = Clock::now();
        std::unique_ptr<pem::TMyXMLNodeList> l =
            fromFile ? pem::TMyXMLNodeList::CreateFromFile(file) : pem::TMyXMLNodeList::CreateFromText(text);
        r.seconds = Seconds(t0);
        r.peakKiB = PeakKiB();
        Digest d = ModelDigest(*l);
        r.digest = d.h;
        r.elements = d.elements;
        l.release();
    }
    PrintRun(r);
    std::_Exit(0);
}

void ModelOperations(const pem::TMyXMLNodeList& constList, int entities);

// Both sides in one process, alternated after a warm-up parse each.
int WarmChild(const std::string& file, int runs) {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT32_MAX);
    const std::string text = ReadWhole(file);
    auto pugiOnce = [&](Run& r) {
        auto doc = std::make_unique<pugi::xml_document>();
        auto t0 = Clock::now();
        if (!doc->load_buffer(text.data(), text.size())) std::exit(3);
        r.seconds = Seconds(t0);
        Digest d = PugiDigest(*doc);
        r.digest = d.h;
        r.elements = d.elements;
    };
    auto modelOnce = [&](Run& r) {
        auto t0 = Clock::now();
        auto l = pem::TMyXMLNodeList::CreateFromText(text);
        r.seconds = Seconds(t0);
        Digest d = ModelDigest(*l);
        r.digest = d.h;
        r.elements = d.elements;
    };
    Run warm;
    pugiOnce(warm);
    modelOnce(warm);
    for (int k = 0; k < runs; ++k) {
        Run a, b;
        if (k % 2 == 0) {
            pugiOnce(a);
            modelOnce(b);
        } else {
            modelOnce(b);
            pugiOnce(a);
        }
        std::printf("pugi ");
        PrintRun(a);
        std::printf("model ");
        PrintRun(b);
    }
    auto l = pem::TMyXMLNodeList::CreateFromText(text);
    int entities = 0;
    for (int i = 0; i < l->Count(); ++i)
        if (l->NodeAt(i)->TagName == "METRIC_ENTITY") ++entities;
    ModelOperations(*l, entities);
    return 0;
}

// Look-ups of every entity, a child and sibling walk and the writer.
void ModelOperations(const pem::TMyXMLNodeList& constList, int entities) {
    auto& list = const_cast<pem::TMyXMLNodeList&>(constList);
    pem::TMyXMLNode* root = list.NodeAt(0);
    long long sum = 0;
    auto t0 = Clock::now();
    for (int k = 0; k < entities; ++k) {
        if (!root->Locate("METRIC_ENTITY", {"Entity", "Module", "EName", EntityName(k)})) std::exit(4);
        if (!list.CurrentNode()->FindChild("McCabe")) std::exit(4);
        sum += list.CurrentNode()->AsInteger();
    }
    const double tLocate = Seconds(t0);

    long long walked = 0;
    t0 = Clock::now();
    if (!root->FindChild("METRIC_ENTITY")) std::exit(4);
    do {
        const int entity = list.CursorIndex;
        if (list.NodeAt(entity)->FindChild("Quantity_Metrics")) {
            do {
                ++walked;
            } while (list.NextSibling());
        }
        list.SetCursor(entity);
    } while (list.NextSibling());
    const double tWalk = Seconds(t0);

    t0 = Clock::now();
    const std::string out = list.AsText(-1, false);
    const double tWrite = Seconds(t0);
    std::printf("ops %d %.6f %lld %.6f %lld %.6f %zu\n", entities, tLocate, sum, tWalk, walked, tWrite, out.size());
    std::fflush(stdout);
}

// ------------------------------------------------------------------- parent

std::string SelfPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

// Runs this program with the arguments and returns what it printed.
std::string RunChild(const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(5);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    const std::string self = SelfPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(self.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), &fa, nullptr, argv.data(), environ) != 0) std::exit(5);
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    std::string out;
    char buf[4096];
    for (ssize_t got; (got = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(got));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "child %s %s failed (status %d)\n", args[0].c_str(), args.size() > 1 ? args[1].c_str() : "",
                     status);
        std::exit(6);
    }
    return out;
}

Run ParseRun(const char* line) {
    Run r;
    unsigned long long dg = 0;
    if (std::sscanf(line, "%lf %ld %llu %ld", &r.seconds, &r.peakKiB, &dg, &r.elements) != 4) std::exit(7);
    r.digest = dg;
    return r;
}

struct Stats {
    double min = 0, median = 0, max = 0;
};

Stats StatsOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    Stats s;
    s.min = v.front();
    s.max = v.back();
    const size_t n = v.size();
    s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return s;
}

struct Side {
    std::vector<double> seconds, peakMiB;
};

bool CheckSame(const std::vector<Run>& runs, const Run& reference, const char* what) {
    for (const Run& r : runs)
        if (r.digest != reference.digest || r.elements != reference.elements) {
            std::printf("MISMATCH in %s: %ld elements, digest %llx against %ld, %llx\n", what, r.elements,
                        static_cast<unsigned long long>(r.digest), reference.elements,
                        static_cast<unsigned long long>(reference.digest));
            return false;
        }
    return true;
}

void PrintTimes(const char* label, const Side& pugi, const Side& model, bool memory, double target) {
    Stats p = StatsOf(pugi.seconds), m = StatsOf(model.seconds);
    std::printf("%-22s pugixml %7.3f %7.3f %7.3f s   model %7.3f %7.3f %7.3f s   ratio %.2f", label, p.min, p.median,
                p.max, m.min, m.median, m.max, m.median / p.median);
    if (target > 0) std::printf(" (target %.1fx: %s)", target, m.median / p.median <= target ? "met" : "MISSED");
    std::printf("\n");
    if (memory) {
        Stats pm = StatsOf(pugi.peakMiB), mm = StatsOf(model.peakMiB);
        std::printf("%-22s pugixml %7.1f %7.1f %7.1f MiB model %7.1f %7.1f %7.1f MiB ratio %.2f (target 1.5x: %s)\n",
                    "  peak memory", pm.min, pm.median, pm.max, mm.min, mm.median, mm.max, mm.median / pm.median,
                    mm.median / pm.median <= 1.5 ? "met" : "MISSED");
    }
}

int Parent(double mb, int runs) {
    char templ[] = "/tmp/xml_benchXXXXXX";
    if (!mkdtemp(templ)) return 5;
    const std::string dir = templ;
    const std::string file = dir + "/metrics.xml";
    int entities = 0;
    {
        const std::string doc = MetricDocument(static_cast<size_t>(mb * 1024 * 1024), entities);
        std::ofstream(file, std::ios::binary).write(doc.data(), static_cast<std::streamsize>(doc.size()));
        std::printf("document: %.1f MB, %d entities; %d runs per side, alternated; min median max\n",
                    doc.size() / 1048576.0, entities, runs);
    }

    bool same = true;
    Run reference;
    bool haveReference = false;
    auto fresh = [&](const std::string& mode, Side& pugi, Side& model) {
        std::vector<Run> all;
        for (int k = 0; k < runs; ++k) {
            for (int s = 0; s < 2; ++s) {
                const bool pugiSide = (s == 0) == (k % 2 == 0);
                Run r = ParseRun(RunChild({"--child", mode, pugiSide ? "pugi" : "model", file}).c_str());
                Side& side = pugiSide ? pugi : model;
                side.seconds.push_back(r.seconds);
                side.peakMiB.push_back(r.peakKiB / 1024.0);
                all.push_back(r);
            }
        }
        if (!haveReference) {
            reference = all.front();
            haveReference = true;
        }
        same = CheckSame(all, reference, mode.c_str()) && same;
    };

    Side pugiParse, modelParse, pugiFile, modelFile;
    fresh("parse", pugiParse, modelParse);
    fresh("file", pugiFile, modelFile);

    // The warm child prints its alternated runs, then the model's operations.
    Side pugiWarm, modelWarm;
    std::vector<Run> warmRuns;
    const std::string warm = RunChild({"--child", "warm", "both", file, std::to_string(runs)});
    double tLocate = 0, tWalk = 0, tWrite = 0;
    long long sum = 0, walked = 0;
    size_t written = 0;
    int opsEntities = 0;
    for (size_t p = 0; p < warm.size();) {
        size_t e = warm.find('\n', p);
        std::string line = warm.substr(p, e - p);
        p = e == std::string::npos ? warm.size() : e + 1;
        if (line.rfind("pugi ", 0) == 0 || line.rfind("model ", 0) == 0) {
            const bool pugiSide = line[0] == 'p';
            Run r = ParseRun(line.c_str() + (pugiSide ? 5 : 6));
            (pugiSide ? pugiWarm : modelWarm).seconds.push_back(r.seconds);
            warmRuns.push_back(r);
        } else if (line.rfind("ops ", 0) == 0) {
            std::sscanf(line.c_str(), "ops %d %lf %lld %lf %lld %lf %zu", &opsEntities, &tLocate, &sum, &tWalk, &walked,
                        &tWrite, &written);
        }
    }
    same = CheckSame(warmRuns, reference, "warm") && same;

    std::printf("elements: %ld, same document on both sides in every run: %s\n", reference.elements,
                same ? "yes" : "NO");
    PrintTimes("parse, fresh process", pugiParse, modelParse, true, 2.0);
    PrintTimes("load file, fresh", pugiFile, modelFile, true, 2.0);
    PrintTimes("parse, both warm", pugiWarm, modelWarm, false, 0);
    std::printf("model: locate %d entities %.3f s (checksum %lld), child/sibling walk %.3f s (%lld groups), "
                "write blank layout %.3f s (%.1f MB)\n",
                opsEntities, tLocate, sum, tWalk, walked, tWrite, written / 1048576.0);

    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0) {
        const std::string mode = argv[2];
        if (mode == "warm") return WarmChild(argv[4], argc > 5 ? std::atoi(argv[5]) : 7);
        return FreshChild(mode, argv[3], argv[4]);
    }
    const double mb = argc > 1 ? std::atof(argv[1]) : 50.0;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    return Parent(mb, runs);
}
