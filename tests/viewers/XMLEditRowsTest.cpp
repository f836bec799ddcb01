// The rows of the XML editor without widgets: what each node of a metric
// document becomes, the number texts of float fields, the read-only marks
// and the column flow.
#include "XMLEditRows.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {

std::unique_ptr<TMyXMLNodeList> Fixture() {
    auto doc = TMyXMLNodeList::Create();
    doc->LoadFromFile(FIXTURES_DIR "/xml/metric_qmetrics.xml");
    return doc;
}

const char* KindName(TXMLEditKind k) {
    switch (k) {
    case TXMLEditKind::None: return "none";
    case TXMLEditKind::Text: return "text";
    case TXMLEditKind::Integer: return "integer";
    case TXMLEditKind::Float: return "float";
    case TXMLEditKind::Param: return "param";
    }
    return "?";
}

} // namespace

TEST(XMLEditRows, AMetricDocumentBecomesHeadingsAndTypedFields) {
    auto doc = Fixture();
    const TXMLEditRows rows = BuildXMLEditRows(*doc);
    ASSERT_EQ(rows.Rows.size(), 34u);
    struct Want {
        size_t row;
        const char* label;
        const char* kind;
        const char* text;
        const char* labelName;
        const char* editName;
    } wants[] = {
        {0, "<QMETRICS>", "none", "", "Label_QMETRICS_0000", ""},
        {1, "   +--- Metric File:  ", "none", "", "Label_METRIC_FILE_0001", ""},
        {2, "   Product =", "param", "Demo Suite", "Label_METRIC_FILE_0002", "Edit_METRIC_FILE_0002"},
        {4, "   Version =", "param", "2.1", "Label_METRIC_FILE_0004", "Edit_METRIC_FILE_0004"},
        {11, "      <Quantity_Metrics>", "none", "", "Label_Quantity_Metrics_0011", ""},
        {12, "         +--- Defects:  ", "none", "", "Label_Defects_0012", ""},
        {13, "         Type =", "param", "Self", "Label_Defects_0013", "Edit_Defects_0013"},
        {14, "            Fatal Self Defects", "integer", "2", "Label_Fatal_Self_Defects_0014",
         "Edit_Fatal_Self_Defects_0014"},
        {21, "      <Quality_Metrics>", "none", "", "Label_Quality_Metrics_0021", ""},
        {22, "         +--- Qualities", "none", "", "Label_Qualities_0022", ""},
        {23, "            Completness", "float", "0.75", "Label_Completness_0023", "Edit_Completness_0023"},
        {24, "            Quality", "float", "0.5", "Label_Quality_0024", "Edit_Quality_0024"},
        {27, "   EName =", "param", "Billing & Tax", "Label_METRIC_ENTITY_0027", "Edit_METRIC_ENTITY_0027"},
        // A structure whose next node holds a value is a group.
        {29, "      +--- Quantity Metrics", "none", "", "Label_Quantity_Metrics_0029", ""},
        // An element with attributes shows them, not its value.
        {30, "         +--- Effort:  ", "none", "", "Label_Effort_0030", ""},
        {31, "         Unit =", "param", "Months", "Label_Effort_0031", "Edit_Effort_0031"},
        // An empty element is a heading without field.
        {32, "         +--- Remark", "none", "", "Label_Remark_0032", ""},
        {33, "         Notes", "text", "R&D <draft>", "Label_Notes_0033", "Edit_Notes_0033"},
    };
    for (const Want& w : wants) {
        const TXMLEditRow& r = rows.Rows[w.row];
        SCOPED_TRACE(w.row);
        EXPECT_EQ(r.Label, w.label);
        EXPECT_STREQ(KindName(r.Kind), w.kind);
        EXPECT_EQ(r.Text, w.text);
        EXPECT_EQ(r.LabelName, w.labelName);
        EXPECT_EQ(r.EditName, w.editName);
    }
    EXPECT_EQ(rows.Rows[0].Heading, TXMLHeading::Structure);
    EXPECT_EQ(rows.Rows[12].Heading, TXMLHeading::Group);
    EXPECT_TRUE(HeadingCollapsed(rows.Rows[12].Label));
    // Fields as wide as their text only where the text is no number.
    EXPECT_TRUE(rows.Rows[2].Wide);
    EXPECT_FALSE(rows.Rows[4].Wide);
    EXPECT_FALSE(rows.Rows[14].Wide);
    // Each node knows its first row.
    EXPECT_EQ(rows.FirstRow[1], 1);
    EXPECT_EQ(rows.FirstRow[2], 7);
    EXPECT_EQ(rows.FirstRow[19], 33);
}

