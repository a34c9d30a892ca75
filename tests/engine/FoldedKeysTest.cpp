// Text keys ignore the case of every letter, not only A to Z; the files stay plain SQLite.

#include "EngineFixture.h"
#include "runtime/CaseFold.h"

#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

// One name as stored and as sought, in another case.
struct CasePair {
    const char* stored;
    const char* sought;
};
const CasePair kPairs[] = {
    {"Émile", "émile"},       {"Zoë", "ZOË"},     {"Straße", "STRAẞE"},         {"Σοφία", "ΣΟΦΊΑ"},
    {"Ὀδυσσεύς", "ὀΔΥΣΣΕΎΣ"}, {"Ёлкин", "ёЛКИН"}, {"Bob O'Neil", "bOB o'nEIL"},
};

class FoldedKeys : public EngineTest {
protected:
    void SetUp() override {
        db = create("fold.mdb");
        makeTable(db, "Users", {{"UserName", engine::dbText, 50}, {"N", engine::dbLong}},
                  {"UserNameIndex:UserName"});
    }
    engine::DatabasePtr db;
};

std::string shell(const std::string& file, const std::string& sql) {
    const std::string cmd = "sqlite3 '" + file + "' \"" + sql + "\" 2>&1";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}

bool haveShell() {
    return std::system("sqlite3 -version >/dev/null 2>&1") == 0;
}

TEST_F(FoldedKeys, SeekFindsEveryLetterInAnyCaseAndUniqueIndexesRefuseTheOtherCase) {
    auto td = db->TableDefs().Item("Users");
    auto ix = td->CreateIndex("Unique");
    ix->setUnique(true);
    ix->Fields().Append(ix->CreateField("UserName"));
    td->Indexes().Append(ix);
    for (const CasePair& c : kPairs)
        addRow(db, "Users", {{"UserName", Variant(c.stored)}});
    auto rs = db->OpenRecordset("Users", engine::dbOpenTable);
    rs->setIndex("UserNameIndex");
    for (const CasePair& c : kPairs) {
        SCOPED_TRACE(c.sought);
        rs->Seek("=", {Variant(c.sought)});
        ASSERT_FALSE(rs->NoMatch());
        EXPECT_EQ(rs->Fields("UserName").Value(), Variant(c.stored));
        EXPECT_EQ(errorOf([&] {
                      addRow(db, "Users", {{"UserName", Variant(c.sought)}});
                  }),
                  err::DuplicateValue);
    }
    // Simple folding: "ß" is not "ss"; distinct letters stay distinct.
    for (const char* other : {"Strasse", "Emile", "Zoe"}) {
        rs->Seek("=", {Variant(other)});
        EXPECT_TRUE(rs->NoMatch()) << other;
    }
}

TEST_F(FoldedKeys, OrderFoldsEveryLetterNullsFirstTiesInInsertionOrder) {
    const std::vector<Variant> names = {Variant("ÉMILE"), Variant("zoë"),   Variant("émile"),
                                        Variant::null(),  Variant("ZOË"),   Variant("adam"),
                                        Variant("Ωmega"), Variant("ωMEGA"), Variant("Zoe")};
    for (std::size_t i = 0; i < names.size(); ++i)
        addRow(db, "Users",
               {{"UserName", names[i]}, {"N", Variant(static_cast<std::int32_t>(i + 1))}});
    // By folded code point: ASCII, then Latin-1, then Greek.
    const std::vector<Variant> expected = {Variant(4), Variant(6), Variant(9),
                                           Variant(2), Variant(5), Variant(1),
                                           Variant(3), Variant(7), Variant(8)};
    EXPECT_EQ(column(db, "Users", "N", "UserNameIndex"), expected);

    auto rs = db->OpenRecordset("Users", engine::dbOpenTable);
    rs->setIndex("UserNameIndex");
    rs->Seek(">", {Variant("ZOË")});
    EXPECT_EQ(rs->Fields("N").Value(), Variant(1));
    rs->Seek("<", {Variant("émile")});
    EXPECT_EQ(rs->Fields("N").Value(), Variant(5));
    rs->MovePrevious();
    EXPECT_EQ(rs->Fields("N").Value(), Variant(2));
    // A key edited in another case moves the row to its folded place.
    rs->Seek("=", {Variant("ADAM")});
    rs->Edit();
    rs->Fields("UserName").setValue(Variant("ΩMEGA"));
    rs->Update();
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("N").Value(), Variant(7));
    rs->Delete();
    rs->Seek("=", {Variant("ωmega")});
    EXPECT_EQ(rs->Fields("N").Value(), Variant(6));
}

