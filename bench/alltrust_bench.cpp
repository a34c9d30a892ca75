// The import of every trust, through the window, against a bare SQL copy of the same rows
// (the file attached, one INSERT ... SELECT per table with the same column lists, one
// transaction). Last year holds N trusts (N and 2N), each with its income row and 5 rows in
// each of the seven detail tables; this year is empty or holds N trusts, so that the import
// keeps the numbers or gives new ones after the highest. Each run is a child process of its
// own, so that its peak memory (max RSS) is its own; the sides alternate on fresh synced
// copies (the import's transfer file too), RUNS times each (3 unless set). Targets: the
// import at most 3 times the bare copy, 2N at most 2.2 times N.
//
//   alltrust_bench [N]

#include "BenchDesktop.h"
#include "ChildRun.h"
#include "Stats.h"
#include "SyncedCopy.h"
#include "app/frmSysAdmin.h"
#include "carryforward/Imports.h"
#include "engine/Dao.h"
#include "engine/FoldedKeys.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"
#include "transfer/AllTrustsImport.h"
#include "transfer/SqlText.h"
#include "transfer/TrustCarryTables.h"
#include "transfer/TrustDetailCopies.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using runtime::Variant;
using support::FileKind;
using transfer::bracketed;

namespace {

constexpr int kRowsPerTable = 5;
const std::string kClient = "TDCLNO";

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

// Every plan the import copies by: the detail tables, then the assets' cost lines.
std::vector<transfer::CopyPlan> detailPlans() {
    std::vector<transfer::CopyPlan> plans = transfer::trustDetailCopies();
    const auto& costs = transfer::trustCostLineCopies();
    plans.insert(plans.end(), costs.begin(), costs.end());
    return plans;
}

// Trust 1's rows of `table`, copied under 2, 3, ... until `trusts` trusts hold them: each
// statement doubles what there is.
void grow(engine::Database& db, const std::string& table, int trusts) {
    std::string columns, values;
    engine::TableDefPtr def = db.TableDefs().Item(table);
    for (int i = 0; i < def->Fields().Count(); ++i) {
        const std::string name = def->Fields().Item(i)->Name();
        columns += (columns.empty() ? "" : ", ") + bracketed(name);
        values += (values.empty() ? "" : ", ") +
                  (name == kClient ? "[TDCLNO] + ?" : bracketed(table) + "." + bracketed(name));
    }
    for (int have = 1; have < trusts; have *= 2)
        db.Execute("INSERT INTO " + bracketed(table) + " (" + columns + ") SELECT " + values +
                       " FROM " + bracketed(table) + " WHERE [TDCLNO] <= ?",
                   {Variant(double(have)), Variant(double(std::min(have, trusts - have)))});
}

// Trust 1's detail rows: beneficiaries, properties, assets (the last one sold, so that the
// clean-up removes it and its cost lines) and each asset's cost lines.
void addDetailRows(support::DatabaseFile& file) {
    for (int r = 1; r <= kRowsPerTable; ++r) {
        const auto n = static_cast<std::int16_t>(r);
        file.row("TandBenDetails", {{kClient, 1.0},
                                    {"TBMaxNum", std::int16_t{kRowsPerTable}},
                                    {"TrustNum", n},
                                    {"TrustBenName", "Beneficiary"},
                                    {"IntForDiv", 100.0}})
            .row("TrustPropRentDetails", {{kClient, 1.0},
                                          {"TMaxNum", std::int16_t{kRowsPerTable}},
                                          {"TPropNum", n},
                                          {"TAddress", "1 Main"},
                                          {"TRentIncome", 1200.0}})
            .row("TrustCGTDetails", {{kClient, 1.0},
                                     {"TCGTMaxNum", std::int16_t{kRowsPerTable}},
                                     {"TCGTAssetNum", n},
                                     {"TAssetDesc", "Asset"},
                                     {"TDateSale", r == kRowsPerTable ? 42000.0 : -693959.0}});
        for (const transfer::CopyPlan& costs : transfer::trustCostLineCopies())
            file.row(costs.target, {{kClient, 1.0}, {"CGTAsset Number", double(r)}, {"Cost", 5.0}});
    }
}

void makeLastYear(const std::string& path, int trusts) {
    std::vector<std::string> tables{"TRUSTDetails", "TRUSTIncExpend"};
    for (const transfer::CopyPlan& plan : detailPlans())
        tables.push_back(plan.source);
    support::DatabaseFile file(path, FileKind::LastYearTrust);
    file.only(tables);
    file.row("TRUSTDetails", {{kClient, 1.0},
                              {"TrustName", "Trust"},
                              {"TDPAddress1", "1 Main Road"},
                              {"TrustTaxNo", "0123456789"},
                              {"TASS0", 1000.0},
                              {"TrustExtenDate", 42000.0}})
        .row("TRUSTIncExpend", {{kClient, 1.0}, {"TrustCapGain", -40.0}, {"Interest", 5.0}});
    addDetailRows(file);
    file.make();
    auto db = ws().OpenDatabase(path);
    for (const std::string& t : tables)
        grow(*db, t, trusts);
    db->Close();
}

// This year's file, empty or with `trusts` trusts (lock fields tidied, rental flags set)
// and a property each.
void makeThisYear(const std::string& path, int trusts) {
    support::DatabaseFile file(path, FileKind::Trust);
    if (trusts > 0)
        file.row("TRUSTDetails", {{kClient, 1.0},
                                  {"TrustName", "Here"},
                                  {"UserName", ""},
                                  {"LastUserName", ""},
                                  {"DateLastSaved", Variant::date(0)}})
            .row("TRUSTIncExpend", {{kClient, 1.0}, {"ItemiseRentalInc", std::int16_t{1}}})
            .row("TrustPropRentDetails", {{kClient, 1.0}, {"TPropNum", std::int16_t{1}}});
    file.make();
    if (trusts == 0) return;
    auto db = ws().OpenDatabase(path);
    for (const char* t : {"TRUSTDetails", "TRUSTIncExpend", "TrustPropRentDetails"})
        grow(*db, t, trusts);
    db->Close();
}

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(2);
    }
}

