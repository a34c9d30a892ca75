// A row deleted under a table-type cursor, by another handle or another process: the cursor
// raises 3167 rather than reading or writing whichever row later took the deleted row's place.

#include "EngineFixture.h"

#include <sqlite3.h>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

class DeletedRow : public EngineTest {
protected:
    void SetUp() override {
        file = path("rows.mdb");
        db = create("rows.mdb");
        makeTable(db, "Clients", {{"Name", engine::dbText, 20}, {"N", engine::dbLong}});
        for (const char* name : {"a", "b", "c"})
            addRow(db, "Clients", {{"Name", Variant(name)}});
    }
    // A cursor on the last row, "c".
    engine::RecordsetPtr onLastRow() {
        auto rs = db->OpenRecordset("Clients", engine::dbOpenTable);
        rs->MoveLast();
        EXPECT_EQ(rs->Fields("Name").Value(), Variant("c"));
        return rs;
    }
    // Another process deletes "c" and, with addAnother, stores "d" after it.
    void deleteInOtherProcess(bool addAnother) {
        OtherProcess other([&] {
            auto handle = ws().OpenDatabase(file);
            handle->Execute("DELETE FROM Clients WHERE Name = 'c'");
            if (addAnother) addRow(handle, "Clients", {{"Name", Variant("d")}});
            return std::shared_ptr<void>();
        });
        ASSERT_EQ(other.error(), 0);
    }
    std::vector<Variant> names() { return column(db, "Clients", "Name"); }
    std::vector<Variant> numbers() { return column(db, "Clients", "N"); }

    std::string file;
    engine::DatabasePtr db;
};

TEST_F(DeletedRow, AnotherHandlesDeleteAndAddNewDoNotHandTheCursorTheNewRow) {
    auto rs = onLastRow();
    auto other = ws().OpenDatabase(file);
    other->Execute("DELETE FROM Clients WHERE Name = 'c'");
    addRow(other, "Clients", {{"Name", Variant("d")}});
    other->Execute("INSERT INTO Clients (Name) VALUES ('e')");
    EXPECT_EQ(errorOf([&] { rs->Fields("Name").Value(); }), err::RecordDeleted);
    EXPECT_EQ(errorOf([&] { rs->Edit(); }), err::RecordDeleted);
    rs->MovePrevious();
    EXPECT_EQ(rs->Fields("Name").Value(), Variant("b"));
    EXPECT_EQ(names(),
              (std::vector<Variant>{Variant("a"), Variant("b"), Variant("d"), Variant("e")}));
}

TEST_F(DeletedRow, UpdateOfARowAnotherProcessReplacedRaises3167AndLeavesTheNewRow) {
    auto rs = onLastRow();
    deleteInOtherProcess(true);
    rs->Edit();
    rs->Fields("N").setValue(Variant(std::int32_t{7}));
    EXPECT_EQ(errorOf([&] { rs->Update(); }), err::RecordDeleted);
    EXPECT_EQ(errorOf([&] { rs->Fields("Name").Value(); }), err::RecordDeleted);
    EXPECT_EQ(names(), (std::vector<Variant>{Variant("a"), Variant("b"), Variant("d")}));
    EXPECT_EQ(numbers(), (std::vector<Variant>(3, Variant::null())));
}

TEST_F(DeletedRow, EditUpdateOrDeleteOfARowAnotherProcessDeletedRaises3167) {
    auto editing = onLastRow();
    auto deleting = onLastRow();
    deleteInOtherProcess(false);
    editing->Edit();
    editing->Fields("N").setValue(Variant(std::int32_t{7}));
    EXPECT_EQ(errorOf([&] { editing->Update(); }), err::RecordDeleted);
    EXPECT_EQ(errorOf([&] { deleting->Delete(); }), err::RecordDeleted);
    EXPECT_EQ(names(), (std::vector<Variant>{Variant("a"), Variant("b")}));
}

