#pragma once

// Many clients' rows made from the first one's: its rows of a table copied under 2, 3, ...
// until `clients` clients hold them, each statement doubling what there is.

#include "engine/Dao.h"
#include "transfer/SqlText.h"

#include <algorithm>
#include <string>

namespace bench {

inline void grow(engine::Database& db, const std::string& table, const std::string& clientColumn,
                 int clients) {
    using transfer::bracketed;
    std::string columns, values;
    engine::TableDefPtr def = db.TableDefs().Item(table);
    for (int i = 0; i < def->Fields().Count(); ++i) {
        const std::string name = def->Fields().Item(i)->Name();
        columns += (columns.empty() ? "" : ", ") + bracketed(name);
        values += (values.empty() ? "" : ", ") + (name == clientColumn
                                                      ? bracketed(name) + " + ?"
                                                      : bracketed(table) + "." + bracketed(name));
    }
    for (int have = 1; have < clients; have *= 2)
        db.Execute("INSERT INTO " + bracketed(table) + " (" + columns + ") SELECT " + values +
                       " FROM " + bracketed(table) + " WHERE " + bracketed(clientColumn) + " <= ?",
                   {runtime::Variant(double(have)),
                    runtime::Variant(double(std::min(have, clients - have)))});
}

} // namespace bench
