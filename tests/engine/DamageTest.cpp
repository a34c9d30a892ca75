// Files that are not sound databases, their repair, and copies of live files.

#include "EngineFixture.h"

#include <sqlite3.h>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;
namespace fs = std::filesystem;

namespace {

class Damage : public EngineTest {
protected:
    // A database with enough rows to span many pages.
    void makeSound(const std::string& name) {
        auto db = create(name);
        makeTable(db, "T", {{"V", engine::dbDouble}, {"S", engine::dbText, 100}}, {"VIndex:V"});
        ws().BeginTrans();
        auto rs = db->OpenRecordset("T", engine::dbOpenTable);
        for (int i = 0; i < 3000; ++i) {
            rs->AddNew();
            rs->Fields(0).setValue(Variant(double(i)));
            rs->Fields(1).setValue(Variant(std::string(60, 'a' + i % 26)));
            rs->Update();
        }
        ws().CommitTrans();
        ws().Close();
    }
    int openError(const std::string& name) {
        return errorOf([&] { ws().OpenDatabase(path(name)); });
    }
};

TEST_F(Damage, FilesThatAreNoSoundDatabaseGive3343) {
    support::writeBytes(path("text.mdb"), "Standard Jet DB, or rather not\n");
    support::writeBytes(path("empty.mdb"), "");
    makeSound("truncated.mdb");
    fs::resize_file(path("truncated.mdb"), fs::file_size(path("truncated.mdb")) / 2);
    makeSound("scrambled.mdb");
    std::string bytes = support::readBytes(path("scrambled.mdb"));
    for (std::size_t i = 100; i < 4096; ++i)
        bytes[i] = static_cast<char>(i * 7);
    support::writeBytes(path("scrambled.mdb"), bytes);
    {
        sqlite3* foreign = nullptr;
        sqlite3_open(path("foreign.mdb").c_str(), &foreign);
        sqlite3_exec(foreign, "CREATE TABLE T (V REAL)", nullptr, nullptr, nullptr);
        sqlite3_close(foreign);
    }
    for (const char* name :
         {"text.mdb", "empty.mdb", "truncated.mdb", "scrambled.mdb", "foreign.mdb"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(openError(name), err::UnrecognizedFormat);
        EXPECT_FALSE(engine::DBEngine::instance().isHeld(path(name)));
    }
}

TEST_F(Damage, RepairKeepsACopyAndMakesTheFileOpenable) {
    makeSound("Qolb2018LAN.Mdb");
    const auto size = fs::file_size(path("Qolb2018LAN.Mdb"));
    fs::resize_file(path("Qolb2018LAN.Mdb"), size * 3 / 4);
    const std::string damaged = support::readBytes(path("Qolb2018LAN.Mdb"));
    ASSERT_EQ(openError("Qolb2018LAN.Mdb"), err::UnrecognizedFormat);

    engine::DBEngine::instance().RepairDatabase(path("qolb2018lan.mdb"));

    bool copyKept = false;
    for (const auto& entry : fs::directory_iterator(dir()))
        if (entry.path().filename().string().rfind("Qolb2018LAN.Mdb.", 0) == 0)
            copyKept = copyKept || support::readBytes(entry.path().string()) == damaged;
    EXPECT_TRUE(copyKept);
    auto db = ws().OpenDatabase(path("Qolb2018LAN.Mdb"));
    auto td = db->TableDefs().Item("T");
    EXPECT_EQ(td->Fields().Item("S")->Size(), 100);
    EXPECT_GT(db->OpenRecordset("T")->RecordCount(), 0);
}

// A file that is no database of this engine is refused (3343); a sound one has nothing to
// repair. Either way the file stays byte for byte as it was, and no copy is made.
TEST_F(Damage, RepairLeavesWhatItNeedNotOrMustNotRepairAsItIs) {
    auto sqliteFile = [&](const std::string& name, const char* sql) {
        sqlite3* db = nullptr;
        sqlite3_open(path(name).c_str(), &db);
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    support::writeBytes(path("text.mdb"), "not a database");
    sqliteFile("foreign.mdb", "CREATE TABLE T (V REAL); INSERT INTO T VALUES (1), (2);");
    sqliteFile("other.mdb", "CREATE TABLE __jet_meta (key TEXT PRIMARY KEY, value TEXT);"
                            "INSERT INTO __jet_meta VALUES ('format', 'someone else 1');");
    makeSound("sound.mdb");
    const struct {
        const char* name;
        int expected;
    } cases[] = {{"text.mdb", err::UnrecognizedFormat},
                 {"foreign.mdb", err::UnrecognizedFormat},
                 {"other.mdb", err::UnrecognizedFormat},
                 {"sound.mdb", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = support::readBytes(path(c.name));
        EXPECT_EQ(errorOf([&] { engine::DBEngine::instance().RepairDatabase(path(c.name)); }),
                  c.expected);
        EXPECT_TRUE(support::readBytes(path(c.name)) == before);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir()), fs::directory_iterator()), 4);
    EXPECT_EQ(openError("sound.mdb"), 0);
    EXPECT_EQ(errorOf([&] { engine::DBEngine::instance().RepairDatabase(path("missing.mdb")); }),
              err::FileNotFound);
}

TEST_F(Damage, RepairRefusesAFileThisProgramHolds) {
    makeSound("a.mdb");
    auto db = ws().OpenDatabase(path("a.mdb"));
    EXPECT_EQ(errorOf([&] { engine::DBEngine::instance().RepairDatabase(path("a.mdb")); }),
              err::FileInUse);
}

TEST_F(Damage, BackupCopiesWhatIsCommittedWhileAnotherProcessWrites) {
    makeSound("live.mdb");
    const std::string file = path("live.mdb");
    OtherProcess writer([file] {
        auto& ws = engine::DBEngine::instance().Workspaces(0);
        auto db = ws.OpenDatabase(file);
        ws.BeginTrans();
        db->Execute("DELETE *FROM T");
        return std::shared_ptr<void>(db);
    });
    ASSERT_EQ(writer.error(), 0);
    auto held = ws().OpenDatabase(file); // held here too
    fs::create_directory(path("backup"));
    engine::DBEngine::instance().backupFile(file, path("backup/live.mdb"));
    writer.release();
    auto copy = ws().OpenDatabase(path("backup/live.mdb"));
    EXPECT_EQ(copy->OpenRecordset("T")->RecordCount(), 3000);

    auto& engine = engine::DBEngine::instance();
    EXPECT_EQ(errorOf([&] { engine.backupFile(path("missing.mdb"), path("backup/x.mdb")); }),
              runtime::err::FileNotFound);
    EXPECT_EQ(errorOf([&] { engine.backupFile(file, path("no folder/x.mdb")); }),
              runtime::err::PathNotFound);
    EXPECT_EQ(errorOf([&] { engine.backupFile(path("backup/live.mdb"), file); }),
              runtime::err::PermissionDenied); // the file is open here: not replaced
    support::writeBytes(path("text.mdb"), std::string(8192, 'x'));
    EXPECT_EQ(errorOf([&] { engine.backupFile(path("text.mdb"), path("backup/text.mdb")); }),
              err::UnrecognizedFormat);
    EXPECT_FALSE(fs::exists(path("backup/text.mdb")));
}

// The old copy stays whole and in place unless a complete new one takes its name.
TEST_F(Damage, BackupReplacesATargetWholeOrNotAtAll) {
    makeSound("a.mdb");
    fs::create_directory(path("backup"));
    const std::string target = path("backup/a.mdb");
    auto& engine = engine::DBEngine::instance();
    engine.backupFile(path("a.mdb"), target);
    const std::string before = support::readBytes(target);
    auto unchanged = [&] {
        EXPECT_EQ(support::readBytes(target), before);
        for (const auto& entry : fs::directory_iterator(path("backup"))) {
            EXPECT_EQ(entry.path(), target); // no temporary file left
        }
    };

    support::writeBytes(path("text.mdb"), std::string(8192, 'x'));
    EXPECT_EQ(errorOf([&] { engine.backupFile(path("text.mdb"), target); }),
              err::UnrecognizedFormat);
    unchanged();
    {
        auto held = ws().OpenDatabase(target);
        try {
            engine.backupFile(path("a.mdb"), path("BACKUP/A.MDB"));
            ADD_FAILURE() << "a target held here was replaced";
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), runtime::err::PermissionDenied);
            EXPECT_NE(e.text().find(target), std::string::npos) << e.text();
        }
        ws().Close();
    }
    unchanged();
    OtherProcess other(target, false);
    ASSERT_EQ(other.error(), 0);
    EXPECT_EQ(errorOf([&] { engine.backupFile(path("a.mdb"), target); }),
              runtime::err::PermissionDenied);
    other.release();
    unchanged();
}

