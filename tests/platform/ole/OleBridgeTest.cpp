// The bridge to Qt, offscreen: drag events sent to widgets reach the drop
// targets registered for them, the program's own drags carry their formats
// as MIME data, the clipboard, drag-start detection and auto-scroll.
#include "DataObjectMimeData.h"
#include "DragPlayer.h"
#include "DragDropPIDL.h"
#include "DragDropText.h"
#include "DropRouter.h"
#include "DropSource.h"
#include "DropTarget.h"
#include "MimeDataObject.h"
#include "MimeFormats.h"
#include "OleBridge.h"
#include "OleClipboardFormats.h"
#include "OleTimers.h"
#include "QtApp.h"
#include "QtOleWindows.h"

#include <QClipboard>
#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace pem;
using pemtest::Player;

namespace {

CLIPFORMAT Id(const char* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)); }

std::vector<uint8_t> Get(IDataObject* data, CLIPFORMAT id) {
    FORMATETC f;
    f.cfFormat = id;
    f.tymed = TYMED_HGLOBAL;
    STGMEDIUM m;
    if (FAILED(data->GetData(&f, &m))) return {};
    std::vector<uint8_t> bytes;
    MediumBytes(m, bytes);
    ReleaseStgMedium(&m);
    return bytes;
}

class OleBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        InitialiseOleBridge();
    }
    void TearDown() override { TQtDragLoop::Instance().SetExecutor(nullptr); }
};

// A frame holding an edit, like a pick frame: the frame is the target.
struct Frame {
    QWidget frame;
    QLineEdit* edit;
    Frame() {
        frame.resize(200, 60);
        edit = new QLineEdit(&frame);
        edit->setGeometry(5, 5, 190, 30);
        edit->setText("kept");
    }
};

} // namespace

TEST_F(OleBridgeTest, FormatNamesAndMimeTypes) {
    struct Case {
        std::string name;
        QString mime;
    };
    const std::vector<Case> cases = {
        {"Custom Name", "application/x-qt-windows-mime;value=\"Custom Name\""},
        {"image/png", "image/png"}, // a type that arrived raw goes back as it came
        {"Shell IDList Array", "application/x-qt-windows-mime;value=\"Shell IDList Array\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MimeTypeForFormatName(c.name), c.mime);
        EXPECT_EQ(FormatNameForMimeType(c.mime), c.name);
    }
    EXPECT_EQ(KeyStateOf(Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier), MK_LBUTTON | MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(ActionOfEffect(DROPEFFECT_MOVE | DROPEFFECT_SCROLL), Qt::MoveAction);
    EXPECT_EQ(ActionOfEffect(DROPEFFECT_LINK, Qt::CopyAction), Qt::IgnoreAction);
}

TEST_F(OleBridgeTest, MimeDataOfAnEventAsClipboardFormats) {
    QMimeData mime;
    mime.setText(QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xE4\xB8\xAD"));
    mime.setData("text/rtf", "{\\rtf1 x}");
    mime.setData("application/x-qt-windows-mime;value=\"Custom\"", "raw");
    mime.setData("image/png", "png!");
    mime.setUrls({QUrl::fromLocalFile("/tmp/a b.txt"), QUrl("http://host/x")});
    auto data = MakeCom<MimeDataObject>(&mime, Qt::MoveAction);

    ComPtr<IEnumFORMATETC> en;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, en.Put()), S_OK);
    std::vector<std::string> names;
    FORMATETC f;
    while (en->Next(1, &f, nullptr) == S_OK) names.push_back(GetClipboardFormatNameA(f.cfFormat, 255) + "#" + std::to_string(f.cfFormat < 0xC000 ? f.cfFormat : 0));
    auto has = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    EXPECT_TRUE(has("#13") && has("#1") && has("#15"));
    EXPECT_TRUE(has("Rich Text Format#0") && has("Custom#0") && has("image/png#0") && has("Preferred DropEffect#0"));

    std::vector<uint8_t> ansi = Get(data.Get(), CF_TEXT);
    EXPECT_EQ(std::string(ansi.begin(), ansi.end()), std::string("Gr\xFC\xDF" "e \x80 ?") + '\0');
    std::vector<uint8_t> wide = Get(data.Get(), CF_UNICODETEXT);
    ASSERT_EQ(wide.size(), 10u * 2);
    EXPECT_EQ(wide[2 * 6], 0xAC); // the euro sign, 0x20AC
    EXPECT_EQ(Get(data.Get(), Id("Custom")), (std::vector<uint8_t>{'r', 'a', 'w'}));
    EXPECT_EQ(Get(data.Get(), Id("Preferred DropEffect")), (std::vector<uint8_t>{2, 0, 0, 0}));
    QList<QUrl> urls = UrlsOfDropFiles(Get(data.Get(), CF_HDROP));
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls[0].toLocalFile(), "/tmp/a b.txt");

    // What a target gives back is kept; the performed effect becomes the answer.
    FORMATETC give;
    give.cfFormat = Id("Performed DropEffect");
    give.tymed = TYMED_HGLOBAL;
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = GlobalFromBytes("\x01\0\0\0", 4);
    EXPECT_EQ(data->SetData(&give, &m, TRUE), S_OK);
    EXPECT_EQ(data->PerformedEffect(), DROPEFFECT_COPY);
}