TEST(XMLEditRows, ValueKindsAndFloatTexts) {
    struct KindCase {
        const char* value;
        TXMLEditKind kind;
    } kinds[] = {
        {"12", TXMLEditKind::Integer},  {"007", TXMLEditKind::Integer},  {"12.50", TXMLEditKind::Float},
        {".5", TXMLEditKind::Float},    {"5.", TXMLEditKind::Float},     {"1.2.3", TXMLEditKind::Text},
        {".", TXMLEditKind::Text},      {"", TXMLEditKind::Text},        {"-5", TXMLEditKind::Text},
        {"1e5", TXMLEditKind::Text},    {"99999999999", TXMLEditKind::Text},
    };
    for (const auto& c : kinds) EXPECT_EQ(ValueEditKind(c.value), c.kind) << c.value;

    struct FloatCase {
        double v;
        const char* opened;
        const char* stored;
    } floats[] = {
        {12.5, "12.5", "12.5"}, {0.5, "0.5", ".5"}, {0, "0.0", "0.0"}, {3, "3.0", "3.0"}, {100.25, "100.25", "100.25"},
    };
    for (const auto& c : floats) {
        EXPECT_EQ(OpenedFloatText(c.v), c.opened) << c.v;
        EXPECT_EQ(StoredFloatText(c.v), c.stored) << c.v;
    }
    // An integer field shows the number, not its leading zeros.
    auto doc = TMyXMLNodeList::CreateFromText("<a><b>007</b><c>12.50</c></a>");
    const TXMLEditRows rows = BuildXMLEditRows(*doc);
    EXPECT_EQ(rows.Rows[1].Text, "7");
    EXPECT_EQ(rows.Rows[2].Text, "12.5");
}

TEST(XMLEditRows, ReadOnlyMarksComeFromTheBlockOfTheDocumentType) {
    auto doc = Fixture();
    auto readOnly = [&](const std::string& list) {
        TXMLEditRows rows = BuildXMLEditRows(*doc);
        MarkReadOnlyRows(rows, *doc, list);
        std::vector<size_t> marked;
        for (size_t r = 0; r < rows.Rows.size(); ++r)
            if (rows.Rows[r].ReadOnly) marked.push_back(r);
        return marked;
    };
    const std::string typed = "<Types>\n"
                              "  <Qmetrics>\n"
                              "    <Total_Self_Defects TagReadOnly=\"Y\"/>\n"
                              "    <Fatal_Self_Defects TagReadOnly=\"N\"/>\n"
                              "    <Defects Type=\"Y\"/>\n"
                              "    <METRIC_FILE TagReadOnly=\"Y\" Product=\"Y\"/>\n"
                              "  </Qmetrics>\n"
                              "  <EMETRICS><Notes TagReadOnly=\"Y\"/></EMETRICS>\n"
                              "</Types>\n";
    // Rows 2 (Product), 13 and 18 (Type of both groups), 16 (Total); the
    // other attributes of METRIC_FILE stay open: TagReadOnly marks values.
    EXPECT_EQ(readOnly(typed), (std::vector<size_t>{2, 13, 16, 18}));
    // Without a block of the document's type, the READONLY block counts.
    EXPECT_EQ(readOnly("<T><READONLY><Notes TagReadOnly=\"Y\"/></READONLY></T>"), (std::vector<size_t>{33}));
    EXPECT_EQ(readOnly("<T><EMETRICS><Notes TagReadOnly=\"Y\"/></EMETRICS></T>"), (std::vector<size_t>{}));
    EXPECT_EQ(readOnly(""), (std::vector<size_t>{}));
}

