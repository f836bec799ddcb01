// Document text preparation: the re-flow into sentences and items, the term
// marking with its dictionary, compounds, plurals, capital words, merged
// marks and quoted passages, and the cleaning and wrapping at 398 columns.
#include "DocumentText.h"

#include "Exceptions.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {

std::string Times(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

// The dictionary of the marking cases: "data" begins compounds of up to two
// more words, "interface" and "report" become compound starts in the plural
// (the second only as part of a compound), "news" is an exception.
const TDocumentDictionary& Dictionary() {
    static const TDocumentDictionary d({{"data", -3},
                                        {"input", -1},
                                        {"file", -1},
                                        {"new", -1},
                                        {"interface", 5},
                                        {"report", 103},
                                        {"testing", -1},
                                        {"system", 0}},
                                       {"data_base_system", "reports_overview"}, {"news"});
    return d;
}

// A text, the control words ticked, and the text expected.
struct TextCase {
    const char* name;
    std::string input;
    const std::vector<std::string>& words;
    std::string expected;
};

} // namespace

TEST(IsWordInList, EqualIgnoringCaseOrBegunByAControlWord) {
    const TControlWordList list({"shall", "Must", "go"});
    const TControlWordList single({"a"});
    const struct {
        const TControlWordList& list;
        const char* word;
        bool expected;
    } cases[] = {
        {list, "shall", true},   {list, "SHALL", true},    {list, "shall,", true}, {list, "Shall,", false},
        {list, "Mustard", true}, {list, "mustard", false}, {list, "MUST", true},   {list, "going", true},
        {list, "g", false},      {list, "", false},        {list, "should", false},
        // Equality ignoring case needs two characters; a beginning counts case.
        {single, "a", true},     {single, "A", false},     {single, "ab", true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsWordInList(c.word, c.list), c.expected) << c.word;
    EXPECT_FALSE(IsWordInList("shall", TControlWordList()));
}

TEST(IsWordInList, TickedItemsGiveTheirWordsSortedWithoutEmptyOnes) {
    const TControlWordList list =
        TControlWordList::FromTickedItems({"INPT shall ", "OTPT    Must", "????", "CASE ", "SKIP \xC4rger", "LINK able"});
    EXPECT_EQ(list.Words(), (std::vector<std::string>{"able", "Must", "shall", "\xC4rger"}));
    // An empty word would begin every word.
    EXPECT_FALSE(IsWordInList("anything", list));
    EXPECT_TRUE(IsWordInList("\xE4rger", list));
}

TEST(SplitSentences, BreaksSentencesItemsAndMarkersOntoLinesOfTheirOwn) {
    const std::vector<std::string> none;
    const std::vector<std::string> shall = {"shall"};
    const TextCase cases[] = {
        {"a lone bullet letter marks the next line", "o\nthe item text", none, "\r\n\r\n\x95the item text\r\n"},
        {"a lone bullet on the last line stays", "first line\no", none, "first line\r\no\r\n"},
        {"a lone code-page bullet on the last line", "first line\n\x95", none, "first line\r\n\r\n\x95\r\n"},
        {"code-page bullets start items", "Items: \x95 one \x95 two", none, "Items: \r\n\x95 one \r\n\x95 two\r\n"},
        {"a semicolon and blank end a line", "a; b", none, "a; \r\nb\r\n"},
        {"a sentence end inside a line", "The value is high. Next one", none,
         "The value is high. \r\n Next one\r\n"},
        {"numbers with stops end no sentence", "Version 3.5. is out and 1. is too", none,
         "Version 3.5. is out and 1. is too\r\n"},
        {"a full stop ending the line", "It ends here.", none, "It ends here.\r\n"},
        {"figure, table and section keep the next word", "See Figure 2) and table A. then Section 1) end", none,
         "See Figure 2) and table A. then Section 1) end\r\n"},
        {"numbered items", "1) first 2) second", none, "\r\n1) first \r\n2) second\r\n"},
        {"an opening parenthesis keeps items together", "(a) 1) first", none, "(a) 1) first\r\n"},
        {"region markers in any case", "text &startme more &ENDME end", none,
         "text \r\n&startme\r\n more \r\n&ENDME\r\n end\r\n"},
        {"a control word inside a line", "The system shall work", shall, "The system .\r\nshall work\r\n"},
        {"a control word with punctuation", "we shall, stop", shall, "we .\r\nshall, stop\r\n"},
        {"a control word beginning a line", "The system\nshall work", shall, "The system.\r\nshall work\r\n"},
        {"after a semicolon no full stop is added", "first; shall go", shall, "first; \r\nshall go\r\n"},
        {"after a sentence end no full stop is added", "It is high. shall go", shall,
         "It is high. \r\n \r\nshall go\r\n"},
        {"no control word, no full stop", "The system\nshall work", none, "The system\r\nshall work\r\n"},
        {"typographic quotes become plain", "say \x93hi\x94 and \x91yo\x92", none,
         "say \"hi\" and \"yo\"\r\n"},
        {"blank lines go, any line end counts", "a\n  \t\n\r\nb\rc", none, "a\r\nb\r\nc\r\n"},
        {"empty input", "", none, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitSentencesText(c.input, TControlWordList(c.words)), c.expected) << c.name;
}

TEST(MarkDocumentTerms, MarksTermsCompoundsPluralsAndCapitalWords) {
    const std::vector<std::string> none;
    const std::vector<std::string> cpu = {"cpu"};
    const std::vector<std::string> cp = {"CP"};
    const TextCase cases[] = {
        {"neighbouring marks merge", "input file", none, "<input_file>\r\n"},
        {"a comma keeps marks apart", "input, file", none, "<input>, <file>\r\n"},
        {"the longest compound", "Data Base System", none, "<data_base_system>\r\n"},
        {"the rest of the line follows the compound", "Data Base System works", none,
         "<data_base_system> works\r\n"},
        {"no compound: the word alone", "data base", none, "<data> base\r\n"},
        {"a plural at the end of a line", "the interfaces", none, "the <interfaces>\r\n"},
        {"a plural before a word", "interfaces work", none, "<interfaces> work\r\n"},
        {"an exception plural inside a compound", "reports overview", none, "<reports_overview>\r\n"},
        {"an exception plural alone stays", "the reports", none, "the reports\r\n"},
        {"an exception plural before a word stays", "reports now", none, "reports now\r\n"},
        {"a positive term is no mark", "the report and system", none, "the report and system\r\n"},
        {"words ending in ing only in lower case", "testing and TESTING", none, "testing and <testing>\r\n"},
        {"an exception is not made singular", "news and new", none, "news and <new>\r\n"},
        {"a capital word", "the CPU runs", none, "the <CPU> runs\r\n"},
        {"a capital word equal to a control word", "the CPU runs", cpu, "the CPU runs\r\n"},
        {"a capital word begun by a control word", "the CPU runs", cp, "the CPU runs\r\n"},
        {"one capital is no capital word", "the Cpu runs", none, "the Cpu runs\r\n"},
        {"a quoted passage stays, one blank further", "say \"input file\" now", none,
         "say  \"input file\" now\r\n"},
        {"an apostrophe opens a passage", "the user's input and file's end", none,
         "the user \"s input and file\"s end\r\n"},
        {"marks one blank apart merge", "<alpha>   <beta>", none, "<alpha_beta>\r\n"},
        {"a mark and a word", "<alpha>    plain", none, "<alpha> plain\r\n"},
        {"a mark already part of the merged one stays apart", "<data_base> <base> rest", none,
         "<data_base> <base> rest\r\n"},
        {"the merged mark's first part ignores case", "<alpha_x> <ALPHA>", none, "<alpha_x> <ALPHA>\r\n"},
        // Only a mark takes the next one in: a word that merely begins with
        // "<" keeps every character.
        {"a word begun by < before a mark", "<inputz <alpha>", none, "<inputz <alpha>\r\n"},
        {"a lone < before a mark", "< <alpha>", none, "< <alpha>\r\n"},
        {"empty input", "", none, ""},
    };
    for (const auto& c : cases) {
        bool odd = true;
        EXPECT_EQ(MarkDocumentTermsText(c.input, TControlWordList(c.words), Dictionary(), &odd), c.expected)
            << c.name;
        EXPECT_FALSE(odd) << c.name;
    }
}

TEST(MarkDocumentTerms, AnUnpairedQuoteLeavesTheRestUnmarked) {
    bool odd = false;
    EXPECT_EQ(MarkDocumentTermsText("a \"b\" input \"c input\nfile", TControlWordList(), Dictionary(), &odd),
              "a  \"b\" <input>  \"c input\r\nfile\r\n\r\n");
    EXPECT_TRUE(odd);
}

TEST(CleanAndWrap, DropsBlankLinesAndWrapsAt398Columns) {
    const std::string words = Times("123456789 ", 100);
    const std::string run = std::string(500, 'x');
    const struct {
        const char* name;
        std::string input;
        std::string expected;
    } cases[] = {
        {"blank and control-only lines go", "a\n \t\x01\n\nb", "a\r\nb\r\n"},
        {"a line of 1000 characters", words,
         Times("123456789 ", 39) + "\r\n" + Times("123456789 ", 39) + "\r\n" + Times("123456789 ", 22) + "\r\n"},
        {"a longer run stays whole", run + " tail", run + " \r\ntail\r\n"},
        {"the break at column 398", std::string(397, 'a') + " " + std::string(10, 'b'),
         std::string(397, 'a') + " \r\n" + std::string(10, 'b') + "\r\n"},
        {"blanks at the end stay on their line", std::string(397, 'a') + std::string(11, ' '),
         std::string(397, 'a') + std::string(11, ' ') + "\r\n"},
        {"a control character breaks", std::string(300, 'a') + "\t" + std::string(200, 'b'),
         std::string(300, 'a') + "\t\r\n" + std::string(200, 'b') + "\r\n"},
        {"a line of exactly 398", std::string(200, 'a') + " " + std::string(197, 'b'),
         std::string(200, 'a') + " " + std::string(197, 'b') + "\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(CleanAndWrapText(c.input), c.expected) << c.name;
}

TEST(DocumentTextFiles, TheFirstPassGoesBackIntoTheInputAndTheResultToTheOutput) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "in.txt", "The value is high. Next one\n\n");
    SplitSentences(dir / "in.txt", dir / "out.txt", TControlWordList());
    EXPECT_EQ(pemtest::ReadFile(dir / "in.txt"), "The value is high. Next one\r\n");
    EXPECT_EQ(pemtest::ReadFile(dir / "out.txt"), "The value is high. \r\n Next one\r\n");

    std::vector<std::string> shown;
    auto show = [&](const std::string& m) { shown.push_back(m); };
    pemtest::WriteFile(dir / "odd.txt", "a \"b\" \"c input");
    MarkDocumentTerms(dir / "odd.txt", dir / "odd.txt", TControlWordList(), Dictionary(), show);
    pemtest::WriteFile(dir / "even.txt", "a \"b\" input");
    MarkDocumentTerms(dir / "even.txt", dir / "even.txt", TControlWordList(), Dictionary(), show);
    EXPECT_EQ(shown, std::vector<std::string>{"Odd number of quotes in the document"});
    EXPECT_EQ(pemtest::ReadFile(dir / "even.txt"), "a  \"b\" <input>\r\n");
}

TEST(DocumentTextFiles, AnUnreadableInputLeavesTheOutputAsItWas) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "out.txt", "kept");
    EXPECT_THROW(SplitSentences(dir / "missing.txt", dir / "out.txt", TControlWordList()), EFileError);
    EXPECT_THROW(MarkDocumentTerms(dir / "missing.txt", dir / "out.txt", TControlWordList(), Dictionary()),
                 EFileError);
    EXPECT_EQ(pemtest::ReadFile(dir / "out.txt"), "kept");
}

// The output is the input tree's own file: a link in its place is replaced
// by the new text, and the file it pointed at stays as it was.
TEST(DocumentTextFiles, ALinkInTheOutputsPlaceIsNotWrittenThrough) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "outside.txt", "not the run's");
    pemtest::WriteFile(dir / "in.txt", "The value is high. Next one\n");
    std::filesystem::create_symlink(std::filesystem::path(dir / "outside.txt"), std::filesystem::path(dir / "out.txt"));
    SplitSentences(dir / "in.txt", dir / "out.txt", TControlWordList());
    EXPECT_FALSE(std::filesystem::is_symlink(std::filesystem::path(dir / "out.txt")));
    EXPECT_NE(pemtest::ReadFile(dir / "out.txt").find("Next one"), std::string::npos);
    std::filesystem::create_symlink(std::filesystem::path(dir / "outside.txt"), std::filesystem::path(dir / "wrap.txt"));
    CleanAndWrapFile(dir / "wrap.txt");
    EXPECT_FALSE(std::filesystem::is_symlink(std::filesystem::path(dir / "wrap.txt")));
    EXPECT_EQ(pemtest::ReadFile(dir / "outside.txt"), "not the run's");
}
