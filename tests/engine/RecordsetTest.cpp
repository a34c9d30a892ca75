// Table-type cursors and dynasets.

#include "EngineFixture.h"

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

class Recordsets : public EngineTest {
protected:
    void SetUp() override {
        db = create("rs.mdb");
        makeTable(db, "CGT",
                  {{"DCLNO", engine::dbDouble},
                   {"AssetNum", engine::dbInteger},
                   {"Label", engine::dbText, 20}},
                  {"DCLNOIndex:DCLNO"});
    }
    void add(double client, int asset) {
        addRow(db, "CGT",
               {{"DCLNO", Variant(client)},
                {"AssetNum", Variant(std::int16_t(asset))},
                {"Label", Variant(std::to_string(int(client)) + "/" + std::to_string(asset))}});
    }
    engine::DatabasePtr db;
};

TEST_F(Recordsets, AnEmptyTableHasNoCurrentRow) {
    auto rs = db->OpenRecordset("CGT", engine::dbOpenTable);
    EXPECT_TRUE(rs->Eof());
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(errorOf([&] { rs->MoveLast(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->MoveFirst(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->Fields("DCLNO").Value(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->Edit(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->Update(); }), err::UpdateWithoutAddNewOrEdit);
    EXPECT_EQ(errorOf([&] { rs->Fields("Missing"); }), err::ItemNotFound);
}

TEST_F(Recordsets, WalksInIndexOrderToEof) {
    add(17, 1);
    add(3, 1);
    add(17, 2);
    auto rs = db->OpenRecordset("CGT", engine::dbOpenTable);
    rs->setIndex("DCLNOIndex");
    rs->MoveLast();
    EXPECT_EQ(rs->Fields("Label").Value(), Variant("17/2"));
    rs->MoveFirst();
    EXPECT_EQ(rs->RecordCount(), 3);
    std::vector<Variant> labels;
    const int label = rs->fieldOrdinal("label");
    while (!rs->Eof()) {
        labels.push_back(rs->Fields(label).Value());
        rs->MoveNext();
    }
    EXPECT_EQ(labels, (std::vector<Variant>{Variant("3/1"), Variant("17/1"), Variant("17/2")}));
    EXPECT_EQ(errorOf([&] { rs->Fields(label).Value(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), err::NoCurrentRecord);
    rs->MovePrevious();
    EXPECT_EQ(rs->Fields(label).Value(), Variant("17/2"));
}

TEST_F(Recordsets, SeesWhatExecuteChangedAfterItOpened) {
    add(1, 1);
    auto rs = db->OpenRecordset("CGT", engine::dbOpenTable);
    rs->setIndex("DCLNOIndex");
    db->Execute("UPDATE CGT SET Label = 'changed' WHERE DCLNO = 1");
    EXPECT_EQ(rs->Fields("Label").Value(), Variant("changed"));
    db->Execute("INSERT INTO CGT (DCLNO, AssetNum) VALUES (2, 1)");
    EXPECT_EQ(rs->RecordCount(), 2);
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("DCLNO").Value(), Variant(2.0));
    db->Execute("DELETE *FROM CGT");
    EXPECT_EQ(errorOf([&] { rs->Fields("DCLNO").Value(); }), err::RecordDeleted);
    EXPECT_EQ(rs->RecordCount(), 0);
}

// The capital-gains clean-up deletes the current row and renumbers the rows after it
// with statements, then moves on.
TEST_F(Recordsets, MoveNextAfterExecuteDeletedTheCurrentRowGoesOnInIndexOrder) {
    add(17, 1);
    add(5, 1);
    add(17, 2);
    add(17, 3);
    add(20, 1);
    auto rs = db->OpenRecordset("CGT", engine::dbOpenTable);
    rs->setIndex("DCLNOIndex");
    rs->Seek("=", {Variant(17.0)});
    rs->MoveNext(); // 17/2
    db->Execute("DELETE *FROM [CGT]  WHERE [AssetNum] = 2 AND DCLNO = 17");
    db->Execute("UPDATE [CGT]  SET [AssetNum] =2 WHERE [AssetNum] = 3 AND DCLNO = 17");
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("AssetNum").Value(), Variant(std::int16_t{2})); // read as left
    EXPECT_EQ(rs->Fields("Label").Value(), Variant("17/3"));
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("DCLNO").Value(), Variant(20.0));
}

TEST_F(Recordsets, AfterDeleteTheNextMoveGoesToTheFollowingRow) {
    add(1, 1);
    add(2, 1);
    auto rs = db->OpenRecordset("CGT", engine::dbOpenTable);
    rs->Delete();
    EXPECT_EQ(errorOf([&] { rs->Fields("DCLNO").Value(); }), err::RecordDeleted);
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("DCLNO").Value(), Variant(2.0));
}

TEST_F(Recordsets, AnEditedRowKeepsItsPlaceByItsNewKey) {
    add(1, 1);
    add(2, 1);
    add(3, 1);
    auto rs = db->OpenRecordset("CGT", engine::dbOpenTable);
    rs->setIndex("DCLNOIndex");
    rs->Edit();
    rs->Fields("DCLNO").setValue(Variant(2.5));
    rs->Update();
    EXPECT_EQ(rs->Fields("DCLNO").Value(), Variant(2.5));
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("DCLNO").Value(), Variant(3.0));
    // A move cancels a pending edit.
    rs->Edit();
    rs->Fields("Label").setValue(Variant("lost"));
    rs->MoveFirst();
    EXPECT_EQ(rs->EditMode(), engine::dbEditNone);
    EXPECT_EQ(column(db, "CGT", "Label", "DCLNOIndex").back(), Variant("3/1"));
}

TEST_F(Recordsets, AddNewLeavesTheCurrentRowWhereItWas) {
    add(1, 1);
    auto rs = db->OpenRecordset("CGT", engine::dbOpenTable);
    rs->AddNew();
    rs->Fields("DCLNO").setValue(Variant(9.0));
    EXPECT_EQ(rs->Fields("DCLNO").Value(), Variant(9.0));
    rs->Update();
    EXPECT_EQ(rs->Fields("DCLNO").Value(), Variant(1.0));
    EXPECT_EQ(rs->RecordCount(), 2);
}

TEST_F(Recordsets, DynasetRowsAreFixedWhenItOpens) {
    add(1, 1);
    add(2, 1);
    add(3, 1);
    auto rs = db->OpenRecordset("SELECT DCLNO, Label FROM [CGT] WHERE [DCLNO] >1 ORDER BY DCLNO;");
    EXPECT_EQ(rs->Type(), engine::dbOpenDynaset);
    EXPECT_EQ(rs->RecordCount(), 1); // rows reached so far
    db->Execute("INSERT INTO CGT (DCLNO) VALUES (4)");
    db->Execute("UPDATE CGT SET Label = 'new' WHERE DCLNO = 2");
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Fields("DCLNO").Value(), Variant(3.0));
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields("Label").Value(), Variant("2/1"));
    EXPECT_EQ(errorOf([&] { rs->AddNew(); }), err::ReadOnly);
    EXPECT_EQ(errorOf([&] { rs->setIndex("DCLNOIndex"); }), err::OperationNotSupported);

    auto empty = db->OpenRecordset("SELECT DCLNO FROM CGT WHERE DCLNO > 100");
    EXPECT_TRUE(empty->Eof());
    EXPECT_EQ(errorOf([&] { empty->MoveLast(); }), err::NoCurrentRecord);
}

