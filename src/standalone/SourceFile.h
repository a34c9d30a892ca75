#pragma once

// What the page knows of a chosen stand-alone file: where its company file and the working
// copies lie, whether it is an individuals database, and its structure version.

#include "runtime/Error.h"

#include <optional>
#include <string>
#include <variant>

namespace app {
class frmSysAdmin;
}

namespace standalone {

// The company database beside the chosen individuals file.
std::string companyFileBeside(const std::string& individualsPath);
// The working copies in the program folder.
std::string individualsCopyPath(const std::string& programFolder);
std::string companiesCopyPath(const std::string& programFolder);
// Whether two paths name one file, compared by canonical path without regard to case.
bool sameFile(const std::string& a, const std::string& b);

// The chosen source (individuals or company file) when it is one of the network files
// itself, under whatever path: its clients would be imported into themselves.
std::optional<std::string> networkFileChosen(const app::frmSysAdmin& w);

// The file opens and holds the individuals' main table; otherwise the error that said no
// (3011 for a file without the table).
std::optional<runtime::Error> individualsTableMissing(const std::string& path);
// The structure version the file holds; the error when it cannot be read.
std::variant<runtime::Error, std::string> structureVersionText(const std::string& path,
                                                               bool exclusive);
// The version gate: a text that is a whole number from the minimum up to 32767.
bool versionAccepted(const std::string& text);

} // namespace standalone
