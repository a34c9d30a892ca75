// Workspace transactions over every handle and every file.

#include "EngineFixture.h"

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

class Transactions : public EngineTest {
protected:
    void SetUp() override {
        a = create("a.mdb");
        b = create("b.mdb");
        for (const auto& db : {a, b})
            makeTable(db, "T", {{"V", engine::dbDouble}}, {"VIndex:V"});
        addRow(a, "T", {{"V", Variant(1.0)}});
        addRow(b, "T", {{"V", Variant(1.0)}});
    }
    // Writes through two handles on a, a recordset, a statement on b and an IN target.
    void writeEverywhere() {
        auto secondHandle = ws().OpenDatabase(path("A.MDB"));
        addRow(a, "T", {{"V", Variant(2.0)}});
        secondHandle->Execute("UPDATE T SET V = 10 WHERE V = 1");
        b->Execute("DELETE *FROM T");
        b->Execute("INSERT INTO T (V) IN '" + path("a.mdb") + "' SELECT 3 FROM T"); // no rows
        a->Execute("INSERT INTO T (V) IN '" + path("b.mdb") + "' SELECT V FROM T");
        secondHandle->Close();
    }
    engine::DatabasePtr a, b;
};

TEST_F(Transactions, RollbackLeavesEveryFileAsItWas) {
    ws().BeginTrans();
    writeEverywhere();
    EXPECT_EQ(column(b, "T", "V", "VIndex"), (std::vector<Variant>{Variant(2.0), Variant(10.0)}));
    ws().Rollback();
    EXPECT_EQ(column(a, "T", "V"), std::vector<Variant>{Variant(1.0)});
    EXPECT_EQ(column(b, "T", "V"), std::vector<Variant>{Variant(1.0)});
    // Still so for a fresh connection once every handle is gone.
    ws().Close();
    auto again = ws().OpenDatabase(path("b.mdb"));
    EXPECT_EQ(column(again, "T", "V"), std::vector<Variant>{Variant(1.0)});
}

TEST_F(Transactions, CommitKeepsEveryWrite) {
    ws().BeginTrans();
    writeEverywhere();
    ws().CommitTrans();
    ws().Close();
    auto again = ws().OpenDatabase(path("b.mdb"));
    EXPECT_EQ(column(again, "T", "V", "VIndex"),
              (std::vector<Variant>{Variant(2.0), Variant(10.0)}));
}

TEST_F(Transactions, AFileOpenedAndClosedInsideTheTransactionIsRolledBackToo) {
    auto c = create("c.mdb");
    makeTable(c, "T", {{"V", engine::dbDouble}});
    c->Close();
    ws().BeginTrans();
    auto opened = ws().OpenDatabase(path("c.mdb"));
    addRow(opened, "T", {{"V", Variant(5.0)}});
    opened->Close();
    opened.reset();
    ws().Rollback();
    EXPECT_TRUE(column(ws().OpenDatabase(path("c.mdb")), "T", "V").empty());
}

TEST_F(Transactions, UsesTheRollbackJournal) {
    ws().BeginTrans();
    addRow(a, "T", {{"V", Variant(2.0)}});
    EXPECT_TRUE(std::filesystem::exists(path("a.mdb-journal")));
    EXPECT_FALSE(std::filesystem::exists(path("a.mdb-wal")));
    ws().CommitTrans();
    EXPECT_FALSE(std::filesystem::exists(path("a.mdb-journal")));
}

TEST_F(Transactions, MisuseIsReported) {
    EXPECT_EQ(errorOf([&] { ws().CommitTrans(); }), err::NoTransaction);
    EXPECT_EQ(errorOf([&] { ws().Rollback(); }), err::NoTransaction);
    for (int level = 1; level <= 5; ++level)
        ws().BeginTrans();
    EXPECT_EQ(errorOf([&] { ws().BeginTrans(); }), err::TooManyTransactions);
    addRow(a, "T", {{"V", Variant(2.0)}});
    // Closing the workspace gives up what is pending.
    ws().Close();
    EXPECT_FALSE(ws().inTransaction());
    EXPECT_EQ(column(ws().OpenDatabase(path("a.mdb")), "T", "V").size(), 1u);
}

// The order an import writes in: the target directly, then rows copied into it from a
// source the transaction wrote too, then the target directly again.
TEST_F(Transactions, InCopiesMixWithDirectWritesOnBothFiles) {
    ws().BeginTrans();
    addRow(b, "T", {{"V", Variant(5.0)}});
    addRow(a, "T", {{"V", Variant(7.0)}});
    a->Execute("INSERT INTO T (V) IN '" + path("b.mdb") + "' SELECT V FROM T WHERE V > 5");
    b->Execute("UPDATE T SET V = V + 1");
    EXPECT_EQ(column(b, "T", "V", "VIndex"),
              (std::vector<Variant>{Variant(2.0), Variant(6.0), Variant(8.0)}));
    ws().Rollback();
    EXPECT_EQ(column(b, "T", "V"), std::vector<Variant>{Variant(1.0)});

    ws().BeginTrans();
    addRow(b, "T", {{"V", Variant(5.0)}});
    a->Execute("INSERT INTO T (V) IN '" + path("b.mdb") + "' SELECT V FROM T");
    ws().CommitTrans();
    ws().Close();
    EXPECT_EQ(column(ws().OpenDatabase(path("b.mdb")), "T", "V", "VIndex"),
              (std::vector<Variant>{Variant(1.0), Variant(1.0), Variant(5.0)}));
}

TEST_F(Transactions, AFailedStatementInsideLeavesTheEarlierWrites) {
    makeTable(a, "Short", {{"S", engine::dbText, 2}});
    ws().BeginTrans();
    a->Execute("INSERT INTO Short (S) SELECT 'ok' FROM T");
    EXPECT_EQ(errorOf([&] {
                  a->Execute("INSERT INTO Short (S) IN '" + path("a.mdb") +
                             "' SELECT 'too long' FROM T");
              }),
              err::FieldTooSmall);
    ws().CommitTrans();
    EXPECT_EQ(column(a, "Short", "S"), std::vector<Variant>{Variant("ok")});
}

} // namespace
