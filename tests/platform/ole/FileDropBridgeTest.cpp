// File lists across the bridge, offscreen: which URLs of a "text/uri-list"
// are local files, what a file drop target reads from a Qt drop, how often a
// drag's list is read, and what a file drag of the program's own carries.
#include "DragDropFile.h"
#include "DragPlayer.h"
#include "MimeDataObject.h"
#include "MimeFormats.h"
#include "OleClipboardFormats.h"
#include "QtApp.h"
#include "QtOleWindows.h"

#include <QLineEdit>
#include <QSysInfo>
#include <gtest/gtest.h>

using namespace pem;
using pemtest::Player;

namespace {

const QByteArray kCyrillic = "file:///tmp/%D0%BF%D1%80%D0%B8%D0%B2%D0%B5%D1%82.txt";
const QString kCyrillicPath = QString::fromUtf8("/tmp/\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt");

QByteArray ThisHost() { return QSysInfo::machineHostName().toUtf8(); }

// Collects the warnings Qt is told while it lives.
class Warnings {
public:
    Warnings() {
        texts().clear();
        previous_ = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtWarningMsg) texts() << msg;
        });
    }
    ~Warnings() { qInstallMessageHandler(previous_); }
    static QStringList& texts() {
        static QStringList t;
        return t;
    }

private:
    QtMessageHandler previous_;
};

// MIME data that counts how often its file list is fetched.
class CountingMime : public QMimeData {
public:
    mutable int uriListReads = 0;

protected:
    QVariant retrieveData(const QString& type, QMetaType meta) const override {
        if (type == "text/uri-list") ++uriListReads;
        return QMimeData::retrieveData(type, meta);
    }
};

class FileDropBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitialiseOleBridge();
        frame.resize(200, 60);
        edit = new QLineEdit(&frame);
        edit->setGeometry(5, 5, 190, 30);
        target.RegisterTargetControl(WindowOf(&frame));
        target.OnDrop = [this](TCustomDropTarget*, TShiftState, POINT, DWORD&) {
            ++drops;
            for (int i = 0; i < target.Files().Count(); ++i) files << QString::fromStdU16String(target.Files().Get(i));
        };
    }

    struct AppFirst {
        AppFirst() { pemtest::EnsureQApp(); }
    } appFirst; // before any widget member
    QWidget frame;
    QLineEdit* edit = nullptr;
    TDropFileTarget target;
    int drops = 0;
    QStringList files;
};

} // namespace

TEST_F(FileDropBridgeTest, WhichUrlsAreLocalFiles) {
    struct Case {
        QByteArray url;
        QString path; // empty: none
        bool warned;
    };
    const std::vector<Case> cases = {
        {"file:///tmp/x%20y.exe", "/tmp/x y.exe", false},
        {"file://localhost/tmp/z", "/tmp/z", false},
        {"file://LocalHost/tmp/z", "/tmp/z", false},
        {"file://" + ThisHost() + "/tmp/h", "/tmp/h", false},
        {"file:/tmp/short", "/tmp/short", false},
        {"FILE:///tmp/upper", "/tmp/upper", false},
        {"file:///tmp/a%23b%3Fc#fragment", "/tmp/a#b?c", false},
        {kCyrillic, kCyrillicPath, false},
        {"file://other/q", "", false},
        {"smb://h/s/w", "", false},
        {"http://example.org/x.exe", "", false},
        {"file:///etc/passwd%00.exe", "", true},
        {"file:///tmp/%E9", "", true},
        {"file:///tmp/\xC3(", "", true},
    };
    for (const Case& c : cases) {
        QString path, reason;
        EXPECT_EQ(LocalFileOfUrl(c.url, path, &reason), !c.path.isEmpty()) << c.url.constData();
        EXPECT_EQ(path, c.path) << c.url.constData();
        EXPECT_EQ(!reason.isEmpty(), c.warned) << c.url.constData();
    }
}

