#pragma once

// The one shape of the imports from last year's file of a kind: what they are given, what
// they tell on the way and what they return. The choice of one client or all is a value,
// so that the window runs every kind alike.

#include "engine/Dao.h"
#include "transfer/ImportSteps.h"

#include <optional>
#include <string>

namespace transfer {

// This year's files of the kind: the one written, and the transfer file detail rows are
// staged in when many clients are renumbered.
struct ThisYearFiles {
    std::string file;
    std::string transfer;
};

struct Imported {
    long records = 0;        // main records written: one per client, or per record of a number
    long detailRows = 0;     // rows of the kind's detail tables
    bool renumbered = false; // this year's file held clients: new numbers from its highest
    double newNumber = 0;    // of the last main record written
};

// Carries client `chosen` of last year's file, or every client the kind carries when there
// is none, into this year's file, in one transaction. Nothing when last year holds no such
// client. `progress` is told the records counted, then each one read and each one written.
// A failure is raised after this year's file has been put back as it was: as
// ImportStepError where the runner knows the step or client, else as the engine's error.
using LastYearRunner = std::optional<Imported> (*)(engine::Database& lastYear,
                                                   const ThisYearFiles& thisYear,
                                                   std::optional<double> chosen,
                                                   const ImportProgress& progress);

} // namespace transfer
