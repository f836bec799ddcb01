// The XML document model: cleaning, attributes, cursor and searches, subtree
// extraction and typed values.
#include "Exceptions.h"
#include "TessalyXML.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace pem;

namespace {

struct Shape {
    std::string name;
    int level;
    std::string value;
};

std::vector<Shape> ShapeOf(const TMyXMLNodeList& l) {
    std::vector<Shape> s;
    for (int i = 0; i < l.Count(); ++i) s.push_back({l.NodeName(i), l.NodeLevel(i), l.NodeAt(i)->Value});
    return s;
}

bool operator==(const Shape& a, const Shape& b) {
    return a.name == b.name && a.level == b.level && a.value == b.value;
}

void PrintTo(const Shape& s, std::ostream* os) { *os << "{" << s.name << "," << s.level << ",\"" << s.value << "\"}"; }

std::string ExceptionText(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no exception)";
}

// A metric document: one METRIC_FILE, then entities with grouped measures.
const char* kMetric =
    "<QMETRICS>"
    "<METRIC_FILE Product=\"P\" System=\"S\" Version=\"1\" Date=\"2011-01-07\" Source=\"T\"/>"
    "<METRIC_ENTITY Entity=\"X\" EName=\"Y\" EType=\"PR\">"
    "<Quantity_Metrics><LOC>10</LOC><Statements>4</Statements></Quantity_Metrics>"
    "</METRIC_ENTITY>"
    "<METRIC_ENTITY Entity=\"Z\" EName=\"alpha\" EType=\"CO\">"
    "<Quantity_Metrics><LOC>20</LOC></Quantity_Metrics>"
    "</METRIC_ENTITY>"
    "<METRIC_ENTITY Entity=\"Z\" EName=\"beta\" EType=\"CO\">"
    "<Quantity_Metrics><LOC>30</LOC></Quantity_Metrics>"
    "</METRIC_ENTITY>"
    "</QMETRICS>";

} // namespace

TEST(XmlModelClean, FoldsTextAndMarksElementsClosedAtOnce) {
    auto l = TMyXMLNodeList::CreateFromText("<R>\r\n  <A>1</A>\n  <B></B>\n</R>");
    EXPECT_TRUE(l->IsClean);
    EXPECT_EQ(ShapeOf(*l), (std::vector<Shape>{{"R", 0, ""}, {"A", 1, "1"}, {"B", 1, ""}}));
    EXPECT_TRUE(l->NodeAt(1)->Folded);
    EXPECT_TRUE(l->NodeAt(2)->IsEmpty);
    for (int i = 0; i < l->Count(); ++i) EXPECT_EQ(l->NodeAt(i)->Index, i);

    auto one = TMyXMLNodeList::CreateFromText("<Only>text here</Only>");
    EXPECT_EQ(ShapeOf(*one), (std::vector<Shape>{{"Only", 0, "text here"}}));
}

TEST(XmlModelClean, SiblingWhoseNameEndsLikeAnEmptyElementKeepsItsValue) {
    // "<XB>" must not be taken for the end tag of the empty element B.
    auto l = TMyXMLNodeList::CreateFromText("<R><B/><XB>5</XB><C>t<D>1</D></C></R>");
    EXPECT_EQ(ShapeOf(*l), (std::vector<Shape>{{"R", 0, ""}, {"B", 1, ""}, {"XB", 1, "5"}, {"C", 1, ""}, {"D", 2, "1"}}));
}

TEST(XmlModelClean, CleanPassOnRawListMatchesCleanParse) {
    const char* docs[] = {
        kMetric,
        "<R><A>1</A><B></B><C><D/></C><E>x<![CDATA[y]]></E><!-- c --><F a='1'>v</F></R>",
        "<?xml version=\"1.0\"?><R>text<A>1</A>more<B x=\"1\"></B></R>",
        "<a:R><a:B>1</a:B><B></a:B></a:R>",
        "<a:R><a:B>x<!-- c -->y</a:B><a:C><!-- c --></a:C><a:></a:><a:D>x<a:E/>",
        "<R><A>x<B/><!-- c --></A><C><D/></C><E>1<!-- c -->2<![CDATA[3]]>",
        // Nameless tags such as "<!x/>" count as comments when cleaning.
        "<R><A>a<!x/>b</A><B><!x></!x></B><C>c<!x>",
    };
    for (bool ns : {false, true}) {
        for (const char* d : docs) {
            TMyXMLNodeList fused, twoStep;
            fused.NamespaceMode = twoStep.NamespaceMode = ns;
            try {
                fused.Parse(d, true);
            } catch (const Exception&) {
            }
            try {
                twoStep.Parse(d, false);
                twoStep.CleanNow();
            } catch (const Exception&) {
            }
            EXPECT_EQ(fused.AsText(), twoStep.AsText()) << d;
            EXPECT_EQ(ShapeOf(fused), ShapeOf(twoStep)) << d;
        }
    }
}

