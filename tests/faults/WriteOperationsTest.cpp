// Every write operation, with a fault at each of its writes and syncs in turn.
#include "ClearingFixture.h"
#include "FaultSweep.h"
#include "StandAloneFixture.h"
#include "app/frmSysAdmin.h"
#include "carryforward/PrevYearWiring.h"
#include "clearing/ClearingMessages.h"
#include "clearing/ClearingWiring.h"
#include "clearing/UserList.h"
#include "engine/Dao.h"
#include "engine/Transaction.h"
#include "runtime/Constants.h"
#include "schema/StructureDefinitions.h"
#include "standalone/KindImport.h"
#include "standalone/StandAloneMessages.h"
#include "standalone/StandAloneWiring.h"
#include "support/DatabaseFile.h"
#include "support/ErrorOf.h"
#include "transfer/CapitalGainsCleanUp.h"
#include "transfer/CompanyImport.h"
#include "transfer/DetailCopies.h"
#include "transfer/ImportEnd.h"
#include "transfer/ImportEndMessages.h"
#include "transfer/IndividualImport.h"
#include "transfer/TrustImport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace faults {
namespace {

const std::string kSys = "SysAdmin2018.mdb";
const std::string kPers = "Qolb2018LAN.mdb";
const std::string kTrust = "QolbTrust2018Lan.Mdb";
const std::string kComp = "QolbCompany2018Lan.Mdb";
const std::string kPassword = ";pwd=tevo";
constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";
// The names a backup gives its copies.
const std::vector<std::string> kBackupNames{"Qolb2018LAN.Mdb", "QolbTrust2018Lan.Mdb",
                                            "QolbCompany2018Lan.Mdb", "SysAdmin2018.Mdb"};

// The four files of a network folder (or of a backup set), with `who` logged on and
// holding records in each.
void makeFourFiles(const support::TempFolder& folder, const std::vector<std::string>& names,
                   const std::string& who) {
    clearing_test::makeSystemDb(folder.file(names[3]), {{who, true}, {"bob", true}, {"cy"}});
    clearing_test::makeClientDb(
        folder.file(names[0]), "Qolb2018",
        {{who, "A.", "Adams"}, {"bob", "B.", "Brown"}, {"", "C.", "Clark"}});
    clearing_test::makeClientDb(folder.file(names[1]), "TRUSTDetails",
                                {{who, "Trust One"}, {"bob", "Trust Two"}});
    clearing_test::makeClientDb(folder.file(names[2]), "CompanyDetails",
                                {{"bob", "Company One"}, {who, "Company Two"}});
}

const std::vector<std::string> kNetworkNames{kPers, kTrust, kComp, kSys};

void makeNetwork(Place& p) {
    makeFourFiles(p.net, kNetworkNames, "ann");
}

std::vector<WrittenFile> fourFiles(bool inOther) {
    const auto& names = inOther ? kBackupNames : kNetworkNames;
    return {{inOther, names[0], ""},
            {inOther, names[1], ""},
            {inOther, names[2], ""},
            {inOther, names[3], kPassword}};
}

// The administration window over the network folder, with this area's handlers.
struct Window {
    app::frmSysAdmin w;
    explicit Window(const Place& p) {
        clearing::attach(w);
        w.PersDbPath = p.net.file(kPers);
        w.TrustDbPath = p.net.file(kTrust);
        w.CompDbPath = p.net.file(kComp);
        app::SysAdminDbPath = p.net.file(kSys);
    }
};

// --- structure definitions: each over no file and over an older file -------------------

struct Definition {
    std::string name;
    std::vector<WrittenFile> files; // the system file's connect gives its password
    std::function<void(const Place&)> make;
    std::function<void(const Place&)> older; // an older edition of the files
};

std::vector<Definition> definitions() {
    auto transfer = [](std::string name, std::string file, std::string oldTable,
                       void (*make)(const std::string&)) {
        return Definition{
            name,
            {{false, file, ""}},
            [=](const Place& p) { make(p.net.file(file)); },
            [=](const Place& p) {
                clearing_test::makeClientDb(p.net.file(file), oldTable, {{"ann", "Old"}});
            }};
    };
    return {
        {"System",
         {{false, kSys, kPassword}},
         [](const Place& p) { schema::MakeNewSysDb(p.net.file(kSys)); },
         [](const Place& p) {
             support::DatabaseFile(p.net.file(kSys), support::FileKind::System)
                 .only({"UserNames"})
                 .row("UserNames", {{"UserName", "ann"}, {"LoggedOn", true}})
                 .row("UserNames", {{"UserName", "bob"}})
                 .make();
         }},
        {"Network",
         {{false, kPers, ""}, {false, kTrust, ""}, {false, kComp, ""}},
         [](const Place& p) {
             schema::MakeNewDb(p.net.file(kPers), p.net.file(kTrust), p.net.file(kComp));
         },
         [](const Place& p) {
             clearing_test::makeClientDb(p.net.file(kPers), "Qolb2018", {{"ann", "A.", "Adams"}});
             clearing_test::makeClientDb(p.net.file(kTrust), "TRUSTDetails", {{"ann", "T."}});
             clearing_test::makeClientDb(p.net.file(kComp), "CompanyDetails", {{"ann", "C."}});
         }},
        transfer("TransferPersonal", "TransDB.mdb", "Qolb2018", schema::MakeTemp_Personal_DB),
        transfer("TransferTrust", "TransTrustDB.mdb", "TRUSTDetails", schema::MakeTemp_Trust_DB),
        transfer("TransferCompany", "TransCompanyDB.mdb", "CompanyDetails",
                 schema::MakeTemp_Company_DB),
    };
}

// A definition reports a failure by its error; it shows no box of its own. A file it
// could not make at all is left absent without an error, as in a folder that does not
// exist: the caller's next open of it tells the user.
std::vector<Operation> structureOperations() {
    std::vector<Operation> ops;
    for (const Definition& d : definitions()) {
        auto run = [make = d.make, files = d.files](Place& p) {
            Claim claim = support::errorOf([&] { make(p); }) == 0 ? Claim::Success : Claim::Failure;
            for (const WrittenFile& f : files)
                if (!std::filesystem::exists(f.path(p))) claim = Claim::Failure;
            return claim;
        };
        // A file the engine made but the definition's transaction never filled: the
        // next run of the definition completes it.
        auto bare = [files = d.files](Place& p) {
            for (const WrittenFile& f : files)
                engine::DBEngine::instance()
                    .Workspaces(0)
                    .CreateDatabase(f.path(p), std::string(kLocale) + f.connect)
                    ->Close();
        };
        ops.push_back({.name = d.name + "New",
                       .files = d.files,
                       .prepare = [](Place&) {},
                       .run = run,
                       .unfinished = bare});
        ops.push_back(
            {.name = d.name + "Upgrade", .files = d.files, .prepare = d.older, .run = run});
    }
    return ops;
}

// --- users, clearing, backup and restore, through the window ------------------------

Claim saveUserList(Place& p) {
    Window win(p);
    if (!clearing::fillUserList(win.w)) return Claim::Failure;
    p.desk.answerAnyMessage(forms::vbOK);
    const std::size_t before = p.desk.messages().size();
    win.w.click("cmdAddNew");
    win.w.txtUserName.userSetText("Carl");
    win.w.click("cmdUpdate");
    return claimOf(p.desk, before, std::nullopt);
}

Claim clearOneUser(Place& p) {
    Window win(p);
    win.w.SSIndexTab1.setTab(1);
    const auto& users = win.w.lstUsersLoggedOn.items();
    const auto ann = std::find(users.begin(), users.end(), "ann");
    if (ann == users.end()) return Claim::Failure;
    win.w.lstUsersLoggedOn.userSelect(static_cast<int>(ann - users.begin()));
    p.desk.expectMessage(clearing::msg::confirmClearUser("ann"), forms::vbYes);
    p.desk.answerAnyMessage(forms::vbOK);
    const std::size_t before = p.desk.messages().size() + 1;
    win.w.click("cmdClearSelectedUser");
    return claimOf(p.desk, before, std::nullopt);
}

Claim clearAllUsers(Place& p) {
    Window win(p);
    win.w.SSIndexTab1.setTab(1);
    p.desk.expectMessage(clearing::msg::confirmClearAll(), forms::vbYes);
    p.desk.answerAnyMessage(forms::vbOK);
    const std::size_t before = p.desk.messages().size() + 1;
    win.w.click("cmdClearUsers");
    return claimOf(p.desk, before, std::nullopt);
}

Claim backUp(Place& p) {
    Window win(p);
    p.desk.expectSaveDialog(p.other.file(kBackupNames[0]));
    // A medium that failed is not tried again.
    p.desk.answerAnyMessage(forms::vbCancel);
    const std::size_t before = p.desk.messages().size();
    win.w.click("cmdBackUp");
    return claimOf(p.desk, before, std::string(clearing::msg::BackupDone));
}

Claim restore(Place& p) {
    Window win(p);
    p.desk.expectMessage(clearing::msg::restoreConfirmation(), forms::vbYes);
    p.desk.expectOpenDialog(p.other.file(kBackupNames[0]));
    p.desk.answerAnyMessage(forms::vbOK);
    const std::size_t before = p.desk.messages().size() + 1;
    win.w.click("cmdRestore");
    return claimOf(p.desk, before, clearing::msg::restoreDone());
}

std::vector<Operation> windowOperations() {
    auto withOldBackup = [](Place& p) {
        makeNetwork(p);
        makeFourFiles(p.other, kBackupNames, "old"); // the backup taken before
    };
    return {
        {.name = "UserListSave",
         .files = {{false, kSys, kPassword}},
         .prepare =
             [](Place& p) {
                 clearing_test::makeSystemDb(p.net.file(kSys), {{"Anna"}, {"bob"}});
             },
         .run = saveUserList,
         .allOrNothing = true},
        {.name = "ClearOneUser",
         .files = fourFiles(false),
         .prepare = makeNetwork,
         .run = clearOneUser,
         .allOrNothing = true,
         .spansFiles = true},
        {.name = "ClearAllUsers",
         .files = fourFiles(false),
         .prepare = makeNetwork,
         .run = clearAllUsers,
         .allOrNothing = true,
         .spansFiles = true},
        // Each copy of a backup stands alone.
        {.name = "BackUp", .files = fourFiles(true), .prepare = withOldBackup, .run = backUp},
        {.name = "Restore",
         .files = fourFiles(false),
         .prepare = withOldBackup,
         .run = restore,
         .allOrNothing = true},
    };
}

// --- the end of every import: the lock fields of this year's main table --------------

std::vector<Operation> importEndOperations() {
    struct Table {
        std::string file, table, nameField;
        support::FileKind kind;
    };
    const std::vector<Table> tables{
        {kPers, "Qolb2018", "PERS2", support::FileKind::Individuals},
        {kTrust, "TRUSTDetails", "TrustName", support::FileKind::Trust},
        {kComp, "CompanyDetails", "CompanyRegName", support::FileKind::Company},
    };
    std::vector<Operation> ops;
    for (const Table& t : tables) {
        const runtime::Variant null = runtime::Variant::null();
        auto prepare = [=](Place& p) {
            support::DatabaseFile(p.net.file(t.file), t.kind)
                .only({t.table})
                .row(t.table, {{t.nameField, "New"}, {"UserName", null}})
                .row(t.table, {{t.nameField, "Open"}, {"UserName", "ann"}, {"LastUserName", null}})
                .row(t.table, {{t.nameField, "Free"}, {"UserName", ""}, {"LastUserName", "bob"}})
                .make();
        };
        auto run = [=](Place& p) {
            Window win(p);
            p.desk.answerAnyMessage(forms::vbOK);
            const std::size_t before = p.desk.messages().size();
            transfer::finishImport(win.w, p.net.file(t.file), t.table, "clients");
            return claimOf(p.desk, before, std::string(transfer::msg::TransferCompleted));
        };
        ops.push_back({.name = "LockFields" + t.table,
                       .files = {{false, t.file, ""}},
                       .prepare = prepare,
                       .run = run,
                       .allOrNothing = true});
    }
    return ops;
}

// --- the imports' shared clean-ups, run as an import runs them ---------------------

// Two imported clients, one losing its second asset and one its only asset, and a client
// of this year's that the clean-up must leave alone.
void makeCapitalGains(Place& p) {
    support::DatabaseFile file(p.net.file(kPers), support::FileKind::Individuals);
    file.only({"CGTDetails", "CGTAcqCost", "CGTImproveMade", "CGTSaleCost", "CGTImproveMadeBefore",
               "Qolb2018"});
    auto asset = [&](double client, std::int16_t number, std::int16_t count, double sale) {
        file.row(
            "CGTDetails",
            {{"DCLNO", client}, {"CGTAssetNum", number}, {"CGTMaxNum", count}, {"DateSale", sale}});
        for (const char* table : {"CGTAcqCost", "CGTSaleCost"})
            file.row(table, {{"DCLNO", client}, {"CGTAsset Number", double(number)}});
    };
    constexpr double blank = runtime::BlankDateSerial, sold = 43000;
    asset(5, 1, 1, sold);
    for (double client : {17.0, 18.0}) {
        asset(client, 1, 3, client == 18 ? sold : blank);
        asset(client, 2, 3, client == 17 ? sold : blank);
        asset(client, 3, 3, blank);
        file.row("Qolb2018", {{"DCLNO", client}, {"ICGT", std::int16_t{1}}});
    }
    file.make();
}

Claim cleanUpCapitalGains(Place& p) {
    return support::errorOf([&] {
               auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kPers));
               engine::Transaction tx;
               transfer::RenumberCGT_Personal(*db, {17, 18});
               tx.commit();
           }) == 0
               ? Claim::Success
               : Claim::Failure;
}

