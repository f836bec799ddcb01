// Compound metrics over many metric documents, and the XML editor's rows:
//
//   compound_bench [--files N] [--runs R] [--elements E]
//
// 1. A folder of N metric documents (10,000 by default, all seven kinds)
//    is imported (each head read and checked, as the compound window adds a
//    folder) and combined into the compound document by this program, and
//    loaded by pugixml in the same process, reading the same figures. Both
//    warm (the files are in the page cache after a first pass of each),
//    alternated R times; medians with min and max; both sides must agree on
//    the number of files and the sums. Target: within 3x of pugixml.
// 2. The rows of an editor page on a document of E elements (2,000 by
//    default): read, rows built and laid out, offscreen; the time is
//    printed. Goal: under 1 s.
// The files go to a fresh folder under $TMPDIR (or /tmp), removed afterwards.
#include "BenchCompare.h"
#include "BenchVerdict.h"
#include "CompoundComputation.h"
#include "Forms.h"
#include "MetricFileList.h"
#include "MetricTemplates.h"
#include "SharedRoutinesCommon.h"
#include "XMLEditFrame.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

struct Kind {
    const char* type;
    const char* label;
};
const Kind kKinds[] = {{"CMETRICS", "Prc. Code"}, {"OMETRICS", "OO Code"},     {"IMETRICS", "Interface"},
                       {"DBMETRIC", "Data"},      {"TCMETRIC", "Test Case"}, {"SMETRICS", "Requirement"},
                       {"UMETRICS", "Design"}};

// Every element any kind reads, so that each file serves its kind.
const char* const kCounters[] = {
    "Nr_Documents", "Nr_Text_Lines", "Nr_Text_Titles", "Nr_Sections", "Nr_Sentences", "Nr_Entities",
    "Nr_Requirements", "Nr_Panels", "Nr_Reports", "Nr_Objects", "Nr_States", "Nr_Actions", "Nr_Rules",
    "Nr_Actors", "Nr_UseCases", "Nr_TestCases", "Nr_Design_Diagrams", "Nr_UseCase_Diagrams",
    "Nr_Class_Diagrams", "Nr_Sequ_Diagrams", "Nr_Inter_Diagrams", "Nr_Activity_Diagrams", "Nr_State_Diagrams",
    "Nr_Comp_Diagrams", "Nr_Dist_Diagrams", "Nr_Diag_Types", "Nr_Design_Entities", "Nr_Systems",
    "Nr_Components", "Nr_Interfaces", "Nr_Classes", "Nr_Base_Classes", "Nr_Methods", "Nr_Parameters",
    "Nr_Attributes", "Nr_Design_Relations", "Nr_UseCase_Relations", "Nr_Generalizations", "Nr_Associations",
    "Nr_Interactions", "Nr_Sources", "Nr_Lines", "Nr_Code_Lines", "Nr_Comment_Lines", "Nr_Modules",
    "Nr_Data_Definitions", "Nr_Variables", "Nr_Stmts", "Nr_Tables", "Nr_Records", "Nr_Segments",
    "Nr_Tested_Requs", "Nr_Tested_Funcs", "Nr_Tested_Objects", "Nr_TestProcs", "Nr_Func_Points",
    "Nr_Data_Points", "Nr_Objt_Points", "Nr_Case_Points", "Nr_Test_Points", "Nr_UC_Points", "Nr_Major_Defis",
    "Nr_Media_Defis", "Nr_Minor_Defis"};
const char* const kReals[] = {"Complexity",      "Conformity",          "Quality",           "Design_Complexity",
                              "Design_Quality",  "Program_Complexity",  "Program_Quality",   "Interface_Complexity",
                              "Interface_Quality", "DB_Complexity",     "DB_Quality",        "Test_Complexity",
                              "Test_Quality"};

std::string MetricFile(int i) {
    const Kind& k = kKinds[i % 7];
    std::string d = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<!--DOCTYPE " + std::string(k.type) +
                    " SYSTEM \"m.xsd\"-->\r\n<" + k.type + ">\r\n";
    d += "  <METRIC_FILE Product=\"Bench\" System=\"SYS" + std::to_string(i % 37) +
         "\" Version=\"1.0\" Date=\"2011-01-07\" Source=\"bench\"/>\r\n";
    d += "  <METRIC_ENTITY Entity=\"System\" EName=\"SYS\" EType=\"SY\">\r\n    <Quantity_Metrics>\r\n";
    unsigned seed = static_cast<unsigned>(i) * 2654435761u + 1;
    for (const char* c : kCounters) {
        seed = seed * 1103515245u + 12345u;
        d += "      <" + std::string(c) + ">" + std::to_string((seed >> 8) % 500) + "</" + c + ">\r\n";
    }
    d += "    </Quantity_Metrics>\r\n    <Quality_Metrics>\r\n";
    for (const char* r : kReals) {
        seed = seed * 1103515245u + 12345u;
        d += "      <" + std::string(r) + ">0." + std::to_string((seed >> 8) % 100) + "</" + r + ">\r\n";
    }
    d += "    </Quality_Metrics>\r\n  </METRIC_ENTITY>\r\n</" + std::string(k.type) + ">\r\n";
    return d;
}

struct Result {
    int files = 0;
    long long lines = 0, textLines = 0;
};

// The program keeps its sums in 32 bits, as the result document has them.
bool SameResult(const Result& ours, const Result& ref) {
    return ours.files == ref.files && ours.lines == static_cast<std::int32_t>(ref.lines) &&
           ours.textLines == static_cast<std::int32_t>(ref.textLines);
}

