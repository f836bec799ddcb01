// The dictionary terms read against the ticked control words, on a small
// dictionary: short terms, exceptions, plurals, compounds, the delimiter
// warning, and the cache.
#include "DictionaryTerms.h"
#include "Exceptions.h"
#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

class DictionaryTermsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* ext : {".tdfall", ".tdfc", ".exceptions"})
            fs::copy_file(std::string(FIXTURES_DIR "/dictionary/english") + ext, dir / (std::string("english") + ext));
    }
    std::string Base() const { return dir / "english"; }

    static std::vector<std::pair<std::string, int>> Singles(const TDictionaryTerms& d) {
        std::vector<std::pair<std::string, int>> out;
        for (const auto& t : d.SingleTerms()) out.emplace_back(t.term, t.value);
        return out;
    }

    pemtest::TempDir dir;
    const std::vector<std::string> ticked = {"INPT shall", "OTPT interfaces", "PROC users", "LINK user interface",
                                             "FUNC reports", "CASE Data_Base"};
};

} // namespace

TEST_F(DictionaryTermsTest, ControlWordsLeaveTheTermsAndTheirCompounds) {
    TDictionaryTerms d;
    EXPECT_TRUE(d.ReadControlWords(Base(), ticked));
    // "system" (-1) is an exception; "network" (-4) one too: 99 + 4. "is"
    // (-5) is short: kept as 4. "io" (-1) and "ab" (3) are short: dropped.
    // "shall", "interfaces" and "users" are control words; "interface" and
    // "user" follow as exceptions (-1 goes, -2 becomes 101); "reports" takes
    // "report" with it.
    EXPECT_EQ(Singles(d), (std::vector<std::pair<std::string, int>>{
                              {"base", 5}, {"data", -3}, {"is", 4}, {"network", 103}, {"user", 101}}));
    // A compound holding a control word as a part goes; one equal to it
    // stays, and so does one holding it only inside a word.
    EXPECT_EQ(d.CompoundTerms(), (std::vector<std::string>{"big_data", "data_base", "report_writer", "user_interface"}));
    EXPECT_EQ(d.Exceptions(), (std::vector<std::string>{"network", "system"}));
    EXPECT_EQ(d.Warnings(), std::vector<std::string>{"Control word LINK user interface contains a word delimiter"});
    // The look-ups ignore case.
    ASSERT_TRUE(d.FindSingleTerm("DATA"));
    EXPECT_EQ(d.FindSingleTerm("DATA")->value, -3);
    EXPECT_FALSE(d.FindSingleTerm("shall"));
    EXPECT_TRUE(d.HasCompoundTerm("Big_Data"));
    EXPECT_TRUE(d.IsException("SYSTEM"));
    // The exceptions file lost its empty line and its control line.
    EXPECT_EQ(pemtest::ReadFile(dir / "english.exceptions"), "network\nsystem\nNetwork\n");
}

TEST_F(DictionaryTermsTest, TheFilesAreReadAgainOnlyWhenSomethingChanged) {
    TDictionaryTerms d;
    EXPECT_TRUE(d.ReadControlWords(Base(), ticked));
    EXPECT_FALSE(d.ReadControlWords(Base(), ticked));
    EXPECT_EQ(d.Readings(), 1);
    std::vector<std::string> fewer(ticked.begin(), ticked.end() - 1);
    EXPECT_TRUE(d.ReadControlWords(Base(), fewer));
    EXPECT_EQ(d.Readings(), 2);
    pemtest::WriteFile(dir / "english.tdfc", "data_base_system\n");
    EXPECT_TRUE(d.ReadControlWords(Base(), fewer));
    EXPECT_EQ(d.Readings(), 3);
    EXPECT_EQ(d.CompoundTerms(), std::vector<std::string>{"data_base_system"});
}

TEST_F(DictionaryTermsTest, WithoutExceptionsOnlyTheSingleTermsAreRead) {
    fs::remove(dir / "english.exceptions");
    TDictionaryTerms d;
    d.ReadControlWords(Base(), ticked);
    EXPECT_TRUE(d.FindSingleTerm("shall"));
    EXPECT_TRUE(d.FindSingleTerm("system"));
    EXPECT_TRUE(d.CompoundTerms().empty());
    EXPECT_TRUE(d.Warnings().empty());
}

TEST_F(DictionaryTermsTest, AnExceptionsFileThatCannotBeWrittenGivesAWarning) {
    ::chmod((dir / "english.exceptions").c_str(), 0444);
    TDictionaryTerms d;
    d.ReadControlWords(Base(), {});
    ASSERT_EQ(d.Warnings().size(), 1u);
    EXPECT_NE(d.Warnings()[0].find("english.exceptions"), std::string::npos);
    // The cleaned list is used all the same.
    EXPECT_EQ(d.Exceptions(), (std::vector<std::string>{"network", "system"}));
    EXPECT_EQ(pemtest::ReadFile(dir / "english.exceptions"), "network\nsystem\n\n\001junk\nNetwork\n");
}

TEST_F(DictionaryTermsTest, BrokenDictionariesRaiseAndAreReadAgain) {
    TDictionaryTerms d;
    pemtest::WriteFile(dir / "english.tdfall", "good=1\nbad=x1\n");
    EXPECT_THROW(d.ReadControlWords(Base(), ticked), EConvertError);
    EXPECT_TRUE(d.SingleTerms().empty());
    pemtest::WriteFile(dir / "english.tdfall", "good=1\n");
    EXPECT_TRUE(d.ReadControlWords(Base(), ticked));
    fs::remove(dir / "english.tdfc");
    EXPECT_THROW(d.ReadControlWords(Base(), {}), EFileError);
    EXPECT_THROW(TDictionaryTerms().ReadControlWords(dir / "none", {}), EFileError);
}

TEST(WordDelimiters, AreTheDocumentsPunctuation) {
    for (char c : std::string(" \t!\"%'+,./:;<=>?\\^`~\x85\x96\x97")) EXPECT_TRUE(IsWordDelimiter(c)) << int(c);
    for (char c : std::string("aZ0_-&@()[]{}#$*")) EXPECT_FALSE(IsWordDelimiter(c)) << c;
}
