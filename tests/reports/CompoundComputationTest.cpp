// The compound metrics of metric documents, checked byte for byte against
// result documents worked out by hand from the files in
// fixtures/reports/compound.
#include "CompoundComputation.h"
#include "MetricTemplates.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {

const std::string kDir = FIXTURES_DIR "/reports/compound/";

struct Input {
    const char* file;
    const char* label;
    const char* system;
};

std::string Compute(std::initializer_list<Input> inputs) {
    TCompoundMetrics m;
    for (const Input& in : inputs) m.AddFile(kDir + in.file, in.label, in.system);
    return m.ResultText(kTemplateCompoundSample, "Demo", "2011-01-07");
}

} // namespace

// Weighted code values, a file without statements weighing 1, a data file
// without tables weighing 0, requirement values as the middle of their
// range with values of 2.0 and more leaving the minimum unset, "AB" lost
// after "ABC" in the systems, and everything 0 pruned with the groups it
// emptied.
TEST(CompoundComputation, CodeAndRequirementFilesGiveTheHandWorkedDocument) {
    const std::string text = Compute({{"prc.xml", "Prc. Code", "ABC"},
                                      {"oo.xml", "OO Code", "AB"},
                                      {"zero.xml", "Prc. Code", "ABC"},
                                      {"data.xml", "Data", "DB"},
                                      {"req1.xml", "Requirement", "REQ"},
                                      {"req2.xml", "Requirement", "REQ"}});
    EXPECT_EQ(text, pemtest::ReadFile(kDir + "expected_code_req.txt"));
}

// The test cases' conformity is the middle of their complexity range.
TEST(CompoundComputation, TestCaseFilesGiveTheHandWorkedDocument) {
    const std::string text = Compute({{"test1.xml", "Test Case", "TST"}, {"test2.xml", "Test Case", "TST"}});
    EXPECT_EQ(text, pemtest::ReadFile(kDir + "expected_tests.txt"));
}

TEST(CompoundComputation, NothingSummedLeavesTheHeadAndAnEmptyQuantityGroup) {
    EXPECT_EQ(Compute({}), pemtest::ReadFile(kDir + "expected_nothing.txt"));
}

TEST(CompoundComputation, RangeMiddles) {
    struct Case {
        std::vector<const char*> files;
        const char* element;
        const char* want;
    } cases[] = {
        {{"req1.xml", "req2.xml"}, "Req_Quality", "0.40"},
        {{"req2.xml"}, "Req_Quality", "0.60"},
        {{}, "Req_Quality", "0.00"},
        {{"req1.xml", "req2.xml"}, "Req_Complexity", "2.50"}, // 3.0 and 5.0: the minimum stays unset
    };
    for (const auto& c : cases) {
        TCompoundMetrics m;
        for (const char* f : c.files) m.AddFile(kDir + f, "Requirement", "REQ");
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.2f", m.Real(c.element));
        EXPECT_STREQ(buf, c.want) << c.element << " of " << c.files.size();
    }
}

TEST(CompoundComputation, AMissingElementStopsWithTheModelsMessage) {
    TCompoundMetrics m;
    m.AddFile(kDir + "prc.xml", "Prc. Code", "ABC");
    EXPECT_EQ(pemtest::MessageOf<std::exception>([&] { m.AddFile(kDir + "nostmts.xml", "Prc. Code", "ABC"); }),
              "Tag \"Nr_Stmts\" doesn't exist");
    // A file that is gone counts for nothing; another kind counts for nothing.
    EXPECT_FALSE(m.AddFile(kDir + "gone.xml", "Prc. Code", "ABC"));
    EXPECT_TRUE(m.AddFile(kDir + "prc.xml", "Defect", "ABC"));
    EXPECT_EQ(m.FilesSummed(), 2); // prc.xml and the failed file, not the others
}

TEST(CompoundComputation, TheReportLinesOfACompoundDocument) {
    const std::string text = Compute({{"test1.xml", "Test Case", "TST"}});
    const TComprehensiveReport r = ComprehensiveReportOf(text, "Demo", "PAY");
    EXPECT_EQ(r.Title, "Demo_PAY_Comprehensive_Report");
    EXPECT_EQ(r.SystemsLabel, "TST");
    EXPECT_EQ(r.TableLabel, "Test Case");
    EXPECT_EQ(r.Lines.Text(), pemtest::ReadFile(kDir + "expected_tests_lines.txt"));
}
