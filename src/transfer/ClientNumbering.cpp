#include "transfer/ClientNumbering.h"

#include "runtime/VariantOps.h"

namespace transfer {

std::optional<double> highestNumber(engine::Database& db, std::string_view table,
                                    std::string_view index, std::string_view field) {
    engine::RecordsetPtr rs = db.OpenRecordset(table, engine::dbOpenTable);
    rs->setIndex(std::string(index));
    std::optional<double> highest;
    if (!rs->Eof()) {
        rs->MoveLast();
        const runtime::Variant number = rs->Fields(field).Value();
        highest = runtime::IsNull(number) ? 0.0 : runtime::CDbl(number);
    }
    rs->Close();
    return highest;
}

ClientNoMap numberClients(const std::vector<double>& rowNumbers, std::optional<double> first) {
    ClientNoMap map;
    for (std::size_t k = 0; k < rowNumbers.size(); ++k) {
        const double oldNo = rowNumbers[k];
        if (!map.oldNumbers.empty() && map.oldNumbers.back() == oldNo) continue;
        map.oldNumbers.push_back(oldNo);
        map.newNumbers.push_back(first ? *first + static_cast<double>(k) : oldNo);
    }
    return map;
}

} // namespace transfer
