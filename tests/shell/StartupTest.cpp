// Starting the main window as each of the nine products, and under a name
// that is none of them.
#include "MainFormHarness.h"
#include "ProductTable.h"
#include "QtTestSupport.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <map>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

class StartupTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
    }
};

struct ProductCase {
    const char* exe;
    const char* caption;
    const char* langTab;
    const char* help;
    std::vector<const char*> buttons;
    bool derived;
};

const ProductCase kProducts[] = {
    {"Korvex", "Korvex main shell - ", "TabSheetLangSel_Pemaris", "HELP_KORVEX.HLP",
     {"ActRunWordScanner", "ActModuleRanking", "ActSpecRanking", "ActDeficiencyRanking", "ActCompoundMetrics"}, false},
    {"Oskaro_Korvex", "Korvex from Oskaro - ", "TabSheetLangSel_Pemaris", "HELP_KORVEX.HLP",
     {"ActRunWordScanner", "ActModuleRanking", "ActSpecRanking", "ActDeficiencyRanking", "ActCompoundMetrics"}, true},
    {"ravenel_korvex", "Korvex from Ravenel - ", "TabSheetLangSel_Pemaris", "HELP_KORVEX.HLP",
     {"ActRunWordScanner", "ActModuleRanking", "ActSpecRanking", "ActDeficiencyRanking", "ActCompoundMetrics"}, true},
    {"Lumidor", "Lumidor main shell - ", "TabSheetLangSel_Pemaris", "HELP_LUMIDOR.HLP",
     {"ActRunWordScanner", "ActRunTransform", "ActRunSearch"}, false},
    {"Zelmar_Lumidor", "Lumidor main shell - ", "TabSheetLangSel_Pemaris", "HELP_LUMIDOR.HLP",
     {"ActRunWordScanner", "ActRunTransform", "ActRunSearch"}, true},
    {"VELLING", "Velling main shell - ", "TabSheetLangSel_Velling", "HELP_VELLING.HLP",
     {"ActRunWordScanner", "ActCreateVelling", "ActRunTestDesigner"}, false},
    {"Ravenel_Velling", "Velling from Ravenel - ", "TabSheetLangSel_Velling", "HELP_VELLING.HLP",
     {"ActRunWordScanner", "ActRunTestDesigner"}, true},
    {"Harnox", "Harnox main shell - ", "TabSheetLangSel_Harnox", "HELP_HARNOX.HLP",
     {"ActRunWordScanner", "ActCreateVelling", "ActRunTestDesigner", "ActRunTSP", "ActRunTST", "ActRunTSC",
      "ActRunTSM", "ActRunCTA", "ActSpecifyTestCaseFile", "ActSpecifyMethodFile", "ActSpecifyTestExecutionLog",
      "ActSpecifyTestResult", "ActSpecifyDefiXML"},
     false},
    {"Mindra", "Mindra main shell - ", "TabSheetLangSel_Mindra", "HELP_HARNOX.HLP",
     {"ActRunWordScanner", "ActSpecStatistic", "ActSpecRanking"}, false},
};

} // namespace