void exec(sqlite3* db, const std::string& sql) {
    check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items)
        out += (out.empty() ? "" : ", ") + s;
    return out;
}

std::string literal(const Variant& v) {
    if (v.isNull()) return "NULL";
    if (v.isString()) return "'" + runtime::CStr(v) + "'";
    return transfer::exactNumber(runtime::CDbl(v));
}

// The value a carry rule writes, in SQL over last year's row; this year's numbers follow
// the highest, `shift`, when it holds trusts.
std::string carried(const transfer::FieldRule& rule, int shift) {
    using transfer::Make;
    const std::string from = bracketed(rule.from.empty() ? rule.field : rule.from);
    switch (rule.make) {
    case Make::Copy:
    case Make::CopyFrom:
        return from;
    case Make::Constant:
        return literal(rule.value);
    case Make::ClientNumber:
        return "[TDCLNO] + " + std::to_string(shift);
    case Make::ByNumbering:
        return literal(shift ? rule.renumbered : rule.value);
    case Make::PlusOne:
        return from + " + 1";
    case Make::Plus:
        return from + " + " + literal(rule.value);
    case Make::HalfLoss:
        return "CASE WHEN " + from + " < 0 THEN " + from + " * 0.5 ELSE 0 END";
    }
    return "NULL";
}

std::string carryStatement(const transfer::CarryTable& table, const std::string& source,
                           int shift) {
    std::vector<std::string> targets, values;
    for (const transfer::FieldRule& rule : table.rules) {
        targets.push_back(bracketed(rule.field));
        values.push_back(carried(rule, shift));
    }
    return "INSERT INTO main." + bracketed(table.target) + " (" + joined(targets) + ") SELECT " +
           joined(values) + " FROM l." + bracketed(source) +
           " WHERE [TDCLNO] > 0 ORDER BY [TDCLNO]";
}

// The bare copy's statements: the same rows and column lists as the import writes.
std::vector<std::string> bareStatements(int shift) {
    const std::string carriedTrusts =
        " WHERE [TDCLNO] IN (SELECT [TDCLNO] FROM l.[TRUSTDetails] WHERE [TDCLNO] > 0)";
    std::vector<std::string> out{
        carryStatement(transfer::trustMainCarry(), "TRUSTDetails", shift),
        carryStatement(transfer::trustIncomeCarry(), "TRUSTIncExpend", shift)};
    for (const transfer::CopyPlan& plan : detailPlans()) {
        std::vector<std::string> targets, values;
        for (const transfer::ColumnCopy& c : plan.columns) {
            targets.push_back(bracketed(c.target));
            switch (c.from) {
            case transfer::ColumnCopy::From::Column:
                values.push_back(bracketed(c.source));
                break;
            case transfer::ColumnCopy::From::Constant:
                values.push_back(transfer::exactNumber(c.constant));
                break;
            case transfer::ColumnCopy::From::ClientNumber:
                values.push_back(bracketed(plan.clientColumn) + " + " + std::to_string(shift));
                break;
            case transfer::ColumnCopy::From::EmptyText:
                values.push_back("''");
                break;
            }
        }
        std::vector<std::string> order;
        for (const std::string& o : plan.orderBy)
            order.push_back(bracketed(o));
        out.push_back("INSERT INTO main." + bracketed(plan.target) + " (" + joined(targets) +
                      ") SELECT " + joined(values) + " FROM l." + bracketed(plan.source) +
                      carriedTrusts + (order.empty() ? "" : " ORDER BY " + joined(order)));
    }
    return out;
}

