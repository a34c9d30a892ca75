#pragma once

#include "forms/Control.h"

#include <functional>

namespace forms {

class CommandButton : public CaptionedControl {
public:
    using CaptionedControl::CaptionedControl;
    ControlKind kind() const override { return ControlKind::CommandButton; }
    static constexpr std::string_view kTypeName = "CommandButton";
    std::string_view typeName() const override { return kTypeName; }

    // Pressing the button in code ("cmdX.Value = True"): Click runs at once, whether or
    // not the button is enabled. Value itself always reads back False. While a running
    // operation refuses the button to the user, a press in code is refused too: it comes
    // from a handler of some other control the user reached under that operation.
    void setValue(bool value);
    bool Value() const { return false; }
    void click();

    // The user pressed it: ignored (false) when the button is disabled, hidden or inside
    // a disabled or hidden container.
    bool userClick();

    std::function<void()> onClick;
};

} // namespace forms
