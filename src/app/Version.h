#pragma once

#include "forms/Desktop.h"

#include <string>

namespace app {

// The program's version as the build gives it (<quolby/Version.h>, from the project version).
forms::Version buildVersion();

// "Quolby2018 SysAdmin Ver: 1.04.000": the minor version padded to two digits and the
// revision to three, never cut.
std::string versionCaption(const forms::Version& v);

// The number VerNum stores: major, minor and revision written without padding and read
// as one number (1.4.0 gives 140, 2.10.3 gives 2103).
double verNum(const forms::Version& v);

} // namespace app
