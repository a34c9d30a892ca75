#pragma once

#include "forms/Control.h"

#include <functional>

namespace forms {

// A horizontal scroll bar (the system uses one as a progress bar). Values are the
// platform's 16-bit Integers.
class HScrollBar : public Control {
public:
    using Control::Control;
    ControlKind kind() const override { return ControlKind::HScrollBar; }
    static constexpr std::string_view kTypeName = "HScrollBar";
    std::string_view typeName() const override { return kTypeName; }

    int Min() const { return min_; }
    int Max() const { return max_; }
    // Error 380 outside -32768..32767. Min may exceed Max (a reversed bar); a Value that
    // falls outside the new range moves to its nearest end.
    void setMin(int min);
    void setMax(int max);

    int Value() const { return value_; }
    // Error 380 outside the range between Min and Max. Fires Change when it changes.
    void setValue(int value);

    // The user moved the thumb: the value is kept within the range. Ignored (false)
    // when out of reach.
    bool userSetValue(int value);

    std::function<void()> onChange;

private:
    void clampValue();

    int min_ = 0;
    int max_ = 32767;
    int value_ = 0;
};

} // namespace forms
