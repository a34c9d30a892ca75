#pragma once

// Reading the path files of the program folder.

#include "runtime/PathFile.h"

#include <string>
#include <string_view>

namespace app {

// The path file `fileName` ("\DBMPath.Txt") of the program folder. A relative value is a
// place in the program folder, wherever the process was started from.
runtime::PathFileContent readProgramPathFile(const std::string& programFolder,
                                             std::string_view fileName);

} // namespace app
