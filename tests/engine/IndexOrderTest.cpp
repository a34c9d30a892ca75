// Indexes: names that belong to their table, the order they give, Seek.

#include "EngineFixture.h"

#include <tuple>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

class IndexOrder : public EngineTest {
protected:
    void SetUp() override {
        db = create("order.mdb");
        makeTable(db, "Users", {{"UserName", engine::dbText, 50}, {"N", engine::dbDouble}},
                  {"UserNameIndex:UserName"});
    }
    engine::DatabasePtr db;
};

TEST_F(IndexOrder, TextOrdersWithoutCaseNullsFirstTiesInInsertionOrder) {
    const std::vector<std::pair<Variant, double>> rows = {
        {Variant("bob"), 1}, {Variant("Alice"), 2}, {Variant::null(), 3}, {Variant("BOB"), 4},
        {Variant(""), 5},    {Variant("alice"), 6}, {Variant::null(), 7}, {Variant("carl"), 8}};
    for (const auto& [name, n] : rows)
        addRow(db, "Users", {{"UserName", name}, {"N", Variant(n)}});
    const std::vector<Variant> expected = {Variant(3.0), Variant(7.0), Variant(5.0), Variant(2.0),
                                           Variant(6.0), Variant(1.0), Variant(4.0), Variant(8.0)};
    EXPECT_EQ(column(db, "Users", "N", "UserNameIndex"), expected);
    // Without an index, insertion order.
    EXPECT_EQ(column(db, "Users", "N").front(), Variant(1.0));
}

// A forward walk steps from each row to the next in one query where the whole key can be
// compared; Nulls anywhere in the key, ties on it and a deleted current row must still give
// every row once, in order.
TEST_F(IndexOrder, AWalkOverTwoKeysMeetsEveryRowOnceInOrder) {
    makeTable(db, "Pairs",
              {{"A", engine::dbDouble}, {"B", engine::dbText, 10}, {"N", engine::dbDouble}},
              {"AB:A,B"});
    const std::vector<std::tuple<Variant, Variant, double>> rows = {
        {Variant(2.0), Variant("x"), 1},      {Variant(1.0), Variant("Y"), 2},
        {Variant(2.0), Variant::null(), 3},   {Variant::null(), Variant("a"), 4},
        {Variant(1.0), Variant("y"), 5},      {Variant(2.0), Variant("X"), 6},
        {Variant(3.0), Variant::null(), 7},   {Variant(1.0), Variant("y"), 8},
        {Variant::null(), Variant::null(), 9}};
    for (const auto& [a, b, n] : rows)
        addRow(db, "Pairs", {{"A", a}, {"B", b}, {"N", Variant(n)}});
    const std::vector<Variant> expected = {Variant(9.0), Variant(4.0), Variant(2.0),
                                           Variant(5.0), Variant(8.0), Variant(3.0),
                                           Variant(1.0), Variant(6.0), Variant(7.0)};
    EXPECT_EQ(column(db, "Pairs", "N", "AB"), expected);

    // Deleting the current row leaves the walk where it stood.
    auto rs = db->OpenRecordset("Pairs", engine::dbOpenTable);
    rs->setIndex("AB");
    std::vector<Variant> walked;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        walked.push_back(rs->Fields("N").Value());
        if (walked.back() == Variant(5.0) || walked.back() == Variant(1.0)) rs->Delete();
    }
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(column(db, "Pairs", "N", "AB").size(), expected.size() - 2);
}

TEST_F(IndexOrder, IndexNamesBelongToTheirTable) {
    makeTable(db, "Clients", {{"UserName", engine::dbText, 50}, {"DCLNO", engine::dbDouble}},
              {"UserNameIndex:UserName", "DCLNOIndex:DCLNO"});
    makeTable(db, "Trusts", {{"UserName", engine::dbText, 50}, {"DCLNO", engine::dbDouble}},
              {"UserNameIndex:UserName", "DCLNOIndex:DCLNO"});
    EXPECT_EQ(db->TableDefs().Item("Clients")->Indexes().Count(), 2);
    // Rebuilding one table's index leaves the other table's namesake alone.
    auto td = db->TableDefs().Item("Trusts");
    td->Indexes().Delete("UserNameIndex");
    auto ix = td->CreateIndex("UserNameIndex");
    ix->Fields().Append(ix->CreateField("DCLNO"));
    td->Indexes().Append(ix);
    EXPECT_EQ(
        db->TableDefs().Item("Users")->Indexes().Item("UserNameIndex")->Fields().Item(0)->Name(),
        "UserName");
    EXPECT_EQ(
        db->TableDefs().Item("Trusts")->Indexes().Item("usernameindex")->Fields().Item(0)->Name(),
        "DCLNO");
    auto rs = db->OpenRecordset("Clients", engine::dbOpenTable);
    EXPECT_EQ(errorOf([&] { rs->setIndex("NoSuchIndex"); }), err::NotAnIndex);
}

