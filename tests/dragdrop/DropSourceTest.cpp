// The drop source on the emulated drag loop: results, the continue-or-drop
// question, the format enumerator, the clipboard, drag-start detection.
#include "DragDropFixtures.h"
#include "DropSource.h"
#include "EmulatedDragLoop.h"
#include "FakeWindows.h"
#include "OleTimers.h"

#include <gtest/gtest.h>

using namespace pem;
using namespace ddtest;

namespace {

// A text source over one window, dropping on another window that carries a
// recording target.
class DropSourceTest : public ::testing::Test {
protected:
    DropSourceTest() {
        text = new TTextDataFormat(&source);
        text->SetText("dragged");
        RegisterDragDrop(&targetWindow, target.Get());
    }
    ~DropSourceTest() override { RevokeDragDrop(&targetWindow); }

    // Press over the source, move onto the target, release there.
    void PlayDrop(DWORD keys = MK_LBUTTON) {
        loop.Steps = {{{10, 10}, keys}, {{210, 10}, keys}, {{212, 12}, keys}, {{212, 12}, keys & ~MK_LBUTTON}};
    }

    TFakeWindow sourceWindow{"source", {0, 0, 100, 100}};
    TFakeWindow targetWindow{"target", {200, 0, 300, 100}};
    ComPtr<RecordingTarget> target = MakeCom<RecordingTarget>();
    TCustomDropMultiSource source;
    TTextDataFormat* text;
    TEmulatedDragLoop loop;
};

} // namespace

TEST_F(DropSourceTest, ResultAndOptimizedFollowTheEffectAndTheTargetsFeedback) {
    struct Case {
        const char* name;
        TDragTypes types;
        DWORD dropped, performed, logical;
        TDragResult result;
        bool optimized;
    };
    const TDragTypes all{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink};
    const std::vector<Case> cases = {
        {"copy", all, DROPEFFECT_COPY, 0, 0, drDropCopy, false},
        {"link", all, DROPEFFECT_LINK, 0, 0, drDropLink, false},
        {"copy reported, move performed", all, DROPEFFECT_COPY, DROPEFFECT_MOVE, 0, drDropMove, true},
        {"move, performed by the target", all, DROPEFFECT_MOVE, DROPEFFECT_MOVE, 0, drDropMove, false},
        {"move, left to the source", all, DROPEFFECT_MOVE, 0, 0, drDropMove, true},
        {"an effect not allowed", {TDragType::dtCopy}, DROPEFFECT_LINK, 0, 0, drCancel, false},
        {"no effect", all, DROPEFFECT_NONE, 0, 0, drCancel, false},
        // Last: a logical effect, once given, stays with the source.
        {"move as a logical effect", all, DROPEFFECT_COPY, 0, DROPEFFECT_MOVE, drDropMove, true},
    };
    for (const Case& c : cases) {
        source.DragTypes = c.types;
        target->Hover = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        target->Dropped = c.dropped;
        target->Performed = c.performed;
        target->LogicalPerformed = c.logical;
        std::vector<std::pair<TDragResult, bool>> after;
        source.OnAfterDrop = [&](TCustomDropSource*, TDragResult r, bool o) { after.push_back({r, o}); };
        PlayDrop(MK_LBUTTON | MK_CONTROL); // Ctrl: copy
        EXPECT_EQ(source.Execute(), c.result) << c.name;
        ASSERT_EQ(after.size(), 1u) << c.name;
        EXPECT_EQ(after[0].first, c.result) << c.name;
        EXPECT_EQ(after[0].second, c.optimized) << c.name;
        EXPECT_EQ(source.PerformedDropEffect(), c.performed) << c.name; // none reported reads 0
        EXPECT_FALSE(source.InShellDragLoop());
        // Feedback values are the source's own: clear them for the next case.
        source.FeedbackDataFormat().Clear();
    }
}

TEST_F(DropSourceTest, ReleaseDecidesBetweenDropAndCancel) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        TDragResult result;
        const char* targetHeard;
    };
    bool veto = false;
    const std::vector<Case> cases = {
        {"a plain drop", [] {}, drDropCopy, "drop"},
        {"Esc", [&] { loop.Steps[2].esc = true; }, drCancel, "leave"},
        {"a type the source does not allow",
         [&] {
             target->Hover = DROPEFFECT_LINK;
             target->Dropped = DROPEFFECT_LINK;
         },
         drCancel, "leave"},
        {"a veto of OnDrop", [&] { veto = true; }, drCancel, "leave"},
        {"a release in a scroll band", [&] { target->Hover = DROPEFFECT_COPY | DROPEFFECT_SCROLL; }, drDropCopy,
         "drop"},
    };
    for (const Case& c : cases) {
        target->Calls.clear();
        target->Hover = DROPEFFECT_COPY;
        target->Dropped = DROPEFFECT_COPY;
        veto = false;
        source.OnDrop = [&](TCustomDropSource*, TDragType, bool& go) { go = !veto; };
        PlayDrop();
        c.arrange();
        EXPECT_EQ(source.Execute(), c.result) << c.name;
        ASSERT_FALSE(target->Calls.empty()) << c.name;
        EXPECT_EQ(target->Calls.back(), c.targetHeard) << c.name;
    }
}

