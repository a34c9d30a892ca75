#pragma once

// An import must never read the very file it writes into: its clients would arrive twice.

#include <string>

namespace app {
class frmSysAdmin;
}

namespace transfer {

// Whether last year's file at `source` is this year's file at `thisYear`, the same file
// under any path; when it is, the window's box says so, naming it. Run it before the import
// writes anything, and stop when it gives true.
bool refusedAsThisYear(app::frmSysAdmin& w, const std::string& source, const std::string& thisYear);

} // namespace transfer
