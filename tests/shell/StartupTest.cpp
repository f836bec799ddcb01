// Starting the main window as each of the nine products, and under a name
// that is none of them.
#include "MainFormHarness.h"
#include "ProductTable.h"
#include "QtTestSupport.h"
#include "SettingsStore.h"

#include <QApplication>
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
        form.reset();
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
    fs::create_directories(install / "other/TOOLS/Measure/Korvex");
    SetCommandLine({"-root=" + (install / "other/TOOLS/")});
    f = Start("Korvex");
    EXPECT_EQ(f->ToolRoot, install.Path() + "/other/TOOLS/Measure/Korvex");
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
