#include "ButtonRows.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include "QtApp.h"

#include <cstdlib>
#include <vector>

using namespace pem;

namespace {

QApplication* EnsureApp() { return pemtest::EnsureQApp(); }

// A glyph button without caption: 92 / 2 + 3 * 4 + 4 (the caption's empty
// margin) = 62 pixels wide, whatever the font.
constexpr int kW = 62;
constexpr int kH = 25;

QPushButton* Glyph(QWidget* parent, int tag, int tabOrder) {
    auto* b = new QPushButton(parent);
    b->setProperty("GlyphWidth", 92);
    b->setProperty("Spacing", 4);
    b->setProperty("Tag", tag);
    b->setProperty("TabOrder", tabOrder);
    b->setGeometry(500, 500, 10, kH);
    return b;
}

QWidget* Panel(QWidget* owner, const char* name, int width) {
    auto* p = new QWidget(owner);
    p->setObjectName(name);
    p->resize(width, 400);
    return p;
}

QRect R(int left, int top, int width = kW) { return QRect(left, top, width, kH); }

} // namespace

TEST(ArrangeButtonsRightAligned, FillsRowsFromTheTopRight) {
    EnsureApp();
    struct Case {
        const char* what;
        std::vector<int> tags;  // one button per entry, tab orders 0, 1, 2...
        std::vector<QRect> expected;
        int height, widest;
    };
    const Case cases[] = {
        {"one row", {1, 1, 1}, {R(8, 2), R(72, 2), R(136, 2)}, 31, 190},
        {"wraps before the left edge", {1, 1, 1, 1}, {R(136, 29), R(8, 2), R(72, 2), R(136, 2)}, 58, 190},
        {"new Tag new row", {1, 1, 2}, {R(72, 29), R(136, 29), R(136, 2)}, 58, 126},
    };
    for (const auto& c : cases) {
        QWidget form;
        QWidget* panel = Panel(&form, "Panel1", 200);
        std::vector<QPushButton*> buttons;
        for (std::size_t i = 0; i < c.tags.size(); ++i)
            buttons.push_back(Glyph(panel, c.tags[i], static_cast<int>(i)));
        ArrangeButtonsRightAligned(&form);
        for (std::size_t i = 0; i < buttons.size(); ++i)
            EXPECT_EQ(buttons[i]->geometry(), c.expected[i]) << c.what << " button " << i;
        EXPECT_EQ(panel->height(), c.height) << c.what;
        EXPECT_EQ(panel->property("Tag").toInt(), c.widest) << c.what;
    }
}

// Hidden, disabled and untagged buttons stay where they are and take no
// place; the order comes from Tag and TabOrder, not from creation.
TEST(ArrangeButtonsRightAligned, OnlyVisibleEnabledTaggedButtonsInTabOrder) {
    EnsureApp();
    QWidget form;
    QWidget* panel = Panel(&form, "Panel1", 200);
    QPushButton* last = Glyph(panel, 1, 9);
    QPushButton* first = Glyph(panel, 1, 1);
    QPushButton* hidden = Glyph(panel, 1, 5);
    hidden->hide();
    QPushButton* disabled = Glyph(panel, 1, 6);
    disabled->setEnabled(false);
    QPushButton* untagged = Glyph(panel, 0, 7);
    ArrangeButtonsRightAligned(&form);
    EXPECT_EQ(last->geometry(), R(136, 2));
    EXPECT_EQ(first->geometry(), R(72, 2));
    for (QPushButton* b : {hidden, disabled, untagged}) EXPECT_EQ(b->geometry(), QRect(500, 500, 10, kH));
}

// Each parent gets its own rows; with a filter only that parent's buttons move.
TEST(ArrangeButtonsRightAligned, ParentsAreArrangedApartAndFilterable) {
    EnsureApp();
    QWidget form;
    QWidget* b = Panel(&form, "PanelB", 300);
    QWidget* a = Panel(&form, "PanelA", 200);
    QPushButton* inB = Glyph(b, 1, 0);
    QPushButton* inA1 = Glyph(a, 1, 0);
    QPushButton* inA2 = Glyph(a, 1, 1);
    ArrangeButtonsRightAlignedEx(&form, a);
    EXPECT_EQ(inA1->geometry(), R(72, 2));
    EXPECT_EQ(inA2->geometry(), R(136, 2));
    EXPECT_EQ(inB->geometry(), QRect(500, 500, 10, kH));
    EXPECT_EQ(b->height(), 400);

    ArrangeButtonsRightAligned(&form);
    EXPECT_EQ(inB->geometry(), R(236, 2));
    EXPECT_EQ(b->height(), 31);
    EXPECT_EQ(a->height(), 31);
}

