#pragma once

// A copy plan read off this year's structure: it names every column the structure creates,
// in the structure's order, so that a column added to the structure is carried without a
// second list to keep in step. What differs from table to table is only the choice made for
// each column.

#include "schema/TableSpec.h"
#include "transfer/CopyPlan.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace transfer {

// What a plan does with one of the table's columns: fills it as the ColumnCopy says, or
// (nullopt) leaves it to the default a new row gets.
using ColumnChoice = std::function<std::optional<ColumnCopy>(std::string_view column)>;

// The plan that writes `table` from the table of the same name: every column the structure
// creates but In Use, in order; `clientColumn` takes the client's number, every other column
// what `choose` makes of it.
CopyPlan planFromStructure(const schema::TableSpec& table, std::string_view clientColumn,
                           const ColumnChoice& choose);

} // namespace transfer
