// Saving a document over an older one, by the XML document model and by a
// string list, under bad luck: a full disk and a save killed half-way. The
// old document stays whole until the new one is complete.
#include "Exceptions.h"
#include "FileFaults.h"
#include "StringList.h"
#include "TessalyXML.h"
#include "TestSupport.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

// A metric document of about size bytes, its entities numbered from first.
std::string MetricDocument(size_t size, int first) {
    std::string text = "<?xml version=\"1.0\"?>\r\n<QMETRICS>\r\n";
    for (int i = first; text.size() < size; ++i)
        text += "  <METRIC_ENTITY Entity=\"Module\" EName=\"M" + std::to_string(i) + "\">\r\n    <Lines>" +
                std::to_string(i * 7) + "</Lines>\r\n  </METRIC_ENTITY>\r\n";
    return text + "</QMETRICS>\r\n";
}

// Each way a document is saved: the text it writes, and the save itself.
struct Saver {
    const char* what;
    std::function<std::function<void(const std::string&)>(const std::string& text)> make;
};

const Saver kSavers[] = {
    {"XML document",
     [](const std::string& text) -> std::function<void(const std::string&)> {
         std::shared_ptr<TMyXMLNodeList> doc = TMyXMLNodeList::CreateFromText(text);
         return [doc](const std::string& file) { doc->SaveToFile(file); };
     }},
    {"string list",
     [](const std::string& text) -> std::function<void(const std::string&)> {
         auto list = std::make_shared<TStringList>();
         list->SetText(text);
         return [list](const std::string& file) { list->SaveToFile(file); };
     }},
};

// What a save of text writes: saved once into a file of its own.
std::string Written(const std::function<void(const std::string&)>& save, const std::string& file) {
    save(file);
    const std::string text = pemtest::ReadFile(file);
    fs::remove(file);
    return text;
}

int EntriesIn(const std::string& dir) {
    return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

} // namespace

// A disk that fills up while the new text is written: the save fails with
// "Can not write file", and the old document is there byte for byte, not cut
// at the point where the disk was full.
TEST(DocumentSaves, AFullDiskLeavesTheOldDocumentWhole) {
    for (const Saver& s : kSavers) {
        SCOPED_TRACE(s.what);
        pemtest::TempDir dir;
        const std::string file = dir / "PAY.xml";
        const std::string old = MetricDocument(97839, 0);
        pemtest::WriteFile(file, old);
        const auto save = s.make(MetricDocument(120000, 1000));

        const int rc = pemtest::RunOnAFullDisk(64 * 1024, [&] {
            try {
                save(file);
            } catch (const EFileError& e) {
                return std::string(e.what()) == "Can not write file " + file ? 0 : 2;
            }
            return 1;
        });
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(pemtest::ReadFile(file), old);
        EXPECT_EQ(EntriesIn(dir.Path()), 1);
    }
}

// A save killed at any moment leaves either the old document or the new
// one, each whole; the next save clears what the killed ones left behind.
TEST(DocumentSaves, AKilledSaveLeavesTheOldDocumentOrTheNewOne) {
    std::mt19937 random(27);
    for (const Saver& s : kSavers) {
        SCOPED_TRACE(s.what);
        pemtest::TempDir dir;
        const std::string file = dir / "PAY.xml";
        const std::string old = MetricDocument(100000, 0);
        const auto save = s.make(MetricDocument(3400000, 5000));
        const std::string saved = Written(save, dir / "reference.xml");
        ASSERT_GT(saved.size(), 3000000u);

        int oldSeen = 0, newSeen = 0;
        for (int round = 0; round < 20; ++round) {
            pemtest::WriteFile(file, old);
            const pid_t pid = ::fork();
            if (pid == 0) {
                for (;;) {
                    try {
                        save(file);
                    } catch (...) {
                        ::_exit(1);
                    }
                }
            }
            ASSERT_GT(pid, 0);
            ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(2000, 80000)(random)));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            const std::string now = pemtest::ReadFile(file);
            ASSERT_TRUE(now == old || now == saved) << "round " << round << ": " << now.size() << " bytes";
            ++(now == old ? oldSeen : newSeen);
        }
        RecordProperty(std::string(s.what) + " old/new", std::to_string(oldSeen) + "/" + std::to_string(newSeen));
        save(file);
        EXPECT_EQ(pemtest::ReadFile(file), saved);
        EXPECT_EQ(EntriesIn(dir.Path()), 1);
    }
}