TEST(ArrangeButtonsInRows, FillsRowsFromTheLeftAndWidensToTheMargin) {
    EnsureApp();
    struct Case {
        const char* what;
        int panelWidth, margin;
        std::vector<int> tags;
        std::vector<QRect> expected;
        int height, widest;
    };
    const Case cases[] = {
        {"wraps at the width", 200, 0, {1, 1, 1, 1}, {R(2, 2), R(66, 2), R(130, 2), R(2, 29)}, 58, 190},
        {"new Tag new row", 200, 0, {1, 1, 2}, {R(2, 2), R(66, 2), R(2, 29)}, 58, 126},
        // The margin wraps earlier; each row's last button reaches the widest
        // row's right edge.
        {"margin rows", 200, 10, {1, 1, 1}, {R(2, 2), R(66, 2), R(2, 29, 126)}, 58, 126},
        // One row: its last button reaches the width less the margin.
        {"margin one row", 300, 20, {1, 1}, {R(2, 2), R(66, 2, 214)}, 31, 126},
        {"negative margin", 200, -1, {1, 1, 1}, {R(2, 2), R(66, 2), R(130, 2, 71)}, 31, 190},
    };
    for (const auto& c : cases) {
        QWidget form;
        QWidget* panel = Panel(&form, "Panel1", c.panelWidth);
        std::vector<QPushButton*> buttons;
        for (std::size_t i = 0; i < c.tags.size(); ++i)
            buttons.push_back(Glyph(panel, c.tags[i], static_cast<int>(i)));
        if (c.margin == 0)
            ArrangeButtonsInRows(&form);
        else
            ArrangeButtonsInRowsWithMargin(&form, c.margin);
        for (std::size_t i = 0; i < buttons.size(); ++i)
            EXPECT_EQ(buttons[i]->geometry(), c.expected[i]) << c.what << " button " << i;
        EXPECT_EQ(panel->height(), c.height) << c.what;
        EXPECT_EQ(panel->property("Tag").toInt(), c.widest) << c.what;
    }
}

// A plain button is as wide as its caption with margins plus 8, but never
// wider than its parent allows.
TEST(ArrangeButtonsInRows, CaptionWidthsAndTheParentLimit) {
    EnsureApp();
    QWidget form;
    QWidget* panel = Panel(&form, "Panel1", 400);
    auto* b = new QPushButton(QStringLiteral("Start job"), panel);
    b->setProperty("Tag", 1);
    b->resize(10, kH);
    QWidget* narrow = Panel(&form, "Panel2", 40);
    auto* wide = new QPushButton(QStringLiteral("A caption far too wide"), narrow);
    wide->setProperty("Tag", 1);
    ArrangeButtonsInRowsEx(&form, nullptr, 0);
    EXPECT_EQ(b->width(), QFontMetrics(b->font()).horizontalAdvance(QStringLiteral("Start job")) + 4 + 8);
    EXPECT_EQ(wide->width(), 39);
}

TEST(CompareControlsByPosition, ParentNameThenTagThenTabOrder) {
    EnsureApp();
    QWidget form;
    QWidget* lower = Panel(&form, "a", 100);
    QWidget* upper = Panel(&form, "B", 100);
    QPushButton* x = Glyph(lower, 1, 0);
    QPushButton* y = Glyph(upper, 5, 5);
    QPushButton* t1 = Glyph(upper, 1, 9);
    QPushButton* t2 = Glyph(upper, 2, 0);
    QPushButton* o3 = Glyph(upper, 2, 3);
    QPushButton* same = Glyph(upper, 2, 3);
    struct Case {
        QWidget *a, *b;
        int expected;
    };
    const Case cases[] = {
        {x, y, 1},  // "a" sorts after "B" when case counts
        {y, x, -1}, {t1, t2, -1}, {t2, t1, 1}, {t2, o3, -1}, {o3, t2, 1}, {o3, same, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareControlsByPosition(c.a, c.b), c.expected);
}
