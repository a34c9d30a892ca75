#pragma once

// Opening last year's file for an import of the previous-year page.

#include "engine/Dao.h"

#include <string>
#include <string_view>

namespace app {
class frmSysAdmin;
}

namespace carryforward {

// Last year's file at `path`; none, after the window's box says `notFound`, when it or its
// folder is missing. Any other failure to open it (a damaged file, 3343) is raised as a
// step of the import, naming the file.
engine::DatabasePtr openLastYear(app::frmSysAdmin& w, const std::string& path,
                                 std::string_view notFound);

} // namespace carryforward
