#pragma once

// The detail rows of many individuals at once, by the same plans as the copy of one
// (DetailCopies.h): straight into this year's file under their own numbers, or staged in
// the transfer file and carried on from there under new numbers. Shows nothing and takes no
// transaction of its own; the import runs it inside the one that writes its clients.

#include "engine/Dao.h"
#include "transfer/DetailCopies.h"

#include <string>
#include <vector>

namespace transfer {

// Old and new client numbers, one pair for each old number: memory grows with the clients.
struct ClientNoMap {
    std::vector<double> oldNumbers; // ascending, each once
    std::vector<double> newNumbers;
};

// Copies the detail rows of `clients` (ascending, each once) from `from` into the file at
// `targetPath`, each keeping its number. Rows of any other number stay behind, so a client
// not carried forward takes no rows and a number carried twice brings its rows once.
std::vector<CopiedRows> copyClientsDetails(engine::Database& from, const std::string& targetPath,
                                           const std::vector<double>& clients);
// The same by `plans`, for a file of another kind of client.
std::vector<CopiedRows> copyClientsDetails(const std::vector<CopyPlan>& plans,
                                           engine::Database& from, const std::string& targetPath,
                                           const std::vector<double>& clients);

// Makes the table of old and new numbers in the transfer file, or empties it. Run before
// the import's transaction: a table's making is no part of one.
void prepareClientNoMap(const std::string& transferPath);

// Holds `map` in the transfer file's table, then copies every staged row there whose number
// the map holds into the file at `thisYearPath` under its new number. The map is the only
// link between the two numbers, so an old number that equals some client's new number
// never moves another client's rows.
std::vector<CopiedRows> copyRenumberedDetails(engine::Database& transfer,
                                              const std::string& thisYearPath,
                                              const ClientNoMap& map);
// The same by `plans`, whose targets the transfer file holds.
std::vector<CopiedRows> copyRenumberedDetails(const std::vector<CopyPlan>& plans,
                                              engine::Database& transfer,
                                              const std::string& thisYearPath,
                                              const ClientNoMap& map);

} // namespace transfer