TEST_F(Recordsets, DynasetColumnsKeepTheirFieldTypes) {
    makeTable(db, "Users", {{"UserName", engine::dbText, 50}, {"LoggedOn", engine::dbBoolean}});
    addRow(db, "Users", {{"UserName", Variant("ann")}, {"LoggedOn", Variant(true)}});
    auto rs = db->OpenRecordset("SELECT UserName, LoggedOn, 1 + 1 AS Two FROM Users");
    EXPECT_EQ(rs->Fields("LoggedOn").Value(), Variant(true));
    EXPECT_EQ(rs->Fields("LoggedOn").Type(), engine::dbBoolean);
    EXPECT_EQ(rs->Fields("Two").Value(), Variant(std::int32_t{2}));
}

TEST_F(Recordsets, OpenRecordsetChoosesTheKindBySource) {
    EXPECT_EQ(db->OpenRecordset("cgt")->Type(), engine::dbOpenTable);
    EXPECT_EQ(db->OpenRecordset("CGT", engine::dbOpenDynaset)->Type(), engine::dbOpenDynaset);
    EXPECT_EQ(errorOf([&] { db->OpenRecordset("Missing", engine::dbOpenTable); }),
              err::ObjectNotFound);
    EXPECT_EQ(errorOf([&] { db->OpenRecordset("SELECT * FROM Missing"); }),
              err::InputTableNotFound);
}

} // namespace
