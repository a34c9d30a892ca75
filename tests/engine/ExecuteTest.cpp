// Database.Execute: the Jet forms the system writes, IN 'path', conversions, atomicity.

#include "EngineFixture.h"

#include <sqlite3.h>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

// The same statements run outside and inside a workspace transaction (which takes another
// way to the IN target), so both ways are held to the same rules.
class Execute : public EngineTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        // Last year's file: the source tables, with a name holding an apostrophe.
        source = create("last year's.mdb");
        makeTable(source, "CGTSaleCost",
                  {{"Sale costs Details", engine::dbText, 50},
                   {"Cost", engine::dbDouble},
                   {"CGTAsset Number", engine::dbDouble},
                   {"DCLNO", engine::dbDouble}});
        makeTable(source, "Qolb2017",
                  {{"DCLNO", engine::dbDouble}, {"MPERSDECEASED", engine::dbInteger}});
        // This year's file has tables of the same names, holding other rows.
        target = create("this year.mdb");
        makeTable(target, "CGTSaleCost",
                  {{"Sale costs Details", engine::dbText, 8},
                   {"Cost", engine::dbDouble},
                   {"CGTAsset Number", engine::dbDouble},
                   {"DCLNO", engine::dbDouble}});
        makeTable(target, "Qolb2017",
                  {{"DCLNO", engine::dbDouble}, {"MPERSDECEASED", engine::dbInteger}});
        makeTable(target, "Kinds",
                  {{"Code", engine::dbText, 10},
                   {"Started", engine::dbDate},
                   {"Flag", engine::dbBoolean},
                   {"N", engine::dbInteger}});
        addRow(target, "Qolb2017", {{"DCLNO", Variant(17.0)}, {"MPERSDECEASED", Variant(1.0)}});
        addRow(source, "Qolb2017", {{"DCLNO", Variant(17.0)}, {"MPERSDECEASED", Variant(0.0)}});
        for (double asset : {3.0, 1.0, 2.0})
            addRow(source, "CGTSaleCost",
                   {{"Sale costs Details", Variant("cost " + std::to_string(int(asset)))},
                    {"Cost", Variant(asset * 10)},
                    {"CGTAsset Number", Variant(asset)},
                    {"DCLNO", Variant(17.0)}});
        if (GetParam()) ws().BeginTrans();
    }
    void TearDown() override {
        if (ws().inTransaction()) ws().CommitTrans();
    }
    std::string copyStatement(const std::string& targetPath, const std::string& tail = "") {
        return "INSERT INTO CGTSaleCost([Sale costs Details], Cost, [CGTAsset Number], DCLNO) IN "
               "'" +
               targetPath +
               "' SELECT [Sale costs Details], Cost, [CGTAsset Number], CGTSaleCost.DCLNO From "
               "CGTSaleCost LEFT JOIN Qolb2017 ON CGTSaleCost.DCLNO = Qolb2017.DCLNO WHERE "
               "Qolb2017.MPERSDECEASED = 0 AND CGTSaleCost.dclno =17 " +
               tail;
    }
    engine::DatabasePtr source, target;
};

TEST_P(Execute, InsertInPathWritesTheTargetFileInOrderBy) {
    // Unqualified names resolve in last year's file although this year's has the same tables
    // (there client 17 is marked deceased and would select nothing).
    source->Execute(copyStatement(path("this year.mdb"), "ORDER BY [CGTAsset Number];"));
    EXPECT_EQ(source->RecordsAffected(), 3);
    EXPECT_EQ(column(target, "CGTSaleCost", "CGTAsset Number"),
              (std::vector<Variant>{Variant(1.0), Variant(2.0), Variant(3.0)}));
    EXPECT_EQ(column(source, "CGTSaleCost", "Cost").size(), 3u);
}