TEST_F(FoldedKeys, MixedKeysAndSqlWritesKeepTheKeysInStep) {
    auto td = db->CreateTableDef("Assets");
    td->Fields().Append(td->CreateField("ID", engine::dbLong));
    td->Fields().Item("ID")->setAttributes(engine::dbAutoIncrField);
    td->Fields().Append(td->CreateField("Owner", engine::dbText, 40));
    td->Fields().Append(td->CreateField("Amount", engine::dbDouble));
    auto ix = td->CreateIndex("OwnerID");
    ix->setPrimary(true);
    ix->Fields().Append(ix->CreateField("owner"));
    ix->Fields().Append(ix->CreateField("ID"));
    td->Indexes().Append(ix);
    db->TableDefs().Append(td);

    db->Execute("INSERT INTO Assets (Owner, Amount) VALUES ('Ëlla', 1)");
    db->Execute("INSERT INTO Assets (Owner, Amount) VALUES ('ËLLA', 2)");
    db->Execute("INSERT INTO Assets (Owner, Amount) VALUES ('Ïda', 3)");
    db->Execute("UPDATE Assets SET Owner = 'ÏDA' WHERE Amount = 1");
    db->Execute("DELETE FROM Assets WHERE Amount = 3");
    auto rs = db->OpenRecordset("Assets", engine::dbOpenTable);
    rs->setIndex("OwnerID");
    rs->Seek("=", {Variant("ïda"), Variant(1)});
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Fields("Amount").Value(), Variant(1.0));
    rs->Seek("=", {Variant("ëlla")});
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Fields("ID").Value(), Variant(2));
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("Owner").Value(), Variant("ÏDA"));
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(errorOf([&] {
                  db->Execute("INSERT INTO Assets (ID, Owner, Amount) VALUES (2, 'ëllA', 4)");
              }),
              err::DuplicateValue);
}

TEST_F(FoldedKeys, TheKeysNeverShowAsFields) {
    addRow(db, "Users", {{"UserName", Variant("Ädam")}, {"N", Variant(1)}});
    db->Execute("INSERT INTO Users VALUES ('Bö', 2)");
    EXPECT_EQ(db->TableDefs().Count(), 1);
    auto td = db->TableDefs().Item("Users");
    EXPECT_EQ(td->Fields().Count(), 2);
    ASSERT_EQ(td->Indexes().Item("UserNameIndex")->Fields().Count(), 1);
    EXPECT_EQ(td->Indexes().Item("UserNameIndex")->Fields().Item(0)->Name(), "UserName");
    auto all = db->OpenRecordset("SELECT * FROM Users ORDER BY N", engine::dbOpenDynaset);
    EXPECT_EQ(all->FieldCount(), 2);
    all->MoveLast();
    EXPECT_EQ(all->Fields("UserName").Value(), Variant("Bö"));
    auto rs = db->OpenRecordset("Users", engine::dbOpenTable);
    rs->setIndex("UserNameIndex");
    EXPECT_EQ(rs->FieldCount(), 2);
}

TEST_F(FoldedKeys, StructureChangesKeepTheKeys) {
    addRow(db, "Users", {{"UserName", Variant("Ägir")}, {"N", Variant(1)}});
    auto td = db->TableDefs().Item("Users");
    td->Fields().Append(td->CreateField("Note", engine::dbText, 10)); // over rows
    makeTable(db, "Empty", {{"Code", engine::dbText, 10}}, {"CodeIndex:Code"});
    auto empty = db->TableDefs().Item("Empty");
    empty->Fields().Append(empty->CreateField("More", engine::dbLong)); // made anew
    // Made again in place, and dropped with the last folded index.
    auto again = td->CreateIndex("UserNameIndex");
    again->Fields().Append(again->CreateField("UserName"));
    td->Indexes().replace(again);
    addRow(db, "Users", {{"UserName", Variant("äGIS")}, {"N", Variant(2)}});
    addRow(db, "Empty", {{"Code", Variant("ÇA")}, {"More", Variant(5)}});

    EXPECT_EQ(column(db, "Users", "N", "UserNameIndex"),
              (std::vector<Variant>{Variant(1), Variant(2)}));
    auto rs = db->OpenRecordset("Empty", engine::dbOpenTable);
    rs->setIndex("CodeIndex");
    rs->Seek("=", {Variant("ça")});
    EXPECT_FALSE(rs->NoMatch());
    rs->Close();
    db->TableDefs().Item("Empty")->Indexes().Delete("CodeIndex");
    db->TableDefs().Item("Empty")->Fields().Delete("Code");
    EXPECT_EQ(db->TableDefs().Item("Empty")->Fields().Count(), 1);
}