// The program's road: the folder's files found and checked, then each
// entry's file combined; the result document made.
Result Ours(const std::string& folder, const TStringList& table) {
    TStringList found;
    FindFilesRecursive(folder, "", ".xml;", found);
    TMetricImport import(table, "Bench", {});
    for (const auto& f : found) import.Check(f.s);
    TCompoundMetrics m;
    for (const auto& e : import.Added()) {
        const TMetricEntry entry = SplitMetricEntry(e.Text);
        m.AddFile(entry.Path, KindLabelOf(table, entry.Type), entry.System);
    }
    const std::string text = m.ResultText(kTemplateCompoundSample, "Bench", "2011-01-07");
    if (text.empty()) std::abort();
    return {m.FilesSummed(), m.Counter("Nr_Lines"), m.Counter("Nr_Text_Lines")};
}

// pugixml loading the same files and reading the same figures.
Result Reference(const std::string& folder) {
    Result r;
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file() && e.path().extension() == ".xml") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    for (const std::string& f : files) {
        pugi::xml_document doc;
        if (!doc.load_file(f.c_str())) std::abort();
        const pugi::xml_node root = doc.document_element();
        const std::string type = root.name();
        if (!doc.child(type.c_str()).child("METRIC_FILE").attribute("System")) std::abort();
        const pugi::xml_node q = root.child("METRIC_ENTITY").child("Quantity_Metrics");
        ++r.files;
        if (type == "CMETRICS" || type == "OMETRICS" || type == "IMETRICS" || type == "DBMETRIC")
            r.lines += q.child("Nr_Lines").text().as_llong();
        if (type == "SMETRICS") r.textLines += q.child("Nr_Text_Lines").text().as_llong();
    }
    return r;
}

// A document of about n elements for the editor: groups of ten values,
// every third group with an attribute.
std::string EditorDocument(int n) {
    std::string d = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<QMETRICS>\r\n";
    d += "  <METRIC_FILE Product=\"Bench\" System=\"Editor\" Version=\"1.0\" Date=\"2011-01-07\"/>\r\n";
    int made = 1;
    for (int g = 0; made < n; ++g) {
        d += g % 3 ? "  <Group_" + std::to_string(g) + ">\r\n"
                   : "  <Group_" + std::to_string(g) + " Type=\"T" + std::to_string(g) + "\">\r\n";
        ++made;
        for (int v = 0; v < 10 && made < n; ++v, ++made) {
            const std::string name = "Value_" + std::to_string(v);
            d += "    <" + name + ">" + (v % 3 == 0 ? "12.5" : v % 3 == 1 ? "42" : "text value") + "</" + name +
                 ">\r\n";
        }
        d += "  </Group_" + std::to_string(g) + ">\r\n";
    }
    return d + "</QMETRICS>\r\n";
}

} // namespace

int main(int argc, char** argv) {
    int files = 10000, runs = 5, elements = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--files")) files = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--elements")) elements = std::atoi(argv[i + 1]);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::string dir = MakeBenchRoot("compound-bench");
    if (dir.empty()) return 1;
    const std::string folder = dir + "/Tavrel";
    for (int i = 0; i < files; ++i) {
        const std::string sub = folder + "/S" + std::to_string(i / 500);
        fs::create_directories(sub);
        std::ofstream(sub + "/m" + std::to_string(i) + ".xml", std::ios::binary) << MetricFile(i);
    }
    TStringList table;
    table.SetText(kKodToLabelTable);

    // 1. Warm both sides once, then run them in turns, the side that starts
    //    alternating; each run's result is checked against the other side's.
    Result ours = Ours(folder, table);
    const Result ref = Reference(folder);
    auto differ = [&] {
        std::fprintf(stderr, "results differ: files %d/%d, lines %lld/%lld, text lines %lld/%lld\n", ours.files,
                     ref.files, ours.lines, ref.lines, ours.textLines, ref.textLines);
        return 1;
    };
    if (!SameResult(ours, ref)) return differ();
    Times tOurs, tRef;
    for (int r = 0; r < runs; ++r) {
        for (int side = 0; side < 2; ++side) {
            if ((r % 2 == 0) == (side == 0)) {
                tOurs.t.push_back(Seconds([&] { ours = Ours(folder, table); }));
                if (!SameResult(ours, ref)) return differ();
            } else {
                Result again;
                tRef.t.push_back(Seconds([&] { again = Reference(folder); }));
                if (!SameResult(ours, again)) return differ();
            }
        }
    }
    std::printf("compound metrics of %d files (import and combine), %d alternated runs each, warm\n", files, runs);
    PrintLine("  seconds", tOurs, "pugixml", tRef);
    JudgeFigure("compound metrics, ratio of medians to pugixml", tOurs.Median() / tRef.Median(), "x", 3);

    // 2. The editor's rows.
    const std::string doc = dir + "/editor.xml";
    std::ofstream(doc, std::ios::binary) << EditorDocument(elements);
    Times tRows;
    int rows = 0;
    for (int r = 0; r < runs; ++r) {
        TForm host("frmHost");
        host.resize(1200, 800);
        TFrameXMLEdit* frame = nullptr;
        tRows.t.push_back(Seconds([&] { frame = TFrameXMLEdit::CreateForFile(&host, host.Client(), doc); }));
        rows = static_cast<int>(frame->Rows().Rows.size());
    }
    std::printf("editor page of %d elements (%d rows) read, built and laid out, seconds\n", elements, rows);
    std::printf("  median %.3f (min %.3f, max %.3f)\n", tRows.Median(), tRows.Min(), tRows.Max());
    JudgeFigure("editor page, median", tRows.Median(), " s", 1);

    fs::remove_all(dir);
    return tOurs.Median() <= 3 * tRef.Median() ? 0 : 2;
}
