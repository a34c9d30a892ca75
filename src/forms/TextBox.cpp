#include "forms/TextBox.h"

namespace forms {

void TextBox::setText(std::string text) {
    if (text_ == text) return;
    text_ = std::move(text);
    changed(prop::Text);
    raise(onChange, false);
}

void TextBox::setLocked(bool locked) {
    if (locked_ == locked) return;
    locked_ = locked;
    changed(prop::Locked);
}

bool TextBox::userSetText(std::string text) {
    if (locked_ || !acceptsUser()) return false;
    if (text_ == text) return true;
    text_ = std::move(text);
    changed(prop::Text);
    raise(onChange, true);
    return true;
}

} // namespace forms
