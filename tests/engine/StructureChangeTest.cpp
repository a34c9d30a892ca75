// Structure changes keep the table descriptions in memory without reading the file again,
// and an index replaced by the same definition is built again in place. Both must leave
// exactly what the file reads back and what Delete and Append would have written.

#include "EngineFixture.h"

#include <functional>
#include <sqlite3.h>
#include <sstream>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

// Every table of a handle as its TableDefs give it, in order, with every property.
std::string describe(const engine::DatabasePtr& db) {
    std::ostringstream os;
    for (int t = 0; t < db->TableDefs().Count(); ++t) {
        auto td = db->TableDefs().Item(t);
        os << td->Name() << "\n";
        for (int i = 0; i < td->Fields().Count(); ++i) {
            auto f = td->Fields().Item(i);
            const Variant def = f->DefaultValue();
            os << "  " << f->OrdinalPosition() << " " << f->Name() << " " << f->Type() << "/"
               << f->Size() << " a" << f->Attributes() << " d["
               << (def.isString() ? def.rawString() : "?") << "]" << (f->Required() ? " req" : "")
               << (f->AllowZeroLength() ? " zl" : "") << "\n";
        }
        for (int i = 0; i < td->Indexes().Count(); ++i) {
            auto ix = td->Indexes().Item(i);
            os << "  index " << ix->Name() << (ix->Primary() ? " primary" : "")
               << (ix->Unique() ? " unique" : "") << " (";
            for (int k = 0; k < ix->Fields().Count(); ++k)
                os << (k ? "," : "") << ix->Fields().Item(k)->Name();
            os << ")\n";
        }
    }
    return os.str();
}

// The engine's description rows and SQLite's own statements, as the file holds them.
std::string fileRows(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::ostringstream os;
    for (const char* query :
         {"SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name",
          "SELECT * FROM __jet_fields ORDER BY tbl, ord, name",
          "SELECT * FROM __jet_indexes ORDER BY tbl, ord, name",
          "SELECT * FROM __jet_index_fields ORDER BY tbl, idx, pos"}) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, query, -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(s); ++i) {
                const auto* text = sqlite3_column_text(s, i);
                os << (text ? reinterpret_cast<const char*>(text) : "NULL") << "|";
            }
            os << "\n";
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return os.str();
}

