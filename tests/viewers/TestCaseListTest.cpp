// The test case list editor's data and files without widgets: the
// identifier width, both cleanups at loading, deleting and undoing, the save
// pass, and the companions and count written on the fixture installation.
#include "Exceptions.h"
#include "TestCaseFiles.h"
#include "TestCaseList.h"
#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string S = std::string(kTestCaseSeparator) + "------";
const std::string H = kTestCaseHeader;

// A test case line: the identifier in its column, then the content (by
// default one of its own).
std::string Tc(const std::string& id, const std::string& content = "") {
    std::string line = id;
    line.resize(std::max<size_t>(13, id.size() + 1), ' ');
    return line + (content.empty() ? "Func     title of " + id : content);
}

TEST(TestCaseListing, IdentifierWidth) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        int width;
    } cases[] = {
        {"no lines", {}, 12},
        {"six-character identifiers", {S, H, S, Tc("TC0001"), Tc("TC0002")}, 6},
        {"the header alone", {S, H, S}, 11},
        {"blank heads are passed over", {"", std::string(12, ' ') + "x", Tc("TC00001")}, 7},
        {"leading blanks are trimmed", {"  AB" + std::string(10, ' ') + "x"}, 2},
        {"the head is twelve characters", {"TC01 Func    REQ"}, 9},
        {"only the first 16 lines count",
         [] {
             std::vector<std::string> l(16, Tc("TC000001"));
             l.push_back(Tc("T1"));
             return l;
         }(),
         8},
    };
    for (const auto& c : cases) EXPECT_EQ(TestCaseIdentifierWidth(c.lines), c.width) << c.what;
}

TEST(TestCaseListing, CleanupsAtLoading) {
    const std::string a = Tc("TC0001", "Func REQ-1 same text");
    const std::string b = Tc("TC0002", "Func REQ-1 same text"); // same content from the 7th character
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::vector<std::string> shown;
        bool cleaned;
    } cases[] = {
        {"a listing ending in a page head loses it", {S, H, S, a, S, H, S}, {S, H, S, a}, true},
        {"at most three lines go", {S, H, S, a, H, S, H, S}, {S, H, S, a, H}, true},
        {"a page break inside a test case goes",
         {S, H, S, Tc("TC0009"), a, S, H, S, b, Tc("TC0010")},
         {S, H, S, Tc("TC0009"), a, b, Tc("TC0010")},
         true},
        {"different contents keep the page",
         {S, H, S, Tc("TC0009"), a, S, H, S, Tc("TC0010"), Tc("TC0011")},
         {S, H, S, Tc("TC0009"), a, S, H, S, Tc("TC0010"), Tc("TC0011")},
         false},
        // The line three after the separator lies past the end: it does not
        // equal the empty content of the line before the separator.
        {"a line past the end is not equal",
         {S, H, S, Tc("TC0009"), "TC0010", S, H, Tc("TC0011")},
         {S, H, S, Tc("TC0009"), "TC0010", S, H, Tc("TC0011")},
         false},
    };
    for (const auto& c : cases) {
        TTestCaseList list;
        EXPECT_EQ(list.Load(c.lines), c.cleaned) << c.what;
        EXPECT_EQ(list.Working(), c.shown) << c.what;
        ASSERT_EQ(list.LineCount(), static_cast<int>(c.shown.size())) << c.what;
        for (int i = 0; i < list.LineCount(); ++i) EXPECT_EQ(list.Line(i), c.shown[static_cast<size_t>(i)]);
    }
    // Contents compare from the character after the identifier.
    TTestCaseList list;
    list.Load(cases[2].lines);
    EXPECT_EQ(list.Width(), 6);
    EXPECT_EQ(TestCaseContent(a, 6), TestCaseContent(b, 6));
    EXPECT_EQ(TestCaseContent(std::string(90, 'x'), 6).size(), 74u);
}

