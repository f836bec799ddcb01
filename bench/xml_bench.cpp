// Loading a metric document from a file with the XML model, against pugixml
// as the reference parser, at 12.5, 50 and 200 MB.
//
// Every run is a fresh process that loads the document from disk, walks what
// it loaded (counting the elements) and ends, freeing it the way each side
// frees a document. Runs alternate between the sides and the side that goes
// first swaps every round. For each pair of runs the model's figure is
// divided by pugixml's: the whole process (spawn to exit, measured here), the
// load call alone (measured inside the child) and the peak resident memory
// (the child's maximum resident set). Each ratio is given as median with min
// and max over the pairs; the targets are checked at 50 MB. Linearity: the
// model's load call per megabyte at the largest size against the smallest,
// judged on its processor time in the program ("call, user").
// Before the timed runs, one untimed run per side and size hashes everything
// it loaded (elements in document order with level, name, attributes and
// text), and both sides must agree; every timed run must count the same
// number of elements.
// Also per size: both sides loading the file again and again in one process
// ("load again"), alternated. Informative: the model's look-ups, walk and
// writer at 50 MB.
//   xml_bench [runs per side (7, at least 5)] [megabytes ... (12.5 50 200)]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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

// ------------------------------------------------------------------ children

// What a child prints: the load call's seconds and the elements it counted;
// a check child prints the digest instead of the time. user: the call's
// processor time in the program itself, without the kernel's time for it
// (mapping and clearing fresh pages).
void PrintLine(double seconds, long elements, uint64_t digest, double user = 0) {
    std::printf("%.6f %ld %llu %.6f\n", seconds, elements, static_cast<unsigned long long>(digest), user);
    std::fflush(stdout);
}

double UserSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec) + u.ru_utime.tv_usec / 1e6;
}

long CountElements(const pugi::xml_node& e) {
    long n = 0;
    for (const pugi::xml_node& c : e.children())
        if (c.type() == pugi::node_element) n += 1 + CountElements(c);
    return n;
}

long CountElements(const pem::TMyXMLNodeList& l) {
    long n = 0;
    for (int i = 0; i < l.Count(); ++i)
        if (!l.NodeAt(i)->TagName.empty()) ++n;
    return n;
}

// Loads the file once; "check" hashes what was loaded, "load" times the
// call and counts the elements. The document is freed before the process
// ends, as a program that loads one would.
int LoadChild(const std::string& mode, const std::string& side, const std::string& file) {
    const bool check = mode == "check";
    if (side == "pugi") {
        auto doc = std::make_unique<pugi::xml_document>();
        const double u0 = UserSeconds();
        auto t0 = Clock::now();
        pugi::xml_parse_result ok = doc->load_file(file.c_str());
        const double s = Seconds(t0), u = UserSeconds() - u0;
        if (!ok) return 3;
        if (check) {
            Digest d = PugiDigest(*doc);
            PrintLine(0, d.elements, d.h);
        } else {
            PrintLine(s, CountElements(*doc), 0, u);
        }
    } else if (side == "model") {
        const double u0 = UserSeconds();
        auto t0 = Clock::now();
        std::unique_ptr<pem::TMyXMLNodeList> l = pem::TMyXMLNodeList::CreateFromFile(file);
        const double s = Seconds(t0), u = UserSeconds() - u0;
        if (check) {
            Digest d = ModelDigest(*l);
            PrintLine(0, d.elements, d.h);
        } else {
            PrintLine(s, CountElements(*l), 0, u);
        }
    } else {
        PrintLine(0, 0, 0);  // "none": a process that loads nothing
    }
    return 0;
}

void ModelOperations(pem::TMyXMLNodeList& list, int entities);

