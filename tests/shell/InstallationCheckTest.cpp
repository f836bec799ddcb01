// Starting the main window on fixture installations: the installation check
// against the tool tree, the INI file it saves, unusable INI values, and
// selecting languages with their tools, parameter files and switches.
#include "CmdLine.h"
#include "Exceptions.h"
#include "FindExecFrame.h"
#include "MainFormHarness.h"
#include "QtTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const char* kSettings = "Runcontrol.RenameAfter=Y\n"
                        "FileCopy.SystemIOBuffSize=200000\n"
                        "FileCopy.SystemFileViewStyle=1\n";

class InstallationTest : public pemtest::MainFormTest {
protected:
    std::string IniPath() const { return install / "_Pemaris_Family.Src/Korvex.INI"; }
    void WriteIni(const std::string& text) { pemtest::WriteFile(IniPath(), text); }
    std::string Root() const { return install / "Tools/Measure/Korvex"; }

    TRadioButton* Button(const std::string& name) { return form->Find<TRadioButton>(name); }
    // Selects a language as the user does: a click on an enabled button of
    // the product's language tab (a click on the checked one changes nothing).
    void Select(const std::string& name) {
        TRadioButton* b = Button(name);
        ASSERT_NE(b, nullptr) << name;
        ASSERT_TRUE(b->isEnabled()) << name << " cannot be clicked";
        ASSERT_EQ(form->LanguageTabOf(b), form->LangTab) << name;
        b->click();
    }
};

const std::string kCobJav = "; Korvex\n"
                            "RadioButtonCob85=COBOL 85,COB,,2,V85,V74\n"
                            "COB.Extras=(DirDepth=2)\n"
                            "RadioButtonJava=Java,JAV,,1,J8\n"
                            "JAV.Extras=(DirDepth=3,Scan=Y,ScanProg=javaudit)\n"
                            "JAV.Captions=(ActRunAnal=*, ActViewDefis=Java deficiencies)\n";

} // namespace

TEST_F(InstallationTest, CompleteTreeStartsQuietlyWithTheStoredLanguage) {
    CopyTree(FIXTURES_DIR "/installations");
    WriteIni(kCobJav + kSettings + "ActiveRadioButton=RadioButtonJava\n");
    TfrmPemarisMain* f = Start();
    EXPECT_TRUE(dialogs->Messages().empty()) << dialogs->Messages().front();
    EXPECT_EQ(f->MyStB->Severity, 0);
    EXPECT_EQ(f->ActiveRadioButton, Button("RadioButtonJava"));
    EXPECT_TRUE(Button("RadioButtonJava")->Checked());
    EXPECT_TRUE(Button("RadioButtonCob85")->Enabled());
    EXPECT_FALSE(Button("RadioButtonPLI")->Enabled());
    EXPECT_EQ(f->InstalledLanguages.CommaText(), "COB,JAV");
    EXPECT_EQ(f->LanguageCode, "JAV");
    EXPECT_EQ(f->Caption().rfind("Korvex main shell - Java", 0), 0u) << f->Caption();
    // Case-variant names of the tool tree are found.
    EXPECT_EQ(f->FrameFindexecPemaris->FileName(), Root() + "/JAVAudit/javaudit.EXE");
    EXPECT_EQ(f->FrameFindexecLimits->FileName(), Root() + "/JAVAudit/limits.jav");
    EXPECT_EQ(f->FrameFindexecRules->FileName(), Root() + "/JAVAudit/RULES.JAV");
    EXPECT_EQ(f->FrameFindexecPemaris->EditColor(), TFrameFindexec::ColorNormal());
    EXPECT_TRUE(f->FailedParameterFiles.empty());
    // Nothing was written: the file is as it was.
    EXPECT_EQ(pemtest::ReadFile(IniPath()).find("Date Written"), std::string::npos);
}

