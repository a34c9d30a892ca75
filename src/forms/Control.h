#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Container;
class Form;

enum class ControlKind {
    Label,
    TextBox,
    CommandButton,
    ListBox,
    OptionButton,
    HScrollBar,
    Animation,
    Frame,
    PictureBox,
    SSIndexTab,
    CommonDialog,
};

// Names of the properties a change notification reports.
namespace prop {
inline constexpr std::string_view Caption = "Caption";
inline constexpr std::string_view Text = "Text";
inline constexpr std::string_view Enabled = "Enabled";
inline constexpr std::string_view Visible = "Visible";
inline constexpr std::string_view Locked = "Locked";
inline constexpr std::string_view List = "List"; // items added, removed, replaced or cleared
inline constexpr std::string_view ListIndex = "ListIndex";
inline constexpr std::string_view Value = "Value";
inline constexpr std::string_view Min = "Min";
inline constexpr std::string_view Max = "Max";
inline constexpr std::string_view Tab = "Tab";
inline constexpr std::string_view TabCaption = "TabCaption";
inline constexpr std::string_view TabEnabled = "TabEnabled";
inline constexpr std::string_view Tabs = "Tabs";         // a page was added
inline constexpr std::string_view Playing = "Playing";   // animation started or stopped
inline constexpr std::string_view FileName = "FileName"; // animation clip opened or closed
inline constexpr std::string_view ZOrder = "ZOrder";     // brought to the front
inline constexpr std::string_view Focus = "Focus";       // SetFocus
inline constexpr std::string_view Refresh = "Refresh";   // redraw asked for
inline constexpr std::string_view Loaded = "Loaded";     // form only
} // namespace prop

// A control of a window: named as the system names it ("List1"; "lblLabels" with
// Index 11 for an array member, whose full name is "lblLabels(11)"), kept by its
// container in the order it was added. Created only through Container::add.
class Control {
public:
    // Only a Container makes these, so every control lives in a container.
    class Init {
        friend class Container;
        Init(Container& parent, std::string name, int index)
            : parent_(&parent), name_(std::move(name)), index_(index) {}
        Container* parent_;
        std::string name_;
        int index_;
        friend class Control;
    };

    using ChangeObserver = std::function<void(Control& control, std::string_view property)>;

    explicit Control(const Init& init);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    virtual ControlKind kind() const = 0;
    // "CommandButton", "ListBox" ...: for messages.
    static constexpr std::string_view kTypeName = "Control";
    virtual std::string_view typeName() const = 0;

    const std::string& Name() const { return name_; }
    // Index within a control array; -1 for a control that is not an array member.
    int Index() const { return index_; }
    bool isArrayMember() const { return index_ >= 0; }
    // "List1" or "lblLabels(11)".
    std::string fullName() const;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void setVisible(bool visible);

    // Enabled and visible, and so is every control that contains it: what a user can
    // reach. (The form's own visibility and the current tab page are not considered.)
    bool isReachable() const;

    // A running operation refuses the user's actions on the control: they are ignored as
    // if it were out of reach, though it still looks live.
    bool userRefused() const { return userRefused_; }
    void setUserRefused(bool refused) { userRefused_ = refused; }
    // What every user action needs: the control is reachable and not refused.
    bool acceptsUser() const { return !userRefused_ && isReachable(); }

    Container& parent() const { return *parent_; }
    // The control that contains this one (frame, picture box, tab strip), or nullptr when
    // it lies directly on the form.
    Control* parentControl() const;
    Form& form() const;

    // Brings the control to the front of its siblings.
    void ZOrder();
    // Increases with every ZOrder() on the form; 0 when never brought to the front. The
    // sibling with the highest value is in front.
    long zOrderStamp() const { return zOrderStamp_; }
    // Gives the control the focus; a control the user cannot reach keeps the focus where
    // it is (the platform would raise an error, which no caller handles).
    void SetFocus();
    bool hasFocus() const;
    // Asks the front end to redraw the control.
    void Refresh();

    // Change notification: called after a property changed (with its prop:: name).
    int subscribe(ChangeObserver observer);
    void unsubscribe(int id);

protected:
    // Tells this control's observers and the form's that `property` changed.
    void changed(std::string_view property);
    // Runs an event handler of this control through the form's dispatcher. A user
    // action is always an event boundary; an event raised by code inside another
    // handler lets its errors reach that handler.
    void raise(const std::function<void()>& handler, bool byUser);

private:
    Container* parent_;
    std::string name_;
    int index_;
    bool enabled_ = true;
    bool visible_ = true;
    bool userRefused_ = false;
    long zOrderStamp_ = 0;
    int nextObserverId_ = 1;
    std::map<int, ChangeObserver> observers_;
};

// A control that shows a caption (label, frame, button, option button).
class CaptionedControl : public Control {
public:
    using Control::Control;
    static constexpr std::string_view kTypeName = "CaptionedControl";
    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);

private:
    std::string caption_;
};

// Something that holds controls: a form, a frame, a picture box, a tab page.
class Container {
public:
    virtual ~Container();
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    // Adds a control at the end of this container. `index` >= 0 makes it a member of
    // the control array `name`. Throws std::logic_error when the form already has a
    // control of that full name.
    template <class T> T& add(std::string name, int index = -1) {
        auto control = std::make_unique<T>(Control::Init(*this, std::move(name), index));
        T& ref = *control;
        adopt(std::move(control));
        return ref;
    }

    // The controls, in the order they were added (the front end lays them out so).
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

    Form& form() const { return *form_; }
    // The control this container is or belongs to (a frame, a picture box, the tab strip
    // of a page); nullptr for the form itself.
    virtual Control* ownerControl() const = 0;

protected:
    explicit Container(Form* form) : form_(form) {}

private:
    void adopt(std::unique_ptr<Control> control);

    Form* form_;
    std::vector<std::unique_ptr<Control>> controls_;
};

} // namespace forms
