#include "schema/SchemaTables.h"

#include <stdexcept>
#include <string>

namespace schema {

const TableSpec& tableIn(const std::vector<const std::vector<TableSpec>*>& parts,
                         std::string_view name) {
    for (const std::vector<TableSpec>* part : parts)
        for (const TableSpec& t : *part)
            if (t.name == name) return t;
    throw std::logic_error("no table " + std::string(name));
}

} // namespace schema