// Last year's file with detail rows of client 7 in a few of the nine tables, and this
// year's file with a row of its own in one of them.
const std::string kLastYear = "Qolb2017LAN.mdb";

void makeDetailFiles(Place& p) {
    support::DatabaseFile last(p.net.file(kLastYear), support::FileKind::LastYearIndividuals);
    last.only({"PropRentDetails", "CGTDetails", "CGTAcqCost", "CGTImproveMade", "CGTSaleCost",
               "CGTImproveMadeBefore", "Qolb2017Cont", "CARALL", "AnnualTrends"});
    for (double prop : {1.0, 2.0})
        last.row("PropRentDetails", {{"DCLNO", 7.0}, {"PropNum", prop}, {"Address", "1 Main"}});
    last.row("CGTDetails", {{"DCLNO", 7.0}, {"CGTAssetNum", std::int16_t{1}}});
    last.row("CGTSaleCost", {{"DCLNO", 7.0}, {"CGTAsset Number", 1.0}, {"Cost", 5.0}});
    last.row("Qolb2017Cont", {{"DCLNO", 7.0}, {"TaxRefNo_1", "0123"}});
    last.row("CARALL", {{"DCLNO", 7.0}, {"TA105", 900.0}});
    last.make();
    support::DatabaseFile now(p.net.file(kPers), support::FileKind::Individuals);
    now.only({"PropRentDetails", "CGTDetails", "CGTAcqCost", "CGTImproveMade", "CGTSaleCost",
              "CGTImproveMadeBefore", "Qolb2018Cont", "CARALL", "AnnualTrends"});
    now.row("CARALL", {{"DCLNO", 3.0}}).make();
}

