#pragma once
// Named components and controls: what every form, frame and control of the
// program carries beside its Qt widget. A component has a Name (the Qt object
// name), a Tag, an owner that is not necessarily its parent (a frame owns its
// inner controls) and a class name for form-state streaming. A control adds
// its own Visible flag (the widget's hidden state, true even before the
// window is shown) and a tab order.
#include <functional>
#include <string>
#include <vector>

class QObject;
class QWidget;

namespace pem {

class TComponent;
using TNotifyEvent = std::function<void(TComponent* sender)>;

// Runs an event handler inside the handler guard, unless the sender's owner
// is already gone (events fired while a window is being freed).
void FireEvent(const TNotifyEvent& ev, TComponent* sender);

class TComponent {
public:
    TComponent(QObject* self, TComponent* owner, const std::string& name, const char* className);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    std::string Name() const;
    void SetName(const std::string& name);
    const char* ClassName() const { return className_; }

    int Tag() const;
    void SetTag(int tag);

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int i) const { return components_.at(static_cast<size_t>(i)); }
    const std::vector<TComponent*>& ComponentList() const { return components_; }
    // Owned component of that name (ASCII case ignored), searched one level.
    TComponent* FindComponent(const std::string& name) const;
    // Searched through the whole ownership tree.
    TComponent* FindComponentDeep(const std::string& name) const;

    QObject* Object() const { return self_; }
    // The widget, when this component is one.
    QWidget* Widget() const;

    template <class T>
    T* Find(const std::string& name) const {
        return dynamic_cast<T*>(FindComponentDeep(name));
    }

    // The component a Qt object stands for, or nullptr.
    static TComponent* Of(const QObject* o);

    // True once an owner above this component was freed: the component is
    // about to go too, and its events must no longer run (their handlers
    // belong to the freed owner).
    bool Orphaned() const { return orphaned_; }

    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int c) { helpContext_ = c; }

private:
    QObject* self_;
    TComponent* owner_;
    const char* className_;
    std::vector<TComponent*> components_;
    int helpContext_ = 0;
    bool orphaned_ = false;
};

// Controls: widgets with their own Visible flag, Enabled, a hint and a tab
// order.
class TControl : public TComponent {
public:
    TControl(QWidget* self, TComponent* owner, const std::string& name, const char* className);

    QWidget* Self() const { return widget_; }

    // The control's own flag, not whether it is on screen now.
    bool Visible() const;
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const;
    void SetEnabled(bool v);
    std::string Hint() const;
    void SetHint(const std::string& hint);
    int TabOrder() const;
    void SetTabOrder(int order);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetBounds(int left, int top, int width, int height);
    void SetWidth(int w);
    void SetHeight(int h);
    void SetLeft(int l);
    void SetTop(int t);
    int ClientWidth() const;
    int ClientHeight() const;

private:
    QWidget* widget_;
};

} // namespace pem
