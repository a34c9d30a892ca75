#pragma once

// The run of a company import from the window, once the company (or every company) is
// chosen: last year's file opened, the companies carried, the outcome shown.

#include <optional>
#include <string>

namespace app {
class frmSysAdmin;
}

namespace carryforward {

// Carries company `chosen`, which the boxes name `listed` ("the company Acme (5)"), or
// every company when there is none.
void importCompanies(app::frmSysAdmin& w, std::optional<double> chosen,
                     const std::string& listed = "");

} // namespace carryforward
