#include "Component.h"

#include "CharSet1252.h"
#include "HandlerGuard.h"
#include "QtText.h"

#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace pem {

namespace {
const char* kComponentProp = "_pemComponent";
}

void FireEvent(const TNotifyEvent& ev, TComponent* sender) {
    if (!ev || (sender && sender->Orphaned())) return;
    RunGuarded([&] { ev(sender); });
}

TComponent::TComponent(QObject* self, TComponent* owner, const std::string& name, const char* className)
    : self_(self), owner_(owner), className_(className) {
    self_->setObjectName(ToQ(name));
    self_->setProperty(kComponentProp, QVariant::fromValue<void*>(this));
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    if (owner_) {
        auto& v = owner_->components_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    std::function<void(TComponent*)> orphan = [&](TComponent* c) {
        c->orphaned_ = true;
        for (TComponent* k : c->components_) orphan(k);
    };
    for (TComponent* c : components_) {
        c->owner_ = nullptr;
        orphan(c);
    }
    if (self_) self_->setProperty(kComponentProp, QVariant());
}

std::string TComponent::Name() const { return FromQ(self_->objectName()); }
void TComponent::SetName(const std::string& name) { self_->setObjectName(ToQ(name)); }

int TComponent::Tag() const { return self_->property("Tag").toInt(); }
void TComponent::SetTag(int tag) { self_->setProperty("Tag", tag); }

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_)
        if (SameText(c->Name(), name)) return c;
    return nullptr;
}

TComponent* TComponent::FindComponentDeep(const std::string& name) const {
    if (TComponent* c = FindComponent(name)) return c;
    for (TComponent* c : components_)
        if (TComponent* d = c->FindComponentDeep(name)) return d;
    return nullptr;
}

QWidget* TComponent::Widget() const { return qobject_cast<QWidget*>(self_); }

TComponent* TComponent::Of(const QObject* o) {
    if (!o) return nullptr;
    QVariant v = o->property(kComponentProp);
    return v.isValid() ? static_cast<TComponent*>(v.value<void*>()) : nullptr;
}

TControl::TControl(QWidget* self, TComponent* owner, const std::string& name, const char* className)
    : TComponent(self, owner, name, className), widget_(self) {}

bool TControl::Visible() const { return !widget_->isHidden(); }
void TControl::SetVisible(bool v) { widget_->setVisible(v); }
bool TControl::Enabled() const { return widget_->isEnabled(); }
void TControl::SetEnabled(bool v) { widget_->setEnabled(v); }
std::string TControl::Hint() const { return FromQ(widget_->toolTip()); }
void TControl::SetHint(const std::string& hint) { widget_->setToolTip(ToQ(hint)); }
int TControl::TabOrder() const { return widget_->property("TabOrder").toInt(); }
void TControl::SetTabOrder(int order) { widget_->setProperty("TabOrder", order); }
int TControl::Left() const { return widget_->x(); }
int TControl::Top() const { return widget_->y(); }
int TControl::Width() const { return widget_->width(); }
int TControl::Height() const { return widget_->height(); }
void TControl::SetBounds(int l, int t, int w, int h) { widget_->setGeometry(l, t, w, h); }
void TControl::SetWidth(int w) { widget_->resize(w, widget_->height()); }
void TControl::SetHeight(int h) { widget_->resize(widget_->width(), h); }
void TControl::SetLeft(int l) { widget_->move(l, widget_->y()); }
void TControl::SetTop(int t) { widget_->move(widget_->x(), t); }
int TControl::ClientWidth() const { return widget_->contentsRect().width(); }
int TControl::ClientHeight() const { return widget_->contentsRect().height(); }

} // namespace pem