TEST_P(Execute, InsertInPathIntoTheSameFileAndIntoAFileWithAnApostrophe) {
    makeTable(target, "Copy", {{"V", engine::dbDouble}});
    target->Execute("INSERT INTO Copy (V) IN '" + path("this year.mdb") +
                    "' SELECT DCLNO FROM Qolb2017");
    EXPECT_EQ(column(target, "Copy", "V"), std::vector<Variant>{Variant(17.0)});
    target->Execute("INSERT INTO Qolb2017 (DCLNO, MPERSDECEASED) IN '" + path("last year's.mdb") +
                    "' SELECT 99, 0 FROM Qolb2017");
    EXPECT_EQ(column(source, "Qolb2017", "DCLNO"),
              (std::vector<Variant>{Variant(17.0), Variant(99.0)}));
}

TEST_P(Execute, AMissingTargetFileIsReportedAndNotCreated) {
    const std::string missing = path("nowhere.mdb");
    EXPECT_EQ(errorOf([&] { source->Execute(copyStatement(missing)); }), err::FileNotFound);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(errorOf([&] { source->Execute(copyStatement(path("no folder/x.mdb"))); }),
              err::InvalidPath);
}

TEST_P(Execute, ValuesAreConvertedToTheTargetFieldsType) {
    target->Execute(
        "INSERT INTO Kinds (Code, Started, Flag, N) SELECT 0, '', 1, 2.5 FROM Qolb2017");
    target->Execute("INSERT INTO Kinds (Code, Started, Flag, N) IN '" + path("this year.mdb") +
                    "' SELECT MPERSDECEASED, '42795', DCLNO, DCLNO FROM Qolb2017");
    auto rs = target->OpenRecordset("Kinds", engine::dbOpenTable);
    EXPECT_EQ(rs->Fields("Code").Value(), Variant("0"));
    EXPECT_TRUE(rs->Fields("Started").Value().isNull());
    EXPECT_EQ(rs->Fields("Flag").Value(), Variant(true));
    EXPECT_EQ(rs->Fields("N").Value(), Variant(std::int16_t{2}));
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("Code").Value(), Variant("1"));
    EXPECT_EQ(rs->Fields("Started").Value(), Variant::date(42795));
    EXPECT_EQ(rs->Fields("N").Value(), Variant(std::int16_t{17}));
}

TEST_P(Execute, AStatementAppliesWholeOrRaisesItsError) {
    // "cost 1" .. "cost 3" fit the 8 characters of this year's field; a longer one does not.
    source->Execute("UPDATE CGTSaleCost SET CGTSaleCost.[Sale costs Details] = 'a longer text' "
                    "WHERE [CGTAsset Number] = 2");
    EXPECT_EQ(errorOf([&] { source->Execute(copyStatement(path("this year.mdb"))); }),
              err::FieldTooSmall);
    EXPECT_TRUE(column(target, "CGTSaleCost", "Cost").empty());
    EXPECT_EQ(errorOf([&] { target->Execute("UPDATE Kinds SET N = 1"); }), 0);
    addRow(target, "Kinds", {{"N", Variant(1.0)}});
    addRow(target, "Kinds", {{"N", Variant(30000.0)}});
    EXPECT_EQ(errorOf([&] { target->Execute("UPDATE Kinds SET N = N + 10000"); }),
              err::NumericOverflow);
    EXPECT_EQ(column(target, "Kinds", "N"),
              (std::vector<Variant>{Variant(std::int16_t{1}), Variant(std::int16_t{30000})}));
}

