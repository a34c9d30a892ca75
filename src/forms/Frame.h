#pragma once

#include "forms/Control.h"

namespace forms {

// A captioned group of controls.
class Frame : public CaptionedControl, public Container {
public:
    explicit Frame(const Init& init);
    ControlKind kind() const override { return ControlKind::Frame; }
    static constexpr std::string_view kTypeName = "Frame";
    std::string_view typeName() const override { return kTypeName; }
    Control* ownerControl() const override { return const_cast<Frame*>(this); }
};

// A strip or box that holds controls (the frame window's button strip).
class PictureBox : public Control, public Container {
public:
    explicit PictureBox(const Init& init);
    ControlKind kind() const override { return ControlKind::PictureBox; }
    static constexpr std::string_view kTypeName = "PictureBox";
    std::string_view typeName() const override { return kTypeName; }
    Control* ownerControl() const override { return const_cast<PictureBox*>(this); }
};

} // namespace forms
