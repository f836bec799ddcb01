// The product INI text: settings with their parsing rules, the mended
// values, the view-style line, the limits block, the save stamp, the
// per-language switches and where the file is found.
#include "CaseInsensitivePath.h"
#include "LanguageSelection.h"
#include "ProductIni.h"
#include "ProductTable.h"
#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

TStringList Lines(std::initializer_list<std::string> l) { return TStringList(l); }

TIniEnvironment Env(bool stub = true, bool dosbox = false) {
    TIniEnvironment e;
    e.consoleStubExists = stub;
    e.locateDOSBox = [dosbox](bool use) { return use && dosbox; };
    return e;
}

} // namespace

TEST(ProductIniSettings, DefaultsAndParsingRules) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::function<void(const TIniSettings&)> check;
    };
    const Case cases[] = {
        {"empty file keeps every default", {},
         [](const TIniSettings& s) {
             EXPECT_FALSE(s.CompressedTree);
             EXPECT_FALSE(s.CaptureLog);
             EXPECT_TRUE(s.RenameAfter);
             EXPECT_EQ(s.BigDirectoryLimit, 50);
             EXPECT_EQ(s.IOBuffSize, 200000);
         }},
        {"empty value takes the default of a plain bool", {"Runcontrol.RenameAfter="},
         [](const TIniSettings& s) { EXPECT_TRUE(s.RenameAfter); }},
        {"J, I and True are yes; names ignore case", {"runcontrol.blindrun=j", "Viewer.AutoExpand=I",
                                                       "Runcontrol.DebugMode=True", "RUNCONTROL.RENAMEAFTER=n"},
         [](const TIniSettings& s) {
             EXPECT_TRUE(s.Blindrun);
             EXPECT_TRUE(s.AutoExpand);
             EXPECT_TRUE(s.DebugMode);
             EXPECT_FALSE(s.RenameAfter);
         }},
        {"a limit of 0 is the default", {"Runcontrol.SystemBigDirectoryLimit=0", "FileCopy.SystemIOBuffSize=4096"},
         [](const TIniSettings& s) {
             EXPECT_EQ(s.BigDirectoryLimit, 50);
             EXPECT_EQ(s.IOBuffSize, 4096);
         }},
        {"console capture needs the stub", {"Runcontrol.SystemCaptureConsole=Y"},
         [](const TIniSettings& s) { EXPECT_TRUE(s.SystemCaptureConsole); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TStringList l;
        for (const auto& s : c.lines) l.Add(s);
        std::vector<TIniProblem> problems;
        c.check(ReadIniSettings(l, Env(), problems));
        EXPECT_TRUE(problems.empty());
    }
    std::vector<TIniProblem> problems;
    EXPECT_FALSE(ReadIniSettings(Lines({"Runcontrol.SystemCaptureConsole=Y"}), Env(false), problems)
                     .SystemCaptureConsole);
}

TEST(ProductIniSettings, DOSBoxInUseSwitchesOffLogAndBlindRun) {
    const TStringList l = Lines({"Runcontrol.UseDOSBox=Y", "Runcontrol.CaptureLog=Y", "Runcontrol.Blindrun=Y",
                                 "Runcontrol.SystemCaptureConsole=Y"});
    std::vector<TIniProblem> problems;
    TIniSettings found = ReadIniSettings(l, Env(true, true), problems);
    EXPECT_TRUE(found.DOSBoxInUse);
    EXPECT_FALSE(found.CaptureLog);
    EXPECT_FALSE(found.Blindrun);
    EXPECT_FALSE(found.SystemCaptureConsole);
    // Asked for but not found: the settings stand.
    TIniSettings missing = ReadIniSettings(l, Env(true, false), problems);
    EXPECT_FALSE(missing.DOSBoxInUse);
    EXPECT_TRUE(missing.CaptureLog);
    EXPECT_TRUE(missing.Blindrun);
}

TEST(ProductIniSettings, UnusableValuesAreReportedAndKeepTheirDefault) {
    const TStringList l = Lines({"Runcontrol.CaptureLog=yes", "SpecViewer.CompressedTree=maybe",
                                 "Runcontrol.SystemBigDirectoryLimit=many", "FileCopy.SystemIOBuffSize=-5",
                                 "Runcontrol.RenameAfter=N"});
    std::vector<TIniProblem> problems;
    const TIniSettings s = ReadIniSettings(l, Env(), problems);
    EXPECT_FALSE(s.CaptureLog);
    EXPECT_FALSE(s.CompressedTree);
    EXPECT_EQ(s.BigDirectoryLimit, 50);
    EXPECT_EQ(s.IOBuffSize, 200000);
    // Settings after a bad one are still read.
    EXPECT_FALSE(s.RenameAfter);
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].key, "SpecViewer.CompressedTree");
    EXPECT_EQ(problems[1].Message(),
              "Installation error, invalid value in ini file: Runcontrol.CaptureLog=yes "
              "(yes is not valid boolean value (Y,J,I,N,True,False))");
    EXPECT_EQ(problems[2].key, "Runcontrol.SystemBigDirectoryLimit");
    EXPECT_EQ(problems[3].value, "-5");
}