Claim copyDetails(Place& p) {
    return support::errorOf([&] {
               auto last =
                   engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kLastYear));
               engine::Transaction tx;
               transfer::copyClientDetails(*last, p.net.file(kPers), 7, 12);
               tx.commit();
           }) == 0
               ? Claim::Success
               : Claim::Failure;
}

// --- the import of one chosen individual, through the window ------------------------

// Last year's client 7 with its certificate and detail rows, and this year's file with a
// client of its own (so the import gives 4) whose lock fields the end of the import tidies.
void makeImportFiles(Place& p) {
    const std::vector<std::string> details{"PropRentDetails", "CGTDetails",  "CGTAcqCost",
                                           "CGTImproveMade",  "CGTSaleCost", "CGTImproveMadeBefore",
                                           "CARALL",          "AnnualTrends"};
    auto tables = [&](std::initializer_list<std::string> more) {
        std::vector<std::string> out = details;
        out.insert(out.end(), more);
        return out;
    };
    support::DatabaseFile last(p.net.file(kLastYear), support::FileKind::LastYearIndividuals);
    last.only(tables({"Qolb2017", "Qolb2017Cont", "IRP5IncDed"}))
        .row("Qolb2017", {{"DCLNO", 7.0}, {"Surname", "Smith"}, {"MPERSDECEASED", std::int16_t{0}}})
        .row("IRP5IncDed", {{"DCLNO", 7.0}});
    for (double prop : {1.0, 2.0})
        last.row("PropRentDetails", {{"DCLNO", 7.0}, {"PropNum", prop}, {"Address", "1 Main"}});
    last.row("CGTDetails", {{"DCLNO", 7.0}, {"CGTAssetNum", std::int16_t{1}}})
        .row("CGTSaleCost", {{"DCLNO", 7.0}, {"CGTAsset Number", 1.0}, {"Cost", 5.0}})
        .row("CARALL", {{"DCLNO", 7.0}, {"TA105", 900.0}})
        .make();
    support::DatabaseFile(p.net.file(kPers), support::FileKind::Individuals)
        .only(tables({"Qolb2018", "Qolb2018Cont", "IRP5IncDed"}))
        .row("Qolb2018", {{"DCLNO", 3.0}, {"Surname", "Here"}})
        .row("CARALL", {{"DCLNO", 3.0}})
        .make();
}