TEST_F(StartupTest, EachProductShapesTheWindow) {
    const char* tabs[] = {"TabSheetLangSel_Pemaris", "TabSheetLangSel_Mindra", "TabSheetLangSel_Velling",
                          "TabSheetLangSel_Harnox"};
    std::map<int, std::vector<QImage>> iconsByFamily;
    for (const auto& c : kProducts) {
        SCOPED_TRACE(c.exe);
        TfrmPemarisMain* f = Start(c.exe);
        ASSERT_TRUE(f->ProductRecognised);
        EXPECT_FALSE(f->isHidden()) << "closed at start";
        EXPECT_EQ(f->Caption().rfind(c.caption, 0), 0u) << f->Caption();
        for (const char* t : tabs)
            EXPECT_EQ(f->Find<TTabSheet>(t)->TabVisible(), std::string(t) == c.langTab) << t;
        EXPECT_EQ(Application().HelpFile, install.Path() + "/Tools/" + c.help);
        // The product's buttons, in order, on the button panel.
        std::vector<std::string> made;
        for (TComponent* comp : f->ComponentList()) {
            auto* b = dynamic_cast<TBitBtn*>(comp);
            if (b && b->Action() && b != f->BitBtnRunAnal && b != f->BitBtnAddFiles &&
                b->Name() != "BitBtnAddDirectories" && b->Name() != "BitBtnImportWordlist")
                made.push_back(b->Action()->Name());
        }
        std::vector<std::string> expected(c.buttons.begin(), c.buttons.end());
        EXPECT_EQ(made, expected);
        // Derived products cannot rename or leave their job.
        EXPECT_EQ(f->EditProductName->ReadOnly(), c.derived);
        EXPECT_EQ(f->EditSystemName->ReadOnly(), c.derived);
        EXPECT_EQ(f->EditSystemVersion->ReadOnly(), c.derived);
        for (TAction* a : {f->ActOpenProject, f->ActNewProject, f->ActSaveProject, f->ActSaveProjectAs})
            EXPECT_EQ(a->Visible(), !c.derived) << a->Name();
        EXPECT_EQ(recorder.HasText("Fatal errors during start, application will be stopped"), false);
        const QImage icon = f->windowIcon().pixmap(32).toImage();
        EXPECT_FALSE(icon.isNull());
        iconsByFamily[FindProduct(c.exe)->Family].push_back(icon);
        form.reset();
    }
    // The window's icon is its family's: one per family, no two alike.
    ASSERT_EQ(iconsByFamily.size(), 5u);
    std::vector<QImage> firsts;
    for (const auto& [family, icons] : iconsByFamily) {
        for (const QImage& i : icons) EXPECT_EQ(i, icons.front()) << "family " << family;
        for (const QImage& other : firsts) EXPECT_NE(icons.front(), other) << "family " << family;
        firsts.push_back(icons.front());
    }
}

TEST_F(StartupTest, UnknownProgramNameEndsInTheFatalStartClose) {
    TfrmPemarisMain* f = Start("Pemaris");
    EXPECT_FALSE(f->ProductRecognised);
    EXPECT_TRUE(recorder.HasText("Application name: pemaris is invalid"));
    const auto msgs = dialogs->Messages();
    ASSERT_FALSE(msgs.empty());
    EXPECT_EQ(msgs.back(), "Fatal errors during start, application will be stopped");
    EXPECT_TRUE(f->isHidden());
}

TEST_F(StartupTest, ToolRootFollowsTheProductSubfolderOnlyWhenItExists) {
    // Default root: the executable's folder "Tools", which holds Measure/Korvex.
    TfrmPemarisMain* f = Start("Korvex");
    EXPECT_EQ(f->ToolRoot, install.Path() + "/Tools/Measure/Korvex");
    form.reset();
    // A given root whose last element is TOOLS in capitals without the
    // subfolder stays as it is.
    fs::create_directories(install / "other/TOOLS");
    SetCommandLine({"-R", install / "other/TOOLS"});
    f = Start("Korvex");
    EXPECT_EQ(f->ToolRoot, install.Path() + "/other/TOOLS");
    form.reset();
    // The subfolder is found whatever case the installation gives it, and
    // the root takes the spelling found on disk.
    fs::create_directories(install / "other/TOOLS/MEASURE/korvex");
    SetCommandLine({"-root=" + (install / "other/TOOLS/")});
    f = Start("Korvex");
    EXPECT_EQ(f->ToolRoot, install.Path() + "/other/TOOLS/MEASURE/korvex");
}

