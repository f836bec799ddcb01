#include "QtOleWindows.h"

#include "DropRouter.h"
#include "OleBridge.h"
#include "OleTimers.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>
#include <QWidget>
#include <unordered_map>

namespace pem {

namespace {

std::unordered_map<const QWidget*, TQtWindow*>& Windows() {
    static auto* m = new std::unordered_map<const QWidget*, TQtWindow*>;
    return *m;
}

RECT RectOf(QPoint topLeft, QSize size) {
    return {topLeft.x(), topLeft.y(), topLeft.x() + size.width(), topLeft.y() + size.height()};
}

QScrollBar* Bar(QWidget* w, int bar) {
    auto* area = qobject_cast<QAbstractScrollArea*>(w);
    if (!area) return nullptr;
    return bar == SB_VERT ? area->verticalScrollBar() : area->horizontalScrollBar();
}

bool Scrolls(QWidget* w, int bar) {
    auto* area = qobject_cast<QAbstractScrollArea*>(w);
    if (!area) return false;
    Qt::ScrollBarPolicy policy = bar == SB_VERT ? area->verticalScrollBarPolicy() : area->horizontalScrollBarPolicy();
    QScrollBar* b = Bar(w, bar);
    return policy == Qt::ScrollBarAlwaysOn || (policy == Qt::ScrollBarAsNeeded && b->maximum() > b->minimum());
}

} // namespace

HWND WindowOf(QWidget* widget) {
    if (!widget) return nullptr;
    InitialiseOleBridge();
    auto& m = Windows();
    auto it = m.find(widget);
    if (it != m.end()) return it->second;
    auto* w = new TQtWindow(widget);
    m.emplace(widget, w);
    QObject::connect(widget, &QObject::destroyed, [widget]() {
        auto& map = Windows();
        auto at = map.find(widget);
        if (at == map.end()) return;
        TQtWindow* gone = at->second;
        map.erase(at);
        gone->WidgetGone();
        delete gone;
    });
    return w;
}

QWidget* WidgetOf(HWND window) {
    auto* w = dynamic_cast<TQtWindow*>(window);
    return w ? w->Widget() : nullptr;
}

TQtWindow::TQtWindow(QWidget* widget) : widget_(widget) {}

HWND TQtWindow::Parent() const {
    QWidget* w = Widget();
    return w && w->parentWidget() ? WindowOf(w->parentWidget()) : nullptr;
}

QWidget* TQtWindow::ClientWidget() const {
    QWidget* w = Widget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
    return w;
}

RECT TQtWindow::WindowRect() const {
    QWidget* w = Widget();
    return w ? RectOf(w->mapToGlobal(QPoint(0, 0)), w->size()) : RECT{};
}

RECT TQtWindow::ClientRect() const {
    QWidget* c = ClientWidget();
    return c ? RECT{0, 0, c->width(), c->height()} : RECT{};
}

POINT TQtWindow::ClientOrigin() const {
    QWidget* c = ClientWidget();
    if (!c) return {};
    QPoint p = c->mapToGlobal(QPoint(0, 0));
    return {p.x(), p.y()};
}

DWORD TQtWindow::Style() const {
    QWidget* w = Widget();
    DWORD s = 0;
    if (Scrolls(w, SB_HORZ)) s |= WS_HSCROLL;
    if (Scrolls(w, SB_VERT)) s |= WS_VSCROLL;
    return s;
}

bool TQtWindow::GetScrollInfo(int bar, SCROLLINFO* info) const {
    QScrollBar* b = Bar(Widget(), bar);
    if (!b || !info) return false;
    info->nMin = b->minimum();
    info->nPage = static_cast<UINT>(std::max(0, b->pageStep()));
    // A Qt bar's maximum is its last position; the platform's includes the page.
    info->nMax = b->maximum() + std::max(0, b->pageStep() - 1);
    info->nPos = info->nTrackPos = b->value();
    return true;
}

LRESULT TQtWindow::Perform(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_VSCROLL && msg != WM_HSCROLL) return 0;
    QScrollBar* b = Bar(Widget(), msg == WM_VSCROLL ? SB_VERT : SB_HORZ);
    if (!b) return 0;
    if (wParam == SB_LINEUP) b->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (wParam == SB_LINEDOWN) b->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    return 0;
}

bool TQtWindow::IsRichEdit() const { return qobject_cast<QTextEdit*>(Widget()) != nullptr; }

std::string TQtWindow::Name() const {
    QWidget* w = Widget();
    return w ? w->objectName().toStdString() : std::string();
}

std::shared_ptr<Bitmap> TQtWindow::Grab(const RECT& area) const {
    QWidget* c = ClientWidget();
    if (!c) return nullptr;
    QImage img = c->grab(QRect(area.left, area.top, area.right - area.left, area.bottom - area.top))
                     .toImage()
                     .convertToFormat(QImage::Format_ARGB32);
    if (img.isNull()) return nullptr;
    auto b = std::make_shared<Bitmap>();
    b->width = img.width();
    b->height = img.height();
    b->pixels.resize(static_cast<size_t>(b->width) * static_cast<size_t>(b->height));
    for (int y = 0; y < b->height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        std::copy(row, row + b->width, b->pixels.begin() + static_cast<ptrdiff_t>(y) * b->width);
    }
    return b;
}