TEST(XmlModelAttributes, GetAttributeReadsTheRawTag) {
    struct Case {
        const char* raw;
        const char* name;
        const char* expected;
    } cases[] = {
        {"<METRIC_ENTITY Entity=\"X\" EName=\"Y\">", "Entity", "X"},
        {"<METRIC_ENTITY Entity=\"X\" EName=\"Y\">", "EName", "Y"},
        {"<METRIC_ENTITY Entity=\"X\" EName=\"Y\">", "EType", ""},
        {"<METRIC_ENTITY Entity=\"X\" EName=\"Y\">", "Name", ""},        // not the tail of EName
        {"<A d=\"z b=\" b=\"2\">", "b", "2"},                               // not inside another value
        {"<A t=\"&quot;q&quot; &amp; &lt;x&gt;\">", "t", "\"q\" & <x>"},  // decoded
        {"<A t=\"R&D\">", "t", "R&D"},                                      // a lone & stays
        {"<A>", "t", ""},
    };
    for (const auto& c : cases) {
        TMyXMLNode n(0, c.raw);
        EXPECT_EQ(n.GetAttribute(c.name), c.expected) << c.raw << " " << c.name;
    }
}

TEST(XmlModelAttributes, SetAttributeReplacesOrAddsAndEscapes) {
    struct Case {
        const char* raw;
        const char* name;
        const char* value;
        const char* expected;
    } cases[] = {
        {"<A>", "x", "1", "<A x=\"1\" >"},
        {"<A x=\"1\" y=\"22\">", "y", "3", "<A x=\"1\" y=\"3\">"},
        {"<A x=\"1\">", "z", "9", "<A x=\"1\" z=\"9\">"},
        {"<A x=\"1\">", "x", "say \"hi\" & <b>", "<A x=\"say &quot;hi&quot; &amp; &lt;b>\">"},
    };
    for (const auto& c : cases) {
        TMyXMLNode n(0, c.raw);
        n.SetAttribute(c.name, c.value);
        EXPECT_EQ(n.RawText, c.expected);
        EXPECT_TRUE(n.HasAttributes);
        EXPECT_EQ(n.GetAttribute(c.name), c.value);
        EXPECT_EQ(n.TagName, "A");
    }
}

TEST(XmlModelAttributes, AttributeListsAndParts) {
    TMyXMLNode n(0, "<M Unit=\"Months\" Type=\"a &amp; b\"/>");
    EXPECT_TRUE(n.IsEmpty);
    EXPECT_EQ(n.RawText, "<M Unit=\"Months\" Type=\"a &amp; b\">");
    EXPECT_EQ(n.AttributePart(), "Unit=\"Months\" Type=\"a &amp; b\"");
    auto values = n.AttributeValues();
    ASSERT_TRUE(values);
    EXPECT_EQ(values->Text(), "Unit=Months\nType=a & b\n");

    TMyXMLNode plain(0, "<M>");
    EXPECT_EQ(plain.AttributeValues(), nullptr);
    EXPECT_EQ(plain.AttributePart(), "");

    auto l = TMyXMLNodeList::CreateFromText("<R a=\"1\"><S/></R>");
    EXPECT_EQ(l->NodeAttributes(0), " a=\"1\"");
    EXPECT_EQ(l->NodeAttributes(1), "");
}

