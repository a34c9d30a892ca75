// Every structure definition over a new file, over a complete file and over older files.
#include "schema/StructureDefinitions.h"

#include "SchemaTestSupport.h"
#include "engine/EngineErrors.h"
#include "schema/SchemaTables.h"
#include "support/ScriptedDesktop.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {

using namespace schema_test;
using schema::TableSpec;

constexpr const char* Locale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

struct Files {
    const TempFolder& folder;
    std::string sys() const { return folder.file("SysAdmin2018.mdb"); }
    std::string pers() const { return folder.file("Qolb2018LAN.mdb"); }
    std::string trust() const { return folder.file("QolbTrust2018Lan.Mdb"); }
    std::string comp() const { return folder.file("QolbCompany2018Lan.Mdb"); }
    std::string transPers() const { return folder.file("TransDB.mdb"); }
    std::string transTrust() const { return folder.file("TransTrustDB.mdb"); }
    std::string transComp() const { return folder.file("TransCompanyDB.mdb"); }
};

std::vector<TableSpec> individualsTables() {
    std::vector<TableSpec> all = schema::individualsMainTables();
    for (const auto* part :
         {&schema::individualsDetailTables(), &schema::individualsExtendedTables()})
        all.insert(all.end(), part->begin(), part->end());
    return all;
}

void makeNetwork(const Files& f) {
    schema::MakeNewDb(f.pers(), f.trust(), f.comp());
}

// One kind of database file: the definition that makes it, where it lies, what it holds.
struct FileKind {
    std::string name;
    std::function<void(const Files&)> make;
    std::function<std::string(const Files&)> path;
    std::function<std::vector<TableSpec>()> tables;
    std::string connect;
};

void PrintTo(const FileKind& k, std::ostream* os) {
    *os << k.name;
}

std::vector<FileKind> fileKinds() {
    return {
        {"System", [](const Files& f) { schema::MakeNewSysDb(f.sys()); },
         [](const Files& f) { return f.sys(); }, schema::systemDbTables, ";pwd=tevo"},
        {"Individuals", makeNetwork, [](const Files& f) { return f.pers(); }, individualsTables,
         ""},
        {"Trust", makeNetwork, [](const Files& f) { return f.trust(); }, schema::trustDbTables, ""},
        {"Company", makeNetwork, [](const Files& f) { return f.comp(); }, schema::companyDbTables,
         ""},
        {"TransferPersonal", [](const Files& f) { schema::MakeTemp_Personal_DB(f.transPers()); },
         [](const Files& f) { return f.transPers(); }, schema::transferPersonalTables, ""},
        {"TransferTrust", [](const Files& f) { schema::MakeTemp_Trust_DB(f.transTrust()); },
         [](const Files& f) { return f.transTrust(); }, schema::transferTrustTables, ""},
        {"TransferCompany", [](const Files& f) { schema::MakeTemp_Company_DB(f.transComp()); },
         [](const Files& f) { return f.transComp(); }, schema::transferCompanyTables, ""},
    };
}

// Table by table, so that a failure names the table and shows both sides.
void expectSameStructure(const Structure& actual, const Structure& expected) {
    std::set<std::string> actualNames, expectedNames;
    for (const auto& [name, shape] : actual)
        actualNames.insert(name);
    for (const auto& [name, shape] : expected)
        expectedNames.insert(name);
    EXPECT_EQ(actualNames, expectedNames);
    for (const auto& [name, shape] : expected) {
        auto it = actual.find(name);
        if (it == actual.end()) continue;
        EXPECT_EQ(it->second.fields, shape.fields) << name;
        EXPECT_EQ(it->second.indexes, shape.indexes) << name;
    }
}

class FileKindTest : public ::testing::TestWithParam<FileKind> {
protected:
    TempFolder folder;
    Files files{folder};
    support::ScriptedDesktop desk; // fails the test on any message box
};

TEST_P(FileKindTest, NewFileHoldsExactlyTheDefinition) {
    const FileKind& kind = GetParam();
    kind.make(files);
    expectSameStructure(readStructure(kind.path(files), kind.connect),
                        expectedStructure(kind.tables()));
}