// The stock shell checks the file, indexes included, and reads it.
TEST_F(FoldedKeys, StockSqliteShellFindsTheFileSound) {
    if (!haveShell()) GTEST_SKIP() << "no sqlite3 shell";
    for (const CasePair& c : kPairs)
        addRow(db, "Users", {{"UserName", Variant(c.stored)}});
    const std::string file = path("fold.mdb");
    ws().Close();
    EXPECT_EQ(shell(file, "PRAGMA integrity_check"), "ok\n");
    EXPECT_EQ(shell(file, "SELECT count(*) FROM Users"), std::to_string(std::size(kPairs)) + "\n");
}

// A statement that skips refused rows (OR IGNORE) skips a duplicate key whole: the row is
// not left in the table without its key.
TEST_F(FoldedKeys, RowsSkippedOnADuplicateKeyLeaveNoHalfRow) {
    auto td = db->TableDefs().Item("Users");
    auto ix = td->CreateIndex("Unique");
    ix->setUnique(true);
    ix->Fields().Append(ix->CreateField("UserName"));
    td->Indexes().Append(ix);
    addRow(db, "Users", {{"UserName", Variant("Zoë")}, {"N", Variant(1)}});
    addRow(db, "Users", {{"UserName", Variant("Carl")}, {"N", Variant(2)}});
    ws().Close();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path("fold.mdb").c_str(), &raw), SQLITE_OK);
    auto fold = [](sqlite3_context* ctx, int, sqlite3_value** v) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v[0]));
        const std::string f = runtime::foldCase(p ? p : "");
        sqlite3_result_text(ctx, f.c_str(), static_cast<int>(f.size()), SQLITE_TRANSIENT);
    };
    sqlite3_create_function(raw, "jet_fold", 1, SQLITE_UTF8, nullptr, fold, nullptr, nullptr);
    ASSERT_EQ(sqlite3_exec(raw,
                           "INSERT OR IGNORE INTO Users (UserName, N) VALUES ('ZOË', 3); "
                           "UPDATE OR IGNORE Users SET UserName = 'zoë', N = 4 WHERE N = 2",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(raw);
    sqlite3_close(raw);

    db = ws().OpenDatabase(path("fold.mdb"));
    EXPECT_EQ(column(db, "Users", "UserName", "Unique"),
              (std::vector<Variant>{Variant("Carl"), Variant("Zoë")}));
    EXPECT_EQ(column(db, "Users", "UserName").size(), 2u);
}

// A file whose Text index was made on the raw column, as before keys were folded, is
// moved onto folded keys when opened.
TEST_F(FoldedKeys, FilesOfThePreviousVersionAreUpgradedOnOpening) {
    addRow(db, "Users", {{"UserName", Variant("Émile")}, {"N", Variant(1)}});
    ws().Close();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path("fold.mdb").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "DROP TABLE \"Users!keys\"; DROP TRIGGER \"Users!keys.insert\"; "
                           "DROP TRIGGER \"Users!keys.update\"; DROP TRIGGER "
                           "\"Users!keys.delete\"; CREATE INDEX \"Users.UserNameIndex\" ON "
                           "Users (UserName)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);

    db = ws().OpenDatabase(path("fold.mdb"));
    addRow(db, "Users", {{"UserName", Variant("ÉMILIA")}, {"N", Variant(2)}});
    auto rs = db->OpenRecordset("Users", engine::dbOpenTable);
    rs->setIndex("UserNameIndex");
    for (const char* sought : {"émile", "émilia"}) {
        rs->Seek("=", {Variant(sought)});
        EXPECT_FALSE(rs->NoMatch()) << sought;
    }
}

} // namespace
