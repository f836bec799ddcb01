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

namespace {
bool Slanted(const QString& family, const QString& style) {
    return QFontDatabase::font(family, style, 11).style() != QFont::StyleNormal;
}
} // namespace

// The dialog opens on the stored font with its own weight and slant, so
// confirming it unchanged keeps that font. Shown on the families whose first
// style leans (the style a dialog falls back to), where it would otherwise
// open slanted and make every viewer italic.
TEST(FontChoice, DialogOpensOnTheStoredWeightAndSlant) {
    pemtest::EnsureQApp();
    std::vector<std::string> leaning;
    for (const std::string& family : FixedPitchFamilies()) {
        const QString f = QString::fromStdString(family);
        const QStringList styles = QFontDatabase::styles(f);
        if (!styles.isEmpty() && Slanted(f, styles.front())) leaning.push_back(family);
    }
    if (leaning.empty()) GTEST_SKIP() << "no fixed-pitch family whose first style leans";
    const struct {
        bool bold, italic;
    } stored[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const std::string& family : leaning) {
        for (const auto& s : stored) {
            const std::string label = family + (s.bold ? " bold" : "") + (s.italic ? " italic" : "");
            QFontDialog dlg;
            TFontSpec font{family, 1, 11, -15};
            font.bold = s.bold;
            font.italic = s.italic;
            SetUpFontDialog(dlg, font);
            // What OK without a change gives.
            const QFont current = dlg.currentFont();
            EXPECT_EQ(current.family().toStdString(), family) << label;
            EXPECT_EQ(current.italic(), s.italic) << label << ", style " << current.styleName().toStdString();
            EXPECT_EQ(current.bold(), s.bold) << label << ", style " << current.styleName().toStdString();
            EXPECT_EQ(current.pointSize(), 11) << label;
            // The style the dialog shows selected is one of the family's own
            // with that weight and slant.
            const QString style = current.styleName();
            EXPECT_TRUE(QFontDatabase::styles(QString::fromStdString(family)).contains(style)) << label;
            EXPECT_EQ(Slanted(current.family(), style), s.italic) << label << ", style " << style.toStdString();
            EXPECT_EQ(QFontDatabase::weight(current.family(), style) >= QFont::DemiBold, s.bold)
                << label << ", style " << style.toStdString();
        }
    }
}