TEST_F(OleBridgeTest, TextDragOnATargetOfOtherDataGetsNoEffectAndTheEditKeepsItsText) {
    struct Case {
        const char* name;
        std::function<std::function<void()>(Frame&)> registerTarget; // gives the unregistration
    };
    int heard = 0;
    const std::vector<Case> cases = {
        {"a drop target for item-ID lists",
         [&](Frame& f) {
             auto* target = new TCustomDropMultiTarget;
             new TPIDLDataFormat(target);
             target->RegisterTargetControl(WindowOf(&f.frame));
             target->OnEnter = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) { ++heard; };
             return [target] { delete target; };
         }},
        {"the dropped-files road",
         [&](Frame& f) {
             TDropRouter::Instance().RegisterTarget(&f.frame, [&](const TWMDropFiles&) { ++heard; });
             return [&f] { TDropRouter::Instance().UnregisterTarget(&f.frame); };
         }},
    };
    for (const Case& c : cases) {
        Frame f;
        std::function<void()> unregister = c.registerTarget(f);
        QMimeData mime;
        mime.setText("pasted?");
        Player p{f.edit};
        EXPECT_EQ(p.Play(&mime, 3), Qt::IgnoreAction) << c.name;
        EXPECT_FALSE(p.enterAccepted) << c.name;
        EXPECT_EQ(p.enterAction, Qt::IgnoreAction) << c.name;
        for (bool accepted : p.movesAccepted) EXPECT_FALSE(accepted) << c.name;
        EXPECT_EQ(f.edit->text(), "kept") << c.name;
        EXPECT_EQ(heard, 0) << c.name;
        unregister();
    }
}

TEST_F(OleBridgeTest, AnEnterRefusedByATargetThatKeptTheDataStillGetsMoves) {
    // A target that refuses the spot it is entered at, but not the data.
    class Picky : public ComObject<IDropTarget> {
    public:
        ComPtr<IDataObject> data;
        int overs = 0;
        HRESULT DragEnter(IDataObject* d, DWORD, POINTL, DWORD* effect) override {
            data = ComPtr<IDataObject>(d);
            *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        HRESULT DragOver(DWORD, POINTL, DWORD* effect) override {
            *effect = ++overs > 1 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
            return S_OK;
        }
        HRESULT DragLeave() override {
            data.Reset();
            return S_OK;
        }
        HRESULT Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
            data.Reset();
            *effect = DROPEFFECT_COPY;
            return S_OK;
        }
    };
    Frame f;
    auto picky = MakeCom<Picky>();
    ASSERT_EQ(RegisterDragDrop(WindowOf(&f.frame), picky.Get()), S_OK);
    QMimeData mime;
    mime.setText("t");
    Player p{f.edit};
    EXPECT_EQ(p.Play(&mime, 2), Qt::CopyAction);
    EXPECT_TRUE(p.enterAccepted); // accepted at no effect: the moves come
    EXPECT_EQ(p.enterAction, Qt::IgnoreAction);
    EXPECT_EQ(p.movesAccepted, (std::vector<bool>{false, true}));
    RevokeDragDrop(WindowOf(&f.frame));
}

TEST_F(OleBridgeTest, TextFromAMultiSourceReachesAMultiTargetAsBothTexts) {
    Frame f;
    TCustomDropMultiTarget target;
    auto* got = new TTextDataFormat(&target);
    target.RegisterTargetControl(WindowOf(&f.frame));
    std::string ansi;
    std::u16string wide;
    target.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) {
        ansi = got->Text();
        wide = got->UnicodeText();
    };

    TCustomDropMultiSource source;
    (new TTextDataFormat(&source))->SetText("Gr\xFC\xDF" "e \x80");
    QByteArray plain, rtf;
    TQtDragLoop::Instance().SetExecutor([&](QDrag& drag, Qt::DropActions actions, Qt::DropAction) {
        plain = drag.mimeData()->data("text/plain");
        rtf = drag.mimeData()->data("text/rtf");
        Player p{f.edit};
        p.actions = actions;
        return p.Play(drag.mimeData());
    });
    EXPECT_EQ(source.Execute(), drDropCopy);
    EXPECT_EQ(ansi, "Gr\xFC\xDF" "e \x80");
    EXPECT_EQ(wide, u"Grüße €");
    EXPECT_EQ(plain, QByteArray("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"));
    EXPECT_EQ(rtf, QByteArray("{\\rtf1\\ansi {\\*\\generator Tarnwick}Gr\\u252\xFC\\u223\xDF" "e \\u8364\x80}"));
    EXPECT_EQ(f.edit->text(), "kept");
    EXPECT_EQ(source.PerformedDropEffect(), 0u); // the drop went through MIME data
}

