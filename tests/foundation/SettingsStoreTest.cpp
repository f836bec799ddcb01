#include "IniSettingsFile.h"
#include "SettingsStore.h"
#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

using namespace pem;

namespace {
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        SetSettingsApplication("Korvex Shell");
        SetSettingsSection("Parameters");
        SettingsWarningProc = [this](const std::string& w) { warnings.push_back(w); };
    }
    void TearDown() override { SettingsWarningProc = DefaultSettingsWarning; }
    std::string Path() const { return IniSettingsFile::PathFor("Korvex Shell"); }
    struct stat Stat(const std::string& path) const {
        struct stat st {};
        ::lstat(path.c_str(), &st);
        return st;
    }
    std::vector<std::string> warnings;
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
    WriteSetting("Multi", "a b\\n\\c=d");
    EXPECT_EQ(ReadSettingStr("FontName"), "Courier New");
    EXPECT_EQ(ReadSettingIntDef("FormTop", 5), -12);
    EXPECT_TRUE(ReadSettingBool("FontBold"));
    EXPECT_EQ(ReadSettingStr("Multi"), "a b\\n\\c=d");
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

// A FIFO, a link to /dev/zero and a file past 64 MB are not settings files:
// the start goes on with the defaults, says why once, and never writes over
// them. (The test's ctest timeout guards against a hang on the FIFO.)
TEST_F(SettingsStoreTest, OddOrHugeFilesAreLeftAloneAndDefaultsUsed) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* why;
    };
    const Case cases[] = {
        {"fifo", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, " is not a regular file"},
        {"zero", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); },
         " is not a regular file"},
        {"huge",
         [](const std::string& p) {
             pemtest::WriteFile(p, "[Parameters]\nFontName=Huge\n");
             std::filesystem::resize_file(p, IniSettingsFile::kMaxSize + 1);
         },
         " is larger than 64 MB and taken as corrupt"},
    };
    for (const auto& c : cases) {
        pemtest::TempDir home;
        pemtest::ScopedEnv env("XDG_CONFIG_HOME", home.Path());
        std::filesystem::create_directories(home / "Valtmoor");
        const std::string path = Path();
        c.make(path);
        const struct stat before = Stat(path);
        warnings.clear();

        EXPECT_EQ(ReadSettingStrDef("FontName", "Arial"), "Arial") << c.what;
        EXPECT_EQ(ReadSettingIntDef("FormWidth", 640), 640) << c.what;
        WriteSetting("ProgramVersion", "1.0.0");
        // Kept in memory for the session.
        EXPECT_EQ(ReadSettingStr("ProgramVersion"), "1.0.0") << c.what;

        const struct stat after = Stat(path);
        EXPECT_EQ(after.st_ino, before.st_ino) << c.what;
        EXPECT_EQ(after.st_mode, before.st_mode) << c.what;
        EXPECT_EQ(after.st_size, before.st_size) << c.what;
        EXPECT_EQ(warnings, std::vector<std::string>{"Settings file " + path + c.why +
                                                     ": defaults are used and the file is left as it is"})
            << c.what;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home / "Valtmoor"), {}), 1) << c.what;
    }
}

// Nothing changed, nothing written: the file is replaced only for a new
// name (a first read included) or a changed value. A second hard link shows
// whether the file was replaced since it was made.
TEST_F(SettingsStoreTest, WrittenOnlyWhenAValueChanges) {
    const std::string witness = dir / "witness";
    auto watch = [&] {
        std::filesystem::remove(witness);
        std::filesystem::create_hard_link(Path(), witness);
    };
    auto replaced = [&] { return Stat(Path()).st_nlink == 1; };

    WriteSetting("FontName", "Courier New");
    WriteSettingInt("FormTop", 12);
    watch();
    WriteSetting("FontName", "Courier New");
    WriteSettingInt("FormTop", 12);
    EXPECT_EQ(ReadSettingStrDef("FontName", "Arial"), "Courier New");
    EXPECT_EQ(ReadSettingIntDef("FormTop", 5), 12);
    EXPECT_FALSE(replaced());

    EXPECT_EQ(ReadSettingStrDef("LastFolder", "/home"), "/home");
    EXPECT_TRUE(replaced());
    watch();
    EXPECT_EQ(ReadSettingStrDef("LastFolder", "/other"), "/home");
    EXPECT_EQ(ReadSettingStr("Empty"), "");
    EXPECT_TRUE(replaced());
    watch();
    EXPECT_EQ(ReadSettingStr("Empty"), "");
    EXPECT_FALSE(replaced());
    WriteSettingInt("FormTop", 13);
    EXPECT_TRUE(replaced());
}

