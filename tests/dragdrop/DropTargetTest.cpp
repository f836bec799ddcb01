// The drop target over fake windows: effects, registration, auto-scroll,
// the drop and its clean-up, and whole drags on the emulated loop.
#include "DragDropFixtures.h"
#include "DragDropPIDL.h"
#include "DropSource.h"
#include "DropTarget.h"
#include "EmulatedDragLoop.h"
#include "FakeWindows.h"
#include "OleTimers.h"

#include <gtest/gtest.h>

using namespace pem;
using namespace ddtest;

namespace {

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

class DropTargetTest : public ::testing::Test {
protected:
    DropTargetTest() {
        list.SetScrollBar(SB_VERT, 0, 99, 10, 0);
        text = new TTextDataFormat(&target);
        data->Set(CF_TEXT, std::string("hello") + '\0');
    }

    // A screen point of a window's client point.
    static POINT At(TFakeWindow& w, int x, int y) { return w.ClientToScreen({x, y}); }

    TFakeWindow form{"form", {0, 0, 400, 300}};
    TFakeWindow edit{"edit", {10, 10, 110, 60}, &form};
    TFakeWindow list{"list", {10, 100, 210, 200}, &form}; // client 200 x 100
    TCustomDropMultiTarget target;
    TTextDataFormat* text;
    ComPtr<TStaticDataObject> data = MakeCom<TStaticDataObject>();
};

} // namespace

TEST_F(DropTargetTest, ValidEffectFromTypesOfferedEffectsAndKeys) {
    struct Case {
        const char* name;
        TDragTypes types;
        DWORD offered;
        DWORD keys;
        DWORD expected;
    };
    const TDragTypes all{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink};
    const std::vector<Case> cases = {
        {"no keys: move", all, kAll, 0, DROPEFFECT_MOVE},
        {"no keys, no move allowed: the first allowed", {TDragType::dtCopy, TDragType::dtLink}, kAll, 0,
         DROPEFFECT_COPY},
        {"Ctrl: copy", all, kAll, MK_CONTROL, DROPEFFECT_COPY},
        {"Ctrl, copy not offered", all, DROPEFFECT_MOVE | DROPEFFECT_LINK, MK_CONTROL, DROPEFFECT_MOVE},
        {"Shift+Ctrl: link", all, kAll, MK_SHIFT | MK_CONTROL, DROPEFFECT_LINK},
        {"Shift+Ctrl without link", {TDragType::dtCopy, TDragType::dtMove}, kAll, MK_SHIFT | MK_CONTROL,
         DROPEFFECT_COPY},
        {"nothing allowed", {}, kAll, 0, DROPEFFECT_NONE},
        {"nothing offered", all, 0, 0, DROPEFFECT_NONE},
    };
    target.RegisterTargetControl(&edit);
    for (const Case& c : cases) {
        target.DragTypes = c.types;
        DWORD effect = c.offered;
        EXPECT_EQ(target.DragEnter(data.Get(), MK_LBUTTON | c.keys, At(edit, 5, 5), &effect), S_OK);
        EXPECT_EQ(effect, c.expected) << c.name;
        target.DragLeave();
    }
    // A handler has the last word, and gets the effect found so far.
    target.DragTypes = all;
    DWORD seen = 0;
    target.OnGetDropEffect = [&](TCustomDropTarget*, TShiftState, POINT, DWORD& e) {
        seen = e;
        e = DROPEFFECT_LINK;
    };
    DWORD effect = kAll;
    target.DragEnter(data.Get(), MK_LBUTTON, At(edit, 5, 5), &effect);
    EXPECT_EQ(seen, kAll); // without the key rules
    EXPECT_EQ(effect, DROPEFFECT_LINK);
    target.DragLeave();
}

