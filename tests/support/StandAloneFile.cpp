#include "support/StandAloneFile.h"

#include "schema/DefinitionRun.h"
#include "schema/SchemaTables.h"
#include "schema/StructureHelpers.h"

#include <set>

namespace support {

void makeStandAlone(const std::string& path, const Rows& rows,
                    std::optional<runtime::Variant> version) {
    std::vector<schema::TableSpec> tables;
    std::set<std::string> names;
    for (const auto* part : {&schema::individualsMainTables(), &schema::individualsDetailTables(),
                             &schema::individualsExtendedTables(), &schema::trustDbTables()})
        for (const schema::TableSpec& t : *part)
            if (names.insert(t.name).second) tables.push_back(t);
    schema::MakeDatabase(path, false);
    const engine::DatabasePtr db = schema::CurDB();
    {
        schema::detail::FileTransaction transaction;
        transaction.begin();
        schema::detail::runTables(tables);
        transaction.commit();
    }
    for (const auto& [table, values] : rows)
        addRow(*db, table, values);
    if (version) addRow(*db, "DefInvOpt", {{"UpDateDB", *version}});
    db->Close();
}

} // namespace support
