#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace transfer {

// One asset row of a client, as the client's rows come in row order.
struct AssetRow {
    std::optional<std::int16_t> number; // Null: no number
    bool sold = false;
};

// What the clean-up does to one client.
struct ClientPlan {
    // For each row, in the order given: its new number, or none when it is sold and goes.
    std::vector<std::optional<std::int16_t>> newNumbers;
    // The cost lines of each asset number that changes: their new number, or none when
    // their asset goes with them.
    std::map<double, std::optional<std::int16_t>> costLines;
    int remaining = 0;      // assets left
    bool lostAsset = false; // a sold asset went
};

// The rows are ordered by (asset number, row order), Null numbers first as the index
// orders them, and the unsold ones numbered 1 to n in that order. A number held by
// several rows belongs to the first of them, so its cost lines follow that row alone.
ClientPlan planClient(const std::vector<AssetRow>& rows);

} // namespace transfer
