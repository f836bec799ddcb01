// The output-directory field's rules: what may be entered, the language
// folder forced below it, its normal form, and the job's names dropped on it.
#include "OutputDirRules.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {

// The field after it was left: refused, or forced and normalised.
std::string Left(const std::string& text, const TOutputDirContext& ctx) {
    const TOutputDirCheck check = CheckOutputDirText(text);
    if (check != TOutputDirCheck::Ok) return "error: " + OutputDirCheckMessage(check);
    const std::string forced = ForcedLanguageFolder(text, ctx);
    return NormaliseOutputDir(forced.empty() ? text : forced);
}

} // namespace

TEST(OutputDirRules, LeavingTheField) {
    const std::vector<std::string> installed = {"COB", "JAV", "GER", "ENG"};
    const struct {
        const char* text;
        int kind;
        const char* code;
        const char* job;
        const char* field;
    } cases[] = {
        {"/out", 0, "COB", "", "/out/COB"},
        {"/out/COB/", 0, "COB", "", "/out/COB"},
        {"/out/cob", 0, "COB", "", "/out/cob/COB"},                // folder names compare by case
        {"/jobs/MyJob/x", 0, "COB", "MyJob", "/jobs/MyJob/x"},     // the job's own folder
        {"/jobs/MyJobX/x", 0, "COB", "MyJob", "/jobs/MyJobX/x/COB"},
        {"/t/ENG/", 6, "GER", "", "/t/GER"},                        // the other document language goes
        {"/t/GER/sub", 6, "ENG", "", "/t/ENG"},
        {"/t/XENG/", 6, "GER", "", "/t/XENG/GER"},                  // only a whole folder
        {"/out/JAV", 4, "COB", "", "/out/COB"},                     // an installed language's folder goes
        {"/out/XYZ", 4, "COB", "", "/out/XYZ/COB"},
        {"/out/JAV", 0, "COB", "", "/out/JAV/COB"},
        {"//out///sub//", 0, "COB", "", "/out/sub/COB"},
        {"/out//COB//", 0, "COB", "", "/out/COB"},
        {"/out", 0, "", "", "/out"},                                // no language, no folder
        {"/", 0, "COB", "", "/COB"},
        {"", 0, "COB", "", "error: This field must not be empty"},
        {"out/rel", 0, "COB", "", "error: Invalid output directory (No relative or UNC format path is allowed here)!"},
    };
    for (const auto& c : cases) {
        const TOutputDirContext ctx{c.job, c.code, c.kind, installed};
        EXPECT_EQ(Left(c.text, ctx), c.field) << c.text << " kind " << c.kind << " " << c.code;
    }
}

TEST(OutputDirRules, NormalForm) {
    EXPECT_EQ(NormaliseOutputDir("/a//b///c/"), "/a/b/c");
    EXPECT_EQ(NormaliseOutputDir("///"), "/");
    EXPECT_EQ(NormaliseOutputDir(""), "");
    EXPECT_EQ(WorkFolderOf("/out"), "/out/work");
    EXPECT_EQ(WorkFolderOf("/out/"), "/out/work");
    EXPECT_EQ(WorkFolderOf(""), ""); // never a folder relative to where the program runs
}

TEST(OutputDirRules, TheJobsNamesDroppedOnTheField) {
    const struct {
        const char* text;
        std::optional<std::string> field;
    } cases[] = {
        {"/out/COB", "/out/Job"},    // the language's folder makes way
        {"/out", "/out/Job"},
        {"/out/", "/out/Job"},
        {"/out/Job", std::nullopt},
        {"/out/Job/COB", std::nullopt},
        {"/COB", "/Job"},
        {"/out/cob", "/out/cob/Job"},
    };
    for (const auto& c : cases) EXPECT_EQ(DropJobNameOnOutputDir(c.text, "COB", "Job"), c.field) << c.text;
}
