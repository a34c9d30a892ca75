// An index the engine keeps over the rows that meet a condition: a statement naming that
// condition reads only those rows, Jet never lists the index, and it is made once, undone
// with its transaction and out of the way of a field that goes.

#include "EngineFixture.h"
#include "RawFile.h"
#include "engine/JetSql.h"

#include <sqlite3.h>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

constexpr const char* kUnflagged = "([Flag] IS NULL OR [Flag] <> 1)";
constexpr const char* kIndex = "Clients!partial!Unflagged";
const engine::PartialIndex kKept{
    .table = "Clients", .name = "Unflagged", .field = "N", .where = kUnflagged};

class PartialIndexTest : public EngineTest {
protected:
    void SetUp() override {
        db = create("partial.mdb");
        makeTable(db, "Clients", {{"N", engine::dbDouble}, {"Flag", engine::dbInteger}},
                  {"NIndex:N"});
        addRow(db, "Clients", {{"N", Variant(1.0)}, {"Flag", Variant(std::int16_t{1})}});
        addRow(db, "Clients", {{"N", Variant(2.0)}, {"Flag", Variant(std::int16_t{0})}});
        addRow(db, "Clients", {{"N", Variant(3.0)}});
    }
    long long inFile(const std::string& sql) { return RawFile(path("partial.mdb")).number(sql); }
    bool made() {
        return inFile(std::string("SELECT count(*) FROM sqlite_master WHERE name = '") + kIndex +
                      "'") == 1;
    }
    // How SQLite would run the statement on the file, every step of its plan.
    std::string plan(const std::string& sql) {
        sqlite3* raw = nullptr;
        sqlite3_open(path("partial.mdb").c_str(), &raw);
        sqlite3_stmt* st = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(raw, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &st, nullptr) ==
            SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                out +=
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 3)) + std::string("\n");
        sqlite3_finalize(st);
        sqlite3_close(raw);
        return out;
    }

    engine::DatabasePtr db;
};

TEST_F(PartialIndexTest, TheStatementNamingItsConditionReadsOnlyItsRowsAndJetNeverSeesIt) {
    db->keepPartialIndex(kKept);
    ASSERT_TRUE(made());
    // Alone, or ANDed with a test of other rows for each of them.
    for (const std::string& where :
         {std::string(kUnflagged), std::string(kUnflagged) +
                                       " AND [N] IN (SELECT [N] FROM [Clients] AS [C] WHERE "
                                       "[C].[N] = [Clients].[N])"}) {
        const std::string update =
            engine::translateJet("UPDATE [Clients] SET [Flag] = 1 WHERE " + where).plainSql;
        EXPECT_NE(plan(update).find(std::string("SCAN Clients USING INDEX ") + kIndex),
                  std::string::npos)
            << plan(update);
    }
    EXPECT_EQ(RawFile(path("partial.mdb")).text("PRAGMA integrity_check"), "ok");

    db->Execute(std::string("UPDATE [Clients] SET [Flag] = 1 WHERE ") + kUnflagged);
    EXPECT_EQ(db->RecordsAffected(), 2);
    EXPECT_EQ(column(db, "Clients", "Flag"), (std::vector<Variant>(3, Variant(std::int16_t{1}))));
    EXPECT_EQ(inFile(std::string("SELECT count(*) FROM \"Clients\" INDEXED BY \"") + kIndex +
                     "\" WHERE " + engine::translateJetCondition(kUnflagged)),
              0);

    db->Close();
    auto again = ws().OpenDatabase(path("partial.mdb"));
    const auto td = again->TableDefs().Item("Clients");
    ASSERT_EQ(td->Indexes().Count(), 1);
    EXPECT_EQ(td->Indexes().Item(0)->Name(), "NIndex");
}

TEST_F(PartialIndexTest, KeptAgainItIsLeftAloneAndAnotherDefinitionReplacesIt) {
    db->keepPartialIndex(kKept);
    const long long version = inFile("PRAGMA schema_version");
    db->keepPartialIndex(kKept);
    EXPECT_EQ(inFile("PRAGMA schema_version"), version);

    db->keepPartialIndex(
        {.table = "Clients", .name = "Unflagged", .field = "N", .where = "[Flag] IS NULL"});
    EXPECT_EQ(RawFile(path("partial.mdb"))
                  .text(std::string("SELECT sql FROM sqlite_master WHERE name = '") + kIndex + "'"),
              std::string("CREATE INDEX \"") + kIndex +
                  "\" ON \"Clients\" (\"N\") WHERE \"Flag\" IS NULL");
}

TEST_F(PartialIndexTest, ARolledBackTransactionTakesItAway) {
    ws().BeginTrans();
    db->keepPartialIndex(kKept);
    ws().Rollback();
    EXPECT_FALSE(made());
    db->keepPartialIndex(kKept);
    EXPECT_TRUE(made());
}

// SQLite refuses to drop a column an index names; the field goes and the index with it.
TEST_F(PartialIndexTest, AFieldOfItsConditionCanStillBeDeleted) {
    db->keepPartialIndex(kKept);
    db->TableDefs().Item("Clients")->Fields().Delete("Flag");
    EXPECT_FALSE(made());
    EXPECT_EQ(column(db, "Clients", "N", "NIndex"),
              (std::vector<Variant>{Variant(1.0), Variant(2.0), Variant(3.0)}));
    db->keepPartialIndex(
        {.table = "Clients", .name = "Unflagged", .field = "N", .where = "[N] > 1"});
    EXPECT_TRUE(made());
}

TEST_F(PartialIndexTest, WhatNamesNothingIsRefusedWithItsNumberAndNothingIsMade) {
    struct Bad {
        engine::PartialIndex index;
        int number;
    };
    const Bad cases[] = {
        {{.table = "Nobody", .name = "Unflagged", .field = "N", .where = kUnflagged},
         err::ObjectNotFound},
        {{.table = "Clients", .name = "Unflagged", .field = "Nobody", .where = kUnflagged},
         err::ItemNotFound},
        {{.table = "Clients", .name = "Unflagged", .field = "N", .where = "[Flag] = = 1"},
         err::SyntaxErrorInExpression},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(errorOf([&] { db->keepPartialIndex(c.index); }), c.number);
        EXPECT_FALSE(made());
    }
}

} // namespace