TEST_F(DropSourceTest, ExecuteRefusesWhileBusyAndHasNoAsynchronousDrag) {
    std::string inside;
    source.OnDrop = [&](TCustomDropSource* s, TDragType, bool&) {
        try {
            s->Execute();
        } catch (const Exception& e) {
            inside = e.Message();
        }
    };
    PlayDrop();
    EXPECT_EQ(source.Execute(), drDropCopy);
    EXPECT_EQ(inside, "A drag and drop operation is already in progress");
    EXPECT_EQ(loop.Runs, 1);

    try {
        source.Execute(true);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Failed to initiate asynchronouse drag and drop operation");
    }
    EXPECT_FALSE(source.Dragging());
    PlayDrop();
    EXPECT_EQ(source.Execute(), drDropCopy); // still usable
}

TEST_F(DropSourceTest, EnumeratorListsFormatsWithDataOncePerIdAndDirection) {
    auto list = [&](DWORD dir) {
        ComPtr<IEnumFORMATETC> en;
        EXPECT_EQ(source.EnumFormatEtc(dir, en.Put()), S_OK);
        std::vector<std::string> names;
        FORMATETC f;
        while (en->Next(1, &f, nullptr) == S_OK) names.push_back(GetClipboardFormatNameStr(f.cfFormat));
        return names;
    };
    // A second text format offers the same ids: each is listed once.
    auto* second = new TTextDataFormat(&source);
    second->SetText("second");
    EXPECT_EQ(list(DATADIR_GET), (std::vector<std::string>{"CF_OEMTEXT", "CF_LOCALE", "CF_TEXT", "Rich Text Format",
                                                          "CF_UNICODETEXT"}));
    EXPECT_TRUE(list(DATADIR_SET).empty()); // the feedback format has no data yet
    source.SetPerformedDropEffect(DROPEFFECT_COPY);
    // The feedback formats share one priority: the later registered come first.
    EXPECT_EQ(list(DATADIR_SET), (std::vector<std::string>{"Logical Performed DropEffect", "TargetCLSID",
                                                          "Paste Succeeded", "Performed DropEffect"}));
    text->Clear();
    second->Clear();
    EXPECT_EQ(list(DATADIR_GET), (std::vector<std::string>{"InShellDragLoop", "Preferred DropEffect"}));
    ComPtr<IEnumFORMATETC> none;
    EXPECT_EQ(source.EnumFormatEtc(3, none.Put()), E_NOTIMPL);

    // Next, Skip, Reset and Clone.
    ComPtr<IEnumFORMATETC> en;
    source.EnumFormatEtc(DATADIR_SET, en.Put());
    FORMATETC got[8];
    ULONG n = 0;
    EXPECT_EQ(en->Next(3, got, &n), S_OK);
    EXPECT_EQ(n, 3u);
    ComPtr<IEnumFORMATETC> copy;
    en->Clone(copy.Put());
    EXPECT_EQ(en->Next(3, got, &n), S_FALSE);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(copy->Skip(5), S_FALSE);
    EXPECT_EQ(copy->Next(1, got, &n), S_FALSE);
    EXPECT_EQ(n, 0u);
    en->Reset();
    EXPECT_EQ(en->Skip(4), S_OK);
}

