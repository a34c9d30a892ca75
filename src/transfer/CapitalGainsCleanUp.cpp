#include "transfer/CapitalGainsCleanUp.h"

#include "runtime/Constants.h"
#include "runtime/Error.h"
#include "runtime/VariantOps.h"
#include "transfer/CapitalGainsPlan.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace transfer {

namespace {

using runtime::Variant;
using Plans = std::unordered_map<double, ClientPlan>;

// Clients per statement: keeps each statement's text a reasonable size.
constexpr std::size_t kChunk = 500;

std::string bracket(const std::string& name) {
    return "[" + name + "]";
}

bool isSold(const Variant& saleDate) {
    return !saleDate.isNull() && runtime::CDbl(saleDate) > runtime::BlankDateSerial;
}

std::optional<std::int16_t> numberOf(const Variant& v) {
    if (v.isNull()) return std::nullopt;
    return runtime::CInt(v);
}

// Runs `head` + " IN (...)" over the clients, a chunk at a time.
void executeForClients(engine::Database& db, const std::string& head,
                       const std::vector<double>& clients) {
    for (std::size_t from = 0; from < clients.size(); from += kChunk) {
        const std::size_t to = std::min(clients.size(), from + kChunk);
        std::string sql = head + " IN (";
        for (std::size_t i = from; i < to; ++i)
            sql += (i == from ? "" : ", ") + runtime::CStr(Variant(clients[i]));
        db.Execute(sql + ")");
    }
}

// Reads every named client's asset rows in index order, where equal client numbers keep
// their row order, and plans each client.
Plans readPlans(engine::Database& db, const CapitalGainsTables& t,
                const std::vector<double>& clients) {
    Plans plans;
    auto rs = db.OpenRecordset(t.assets, engine::dbOpenTable);
    if (rs->RecordCount() == 0) return plans;
    rs->setIndex(t.assetIndex);
    auto client = rs->Fields(t.client);
    auto number = rs->Fields(t.assetNumber);
    auto saleDate = rs->Fields(t.saleDate);
    // The clients come in index order: one seek, then a walk that seeks again only past
    // rows of clients not named (an import's new numbers lie together at the end).
    std::size_t next = 0;
    if (!clients.empty()) rs->Seek(">=", {Variant(clients.front())});
    while (next < clients.size() && !rs->NoMatch() && !rs->Eof()) {
        const double c = runtime::CDbl(client.Value());
        while (next < clients.size() && clients[next] < c)
            ++next; // a client without assets
        if (next == clients.size()) break;
        if (clients[next] != c) {
            rs->Seek(">=", {Variant(clients[next])});
            continue;
        }
        std::vector<AssetRow> rows;
        for (; !rs->Eof() && runtime::CDbl(client.Value()) == c; rs->MoveNext())
            rows.push_back({numberOf(number.Value()), isSold(saleDate.Value())});
        if (rows.size() > 32767) throw runtime::Error(runtime::err::Overflow);
        plans.emplace(c, planClient(rows));
        ++next;
    }
    rs->Close();
    return plans;
}

// Gives the rows left their new numbers, and the count to the clients that lost an asset.
void renumberAssets(engine::Database& db, const CapitalGainsTables& t, const Plans& plans) {
    auto rs = db.OpenRecordset(t.assets, engine::dbOpenTable);
    if (rs->RecordCount() == 0) return;
    rs->setIndex(t.assetIndex);
    auto client = rs->Fields(t.client);
    auto number = rs->Fields(t.assetNumber);
    auto count = rs->Fields(t.assetCount);
    for (const auto& [c, plan] : plans) {
        // The sold rows are gone: the rows left come in the same order as when planned.
        std::vector<std::int16_t> left;
        for (const auto& n : plan.newNumbers)
            if (n) left.push_back(*n);
        const Variant remaining(static_cast<std::int16_t>(plan.remaining));
        std::size_t i = 0;
        for (rs->Seek("=", {Variant(c)});
             !rs->NoMatch() && !rs->Eof() && i < left.size() && runtime::CDbl(client.Value()) == c;
             rs->MoveNext(), ++i) {
            const bool renumber = numberOf(number.Value()) != left[i];
            const bool recount = plan.lostAsset && numberOf(count.Value()) != plan.remaining;
            if (!renumber && !recount) continue;
            rs->Edit();
            if (renumber) number.setValue(Variant(left[i]));
            if (recount) count.setValue(remaining);
            rs->Update();
        }
    }
    rs->Close();
}

// One pass over a cost table: each line of a planned client follows its asset.
void moveCostLines(engine::Database& db, const std::string& table, const CapitalGainsTables& t,
                   const Plans& plans) {
    auto rs = db.OpenRecordset(table, engine::dbOpenTable);
    if (rs->RecordCount() == 0) return;
    auto client = rs->Fields(t.client);
    auto number = rs->Fields(t.costAssetNumber);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const Variant c = client.Value(), n = number.Value();
        if (c.isNull() || n.isNull()) continue;
        const auto plan = plans.find(runtime::CDbl(c));
        if (plan == plans.end()) continue;
        const auto line = plan->second.costLines.find(runtime::CDbl(n));
        if (line == plan->second.costLines.end()) continue;
        if (!line->second) {
            rs->Delete();
            continue;
        }
        rs->Edit();
        number.setValue(Variant(static_cast<double>(*line->second)));
        rs->Update();
    }
    rs->Close();
}

} // namespace

void cleanUpCapitalGains(engine::Database& db, const CapitalGainsTables& t,
                         const std::vector<double>& named) {
    std::vector<double> clients = named;
    std::sort(clients.begin(), clients.end());
    clients.erase(std::unique(clients.begin(), clients.end()), clients.end());

    const Plans plans = readPlans(db, t, clients);
    std::vector<double> lost, keep, none;
    bool linesMove = false;
    for (const auto& [c, plan] : plans) {
        linesMove = linesMove || !plan.costLines.empty();
        if (!plan.lostAsset) continue;
        lost.push_back(c);
        (plan.remaining > 0 ? keep : none).push_back(c);
    }
    // The map has no order: sorted lists give each run the same statements.
    for (auto* list : {&lost, &keep, &none})
        std::sort(list->begin(), list->end());

    executeForClients(db,
                      "DELETE *FROM " + bracket(t.assets) + " WHERE " + bracket(t.saleDate) +
                          " > " + std::to_string(runtime::BlankDateSerial) + " AND " +
                          bracket(t.client),
                      lost);
    renumberAssets(db, t, plans);
    if (linesMove)
        for (const std::string& table : t.costTables)
            moveCostLines(db, table, t, plans);

    const std::string flag = "UPDATE " + bracket(t.flagTable) + " SET " + bracket(t.flagField);
    executeForClients(db, flag + " = 1 WHERE " + bracket(t.client), keep);
    executeForClients(db, flag + " = 0 WHERE " + bracket(t.client), none);
}

void RenumberCGT_Personal(engine::Database& thisYear, const std::vector<double>& clients) {
    cleanUpCapitalGains(thisYear, individualsCapitalGains(), clients);
}

} // namespace transfer
