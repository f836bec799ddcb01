// The parameter document, its input-tree entries and batch lines, composed
// from small jobs and compared byte for byte with hand-written documents.
#include "ParameterDocument.h"

#include "ModularStructure.h"
#include "SourceFileList.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pem;
using pemtest::ReadFile;

namespace {

std::string Golden(const std::string& name) { return ReadFile(std::string(FIXTURES_DIR) + "/run/params/" + name); }

std::vector<std::string> LinesOf(const TStringList& list) {
    std::vector<std::string> out;
    for (const auto& i : list) out.push_back(i.s);
    return out;
}

// A job with the names every fixture shares; the sources and the structure
// are the test's own.
struct TJobFixture {
    TSourceFileList files;
    TModularStructure structure;
    TSubProcessorMap subProcessors;
    TParameterJob job;

    TJobFixture() {
        job.programName = "Korvex";
        job.languageCode = "COB";
        job.languageVersion = "COBOL 85";
        job.productName = "Prod";
        job.systemName = "Sys";
        job.version = "1.0";
        job.commonRoot = "/src/sys";
        job.outputDirectory = "/out";
        job.toolExecutable = "/inst/Tools/Korvex";
    }
    // A source with its component, module and source name as the structure
    // computes them (kinds 0 to 6).
    void Add(const std::string& rel, bool checked, const std::string& comp, const std::string& mod,
             const std::string& src, const std::string& ext) {
        files.Append(job.commonRoot + "/" + rel, checked);
        structure.Components.push_back(comp);
        structure.Modules.push_back(mod);
        structure.Sources.push_back(src);
        structure.Extensions.push_back(ext);
    }
    TParameterDocument Compose() {
        // A copied fixture reads its own lists.
        job.files = &files;
        job.structure = &structure;
        job.subProcessors = &subProcessors;
        return ComposeParameterDocument(job);
    }
};

// Four sources in two components, the second one unticked; a long
// extension, a document and every kind of parameter line.
TJobFixture StructuredJob() {
    TJobFixture f;
    f.Add("compA/mod1/a.cbl", true, "compA", "mod1", "a", ".cbl");
    f.Add("compA/mod1/b.cbl", false, "compA", "mod1", "b", ".cbl");
    f.Add("compA/mod2/c.cobol", true, "compA", "mod2", "c", ".cobol");
    f.Add("compB/mod3/d.DOC", true, "compB", "mod3", "d", ".DOC");
    TParameterJob& j = f.job;
    j.options[poAudit] = {true, true};
    j.options[poRedoc] = {true, false};
    j.options[poExports] = {true, true};
    j.options[poCalc] = {false, true}; // hidden: no attribute, whatever its tick
    j.metricsTab = j.specsTab = j.limitsTab = j.wordScanTab = true;
    j.functabTab = true; // the word-scan tab wins
    j.metricWeights = {"1", "2"};
    j.metricCount = 3; // the third weight is missing and reads "1"
    j.specs = {true, false};
    j.rules = {true};  // its tab is hidden
    j.limits = {{" 10\t", " MaxLines "}, {"", "MaxDepth"}};
    return f;
}

} // namespace

TEST(ParameterDocument, StructuredJobGivesTheDocumentEntriesAndPairs) {
    TJobFixture f = StructuredJob();
    const TParameterDocument doc = f.Compose();
    EXPECT_EQ(doc.lines.Text(), Golden("structured.xml"));
    EXPECT_EQ(LinesOf(doc.entries.Lines()),
              (std::vector<std::string>{"COMP0001=compA", "COMP0002=compB", "FDR0001=/out/workinp/COMP0001/MOD0001",
                                        "FDR0002=/out/workinp/COMP0001/MOD0002",
                                        "FDR0003=/out/workinp/COMP0002/MOD0003", "MOD0001=compA/mod1",
                                        "MOD0002=compA/mod2", "MOD0003=compB/mod3", "SRC0001=compA/mod1/a",
                                        "SRC0003=compA/mod2/c", "SRC0004=compB/mod3/d",
                                        "XCPY0000=/out/workinp/COMP0001/MOD0001/SRC0001.CBL",
                                        "XCPY0002=/out/workinp/COMP0001/MOD0002/SRC0003.COB",
                                        "XCPY0003=/out/workinp/COMP0002/MOD0003/SRC0004.TXT"}));
    EXPECT_EQ(doc.moduleTotal, 3);
    EXPECT_FALSE(doc.batchRun);
    EXPECT_TRUE(doc.batchLines.empty());
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(doc.extensionPairs, (std::vector<P>{{".cobol", ".COB"}, {".COB", ".cobol"}}));
}

