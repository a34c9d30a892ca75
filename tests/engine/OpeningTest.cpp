// Opening, creating and closing files: paths, passwords, sharing, the fault seam.

#include "EngineFixture.h"

#include <chrono>
#include <fstream>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

using Opening = EngineTest;

TEST_F(Opening, MissingFilesAndFoldersAndExistingOnes) {
    EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("missing.mdb")); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("no folder/missing.mdb")); }), err::InvalidPath);
    EXPECT_EQ(errorOf([&] { ws().CreateDatabase(path("no folder/new.mdb"), kLocale); }),
              err::InvalidPath);
    create("Qolb2018LAN.Mdb");
    EXPECT_EQ(errorOf([&] { create("qolb2018lan.mdb"); }), err::DatabaseAlreadyExists);
    // Names of existing files are matched without regard to case.
    auto db = ws().OpenDatabase(path("QOLB2018LAN.MDB"));
    EXPECT_EQ(db->Name(), path("QOLB2018LAN.MDB"));
    EXPECT_TRUE(engine::DBEngine::instance().isHeld(path("qolb2018lan.mdb")));
    EXPECT_FALSE(std::filesystem::exists(path("missing.mdb")));
}

TEST_F(Opening, ClosedHandlesRaise3420AndTheWorkspaceGoesOn) {
    auto db = create("a.mdb");
    makeTable(db, "T", {{"V", engine::dbDouble}});
    auto rs = db->OpenRecordset("T", engine::dbOpenTable);
    auto td = db->TableDefs().Item("T");
    ws().Close();
    EXPECT_FALSE(engine::DBEngine::instance().isHeld(path("a.mdb")));
    EXPECT_EQ(errorOf([&] { db->Execute("DELETE *FROM T"); }), err::ObjectInvalid);
    EXPECT_EQ(errorOf([&] { db->TableDefs(); }), err::ObjectInvalid);
    EXPECT_EQ(errorOf([&] { db->Close(); }), err::ObjectInvalid);
    EXPECT_EQ(errorOf([&] { rs->Eof(); }), err::ObjectInvalid);
    EXPECT_EQ(errorOf([&] { td->Fields().Append(td->CreateField("W", engine::dbDouble)); }),
              err::ObjectInvalid);
    auto again = ws().OpenDatabase(path("a.mdb"));
    auto rs2 = again->OpenRecordset("T");
    again->Close(); // closes its recordsets too
    EXPECT_EQ(errorOf([&] { rs2->MoveFirst(); }), err::ObjectInvalid);
    EXPECT_EQ(errorOf([&] { rs2->Close(); }), err::ObjectInvalid);
}

TEST_F(Opening, AHandleClosedLeavesOtherHandlesOnTheFileWorking) {
    auto first = create("a.mdb");
    makeTable(first, "T", {{"V", engine::dbDouble}});
    auto second = ws().OpenDatabase(path("a.mdb"), true); // this program's own hold
    first->Close();
    addRow(second, "T", {{"V", Variant(1.0)}});
    EXPECT_EQ(column(second, "T", "V").size(), 1u);
}

TEST_F(Opening, APasswordIsCheckedOnEveryOpen) {
    ws().CreateDatabase(path("SysAdmin2018.mdb"), std::string(kLocale) + ";pwd=tevo")->Close();
    create("plain.mdb")->Close();
    struct Case {
        const char* file;
        const char* connect;
        int number;
    };
    const Case cases[] = {
        {"SysAdmin2018.mdb", "", err::InvalidPassword},
        {"SysAdmin2018.mdb", ";pwd=TEVO", err::InvalidPassword},
        {"SysAdmin2018.mdb", ";pwd=wrong", err::InvalidPassword},
        {"SysAdmin2018.mdb", ";pwd=tevo", 0},
        {"plain.mdb", "", 0},
        {"plain.mdb", ";pwd=tevo", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + c.connect);
        EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path(c.file), true, false, c.connect); }),
                  c.number);
    }
    // A check, not encryption: the file stays an ordinary database file.
    std::ifstream in(path("SysAdmin2018.mdb"), std::ios::binary);
    char header[16] = {};
    in.read(header, sizeof header);
    EXPECT_EQ(std::string(header), "SQLite format 3");
}

