#include "transfer/CapitalGainsPlan.h"

#include <algorithm>
#include <numeric>

namespace transfer {

ClientPlan planClient(const std::vector<AssetRow>& rows) {
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return rows[a].number < rows[b].number; // an empty optional sorts first
    });

    ClientPlan plan;
    plan.newNumbers.resize(rows.size());
    std::map<double, std::optional<std::int16_t>> owners;
    for (std::size_t i : order) {
        const AssetRow& row = rows[i];
        if (row.sold)
            plan.lostAsset = true;
        else
            plan.newNumbers[i] = static_cast<std::int16_t>(++plan.remaining);
        if (row.number) owners.try_emplace(*row.number, plan.newNumbers[i]);
    }
    for (const auto& [old, now] : owners)
        if (now != std::optional<std::int16_t>(static_cast<std::int16_t>(old)))
            plan.costLines.emplace(old, now);
    return plan;
}

} // namespace transfer
