// After a repair the engine's own tables match what the file kept: a table lost whole can
// be made again, the folded keys hold the kept rows and no others, and a repair that
// loses no row leaves the content as it was.

#include "EngineFixture.h"
#include "FileContent.h"
#include "RawFile.h"
#include "engine/Repair.h"

#include <algorithm>
#include <cctype>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

constexpr int kClients = 400;
constexpr int kPayments = 300;

engine::IndexPtr uniqueIndex(const engine::TableDefPtr& td, const std::string& name,
                             const std::string& field) {
    auto ix = td->CreateIndex(name);
    ix->setUnique(true);
    ix->Fields().Append(ix->CreateField(field));
    return ix;
}

std::string surname(int i) {
    return (i % 2 ? "Smith " : "SMITH ") + std::to_string(i) + std::string(40, '.');
}

class RepairedStructure : public EngineTest {
protected:
    // Clients: a unique Text index (on folded keys) and a Double index, many pages of rows.
    void defineClients(const engine::DatabasePtr& db) {
        auto td = makeTable(db, "Clients",
                            {{"Surname", engine::dbText, 60}, {"Balance", engine::dbDouble}},
                            {"BalanceIndex:Balance"});
        td->Indexes().Append(uniqueIndex(td, "SurnameIndex", "Surname"));
    }
    // Payments: auto-numbered, with a unique Text index; the structure step makes it so.
    static void definePayments(const engine::DatabasePtr& db) {
        auto td = db->CreateTableDef("Payments");
        auto id = td->CreateField("ID", engine::dbLong);
        id->setAttributes(engine::dbAutoIncrField);
        td->Fields().Append(id);
        td->Fields().Append(td->CreateField("Ref", engine::dbText, 20));
        td->Fields().Append(td->CreateField("Amount", engine::dbDouble));
        td->Indexes().Append(uniqueIndex(td, "RefIndex", "Ref"));
        db->TableDefs().Append(td);
    }
    // Both tables filled; the last payment deleted, so Payments has a row id mark.
    void makeFile(const std::string& name) {
        auto db = create(name);
        defineClients(db);
        definePayments(db);
        ws().BeginTrans();
        auto clients = db->OpenRecordset("Clients", engine::dbOpenTable);
        for (int i = 1; i <= kClients; ++i) {
            clients->AddNew();
            clients->Fields("Surname").setValue(Variant(surname(i)));
            clients->Fields("Balance").setValue(Variant(i * 1.5));
            clients->Update();
        }
        auto payments = db->OpenRecordset("Payments", engine::dbOpenTable);
        for (int i = 1; i <= kPayments; ++i) {
            payments->AddNew();
            payments->Fields("Ref").setValue(Variant("ref-" + std::to_string(i)));
            payments->Fields("Amount").setValue(Variant(double(i)));
            payments->Update();
        }
        ws().CommitTrans();
        db->Execute("DELETE FROM Payments WHERE Amount = " + std::to_string(kPayments));
        ws().Close();
    }

    long long number(const std::string& name, const std::string& sql) {
        return RawFile(path(name)).number(sql);
    }
    long long rootPage(const std::string& name, const std::string& object) {
        return number(name, "SELECT rootpage FROM sqlite_schema WHERE name = '" + object + "'");
    }
    // Garbage over one page, as a torn write leaves it.
    void overwritePage(const std::string& name, long long page) {
        ASSERT_GT(page, 1);
        const auto size = static_cast<std::size_t>(number(name, "PRAGMA page_size"));
        std::string bytes = support::readBytes(path(name));
        bytes.replace(static_cast<std::size_t>(page - 1) * size, size, std::string(size, '\xA5'));
        support::writeBytes(path(name), bytes);
    }
    void repair(const std::string& name) {
        engine::DBEngine::instance().RepairDatabase(path(name));
    }
    // The rebuild a repair makes, whether or not the engine would find the file sound.
    void rebuild(const std::string& name) {
        const std::string marker =
            RawFile(path(name)).text("SELECT value FROM __jet_meta WHERE key = 'format'");
        ASSERT_FALSE(marker.empty());
        engine::repairFile(path(name), marker);
    }
};

TEST_F(RepairedStructure, TableLostWholeLeavesNothingBehindAndCanBeMadeAgain) {
    makeFile("a.mdb");
    std::vector<Variant> surnames, balances;
    {
        auto db = ws().OpenDatabase(path("a.mdb"));
        surnames = column(db, "Clients", "Surname", "SurnameIndex");
        balances = column(db, "Clients", "Balance", "BalanceIndex");
        ws().Close();
    }
    ASSERT_EQ(surnames.size(), std::size_t{kClients});
    overwritePage("a.mdb", rootPage("a.mdb", "Payments"));

    repair("a.mdb");

    EXPECT_EQ(faults::integrityCheck(path("a.mdb")), "ok");
    for (const char* sql : {"SELECT count(*) FROM sqlite_schema WHERE tbl_name LIKE 'Payments%'",
                            "SELECT count(*) FROM __jet_fields WHERE tbl = 'Payments'",
                            "SELECT count(*) FROM __jet_indexes WHERE tbl = 'Payments'",
                            "SELECT count(*) FROM __jet_index_fields WHERE tbl = 'Payments'",
                            "SELECT count(*) FROM __jet_rowids WHERE tbl = 'Payments'"})
        EXPECT_EQ(number("a.mdb", sql), 0) << sql;

    auto db = ws().OpenDatabase(path("a.mdb"));
    EXPECT_FALSE(db->TableDefs().contains("Payments"));
    EXPECT_EQ(column(db, "Clients", "Surname", "SurnameIndex"), surnames);
    EXPECT_EQ(column(db, "Clients", "Balance", "BalanceIndex"), balances);

    definePayments(db);
    addRow(db, "Payments", {{"Ref", Variant("ref-1")}, {"Amount", Variant(1.0)}});
    addRow(db, "Payments", {{"Ref", Variant("ref-2")}, {"Amount", Variant(2.0)}});
    EXPECT_EQ(errorOf([&] {
                  addRow(db, "Payments", {{"Ref", Variant("REF-1")}});
              }),
              err::DuplicateValue);
    EXPECT_EQ(column(db, "Payments", "ID", "RefIndex"),
              (std::vector<Variant>{Variant(1), Variant(2)}));
    ws().Close();
    EXPECT_EQ(number("a.mdb", "SELECT max(rowid) FROM Payments"), 2); // no old mark
    EXPECT_EQ(faults::integrityCheck(path("a.mdb")), "ok");
}

