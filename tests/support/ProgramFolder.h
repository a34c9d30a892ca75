#pragma once

#include "support/ScriptedDesktop.h"
#include "support/TempFolder.h"

namespace support {

// A fresh, empty program folder in the temporary directory, and a ScriptedDesktop that
// reports it as the folder of the program file. The folder and everything in it go when
// the fixture goes.
class ProgramFolder : public TempFolder {
public:
    ProgramFolder() { desk_.setProgramFolder(path()); }

    ScriptedDesktop& desktop() { return desk_; }

private:
    ScriptedDesktop desk_;
};

} // namespace support
