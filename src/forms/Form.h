#pragma once

#include "forms/Control.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace forms {

class CommandButton;
class ListBox;
class TextBox;
class Label;
class OptionButton;
class SSIndexTab;

// Why a form is being unloaded (QueryUnload's UnloadMode).
inline constexpr int vbFormControlMenu = 0; // the user closed it
inline constexpr int vbFormCode = 1;        // code called Unload
inline constexpr int vbFormMDIForm = 4;     // its frame window is closing

// A control looked up by a name the form does not have, or of another type.
class ControlLookupError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A window: a caption, its controls, and the Load / Show / Unload lifecycle.
class Form : public Container {
public:
    using Observer = std::function<void(Control* control, std::string_view property)>;

    explicit Form(std::string name);
    ~Form() override;

    const std::string& Name() const { return name_; }
    Control* ownerControl() const override { return nullptr; }

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);
    bool Visible() const { return visible_; }
    void setVisible(bool visible);

    // --- lifecycle ---
    bool isLoaded() const { return loaded_; }
    // Loads the form once: marks it loaded and fires Load. A form unloaded again by its
    // own Load event stays unloaded.
    void Load();
    // Loads it when needed, then makes it visible (unless its Load unloaded it).
    void Show();
    void Hide() { setVisible(false); }
    // Asks QueryUnload and Unload (each may set Cancel); returns true when the form is
    // unloaded. A frame window unloads its loaded child windows first: any child that
    // cancels keeps the frame loaded too. Unloading a form that is not loaded does
    // nothing and returns true.
    bool Unload();
    // The user closed the window (its close box): Unload with UnloadMode 0.
    bool userClose();

    // A running operation keeps the form loaded: while refused, closing it or its frame
    // and Unload in code return false at once and fire no event.
    bool unloadRefused() const { return unloadRefused_; }
    void setUnloadRefused(bool refused) { unloadRefused_ = refused; }

    // Makes this form a child window of `frame`.
    void setMdiParent(Form& frame);
    Form* mdiParent() const { return mdiParent_; }

    std::function<void()> onLoad;
    std::function<void(int& Cancel, int UnloadMode)> onQueryUnload;
    std::function<void(int& Cancel)> onUnload;

    // --- finding controls ---
    // By full name ("List1", "lblLabels(11)"); throws ControlLookupError when the form
    // has no such control or it is not a T.
    template <class T = Control> T& find(std::string_view fullName) const {
        Control& c = findControl(fullName);
        if (auto* t = dynamic_cast<T*>(&c)) return *t;
        throw ControlLookupError(wrongTypeMessage(c, T::kTypeName));
    }
    template <class T = Control> T& find(std::string_view name, int index) const {
        return find<T>(std::string(name) + "(" + std::to_string(index) + ")");
    }
    Control* tryFind(std::string_view fullName) const;
    // The members of control array `name`, by ascending Index.
    std::vector<Control*> controlArray(std::string_view name) const;
    // Every control of the form, in layout order (depth first).
    std::vector<Control*> allControls() const;

    // The control that has the focus, or nullptr.
    Control* ActiveControl() const { return activeControl_; }

    // --- the event boundary ---
    // Runs an event handler. At the outermost level (or for a user action) nothing
    // leaves it: a runtime::Error or any other exception is shown in a critical message
    // box (errorMessage), the mouse pointer goes back to the default, and the window
    // stays usable. Inside another handler, errors go on to that handler.
    void dispatch(const std::function<void()>& handler, bool byUser = false);

    // --- observing ---
    // Told of every change to the form (control nullptr) and to each of its controls.
    int subscribe(Observer observer);
    void unsubscribe(int id);

    // --- test-reading helpers ---
    // Clicks the named button as a user would; false when it could not be clicked.
    bool click(std::string_view buttonName);
    ListBox& list(std::string_view name) const;
    TextBox& textBox(std::string_view name) const;
    CommandButton& button(std::string_view name) const;
    Label& label(std::string_view name) const;
    OptionButton& option(std::string_view name) const;
    SSIndexTab& tabStrip(std::string_view name) const;

private:
    friend class Container;
    friend class Control;

    void registerControl(Control& control);
    void notify(Control* control, std::string_view property);
    long nextZOrderStamp() { return ++zOrderCounter_; }
    void setActiveControl(Control* control);
    Control& findControl(std::string_view fullName) const;
    std::string wrongTypeMessage(const Control& c, std::string_view wanted) const;
    bool unloadWith(int unloadMode);
    bool queryUnload(int unloadMode);
    bool fireUnload();
    void finishUnload();

    std::string name_;
    std::string caption_;
    bool visible_ = false;
    bool loaded_ = false;
    bool unloadRefused_ = false;
    Form* mdiParent_ = nullptr;
    std::vector<Form*> mdiChildren_;
    std::unordered_map<std::string, Control*> byName_;
    Control* activeControl_ = nullptr;
    long zOrderCounter_ = 0;
    int nextObserverId_ = 1;
    std::map<int, Observer> observers_;
};

// The text the event boundary shows for an error: "Error 3024: <text>" for a
// runtime::Error, "Unexpected error: <what>" for any other exception.
std::string errorMessage(const std::exception& e);

} // namespace forms