void TQtWindow::DropRegistrationChanged(bool registered) {
    if (QWidget* w = Widget()) TDropRouter::Instance().OleRegistrationChanged(w, registered);
}

// ---- the window system

TQtWindowSystem& TQtWindowSystem::Instance() {
    static auto* s = new TQtWindowSystem; // lives as long as the program
    return *s;
}

void TQtWindowSystem::SetDropSite(QWidget* widget, POINT screen) {
    site_ = widget;
    sitePoint_ = screen;
}

void TQtWindowSystem::NoteMouse(Qt::MouseButtons buttons, QPoint global) {
    buttons_ = buttons;
    cursor_ = global;
    cursorKnown_ = true;
}

HWND TQtWindowSystem::WindowFromPoint(POINT screen) {
    if (site_ && screen == sitePoint_) {
        // The deepest child of the site at the point, else the site itself.
        QWidget* w = site_;
        QPoint local = w->mapFromGlobal(QPoint(screen.x, screen.y));
        if (QWidget* child = w->childAt(local)) w = child;
        return WindowOf(w);
    }
    return WindowOf(QApplication::widgetAt(QPoint(screen.x, screen.y)));
}

POINT TQtWindowSystem::GetCursorPos() {
    QPoint p = cursorKnown_ ? cursor_ : QCursor::pos();
    return {p.x(), p.y()};
}

bool TQtWindowSystem::IsKeyDown(int vk) {
    Qt::MouseButtons b = buttons_ | QGuiApplication::mouseButtons();
    switch (vk) {
    case VK_LBUTTON:
        return b & Qt::LeftButton;
    case VK_RBUTTON:
        return b & Qt::RightButton;
    case VK_MBUTTON:
        return b & Qt::MiddleButton;
    default:
        return false;
    }
}

bool TQtWindowSystem::SetCapture(HWND window) {
    QWidget* w = WidgetOf(window);
    if (!w) return false;
    capture_ = w;
    return true;
}

HWND TQtWindowSystem::GetCapture() {
    if (!capture_ || capture_->isHidden()) return nullptr;
    return WindowOf(capture_);
}

void TQtWindowSystem::ReleaseCapture() { capture_ = nullptr; }

int TQtWindowSystem::GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXDRAG:
    case SM_CYDRAG:
        return QApplication::startDragDistance();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CXHSCROLL:
        return QApplication::style() ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
    default:
        return 0;
    }
}

namespace {

// Watches the program's input while drag-start detection waits: button
// input is only looked at, moves and keys are taken.
class InputWatch : public QObject {
public:
    InputWatch(QEventLoop& loop, QPointer<QWidget> capture) : loop_(loop), capture_(std::move(capture)) {}
    TInputMessage msg;
    bool got = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (got) return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            bool down = e->type() != QEvent::MouseButtonRelease;
            UINT base = me->button() == Qt::RightButton ? WM_RBUTTONDOWN
                        : me->button() == Qt::MiddleButton ? WM_MBUTTONDOWN
                                                            : WM_LBUTTONDOWN;
            Set(down ? base : base + 1, me->globalPosition().toPoint(), 0);
            return false;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            TQtWindowSystem::Instance().NoteMouse(me->buttons(), me->globalPosition().toPoint());
            Set(WM_MOUSEMOVE, me->globalPosition().toPoint(), 0);
            return true;
        }
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(e);
            Set(WM_KEYDOWN, QPoint(), ke->key() == Qt::Key_Escape ? VK_ESCAPE : static_cast<WPARAM>(ke->key()));
            return true;
        }
        case QEvent::ApplicationDeactivate:
        case QEvent::WindowDeactivate:
            Set(WM_CANCELMODE, QPoint(), 0);
            return false;
        default:
            if (!capture_ || capture_->isHidden()) Set(WM_CAPTURECHANGED, QPoint(), 0);
            return false;
        }
    }

private:
    void Set(UINT m, QPoint p, WPARAM w) {
        msg.message = m;
        msg.pt = {p.x(), p.y()};
        msg.time = GetTickCount();
        msg.wParam = w;
        got = true;
        loop_.exit(0);
    }
    QEventLoop& loop_;
    QPointer<QWidget> capture_;
};

} // namespace

TInputMessage TQtWindowSystem::WaitInput(unsigned timeoutMs) {
    TInputMessage none;
    if (!capture_) {
        none.message = WM_CAPTURECHANGED;
        return none;
    }
    QEventLoop loop;
    InputWatch watch(loop, capture_);
    TOleTimer timer;
    bool timedOut = false;
    timer.OnTimer = [&] {
        timedOut = true;
        timer.SetEnabled(false);
        loop.exit(0);
    };
    timer.SetInterval(timeoutMs);
    timer.SetEnabled(true);
    qApp->installEventFilter(&watch);
    int code = loop.exec();
    qApp->removeEventFilter(&watch);
    if (watch.got) return watch.msg;
    if (timedOut) {
        none.timedOut = true;
        return none;
    }
    // The loop ended for the program's end.
    none.message = WM_QUIT;
    none.wParam = static_cast<WPARAM>(code);
    return none;
}

void TQtWindowSystem::PostQuitMessage(int exitCode) {
    QMetaObject::invokeMethod(qApp, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}

} // namespace pem
