// A value a field cannot hold is refused, naming the field, whichever way it is written:
// never cut down, wrapped round or read as Null. Values only another program could have
// stored are written here with SQLite itself.

#include "EngineFixture.h"
#include "RawFile.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"

#include <functional>
#include <optional>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

class FieldRange : public EngineTest {
protected:
    void SetUp() override {
        for (const char* name : {"this year.mdb", "last year.mdb"}) {
            auto db = create(name);
            for (const char* table : {"T", "S"})
                makeTable(db, table,
                          {{"Small", engine::dbInteger},
                           {"Big", engine::dbLong},
                           {"Amount", engine::dbDouble},
                           {"When", engine::dbDate},
                           {"Name", engine::dbText, 20}});
            db->Close();
        }
        target = ws().OpenDatabase(path("this year.mdb"));
        source = ws().OpenDatabase(path("last year.mdb"));
    }
    // One row of S in `file` holding the value of an SQL literal, as another program
    // would store it.
    void storeRaw(const std::string& file, const std::string& field, const std::string& sql) {
        RawFile(path(file)).exec("INSERT INTO S (\"" + field + "\") VALUES (" + sql + ")");
    }
    long long rowsOfT() { return RawFile(path("this year.mdb")).number("SELECT count(*) FROM T"); }
    engine::DatabasePtr target, source;
};

struct Value {
    const char* field;
    const char* sql; // as an SQL literal
    Variant variant; // as a program hands it to a field
    int number;      // 0: stored
    Variant stored;  // read back when stored
};

const Value kValues[] = {
    {"Small", "1e15", Variant(1e15), err::NumericOverflow, {}},
    {"Small", "40000", Variant(std::int32_t{40000}), err::NumericOverflow, {}},
    {"Small", "'abc'", Variant("abc"), err::DataTypeConversion, {}},
    {"Big", "3000000000", Variant(3e9), err::NumericOverflow, {}},
    {"Big", "'abc'", Variant("abc"), err::DataTypeConversion, {}},
    {"Amount", "'abc'", Variant("abc"), err::DataTypeConversion, {}},
    {"When", "'abc'", Variant("abc"), err::DataTypeConversion, {}},
    // What fits goes in: numeric text converts, the ends of a range are in range.
    {"Small", "'12'", Variant("12"), 0, Variant(std::int16_t{12})},
    {"Small", "-32768", Variant(-32768.0), 0, Variant(std::int16_t{-32768})},
    {"Big", "2147483647", Variant(2147483647.0), 0, Variant(std::int32_t{2147483647})},
    {"Amount", "1e15", Variant(1e15), 0, Variant(1e15)},
};

struct WritePath {
    const char* name;
    bool copiesAColumn; // of a field of the same kind
    // Writes the value into one new row of T in this year's file.
    std::function<void(const Value&)> write;
};

TEST_F(FieldRange, EveryWayInRefusesWhatTheFieldCannotHold) {
    const std::string targetPath = path("this year.mdb");
    const WritePath paths[] = {
        {"field assignment", false,
         [&](const Value& v) {
             auto rs = target->OpenRecordset("T", engine::dbOpenTable);
             rs->AddNew();
             rs->Fields(v.field).setValue(v.variant);
             rs->Update();
         }},
        {"INSERT VALUES", false,
         [&](const Value& v) {
             target->Execute(std::string("INSERT INTO T (") + v.field + ") VALUES (" + v.sql + ")");
         }},
        {"UPDATE", false,
         [&](const Value& v) {
             engine::Transaction all;
             target->Execute("INSERT INTO T (Name) VALUES ('row')");
             target->Execute(std::string("UPDATE T SET ") + v.field + " = " + v.sql);
             all.commit();
         }},
        {"INSERT SELECT in one file", true,
         [&](const Value& v) {
             storeRaw("this year.mdb", v.field, v.sql);
             target->Execute(std::string("INSERT INTO T (") + v.field + ") SELECT " + v.field +
                             " FROM S");
         }},
        {"INSERT IN, rows streamed", true,
         [&](const Value& v) {
             storeRaw("last year.mdb", v.field, v.sql);
             source->Execute(std::string("INSERT INTO T (") + v.field + ") IN '" + targetPath +
                             "' SELECT " + v.field + " FROM S");
         }},
        {"INSERT IN, source attached", true,
         [&](const Value& v) {
             storeRaw("last year.mdb", v.field, v.sql);
             engine::Transaction copy;
             source->Execute(std::string("INSERT INTO T (") + v.field + ") IN '" + targetPath +
                             "' SELECT " + v.field + " FROM S");
             copy.commit();
         }},
    };
    for (const WritePath& way : paths) {
        for (const Value& v : kValues) {
            // A text in a Double or Date column is copied as it is: refused when read.
            const bool doubleOrDate =
                v.field == std::string("Amount") || v.field == std::string("When");
            if (way.copiesAColumn && doubleOrDate && v.number) continue;
            SCOPED_TRACE(std::string(way.name) + ": " + v.field + " = " + v.sql);
            std::string text;
            try {
                way.write(v);
            } catch (const runtime::Error& e) {
                EXPECT_EQ(e.number(), v.number);
                text = e.text();
            }
            if (v.number) {
                EXPECT_NE(text.find(std::string("'T.") + v.field + "'"), std::string::npos) << text;
                EXPECT_EQ(rowsOfT(), 0);
            } else {
                EXPECT_EQ(text, "");
                EXPECT_EQ(column(target, "T", v.field), std::vector<Variant>{v.stored});
            }
            target->Execute("DELETE * FROM T");
            for (const auto& db : {target, source})
                db->Execute("DELETE * FROM S");
        }
    }
}

