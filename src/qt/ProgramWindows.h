#pragma once

#include "program/Program.h"

namespace qtui {

class ChildWindow;
class FrameWindow;

// The program's windows drawn with Qt: the frame window and, inside it, the
// administration window. Made before the program starts, so that they show every step
// of its start; they must go before the program does.
class ProgramWindows {
public:
    explicit ProgramWindows(program::Program& program);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    FrameWindow& frame() const { return *frame_; }
    ChildWindow& admin() const { return *admin_; }

private:
    FrameWindow* frame_;
    ChildWindow* admin_;
};

} // namespace qtui
