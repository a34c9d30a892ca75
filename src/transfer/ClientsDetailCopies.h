#pragma once

// The detail rows of many clients at once, by the same plans as the copy of one
// (DetailCopies.h): straight into this year's file under their own numbers, or staged in
// the transfer file and carried on from there under new numbers. Shows nothing; the import
// carries them inside the transaction that writes its clients.

#include "engine/Dao.h"
#include "transfer/ClientNumbering.h"
#include "transfer/DetailCopies.h"
#include "transfer/ImportSteps.h"

#include <string>
#include <vector>

namespace transfer {

// Copies the detail rows of the clients `clients` selects in `from` into the file at
// `targetPath` by `plans`, each keeping its number, one statement per table. Rows of any
// other number stay behind, so a client not carried forward takes no rows and a number
// carried twice brings its rows once.
std::vector<CopiedRows> copyClientsDetails(const std::vector<CopyPlan>& plans,
                                           engine::Database& from, const std::string& targetPath,
                                           const ClientSelection& clients);

// Makes the table of old and new numbers in the transfer file, or empties it. Run before
// the import's transaction: a table's making is no part of one.
void prepareClientNoMap(const std::string& transferPath);

// Copies every staged row of the transfer file whose number the file's map holds into the
// file at `thisYearPath` under its new number. The map is the only link between the two
// numbers, so an old number that equals some client's new number never moves another
// client's rows.
std::vector<CopiedRows> copyRenumberedDetails(const std::vector<CopyPlan>& plans,
                                              engine::Database& transfer,
                                              const std::string& thisYearPath);

// The files an import's detail rows pass through.
struct DetailFiles {
    std::string thisYear, transfer;
};

// On the renumbering path, before the import's transaction: the detail rows of the clients
// `clients` selects in last year's file staged in the transfer file, with `map` in its
// table, committed there on their own. The file is the import's scratch, emptied by every
// run; staged before, it is a file the transaction only reads.
void stageClientsDetails(const std::vector<CopyPlan>& plans, engine::Database& lastYear,
                         const ClientSelection& clients, const std::string& transferPath,
                         const ClientNoMap& map);

// Inside the import's transaction: the detail rows into this year's file, from last year's
// file under their own numbers, or, when `renumbered`, from the transfer file as staged.
// Returns the rows this year's file took; a failure is raised as ImportStepError naming the
// step.
long carryClientsDetails(const std::vector<CopyPlan>& plans, engine::Database& lastYear,
                         const ClientSelection& clients, const DetailFiles& files, bool renumbered);

} // namespace transfer
