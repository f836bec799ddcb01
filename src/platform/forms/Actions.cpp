#include "Actions.h"

#include "CharSet1252.h"
#include "HandlerGuard.h"
#include "QtText.h"

#include <QShortcutEvent>

namespace pem {

TAction::TAction(TActionList* list, const std::string& name, const std::string& caption,
                 const std::string& category)
    : QAction(list), TComponent(this, list, name, "TAction"), list_(list), category_(category) {
    setText(ToQ(caption));
    if (list_) list_->actions_.push_back(this);
    QObject::connect(this, &QAction::triggered, this, [this](bool) {
        // Qt has already flipped a checkable action's tick; the handler
        // decides it, as it always has.
        if (isCheckable()) setChecked(!isChecked());
        Execute();
    });
}

std::string TAction::Caption() const { return FromQ(text()); }
void TAction::SetCaption(const std::string& c) { setText(ToQ(c)); }
std::string TAction::Hint() const { return FromQ(toolTip()); }
void TAction::SetHint(const std::string& h) { setToolTip(ToQ(h)); }

std::string TAction::ShortCut() const { return FromQ(shortcut().toString(QKeySequence::PortableText)); }
void TAction::SetShortCut(const std::string& keys) { setShortcut(QKeySequence(ToQ(keys), QKeySequence::PortableText)); }

void TAction::SetChecked(bool c) {
    if (!isCheckable()) setCheckable(true);
    setChecked(c);
}

bool TAction::ExecuteUnguarded() {
    if (list_ && list_->OnExecute) {
        bool handled = false;
        list_->OnExecute(this, handled);
        if (handled) return true;
    }
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TAction::Execute() {
    bool ran = false;
    RunGuarded([&] { ran = ExecuteUnguarded(); });
    return ran;
}

bool TAction::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(e)->isAmbiguous() && list_) {
        const QKeySequence key = static_cast<QShortcutEvent*>(e)->key();
        for (TAction* a : list_->actions_)
            if (a->isVisible() && a->isEnabled() && a->shortcut() == key) {
                a->activate(QAction::Trigger);
                return true;
            }
    }
    return QAction::event(e);
}

TActionList::TActionList(TComponent* owner, const std::string& name)
    : QObject(owner ? owner->Object() : nullptr), TComponent(this, owner, name, "TActionList") {}

TAction* TActionList::FindAction(const std::string& name) const {
    for (TAction* a : actions_)
        if (SameText(a->Name(), name)) return a;
    return nullptr;
}

} // namespace pem
