#pragma once

// The detail tables that follow an individual from last year's individuals file into this
// year's: rental and business schedules, capital-gains assets and their cost lines, the
// continuation record, vehicles and the income history. Each is a copy plan, built once
// from this year's structure and a short table of what the new year resets, so that the
// import of one client and the import of the whole file carry the same columns.

#include "engine/Dao.h"
#include "transfer/CopyPlan.h"

#include <string>
#include <vector>

namespace transfer {

// The nine plans, in the order they run. Each target column is this year's, each source
// column last year's; the client number is the plan's client column.
const std::vector<CopyPlan>& individualsDetailCopies();

struct CopiedRows {
    std::string table;
    long rows = 0;
};

// Runs one statement that copies detail rows into `table`, giving the rows it copied. A
// failure is raised as ImportStepError naming the table; the engine's own text names the
// column where it knows it.
long copyRows(engine::Database& db, const ClientCopyStatement& s, const std::string& table);

// Copies last year's detail rows of client `lastYearNumber` from `lastYear` into the file at
// `thisYearPath` under `newNumber` (the same number keeps it); rows of other clients stay
// behind. The rows are chosen by the client's number alone, so each is carried once whatever
// last year's main table holds; the caller has chosen a living client. It shows nothing and
// takes no transaction of its own: the import runs it inside the one that writes the client,
// so that an error (raised with the engine's number, the statement kept) leaves this year's
// file as it was.
std::vector<CopiedRows> copyClientDetails(engine::Database& lastYear,
                                          const std::string& thisYearPath, double lastYearNumber,
                                          double newNumber);

// The same for any set of plans, run in their order.
std::vector<CopiedRows> copyClientRows(const std::vector<CopyPlan>& plans,
                                       engine::Database& lastYear, const std::string& thisYearPath,
                                       double lastYearNumber, double newNumber);

} // namespace transfer
