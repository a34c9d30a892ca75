#pragma once

#include "forms/Control.h"

#include <functional>

namespace forms {

class TextBox : public Control {
public:
    using Control::Control;
    ControlKind kind() const override { return ControlKind::TextBox; }
    static constexpr std::string_view kTypeName = "TextBox";
    std::string_view typeName() const override { return kTypeName; }

    const std::string& Text() const { return text_; }
    // Fires Change when the text differs from the old one, also when code sets it.
    void setText(std::string text);

    // A locked box shows its text but the user cannot change it.
    bool Locked() const { return locked_; }
    void setLocked(bool locked);

    // The user typed: ignored (false) when the box is locked or out of reach.
    bool userSetText(std::string text);

    std::function<void()> onChange;

private:
    std::string text_;
    bool locked_ = false;
};

} // namespace forms