TEST_F(InstallationTest, MissingToolFolderDisablesTheLanguageAndMarksTheFile) {
    CopyTree(FIXTURES_DIR "/installations");
    WriteIni(kCobJav + "RadioButtonPLI=PL/I,PLI,,1,V1\nPLI.Extras=(DirDepth=1)\n" + kSettings +
             "ActiveRadioButton=RadioButtonCob85\n");
    dialogs->AnswerMessage(mrYes); // rewrite the INI file
    TfrmPemarisMain* f = Start();
    const std::string msg =
        "Directory " + Root() + "/PLIAudit doesn't exist, Product reference PL/I,PLI,,1,V1 removed from ini file";
    EXPECT_TRUE(recorder.Has(TStatusRecord::Collected, msg));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Question, "Errors occured durig installation, rewrite ini file?"));
    EXPECT_FALSE(Button("RadioButtonPLI")->Enabled());
    EXPECT_EQ(f->ActiveRadioButton, Button("RadioButtonCob85"));
    EXPECT_FALSE(f->isHidden());
    const std::string saved = pemtest::ReadFile(IniPath());
    EXPECT_NE(saved.find("\nNot installed RadioButtonPLI=PL/I,PLI,,1,V1\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("\nDate Written="), saved.find('\n')) << "stamp inserted as the second line";
    // The next start finds it marked and asks nothing.
    recorder.records.clear();
    dialogs->Reset();
    f = Start();
    EXPECT_FALSE(Button("RadioButtonPLI")->Enabled());
    EXPECT_FALSE(recorder.HasText("Errors occured durig installation, rewrite ini file?"));
}

TEST_F(InstallationTest, UnusableStoredLanguageIsReplacedAndSaved) {
    CopyTree(FIXTURES_DIR "/installations");
    struct Case {
        const char* active;
        const char* missingName;
    };
    // A missing button, one without a usable line, one on another product's tab.
    for (const Case c : {Case{"RadioButtonNothing", "Nothing"}, Case{"RadioButtonPLI", "PLI"},
                         Case{"RadioButtonVellingENG", "VellingENG"}}) {
        SCOPED_TRACE(c.active);
        WriteIni(kCobJav + "RadioButtonVellingENG=English,ENG,,1,V1\nENG.Extras=(DirDepth=1)\n" + kSettings +
                 "ActiveRadioButton=" + c.active + "\n");
        fs::create_directories(Root() + "/ENGAudit");
        recorder.records.clear();
        TfrmPemarisMain* f = Start();
        EXPECT_TRUE(recorder.HasText(std::string("Installation problem - required components missing for : ") +
                                     c.missingName));
        EXPECT_TRUE(recorder.HasText("Default product changed to: Cob85"));
        EXPECT_EQ(f->ActiveRadioButton, Button("RadioButtonCob85"));
        EXPECT_FALSE(f->isHidden());
        EXPECT_NE(pemtest::ReadFile(IniPath()).find("ActiveRadioButton=RadioButtonCob85"), std::string::npos);
    }
}

TEST_F(InstallationTest, NoUsableLanguageDisablesTheWindow) {
    CopyTree(FIXTURES_DIR "/installations");
    WriteIni(std::string("RadioButtonPLI=PL/I,PLI,,1,V1\nPLI.Extras=(DirDepth=1)\n") + kSettings +
             "ActiveRadioButton=RadioButtonPLI\n");
    TfrmPemarisMain* f = Start();
    EXPECT_TRUE(recorder.HasText("Installation error , no product is available - probably misplaced TOOL library"));
    EXPECT_EQ(f->ActiveRadioButton, nullptr);
    EXPECT_FALSE(f->PageControlMain->Enabled());
}

TEST_F(InstallationTest, UnusableSettingValueEndsTheStartWithoutAnException) {
    CopyTree(FIXTURES_DIR "/installations");
    WriteIni(kCobJav + kSettings + "Runcontrol.CaptureLog=yes\nActiveRadioButton=RadioButtonCob85\n");
    TfrmPemarisMain* f = Start();
    EXPECT_TRUE(recorder.HasText("Installation error, invalid value in ini file: Runcontrol.CaptureLog=yes "
                                 "(yes is not valid boolean value (Y,J,I,N,True,False))"));
    ASSERT_FALSE(dialogs->Messages().empty());
    const std::string last = dialogs->Messages().back();
    EXPECT_NE(last.find("Fatal errors during start, application will be stopped"), std::string::npos) << last;
    EXPECT_TRUE(f->isHidden());
}

TEST_F(InstallationTest, ApplyingAnEditedTextReportsBadValuesAndKeepsDefaults) {
    CopyTree(FIXTURES_DIR "/installations");
    WriteIni(kCobJav + kSettings + "Runcontrol.CaptureLog=Y\nActiveRadioButton=RadioButtonCob85\n");
    TfrmPemarisMain* f = Start();
    EXPECT_TRUE(f->Act("ActViewConsoleLog")->Visible());
    TStringList lines = f->IniLines();
    lines.SetValue("Runcontrol.CaptureLog", "sometimes");
    lines.SetValue("FileCopy.SystemFileViewStyle", "tiles");
    f->SetIniLines(lines);
    dialogs->AnswerMessage(mrNo);
    EXPECT_NO_THROW(f->ButtonApplyINIClick(nullptr));
    EXPECT_FALSE(f->Act("ActViewConsoleLog")->Visible());
    EXPECT_TRUE(recorder.HasText("Installation error, invalid value in ini file: Runcontrol.CaptureLog=sometimes "
                                 "(sometimes is not valid boolean value (Y,J,I,N,True,False))"));
    // The view style was mended in place and saved; applying again adds nothing.
    f->ButtonApplyINIClick(nullptr);
    const TStringList after = f->IniLines();
    int styles = 0;
    for (int i = 0; i < after.Count(); ++i) styles += after.Names(i) == "FileCopy.SystemFileViewStyle";
    EXPECT_EQ(styles, 1);
    EXPECT_EQ(after.Values("FileCopy.SystemFileViewStyle"), "1");
}

TEST_F(InstallationTest, MissingViewStyleIsAddedAndSavedAtOnce) {
    CopyTree(FIXTURES_DIR "/installations");
    WriteIni(kCobJav + "FileCopy.SystemIOBuffSize=0\nActiveRadioButton=RadioButtonCob85\n");
    Start();
    const std::string saved = pemtest::ReadFile(IniPath());
    EXPECT_NE(saved.find("FileCopy.SystemIOBuffSize=200000\n;TFileViewStyle = (fvsIcons - 0, fvsList - 1, "
                         "fvsDetails - 2, fvsThumbnails - 3, fvsTiles - 4)\nFileCopy.SystemFileViewStyle=1\n"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("Date Written="), std::string::npos);
}

TEST_F(InstallationTest, ParameterFilesSwitchesAndCaptionOverrides) {
    CopyTree(FIXTURES_DIR "/installations");
    WriteIni(kCobJav +
             "RadioButtonC=C,C,,1,ANSI\nC.Extras=(DirDepth=2)\n"
             "RadioButtonNatural=Natural,WAA,,1,V1\nWAA.Extras=(DirDepth=99)\n"
             "WAA.SubProcessors=(Natural=NAT,Self=WAA)\n" +
             kSettings + "ActiveRadioButton=RadioButtonCob85\n");
    TfrmPemarisMain* f = Start();
    // COBOL with its second version: the version's own limits file is not
    // taken, the first version (V85) is the language version.
    EXPECT_EQ(f->LanguageVersion, "V85");
    EXPECT_EQ(f->ActiveLanguage.Versions, (std::vector<std::string>{"V85", "V74"}));
    EXPECT_EQ(f->FrameFindexecLimits->FileName(), Root() + "/COBAudit/Limits.COB");
    EXPECT_TRUE(f->ActRunAnal->Visible());

    Select("RadioButtonJava");
    EXPECT_FALSE(f->ActRunAnal->Visible()) << "hidden by the language's captions";
    EXPECT_EQ(f->Act("ActViewDefis")->Caption(), "Java deficiencies");
    EXPECT_TRUE(f->TabSheetWordScan->TabVisible());
    EXPECT_FALSE(f->TabSheetFunctab->TabVisible());
    EXPECT_EQ(f->StructureLevel, 3);

    Select("RadioButtonC");
    EXPECT_TRUE(f->ActRunAnal->Visible()) << "another language shows it again";
    EXPECT_EQ(f->Act("ActViewDefis")->Caption(), "Open deficiency reports");
    EXPECT_EQ(f->FailedParameterFiles, std::vector<std::string>{"Limits"});
    EXPECT_TRUE(recorder.Has(TStatusRecord::Info, "No default file for parameters (Limits) , internal defaults used"));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "No LIMITS.TXT exists, internal defaults are used"));

    // A group whose sub-processors name the group itself is selected and
    // expands to its other members only.
    Select("RadioButtonNatural");
    EXPECT_EQ(f->LanguageCode, "WAA");
    EXPECT_TRUE(f->OptionLevel.flatList);
    EXPECT_EQ(SubProcessorCodes(f->IniLines(), "WAA"), std::vector<std::string>{"NAT"});
}

