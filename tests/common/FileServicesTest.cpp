#include "Exceptions.h"
#include "SharedRoutinesFiles.h"
#include "TempFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>

using namespace pem;
namespace fs = std::filesystem;
using pemtest::ReadFile;
using pemtest::TempDir;
using pemtest::WriteFile;

namespace {

using pemtest::ScopedEnv;

// A fake desktop tool that appends its name and argument to a log.
void FakeTool(const std::string& bin, const std::string& name, const std::string& log) {
    const std::string path = bin + "/" + name;
    WriteFile(path, "#!/bin/sh\necho \"" + name + " $1\" >> '" + log + "'\n");
    ::chmod(path.c_str(), 0755);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace

// The job-file type registered in the order the program does it: extension,
// icon, then the advanced verb and the plain one, which ends as the default.
TEST(FileTypeRegistration, MimeTypeAndDesktopFileWithBothActions) {
    TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", dir / "data");
    ScopedEnv path("PATH", dir / "bin");
    FakeTool(dir / "bin", "update-mime-database", dir / "tools.log");
    FakeTool(dir / "bin", "update-desktop-database", dir / "tools.log");
    const std::string type = "Ulvar Korvex Job Definition";

    ASSERT_TRUE(RegisterFileExtension(".jkvx", type));
    ASSERT_TRUE(RegisterFileTypeIcon(type, "/opt/pem/Korvex,0"));
    ASSERT_TRUE(RegisterFileTypeVerb(type, "OpenAdvanced", "Start job with advanced options enabled",
                                     "\"/opt/pem/Korvex\" -sha -root \"/opt/tool root\" -proj \"%1\""));
    ASSERT_TRUE(RegisterFileTypeVerb(type, "Open", "Start job",
                                     "\"/opt/pem/Korvex\" -root \"/opt/tool root\" -proj \"%1\""));

    EXPECT_EQ(FileTypeMimeName(type), "application/x-ulvar-korvex-job-definition");
    const std::string mime = ReadFile(dir / "data/mime/packages/ulvar-korvex-job-definition.xml");
    EXPECT_TRUE(Contains(mime, "<mime-type type=\"application/x-ulvar-korvex-job-definition\">")) << mime;
    EXPECT_TRUE(Contains(mime, "<comment>Ulvar Korvex Job Definition</comment>")) << mime;
    EXPECT_TRUE(Contains(mime, "<glob pattern=\"*.jkvx\"/>")) << mime;

    const std::string desktop = ReadFile(dir / "data/applications/" + FileTypeDesktopFileName(type));
    EXPECT_EQ(desktop,
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Ulvar Korvex Job Definition\n"
              "MimeType=application/x-ulvar-korvex-job-definition;\n"
              "NoDisplay=true\n"
              "Icon=/opt/pem/Korvex\n"
              "Actions=OpenAdvanced;Open;\n"
              "Exec=/opt/pem/Korvex -root \"/opt/tool root\" -proj %f\n"
              "X-Default-Action=Open\n"
              "\n"
              "[Desktop Action OpenAdvanced]\n"
              "Name=Start job with advanced options enabled\n"
              "Exec=/opt/pem/Korvex -sha -root \"/opt/tool root\" -proj %f\n"
              "\n"
              "[Desktop Action Open]\n"
              "Name=Start job\n"
              "Exec=/opt/pem/Korvex -root \"/opt/tool root\" -proj %f\n");

    const std::string log = ReadFile(dir / "tools.log");
    EXPECT_TRUE(Contains(log, "update-mime-database " + (dir / "data/mime") + "\n")) << log;
    EXPECT_TRUE(Contains(log, "update-desktop-database " + (dir / "data/applications") + "\n")) << log;

    // Registering again changes nothing and adds no second action.
    ASSERT_TRUE(RegisterFileTypeVerb(type, "Open", "Start job",
                                     "\"/opt/pem/Korvex\" -root \"/opt/tool root\" -proj \"%1\""));
    ASSERT_TRUE(RegisterFileExtension(".jkvx", type));
    EXPECT_EQ(ReadFile(dir / "data/applications/" + FileTypeDesktopFileName(type)), desktop);
    EXPECT_EQ(ReadFile(dir / "data/mime/packages/ulvar-korvex-job-definition.xml"), mime);
}

// Arguments that the desktop's Exec rules would take apart are quoted and
// escaped; a literal "%" is doubled.
TEST(FileTypeRegistration, CommandLinesAreQuotedForTheDesktop) {
    TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", dir / "data");
    ScopedEnv path("PATH", dir / "nobin");
    ASSERT_TRUE(RegisterFileTypeVerb("T & <x>", "Open", "Go \\ now",
                                     "\"/opt/my $app\\run\" -p 50% -proj \"%1\" \"\""));
    const std::string desktop = ReadFile(dir / "data/applications/" + FileTypeDesktopFileName("T & <x>"));
    EXPECT_TRUE(Contains(desktop, "Name=T & <x>\n")) << desktop;
    EXPECT_TRUE(Contains(desktop, "Name=Go \\\\ now\n")) << desktop;
    EXPECT_TRUE(Contains(desktop, "Exec=\"/opt/my \\\\$app\\\\\\\\run\" -p 50%% -proj %f \"\"\n")) << desktop;
}

TEST(FileTypeRegistration, FailuresGiveFalse) {
    TempDir dir;
    WriteFile(dir / "file", "not a folder");
    ScopedEnv data("XDG_DATA_HOME", dir / "file/data");
    ScopedEnv path("PATH", dir / "nobin");
    EXPECT_FALSE(RegisterFileExtension(".jkvx", "Job"));
    EXPECT_FALSE(RegisterFileTypeIcon("Job", "/x,0"));
    EXPECT_FALSE(RegisterFileTypeVerb("Job", "Open", "Start job", "x \"%1\""));
}

TEST(GetVersionInfoValue, CompiledVersionAndRecordKeys) {
    EXPECT_EQ(GetVersionInfoValue("FileVersion"), PEMARIS_VERSION);
    EXPECT_EQ(GetVersionInfoValue("productversion"), PEMARIS_VERSION);
    EXPECT_FALSE(GetVersionInfoValue("ProductName").empty());
    EXPECT_FALSE(GetVersionInfoValue("FileDescription").empty());
    EXPECT_FALSE(GetVersionInfoValue("LegalCopyright").empty());
    EXPECT_EQ(GetVersionInfoValue("NoSuchKey"), "");
}

TEST(ExtractResourceToTempFile, WritesAFreshFileInThePrivateFolder) {
    const std::string bytes("RIFF\0\x01\x02 cursor", 14);
    RegisterResource("BusyCursor", "ANICURSOR", bytes);
    std::string first, second;
    ExtractResourceToTempFile("BUSYCURSOR", "anicursor", first);
    ExtractResourceToTempFile("BusyCursor", "ANICURSOR", second);
    EXPECT_NE(first, second);
    for (const auto& f : {first, second}) {
        EXPECT_EQ(ReadFile(f), bytes);
        EXPECT_EQ(fs::path(f).parent_path().string(), PrivateTempDir());
        EXPECT_EQ(fs::path(f).filename().string().substr(0, 1), "~");
        fs::remove(f);
    }
    struct stat st {};
    ASSERT_EQ(::stat(PrivateTempDir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);  // nobody else may look in

    std::string none;
    EXPECT_THROW(ExtractResourceToTempFile("BusyCursor", "CURSOR", none), Exception);
    EXPECT_THROW(ExtractResourceToTempFile("../../etc/passwd", "X", none), Exception);
    EXPECT_EQ(none, "");
}