class TestCaseEditing : public ::testing::Test {
protected:
    // 0 S, 1 H, 2 S, 3 TC1, 4 TC2, 5 TC3, 6 S, 7 H, 8 S, 9 TC4, 10 TC5, 11 S, 12 H, 13 S, 14 TC6
    void SetUp() override {
        lines = {S, H, S, Tc("TC0001"), Tc("TC0002"), Tc("TC0003"), S, H, S, Tc("TC0004"), Tc("TC0005"),
                 S, H, S, Tc("TC0006")};
        list.Load(lines);
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> v;
        for (int i = 0; i < list.LineCount(); ++i) v.push_back(list.Line(i));
        return v;
    }
    std::vector<std::string> lines;
    TTestCaseList list;
};

TEST_F(TestCaseEditing, DeletingLeavesHeadsAndUndoRestoresBlocksInReverse) {
    // A range over a page break removes only the test case lines, the last
    // first, each entry with the line's number.
    EXPECT_EQ(list.Delete(4, 9), (std::vector<int>{9, 5, 4}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{S, H, S, Tc("TC0001"), S, H, S, Tc("TC0005"), S, H, S, Tc("TC0006")}));
    ASSERT_EQ(list.UndoList().size(), 3u);
    EXPECT_TRUE(list.UndoList().back().blockMark);
    EXPECT_FALSE(list.UndoList().front().blockMark);
    // A second block.
    EXPECT_EQ(list.Delete(11, 11), (std::vector<int>{11}));
    EXPECT_EQ(list.Delete(3, 3), (std::vector<int>{3}));
    // Single undos come from the last block first.
    auto r = list.Undo();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->line, 3);
    EXPECT_EQ(r->text, Tc("TC0001"));
    // Two block undos: the second block, then the first, in reverse order.
    auto b = list.UndoBlock();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].text, Tc("TC0006"));
    b = list.UndoBlock();
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].line, 4);
    EXPECT_EQ(b[2].line, 9);
    EXPECT_EQ(Shown(), lines);
    EXPECT_FALSE(list.CanUndo());
    EXPECT_FALSE(list.Undo());
}

TEST_F(TestCaseEditing, ADeletionOfNothingMarksNothing) {
    // On an empty undo list (once a failure) and after other deletions.
    EXPECT_TRUE(list.Delete(0, 2).empty());
    EXPECT_TRUE(list.UndoList().empty());
    list.Delete(9, 10);
    list.Undo(); // the marked entry goes; an unmarked one stays on top
    ASSERT_EQ(list.UndoList().size(), 1u);
    EXPECT_TRUE(list.Delete(6, 8).empty());
    EXPECT_FALSE(list.UndoList().back().blockMark);
}

TEST_F(TestCaseEditing, EqualLinesEachKeepTheirOwnWorkingLine) {
    // Two equal test cases apart from each other: deleting the second
    // removes it, not the first (nor, on saving, an unrelated line).
    TTestCaseList twins;
    twins.Load({S, H, S, Tc("TC0001"), Tc("TC0002"), Tc("TC0001"), Tc("TC0003")});
    twins.Delete(5, 5);
    EXPECT_EQ(twins.UndoList().at(0).working, 5);
    twins.Delete(3, 3);
    EXPECT_EQ(twins.UndoList().at(1).working, 3);
    const auto saved = twins.Apply();
    EXPECT_EQ(saved.lines, (std::vector<std::string>{S, H, S, Tc("TC0002"), Tc("TC0003")}));
    EXPECT_EQ(saved.deleted, (TTestCaseIds{"TC0001"}));
}

