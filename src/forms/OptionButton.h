#pragma once

#include "forms/Control.h"

#include <functional>

namespace forms {

// Option buttons in one container form a group: at most one of them is on.
class OptionButton : public CaptionedControl {
public:
    using CaptionedControl::CaptionedControl;
    ControlKind kind() const override { return ControlKind::OptionButton; }
    static constexpr std::string_view kTypeName = "OptionButton";
    std::string_view typeName() const override { return kTypeName; }

    bool Value() const { return value_; }
    // Switching it on switches the others of its group off and fires Click; switching
    // it off fires nothing.
    void setValue(bool value);

    // The user clicked it: switches it on and fires Click (also when already on).
    // Ignored (false) when out of reach.
    bool userClick();

    // Receives the button's Index (-1 when it is not an array member).
    std::function<void(int Index)> onClick;

private:
    void switchOn();
    void setValueQuietly(bool value);

    bool value_ = false;
};

} // namespace forms
