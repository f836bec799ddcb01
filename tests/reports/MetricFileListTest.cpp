// The metric file list without widgets: metric document heads, which files
// enter the list, the common root and the metrics file lists.
#include "MetricFileList.h"
#include "MetricTemplates.h"
#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;

namespace {

std::string Head(const char* type, const char* product, const char* system) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<!--DOCTYPE ") + type + " SYSTEM \"x.xsd\"-->\n<" +
           type + ">\n  <METRIC_FILE Product=\"" + product + "\" System=\"" + system +
           "\" Version=\"1.0\" Date=\"2011-01-07\" Source=\"Tool\"/>\n</" + type + ">\n";
}

TStringList Table() {
    TStringList t;
    t.SetText(kKodToLabelTable);
    return t;
}

} // namespace

TEST(MetricFileList, HeadsGiveTypeProductAndSystem) {
    std::vector<std::string> eleven(10, "<!-- filler -->");
    eleven[1] = "<SMETRICS>";
    eleven.push_back("  <METRIC_FILE Product=\"Demo\" System=\"PAY\"/>");
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        const char* type;
        const char* product;
        const char* system;
    } cases[] = {
        {"plain", {"<?xml version=\"1.0\"?>", "<!--DOCTYPE CMETRICS SYSTEM \"c.xsd\"-->", "<CMETRICS>",
                   "  <METRIC_FILE Product=\" Demo \" System=\"PAY\" Version=\"1\"/>"},
         "CMETRICS", "Demo", "PAY"},
        {"root tag decides", {"<!--DOCTYPE CMETRICS SYSTEM \"c.xsd\"-->", "<OMETRICS>"}, "OMETRICS", "?", "?"},
        {"root tag on the comment's line", {"<!--DOCTYPE CMETRICS SYSTEM \"c.xsd\"--><OMETRICS>"}, "OMETRICS", "?",
         "?"},
        {"METRIC root", {"<DBMETRIC>", "<METRIC_FILE System=\"DB\"/>"}, "DBMETRIC", "?", "DB"},
        {"nothing read after the system", {"<QMETRICS>", "<METRIC_FILE Product=\"A\" System=\"S\"/>", "<OMETRICS>"},
         "QMETRICS", "A", "S"},
        {"system on line 11", eleven, "SMETRICS", "?", "?"},
        {"no head", {"<root>", "<a>1</a>"}, "?", "?", "?"},
    };
    for (const auto& c : cases) {
        const TMetricFileHeader h = ParseMetricFileHeader(c.lines);
        EXPECT_EQ(h.Type, c.type) << c.name;
        EXPECT_EQ(h.Product, c.product) << c.name;
        EXPECT_EQ(h.System, c.system) << c.name;
    }
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "crlf.xml", "<IMETRICS>\r\n<METRIC_FILE Product=\"P\" System=\"S\"/>\r\n");
    const TMetricFileHeader h = ReadMetricFileHeader(dir / "crlf.xml");
    EXPECT_EQ(h.Type + h.Product + h.System, "IMETRICSPS");
    EXPECT_EQ(ReadMetricFileHeader(dir / "gone.xml").Type, "?");
}