TEST_P(FileKindTest, SecondRunChangesNothingAndKeepsRows) {
    const FileKind& kind = GetParam();
    kind.make(files);
    const std::string firstTable = kind.tables().front().name;
    {
        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(kind.path(files), false,
                                                                          false, kind.connect);
        auto rs = db->OpenRecordset(firstTable);
        rs->AddNew();
        rs->Fields("In Use").setValue(true);
        rs->Update();
        db->Close();
    }
    const Structure before = readStructure(kind.path(files), kind.connect);

    kind.make(files);

    expectSameStructure(readStructure(kind.path(files), kind.connect), before);
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(kind.path(files), false, true,
                                                                      kind.connect);
    EXPECT_EQ(db->OpenRecordset(firstTable)->RecordCount(), 1);
}

TEST_P(FileKindTest, FolderThatDoesNotExistGivesNoFileAndNoMessage) {
    const FileKind& kind = GetParam();
    TempFolder other;
    Files missing{other};
    std::filesystem::remove_all(std::filesystem::path(missing.sys()).parent_path());
    EXPECT_EQ(errorOf([&] { kind.make(missing); }), 0);
    EXPECT_FALSE(std::filesystem::exists(kind.path(missing)));
    EXPECT_EQ(schema::CurDB(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Definitions, FileKindTest, ::testing::ValuesIn(fileKinds()),
                         [](const auto& info) { return info.param.name; });

// --- older files ---------------------------------------------------------------------

struct OldField {
    std::string name;
    int type;
    int size = 0;
};

struct OldTable {
    std::string name;
    std::vector<OldField> fields;
    std::vector<std::pair<std::string, std::string>> indexes; // name, field
};

// A file as an older edition left it, made straight through the engine.
void makeOldFile(const std::string& path, const std::vector<OldTable>& tables,
                 const std::string& password = "") {
    engine::Workspace& ws = engine::DBEngine::instance().Workspaces(0);
    auto db =
        ws.CreateDatabase(path, std::string(Locale) + (password.empty() ? "" : ";pwd=" + password));
    for (const OldTable& t : tables) {
        auto td = db->CreateTableDef(t.name);
        for (const OldField& f : t.fields)
            td->Fields().Append(td->CreateField(f.name, f.type, f.size));
        for (const auto& [name, field] : t.indexes) {
            auto ix = td->CreateIndex(name);
            ix->Fields().Append(ix->CreateField(field));
            td->Indexes().Append(ix);
        }
        db->TableDefs().Append(td);
    }
    db->Close();
}

engine::DatabasePtr open(const std::string& path, const std::string& connect = "") {
    return engine::DBEngine::instance().Workspaces(0).OpenDatabase(path, false, false, connect);
}

// The field order a definition leaves on an existing table: what was there, less the
// dropped fields, then what was missing in definition order.
std::vector<std::string> upgradedOrder(const std::vector<std::string>& existing,
                                       const TableSpec& spec) {
    std::vector<std::string> out;
    for (const auto& name : existing) {
        bool dropped = std::any_of(spec.fields.begin(), spec.fields.end(), [&](const auto& f) {
            return f.name == name && f.special == schema::SpecialDropField;
        });
        if (!dropped) out.push_back(name);
    }
    for (const auto& f : spec.fields)
        if (f.special != schema::SpecialDropField &&
            std::find(out.begin(), out.end(), f.name) == out.end())
            out.emplace_back(f.name);
    return out;
}

const TableSpec& specOf(const std::vector<TableSpec>& tables, const std::string& name) {
    return *std::find_if(tables.begin(), tables.end(),
                         [&](const auto& t) { return t.name == name; });
}

class OlderFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    Files files{folder};
    support::ScriptedDesktop desk;
};

TEST_F(OlderFileTest, IndividualsFileIsUpgradedInPlace) {
    using namespace engine;
    makeOldFile(files.pers(),
                {{"Qolb2018",
                  {{"DCLNO", dbDouble},
                   {"UserName", dbText, 20}, // another size
                   {"DED9", dbDouble},       // dropped with its data
                   {"Surname", dbText, 50},
                   {"PERS5", dbDouble}}, // another type
                  {{"PERSNUM", "Surname"}, {"OldSurnameIndex", "Surname"}}},
                 {"Qolb2018Cont", {{"DCLNO", dbDouble}, {"TaxFreeDivs", dbDouble}}, {}},
                 {"PFCC", {{"DCLNO", dbDouble}}, {}},
                 {"Notes", {{"Text", dbText, 10}}, {}}});
    {
        auto db = open(files.pers());
        db->Execute("INSERT INTO Qolb2018 (DCLNO, UserName, DED9, Surname, PERS5) "
                    "VALUES (7, 'ann', 12.5, 'Smith', 3.5)");
        db->Execute("INSERT INTO Notes ([Text]) VALUES ('kept')");
        db->Close();
    }

    makeNetwork(files);

    const Structure s = readStructure(files.pers());
    const auto all = individualsTables();
    const TableShape& main = s.at("Qolb2018");
    EXPECT_EQ(main.fieldNames(), upgradedOrder({"DCLNO", "UserName", "DED9", "Surname", "PERS5"},
                                               specOf(all, "Qolb2018")));
    EXPECT_EQ(main.fieldNames()[4], "In Use"); // named again by the definition: appended
    EXPECT_EQ(main.fields.back().name, "Employee4040");
    EXPECT_EQ(main.field("DED9"), nullptr);
    EXPECT_EQ(main.field("UserName")->size, 20);
    EXPECT_EQ(main.field("PERS5")->type, dbDouble);
    EXPECT_EQ(main.indexes, (std::vector<IndexShape>{
                                index("OldSurnameIndex", "Surname"), index("PERSNUM", "DCLNO"),
                                index("RefNo", "ControlNum"), index("UserNameIndex", "UserName"),
                                index("indxIDNumSelf", "IDNumSelf"), index("indxIT12", "IT12"),
                                index("indxSurname", "Surname"), index("indxTAxRefNo", "PERS3")}));

    // Only a new field gets the default and the required rule.
    EXPECT_EQ(*s.at("Qolb2018Cont").field("TaxFreeDivs"), field("TaxFreeDivs", dbDouble));
    // PFCC is not among the tables that name In Use again.
    EXPECT_EQ(s.at("PFCC").fieldNames(),
              (std::vector<std::string>{"DCLNO", "Pension fund (total contributions)",
                                        "Employer contrib", "Total contrib"}));
    EXPECT_EQ(s.at("Notes").fieldNames(), std::vector<std::string>{"Text"});

    auto db = open(files.pers());
    auto rs =
        db->OpenRecordset("SELECT DCLNO, UserName, Surname, PERS5, Employee4040 FROM Qolb2018");
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Fields("DCLNO").Value(), runtime::Variant(7.0));
    EXPECT_EQ(rs->Fields("UserName").Value(), runtime::Variant("ann"));
    EXPECT_EQ(rs->Fields("Surname").Value(), runtime::Variant("Smith"));
    EXPECT_EQ(rs->Fields("PERS5").Value(), runtime::Variant(3.5));
    EXPECT_TRUE(rs->Fields("Employee4040").Value().isNull());
    EXPECT_EQ(db->OpenRecordset("Notes")->RecordCount(), 1);
}

