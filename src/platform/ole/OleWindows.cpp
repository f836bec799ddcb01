#include "OleWindows.h"

#include "FakeWindows.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace pem {

namespace {

IWindowSystem*& Installed() {
    static IWindowSystem* s = nullptr;
    return s;
}

std::unordered_map<HWND, IDropTarget*>& DropTargets() {
    static auto* m = new std::unordered_map<HWND, IDropTarget*>;
    return *m;
}

std::vector<std::pair<const void*, std::function<void(HWND)>>>& Listeners() {
    static auto* v = new std::vector<std::pair<const void*, std::function<void(HWND)>>>;
    return *v;
}

} // namespace

Window::~Window() {
    auto& m = DropTargets();
    auto it = m.find(this);
    if (it != m.end()) {
        IDropTarget* t = it->second;
        m.erase(it);
        t->Release();
    }
    // Listeners may remove themselves (or others) while being told.
    std::vector<const void*> keys;
    for (const auto& l : Listeners()) keys.push_back(l.first);
    for (const void* key : keys) {
        auto& v = Listeners();
        auto at = std::find_if(v.begin(), v.end(), [key](const auto& p) { return p.first == key; });
        if (at == v.end()) continue;
        auto fn = at->second;
        fn(this);
    }
}

void AddWindowDestroyedListener(const void* key, std::function<void(HWND)> listener) {
    RemoveWindowDestroyedListener(key);
    Listeners().emplace_back(key, std::move(listener));
}

void RemoveWindowDestroyedListener(const void* key) {
    auto& v = Listeners();
    v.erase(std::remove_if(v.begin(), v.end(), [key](const auto& p) { return p.first == key; }), v.end());
}

bool Window::GetScrollInfo(int, SCROLLINFO*) const { return false; }
LRESULT Window::Perform(UINT, WPARAM, LPARAM) { return 0; }
std::shared_ptr<Bitmap> Window::Grab(const RECT&) const { return nullptr; }

POINT Window::ClientToScreen(POINT p) const {
    POINT o = ClientOrigin();
    return {p.x + o.x, p.y + o.y};
}

POINT Window::ScreenToClient(POINT p) const {
    POINT o = ClientOrigin();
    return {p.x - o.x, p.y - o.y};
}

bool Window::IsWithin(const Window* w) const {
    for (const Window* c = this; c; c = c->Parent())
        if (c == w) return true;
    return false;
}

IWindowSystem& WindowSystem() {
    IWindowSystem* s = Installed();
    return s ? *s : TFakeWindowSystem::Default();
}

void SetWindowSystem(IWindowSystem* system) { Installed() = system; }

HWND WindowFromPoint(POINT screen) { return WindowSystem().WindowFromPoint(screen); }

bool GetCursorPos(POINT* pt) {
    if (!pt) return false;
    *pt = WindowSystem().GetCursorPos();
    return true;
}

int16_t GetKeyState(int virtualKey) { return WindowSystem().IsKeyDown(virtualKey) ? int16_t(-32768) : int16_t(0); }
bool SetCapture(HWND window) { return WindowSystem().SetCapture(window); }
HWND GetCapture() { return WindowSystem().GetCapture(); }
void ReleaseCapture() { WindowSystem().ReleaseCapture(); }
int GetSystemMetrics(int index) { return WindowSystem().GetSystemMetrics(index); }
void PostQuitMessage(int exitCode) { WindowSystem().PostQuitMessage(exitCode); }

bool GetScrollInfo(HWND window, int bar, SCROLLINFO* info) { return window && window->GetScrollInfo(bar, info); }

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return window ? window->Perform(msg, wParam, lParam) : 0;
}

HRESULT RegisterDragDrop(HWND window, IDropTarget* target) {
    if (!window) return DRAGDROP_E_INVALIDHWND;
    if (!target) return E_INVALIDARG;
    auto& m = DropTargets();
    if (m.count(window)) return DRAGDROP_E_ALREADYREGISTERED;
    target->AddRef();
    m.emplace(window, target);
    window->DropRegistrationChanged(true);
    return S_OK;
}

HRESULT RevokeDragDrop(HWND window) {
    if (!window) return DRAGDROP_E_INVALIDHWND;
    auto& m = DropTargets();
    auto it = m.find(window);
    if (it == m.end()) return DRAGDROP_E_NOTREGISTERED;
    IDropTarget* t = it->second;
    m.erase(it);
    window->DropRegistrationChanged(false);
    t->Release();
    return S_OK;
}

IDropTarget* RegisteredDropTarget(HWND window) {
    auto& m = DropTargets();
    auto it = m.find(window);
    return it == m.end() ? nullptr : it->second;
}

HWND FindDropTargetWindow(HWND window) {
    for (HWND w = window; w; w = w->Parent())
        if (RegisteredDropTarget(w)) return w;
    return nullptr;
}

} // namespace pem