// A value holding a line end would break the file (a folder name may hold
// one): it is not stored, the value before it stays, and a warning says so.
TEST_F(SettingsStoreTest, ValuesWithControlCharactersAreSkippedWithAWarning) {
    WriteSetting("LastOutputDir", "/work/out");
    for (const char* bad : {"/work/new\nline", "/work/cr\r", "/work/tab\tbed", "/work/\x01"}) {
        warnings.clear();
        WriteSetting("LastOutputDir", bad);
        EXPECT_EQ(ReadSettingStr("LastOutputDir"), "/work/out") << bad;
        EXPECT_EQ(warnings, std::vector<std::string>{"Setting LastOutputDir not saved: its value holds control "
                                                     "characters"});
    }
    const std::string text = pemtest::ReadFile(Path());
    EXPECT_EQ(text, "[Parameters]\nLastOutputDir=/work/out\n\n");
}

// Saving keeps what the user made of the file: its mode and a link to it.
TEST_F(SettingsStoreTest, ModeAndLinkAreKept) {
    std::filesystem::create_directories(dir / "Valtmoor");
    pemtest::WriteFile(dir / "real.ini", "[Parameters]\nFontName=Arial\n");
    ::chmod((dir / "real.ini").c_str(), 0600);
    std::filesystem::create_symlink(dir / "real.ini", Path());
    WriteSetting("FontName", "Courier");
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(Stat(dir / "real.ini").st_mode & 07777, 0600u);
    EXPECT_EQ(ReadSettingStr("FontName"), "Courier");
    EXPECT_NE(pemtest::ReadFile(dir / "real.ini").find("FontName=Courier"), std::string::npos);
}

// Many keys in several sections, spelt in another case when read: each key
// is found in its own section only, the last of equal keys counts, and a
// save writes the file back as it was read, with the one changed value.
TEST_F(SettingsStoreTest, ManyKeysInSeveralSectionsKeepTheirPlaceAndSpelling) {
    const std::string path = dir / "many.ini";
    std::string text;
    for (const char* section : {"Parameters", "Other"}) {
        text += std::string("[") + section + "]\n";
        for (int i = 0; i < 3000; ++i)
            text += "Key" + std::to_string(i) + "=" + section + std::to_string(i) + "\n";
        text += "KEY7=last " + std::string(section) + "\n";
        text += "\n";
    }
    text += "[Third]\nOnly=here\nEsc=C:\\\\dir\\nnext\n\n";
    pemtest::WriteFile(path, text);

    IniSettingsFile f(path);
    struct Case {
        const char* section;
        std::string key;
        bool found;
        std::string value;
    } cases[] = {
        {"parameters", "key0", true, "Parameters0"},   {"OTHER", "KEY2999", true, "Other2999"},
        {"Parameters", "kEy1234", true, "Parameters1234"}, {"other", "key7", true, "last Other"},
        {"Parameters", "Key7", true, "last Parameters"}, {"Parameters", "Only", false, ""},
        {"third", "ONLY", true, "here"},                 {"Third", "Key0", false, ""},
        {"Parameters", "Key3000", false, ""},            {"Missing", "Key0", false, ""},
        {"THIRD", "esc", true, "C:\\dir\nnext"},
    };
    for (const Case& c : cases) {
        std::string v;
        EXPECT_EQ(f.Read(c.section, c.key, v), c.found) << c.section << " " << c.key;
        if (c.found) EXPECT_EQ(v, c.value) << c.section << " " << c.key;
    }

    ASSERT_TRUE(f.Write("other", "key42", "first change"));
    ASSERT_TRUE(f.Write("other", "key42", "changed"));
    std::string expected = text;
    const std::string before = "[Other]\n";
    const auto at = expected.find("Key42=Other42\n", expected.find(before));
    expected.replace(at, std::string("Key42=Other42\n").size(), "Key42=changed\n");
    // Equal keys are kept once, with the first spelling and the last value.
    for (const char* section : {"Parameters", "Other"}) {
        const std::string dup = "KEY7=last " + std::string(section) + "\n";
        expected.erase(expected.find(dup), dup.size());
        const std::string first = "Key7=" + std::string(section) + "7\n";
        expected.replace(expected.find(first), first.size(), "Key7=last " + std::string(section) + "\n");
    }
    EXPECT_EQ(pemtest::ReadFile(path), expected);
}