TEST_F(TestCaseEditing, SaveRemovesDeletedLinesAndEmptiedPages) {
    list.Delete(9, 10);
    const auto saved = list.Apply();
    EXPECT_EQ(saved.lines, (std::vector<std::string>{S, H, S, Tc("TC0001"), Tc("TC0002"), Tc("TC0003"), S, H, S,
                                                     Tc("TC0006")}));
    EXPECT_EQ(saved.deleted, (TTestCaseIds{"TC0004", "TC0005"}));
    EXPECT_EQ(CountTestCaseLines(saved.lines), 4);
    // The last page emptied: its head goes with the trailing cleanup.
    list.Delete(list.LineCount() - 1, list.LineCount() - 1);
    EXPECT_EQ(list.Apply().lines, (std::vector<std::string>{S, H, S, Tc("TC0001"), Tc("TC0002"), Tc("TC0003")}));
    // Empty lines count as test case lines.
    EXPECT_EQ(CountTestCaseLines({S, H, S, "", Tc("TC0001")}), 2);
}

TEST(TestCaseListing, LinesPast100000AreRemovedByNumber) {
    // As text "100002" sorts before "99998": a text order would remove the
    // wrong lines once the second shifted.
    std::vector<std::string> lines{S, H, S};
    for (int i = 0; lines.size() < 100010; ++i) lines.push_back(Tc("T" + std::to_string(100000 + i)));
    TTestCaseList list;
    list.Load(lines);
    const std::string a = lines[99998], b = lines[100002];
    list.Delete(100002, 100002);
    list.Delete(99998, 99998);
    const auto saved = list.Apply();
    ASSERT_EQ(saved.lines.size(), lines.size() - 2);
    std::vector<std::string> expected = lines;
    expected.erase(expected.begin() + 100002);
    expected.erase(expected.begin() + 99998);
    EXPECT_EQ(saved.lines, expected);
    EXPECT_EQ(list.Width(), 7);
    EXPECT_EQ(saved.deleted, (TTestCaseIds{a.substr(0, 7), b.substr(0, 7)}));
}

// ------------------------------------------------------------ files

class TestCaseFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(FIXTURES_DIR "/cases", dir.Path(), fs::copy_options::recursive);
        listing = dir / "Cases/PAY.txt";
        list.Load(ReadTextLines(listing).lines);
    }
    // Deletes the listing's lines of those test cases and saves.
    std::vector<std::string> Save(const std::vector<std::string>& ids, bool skip = false) {
        for (int i = list.LineCount() - 1; i >= 0; --i)
            for (const auto& id : ids)
                if (list.Line(i).rfind(id, 0) == 0) list.Delete(i, i);
        auto saved = list.Apply();
        TTestCaseSave save;
        save.listing = listing;
        save.text = ReadTextLines(listing);
        save.text.lines = saved.lines;
        save.deleted = saved.deleted;
        save.width = list.Width();
        save.skipCompanions = skip;
        save.outputDir = dir.Path();
        save.systemName = "PAY";
        return SaveTestCaseFiles(save);
    }
    static std::string Without(std::string text, const std::vector<std::string>& parts) {
        for (const auto& p : parts) {
            const size_t at = text.find(p);
            if (at != std::string::npos) text.erase(at, p.size());
        }
        return text;
    }
    pemtest::TempDir dir;
    std::string listing;
    TTestCaseList list;
};