TEST_F(StartupTest, AdvancedOptionsShowAndHideThroughTheAction) {
    SetCommandLine({"-sha"});
    TfrmPemarisMain* f = Start("Korvex");
    ASSERT_TRUE(f->ActShowAdvanced->Visible());
    ASSERT_FALSE(f->ActShowAdvanced->Checked());
    auto shown = [f] {
        return std::vector<bool>{f->TabSheetTech->TabVisible(), f->Act("ActWriteINIFile")->Visible(),
                                 f->Act("ActViewParameters")->Visible(), f->TabSheetNewFileNames->TabVisible(),
                                 f->MemoNewFileNames->Visible(), f->TabSheetLongextension->TabVisible(),
                                 f->PageControlHelper->Visible()};
    };
    // (The technical tab may already show a tool file that is missing.)
    const std::vector<bool> before = shown();
    EXPECT_EQ(std::vector<bool>(before.begin() + 1, before.end()), std::vector<bool>(6, false));
    // As the menu item does it.
    f->PageControlMain->SetActivePage(f->TabSheetLangSel_Pemaris);
    f->ActShowAdvanced->trigger();
    EXPECT_TRUE(f->ActShowAdvanced->Checked());
    EXPECT_EQ(shown(), std::vector<bool>(7, true));
    EXPECT_EQ(f->PageControlMain->ActivePage(), f->TabSheetNames);
    f->ActShowAdvanced->trigger();
    EXPECT_FALSE(f->ActShowAdvanced->Checked());
    EXPECT_EQ(shown(), std::vector<bool>(7, false));
}

// A job that cannot be loaded at the start, or an installation check that
// ends in an error, still leaves a window set up as for a start without a
// job: the language selected, a derived product's job actions hidden, no
// run started, and the error in view.
TEST_F(StartupTest, BrokenJobAtStartLeavesAWholeWindowAndItsErrorInView) {
    const std::string loadError =
        " Error while loading project definition, it was possibly generated with an older version of the tool";
    struct Case {
        const char* product;
        const char* fixture;     // job file given, "" none
        bool remembered;         // as the derived product's remembered job, else by -Proj
        const char* activeLine;  // replaces the INI's ActiveRadioButton line, "" keeps it
        const char* error;       // expected among the collected messages
        const char* button;
    };
    const Case cases[] = {
        {"Korvex", "garbage.jkvx", false, "", loadError.c_str(), "RadioButtonCob85"},
        {"Oskaro_Korvex", "foreign.jkvx", true, "", loadError.c_str(), "RadioButtonCob85"},
        {"Ravenel_Korvex", "partway_fail.jkvx", true, "", loadError.c_str(), "RadioButtonJava"},
        {"Ravenel_Korvex", "", false, "RadioButtonNothing", "Default product changed to: Java", "RadioButtonJava"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.fixture + c.activeLine);
        CopyTree(FIXTURES_DIR "/startup");
        if (*c.activeLine) {
            const std::string ini = install / (std::string(IsMainKind(FindProduct(c.product)->Kind) ? "_Pemaris_Family.Src/"
                                                                                                    : "_Oskaro.Src/") +
                                               c.product + ".INI");
            TStringList lines;
            lines.LoadFromFile(ini);
            lines.SetValue("ActiveRadioButton", c.activeLine);
            lines.SaveToFile(ini);
        }
        // (With "-AutoRun" a job that does not load ends the program instead;
        // RunFormTest covers that road.)
        std::vector<std::string> params;
        std::string job;
        if (*c.fixture) {
            job = install / (std::string("jobs/Broken") + FindProduct(c.product)->JobExtension);
            fs::create_directories(install / "jobs");
            fs::copy_file(std::string(FIXTURES_DIR) + "/jobs/" + c.fixture, job, fs::copy_options::overwrite_existing);
            if (!c.remembered) params.insert(params.end(), {"-Proj", job});
        }
        SetSettingsApplication(std::string(c.product) + " Shell");
        SetSettingsSection("Parameters");
        WriteSetting("RememberedJobFile", c.remembered ? job : std::string());
        SetCommandLine(params);
        recorder.records.clear();
        TfrmPemarisMain* f = Start(c.product);
        EXPECT_FALSE(f->isHidden());
        TRadioButton* b = f->Find<TRadioButton>(c.button);
        EXPECT_EQ(f->ActiveRadioButton, b);
        EXPECT_TRUE(b->Checked());
        EXPECT_FALSE(f->LanguageCode.empty());
        EXPECT_EQ(f->AutoRun, 0) << "no run after a failed start step";
        EXPECT_TRUE(f->MyStB->Collecting());
        EXPECT_NE(f->MyStB->MessageList.find(c.error), std::string::npos) << f->MyStB->MessageList;
        EXPECT_GE(f->MyStB->Severity, 2);
        const bool derived = IsDerivedKind(f->Product.Kind);
        for (TAction* a : {f->ActOpenProject, f->ActNewProject, f->ActSaveProject, f->ActSaveProjectAs})
            EXPECT_EQ(a->Visible(), !derived) << a->Name();
        EXPECT_EQ(f->EditSystemName->ReadOnly(), derived);
        form.reset();
    }
}