// The window with last year's client chosen in its listing.
struct ImportWindow {
    app::frmSysAdmin w;
    explicit ImportWindow(const Place& p) {
        carryforward::attach(w);
        w.onLoad = [] {};
        w.Show();
        w.PersDbPath = p.net.file(kPers);
        w.TransPersDbPath = p.program.file("TransDB.mdb");
        w.PrevYearDbPath = p.net.file(kLastYear);
        w.ImportKind = "PI";
        w.lstPrevYear.AddItem("Smith");
        w.PrevYearClientNos = {runtime::Variant(), runtime::Variant(7.0)};
        w.PrevYearClientNames = {runtime::Variant(), runtime::Variant("Smith")};
        w.lstPrevYear.setListIndex(0);
        w.PrevYearSelected = 1;
        w.cmdImpSelAss.setEnabled(true);
    }
};

Claim importChosenIndividual(Place& p) {
    ImportWindow win(p);
    p.desk.answerAnyMessage(forms::vbOK);
    const std::size_t before = p.desk.messages().size();
    win.w.click("cmdImpSelAss");
    return claimOf(p.desk, before, std::string(transfer::msg::TransferCompleted));
}

// The client written and committed, its lock fields not yet tidied: the import then says
// it did not complete.
void importedNotTidied(Place& p) {
    auto last = engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kLastYear));
    transfer::importIndividuals(*last, {p.net.file(kPers), p.program.file("TransDB.mdb")}, 7, {});
    last->Close();
}