TEST(ParameterDocument, StructureLevelsCollapseTheEntries) {
    struct Case {
        int level;
        std::vector<std::string> entries;
        const char* file1;
    };
    const Case cases[] = {
        {1,
         {"COMP0001=", "COMP0002=compB", "FDR0001=/out/workinp/MOD0001", "FDR0002=/out/workinp/MOD0002",
          "FDR0003=/out/workinp/COMP0002/MOD0003", "MOD0001=/mod1", "MOD0002=/mod2", "MOD0003=/mod3", "SRC0001=mod1/a",
          "SRC0003=mod2/c", "SRC0004=mod3/d", "XCPY0000=/out/workinp/MOD0001/SRC0001.CBL",
          "XCPY0002=/out/workinp/MOD0002/SRC0003.COB", "XCPY0003=/out/workinp/COMP0002/MOD0003/SRC0004.TXT"},
         "  <File_0001>MOD0001/SRC0001.CBL</File_0001>"},
        {0,
         {"COMP0001=", "COMP0002=compB", "FDR0001=/out/workinp/MOD0001", "FDR0002=/out/workinp/MOD0002",
          "FDR0003=/out/workinp/COMP0002/MOD0003", "MOD0001=", "MOD0002=compA/mod2", "MOD0003=compB/mod3",
          "SRC0001=a", "SRC0003=c", "SRC0004=d", "XCPY0000=/out/workinp/SRC0001.CBL",
          "XCPY0002=/out/workinp/MOD0002/SRC0003.COB", "XCPY0003=/out/workinp/COMP0002/MOD0003/SRC0004.TXT"},
         "  <File_0001>SRC0001.CBL</File_0001>"},
        {3, {}, "  <File_0001>COMP0001/MOD0001/SRC0001.CBL</File_0001>"},
        {7, {}, "  <File_0001>COMP0001/MOD0001/SRC0001.CBL</File_0001>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        TJobFixture f = StructuredJob();
        f.job.structureLevel = c.level;
        const TParameterDocument doc = f.Compose();
        if (!c.entries.empty()) EXPECT_EQ(LinesOf(doc.entries.Lines()), c.entries);
        else EXPECT_EQ(doc.entries.Count(), 14);
        EXPECT_GE(doc.lines.IndexOf(c.file1), 0);
    }
    // Only the part below the input tree collapses: an output directory
    // whose path holds such a name keeps it.
    TJobFixture f = StructuredJob();
    f.job.structureLevel = 0;
    f.job.outputDirectory = "/runs/COMP0001/MOD0001";
    EXPECT_EQ(*f.Compose().entries.ValueOf("XCPY0000"), "/runs/COMP0001/MOD0001/workinp/SRC0001.CBL");

    // The collapse itself, on the texts the levels are defined by.
    EXPECT_EQ(CollapseEntryLevels("MOD0002=Comp/Mod", 1), "MOD0002=/Mod");
    EXPECT_EQ(CollapseEntryLevels("SRC0005=Comp/Mod/a.cbl", 1), "SRC0005=Mod/a.cbl");
    EXPECT_EQ(CollapseEntryLevels("src0005=Comp/Mod/a.cbl", 0), "src0005=a.cbl");
    EXPECT_EQ(CollapseEntryLevels("COMP0001=Comp", 0), "COMP0001=");
    EXPECT_EQ(CollapseEntryLevels("COMP0001/MOD0001/SRC0001.X", 0), "SRC0001.X");
    EXPECT_EQ(CollapseEntryLevels("COMP0001/MOD0001/SRC0001.X", 2), "COMP0001/MOD0001/SRC0001.X");
}

TEST(ParameterDocument, FlatListTakesOnlyTickedSourcesWithFolderEntries) {
    TJobFixture f;
    f.job.runMode = 3;
    f.job.structureLevel = 99;
    f.job.functabTab = true;
    f.job.functabFile = "/inst/tabs/FuncTab.csv";
    f.job.limitsTab = true; // a word-scanner run writes no limits without rows
    for (auto* rel : {"x/p.cbl", "x/q.cbl", "x/y/r.cpy", "s.cbl"})
        f.files.Append(f.job.commonRoot + "/" + rel, std::string(rel) != "x/q.cbl");
    const TParameterDocument doc = f.Compose();
    EXPECT_EQ(doc.lines.Text(), Golden("flat.xml"));
    EXPECT_EQ(LinesOf(doc.entries.Lines()),
              (std::vector<std::string>{"FCDR0001=x/", "FCDR0002=x/y/", "SRC0001=s.cbl", "SRC0002=x/p.cbl",
                                        "SRC0003=x/y/r.cpy", "XCPY0000=/out/workinp/SRC0001.CBL",
                                        "XCPY0001=/out/workinp/SRC0002.CBL", "XCPY0003=/out/workinp/SRC0003.CPY"}));
    EXPECT_EQ(doc.moduleTotal, 0);
}

TEST(ParameterDocument, TestToolInputsInTheirFixedOrder) {
    TJobFixture f;
    f.job.runMode = 5;
    f.job.structureLevel = 99;
    f.job.testToolInputs = true;
    f.job.commonRoot = "/tc";
    f.files.Append("Test Cases:=/tc/cases.csv");
    f.files.Append("Methods:=/tc/m.txt", false); // the single inputs count ticked or not
    f.files.Append("Test execution log:=/tc/log1.log");
    f.files.Append("Test execution log:=/tc/log2.log", false);
    f.files.Append("Trace file:=/tc/t.trc");
    f.files.Append("Problems:="); // named but empty: nothing to copy
    const TParameterDocument doc = f.Compose();
    const std::vector<std::string> all = LinesOf(doc.lines);
    const auto from = std::find(all.begin(), all.end(), " <Files>");
    ASSERT_NE(from, all.end());
    EXPECT_EQ(std::vector<std::string>(from, all.end()),
              (std::vector<std::string>{" <Files>", "  <Orig_TestCases>/tc/cases.csv</Orig_TestCases>",
                                        "  <TestCases>SRC0001.csv</TestCases>", "  <Orig_Methods>/tc/m.txt</Orig_Methods>",
                                        "  <Methods>SRC0002.txt</Methods>",
                                        "  <Orig_Test_Exec_Log>/tc/log1.log</Orig_Test_Exec_Log>",
                                        "  <Test_Exec_Log>SRC0003.log</Test_Exec_Log>",
                                        "  <Orig_Trace_File>/tc/t.trc</Orig_Trace_File>",
                                        "  <TraceFile>SRC0004.trc</TraceFile>", " </Files>", "</KORVEX>"}));
    // List order: Methods 0, Problems 1, Test Cases 2, the logs 3 and 4, Trace 5.
    EXPECT_EQ(LinesOf(doc.entries.Lines()),
              (std::vector<std::string>{"SRC0001=/tc/cases.csv", "SRC0002=/tc/m.txt", "SRC0003=/tc/log1.log",
                                        "SRC0004=/tc/t.trc", "XCPY0000=/out/workinp/SRC0002.txt",
                                        "XCPY0002=/out/workinp/SRC0001.csv", "XCPY0003=/out/workinp/SRC0003.log",
                                        "XCPY0005=/out/workinp/SRC0004.trc"}));
}

TEST(ParameterDocument, KindsSevenAndEightTakeSegmentsFromThePathAndNameByDirectory) {
    TJobFixture f;
    f.job.productKind = 7;
    f.job.nameByDirectory = true;
    f.job.options[poAudit] = {true, false};
    for (auto* rel : {"top.asm", "m1/a.asm", "m1/b.asm", "c2/m2/c.asm"}) f.files.Append(f.job.commonRoot + "/" + rel);
    const TParameterDocument doc = f.Compose();
    EXPECT_EQ(doc.lines.Text(), Golden("bydirectory.xml"));
    // Files directly in the root take the root's last folder as component
    // and module.
    EXPECT_EQ(LinesOf(doc.entries.Lines()),
              (std::vector<std::string>{"COMP0001=c2", "COMP0002=sys", "FDR0001=/out/workinp/COMP0001/MOD0001",
                                        "FDR0002=/out/workinp/COMP0002/MOD0002",
                                        "FDR0003=/out/workinp/COMP0002/MOD0003", "MOD0001=c2/m2", "MOD0002=sys/m1",
                                        "MOD0003=sys/sys", "SRC0001=c2/m2/c.asm", "SRC0002=sys/m1/a.asm",
                                        "SRC0003=sys/m1/b.asm", "SRC0004=sys/sys/top.asm",
                                        "XCPY0000=/out/workinp/COMP0001/MOD0001/SRC0001.ASM",
                                        "XCPY0001=/out/workinp/COMP0002/MOD0002/SRC0002.ASM",
                                        "XCPY0002=/out/workinp/COMP0002/MOD0002/SRC0003.ASM",
                                        "XCPY0003=/out/workinp/COMP0002/MOD0003/SRC0004.ASM"}));
    // One tool call per module.
    EXPECT_TRUE(doc.batchRun);
    EXPECT_EQ(doc.batchLines, (std::vector<TBatchLine>{TBatchLine::Call("/inst/Tools/Korvex", {"last0001.xml"}),
                                                       TBatchLine::Call("/inst/Tools/Korvex", {"last0002.xml"}),
                                                       TBatchLine::Call("/inst/Tools/Korvex", {"last0003.xml"})}));
}

TEST(ParameterDocument, SubProcessorRunsCallOneToolPerSource) {
    TJobFixture f;
    f.job.productKind = 8;
    f.job.languageCode = "WAA";
    f.subProcessors.AddFilter("WAAPas", "Pascal files (*.pas;*.pp)|*.pas;*.pp|All|*.*");
    f.subProcessors.AddFilter("WAAAsm", "Assembler|*.asm;*.ASSEMBLE");
    for (auto* rel : {"c/m/a.pas", "c/m/b.assemble", "c/n/c.pp"}) f.files.Append(f.job.commonRoot + "/" + rel);
    TParameterDocument doc = f.Compose();
    auto call = [](const char* tool, const char* n) {
        return TBatchLine::Call(std::string("/inst/Tools/") + tool + ".exe", {std::string("last.xml;") + n});
    };
    // The long extension answers too (".assemble" is ".ASSE" in the tree).
    EXPECT_EQ(doc.batchLines,
              (std::vector<TBatchLine>{call("WAAPas", "0001"), call("WAAAsm", "0002"), call("WAAPas", "0003")}));
    EXPECT_EQ(f.subProcessors.Lookup(".PAS"), "WAAPas");
    EXPECT_EQ(f.subProcessors.Lookup(""), "");

    // By directory: the first call of each module carries its marker.
    f.job.nameByDirectory = true;
    doc = f.Compose();
    ASSERT_EQ(doc.batchLines.size(), 3u);
    EXPECT_EQ(doc.batchLines[0].moduleMarker, "0001");
    EXPECT_EQ(doc.batchLines[1].moduleMarker, "");
    EXPECT_EQ(doc.batchLines[2].moduleMarker, "0002");

    // A source no sub-processor handles is an error naming it, not a call of
    // "FOLDER/.exe".
    f.files.Append(f.job.commonRoot + "/c/n/d.cbl");
    EXPECT_EQ(pemtest::MessageOf<EParameterDocument>([&] { f.Compose(); }),
              "No sub-processor is defined for the extension .cbl of c/n/d.cbl");
}

TEST(ParameterDocument, RunModesChooseTheSections) {
    // Test designer: an empty language, no parameters, limits or files.
    TJobFixture f = StructuredJob();
    f.job.runMode = 4;
    TParameterDocument doc = f.Compose();
    std::vector<std::string> lines = LinesOf(doc.lines);
    EXPECT_EQ(lines[4], "  Language = \"\"");
    EXPECT_EQ(lines[9], " <Directories>");
    EXPECT_EQ(doc.lines.IndexOf(" <Files>"), -1);
    EXPECT_EQ(lines.back(), "</KORVEX>");
    EXPECT_EQ(doc.lines.IndexOf("  <Func_Tab>functab.wrl</Func_Tab>"), -1);

    // Search: the type's value and the first 60 characters, cut at a line
    // break; no option attributes.
    f.job.runMode = 6;
    f.job.searchType = "PROG";
    f.job.searchText = std::string(58, 'x') + "\r\nrest";
    doc = f.Compose();
    lines = LinesOf(doc.lines);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 9, lines.begin() + 13),
              (std::vector<std::string>{" <Parameters", "  SearchType = \"PROG\" ",
                                        "  SearchName = \"" + std::string(58, 'x') + "\" ", " /> "}));
    f.job.searchText = std::string(70, 'y');
    doc = f.Compose();
    EXPECT_GE(doc.lines.IndexOf("  SearchName = \"" + std::string(60, 'y') + "\" "), 0);
    EXPECT_GE(doc.lines.IndexOf(" <Files>"), 0);

    // Every option box hidden and no tab: both tags vanish, line and all.
    f = StructuredJob();
    f.job.options = {};
    f.job.metricsTab = f.job.specsTab = f.job.limitsTab = false;
    lines = LinesOf(f.Compose().lines);
    EXPECT_EQ(lines[9], " <Directories>");

    // Only ticked, visible repository table in an analysis run.
    f.job.options[poRepo_Tab] = {true, true};
    f.job.repoTabFile = "/data/repo tab.csv";
    doc = f.Compose();
    EXPECT_GE(doc.lines.IndexOf("  REPO_TAB = \"Y\" "), 0);
    EXPECT_EQ(doc.lines.IndexOf("  <Repo_Tab_Orig>/data/repo tab.csv</Repo_Tab_Orig>") + 1,
              doc.lines.IndexOf("  <Repo_Tab>Repo_Tab.csv</Repo_Tab>"));
    f.job.runMode = 3;
    EXPECT_EQ(f.Compose().lines.IndexOf("  <Repo_Tab>Repo_Tab.csv</Repo_Tab>"), -1);
}

