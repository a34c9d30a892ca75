#pragma once

// How every import ends, once its clients are written and committed.

#include <string>
#include <string_view>

namespace app {
class frmSysAdmin;
}

namespace transfer {

// Lets go of the window's handles, tidies the lock fields of `table` in this year's
// database at `path`, closes the default workspace and shows how it went: the completion
// box only when the lock fields were tidied; otherwise that the clients were written but
// their lock fields were not (the file in use, or the error), naming them as `clients`
// ("clients", "trusts", "companies"). cmdOk is enabled when the tidied table holds rows.
void finishImport(app::frmSysAdmin& w, const std::string& path, std::string_view table,
                  std::string_view clients);

} // namespace transfer
