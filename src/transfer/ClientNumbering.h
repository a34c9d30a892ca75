#pragma once

// The numbers an import of many clients gives them in this year's file: their own, into a
// year without clients, else the numbers after this year's highest, one per row in the
// order the rows are written.

#include "engine/Dao.h"

#include <optional>
#include <string_view>
#include <vector>

namespace transfer {

// Old and new client numbers, one pair for each old number: memory grows with the clients.
struct ClientNoMap {
    std::vector<double> oldNumbers; // ascending, each once
    std::vector<double> newNumbers;
};

// This year's highest client number: the last row of the main table `main` (table-type) in
// the order of `index` on `field`, where rows without a number come first; `main` is left in
// that order when it holds rows. The variants differ on purpose in what a table without
// numbers gives, because their imports number on from it differently.

// None when the table holds no row; 0 when its highest row holds no number.
std::optional<double> highestNumber(engine::Recordset& main, std::string_view index,
                                    std::string_view field);
// The same, on the table `table` of `db`.
std::optional<double> highestNumber(engine::Database& db, std::string_view table,
                                    std::string_view index, std::string_view field);
// None when no row holds a number: the client then keeps last year's number.
std::optional<double> highestGivenNumber(engine::Recordset& main, std::string_view index,
                                         std::string_view field);
// None when the table holds no row; otherwise at least 0, so that numbering goes on from 1
// over rows without a number or numbered below 1.
std::optional<double> highestNumberFromZero(engine::Recordset& main, std::string_view index,
                                            std::string_view field);

// The map of rows whose old numbers are `rowNumbers` (ascending, in writing order): the k-th
// row takes `first` + k, or keeps its number when there is no `first`. Of two rows of one
// number, the first one's new number is the number's.
ClientNoMap numberClients(const std::vector<double>& rowNumbers, std::optional<double> first);

} // namespace transfer
