// The language's file filter, the extensions it admits and the names no job
// can carry.
#include "FileFilter.h"

#include <gtest/gtest.h>
#include <map>

using namespace pem;

namespace {

TIniLookup Lookup(std::map<std::string, std::string> lines) {
    return [lines](const std::string& name) {
        auto it = lines.find(name);
        return it == lines.end() ? std::string() : it->second;
    };
}

const char* const kMissing = "Shell program error, missing filter definition, inform Valtmoor";
const char* const kFallback = "All files (Possible definition error)|*.*";

} // namespace

TEST(FileFilterTest, FilterOfALanguage) {
    const TIniLookup ini = Lookup({
        {"COB.Filters", "COBOL (*.cbl)|*.cbl"},
        {"V85.Filters", "Copy books (*.cpy)|*.cpy"},
        {"PLI.Filters", "|PL/I (*.pli)|*.pli"},
        {"NAT.Filters", "Natural (*.nsp)|*.nsp"},
        {"MAP.Filters", "Maps (*.nsm)|*.nsm"},
    });
    struct Case {
        const char* what;
        std::string key, version;
        TFilterGroup group;
        std::string want;
        std::vector<std::string> messages;
    };
    const TFilterGroup group{true, {"NAT", "MAP"}, {}};
    const TFilterGroup looping{true, {"NAT"}, {"Group=WAA"}};
    const Case cases[] = {
        {"plain", "COB", "", {}, "COBOL (*.cbl)|*.cbl", {}},
        {"version", "COB", "V85", {}, "COBOL (*.cbl)|*.cbl|Copy books (*.cpy)|*.cpy", {}},
        {"version without filters", "COB", "V74", {}, "COBOL (*.cbl)|*.cbl", {}},
        {"missing", "ASM", "", {}, kFallback, {kMissing}},
        {"missing, with a version", "ASM", "V85", {}, "Copy books (*.cpy)|*.cpy", {}},
        {"leading bar", "PLI", "", {}, "PL/I (*.pli)|*.pli", {}},
        {"group", "WAA", "V1", group, "Natural (*.nsp)|*.nsp|Maps (*.nsm)|*.nsm", {}},
        {"group naming itself", "WAA", "", looping, "Natural (*.nsp)|*.nsp",
         {"WAA.SubProcessors: Group=WAA names the group itself and is skipped"}},
        {"group member without filter", "WAA", "", {true, {"NAT", "XYZ"}, {}},
         std::string("Natural (*.nsp)|*.nsp|") + kFallback, {kMissing}},
        {"group undefined", "WAA", "", {}, "",
         {"Installation error #1, WAA.SubProcessors is missing from ini file"}},
    };
    for (const Case& c : cases) {
        TSourceMessages messages;
        EXPECT_EQ(GetFileFilter(ini, c.key, c.version, "WAA", c.group, messages), c.want) << c.what;
        std::vector<std::string> texts;
        for (const auto& m : messages) texts.push_back(m.text);
        EXPECT_EQ(texts, c.messages) << c.what;
    }
}

TEST(FileFilterTest, OnlyExtensionsNamedLiterallyAreAdmitted) {
    struct Case {
        std::string filter, path;
        bool admitted;
    };
    const Case cases[] = {
        {"COBOL (*.cbl;*.cob)|*.cbl;*.cob", "/s/x.CBL", true},
        {"COBOL (*.cbl;*.cob)|*.cbl;*.cob", "/s/x.cob", true},
        {"COBOL (*.cbl;*.cob)|*.cbl;*.cob", "/s/x.cbl.bak", false},
        {"COBOL (*.cbl;*.cob)|*.cbl;*.cob", "/s/cbl", false},
        {"COBOL (*.cbl;*.cob)|*.cbl;*.cob", "/s.cbl/readme", false},
        {"All files (Possible definition error)|*.*", "/s/x.cbl", false},
        {"All files (Possible definition error)|*.*", "/s/x", false},
        {"", "/s/x.cbl", false},
        {"Java (*.java)|*.JAVA", "/s/A.java", true},
    };
    for (const Case& c : cases) EXPECT_EQ(TExtensionList(c.filter).Admits(c.path), c.admitted) << c.filter << " " << c.path;

    EXPECT_EQ(TExtensionList("COBOL (*.cbl;*.cob)|*.cbl;*.cob|Copy (*.CPY)|*.CPY").SearchList(), ".cbl;.cob;.cpy;");
    EXPECT_EQ(TExtensionList(kFallback).SearchList(), "");
}

TEST(FileFilterTest, NamesAJobCannotCarry) {
    struct Case {
        std::string path;
        bool safe;
    };
    const Case cases[] = {
        {"/s/ok name.cbl", true},       {"/s/\xE9t\xE9.cbl", true},  {"/s/two\nlines.cbl", false},
        {"/s/tab\there.cbl", false},    {"/s/cr\r.cbl", false},      {"/s/a<b.cbl", false},
        {"/s/a>b.cbl", false},          {"/s/a&b.cbl", true},
    };
    for (const Case& c : cases) EXPECT_EQ(UnsafeSourceNameReason(c.path).empty(), c.safe) << c.path;
    EXPECT_EQ(SkippedSourceMessage("/s/two\nlines.cbl", UnsafeSourceNameReason("/s/two\nlines.cbl")),
              "File skipped, its name holds a line break or another control character: /s/two?lines.cbl");
}