TEST(XMLEditRows, RowsFlowInColumnsAndCollapsedGroupsHideTheirRows) {
    auto row = [](TXMLEditKind kind, const char* label, TXMLHeading h = TXMLHeading::None) {
        TXMLEditRow r;
        r.Kind = kind;
        r.Label = label;
        r.Heading = h;
        return r;
    };
    const auto E = TXMLEditKind::Text;
    const auto N = TXMLEditKind::None;
    std::vector<TXMLEditRow> rows = {row(N, "+--- A", TXMLHeading::Group), row(E, "a1"), row(E, "a2"),
                                     row(N, "<B>", TXMLHeading::Structure), row(E, "b1"), row(E, "b2"), row(E, "b3")};
    const std::vector<int> labels = {60, 20, 30, 40, 25, 25, 25};
    const std::vector<int> edits = {0, 100, 100, 0, 80, 120, 80};
    TXMLEditMetrics m; // left 8, top 8, rows of 24, indent 16, gap 6, columns 8 apart
    const int threeRows = m.Top + 3 * m.RowHeight;

    TXMLEditLayout plan = PlanXMLEditLayout(rows, labels, edits, m, threeRows);
    std::vector<bool> shown;
    for (const auto& p : plan.Places) shown.push_back(p.Visible);
    EXPECT_EQ(shown, (std::vector<bool>{true, false, false, true, true, true, true}));
    ASSERT_EQ(plan.Columns, 2);
    // Column 1: A, <B>, b1; its edits right of its widest label (b1's).
    EXPECT_EQ(plan.Places[3].LabelTop, m.Top + m.RowHeight + m.LabelToEdit);
    EXPECT_EQ(plan.Places[4].EditLeft, 8 + 16 + 25 + 6);
    // Column 2 starts after column 1's widest content (heading A is 60,
    // b1's row 16 + 25 + 6 + 80 = 127) and 8 pixels.
    EXPECT_EQ(plan.Places[5].LabelLeft, 8 + 127 + 8 + 16);
    EXPECT_EQ(plan.Places[5].EditTop, m.Top);
    // The columns' extents and rows, by which the view finds what it shows:
    // A's hidden rows lie inside column 1's range.
    ASSERT_EQ(plan.Spans.size(), 2u);
    EXPECT_EQ(plan.Spans[0].Left, 8);
    EXPECT_EQ(plan.Spans[0].Right, 8 + 127);
    EXPECT_EQ(plan.Spans[0].FirstRow, 0);
    EXPECT_EQ(plan.Spans[0].EndRow, 5);
    EXPECT_EQ(plan.Spans[1].Left, 8 + 127 + 8);
    EXPECT_EQ(plan.Spans[1].FirstRow, 5);
    EXPECT_EQ(plan.Spans[1].EndRow, 7);
    EXPECT_EQ(plan.Spans[1].Right + m.Left, plan.Width);

    // Opened, A's rows show; an opened group heading with fewer than two
    // rows left in its column starts the next one.
    rows[0].Label = ToggledHeading(rows[0].Label);
    EXPECT_EQ(rows[0].Label, "---- A");
    std::vector<TXMLEditRow> tail = {row(E, "x"), row(E, "y"), rows[0], row(E, "a1")};
    plan = PlanXMLEditLayout(tail, {10, 10, 10, 10}, {50, 50, 0, 50}, m, threeRows);
    EXPECT_EQ(plan.Columns, 2);
    EXPECT_EQ(plan.Places[2].EditTop, m.Top);
    EXPECT_EQ(plan.Places[2].LabelLeft, plan.Places[3].LabelLeft - m.Indent);
}
