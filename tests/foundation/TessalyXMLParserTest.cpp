// The XML parser and writer: nodes and levels, headers, errors, both layouts,
// subtrees, escaping, and round trips of documents shaped like the program's.
#include "Exceptions.h"
#include "TessalyXML.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace pem;
namespace fs = std::filesystem;

namespace {

std::string Fixture(const std::string& name) { return std::string(FIXTURES_DIR) + "/xml/" + name; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TempDir {
public:
    TempDir() {
        std::string templ = (fs::temp_directory_path() / "xmltestXXXXXX").string();
        path_ = mkdtemp(templ.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Every node as "level|raw|value|empty" for whole-list comparisons.
std::vector<std::string> Dump(const TMyXMLNodeList& l) {
    std::vector<std::string> out;
    for (int i = 0; i < l.Count(); ++i) {
        const TMyXMLNode* n = l.NodeAt(i);
        out.push_back(std::to_string(n->Level) + "|" + n->RawText + "|" + n->Value + "|" + (n->IsEmpty ? "e" : ""));
    }
    return out;
}

std::string ParseError(const std::string& text, bool clean, TMyXMLNodeList* into = nullptr) {
    TMyXMLNodeList local;
    TMyXMLNodeList& l = into ? *into : local;
    try {
        l.Parse(text, clean);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no exception)";
}

const char* kFixtures[] = {"last.xml", "metric_qmetrics.xml", "testcase_companion.xml"};

} // namespace

TEST(XmlParse, ParameterDocumentHeadersAndTree) {
    auto l = TMyXMLNodeList::CreateFromFile(Fixture("last.xml"));
    EXPECT_EQ(l->ProcessingHeader, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n");
    EXPECT_EQ(l->DocTypeHeader, "<!--DOCTYPE PEMARIS SYSTEM \"Pemaris.dtd\"-->\r\n");
    ASSERT_GE(l->Count(), 13);
    EXPECT_EQ(l->NodeName(0), "PEMARIS");
    EXPECT_EQ(l->NodeLevel(0), 0);
    // Attributes written with blanks around "=" and across lines are stored
    // with single blanks and no blanks around "=".
    EXPECT_EQ(l->NodeAt(1)->RawText,
              "<Names Language=\"COBOL\" ProductName=\"Demo Suite\" SystemName=\"Payroll\" Version=\"1.0\">");
    EXPECT_TRUE(l->NodeAt(1)->IsEmpty);
    EXPECT_EQ(l->NodeAt(1)->GetAttribute("SystemName"), "Payroll");
    EXPECT_EQ(l->NodeAt(2)->RawText, "<Parameters Audit=\"Y\" Redoc=\"N\" Exports=\"Y\">");
    ASSERT_TRUE(l->NodeAt(0)->FindChild("Orig_Input_Dir"));
    EXPECT_EQ(l->CurrentNode()->Value, "/home/eng/payroll");
    EXPECT_EQ(l->CurrentLevel, 2);
    ASSERT_TRUE(l->NodeAt(0)->FindChild("Orig_File_0002"));
    EXPECT_EQ(l->CurrentNode()->Value, "billing/print.cbl");

    // Parsing again into the same list starts the headers afresh.
    l->Parse(ReadFile(Fixture("last.xml")), true);
    EXPECT_EQ(l->ProcessingHeader, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n");
    EXPECT_EQ(l->DocTypeHeader, "<!--DOCTYPE PEMARIS SYSTEM \"Pemaris.dtd\"-->\r\n");
    TempDir dir;
    l->SaveToFile(dir.File("last.xml"));
    const std::string saved = ReadFile(dir.File("last.xml"));
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
                          "<!--DOCTYPE PEMARIS SYSTEM \"Pemaris.dtd\"-->\r\n"
                          "<PEMARIS>\r\n"
                          "  <Names Language=\"COBOL\" ProductName=\"Demo Suite\" SystemName=\"Payroll\" Version=\"1.0\"/>\r\n",
                          0),
              0u)
        << saved;
}

TEST(XmlParse, RawNodesAndLevels) {
    auto l = TMyXMLNodeList::CreateFromTextEx(
        "junk before <?pi x?>\n<R>\n  <!-- c -->\n  text\r\n  more\n  <A/>\n  <DOCTYPE/>\n</R>", false);
    EXPECT_FALSE(l->IsClean);
    EXPECT_EQ(Dump(*l), (std::vector<std::string>{"0|<?pi x?>||", "0|<R>||", "1|<!-- c -->||", "1|text\r\n  more||",
                                                  "1|<A>||e", "1|<DOCTYPE>||e", "0|</R>||"}));
    EXPECT_EQ(l->ProcessingHeader, "<?pi x?>\r\n");
    EXPECT_EQ(l->DocTypeHeader, "");
    EXPECT_EQ(l->NodeRawTag(4), "<A/>");
    EXPECT_EQ(l->NodeText(3), "text\r\n  more");
}

TEST(XmlParse, DeclarationsCommentsAndCData) {
    struct Case {
        const char* text;
        const char* docType;
        std::vector<std::string> nodes;  // clean
    } cases[] = {
        {"<!doctype R SYSTEM \"r.dtd\"><R><A>x<![CDATA[y <z/> ]]></A></R>", "<!DOCTYPE R SYSTEM \"r.dtd\">\r\n",
         {"0|<R>||", "1|<A>|xy <z/>|"}},
        // An empty section is closed at once and does not swallow the rest.
        {"<R><A><![CDATA[]]></A><B>2</B></R>", "", {"0|<R>||", "1|<A>||e", "1|<B>|2|"}},
        {"<R><A><![CDATA[a]]]></A><B>2</B></R>", "", {"0|<R>||", "1|<A>|a]|", "1|<B>|2|"}},
        {"<!--doctype X SYSTEM \"x.xsd\"--><R/>", "<!--doctype X SYSTEM \"x.xsd\"-->\r\n", {"0|<R>||e"}},
        {"<!----><R><!-- DOCTYPE-less --></R>", "", {"0|<R>||"}},
        // A declaration closed at once does not take the root with it.
        {"<!DOCTYPE><R>1</R>", "<!DOCTYPE>\r\n", {"0|<R>|1|"}},
    };
    for (const auto& c : cases) {
        auto l = TMyXMLNodeList::CreateFromText(c.text);
        EXPECT_EQ(l->DocTypeHeader, c.docType) << c.text;
        EXPECT_EQ(Dump(*l), c.nodes) << c.text;
    }
}

TEST(XmlParse, AttributeQuotingAndSpacing) {
    auto l = TMyXMLNodeList::CreateFromText("<A   x = '1'\n\ty='say \"hi\"' z=\"it's\"  >v</A>");
    EXPECT_EQ(l->NodeAt(0)->RawText, "<A x=\"1\" y=\"say &quot;hi&quot;\" z=\"it's\">");
    EXPECT_EQ(l->NodeAt(0)->GetAttribute("x"), "1");
    EXPECT_EQ(l->NodeAt(0)->GetAttribute("y"), "say \"hi\"");
    EXPECT_EQ(l->NodeAt(0)->GetAttribute("z"), "it's");
    EXPECT_EQ(l->NodeAt(0)->Value, "v");
    // A ">" inside a quoted value belongs to the value.
    auto g = TMyXMLNodeList::CreateFromText("<A cond=\"a>b\"><B>1</B></A>");
    EXPECT_EQ(g->NodeAt(0)->GetAttribute("cond"), "a>b");
    EXPECT_EQ(g->NodeAt(1)->Value, "1");
}

TEST(XmlParse, MismatchedEndTagsRaiseAndKeepWhatWasRead) {
    struct Case {
        const char* text;
        const char* message;
        int rawNodes;
    } cases[] = {
        {"<a><b></a>", "No matching tag found for </a>!", 2},
        {"</a>", "No matching tag found for </a>!", 0},
        {"<a></a ></b>", "No matching tag found for </b>!", 2},
        {"<a><b>t</B></a>", "No matching tag found for </B>!", 3},
        {"<a></ a b>", "No matching tag found for </ab>!", 1},
    };
    for (bool clean : {false, true}) {
        for (const auto& c : cases) {
            TMyXMLNodeList l;
            EXPECT_EQ(ParseError(c.text, clean, &l), c.message) << c.text;
            EXPECT_EQ(l.Count(), c.rawNodes) << c.text;
            EXPECT_FALSE(l.IsClean);
        }
    }
    // Elements left open at the end are not reported.
    EXPECT_EQ(ParseError("<a><b>", true), "(no exception)");
    EXPECT_EQ(ParseError("", true), "(no exception)");
    EXPECT_EQ(ParseError("no markup", true), "(no exception)");
}

TEST(XmlParse, TextSplitByCDataOrCommentsIsKeptWhole) {
    // An element's value is its text runs, CDATA content included, each
    // trimmed and joined in document order; comments add nothing.
    struct Case {
        const char* text;
        std::vector<std::string> clean;
    } cases[] = {
        {"<a>x<![CDATA[q]]>y</a>", {"0|<a>|xqy|"}},
        {"<a>x<!-- c -->y</a>", {"0|<a>|xy|"}},
        {"<a>x<!-- c --></a>", {"0|<a>|x|"}},
        {"<a><!-- c -->\r\n  x\r\n</a>", {"0|<a>|x|"}},
        {"<a> x <![CDATA[ a<b && c ]]> y <?pi?>z</a>", {"0|<a>|xa<b && cyz|"}},
        {"<r><a>x<!--1--><!--2-->y</a><b>2</b></r>", {"0|<r>||", "1|<a>|xy|", "1|<b>|2|"}},
        // Text beside a child element is not the parent's value.
        {"<a>x<b/>y</a>", {"0|<a>||", "1|<b>||e"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto fused = TMyXMLNodeList::CreateFromText(c.text);
        EXPECT_EQ(Dump(*fused), c.clean);
        auto twoStep = TMyXMLNodeList::CreateFromTextEx(c.text, false);
        twoStep->CleanNow();
        EXPECT_EQ(Dump(*twoStep), c.clean);
        // Written and read again, the value is the same.
        EXPECT_EQ(Dump(*TMyXMLNodeList::CreateFromText(fused->AsText())), c.clean);
    }
    // In a raw list a CDATA section is text joined with the runs around it,
    // written so that it reads back to the same text.
    auto raw = TMyXMLNodeList::CreateFromTextEx("<a>x<![CDATA[<b>&amp;]]>y</a>", false);
    EXPECT_EQ(Dump(*raw), (std::vector<std::string>{"0|<a>||", "1|x&lt;b>&amp;amp;y||", "0|</a>||"}));
    EXPECT_EQ(raw->NodeText(1), "x<b>&amp;y");
}

TEST(XmlParse, ElementsLeftOpenAtTheEndKeepTheirText) {
    // A cancelled run leaves a document cut off anywhere: what was read stays.
    struct Case {
        const char* text;
        std::vector<std::string> clean;
    } cases[] = {
        {"<r><a>1</a><b>2", {"0|<r>||", "1|<a>|1|", "1|<b>|2|"}},
        {"<r><a>1</a><b>2\r\n", {"0|<r>||", "1|<a>|1|", "1|<b>|2|"}},
        {"<r><b>2<!-- c --><!-- cut", {"0|<r>||", "1|<b>|2|"}},
        {"<r><b>x<![CDATA[y", {"0|<r>||", "1|<b>|xy|"}},
        {"<r><b>2</b><c x=\"1", {"0|<r>||", "1|<b>|2|"}},
        {"<r>top", {"0|<r>|top|"}},
        {"<r><a/>", {"0|<r>||", "1|<a>||e"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseError(c.text, true), "(no exception)");
        EXPECT_EQ(Dump(*TMyXMLNodeList::CreateFromText(c.text)), c.clean);
        auto twoStep = TMyXMLNodeList::CreateFromTextEx(c.text, false);
        twoStep->CleanNow();
        EXPECT_EQ(Dump(*twoStep), c.clean);
    }
    auto raw = TMyXMLNodeList::CreateFromTextEx("<r><a>1</a><b>2", false);
    EXPECT_EQ(raw->NodeText(raw->Count() - 1), "2");
}

TEST(XmlParse, UnquotedAttributesAreErrorsWithTheirPosition) {
    struct Case {
        std::string text;
        const char* message;
        int rawNodes;  // read before the error, kept in the list
    } cases[] = {
        {"<a x=1>", "Attribute \"x\" has no quoted value at line 1, column 6", 0},
        {"<r>\n  <a b=\"1\" x = 1/>\n</r>", "Attribute \"x\" has no quoted value at line 2, column 16", 1},
        {"<r><a>1</a>\r\n<b\r\n x=y>2</b></r>", "Attribute \"x\" has no quoted value at line 3, column 4", 4},
        {"<r>\r<a x=y/></r>", "Attribute \"x\" has no quoted value at line 2, column 6", 1},
        {"<a x>", "Attribute \"x\" has no quoted value at line 1, column 5", 0},
        {"<a x/><b y=\"1\"/>", "Attribute \"x\" has no quoted value at line 1, column 5", 0},
        {"<a x==\"1\">", "Attribute \"x\" has no quoted value at line 1, column 6", 0},
        // A name that is not text is shown readable, in one line.
        {std::string("<a x\0\ny=1>", 10), "Attribute \"x?y\" has no quoted value at line 2, column 3", 0},
    };
    for (bool clean : {false, true}) {
        for (const auto& c : cases) {
            TMyXMLNodeList l;
            EXPECT_EQ(ParseError(c.text, clean, &l), c.message) << c.text;
            EXPECT_EQ(l.Count(), c.rawNodes) << c.text;
        }
    }
    // Quoted values, single or double, with blanks around "=" stay accepted.
    EXPECT_EQ(ParseError("<a x = '1' y=\n\"2\"/>", true), "(no exception)");
}

TEST(XmlParse, NestingDeeperThanTheLimitIsRefused) {
    auto nested = [](int depth, const std::string& inner) {
        std::string s;
        for (int k = 0; k < depth; ++k) s += "<e>";
        s += inner;
        for (int k = 0; k < depth; ++k) s += "</e>";
        return s;
    };
    // The deepest document allowed is read, written and read back.
    auto deepest = TMyXMLNodeList::CreateFromText(nested(kMaxXMLDepth, "v"));
    ASSERT_EQ(deepest->Count(), kMaxXMLDepth);
    EXPECT_EQ(deepest->NodeLevel(kMaxXMLDepth - 1), kMaxXMLDepth - 1);
    EXPECT_EQ(deepest->NodeAt(kMaxXMLDepth - 1)->Value, "v");
    EXPECT_EQ(Dump(*TMyXMLNodeList::CreateFromText(deepest->AsText())), Dump(*deepest));

    struct Case {
        std::string text;
        std::string message;
    } cases[] = {
        {nested(kMaxXMLDepth + 1, ""), "Elements nested deeper than 1000 levels at line 1, column 3001"},
        {nested(kMaxXMLDepth, "<x/>"), "Elements nested deeper than 1000 levels at line 1, column 3001"},
        // Far deeper documents stop at the same place instead of running out
        // of memory when written.
        {nested(100000, "v"), "Elements nested deeper than 1000 levels at line 1, column 3001"},
    };
    for (bool clean : {false, true}) {
        for (const auto& c : cases) {
            TMyXMLNodeList l;
            EXPECT_EQ(ParseError(c.text, clean, &l), c.message);
            EXPECT_EQ(l.Count(), kMaxXMLDepth);
            EXPECT_FALSE(l.IsClean);
        }
    }
}

TEST(XmlWrite, CleanListBothLayouts) {
    auto l = TMyXMLNodeList::CreateFromText("<R a=\"1\"><A>1</A><B/><C><D>x</D><E></E></C><F></F><G>v</G></R>");
    l->SetNodeValue(l->Count() - 1, "");
    EXPECT_EQ(l->AsText(-1, false),
              "<R a=\"1\">\r\n"
              "  <A>1</A>\r\n"
              "  <B/>\r\n"
              "  <C>\r\n"
              "    <D>x</D>\r\n"
              "    <E/>\r\n"
              "  </C>\r\n"
              "  <F/>\r\n"
              "  <G></G>\r\n"
              "</R>\r\n");
    EXPECT_EQ(l->AsText(3, true),
              "\t<C>\r\n"
              "\t\t<D>x</D>\r\n"
              "\t\t<E/>\r\n"
              "\t</C>\r\n");
    // A value emptied in the middle becomes an empty element.
    l->SetNodeValue(1, "");
    EXPECT_EQ(l->AsText(1, false), "  <A></A>\r\n");
    EXPECT_EQ(l->AsText(-1, false).find("  <A/>\r\n  <B/>"), 11u);
    EXPECT_EQ(l->AsText(l->Count()), "");
}

TEST(XmlWrite, RawListBothLayouts) {
    auto l = TMyXMLNodeList::CreateFromTextEx("<R a=\"1\"><A>1</A><B/><C><D>x</D></C><E><F/></E><!-- note --></R>", false);
    EXPECT_EQ(l->AsText(-1, false),
              "<R a=\"1\">\r\n"
              "  <A>1</A>\r\n"
              "  <B/>\r\n"
              "  <C>\r\n"
              "    <D>x</D>\r\n"
              "  </C>\r\n"
              "  <E>\r\n"
              "    <F/>\r\n"
              "  </E>\r\n"
              "  <!-- note -->\r\n"
              "</R>\r\n");
    EXPECT_EQ(l->AsText(-1, true),
              "<R a=\"1\">\r\n"
              "\t<A>1</A>\r\n"
              "\t<B/>\r\n"
              "\t<C>\r\n"
              "\t\t<D>x</D>\r\n"
              "\t</C>\r\n"
              "\t<E>\r\n"
              "\t\t<F/>\r\n"
              "\t</E>\r\n"
              "\t<!-- note -->\r\n"
              "</R>\r\n");
}

TEST(XmlWrite, RawSubtrees) {
    auto l = TMyXMLNodeList::CreateFromTextEx("<R><A x=\"1\"><B>1</B></A><C/><D>2</D></R>", false);
    // 0 R, 1 A, 2 B, 3 "1", 4 </B>, 5 </A>, 6 C, 7 D, 8 "2", 9 </D>, 10 </R>
    EXPECT_EQ(l->AsText(1, false), "  <A x=\"1\">\r\n    <B>1</B>\r\n  </A>\r\n");
    EXPECT_EQ(l->AsText(6, false), "  <C/>\r\n");  // an empty element: that element only
    EXPECT_EQ(l->AsText(7, false), "  <D>2</D>\r\n");
    EXPECT_EQ(l->AsText(8, true), "\t\t2\r\n");
}

TEST(XmlWrite, TabLayoutWrapsLongTagsOutsideQuotes) {
    const std::string tag =
        "<Names Language=\"COBOL\" ProductName=\"A product name with blanks that is long\" "
        "SystemName=\"Payroll system of the north\" Version=\"1.0\" Extra=\"x\">";
    auto l = TMyXMLNodeList::CreateFromTextEx("<R>" + tag + "<Item>1</Item></Names></R>", false);
    const std::string text = l->AsText(-1, true);
    EXPECT_NE(text.find("\r\n\t\t\t"), std::string::npos) << text;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        size_t tabs = line.find_first_not_of('\t');
        EXPECT_LE(line.size() - (tabs == std::string::npos ? line.size() : tabs), 101u) << line;
    }
    // The wrapped document reads back to the same tag.
    auto again = TMyXMLNodeList::CreateFromTextEx(text, false);
    EXPECT_EQ(Dump(*again), Dump(*l));
    EXPECT_EQ(again->NodeAt(1)->GetAttribute("ProductName"), "A product name with blanks that is long");
}

TEST(XmlWrite, ValuesAndAttributesReadBackTheSame) {
    auto l = TMyXMLNodeList::CreateFromText("<R><V>x</V><W t=\"1\"/></R>");
    const std::string value = "a < b && c > d \"q\" 'p' &amp;";
    const std::string attr = "say \"hi\" & <b> 'x' &lt;";
    l->SetNodeValue(1, value);
    l->NodeAt(2)->SetAttribute("t", attr);
    l->NodeAt(2)->SetAttribute("u", attr);
    TempDir dir;
    l->SaveToFile(dir.File("v.xml"));
    for (bool tab : {false, true}) {
        auto back = tab ? TMyXMLNodeList::CreateFromText(l->AsText(-1, true))
                        : TMyXMLNodeList::CreateFromFile(dir.File("v.xml"));
        EXPECT_EQ(back->NodeAt(1)->Value, value);
        EXPECT_EQ(back->NodeAt(2)->GetAttribute("t"), attr);
        EXPECT_EQ(back->NodeAt(2)->GetAttribute("u"), attr);
    }
}

TEST(XmlWrite, ForeignEntitiesDecodedButRawBytesKept) {
    const std::string doc = "<A t=\"a &amp; b\">R&amp;D &lt;1&gt; &#65;&#x42;&#8364; &unknown; &amp</A>";
    auto clean = TMyXMLNodeList::CreateFromText(doc);
    EXPECT_EQ(clean->NodeAt(0)->Value, "R&D <1> AB\x80 &unknown; &amp");
    EXPECT_EQ(clean->NodeAt(0)->GetAttribute("t"), "a & b");
    auto raw = TMyXMLNodeList::CreateFromTextEx(doc, false);
    EXPECT_EQ(raw->AsText(), doc + "\r\n");
}

TEST(XmlWrite, ReferencesToCharactersOutsideTheCodePageSurvive) {
    const std::string doc = "<R t=\"&#x4E2D;\"><V>&#x4E2D; &#20013;&#128512; &#65;&#x80;</V></R>";
    auto l = TMyXMLNodeList::CreateFromText(doc);
    // What the code page holds is decoded; the rest stays as written.
    EXPECT_EQ(l->NodeAt(1)->Value, "&#x4E2D; &#20013;&#128512; A&#x80;");
    EXPECT_EQ(l->NodeAt(0)->GetAttribute("t"), "&#x4E2D;");
    l->NodeAt(0)->SetAttribute("u", l->NodeAt(0)->GetAttribute("t"));
    // A value typed as the text "&#65;" is not a reference and stays text.
    l->AddNode(TMyXMLNode::Create(1, "<W>"), 3)->Value = "&#65; &#x4E2D;";
    EXPECT_EQ(l->AsText(),
              "<R t=\"&#x4E2D;\" u=\"&#x4E2D;\">\r\n"
              "  <V>&#x4E2D; &#20013;&#128512; A&#x80;</V>\r\n"
              "  <W>&amp;#65; &#x4E2D;</W>\r\n"
              "</R>\r\n");
    TempDir dir;
    l->SaveToFile(dir.File("refs.xml"));
    auto back = TMyXMLNodeList::CreateFromFile(dir.File("refs.xml"));
    EXPECT_EQ(Dump(*back), Dump(*l));
    EXPECT_EQ(back->NodeAt(2)->Value, "&#65; &#x4E2D;");
}

TEST(XmlRoundTrip, FixturesInBothLayouts) {
    for (const char* name : kFixtures) {
        SCOPED_TRACE(name);
        const std::string original = ReadFile(Fixture(name));

        // Raw lists: the written text reads back to the same nodes, and
        // writing that again gives the same text.
        for (bool tab : {false, true}) {
            auto raw = TMyXMLNodeList::CreateFromTextEx(original, false);
            const std::string once = raw->AsText(-1, tab);
            auto again = TMyXMLNodeList::CreateFromTextEx(once, false);
            EXPECT_EQ(Dump(*again), Dump(*raw));
            EXPECT_EQ(again->AsText(-1, tab), once);
        }

        // Clean lists through the file, and through the tab layout.
        TempDir dir;
        auto clean = TMyXMLNodeList::CreateFromFile(Fixture(name));
        clean->SaveToFile(dir.File("out.xml"));
        auto back = TMyXMLNodeList::CreateFromFile(dir.File("out.xml"));
        EXPECT_EQ(Dump(*back), Dump(*clean));
        EXPECT_EQ(back->ProcessingHeader, clean->ProcessingHeader);
        EXPECT_EQ(back->DocTypeHeader, clean->DocTypeHeader);
        back->SaveToFile(dir.File("out2.xml"));
        EXPECT_EQ(ReadFile(dir.File("out2.xml")), ReadFile(dir.File("out.xml")));
        auto viaTabs = TMyXMLNodeList::CreateFromText(clean->AsText(-1, true));
        EXPECT_EQ(Dump(*viaTabs), Dump(*clean));
    }
}

TEST(XmlRoundTrip, MetricDocumentContent) {
    auto l = TMyXMLNodeList::CreateFromFile(Fixture("metric_qmetrics.xml"));
    EXPECT_EQ(l->DocTypeHeader, "<!--DOCTYPE QMETRICS SYSTEM \"Qmetrics.xsd\"-->\r\n");
    TMyXMLNode* file = l->NodeByTag("METRIC_FILE");
    EXPECT_TRUE(file->IsEmpty);
    EXPECT_EQ(file->GetAttribute("Product"), "Demo Suite");
    l->SetCursor(1);
    ASSERT_TRUE(l->Locate("METRIC_ENTITY", {"EName", "Billing & Tax"}));
    ASSERT_TRUE(l->CurrentNode()->FindChild("Effort"));
    EXPECT_DOUBLE_EQ(l->CurrentNode()->AsFloat(), 3.5);
    EXPECT_EQ(l->CurrentNode()->GetAttribute("Unit"), "Months");
    EXPECT_EQ(l->NodeByTagFrom("Notes", l->CursorIndex)->Value, "R&D <draft>");
    EXPECT_TRUE(l->NodeByTag("Remark")->IsEmpty);
    EXPECT_EQ(l->NodeByTagFrom("Completness", 0)->AsFloat(), 0.75);
}

TEST(XmlFiles, FilesAreReadByteForByteWhateverTheirLineEnds) {
    TempDir dir;
    for (const std::string eol : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(eol == "\n" ? "LF" : eol == "\r\n" ? "CR LF" : "CR");
        const std::string text = "<?xml version=\"1.0\"?>" + eol + "<!--DOCTYPE R SYSTEM \"r.dtd\"-->" + eol +
                                 "<R>" + eol + "  <A x=\"1\"" + eol + "     y=\"2\">one" + eol + "two</A>" + eol +
                                 "  <!-- note" + eol + " -->" + eol + "  <B/>" + eol + "</R>" + eol;
        {
            std::ofstream(dir.File("eol.xml"), std::ios::binary) << text;
        }
        auto fromFile = TMyXMLNodeList::CreateFromFile(dir.File("eol.xml"));
        auto fromText = TMyXMLNodeList::CreateFromText(text);
        EXPECT_EQ(Dump(*fromFile), Dump(*fromText));
        EXPECT_EQ(fromFile->NodeAt(1)->Value, "one" + eol + "two");
        EXPECT_EQ(fromFile->ProcessingHeader, "<?xml version=\"1.0\"?>\r\n");
        EXPECT_EQ(fromFile->DocTypeHeader, "<!--DOCTYPE R SYSTEM \"r.dtd\"-->\r\n");
    }
    // A file of several megabytes is read whole.
    std::string big = "<R>";
    for (int k = 0; big.size() < 3u * 1024 * 1024; ++k) big += "<E n=\"" + std::to_string(k) + "\">v</E>\r\n";
    big += "<Last>end</Last></R>";
    {
        std::ofstream(dir.File("big.xml"), std::ios::binary) << big;
    }
    auto l = TMyXMLNodeList::CreateFromFile(dir.File("big.xml"));
    EXPECT_EQ(Dump(*l), Dump(*TMyXMLNodeList::CreateFromText(big)));
    EXPECT_EQ(l->NodeAt(l->Count() - 1)->Value, "end");
}

TEST(XmlFiles, ConstructsAcrossTheLoadersReadPiecesReadAsFromText) {
    // The loader reads a file in pieces of this size; each construct is put
    // at every position around the end of the first piece, so that the end
    // falls before it, inside it (at each of its characters) and after it.
    constexpr size_t kPiece = 256 * 1024;
    const std::string bigText(600 * 1024, 'x');
    const std::string constructs[] = {
        "<A x=\"1\"  y = '2 \"q\"' z=\"a>b\">v &amp; w</A>",
        "<B/>",
        "<C k=\"v\"/>",
        "<D>one<![CDATA[ <two> & ]]>three</D>",
        "<E><![CDATA[]]></E>",
        "<F><!-- a comment - with -- dashes --></F>",
        "<G><?pi some ? thing?></G>",
        "<!--DOCTYPE X SYSTEM \"x.xsd\"-->",
        "<H>text</H >",
        "<I></ I>",
        "<J>\r\n  line one\r\n  line two\r\n</J>",
        "<K>&#65;&#x4E2D;&lt;</K>",
        // Longer than a piece: text, an attribute value, a comment.
        "<L>" + bigText + "</L>",
        "<M v=\"" + bigText + "\"/>",
        "<N><!--" + bigText + "--></N>",
    };
    TempDir dir;
    const std::string file = dir.File("pieces.xml");
    for (const std::string& c : constructs) {
        SCOPED_TRACE(c.substr(0, 40));
        const std::string head = "<?xml version=\"1.0\"?>\r\n<R>\r\n<P>";
        const std::string tail = "\r\n<Z>end</Z></R>\r\n";
        const size_t reach = c.size() <= 48 ? c.size() : 4;
        for (size_t before = 0; before <= reach + 2; ++before) {
            // The filler is one text line, so the construct begins at
            // kPiece - before.
            const size_t fill = kPiece - before - head.size() - 4;
            const std::string text = head + std::string(fill, 'f') + "</P>" + c + tail;
            {
                std::ofstream(file, std::ios::binary) << text;
            }
            auto fromFile = TMyXMLNodeList::CreateFromFile(file);
            auto fromText = TMyXMLNodeList::CreateFromText(text);
            ASSERT_EQ(Dump(*fromFile), Dump(*fromText)) << "construct at " << kPiece - before;
            ASSERT_EQ(fromFile->ProcessingHeader, fromText->ProcessingHeader);
            ASSERT_EQ(fromFile->DocTypeHeader, fromText->DocTypeHeader);
            ASSERT_TRUE(fromFile->IsClean);
        }
    }
}

TEST(XmlFiles, ErrorsFarIntoAFileNameTheirLineAndKeepWhatWasRead) {
    std::string good = "<R>\r\n";
    for (int k = 0; good.size() < 700u * 1024; ++k) good += "  <E n=\"" + std::to_string(k) + "\">v</E>\r\n";
    const std::string bad[] = {"  <a x=1/>\r\n</R>", "  <a></b>\r\n</R>", "<e>"};
    TempDir dir;
    for (const std::string& b : bad) {
        SCOPED_TRACE(b);
        const std::string text = good + b;
        {
            std::ofstream(dir.File("bad.xml"), std::ios::binary) << text;
        }
        TMyXMLNodeList fromFile;
        std::string message = "(no exception)";
        try {
            fromFile.LoadFromFile(dir.File("bad.xml"));
        } catch (const Exception& e) {
            message = e.Message();
        }
        TMyXMLNodeList fromText;
        EXPECT_EQ(message, ParseError(text, true, &fromText));
        EXPECT_EQ(Dump(fromFile), Dump(fromText));
        EXPECT_EQ(fromFile.IsClean, fromText.IsClean);
    }
}

TEST(XmlFiles, MissingAndUnwritableFiles) {
    TMyXMLNodeList l;
    try {
        l.LoadFromFile("/nonexistent/none.xml");
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), "Can not open file /nonexistent/none.xml");
    }
    EXPECT_THROW(l.SaveToFile("/nonexistent/dir/out.xml"), EFileError);
    // A folder is no document: reading it fails instead of giving an empty one.
    TempDir dir;
    EXPECT_THROW(l.LoadFromFile(dir.File("")), EFileError);
    // Nor are a FIFO (whose open would wait for a writer) or a device.
    ASSERT_EQ(::mkfifo(dir.File("pipe.xml").c_str(), 0600), 0);
    for (const std::string odd : {dir.File("pipe.xml"), std::string("/dev/zero")}) {
        try {
            l.LoadFromFile(odd);
            FAIL() << odd;
        } catch (const EFileError& e) {
            EXPECT_EQ(e.Message(), "Can not open file " + odd + ": not a regular file");
        }
    }
}