TEST_F(OleBridgeTest, ADragCarriesTheSourcesImageAndNamedFormats) {
    QWidget panel;
    panel.resize(40, 20);
    TCustomDropMultiSource source;
    (new TTextDataFormat(&source))->SetText("x");
    // Formats a target stored on the source travel under their names.
    for (const char* name : {"CSV", "Probe Custom"}) {
        FORMATETC f;
        f.cfFormat = Id(name);
        f.tymed = TYMED_HGLOBAL;
        STGMEDIUM m;
        m.tymed = TYMED_HGLOBAL;
        m.hGlobal = GlobalFromBytes("a,b\n", 5); // with its NUL
        ASSERT_EQ(source.SetData(&f, &m, TRUE), S_OK);
    }
    source.ShowImage = true;
    source.OnGetDragImage = [&](TCustomDropSource* s, IDragSourceHelper* helper, bool& handled) {
        POINT at{4, 4};
        handled = SUCCEEDED(helper->InitializeFromWindow(WindowOf(&panel), &at, s->DataObject()));
    };
    QSize pixmap;
    QPoint hotSpot;
    QByteArray csv, custom;
    TQtDragLoop::Instance().SetExecutor([&](QDrag& drag, Qt::DropActions, Qt::DropAction) {
        pixmap = drag.pixmap().size();
        hotSpot = drag.hotSpot();
        csv = drag.mimeData()->data("text/csv");
        custom = drag.mimeData()->data("application/x-qt-windows-mime;value=\"Probe Custom\"");
        return Qt::IgnoreAction;
    });
    EXPECT_EQ(source.Execute(), drCancel);
    EXPECT_EQ(pixmap, QSize(40, 20));
    EXPECT_EQ(hotSpot, QPoint(4, 4));
    EXPECT_EQ(csv, QByteArray("a,b\n"));
    EXPECT_EQ(custom, QByteArray("a,b\n", 5));
}

TEST_F(OleBridgeTest, ASilentAbortInOnDropLeavesTheNextDragWorking) {
    Frame f;
    TCustomDropMultiTarget target;
    auto* got = new TTextDataFormat(&target);
    target.RegisterTargetControl(WindowOf(&f.frame));
    int drops = 0;
    target.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) {
        if (++drops == 1) Abort();
    };
    QMimeData mime;
    mime.setText("one");
    EXPECT_EQ(Player{f.edit}.Play(&mime), Qt::IgnoreAction);
    EXPECT_EQ(target.DataObject(), nullptr);
    mime.setText("two");
    EXPECT_EQ(Player{f.edit}.Play(&mime), Qt::CopyAction);
    EXPECT_EQ(drops, 2);
    EXPECT_FALSE(got->HasData()); // cleared after the drop
    // A drag that only passes over is left.
    int leaves = 0;
    target.OnLeave = [&](TCustomDropTarget*) { ++leaves; };
    Player{f.edit}.Play(&mime, 2, false);
    EXPECT_EQ(leaves, 1);
}

TEST_F(OleBridgeTest, ADropTargetComesBeforeTheFilesRoadOnOneWidget) {
    Frame f;
    std::vector<std::string> files;
    TDropRouter::Instance().RegisterTarget(&f.frame, [&](const TWMDropFiles& m) { files.push_back(m.Files[0]); });
    TCustomDropMultiTarget target;
    new TTextDataFormat(&target);
    target.RegisterTargetControl(WindowOf(&f.frame));
    int oleDrops = 0;
    target.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) { ++oleDrops; };

    QMimeData mime;
    mime.setText("text");
    mime.setUrls({QUrl::fromLocalFile("/tmp/x.job")});
    Player{f.edit}.Play(&mime);
    EXPECT_EQ(oleDrops, 1);
    EXPECT_TRUE(files.empty());
    target.UnregisterTarget();
    Player{f.edit}.Play(&mime);
    EXPECT_EQ(files, (std::vector<std::string>{"/tmp/x.job"}));
    TDropRouter::Instance().UnregisterTarget(&f.frame);
}