TEST(XmlModelAttributes, NamespaceAndUpperCaseModes) {
    auto l = TMyXMLNodeList::CreateFromText("<x:Root xsi:type=\"T\" plain=\"p\"><x:Item>1</x:Item></x:Root>");
    EXPECT_EQ(l->NodeName(0), "x:Root");
    EXPECT_EQ(l->NodeAt(0)->GetAttribute("type"), "");
    l->NamespaceMode = true;
    EXPECT_EQ(l->NodeName(0), "Root");
    EXPECT_EQ(l->NodeAt(0)->GetAttribute("type"), "T");
    EXPECT_EQ(l->NodeAt(0)->GetAttribute("q:plain"), "p");
    EXPECT_TRUE(l->HasTag("Item"));
    EXPECT_TRUE(l->HasTag("x:Item"));

    auto u = TMyXMLNodeList::CreateFromText("<root Mixed=\"Keep Case\"><item>1</item></root>");
    u->SetUpperCaseMode(true);
    EXPECT_EQ(u->NodeAt(0)->RawText, "<ROOT MIXED=\"Keep Case\">");
    EXPECT_EQ(u->NodeAt(0)->TagName, "ROOT");
    EXPECT_EQ(u->NodeAt(0)->GetAttribute("mixed"), "Keep Case");
    EXPECT_TRUE(u->HasTag("Item"));
}

TEST(XmlModelSearch, LocateFindsFirstEntityOfTheCursorGroup) {
    auto l = TMyXMLNodeList::CreateFromText(kMetric);
    l->SetCursor(1);
    ASSERT_TRUE(l->Locate("METRIC_ENTITY", {"Entity", "Z"}));
    EXPECT_EQ(l->CurrentNode()->GetAttribute("EName"), "alpha");
    ASSERT_TRUE(l->Locate("METRIC_ENTITY", {"Entity", "Z", "EName", "beta"}));
    EXPECT_EQ(l->CurrentNode()->GetAttribute("EType"), "CO");
    EXPECT_EQ(l->CurrentLevel, 1);
    ASSERT_TRUE(l->Locate("*", {"EName", "Y"}));
    EXPECT_EQ(l->NodeName(l->CursorIndex), "METRIC_ENTITY");

    const int before = l->CursorIndex;
    EXPECT_FALSE(l->Locate("METRIC_ENTITY", {"Entity", "z"}));
    EXPECT_EQ(l->CursorIndex, before);
    l->CaseInsensitiveValues = true;
    EXPECT_TRUE(l->Locate("metric_entity", {"Entity", "z"}));

    EXPECT_EQ(ExceptionText([&] { l->Locate("METRIC_ENTITY", {"Entity", "Z", "EName"}); }),
              "Number of keys for TMyXMLNodeList.Locate is not even!");
    EXPECT_EQ(ExceptionText([&] { l->NodeAt(0)->Locate("METRIC_ENTITY", {"Entity"}); }),
              "Number of keys for TMyXMLNodeList.Locate is not even!");

    // Below a node: only its own subtree.
    auto m = TMyXMLNodeList::CreateFromText(kMetric);
    TMyXMLNode* entity = m->NodeAt(2);
    EXPECT_TRUE(entity->Locate("LOC", {}));
    EXPECT_EQ(m->CurrentNode()->Value, "10");
    EXPECT_FALSE(m->NodeAt(1)->Locate("*", {}));  // METRIC_FILE has no children
}

