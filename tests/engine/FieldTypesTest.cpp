// Field types, sizes, defaults and the structure that TableDefs reads back.

#include "EngineFixture.h"

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

class FieldTypes : public EngineTest {
protected:
    void SetUp() override {
        db = create("types.mdb");
        makeTable(db, "T",
                  {{"In Use", engine::dbBoolean},
                   {"Flag", engine::dbBoolean},
                   {"Small", engine::dbInteger},
                   {"Amount", engine::dbDouble},
                   {"When", engine::dbDate},
                   {"Name", engine::dbText, 5},
                   {"Note", engine::dbMemo, 2000},
                   {"Zero", engine::dbDouble, 0, Variant(0.0), true},
                   {"One", engine::dbInteger, 0, Variant(1.0), true}});
    }
    // Stores one value in one field of a new row and reads the row back.
    Variant roundTrip(const std::string& field, const Variant& v) {
        auto rs = db->OpenRecordset("T", engine::dbOpenTable);
        rs->AddNew();
        rs->Fields(field).setValue(v);
        rs->Update();
        rs->MoveLast();
        Variant out = rs->Fields(field).Value();
        rs->Close();
        return out;
    }
    long rows() { return db->OpenRecordset("T", engine::dbOpenTable)->RecordCount(); }

    engine::DatabasePtr db;
};

