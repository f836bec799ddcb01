// The listing viewers on the main window: a deficiency listing and a
// post-documentation listing chosen through the viewer actions' dialog,
// their sources found below the job's common root, the deficiency tab
// regrouped through the sort actions; and what the window tells the
// viewers of the job.
#include "DefiFrame.h"
#include "FindDirectoryFrame.h"
#include "MainFormHarness.h"
#include "ResultTabs.h"
#include "SpecsFrame.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidgetItem>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kListings = FIXTURES_DIR "/listings";

class ListingViewersTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
        Start("Korvex");
        dialogs->Reset();
        out = install / "out";
        fs::create_directories(out + "/Defis/COMP/MOD");
        fs::create_directories(out + "/Specs/COMP/MOD");
        fs::copy_file(kListings + "/payroll.def", out + "/Defis/COMP/MOD/payroll.def");
        for (const auto& e : fs::directory_iterator(kListings + "/post"))
            fs::copy_file(e.path(), out + "/Specs/COMP/MOD/" + e.path().filename().string());
        form->FrameFindDirectoryOutputDir->Edit->SetText(out);
        form->CommonRoot = kListings + "/sources";
    }
    void Trigger(const char* action) {
        form->Act(action)->trigger();
        QApplication::processEvents();
    }
    void Click(TListingTreeFrame* f, const std::vector<std::string>& path) {
        QTreeWidgetItem* node = f->FindNode(path);
        ASSERT_NE(node, nullptr);
        f->TreeView1->scrollToItem(node);
        const QPoint at = f->TreeView1->visualItemRect(node).center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(at), f->TreeView1->viewport()->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(f->TreeView1->viewport(), &e);
        }
        QApplication::processEvents();
    }
    std::string out;
};

TEST_F(ListingViewersTest, ADeficiencyListingOpensAsATreeAndRegroupsThroughTheSortActions) {
    ASSERT_EQ(form->LanguageCode, "COB");
    dialogs->AnswerFiles({out + "/Defis/COMP/MOD/payroll.def"});
    Trigger("ActViewDefis");
    auto* f = dynamic_cast<TFrameDefi*>(form->ResultTabs->ActiveFrame());
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(form->Act("ActSortBySource")->isChecked());
    EXPECT_EQ(f->TreeText().substr(0, 8), "alpha.c\n");
    EXPECT_EQ(f->BitBtnPrint->Action(), form->Act("ActPrintCurrent"));

    Click(f, {"payroll.c", "Defi's", "07 Magic number", "21"});
    EXPECT_EQ(f->SourcePath, kListings + "/sources/COMP/MOD/payroll.c");

    Trigger("ActSortByRuleName");
    EXPECT_TRUE(form->Act("ActSortByRuleName")->isChecked());
    EXPECT_FALSE(form->Act("ActSortBySource")->isChecked());
    EXPECT_EQ(f->TreeText().substr(0, 17), "01 Tab character\n");
}

TEST_F(ListingViewersTest, ASpecificationListingOfCobolOpensAllNativeStructures) {
    dialogs->AnswerFiles({out + "/Specs/COMP/MOD/PAYROLL.prc"});
    Trigger("ActViewSpecs");
    auto* f = dynamic_cast<TFrameSpecs*>(form->ResultTabs->ActiveFrame());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->TreeText(), "PAYROLL.cbl\n"
                             "  Interface  Structure\n"
                             "  Procedural Structure\n"
                             "  Decisional Structure\n"
                             "  Data Flow  Structure\n"
                             "  Used Data  Structure\n");
    Click(f, {"PAYROLL.cbl", "Procedural Structure"});
    EXPECT_EQ(f->FileName, kListings + "/sources/COMP/MOD/PAYROLL.cbl");
    EXPECT_EQ(f->LabelListType->Caption(), "Procedural Structure");
}

TEST_F(ListingViewersTest, TheWindowTellsTheViewersItsLongExtensionsAndViewerSwitches) {
    form->MemoLongextension->SetLines(TStringList({".cobol=.COB", ".COB=.cobol"}));
    std::string ext;
    EXPECT_TRUE(form->ProjectRestoreLongExtension(".COB", ext));
    EXPECT_EQ(ext, ".cobol");
    EXPECT_FALSE(form->ProjectRestoreLongExtension(".cpy", ext));
    EXPECT_EQ(ext, ".cpy");
    EXPECT_EQ(form->ProjectCommonRoot(), kListings + "/sources");
    form->IniSettings.AutoExpand = true;
    EXPECT_TRUE(form->ProjectViewerAutoExpand());
}

