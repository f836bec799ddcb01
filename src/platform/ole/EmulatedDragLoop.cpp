#include "EmulatedDragLoop.h"

#include "FakeWindows.h"
#include "OleTimers.h"

#include <cstdio>

namespace pem {

namespace {
std::string Hex(DWORD v) {
    char b[16];
    std::snprintf(b, sizeof b, "%X", static_cast<unsigned>(v));
    return b;
}
std::string NameOf(HWND w) { return w ? w->Name() : std::string("-"); }
} // namespace

TEmulatedDragLoop::TEmulatedDragLoop(TFakeClock* clock) : clock_(clock), previous_(CurrentDragLoop()) {
    SetDragLoop(this);
}

TEmulatedDragLoop::~TEmulatedDragLoop() { SetDragLoop(previous_); }

HRESULT TEmulatedDragLoop::Run(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
    ++Runs;
    LastData = data;
    TFakeWindowSystem& ws = TFakeWindowSystem::Default();
    HWND current = nullptr;
    ComPtr<IDropTarget> target;
    DWORD shown = DROPEFFECT_NONE; // the effect of the last enter or over
    HRESULT outcome = DRAGDROP_S_CANCEL;
    TDragStep last;
    bool decided = false;

    for (size_t i = 0; i < Steps.size() && !decided; ++i) {
        if (BeforeStep) BeforeStep(i);
        const TDragStep& s = Steps[i];
        last = s;
        if (clock_ && s.advanceMs) clock_->Advance(s.advanceMs);
        ws.Cursor = s.pt;
        ws.Buttons = s.keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
        HRESULT cont = source->QueryContinueDrag(s.esc ? TRUE : FALSE, s.keys);
        Log.push_back("continue=" + Hex(static_cast<DWORD>(cont)));
        if (cont == DRAGDROP_S_DROP || cont == DRAGDROP_S_CANCEL) {
            outcome = cont;
            decided = true;
            break;
        }
        HWND over = FindDropTargetWindow(WindowFromPoint(s.pt));
        if (over != current) {
            if (target) {
                target->DragLeave();
                Log.push_back("leave " + NameOf(current));
            }
            current = over;
            target = ComPtr<IDropTarget>(over ? RegisteredDropTarget(over) : nullptr);
            shown = DROPEFFECT_NONE;
            if (target) {
                DWORD e = okEffects;
                target->DragEnter(data, s.keys, s.pt, &e);
                shown = e & (okEffects | DROPEFFECT_SCROLL);
                Log.push_back("enter " + NameOf(current) + " =" + Hex(shown));
            }
        } else if (target) {
            DWORD e = okEffects;
            target->DragOver(s.keys, s.pt, &e);
            shown = e & (okEffects | DROPEFFECT_SCROLL);
            Log.push_back("over " + NameOf(current) + " =" + Hex(shown));
        }
        source->GiveFeedback(shown);
        Log.push_back("feedback " + Hex(shown));
    }
    if (!decided) outcome = DRAGDROP_S_CANCEL; // the script ended with the button still down

    *effect = DROPEFFECT_NONE;
    if (outcome == DRAGDROP_S_DROP && target && (shown & ~DROPEFFECT_SCROLL)) {
        DWORD e = okEffects;
        target->Drop(data, last.keys, last.pt, &e);
        *effect = e & okEffects;
        Log.push_back("drop " + NameOf(current) + " =" + Hex(*effect));
    } else if (target) {
        target->DragLeave();
        Log.push_back("leave " + NameOf(current));
    }
    ws.Buttons = 0;
    LastData = nullptr;
    return outcome;
}

} // namespace pem
