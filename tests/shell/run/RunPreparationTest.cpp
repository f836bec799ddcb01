// The window-free steps of a run's preparation: the cleaning that never
// loses the output directory, the input-tree plan, the per-module documents,
// the documents and batch of each kind of run (one run by a real /bin/sh),
// and the dummy test-case file.
#include "RunPreparation.h"

#include "ModularStructure.h"
#include "ParameterDocument.h"
#include "SourceFileList.h"
#include "TestSupport.h"
#include "ToolStart.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;
using pemtest::ReadFile;
using pemtest::WriteFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FilesBelow(const std::string& root) {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        out.push_back(e.path().string().substr(root.size() + 1) + (e.is_directory() ? "/" : ""));
    std::sort(out.begin(), out.end());
    return out;
}

// A system named by directory in two modules of kind 8, composed as the
// window composes it.
struct TTwoModuleRun {
    pemtest::TempDir dir;
    TSourceFileList files;
    TModularStructure structure;
    TSubProcessorMap subProcessors;
    TParameterJob job;
    TParameterDocument doc;

    explicit TTwoModuleRun(bool subProcessorRun) {
        job.programName = "Korvex";
        job.languageCode = subProcessorRun ? "WAA" : "ASM";
        job.productKind = 8;
        job.productName = "Prod";
        job.systemName = "Sys";
        job.version = "1";
        job.commonRoot = dir / "src";
        job.outputDirectory = dir / "out";
        job.toolExecutable = dir / "tools/Korvex";
        job.nameByDirectory = true;
        subProcessors.AddFilter("NatSub", "Natural|*.nsp");
        job.files = &files;
        job.structure = &structure;
        job.subProcessors = &subProcessors;
        for (const char* rel : {"c/payroll/a.nsp", "c/payroll/b.nsp", "c/billing_run/c.nsp"}) {
            WriteFile(job.commonRoot + "/" + rel, "line\r\n");
            files.Append(job.commonRoot + "/" + rel);
        }
        doc = ComposeParameterDocument(job);
        fs::create_directories(job.outputDirectory);
    }
    TRunDocuments Documents() const {
        TRunDocuments r;
        r.outputDir = job.outputDirectory;
        r.document = &doc.lines;
        r.entries = &doc.entries;
        r.batchLines = &doc.batchLines;
        r.subProcessorRun = job.languageCode == "WAA";
        r.nameByDirectory = job.nameByDirectory;
        r.toolFolder = dir / "tools";
        return r;
    }
    std::string Out(const std::string& name) const { return job.outputDirectory + "/" + name; }
};

} // namespace

TEST(RunPreparation, FirstUseIsJudgedByTheDocumentAndTheResultFolders) {
    pemtest::TempDir out;
    EXPECT_FALSE(OutputDirectoryUsed(out.Path()));
    // Folders that are not result folders do not count.
    fs::create_directories(out / "Quorra");
    fs::create_directories(out / "workinp");
    EXPECT_FALSE(OutputDirectoryUsed(out.Path()));
    for (const char* used : {"last.xml", "Tables/"}) {
        pemtest::TempDir o;
        if (std::string(used).back() == '/') fs::create_directories(o / used);
        else WriteFile(o / used, "");
        EXPECT_TRUE(OutputDirectoryUsed(o.Path())) << used;
    }
    EXPECT_EQ(FirstUseQuestion("/o"), "Your current output directory \r\n/o\r\nhasn't been used yet\r\n"
                                      "do you really want to use this directory for output?");
}

