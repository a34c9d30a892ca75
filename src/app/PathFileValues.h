#pragma once

// Reading and writing the path files of the program folder.

#include "runtime/PathFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The path file `fileName` ("\DBMPath.Txt") of the program folder. A relative value is a
// place in the program folder, wherever the process was started from.
runtime::PathFileContent readProgramPathFile(const std::string& programFolder,
                                             std::string_view fileName);

// Replaces the path file `fileName` of the program folder with one record of `values`. A
// file that cannot be written stays as it was; the paths in memory stay in force.
void writeProgramPathFile(const std::string& programFolder, std::string_view fileName,
                          const std::vector<std::string>& values);

} // namespace app
