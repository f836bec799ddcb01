// The widget-free readers of the listing viewers: the listing's place and
// its source files, the module specification listing with its cleaning
// rules and section entries, the plain listing's objects, the
// post-documentation listings with their structures and entries, and the
// deficiency listing with its three groupings. Fixtures: small hand-made
// listings in tests/fixtures/listings.
#include "BaseFileUtils.h"
#include "CaseInsensitivePath.h"
#include "DefiListing.h"
#include "Exceptions.h"
#include "ListingSource.h"
#include "PlantedFifo.h"
#include "PostDocListing.h"
#include "SpecsListing.h"
#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kListings = FIXTURES_DIR "/listings";

std::string Fixture(const std::string& rel) { return pemtest::ReadFile(kListings + "/" + rel); }

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

const std::string kBorder = "+" + std::string(118, '-') + "+";
const std::string kSeparator = "+" + std::string(53, '-');

std::string Box(const std::string& text) {
    std::string s = "|" + text;
    s.resize(119, ' ');
    return s + "|";
}
std::vector<std::string> PageHeader(const std::string& nameLine) {
    return {kBorder,
            Box("          P E M A R I S   M O D U L E   S P E C I F I C A T I O N"),
            Box(""),
            Box(" SYSTEM: PAY"),
            Box(" PRODUCT: DEMO"),
            Box(" COMPONENT: COMP"),
            Box(" LANGUAGE: JAVA"),
            Box(nameLine)};
}
std::vector<std::string> Title(const std::string& t) { return {kBorder, Box("        " + t), kBorder}; }
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ------------------------------------------------------------ lines and places

