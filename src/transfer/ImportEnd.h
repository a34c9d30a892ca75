#pragma once

// How every import ends, once its clients are written and committed.

#include "transfer/LockFields.h"

#include <string>
#include <string_view>
#include <vector>

namespace app {
class frmSysAdmin;
}

namespace transfer {

// Lets go of the window's handles and the default workspace, tidies the lock fields of
// `tables` as one change and closes the workspace again. True when they were tidied, and
// cmdOk is then enabled when the tables hold rows; otherwise a box says that the `clients`
// ("clients", "trusts", "companies") were written but their lock fields were not (the file
// in use, or the error).
bool tidyAfterImport(app::frmSysAdmin& w, const std::vector<LockFieldsTable>& tables,
                     std::string_view clients = "clients");

// The same for the main table `table` of this year's database at `path`, followed by the
// completion box when the lock fields were tidied.
void finishImport(app::frmSysAdmin& w, const std::string& path, std::string_view table,
                  std::string_view clients);

} // namespace transfer
