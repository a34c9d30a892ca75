// The import of one chosen company and of every company, through the window: the companies
// arrive under the right numbers with their standing details carried and the old year's
// work reset, and every way the import can stop leaves this year's file as it was.

#include "CarryFixture.h"
#include "app/ExclusiveDatabases.h"
#include "engine/Dao.h"
#include "runtime/Constants.h"
#include "runtime/VariantOps.h"
#include "schema/SchemaTables.h"
#include "support/DatabaseFile.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

namespace carry_test {
namespace {

const std::string kCompleted = "The Transfer has been completed.";
const std::string kEmpty = "The Quolby 2017 Company database is empty!";
const std::string kNotFound = "The Quolby 2017 (QolbCompany2017Lan.Mdb) cannot be found.  "
                              "Please refer to the help for information!";

// The fields a new row takes from last year's row, in last year's words.
const std::string kCarried =
    "CDCLNO, CompanyRegName, CompTradeName, vdtCompFinYearEndDate, TypeOfCompany, "
    "CompPostAdd1, CompPostAdd2, CompPostAdd3, CompPostAdd4, CompRegAdd1, CompRegAdd2, "
    "CompRegAdd3, CompRegAdd4, CompPhysAdd1, CompPhysAdd2, CompPhysAdd3, CompPhysAdd4, "
    "CompTel, CompFax, CompEmail, CompanyRegNo, CompanyPAYE, CompanyUIFNo, CompanySDLNo, "
    "CompanyVATNo, CompWorkmansComp, CompOtherRefNo, CompanySARSOffice, CompanyBankAccHolder, "
    "CompanyBankAccType, CompanyBankName, CompBranchNumber, CompBankAccNo, CompMemberName0, "
    "CompMemberName1, CompMemberName2, CompMemberName3, CompMemberName4, CompMemberName5, "
    "CompMemberName6, CompMemberName7, CompMemberName8, CompMemberName9, CompMemberID0, "
    "CompMemberID1, CompMemberID2, CompMemberID3, CompMemberID4, CompMemberID5, "
    "CompMemberID6, CompMemberID7, CompMemberID8, CompMemberID9, CompMemberTaxNum0, "
    "CompMemberTaxNum1, CompMemberTaxNum2, CompMemberTaxNum3, CompMemberTaxNum4, "
    "CompMemberTaxNum5, CompMemberTaxNum6, CompMemberTaxNum7, CompMemberTaxNum8, "
    "CompMemberTaxNum9, POYN, CompanyDetailsNotes";

bool carried(std::string_view field) {
    std::istringstream in(kCarried);
    for (std::string f; std::getline(in >> std::ws, f, ',');)
        if (f == field) return true;
    return false;
}

bool lockField(std::string_view f) {
    return f == "UserName" || f == "DateLastSaved" || f == "LastUserName" || f == "In Use";
}

const schema::TableSpec& companyTable() {
    const auto& tables = schema::companyDbTables();
    return *std::ranges::find(tables, std::string("CompanyDetails"), &schema::TableSpec::name);
}

// A value that no reset gives, of the field's type.
Variant busy(const schema::FieldSpec& f) {
    using T = schema::FieldType;
    switch (f.type) {
    case T::Boolean:
        return true;
    case T::Integer:
        return std::int16_t{7};
    case T::Double:
        return 12.5;
    case T::Date:
        return Variant::date(43000);
    default:
        return std::string(f.name).substr(0, std::min<std::size_t>(f.size ? f.size : 99, 4));
    }
}

// What a new row holds in a field that starts afresh.
Variant afresh(const schema::FieldSpec& f) {
    using T = schema::FieldType;
    switch (f.type) {
    case T::Boolean:
        return false;
    case T::Integer:
        return std::int16_t{0};
    case T::Double:
        return 0.0;
    case T::Date:
        return Variant::date(runtime::NoDateValue);
    default:
        return "";
    }
}

// Last year's company with every field busy, notes longer than a Text field holds.
Row everyFieldBusy(double number) {
    Row row;
    for (const schema::FieldSpec& f : companyTable().fields)
        if (!lockField(f.name)) row.push_back({std::string(f.name), busy(f)});
    for (auto& [name, value] : row) {
        if (name == "CDCLNO") value = number;
        if (name == "vdtCompFinYearEndDate") value = 42825.0;
        if (name == "CompanyDetailsNotes") value = std::string(600, 'n');
        if (name == "CompanyRegName") value = "Busy";
    }
    return row;
}

Row company(Variant number, const std::string& name, Variant yearEnd = Variant()) {
    return {{"CDCLNO", number}, {"CompanyRegName", name}, {"vdtCompFinYearEndDate", yearEnd}};
}

// Last year's companies, stored out of number order: Alpha (10), Beta (20, 29 February
// 2016 as its year-end), Gamma (30, no year-end), one without a number and one numbered 0.
std::vector<std::pair<std::string, Row>> lastYearCompanies() {
    return {{"CompanyDetails", company(20.0, "Beta", 42429.0)},
            {"CompanyDetails", company(10.0, "Alpha", 42825.0)},
            {"CompanyDetails", company(30.0, "Gamma")},
            {"CompanyDetails", company(Variant::null(), "Nameless", 42825.0)},
            {"CompanyDetails", company(0.0, "Zero", 42825.0)}};
}

class CompanyImport : public CarryFixture {
protected:
    // Last year's file listed; this year's beside the program, holding `numbers`.
    void prepare(const std::vector<Variant>& numbers,
                 std::vector<std::pair<std::string, Row>> companies = lastYearCompanies()) {
        closeAll();
        lastYear = src.file("QolbCompany2017Lan.MDB");
        w.CompDbPath = program.file("QolbCompany2018Lan.Mdb");
        w.TransCompDbPath = program.file("TransCompanyDB.mdb");
        for (const std::string& path : {lastYear, w.CompDbPath, w.TransCompDbPath, versionFile()})
            std::filesystem::remove(path);
        makeLastYear(lastYear, FileKind::LastYearCompany, companies);
        makeLastYear(versionFile(), FileKind::LastYearIndividuals, {});
        support::DatabaseFile file(w.CompDbPath, FileKind::Company);
        file.only({"CompanyDetails"});
        for (const Variant& n : numbers)
            file.row("CompanyDetails", {{"CDCLNO", n}, {"CompanyRegName", "Here"}});
        file.make();
        chooseKind(2);
        locate(lastYear);
        w.cmdOk.setEnabled(false);
    }
    void choose(const std::string& name) {
        const auto& items = w.lstPrevYear.items();
        const auto it = std::ranges::find_if(
            items, [&](const std::string& item) { return item.starts_with(name + " "); });
        ASSERT_NE(it, items.end()) << name;
        ASSERT_TRUE(w.lstPrevYear.userSelect(static_cast<int>(it - items.begin())));
    }
    void import(const std::string& button, const std::string& text, int style,
                const std::string& title = "") {
        desk.expectMessage(text, style, title, forms::vbOK);
        closeAll();
        before = support::readBytes(w.CompDbPath);
        ASSERT_TRUE(w.click(button));
        EXPECT_TRUE(desk.verify()) << desk.transcript();
        closeAll();
    }
    engine::DatabasePtr thisYear() {
        return engine::DBEngine::instance().Workspaces(0).OpenDatabase(w.CompDbPath);
    }
    bool unchanged() const { return support::readBytes(w.CompDbPath) == before; }
    // This year's companies, name to number and year-end, "Here" left out.
    std::map<std::string, std::pair<Variant, Variant>> companies() {
        std::map<std::string, std::pair<Variant, Variant>> out;
        auto db = thisYear();
        auto rs = db->OpenRecordset("SELECT [CompanyRegName], [CDCLNO], [vdtCompFinYearEndDate] "
                                    "FROM [CompanyDetails] WHERE [CompanyRegName] <> 'Here'",
                                    engine::dbOpenDynaset);
        for (; !rs->Eof(); rs->MoveNext()) {
            const std::string name = runtime::CStr(rs->Fields(0).Value());
            EXPECT_FALSE(out.contains(name)) << name << " twice";
            out[name] = {rs->Fields(1).Value(), rs->Fields(2).Value()};
        }
        rs->Close();
        db->Close();
        closeAll();
        return out;
    }