TEST(ListingLines, EveryLineEndMakesOneLineAndNoCarriageReturnStays) {
    EXPECT_EQ(SplitListingLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitListingLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(SplitListingLines("").empty());
    // Binary zeros are text like any other.
    EXPECT_EQ(SplitListingLines(std::string("a\0b\n", 4)), (std::vector<std::string>{std::string("a\0b", 3)}));
}

// A file is read a block (a megabyte) at a time: lines and line ends
// across the blocks' borders come out as from the whole text.
TEST(ListingLines, AFileReadInBlocksGivesTheLinesOfItsText) {
    pemtest::TempDir dir;
    constexpr size_t kBlock = 1 << 20;
    for (const std::string& border : {std::string("\r\n"), std::string("\r"), std::string("\n\r"), std::string("ab")}) {
        std::string text(kBlock - 1, 'x');
        for (size_t i = 100; i < text.size(); i += 1000) text[i] = '\n';
        text += border + "tail\r\n";
        const std::string file = dir / "f.txt";
        pemtest::WriteFile(file, text);
        EXPECT_EQ(ReadListingLines(file), SplitListingLines(text)) << border.size();
    }
    // What is not a regular file is refused at once: a FIFO does not hold
    // the reader until something writes to it.
    pemtest::PlantedFifo fifo(dir / "fifo.def");
    ASSERT_TRUE(fifo.Made());
    for (const std::string& odd : {dir.Path(), dir / "fifo.def"})
        EXPECT_EQ(pemtest::MessageOf<EFileError>([&] { ReadListingLines(odd); }),
                  "Can not open file " + odd + ": not a regular file");
    EXPECT_FALSE(fifo.Released());
    EXPECT_EQ(pemtest::MessageOf<EFileError>([&] { ReadListingLines(dir / "none"); }),
              "Can not open file " + dir / "none");
    // The deficiency reader gives the same from the file as from its text.
    const TDefiListing fromFile = ReadDefiListingFile(kListings + "/payroll.def", false);
    const TDefiListing fromText = ReadDefiListing(Fixture("payroll.def"), false);
    EXPECT_EQ(fromFile.sourceNames, fromText.sourceNames);
    EXPECT_EQ(fromFile.statistics, fromText.statistics);
    EXPECT_EQ(fromFile.items.size(), fromText.items.size());
}

TEST(ListingLines, IntegersAreWholeTrimmedNumbers) {
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {{"  12 ", 12},
                 {"+7", 7},
                 {"-3", -3},
                 {"", std::nullopt},
                 {"1a", std::nullopt},
                 {"ab", std::nullopt},
                 {"99999999999", std::nullopt},
                 {"1 2", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << c.text;
}

TEST(ListingPlace, ThePathBelowTheResultFolderNamesComponentModuleAndSource) {
    const struct {
        const char* file;
        const char* component;
        const char* module;
        const char* source;
        const char* text;
    } cases[] = {
        {"/o/Specs/COMP/MOD/a.cbl.spc", "COMP", "MOD", "a.cbl.spc", "Component: COMP Module: MOD Source: a.cbl.spc"},
        // No source: the module loses its extension.
        {"/o/Specs/COMP/MOD.spc", "COMP", "MOD", "", "Component: COMP Module: MOD"},
        // No module either: the component loses its extension.
        {"/o/specs/SYS.spc", "SYS", "", "", "Component: SYS"},
        {"/o/Specs/COMP/MOD/sub/x.c", "COMP", "MOD", "sub", "Component: COMP Module: MOD Source: sub"},
    };
    for (const auto& c : cases) {
        const TListingPlace p = SplitListingPath(c.file, "/o", "Specs");
        EXPECT_EQ(p.component, c.component) << c.file;
        EXPECT_EQ(p.module, c.module) << c.file;
        EXPECT_EQ(p.source, c.source) << c.file;
        EXPECT_EQ(ListingPlaceText(p), c.text) << c.file;
    }
    EXPECT_EQ(ListingPlaceText({"", "M", "s"}), " Module: M Source: s");
    EXPECT_EQ(SplitListingPath("/o/Defis/C/M/x.def", "/o/", "Defis").source, "x.def");
}

// Which file the lookup finds, tried in its order, in a temporary tree.
TEST(ListingSourceFiles, TheLookupTriesItsPathsInOrder) {
    pemtest::TempDir root;
    const TListingPlace place{"COMP", "MOD", ""};
    const auto longExt = [](const std::string& ext, std::string& l) {
        l = ext == ".JAV" ? ".java" : ext;
        return l != ext;
    };
    const struct {
        std::vector<std::string> files;
        const char* name;
        const char* found; // "" none
    } cases[] = {
        {{"COMP/MOD/a.c", "COMP/MOD/a.c.JAV", "MOD/a.c"}, "a.c", "COMP/MOD/a.c"},
        {{"COMP/MOD/b.JAV", "MOD/b"}, "b", "COMP/MOD/b.JAV"},
        {{"COMP/MOD/c.java", "MOD/c.JAV"}, "c.JAV", "COMP/MOD/c.java"},
        {{"MOD/d.java"}, "d", "MOD/d.java"},
        {{"MOD/e.c"}, "COMP2\\e.c", ""},
        {{"COMP/MOD/sub/f.c"}, "sub\\f.c", "COMP/MOD/sub/f.c"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string base = root / std::to_string(++n);
        for (const auto& f : c.files) pemtest::WriteFile(base + "/" + f, "x");
        const TSourceLookup r = FindSpecsSourceFile(base, place, c.name, "JAV", longExt, FileExists);
        EXPECT_EQ(r.found, *c.found != 0) << c.name;
        if (*c.found) EXPECT_EQ(r.path, base + "/" + c.found) << c.name;
    }
    // Not found: the last path tried is reported; the deficiency lookup has
    // no long extension.
    const std::string base = root / "none";
    EXPECT_EQ(FindSpecsSourceFile(base, place, "z", "JAV", longExt, FileExists).path, base + "/MOD/z.java");
    EXPECT_EQ(FindDefiSourceFile(base, place, "z", "JAV", FileExists).path, base + "/MOD/z.JAV");
    // Without a common root the file system's root is the base, never the
    // working folder.
    EXPECT_EQ(FindDefiSourceFile("", {"", "", ""}, "q.c", "C", FileExists).path, "/q.c");
}

// Last, a name with the duplicate suffix "_N" stands for the job's file of
// the name without it, in the same folder with the same extension.
TEST(ListingSourceFiles, ADuplicatesNumberedNameFindsTheJobsFileOfTheSharedName) {
    pemtest::TempDir root;
    const TListingPlace place{"COMP", "MOD", ""};
    const std::string mod = root / "COMP/MOD/";
    for (const char* f : {"t.h", "t", "sub/f.c", "y.h"}) pemtest::WriteFile(mod + f, "x");
    const auto inJob = [&](const std::string& path) { return path != mod + "y.h"; };
    const struct {
        const char* listed;
        const char* found; // "" none
    } cases[] = {
        {"t_1.h", "t.h"},
        {"t_12.h", "t.h"},
        {"t_1", "t"},             // no extension, none added
        {"sub\\f_2.c", "sub/f.c"}, // the folder the name holds stays
        {"t_0.h", ""},            // no duplicate is numbered 0
        {"t_01.h", ""},
        {"t_.h", ""},
        {"_1.h", ""},             // a suffix alone is no name
        {"y_1.h", ""},            // not the job's
    };
    for (const auto& c : cases) {
        const TSourceLookup r = FindSpecsSourceFile(root.Path(), place, c.listed, "C", nullptr, FileExists, inJob);
        EXPECT_EQ(r.found, *c.found != 0) << c.listed;
        if (*c.found) EXPECT_EQ(r.path, mod + c.found) << c.listed;
    }
    // Without the job's list no numbered name is taken for another.
    EXPECT_FALSE(FindSpecsSourceFile(root.Path(), place, "t_1.h", "C", nullptr, FileExists).found);
}

TEST(ListingSourceFiles, TheFileListIsSearchedFromTheComponentAndWithinItsModule) {
    TProjectFileStructure s;
    s.components = {"A", "COMP", "COMP", "COMP", "COMP"};
    s.modules = {"M", "X", "MOD", "", "OTHER"};
    s.sources = {"a", "a", "b", "a", "c"};
    s.extensions = {".c", ".c", ".c", ".c", ".c"};
    s.files = {"/f/0", "/f/1", "/f/2", "/f/3", "/f/4"};
    EXPECT_EQ(FindSourceInFileList(s, {"COMP", "MOD", ""}, "a.c"), "/f/3"); // an empty module entry goes on
    EXPECT_EQ(FindSourceInFileList(s, {"COMP", "MOD", ""}, "c.c"), "");     // another module ends it
    EXPECT_EQ(FindSourceInFileList(s, {"comp", "mod", ""}, "b.c"), "/f/2");
    EXPECT_EQ(FindSourceInFileList(s, {"NONE", "MOD", ""}, "b.c"), "");
    EXPECT_EQ(FindSourceInFileList({}, {"COMP", "MOD", ""}, "b.c"), "");
}

// ------------------------------------------------------------ module specification listings

TSpecsObjListing ReadSpecs(const std::vector<std::string>& lines) { return ReadSpecsObjListing(lines); }

TEST(SpecsListing, TheFixtureGivesItsSourcesAndSections) {
    const TSpecsObjListing l = ReadSpecsObjListing(SplitListingLines(Fixture("payroll.JAV")));
    // The second page of payroll.c continues the source; the title-only
    // Defines section is gone; Includes after other kinds comes again.
    EXPECT_EQ(TreeLinesText(SpecsObjSectionTree(l)), "payroll.c\n"
                                                     "  Includes\n"
                                                     "  Function references\n"
                                                     "  Methods/Procedures\n"
                                                     "  Includes\n"
                                                     "  Test cases\n"
                                                     "progb\n"
                                                     "  Data attributes\n"
                                                     "legacy.JAV\n"
                                                     "  Includes\n"
                                                     "wide.c\n"
                                                     "  Includes\n"
                                                     "lost.c\n"
                                                     "  Includes\n");
    ASSERT_FALSE(l.descriptors.empty());
    const TSpecsObjDescriptor& includes = l.descriptors[0];
    EXPECT_EQ(includes.firstLine, 0);
    EXPECT_EQ(includes.lineCount, 3);
    EXPECT_EQ(Joined(SpecsObjSectionMemo(l, 0)), "Includes\n"
                                                 "    1 #include <stdio.h>\n"
                                                 "    2 #include \"pay.h\"\n");
    // The continuation page's header lines stay in the section before it.
    const std::string methods = Joined(SpecsObjSectionMemo(l, 2));
    EXPECT_NE(methods.find("P E M A R I S"), std::string::npos);
    EXPECT_NE(methods.find("SOURCE NAME:   COMP\\payroll.c"), std::string::npos);
}

TEST(SpecsListing, TheSourceNameFollowsTheBlanksAfterTheLabel) {
    const struct {
        const char* line;
        const char* name;
    } cases[] = {{"|   SOURCE NAME:   COMP\\a.c   DATE: x |", "a.c"},
                 {"|   SOURCE NAME:b.c DATE", "b.c"},
                 {"|   SOURCE NAME: X\\Y\\c.c", "Y\\c.c"},
                 {"|   SOURCE NAME:", ""},
                 {"| no name here", ""}};
    for (const auto& c : cases) EXPECT_EQ(SpecsHeaderSourceName(c.line), c.name) << c.line;
    // Read literally (the name up to the first blank after the label) every
    // name would be empty and all sources would merge into one.
    const auto l = ReadSpecs(PageHeader("   SOURCE NAME:   a.c") + Title("INCLUDES") + std::vector<std::string>{"x"} +
                             PageHeader("   SOURCE NAME:   b.c") + Title("INCLUDES") + std::vector<std::string>{"y"});
    EXPECT_EQ(l.sourceNames, (std::vector<std::string>{"a.c", "b.c"}));
}

// One line each: which lines the cleaning removes, keeps or rewrites.
TEST(SpecsListing, EachCleaningRuleOnOneLine) {
    const struct {
        std::string line;
        const char* kept; // nullptr: removed
    } cases[] = {
        {"", nullptr},
        {"/ a page break", nullptr},
        {kBorder, nullptr},
        {"|       " + std::string(20, ' ') + "text", nullptr},
        {"|" + std::string(118, ' ') + "|", nullptr},
        {"|      :+----------------", "+-----------------------------------------------------"},
        {"|   123:int x;  |", "  123 int x;  |"},
        {"|  123: no", "|  123: no"},
        {"| short", "| short"},
    };
    const std::string nineteen = "|       " + std::string(19, ' ') + "x";
    for (const auto& c : cases) {
        const auto l = ReadSpecs(PageHeader("   SOURCE NAME: a.c") + Title("INCLUDES") +
                                 std::vector<std::string>{"| kept", c.line});
        ASSERT_EQ(l.descriptors.size(), 1u) << c.line;
        const std::vector<std::string> expected = c.kept ? std::vector<std::string>{"Includes", "| kept", c.kept}
                                                         : std::vector<std::string>{"Includes", "| kept"};
        EXPECT_EQ(l.lines, expected) << "[" << c.line << "]";
    }
    // Nineteen blanks are not twenty.
    EXPECT_EQ(ReadSpecs(PageHeader("   SOURCE NAME: a.c") + Title("INCLUDES") + std::vector<std::string>{nineteen})
                  .lines.back(),
              nineteen);
}

TEST(SpecsListing, ATitleLineIsNeverRemovedAndATitleAloneIsNoSection) {
    // A title whose line looks removable stays; alone it is freed.
    const auto l = ReadSpecs(PageHeader("   SOURCE NAME: a.c") + Title("DEFINES") + Title("CLASSES") +
                             std::vector<std::string>{"| c"} + Title("INCLUDES"));
    EXPECT_EQ(TreeLinesText(SpecsObjSectionTree(l)), "a.c\n  Classes\n");
    EXPECT_EQ(l.lines, (std::vector<std::string>{"Defines", "Classes", "| c", "Includes"}));
}

TEST(SpecsListing, OddListingsNeverCrash) {
    const std::vector<std::vector<std::string>> inputs = {
        {},
        {""},
        // A page header in the first line, and one cut short by the end.
        {Box("          P E M A R I S   M O D U L E   S P E C I F I C A T I O N")},
        PageHeader("   SOURCE NAME: a.c") + Title("INCLUDES") + std::vector<std::string>{"| x", kBorder},
        // A box before any page header.
        Title("INCLUDES") + std::vector<std::string>{"| orphan"},
        {kBorder},
        {std::string("|\0\0\0", 4), kBorder, std::string("|        INCLUDES\0", 18)},
    };
    for (const auto& in : inputs) {
        const auto l = ReadSpecs(in);
        const TTreeLines tree = SpecsObjSectionTree(l);
        for (size_t d = 0; d < l.descriptors.size(); ++d) (void)SpecsObjSectionMemo(l, static_cast<int>(d));
        EXPECT_LE(tree.size(), 2u);
    }
    // Sections before any source make no node.
    EXPECT_TRUE(ReadSpecs(Title("INCLUDES") + std::vector<std::string>{"| orphan"}).descriptors.empty());
    // The header cut short still names its source, the section after the
    // title holds what remains.
    const auto cut = ReadSpecs(PageHeader("   SOURCE NAME: a.c") + Title("INCLUDES") + std::vector<std::string>{"| x"});
    EXPECT_EQ(TreeLinesText(SpecsObjSectionTree(cut)), "a.c\n  Includes\n");
}

TEST(SpecsListing, FunctionReferencesAreGroupsWithTheirReferences) {
    const TSpecsObjListing l = ReadSpecsObjListing(SplitListingLines(Fixture("payroll.JAV")));
    const std::vector<std::string> memo = SpecsObjSectionMemo(l, 1);
    ASSERT_EQ(memo.size(), 9u);
    const TTreeLines nodes = FunctionReferenceNodes(memo);
    // The line before the first group makes no node, the group line is no
    // reference of its own, and the section's last line is not read.
    EXPECT_EQ(TreeLinesText(nodes), "compute_pay(int hours)\n  calc_tax\n  printf\nmain\n");
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[0].data, 3);
    EXPECT_EQ(nodes[1].data, 4);
    EXPECT_EQ(nodes[0].image, 9);
    EXPECT_EQ(nodes[1].image, 10);
    EXPECT_EQ(MemoSourceLine(memo[3]), 10);
}

TEST(SpecsListing, EntriesFollowSeparators) {
    const TSpecsObjListing l = ReadSpecsObjListing(SplitListingLines(Fixture("payroll.JAV")));
    EXPECT_EQ(TreeLinesText(SectionEntryNodes(SpecsObjSectionMemo(l, 2), 4)), "compute_pay (int hours)\nmain\n");
    // Test cases also after a separator standing after the line number.
    EXPECT_EQ(TreeLinesText(SectionEntryNodes(SpecsObjSectionMemo(l, 4), 10)), "case one\ncase two\n");
    EXPECT_EQ(TreeLinesText(SectionEntryNodes(SpecsObjSectionMemo(l, 5), 7)), "int count\n");
    // Other kinds have no entries; a separator on the last line has no entry.
    EXPECT_TRUE(SectionEntryNodes(SpecsObjSectionMemo(l, 0), 1).empty());
    EXPECT_TRUE(SectionEntryNodes({"x", kSeparator}, 4).empty());
}

TEST(SpecsListing, AReferenceIsFoundInItsSourceLine) {
    const struct {
        const char* source;
        const char* memo;
        std::optional<TTextHit> hit;
    } cases[] = {
        {"    printf(\"%d\", t);", "   13 printf", TTextHit{4, 6}},
        {"  x = calc(1) + calc (2)", "    5 calc", TTextHit{6, 4}},
        {"  x = calc (2)", "    5 calcx", TTextHit{6, 4}}, // the name less its last character
        {"  CALL FOO", "    5 FOOX", TTextHit{7, 3}},
        {"  nothing here", "    5 printf", std::nullopt},
        {"  Printf(", "    5 printf", std::nullopt}, // case counts
        {"x", "   1", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto hit = FindReferenceInLine(c.source, c.memo);
        ASSERT_EQ(hit.has_value(), c.hit.has_value()) << c.memo;
        if (hit) {
            EXPECT_EQ(hit->pos, c.hit->pos) << c.memo;
            EXPECT_EQ(hit->length, c.hit->length) << c.memo;
        }
    }
}

TEST(PlainListing, ObjectsAreNamedUpToTheLastBarAndKeptOnce) {
    const std::string text = "title\r\n"
                             "|   OBJECT: Customer                 |\r\n"
                             "| text\r\n"
                             "|   OBJECT: Order | Entry   |\r\n"
                             "|   OBJECT: CUSTOMER |\r\n"
                             "|  OBJECT: not an object |\n"
                             "|   OBJECT: no bar\n";
    const auto objects = PlainListingObjects(text);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].text, "Customer");
    EXPECT_EQ(objects[0].line, 2);
    EXPECT_EQ(objects[1].text, "Order | Entry");
    EXPECT_EQ(objects[1].line, 4);
    EXPECT_EQ(objects[2].text, "");
    EXPECT_EQ(objects[2].line, 7);
}

// ------------------------------------------------------------ post-documentation listings

std::vector<std::string> PostLines(const std::vector<std::string>& files) {
    std::vector<std::string> lines;
    for (const auto& f : files) {
        auto part = SplitListingLines(pemtest::ReadFile(f));
        lines.insert(lines.end(), part.begin(), part.end());
    }
    return lines;
}

TEST(PostDocListing, ANativeListingBringsItsSiblingsInTheFixedOrder) {
    pemtest::TempDir dir;
    for (const char* ext : {".use", ".prc", ".INF", ".COB"}) pemtest::WriteFile(dir / ("P" + std::string(ext)), "x");
    EXPECT_EQ(PostDocListingFiles(dir / "P.prc", "COB", FindFileIgnoringCase),
              (std::vector<std::string>{dir / "P.INF", dir / "P.prc", dir / "P.use"}));
    // The joined listing alone, its extension compared ignoring case.
    EXPECT_EQ(PostDocListingFiles(dir / "P.COB", "cob", FindFileIgnoringCase),
              (std::vector<std::string>{dir / "P.COB"}));
}

TPostDocListing PostDoc(const std::string& opened, const std::string& lang = "COB") {
    return ReadPostDocListing(
        PostLines(PostDocListingFiles(kListings + "/post/" + opened, lang, FindFileIgnoringCase)));
}

TEST(PostDocListing, TheFiveStructuresOfAProgramInTheirOrder) {
    const TPostDocListing l = PostDoc("PAYROLL.prc");
    EXPECT_EQ(TreeLinesText(PostDocStructureTree(l)), "PAYROLL.cbl\n"
                                                      "  Interface  Structure\n"
                                                      "  Procedural Structure\n"
                                                      "  Decisional Structure\n"
                                                      "  Data Flow  Structure\n"
                                                      "  Used Data  Structure\n");
    ASSERT_EQ(l.descriptors.size(), 5u);
    const TSpecsDescriptor& inf = l.descriptors[0];
    EXPECT_EQ(inf.kind, 1);
    EXPECT_EQ(inf.description, "Parameters and files the program\r\nshares with its callers.");
    EXPECT_EQ(PostDocHeaderText(inf).substr(0, 46), std::string(44, '-') + "\r\n");
    EXPECT_EQ(std::string(TrimView(inf.columnHeader)), "Line   Kind    Direction   Name");
    EXPECT_EQ(inf.firstLine, 1);
    // Boxes became 37 dashes and the two equal box lines at the end one.
    const std::vector<std::string> memo = PostDocStructureMemo(l, 0);
    ASSERT_EQ(memo.size(), 5u);
    EXPECT_EQ(memo[0], std::string(37, '-'));
    EXPECT_EQ(memo[4], std::string(37, '-'));
    EXPECT_EQ(memo[1].find('|'), std::string::npos);
    EXPECT_EQ(l.descriptors[3].kind, 4);
    EXPECT_EQ(l.descriptors[3].columnHeader, "");
    // The joined listing is read alone.
    EXPECT_EQ(TreeLinesText(PostDocStructureTree(PostDoc("PAYROLL.COB"))), "PAYROLL.cbl\n  Procedural Structure\n");
}

TEST(PostDocListing, EntriesOfEachKind) {
    const TPostDocListing l = PostDoc("PAYROLL.inf");
    const auto entries = [&l](int d, bool compressed = false) {
        return PostDocEntryNodes(PostDocStructureMemo(l, d), l.descriptors[static_cast<size_t>(d)].kind, compressed);
    };
    EXPECT_EQ(TreeLinesText(entries(0)), "Linkage-area\nPay-file\n");
    // Equal neighbouring rows show once.
    EXPECT_EQ(TreeLinesText(entries(1)), "Main-para:Perform init-para\nInit-para:Move zero to total\n");
    // Nesting by level: "?" for a skipped level, a smaller level of any
    // difference one level up, an entry without a level passed over.
    EXPECT_EQ(TreeLinesText(entries(2)), "If-amt:Amount > 100\n"
                                         "  <..Sequence ..>\n"
                                         "    ?\n"
                                         "      Eval-x:When x\n"
                                         "      Eval-y:When y\n"
                                         "    If-b:B = 1\n"
                                         "  If-end:End\n");
    // Data flows: rows read in three columns; a "-" line among the last
    // five lines opens no entry.
    EXPECT_EQ(TreeLinesText(entries(3)), "COMPUTE-PAY\n"
                                         "  Inputs/Arguments\n"
                                         "    HOURS\n"
                                         "    RATE\n"
                                         "  Predicates\n"
                                         "    IF HOURS > 40\n"
                                         "    OVERTIME = Y\n"
                                         "  Outputs/Results\n"
                                         "    PAY\n"
                                         "    TAX\n"
                                         "PRINT-PAY\n"
                                         "  Inputs/Arguments\n"
                                         "    PAY\n"
                                         "  Outputs/Results\n"
                                         "    REPORT-LINE\n");
    EXPECT_EQ(TreeLinesText(entries(3, true)), "COMPUTE-PAY\n  HOURS\n  RATE\n  IF HOURS > 40\n  OVERTIME = Y\n"
                                               "  PAY\n  TAX\nPRINT-PAY\n  PAY\n  REPORT-LINE\n");
    EXPECT_TRUE(entries(4).empty());
    // Source lines of entries.
    const auto memo = PostDocStructureMemo(l, 2);
    const TTreeLines dec = entries(2);
    EXPECT_EQ(PostDocEntrySourceLine(memo[static_cast<size_t>(dec[0].data)], 3), 300);
    EXPECT_EQ(PostDocEntrySourceLine(PostDocStructureMemo(l, 0)[static_cast<size_t>(entries(0)[0].data)], 1), 120);
    EXPECT_EQ(PostDocEntrySourceLine(" 200 x", 4), std::nullopt);
}

TEST(PostDocListing, OddListingsNeverCrash) {
    const std::string header = "/ Post Documentation of Program: A.cbl Date: x";
    const std::vector<std::vector<std::string>> inputs = {
        {},
        {header},
        {"x", header},
        {header, "", "| Procedural Structure A.cbl:"},
        {header, "", "| Data Flow  Structure A.cbl:", "+--", "-", "a:b", "c", "d", "e", "f"},
        {std::string("\0\0", 2), header, std::string("\0", 1)},
    };
    for (const auto& in : inputs) {
        const TPostDocListing l = ReadPostDocListing(in);
        (void)PostDocStructureTree(l);
        for (size_t d = 0; d < l.descriptors.size(); ++d)
            for (bool c : {false, true})
                (void)PostDocEntryNodes(PostDocStructureMemo(l, static_cast<int>(d)), l.descriptors[d].kind, c);
    }
    // A header in the last line still names its structure, kind 0.
    const TPostDocListing last = ReadPostDocListing({"x", header});
    ASSERT_EQ(last.descriptors.size(), 1u);
    EXPECT_EQ(last.descriptors[0].kind, 0);
    EXPECT_EQ(last.descriptors[0].lineCount, 0);
    EXPECT_TRUE(ReadPostDocListing({"no header", "at all"}).descriptors.empty());
}

// ------------------------------------------------------------ deficiency listings

TEST(DefiListing, TheFixtureGivesSourcesRulesItemsAndStatistics) {
    const TDefiListing l = ReadDefiListing(Fixture("payroll.def"), false);
    EXPECT_EQ(l.sourceNames, (std::vector<std::string>{"alpha.c", "beta.c", "payroll.c"}));
    // The rule met again in another case is one rule.
    EXPECT_EQ(l.ruleNames, (std::vector<std::string>{"01 Tab character", "03 Long line", "07 Magic number",
                                                     "12 Missing comment block"}));
    ASSERT_EQ(l.items.size(), 8u);
    std::string text;
    EXPECT_TRUE(DefiStatistics(l, 2, text));
    EXPECT_EQ(text, "Number of major Rule Violations =     2\r\n"
                    "Number of medium Rule Violations =     1\r\n"
                    "Number of minor Rule Violations =     2\r\n"
                    "Lines of code                    =    29\r\n"
                    "Comment lines                    =     1");
    EXPECT_TRUE(DefiStatistics(l, 0, text));
    // beta.c has no block of its own: not the first source's block.
    EXPECT_FALSE(DefiStatistics(l, 1, text));
    EXPECT_EQ(text, kDefiStatisticsMissing);
    EXPECT_TRUE(l.duplicateSources.empty());
}

TEST(DefiListing, TheThreeGroupings) {
    TDefiListing l = ReadDefiListing(Fixture("payroll.def"), false);
    // Two problems of one rule with one line range make one node; the
    // warning without lines shows those of the warning after it.
    EXPECT_EQ(TreeLinesText(GroupDefis(l, TDefiGrouping::BySource)), "alpha.c\n"
                                                                     "  Warnings\n"
                                                                     "    01 Tab character\n"
                                                                     "      2\n"
                                                                     "beta.c\n"
                                                                     "  Defi's\n"
                                                                     "    07 Magic number\n"
                                                                     "      3\n"
                                                                     "payroll.c\n"
                                                                     "  Problems\n"
                                                                     "    12 Missing comment block\n"
                                                                     "      10-12\n"
                                                                     "      29\n"
                                                                     "  Defi's\n"
                                                                     "    07 Magic number\n"
                                                                     "      21\n"
                                                                     "  Warnings\n"
                                                                     "    03 Long line\n"
                                                                     "      13\n");
    EXPECT_EQ(TreeLinesText(GroupDefis(l, TDefiGrouping::ByLevel)), "Problems\n"
                                                                    "  12 Missing comment block\n"
                                                                    "    payroll.c\n"
                                                                    "      10-12\n"
                                                                    "      29\n"
                                                                    "Defi's\n"
                                                                    "  07 Magic number\n"
                                                                    "    beta.c\n"
                                                                    "      3\n"
                                                                    "    payroll.c\n"
                                                                    "      21\n"
                                                                    "Warnings\n"
                                                                    "  01 Tab character\n"
                                                                    "    alpha.c\n"
                                                                    "      2\n"
                                                                    "  03 Long line\n"
                                                                    "    payroll.c\n"
                                                                    "      13\n");
    const TTreeLines byRule = GroupDefis(l, TDefiGrouping::ByRuleName);
    EXPECT_EQ(TreeLinesText(byRule), "01 Tab character\n"
                                     "  alpha.c\n"
                                     "    2\n"
                                     "03 Long line\n"
                                     "  payroll.c\n"
                                     "    13\n"
                                     "07 Magic number\n"
                                     "  beta.c\n"
                                     "    3\n"
                                     "  payroll.c\n"
                                     "    21\n"
                                     "12 Missing comment block\n"
                                     "  payroll.c\n"
                                     "    10-12\n"
                                     "    29\n");
    // Rule nodes carry no item; a source node points at its first item.
    for (const TTreeLine& n : byRule) {
        if (n.level == 0) EXPECT_EQ(n.data, -1);
        if (n.level == 1) {
            ASSERT_GE(n.data, 0);
            const TDefiDescriptor& first = l.items[static_cast<size_t>(n.data)];
            EXPECT_EQ(l.sourceNames[static_cast<size_t>(first.sourceIndex)], n.text);
        }
    }
    // Regrouping keeps the items.
    EXPECT_EQ(l.items.size(), 8u);
}

TEST(DefiListing, RepeatedSourceNames) {
    const std::string stats = "|   Number of major Rule Violations =  1 |\n";
    const std::string text = "|   SOURCE: A  PAGE: 1 |\n"
                             "| PROB | r |\n"
                             "|   SOURCE: A  PAGE: 2 |\n" + // a second page: no message
                             stats +
                             "|   SOURCE: B |\n"
                             "|   SOURCE: B |\n" +
                             stats + "|   SOURCE: A |\n";
    const TDefiListing refused = ReadDefiListing(text, true);
    EXPECT_EQ(refused.sourceNames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(refused.duplicateSources, (std::vector<std::string>{"A"}));
    EXPECT_TRUE(ReadDefiListing(text, false).duplicateSources.empty());
}

TEST(DefiListing, EdgesOfTheListing) {
    // The first line read when it does not begin with "/"; a statistics
    // block cut by the end; items before any source and their lines dropped.
    const std::string text = "| PROB | early |\n"
                             "|    5 | x\n"
                             "|   SOURCE: d:/x/S.c   PAGE: 3 |\n"
                             "| WARN | late |\n"
                             "|   Number of major Rule Violations =  4 |\n"
                             "| Lines = 7 |";
    const TDefiListing l = ReadDefiListing(text, false);
    EXPECT_EQ(l.sourceNames, (std::vector<std::string>{"x/S.c"}));
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.ruleNames[static_cast<size_t>(l.items[0].ruleIndex)], "late");
    EXPECT_EQ(l.items[0].firstLine, -1);
    std::string stats;
    EXPECT_TRUE(DefiStatistics(l, 0, stats));
    EXPECT_EQ(stats, "Number of major Rule Violations =  4\r\nLines = 7");
    // A first line beginning with "/" is not read.
    EXPECT_TRUE(ReadDefiListing("/|   SOURCE: A |\n", false).sourceNames.empty());
    // Bad input: an empty tree, no crash.
    for (const std::string& bad : {std::string(), std::string("\0\0\0", 3), std::string("|   SOURCE: "),
                                   std::string("| PROB"), std::string("|   Number of major Rule Violations =")}) {
        TDefiListing b = ReadDefiListing(bad, true);
        for (auto g : {TDefiGrouping::BySource, TDefiGrouping::ByLevel, TDefiGrouping::ByRuleName})
            (void)GroupDefis(b, g);
    }
}

TEST(DefiListing, SourceNamesAfterTheirFolder) {
    const struct {
        const char* line;
        const char* name;
    } cases[] = {{"|   SOURCE: COMP\\a.c   PAGE: 1 |", "a.c"},
                 {"|   SOURCE: COMP/b.c |", "b.c"},
                 {"|   SOURCE: X\\Y/c.c", "Y/c.c"},
                 {"|   SOURCE:   d.c   ", "d.c"},
                 {"|   SOURCE: ", ""}};
    for (const auto& c : cases) EXPECT_EQ(DefiSourceName(c.line), c.name) << c.line;
}

} // namespace