TEST(ProductIniViewStyle, MissingKeyIsAddedAfterTheBufferLineOnce) {
    TStringList l = Lines({"; head", "FileCopy.SystemIOBuffSize=0", "Other=1"});
    unsigned char style = 0;
    EXPECT_TRUE(EnsureFileViewStyle(l, 200000, style));
    EXPECT_EQ(style, 1);
    const std::vector<std::string> expected = {
        "; head", "FileCopy.SystemIOBuffSize=200000",
        ";TFileViewStyle = (fvsIcons - 0, fvsList - 1, fvsDetails - 2, fvsThumbnails - 3, fvsTiles - 4)",
        "FileCopy.SystemFileViewStyle=1", "", "Other=1"};
    ASSERT_EQ(l.Count(), static_cast<int>(expected.size()));
    for (int i = 0; i < l.Count(); ++i) EXPECT_EQ(l[i], expected[static_cast<size_t>(i)]);
    // A second apply finds the key and changes nothing.
    EXPECT_FALSE(EnsureFileViewStyle(l, 200000, style));
    EXPECT_EQ(l.Count(), 6);
}

TEST(ProductIniViewStyle, UnusableValueIsMendedInPlaceNotDuplicated) {
    TStringList l = Lines({"FileCopy.SystemIOBuffSize=1000", "FileCopy.SystemFileViewStyle=details"});
    unsigned char style = 0;
    for (int apply = 0; apply < 3; ++apply) EnsureFileViewStyle(l, 1000, style);
    EXPECT_EQ(style, 1);
    ASSERT_EQ(l.Count(), 2);
    EXPECT_EQ(l[1], "FileCopy.SystemFileViewStyle=1");
    // A whole number gives its low byte.
    TStringList w = Lines({"FileCopy.SystemFileViewStyle=258"});
    EXPECT_FALSE(EnsureFileViewStyle(w, 1000, style));
    EXPECT_EQ(style, 2);
    // No buffer line at all: both are appended.
    TStringList none = Lines({"A=1"});
    EnsureFileViewStyle(none, 4096, style);
    EXPECT_EQ(none[1], "FileCopy.SystemIOBuffSize=4096");
    EXPECT_EQ(none[3], "FileCopy.SystemFileViewStyle=1");
}

