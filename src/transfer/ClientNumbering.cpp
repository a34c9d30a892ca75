#include "transfer/ClientNumbering.h"

#include "runtime/VariantOps.h"

#include <algorithm>

namespace transfer {

namespace {

// The number of the last row by `index`; none when the table holds no row.
std::optional<runtime::Variant> lastNumber(engine::Recordset& main, std::string_view index,
                                           std::string_view field) {
    if (main.Eof()) return std::nullopt;
    main.setIndex(std::string(index));
    main.MoveLast();
    return main.Fields(field).Value();
}

} // namespace

std::optional<double> highestNumber(engine::Recordset& main, std::string_view index,
                                    std::string_view field) {
    const std::optional<runtime::Variant> number = lastNumber(main, index, field);
    if (!number) return std::nullopt;
    return runtime::IsNull(*number) ? 0.0 : runtime::CDbl(*number);
}

std::optional<double> highestNumber(engine::Database& db, std::string_view table,
                                    std::string_view index, std::string_view field) {
    engine::RecordsetPtr rs = db.OpenRecordset(table, engine::dbOpenTable);
    const std::optional<double> highest = highestNumber(*rs, index, field);
    rs->Close();
    return highest;
}

std::optional<double> highestGivenNumber(engine::Recordset& main, std::string_view index,
                                         std::string_view field) {
    const std::optional<runtime::Variant> number = lastNumber(main, index, field);
    if (!number || runtime::IsNull(*number)) return std::nullopt;
    return runtime::CDbl(*number);
}

std::optional<double> highestNumberFromZero(engine::Recordset& main, std::string_view index,
                                            std::string_view field) {
    const std::optional<double> highest = highestNumber(main, index, field);
    if (!highest) return std::nullopt;
    return std::max(0.0, *highest);
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