TEST_F(IndexOrder, IndexPropertiesReadBack) {
    auto td = db->TableDefs().Item("Users");
    auto ix = td->CreateIndex("Both");
    ix->setUnique(true);
    ix->Fields().Append(ix->CreateField("N"));
    ix->Fields().Append(ix->CreateField("UserName"));
    td->Indexes().Append(ix);
    auto back = db->TableDefs().Item("Users")->Indexes().Item("both");
    EXPECT_TRUE(back->Unique());
    EXPECT_FALSE(back->Primary());
    ASSERT_EQ(back->Fields().Count(), 2);
    EXPECT_EQ(back->Fields().Item(1)->Name(), "UserName");
    addRow(db, "Users", {{"UserName", Variant("a")}, {"N", Variant(1.0)}});
    EXPECT_EQ(errorOf([&] {
                  addRow(db, "Users", {{"UserName", Variant("A")}, {"N", Variant(1.0)}});
              }),
              err::DuplicateValue);
}

TEST_F(IndexOrder, SeekFindsTheFirstEqualRowWithoutRegardToCase) {
    for (const char* name : {"carl", "Bob", "alice", "bob"})
        addRow(db, "Users", {{"UserName", Variant(name)}});
    auto rs = db->OpenRecordset("Users", engine::dbOpenTable);
    rs->setIndex("UserNameIndex");
    rs->Seek("=", {Variant("BOB")});
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Fields("UserName").Value(), Variant("Bob"));
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("UserName").Value(), Variant("bob"));

    rs->Seek("=", {Variant("dave")});
    EXPECT_TRUE(rs->NoMatch());
    EXPECT_EQ(errorOf([&] { rs->Fields("UserName").Value(); }), err::NoCurrentRecord);

    rs->Seek(">=", {Variant("b")});
    EXPECT_EQ(rs->Fields("UserName").Value(), Variant("Bob"));
    rs->Seek(">", {Variant("bob")});
    EXPECT_EQ(rs->Fields("UserName").Value(), Variant("carl"));
    rs->Seek("<", {Variant("bob")});
    EXPECT_EQ(rs->Fields("UserName").Value(), Variant("alice"));
}

TEST_F(IndexOrder, SeekNeedsATableTypeRecordsetWithAnIndex) {
    addRow(db, "Users", {{"UserName", Variant("bob")}});
    auto rs = db->OpenRecordset("Users", engine::dbOpenTable);
    EXPECT_EQ(errorOf([&] { rs->Seek("=", {Variant("bob")}); }), err::NoCurrentIndex);
    auto dynaset = db->OpenRecordset("SELECT * FROM Users");
    EXPECT_EQ(errorOf([&] { dynaset->Seek("=", {Variant("bob")}); }), err::OperationNotSupported);
}

TEST_F(IndexOrder, SeekConvertsTheKeyToTheFieldsType) {
    makeTable(db, "Detail", {{"DCLNO", engine::dbDouble}, {"Line", engine::dbInteger}},
              {"DCLNOIndex:DCLNO"});
    for (double n : {17.0, 3.0, 17.0})
        addRow(db, "Detail", {{"DCLNO", Variant(n)}});
    auto rs = db->OpenRecordset("Detail", engine::dbOpenTable);
    rs->setIndex("DCLNOIndex");
    rs->Seek("=", {Variant(std::int16_t{17})});
    EXPECT_FALSE(rs->NoMatch());
    rs->Seek("=", {Variant("3")});
    EXPECT_FALSE(rs->NoMatch());
    EXPECT_EQ(errorOf([&] { rs->Seek("=", {Variant("x")}); }), err::TypeMismatchInCriteria);
}

} // namespace