// --- the import of every living individual, through the window ----------------------

// Last year's clients 7 and 9 (the import files' client and one more), and this year's
// file holding client 3 (the renumbering path) or no client (the path that keeps numbers).
void makeAllImportFiles(Place& p, bool withClient) {
    makeImportFiles(p);
    support::addRow(p.net.file(kLastYear), "Qolb2017",
                    {{"DCLNO", 9.0}, {"Surname", "Brown"}, {"MPERSDECEASED", std::int16_t{0}}});
    support::addRow(p.net.file(kLastYear), "CARALL", {{"DCLNO", 9.0}, {"TA105", 1.0}});
    if (withClient) return;
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kPers));
    db->Execute("DELETE * FROM [Qolb2018]");
    db->Execute("DELETE * FROM [CARALL]");
    db->Close();
}

Claim importAllIndividuals(Place& p) {
    ImportWindow win(p);
    p.desk.answerAnyMessage(forms::vbOK);
    win.w.cmdImpWholeDB.setEnabled(true);
    const std::size_t before = p.desk.messages().size();
    win.w.click("cmdImpWholeDB");
    return claimOf(p.desk, before, std::string(transfer::msg::TransferCompleted));
}

void allImportedNotTidied(Place& p) {
    auto last = engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kLastYear));
    transfer::importIndividuals(*last, {p.net.file(kPers), p.program.file("TransDB.mdb")},
                                std::nullopt, {});
    last->Close();
}

// --- the imports of one chosen company and of every company, through the window -----

const std::string kLastYearComp = "QolbCompany2017Lan.MDB";

// Last year's companies 10 and 20, and this year's file with a company of its own (so the
// import numbers on from 4) whose lock fields the end of the import tidies.
void makeCompanyImportFiles(Place& p) {
    support::DatabaseFile(p.net.file(kLastYearComp), support::FileKind::LastYearCompany)
        .only({"CompanyDetails"})
        .row("CompanyDetails", {{"CDCLNO", 10.0}, {"CompanyRegName", "Alpha"}})
        .row("CompanyDetails", {{"CDCLNO", 20.0}, {"CompanyRegName", "Beta"}})
        .make();
    support::DatabaseFile(p.net.file(kComp), support::FileKind::Company)
        .only({"CompanyDetails"})
        .row("CompanyDetails", {{"CDCLNO", 3.0}, {"CompanyRegName", "Here"}})
        .make();
}

// The window with last year's company file listed and its company 20 chosen.
Claim importCompaniesThroughWindow(Place& p, const std::string& button) {
    app::frmSysAdmin w;
    carryforward::attach(w);
    w.onLoad = [] {};
    w.Show();
    w.CompDbPath = p.net.file(kComp);
    w.TransCompDbPath = p.program.file("TransCompanyDB.mdb");
    w.PrevYearCompDbPath = p.net.file(kLastYearComp);
    w.ImportKind = "CI";
    w.lstPrevYear.AddItem("Beta");
    w.PrevYearClientNos = {runtime::Variant(), runtime::Variant(20.0)};
    w.PrevYearClientNames = {runtime::Variant(), runtime::Variant("Beta")};
    w.lstPrevYear.setListIndex(0);
    w.PrevYearSelected = 1;
    w.cmdImpSelAss.setEnabled(true);
    w.cmdImpWholeDB.setEnabled(true);
    p.desk.answerAnyMessage(forms::vbOK);
    const std::size_t before = p.desk.messages().size();
    w.click(button);
    return claimOf(p.desk, before, std::string(transfer::msg::TransferCompleted));
}

