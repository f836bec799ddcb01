// The statistics and ranking report forms: how values are written and
// coloured, what each block and line prints, the total entry, titles, and
// blocks kept whole across pages.
#include "MindraReportLayout.h"
#include "PF_MindraChangeRank.h"
#include "PF_MindraChangeStat.h"
#include "PF_MindraDefectRank.h"
#include "PF_MindraDefectStat.h"
#include "PF_MindraProjectStat.h"
#include "QtTestSupport.h"
#include "ReportPainter.h"

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace pem;

namespace {

class GridMeasure : public TTextMeasure {
public:
    double Width(const std::string& t, const TReportFont&) const override { return 2.0 * static_cast<double>(t.size()); }
    double LineHeight(const TReportFont&) const override { return 4.0; }
};
const GridMeasure kGrid;

constexpr unsigned W = kLabelWhite, R = kLabelRed, Y = kLabelYellow, G = kLabelLightGreen;

TEST(FormatFixed, RoundsToPrecisionAndDecimalsWithAPoint) {
    struct Case {
        double value;
        int precision, digits;
        const char* text;
    } cases[] = {
        {0.25, 3, 2, "0.25"},       {1.0, 3, 2, "1.00"},         {0.0, 3, 2, "0.00"},
        {2.0 / 3.0, 3, 2, "0.67"},  {0.125, 3, 2, "0.13"},       // half away from zero
        {0.285, 3, 2, "0.28"},      // the double lies below 0.285
        {0.1234, 4, 3, "0.123"},    {0.125, 4, 3, "0.125"},      {0.0005, 4, 3, "0.001"},
        {0.9999, 4, 3, "1.000"},    {0.00001, 4, 3, "0.000"},    {-0.25, 3, 2, "-0.25"},
        {-0.001, 3, 2, "0.00"},     // no sign on a value that rounds to zero
        {12.3456, 4, 3, "12.350"},  // four significant digits, then three decimals
        {5.2504, 4, 3, "5.250"},    {12345.6, 4, 3, "1.235E4"},   // more integer digits than the precision
        {std::nan(""), 4, 3, "NAN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.precision, c.digits), c.text) << c.value << " " << c.precision;
}

TEST(MindraColours, BoundsOfTheDefectLevelAndTheChangeRate) {
    const std::pair<std::int64_t, unsigned> levels[] = {{10, R}, {9, Y}, {6, Y}, {5, G}, {0, G}, {-1, G}, {1000, R}};
    for (const auto& [weighted, colour] : levels) {
        EXPECT_EQ(TQRfrm_MindraDefectStat::DefectLevelColor(weighted), colour) << weighted;
        EXPECT_EQ(TQRfrm_MindraDefectRank::DefectLevelColor(weighted), colour) << weighted;
    }
    const std::pair<double, unsigned> rates[] = {{0.1001, R}, {0.1, R},   {0.0999, Y}, {0.05, Y},
                                                 {0.0499, G}, {0.0, G},   {1.5, R}};
    for (const auto& [impact, colour] : rates) {
        EXPECT_EQ(TQRfrm_MindraChangeStat::ChangeRateColor(impact), colour) << impact;
        EXPECT_EQ(TQRfrm_MindraChangeRank::ChangeRateColor(impact), colour) << impact;
    }
    // Just below the bounds.
    EXPECT_EQ(ChangeRateColor(std::nextafter(0.1, 0.0)), Y);
    EXPECT_EQ(ChangeRateColor(std::nextafter(0.05, 0.0)), G);
}

// ---- records

TErrorCounts Defects(std::int64_t fatal, std::int64_t total, std::int64_t weigh, double share) {
    TErrorCounts c;
    c.Fatal = fatal;
    c.Major = 1;
    c.Total = total;
    c.Weigh = weigh;
    c.Share = share;
    return c;
}

TChangeCounts Changes(std::int64_t extend, double impact, double share) {
    TChangeCounts c;
    c.Extend = extend;
    c.Total = extend;
    c.Impact = impact;
    c.Share = share;
    return c;
}

TErrorEntities DefectSystem(const std::string& name, std::array<TErrorCounts, kRoleBlocks> blocks) {
    TErrorEntities r;
    r.SystemName = name;
    r.Blocks = blocks;
    return r;
}

TErrorEntities DefectComponent(const std::string& name, const std::string& system, TErrorCounts first) {
    TErrorEntities r;
    r.SystemName = system;
    r.ComponentName = name;
    r.Blocks[0] = first;
    return r;
}

TChangeEntities ChangeComponent(const std::string& name, TChangeCounts first) {
    TChangeEntities r;
    r.SystemName = "S1";
    r.ComponentName = name;
    r.Blocks[0] = first;
    return r;
}

// The title and captions of product ABC, version 1.0.
void NameReport(TQRfrm_MindraDefectStat& form) {
    form.ReportTitle = "Defect_Statistic_Report_ABC_V1_0";
    form.QRLabelProductName = "ABC";
    form.QRLabelVersion = "1.0";
}

// ---- reading the pages

std::vector<std::string> TextsOf(const TReportPage& p) {
    std::vector<std::string> t;
    for (const auto& x : p.texts) t.push_back(x.text);
    return t;
}

int CountOf(const TReportPage& p, const std::string& text) {
    return static_cast<int>(std::count_if(p.texts.begin(), p.texts.end(),
                                          [&](const TReportText& t) { return t.text == text; }));
}

// The cells on the row of the n-th text of that caption, left to right.
std::vector<TMindraCell> RowOf(const TReportPage& p, const std::string& caption, int n = 0) {
    const TReportText* anchor = nullptr;
    for (const auto& t : p.texts)
        if (t.text == caption && n-- == 0) {
            anchor = &t;
            break;
        }
    if (!anchor) return {};
    std::vector<const TReportText*> row;
    for (const auto& t : p.texts)
        if (std::fabs(t.y - anchor->y) < 0.05) row.push_back(&t);
    std::sort(row.begin(), row.end(), [](const TReportText* a, const TReportText* b) { return a->x < b->x; });
    std::vector<TMindraCell> cells;
    for (const auto* t : row) cells.push_back({t->text, t->background < 0 ? W : static_cast<unsigned>(t->background)});
    return cells;
}

std::vector<TMindraCell> Plain(const std::vector<std::string>& texts) {
    std::vector<TMindraCell> cells;
    for (const auto& t : texts) cells.push_back({t, W});
    return cells;
}

// The column heads: the texts between two rows, column by column, the
// lines of a wrapped head joined by a blank.
std::string HeadsBetween(const TReportPage& p, double top, double bottom) {
    std::vector<const TReportText*> heads;
    for (const auto& t : p.texts)
        if (t.y > top + 0.05 && t.y < bottom - 0.05) heads.push_back(&t);
    std::sort(heads.begin(), heads.end(), [](const TReportText* a, const TReportText* b) {
        return a->x != b->x ? a->x < b->x : a->y < b->y;
    });
    std::string out;
    for (const auto* t : heads) out += (out.empty() ? "" : " ") + t->text;
    return out;
}

double TopOf(const TReportPage& p, const std::string& text) {
    for (const auto& t : p.texts)
        if (t.text == text) return t.y;
    return -1;
}

std::ostream& operator<<(std::ostream& os, const TMindraCell& c) {
    return os << "{" << c.text << ", " << std::hex << c.background << std::dec << "}";
}

// ---- the forms

class MindraReportForms : public ::testing::Test {
protected:
    void SetUp() override { pemtest::EnsureQApp(); }
};

TEST_F(MindraReportForms, TitlesKeepTheirBlanks) {
    TQRfrm_MindraDefectStat defectStat;
    TQRfrm_MindraDefectRank defectRank;
    TQRfrm_MindraChangeStat changeStat;
    TQRfrm_MindraChangeRank changeRank;
    TQRfrm_MindraProjectStat projectStat;
    defectStat.Items = {{"S", {}}, {"ABC", {}}};
    changeStat.Items = {{"S", {}}, {"ABC", {}}};
    struct Case {
        const TQRReportForm* form;
        std::function<TReportDocument()> layout;
        const char* header;
        const char* classes;  // "" none
    } cases[] = {
        {&defectStat, [&] { return defectStat.LayoutDated(kGrid, "d"); },
         "M i n d r a   D e f e c t   S t a t i s t i c   R e p o r t ", "E r r o r   S e v e r i t y   C l a s s e s "},
        {&defectRank, [&] { return defectRank.LayoutDated(kGrid, "d"); },
         "M i n d r a   D e f e c t  R a n k i n g   R e p o r t ", "E r r o r   S e v e r i t y   C l a s s e s "},
        {&changeStat, [&] { return changeStat.LayoutDated(kGrid, "d"); },
         "M i n d r a   C h a n g e   S t a t i s t i c   R e p o r t ", "C h a n g  e   R e p o r t   C l a s s e s "},
        {&changeRank, [&] { return changeRank.LayoutDated(kGrid, "d"); },
         "M i n d r a   C h a n g e  R a n k i n g   R e p o r t ", "C h a n g e   R e p o r t   C l a s s e s "},
        {&projectStat, [&] { return projectStat.LayoutDated(kGrid, "d"); },
         "M i n d r a   P r o j e c t  S t a t i s t i c   R e p o r t ", ""},
    };
    for (const auto& c : cases) {
        const TReportDocument doc = c.layout();
        ASSERT_FALSE(doc.pages.empty()) << c.header;
        const auto& page = doc.pages[0];
        EXPECT_EQ(CountOf(page, c.header), 1) << c.header;
        for (const char* fixed : {"Product name: ", "Version", "Date:d", "Page:1"})
            EXPECT_EQ(CountOf(page, fixed), 1) << c.header << " " << fixed;
        if (*c.classes) EXPECT_GE(CountOf(page, c.classes), 1) << c.header;
    }
}

TEST_F(MindraReportForms, DefectStatisticBlocksColourTheWeightedTotalsAndLeaveTheSumShareEmpty) {
    TQRfrm_MindraDefectStat form;
    NameReport(form);
    const auto alpha = DefectSystem("Alpha", {Defects(1, 4, 10, 0.4), Defects(0, 2, 6, 0.24), Defects(0, 0, 0, 0),
                                              Defects(2, 5, 9, 0.36), Defects(3, 11, 25, 1.0)});
    const auto beta = DefectSystem("beta", {Defects(0, 1, 5, 1.0), Defects(0, 0, 0, 0), Defects(0, 0, 0, 0),
                                            Defects(0, 0, 0, 0), Defects(0, 1, 5, 1.0)});
    const auto total = DefectSystem("ABC", {Defects(1, 5, 15, 0.5), Defects(0, 2, 6, 0.2), Defects(0, 0, 0, 0),
                                            Defects(2, 5, 9, 0.3), Defects(3, 12, 30, 1.0)});
    form.Items = {{"Alpha", alpha}, {"beta", beta}, {"ABC", total}};
    const TReportDocument doc = form.LayoutDated(kGrid, "2024-03-05");
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(doc.title, "Defect_Statistic_Report_ABC_V1_0");
    const auto& page = doc.pages[0];
    const std::string classes = "E r r o r   S e v e r i t y   C l a s s e s ";

    // Each block: the system line, the heads, five rows.
    EXPECT_EQ(RowOf(page, "System:", 0), Plain({"System:", "Alpha", classes}));
    EXPECT_EQ(RowOf(page, "System:", 1), Plain({"System:", "beta", classes}));
    EXPECT_EQ(RowOf(page, "Product total:"), Plain({"Product total:", "", classes}));
    EXPECT_EQ(HeadsBetween(page, TopOf(page, "System:"), TopOf(page, "Developers")),
              "Defect Reporter Fatal Severe Medium Minor Unknown Total Weighted total "
              "Portion (of weighted defects)");
    EXPECT_EQ(RowOf(page, "Developers"),
              (std::vector<TMindraCell>{{"Developers", W}, {"1", W}, {"1", W}, {"0", W}, {"0", W}, {"0", W},
                                        {"4", W}, {"10", R}, {"0.40", W}}));
    const std::pair<const char*, std::vector<TMindraCell>> alphaRows[] = {
        {"Testers", {{"6", Y}, {"0.24", W}}},
        {"Managers", {{"0", G}, {"0.00", W}}},
        {"Users", {{"9", Y}, {"0.36", W}}},
        {"System Total", {{"25", R}, {"", W}}},  // coloured like the roles; no share
    };
    for (const auto& [caption, tail] : alphaRows) {
        const auto row = RowOf(page, caption);
        ASSERT_EQ(row.size(), 9u) << caption;
        EXPECT_EQ(std::vector<TMindraCell>(row.end() - 2, row.end()), tail) << caption;
    }
    EXPECT_EQ(RowOf(page, "Developers", 1).back(), (TMindraCell{"1.00", W}));
    EXPECT_EQ(RowOf(page, "Developers", 1)[7], (TMindraCell{"5", G}));
    // The total block: the sums of the roles, coloured, and no share.
    EXPECT_EQ(RowOf(page, "System Total", 2),
              (std::vector<TMindraCell>{{"System Total", W}, {"3", W}, {"1", W}, {"0", W}, {"0", W}, {"0", W},
                                        {"12", W}, {"30", R}, {"", W}}));
}

TEST_F(MindraReportForms, ChangeStatisticImpactsHaveThreeDecimalsAndTheirColours) {
    TQRfrm_MindraChangeStat form;
    const auto orders = [] {
        TChangeEntities r;
        r.SystemName = "Orders";
        r.Blocks = {Changes(1, 0.1234, 0.5), Changes(2, 0.05, 0.2), Changes(0, 0.0499, 0.2), Changes(0, 0.0267, 0.1),
                    Changes(3, 0.25, 1.0)};
        return r;
    }();
    form.Items = {{"Orders", orders}, {"ABC", orders}};
    const TReportDocument doc = form.LayoutDated(kGrid, "d");
    const auto& page = doc.pages[0];
    EXPECT_EQ(HeadsBetween(page, TopOf(page, "System:"), TopOf(page, "Developers")),
              "Change requester Extend Adapt Perfect Convert Integr Total Impact Portion (of impact)");
    const std::pair<const char*, std::vector<TMindraCell>> rows[] = {
        {"Developers", {{"1", W}, {"0.123", R}, {"0.50", W}}},
        {"Testers", {{"2", W}, {"0.050", Y}, {"0.20", W}}},
        {"Managers", {{"0", W}, {"0.050", G}, {"0.20", W}}},  // 0.0499 prints as 0.050 but stays green
        {"Users", {{"0", W}, {"0.027", G}, {"0.10", W}}},
        {"System Total", {{"3", W}, {"0.250", R}, {"", W}}},
    };
    for (const auto& [caption, tail] : rows) {
        const auto row = RowOf(page, caption);
        ASSERT_EQ(row.size(), 9u) << caption;
        EXPECT_EQ(std::vector<TMindraCell>(row.end() - 3, row.end()), tail) << caption;
    }
}

TEST_F(MindraReportForms, RankingLinesEndInTheTotalWithoutShareOnWhite) {
    TQRfrm_MindraDefectRank defects;
    defects.QRLabelSystem = "S1, S2";
    defects.Items = {{"k1", DefectComponent("Core", "S2", Defects(4, 9, 24, 0.6))},
                     {"k2", DefectComponent("Util", "S1", Defects(1, 3, 10, 0.25))},
                     {"k3", DefectComponent("Mid", "S1", Defects(0, 2, 6, 0.15))},
                     {"k4", DefectComponent("Zero", "S1", Defects(0, 0, 0, 0))},
                     {"k5", DefectComponent("Product Total", "ABC", Defects(5, 14, 40, 1.0))}};
    const TReportDocument doc = defects.LayoutDated(kGrid, "d");
    ASSERT_EQ(doc.pages.size(), 1u);
    const auto& page = doc.pages[0];
    EXPECT_EQ(RowOf(page, "System:"), Plain({"System:", "S1, S2"}));
    EXPECT_EQ(RowOf(page, "E r r o r   S e v e r i t y   C l a s s e s ").size(), 1u);
    EXPECT_EQ(HeadsBetween(page, TopOf(page, "E r r o r   S e v e r i t y   C l a s s e s "), TopOf(page, "Core")),
              "Component Fatal Severe Medium Minor Unknown Total Weighted total Portion (of weighted defects)");
    const std::pair<const char*, std::vector<TMindraCell>> lines[] = {
        {"Core", {{"Core", W}, {"4", W}, {"1", W}, {"0", W}, {"0", W}, {"0", W}, {"9", W}, {"24", R}, {"0.60", W}}},
        {"Util", {{"Util", W}, {"1", W}, {"1", W}, {"0", W}, {"0", W}, {"0", W}, {"3", W}, {"10", R}, {"0.25", W}}},
        {"Mid", {{"Mid", W}, {"0", W}, {"1", W}, {"0", W}, {"0", W}, {"0", W}, {"2", W}, {"6", Y}, {"0.15", W}}},
        {"Zero", {{"Zero", W}, {"0", W}, {"1", W}, {"0", W}, {"0", W}, {"0", W}, {"0", W}, {"0", G}, {"0.00", W}}},
        {"Product Total",
         {{"Product Total", W}, {"5", W}, {"1", W}, {"0", W}, {"0", W}, {"0", W}, {"14", W}, {"40", R}, {"", W}}},
    };
    for (const auto& [name, cells] : lines) EXPECT_EQ(RowOf(page, name), cells) << name;
    EXPECT_LT(TopOf(page, "Core"), TopOf(page, "Product Total"));

    TQRfrm_MindraChangeRank changes;
    changes.Items = {{"a", ChangeComponent("Big", Changes(2, 0.1, 0.8))},
                     {"b", ChangeComponent("Small", Changes(1, 0.025, 0.2))},
                     {"c", ChangeComponent("Product Total", Changes(3, 0.125, 1.0))}};
    const TReportDocument cdoc = changes.LayoutDated(kGrid, "d");
    const auto& cpage = cdoc.pages[0];
    EXPECT_EQ(HeadsBetween(cpage, TopOf(cpage, "C h a n g e   R e p o r t   C l a s s e s "), TopOf(cpage, "Big")),
              "Component Extend Adapt Perfect Convert Integr Total Impact Portion (of impact)");
    EXPECT_EQ(RowOf(cpage, "Big").back(), (TMindraCell{"0.80", W}));
    EXPECT_EQ(RowOf(cpage, "Big")[7], (TMindraCell{"0.100", R}));
    EXPECT_EQ(RowOf(cpage, "Small")[7], (TMindraCell{"0.025", G}));
    const auto ctotal = RowOf(cpage, "Product Total");
    ASSERT_EQ(ctotal.size(), 9u);
    EXPECT_EQ(std::vector<TMindraCell>(ctotal.end() - 2, ctotal.end()), (std::vector<TMindraCell>{{"0.125", R}, {"", W}}));
}

TEST_F(MindraReportForms, ProjectLinesShowTheValuesWithTheirUnits) {
    TQRfrm_MindraProjectStat form;
    TProjectEntities portal;
    portal.ComponentName = "Portal";
    portal.ComponentType = "WEB";
    portal.HeadCount = 5;
    portal.Effort = 21;
    portal.EffortUnit = "Months";
    portal.ElapsedTime = 7;
    portal.ElapsedTimeUnit = "Weeks";
    portal.AccumulatedCosts = 120000;
    portal.CostsUnit = "Euro";
    TProjectEntities total = portal;
    total.ComponentName = "Product Total";
    total.ComponentType.clear();
    form.Items = {{"Portal_WEB", portal}, {"ABC_ABC", total}};
    const TReportDocument doc = form.LayoutDated(kGrid, "d");
    const auto& page = doc.pages[0];
    EXPECT_EQ(RowOf(page, "System:"), Plain({"System:", ""}));
    EXPECT_EQ(HeadsBetween(page, TopOf(page, "System:"), TopOf(page, "Portal")),
              "Project name Type Persons Effort Unit Time Unit Costs Currency");
    EXPECT_EQ(RowOf(page, "Portal"), Plain({"Portal", "WEB", "5", "21", "Months", "7", "Weeks", "120000", "Euro"}));
    EXPECT_EQ(RowOf(page, "Product Total"),
              Plain({"Product Total", "", "5", "21", "Months", "7", "Weeks", "120000", "Euro"}));
}

TEST_F(MindraReportForms, TwelveSystemsKeepEveryBlockOnOnePage) {
    TQRfrm_MindraChangeStat form;
    TChangeEntities r;
    r.Blocks = {Changes(1, 0.01, 0.25), Changes(1, 0.01, 0.25), Changes(1, 0.01, 0.25), Changes(1, 0.01, 0.25),
                Changes(4, 0.04, 1.0)};
    for (int i = 1; i <= 12; ++i) form.Items.push_back({"System" + std::to_string(i), r});
    form.Items.push_back({"ABC", r});
    const TReportDocument doc = form.LayoutDated(kGrid, "d");
    ASSERT_GE(doc.pages.size(), 2u);
    std::vector<std::string> order;
    for (size_t p = 0; p < doc.pages.size(); ++p) {
        const auto& page = doc.pages[p];
        EXPECT_EQ(CountOf(page, "M i n d r a   C h a n g e   S t a t i s t i c   R e p o r t "), 1) << p;
        EXPECT_EQ(CountOf(page, "Page:" + std::to_string(p + 1)), 1) << p;
        // Every block begun on a page ends there: as many system lines as
        // sum rows, each sum row below its system line.
        const int blocks = CountOf(page, "System:") + CountOf(page, "Product total:");
        EXPECT_GT(blocks, 0) << p;
        EXPECT_EQ(CountOf(page, "System Total"), blocks) << p;
        for (const char* role : {"Developers", "Testers", "Managers", "Users"}) EXPECT_EQ(CountOf(page, role), blocks);
        for (int b = 0; b < CountOf(page, "System:"); ++b) {
            const auto row = RowOf(page, "System:", b);
            ASSERT_GE(row.size(), 2u);
            order.push_back(row[1].text);
        }
        if (CountOf(page, "Product total:")) order.push_back("total");
    }
    std::vector<std::string> expected;
    for (int i = 1; i <= 12; ++i) expected.push_back("System" + std::to_string(i));
    expected.push_back("total");
    EXPECT_EQ(order, expected);
}

TEST_F(MindraReportForms, APictureOfAStatisticPageShowsTheColouredLabels) {
    TQRfrm_MindraDefectStat form;
    NameReport(form);
    const auto sales = DefectSystem("Sales", {Defects(3, 12, 42, 0.34), Defects(1, 6, 17, 0.14), Defects(0, 0, 0, 0),
                                              Defects(2, 21, 64, 0.52), Defects(6, 39, 123, 1.0)});
    const auto quiet = DefectSystem("Quiet", {Defects(0, 1, 5, 0.55), Defects(0, 1, 4, 0.45), Defects(0, 0, 0, 0),
                                              Defects(0, 0, 0, 0), Defects(0, 2, 9, 1.0)});
    form.Items = {{"Quiet", quiet}, {"Sales", sales}, {"ABC", sales}};
    const TReportDocument doc = form.Layout();
    const double dpi = 150;
    const QImage image = RenderReportPage(doc, 0, dpi);
    ASSERT_FALSE(image.isNull());
    pemtest::TempDir dir;
    EXPECT_TRUE(image.save(QString::fromStdString(dir / "statistic.png")));
    // Inside each coloured label, left of its right-aligned text, the paper
    // shows the label's colour.
    int coloured = 0;
    for (const auto& t : doc.pages[0].texts) {
        if (t.background < 0 || static_cast<unsigned>(t.background) == W) continue;
        const int x = static_cast<int>((t.x + 0.4) / 25.4 * dpi);
        const int y = static_cast<int>((t.y + t.h / 2) / 25.4 * dpi);
        EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, static_cast<unsigned>(t.background)) << t.text;
        ++coloured;
    }
    EXPECT_EQ(coloured, 15);  // the weighted totals of three blocks
}

} // namespace