TEST(XmlModelSearch, RepeatedLocateSeesChangesAndStaysLinear) {
    std::string doc = "<R><METRIC_FILE Product=\"P\"/>";
    const int entities = 20000;
    for (int k = 0; k < entities; ++k)
        doc += "<METRIC_ENTITY Entity=\"E" + std::to_string(k) + "\" EType=\"F\"><Q><LOC>" + std::to_string(k) +
               "</LOC><N>1</N></Q></METRIC_ENTITY>";
    doc += "</R>";
    auto l = TMyXMLNodeList::CreateFromText(doc);

    const auto t0 = std::chrono::steady_clock::now();
    // From the cursor left on the previous entity ...
    l->SetCursor(1);
    for (int k = entities - 1; k >= 0; --k) {
        ASSERT_TRUE(l->Locate("METRIC_ENTITY", {"Entity", "E" + std::to_string(k)})) << k;
        ASSERT_EQ(l->CurrentNode()->GetAttribute("Entity"), "E" + std::to_string(k));
    }
    // ... and below the root, reading a measure of each.
    TMyXMLNode* root = l->NodeAt(0);
    for (int k = 0; k < entities; ++k) {
        ASSERT_TRUE(root->Locate("METRIC_ENTITY", {"Entity", "E" + std::to_string(k)})) << k;
        ASSERT_TRUE(l->CurrentNode()->FindChild("LOC"));
        ASSERT_EQ(l->CurrentNode()->AsInteger(), k);
    }
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(secs, 5.0) << "entity look-ups one after another should not rescan the document";

    // The answers follow edits made between the look-ups.
    l->SetCursor(1);
    ASSERT_TRUE(l->Locate("METRIC_ENTITY", {"Entity", "E5"}));
    ASSERT_TRUE(l->Locate("METRIC_ENTITY", {"Entity", "E7"}));
    l->NodeAt(2)->SetAttribute("Entity", "E7");
    ASSERT_TRUE(l->Locate("METRIC_ENTITY", {"Entity", "E7"}));
    EXPECT_EQ(l->CursorIndex, 2);
    l->DeleteSubtree(l->NodeAt(2));
    ASSERT_TRUE(l->Locate("METRIC_ENTITY", {"Entity", "E7"}));
    EXPECT_EQ(l->CurrentNode()->GetAttribute("Entity"), "E7");
    EXPECT_FALSE(l->Locate("METRIC_ENTITY", {"Entity", "E0"}));
}

TEST(XmlModelSearch, FindChildHasTagAndNodeByTag) {
    auto l = TMyXMLNodeList::CreateFromText(kMetric);
    // 0 QMETRICS, 1 METRIC_FILE, 2 ENTITY, 3 Quantity, 4 LOC, 5 Statements, 6 ENTITY ...
    l->SetCursor(4);
    EXPECT_FALSE(l->FindChild("Missing"));
    EXPECT_EQ(l->CursorIndex, 4);
    EXPECT_EQ(l->CurrentLevel, 3);
    EXPECT_TRUE(l->FindChild("Statements"));
    EXPECT_EQ(l->CursorIndex, 5);

    EXPECT_TRUE(l->NodeAt(2)->FindChild("LOC"));
    EXPECT_EQ(l->CursorIndex, 4);
    EXPECT_FALSE(l->NodeAt(4)->FindChild("LOC"));  // no children

    l->SetCursor(5);
    EXPECT_TRUE(l->HasTagFrom("LOC", 0));
    EXPECT_FALSE(l->HasTag("METRIC_FILE"));
    EXPECT_EQ(l->CursorIndex, 5);
    TMyXMLNode* loc = l->NodeByTagFrom("LOC", 7);  // the second entity's subtree
    EXPECT_EQ(loc->Value, "20");
    EXPECT_EQ(l->CursorIndex, 5);
    EXPECT_EQ(ExceptionText([&] { l->NodeByTag("Effort"); }), "Tag \"Effort\" doesn't exist");
    EXPECT_EQ(l->CursorIndex, 5);
}

TEST(XmlModelSearch, CursorWalk) {
    auto l = TMyXMLNodeList::CreateFromText(kMetric);
    l->SetCursor(2);
    EXPECT_TRUE(l->HasChildren());
    EXPECT_FALSE(l->HasChildren(1));
    EXPECT_TRUE(l->NextSibling());
    EXPECT_EQ(l->CursorIndex, 6);
    EXPECT_TRUE(l->NextSibling());
    EXPECT_FALSE(l->NextSibling());
    EXPECT_EQ(l->CursorIndex, 9);
    l->SetCursor(4);
    EXPECT_TRUE(l->NextSibling());
    EXPECT_EQ(l->CursorIndex, 5);
    EXPECT_FALSE(l->NextSibling());  // the level drops first
    EXPECT_EQ(l->CursorIndex, 5);

    l->SetCursor(1000);
    EXPECT_EQ(l->CursorIndex, l->Count() - 1);
    EXPECT_FALSE(l->Next());
    l->First();
    EXPECT_EQ(l->CursorIndex, 0);
    EXPECT_TRUE(l->Next());
    EXPECT_EQ(l->CurrentLevel, 1);
    EXPECT_EQ(ExceptionText([&] { l->NodeAt(l->Count()); }), "List index out of bounds (12)");
}