void bareCopy(const std::string& thisYear, const std::string& lastYear, int shift) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(thisYear.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=-16000");
    // The file's text keys are kept folded by triggers that call the engine's function.
    engine::detail::registerFold(db);
    sqlite3_stmt* att = nullptr;
    check(sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS l", -1, &att, nullptr), db);
    sqlite3_bind_text(att, 1, lastYear.c_str(), -1, SQLITE_TRANSIENT);
    check(sqlite3_step(att), db);
    sqlite3_finalize(att);
    exec(db, "BEGIN IMMEDIATE");
    for (const std::string& sql : bareStatements(shift))
        exec(db, sql);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

// The import through the window; false when it did not end with the completion box.
bool importAll(const fs::path& dir, const std::string& thisYear, const std::string& lastYear) {
    bench::BenchDesktop desk(dir.string());
    forms::setDesktop(&desk);
    app::frmSysAdmin w;
    w.TrustDbPath = thisYear;
    w.TransTrustDbPath = (dir / "TransTrustDB.mdb").string();
    w.PrevYearDbPath = lastYear;
    carryforward::ImportWholeDB_Trust(w);
    if (desk.boxes == 1 && desk.lastMessage == "The Transfer has been completed.") return true;
    std::fprintf(stderr, "the import did not complete: %s\n", desk.lastMessage.c_str());
    return false;
}

struct Case {
    int trusts, already;
    std::vector<double> import, bare, importMb, bareMb;
};

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 3;
    const fs::path dir = fs::temp_directory_path() / ("alltrust_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);

    std::vector<Case> cases{{n, 0, {}, {}, {}, {}},
                            {n, n, {}, {}, {}, {}},
                            {2 * n, 0, {}, {}, {}, {}},
                            {2 * n, n, {}, {}, {}, {}}};
    auto lastPath = [&](int trusts) {
        const fs::path folder = dir / ("last" + std::to_string(trusts));
        fs::create_directories(folder);
        return (folder / "QolbTrust2017Lan.Mdb").string();
    };
    auto basePath = [&](int trusts) {
        return (dir / ("base" + std::to_string(trusts) + ".mdb")).string();
    };
    for (int trusts : {n, 2 * n})
        makeLastYear(lastPath(trusts), trusts);
    for (int trusts : {0, n})
        makeThisYear(basePath(trusts), trusts);
    // Each import starts from an empty transfer file, neither made in the run nor holding
    // the rows the run before it staged.
    const std::string transferBase = (dir / "TransTrustBase.mdb").string();
    transfer::emptyTrustsTransferFile(transferBase);
    ws().Close();
    const std::string thisYearCopy = (dir / "QolbTrust2018Lan.Mdb").string();

    const auto doImport = [&](const std::string& copy, const std::string& last) {
        return importAll(dir, copy, last);
    };
    int failed = 0;
    for (int r = 0; r < runs; ++r)
        for (Case& c : cases) {
            const auto doBare = [&](const std::string& copy, const std::string& last) {
                bareCopy(copy, last, c.already);
                return true;
            };
            bench::syncedCopy(transferBase, (dir / "TransTrustDB.mdb").string());
            const bench::ChildRun a =
                bench::inChild(basePath(c.already), thisYearCopy, lastPath(c.trusts), doImport);
            const bench::ChildRun b =
                bench::inChild(basePath(c.already), thisYearCopy, lastPath(c.trusts), doBare);
            if (a.seconds < 0 || b.seconds < 0) {
                ++failed;
                continue;
            }
            c.import.push_back(a.seconds);
            c.bare.push_back(b.seconds);
            c.importMb.push_back(a.megabytes);
            c.bareMb.push_back(b.megabytes);
        }
    fs::remove_all(dir);
    if (failed) return 1;

    std::printf("import of every trust (%d rows per detail table), %d runs each:\n", kRowsPerTable,
                runs);
    for (const Case& c : cases)
        std::printf("  %6d trusts into a year of %6d: import %s, bare copy %s, ratio %.2f "
                    "(limit 3); max RSS %s (bare %s)\n",
                    c.trusts, c.already, bench::medianAndRange(c.import).c_str(),
                    bench::medianAndRange(c.bare).c_str(),
                    bench::median(c.import) / bench::median(c.bare),
                    bench::medianAndRange(c.importMb, "MB").c_str(),
                    bench::medianAndRange(c.bareMb, "MB").c_str());
    for (int already : {0, n}) {
        const Case& small = cases[already ? 1 : 0];
        const Case& big = cases[already ? 3 : 2];
        std::printf("  into a year of %d: %d / %d trusts %.2f (limit 2.2)\n", already, 2 * n, n,
                    bench::median(big.import) / bench::median(small.import));
    }
    return 0;
}