// Each table that names In Use again gains it at its end; the others stay without it.
struct InUseCase {
    std::string kind; // FileKind name
    std::string table;
    bool gainsInUse;
};

void PrintTo(const InUseCase& c, std::ostream* os) {
    *os << c.kind << " " << c.table;
}

class InUseTest : public OlderFileTest, public ::testing::WithParamInterface<InUseCase> {};

TEST_P(InUseTest, OlderTableWithoutInUse) {
    const InUseCase& c = GetParam();
    const auto kinds = fileKinds();
    const FileKind kind = *std::find_if(kinds.begin(), kinds.end(),
                                        [&](const FileKind& k) { return k.name == c.kind; });
    const auto tables = kind.tables();
    const TableSpec& spec = specOf(tables, c.table);
    const schema::FieldSpec first = schema::createdFields(spec)[1];
    makeOldFile(
        kind.path(files),
        {{c.table, {{std::string(first.name), static_cast<int>(first.type), first.size}}, {}}},
        c.kind == "System" ? "tevo" : "");

    kind.make(files);

    const auto names = readStructure(kind.path(files), kind.connect).at(c.table).fieldNames();
    EXPECT_EQ(names.front(), first.name);
    EXPECT_EQ(std::count(names.begin(), names.end(), "In Use"), c.gainsInUse ? 1 : 0);
    if (c.gainsInUse) {
        EXPECT_EQ(names[1], "In Use");
    }
    EXPECT_EQ(names.size(), schema::createdFields(spec).size() - (c.gainsInUse ? 0 : 1));
}

