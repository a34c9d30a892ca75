#include "forms/Control.h"

#include "forms/Form.h"

namespace forms {

Control::Control(const Init& init)
    : parent_(init.parent_), name_(init.name_), index_(init.index_) {}

Control::~Control() = default;

std::string Control::fullName() const {
    if (index_ < 0) return name_;
    return name_ + "(" + std::to_string(index_) + ")";
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    changed(prop::Enabled);
}

void Control::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    changed(prop::Visible);
}

bool Control::isReachable() const {
    for (const Control* c = this; c; c = c->parentControl())
        if (!c->enabled_ || !c->visible_) return false;
    return true;
}

Control* Control::parentControl() const {
    return parent_->ownerControl();
}

Form& Control::form() const {
    return parent_->form();
}

void Control::ZOrder() {
    zOrderStamp_ = form().nextZOrderStamp();
    changed(prop::ZOrder);
}

void Control::SetFocus() {
    if (!isReachable()) return;
    form().setActiveControl(this);
    changed(prop::Focus);
}

bool Control::hasFocus() const {
    return form().ActiveControl() == this;
}

void Control::Refresh() {
    changed(prop::Refresh);
}

int Control::subscribe(ChangeObserver observer) {
    const int id = nextObserverId_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void Control::unsubscribe(int id) {
    observers_.erase(id);
}

void Control::changed(std::string_view property) {
    // Copy first: an observer may unsubscribe while it is told.
    const auto observers = observers_;
    for (const auto& [id, observer] : observers)
        observer(*this, property);
    form().notify(this, property);
}

void Control::raise(const std::function<void()>& handler, bool byUser) {
    if (!handler) return;
    form().dispatch(handler, byUser);
}

void CaptionedControl::setCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    changed(prop::Caption);
}

Container::~Container() = default;

void Container::adopt(std::unique_ptr<Control> control) {
    form_->registerControl(*control);
    controls_.push_back(std::move(control));
}

} // namespace forms