TEST_P(Execute, TheFormsTheSystemWrites) {
    makeTable(target, "TRUSTIncExpend",
              {{"TDCLNO", engine::dbDouble}, {"ItemiseRentalInc", engine::dbInteger}});
    addRow(target, "TRUSTIncExpend", {{"TDCLNO", Variant(17.0)}});
    target->Execute("UPDATE TRUSTIncExpend SET TRUSTIncExpend.ItemiseRentalInc = 1 WHERE "
                    "TRUSTIncExpend.TDCLNO = 17");
    EXPECT_EQ(column(target, "TRUSTIncExpend", "ItemiseRentalInc"),
              std::vector<Variant>{Variant(std::int16_t{1})});
    target->Execute("UPDATE [TRUSTIncExpend]  SET [TDCLNO] =100058 WHERE [TDCLNO] = 17");
    EXPECT_EQ(target->RecordsAffected(), 1);
    target->Execute("UPDATE [TRUSTIncExpend]  SET [TDCLNO] =5 WHERE [TDCLNO] = 17");
    EXPECT_EQ(target->RecordsAffected(), 0);
    target->Execute("DELETE *FROM [TRUSTIncExpend]");
    EXPECT_TRUE(column(target, "TRUSTIncExpend", "TDCLNO").empty());
    EXPECT_EQ(errorOf([&] { target->Execute("SELECT * FROM Kinds"); }), err::CannotExecuteSelect);
    EXPECT_EQ(errorOf([&] { target->Execute("DELETE *FROM NoSuchTable"); }),
              err::InputTableNotFound);
    std::string deep = "DELETE *FROM Kinds WHERE N = 0";
    for (int i = 1; i < 1200; ++i)
        deep += " OR N = " + std::to_string(i);
    EXPECT_EQ(errorOf([&] { target->Execute(deep); }), err::QueryTooComplex);
}

// Parameters: the file of `IN ?` and the values reach SQLite bound, so a path that would end
// a quoted one early (an apostrophe before " SELECT") and a text value go in whole, into the
// same file or another, and their number must be the text's.
TEST_P(Execute, ParametersBindThePathAndTheValues) {
    const std::string awkward = path("o' SELECT 'x.mdb");
    create("o' SELECT 'x.mdb")->Close();
    auto other = ws().OpenDatabase(awkward);
    makeTable(other, "CGTSaleCost",
              {{"Sale costs Details", engine::dbText, 50},
               {"Cost", engine::dbDouble},
               {"CGTAsset Number", engine::dbDouble},
               {"DCLNO", engine::dbDouble}});
    const std::string copy =
        "INSERT INTO CGTSaleCost ([Sale costs Details], Cost, [CGTAsset Number], DCLNO) IN ? "
        "SELECT ?, Cost, [CGTAsset Number], ? FROM CGTSaleCost WHERE DCLNO = ? AND Cost > ?";
    const struct {
        std::string target;
        engine::DatabasePtr* holder;
    } targets[] = {{awkward, &other}, {path("last year's.mdb"), &source}};
    for (const auto& t : targets) {
        SCOPED_TRACE(t.target);
        source->Execute(copy, {Variant(t.target), Variant("it's"), Variant(40.0), Variant(17.0),
                               Variant(15.0)});
        EXPECT_EQ(source->RecordsAffected(), 2);
        auto rs = (*t.holder)->OpenRecordset(
            "SELECT * FROM CGTSaleCost WHERE DCLNO = 40 ORDER BY Cost", engine::dbOpenDynaset);
        EXPECT_EQ(rs->Fields("Sale costs Details").Value(), Variant("it's"));
        EXPECT_EQ(rs->Fields("Cost").Value(), Variant(20.0));
    }
    source->Execute("DELETE * FROM CGTSaleCost WHERE DCLNO = ?", {Variant(40.0)});
    EXPECT_EQ(source->RecordsAffected(), 2);

    const struct {
        std::vector<Variant> parameters;
        int error;
    } wrong[] = {
        {{Variant(awkward), Variant("a"), Variant(1.0), Variant(17.0)}, err::TooFewParameters},
        {{Variant(awkward), Variant("a"), Variant(1.0), Variant(17.0), Variant(1.0), Variant(1.0)},
         err::TooFewParameters},
        {{Variant(40.0), Variant("a"), Variant(1.0), Variant(17.0), Variant(1.0)},
         err::InvalidArgument},
    };
    for (const auto& w : wrong)
        EXPECT_EQ(errorOf([&] { source->Execute(copy, w.parameters); }), w.error);
    EXPECT_EQ(errorOf([&] { source->Execute(copy); }), err::TooFewParameters);
    EXPECT_TRUE(column(other, "CGTSaleCost", "Cost").size() == 2);
}