TEST_F(StartupTest, AutoRunAndAdvancedOptionsFromTheCommandLine) {
    struct Case {
        std::vector<std::string> params;
        int autoRun;
        bool advanced;
    };
    const Case cases[] = {
        {{"-ar", "anal"}, 1, false},
        {{"-AutoRun=SCAN", "-sha"}, 3, true},
        {{"-ar", "other"}, 0, false},
        {{"-ShowAdvanced"}, 0, true},
    };
    for (const auto& c : cases) {
        SetCommandLine(c.params);
        TfrmPemarisMain* f = Start("Korvex");
        // The auto-run request is consumed by the first showing's last step;
        // it is kept for the run that follows.
        EXPECT_EQ(f->AutoRun, c.autoRun) << c.params[0];
        EXPECT_EQ(f->ActShowAdvanced->Visible(), c.advanced) << c.params[0];
        form.reset();
    }
}

TEST_F(StartupTest, GeometryFromSettingsAndWrittenOnlyWhenNormal) {
    SetSettingsApplication("Korvex Shell");
    SetSettingsSection("Parameters");
    WriteSettingInt("FormWidth", 0);
    TfrmPemarisMain* f = Start("Korvex");
    const int designedWidth = f->width();
    EXPECT_GT(designedWidth, 0);
    f->hide(); // written on hide
    EXPECT_EQ(ReadSettingInt("FormWidth"), designedWidth);
    form.reset();

    WriteSettingInt("FormWidth", 777);
    WriteSettingInt("FormHeight", 555);
    f = Start("Korvex");
    EXPECT_EQ(f->width(), 777);
    EXPECT_EQ(f->height(), 555);
    f->SetWindowState(TWindowState::wsMaximized);
    WriteSettingInt("FormWidth", 123);
    f->hide();
    EXPECT_EQ(ReadSettingInt("FormWidth"), 123); // a maximised window writes nothing
    EXPECT_FALSE(ReadSettingStr("ProgramVersion").empty());
}

TEST_F(StartupTest, RegisterOptionRegistersMainProductsOnly) {
    const std::string mime = install / "data/mime/packages";
    SetCommandLine({"-shell"});
    Start("Ravenel_Korvex");
    EXPECT_FALSE(fs::exists(mime));
    form.reset();
    Start("Korvex");
    ASSERT_TRUE(fs::exists(mime));
    bool found = false;
    for (auto& e : fs::directory_iterator(mime)) {
        std::string text = pemtest::ReadFile(e.path().string());
        if (text.find("*.jkvx") != std::string::npos) found = true;
    }
    EXPECT_TRUE(found);
}

TEST(ProductTable, RecognisesNamesWithoutCaseAndBareToolNames) {
    EXPECT_EQ(FindProduct("mINDRA")->Kind, 8);
    EXPECT_EQ(FindProduct("Mindra.exe"), nullptr);
    EXPECT_EQ(ResolveBareToolName("RAVENEL", 1), "Ravenel_Velling");
    EXPECT_EQ(ResolveBareToolName("zelmar", 3), "Zelmar_Lumidor");
    EXPECT_EQ(ResolveBareToolName("Oskaro", 5), "Oskaro");
    EXPECT_EQ(ResolveBareToolName("Korvex", 1), "Korvex");
    int mains = 0;
    for (const auto& r : ProductTable()) mains += IsMainKind(r.Kind);
    EXPECT_EQ(mains, 5);
}