TEST_F(OleBridgeTest, AutoScrollOfAPlainTextEditOnAFakeClock) {
    TFakeClock clock;
    QPlainTextEdit edit;
    edit.resize(300, 200);
    QStringList lines;
    for (int i = 0; i < 500; ++i) lines << QString("line %1").arg(i);
    edit.setPlainText(lines.join('\n'));
    edit.show();
    QCoreApplication::processEvents();
    QScrollBar* bar = edit.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 400);
    bar->setValue(bar->maximum() - 3);

    TCustomDropMultiTarget target;
    new TTextDataFormat(&target);
    target.RegisterTargetControl(WindowOf(&edit));
    QMimeData mime;
    mime.setText("t");
    QWidget* viewport = edit.viewport();
    const QPoint bottom(50, viewport->height() - 2);
    auto move = [&](QPoint at) {
        QDragMoveEvent e(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &e);
        return e.isAccepted();
    };
    QDragEnterEvent enter(bottom, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    for (int i = 0; i < 3; ++i) {
        clock.Advance(20);
        move(bottom);
    }
    const int before = bar->value();
    clock.Advance(50);
    EXPECT_EQ(bar->value(), before + 1);
    clock.Advance(1000);
    EXPECT_EQ(bar->value(), bar->maximum()); // and not past it
    EXPECT_EQ(clock.RunningTimers(), 0);
    EXPECT_TRUE(move(bottom));
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(viewport, &leave);
    QCoreApplication::processEvents();
    EXPECT_EQ(target.DataObject(), nullptr);
}

TEST_F(OleBridgeTest, DetectDragStartFromInjectedInput) {
    TFakeClock clock;
    QWidget panel;
    panel.resize(200, 100);
    panel.show();
    HWND window = WindowOf(&panel);
    auto press = [&](QPoint at) {
        QMouseEvent e(QEvent::MouseButtonPress, at, panel.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(&panel, &e);
    };
    auto later = [](std::function<void()> fn) { QTimer::singleShot(0, fn); };
    auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, panel.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&panel, &e);
    };
    struct Case {
        const char* name;
        std::function<void()> input;
        bool drag;
    };
    const std::vector<Case> cases = {
        {"held still", [&] { clock.Advance(500); }, true},
        {"released", [&] { mouse(QEvent::MouseButtonRelease, {20, 20}, Qt::NoButton); }, false},
        {"Esc",
         [&] {
             QKeyEvent k(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(&panel, &k);
         },
         false},
        {"moved away at once, then released",
         [&] {
             clock.Advance(50);
             mouse(QEvent::MouseMove, {80, 20}, Qt::LeftButton);
             later([&] { mouse(QEvent::MouseButtonRelease, {80, 20}, Qt::NoButton); });
         },
         false},
        {"moved away after 200 ms",
         [&] {
             clock.Advance(250);
             mouse(QEvent::MouseMove, {80, 20}, Qt::LeftButton);
         },
         true},
    };
    for (const Case& c : cases) {
        press({20, 20});
        later(c.input);
        EXPECT_EQ(DetectDragStart(window), c.drag) << c.name;
        EXPECT_EQ(GetCapture(), nullptr) << c.name;
        mouse(QEvent::MouseButtonRelease, {20, 20}, Qt::NoButton);
    }
    EXPECT_FALSE(DetectDragStart(window)); // no button down
}

TEST_F(OleBridgeTest, OffscreenDragEndsCancelled) {
    TCustomDropMultiSource source;
    (new TTextDataFormat(&source))->SetText("nowhere");
    EXPECT_EQ(source.Execute(), drCancel);
}

TEST_F(OleBridgeTest, ClipboardBothWays) {
    TCustomDropMultiSource source;
    (new TTextDataFormat(&source))->SetUnicodeText(u"Grüße €");
    ASSERT_TRUE(source.CopyToClipboard());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"));
    EXPECT_EQ(OleIsCurrentClipboard(source.DataObject()), S_OK);

    // Text another program put there.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(OleIsCurrentClipboard(source.DataObject()), S_FALSE);
    TCustomDropMultiTarget target;
    auto* got = new TTextDataFormat(&target);
    std::string text;
    target.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) { text = got->Text(); };
    EXPECT_TRUE(target.CanPasteFromClipboard());
    EXPECT_EQ(target.PasteFromClipboard(), DROPEFFECT_NONE); // no preferred effect stated
    EXPECT_EQ(text, "caf\xE9");
}