// The companies written and committed, their lock fields not yet tidied.
void companiesNotTidied(Place& p, std::optional<double> chosen) {
    auto last = engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kLastYearComp));
    transfer::importCompanies(*last, {p.net.file(kComp), p.program.file("TransCompanyDB.mdb")},
                              chosen, {});
    last->Close();
}

// --- the import of one chosen trust, through the window -----------------------------

const std::string kLastYearTrust = "QolbTrust2017Lan.Mdb";
const std::vector<std::string> kTrustTables{
    "TRUSTDetails",         "TRUSTIncExpend",   "TandBenDetails",
    "TrustPropRentDetails", "TrustCGTDetails",  "TrustCGTAcqCost",
    "TrustCGTImproveMade",  "TrustCGTSaleCost", "TrustCGTImproveMadeBefore"};

// Last year's trust 17 with its income row, a beneficiary, a rental and two assets, the
// first sold, each with a cost line; this year's file with a trust of its own (so the
// import gives 41) whose lock fields the end of the import tidies.
void makeTrustImportFiles(Place& p) {
    support::DatabaseFile last(p.net.file(kLastYearTrust), support::FileKind::LastYearTrust);
    last.only(kTrustTables)
        .row("TRUSTDetails", {{"TDCLNO", 17.0}, {"TrustName", "Alpha"}})
        .row("TRUSTIncExpend", {{"TDCLNO", 17.0}, {"TrustCapGain", -800.0}})
        .row("TandBenDetails", {{"TDCLNO", 17.0}, {"TrustNum", std::int16_t{1}}})
        .row("TrustPropRentDetails", {{"TDCLNO", 17.0}, {"TPropNum", std::int16_t{1}}});
    for (std::int16_t asset : {1, 2})
        last.row("TrustCGTDetails", {{"TDCLNO", 17.0},
                                     {"TCGTMaxNum", std::int16_t{2}},
                                     {"TCGTAssetNum", asset},
                                     {"TDateSale", asset == 1 ? 42900.0 : -693959.0}})
            .row("TrustCGTAcqCost",
                 {{"TDCLNO", 17.0}, {"CGTAsset Number", double(asset)}, {"Cost", 5.0}});
    last.make();
    support::DatabaseFile(p.net.file(kTrust), support::FileKind::Trust)
        .only(kTrustTables)
        .row("TRUSTDetails", {{"TDCLNO", 40.0}, {"TrustName", "Here"}})
        .row("TRUSTIncExpend", {{"TDCLNO", 40.0}})
        .make();
}

// The window with last year's trust chosen in its listing.
struct TrustImportWindow {
    app::frmSysAdmin w;
    explicit TrustImportWindow(const Place& p) {
        carryforward::attach(w);
        w.onLoad = [] {};
        w.Show();
        w.TrustDbPath = p.net.file(kTrust);
        w.PrevYearDbPath = p.net.file(kLastYearTrust);
        w.ImportKind = "TI";
        w.lstPrevYear.AddItem("Alpha");
        w.PrevYearClientNos = {runtime::Variant(), runtime::Variant(17.0)};
        w.PrevYearClientNames = {runtime::Variant(), runtime::Variant("Alpha")};
        w.lstPrevYear.setListIndex(0);
        w.PrevYearSelected = 1;
        w.cmdImpSelAss.setEnabled(true);
    }
};

Claim importChosenTrust(Place& p) {
    TrustImportWindow win(p);
    p.desk.answerAnyMessage(forms::vbOK);
    const std::size_t before = p.desk.messages().size();
    win.w.click("cmdImpSelAss");
    return claimOf(p.desk, before, std::string(transfer::msg::TransferCompleted));
}

// The trust written and committed, its lock fields not yet tidied: the import then says
// it did not complete.
void trustImportedNotTidied(Place& p) {
    auto last = engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kLastYearTrust));
    transfer::importTrusts(*last, {p.net.file(kTrust), p.program.file("TransTrustDB.mdb")}, 17, {});
    last->Close();
}

// --- the import of every trust, through the window ---------------------------------