TEST_F(Opening, ReadOnlyHandlesRefuseWrites) {
    makeTable(create("a.mdb"), "T", {{"V", engine::dbDouble}});
    auto ro = ws().OpenDatabase(path("a.mdb"), false, true);
    EXPECT_EQ(errorOf([&] { ro->Execute("DELETE *FROM T"); }), err::ReadOnly);
    EXPECT_EQ(errorOf([&] { ro->OpenRecordset("T")->AddNew(); }), err::ReadOnly);
    EXPECT_EQ(errorOf([&] { ro->TableDefs().Append(ro->CreateTableDef("U")); }), err::ReadOnly);
}

TEST_F(Opening, TheFaultSeamFailsChosenOpens) {
    create("Qolb2018LAN.Mdb")->Close();
    for (int number : {3001, 3011, 3024, 3043, 3044, 3059}) {
        engine::ScopedOpenFault fault("Qolb2018LAN", number);
        EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("Qolb2018LAN.Mdb")); }), number);
    }
    EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("Qolb2018LAN.Mdb")); }), 0);
    engine::OpenFaults::set(path("Qolb2018LAN.Mdb"), 3043);
    EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("Qolb2018LAN.Mdb")); }), 3043);
}

// Shared and exclusive opens exclude each other across processes, never inside one.
class Sharing : public EngineTest {
protected:
    void SetUp() override {
        makeTable(create("net.mdb"), "T", {{"V", engine::dbDouble}});
        ws().Close();
    }
};

TEST_F(Sharing, AnotherProcessHoldingTheFileRefusesAnExclusiveOpen) {
    OtherProcess other(path("net.mdb"), false);
    ASSERT_EQ(other.error(), 0);
    EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("net.mdb"), true); }), err::FileInUse);
    EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("net.mdb")); }), 0);
    other.release();
    EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("net.mdb"), true); }), 0);
}

TEST_F(Sharing, AnExclusiveHoldElsewhereRefusesEveryOpen) {
    OtherProcess other(path("net.mdb"), true);
    ASSERT_EQ(other.error(), 0);
    EXPECT_EQ(errorOf([&] { ws().OpenDatabase(path("net.mdb")); }), err::FileInUse);
    EXPECT_EQ(errorOf([&] { engine::DBEngine::instance().RepairDatabase(path("net.mdb")); }),
              err::FileInUse);
}

TEST_F(Sharing, ThisProgramNeverLocksItselfOut) {
    auto exclusive = ws().OpenDatabase(path("net.mdb"), true);
    auto shared = ws().OpenDatabase(path("net.mdb"));
    auto again = ws().OpenDatabase(path("net.mdb"), true);
    OtherProcess other(path("net.mdb"), false);
    EXPECT_EQ(other.error(), err::FileInUse);
}

TEST_F(Sharing, AWriteLockHeldElsewhereIsWaitedForThenReported) {
    const std::string file = path("net.mdb");
    OtherProcess writer([file] {
        auto& ws = engine::DBEngine::instance().Workspaces(0);
        auto db = ws.OpenDatabase(file);
        ws.BeginTrans();
        db->Execute("INSERT INTO T (V) VALUES (1)");
        return std::shared_ptr<void>(db); // kept open, transaction pending, until released
    });
    ASSERT_EQ(writer.error(), 0);
    auto db = ws().OpenDatabase(file);
    EXPECT_TRUE(column(db, "T", "V").empty()); // reading goes on
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorOf([&] { db->Execute("INSERT INTO T (V) VALUES (2)"); }), err::Locked);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    writer.release();
    db->Execute("INSERT INTO T (V) VALUES (2)");
}

} // namespace
