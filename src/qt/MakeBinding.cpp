#include "forms/Forms.h"
#include "qt/Bindings.h"

namespace qtui {

std::unique_ptr<ControlBinding> makeBinding(forms::Control& control, QWidget* parent) {
    using forms::ControlKind;
    switch (control.kind()) {
    case ControlKind::Label:
        return std::make_unique<LabelBinding>(static_cast<forms::Label&>(control), parent);
    case ControlKind::TextBox:
        return std::make_unique<TextBoxBinding>(static_cast<forms::TextBox&>(control), parent);
    case ControlKind::CommandButton:
        return std::make_unique<CommandButtonBinding>(static_cast<forms::CommandButton&>(control),
                                                      parent);
    case ControlKind::ListBox:
        return std::make_unique<ListBoxBinding>(static_cast<forms::ListBox&>(control), parent);
    case ControlKind::OptionButton:
        return std::make_unique<OptionButtonBinding>(static_cast<forms::OptionButton&>(control),
                                                     parent);
    case ControlKind::HScrollBar:
        return std::make_unique<ProgressBinding>(static_cast<forms::HScrollBar&>(control), parent);
    case ControlKind::Animation:
        return std::make_unique<AnimationBinding>(static_cast<forms::Animation&>(control), parent);
    case ControlKind::Frame:
        return std::make_unique<FrameBinding>(static_cast<forms::Frame&>(control), parent);
    case ControlKind::PictureBox:
        return std::make_unique<PictureBoxBinding>(static_cast<forms::PictureBox&>(control),
                                                   parent);
    case ControlKind::SSIndexTab:
        return std::make_unique<TabStripBinding>(static_cast<forms::SSIndexTab&>(control), parent);
    case ControlKind::CommonDialog:
        return std::make_unique<InvisibleBinding>(control);
    }
    return std::make_unique<InvisibleBinding>(control);
}

} // namespace qtui