// Last year's trust 17 (the one-trust files) and trust 18, and this year's file holding
// trust 40 (the renumbering path) or no trust (the path that keeps numbers).
void makeAllTrustFiles(Place& p, bool withTrust) {
    makeTrustImportFiles(p);
    support::addRow(p.net.file(kLastYearTrust), "TRUSTDetails",
                    {{"TDCLNO", 18.0}, {"TrustName", "Beta"}});
    support::addRow(p.net.file(kLastYearTrust), "TandBenDetails",
                    {{"TDCLNO", 18.0}, {"TrustNum", std::int16_t{1}}});
    if (withTrust) return;
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kTrust));
    db->Execute("DELETE * FROM [TRUSTDetails]");
    db->Execute("DELETE * FROM [TRUSTIncExpend]");
    db->Close();
}

Claim importAllTrusts(Place& p) {
    TrustImportWindow win(p);
    win.w.TransTrustDbPath = p.program.file("TransTrustDB.mdb");
    p.desk.answerAnyMessage(forms::vbOK);
    win.w.cmdImpWholeDB.setEnabled(true);
    const std::size_t before = p.desk.messages().size();
    win.w.click("cmdImpWholeDB");
    return claimOf(p.desk, before, std::string(transfer::msg::TransferCompleted));
}

void allTrustsNotTidied(Place& p) {
    auto last = engine::DBEngine::instance().Workspaces(0).OpenDatabase(p.net.file(kLastYearTrust));
    transfer::importTrusts(*last, {p.net.file(kTrust), p.program.file("TransTrustDB.mdb")},
                           std::nullopt, {});
    last->Close();
}

std::vector<Operation> transferOperations() {
    return {
        {.name = "CapitalGainsCleanUp",
         .files = {{false, kPers, ""}},
         .prepare = makeCapitalGains,
         .run = cleanUpCapitalGains,
         .allOrNothing = true},
        {.name = "DetailCopies",
         .files = {{false, kPers, ""}},
         .prepare = makeDetailFiles,
         .run = copyDetails,
         .allOrNothing = true},
        {.name = "SelectedIndividualImport",
         .files = {{false, kPers, ""}},
         .prepare = makeImportFiles,
         .run = importChosenIndividual,
         .unfinished = importedNotTidied,
         .allOrNothing = true},
        {.name = "AllIndividualsImportRenumbered",
         .files = {{false, kPers, ""}},
         .prepare = [](Place& p) { makeAllImportFiles(p, true); },
         .run = importAllIndividuals,
         .unfinished = allImportedNotTidied,
         .allOrNothing = true},
        {.name = "AllIndividualsImportKeepingNumbers",
         .files = {{false, kPers, ""}},
         .prepare = [](Place& p) { makeAllImportFiles(p, false); },
         .run = importAllIndividuals,
         .unfinished = allImportedNotTidied,
         .allOrNothing = true},
        {.name = "ChosenCompanyImport",
         .files = {{false, kComp, ""}},
         .prepare = makeCompanyImportFiles,
         .run = [](Place& p) { return importCompaniesThroughWindow(p, "cmdImpSelAss"); },
         .unfinished = [](Place& p) { companiesNotTidied(p, 20.0); },
         .allOrNothing = true},
        {.name = "WholeCompanyImport",
         .files = {{false, kComp, ""}},
         .prepare = makeCompanyImportFiles,
         .run = [](Place& p) { return importCompaniesThroughWindow(p, "cmdImpWholeDB"); },
         .unfinished = [](Place& p) { companiesNotTidied(p, std::nullopt); },
         .allOrNothing = true},
        {.name = "SelectedTrustImport",
         .files = {{false, kTrust, ""}},
         .prepare = makeTrustImportFiles,
         .run = importChosenTrust,
         .unfinished = trustImportedNotTidied,
         .allOrNothing = true},
        {.name = "AllTrustsImportRenumbered",
         .files = {{false, kTrust, ""}},
         .prepare = [](Place& p) { makeAllTrustFiles(p, true); },
         .run = importAllTrusts,
         .unfinished = allTrustsNotTidied,
         .allOrNothing = true},
        {.name = "AllTrustsImportKeepingNumbers",
         .files = {{false, kTrust, ""}},
         .prepare = [](Place& p) { makeAllTrustFiles(p, false); },
         .run = importAllTrusts,
         .unfinished = allTrustsNotTidied,
         .allOrNothing = true},
    };
}

// --- the import from the stand-alone edition, through the window -----------------------

const std::string kStandAlone = "Qolb2018.mdb";
const std::string kStandAloneCompanies = "QolbCompany2018.Mdb";

