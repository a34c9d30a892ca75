#pragma once

#include <string>

namespace bench {

// Last year's individuals file with `count` clients, each with its continuation row,
// stored in no particular name order; structure version 6.
void makeLastYearIndividuals(const std::string& path, int count);

} // namespace bench
