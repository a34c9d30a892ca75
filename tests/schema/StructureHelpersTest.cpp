// The four structure helpers, field by field and index by index.
#include "SchemaTestSupport.h"
#include "engine/EngineErrors.h"
#include "schema/DefinitionRun.h"
#include "support/ScriptedDesktop.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace schema_test;
using namespace engine;
using schema::MakeDatabase;
using schema::MakeField;
using schema::MakeIndex;
using schema::MakeTable;

class HelpersTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder.file("Test.mdb");
    support::ScriptedDesktop desk; // fails the test on any message box

    // A file holding table T with fields A (Double) and B (Text 10), one row, and the
    // index IxA on A.
    void makeTableT() {
        auto db = DBEngine::instance().Workspaces(0).CreateDatabase(
            path, ";LANGID=0x0409;CP=1252;COUNTRY=0");
        auto td = db->CreateTableDef("T");
        td->Fields().Append(td->CreateField("A", dbDouble));
        td->Fields().Append(td->CreateField("B", dbText, 10));
        auto ix = td->CreateIndex("IxA");
        ix->Fields().Append(ix->CreateField("A"));
        td->Indexes().Append(ix);
        db->TableDefs().Append(td);
        db->Execute("INSERT INTO T (A, B) VALUES (5, 'five')");
        db->Close();
    }
    TableShape tableT() { return readStructure(path).at("T"); }
    engine::DatabasePtr open() { return DBEngine::instance().Workspaces(0).OpenDatabase(path); }
};

struct SpecialCase {
    const char* name;
    int type;
    std::int16_t size;
    std::int16_t special;
    bool made;
    FieldShape shape;
};

void PrintTo(const SpecialCase& c, std::ostream* os) {
    *os << c.name;
}

class SpecialCodeTest : public HelpersTest, public ::testing::WithParamInterface<SpecialCase> {};

