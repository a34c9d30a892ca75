#pragma once

#include "forms/Control.h"

namespace forms {

class Label : public CaptionedControl {
public:
    using CaptionedControl::CaptionedControl;
    ControlKind kind() const override { return ControlKind::Label; }
    static constexpr std::string_view kTypeName = "Label";
    std::string_view typeName() const override { return kTypeName; }
};

} // namespace forms
