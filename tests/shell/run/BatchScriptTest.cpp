// The batch file as a POSIX shell script: quoting, the order of a run's
// lines, and a real /bin/sh running it against a logging tool.
#include "BatchScript.h"
#include "TestSupport.h"
#include "ToolStart.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Shown(const std::vector<TBatchLine>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) {
        switch (l.kind) {
        case TBatchLine::TKind::EchoOn: out.push_back("ECHO ON"); break;
        case TBatchLine::TKind::Rename: out.push_back("ren " + l.from + " " + l.to); break;
        case TBatchLine::TKind::Call: {
            std::string s = l.program;
            for (const auto& a : l.args) s += " " + a;
            out.push_back(s);
        }
        }
    }
    return out;
}

TBatchLine Sub(const std::string& name, int source, const std::string& marker = "") {
    char n[8];
    std::snprintf(n, sizeof n, "%04d", source);
    TBatchLine l = TBatchLine::Call("T/" + name + ".exe", {std::string("last.xml;") + n});
    l.moduleMarker = marker;
    return l;
}

} // namespace

TEST(BatchScript, WordsAreSingleQuoted) {
    const struct {
        const char* word;
        const char* quoted;
    } cases[] = {{"plain", "'plain'"},
                 {"last.xml;0001", "'last.xml;0001'"},
                 {"a b", "'a b'"},
                 {"$(x) `y` $HOME", "'$(x) `y` $HOME'"},
                 {"it's", "'it'\\''s'"},
                 {"", "''"}};
    for (const auto& c : cases) EXPECT_EQ(ShellQuote(c.word), c.quoted) << c.word;
    EXPECT_EQ(ShellLine(TBatchLine::EchoOn()), "set -x");
    EXPECT_EQ(ShellLine(TBatchLine::Rename("last.xml", "last0001.xml")), "mv -f -- 'last.xml' 'last0001.xml'");
    EXPECT_EQ(ShellLine(TBatchLine::Call("/no/such dir/T.exe", {"last.xml;0001"})),
              "'/no/such dir/T.exe' 'last.xml;0001'");
}

TEST(BatchScript, SubProcessorBatchOrder) {
    EXPECT_EQ(Shown(ComposeSubProcessorBatch({Sub("NATSUB", 1), Sub("MAPSUB", 2)}, "T")),
              (std::vector<std::string>{"ECHO ON", "T/WAAAudit.exe last.xml;0000", "T/NATSUB.exe last.xml;0001",
                                        "T/MAPSUB.exe last.xml;0002", "T/WAAAudit.exe last.xml;9999"}));
}

TEST(BatchScript, ModulesOfSystemsNamedByDirectory) {
    const auto rebuilt = RebuildBatchByModule(
        {Sub("NATSUB", 1, "0001"), Sub("NATSUB", 2), Sub("MAPSUB", 3, "0002"), Sub("NATSUB", 4)}, "T");
    EXPECT_EQ(Shown(rebuilt), (std::vector<std::string>{
                                  "ECHO ON",
                                  "ren last0001.xml last.xml",
                                  "T/WAAAudit.exe last.xml;0000",
                                  "T/NATSUB.exe last.xml;0001",
                                  "T/NATSUB.exe last.xml;0002",
                                  "T/WAAAudit.exe last.xml;9999",
                                  "ren last.xml last0001.xml",
                                  "ren last0002.xml last.xml",
                                  "T/WAAAudit.exe last.xml;0000",
                                  "T/MAPSUB.exe last.xml;0003",
                                  "T/NATSUB.exe last.xml;0004",
                                  "T/WAAAudit.exe last.xml;9999",
                                  "ren last.xml last0002.xml",
                              }));
    for (const auto& l : rebuilt) EXPECT_TRUE(l.moduleMarker.empty());
}

TEST(BatchScript, ARealShellRunsTheBatchAndEveryArgumentArrivesIntact) {
    pemtest::TempDir dir;
    // A tool folder whose name a shell would split, expand or end early.
    const std::string tools = dir / "tools dir; $(touch pwned) it's";
    fs::create_directories(tools);
    // Installed in another letter case and without ".exe".
    fs::copy_file(std::string(FAKE_TOOLS_DIR) + "/fake_tool", tools + "/NatSub");
    fs::copy_file(std::string(FAKE_TOOLS_DIR) + "/fake_tool", tools + "/waaaudit.EXE");
    const std::string out = dir / "out";
    pemtest::WriteFile(out + "/last0001.xml", "<KORVEX>\n</KORVEX>\n");
    pemtest::ScopedEnv log("FAKE_TOOL_ARGLOG", dir / "args.txt");

    std::vector<TBatchLine> lines = RebuildBatchByModule({Sub("NATSUB", 1, "0001")}, tools);
    for (auto& l : lines)
        if (l.kind == TBatchLine::TKind::Call && l.program.find("NATSUB") != std::string::npos)
            l.program = tools + "/natsub.exe";
    SaveBatchScript(out + "/lastbatch.cmd", lines);

    TToolStartRequest r;
    r.program = out + "/lastbatch.cmd";
    r.workingDir = out;
    r.captureLog = true;
    int error = 0;
    std::string step;
    auto run = StartToolRun(r, error, step);
    ASSERT_TRUE(run) << step << SystemErrorMessage(error);
    ASSERT_TRUE(run->WaitFor(10000));
    EXPECT_EQ(run->ExitCode(), 0);
    EXPECT_EQ(pemtest::ReadFile(dir / "args.txt"), "[0]=" + tools + "/waaaudit.EXE\n[1]=last.xml;0000\n--\n"
                                                   "[0]=" + tools + "/NatSub\n[1]=last.xml;0001\n--\n"
                                                   "[0]=" + tools + "/waaaudit.EXE\n[1]=last.xml;9999\n--\n");
    EXPECT_FALSE(fs::exists(dir / "pwned"));
    EXPECT_FALSE(fs::exists(out + "/pwned"));
    // The renames ran: the module's document is back under its own name.
    EXPECT_TRUE(fs::exists(out + "/last0001.xml"));
    EXPECT_FALSE(fs::exists(out + "/last.xml"));
    // The script's trace (set -x) went to Console.log with its output.
    const std::string console = pemtest::ReadFile(out + "/Console.log");
    EXPECT_NE(console.find("+ mv -f -- last0001.xml last.xml"), std::string::npos) << console;
    EXPECT_NE(console.find("Done"), std::string::npos) << console;
}