TEST_P(SpecialCodeTest, NewFieldGetsItsSettings) {
    const SpecialCase& c = GetParam();
    MakeDatabase(path, false);
    MakeTable("T");
    MakeField("F", c.type, c.size, c.special);
    const TableShape t = tableT();
    ASSERT_EQ(t.fields.size(), c.made ? 2u : 1u);
    EXPECT_EQ(t.fields[0], field("In Use", dbBoolean));
    if (c.made) {
        EXPECT_EQ(t.fields[1], c.shape);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Helpers, SpecialCodeTest,
    ::testing::Values(
        SpecialCase{"Plain", dbDouble, 0, 0, true, field("F", dbDouble)},
        SpecialCase{"DefaultZero", dbDouble, 0, 11, true, field("F", dbDouble, 0, true, "0")},
        SpecialCase{"DefaultOne", dbInteger, 0, 30, true, field("F", dbInteger, 0, true, "1")},
        SpecialCase{"NoEffectCode", dbDouble, 0, 13, true, field("F", dbDouble)},
        SpecialCase{"Text", dbText, 50, 0, true, field("F", dbText, 50, false, "", true)},
        SpecialCase{"Memo", dbMemo, 2000, 0, true, field("F", dbMemo, 0, false, "", true)},
        SpecialCase{"Date", dbDate, 60, 0, true, field("F", dbDate)},
        SpecialCase{"DropAbsent", dbDouble, 0, 44, false, FieldShape{}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HelpersTest, SettingsWorkOnRows) {
    MakeDatabase(path, false);
    MakeTable("T");
    MakeField("Zero", dbDouble, 0, schema::SpecialDefaultZero);
    MakeField("One", dbDouble, 0, schema::SpecialDefaultOne);
    MakeField("S", dbText, 10, 0);
    MakeField("M", dbMemo, 2000, 0);
    auto db = open();
    db->Execute("INSERT INTO T (S, M) VALUES ('', '')");
    auto rs = db->OpenRecordset("SELECT Zero, One, S, M FROM T");
    EXPECT_EQ(rs->Fields("Zero").Value(), runtime::Variant(0.0));
    EXPECT_EQ(rs->Fields("One").Value(), runtime::Variant(1.0));
    EXPECT_EQ(rs->Fields("S").Value(), runtime::Variant(""));
    EXPECT_EQ(rs->Fields("M").Value(), runtime::Variant(""));
    EXPECT_EQ(errorOf([&] { db->Execute("INSERT INTO T (Zero) VALUES (Null)"); }),
              err::RequiredFieldNull);
}

TEST_F(HelpersTest, ExistingTableAndFieldsKeepTheirDefinitionAndRows) {
    makeTableT();
    MakeDatabase(path, false);
    MakeTable("T");
    MakeField("In Use", dbBoolean, 0, 0); // gained at the end, as a missing field
    MakeField("B", dbDouble, 0, schema::SpecialDefaultZero);
    MakeField("C", dbText, 20, 0);
    const TableShape t = tableT();
    EXPECT_EQ(t.fields, (std::vector<FieldShape>{field("A", dbDouble), field("B", dbText, 10),
                                                 field("In Use", dbBoolean),
                                                 field("C", dbText, 20, false, "", true)}));
    auto rs = open()->OpenRecordset("SELECT A, B, C FROM T");
    EXPECT_EQ(rs->Fields("B").Value(), runtime::Variant("five"));
    EXPECT_TRUE(rs->Fields("C").Value().isNull());
}

TEST_F(HelpersTest, DroppedFieldGoesWithItsData) {
    makeTableT();
    MakeDatabase(path, false);
    MakeTable("T");
    MakeField("B", dbText, 10, schema::SpecialDropField);
    MakeField("Absent", dbDouble, 0, schema::SpecialDropField);
    EXPECT_EQ(tableT().fieldNames(), std::vector<std::string>{"A"});
    EXPECT_EQ(open()->OpenRecordset("SELECT A FROM T")->Fields("A").Value(), runtime::Variant(5.0));
}

TEST_F(HelpersTest, IndexIsDroppedAndMadeAnew) {
    makeTableT();
    MakeDatabase(path, false);
    MakeTable("T");
    MakeIndex("IxA", "B", 0, 0);    // the same name on another field replaces it
    MakeIndex("IxAB", "A,B", 0, 1); // several fields, in order
    MakeIndex("IxKey", "A", -1, 0); // any non-zero flag is True
    EXPECT_EQ(tableT().indexes,
              (std::vector<IndexShape>{
                  {"IxA", "B"}, {"IxAB", "A,B", false, true}, {"IxKey", "A", true, true}}));
    // A definition's index on a field the table lacks: the old one is gone, none is made.
    MakeIndex("IxA", "Nowhere", 0, 0);
    EXPECT_EQ(tableT().indexes.size(), 2u);
}

// An index named just as it is comes last, as when dropped and made anew; one that differs
// in anything, even in the case of a field, is made anew as named.
TEST_F(HelpersTest, IndexAsItIsComesLastAsIfMadeAnew) {
    makeTableT();
    {
        auto db = open();
        auto td = db->TableDefs().Item("T");
        auto ix = td->CreateIndex("IxB");
        ix->Fields().Append(ix->CreateField("B"));
        td->Indexes().Append(ix);
    }
    auto order = [&] {
        auto td = open()->TableDefs().Item("T");
        std::vector<std::string> out;
        for (int i = 0; i < td->Indexes().Count(); ++i)
            out.push_back(td->Indexes().Item(i)->Name() + ":" +
                          td->Indexes().Item(i)->Fields().Item(0)->Name());
        return out;
    };
    MakeDatabase(path, false);
    MakeTable("T");
    MakeIndex("IxA", "A", 0, 0);
    EXPECT_EQ(order(), (std::vector<std::string>{"IxB:B", "IxA:A"}));
    MakeIndex("IxB", "b", 0, 0);
    EXPECT_EQ(order(), (std::vector<std::string>{"IxA:A", "IxB:b"}));
    MakeIndex("IxA", "A", 0, 1);
    EXPECT_EQ(tableT().indexes,
              (std::vector<IndexShape>{index("IxA", "A", false, true), index("IxB", "b")}));
    EXPECT_EQ(open()->OpenRecordset("SELECT B FROM T")->Fields("B").Value(),
              runtime::Variant("five"));
}

TEST_F(HelpersTest, WithoutADatabaseNothingIsTouched) {
    makeTableT();
    MakeDatabase(path, false);
    MakeTable("T");
    MakeDatabase(folder.file("missing/Other.mdb"), false);
    EXPECT_EQ(schema::CurDB(), nullptr);
    MakeTable("U");
    EXPECT_EQ(schema::CurTableDef(), nullptr);
    MakeField("C", dbDouble, 0, 0);
    MakeField("A", dbDouble, 0, schema::SpecialDropField);
    MakeIndex("IxA", "B", 0, 0);
    EXPECT_EQ(tableT().fieldNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(tableT().indexes, (std::vector<IndexShape>{index("IxA", "A")}));
    EXPECT_FALSE(std::filesystem::exists(folder.file("missing")));
}

// Nothing current in the engine while a file is being made: the user is told, and no
// database is current.
TEST_F(HelpersTest, CannotUpdateNowIsTold) {
    MakeDatabase(path, false);
    desk.expectMessage("Cannot Update " + path + " at this stage.Please try again later",
                       forms::vbInformation, "Operation Unsuccessful", forms::vbOK);
    MakeDatabase(folder.file("missing/Other.mdb"), false);
    schema::detail::createFailed(runtime::Error(runtime::err::ObjectVariableNotSet), path, false);
    EXPECT_EQ(schema::CurDB(), nullptr);
    EXPECT_TRUE(desk.verify());
}

// A definition stores a new table whole; the result must be what the helpers give one
// call at a time, the refused calls included.
TEST_F(HelpersTest, NewTableInOneStatementMatchesCallByCall) {
    const schema::TableSpec spec{
        "T",
        {{"In Use", schema::FieldType::Boolean},
         {"A", schema::FieldType::Double},
         {"B", schema::FieldType::Text, 20},
         {"A", schema::FieldType::Integer},
         {"B", schema::FieldType::Double, 0, schema::SpecialDropField},
         {"C", schema::FieldType::Double, 0, schema::SpecialDefaultOne},
         {"D", schema::FieldType::Memo, 2000}},
        {{"IxA", "A"}, {"IxMissing", "Nowhere"}, {"IxCD", "C,D"}, {"IxA", "C"}}};
    MakeDatabase(path, false);
    MakeTable(spec.name);
    for (const auto& f : spec.fields)
        MakeField(std::string(f.name), static_cast<int>(f.type), f.size, f.special);
    for (const auto& ix : spec.indexes)
        MakeIndex(std::string(ix.name), std::string(ix.fields), 0, 0);
    const TableShape callByCall = tableT();

    const std::string other = folder.file("Whole.mdb");
    MakeDatabase(other, false);
    schema::detail::runTables({spec});
    EXPECT_EQ(readStructure(other).at("T"), callByCall);
    EXPECT_EQ(callByCall.fieldNames(), (std::vector<std::string>{"In Use", "A", "C", "D"}));
}

// A definition stores its new tables together; tables of the file between them, a table
// named twice and one that cannot be made must come out as one call at a time makes them.
TEST_F(HelpersTest, NewTablesTogetherMatchCallByCall) {
    using schema::FieldType;
    const std::vector<schema::TableSpec> specs = {
        {"New1", {{"A", FieldType::Double}, {"B", FieldType::Text, 5}}, {{"IxA", "A"}}},
        {"New2", {{"C", FieldType::Integer, 0, schema::SpecialDefaultOne}}, {{"IxC", "C"}}},
        {"new1", {{"E", FieldType::Double}}, {{"IxE", "E"}, {"IxA", "B"}}},
        {"T", {{"C", FieldType::Double}}, {{"IxA", "A"}}},
        {"Bad.Name", {{"X", FieldType::Double}}, {{"IxX", "X"}}},
        {"New3", {{"D", FieldType::Memo}}, {}},
        {"New4", {{"F", FieldType::Double}}, {{"IxF", "Nowhere"}}},
    };
    makeTableT();
    const std::string other = folder.file("CallByCall.mdb");
    std::filesystem::copy_file(path, other);

    MakeDatabase(other, false);
    for (const auto& spec : specs) {
        MakeTable(spec.name);
        for (const auto& f : spec.fields)
            MakeField(std::string(f.name), static_cast<int>(f.type), f.size, f.special);
        for (const auto& ix : spec.indexes)
            MakeIndex(std::string(ix.name), std::string(ix.fields), 0, 0);
    }
    const bool lastIsCurrent = schema::CurTableDef() && schema::CurTableDef()->Name() == "New4";
    MakeDatabase(path, false);
    schema::detail::runTables(specs);
    EXPECT_EQ(schema::CurTableDef() && schema::CurTableDef()->Name() == "New4", lastIsCurrent);
    schema::MakeDatabase(folder.file("missing/None.mdb"), false); // lets go of both files
    const Structure together = readStructure(path);
    EXPECT_EQ(together, readStructure(other));
    EXPECT_EQ(together.count("Bad.Name"), 0u);
    EXPECT_EQ(together.at("New1").fieldNames(),
              (std::vector<std::string>{"In Use", "A", "B", "E"}));
}

TEST_F(HelpersTest, UncommittedRunLeavesTheFileAsItWas) {
    makeTableT();
    const Structure before = readStructure(path);
    {
        schema::detail::FileTransaction transaction;
        MakeDatabase(path, false);
        transaction.begin();
        schema::detail::runTables({{"T",
                                    {{"B", schema::FieldType::Text, 10, schema::SpecialDropField},
                                     {"C", schema::FieldType::Double}},
                                    {{"IxA", "C"}}},
                                   {"New", {{"X", schema::FieldType::Double}}, {}}});
        // Leaves without commit, as when a step fails half way.
    }
    EXPECT_EQ(readStructure(path), before);
    EXPECT_EQ(open()->OpenRecordset("SELECT B FROM T")->Fields("B").Value(),
              runtime::Variant("five"));
}

} // namespace