TEST_F(InstallationTest, UncataloguedLanguageLineGetsAButtonOnTheProductTab) {
    CopyTree(FIXTURES_DIR "/installations");
    fs::create_directories(Root() + "/FORAudit");
    WriteIni(kCobJav + "RadioButtonFortran=Fortran,FOR,,1,F77\nFOR.Extras=(DirDepth=2)\n" + kSettings +
             "ActiveRadioButton=RadioButtonFortran\n");
    TfrmPemarisMain* f = Start();
    TRadioButton* b = Button("RadioButtonFortran");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(f->LanguageTabOf(b), f->TabSheetLangSel_Pemaris);
    EXPECT_EQ(f->ActiveRadioButton, b);
    EXPECT_EQ(f->LanguageCode, "FOR");
}

// Every language line of the demo installation can be selected; the tool,
// the parameter files and the switches follow the line.
TEST_F(InstallationTest, EveryDemoLanguageCanBeSelected) {
    CopyTree(FIXTURES_DIR "/../../demo");
    struct Case {
        const char* product;
        const char* button;
        const char* code;
        const char* tool; // relative to the tool root
        std::vector<const char*> present;  // parameter kinds with a file
        std::function<void(TfrmPemarisMain*)> check;
    };
    const std::vector<const char*> all = {"Limits", "Rules", "Metrics", "Functab", "Specs"};
    const Case cases[] = {
        {"Korvex", "RadioButtonCob85", "COB", "COBAudit/COBAudit.exe", all,
         [](TfrmPemarisMain* f) {
             EXPECT_EQ(f->FrameFindexecRules->FileName(), f->ToolRoot + "/COBAudit/Rules.V85");
             EXPECT_EQ(f->FrameFindexecMetrics->FileName(), f->ToolRoot + "/COBAudit/Metrics.Cob");
             EXPECT_TRUE(f->Act("ActModuleRanking")->Visible());
         }},
        {"Korvex", "RadioButtonJava", "JAV", "JAVAudit/JAVAudit.exe", all,
         [](TfrmPemarisMain* f) {
             EXPECT_EQ(f->FrameFindexecWordScanner->FileName(), f->ToolRoot + "/JAVAudit/JAVScan.exe");
             EXPECT_TRUE(f->TabSheetObjects->TabVisible());
             EXPECT_FALSE(f->Act("ActDeficiencyRanking")->Visible());
             EXPECT_EQ(f->ActRunAnal->Caption(), "Analyse Java");
             EXPECT_EQ(f->ActiveLanguage.Versions.size(), 1u) << "count 3, one version written";
         }},
        {"Korvex", "RadioButtonPLI", "PLI", "PLIAudit/PLIAudit.exe", {"Rules", "Metrics", "Functab", "Specs"},
         [](TfrmPemarisMain* f) { EXPECT_TRUE(f->CheckBoxLabels->Visible()); }},
        {"Korvex", "RadioButtonC", "C", "CAudit/CAudit.exe", {"Limits", "Metrics", "Functab"},
         [](TfrmPemarisMain* f) { EXPECT_TRUE(f->CheckBoxCalc->Visible()); }},
        {"Korvex", "RadioButtonNatural", "WAA", "WAAAudit/WAAAudit.exe", all,
         [](TfrmPemarisMain* f) {
             EXPECT_EQ(SubProcessorCodes(f->IniLines(), "WAA"), (std::vector<std::string>{"NAT", "MAP"}));
         }},
        {"Lumidor", "RadioButtonPLI", "PLI", "PLIReDoc/PLIReDoc.exe", all,
         [](TfrmPemarisMain* f) { EXPECT_TRUE(f->Act("ActRunTransform")->Visible()); }},
        {"Lumidor", "RadioButtonAsm", "ASM", "ASMReDoc/ASMReDoc.exe", all,
         [](TfrmPemarisMain* f) {
             EXPECT_EQ(f->FrameFindexecLimits->FileName(), f->ToolRoot + "/ASMReDoc/LIMITS.ASM");
             EXPECT_TRUE(f->GroupBoxSearch->Visible());
             EXPECT_EQ(f->ComboBoxSearchType->Items().CommaText(), "Program,Macro,Copy");
             EXPECT_FALSE(f->CheckBoxComments->Visible());
         }},
        {"Lumidor", "RadioButtonCob85", "COB", "COBReDoc/COBReDoc.exe", all,
         [](TfrmPemarisMain* f) { EXPECT_TRUE(f->Act("ActViewSpecs")->Visible()); }},
        {"Lumidor", "RadioButtonC", "C", "CReDoc/CReDoc.exe", all,
         [](TfrmPemarisMain* f) { EXPECT_TRUE(f->CheckBoxRedoc->Visible()); }},
        {"Zelmar_Lumidor", "RadioButtonPLI", "PLI", "PLIReDoc/PLIReDoc.exe", all, nullptr},
        {"Velling", "RadioButtonVellingENG", "ENG", "ENGAnal/ENGAnal.exe", all,
         [](TfrmPemarisMain* f) {
             EXPECT_TRUE(f->Act("ActCreateVelling")->Visible());
             EXPECT_TRUE(f->Act("ActRunTestDesigner")->Visible());
             EXPECT_EQ(f->FrameFindexecTestDesigner->FileName(), f->ToolRoot + "/Designer/TestDesigner.exe");
         }},
        {"Velling", "RadioButtonVellingGER", "GER", "GERAnal/GERAnal.exe", {"Metrics", "Specs"},
         [](TfrmPemarisMain* f) { EXPECT_FALSE(f->TabSheetRules->TabVisible()); }},
        {"Ravenel_Velling", "RadioButtonVellingGER", "GER", "GERAnal/GERAnal.exe", {"Metrics", "Specs"}, nullptr},
        {"Ravenel_Korvex", "RadioButtonJava", "JAV", "JAVAnal/JAVAnal.exe", all, nullptr},
        {"Oskaro_Korvex", "RadioButtonCob85", "COB", "COBAudit/COBAudit.exe", all, nullptr},
        {"Oskaro_Korvex", "RadioButtonXML", "XML", "XMLAudit/XMLAudit.exe", {"Limits", "Rules"},
         [](TfrmPemarisMain* f) { EXPECT_EQ(f->StructureLevel, 0); }},
        {"Harnox", "RadioButtonHarnoxTCS", "TCS", "TCSInst/TCSInst.exe", {"Metrics", "Specs"},
         [](TfrmPemarisMain* f) {
             EXPECT_TRUE(f->Act("ActRunTSP")->Visible());
             EXPECT_TRUE(f->Act("ActRunTST")->Visible());
             EXPECT_FALSE(f->Act("ActRunTSC")->Visible());
             EXPECT_FALSE(f->Act("ActToggleModule")->Visible());
         }},
        {"Harnox", "RadioButtonHarnoxTSC", "TSC", "TSCInst/TSCInst.exe", {"Metrics", "Specs"},
         [](TfrmPemarisMain* f) { EXPECT_FALSE(f->Act("ActRunTSP")->Visible()); }},
        {"Mindra", "RadioButtonMindraDEFI", "DEFI", "DEFIScan/DEFIScan.exe", {"Metrics", "Specs"},
         [](TfrmPemarisMain* f) {
             EXPECT_EQ(f->DocumentKind, 7);
             EXPECT_TRUE(f->Act("ActSpecRanking")->Visible());
         }},
        {"Mindra", "RadioButtonMindraCHNG", "CHNG", "CHNGScan/CHNGScan.exe", {"Metrics", "Specs"},
         [](TfrmPemarisMain* f) { EXPECT_EQ(f->DocumentKind, 8); }},
    };
    std::string started;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.button);
        TfrmPemarisMain* f = form.get();
        if (started != c.product) {
            f = Start(c.product);
            started = c.product;
        }
        ASSERT_FALSE(f->isHidden());
        Select(c.button);
        EXPECT_EQ(f->ActiveRadioButton, Button(c.button));
        EXPECT_EQ(f->LanguageCode, c.code);
        EXPECT_EQ(f->FrameFindexecPemaris->FileName(), f->ToolRoot + "/" + c.tool);
        EXPECT_TRUE(fs::exists(f->FrameFindexecPemaris->FileName()));
        EXPECT_TRUE(f->ActRunAnal->Enabled());
        const std::pair<const char*, TFrameFindexec*> frames[] = {
            {"Limits", f->FrameFindexecLimits},   {"Rules", f->FrameFindexecRules}, {"Metrics", f->FrameFindexecMetrics},
            {"Functab", f->FrameFindexecFunctab}, {"Specs", f->FrameFindexecSpecs}};
        for (const auto& [kind, frame] : frames) {
            if (!frame->Visible()) continue;
            bool expected = false;
            for (const char* p : c.present) expected |= std::string(p) == kind;
            EXPECT_EQ(fs::exists(frame->FileName()), expected) << kind << " " << frame->FileName();
        }
        if (c.check) c.check(f);
    }
    EXPECT_FALSE(recorder.HasText("Fatal errors during start, application will be stopped"));
}

