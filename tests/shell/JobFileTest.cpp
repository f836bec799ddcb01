// The job file's head and the names that make its file name.
#include "Exceptions.h"
#include "JobFile.h"
#include <gtest/gtest.h>

using namespace pem;

namespace {

TStringList LoadFixture(const std::string& name) {
    TStringList l;
    l.LoadFromFile(std::string(FIXTURES_DIR) + "/jobs/" + name);
    return l;
}

TJobHead FullHead(bool running) {
    TJobHead h;
    h.ActiveRadioButton = "RadioButtonCob85";
    h.ProjectName = "Abc CorpPay RollB2";
    h.ProductName = "abc corp";
    h.SystemName = "pay roll";
    h.SystemVersion = "1.2";
    h.BatchRunning = running;
    h.LanguageCode = "COB";
    h.LanguageVersion = "b2";
    h.ToolRootDir = "/opt/tools";
    h.InterfaceType = "Files";
    h.MaxDirDepth = 99;
    h.CommonRoot = "/src/";
    h.SelectedFilesScreenWidth = 640;
    h.SystemNameByDirectory = true;
    h.SourceLinesInJob = 5000000123; // beyond 32 bits
    h.PreviewBeforePrinting = true;
    if (running) h.Counters = {1, 4, 10, 40};
    return h;
}

TEST(JobHead, ComposedInItsFixedOrder) {
    TStringList out;
    ComposeJobHead(FullHead(true), out);
    const TStringList expected = {"[RadioButtons]",
                                  "ActiveRadioButton=RadioButtonCob85",
                                  "[Properties]",
                                  "ProjectName=Abc CorpPay RollB2",
                                  "ProjectProductName=abc corp",
                                  "ProjectSystemName=pay roll",
                                  "ProjectSystemVersion=1.2",
                                  "BatchRunning=Y",
                                  ";ProjectVersion=COB",
                                  "ProjectSubVersion=b2",
                                  ";ToolRootDir=/opt/tools",
                                  "ProjectInterFaceType=Files",
                                  "MaxDirDepth=99",
                                  "ProjectCommonRoot=/src/",
                                  "SelectedFilesScreenWidth=640",
                                  "SystemNameByDirectory=Y",
                                  "SourceLinesInJob=5000000123",
                                  "PreviewBeforePrinting=Y",
                                  "NumberOfRenamedModules=1",
                                  "NumberOfModules=4",
                                  "NumberOfRenamedSourceFiles=10",
                                  "NumberOfSourceFiles=40"};
    EXPECT_EQ(out.Text(), expected.Text());
}

TEST(JobHead, CountersOnlyWhileRunningAndEmptyValuesWriteNoLine) {
    TJobHead h = FullHead(false);
    h.CommonRoot.clear();
    h.Counters = {1, 2, 3, 4};
    TStringList out;
    ComposeJobHead(h, out);
    EXPECT_EQ(out.IndexOfName("NumberOfModules"), -1);
    EXPECT_EQ(out.IndexOfName("ProjectCommonRoot"), -1);
    EXPECT_EQ(out.Values("BatchRunning"), "N");
}

TEST(JobHead, RoundTripsThroughText) {
    for (bool running : {false, true}) {
        TStringList out;
        TJobHead h = FullHead(running);
        ComposeJobHead(h, out);
        ComposeLimitsGrid("StringGridNumParams", {{" Max lines ", " 500 ", "MAXLINES"}, {"Depth", "7", "DEPTH"}}, out);
        out.Add("[Form - frmPemarisMain]");
        out.Add("frmPemarisMain.EditSystemName=pay roll");
        TStringList limits;
        TJobHead back = ParseJobHead(out, &limits);
        // The language code and the tool root are written for the reader only.
        h.LanguageCode.clear();
        h.ToolRootDir.clear();
        EXPECT_EQ(back, h) << (running ? "running" : "idle");
        EXPECT_EQ(limits.Text(), TStringList({"MAXLINES=Max lines,500", "DEPTH=Depth,7"}).Text());
    }
}

// Old and odd job files.
TEST(JobHead, OddFilesParse) {
    struct Case {
        const char* file;
        int maxDirDepth;
        const char* systemName;
        bool running;
    };
    const Case cases[] = {
        {"old_no_end_marker.jkvx", 1, "ledger", false},
        {"missing_keys.jkvx", 0, "pay", false},
        // A memo line "MaxDirDepth=7" after a "[" line is memo text, not the head.
        {"memo_bracket.jkvx", 0, "notes", false},
        // CR LF line ends leave no CR in the values.
        {"crlf.jkvx", 3, "pay roll", false},
    };
    for (const auto& c : cases) {
        TJobHead h = ParseJobHead(LoadFixture(c.file));
        EXPECT_EQ(h.MaxDirDepth, c.maxDirDepth) << c.file;
        EXPECT_EQ(h.SystemName, c.systemName) << c.file;
        EXPECT_EQ(h.BatchRunning, c.running) << c.file;
        EXPECT_EQ(h.ActiveRadioButton, "RadioButtonCob85") << c.file;
    }
}

TEST(JobHead, NonNumericValueRaisesConversionError) {
    EXPECT_THROW(ParseJobHead(LoadFixture("bad_number.jkvx")), EConvertError);
    TStringList strict = {"[Properties]", "SystemNameByDirectory=maybe"};
    EXPECT_THROW(ParseJobHead(strict), EConvertError);
}

// Jobs saved with a negative structure level (from a negative INI switch)
// open with the level of a missing key; other unreadable levels stay errors.
TEST(JobHead, NegativeStructureLevelReadsAsMissing) {
    struct Case {
        const char* value;
        int level; // -1: conversion error
    };
    const Case cases[] = {{"-1", 0}, {"-99", 0}, {"2", 2}, {"", 0}, {"-", -1}, {"-x", -1}, {"abc", -1}};
    for (const auto& c : cases) {
        const TStringList text = {"[Properties]", std::string("MaxDirDepth=") + c.value};
        if (c.level < 0) EXPECT_THROW(ParseJobHead(text), EConvertError) << c.value;
        else EXPECT_EQ(ParseJobHead(text).MaxDirDepth, c.level) << c.value;
    }
}

TEST(JobNames, Validation) {
    struct Case {
        const char* text;
        bool name;
        bool version;
    };
    const Case cases[] = {
        {"pay roll", true, false},
        {"Abc", true, false},
        {"9lives", false, false},
        {"", false, false},
        {"a/b", false, false},
        {"a\\b", false, false},
        {"..", false, true}, // a version is only ever part of a name ("V..")
        {"x..y", false, false},
        {"v.1", true, false},
        {"1.2", false, true},
        {"1.2a", false, false},
        {"12", false, true},
        // Pasted line ends and other control characters never reach a file name.
        {"pay\n", false, false},
        {"pay\r\nroll", false, false},
        {"MaxDirDepth=abc\nx", false, false},
        {"tab\tbed", false, false},
        {"del\x7f", false, false},
        {"1.2\n", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidJobPartName(c.text), c.name) << c.text;
        EXPECT_EQ(IsValidVersion(c.text), c.version) << c.text;
    }
    EXPECT_TRUE(IsSafeJobName("Abc CorpPay RollB2"));
    EXPECT_FALSE(IsSafeJobName("AbcPay../B2"));
    EXPECT_FALSE(IsSafeJobName("AbcPay\x01" "B2"));
}

TEST(JobNames, ComposedAndShownInCaptions) {
    EXPECT_EQ(ComposeJobName("abc corp", "pay roll", "b2"), "Abc CorpPay RollB2");
    EXPECT_EQ(JobNameFromFileName("/jobs/Abc CorpPay RollB2.jkvx"), "Abc CorpPay RollB2");
    EXPECT_EQ(JobNameFromFileName("/jobs/v1.2/plain"), "plain");
    EXPECT_EQ(CaptionWithJobName("Korvex main shell - COBOL", "Job"), "Korvex main shell - COBOL [Job]");
    EXPECT_EQ(CaptionWithJobName("Korvex main shell - COBOL [Old] x", "New"), "Korvex main shell - COBOL [New] x");
    EXPECT_EQ(CaptionWithLanguage("Korvex main shell - COBOL [Job]", "C"), "Korvex main shell - C");
    EXPECT_EQ(SelectedFilesCaption("Selected files (3) Number of source lines(9)", 2, 1234567),
              "Selected files (2) Number of source lines(1,234,567)");
    EXPECT_EQ(SelectedFilesCaptionCleared("Selected files (2) Number of source lines(12)"), "Selected files (0)");
    EXPECT_EQ(OutputDirParentToRemember("/work/out/"), "/work");
    EXPECT_EQ(OutputDirParentToRemember("/out"), "/out");
}

} // namespace
