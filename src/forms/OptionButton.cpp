#include "forms/OptionButton.h"

namespace forms {

void OptionButton::setValueQuietly(bool value) {
    if (value_ == value) return;
    value_ = value;
    changed(prop::Value);
}

void OptionButton::switchOn() {
    for (const auto& sibling : parent().controls())
        if (auto* other = dynamic_cast<OptionButton*>(sibling.get()); other && other != this)
            other->setValueQuietly(false);
    setValueQuietly(true);
}

void OptionButton::setValue(bool value) {
    if (!value) {
        setValueQuietly(false);
        return;
    }
    if (value_) return;
    switchOn();
    const int index = Index();
    raise(onClick ? std::function<void()>([this, index] { onClick(index); }) : nullptr, false);
}

bool OptionButton::userClick() {
    if (!acceptsUser()) return false;
    switchOn();
    const int index = Index();
    raise(onClick ? std::function<void()>([this, index] { onClick(index); }) : nullptr, true);
    return true;
}

} // namespace forms