TEST_F(TestCaseFiles, AnEmptiedPageTheCompanionsAndTheCountKeepTheirLineEnds) {
    const std::string txt = pemtest::ReadFile(listing), csv = pemtest::ReadFile(dir / "Cases/PAY.csv"),
                      xml = pemtest::ReadFile(dir / "Cases/PAY.xml"), met = pemtest::ReadFile(dir / "Metrics/PAY.met");
    EXPECT_EQ(list.Width(), 6);
    EXPECT_TRUE(Save({"TC0004", "TC0005"}).empty());
    // The second page is gone with its head; every other byte stays.
    const std::string sep = std::string(82, '-') + "\r\n";
    const std::string head = sep + H + "\r\n" + sep;
    const size_t page2 = txt.find(head, txt.find("TC0003"));
    const size_t page3 = txt.find(head, page2 + 1);
    EXPECT_EQ(pemtest::ReadFile(listing), txt.substr(0, page2) + txt.substr(page3));
    EXPECT_EQ(pemtest::ReadFile(dir / "Cases/PAY.csv"),
              Without(csv, {"\"TC0004\";\"Func\";\"REQ-3\";\"Change the password\"\r\n",
                            "\"TC0005\";\"Func\";\"REQ-3\";\"Refuse a password used before\"\r\n"}));
    EXPECT_EQ(pemtest::ReadFile(dir / "Cases/PAY.xml"),
              Without(xml, {"     <TestFall Id = \"TC0004\">\r\n        <Titel>Change the password</Titel>\r\n"
                            "        <Typ>Positive</Typ>\r\n     </TestFall>\r\n",
                            "     <TestFall Id = \"TC0005\">\r\n        <Titel>Refuse a password used before</Titel>\r\n"
                            "        <Typ>Negative</Typ>\r\n     </TestFall>\r\n"}));
    EXPECT_EQ(pemtest::ReadFile(dir / "Metrics/PAY.met"),
              Without(met, {"        6     |"}).insert(met.find("=======>        6") + 8, "        4     |"));
    EXPECT_EQ(TestCaseCountLine(4), "|       Number of Test Cases extracted           =======>        4     |");
}

TEST_F(TestCaseFiles, AMissingCompanionIsReportedAndTheRestWritten) {
    fs::remove(dir / "Cases/PAY.xml");
    fs::remove(dir / "Metrics/PAY.met"); // passed over without a word
    EXPECT_EQ(Save({"TC0002"}), std::vector<std::string>{"XML version of " + listing + " is not found"});
    EXPECT_EQ(pemtest::ReadFile(listing).find("TC0002"), std::string::npos);
    EXPECT_EQ(pemtest::ReadFile(dir / "Cases/PAY.csv").find("TC0002"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "Metrics/PAY.met"));
    fs::remove(dir / "Cases/PAY.csv");
    EXPECT_EQ(Save({"TC0003"}), (std::vector<std::string>{"CSV version of " + listing + " is not found",
                                                          "XML version of " + listing + " is not found"}));
}

TEST_F(TestCaseFiles, CompanionsAreLeftAloneInMethodFileMode) {
    const std::string csv = pemtest::ReadFile(dir / "Cases/PAY.csv");
    const std::string met = pemtest::ReadFile(dir / "Metrics/PAY.met");
    fs::remove(dir / "Cases/PAY.xml");
    EXPECT_TRUE(Save({"TC0001"}, true).empty());
    EXPECT_EQ(pemtest::ReadFile(dir / "Cases/PAY.csv"), csv);
    EXPECT_EQ(pemtest::ReadFile(dir / "Metrics/PAY.met"), met);
}

TEST_F(TestCaseFiles, AnUnfinishedXmlBlockRunsToTheEndAndLineEndsStayAsRead) {
    // LF line ends are kept, and a file that ended without a line end
    // still does.
    const std::string xml = dir / "Cases/PAY.xml";
    pemtest::WriteFile(xml, "<a>\n     <TestFall Id = \"TC0001\">\n     </TestFall>\n"
                            "     <TestFall Id = \"TC0002\">\n  <x/>\n</a>");
    EXPECT_EQ(PruneTestCaseXml(xml, {"TC0002"}, 6), 1);
    EXPECT_EQ(pemtest::ReadFile(xml), "<a>\n     <TestFall Id = \"TC0001\">\n     </TestFall>");
    pemtest::WriteFile(xml, "x\r\n\"TC0001\"\r\n\"TC0002\"");
    EXPECT_EQ(PruneTestCaseCsv(xml, {"TC0001"}, 6), 1);
    EXPECT_EQ(pemtest::ReadFile(xml), "x\r\n\"TC0002\"");
    EXPECT_THROW(ReadTextLines(dir / "none.txt"), EFileError);
}

} // namespace
