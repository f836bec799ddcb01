#include "Forms.h"

#include "HandlerGuard.h"
#include "QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace pem {

TForm::TForm(const std::string& name, const char* className)
    : QMainWindow(nullptr), TControl(this, nullptr, name, className) {
    client_ = new QWidget(this);
    client_->setObjectName("_client");
    SetContainerLayout(client_, TLayoutKind::Vertical);
    setCentralWidget(client_);
    Screen().forms_.push_back(this);
}

TForm::~TForm() {
    auto& v = Screen().forms_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

std::string TForm::Caption() const { return FromQ(windowTitle()); }
void TForm::SetCaption(const std::string& c) { setWindowTitle(ToQ(c)); }

TWindowState TForm::WindowState() const {
    if (windowState() & Qt::WindowMinimized) return TWindowState::wsMinimized;
    if (windowState() & Qt::WindowMaximized) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}
void TForm::SetWindowState(TWindowState s) {
    switch (s) {
    case TWindowState::wsNormal: setWindowState(Qt::WindowNoState); break;
    case TWindowState::wsMinimized: setWindowState(Qt::WindowMinimized); break;
    case TWindowState::wsMaximized: setWindowState(Qt::WindowMaximized); break;
    }
}

bool TForm::DoCreate() {
    if (!OnCreate) return true;
    return RunGuarded([this] { OnCreate(this); });
}

void TForm::PostMessage(int msg) {
    QPointer<TForm> self(this);
    QTimer::singleShot(0, this, [self, msg] {
        if (self && self->OnMessage) RunGuarded([&] { self->OnMessage(msg); });
    });
}

void TForm::SetModalResult(int result) {
    modalResult_ = result;
    if (result != mrNone && modalLoop_) modalLoop_->quit();
}

int TForm::RunModal() {
    modalResult_ = mrNone;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    if (modalResult_ == mrNone) loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    return modalResult_;
}

void TForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!e->spontaneous() && OnShow) RunGuarded([this] { OnShow(this); });
}

void TForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (OnResize) RunGuarded([this] { OnResize(this); });
}

void TForm::keyPressEvent(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    const bool escape = e->key() == Qt::Key_Escape;
    if ((enter || escape) && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        auto usable = [this](const TButton* b) { return b && b->isEnabled() && b->isVisibleTo(this); };
        TButton* target = nullptr;
        if (enter) {
            if (auto* focused = dynamic_cast<TButton*>(focusWidget()); usable(focused)) target = focused;
        }
        if (!target)
            for (TButton* b : findChildren<TButton*>())
                if (usable(b) && (enter ? b->isDefault() : b->Cancel())) {
                    target = b;
                    break;
                }
        if (target) {
            e->accept();
            target->click();
            return;
        }
    }
    QMainWindow::keyPressEvent(e);
}

void TForm::hideEvent(QHideEvent* e) {
    if (!e->spontaneous() && OnHide) RunGuarded([this] { OnHide(this); });
    QMainWindow::hideEvent(e);
}

void TForm::closeEvent(QCloseEvent* e) {
    bool canClose = true;
    if (OnCloseQuery) {
        bool ok = RunGuarded([&] { OnCloseQuery(this, canClose); });
        if (!ok) canClose = false;
    }
    if (!canClose) {
        e->ignore();
        return;
    }
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) RunGuarded([&] { OnClose(this, action); });
    if (action == TCloseAction::caNone) {
        e->ignore();
        return;
    }
    e->accept();
    if (modalLoop_) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        modalLoop_->quit();
    }
    if (Application().MainForm() == this) Application().Terminate();
}

TMenuItem::TMenuItem(TComponent* owner, QWidget* parent, const std::string& name, const std::string& caption)
    : QMenu(ToQ(caption), parent), TComponent(this, owner, name, "TMenuItem") {}

TImageList::TImageList(TComponent* owner, const std::string& name)
    : QObject(owner ? owner->Object() : nullptr), TComponent(this, owner, name, "TImageList") {}
QIcon TImageList::Icon(int i) const {
    if (i < 0 || i >= Count()) return QIcon();
    Image& image = images_[static_cast<size_t>(i)];
    if (image.make) {
        image.icon = image.make();
        image.make = nullptr;
    }
    return image.icon;
}

TFontDialog::TFontDialog(TComponent* owner, const std::string& name)
    : QObject(owner ? owner->Object() : nullptr), TComponent(this, owner, name, "TFontDialog") {}

TOpenDialog::TOpenDialog(TComponent* owner, const std::string& name, bool save)
    : QObject(owner ? owner->Object() : nullptr), TComponent(this, owner, name, save ? "TSaveDialog" : "TOpenDialog"),
      save_(save) {}

bool TOpenDialog::Execute() {
    TOpenDialogRequest req = Options;
    if (req.fileName.empty()) req.fileName = FileName;
    if (save_) {
        std::string f;
        if (!Dialogs().SaveFile(req, f)) return false;
        FileName = f;
        Files = {f};
        return true;
    }
    std::vector<std::string> files;
    if (!Dialogs().OpenFiles(req, files)) return false;
    Files = files;
    FileName = files.front();
    return true;
}

TForm* TScreen::FindForm(const std::string& name) const {
    for (TForm* f : forms_)
        if (SameText(f->Name(), name)) return f;
    return nullptr;
}

void TScreen::SetBusyCursor(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (!qApp) return;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void ForEachFormAction(const std::function<void(TAction*)>& fn) {
    const std::function<void(TComponent*)> walk = [&](TComponent* c) {
        for (TComponent* k : c->ComponentList()) {
            if (auto* list = dynamic_cast<TActionList*>(k))
                for (TAction* a : list->ActionVector()) fn(a);
            walk(k);
        }
    };
    for (TForm* f : Screen().Forms()) walk(f);
}

TScreen& Screen() {
    static TScreen s;
    return s;
}

void TApplication::ProcessMessages() {
    if (qApp) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TApplication::ShowHelp(int) {
    if (HelpFile.empty()) return false;
    QString f = ToQ(HelpFile);
    if (!QFileInfo::exists(f)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(f));
}

void TApplication::Terminate() {
    Terminated = true;
    if (qApp) QCoreApplication::quit();
}

TApplication& Application() {
    static TApplication a;
    return a;
}

void PostToGui(std::function<void()> fn) {
    if (!qApp) {
        RunGuarded(fn);
        return;
    }
    QMetaObject::invokeMethod(qApp, [fn = std::move(fn)] { RunGuarded(fn); }, Qt::QueuedConnection);
}

} // namespace pem