// Both sides in one process, loading the file again and again, alternated
// after a warm-up load each; each document is freed before the next load.
// With "ops", the model's operations follow.
int RepeatChild(const std::string& file, int runs, bool ops) {
    auto pugiOnce = [&] {
        auto doc = std::make_unique<pugi::xml_document>();
        auto t0 = Clock::now();
        if (!doc->load_file(file.c_str())) std::exit(3);
        return Seconds(t0);
    };
    auto modelOnce = [&] {
        auto t0 = Clock::now();
        auto l = pem::TMyXMLNodeList::CreateFromFile(file);
        return Seconds(t0);
    };
    pugiOnce();
    modelOnce();
    for (int k = 0; k < runs; ++k) {
        double a = 0, b = 0;
        if (k % 2 == 0) {
            a = pugiOnce();
            b = modelOnce();
        } else {
            b = modelOnce();
            a = pugiOnce();
        }
        std::printf("repeat %.6f %.6f\n", a, b);
    }
    if (!ops) return 0;
    auto l = pem::TMyXMLNodeList::CreateFromFile(file);
    int entities = 0;
    for (int i = 0; i < l->Count(); ++i)
        if (l->NodeAt(i)->TagName == "METRIC_ENTITY") ++entities;
    ModelOperations(*l, entities);
    return 0;
}

// Look-ups of every entity, a child and sibling walk and the writer.
void ModelOperations(pem::TMyXMLNodeList& list, int entities) {
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

struct ChildRun {
    std::string out;
    double wall = 0;    // spawn to exit
    double peakMiB = 0; // the child's maximum resident set
};

// Runs this program with the arguments; what it printed, how long it took
// from spawn to exit and its peak memory.
ChildRun RunChild(const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(5);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    posix_spawn_file_actions_addclose(&fa, fds[1]);
    const std::string self = SelfPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(self.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ChildRun r;
    const auto t0 = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), &fa, nullptr, argv.data(), environ) != 0) std::exit(5);
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    char buf[4096];
    for (ssize_t got; (got = read(fds[0], buf, sizeof buf)) > 0;) r.out.append(buf, static_cast<size_t>(got));
    close(fds[0]);
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    r.wall = Seconds(t0);
    r.peakMiB = u.ru_maxrss / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "child");
        for (const auto& a : args) std::fprintf(stderr, " %s", a.c_str());
        std::fprintf(stderr, " failed (status %d)\n", status);
        std::exit(6);
    }
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

std::vector<double> PairRatios(const std::vector<double>& model, const std::vector<double>& pugi) {
    std::vector<double> r;
    for (size_t k = 0; k < model.size() && k < pugi.size(); ++k) r.push_back(model[k] / pugi[k]);
    return r;
}

// One side's figures at one size, one entry per run.
struct Side {
    std::vector<double> wall, call, peakMiB;
    std::vector<double> user;    // the load call's processor time in the program
    std::vector<double> repeat;  // loads repeated in one process
};

struct SizeResult {
    double mb = 0;
    long elements = 0;
    Side pugi, model;
    bool same = true;
};

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

void PrintMeasure(const char* label, const char* unit, const std::vector<double>& pugi,
                  const std::vector<double>& model, double target, bool judge, bool& allMet) {
    const Stats p = StatsOf(pugi), m = StatsOf(model), r = StatsOf(PairRatios(model, pugi));
    std::printf("  %-14s pugixml %8.3f (%.3f-%.3f) %s  model %8.3f (%.3f-%.3f) %s  ratio %.2fx (%.2f-%.2f)", label,
                p.median, p.min, p.max, unit, m.median, m.min, m.max, unit, r.median, r.min, r.max);
    if (judge) {
        const bool met = r.median <= target;
        allMet = allMet && met;
        std::printf("  target <= %.1fx: %s", target, Verdict(met));
    }
    std::printf("\n");
}

// Parses what a repeat child printed into the two sides; returns the rest.
std::string ReadRepeats(const std::string& out, Side& pugi, Side& model) {
    std::string rest;
    for (size_t p = 0; p < out.size();) {
        size_t e = out.find('\n', p);
        std::string line = out.substr(p, e - p);
        p = e == std::string::npos ? out.size() : e + 1;
        double a = 0, b = 0;
        if (std::sscanf(line.c_str(), "repeat %lf %lf", &a, &b) == 2) {
            pugi.repeat.push_back(a);
            model.repeat.push_back(b);
        } else {
            rest += line + "\n";
        }
    }
    return rest;
}