INSTANTIATE_TEST_SUITE_P(Definitions, InUseTest,
                         ::testing::Values(InUseCase{"Individuals", "Qolb2018", true},
                                           InUseCase{"Individuals", "Qolb2018Cont", true},
                                           InUseCase{"Individuals", "CARALL", true},
                                           InUseCase{"Individuals", "IRP5CodeChecker", true},
                                           InUseCase{"Individuals", "DefInvOpt", true},
                                           InUseCase{"Company", "CompanyDetails", true},
                                           InUseCase{"TransferPersonal", "Qolb2018Cont", true},
                                           InUseCase{"TransferPersonal", "CARALL", true},
                                           InUseCase{"TransferCompany", "CompanyDetails", true},
                                           InUseCase{"System", "DefInvOpt", false},
                                           InUseCase{"Individuals", "LumpSums", false},
                                           InUseCase{"Trust", "TRUSTDetails", false},
                                           InUseCase{"Company", "Adjustments", false},
                                           InUseCase{"TransferPersonal", "PropRentDetails", false}),
                         [](const auto& info) { return info.param.kind + "_" + info.param.table; });

// --- the system file and errors that end a run --------------------------------------

TEST_F(OlderFileTest, SystemFileHasThePasswordAndRefusesAnother) {
    schema::MakeNewSysDb(files.sys());
    EXPECT_EQ(errorOf([&] { open(files.sys())->Close(); }), engine::err::InvalidPassword);
    EXPECT_EQ(errorOf([&] { open(files.sys(), ";pwd=tevo")->Close(); }), 0);

    // An existing file is taken exclusively, and this program can still open it again.
    schema::MakeNewSysDb(files.sys());
    EXPECT_TRUE(schema::CurDB()->isExclusive());
    EXPECT_EQ(errorOf([&] {
                  engine::DBEngine::instance()
                      .Workspaces(0)
                      .OpenDatabase(files.sys(), true, false, ";pwd=tevo")
                      ->Close();
              }),
              0);

    const std::string other = folder.file("Other.mdb");
    makeOldFile(other, {{"Keep", {{"A", engine::dbDouble}}, {}}}, "secret");
    EXPECT_EQ(errorOf([&] { schema::MakeNewSysDb(other); }), engine::err::InvalidPassword);
    EXPECT_EQ(readStructure(other, ";pwd=secret").size(), 1u);
}

TEST_F(OlderFileTest, FileHeldElsewhereEndsTheRunWithTheEnginesError) {
    makeOldFile(files.pers(), {{"Qolb2018", {{"DCLNO", engine::dbDouble}}, {}}});
    makeOldFile(files.trust(), {{"TRUSTDetails", {{"TDCLNO", engine::dbDouble}}, {}}});
    {
        engine::ScopedOpenFault held(files.trust(), engine::err::FileInUse);
        EXPECT_EQ(errorOf([&] { makeNetwork(files); }), engine::err::FileInUse);
    }
    // The individuals file was finished before the trust file was reached; the trust file
    // is as it was, and the run never reached the company file.
    EXPECT_EQ(readStructure(files.pers()).size(), individualsTables().size());
    EXPECT_EQ(readStructure(files.trust()).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(files.comp()));
}

TEST_F(OlderFileTest, RunIntoMissingFolderLeavesThePreviousFileAlone) {
    schema::MakeNewSysDb(files.sys());
    const Structure before = readStructure(files.sys(), ";pwd=tevo");
    schema::MakeTemp_Personal_DB(folder.file("missing/TransDB.mdb"));
    EXPECT_EQ(readStructure(files.sys(), ";pwd=tevo"), before);
}

} // namespace
