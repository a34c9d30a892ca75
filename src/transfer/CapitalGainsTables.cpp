#include "transfer/CapitalGainsTables.h"

namespace transfer {

const CapitalGainsTables& individualsCapitalGains() {
    static const CapitalGainsTables tables{
        .client = "DCLNO",
        .assets = "CGTDetails",
        .assetIndex = "DCLNOIndex",
        .assetNumber = "CGTAssetNum",
        .assetCount = "CGTMaxNum",
        .saleDate = "DateSale",
        .costTables = {"CGTAcqCost", "CGTImproveMade", "CGTSaleCost", "CGTImproveMadeBefore"},
        .costAssetNumber = "CGTAsset Number",
        .flagTable = "Qolb2018",
        .flagField = "ICGT",
    };
    return tables;
}

const CapitalGainsTables& trustCapitalGains() {
    static const CapitalGainsTables tables{
        .client = "TDCLNO",
        .assets = "TrustCGTDetails",
        .assetIndex = "DCLNOIndex",
        .assetNumber = "TCGTAssetNum",
        .assetCount = "TCGTMaxNum",
        .saleDate = "TDateSale",
        .costTables = {"TrustCGTAcqCost", "TrustCGTImproveMade", "TrustCGTSaleCost",
                       "TrustCGTImproveMadeBefore"},
        .costAssetNumber = "CGTAsset Number",
        .flagTable = "TRUSTIncExpend",
        .flagField = "ItemiseCapGain",
    };
    return tables;
}

} // namespace transfer
