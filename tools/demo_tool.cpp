// The demo installation's stand-in for every analysis tool of the package:
//
//   demo_tool last.xml[;NNNN] [> Console.log]
//
// It keeps the tools' contract with the shell: reads the parameter document
// and the input tree, prints "Orig Source File = <path>" per source, writes
// its results into "Metrics" under input-tree names (the shell gives them
// their source names back), logs into "<system>.log", and stops when an
// empty "Semaphore.xml" appears. Its metrics are line counts: per source,
// per module and per component.
#include "ToolContract.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

using namespace pemtool;

int main(int argc, char** argv) {
    const TToolArguments args = ParseToolArguments(argc, argv);
    if (!args.consoleFile.empty() && !RedirectConsole(args.consoleFile)) return 4;
    TParameterDocument doc;
    std::string error;
    if (!ReadParameterDocument(args.document, doc, error)) {
        std::printf("demo tool: %s\n", error.c_str());
        return 2;
    }
    std::ofstream log(doc.systemName + ".log", std::ios::binary | std::ios::app);
    log << "Demo analysis of " << doc.productName << " / " << doc.systemName << " " << doc.version << "\n";
    std::map<std::string, std::pair<long, int>> modules, components;
    int done = 0, missing = 0;
    for (const TSourceEntry& s : doc.sources) {
        if (args.sourceNumber >= 0 && std::stoi(s.number) != args.sourceNumber) continue;
        if (StopRequested(doc.outputDir)) {
            log << "Stop requested, " << done << " sources analysed\n";
            std::printf("Stop requested\n");
            return 3;
        }
        const long lines = CountLines(doc.inputDir + "/" + s.treePath);
        if (lines < 0) {
            log << "Input missing: " << s.treePath << "\n";
            ++missing;
            continue;
        }
        ReportSource(s.origPath, false);
        WriteResult(doc.outputDir, "Metrics", TreeName(s.treePath) + ".met",
                    "Source > " + s.origPath + "\nLines > " + std::to_string(lines) + "\n");
        log << s.origPath << ": " << lines << " lines\n";
        ++done;
        for (auto [map, key] : {std::pair{&modules, TreeModule(s.treePath)}, {&components, TreeComponent(s.treePath)}}) {
            if (key.empty()) continue;
            (*map)[key].first += lines;
            ++(*map)[key].second;
        }
    }
    for (auto* map : {&modules, &components})
        for (const auto& [name, total] : *map)
            WriteResult(doc.outputDir, "Metrics", name + ".met",
                        "Sources > " + std::to_string(total.second) + "\nLines > " + std::to_string(total.first) + "\n");
    log << done << " sources analysed, " << missing << " missing\n";
    std::printf("%d sources analysed\n", done);
    return missing ? 1 : 0;
}
