#include "forms/Frame.h"

namespace forms {

Frame::Frame(const Init& init) : CaptionedControl(init), Container(&CaptionedControl::form()) {}

PictureBox::PictureBox(const Init& init) : Control(init), Container(&Control::form()) {}

} // namespace forms