TEST(RunPreparation, CleaningRemovesTheOldRunButNeverTheOutputDirectory) {
    pemtest::TempDir dir;
    const std::string out = dir / "out";
    for (const char* f : {"LAST0001.XML", "last.xml", "Metrics/SRC0001.met", "Metrics/MOD0001.met",
                          "Metrics/COMP0001.met", "Metrics/keep.met", "workinp/COMP0001/MOD0001/SRC0001.CBL",
                          "workinp/COMP0001/MOD0001/SRC0002.CBL", "deep/a/b/c/SRC0001.met", "notes.txt"})
        WriteFile(out + "/" + f, "x");
    int steps = 0, removed = 0;
    CleanInputTree(out, 2, [&] { ++removed; });
    EXPECT_EQ(removed, 2);
    CleanOutputDirectory(out, 2, [&] { ++steps; }, [&] { ++removed; });
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(removed, 6); // every file that goes is told, so the window can be served
    // Level 2 sweeps three folders deep: a deeper copy stays.
    EXPECT_EQ(FilesBelow(out), (std::vector<std::string>{"Metrics/", "Metrics/keep.met", "deep/", "deep/a/", "deep/a/b/",
                                                          "deep/a/b/c/", "deep/a/b/c/SRC0001.met", "last.xml",
                                                          "notes.txt", "workinp/"}));

    // An output directory that held nothing but an old run is emptied, not
    // removed, and keeps its permissions.
    fs::remove_all(out);
    WriteFile(out + "/LAST0001.XML", "x");
    WriteFile(out + "/workinp/COMP0001/MOD0001/SRC0001.CBL", "x");
    ::chmod(out.c_str(), 0750);
    EXPECT_EQ(SweepFolder(out, 1, "LAST####"), 1);
    EXPECT_EQ(SweepFolder(out, 4, "SRC####"), 1);
    ASSERT_TRUE(fs::is_directory(out));
    EXPECT_TRUE(fs::is_empty(out));
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    CleanOutputDirectory(out, 2, {});
    EXPECT_EQ(FilesBelow(out), std::vector<std::string>{"workinp/"});
}

TEST(RunPreparation, TheInputTreePlanAndTheResultFolders) {
    TInputTreeEntries e;
    for (const char* line : {"COMP0001=c", "FCDR0001=x/", "FDR0001=/o/workinp/COMP0001/MOD0001", "MOD0001=c/m",
                             "SRC0001=c/m/a", "XCPY0003=/o/workinp/COMP0001/MOD0001/SRC0001.CBL",
                             "XCPY0010=/o/workinp/COMP0001/MOD0001/SRC0002.CBL"})
        e.AddLine(line);
    TInputTreePlan plan = PlanInputTree(e, "/o", 0);
    EXPECT_EQ(plan.folders, std::vector<std::string>{"/o/workinp/COMP0001/MOD0001"});
    ASSERT_EQ(plan.copies.size(), 2u);
    EXPECT_EQ(plan.copies[1].position, 10);
    EXPECT_EQ(plan.copies[1].target, "/o/workinp/COMP0001/MOD0001/SRC0002.CBL");
    // Kinds 5 and 6 also get the flat list's folders below "Instru".
    plan = PlanInputTree(e, "/o", 5);
    EXPECT_EQ(plan.folders, (std::vector<std::string>{"/o/Instru/x/", "/o/workinp/COMP0001/MOD0001"}));
    EXPECT_EQ(BuildProgressCaption(2, 7), "Building input structure, Processing 2 of 7");

    pemtest::TempDir dir;
    MakeResultFolders(dir / "out", "Sys", dir / "work", true);
    EXPECT_EQ(FilesBelow(dir.Path()),
              (std::vector<std::string>{"out/", "out/Cases/", "out/Comments/", "out/Defis/", "out/Exports/",
                                        "out/Instru/", "out/Metrics/", "out/Quorra/", "out/Requs/", "out/Specs/",
                                        "out/Sys/", "out/Tables/", "out/Tavrel/", "work/", "work/CommTabs/",
                                        "work/DataTabs/", "work/InclTabs/", "work/MaskTabs/", "work/ProcTabs/",
                                        "work/StmtTabs/"}));
    WriteFile(dir / "file", "");
    EXPECT_EQ(pemtest::MessageOf<EFileError>([&] { MakeResultFolders(dir / "file/out", "", "", false); }),
              "Can not create folder " + dir / "file/out/Metrics");
}