TEST(ParameterDocument, TextsThatWouldEndAnElementAreRefused) {
    struct Case {
        void (*set)(TParameterJob&);
        const char* message;
    };
    const Case cases[] = {
        {[](TParameterJob& j) { j.systemName = "a<b"; }, "System name must not contain <, > or \": a<b"},
        {[](TParameterJob& j) { j.productName = "say \"x\""; }, "Product name must not contain <, > or \": say \"x\""},
        {[](TParameterJob& j) { j.outputDirectory = "/out/>"; }, "Output directory must not contain < or >: /out/>"},
        {[](TParameterJob& j) {
             j.runMode = 6;
             j.searchText = "a>b";
         },
         "Search text must not contain <, > or \": a>b"},
    };
    for (const Case& c : cases) {
        TJobFixture f = StructuredJob();
        c.set(f.job);
        EXPECT_EQ(pemtest::MessageOf<EParameterDocument>([&] { f.Compose(); }), c.message);
    }
    // "&" is a legal path character and is written as it is.
    TJobFixture f = StructuredJob();
    f.job.outputDirectory = "/out/R&D";
    EXPECT_GE(f.Compose().lines.IndexOf("  <Orig_Output_Dir>/out/R&D</Orig_Output_Dir>"), 0);
}

// An entry whose name holds "<" or ">" (a job file can list one) never
// reaches the document, on any of its roads; the ones the run would have
// taken are reported, an unticked one is left out quietly.
TEST(ParameterDocument, EntriesWithNamesTheDocumentCannotCarryAreLeftOut) {
    const struct {
        const char* what;
        int level;
        bool testTools;
        std::vector<std::pair<std::string, bool>> entries; // text below the root in list order, ticked
        std::vector<std::string> refused;                  // parts of the refused names
        std::vector<std::string> reported;
    } cases[] = {
        {"the structured list", 2, false,
         {{"c/m/a.cbl", true}, {"c/m/b>.cbl", true}, {"c<1>/m/a.cbl", false}},
         {"c<1>", "b>"},
         {"Left out of the run, its name holds \"<\" or \">\": /src/sys/c/m/b>.cbl"}},
        {"the flat list", 99, false,
         {{"x/<b>.cbl", true}, {"x/<c>.cbl", false}, {"x/a.cbl", true}},
         {"<b>", "<c>"},
         {"Left out of the run, its name holds \"<\" or \">\": /src/sys/x/<b>.cbl"}},
        // A single input counts ticked or not.
        {"the test tools' inputs", 99, true,
         {{"Methods:=/tc/m<1>.csv", false}, {"Trace file:=/tc/t.csv", true}, {"Trace file:=/tc/t>.csv", false}},
         {"m<1>", "t>"},
         {"Left out of the run, its name holds \"<\" or \">\": Methods:=/tc/m<1>.csv"}},
    };
    for (const auto& c : cases) {
        TJobFixture f;
        f.job.structureLevel = c.level;
        f.job.testToolInputs = c.testTools;
        if (c.testTools) f.job.runMode = 5;
        for (const auto& [rel, ticked] : c.entries) {
            if (c.testTools) {
                f.files.Append(rel, ticked);
                continue;
            }
            const auto slash = rel.rfind('/');
            f.Add(rel, ticked, rel.substr(0, rel.find('/')), "m", rel.substr(slash + 1, rel.rfind('.') - slash - 1),
                  ".cbl");
        }
        const TParameterDocument doc = f.Compose();
        const std::string text = doc.lines.Text() + doc.entries.Lines().Text();
        for (const std::string& part : c.refused) EXPECT_EQ(text.find(part), std::string::npos) << c.what << ": " << part;
        EXPECT_NE(text.find("SRC0"), std::string::npos) << c.what; // the other entries are there
        EXPECT_EQ(doc.leftOut, c.reported) << c.what;
    }
}