TEST_F(FileDropBridgeTest, ADroppedListGivesTheLocalFilesWholeAndInOrder) {
    QMimeData mime;
    mime.setData("text/uri-list", "# a comment line\r\n"
                                  "file://other/q\r\n"
                                  "file:///tmp/x%20y.exe\r\n"
                                  "smb://h/s/w\r\n"
                                  "file://localhost/tmp/z\r\n"
                                  "file:///etc/passwd%00.exe\r\n"
                                  "file://" + ThisHost() + "/tmp/h\r\n"
                                  "file:///tmp/%E9\r\n" +
                                  kCyrillic + "\r\n");
    Warnings warnings;
    EXPECT_EQ(Player{edit}.Play(&mime), Qt::CopyAction);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(files, (QStringList{"/tmp/x y.exe", "/tmp/z", "/tmp/h", kCyrillicPath}));
    // The two local-looking paths that could not be taken were reported.
    EXPECT_EQ(warnings.texts().size(), 2);

    // The single names come from the first local file; the 8-bit one only
    // when the code page holds it.
    QMimeData first;
    first.setData("text/uri-list", "http://x/\r\nfile:///tmp/caf%C3%A9.job\r\n" + kCyrillic + "\r\n");
    auto data = MakeCom<MimeDataObject>(&first, Qt::CopyAction);
    TAnsiFilenameClipboardFormat ansi;
    EXPECT_TRUE(ansi.GetData(data.Get()));
    EXPECT_EQ(ansi.Filename(), "/tmp/caf\xE9.job");
    TUnicodeFilenameClipboardFormat wide;
    EXPECT_TRUE(wide.GetData(data.Get()));
    EXPECT_EQ(wide.Filename(), u"/tmp/café.job");
    QMimeData cyrillic;
    cyrillic.setData("text/uri-list", kCyrillic);
    auto other = MakeCom<MimeDataObject>(&cyrillic, Qt::CopyAction);
    EXPECT_FALSE(TAnsiFilenameClipboardFormat().GetData(other.Get()));
}

TEST_F(FileDropBridgeTest, EnterAndMovesLookNoFurtherThanTheFirstLocalFile) {
    CountingMime mime;
    mime.setData("text/uri-list", "file:///tmp/first.exe\r\nfile:///tmp/%00bad\r\nfile:///tmp/second.exe\r\n");
    Warnings warnings;
    Player p{edit};
    p.Play(&mime, 3, false); // passes over without a drop
    EXPECT_TRUE(p.enterAccepted);
    EXPECT_TRUE(warnings.texts().isEmpty()); // the bad line was never reached
    EXPECT_EQ(drops, 0);

    mime.uriListReads = 0;
    EXPECT_EQ(Player{edit}.Play(&mime, 3), Qt::CopyAction);
    EXPECT_EQ(mime.uriListReads, 1); // one fetch for the whole drag
    EXPECT_EQ(files, (QStringList{"/tmp/first.exe", "/tmp/second.exe"}));
    EXPECT_EQ(warnings.texts().size(), 1);

    // A list without a local file offers no files at all.
    QMimeData web;
    web.setData("text/uri-list", "http://example.org/a.exe\r\n");
    Player refused{edit};
    EXPECT_EQ(refused.Play(&web), Qt::IgnoreAction);
    EXPECT_FALSE(refused.enterAccepted);
}

TEST_F(FileDropBridgeTest, FilesDraggedOutTravelAsTheirUrlsForCopyOnly) {
    pemtest::FileManagerStandIn folder;
    pemtest::LoopbackDrags loop(&folder);
    TDropFileSource source;
    source.Files().Add(u"/tmp/a b#c€.txt");
    TDragResult result = drUnknown;
    source.OnAfterDrop = [&](TCustomDropSource*, TDragResult r, bool) { result = r; };
    EXPECT_EQ(source.Execute(), drDropCopy);
    EXPECT_EQ(result, drDropCopy);
    EXPECT_EQ(loop.supported, Qt::CopyAction);
    ASSERT_EQ(folder.dropped.size(), 1u);
    EXPECT_EQ(folder.dropped[0], QByteArray("file:///tmp/a%20b%23c%E2%82%AC.txt\r\n"));
    for (const char* name : {"Shell IDList Array", "FileName", "FileNameW"})
        EXPECT_FALSE(loop.formats.contains(MimeTypeForFormatName(name))) << name;
}
