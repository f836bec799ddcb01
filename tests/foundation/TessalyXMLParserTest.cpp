// The XML parser and writer: nodes and levels, headers, errors, both layouts,
// subtrees, escaping, and round trips of documents shaped like the program's.
#include "Exceptions.h"
#include "TessalyXML.h"

#include <gtest/gtest.h>

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
         {"0|<R>||", "1|<A>|x|"}},
        // An empty section is closed at once and does not swallow the rest.
        {"<R><A><![CDATA[]]></A><B>2</B></R>", "", {"0|<R>||", "1|<A>||e", "1|<B>|2|"}},
        {"<R><A><![CDATA[a]]]></A><B>2</B></R>", "", {"0|<R>||", "1|<A>||e", "1|<B>|2|"}},
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

TEST(XmlFiles, MissingAndUnwritableFiles) {
    TMyXMLNodeList l;
    try {
        l.LoadFromFile("/nonexistent/none.xml");
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), "Can not open file /nonexistent/none.xml");
    }
    EXPECT_THROW(l.SaveToFile("/nonexistent/dir/out.xml"), EFileError);
}
