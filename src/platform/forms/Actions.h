#pragma once
// Actions: commands with a category, a caption and their own Visible,
// Enabled and Checked state, gathered in action lists. An action list may
// carry one handler that sees every execution first and may take it over
// (the program gates the whole list while a tool runs).
#include "Component.h"

#include <QAction>

namespace pem {

class TActionList;

class TAction : public QAction, public TComponent {
public:
    TAction(TActionList* list, const std::string& name, const std::string& caption,
            const std::string& category = "");

    std::string Caption() const;
    void SetCaption(const std::string& c);
    std::string Category() const { return category_; }
    void SetCategory(const std::string& c) { category_ = c; }
    bool Visible() const { return isVisible(); }
    void SetVisible(bool v) { setVisible(v); }
    // The action's own flag: Qt reports a hidden action as disabled, but a
    // hidden action keeps the enabled state it was given.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e) {
        enabled_ = e;
        setEnabled(e);
    }
    bool Checked() const { return isChecked(); }
    // An action with a tick state does not flip it by itself when it is
    // triggered (from a menu, a button or its short cut): its handler does.
    void SetChecked(bool c);
    // The short cut as text ("Ctrl+B", "Alt+R", "Ctrl+F4"); "" none.
    std::string ShortCut() const;
    void SetShortCut(const std::string& keys);
    std::string Hint() const;
    void SetHint(const std::string& h);
    TActionList* ActionList() const { return list_; }

    // Runs the list's gate, then the action's own handler, inside the
    // handler guard. Returns true when a handler ran.
    bool Execute();
    // The same without the guard: exceptions reach the caller.
    bool ExecuteUnguarded();

    TNotifyEvent OnExecute;

protected:
    // A short cut that two shown actions share runs the first of them in
    // the list, as a key is handed to the first action that claims it.
    bool event(QEvent* e) override;

private:
    TActionList* list_;
    std::string category_;
    bool enabled_ = true;
};

using TActionEvent = std::function<void(TAction* action, bool& handled)>;

class TActionList : public QObject, public TComponent {
public:
    TActionList(TComponent* owner, const std::string& name);
    int ActionCount() const { return static_cast<int>(actions_.size()); }
    TAction* Actions(int i) const { return actions_.at(static_cast<size_t>(i)); }
    const std::vector<TAction*>& ActionVector() const { return actions_; }
    TAction* FindAction(const std::string& name) const;

    // Sees every execution first; setting handled stops it.
    TActionEvent OnExecute;

private:
    friend class TAction;
    std::vector<TAction*> actions_;
};

} // namespace pem