TEST_F(DropTargetTest, RegistrationFollowsMultiTargetAndContainment) {
    target.MultiTarget = false;
    target.RegisterTargetControl(&edit);
    target.RegisterTargetControl(&list); // the first one goes
    EXPECT_EQ(target.Targets(), (std::vector<HWND>{&list}));
    EXPECT_EQ(RegisteredDropTarget(&edit), nullptr);
    EXPECT_EQ(RegisteredDropTarget(&list), static_cast<IDropTarget*>(&target));

    target.MultiTarget = true;
    target.RegisterTargetControl(&form);
    target.RegisterTargetControl(&edit); // after the form that contains it
    EXPECT_EQ(target.Targets(), (std::vector<HWND>{&list, &form, &edit}));
    target.SetTarget(&edit); // with MultiTarget: all others go first
    EXPECT_EQ(target.Targets(), (std::vector<HWND>{&edit}));
    EXPECT_EQ(target.Target(), &edit);

    // Registered directly (no proxy), and revoked when unregistered.
    TCustomDropMultiTarget direct;
    direct.AutoRegister = false;
    direct.RegisterTargetControl(&list);
    EXPECT_EQ(RegisteredDropTarget(&list), static_cast<IDropTarget*>(&direct));
    TCustomDropMultiTarget second;
    second.AutoRegister = false;
    EXPECT_THROW(second.RegisterTargetControl(&list), EOleSysError); // one target per window
    EXPECT_TRUE(second.Targets().empty());
    direct.UnregisterTarget();
    EXPECT_EQ(RegisteredDropTarget(&list), nullptr);

    // A window that goes away is forgotten.
    {
        TFakeWindow gone("gone", {300, 10, 350, 50}, &form);
        target.RegisterTargetControl(&gone);
        EXPECT_EQ(target.Targets().size(), 2u);
    }
    EXPECT_EQ(target.Targets(), (std::vector<HWND>{&edit}));
}

TEST_F(DropTargetTest, NoRegisteredWindowUnderTheEnterTurnsImageAndScrollOff) {
    target.RegisterTargetControl(&edit);
    DWORD effect = kAll;
    target.DragEnter(data.Get(), MK_LBUTTON, At(form, 300, 250), &effect);
    EXPECT_EQ(target.CurrentTarget(), nullptr);
    target.DragLeave();
    EXPECT_FALSE(target.ShowImage());
    EXPECT_FALSE(target.AutoScroll);
}

