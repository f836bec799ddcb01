// What a language line stands for: its definition, switches and companion
// lines, the pick-frame defaults in a tool tree with case-variant names, and
// the limits grid's rows and cell check.
#include "Exceptions.h"
#include "LanguageSelection.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace pem;

TEST(LanguageDefinition, ItemsAndVersionsWithinBounds) {
    struct Case {
        const char* value;
        const char* code;
        const char* folder;
        int count;
        std::vector<std::string> versions;
        const char* version;
    };
    const Case cases[] = {
        {"COBOL 85,COB,,2,V85,V74", "COB", "COB", 2, {"V85", "V74"}, "V85"},
        {"Java, JAV, JAVA, 1, J8, J11", "JAV", "JAVA", 1, {"J8"}, "J8"},
        // The count claims more versions than the line holds.
        {"PL/I,PLI,,5,V1", "PLI", "PLI", 5, {"V1"}, "V1"},
        {"Assembler,ASM,,3", "ASM", "ASM", 3, {}, ""},
        {"C,C", "C", "C", 0, {}, ""},
        {"Odd,ODD,,x,V1", "ODD", "ODD", 0, {}, "V1"},
        {"Neg,NEG,,-2,V1", "NEG", "NEG", 0, {}, "V1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        TLanguageDefinition d;
        ASSERT_TRUE(ParseLanguageDefinition("RadioButtonX", c.value, d));
        EXPECT_EQ(d.Code, c.code);
        EXPECT_EQ(d.FolderCode, c.folder);
        EXPECT_EQ(d.VersionCount, c.count);
        EXPECT_EQ(d.Versions, c.versions);
        EXPECT_EQ(d.Version, c.version);
    }
    TLanguageDefinition d;
    EXPECT_FALSE(ParseLanguageDefinition("RadioButtonX", "  ", d));
}

TEST(LanguageSwitches, DefaultsWithoutExtrasAndUnusableValues) {
    std::vector<TIniProblem> problems;
    // No ".Extras" line: DirDepth 2 and every switch at its default.
    const TLanguageExtras none = ReadLanguageExtras(TStringList{"COB.Filters=x"}, "COB", problems);
    EXPECT_EQ(none.DirDepth, 2);
    EXPECT_TRUE(none.Rules && none.Metrics && none.Specs && none.Functab && none.MaxValues && none.Analpar);
    EXPECT_TRUE(none.Extras && none.Comments && none.Audit && none.Exports && none.Ranking);
    EXPECT_FALSE(none.Scan || none.Transf || none.Redoc || none.Calc || none.HarnoxPost || none.Repo_Tab);
    EXPECT_TRUE(problems.empty());

    const TStringList l{"COB.Extras=(DirDepth=deep, Scan=yes, Rules=N, Procpgm=Common\\Cob.exe, TextTags=)"};
    const TLanguageExtras x = ReadLanguageExtras(l, "COB", problems);
    EXPECT_EQ(x.DirDepth, 2);
    EXPECT_FALSE(x.Scan);
    EXPECT_FALSE(x.Rules);
    EXPECT_FALSE(x.TextTags);
    EXPECT_EQ(x.Procpgm, "Common\\Cob.exe");
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].key, "COB.Extras: DirDepth");
    EXPECT_EQ(problems[1].value, "yes");

    // A negative structure level is unusable like any other bad value; 0
    // (sources only) and the flat list stay usable.
    for (const auto& [text, level, bad] : {std::tuple{"-1", 2, true}, std::tuple{"0", 0, false},
                                           std::tuple{"99", 99, false}}) {
        problems.clear();
        const TStringList d{std::string("COB.Extras=(DirDepth=") + text + ")"};
        EXPECT_EQ(ReadLanguageExtras(d, "COB", problems).DirDepth, level) << text;
        ASSERT_EQ(problems.size(), bad ? 1u : 0u) << text;
        if (bad) EXPECT_EQ(problems[0].Message(), "Installation error, invalid value in ini file: COB.Extras: "
                                                  "DirDepth=-1 ('-1' is below 0)");
    }
}

