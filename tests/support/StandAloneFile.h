#pragma once

// A stand-alone edition's individuals file: the network structure of the individuals and of
// the trusts in one file, with a structure version in DefInvOpt.

#include "support/DatabaseFile.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace support {

using Rows = std::vector<std::pair<std::string, Row>>;

// The file at `path` with these rows and `version` in DefInvOpt (no row when none).
void makeStandAlone(const std::string& path, const Rows& rows,
                    std::optional<runtime::Variant> version = runtime::Variant(std::int16_t{3}));

} // namespace support
