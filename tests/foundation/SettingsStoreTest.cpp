#include "IniSettingsFile.h"
#include "SettingsStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        SetSettingsApplication("Korvex Shell");
        SetSettingsSection("Parameters");
    }
    std::string Stored(const std::string& name) {
        IniSettingsFile f(IniSettingsFile::PathFor("Korvex Shell"));
        std::string v = "<none>";
        f.Read("Parameters", name, v);
        return v;
    }
    pemtest::TempDir dir;
};
} // namespace

TEST_F(SettingsStoreTest, RoundTripsEveryValueType) {
    WriteSetting("FontName", "Courier New");
    WriteSettingInt("FormTop", -12);
    WriteSettingBool("FontBold", true);
    WriteSetting("Multi", "a\nb\\c=d");
    EXPECT_EQ(ReadSettingStr("FontName"), "Courier New");
    EXPECT_EQ(ReadSettingIntDef("FormTop", 5), -12);
    EXPECT_TRUE(ReadSettingBool("FontBold"));
    EXPECT_EQ(ReadSettingStr("Multi"), "a\nb\\c=d");
    // Keys are compared without case, as the registry does.
    EXPECT_EQ(ReadSettingStr("fontname"), "Courier New");
    EXPECT_EQ(ReadSettingInt("FORMTOP"), -12);
}

TEST_F(SettingsStoreTest, FirstReadWritesBackTheDefaultOrAnEmptyValue) {
    EXPECT_EQ(ReadSettingStrDef("LastFolder", "/home"), "/home");
    EXPECT_EQ(Stored("LastFolder"), "/home");
    EXPECT_EQ(ReadSettingStr("Nothing"), "");
    EXPECT_EQ(Stored("Nothing"), "");
    EXPECT_EQ(ReadSettingIntDef("FormWidth", 640), 640);
    EXPECT_EQ(Stored("FormWidth"), "640");
    EXPECT_TRUE(ReadSettingBoolDef("Flag", true));
    EXPECT_EQ(Stored("Flag"), "1");
}

TEST_F(SettingsStoreTest, TypedReadersOfOddStoredTexts) {
    struct Case { const char* stored; bool asBool; int asInt; };
    const Case cases[] = {
        {"1", true, 1}, {"0", false, 0}, {"true", false, 77}, {"Y", false, 77}, {"12x", false, 77},
        {" 5", false, 77}, {"99999999999", false, 77},
    };
    for (const auto& c : cases) {
        WriteSetting("V", c.stored);
        EXPECT_EQ(ReadSettingBoolDef("V", true), c.asBool) << c.stored;
        EXPECT_EQ(ReadSettingIntDef("V", 77), c.asInt) << c.stored;
        // A text that is no integer stays as it was.
        EXPECT_EQ(Stored("V"), c.stored);
    }
}

TEST_F(SettingsStoreTest, SectionAloneNamesTheApplicationToo) {
    SetSettingsApplication("");
    SetSettingsSection("Parameters");
    EXPECT_EQ(SettingsApplication(), "Parameters");
    EXPECT_EQ(SettingsKey(), "Software\\Valtmoor\\Parameters\\Parameters\\");
}

TEST_F(SettingsStoreTest, SurvivesMissingEmptyAndCorruptFiles) {
    std::string path = IniSettingsFile::PathFor("Korvex Shell");
    // Missing: defaults.
    EXPECT_EQ(ReadSettingIntDef("FormLeft", 3), 3);
    // Empty file.
    pemtest::WriteFile(path, "");
    EXPECT_EQ(ReadSettingStrDef("FontName", "Arial"), "Arial");
    // Corrupt: binary junk, lines without "=", a key before any section.
    pemtest::WriteFile(path, std::string("orphan=1\n\x01\x02garbage\n[Parameters]\nno equals\nFormLeft=44\n\xff\xfe", 55));
    EXPECT_EQ(ReadSettingIntDef("FormLeft", 3), 44);
    EXPECT_EQ(ReadSettingStr("orphan"), "");
}

TEST_F(SettingsStoreTest, WritesAtomicallyLeavingNoTemporaryFiles) {
    for (int i = 0; i < 20; ++i) WriteSettingInt("N" + std::to_string(i), i);
    std::string path = IniSettingsFile::PathFor("Korvex Shell");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
        ++files;
        EXPECT_EQ(e.path().string(), path);
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(ReadSettingInt("N19"), 19);
}

TEST_F(SettingsStoreTest, ReplaceableRoutines) {
    std::map<std::string, std::string> mem;
    auto oldRead = ReadSettingProc;
    auto oldWrite = WriteSettingProc;
    ReadSettingProc = [&](const std::string& n, std::string& v) { v = mem[n]; };
    WriteSettingProc = [&](const std::string& n, const std::string& v) { mem[n] = v; };
    EXPECT_EQ(ReadSettingIntDef("X", 9), 9);
    EXPECT_EQ(mem["X"], "9");
    ReadSettingProc = oldRead;
    WriteSettingProc = oldWrite;
}