TEST(LanguageSwitches, CompanionLines) {
    const TStringList l{
        "ASM.SearchKeys=(Program=PROG, Macro=MAC)",
        "ASM.Captions=( ActRunAnal=*, ActViewSpecs=\"Show, specs\" ,ActRunSearch=Find )",
        "ASM.WordScan.ObjectTypes=(INPT,OUTP)",
        "WordScan.ObjectTypes=(A,\?\?\?\?)",
        "WAA.SubProcessors=(Natural=NAT, Self=WAA, Maps=map, waa=waa)",
    };
    const TStringList keys = SearchKeyNames(IniValue(l, "ASM.SearchKeys"));
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys[1], "Macro");
    EXPECT_EQ(SearchKeyNames("")[0], "Program");
    // The search run writes the value behind the name shown.
    EXPECT_EQ(SearchKeyValue(IniValue(l, "ASM.SearchKeys"), "macro"), "MAC");
    EXPECT_EQ(SearchKeyValue("", "Program"), "PROG");
    EXPECT_EQ(SearchKeyValue(IniValue(l, "ASM.SearchKeys"), "Copy"), "");

    const TStringList caps = CaptionOverrides(IniValue(l, "ASM.Captions"));
    EXPECT_EQ(caps.Values("ActRunAnal"), "*");
    // Quotes are removed and every comma splits, as the line's rule says.
    EXPECT_EQ(caps.Values("ActViewSpecs"), "Show");
    EXPECT_EQ(caps.Values("ActRunSearch"), "Find");

    const TStringList own = WordScanObjectTypes(l, "ASM");
    ASSERT_EQ(own.Count(), 3);
    EXPECT_EQ(own[2], "????");
    const TStringList common = WordScanObjectTypes(l, "COB");
    EXPECT_EQ(common.Count(), 2) << "the undefined type is not added twice";
    EXPECT_EQ(WordScanObjectTypes(TStringList{}, "X")[0], "INPT");

    // A group whose sub-processor names the group itself does not expand
    // into itself.
    std::vector<std::string> loops;
    const std::vector<std::string> subs = SubProcessorCodes(l, "WAA", &loops);
    EXPECT_EQ(subs, (std::vector<std::string>{"NAT", "map"}));
    EXPECT_EQ(loops.size(), 2u);
    EXPECT_TRUE(SubProcessorCodes(l, "NAT").empty());
}

TEST(LanguagePickDefaults, ParameterFilesAndToolsInACaseVariantTree) {
    pemtest::TempDir d;
    const std::string root = d / "Tools/Measure/Korvex";
    pemtest::WriteFile(root + "/COBAudit/COBAudit.exe", "");
    pemtest::WriteFile(root + "/COBAudit/limits.cob", "");
    pemtest::WriteFile(root + "/COBAudit/Rules.COB", "");
    pemtest::WriteFile(root + "/COBAudit/rules.v85", "");
    pemtest::WriteFile(root + "/COBAudit/Scanner.EXE", "");
    pemtest::WriteFile(root + "/Jobrin/jobrin.exe", "");
    pemtest::WriteFile(d / "_Src/TextTemplates/Plan.rtf", "");

    TPickContext ctx{root, "COB", "Audit", "V85", d / "_Src/Korvex.INI", false};
    TLanguageExtras x;
    TPickDefaults p = ComputePickDefaults(ctx, x);
    EXPECT_EQ(p.Limits, root + "/COBAudit/limits.cob");
    EXPECT_EQ(p.Rules, root + "/COBAudit/rules.v85") << "the version's own file wins";
    EXPECT_EQ(p.Metrics, root + "/COBAudit/Metrics.COB") << "missing: the name as composed";
    EXPECT_EQ(p.Pemaris, root + "/COBAudit/COBAudit.exe");
    EXPECT_EQ(p.WordScanner, p.Pemaris);
    EXPECT_EQ(p.Transform, root + "/Jobrin/jobrin.exe");
    EXPECT_EQ(p.EditorGeneral, "NOTEPAD.EXE");
    EXPECT_EQ(p.Search, "");

    x.Procpgm = "Common\\Tool.exe";
    x.ScanProg = "scanner";
    x.SearchProg = "/opt/search/find";
    x.TstSpecTemplate = "Templates\\Plan.rtf";
    p = ComputePickDefaults(ctx, x);
    EXPECT_EQ(p.Pemaris, root + "/Common/Tool.exe");
    EXPECT_EQ(p.WordScanner, root + "/COBAudit/Scanner.EXE");
    EXPECT_EQ(p.Search, "/opt/search/find") << "an absolute path is used unchanged";
    EXPECT_EQ(p.TstSpecTemplate, root + "/Templates/Plan.rtf");
    ctx.iniBesideProgram = true;
    EXPECT_EQ(ComputePickDefaults(ctx, x).TstSpecTemplate, d / "_Src/TextTemplates/Plan.rtf");
}

TEST(LimitsGrid, RowsAndCellCheck) {
    const TStringList l{"; comment=Skipped,1", "MaxA= Cyclomatic , 12 ", "Empty=", "NoValue=Caption only",
                        "MaxB=Nesting,  5"};
    const auto rows = NumParamRows(l);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].caption, "Cyclomatic");
    EXPECT_EQ(rows[0].value, "12");
    EXPECT_EQ(rows[0].name, "MaxA");
    EXPECT_EQ(rows[1].value, "5");

    EXPECT_EQ(CheckNumParamText(" 12345 "), "12345");
    EXPECT_EQ(CheckNumParamText("007"), "7");
    try {
        CheckNumParamText("1234567");
        FAIL() << "seven digits accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Max six digits are allowed!");
    }
    EXPECT_THROW(CheckNumParamText("12a"), EConvertError);

    bool info = false;
    EXPECT_EQ(ParameterFilesMessage({"Limits"}, info), "No default file for parameters (Limits) , internal defaults used");
    EXPECT_TRUE(info);
    EXPECT_EQ(ParameterFilesMessage({"Limits", "Specs"}, info),
              "Some parameter files (Limits,Specs) couldn't be opened for this language,this may lead to errors.");
    EXPECT_FALSE(info);
    EXPECT_EQ(ParameterFilesMessage({}, info), "");
}
