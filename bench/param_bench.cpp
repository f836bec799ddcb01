// Composing the parameter document, its input-tree entries and its batch
// lines for a large job:
//
//   param_bench [--sources N] [--runs R]
//
// N sources (default 9,998) in 50 components of 20 modules, composed once
// with the structure (level 2) and once as a flat list (level 99), each R
// times after a warm-up. The median with min and max is printed and judged
// against the goal: under 0.2 s. After every run the result is checked: one
// File_ element and one XCPY entry per source.
#include "BenchCompare.h"
#include "BenchVerdict.h"

#include "ModularStructure.h"
#include "ParameterDocument.h"
#include "SourceFileList.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace pem;

int main(int argc, char** argv) {
    int sources = 9998, runs = 9;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--sources")) sources = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
    }
    TSourceFileList files;
    TModularStructure structure;
    std::vector<TSourceFile> items;
    char name[64];
    for (int i = 0; i < sources; ++i) {
        std::snprintf(name, sizeof name, "comp%02d/mod%02d/source%05d.cobol", i % 50, (i / 50) % 20, i);
        items.push_back({std::string("/data/system/") + name, i % 7 != 0, true});
    }
    files.Assign(std::move(items));
    for (const TSourceFile& f : files.Items()) {
        const std::string rel = f.path.substr(13);
        structure.Components.push_back(rel.substr(0, 6));
        structure.Modules.push_back(rel.substr(7, 5));
        structure.Sources.push_back(rel.substr(13, 11));
        structure.Extensions.push_back(".cobol");
    }
    const int ticked = files.CheckedCount();

    for (int level : {2, 99}) {
        TParameterJob job;
        job.programName = "Korvex";
        job.languageVersion = "COBOL 85";
        job.productName = "Prod";
        job.systemName = "Sys";
        job.version = "1";
        job.structureLevel = level;
        job.commonRoot = "/data/system";
        job.outputDirectory = "/data/out";
        job.files = &files;
        job.structure = &structure;
        job.options[poAudit] = {true, true};
        bool ok = true;
        auto compose = [&] {
            const TParameterDocument doc = ComposeParameterDocument(job);
            int elements = 0, copies = 0;
            for (int i = 0; i < doc.lines.Count(); ++i) elements += doc.lines[i].rfind("  <File_", 0) == 0;
            for (const TInputTreeEntry& e : doc.entries.Entries()) copies += e.key.rfind("XCPY", 0) == 0;
            ok = ok && elements == ticked && copies == ticked;
        };
        compose(); // warm-up
        Times t;
        for (int r = 0; r < runs; ++r) t.t.push_back(Seconds(compose));
        std::printf("%-10s %d sources (%d ticked): median %.4f s (min %.4f, max %.4f)%s\n",
                    level == 99 ? "flat list" : "structured", sources, ticked, t.Median(), t.Min(), t.Max(),
                    ok ? "" : "  RESULT WRONG");
        if (!ok) return 1;
        JudgeFigure(level == 99 ? "flat list, median" : "structured, median", t.Median(), " s", 0.2);
    }
    return 0;
}
