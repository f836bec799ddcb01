// DOSBox runs: the configuration made from the template, and a whole start
// through the fake dosbox, which runs the tool the configuration names.
#include "DOSBoxConfig.h"
#include "DOSStart.h"
#include "TestSupport.h"
#include "ToolStart.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

TStringList Lines(std::initializer_list<std::string> l) { return TStringList(l); }

std::vector<std::string> Items(const TStringList& l) {
    std::vector<std::string> v;
    for (const auto& i : l) v.push_back(i.s);
    return v;
}

} // namespace

TEST(DOSBoxConfig, TemplateAutoexecAndCycles) {
    using V = std::vector<std::string>;
    const V added = {"[autoexec]", "mount c: \"/opt/my tools/COB\"", "mount x: .", "x:", "c:\\COBAUDIT.EXE last.xml",
                     "exit"};
    auto with = [&](V head, V tail = {}) {
        head.insert(head.end(), added.begin(), added.end());
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const struct {
        const char* what;
        TStringList templ;
        V expected;
    } cases[] = {
        {"[autoexec] after the first line: it and what follows go",
         Lines({"[cpu]", "cycles=auto", "[AutoExec]", "mount d: /old", "d:"}), with({"[cpu]", "cycles=max"})},
        {"[autoexec] first: the template stays whole and a second section follows",
         Lines({"[autoexec]", "echo hello", "[cpu]", "cycles=fixed 3000"}),
         with({"[autoexec]", "echo hello", "[cpu]", "cycles=max"})},
        {"no [autoexec]: the template stays whole", Lines({"[sdl]", "fullscreen=false", "[cpu]", "cycles=auto"}),
         with({"[sdl]", "fullscreen=false", "[cpu]", "cycles=max"})},
        {"no cycles line: appended after exit", Lines({"[sdl]", "fullscreen=false", "[autoexec]"}),
         with({"[sdl]", "fullscreen=false"}, {"cycles=max"})},
        {"only the first cycles line changes", Lines({"cycles=auto", "[autoexec]", "cycles=3000"}),
         with({"cycles=max"})},
        {"an empty template", Lines({}), with({}, {"cycles=max"})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Items(ComposeDOSBoxConfig(c.templ, "/opt/my tools/COB", "COBAUDIT.EXE")), c.expected) << c.what;
}

TEST(DOSBoxStart, TheFakeDosboxRunsTheToolTheConfigurationNames) {
    pemtest::TempDir dir;
    const std::string tools = dir / "my tools";
    fs::create_directories(tools);
    fs::copy_file(std::string(FAKE_TOOLS_DIR) + "/fake_tool", tools + "/COBAUDIT.EXE");
    const std::string out = dir / "out";
    pemtest::WriteFile(out + "/last.xml",
                       "<KORVEX>\n <Names\n  SystemName  = \"Sys\"\n />\n <Files>\n"
                       "  <Orig_File_0001>a.cbl</Orig_File_0001>\n  <File_0001>SRC0001.CBL</File_0001>\n"
                       " </Files>\n</KORVEX>\n");
    pemtest::WriteFile(out + "/workinp/SRC0001.CBL", "1\n2\n");
    pemtest::WriteFile(out + "/Semaphore.xml", "");
    pemtest::ScopedEnv log("FAKE_DOSBOX_LOG", dir / "dosbox.log");

    TToolStartRequest r;
    r.program = tools + "/COBAUDIT.EXE";
    r.params = {"last.xml"};
    r.workingDir = out;
    r.useDOSBox = true;
    r.dosboxExe = std::string(FAKE_TOOLS_DIR) + "/dosbox";
    r.dosboxTemplate = TStringList({"[cpu]", "cycles=auto"});
    int error = 0;
    std::string step;
    auto run = StartToolRun(r, error, step);
    ASSERT_TRUE(run) << step << " " << SystemErrorMessage(error);
    ASSERT_TRUE(run->WaitFor(10000));
    EXPECT_EQ(run->ExitCode(), 0);
    const std::string dosboxLog = pemtest::ReadFile(dir / "dosbox.log");
    EXPECT_EQ(dosboxLog.substr(0, dosboxLog.find("run: ")),
              "arg: -conf\narg: DOSBox.config\narg: -noconsole\narg: -exit\n");
    EXPECT_NE(dosboxLog.find("run: " + tools + "/COBAUDIT.EXE last.xml (in " + out + ")"), std::string::npos)
        << dosboxLog;
    EXPECT_EQ(pemtest::ReadFile(out + "/DOSBox.config"), "[cpu]\ncycles=max\n[autoexec]\nmount c: \"" + tools +
                                                            "\"\nmount x: .\nx:\nc:\\COBAUDIT.EXE last.xml\nexit\n");
    // The stale stop request was deleted before the start, so the tool ran.
    EXPECT_EQ(pemtest::ReadFile(out + "/Metrics/SRC0001.met"), "Lines > 2\n");
}

TEST(DOSStart, DOSProgramsAreKnownByTheirHeader) {
    pemtest::TempDir dir;
    std::string pe = "MZ" + std::string(62, '\0');
    pe[0x18] = 0x40;
    pe[0x3C] = 0x40;
    pe += "PE";
    pe += std::string(2, '\0');
    std::string relocatedDos = pe;
    relocatedDos[0x40] = 'x';
    const struct {
        const char* name;
        std::string bytes;
        bool dos;
    } cases[] = {
        {"plain.exe", "MZ" + std::string(62, '\0'), true},
        {"windows.exe", pe, false},
        {"noheader.exe", relocatedDos, true},
        {"short.exe", "MZ", true},
        {"script.exe", "#!/bin/sh\necho hi\n", false},
        {"TOOL.COM", "anything", true},
        {"empty.exe", "", false},
    };
    for (const auto& c : cases) {
        pemtest::WriteFile(dir / c.name, c.bytes);
        EXPECT_EQ(IsDosExecutable(dir / c.name), c.dos) << c.name;
    }
    EXPECT_FALSE(IsDosExecutable(dir / "missing.exe"));
    EXPECT_FALSE(IsDosExecutable(std::string(FAKE_TOOLS_DIR) + "/fake_tool"));
}

TEST(DOSStart, DOSBoxIsFoundOnPathElseAtTheINIsLocation) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "DOSBox/DosBox.EXE", "x");
    {
        pemtest::ScopedEnv path("PATH", std::string("/nonexistent:") + FAKE_TOOLS_DIR);
        EXPECT_EQ(FindDOSBoxExecutable(dir / "DOSBox/dosbox.exe"), std::string(FAKE_TOOLS_DIR) + "/dosbox");
    }
    pemtest::ScopedEnv path("PATH", "/nonexistent");
    EXPECT_EQ(FindDOSBoxExecutable(dir / "DOSBox/dosbox.exe"), dir / "DOSBox/DosBox.EXE");
    EXPECT_EQ(FindDOSBoxExecutable(dir / "elsewhere/dosbox"), "");
    EXPECT_EQ(FindDOSBoxExecutable(""), "");
}
