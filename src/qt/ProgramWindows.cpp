#include "qt/ProgramWindows.h"

#include "qt/AdminLayout.h"
#include "qt/ChildWindow.h"
#include "qt/FrameWindow.h"

namespace qtui {

ProgramWindows::ProgramWindows(program::Program& program)
    : frame_(new FrameWindow(program.MDIForm1())),
      admin_(frame_->addChild(program.frmSysAdmin(), adminWindowLayout())) {}

ProgramWindows::~ProgramWindows() {
    delete frame_;
}

} // namespace qtui