TEST(XmlModelSubtree, ExtractAndDelete) {
    auto l = TMyXMLNodeList::CreateFromText(kMetric);
    const int total = l->Count();
    auto sub = l->ExtractSubtree(3);  // Quantity_Metrics with LOC and Statements
    EXPECT_TRUE(sub->IsClean);
    EXPECT_EQ(ShapeOf(*sub), (std::vector<Shape>{{"Quantity_Metrics", 0, ""}, {"LOC", 1, "10"}, {"Statements", 1, "4"}}));
    EXPECT_EQ(sub->NodeAt(2)->Owner, sub.get());
    EXPECT_EQ(sub->NodeAt(2)->Index, 2);
    EXPECT_EQ(l->Count(), total - 3);
    for (int i = 0; i < l->Count(); ++i) EXPECT_EQ(l->NodeAt(i)->Index, i);
    EXPECT_EQ(l->NodeName(3), "METRIC_ENTITY");

    EXPECT_EQ(ExceptionText([&] { l->ExtractSubtree(l->Count()); }), "Start index (9) greater then Count (9)!");
    auto raw = TMyXMLNodeList::CreateFromTextEx("<R><A/></R>", false);
    EXPECT_EQ(ExceptionText([&] { raw->ExtractSubtree(0); }), "Only clean nodes can be moved!");
    TMyXMLNodeList empty;
    empty.IsClean = true;
    EXPECT_EQ(ExceptionText([&] { empty.ExtractSubtree(-1); }), "Start index (0) greater then Count (0)!");
}

TEST(XmlModelSubtree, SubtreesOfALargeDocumentOutliveTheirSource) {
    // Enough elements that the parser's node memory grows to its largest
    // blocks; subtrees taken from the start, the middle and the end.
    std::string text = "<R>";
    const int entities = 20000;
    for (int k = 0; k < entities; ++k)
        text += "<E n=\"" + std::to_string(k) + "\"><V>" + std::to_string(k * 7) + "</V><W/></E>";
    text += "</R>";
    std::vector<std::unique_ptr<TMyXMLNodeList>> subs;
    {
        auto l = TMyXMLNodeList::CreateFromText(text);
        ASSERT_EQ(l->Count(), 1 + 3 * entities);
        for (int k : {entities - 1, entities / 2, 0}) subs.push_back(l->ExtractSubtree(1 + 3 * k));
        auto copy = std::make_unique<TMyXMLNode>(*l->NodeAt(l->Count() - 1));
        l->AddNode(std::move(copy), 3);
        l->DeleteSubtreeAt(1);
        EXPECT_EQ(l->Count(), 1 + 3 * (entities - 4) + 1);
    }
    const int ks[] = {entities - 1, entities / 2, 0};
    for (size_t i = 0; i < subs.size(); ++i) {
        const TMyXMLNodeList& sub = *subs[i];
        ASSERT_EQ(sub.Count(), 3);
        EXPECT_EQ(sub.NodeAt(0)->GetAttribute("n"), std::to_string(ks[i]));
        EXPECT_EQ(sub.NodeAt(1)->AsInteger(), ks[i] * 7);
        EXPECT_TRUE(sub.NodeAt(2)->IsEmpty);
        EXPECT_EQ(sub.AsText(), "<E n=\"" + std::to_string(ks[i]) + "\">\r\n  <V>" + std::to_string(ks[i] * 7) +
                                    "</V>\r\n  <W/>\r\n</E>\r\n");
    }
}