TEST(ParameterDocument, ExtensionsAndNumbersBeyondFourDigits) {
    EXPECT_EQ(ShortenExtension(".cobol"), ".COB");
    EXPECT_EQ(ShortenExtension(".cb"), ".CB");
    EXPECT_EQ(ShortenExtension(""), "");
    // Two long extensions sharing a short one: the short-to-long pair holds
    // the later one.
    TStringList memo;
    SetExtensionPairs(memo, {{".cobol", ".COB"}, {".COB", ".cobol"}, {".cobra", ".COB"}, {".COB", ".cobra"}});
    std::string lng;
    EXPECT_TRUE(RestoreLongExtension(memo, ".COB", lng));
    EXPECT_EQ(lng, ".cobra");
    EXPECT_FALSE(RestoreLongExtension(memo, ".CBL", lng));
    EXPECT_EQ(lng, ".CBL");

    TJobFixture f;
    f.job.structureLevel = 99;
    std::vector<TSourceFile> many;
    for (int i = 0; i < 10000; ++i) many.push_back({"/src/sys/f" + std::to_string(100000 + i) + ".c", true, true});
    f.files.Assign(std::move(many));
    const TParameterDocument doc = f.Compose();
    EXPECT_EQ(doc.lines[doc.lines.Count() - 3], "  <File_10000>SRC10000.C</File_10000>");
    EXPECT_EQ(*doc.entries.ValueOf("XCPY9999"), "/out/workinp/SRC10000.C");
}
