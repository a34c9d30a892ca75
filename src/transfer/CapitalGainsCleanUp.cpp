#include "transfer/CapitalGainsCleanUp.h"

#include "runtime/Constants.h"
#include "runtime/Error.h"
#include "runtime/VariantOps.h"
#include "transfer/CapitalGainsPlan.h"
#include "transfer/NumberMoves.h"
#include "transfer/SqlText.h"

#include <algorithm>
#include <map>
#include <string>

namespace transfer {

namespace {

using runtime::Variant;

struct ClientWork {
    std::vector<AssetRow> rows;
    // Two rows share a number (or both lack one): which row comes first counts, so the
    // rows are read, and renumbered, one by one in row order.
    bool byRow = false;
    ClientPlan plan;
};
using Plans = std::map<double, ClientWork>;

bool isSold(const Variant& saleDate) {
    return !saleDate.isNull() && runtime::CDbl(saleDate) > runtime::BlankDateSerial;
}

std::optional<std::int16_t> numberOf(const Variant& v) {
    if (v.isNull()) return std::nullopt;
    return runtime::CInt(v);
}

bool sharesANumber(const std::vector<AssetRow>& rows) {
    std::map<std::optional<std::int16_t>, int> seen;
    for (const AssetRow& row : rows)
        if (++seen[row.number] > 1) return true;
    return false;
}

// Every named client's asset rows with one query; the row order within a client is not
// known from it.
Plans readRows(engine::Database& db, const CapitalGainsTables& t,
               const std::vector<double>& clients) {
    Plans plans;
    if (clients.empty()) return plans;
    auto rs = db.OpenRecordset("SELECT " + bracketed(t.client) + ", " + bracketed(t.assetNumber) +
                                   ", " + bracketed(t.saleDate) + " FROM " + bracketed(t.assets) +
                                   " WHERE " + clientsIn(t.client, clients),
                               engine::dbOpenDynaset);
    auto client = rs->Fields(0);
    auto number = rs->Fields(1);
    auto saleDate = rs->Fields(2);
    for (; !rs->Eof(); rs->MoveNext())
        plans[runtime::CDbl(client.Value())].rows.push_back(
            {numberOf(number.Value()), isSold(saleDate.Value())});
    rs->Close();
    return plans;
}

// Reads again, in index order, where equal client numbers keep their row order, the rows
// of the clients whose order counts.
void readInRowOrder(engine::Database& db, const CapitalGainsTables& t, Plans& plans) {
    std::vector<double> clients;
    for (auto& [c, work] : plans)
        if ((work.byRow = sharesANumber(work.rows))) clients.push_back(c);
    if (clients.empty()) return;
    auto rs = db.OpenRecordset(t.assets, engine::dbOpenTable);
    rs->setIndex(t.assetIndex);
    auto client = rs->Fields(t.client);
    auto number = rs->Fields(t.assetNumber);
    auto saleDate = rs->Fields(t.saleDate);
    for (double c : clients) {
        std::vector<AssetRow>& rows = plans[c].rows;
        rows.clear();
        for (rs->Seek("=", {Variant(c)});
             !rs->NoMatch() && !rs->Eof() && runtime::CDbl(client.Value()) == c; rs->MoveNext())
            rows.push_back({numberOf(number.Value()), isSold(saleDate.Value())});
    }
    rs->Close();
}

Plans readPlans(engine::Database& db, const CapitalGainsTables& t,
                const std::vector<double>& clients) {
    Plans plans = readRows(db, t, clients);
    readInRowOrder(db, t, plans);
    for (auto& [c, work] : plans) {
        if (work.rows.size() > 32767) throw runtime::Error(runtime::err::Overflow);
        work.plan = planClient(work.rows);
    }
    return plans;
}

// Gives the rows of the clients renumbered row by row their new numbers.
void renumberByRow(engine::Database& db, const CapitalGainsTables& t, const Plans& plans) {
    if (std::none_of(plans.begin(), plans.end(), [](const auto& p) { return p.second.byRow; }))
        return;
    auto rs = db.OpenRecordset(t.assets, engine::dbOpenTable);
    rs->setIndex(t.assetIndex);
    auto client = rs->Fields(t.client);
    auto number = rs->Fields(t.assetNumber);
    for (const auto& [c, work] : plans) {
        if (!work.byRow) continue;
        // The sold rows are gone: the rows left come in the same order as when planned.
        std::vector<std::int16_t> left;
        for (const auto& n : work.plan.newNumbers)
            if (n) left.push_back(*n);
        std::size_t i = 0;
        for (rs->Seek("=", {Variant(c)});
             !rs->NoMatch() && !rs->Eof() && i < left.size() && runtime::CDbl(client.Value()) == c;
             rs->MoveNext(), ++i) {
            if (numberOf(number.Value()) == left[i]) continue;
            rs->Edit();
            number.setValue(Variant(left[i]));
            rs->Update();
        }
    }
    rs->Close();
}

// The new numbers of the other clients' rows, a few statements for all of them.
void renumberBySet(engine::Database& db, const CapitalGainsTables& t, const Plans& plans) {
    std::vector<NumberMove> moves;
    for (const auto& [c, work] : plans) {
        if (work.byRow) continue;
        for (std::size_t i = 0; i < work.rows.size(); ++i) {
            const auto& to = work.plan.newNumbers[i];
            if (!to) continue;
            std::optional<double> from;
            if (work.rows[i].number) from = *work.rows[i].number;
            moves.push_back({c, from, static_cast<double>(*to)});
        }
    }
    for (const MoveStep& step : orderMoves(std::move(moves)))
        db.Execute(moveStatement(step, t.assets, t.assetNumber, t.client));
}

// The cost lines follow their assets: those of a sold asset go, the others take its new
// number. The tables have no index: each statement reads a whole table, so there are few.
void moveCostLines(engine::Database& db, const CapitalGainsTables& t, const Plans& plans) {
    std::vector<std::pair<double, double>> gone;
    std::vector<NumberMove> moves;
    for (const auto& [c, work] : plans)
        for (const auto& [from, to] : work.plan.costLines) {
            if (to)
                moves.push_back({c, from, static_cast<double>(*to)});
            else
                gone.emplace_back(from, c);
        }
    const std::vector<MoveStep> steps = orderMoves(std::move(moves));
    const std::vector<ClientGroup> deletes = groupNumbers(gone);
    for (const std::string& table : t.costTables) {
        // Before the moves: a line moved onto a sold asset's number must stay.
        if (!deletes.empty())
            db.Execute("DELETE * FROM " + bracketed(table) + " WHERE " +
                       groupsCondition(deletes, t.costAssetNumber, t.client));
        for (const MoveStep& step : steps)
            db.Execute(moveStatement(step, table, t.costAssetNumber, t.client));
    }
}

// Everything but the cost lines, whose moves the plans hold.
Plans tidyAssets(engine::Database& db, const CapitalGainsTables& t,
                 const std::vector<double>& named) {
    std::vector<double> clients = named;
    std::sort(clients.begin(), clients.end());
    clients.erase(std::unique(clients.begin(), clients.end()), clients.end());

    Plans plans = readPlans(db, t, clients);
    std::vector<double> lost, keep, none;
    std::map<int, std::vector<double>> byCount; // of the clients that lost an asset
    for (const auto& [c, work] : plans) {
        if (!work.plan.lostAsset) continue;
        lost.push_back(c);
        (work.plan.remaining > 0 ? keep : none).push_back(c);
        if (work.plan.remaining > 0) byCount[work.plan.remaining].push_back(c);
    }

    if (!lost.empty())
        db.Execute("DELETE * FROM " + bracketed(t.assets) + " WHERE " + bracketed(t.saleDate) +
                   " > " + std::to_string(runtime::BlankDateSerial) + " AND " +
                   clientsIn(t.client, lost));
    renumberByRow(db, t, plans);
    renumberBySet(db, t, plans);
    for (const auto& [count, list] : byCount)
        db.Execute("UPDATE " + bracketed(t.assets) + " SET " + bracketed(t.assetCount) + " = " +
                   std::to_string(count) + " WHERE " + clientsIn(t.client, list));

    const std::string flag = "UPDATE " + bracketed(t.flagTable) + " SET " + bracketed(t.flagField);
    if (!keep.empty()) db.Execute(flag + " = 1 WHERE " + clientsIn(t.client, keep));
    if (!none.empty()) db.Execute(flag + " = 0 WHERE " + clientsIn(t.client, none));
    return plans;
}

} // namespace

void cleanUpCapitalGains(engine::Database& db, const CapitalGainsTables& t,
                         const std::vector<double>& named) {
    moveCostLines(db, t, tidyAssets(db, t, named));
}

CostLineMoves cleanUpAssets(engine::Database& db, const CapitalGainsTables& t,
                            const std::vector<double>& named) {
    CostLineMoves out;
    for (const auto& [c, work] : tidyAssets(db, t, named))
        if (!work.plan.costLines.empty()) out.emplace(c, work.plan.costLines);
    return out;
}

void RenumberCGT_Personal(engine::Database& thisYear, const std::vector<double>& clients) {
    cleanUpCapitalGains(thisYear, individualsCapitalGains(), clients);
}

} // namespace transfer