// The test product takes XML as offered from the start: an installed XML
// can be selected, and the three SQL buttons end disabled even when the INI
// file installs them.
TEST_F(InstallationTest, TestProductOffersItsInstalledXmlAndGreysSql) {
    CopyTree(FIXTURES_DIR "/../../demo");
    const std::string ini = install / "_Oskaro.Src/Oskaro_Korvex.INI";
    pemtest::WriteFile(ini, pemtest::ReadFile(ini) + "RadioButtonSQL_DB2=SQL DB2,SQL,,1,V1\nSQL.Extras=(DirDepth=0)\n");
    fs::create_directories(install / "Tools/Test/Oskaro/SQLAudit");
    TfrmPemarisMain* f = Start("Oskaro_Korvex");
    EXPECT_TRUE(Button("RadioButtonXML")->isEnabled());
    for (const char* sql : {"RadioButtonSQL_DB2", "RadioButtonSQL_Oracle", "RadioButtonSQL_MS"})
        EXPECT_FALSE(Button(sql)->isEnabled()) << sql;
    Select("RadioButtonXML");
    EXPECT_EQ(f->ActiveRadioButton, Button("RadioButtonXML"));
    EXPECT_EQ(f->LanguageCode, "XML");
    EXPECT_EQ(f->FrameFindexecPemaris->FileName(), f->ToolRoot + "/XMLAudit/XMLAudit.exe");
}