TEST(ProductIniText, LimitsBlockStampAndExtras) {
    const TStringList l = Lines({"a=1", "LimitsDef=", "MaxA=A,1", "; note", "LimitsDef.End=", "MaxB=B,2",
                                 "COB.Extras=( DirDepth = 3 , Procpgm=Tools\\cob.exe, Scan=Y)", "JAV.Extras="});
    const TStringList block = LimitsBlock(l);
    ASSERT_EQ(block.Count(), 2);
    EXPECT_EQ(block[0], "MaxA=A,1");
    EXPECT_EQ(block[1], "; note");
    EXPECT_TRUE(LimitsBlock(Lines({"LimitsDef=", "MaxA=A,1"})).Empty()) << "no end line, no block";

    bool found = false;
    EXPECT_EQ(LanguageExtra(l, "cob", "dirdepth", &found), "3");
    EXPECT_TRUE(found);
    EXPECT_EQ(LanguageExtra(l, "COB", "Procpgm"), "Tools\\cob.exe");
    EXPECT_EQ(LanguageExtra(l, "COB", "Missing"), "");
    EXPECT_EQ(LanguageExtra(l, "JAV", "Scan", &found), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(MissingIniLineMessage("JAV.Extras"), "Installation error #1, JAV.Extras is missing from ini file");

    TStringList s = Lines({"; first", "X=1"});
    StampDateWritten(s, "01.02.2024 03:04:05");
    EXPECT_EQ(s[1], "Date Written=01.02.2024 03:04:05");
    EXPECT_EQ(s.Count(), 3);
    StampDateWritten(s, "02.02.2024 00:00:00");
    EXPECT_EQ(s.Count(), 3);
    EXPECT_EQ(s[1], "Date Written=02.02.2024 00:00:00");
    TStringList e;
    StampDateWritten(e, "x");
    EXPECT_EQ(e.Text(), "Date Written=x\n");
    const std::string stamp = FormatDateWritten(0);
    ASSERT_EQ(stamp.size(), 19u);
    EXPECT_EQ(stamp[2], '.');
    EXPECT_EQ(stamp[5], '.');
    EXPECT_EQ(stamp[10], ' ');
    EXPECT_EQ(stamp[13], ':');
}

TEST(ProductIniText, OptionLevelFlags) {
    struct Case {
        int level;
        bool keep, dropComp, dropBoth, flat;
    };
    for (const Case c : {Case{0, false, false, true, false}, Case{1, false, true, true, false},
                         Case{2, true, true, true, false}, Case{3, true, true, true, false},
                         Case{99, false, false, false, true}}) {
        const TOptionLevel o = MakeOptionLevel(c.level);
        EXPECT_EQ(o.keepAllLevels, c.keep) << c.level;
        EXPECT_EQ(o.dropComponentLevel, c.dropComp) << c.level;
        EXPECT_EQ(o.dropBothLevels, c.dropBoth) << c.level;
        EXPECT_EQ(o.flatList, c.flat) << c.level;
    }
}

TEST(ProductIniFile, FoundAtIniPathElseBesideTheProgramIgnoringCase) {
    pemtest::TempDir d;
    const TAnalTypeConstants& korvex = *FindProduct("Korvex");
    const TAnalTypeConstants& oskaro = *FindProduct("Oskaro_Korvex");
    fs::create_directories(d / "Tools");
    EXPECT_EQ(FindProductIniFile(d / "Tools/Korvex", korvex), "");
    // Beside the program, under the executable's own name.
    pemtest::WriteFile(d / "Tools/korvex.ini", "a=1\n");
    EXPECT_EQ(FindProductIniFile(d / "Tools/Korvex", korvex), d / "Tools/korvex.ini");
    // IniPath wins, its folder and name matched without regard to case.
    pemtest::WriteFile(d / "_PEMARIS_FAMILY.SRC/korvex.INI", "a=1\n");
    EXPECT_EQ(FindProductIniFile(d / "Tools/Korvex", korvex), d / "_PEMARIS_FAMILY.SRC/korvex.INI");
    // A derived product beside the program uses its IniShortName.
    pemtest::WriteFile(d / "Tools/Oskaro_Korvex.INI", "a=1\n");
    EXPECT_EQ(FindProductIniFile(d / "Tools/Oskaro_Korvex", oskaro), d / "Tools/Oskaro_Korvex.INI");
}

TEST(CaseInsensitivePath, ResolvesFolderByFolder) {
    pemtest::TempDir d;
    pemtest::WriteFile(d / "Tools/Measure/COBAudit/Limits.COB", "x");
    pemtest::WriteFile(d / "Tools/Measure/COBAudit/limits.txt", "x");
    EXPECT_EQ(FindFileIgnoringCase(d / "tools/MEASURE/cobaudit/limits.cob"), d / "Tools/Measure/COBAudit/Limits.COB");
    EXPECT_EQ(FindDirIgnoringCase(d / "TOOLS/measure/COBAUDIT"), d / "Tools/Measure/COBAudit");
    EXPECT_EQ(FindFileIgnoringCase(d / "Tools/Measure/COBAudit"), "") << "a folder is not a file";
    EXPECT_EQ(FindDirIgnoringCase(d / "Tools/Measure/COBAudit/Limits.COB"), "") << "a file is not a folder";
    EXPECT_EQ(FindFileIgnoringCase(d / "Tools/Other/Limits.COB"), "");
    EXPECT_EQ(FindFileIgnoringCase(d / "Tools/Measure/COBAudit/Limits.CO"), "");
    EXPECT_EQ(ResolveFileIgnoringCase(d / "tools/missing.txt"), d / "tools/missing.txt");
    EXPECT_EQ(FindPathIgnoringCase(""), "");
    // The exact spelling wins over another case variant of the same name.
    pemtest::WriteFile(d / "Tools/Measure/COBAudit/LIMITS.TXT", "y");
    EXPECT_EQ(FindFileIgnoringCase(d / "Tools/Measure/COBAudit/limits.txt"), d / "Tools/Measure/COBAudit/limits.txt");
}