TEST(XmlModelSubtree, CursorStaysOnAnExistingNode) {
    struct Case {
        int cursor;     // before deleting the first entity (nodes 2..5)
        std::string expectedName;
        int expectedLevel;
    } cases[] = {
        {4, "METRIC_ENTITY", 1},  // inside: moves to what now stands there
        {7, "Quantity_Metrics", 2},  // after: keeps its node
        {1, "METRIC_FILE", 1},    // before: unchanged
    };
    for (const auto& c : cases) {
        auto l = TMyXMLNodeList::CreateFromText(kMetric);
        l->SetCursor(c.cursor);
        l->DeleteSubtreeAt(2);
        ASSERT_LT(l->CursorIndex, l->Count());
        EXPECT_EQ(l->NodeName(l->CursorIndex), c.expectedName) << c.cursor;
        EXPECT_EQ(l->CurrentLevel, c.expectedLevel) << c.cursor;
    }
    // Deleting the tail and then the whole document.
    auto l = TMyXMLNodeList::CreateFromText(kMetric);
    l->SetCursor(l->Count() - 1);
    l->DeleteSubtreeAt(10);
    EXPECT_EQ(l->CursorIndex, l->Count() - 1);
    EXPECT_EQ(l->CurrentLevel, l->NodeLevel(l->CursorIndex));
    l->DeleteSubtree(l->NodeAt(0));
    EXPECT_EQ(l->Count(), 0);
    EXPECT_EQ(l->CursorIndex, 0);
    EXPECT_EQ(l->CurrentLevel, 0);
    EXPECT_FALSE(l->FindChild("LOC"));
    EXPECT_FALSE(l->Locate("*", {}));
}

TEST(XmlModelValues, NumbersReadAndWritten) {
    struct Case {
        const char* value;
        bool isInt;
        int i;
        bool isFloat;
        double f;
    } cases[] = {
        {" 42\r\n", true, 42, true, 42.0},
        {"-7", true, -7, true, -7.0},
        {"1 000", true, 1000, true, 1000.0},  // every character up to 32 removed
        {"3.5", false, 0, true, 3.5},
        {"2.5E3", false, 0, true, 2500.0},
        {"", false, 0, false, 0},
        {"abc", false, 0, false, 0},
        {"inf", false, 0, false, 0},
        {"99999999999", false, 0, true, 99999999999.0},
    };
    for (const auto& c : cases) {
        TMyXMLNode n(0, "<V>");
        n.Value = c.value;
        if (c.isInt) EXPECT_EQ(n.AsInteger(), c.i) << c.value;
        else EXPECT_THROW(n.AsInteger(), EConvertError) << c.value;
        if (c.isFloat) EXPECT_DOUBLE_EQ(n.AsFloat(), c.f) << c.value;
        else EXPECT_THROW(n.AsFloat(), EConvertError) << c.value;
    }
    TMyXMLNode n(0, "<V>");
    n.Value = "x1";
    EXPECT_EQ(ExceptionText([&] { n.AsInteger(); }), "'x1' is not a valid integer value");
    EXPECT_EQ(ExceptionText([&] { n.AsFloat(); }), "'x1' is not a valid floating point value");

    struct FloatCase {
        double v;
        const char* text;
    } floats[] = {{0.75, "0.75"}, {100, "100"}, {-2.5, "-2.5"}, {0.1 + 0.2, "0.3"}, {1e20, "1E20"},
                  {0.00001, "0.00001"}, {1.5e-7, "1.5E-7"}, {123456789012345.0, "123456789012345"}};
    for (const auto& f : floats) {
        n.SetAsFloat(f.v);
        EXPECT_EQ(n.Value, f.text);
    }
    n.SetAsInteger(-12);
    EXPECT_EQ(n.Value, "-12");
}

TEST(XmlModelValues, ValuesSetOnElementsReadEmptyAreWritten) {
    // The editor and the report conversions fill elements that were read
    // empty; the value must reach the file.
    struct Setter {
        const char* name;
        std::function<void(TMyXMLNodeList&, int)> set;
        const char* value;
    } setters[] = {
        {"SetNodeValue", [](TMyXMLNodeList& l, int i) { l.SetNodeValue(i, "text"); }, "text"},
        {"SetAsInteger", [](TMyXMLNodeList& l, int i) { l.NodeAt(i)->SetAsInteger(42); }, "42"},
        {"SetAsFloat", [](TMyXMLNodeList& l, int i) { l.NodeAt(i)->SetAsFloat(2.5); }, "2.5"},
        {"Value", [](TMyXMLNodeList& l, int i) { l.NodeAt(i)->Value = "direct"; }, "direct"},
    };
    const char* docs[] = {"<R><A></A><Z>1</Z></R>", "<R><A/><Z>1</Z></R>", "<R><Z>1</Z><A></A></R>",
                          "<R><Z>1</Z><A/></R>", "<A/>"};
    for (const char* doc : docs) {
        for (const auto& s : setters) {
            SCOPED_TRACE(std::string(doc) + " " + s.name);
            auto l = TMyXMLNodeList::CreateFromText(doc);
            ASSERT_TRUE(l->HasTagFrom("A", 0));
            const int a = l->NodeByTagFrom("A", 0)->Index;
            ASSERT_TRUE(l->NodeAt(a)->IsEmpty);
            s.set(*l, a);
            auto back = TMyXMLNodeList::CreateFromText(l->AsText());
            EXPECT_EQ(ShapeOf(*back), ShapeOf(*l));
            EXPECT_EQ(back->NodeByTagFrom("A", 0)->Value, s.value);
        }
    }
    // An element whose value is emptied again is written empty, as before.
    auto l = TMyXMLNodeList::CreateFromText("<R><A/><Z>1</Z></R>");
    l->SetNodeValue(1, "x");
    EXPECT_FALSE(l->NodeAt(1)->IsEmpty);
    l->SetNodeValue(1, "");
    EXPECT_EQ(l->AsText(), "<R>\r\n  <A/>\r\n  <Z>1</Z>\r\n</R>\r\n");
}

