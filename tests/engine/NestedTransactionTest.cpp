// Transactions nest as Jet's do, and the guard is the way code above the engine uses them.

#include "EngineFixture.h"
#include "engine/Transaction.h"

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

class NestedTransactions : public EngineTest {
protected:
    void SetUp() override {
        a = create("a.mdb");
        b = create("b.mdb");
        for (const auto& db : {a, b})
            makeTable(db, "T", {{"V", engine::dbDouble}});
    }
    std::size_t rows(const engine::DatabasePtr& db) { return column(db, "T", "V").size(); }
    void add(const engine::DatabasePtr& db, double v) { addRow(db, "T", {{"V", Variant(v)}}); }
    engine::DatabasePtr a, b;
};

TEST_F(NestedTransactions, AnInnerRollbackUndoesOnlyItsOwnLevel) {
    ws().BeginTrans();
    add(a, 1);
    ws().BeginTrans();
    add(a, 2);
    add(b, 2); // b joins inside the inner level
    ws().Rollback();
    EXPECT_EQ(rows(a), 1u);
    EXPECT_EQ(rows(b), 0u);
    add(b, 3);
    ws().CommitTrans();
    EXPECT_EQ(column(a, "T", "V"), std::vector<Variant>{Variant(1.0)});
    EXPECT_EQ(column(b, "T", "V"), std::vector<Variant>{Variant(3.0)});
}

TEST_F(NestedTransactions, AnInnerCommitIsUndoneByTheOuterRollback) {
    ws().BeginTrans();
    add(a, 1);
    ws().BeginTrans();
    add(a, 2);
    add(b, 2);
    ws().CommitTrans();
    EXPECT_TRUE(ws().inTransaction());
    ws().Rollback();
    EXPECT_FALSE(ws().inTransaction());
    EXPECT_EQ(rows(a), 0u);
    EXPECT_EQ(rows(b), 0u);
}

TEST_F(NestedTransactions, TheGuardRollsBackWhatItDidNotCommit) {
    {
        engine::Transaction t;
        add(a, 1);
        add(b, 1);
    }
    EXPECT_FALSE(ws().inTransaction());
    EXPECT_EQ(rows(a) + rows(b), 0u);
    try {
        engine::Transaction t;
        add(a, 1);
        throw std::runtime_error("a step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(rows(a), 0u);
    {
        engine::Transaction outer;
        add(a, 1);
        {
            engine::Transaction inner;
            add(b, 1);
            inner.commit();
        }
        outer.commit();
    }
    EXPECT_EQ(rows(a) + rows(b), 2u);
}

// A guard commits only the level it began: never twice, never an inner level left open,
// never a level someone else already ended.
TEST_F(NestedTransactions, TheGuardCommitsOnlyItsOwnLevel) {
    {
        engine::Transaction t;
        add(a, 1);
        t.commit();
        EXPECT_EQ(errorOf([&] { t.commit(); }), err::NoTransaction);
    }
    EXPECT_EQ(rows(a), 1u);

    ws().BeginTrans(); // an enclosing level the guard must not commit
    {
        engine::Transaction t;
        add(a, 2);
        t.commit();
        EXPECT_EQ(errorOf([&] { t.commit(); }), err::NoTransaction);
        EXPECT_EQ(ws().transactionLevel(), 1);
    }
    ws().Rollback();
    EXPECT_EQ(rows(a), 1u);

    {
        engine::Transaction t;
        add(a, 3);
        ws().BeginTrans(); // left open inside the guard
        add(b, 3);
        EXPECT_EQ(errorOf([&] { t.commit(); }), err::InvalidOperation);
        EXPECT_EQ(ws().transactionLevel(), 2);
    } // both levels rolled back
    EXPECT_FALSE(ws().inTransaction());
    EXPECT_EQ(rows(a), 1u);
    EXPECT_EQ(rows(b), 0u);

    {
        engine::Transaction t;
        add(a, 4);
        ws().Rollback(); // its level ended by other means
        EXPECT_EQ(errorOf([&] { t.commit(); }), err::NoTransaction);
    }
    EXPECT_EQ(rows(a), 1u);
}

} // namespace