// "+" joins texts as Jet's does; the other operators follow the runtime's rules too, and a
// text that is no number is refused with Jet's number rather than counted as 0.
TEST_P(Execute, OperatorsHaveJetsMeaning) {
    makeTable(target, "R",
              {{"T", engine::dbText, 20},
               {"Num", engine::dbText, 5},
               {"Z", engine::dbText, 5},
               {"N", engine::dbLong},
               {"OutT", engine::dbText, 20},
               {"OutD", engine::dbDouble}});
    addRow(target, "R", {{"T", Variant("ab")}, {"Num", Variant("12")}, {"N", Variant(5)}});
    const struct {
        const char* set;
        Variant value;
        int error = 0;
    } cases[] = {
        {"OutT = T + 'y'", Variant("aby")},
        {"OutT = T + Num + T", Variant("ab12ab")},
        {"OutT = T + Z", Variant::null()},
        {"OutD = Num + N", Variant(17.0)},
        {"OutD = Z + N", Variant::null()},
        {"OutD = N - Num", Variant(-7.0)},
        {"OutD = -N * 2 / 4", Variant(-2.5)},
        {"OutD = 1 + 2 * 3", Variant(7.0)},
        {"OutD = (N > 1) + 1", Variant(0.0)},
        {"OutD = N = 5", Variant(-1.0)},
        {"OutD = Z = 5", Variant::null()},
        {"OutT = T + N", {}, err::TypeMismatchInCriteria},
        {"OutD = T * 2", {}, err::TypeMismatchInCriteria},
        {"OutD = -T", {}, err::TypeMismatchInCriteria},
        {"OutD = N / 0", {}, runtime::err::DivisionByZero},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        target->Execute("UPDATE R SET OutT = NULL, OutD = NULL");
        const std::string field = std::string(c.set).substr(0, 4);
        const int error = errorOf([&] { target->Execute(std::string("UPDATE R SET ") + c.set); });
        EXPECT_EQ(error, c.error);
        if (!c.error) {
            EXPECT_EQ(column(target, "R", field), std::vector<Variant>{c.value});
        }
    }
    auto rs =
        target->OpenRecordset("SELECT T + 'y' AS J, T + Z AS K FROM R", engine::dbOpenDynaset);
    EXPECT_EQ(rs->Fields("J").Value(), Variant("aby"));
    EXPECT_TRUE(rs->Fields("K").Value().isNull());
}

// The error keeps the statement and SQLite's code beside Jet's number and unchanged text;
// and a message that happens to look like the engine's own is taken for what it is.
TEST_P(Execute, ErrorsKeepTheStatementAndSqlitesCode) {
    addRow(target, "Kinds", {{"N", Variant(1)}});
    try {
        target->Execute("UPDATE Kinds SET Code = 'longer than ten'");
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), err::FieldTooSmall);
        EXPECT_EQ(e.text(), engine::engineErrorMessage(err::FieldTooSmall));
        EXPECT_NE(e.statement().find("UPDATE \"Kinds\""), std::string::npos) << e.statement();
        EXPECT_NE(e.sqliteCode(), 0);
    }
    try {
        target->Execute("DELETE *FROM [JET:3022:x]");
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), err::InputTableNotFound);
        EXPECT_EQ(e.text(), engine::engineErrorMessage(err::InputTableNotFound, "JET:3022:x"));
        EXPECT_EQ(e.statement(), R"(DELETE FROM "JET:3022:x")");
        EXPECT_EQ(e.sqliteCode(), SQLITE_ERROR);
    }
    try {
        target->Execute("INSERT INTO Kinds (N) VALUES (NULL + )");
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), err::SyntaxErrorInExpression);
        EXPECT_EQ(e.statement(), "INSERT INTO Kinds (N) VALUES (NULL + )");
        EXPECT_EQ(e.sqliteCode(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(OutsideAndInsideTransaction, Execute, ::testing::Bool());

} // namespace
