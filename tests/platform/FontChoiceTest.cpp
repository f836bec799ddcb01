// The viewer and printer font stays of fixed pitch: the font dialog offers
// fixed-pitch families only and never preselects a family this machine
// lacks or a proportional one.
#include "FontChoice.h"
#include "QtApp.h"
#include "QtDialogService.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <gtest/gtest.h>

using namespace pem;

TEST(FontChoice, OfferedFamilyIsAnInstalledFixedPitchOne) {
    pemtest::EnsureQApp();
    const std::vector<std::string> fixed = FixedPitchFamilies();
    if (fixed.empty()) GTEST_SKIP() << "no fixed-pitch font installed";
    for (const std::string& family : fixed) EXPECT_TRUE(IsInstalledFixedPitch(family)) << family;
    const struct {
        const char* stored;
        bool keptAsIs;
    } cases[] = {
        {"Lucida Console", false},           // not installed
        {"", false},                         // never stored
        {fixed.front().c_str(), true},       // installed and fixed: kept
    };
    for (const auto& c : cases) {
        const TFontSpec offered = OfferedFixedFont({c.stored, 1, 11, -15});
        EXPECT_TRUE(IsInstalledFixedPitch(offered.name)) << c.stored << " -> " << offered.name;
        if (c.keptAsIs) EXPECT_EQ(offered.name, c.stored);
        EXPECT_EQ(offered.size, 11) << "only the family is replaced";
    }
    // A proportional family is replaced as well.
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isFixedPitch(family)) {
            EXPECT_TRUE(IsInstalledFixedPitch(OfferedFixedFont({family.toStdString(), 1, 10, 0}).name));
            break;
        }
}

TEST(FontChoice, RealDialogListsFixedPitchFontsWithAFixedOnePreselected) {
    pemtest::EnsureQApp();
    if (FixedPitchFamilies().empty()) GTEST_SKIP() << "no fixed-pitch font installed";
    QFontDialog dlg;
    SetUpFontDialog(dlg, {"Lucida Console", 1, 11, -15});
    EXPECT_TRUE(dlg.testOption(QFontDialog::MonospacedFonts));
    EXPECT_TRUE(IsInstalledFixedPitch(QFontInfo(dlg.currentFont()).family().toStdString()))
        << dlg.currentFont().family().toStdString();
}
