#pragma once

// The lock field UserName of the three main client tables: listing the records a user
// holds open and freeing them.

#include "engine/Dao.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clearing {

struct ClientTable {
    std::string_view table;
    // A listed row: UserName, the gap, the first name field, and when given a blank and
    // the second name field.
    std::string_view gap;
    std::string_view nameField;
    std::string_view secondNameField;
};

// Individuals (Qolb2018), trusts (TRUSTDetails), companies (CompanyDetails), in that order.
const std::array<ClientTable, 3>& clientTables();

// The records held open (UserName not empty, Null counting as empty), in UserNameIndex
// order, as the page lists them. No value when the table has no rows.
std::optional<std::vector<std::string>> heldRecordRows(engine::Database& db,
                                                       const ClientTable& table);

// Frees every record `user` holds (names compared without regard to case); only the
// rows of that name are visited, each once.
void freeRecordsOf(engine::Database& db, const ClientTable& table, const std::string& user);
// Frees every record; a Null name stays Null.
void freeAllRecords(engine::Database& db, const ClientTable& table);

} // namespace clearing
