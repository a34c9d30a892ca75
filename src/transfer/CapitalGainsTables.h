#pragma once

#include <array>
#include <string>

namespace transfer {

// Where one kind of client keeps its capital-gains assets: the asset table, one row per
// asset, numbered within the client; four tables of cost lines, each line tied to its asset
// by client and asset number alone; and the main table's flag that says whether the client
// has assets. Every table names the client by the same field.
struct CapitalGainsTables {
    std::string client;      // the client-number field of every table here
    std::string assets;      // the asset table
    std::string assetIndex;  // its index on the client number
    std::string assetNumber; // the asset's number within its client
    std::string assetCount;  // the client's asset count, on each of its rows
    std::string saleDate;    // a day number; greater than the blank date: sold
    std::array<std::string, 4> costTables;
    std::string costAssetNumber; // the cost line's asset number
    std::string flagTable;       // one row per client
    std::string flagField;       // 1: the client has assets, 0: none
};

// This year's individuals database.
const CapitalGainsTables& individualsCapitalGains();
// This year's trust database.
const CapitalGainsTables& trustCapitalGains();

} // namespace transfer
