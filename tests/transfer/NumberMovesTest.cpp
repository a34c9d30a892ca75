// Moves of numbers within clients, ordered as statements: run one after another, each
// moving its rows all at once, they must give every row the number its own move gives.
#include "transfer/NumberMoves.h"

#include "engine/Dao.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"
#include "support/TempFolder.h"
#include "transfer/CapitalGainsPlan.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <vector>

namespace {

using transfer::AssetRow;
using transfer::MoveStep;
using transfer::NumberMove;

struct Row {
    double client;
    std::optional<double> number;
    auto operator<=>(const Row&) const = default;
};

bool listed(const std::vector<double>& v, double x) {
    return std::binary_search(v.begin(), v.end(), x);
}

// What the UPDATE of one step does: its condition read on the rows as they were.
void run(const MoveStep& step, std::vector<Row>& rows) {
    for (Row& r : rows) {
        if (step.fromNull) {
            if (!r.number && listed(step.groups.front().clients, r.client)) r.number = step.to;
            continue;
        }
        if (!r.number) continue;
        for (const auto& g : step.groups)
            if (std::count(g.numbers.begin(), g.numbers.end(), *r.number) &&
                listed(g.clients, r.client)) {
                *r.number += step.shift;
                break;
            }
    }
}

// Runs the ordered steps and checks each row against its move made alone.
void expectEachRowMovedOnce(const std::vector<NumberMove>& moves, std::vector<Row> rows) {
    std::map<Row, double> target;
    for (const NumberMove& m : moves)
        target[{m.client, m.from}] = m.to;
    std::vector<Row> expected = rows;
    for (Row& r : expected)
        if (const auto it = target.find(r); it != target.end()) r.number = it->second;
    for (const MoveStep& step : transfer::orderMoves(moves))
        run(step, rows);
    std::sort(rows.begin(), rows.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rows, expected);
}

// Clients' asset rows with numbers from -1 to 6 (some Null, some shared), a third sold.
std::map<double, std::vector<AssetRow>> randomClients(std::mt19937& gen, bool shareNumbers) {
    std::map<double, std::vector<AssetRow>> clients;
    for (int c = 1; c <= 300; ++c) {
        std::vector<std::optional<std::int16_t>> numbers{std::nullopt};
        for (int n = -1; n <= 6; ++n)
            numbers.push_back(static_cast<std::int16_t>(n));
        std::shuffle(numbers.begin(), numbers.end(), gen);
        numbers.resize(std::uniform_int_distribution<std::size_t>(1, numbers.size())(gen));
        if (shareNumbers) numbers.push_back(numbers[gen() % numbers.size()]);
        for (const auto& n : numbers)
            clients[c].push_back({n, gen() % 3 == 0});
    }
    return clients;
}

TEST(NumberMoves, CostLinesFollowTheirAssetsAsTheyAreRenumbered) {
    std::mt19937 gen(7);
    const auto clients = randomClients(gen, true);
    std::vector<NumberMove> moves;
    std::vector<Row> lines; // a line for every number, those no asset holds too
    for (const auto& [c, rows] : clients) {
        for (const auto& [from, to] : transfer::planClient(rows).costLines)
            if (to) moves.push_back({c, from, static_cast<double>(*to)});
        for (int n = -2; n <= 8; ++n)
            lines.push_back({c, n});
        lines.push_back({c, std::nullopt});
    }
    expectEachRowMovedOnce(moves, lines);
}

TEST(NumberMoves, RowsWithoutASharedNumberTakeTheirNewNumbers) {
    std::mt19937 gen(11);
    std::vector<NumberMove> moves;
    std::vector<Row> rows;
    for (const auto& [c, assets] : randomClients(gen, false)) {
        const auto plan = transfer::planClient(assets);
        for (std::size_t i = 0; i < assets.size(); ++i) {
            if (!plan.newNumbers[i]) continue; // sold: deleted before
            std::optional<double> from;
            if (assets[i].number) from = *assets[i].number;
            rows.push_back({c, from});
            moves.push_back({c, from, static_cast<double>(*plan.newNumbers[i])});
        }
    }
    expectEachRowMovedOnce(moves, rows);
}

TEST(NumberMoves, ClientsAlikeShareOneStatement) {
    // Assets 1 to 5 of many clients, the second sold: 3, 4 and 5 move down by one.
    std::vector<NumberMove> moves;
    for (double c = 1; c <= 1000; ++c)
        for (double n = 3; n <= 5; ++n)
            moves.push_back({c, n, n - 1});
    const auto steps = transfer::orderMoves(moves);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].shift, -1);
    ASSERT_EQ(steps[0].groups.size(), 1u);
    EXPECT_EQ(steps[0].groups[0].numbers, (std::vector<double>{3, 4, 5}));
    EXPECT_EQ(steps[0].groups[0].clients.size(), 1000u);
}

TEST(NumberMoves, OneStatementForEachShift) {
    // Clients of 1 to 8 assets selling one or two of them, anywhere: the rows move down by
    // one or two, whatever their numbers.
    struct Case {
        int sales;
        std::size_t steps;
    };
    for (const Case& c : {Case{1, 1}, Case{2, 2}}) {
        std::vector<NumberMove> moves;
        for (int client = 1; client <= 500; ++client) {
            std::vector<AssetRow> rows;
            const int count = 1 + client % 8;
            for (int n = 1; n <= count; ++n)
                rows.push_back({static_cast<std::int16_t>(n),
                                n == 1 + client % 5 || (c.sales == 2 && n == 1 + client % 3)});
            for (const auto& [from, to] : transfer::planClient(rows).costLines)
                if (to) moves.push_back({double(client), from, double(*to)});
        }
        EXPECT_EQ(transfer::orderMoves(moves).size(), c.steps) << c.sales << " sales";
    }
}

TEST(NumberMoves, AStatementOfManyGroupsRuns) {
    // Each client's line moves down by one, each number with a client of its own: 1500
    // groups in one statement.
    support::TempFolder folder;
    const std::string path = folder.file("ThisYear.mdb");
    support::DatabaseFile(path, support::FileKind::Individuals).only({"CGTAcqCost"}).make();
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path);
    std::vector<NumberMove> moves;
    {
        engine::Transaction tx; // one write of the file, not one for each line
        for (double c = 1; c <= 1500; ++c) {
            support::addRow(*db, "CGTAcqCost", {{"DCLNO", c}, {"CGTAsset Number", c + 1}});
            moves.push_back({c, c + 1, c});
        }
        tx.commit();
    }
    const auto steps = transfer::orderMoves(moves);
    ASSERT_EQ(steps.size(), 1u);
    ASSERT_EQ(steps[0].groups.size(), 1500u);

    db->Execute(transfer::moveStatement(steps[0], "CGTAcqCost", "CGTAsset Number", "DCLNO"));
    EXPECT_EQ(db->RecordsAffected(), 1500);
    auto rs =
        db->OpenRecordset("SELECT [DCLNO] FROM [CGTAcqCost] WHERE [CGTAsset Number] = [DCLNO]",
                          engine::dbOpenDynaset);
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 1500);
    db->Close();
}

} // namespace