TEST(RunPreparation, ADocumentPerModuleWithItsSystemName) {
    TTwoModuleRun run(false);
    const std::vector<TModuleDocument> docs = SplitDocumentPerModule(run.doc.lines, run.doc.entries);
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(docs[0].module, "0001");
    const std::string root = run.job.commonRoot;
    auto pad = [](std::string text, std::size_t width) { return text + std::string(width - text.size(), ' '); };
    const std::string head = pad("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>", 56) + "\n" +
                             pad("<!--DOCTYPE PEMARIS SYSTEM \"Pemaris.dtd\"-->", 56) + "\n<KORVEX>\n " +
                             pad("<Names", 55) + "\n  Language = \"\"\n  ProductName = \"Prod\"\n";
    const std::string dirs = "  Version = \"1\"\n />\n <Directories>\n  <Orig_Input_Dir>" + root +
                             "</Orig_Input_Dir>\n  <Input_Dir>workinp</Input_Dir>\n  <Orig_Output_Dir>" +
                             run.job.outputDirectory +
                             "</Orig_Output_Dir>\n  <Output_Dir>.</Output_Dir>\n  <Work_Dir>./work</Work_Dir>\n"
                             " </Directories>\n <Files>\n";
    // The list's order puts "billing_run" first; its name is cut to eight.
    EXPECT_EQ(docs[0].lines.Text(), head + "  SystemName  = \"billing_\"\n" + dirs +
                                        "  <Orig_File_0001>c/billing_run/c.nsp</Orig_File_0001>\n"
                                        "  <File_0001>COMP0001/MOD0001/SRC0001.NSP</File_0001>\n"
                                        " </Files>\n</KORVEX>\n");
    EXPECT_EQ(docs[1].lines.Text(), head + "  SystemName  = \"payroll\"\n" + dirs +
                                        "  <Orig_File_0002>c/payroll/a.nsp</Orig_File_0002>\n"
                                        "  <File_0002>COMP0001/MOD0002/SRC0002.NSP</File_0002>\n"
                                        "  <Orig_File_0003>c/payroll/b.nsp</Orig_File_0003>\n"
                                        "  <File_0003>COMP0001/MOD0002/SRC0003.NSP</File_0003>\n"
                                        " </Files>\n</KORVEX>\n");
}

TEST(RunPreparation, DocumentsAndBatchOfEachKindOfRun) {
    // Systems named by directory without sub-processors: a document per
    // module, one tool call per module, no "last.xml"; a stale batch goes.
    {
        TTwoModuleRun run(false);
        WriteFile(run.Out("lastbatch.cmd"), "stale");
        WriteRunDocuments(run.Documents());
        EXPECT_EQ(FilesBelow(run.job.outputDirectory),
                  (std::vector<std::string>{"last0001.xml", "last0002.xml", "lastbatch.cmd"}));
        const std::string tool = ShellQuote(run.job.toolExecutable);
        EXPECT_EQ(ReadFile(run.Out("lastbatch.cmd")),
                  "set -x\n" + tool + " 'last0001.xml'\n" + tool + " 'last0002.xml'\n");
    }
    // Not by directory: "last.xml"; a sub-processor run adds its batch, a
    // plain one removes a stale batch.
    for (bool sub : {false, true}) {
        TTwoModuleRun run(sub);
        run.job.nameByDirectory = false;
        run.doc = ComposeParameterDocument(run.job);
        WriteFile(run.Out("lastbatch.cmd"), "stale");
        WriteRunDocuments(run.Documents());
        EXPECT_EQ(ReadFile(run.Out("last.xml")), run.doc.lines.Text());
        if (!sub) {
            EXPECT_FALSE(fs::exists(run.Out("lastbatch.cmd")));
            continue;
        }
        const std::string audit = ShellQuote(run.dir / "tools/WAAAudit.exe");
        const std::string nat = ShellQuote(run.dir / "tools/NatSub.exe");
        EXPECT_EQ(ReadFile(run.Out("lastbatch.cmd")), "set -x\n" + audit + " 'last.xml;0000'\n" + nat +
                                                          " 'last.xml;0001'\n" + nat + " 'last.xml;0002'\n" + nat +
                                                          " 'last.xml;0003'\n" + audit + " 'last.xml;9999'\n");
    }
}