// A source whose folders the structure shortened (an irrelevant directory
// removed) is found through the job's own file list.
TEST_F(ListingViewersTest, ADeficiencySourceOutsideItsComponentAndModuleComesFromTheFileList) {
    pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                       "RadioButtonCob85=COBOL 85,COB,,1,V1\n"
                       "COB.Extras=(DirDepth=2)\n"
                       "COB.Filters=COBOL sources (*.cbl;*.cob)|*.cbl;*.cob\n"
                       "Common.DummyNames=(OLD)\n"
                       "ActiveRadioButton=RadioButtonCob85\n");
    Start("Korvex");
    form->ValidateProductName("Abc");
    form->ValidateSystemName("Pay");
    form->ValidateVersion("1");
    form->FrameFindDirectoryOutputDir->Edit->SetText(out);
    pemtest::TempDir src;
    const std::string payroll = src / "COMP/old/MOD/PAYROLL.cbl";
    fs::create_directories(src / "COMP/old/MOD");
    fs::copy_file(kListings + "/sources/COMP/MOD/PAYROLL.cbl", payroll);
    pemtest::WriteFile(src / "OTHER/M/x.cbl", "x");
    dialogs->AnswerFiles({payroll, src / "OTHER/M/x.cbl"});
    Trigger("ActAddfiles");
    ASSERT_EQ(form->Structure.Components, (std::vector<std::string>{"COMP", "OTHER"}));
    ASSERT_EQ(form->Structure.Modules, (std::vector<std::string>{"MOD", "M"}));

    pemtest::WriteFile(out + "/Defis/COMP/MOD/p.def", "|   SOURCE: COMP\\PAYROLL.cbl |\n"
                                                      "| PROB | 12 Missing comment block |\n"
                                                      "|   120 | LINKAGE SECTION. |\n");
    dialogs->AnswerFiles({out + "/Defis/COMP/MOD/p.def"});
    Trigger("ActViewDefis");
    auto* f = dynamic_cast<TFrameDefi*>(form->ResultTabs->ActiveFrame());
    ASSERT_NE(f, nullptr);
    Click(f, {"PAYROLL.cbl", "Problems", "12 Missing comment block", "120"});
    EXPECT_EQ(f->SourcePath, payroll);
    EXPECT_EQ(f->RichEditSourceView->Line(119), "       LINKAGE SECTION. 01 LINKAGE-AREA.");
}

// "tally.c" and "tally.h" in one module: the header is listed as
// "tally_1.h", the name the duplicate suffix gives it, and the module
// specification viewer shows the header itself, when the job holds it.
// A file of the suffixed name comes first; a header that lies there but is
// not the job's stays "not available".
TEST_F(ListingViewersTest, AListedDuplicateShowsTheJobsFileOfTheSharedName) {
    pemtest::WriteFile(install / "_Pemaris_Family.Src/Lumidor.INI", "RadioButtonC=C,C,,1,ANSI\n"
                                                                    "C.Extras=(DirDepth=2)\n"
                                                                    "C.Filters=C sources (*.c;*.h)|*.c;*.h\n"
                                                                    "ActiveRadioButton=RadioButtonC\n");
    fs::create_directories(install / "Tools/Maintain/Lumidor/CReDoc");
    const struct {
        const char* what;
        std::vector<const char*> jobFiles; // below src/COMP/MOD
        std::vector<const char*> extraFiles;
        const char* shown; // "" not available
    } cases[] = {
        {"the job's header", {"tally.c", "tally.h"}, {}, "tally.h"},
        {"a file of the listed name first", {"tally.c", "tally.h"}, {"tally_1.h"}, "tally_1.h"},
        {"a header the job does not hold", {"tally.c", "other.h"}, {"tally.h"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Start("Lumidor");
        ASSERT_EQ(form->LanguageCode, "C");
        form->ValidateProductName("Demo");
        form->ValidateSystemName("Tally");
        form->ValidateVersion("1");
        form->FrameFindDirectoryOutputDir->Edit->SetText(out);
        pemtest::TempDir src;
        const std::string mod = src / "COMP/MOD/";
        std::vector<std::string> picked;
        for (const char* f : c.jobFiles) {
            pemtest::WriteFile(mod + f, std::string("/* ") + f + " */\n");
            picked.push_back(mod + f);
        }
        for (const char* f : c.extraFiles) pemtest::WriteFile(mod + f, std::string("/* ") + f + " */\n");
        dialogs->AnswerFiles(picked);
        Trigger("ActAddfiles");
        ASSERT_EQ(form->SourceFiles.Count(), 2);
        fs::copy_file(kListings + "/tally_1.C", out + "/Specs/COMP/MOD/tally_1.C", fs::copy_options::overwrite_existing);

        ASSERT_TRUE(form->Act("ActViewSpecs")->Visible());
        ASSERT_TRUE(form->Act("ActViewSpecs")->Enabled());
        dialogs->AnswerFiles({out + "/Specs/COMP/MOD/tally_1.C"});
        recorder.records.clear();
        Trigger("ActViewSpecs");
        auto* f = dynamic_cast<TListingTreeFrame*>(form->ResultTabs->ActiveFrame());
        ASSERT_NE(f, nullptr);
        Click(f, {"tally_1.h", "Data attributes"});
        // The last path the lookup tried, the one without the component.
        const std::string listed = src / "MOD/tally_1.h";
        if (*c.shown) {
            EXPECT_EQ(f->FileName, mod + c.shown);
            EXPECT_EQ(f->RichEditSourceView->Line(0), std::string("/* ") + c.shown + " */");
            EXPECT_FALSE(recorder.HasText("Source file " + listed + " is not available"));
        } else {
            EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Source file " + listed + " is not available"));
            EXPECT_EQ(f->RichEditSourceView->Text8(), "");
        }
    }
}

} // namespace