    std::string lastYear, before;
};

// The year-ends as last year's companies carry them on, 365 days later.
const Variant kAlphaEnd = 43190.0, kBetaEnd = 42794.0, kNoEnd = Variant::null();

// Into an empty year the companies keep their numbers; into a year with companies they
// follow the highest number there, counted from 0 when it has none above 0.
TEST_F(CompanyImport, CompaniesArriveNumberedWithTheirYearEndMoved) {
    using Got = std::map<std::string, std::pair<Variant, Variant>>;
    struct Case {
        std::string name;
        std::vector<Variant> here;
        std::string chosen; // empty: every company
        Got expected;
    };
    const Variant none = Variant::null();
    const Case cases[] = {
        {"all into an empty year",
         {},
         "",
         {{"Alpha", {10.0, kAlphaEnd}}, {"Beta", {20.0, kBetaEnd}}, {"Gamma", {30.0, kNoEnd}}}},
        {"all after 57",
         {57.0, 3.0},
         "",
         {{"Alpha", {58.0, kAlphaEnd}}, {"Beta", {59.0, kBetaEnd}}, {"Gamma", {60.0, kNoEnd}}}},
        {"all into a year of unnumbered companies",
         {none, -4.0},
         "",
         {{"Alpha", {1.0, kAlphaEnd}}, {"Beta", {2.0, kBetaEnd}}, {"Gamma", {3.0, kNoEnd}}}},
        {"one into an empty year", {}, "Beta", {{"Beta", {20.0, kBetaEnd}}}},
        {"one after 57", {3.0, 57.0, none}, "Gamma", {{"Gamma", {58.0, kNoEnd}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare(c.here);
        if (!c.chosen.empty()) choose(c.chosen);
        import(c.chosen.empty() ? "cmdImpWholeDB" : "cmdImpSelAss", kCompleted, forms::vbOKOnly);
        EXPECT_EQ(companies(), c.expected);
        EXPECT_EQ(w.HScroll2.Value(), 32767);
        EXPECT_TRUE(w.fraProgressBar.Visible());
        EXPECT_TRUE(w.cmdOk.Enabled());
        if (!c.chosen.empty()) {
            EXPECT_EQ(w.SelectedCompNo, c.chosen == "Beta" ? 20 : 30) << "last year's number";
        }
        w.cmdOk.setEnabled(false);
    }
}

// Every field of the new row: the standing details as last year held them, the year-end
// 365 days on, the old year's work afresh and the lock fields free.
TEST_F(CompanyImport, TheNewRowCarriesTheStandingDetailsAndStartsTheYearAfresh) {
    const Row last = everyFieldBusy(10);
    prepare({}, {{"CompanyDetails", last}});
    import("cmdImpWholeDB", kCompleted, forms::vbOKOnly);
    auto db = thisYear();
    auto rs = db->OpenRecordset("CompanyDetails", engine::dbOpenTable);
    ASSERT_FALSE(rs->Eof());
    int copied = 0, reset = 0;
    for (const schema::FieldSpec& f : companyTable().fields) {
        const std::string name(f.name);
        const Variant got = rs->Fields(name).Value();
        if (name == "vdtCompFinYearEndDate") {
            EXPECT_EQ(got, Variant(42825.0 + 365));
        } else if (name == "UserName" || name == "LastUserName") {
            EXPECT_EQ(got, Variant("")) << name;
        } else if (name == "DateLastSaved") {
            EXPECT_EQ(runtime::CDbl(got), 0) << name;
        } else if (name == "In Use") {
            continue;
        } else if (carried(name)) {
            const auto it = std::ranges::find(last, name, &Row::value_type::first);
            EXPECT_EQ(got, it->second) << name;
            ++copied;
        } else {
            EXPECT_EQ(got, afresh(f)) << name;
            ++reset;
        }
    }
    EXPECT_EQ(copied, 64);
    EXPECT_EQ(reset, 52);
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof()) << "one row";
    rs->Close();
    db->Close();
}

// Each import adds its rows whatever the year holds already.
TEST_F(CompanyImport, ImportingTwiceGivesTwoRows) {
    prepare({});
    choose("Alpha");
    import("cmdImpSelAss", kCompleted, forms::vbOKOnly);
    import("cmdImpSelAss", kCompleted, forms::vbOKOnly);
    auto db = thisYear();
    auto rs = db->OpenRecordset("SELECT [CDCLNO] FROM [CompanyDetails] ORDER BY [CDCLNO]",
                                engine::dbOpenDynaset);
    EXPECT_EQ(rs->Fields(0).Value(), Variant(10.0));
    rs->MoveNext();
    EXPECT_EQ(rs->Fields(0).Value(), Variant(11.0));
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    rs->Close();
    db->Close();
}

// No company chosen, a chosen row without a number, a file or company gone after the
// listing, a year without companies to carry: nothing is written and the box says why.
TEST_F(CompanyImport, NothingToCarryWritesNothing) {
    struct Case {
        std::string name, button, chosen;
        std::function<void(app::frmSysAdmin& w, const std::string& lastYear)> meanwhile;
        std::string text, title; // no text: no box, the list takes the focus
    };
    const Case cases[] = {
        {"nothing chosen", "cmdImpSelAss", "", nullptr, "", ""},
        {"selection lost", "cmdImpSelAss", "Alpha",
         [](app::frmSysAdmin& w, const std::string&) { w.lstPrevYear.setListIndex(-1); }, "", ""},
        {"chosen row without number", "cmdImpSelAss", "Nameless", nullptr, "", ""},
        {"company gone", "cmdImpSelAss", "Beta",
         [](app::frmSysAdmin&, const std::string& path) {
             auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path);
             db->Execute("DELETE * FROM [CompanyDetails] WHERE [CompanyRegName] = 'Beta'");
             db->Close();
         },
         kEmpty, ""},
        {"file gone", "cmdImpWholeDB", "",
         [](app::frmSysAdmin&, const std::string& path) { std::filesystem::remove(path); },
         kNotFound, "File not found"},
        {"no company numbered", "cmdImpWholeDB", "",
         [](app::frmSysAdmin&, const std::string& path) {
             auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path);
             db->Execute("DELETE * FROM [CompanyDetails] WHERE [CDCLNO] > 0");
             db->Close();
         },
         kEmpty, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare({57.0});
        if (!c.chosen.empty()) choose(c.chosen);
        if (c.meanwhile) c.meanwhile(w, lastYear);
        w.HScroll2.setValue(0);
        w.SelectedCompNo = -1;
        const std::size_t shown = desk.messages().size();
        if (c.text.empty()) {
            closeAll();
            before = support::readBytes(w.CompDbPath);
            ASSERT_TRUE(w.click(c.button));
            EXPECT_EQ(desk.messages().size(), shown) << desk.transcript();
            EXPECT_TRUE(w.lstPrevYear.hasFocus());
            EXPECT_EQ(w.SelectedCompNo, -1);
            closeAll();
        } else {
            import(c.button, c.text, forms::vbOKOnly, c.title);
        }
        EXPECT_TRUE(unchanged());
        EXPECT_EQ(w.HScroll2.Value(), 0);
        EXPECT_FALSE(w.cmdOk.Enabled());
        if (!c.title.empty()) {
            EXPECT_EQ(w.MsgHelpContext, Variant(std::int16_t{20}));
        }
    }
}

// A company this year's file cannot hold, after others were written: everything is taken
// back, and the box names the company and the field and never says the transfer was
// completed.
TEST_F(CompanyImport, AFailureHalfWayLeavesThisYearsFileAsItWas) {
    closeAll();
    auto rows = lastYearCompanies();
    rows.push_back({"CompanyDetails", company(40.0, std::string(90, 'L'))});
    lastYear = src.file("QolbCompany2017Lan.MDB");
    std::filesystem::remove(lastYear);
    support::DatabaseFile file(lastYear, FileKind::LastYearCompany);
    file.only({"CompanyDetails"}).resize("CompanyDetails", "CompanyRegName", 120);
    for (const auto& [table, row] : rows)
        file.row(table, row);
    file.make();
    for (const std::vector<Variant>& here : {std::vector<Variant>{}, {57.0}}) {
        SCOPED_TRACE(here.size());
        w.CompDbPath = program.file("QolbCompany2018Lan.Mdb");
        std::filesystem::remove(w.CompDbPath);
        support::DatabaseFile year(w.CompDbPath, FileKind::Company);
        year.only({"CompanyDetails"});
        for (const Variant& n : here)
            year.row("CompanyDetails", {{"CDCLNO", n}});
        year.make();
        w.PrevYearCompDbPath = lastYear;
        w.TransCompDbPath = program.file("TransCompanyDB.mdb");
        w.ImportKind = "CI";
        w.cmdImpWholeDB.setEnabled(true);
        w.cmdOk.setEnabled(false);
        desk.answerAnyMessage(forms::vbOK);
        closeAll();
        before = support::readBytes(w.CompDbPath);
        const std::size_t shownBefore = desk.messages().size();
        ASSERT_TRUE(w.click("cmdImpWholeDB"));
        EXPECT_NO_THROW(app::openExclusive(w.CompDbPath)->Close()) << "no handle left open";
        closeAll();
        ASSERT_EQ(desk.messages().size(), shownBefore + 1) << desk.transcript();
        const std::string shown = desk.messages().back();
        EXPECT_NE(shown.find("the company " + std::string(90, 'L') + " (40)"), std::string::npos)
            << shown;
        EXPECT_NE(shown.find("CompanyRegName"), std::string::npos) << shown;
        EXPECT_NE(shown.find("Nothing has been written"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("completed"), std::string::npos) << shown;
        EXPECT_TRUE(unchanged());
        EXPECT_FALSE(w.cmdOk.Enabled());
    }
}

} // namespace
} // namespace carry_test