TEST(RunPreparation, AFailedBatchIsAnErrorAndTheWholeDocumentStays) {
    TTwoModuleRun run(true);
    // A folder where the batch file should go cannot be written over.
    fs::create_directories(run.Out("lastbatch.cmd/x"));
    EXPECT_EQ(pemtest::MessageOf<EFileError>([&] { WriteRunDocuments(run.Documents()); }),
              "Can not create file " + run.Out("lastbatch.cmd") + ": not a regular file");
    EXPECT_EQ(ReadFile(run.Out("last.xml")), run.doc.lines.Text());
}

TEST(RunPreparation, TwoModulesWithSubProcessorsRunByARealShell) {
    TTwoModuleRun run(true);
    const std::string tools = run.dir / "tools";
    fs::create_directories(tools);
    for (const char* tool : {"NatSub", "WAAAudit"}) fs::copy_file(std::string(FAKE_TOOLS_DIR) + "/fake_tool", tools + "/" + tool);
    // The input tree the tools check.
    for (const TInputTreeEntry& e : run.doc.entries.Entries())
        if (e.key.rfind("XCPY", 0) == 0) WriteFile(e.value, "line\r\n");
    WriteRunDocuments(run.Documents());
    EXPECT_EQ(FilesBelow(run.job.outputDirectory).size(), 10u); // no last.xml: 2 documents, batch, tree
    EXPECT_FALSE(fs::exists(run.Out("last.xml")));

    pemtest::ScopedEnv log("FAKE_TOOL_ARGLOG", run.dir / "args.txt");
    TToolStartRequest r;
    r.program = run.Out("lastbatch.cmd");
    r.workingDir = run.job.outputDirectory;
    int error = 0;
    std::string step;
    auto tool = StartToolRun(r, error, step);
    ASSERT_TRUE(tool) << step;
    ASSERT_TRUE(tool->WaitFor(10000));
    EXPECT_EQ(tool->ExitCode(), 0);
    // Module 1 (billing_run: source 1), then module 2 (sources 2 and 3),
    // each framed by the audit calls, each document back under its name.
    auto call = [&](const char* t, const char* n) {
        return "[0]=" + tools + "/" + t + "\n[1]=last.xml;" + n + "\n--\n";
    };
    EXPECT_EQ(ReadFile(run.dir / "args.txt"), call("WAAAudit", "0000") + call("NatSub", "0001") +
                                                  call("WAAAudit", "9999") + call("WAAAudit", "0000") +
                                                  call("NatSub", "0002") + call("NatSub", "0003") +
                                                  call("WAAAudit", "9999"));
    EXPECT_TRUE(fs::exists(run.Out("last0001.xml")));
    EXPECT_TRUE(fs::exists(run.Out("last0002.xml")));
    EXPECT_FALSE(fs::exists(run.Out("last.xml")));
    EXPECT_TRUE(fs::exists(run.Out("Metrics/SRC0003.met")));
}

TEST(RunPreparation, TheDummyTestCaseFile) {
    EXPECT_EQ(DummyTestCaseText(),
              "\"TestCaseId\";\"UseCaseId\";\"TestType\";\"TestObjects\";\"Operations\";\"Inputs\";"
              "\"InputValues\";\"Outputs\";\"OutputValues\";\"TestDate\";\"Tester\";\"TestCaseStatus\";"
              "\"ErrorMsgId\";\"TestCaseDescription\";\n"
              "\"Dummy_TC_001\"; ; ; ; ; ; ; ; ; ; ; ; ;\n");
}
