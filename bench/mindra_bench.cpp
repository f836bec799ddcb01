// Times the defect statistic and the defect ranking over the documents of
// many scanner reports, and the conversion that makes those documents:
//
//   mindra_bench [--reports N] [--runs R]
//
// N scanner reports (default 2,000) with three components each are made in
// a fresh folder under $TMPDIR (or /tmp), converted one by one as runs would
// leave them, then the statistic (N documents) and the ranking (3N
// documents) are collected R times (default 5). Prints min, median and max
// of each, and checks that every report gave its record. No goal is set for
// these figures: they are shown as information, to follow from one change to
// the next.
#include "MindraStatistics.h"
#include "MetricTemplates.h"
#include "ReportConversion.h"

#include "BenchVerdict.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

double Seconds(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Quiet : TReportProblems {
    int errors = 0;
    void XmlProcessingError(const std::string& m) override {
        ++errors;
        std::fprintf(stderr, "error: %s\n", m.c_str());
    }
    void Warning(const std::string&) override {}
};

std::string Report(const std::string& system, int n) {
    const char* kinds[] = {"Fatal", "Major", "Media", "Minor", "Unkno", "Total", "Weigh"};
    std::string t = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->\n"
                    "<QMETRICS>\n  <METRIC_FILE Product=\"BENCH\" System=\"" + system +
                    "\" Version=\"1.0\" Date=\"070111\" Source=\"Mindra\"/>\n"
                    "  <METRIC_ENTITY Entity=\"Product\" EName=\"" + system + "\" EType=\"PR\">\n    <Quantity_Metrics>\n";
    auto group = [&](const std::string& attr, const std::string& suffix, int base) {
        t += "      <Defects " + attr + ">\n";
        for (int k = 0; k < 7; ++k) {
            const std::string name = std::string(kinds[k]) + "_" + suffix;
            t += "        <" + name + ">" + std::to_string((base + k) % 17) + "</" + name + ">\n";
        }
        t += "      </Defects>\n";
    };
    for (const char* role : {"Devl", "Test", "Mngr", "User"})
        group(std::string("type=\"") + role + "\"", std::string(role) + "_Defects", n);
    for (int c = 0; c < 3; ++c) group("comp=\"Comp" + std::to_string(c) + "\"", "Comp_Defects", n + c);
    t += "    </Quantity_Metrics>\n    <Quality_Metrics>\n      <Completeness>0.5</Completeness>\n"
         "      <Conformity>0.5</Conformity>\n      <Quality>0.5</Quality>\n      <Impact>0.5</Impact>\n"
         "    </Quality_Metrics>\n  </METRIC_ENTITY>\n</QMETRICS>\n";
    return t;
}

void PrintTimes(const std::string& what, std::vector<double> t) {
    std::sort(t.begin(), t.end());
    std::printf("%-44s min %8.3f s  median %8.3f s  max %8.3f s\n", what.c_str(), t.front(), t[t.size() / 2],
                t.back());
    ShowFigure((what + ", median").c_str(), t[t.size() / 2], " s");
}

} // namespace

int main(int argc, char** argv) {
    int reports = 2000;
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--reports")) reports = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/mindra_bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path root = tmpl;
    Quiet problems;
    TScannerReportSettings s;
    s.OutputDir = (root / "out").string();
    s.ProductName = "BENCH";
    s.SystemVersion = "1.0";
    s.DocumentKind = kDocumentKindDefects;
    s.ProductKind = kProductKindDocumentScanners;
    const TReportTemplates templates = BuiltInReportTemplates();

    const double convert = Seconds([&] {
        for (int i = 0; i < reports; ++i) {
            s.SystemName = "Sys" + std::to_string(i);
            fs::create_directories(s.OutputDir);
            std::ofstream(s.OutputDir + "/" + s.SystemName + ".xml", std::ios::binary) << Report(s.SystemName, i);
            std::ofstream(s.OutputDir + "/" + s.SystemName + ".txt", std::ios::binary) << "scan\n";
            ConvertReportAfterRun({s, templates, &problems});
        }
    });
    std::printf("%d reports converted in %.3f s\n", reports, convert);
    ShowFigure("conversion, time a report", 1000 * convert / reports, " ms");

    std::vector<double> stat, rank;
    bool ok = problems.errors == 0;
    for (int r = 0; r < runs; ++r) {
        stat.push_back(Seconds([&] {
            auto result = CollectDefectStatistic(s, problems);
            ok = ok && result.Report.Items.size() == static_cast<size_t>(reports) + 1;
        }));
        rank.push_back(Seconds([&] {
            auto result = CollectDefectRanking(s, problems);
            ok = ok && result.Report.Items.size() == static_cast<size_t>(3 * reports) + 1;
        }));
    }
    PrintTimes("defect statistic over " + std::to_string(reports) + " documents", stat);
    PrintTimes("defect ranking over " + std::to_string(3 * reports) + " documents", rank);

    std::error_code ec;
    fs::remove_all(root, ec);
    if (!ok) {
        std::fprintf(stderr, "mindra_bench: a report did not give its records\n");
        return 1;
    }
    return 0;
}