TEST(XmlModelBuild, NodesCopiedOrMovedFromAParsedListOutliveIt) {
    TMyXMLNodeList target;
    target.IsClean = true;
    std::unique_ptr<TMyXMLNodeList> moved;
    {
        auto source = TMyXMLNodeList::CreateFromText(kMetric);
        target.AddNode(std::make_unique<TMyXMLNode>(*source->NodeAt(0)), 3);
        target.AddNode(std::make_unique<TMyXMLNode>(*source->NodeByTag("METRIC_FILE")), 2);
        source->SetCursor(0);
        ASSERT_TRUE(source->Locate("METRIC_ENTITY", {"EName", "beta"}));
        moved = source->ExtractSubtree(source->CursorIndex);
    }
    EXPECT_EQ(target.AsText(),
              "<QMETRICS>\r\n"
              "  <METRIC_FILE Product=\"P\" System=\"S\" Version=\"1\" Date=\"2011-01-07\" Source=\"T\"/>\r\n"
              "</QMETRICS>\r\n");
    EXPECT_EQ(ShapeOf(*moved), (std::vector<Shape>{{"METRIC_ENTITY", 0, ""}, {"Quantity_Metrics", 1, ""}, {"LOC", 2, "30"}}));
    moved->DeleteSubtreeAt(1);
    EXPECT_EQ(moved->Count(), 1);
}

TEST(XmlModelBuild, AddNodeLevels) {
    TMyXMLNodeList l;
    l.AddNode(TMyXMLNode::Create(0, "<ROOT>"), 0);
    l.AddNode(TMyXMLNode::Create(0, "<A>"), 2);
    l.AddNode(TMyXMLNode::Create(0, "<B>"), 0);
    l.AddNode(TMyXMLNode::Create(0, "<C>"), 2);
    l.AddNode(TMyXMLNode::Create(5, "<D>"), 3);
    l.AddNode(TMyXMLNode::Create(0, "<E>"), 1);
    EXPECT_EQ(ShapeOf(l), (std::vector<Shape>{
                              {"ROOT", 0, ""}, {"A", 1, ""}, {"B", 1, ""}, {"C", 2, ""}, {"D", 5, ""}, {"E", 4, ""}}));
    EXPECT_EQ(l.NodeAt(3)->Owner, &l);
    EXPECT_EQ(l.NodeAt(3)->Index, 3);

    // A document built node by node; an element built empty that was given
    // children is written with a start and an end tag around them.
    TMyXMLNodeList b;
    b.IsClean = true;
    b.AddNode(TMyXMLNode::Create(0, "<ROOT>"), 3);
    b.AddNode(TMyXMLNode::Create(0, "<A/>"), 2);
    b.AddNode(TMyXMLNode::Create(0, "<B>"), 2)->SetAsInteger(7);
    b.AddNode(TMyXMLNode::Create(0, "<C>"), 1);
    b.NodeAt(3)->SetAttribute("Unit", "m");
    EXPECT_EQ(b.AsText(),
              "<ROOT>\r\n"
              "  <A>\r\n"
              "    <B>7</B>\r\n"
              "  </A>\r\n"
              "  <C Unit=\"m\" ></C>\r\n"
              "</ROOT>\r\n");
}