// A stand-alone individual, trust and company with a detail row each (in the other
// folder), and network files of each kind holding a client whose lock fields are Null.
void makeStandAloneFiles(Place& p) {
    standalone_test::makeStandAlone(p.other.file(kStandAlone),
                                    {{"Qolb2018", {{"DCLNO", 4.0}, {"Surname", "Stand"}}},
                                     {"CARALL", {{"DCLNO", 4.0}}},
                                     {"TRUSTDetails", {{"TDCLNO", 2.0}}},
                                     {"CapExempt", {{"TDCLNO", 2.0}, {"Amount", 3.0}}}});
    support::DatabaseFile(p.other.file(kStandAloneCompanies), support::FileKind::Company)
        .row("CompanyDetails", {{"CDCLNO", 9.0}})
        .row("Adjustments", {{"CDCLNO", 9.0}})
        .make();
    support::DatabaseFile(p.net.file(kPers), support::FileKind::Individuals)
        .row("Qolb2018", {{"DCLNO", 1.0}})
        .make();
    support::DatabaseFile(p.net.file(kTrust), support::FileKind::Trust)
        .row("TRUSTDetails", {{"TDCLNO", 1.0}})
        .make();
    support::DatabaseFile(p.net.file(kComp), support::FileKind::Company)
        .row("CompanyDetails", {{"CDCLNO", 1.0}})
        .make();
}

Claim importStandAlone(Place& p) {
    app::frmSysAdmin w;
    standalone::attach(w);
    w.onLoad = [] {};
    w.Show();
    w.PersDbPath = p.net.file(kPers);
    w.TrustDbPath = p.net.file(kTrust);
    w.CompDbPath = p.net.file(kComp);
    w.StandAlonePersDbPath = p.other.file(kStandAlone);
    w.StandAloneCompDbPath = p.other.file(kStandAloneCompanies);
    w.txtQolbDBImportSource.setText(w.StandAlonePersDbPath);
    // OK where a box offers nothing else; Cancel gives up a copy whose medium keeps failing.
    p.desk.answerAnyMessage(forms::vbCancel);
    const std::size_t before = p.desk.messages().size();
    w.click("cmdImportNow");
    return claimOf(p.desk, before, std::string(standalone::msg::TransferSuccessful));
}

// Every kind's clients written and committed, their lock fields not yet tidied.
void standAloneImportedNotTidied(Place& p) {
    const std::string copy = p.program.file("copy.mdb");
    std::filesystem::copy_file(p.other.file(kStandAlone), copy);
    standalone::importKinds(
        {{standalone::individualsKind(), copy, p.net.file(kPers)},
         {standalone::trustsKind(), copy, p.net.file(kTrust)},
         {standalone::companiesKind(), p.other.file(kStandAloneCompanies), p.net.file(kComp)}});
}

// The three network files hold all of the import or none of it at every point.
std::vector<Operation> standAloneOperations() {
    return {{.name = "StandAloneImport",
             .files = {{false, kPers, ""}, {false, kTrust, ""}, {false, kComp, ""}},
             .prepare = makeStandAloneFiles,
             .run = importStandAlone,
             .unfinished = standAloneImportedNotTidied,
             .allOrNothing = true,
             .spansFiles = true}};
}

std::vector<Operation> allOperations() {
    std::vector<Operation> ops = structureOperations();
    for (auto more :
         {windowOperations, importEndOperations, transferOperations, standAloneOperations})
        for (Operation& op : more())
            ops.push_back(std::move(op));
    return ops;
}

struct Case {
    Operation op;
    Blow how;
};

std::string blowName(Blow how) {
    switch (how) {
    case Blow::FailOnce:
        return "FailOnce";
    case Blow::FailLater:
        return "DiskStaysBroken";
    case Blow::Kill:
        return "Kill";
    default:
        return "None";
    }
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.op.name << " " << blowName(c.how);
}

std::vector<Case> cases() {
    std::vector<Case> out;
    for (const Operation& op : allOperations())
        for (Blow how : {Blow::FailOnce, Blow::FailLater, Blow::Kill})
            out.push_back({op, how});
    return out;
}

class WriteFaultTest : public ::testing::TestWithParam<Case> {};

TEST_P(WriteFaultTest, EachPointLeavesSoundFilesOldOrNewAndATrueMessage) {
    const Case& c = GetParam();
    sweep(c.op, c.how);
}

INSTANTIATE_TEST_SUITE_P(Operations, WriteFaultTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) {
                             return info.param.op.name + "_" + blowName(info.param.how);
                         });

} // namespace
} // namespace faults