SizeResult MeasureSize(const std::string& dir, double mb, int runs, bool ops, std::string& opsLine) {
    SizeResult res;
    res.mb = mb;
    const std::string file = dir + "/metrics.xml";
    int entities = 0;
    {
        const std::string doc = MetricDocument(static_cast<size_t>(mb * 1024 * 1024), entities);
        std::ofstream(file, std::ios::binary).write(doc.data(), static_cast<std::streamsize>(doc.size()));
    }
    // The same document on both sides, hashed whole.
    auto check = [&](const char* side) {
        long elements = 0;
        unsigned long long digest = 0;
        double s = 0;
        const ChildRun c = RunChild({"--child", "check", side, file});
        if (std::sscanf(c.out.c_str(), "%lf %ld %llu", &s, &elements, &digest) != 3) std::exit(7);
        return std::make_pair(elements, digest);
    };
    const auto pc = check("pugi"), mc = check("model");
    res.elements = pc.first;
    res.same = pc == mc;
    if (!res.same)
        std::printf("MISMATCH at %.1f MB: pugixml %ld elements, digest %llx; model %ld elements, digest %llx\n", mb,
                    pc.first, pc.second, mc.first, mc.second);

    for (int k = 0; k < runs; ++k) {
        for (int s = 0; s < 2; ++s) {
            const bool pugiSide = (s == 0) == (k % 2 == 0);
            const ChildRun c = RunChild({"--child", "load", pugiSide ? "pugi" : "model", file});
            double call = 0, user = 0;
            long elements = 0;
            unsigned long long unused = 0;
            if (std::sscanf(c.out.c_str(), "%lf %ld %llu %lf", &call, &elements, &unused, &user) != 4) std::exit(7);
            if (elements != res.elements) {
                std::printf("MISMATCH at %.1f MB: a %s run counted %ld elements, not %ld\n", mb,
                            pugiSide ? "pugixml" : "model", elements, res.elements);
                res.same = false;
            }
            Side& side = pugiSide ? res.pugi : res.model;
            side.wall.push_back(c.wall);
            side.call.push_back(call);
            side.user.push_back(user);
            side.peakMiB.push_back(c.peakMiB);
        }
    }
    opsLine = ReadRepeats(RunChild({"--child", "repeat", ops ? "ops" : "load", file, std::to_string(runs)}).out,
                          res.pugi, res.model);
    std::printf("%.1f MB, %d entities, %ld elements, same result on both sides: %s\n", mb, entities, res.elements,
                res.same ? "yes" : "NO");
    return res;
}

