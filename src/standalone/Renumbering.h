#pragma once

// Giving the clients of a working copy the numbers they will carry in the network file:
// final base + 1, + 2, ... in ascending order of their stand-alone numbers, the main row
// and every detail row alike, by an explicit old-to-new map. The moves go through
// temporary numbers above every number in play, so no client's rows meet another's
// whatever the numbers are; detail rows whose number no main row carries are removed from
// the copy first, so they stay behind instead of joining a client.

#include "engine/Dao.h"

#include <string>
#include <vector>

namespace standalone {

struct Renumbering {
    std::string mainTable, key, index;
    std::vector<std::string> detailTables;
    double tempBase = 40000; // the lowest temporary base; raised when numbers reach it
    double finalBase = 0;
};

// Renumbers the copy open in `copy`; gives the clients' stand-alone numbers in ascending
// order (the k-th now holds finalBase + k). Two main rows of one number, or a main row
// without a number, are refused with error 3022 before anything is changed: their detail
// rows could not be told apart. Takes no transaction of its own.
std::vector<double> renumber(engine::Database& copy, const Renumbering& r);

} // namespace standalone