// A copy of more columns than one check takes at once checks them all, and names the one.
TEST_F(FieldRange, AWideCopyNamesTheFieldThatCannotHoldItsValue) {
    std::vector<FieldSpec> fields;
    std::string list, values;
    for (int i = 0; i < 300; ++i) {
        fields.push_back({"F" + std::to_string(i), engine::dbInteger});
        list += (i ? ", F" : "F") + std::to_string(i);
        values += i ? ", 1" : "1";
    }
    for (const auto& db : {target, source})
        makeTable(db, "Wide", fields);
    RawFile(path("last year.mdb")).exec("INSERT INTO Wide (" + list + ") VALUES (" + values + ")");
    const std::string copy = "INSERT INTO Wide (" + list + ") IN '" + path("this year.mdb") +
                             "' SELECT " + list + " FROM Wide";
    source->Execute(copy);
    EXPECT_EQ(column(target, "Wide", "F299"), std::vector<Variant>{Variant(std::int16_t{1})});

    RawFile(path("last year.mdb")).exec("UPDATE Wide SET F250 = 'abc'");
    for (const bool attached : {false, true}) { // rows streamed, or the source attached
        SCOPED_TRACE(attached);
        try {
            std::optional<engine::Transaction> inside;
            if (attached) inside.emplace();
            source->Execute(copy);
            ADD_FAILURE() << "copied";
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), err::DataTypeConversion);
            EXPECT_NE(e.text().find("'Wide.F250'"), std::string::npos) << e.text();
        }
        EXPECT_EQ(column(target, "Wide", "F0").size(), 1u);
    }
}

// A value another program stored that its field cannot hold is refused when read, naming
// the table and the field, and the row's other fields stay readable.
TEST_F(FieldRange, ReadingAValueTheFieldCannotHoldRaisesItsError) {
    const struct {
        const char* field;
        const char* sql;
        int number;
    } cases[] = {
        {"Amount", "'abc'", err::DataTypeConversion}, {"When", "'abc'", err::DataTypeConversion},
        {"Small", "'abc'", err::DataTypeConversion},  {"Small", "1e15", err::NumericOverflow},
        {"Small", "40000", err::NumericOverflow},     {"Big", "3000000000", err::NumericOverflow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.sql);
        RawFile(path("this year.mdb"))
            .exec(std::string("INSERT INTO T (Name, \"") + c.field + "\") VALUES ('x', " + c.sql +
                  ")");
        auto table = target->OpenRecordset("T", engine::dbOpenTable);
        auto query = target->OpenRecordset(std::string("SELECT Name, ") + c.field + " FROM T");
        for (const auto& rs : {table, query}) {
            EXPECT_EQ(rs->Fields("Name").Value(), Variant("x"));
            try {
                rs->Fields(c.field).Value();
                ADD_FAILURE() << "read as " << runtime::CStr(rs->Fields(c.field).Value());
            } catch (const runtime::Error& e) {
                EXPECT_EQ(e.number(), c.number);
                EXPECT_NE(e.text().find(std::string("'T.") + c.field + "'"), std::string::npos)
                    << e.text();
            }
        }
        // An edit that leaves the field alone keeps the row's other values.
        table->Edit();
        table->Fields("Name").setValue(Variant("y"));
        table->Update();
        EXPECT_EQ(column(target, "T", "Name"), std::vector<Variant>{Variant("y")});
        target->Execute("DELETE * FROM T");
    }
}

} // namespace