TEST_F(InstallationTest, UnusableSwitchOfTheSelectedLanguageStaysInViewOnce) {
    CopyTree(FIXTURES_DIR "/installations");
    WriteIni("RadioButtonCob85=COBOL 85,COB,,1,V85\nCOB.Extras=(DirDepth=deep)\n" + std::string(kSettings) +
             "ActiveRadioButton=RadioButtonCob85\n");
    TfrmPemarisMain* f = Start();
    ASSERT_EQ(f->LanguageCode, "COB");
    const std::string msg = "Installation error, invalid value in ini file: COB.Extras: DirDepth=deep";
    const std::string& list = f->MyStB->MessageList;
    const auto at = list.find(msg);
    ASSERT_NE(at, std::string::npos) << "wiped: [" << list << "]";
    EXPECT_EQ(list.find(msg, at + 1), std::string::npos) << "reported twice: " << list;
    EXPECT_EQ(f->StructureLevel, 2) << "the default holds";
}

TEST_F(InstallationTest, LimitsTypedIntoTheGridAreCheckedOnLeavingAndBeforeSaving) {
    CopyTree(FIXTURES_DIR "/../../demo");
    TfrmPemarisMain* f = Start();
    TStringGrid* g = f->StringGridNumParams;
    ASSERT_EQ(g->RowCount(), 4);
    f->PageControlMain->SetActivePage(f->TabSheetRulesMetricsUsw);
    f->PageControlParams->SetActivePage(f->TabSheetLimits);
    f->activateWindow();
    QApplication::setActiveWindow(f);
    QApplication::processEvents();
    // Into the grid, open the value cell's editor and type.
    auto type = [&](int row, const char* text) {
        g->setFocus();
        QApplication::processEvents();
        g->setCurrentCell(row, 1);
        g->edit(g->model()->index(row, 1));
        auto* editor = qobject_cast<QLineEdit*>(g->indexWidget(g->model()->index(row, 1)));
        ASSERT_NE(editor, nullptr);
        editor->clear();
        for (const char* p = text; *p; ++p) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(*p)));
            QApplication::sendEvent(editor, &press);
        }
        ASSERT_EQ(editor->text(), QString(text));
    };
    type(1, "1234567");
    f->EditSystemName->setFocus(); // leaving the grid checks the row
    QApplication::processEvents();
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Max six digits are allowed!"));

    f->ValidateProductName("abc corp");
    f->ValidateSystemName("pay roll");
    fs::create_directories(install / "jobs");
    f->JobFolder = install / "jobs/";
    const std::string job = install / "jobs/Limits.jkvx";
    type(1, "42");
    type(2, "abc");
    dialogs->AnswerFiles({job});
    EXPECT_THROW(f->ActSaveProjectAs->ExecuteUnguarded(), EAbort); // saved at once, the editor still open
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "'abc' is not a valid integer value"));
    EXPECT_FALSE(fs::exists(job));
    type(2, "7");
    dialogs->AnswerFiles({job});
    ASSERT_TRUE(f->ActSaveProjectAs->ExecuteUnguarded());
    const std::string saved = pemtest::ReadFile(job);
    EXPECT_NE(saved.find("MaxNesting=Nesting depth,42\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("MaxLines=Lines per module,7\n"), std::string::npos) << saved;
}
