// Tables of the system database.
#include "schema/SchemaTables.h"

namespace schema {

using enum FieldType;

// The system database: the structure version and the suite's user names.
const std::vector<TableSpec>& systemDbTables() {
    static const std::vector<TableSpec> tables = [] {
        std::vector<TableSpec> t;
        t.push_back({"DefInvOpt", {{"UpDateDB", Integer}, {"VerNum", Double}}, {}});
        t.push_back({"UserNames",
                     {{"UserName", Text, 50}, {"LoggedOn", Boolean}},
                     {{"UserNameIndex", "UserName"}}});
        return t;
    }();
    return tables;
}

} // namespace schema