// Rows lost with a page of their table lose their folded keys too: their values can be
// entered again.
TEST_F(RepairedStructure, RowsLostFromAKeptTableLeaveNoKeysBehind) {
    makeFile("a.mdb");
    overwritePage("a.mdb", number("a.mdb", "SELECT pageno FROM dbstat WHERE name = 'Clients' "
                                           "AND pagetype = 'leaf' ORDER BY pageno LIMIT 1 "
                                           "OFFSET 3"));

    repair("a.mdb");

    EXPECT_EQ(faults::integrityCheck(path("a.mdb")), "ok");
    const long long kept = number("a.mdb", "SELECT count(*) FROM Clients");
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, kClients);
    EXPECT_EQ(number("a.mdb", "SELECT count(*) FROM \"Clients!keys\""), kept);
    EXPECT_EQ(number("a.mdb", "SELECT count(*) FROM \"Clients!keys\" WHERE \"!id\" NOT IN "
                              "(SELECT rowid FROM Clients)"),
              0);

    auto db = ws().OpenDatabase(path("a.mdb"));
    const std::vector<Variant> left = column(db, "Clients", "Surname", "SurnameIndex");
    EXPECT_EQ(left.size(), static_cast<std::size_t>(kept));
    int lost = 1;
    while (std::find(left.begin(), left.end(), Variant(surname(lost))) != left.end())
        ++lost;
    ASSERT_LE(lost, kClients);
    std::string again = surname(lost);
    std::transform(again.begin(), again.end(), again.begin(), ::tolower);
    addRow(db, "Clients", {{"Surname", Variant(again)}, {"Balance", Variant(0.0)}});
    auto rs = db->OpenRecordset("Clients", engine::dbOpenTable);
    rs->setIndex("SurnameIndex");
    rs->Seek("=", {Variant(surname(lost))});
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Fields("Surname").Value(), Variant(again));
}

// Damage that costs no row (an index, the folded keys: both are made again from the
// rows), and no damage at all, leave every table's rows and every definition as they were.
TEST_F(RepairedStructure, RepairThatLosesNoRowChangesNoContent) {
    for (const char* object :
         {"", "Clients.BalanceIndex", "Clients.SurnameIndex", "Clients!keys"}) {
        SCOPED_TRACE(object);
        const std::string name = std::string(object) + ".mdb";
        makeFile(name);
        const std::string before = faults::contentDigest(path(name));
        if (*object) {
            overwritePage(name, rootPage(name, object));
            repair(name);
        } else {
            rebuild(name); // the engine leaves a sound file alone
        }
        EXPECT_EQ(faults::integrityCheck(path(name)), "ok");
        EXPECT_EQ(faults::contentDigest(path(name)), before);
    }
}

// A damaged page of the file's list of tables takes the entries after it: here the
// triggers and folded keys of a table whose own entry is kept.
TEST_F(RepairedStructure, KeptTableGetsItsTriggersAndKeysBack) {
    makeFile("a.mdb");
    RawFile(path("a.mdb"))
        .exec("PRAGMA writable_schema = ON; DELETE FROM sqlite_schema WHERE "
              "(type = 'trigger' AND tbl_name = 'Payments') OR tbl_name = 'Payments!keys'");

    rebuild("a.mdb");

    EXPECT_EQ(faults::integrityCheck(path("a.mdb")), "ok");
    EXPECT_EQ(number("a.mdb", "SELECT count(*) FROM \"Payments!keys\""), kPayments - 1);
    EXPECT_EQ(number("a.mdb", "SELECT count(*) FROM sqlite_schema WHERE name = "
                              "'Payments.rowid.delete'"),
              1);
    auto db = ws().OpenDatabase(path("a.mdb"));
    addRow(db, "Payments", {{"Ref", Variant("new")}});
    EXPECT_EQ(errorOf([&] {
                  addRow(db, "Payments", {{"Ref", Variant("REF-7")}});
              }),
              err::DuplicateValue);
    auto rs = db->OpenRecordset("Payments", engine::dbOpenTable);
    rs->setIndex("RefIndex");
    rs->Seek("=", {Variant("NEW")});
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Fields("ID").Value(), Variant(kPayments)); // numbered after the last kept
}

} // namespace