// A file left mid-save by a crashed writer is copied as it stood at its last commit: its
// journal is rolled back first, as any reader of the file would.
TEST_F(Damage, BackupOfAFileACrashedWriterLeftHoldsItsLastCommit) {
    makeSound("live.mdb");
    const std::string crashed = path("crashed.mdb");
    {
        sqlite3* w = nullptr;
        ASSERT_EQ(sqlite3_open(path("live.mdb").c_str(), &w), SQLITE_OK);
        // A tiny cache makes the writer put changed pages into the file before it commits.
        ASSERT_EQ(
            sqlite3_exec(w, "PRAGMA cache_size=1; BEGIN; DELETE FROM T", nullptr, nullptr, nullptr),
            SQLITE_OK);
        fs::copy_file(path("live.mdb"), crashed);
        fs::copy_file(path("live.mdb-journal"), crashed + "-journal");
        sqlite3_exec(w, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(w);
    }
    ASSERT_NE(support::readBytes(crashed),
              support::readBytes(path("live.mdb"))); // the journal matters

    engine::DBEngine::instance().backupFile(crashed, path("copy.mdb"));
    auto copy = ws().OpenDatabase(path("copy.mdb"));
    EXPECT_EQ(copy->OpenRecordset("T")->RecordCount(), 3000);
}

} // namespace
