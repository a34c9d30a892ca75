#pragma once

// Bringing the clients of one kind from a working copy into the network file: the network's
// highest number, the map to the clients' new numbers and the copy of every table, all in one
// transaction, so that the network file holds either all of the kind's clients or none.
// Shows nothing; the page says how it went.

#include "standalone/Kinds.h"

#include <string>

namespace standalone {

struct KindImported {
    long clients = 0;
    double firstNumber = 0; // the number the first of them received
};

// Imports every client of `kind` from the working copy at `copyPath` into the network file
// at `networkPath`. A failure is raised with the engine's number after the network file
// (and the copy) have been put back as they were.
KindImported importKind(const Kind& kind, const std::string& copyPath,
                        const std::string& networkPath);

} // namespace standalone