TEST_F(FieldTypes, ValuesComeBackAsTheirFieldsType) {
    struct Case {
        const char* field;
        Variant in;
        Variant out;
    };
    const Case cases[] = {
        {"Flag", Variant(true), Variant(true)},
        {"Flag", Variant(std::int32_t{5}), Variant(true)},
        {"Flag", Variant(0.0), Variant(false)},
        {"Flag", Variant::null(), Variant(false)}, // never Null
        {"Small", Variant(32767.0), Variant(std::int16_t{32767})},
        {"Small", Variant(-32768.0), Variant(std::int16_t{-32768})},
        {"Small", Variant(2.5), Variant(std::int16_t{2})}, // rounds half to even
        {"Small", Variant("12"), Variant(std::int16_t{12})},
        {"Amount", Variant(1234.5678), Variant(1234.5678)},
        {"Amount", Variant(std::int16_t{3}), Variant(3.0)},
        {"Amount", Variant(true), Variant(-1.0)},
        {"When", Variant::date(-36522), Variant::date(-36522)},
        {"When", Variant(-693959.0), Variant::date(-693959)},
        {"When", Variant(42795.5), Variant::date(42795.5)},
        {"Name", Variant("abcde"), Variant("abcde")},
        {"Name", Variant(""), Variant("")}, // "" is not Null
        {"Name", Variant::null(), Variant::null()},
        {"Name", Variant(0.0), Variant("0")},
        {"Name", Variant(1.5), Variant("1.5")},
        {"Note", Variant(std::string(5000, 'x')), Variant(std::string(5000, 'x'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(roundTrip(c.field, c.in), c.out);
    }
}

TEST_F(FieldTypes, UnsetFieldsTakeTheirDefaults) {
    addRow(db, "T", {});
    auto rs = db->OpenRecordset("T", engine::dbOpenTable);
    EXPECT_EQ(rs->Fields("Flag").Value(), Variant(false));
    EXPECT_EQ(rs->Fields("In Use").Value(), Variant(false));
    EXPECT_EQ(rs->Fields("Zero").Value(), Variant(0.0));
    EXPECT_EQ(rs->Fields("One").Value(), Variant(std::int16_t{1}));
    EXPECT_TRUE(rs->Fields("Amount").Value().isNull());
    EXPECT_TRUE(rs->Fields("Name").Value().isNull());
}

TEST_F(FieldTypes, RefusedValuesStoreNothing) {
    struct Case {
        const char* field;
        Variant in;
        int number;
    };
    const Case cases[] = {
        {"Name", Variant("abcdef"), err::FieldTooSmall},
        {"Small", Variant(32768.0), err::NumericOverflow},
        {"Small", Variant(-40000.0), err::NumericOverflow},
        {"Amount", Variant("abc"), err::DataTypeConversion},
        {"Zero", Variant::null(), err::RequiredFieldNull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(errorOf([&] { roundTrip(c.field, c.in); }), c.number);
    }
    EXPECT_EQ(rows(), 0);
}

TEST_F(FieldTypes, RequiredFieldRefusesNullAtUpdateAndKeepsTheEdit) {
    auto rs = db->OpenRecordset("T", engine::dbOpenTable);
    rs->AddNew();
    rs->Fields("Zero").setValue(Variant::null());
    const int number = errorOf([&] { rs->Update(); });
    EXPECT_EQ(number, err::RequiredFieldNull);
    EXPECT_EQ(rs->EditMode(), engine::dbEditAdd);
    rs->Fields("Zero").setValue(Variant(7.0));
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 1);
}

TEST_F(FieldTypes, ExecuteObeysTheSameRules) {
    addRow(db, "T", {{"Name", Variant("a")}});
    EXPECT_EQ(errorOf([&] { db->Execute("UPDATE T SET Name = 'toolong'"); }), err::FieldTooSmall);
    EXPECT_EQ(errorOf([&] { db->Execute("UPDATE T SET Small = 70000"); }), err::NumericOverflow);
    EXPECT_EQ(errorOf([&] { db->Execute("UPDATE T SET Zero = Null"); }), err::RequiredFieldNull);
    db->Execute("UPDATE T SET Flag = 1, [When] = '', Name = 42");
    auto rs = db->OpenRecordset("T", engine::dbOpenTable);
    EXPECT_EQ(rs->Fields("Flag").Value(), Variant(true));
    EXPECT_TRUE(rs->Fields("When").Value().isNull());
    EXPECT_EQ(rs->Fields("Name").Value(), Variant("42"));
}

TEST_F(FieldTypes, TableDefsReadBackWhatWasMade) {
    auto td = db->TableDefs().Item("t"); // any case
    ASSERT_EQ(td->Fields().Count(), 9);
    EXPECT_EQ(td->Fields().Item(0)->Name(), "In Use");
    struct Case {
        const char* field;
        int type;
        int size;
        const char* def;
        bool required;
        bool zeroLength;
    };
    const Case cases[] = {
        {"Flag", engine::dbBoolean, 1, "", false, false},
        {"Small", engine::dbInteger, 2, "", false, false},
        {"Amount", engine::dbDouble, 8, "", false, false},
        {"When", engine::dbDate, 8, "", false, false},
        {"Name", engine::dbText, 5, "", false, true},
        {"Note", engine::dbMemo, 0, "", false, true},
        {"Zero", engine::dbDouble, 8, "0", true, false},
        {"One", engine::dbInteger, 2, "1", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        auto f = td->Fields().Item(c.field);
        EXPECT_EQ(f->Type(), c.type);
        EXPECT_EQ(f->Size(), c.size);
        EXPECT_EQ(f->DefaultValue(), Variant(c.def));
        EXPECT_EQ(f->Required(), c.required);
        EXPECT_EQ(f->AllowZeroLength(), c.zeroLength);
    }
}

TEST_F(FieldTypes, ZeroLengthTextIsRefusedUnlessAllowed) {
    auto td = db->TableDefs().Item("T");
    auto f = td->CreateField("Strict", engine::dbText, 10);
    td->Fields().Append(f);
    EXPECT_EQ(errorOf([&] { roundTrip("Strict", Variant("")); }), err::ZeroLengthNotAllowed);
    EXPECT_EQ(rows(), 0);
}

TEST_F(FieldTypes, FieldsAppendedToAStoredTableGoAtItsEndAndReadTheirDefault) {
    addRow(db, "T", {{"Amount", Variant(5.0)}});
    auto td = db->TableDefs().Item("T");
    auto f = td->CreateField("Added", engine::dbDouble, 0);
    f->setDefaultValue(Variant(0.0));
    f->setRequired(true);
    td->Fields().Append(f);
    EXPECT_EQ(errorOf([&] { td->Fields().Append(td->CreateField("amount", engine::dbText, 9)); }),
              err::FieldDefinedTwice);

    auto fresh = db->TableDefs().Item("T");
    EXPECT_EQ(fresh->Fields().Item(fresh->Fields().Count() - 1)->Name(), "Added");
    EXPECT_EQ(fresh->Fields().Item("Amount")->Type(), engine::dbDouble); // kept as it was
    EXPECT_EQ(column(db, "T", "Added"), std::vector<Variant>{Variant(0.0)});
}

TEST_F(FieldTypes, DeletingAFieldTakesItsData) {
    addRow(db, "T", {{"Amount", Variant(5.0)}, {"Name", Variant("x")}});
    auto td = db->TableDefs().Item("T");
    td->Fields().Delete("amount");
    EXPECT_EQ(errorOf([&] { td->Fields().Delete("Amount"); }), err::ItemNotFound);
    EXPECT_FALSE(db->TableDefs().Item("T")->Fields().contains("Amount"));
    EXPECT_EQ(errorOf([&] { db->Execute("UPDATE T SET Amount = 1"); }), err::TooFewParameters);
    EXPECT_EQ(column(db, "T", "Name"), std::vector<Variant>{Variant("x")});
    // Re-added, it starts empty.
    td->Fields().Append(td->CreateField("Amount", engine::dbDouble));
    EXPECT_TRUE(column(db, "T", "Amount").front().isNull());
}

TEST_F(FieldTypes, AnEmptyTableKeepsItsIndexesAndOrderWhenItsFieldsChange) {
    auto td = db->TableDefs().Item("T");
    auto ix = td->CreateIndex("AmountIndex");
    ix->Fields().Append(ix->CreateField("Amount"));
    td->Indexes().Append(ix);
    td->Fields().Append(td->CreateField("Added", engine::dbText, 3));
    td->Fields().Delete("Note");
    auto back = db->TableDefs().Item("T");
    EXPECT_EQ(back->Fields().Count(), 9);
    EXPECT_EQ(back->Fields().Item(8)->Name(), "Added");
    EXPECT_EQ(back->Fields().Item(6)->Name(), "Zero");
    EXPECT_EQ(back->Indexes().Item("AmountIndex")->Fields().Item(0)->Name(), "Amount");
    for (double v : {3.0, 1.0, 2.0})
        addRow(db, "T", {{"Amount", Variant(v)}});
    EXPECT_EQ(column(db, "T", "Amount", "AmountIndex"),
              (std::vector<Variant>{Variant(1.0), Variant(2.0), Variant(3.0)}));
    EXPECT_EQ(errorOf([&] { roundTrip("Added", Variant("abcd")); }), err::FieldTooSmall);
}

TEST_F(FieldTypes, StructureRefusalsCarryTheirNumbers) {
    auto again = db->CreateTableDef("t");
    again->Fields().Append(again->CreateField("X", engine::dbDouble));
    EXPECT_EQ(errorOf([&] { db->TableDefs().Append(again); }), err::TableAlreadyExists);
    EXPECT_EQ(errorOf([&] { db->TableDefs().Append(db->CreateTableDef("Empty")); }),
              err::NoFieldDefined);
    EXPECT_EQ(errorOf([&] { db->TableDefs().Item("Missing"); }), err::ItemNotFound);
    EXPECT_EQ(errorOf([&] { db->CreateTableDef("X")->CreateField("F", 99, 0); }),
              err::InvalidFieldType);

    auto td = db->TableDefs().Item("T");
    auto ix = td->CreateIndex("NameIndex");
    ix->Fields().Append(ix->CreateField("Name"));
    td->Indexes().Append(ix);
    auto twin = td->CreateIndex("nameindex");
    twin->Fields().Append(twin->CreateField("Amount"));
    EXPECT_EQ(errorOf([&] { td->Indexes().Append(twin); }), err::IndexAlreadyExists);
    EXPECT_EQ(errorOf([&] { td->Fields().Delete("Name"); }), err::FieldInIndex);
    td->Indexes().Delete("NAMEINDEX");
    EXPECT_EQ(errorOf([&] { td->Indexes().Delete("NameIndex"); }), err::ItemNotFound);
    td->Fields().Delete("Name");
}

TEST_F(FieldTypes, TablesAreListedByNameWithoutTheEnginesOwn) {
    makeTable(db, "alpha", {{"A", engine::dbDouble}});
    makeTable(db, "Beta", {{"B", engine::dbDouble}});
    std::vector<std::string> names;
    for (int i = 0; i < db->TableDefs().Count(); ++i)
        names.push_back(db->TableDefs().Item(i)->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "T"}));
}

TEST_F(FieldTypes, AutoIncrementFieldsAreNumberedByTheEngine) {
    auto td = db->CreateTableDef("Numbered");
    auto id = td->CreateField("ID", engine::dbLong);
    id->setAttributes(engine::dbAutoIncrField);
    td->Fields().Append(id);
    td->Fields().Append(td->CreateField("V", engine::dbText, 10));
    db->TableDefs().Append(td);
    addRow(db, "Numbered", {{"V", Variant("a")}});
    db->Execute("INSERT INTO Numbered (V) VALUES ('b')");
    EXPECT_EQ(column(db, "Numbered", "ID"),
              (std::vector<Variant>{Variant(std::int32_t{1}), Variant(std::int32_t{2})}));
    EXPECT_EQ(db->TableDefs().Item("Numbered")->Fields().Item("ID")->Attributes(),
              engine::dbAutoIncrField);
}

} // namespace
