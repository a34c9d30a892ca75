// Carrying an individual's Qolb2018 and IRP5IncDed rows into this year's file: every field
// of both new rows against what it must hold (carried, renamed, a constant, or left as a new
// row has it), with last year's values present or Null, under both ways of numbering, with
// and without a certificate row last year; and a value or field that does not fit names
// the field and adds nothing.
#include "transfer/IndividualCarry.h"

#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "runtime/Constants.h"
#include "schema/SchemaTables.h"
#include "support/DatabaseFile.h"
#include "support/LastYearTables.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>

namespace {

using runtime::Variant;
using schema::FieldType;
using Values = std::map<std::string, Variant>;

constexpr double kLastYearNo = 7;

const schema::TableSpec& specOf(const std::vector<schema::TableSpec>& tables,
                                const std::string& name) {
    return *std::ranges::find(tables, name, &schema::TableSpec::name);
}

std::vector<schema::FieldSpec> thisYearFields(const std::string& table) {
    for (const auto* part : {&schema::individualsMainTables(), &schema::individualsDetailTables()})
        if (std::ranges::find(*part, table, &schema::TableSpec::name) != part->end())
            return schema::createdFields(specOf(*part, table));
    return {};
}

// A value of the field's own type, as the file reads it back.
Variant typed(FieldType type, double n, const std::string& text = "") {
    switch (type) {
    case FieldType::Boolean:
        return Variant(n != 0);
    case FieldType::Integer:
        return Variant(static_cast<std::int16_t>(n));
    case FieldType::Date:
        return Variant::date(n);
    case FieldType::Text:
    case FieldType::Memo:
        return Variant(text);
    default:
        return Variant(n);
    }
}

// Last year's row with a value of its own in every field, each text filled to its size.
support::Row fullRow(const std::string& table) {
    support::Row row;
    int i = 0;
    for (const schema::FieldSpec& f :
         schema::createdFields(specOf(support::lastYearIndividualsTables(), table))) {
        std::string text;
        const std::size_t size = f.type == FieldType::Memo ? 1500 : std::size_t(f.size);
        while (text.size() < size)
            text += std::string(f.name) + "~";
        text.resize(size);
        row.emplace_back(std::string(f.name),
                         typed(f.type, 100 + i++ + 0.25 * (f.type != FieldType::Integer), text));
    }
    for (auto& [field, value] : row)
        if (field == "DCLNO")
            value = kLastYearNo;
        else if (field == "PERS5")
            value = std::int16_t{41};
    return row;
}

Values valuesOf(const support::Row& row) {
    return Values(row.begin(), row.end());
}

Variant lastYears(const Values& source, const std::string& field) {
    auto it = source.find(field);
    return it == source.end() ? Variant::null() : it->second;
}

// What a new row holds in a field the carry leaves alone.
Variant untouched(FieldType type) {
    return type == FieldType::Boolean ? Variant(false) : Variant::null();
}

// The value a field the new year starts afresh gets, by its type: 0, False, "" or no date.
Variant reset(FieldType type) {
    return typed(type, type == FieldType::Date ? runtime::NoDateValue : 0);
}

// How each field of a new row is expected to be made. Fields named nowhere are reset.
struct RowRules {
    std::set<std::string> carried;              // last year's field of the same name
    std::map<std::string, std::string> renamed; // field <- last year's field
    std::set<std::string> untouched;            // as a new row has it
};

const RowRules& mainRules() {
    static const RowRules rules = [] {
        RowRules r;
        r.carried = {"Surname",
                     "PERS2",
                     "PERS3",
                     "DESC",
                     "Note",
                     "FNameSelf",
                     "FNameSpouse",
                     "IDNumSelf",
                     "IDNumSpouse",
                     "First2Names",
                     "SelfPAYE",
                     "SpouseTaxRefNum",
                     "DateOfBirth",
                     "TelHome",
                     "TelWork",
                     "TaxRetOffice",
                     "CelPhone",
                     "Email75",
                     "ProvTaxPayer",
                     "MarriageDet",
                     "Language",
                     "TypeAcc",
                     "BranchNumber",
                     "AccHolderName",
                     "AccNumber",
                     "BankName",
                     "IT12",
                     "TPStatus",
                     "TPAssociatedWith",
                     "SARSOfficeCode",
                     "ICGT",
                     "ITPropRent",
                     "RetireDeathBefore"};
        for (int i = 1; i <= 4; ++i)
            r.carried.insert({"ResAdd" + std::to_string(i), "PostAdd" + std::to_string(i)});
        for (int i = 0; i <= 14; ++i)
            r.carried.insert("ASS" + std::to_string(i));
        for (int i = 0; i <= 4; ++i)
            r.carried.insert("LIAB" + std::to_string(i));
        r.renamed = {{"CarryOverCapGainPrev", "CarryOverCapGain"},
                     {"ExcessRAPremsPrevYear", "ExcessRAPremsNextYear"}};
        r.untouched = {"In Use", "Email", "ControlNum"};
        return r;
    }();
    return rules;
}

const RowRules& certificateRules() {
    static const RowRules rules = [] {
        RowRules r;
        for (int year = 2010; year <= 2017; ++year)
            for (const char* sum :
                 {"RetrenchmentLumps", "RRExGrtCTY0204", "RetireDeathAfter", "FstLumpTaken"})
                r.carried.insert(sum + std::to_string(year));
        r.untouched = {"In Use", "RetrenchmentLumps", "FstLumpTaken", "CertNo", "MCode3699"};
        return r;
    }();
    return rules;
}

struct Numbered {
    std::optional<double> newNumber;
    double written() const { return newNumber.value_or(kLastYearNo); }
};

// The fields whose values are neither carried nor the reset of their type.
Values mainConstants(const Values& source, const Numbered& n) {
    const Variant pers5 = lastYears(source, "PERS5");
    return {
        {"DCLNO", n.written()},
        {"PERS5", pers5.isNull() ? pers5 : Variant(std::int16_t(pers5.rawInt() + 1))},
        {"INT", n.newNumber ? 0.0 : 15.0},
        {"PERS9", 42795.0},
        {"PERS10", 43159.0},
        {"PhysDisText", " "},
        {"DateAssSub", Variant::date(-36523)},
        {"DateAssRet", Variant::date(-36523)},
        {"DateExtension", Variant::date(-36523)},
        {"LoanThreshold", 3000.0},
        {"BFAlreadyDone", "Yes"},
        {"DateLastSaved", Variant::date(0)}, // free, as the import's end leaves it
    };
}

// MaxNum: the import of one client marks every new row 1; the import of all of them marks
// whether last year held the client's row.
Values certificateConstants(const Numbered& n, transfer::ImportScope scope, bool heldLastYear) {
    const bool marked = scope == transfer::ImportScope::OneClient || heldLastYear;
    return {{"DCLNO", n.written()},
            {"MaxNum", static_cast<std::int16_t>(marked ? 1 : 0)},
            {"EmpSource", " "},
            {"CertNo_1", " "}};
}

// The whole new row: constants, then carried and renamed fields, then what is left alone;
// every other field reset.
Values expectedRow(const std::string& table, const RowRules& rules, const Values& constants,
                   const std::optional<Values>& source) {
    Values out;
    for (const schema::FieldSpec& f : thisYearFields(table)) {
        const std::string name(f.name);
        // A client without last year's row starts its carried values at 0.
        auto carried = [&](const std::string& from) {
            return source ? lastYears(*source, from) : typed(f.type, 0);
        };
        if (constants.contains(name))
            out[name] = constants.at(name);
        else if (rules.carried.contains(name))
            out[name] = carried(name);
        else if (rules.renamed.contains(name))
            out[name] = carried(rules.renamed.at(name));
        else if (rules.untouched.contains(name))
            out[name] = untouched(f.type);
        else
            out[name] = reset(f.type);
    }
    return out;
}

std::string shown(const Variant& v) {
    if (v.isNull()) return "Null";
    if (v.isString()) return '"' + v.rawString().substr(0, 20) + '"';
    if (v.type() == runtime::VarType::Boolean) return v.rawBool() ? "True" : "False";
    if (v.type() == runtime::VarType::Integer) return std::to_string(v.rawInt()) + " (Integer)";
    if (v.type() == runtime::VarType::Date) return "day " + std::to_string(v.rawDouble());
    if (v.type() == runtime::VarType::Double) return std::to_string(v.rawDouble());
    return "type " + std::to_string(static_cast<int>(v.type()));
}

void expectRow(engine::Database& db, const std::string& table, const Values& expected) {
    SCOPED_TRACE(table);
    auto rs = db.OpenRecordset(table, engine::dbOpenTable);
    ASSERT_EQ(rs->RecordCount(), 1);
    rs->MoveFirst();
    ASSERT_EQ(static_cast<std::size_t>(rs->FieldCount()), expected.size());
    for (const auto& [field, value] : expected) {
        const Variant got = rs->Fields(field).Value();
        EXPECT_TRUE(got == value) << field << ": " << shown(got) << ", expected " << shown(value);
    }
}

class Files {
public:
    ~Files() { engine::DBEngine::instance().Workspaces(0).Close(); }