void rawExec(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

engine::IndexPtr newIndex(const engine::TableDefPtr& td, const std::string& name,
                          std::initializer_list<const char*> fields, bool primary = false,
                          bool unique = false) {
    auto ix = td->CreateIndex(name);
    ix->setPrimary(primary);
    ix->setUnique(unique);
    for (const char* f : fields)
        ix->Fields().Append(ix->CreateField(f));
    return ix;
}

class StructureChanges : public EngineTest {
protected:
    // Table T with two rows and the indexes IxA (A) and IxB (B, unique).
    engine::DatabasePtr makeFile(const std::string& name) {
        auto db = create(name);
        makeTable(db, "T", {{"A", engine::dbDouble}, {"B", engine::dbText, 10}},
                  {"IxA:A", "IxB:B"});
        auto td = db->TableDefs().Item("T");
        td->Indexes().Delete("IxB");
        td->Indexes().Append(newIndex(td, "IxB", {"B"}, false, true));
        addRow(db, "T", {{"A", Variant(2.0)}, {"B", Variant("b")}});
        addRow(db, "T", {{"A", Variant(1.0)}, {"B", Variant("a")}});
        return db;
    }
    engine::DatabasePtr reopen(engine::DatabasePtr& db) {
        const std::string name = db->Name();
        db->Close();
        db.reset();
        return ws().OpenDatabase(name);
    }
};

TEST_F(StructureChanges, DescriptionsKeptInMemoryAreWhatTheFileReads) {
    auto db = create("kept.mdb");
    auto td = db->CreateTableDef("T");
    auto id = td->CreateField("ID", engine::dbLong);
    id->setAttributes(engine::dbAutoIncrField);
    td->Fields().Append(id);
    auto name = td->CreateField("Name", engine::dbText, 10);
    name->setDefaultValue(Variant("x"));
    name->setRequired(true);
    td->Fields().Append(name);
    td->Fields().Append(td->CreateField("Amount", engine::dbDouble));
    td->Fields().Append(td->CreateField("Note", engine::dbMemo));
    td->Indexes().Append(newIndex(td, "Pk", {"ID"}, true));
    td->Indexes().Append(newIndex(td, "Both", {"amount", "NAME"}, false, true));
    db->TableDefs().Append(td);

    // Empty: the table is made anew; with a row: ALTER TABLE.
    auto extra = td->CreateField("Extra", engine::dbInteger);
    extra->setDefaultValue(Variant(1.0));
    extra->setRequired(true);
    td->Fields().Append(extra);
    td->Fields().Delete("Note");
    addRow(db, "T", {{"Amount", Variant(1.0)}});
    td->Fields().Append(td->CreateField("Later", engine::dbText, 5));
    td->Fields().Delete("Extra");
    td->Indexes().Delete("Pk");
    td->Indexes().Append(newIndex(td, "Pk", {"ID"}, true));
    td->Indexes().replace(newIndex(td, "Both", {"amount", "NAME"}, false, true));
    td->Indexes().replace(newIndex(td, "Later", {"Later"}));
    // Refused changes leave the description as it was.
    EXPECT_EQ(errorOf([&] { td->Indexes().Append(newIndex(td, "Gone", {"Nowhere"})); }),
              err::ItemNotFound);
    addRow(db, "T", {{"Amount", Variant(2.0)}, {"Name", Variant("x")}});
    EXPECT_EQ(errorOf([&] { td->Indexes().Append(newIndex(td, "Dup", {"Name"}, false, true)); }),
              err::DuplicateValue);
    // A table made inside a transaction.
    ws().BeginTrans();
    makeTable(db, "U", {{"V", engine::dbDouble}}, {"IxV:V"});
    ws().CommitTrans();

    const std::string inMemory = describe(db);
    EXPECT_NE(inMemory.find("index Later (Later)"), std::string::npos) << inMemory;
    auto fresh = reopen(db);
    EXPECT_EQ(describe(fresh), inMemory);
}

// Each case runs Delete and Append on one file and replace on another: the files must
// then hold the same rows and statements, and read the same.
TEST_F(StructureChanges, ReplacingAnIndexLeavesTheFileAsDeleteAndAppendWould) {
    struct Case {
        const char* what;
        const char* name;
        std::initializer_list<const char*> fields;
        bool primary;
        bool unique;
    };
    const Case cases[] = {
        {"the same, not last", "IxA", {"A"}, false, false},
        {"the same, last", "IxB", {"B"}, false, true},
        {"name in another case", "ixa", {"A"}, false, false},
        {"field in another case", "IxA", {"a"}, false, false},
        {"another field", "IxA", {"B"}, false, false},
        {"more fields", "IxA", {"A", "B"}, false, false},
        {"unique now", "IxA", {"A"}, false, true},
        {"primary now", "IxA", {"A"}, true, false},
        {"not there before", "IxC", {"A"}, false, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto byHand = makeFile("hand" + std::to_string(n) + ".mdb");
        auto replaced = makeFile("replace" + std::to_string(n) + ".mdb");
        ++n;
        auto handTd = byHand->TableDefs().Item("T");
        if (handTd->Indexes().contains(c.name)) handTd->Indexes().Delete(c.name);
        handTd->Indexes().Append(newIndex(handTd, c.name, c.fields, c.primary, c.unique));
        auto replacedTd = replaced->TableDefs().Item("T");
        replacedTd->Indexes().replace(newIndex(replacedTd, c.name, c.fields, c.primary, c.unique));

        EXPECT_EQ(describe(replaced), describe(byHand));
        ASSERT_EQ(replacedTd->Indexes().Count(), handTd->Indexes().Count());
        for (int i = 0; i < handTd->Indexes().Count(); ++i)
            EXPECT_EQ(replacedTd->Indexes().Item(i)->Name(), handTd->Indexes().Item(i)->Name());
        EXPECT_EQ(column(replaced, "T", "A", c.name), column(byHand, "T", "A", c.name));
        const std::string handPath = byHand->Name(), replacedPath = replaced->Name();
        byHand->Close();
        replaced->Close();
        std::string expected = fileRows(handPath);
        std::string actual = fileRows(replacedPath);
        EXPECT_EQ(actual, expected);
    }
}

TEST_F(StructureChanges, ReplacingRepeatedlyKeepsTheFileAsDeleteAndAppendWould) {
    auto byHand = makeFile("hand.mdb");
    auto replaced = makeFile("replaced.mdb");
    for (int round = 0; round < 3; ++round) {
        for (const char* name : {"IxB", "IxA"}) {
            auto td = byHand->TableDefs().Item("T");
            auto same = td->Indexes().Item(name);
            const bool unique = same->Unique();
            const std::string field = same->Fields().Item(0)->Name();
            td->Indexes().Delete(name);
            td->Indexes().Append(newIndex(td, name, {field.c_str()}, false, unique));
            auto other = replaced->TableDefs().Item("T");
            other->Indexes().replace(newIndex(other, name, {field.c_str()}, false, unique));
        }
    }
    const std::string handPath = byHand->Name(), replacedPath = replaced->Name();
    byHand->Close();
    replaced->Close();
    EXPECT_EQ(fileRows(replacedPath), fileRows(handPath));
}

class TablesTogether : public StructureChanges {
protected:
    // New tables: defaults, a required field, an auto-numbered field, and indexes on all
    // but the second.
    std::vector<engine::TableDefPtr> newTables(const engine::DatabasePtr& db,
                                               std::vector<std::string> names = {"Alpha", "Beta",
                                                                                 "Gamma"}) {
        std::vector<engine::TableDefPtr> out;
        for (const std::string& name : names) {
            auto td = db->CreateTableDef(name);
            auto id = td->CreateField("ID", engine::dbLong);
            id->setAttributes(engine::dbAutoIncrField);
            td->Fields().Append(id);
            auto one = td->CreateField("One", engine::dbInteger);
            one->setDefaultValue(Variant(1.0));
            one->setRequired(true);
            td->Fields().Append(one);
            td->Fields().Append(td->CreateField("Text", engine::dbText, 12));
            if (out.size() != 1) {
                td->Indexes().Append(newIndex(td, "IxText", {"text"}));
                td->Indexes().Append(newIndex(td, "Pk", {"ID"}, true));
            }
            out.push_back(td);
        }
        return out;
    }
};

TEST_F(TablesTogether, ReadAsIfAppendedOneByOne) {
    auto oneByOne = makeFile("one.mdb");
    auto together = makeFile("together.mdb");
    for (const auto& td : newTables(oneByOne))
        oneByOne->TableDefs().Append(td);
    const auto tables = newTables(together);
    ASSERT_TRUE(together->TableDefs().appendTogether(tables));
    for (const auto& td : tables) {
        EXPECT_TRUE(td->isStored());
        EXPECT_EQ(td->Fields().Item("Text")->OrdinalPosition(), 2);
        EXPECT_EQ(errorOf([&] { td->Fields().Item("Text")->setSize(3); }), err::InvalidOperation);
    }
    for (const auto& db : {oneByOne, together})
        addRow(db, "Gamma", {{"Text", Variant("x")}});
    EXPECT_EQ(column(together, "Gamma", "ID"), column(oneByOne, "Gamma", "ID"));
    EXPECT_EQ(describe(together), describe(oneByOne));
    const std::string onePath = oneByOne->Name(), togetherPath = together->Name();
    oneByOne->Close();
    together->Close();
    EXPECT_EQ(fileRows(togetherPath), fileRows(onePath));
}

// Any table that cannot be stored: none is, and Append of each then tells why.
TEST_F(TablesTogether, AllOrNone) {
    struct Case {
        const char* what;
        std::vector<std::string> names;
        int spoilt; // the table that cannot be stored
        int error;  // what its Append says
    };
    const Case cases[] = {
        {"a table of that name", {"Alpha", "t", "Gamma"}, 1, err::TableAlreadyExists},
        {"named twice", {"Alpha", "Beta", "ALPHA"}, 2, err::TableAlreadyExists},
        {"not a name", {"Alpha", "Be.ta", "Gamma"}, 1, err::InvalidName},
        {"no field", {"Alpha", "Beta", "Gamma"}, 1, err::NoFieldDefined},
        {"index on a missing field", {"Alpha", "Beta", "Gamma"}, 2, err::ItemNotFound},
        {"a name the file has meanwhile",
         {"Alpha", "Meanwhile", "Gamma"},
         1,
         err::TableAlreadyExists},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto db = makeFile("none" + std::to_string(n++) + ".mdb");
        db->TableDefs().Count(); // the file's tables are read now
        rawExec(db->Name(), "CREATE TABLE Meanwhile (X REAL)");
        const std::string before = describe(db), rowsBefore = fileRows(db->Name());
        auto tables = newTables(db, c.names);
        if (c.error == err::NoFieldDefined) tables[1] = db->CreateTableDef("Beta");
        if (c.error == err::ItemNotFound)
            tables[2]->Indexes().Append(newIndex(tables[2], "Lost", {"Nowhere"}));

        EXPECT_FALSE(db->TableDefs().appendTogether(tables));
        EXPECT_EQ(describe(db), before);
        EXPECT_EQ(fileRows(db->Name()), rowsBefore);
        for (std::size_t i = 0; i < tables.size(); ++i) {
            EXPECT_FALSE(tables[i]->isStored());
            const int error = errorOf([&] { db->TableDefs().Append(tables[i]); });
            EXPECT_EQ(error, static_cast<int>(i) == c.spoilt ? c.error : 0) << i;
        }
    }
}

// The engine's description says the index is there, SQLite's does not: replacing it makes
// it anew rather than trusting the description.
TEST_F(StructureChanges, AnIndexMissingFromTheFileIsMadeAnewWhenReplaced) {
    auto db = makeFile("missing.mdb");
    db->Close();
    rawExec(path("missing.mdb"), "DROP INDEX \"T.IxA\"");
    db = ws().OpenDatabase(path("missing.mdb"));
    auto td = db->TableDefs().Item("T");
    td->Indexes().replace(newIndex(td, "IxA", {"A"}));
    db->Close();
    EXPECT_NE(fileRows(path("missing.mdb")).find("CREATE INDEX \"T.IxA\" ON \"T\" (\"A\")"),
              std::string::npos);
}

TEST_F(StructureChanges, ANameTakenOutsideTheEngineIsRefused) {
    auto db = create("names.mdb");
    db->Close();
    rawExec(path("names.mdb"), "CREATE TABLE \"Foreign\" (X REAL)");
    db = ws().OpenDatabase(path("names.mdb"));
    db->TableDefs().Count(); // the file's tables are read now
    rawExec(path("names.mdb"), "CREATE TABLE Meanwhile (X REAL)");
    for (const char* name : {"FOREIGN", "meanwhile"}) {
        SCOPED_TRACE(name);
        auto td = db->CreateTableDef(name);
        td->Fields().Append(td->CreateField("F", engine::dbDouble));
        EXPECT_EQ(errorOf([&] { db->TableDefs().Append(td); }), err::TableAlreadyExists);
    }
    makeTable(db, "Fine", {{"F", engine::dbDouble}});
    EXPECT_EQ(db->TableDefs().Count(), 1);
    auto fresh = reopen(db);
    EXPECT_EQ(describe(fresh), "Fine\n  0 F 7/8 a0 d[]\n");
}

// Jet's rules for names, for tables, fields and indexes alike: 3125, and nothing stored.
TEST_F(StructureChanges, NamesJetRefusesAreRefusedWith3125) {
    auto db = makeFile("badnames.mdb");
    const std::string before = describe(db);
    const std::string bad[] = {
        "Be.ta", "a]b", "[ab", "a!b", "a`b", " lead", "tab\tname", std::string(65, 'n'), ""};
    for (const std::string& name : bad) {
        SCOPED_TRACE(name);
        auto td = db->CreateTableDef(name);
        td->Fields().Append(td->CreateField("F", engine::dbDouble));
        EXPECT_EQ(errorOf([&] { db->TableDefs().Append(td); }), err::InvalidName);
        auto t = db->TableDefs().Item("T");
        EXPECT_EQ(errorOf([&] { t->Fields().Append(t->CreateField(name, engine::dbLong)); }),
                  err::InvalidName);
        EXPECT_EQ(errorOf([&] { t->Indexes().Append(newIndex(t, name, {"A"})); }),
                  err::InvalidName);
    }
    EXPECT_EQ(describe(db), before);
    // What Jet allows: inner blanks, punctuation other than the above, 64 characters.
    makeTable(db, "Fund/Org (4101) #2", {{"a-b c's", engine::dbDouble}});
    makeTable(db, std::string(64, 'n'), {{"F", engine::dbDouble}});
    EXPECT_EQ(db->TableDefs().Count(), 3);
}

// Prepared statements outlive structure changes: a recordset opened before them goes on
// walking and writing with the fields it was opened with.
TEST_F(StructureChanges, OpenRecordsetsKeepWorkingAcrossStructureChanges) {
    auto db = makeFile("cursor.mdb");
    makeTable(db, "U", {{"V", engine::dbDouble}});
    addRow(db, "U", {{"V", Variant(1.0)}});
    auto rs = db->OpenRecordset("T", engine::dbOpenTable);
    rs->setIndex("IxA");
    EXPECT_EQ(rs->Fields("A").Value(), Variant(1.0));
    auto dynaset = db->OpenRecordset("SELECT A FROM T ORDER BY A");

    auto u = db->TableDefs().Item("U");
    u->Fields().Append(u->CreateField("W", engine::dbDouble));
    auto t = db->TableDefs().Item("T");
    t->Indexes().Append(newIndex(t, "IxAB", {"A", "B"}));
    t->Indexes().replace(newIndex(t, "IxA", {"A"}));
    t->Fields().Append(t->CreateField("C", engine::dbDouble));

    rs->MoveNext();
    EXPECT_EQ(rs->Fields("A").Value(), Variant(2.0));
    rs->Edit();
    rs->Fields("B").setValue(Variant("c"));
    rs->Update();
    rs->AddNew();
    rs->Fields("A").setValue(Variant(3.0));
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(errorOf([&] { rs->Fields("C"); }), err::ItemNotFound);
    rs->Close();
    EXPECT_EQ(dynaset->Fields("A").Value(), Variant(1.0));
    EXPECT_EQ(column(db, "T", "B", "IxA"),
              (std::vector<Variant>{Variant("a"), Variant("c"), Variant::null()}));
    EXPECT_EQ(column(db, "U", "W"), std::vector<Variant>{Variant::null()});
}

} // namespace
