#include "forms/Form.h"

#include "forms/CommandButton.h"
#include "forms/Desktop.h"
#include "forms/Frame.h"
#include "forms/Label.h"
#include "forms/ListBox.h"
#include "forms/OptionButton.h"
#include "forms/SSIndexTab.h"
#include "forms/TextBox.h"
#include "runtime/Error.h"

#include <algorithm>

namespace forms {

namespace {

// How many event handlers are running; 0 means the next one is an event boundary.
int handlerDepth = 0;

struct DepthGuard {
    DepthGuard() { ++handlerDepth; }
    ~DepthGuard() { --handlerDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

void reportAtBoundary(const std::string& text) {
    if (!hasDesktop()) return; // nowhere to show it; the window still goes on
    Desktop& d = desktop();
    d.setMousePointer(vbDefault);
    d.MsgBox(text, vbCritical);
}

void collect(const Container& container, std::vector<Control*>& out) {
    for (const auto& c : container.controls()) {
        out.push_back(c.get());
        if (auto* inner = dynamic_cast<const Container*>(c.get())) collect(*inner, out);
        if (auto* strip = dynamic_cast<const SSIndexTab*>(c.get()))
            for (int i = 0; i < strip->Tabs(); ++i)
                collect(strip->page(i), out);
    }
}

} // namespace

std::string errorMessage(const std::exception& e) {
    if (auto* err = dynamic_cast<const runtime::Error*>(&e))
        return "Error " + std::to_string(err->number()) + ": " + err->text();
    return std::string("Unexpected error: ") + e.what();
}

Form::Form(std::string name) : Container(this), name_(std::move(name)) {}

Form::~Form() {
    if (mdiParent_) std::erase(mdiParent_->mdiChildren_, this);
    for (Form* child : mdiChildren_)
        child->mdiParent_ = nullptr;
}

void Form::setCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    notify(nullptr, prop::Caption);
}

void Form::setVisible(bool visible) {
    // A child window shows inside its frame: showing it shows the frame first, so that
    // what the child's Load event shows next (a message, a dialog) has both behind it.
    if (visible && mdiParent_ && mdiParent_->isLoaded()) mdiParent_->setVisible(true);
    if (visible_ == visible) return;
    visible_ = visible;
    notify(nullptr, prop::Visible);
}

// --- lifecycle ---

void Form::Load() {
    if (loaded_) return;
    loaded_ = true;
    notify(nullptr, prop::Loaded);
    if (onLoad) dispatch(onLoad);
}

void Form::Show() {
    Load();
    if (loaded_) setVisible(true);
}

bool Form::Unload() {
    return unloadWith(vbFormCode);
}

bool Form::userClose() {
    return unloadWith(vbFormControlMenu);
}

void Form::setMdiParent(Form& frame) {
    if (mdiParent_) std::erase(mdiParent_->mdiChildren_, this);
    mdiParent_ = &frame;
    frame.mdiChildren_.push_back(this);
}

bool Form::queryUnload(int unloadMode) {
    int cancel = 0;
    if (onQueryUnload) dispatch([&] { onQueryUnload(cancel, unloadMode); });
    return cancel == 0;
}

bool Form::fireUnload() {
    int cancel = 0;
    if (onUnload) dispatch([&] { onUnload(cancel); });
    return cancel == 0;
}

void Form::finishUnload() {
    loaded_ = false;
    activeControl_ = nullptr;
    setVisible(false);
    notify(nullptr, prop::Loaded);
}

bool Form::unloadWith(int unloadMode) {
    if (!loaded_) return true;
    // Children may unload themselves while being asked; work on a copy.
    std::vector<Form*> children;
    for (Form* c : mdiChildren_)
        if (c->loaded_) children.push_back(c);
    if (unloadRefused_ || std::ranges::any_of(children, &Form::unloadRefused)) return false;

    // Everybody is asked QueryUnload first; one refusal keeps all of them.
    if (!queryUnload(unloadMode)) return false;
    for (Form* c : children)
        if (c->loaded_ && !c->queryUnload(vbFormMDIForm)) return false;

    // Then the children go, each after its Unload event; one that stays keeps the frame.
    for (Form* c : children) {
        if (!c->loaded_) continue;
        if (!c->fireUnload()) return false;
        c->finishUnload();
    }
    if (!fireUnload()) return false;
    finishUnload();
    return true;
}

// --- finding controls ---

void Form::registerControl(Control& control) {
    const std::string key = control.fullName();
    if (byName_.count(key))
        throw std::logic_error("form " + name_ + " already has a control named " + key);
    byName_.emplace(key, &control);
}

Control* Form::tryFind(std::string_view fullName) const {
    auto it = byName_.find(std::string(fullName));
    return it == byName_.end() ? nullptr : it->second;
}

Control& Form::findControl(std::string_view fullName) const {
    if (Control* c = tryFind(fullName)) return *c;
    throw ControlLookupError("form " + name_ + " has no control named " + std::string(fullName));
}

std::string Form::wrongTypeMessage(const Control& c, std::string_view wanted) const {
    return "control " + c.fullName() + " of form " + name_ + " is a " + std::string(c.typeName()) +
           ", not a " + std::string(wanted);
}

std::vector<Control*> Form::controlArray(std::string_view name) const {
    std::vector<Control*> members;
    for (const auto& [key, c] : byName_)
        if (c->isArrayMember() && c->Name() == name) members.push_back(c);
    std::sort(members.begin(), members.end(),
              [](const Control* a, const Control* b) { return a->Index() < b->Index(); });
    return members;
}

std::vector<Control*> Form::allControls() const {
    std::vector<Control*> out;
    collect(*this, out);
    return out;
}

void Form::setActiveControl(Control* control) {
    activeControl_ = control;
}

// --- the event boundary ---

void Form::dispatch(const std::function<void()>& handler, bool byUser) {
    if (!handler) return;
    if (handlerDepth > 0 && !byUser) {
        // Raised by code inside another handler: its errors belong to that handler.
        DepthGuard guard;
        handler();
        return;
    }
    DepthGuard guard;
    try {
        handler();
    } catch (const std::exception& e) {
        reportAtBoundary(errorMessage(e));
    } catch (...) {
        reportAtBoundary("Unexpected error");
    }
}

// --- observing ---

int Form::subscribe(Observer observer) {
    const int id = nextObserverId_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void Form::unsubscribe(int id) {
    observers_.erase(id);
}

void Form::notify(Control* control, std::string_view property) {
    const auto observers = observers_;
    for (const auto& [id, observer] : observers)
        observer(control, property);
}

// --- test-reading helpers ---

bool Form::click(std::string_view buttonName) {
    return button(buttonName).userClick();
}
ListBox& Form::list(std::string_view name) const {
    return find<ListBox>(name);
}
TextBox& Form::textBox(std::string_view name) const {
    return find<TextBox>(name);
}
CommandButton& Form::button(std::string_view name) const {
    return find<CommandButton>(name);
}
Label& Form::label(std::string_view name) const {
    return find<Label>(name);
}
OptionButton& Form::option(std::string_view name) const {
    return find<OptionButton>(name);
}
SSIndexTab& Form::tabStrip(std::string_view name) const {
    return find<SSIndexTab>(name);
}

} // namespace forms