TEST_F(DropSourceTest, DataObjectAnswersForItsFormats) {
    FORMATETC f;
    f.cfFormat = CF_TEXT;
    f.tymed = TYMED_HGLOBAL;
    EXPECT_EQ(source.QueryGetData(&f), S_OK);
    STGMEDIUM m;
    ASSERT_EQ(source.GetData(&f, &m), S_OK);
    EXPECT_EQ(GlobalBytes(m.hGlobal), Bytes(std::string("dragged") + '\0'));
    ReleaseStgMedium(&m);
    f.cfFormat = Id("Unknown to it");
    EXPECT_EQ(source.QueryGetData(&f), DV_E_FORMATETC);
    EXPECT_EQ(source.GetData(&f, &m), DV_E_FORMATETC);
    EXPECT_EQ(source.GetDataHere(&f, &m), E_NOTIMPL);
    EXPECT_EQ(source.DAdvise(&f, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
    // A handler may answer first.
    source.OnGetData = [](TCustomDropSource*, const FORMATETC&, STGMEDIUM& medium, bool& handled) {
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = GlobalFromBytes("h", 1);
        handled = true;
    };
    ASSERT_EQ(source.GetData(&f, &m), S_OK);
    EXPECT_EQ(GlobalBytes(m.hGlobal), Bytes("h"));
    ReleaseStgMedium(&m);
    // The asynchronous-operation interface is there only while allowed.
    ComPtr<IAsyncOperation> async;
    EXPECT_EQ(source.QueryInterface(IAsyncOperation::iid, reinterpret_cast<void**>(async.Put())), E_NOINTERFACE);
    source.SetAllowAsyncTransfer(true);
    EXPECT_EQ(source.QueryInterface(IAsyncOperation::iid, reinterpret_cast<void**>(async.Put())), S_OK);
}

TEST_F(DropSourceTest, ClipboardKeepsTheDataAsItWasWhenTheSourceChangesOrGoes) {
    std::vector<std::pair<TDragResult, bool>> pastes;
    source.OnPaste = [&](TCustomDropSource*, TDragResult r, bool del) { pastes.push_back({r, del}); };
    ASSERT_TRUE(source.CutToClipboard());
    EXPECT_EQ(OleIsCurrentClipboard(source.DataObject()), S_OK);
    text->SetText("changed"); // the clipboard keeps "dragged"
    EXPECT_EQ(OleIsCurrentClipboard(source.DataObject()), S_FALSE);
    ComPtr<IDataObject> clip;
    ASSERT_EQ(OleGetClipboard(clip.Put()), S_OK);
    TTextDataFormat got(TDragDropComponentRole::Target);
    ASSERT_TRUE(got.GetData(clip.Get()));
    EXPECT_EQ(got.Text(), "dragged");

    // A paste reported back to the source on the clipboard.
    ASSERT_TRUE(source.CopyToClipboard());
    TPasteSucceededClipboardFormat paste;
    paste.SetValue(DROPEFFECT_COPY);
    EXPECT_TRUE(paste.SetDataTo(source.DataObject()));
    ASSERT_EQ(pastes.size(), 1u);
    EXPECT_EQ(pastes[0].first, drDropCopy);
    EXPECT_FALSE(pastes[0].second);
    source.EmptyClipboard();
    clip.Reset();
    ASSERT_EQ(OleGetClipboard(clip.Put()), S_OK);
    EXPECT_FALSE(got.GetData(clip.Get()));
}

TEST_F(DropSourceTest, DragImageFromTheImageListOrTheHandler) {
    ImageList images(8, 8);
    auto red = std::make_shared<Bitmap>();
    red->width = red->height = 8;
    red->pixels.assign(64, 0xFFFF0000u);
    images.Add(red);
    images.BkColor = 0x000000FFu; // red as 0x00BBGGRR

    // The index follows the list.
    source.SetImageIndex(0);
    EXPECT_EQ(source.ImageIndex(), -1); // no list yet
    source.SetImages(&images);
    source.SetImageIndex(3);
    EXPECT_EQ(source.ImageIndex(), -1); // not below the count: ignored
    source.SetImageIndex(0);
    EXPECT_EQ(source.ImageIndex(), 0);
    ImageList empty;
    source.SetImages(&empty);
    EXPECT_EQ(source.ImageIndex(), -1);
    source.SetImages(&images);
    source.SetImageIndex(0);

    struct Case {
        const char* name;
        bool handled;
        int width;
    };
    for (const Case& c : std::vector<Case>{{"the image list", false, 8}, {"the handler", true, 3}}) {
        source.ShowImage = true;
        source.OnGetDragImage = [&](TCustomDropSource* s, IDragSourceHelper* helper, bool& handled) {
            if (!c.handled) return;
            SHDRAGIMAGE image;
            image.hbmpDragImage = new Bitmap{3, 3, std::vector<uint32_t>(9, 0)};
            handled = SUCCEEDED(helper->InitializeFromBitmap(&image, s->DataObject()));
        };
        std::optional<TDragImage> during;
        loop.BeforeStep = [&](size_t) { during = SourceDragImage(source.DataObject()); };
        PlayDrop();
        source.Execute();
        ASSERT_TRUE(during.has_value()) << c.name;
        EXPECT_EQ(during->image->width, c.width) << c.name;
        EXPECT_FALSE(SourceDragImage(source.DataObject()).has_value()) << c.name; // gone with the drag
    }
}

// ---- drag-start detection

TEST(DragStart, DeciderTable) {
    const RECT rect{96, 96, 104, 104};
    const DWORD start = 1000;
    auto msg = [](UINT m, POINT p = {100, 100}, DWORD t = 1000, WPARAM w = 0) {
        TInputMessage i;
        i.message = m;
        i.pt = p;
        i.time = t;
        i.wParam = w;
        return i;
    };
    TInputMessage timeout;
    timeout.timedOut = true;
    struct Case {
        const char* name;
        TInputMessage input;
        TDragStartDecider::TDecision decision;
    };
    const std::vector<Case> cases = {
        {"held still for the wait", timeout, TDragStartDecider::Drag},
        {"released", msg(WM_LBUTTONUP), TDragStartDecider::NoDrag},
        {"another button", msg(WM_RBUTTONDOWN), TDragStartDecider::NoDrag},
        {"middle button", msg(WM_MBUTTONUP), TDragStartDecider::NoDrag},
        {"Esc", msg(WM_KEYDOWN, {100, 100}, 1000, VK_ESCAPE), TDragStartDecider::NoDrag},
        {"another key", msg(WM_KEYDOWN, {100, 100}, 1000, 'A'), TDragStartDecider::Undecided},
        {"cancel mode", msg(WM_CANCELMODE), TDragStartDecider::NoDrag},
        {"capture lost", msg(WM_CAPTURECHANGED), TDragStartDecider::NoDrag},
        {"quit", msg(WM_QUIT, {}, 0, 3), TDragStartDecider::NoDrag},
        {"a move inside the rectangle", msg(WM_MOUSEMOVE, {103, 100}, 1500), TDragStartDecider::Undecided},
        {"a move out within 200 ms", msg(WM_MOUSEMOVE, {120, 100}, 1199), TDragStartDecider::Undecided},
        {"a move out after 200 ms", msg(WM_MOUSEMOVE, {120, 100}, 1200), TDragStartDecider::Drag},
    };
    for (const Case& c : cases) {
        TDragStartDecider d(rect, start);
        EXPECT_EQ(d.Feed(c.input), c.decision) << c.name;
    }
}

TEST(DragStart, LoopOverTheFakeWindowSystem) {
    TFakeWindowSystem& ws = TFakeWindowSystem::Default();
    TFakeWindow panel("panel", {50, 50, 250, 150});
    TFakeClock clock(5000);
    auto input = [](UINT m, POINT p, DWORD t, WPARAM w = 0) {
        TInputMessage i;
        i.message = m;
        i.pt = p;
        i.time = t;
        i.wParam = w;
        return i;
    };
    struct Case {
        const char* name;
        DWORD buttons;
        std::vector<TInputMessage> input;
        bool drag;
    };
    const std::vector<Case> cases = {
        {"no button down", 0, {}, false},
        {"held still", MK_LBUTTON, {}, true},
        {"pressed and released", MK_LBUTTON, {input(WM_LBUTTONUP, {60, 60}, 5010)}, false},
        {"moved away at once, then released",
         MK_LBUTTON,
         {input(WM_MOUSEMOVE, {90, 60}, 5050), input(WM_LBUTTONUP, {90, 60}, 5060)},
         false},
        {"moved away later", MK_RBUTTON, {input(WM_MOUSEMOVE, {61, 61}, 5100), input(WM_MOUSEMOVE, {90, 60}, 5250)}, true},
        {"Esc", MK_LBUTTON, {input(WM_KEYDOWN, {}, 5010, VK_ESCAPE)}, false},
    };
    for (const Case& c : cases) {
        ws.Buttons = c.buttons;
        ws.Input.assign(c.input.begin(), c.input.end());
        EXPECT_EQ(DetectDragStartAt(&panel, {10, 10}), c.drag) << c.name; // a client point
        EXPECT_EQ(GetCapture(), nullptr) << c.name;
    }
    // A quit seen while waiting is passed on.
    ws.Buttons = MK_LBUTTON;
    ws.QuitPosted = -1;
    ws.Input = {input(WM_QUIT, {}, 0, 7)};
    EXPECT_FALSE(DetectDragStartAt(&panel, {60, 60}));
    EXPECT_EQ(ws.QuitPosted, 7);
    // Without the capture there is no drag.
    ws.CaptureRefused = true;
    EXPECT_FALSE(DetectDragStartAt(&panel, {60, 60}));
    ws.CaptureRefused = false;
    ws.Buttons = 0;
}