TEST_F(DropTargetTest, DummyShowsTheImageAndTakesNothing) {
    TDropDummy dummy;
    dummy.RegisterTargetControl(&edit);
    const long before = DropTargetHelperCalls();
    DWORD effect = kAll;
    EXPECT_EQ(dummy.DragEnter(data.Get(), MK_LBUTTON, At(edit, 5, 5), &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    effect = kAll;
    dummy.DragOver(MK_LBUTTON, At(edit, 6, 6), &effect);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    dummy.DragLeave();
    EXPECT_GE(DropTargetHelperCalls() - before, 3); // enter, over, leave reached the image helper
}

TEST_F(DropTargetTest, RefusedDataGivesNoEffectAtEnterOrOver) {
    TCustomDropMultiTarget items; // wants item-ID lists, gets text
    new TPIDLDataFormat(&items);
    items.RegisterTargetControl(&edit);
    std::vector<std::string> heard;
    items.OnDragOver = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) { heard.push_back("over"); };
    DWORD effect = kAll;
    EXPECT_EQ(items.DragEnter(data.Get(), MK_LBUTTON, At(edit, 5, 5), &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(items.DataObject(), nullptr);
    for (int x : {6, 7}) {
        effect = kAll;
        EXPECT_EQ(items.DragOver(MK_LBUTTON, At(edit, x, 5), &effect), DV_E_CLIPFORMAT);
        EXPECT_EQ(effect, DROPEFFECT_NONE);
    }
    EXPECT_TRUE(heard.empty());
    effect = kAll;
    EXPECT_EQ(items.Drop(data.Get(), 0, At(edit, 7, 5), &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
}

TEST_F(DropTargetTest, AFailingDropHandlerStillCleansUp) {
    target.RegisterTargetControl(&edit);
    std::vector<std::string> reported;
    SetHandlerExceptionReporter([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const Exception& x) {
            reported.push_back(x.Message());
        }
    });
    struct Case {
        const char* name;
        std::function<void()> fail;
    };
    const std::vector<Case> cases = {
        {"a silent abort", [] { Abort(); }},
        {"an error", [] { throw Exception("handler failed"); }},
    };
    for (const Case& c : cases) {
        target.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) { c.fail(); };
        DWORD effect = kAll;
        target.DragEnter(data.Get(), MK_LBUTTON, At(edit, 5, 5), &effect);
        effect = kAll;
        EXPECT_EQ(target.Drop(data.Get(), 0, At(edit, 5, 5), &effect), E_UNEXPECTED) << c.name;
        EXPECT_EQ(effect, DROPEFFECT_NONE) << c.name;
        EXPECT_EQ(target.DataObject(), nullptr) << c.name;
        EXPECT_EQ(target.CurrentTarget(), nullptr) << c.name;
        EXPECT_FALSE(text->HasData()) << c.name;
    }
    SetHandlerExceptionReporter(nullptr);
    EXPECT_EQ(reported, (std::vector<std::string>{"Operation aborted", "handler failed"}));

    // The next drag works.
    std::string got;
    target.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) { got = text->Text(); };
    DWORD effect = kAll;
    target.DragEnter(data.Get(), MK_LBUTTON, At(edit, 5, 5), &effect);
    effect = kAll;
    EXPECT_EQ(target.Drop(data.Get(), 0, At(edit, 5, 5), &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    EXPECT_EQ(got, "hello");
}

TEST_F(DropTargetTest, GetDataOnEnterReadsAtOnce) {
    target.RegisterTargetControl(&edit);
    target.GetDataOnEnter = true;
    DWORD effect = kAll;
    EXPECT_EQ(target.DragEnter(data.Get(), MK_LBUTTON, At(edit, 5, 5), &effect), S_OK);
    EXPECT_EQ(text->Text(), "hello");
    target.DragLeave();
    EXPECT_FALSE(text->HasData());
    // Offered but unreadable: the enter fails.
    auto broken = MakeCom<TStaticDataObject>();
    broken->Set(CF_TEXT, std::vector<uint8_t>{}, TYMED_HGLOBAL);
    effect = kAll;
    EXPECT_EQ(target.DragEnter(broken.Get(), MK_LBUTTON, At(edit, 5, 5), &effect), DV_E_CLIPFORMAT);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
}

TEST_F(DropTargetTest, RestingInAnEdgeBandScrollsOneLineEvery50Ms) {
    TFakeClock clock;
    target.RegisterTargetControl(&list);
    int scrolls = 0;
    target.OnScroll = [&](TCustomDropTarget*, POINT, TScrollDirections&, int&) { ++scrolls; };
    auto over = [&](int x, int y) {
        DWORD effect = kAll;
        target.DragOver(MK_LBUTTON, At(list, x, y), &effect);
        return effect;
    };
    // A few moves to the same point: the mouse comes to rest there.
    auto rest = [&](int x, int y) {
        for (int i = 0; i < 3; ++i) {
            clock.Advance(20);
            over(x, y);
        }
    };
    DWORD effect = kAll;
    // The band is twice the scroll bar size (17) at top and bottom.
    target.DragEnter(data.Get(), MK_LBUTTON, At(list, 100, 90), &effect);
    EXPECT_EQ(effect, DROPEFFECT_COPY | DROPEFFECT_SCROLL);
    over(100, 90);
    EXPECT_EQ(list.ScrollPos(SB_VERT), 0);
    clock.Advance(50);
    EXPECT_EQ(list.ScrollPos(SB_VERT), 1);
    clock.Advance(200);
    EXPECT_EQ(list.ScrollPos(SB_VERT), 5);
    ASSERT_EQ(list.Messages.size(), 5u);
    EXPECT_EQ(list.Messages[0].msg, WM_VSCROLL);
    EXPECT_EQ(list.Messages[0].wParam, SB_LINEDOWN);

    // A mouse moving faster than 20 pixels a second does not scroll.
    for (int i = 0; i < 10; ++i) {
        clock.Advance(10);
        over(100 + i * 5, 90);
    }
    EXPECT_EQ(list.ScrollPos(SB_VERT), 5);
    EXPECT_EQ(clock.RunningTimers(), 0);

    // Resting again scrolls on to the end of the range, and no further.
    rest(100, 90);
    clock.Advance(5000);
    EXPECT_EQ(list.ScrollPos(SB_VERT), 90); // the last position: 99 - 10 + 1
    const int atEnd = scrolls;
    rest(100, 90);
    clock.Advance(500);
    EXPECT_EQ(scrolls, atEnd);

    // The middle does not scroll; the top band scrolls up.
    EXPECT_EQ(over(100, 50), DROPEFFECT_COPY);
    clock.Advance(500);
    EXPECT_EQ(list.ScrollPos(SB_VERT), 90);
    rest(100, 5);
    clock.Advance(100);
    EXPECT_LT(list.ScrollPos(SB_VERT), 90);
    EXPECT_EQ(list.Messages.back().wParam, SB_LINEUP);
    target.DragLeave();
    EXPECT_EQ(clock.RunningTimers(), 0);
}

TEST_F(DropTargetTest, PasteFromTheClipboardReportsTheEffectBack) {
    TCustomDropMultiSource source;
    auto* sent = new TTextDataFormat(&source);
    sent->SetText("pasted");
    std::vector<TDragResult> pastes;
    source.OnPaste = [&](TCustomDropSource*, TDragResult r, bool) { pastes.push_back(r); };
    ASSERT_TRUE(source.CopyToClipboard());
    EXPECT_TRUE(target.CanPasteFromClipboard());
    EXPECT_EQ(target.PasteFromClipboard(), DROPEFFECT_COPY);
    EXPECT_EQ(text->Text(), "pasted");
    EXPECT_EQ(pastes, (std::vector<TDragResult>{drDropCopy}));
    source.EmptyClipboard();
}

// ---- whole drags on the emulated loop

TEST_F(DropTargetTest, TextFromASourceReachesATargetAsBothTexts) {
    TFakeWindow sourceWindow("source", {500, 0, 600, 100});
    TCustomDropMultiSource source;
    auto* sent = new TTextDataFormat(&source);
    sent->SetUnicodeText(u"Grüße €");
    target.RegisterTargetControl(&edit);
    std::string ansi;
    std::u16string wide;
    target.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD&) {
        ansi = text->Text();
        wide = text->UnicodeText();
    };
    TEmulatedDragLoop loop;
    loop.Steps = {{{550, 50}}, {At(edit, 5, 5)}, {At(edit, 6, 5)}, {At(edit, 6, 5), 0}};
    EXPECT_EQ(source.Execute(), drDropCopy);
    EXPECT_EQ(ansi, "Gr\xFC\xDF" "e \x80");
    EXPECT_EQ(wide, u"Grüße €");
    EXPECT_EQ(loop.Log.back(), "drop edit =1");
}

TEST_F(DropTargetTest, OptimizedMoveReportsAMoveAsPerformedCopy) {
    struct Case {
        bool optimized;
        DWORD performed;
        TDragResult result;
    };
    for (const Case& c : std::vector<Case>{{false, DROPEFFECT_MOVE, drDropMove}, {true, DROPEFFECT_COPY, drDropCopy}}) {
        TCustomDropMultiSource source;
        (new TTextDataFormat(&source))->SetText("moved");
        source.DragTypes = {TDragType::dtCopy, TDragType::dtMove};
        TCustomDropMultiTarget mover;
        mover.DragTypes = {TDragType::dtCopy, TDragType::dtMove};
        mover.OptimizedMove = c.optimized;
        new TTextDataFormat(&mover);
        mover.RegisterTargetControl(&edit);
        DWORD seenByHandler = 0;
        mover.OnDrop = [&](TCustomDropTarget*, TShiftState, POINT, DWORD& e) { seenByHandler = e; };
        TEmulatedDragLoop loop;
        loop.Steps = {{At(edit, 5, 5)}, {At(edit, 6, 5)}, {At(edit, 6, 5), 0}};
        EXPECT_EQ(source.Execute(), c.result) << c.optimized;
        EXPECT_EQ(seenByHandler, DROPEFFECT_MOVE) << c.optimized;
        EXPECT_EQ(source.PerformedDropEffect(), c.performed) << c.optimized;
    }
}

TEST_F(DropTargetTest, MovingBetweenTargetsLeavesTheFirst) {
    TCustomDropMultiSource source;
    (new TTextDataFormat(&source))->SetText("t");
    TCustomDropMultiTarget other;
    new TTextDataFormat(&other);
    target.RegisterTargetControl(&edit);
    other.RegisterTargetControl(&list);
    TEmulatedDragLoop loop;
    loop.Steps = {{At(edit, 5, 5)}, {At(list, 50, 50)}, {At(form, 300, 250)}, {At(form, 300, 250), 0}};
    EXPECT_EQ(source.Execute(), drCancel);
    std::vector<std::string> targets;
    for (const std::string& l : loop.Log)
        if (l.rfind("feedback", 0) != 0 && l.rfind("continue", 0) != 0) targets.push_back(l);
    EXPECT_EQ(targets, (std::vector<std::string>{"enter edit =1", "leave edit", "enter list =1", "leave list"}));
    EXPECT_EQ(target.DataObject(), nullptr);
    EXPECT_EQ(other.DataObject(), nullptr);
}
