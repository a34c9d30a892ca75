#include "app/Version.h"

#include <cstdio>
#include <quolby/Version.h>

namespace app {

forms::Version buildVersion() {
    return {quolby::kVersionMajor, quolby::kVersionMinor, quolby::kVersionPatch};
}

std::string versionCaption(const forms::Version& v) {
    char number[64];
    std::snprintf(number, sizeof number, "%d.%02d.%03d", v.Major, v.Minor, v.Revision);
    return std::string("Quolby2018 SysAdmin Ver: ") + number;
}

double verNum(const forms::Version& v) {
    const std::string digits =
        std::to_string(v.Major) + std::to_string(v.Minor) + std::to_string(v.Revision);
    return std::stod(digits);
}

} // namespace app
