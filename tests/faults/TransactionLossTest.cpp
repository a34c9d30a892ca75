// A write that fails inside a transaction can make SQLite roll back the file's whole
// transaction on its own. The rest of that transaction must then be refused and its
// commit fail, so that nothing of it lands, and the next transaction must work as usual.
#include "FaultPoints.h"
#include "FileContent.h"
#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "support/ErrorOf.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace faults {
namespace {

using support::errorOf;
constexpr int kDiskError = engine::err::DiskOrNetworkError;

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

// Two tables of one row each: a write to the second after one to the first journals a
// page not yet journaled, so the write reaches the disk at once.
void makeFile(const std::string& path) {
    auto db = ws().CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0");
    for (const char* table : {"A", "B"}) {
        auto td = db->CreateTableDef(table);
        td->Fields().Append(td->CreateField("V", engine::dbLong));
        db->TableDefs().Append(td);
        db->Execute(std::string("INSERT INTO ") + table + " (V) VALUES (1)");
    }
    db->Close();
}

long valueOf(const engine::DatabasePtr& db, const std::string& table) {
    auto rs = db->OpenRecordset("SELECT V FROM " + table);
    const long v = rs->Fields("V").Value().rawInt();
    rs->Close();
    return v;
}

enum class End { Commit, Rollback };

struct Case {
    const char* name;
    int files;   // 1 or 2, each written before the fault
    int failing; // the file whose write fails
    bool nested; // the fault inside a nested level, committed before the outer one
    End end;
};

const Case kCases[] = {
    {"one file", 1, 0, false, End::Commit},
    {"two files, fault in the first joined", 2, 0, false, End::Commit},
    {"two files, fault in the second joined", 2, 1, false, End::Commit},
    {"two files, fault in a nested level", 2, 1, true, End::Commit},
    {"one file, rolled back", 1, 0, false, End::Rollback},
    {"two files, nested, rolled back", 2, 0, true, End::Rollback},
};

TEST(TransactionLoss, NothingOfTheTransactionLandsAndTheNextOneWorks) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        support::TempFolder dir;
        std::vector<std::string> paths;
        std::vector<std::string> before;
        for (int i = 0; i < c.files; ++i) {
            paths.push_back(dir.file("f" + std::to_string(i) + ".mdb"));
            makeFile(paths.back());
            before.push_back(contentDigest(paths.back()));
        }
        std::vector<engine::DatabasePtr> dbs;
        for (const auto& p : paths)
            dbs.push_back(ws().OpenDatabase(p));

        ws().BeginTrans();
        for (const auto& db : dbs)
            db->Execute("UPDATE A SET V = 2");
        if (c.nested) ws().BeginTrans();
        FaultPoints::arm(1, Blow::FailOnce);
        EXPECT_EQ(errorOf([&] { dbs[c.failing]->Execute("UPDATE B SET V = 2"); }), kDiskError);
        ASSERT_TRUE(FaultPoints::fired());
        FaultPoints::countOnly();

        // The transaction goes on, but takes no more writes, to any of its files.
        for (int i = 0; i < c.files; ++i) {
            EXPECT_EQ(errorOf([&] { dbs[i]->Execute("UPDATE A SET V = 3"); }), kDiskError) << i;
            EXPECT_EQ(errorOf([&] { dbs[i]->Execute("INSERT INTO B (V) VALUES (4)"); }), kDiskError)
                << i;
        }
        if (c.end == End::Commit) {
            if (c.nested) {
                EXPECT_EQ(errorOf([] { ws().CommitTrans(); }), kDiskError);
            }
            EXPECT_EQ(errorOf([] { ws().CommitTrans(); }), kDiskError);
        } else {
            if (c.nested) ws().Rollback();
            ws().Rollback();
        }
        EXPECT_FALSE(ws().inTransaction());
        for (int i = 0; i < c.files; ++i)
            EXPECT_EQ(contentDigest(paths[i]), before[i]) << i;

        // The next transaction over the same open files commits.
        ws().BeginTrans();
        for (const auto& db : dbs)
            db->Execute("UPDATE B SET V = 5");
        ws().CommitTrans();
        for (const auto& db : dbs)
            EXPECT_EQ(valueOf(db, "B"), 5);
        dbs.clear();
        ws().Close();
    }
}

// A file that joined at a nested level loses only that level's work: the inner commit
// fails, the outer level's work in the other file still commits.
TEST(TransactionLoss, AFileJoinedAtANestedLevelDoomsOnlyThatLevel) {
    support::TempFolder dir;
    const std::string outer = dir.file("outer.mdb"), inner = dir.file("inner.mdb");
    makeFile(outer);
    makeFile(inner);
    const std::string innerBefore = contentDigest(inner);
    auto outerDb = ws().OpenDatabase(outer), innerDb = ws().OpenDatabase(inner);

    ws().BeginTrans();
    outerDb->Execute("UPDATE A SET V = 2");
    ws().BeginTrans();
    innerDb->Execute("UPDATE A SET V = 2");
    FaultPoints::arm(1, Blow::FailOnce);
    EXPECT_EQ(errorOf([&] { innerDb->Execute("UPDATE B SET V = 2"); }), kDiskError);
    ASSERT_TRUE(FaultPoints::fired());
    FaultPoints::countOnly();
    EXPECT_EQ(errorOf([] { ws().CommitTrans(); }), kDiskError);
    EXPECT_TRUE(ws().inTransaction());
    outerDb->Execute("UPDATE B SET V = 3");
    ws().CommitTrans();

    EXPECT_EQ(valueOf(outerDb, "A"), 2);
    EXPECT_EQ(valueOf(outerDb, "B"), 3);
    outerDb.reset();
    innerDb.reset();
    ws().Close();
    EXPECT_EQ(contentDigest(inner), innerBefore);
}

} // namespace
} // namespace faults
