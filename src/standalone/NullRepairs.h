#pragma once

// Repairs that give fields of the network files a value where they hold Null. Nothing in
// the window calls them; each works on its own handles, in one transaction, so a repair
// either finishes or leaves the file as it was, and raises what stopped it.

#include "schema/TableSpec.h"

#include <string>
#include <string_view>
#include <vector>

namespace app {
class frmSysAdmin;
}

namespace standalone {

// Sets `field` of `table` in the file at `path` to 0 wherever it is Null; gives the rows set.
long fixNullField(const std::string& path, std::string_view table, std::string_view field);

void FixNull_IRP5TOT3915(app::frmSysAdmin& w);
void FixNull_LocDivTaxFree(app::frmSysAdmin& w);
void FixNull_Employer4475(app::frmSysAdmin& w);

// The practice fields at the end of the trust main table, in table order.
std::vector<schema::FieldSpec> trustPracticeFields();

// In every trust whose first provisional-tax field is Null, gives each practice field that
// is Null its empty value ("" for texts, 0 for numbers and ticks, the no-date value for
// dates); values already there stay.
void FixNull_TrustDetails(app::frmSysAdmin& w);

} // namespace standalone