    support::TempFolder folder;
    std::string lastYearPath = folder.file("Qolb2017LAN.mdb");
    std::string thisYearPath = folder.file("Qolb2018LAN.mdb");

    support::DatabaseFile lastYear() const {
        support::DatabaseFile f(lastYearPath, support::FileKind::LastYearIndividuals);
        f.only({"Qolb2017", "IRP5IncDed"});
        return f;
    }
    support::DatabaseFile thisYear() const {
        support::DatabaseFile f(thisYearPath, support::FileKind::Individuals);
        f.only({"Qolb2018", "IRP5IncDed"});
        return f;
    }
    engine::DatabasePtr open(const std::string& path) const {
        return engine::DBEngine::instance().Workspaces(0).OpenDatabase(path);
    }
};

// The way both imports read last year's individuals: a selection of the carried fields.
std::string selection(const std::string& where = "[DCLNO] = 7") {
    std::string sql = "SELECT ";
    for (std::string_view f : transfer::lastYearMainFields())
        sql += (sql.size() > 7 ? ", [" : "[") + std::string(f) + "]";
    return sql + " FROM [Qolb2017] WHERE " + where + " ORDER BY [DCLNO]";
}

struct Case {
    std::string name;
    bool everyFieldHeld; // or only the client number
    bool certificateLastYear;
    Numbered numbering;
    transfer::ImportScope scope = transfer::ImportScope::OneClient;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class CarryCase : public ::testing::TestWithParam<Case> {};

TEST_P(CarryCase, EveryFieldOfBothRowsIsWhatTheNewYearMustHold) {
    const Case& c = GetParam();
    const support::Row mainRow =
        c.everyFieldHeld ? fullRow("Qolb2017") : support::Row{{"DCLNO", kLastYearNo}};
    const support::Row certificateRow =
        c.everyFieldHeld ? fullRow("IRP5IncDed") : support::Row{{"DCLNO", kLastYearNo}};
    Files files;
    auto lastYear = files.lastYear();
    lastYear.row("Qolb2017", mainRow);
    // Another client's certificate, which must not be the one carried.
    lastYear.row("IRP5IncDed", {{"DCLNO", 3.0}, {"RetrenchmentLumps2015", 1.0}});
    if (c.certificateLastYear) lastYear.row("IRP5IncDed", certificateRow);
    lastYear.make();
    files.thisYear().make();

    {
        auto from = files.open(files.lastYearPath);
        auto to = files.open(files.thisYearPath);
        auto source = from->OpenRecordset(selection());
        auto lastCertificates = from->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
        auto main = to->OpenRecordset("Qolb2018", engine::dbOpenTable);
        auto certificates = to->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
        transfer::IndividualCarry carry(*source, *lastCertificates, *main, *certificates, c.scope);
        source->MoveFirst();
        EXPECT_EQ(carry.carry(c.numbering.newNumber), c.numbering.written());
        from->Close();
        to->Close();
    }

    auto db = files.open(files.thisYearPath);
    expectRow(*db, "Qolb2018",
              expectedRow("Qolb2018", mainRules(), mainConstants(valuesOf(mainRow), c.numbering),
                          valuesOf(mainRow)));
    std::optional<Values> certificateSource;
    if (c.certificateLastYear) certificateSource = valuesOf(certificateRow);
    expectRow(*db, "IRP5IncDed",
              expectedRow("IRP5IncDed", certificateRules(),
                          certificateConstants(c.numbering, c.scope, c.certificateLastYear),
                          certificateSource));
}

INSTANTIATE_TEST_SUITE_P(
    Individuals, CarryCase,
    ::testing::Values(
        Case{"KeepsNumber", true, true, {}}, Case{"Renumbered", true, true, {58.0}},
        Case{"NullsStayNull", false, true, {}}, Case{"NoCertificateLastYear", true, false, {58.0}},
        Case{"AllClientsWithCertificate", true, true, {58.0}, transfer::ImportScope::AllClients},
        Case{
            "AllClientsNoCertificateLastYear", true, false, {}, transfer::ImportScope::AllClients}),
    [](const auto& info) { return info.param.name; });

// Several clients through one carry, as the import of all of them runs it: each gets its
// own certificate, the first of its rows last year, or a fresh one when it had none.
TEST(IndividualCarry, EachClientOfARunGetsItsOwnRowsUnderItsNewNumber) {
    Files files;
    auto lastYear = files.lastYear();
    for (double no : {12.0, 7.0, 40.0})
        lastYear.row("Qolb2017", {{"DCLNO", no}, {"Surname", "client " + std::to_string(int(no))}});
    lastYear.row("IRP5IncDed", {{"DCLNO", 40.0}, {"RetrenchmentLumps2015", 40.0}});
    lastYear.row("IRP5IncDed", {{"DCLNO", 12.0}, {"RetrenchmentLumps2015", 12.0}});
    lastYear.row("IRP5IncDed", {{"DCLNO", 40.0}, {"RetrenchmentLumps2015", 99.0}});
    lastYear.make();
    files.thisYear().make();
    {
        auto from = files.open(files.lastYearPath);
        auto to = files.open(files.thisYearPath);
        auto source = from->OpenRecordset(selection("[DCLNO] > 0"));
        auto lastCertificates = from->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
        auto main = to->OpenRecordset("Qolb2018", engine::dbOpenTable);
        auto certificates = to->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
        transfer::IndividualCarry carry(*source, *lastCertificates, *main, *certificates,
                                        transfer::ImportScope::AllClients);
        double highest = 57;
        for (source->MoveFirst(); !source->Eof(); source->MoveNext())
            carry.carry(++highest);
        from->Close();
        to->Close();
    }
    struct Written {
        double no;
        std::string surname;
        Variant lumpSum2015;
    };
    const std::vector<Written> expected{
        {58, "client 7", 0.0}, {59, "client 12", 12.0}, {60, "client 40", 40.0}};
    auto db = files.open(files.thisYearPath);
    auto main = db->OpenRecordset("Qolb2018", engine::dbOpenTable);
    auto certificates = db->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    main->setIndex("PERSNUM");
    certificates->setIndex("indxDCLNO");
    ASSERT_EQ(main->RecordCount(), 3);
    ASSERT_EQ(certificates->RecordCount(), 3);
    main->MoveFirst();
    certificates->MoveFirst();
    for (const Written& w : expected) {
        SCOPED_TRACE(w.surname);
        EXPECT_TRUE(main->Fields("DCLNO").Value() == Variant(w.no));
        EXPECT_TRUE(main->Fields("Surname").Value() == Variant(w.surname));
        EXPECT_TRUE(certificates->Fields("DCLNO").Value() == Variant(w.no));
        EXPECT_TRUE(certificates->Fields("RetrenchmentLumps2015").Value() == w.lumpSum2015);
        main->MoveNext();
        certificates->MoveNext();
    }
}

// A value this year's row cannot hold, or a field a file lacks: the error names the field
// and its table, and no row of the client is added.
struct Misfit {
    std::string name;
    std::function<void(support::DatabaseFile&)> lastYear, thisYear;
    support::Row mainRow;
    int number;
    std::string table, field;
};

void PrintTo(const Misfit& m, std::ostream* os) {
    *os << m.name;
}

class MisfitCase : public ::testing::TestWithParam<Misfit> {};

TEST_P(MisfitCase, NamesTheFieldAndAddsNothing) {
    const Misfit& m = GetParam();
    Files files;
    auto lastYear = files.lastYear();
    support::Row row{{"DCLNO", kLastYearNo}};
    row.insert(row.end(), m.mainRow.begin(), m.mainRow.end());
    lastYear.row("Qolb2017", row);
    if (m.lastYear) m.lastYear(lastYear);
    lastYear.make();
    auto thisYear = files.thisYear();
    if (m.thisYear) m.thisYear(thisYear);
    thisYear.make();

    auto from = files.open(files.lastYearPath);
    auto to = files.open(files.thisYearPath);
    auto source = from->OpenRecordset("Qolb2017", engine::dbOpenTable);
    auto lastCertificates = from->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    auto main = to->OpenRecordset("Qolb2018", engine::dbOpenTable);
    auto certificates = to->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    try {
        transfer::IndividualCarry carry(*source, *lastCertificates, *main, *certificates,
                                        transfer::ImportScope::OneClient);
        source->MoveFirst();
        carry.carry(std::nullopt);
        FAIL() << "carried";
    } catch (const transfer::FieldError& e) {
        EXPECT_EQ(e.number(), m.number);
        EXPECT_EQ(e.table(), m.table);
        EXPECT_EQ(e.field(), m.field);
        EXPECT_NE(e.text().find("'" + m.field + "'"), std::string::npos) << e.text();
    }
    EXPECT_EQ(main->EditMode(), engine::dbEditNone);
    EXPECT_EQ(main->RecordCount(), 0);
    EXPECT_EQ(certificates->RecordCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Individuals, MisfitCase,
    ::testing::Values(
        // An address last year's file let grow beyond this year's ten characters.
        Misfit{"TextTooLong",
               [](auto& f) { f.resize("Qolb2017", "ResAdd4", 30); },
               {},
               {{"ResAdd4", "12 Long Road"}},
               engine::err::FieldTooSmall,
               "Qolb2018",
               "ResAdd4"},
        Misfit{"NumberBeyondItsField",
               {},
               {},
               {{"PERS5", std::int16_t{32767}}},
               engine::err::NumericOverflow,
               "Qolb2018",
               "PERS5"},
        Misfit{"LastYearLacksAField",
               [](auto& f) { f.drop("Qolb2017", "First2Names"); },
               {},
               {},
               engine::err::ItemNotFound,
               "Qolb2017",
               "First2Names"},
        Misfit{"ThisYearLacksAField",
               {},
               [](auto& f) { f.drop("IRP5IncDed", "TaxCredits4116"); },
               {},
               engine::err::ItemNotFound,
               "IRP5IncDed",
               "TaxCredits4116"}),
    [](const auto& info) { return info.param.name; });

} // namespace
