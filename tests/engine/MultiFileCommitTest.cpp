// A transaction over several files commits all of them or none: when a step of the commit
// fails, and when the process is killed at any step of it.

#include "EngineFixture.h"
#include "engine/CommitFaults.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace enginetest;
using engine::CommitStep;
using engine::Variant;

namespace {

struct Case {
    CommitStep step;
    bool committed; // what every file holds afterwards
};

const Case kCases[] = {
    {CommitStep::AfterFirstFile, false},
    {CommitStep::AfterAllFiles, false},
    {CommitStep::AfterMarks, false},
    {CommitStep::AfterCommitPoint, true},
};

const char* kFiles[] = {"a.mdb", "b.mdb", "c.mdb"};

class MultiFileCommit : public EngineTest {
protected:
    void SetUp() override {
        for (const char* name : kFiles) {
            auto db = create(name);
            makeTable(db, "T", {{"V", engine::dbDouble}});
            addRow(db, "T", {{"V", Variant(1.0)}});
        }
        ws().Close();
    }
    void TearDown() override { engine::CommitFaults::clear(); }

    // Every file: 1 before, 2 after.
    void changeEveryFileAndCommit() {
        ws().BeginTrans();
        for (const char* name : kFiles)
            ws().OpenDatabase(path(name))->Execute("UPDATE T SET V = 2");
        ws().CommitTrans();
    }

    // Read as a stranger would: a plain connection after the integrity check, then the
    // engine, which settles any journal the commit left.
    void expectEveryFile(double value) {
        for (const char* name : kFiles) {
            const auto values = column(ws().OpenDatabase(path(name)), "T", "V");
            EXPECT_EQ(values, std::vector<Variant>{Variant(value)}) << name;
            sqlite3* db = nullptr;
            sqlite3_open(path(name).c_str(), &db);
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
            ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
            EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "ok") << name;
            sqlite3_finalize(s);
            sqlite3_close(db);
        }
        ws().Close();
    }
    // No marks or records of the commit stay. (A journal of a transaction that never
    // began to commit may: SQLite leaves it, unmarked, for the next writer.)
    void expectNoLeftovers() {
        for (const auto& entry : std::filesystem::directory_iterator(dir()))
            EXPECT_EQ(entry.path().string().find("-commit"), std::string::npos) << entry.path();
    }
};

TEST_F(MultiFileCommit, ASuccessfulCommitLeavesNothingBehind) {
    changeEveryFileAndCommit();
    expectEveryFile(2);
    expectNoLeftovers();
}

TEST_F(MultiFileCommit, AFailedStepPutsEveryFileBack) {
    for (const Case& c : kCases) {
        if (c.committed) continue; // past its moment a commit cannot fail
        SCOPED_TRACE(static_cast<int>(c.step));
        engine::CommitFaults::failAt(c.step);
        EXPECT_EQ(errorOf([&] { changeEveryFileAndCommit(); }), engine::err::DiskOrNetworkError);
        EXPECT_FALSE(ws().inTransaction());
        engine::CommitFaults::clear();
        ws().Close();
        expectEveryFile(1);
        expectNoLeftovers();
    }
}

TEST_F(MultiFileCommit, AKillAtAnyStepLeavesEveryFileOldOrEveryFileNew) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            engine::CommitFaults::killAt(c.step);
            try {
                changeEveryFileAndCommit();
            } catch (...) {
            }
            _exit(3); // not killed: the step was never reached
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        expectEveryFile(c.committed ? 2 : 1);
        expectNoLeftovers();
        // The next transaction starts from there and commits normally.
        changeEveryFileAndCommit();
        expectEveryFile(2);
        ws().BeginTrans();
        for (const char* name : kFiles)
            ws().OpenDatabase(path(name))->Execute("UPDATE T SET V = 1");
        ws().CommitTrans();
        ws().Close();
    }
}

} // namespace