// Rows that Execute adds right after the last row was deleted take ids of their own as
// well, whichever way they come, and their keys stay with them.
TEST_F(DeletedRow, RowsExecuteAddsAfterTheLastWasDeletedDoNotReachTheCursor) {
    auto td = db->TableDefs().Item("Clients");
    auto byName = td->CreateIndex("ByName");
    byName->Fields().Append(byName->CreateField("Name"));
    td->Indexes().Append(byName);
    auto other = create("other.mdb");
    makeTable(other, "Src", {{"Name", engine::dbText, 20}});
    for (const char* name : {"y", "z"})
        addRow(other, "Src", {{"Name", Variant(name)}});
    const std::string in = "INSERT INTO Clients (Name) IN '" + file + "' ";
    struct Case {
        engine::DatabasePtr by;
        std::string insert;
        std::vector<const char*> names; // in index order afterwards
    };
    const Case cases[] = {
        {db, "INSERT INTO Clients (Name) VALUES ('d')", {"a", "b", "d"}},
        {db, "INSERT INTO Clients (Name) SELECT Name + 'x' FROM Clients", {"a", "ax", "b", "bx"}},
        {db, in + "VALUES ('e')", {"a", "ax", "b", "e"}},
        {other, in + "SELECT Name FROM Src", {"a", "ax", "b", "y", "z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.insert);
        auto rs = db->OpenRecordset("Clients", engine::dbOpenTable);
        rs->MoveLast();
        const Variant last = rs->Fields("Name").Value();
        db->Execute("DELETE FROM Clients WHERE Name = '" + last.rawString() + "'");
        c.by->Execute(c.insert);
        EXPECT_EQ(errorOf([&] { rs->Fields("Name").Value(); }), err::RecordDeleted);
        std::vector<Variant> expected;
        for (const char* name : c.names)
            expected.emplace_back(name);
        EXPECT_EQ(column(db, "Clients", "Name", "ByName"), expected);
        auto seek = db->OpenRecordset("Clients", engine::dbOpenTable);
        seek->setIndex("ByName");
        seek->Seek("=", {Variant(c.names.back())});
        EXPECT_FALSE(seek->NoMatch());
    }
}

// The row that follows a deleted last row gets a row id of its own, and still its number.
TEST_F(DeletedRow, ARowAddedAfterTheLastWasDeletedKeepsItsAutoNumber) {
    auto td = db->CreateTableDef("Numbered");
    auto id = td->CreateField("Id", engine::dbLong);
    id->setAttributes(engine::dbAutoIncrField);
    td->Fields().Append(id);
    td->Fields().Append(td->CreateField("Name", engine::dbText, 10));
    db->TableDefs().Append(td);
    for (const char* name : {"a", "b"})
        addRow(db, "Numbered", {{"Name", Variant(name)}});
    db->Execute("DELETE FROM Numbered WHERE Name = 'b'");
    addRow(db, "Numbered", {{"Name", Variant("c")}});
    db->Execute("INSERT INTO Numbered (Name) VALUES ('d')");
    EXPECT_EQ(column(db, "Numbered", "Name"),
              (std::vector<Variant>{Variant("a"), Variant("c"), Variant("d")}));
    for (const Variant& v : column(db, "Numbered", "Id"))
        EXPECT_FALSE(v.isNull());
}

// A file of the previous version has no guard against reused row ids: opening adds it, and
// the file stays an ordinary SQLite file that needs nothing of this program.
TEST_F(DeletedRow, AFileWithoutTheGuardGetsItWhenOpened) {
    ws().Close();
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &plain), SQLITE_OK);
    auto exec = [&](const std::string& sql) {
        return sqlite3_exec(plain, sql.c_str(), nullptr, nullptr, nullptr);
    };
    ASSERT_EQ(exec("DROP TRIGGER IF EXISTS \"Clients.rowid.delete\";"
                   "DROP TABLE IF EXISTS __jet_rowids"),
              SQLITE_OK);
    sqlite3_close(plain);

    db = ws().OpenDatabase(file);
    auto rs = onLastRow();
    auto other = ws().OpenDatabase(file);
    other->Execute("DELETE FROM Clients WHERE Name = 'c'");
    addRow(other, "Clients", {{"Name", Variant("d")}});
    EXPECT_EQ(errorOf([&] { rs->Fields("Name").Value(); }), err::RecordDeleted);
    ws().Close();

    ASSERT_EQ(sqlite3_open(file.c_str(), &plain), SQLITE_OK);
    EXPECT_EQ(exec("DELETE FROM Clients WHERE Name = 'd'"), SQLITE_OK);
    auto text = [&](const char* sql) {
        sqlite3_stmt* q = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(plain, sql, -1, &q, nullptr) == SQLITE_OK &&
            sqlite3_step(q) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        sqlite3_finalize(q);
        return out;
    };
    EXPECT_EQ(text("SELECT high > (SELECT max(rowid) FROM Clients) FROM __jet_rowids"), "1");
    EXPECT_EQ(text("PRAGMA integrity_check"), "ok");
    sqlite3_close(plain);
}

} // namespace