TEST(MetricFileList, WhichFilesEnterTheList) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "Dir/a.xml", Head("CMETRICS", "Demo", "PAY"));
    pemtest::WriteFile(dir / "dir/a.xml", Head("CMETRICS", "Demo", "PAY"));
    pemtest::WriteFile(dir / "Dir/b.XML", Head("OMETRICS", "Other", "WEB"));
    pemtest::WriteFile(dir / "Dir/q.xml", Head("QMETRICS", "Demo", "PAY"));
    pemtest::WriteFile(dir / "Dir/plain.xml", "<root>\n<a>1</a>\n</root>\n");
    pemtest::WriteFile(dir / "Dir/notes.txt", Head("CMETRICS", "Demo", "PAY"));
    const TStringList table = Table();
    const std::string listed = "Demo\tOLD\tCMETRICS\t - " + (dir / "Dir/listed.xml");
    pemtest::WriteFile(dir / "Dir/listed.xml", Head("CMETRICS", "Demo", "OLD"));

    TMetricImport import(table, "DEMO", {listed});
    struct Step {
        std::string file;
        bool added;
    } steps[] = {
        {dir / "Dir/a.xml", true},       {dir / "Dir/a.xml", false},    {dir / "dir/a.xml", true},
        {dir / "Dir/b.XML", true},       {dir / "Dir/q.xml", false},    {dir / "Dir/plain.xml", false},
        {dir / "Dir/notes.txt", false},  {dir / "Dir/gone.xml", false}, {dir / "Dir/listed.xml", false},
    };
    for (const auto& s : steps) EXPECT_EQ(import.Check(s.file), s.added) << s.file;
    ASSERT_EQ(import.Added().size(), 3u);
    EXPECT_EQ(import.Added()[0].Text, "Demo\tPAY\tCMETRICS\t - " + (dir / "Dir/a.xml"));
    EXPECT_TRUE(import.Added()[0].Ticked);
    EXPECT_FALSE(import.Added()[2].Ticked); // another product's file comes unticked
    EXPECT_EQ(import.InvalidList(), ",q.xml - QMETRICS(Defect),plain.xml - ?,gone.xml - ?");
}

TEST(MetricFileList, EntriesKeepTheirPathWhateverTheNames) {
    const TMetricEntry e = SplitMetricEntry("A - B\tSys\tCMETRICS\t - /data/x - y/m.xml ");
    EXPECT_EQ(e.Product, "A - B");
    EXPECT_EQ(e.System, "Sys");
    EXPECT_EQ(e.Type, "CMETRICS");
    EXPECT_EQ(e.Path, "/data/x - y/m.xml");
    EXPECT_EQ(KindLabelOf(Table(), "CMETRICS"), "Prc. Code");
    EXPECT_EQ(KindLabelOf(Table(), "TMETRICS"), "");
    EXPECT_EQ(DisabledLabelOf(Table(), "TMETRICS"), "Test Coverage");
    EXPECT_EQ(Table()[Table().Count() - 1], " ");
}

TEST(MetricFileList, CommonRootKeepsAllButTheDeepestFoldersLastName) {
    struct Case {
        std::vector<std::string> paths;
        const char* root;
        bool ok;
    } cases[] = {
        {{"/a/b/x.xml", "/a/b/y.xml"}, "/a/", true},
        {{"/a/b/x.xml"}, "/a/", true},
        {{"/a/b/x.xml", "/a/c/d/y.xml"}, "/a/", true},
        {{"/a/b/c/x.xml", "/a/b/d/y.xml"}, "/a/b/", true},
        {{"/x.xml", "/a/y.xml"}, "/", true},
        {{}, "/", true},
        {{"C:/a/b/x.xml", "c:/a/b/y.xml"}, "c:/a/", true},
        {{"c:/a/x.xml", "d:/a/y.xml"}, "", false},
    };
    for (const auto& c : cases) {
        bool ok = true;
        EXPECT_EQ(CommonRootOf(c.paths, ok), c.root) << c.paths.size();
        EXPECT_EQ(ok, c.ok);
    }
}

TEST(MetricFileList, FileListsAreOnePathPerLine) {
    pemtest::TempDir dir;
    EXPECT_EQ(MetricsFileListText({"/a/x.xml", "/b/y.xml"}), "/a/x.xml\n/b/y.xml\n");
    pemtest::WriteFile(dir / "l.flst", "/a/x.xml\r\n/b/y.xml\r\n");
    EXPECT_EQ(ReadMetricsFileList(dir / "l.flst"), (std::vector<std::string>{"/a/x.xml", "/b/y.xml"}));
    EXPECT_EQ(pemtest::MessageOf<std::exception>([&] { ReadMetricsFileList(dir / "gone.flst"); }),
              "Can not open file " + (dir / "gone.flst"));
}