int Parent(int runs, const std::vector<double>& sizes) {
    char templ[] = "/tmp/xml_benchXXXXXX";
    if (!mkdtemp(templ)) return 5;
    const std::string dir = templ;
    std::printf("loading a metric document from a file, a fresh process per run, %d runs per side alternated;\n"
                "figures: median (min-max); ratios model/pugixml taken pair by pair\n",
                runs);
    {
        std::vector<double> empty;
        for (int k = 0; k < runs; ++k) empty.push_back(RunChild({"--child", "load", "none", "-"}).wall);
        const Stats e = StatsOf(empty);
        std::printf("a process that loads nothing: %.3f (%.3f-%.3f) s\n", e.median, e.min, e.max);
    }

    // The targets are judged at the size nearest 50 MB.
    size_t judged = 0;
    for (size_t k = 0; k < sizes.size(); ++k)
        if (std::fabs(sizes[k] - 50) < std::fabs(sizes[judged] - 50)) judged = k;

    std::vector<SizeResult> results;
    std::string opsLine;
    bool same = true, allMet = true;
    for (size_t k = 0; k < sizes.size(); ++k) {
        const bool judge = k == judged;
        std::string ops;
        results.push_back(MeasureSize(dir, sizes[k], runs, judge, ops));
        if (judge) opsLine = ops;
        const SizeResult& r = results.back();
        same = same && r.same;
        PrintMeasure("whole process", "s  ", r.pugi.wall, r.model.wall, 1.5, judge, allMet);
        PrintMeasure("load call", "s  ", r.pugi.call, r.model.call, 1.7, judge, allMet);
        PrintMeasure("peak memory", "MiB", r.pugi.peakMiB, r.model.peakMiB, 1.3, judge, allMet);
        bool unused = true;
        PrintMeasure("call, user", "s  ", r.pugi.user, r.model.user, 0, false, unused);
        PrintMeasure("load again", "s  ", r.pugi.repeat, r.model.repeat, 0, false, unused);
    }
    if (results.size() >= 2) {
        // Per megabyte at the largest size against the smallest; 1.00 is
        // exactly linear. Judged on the load call's processor time in the
        // program: what the kernel spends on fresh pages varies with how
        // much memory the processes before took and gave back, for both
        // sides alike; the times with it are shown beside.
        const SizeResult &a = results.front(), &b = results.back();
        const double sizeGrowth = b.mb / a.mb;
        auto growth = [&](const std::vector<double>& small, const std::vector<double>& large) {
            return StatsOf(large).median / StatsOf(small).median / sizeGrowth;
        };
        const double model = growth(a.model.user, b.model.user), pugi = growth(a.pugi.user, b.pugi.user);
        const double fresh = growth(a.model.call, b.model.call), pugiFresh = growth(a.pugi.call, b.pugi.call);
        const double again = growth(a.model.repeat, b.model.repeat), pugiAgain = growth(a.pugi.repeat, b.pugi.repeat);
        const double modelMem = growth(a.model.peakMiB, b.model.peakMiB);
        const bool met = model <= 1.25;
        allMet = allMet && met;
        std::printf("linearity %.1f -> %.1f MB (x%.0f), per MB: load call's processor time model %.2f, pugixml %.2f  "
                    "target model <= 1.25: %s\n"
                    "  load call model %.2f, pugixml %.2f; load again model %.2f, pugixml %.2f; peak memory model %.2f\n",
                    a.mb, b.mb, sizeGrowth, model, pugi, Verdict(met), fresh, pugiFresh, again, pugiAgain, modelMem);
    }
    {
        int opsEntities = 0;
        double tLocate = 0, tWalk = 0, tWrite = 0;
        long long sum = 0, walked = 0;
        size_t written = 0;
        if (std::sscanf(opsLine.c_str(), "ops %d %lf %lld %lf %lld %lf %zu", &opsEntities, &tLocate, &sum, &tWalk,
                        &walked, &tWrite, &written) == 7)
            std::printf("informative, %.1f MB: model locate %d entities %.3f s (checksum %lld), child/sibling walk "
                        "%.3f s (%lld groups), write blank layout %.3f s (%.1f MB)\n",
                        sizes[judged], opsEntities, tLocate, sum, tWalk, walked, tWrite, written / 1048576.0);
    }

    std::printf("same result on both sides in every run: %s; targets: %s\n", same ? "yes" : "NO",
                allMet ? "all met" : "not all met");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0) {
        const std::string mode = argv[2];
        if (mode == "repeat")
            return RepeatChild(argv[4], argc > 5 ? std::atoi(argv[5]) : 7, std::strcmp(argv[3], "ops") == 0);
        return LoadChild(mode, argv[3], argv[4]);
    }
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 7;
    std::vector<double> sizes;
    for (int k = 2; k < argc; ++k)
        if (const double mb = std::atof(argv[k]); mb > 0) sizes.push_back(mb);
    if (sizes.empty()) sizes = {12.5, 50, 200};
    return Parent(runs, sizes);
}
