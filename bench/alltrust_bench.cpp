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

#include "BareCopy.h"
#include "BenchDesktop.h"
#include "GrowRows.h"
#include "ImportScaling.h"
#include "Stats.h"
#include "SyncedCopy.h"
#include "app/frmSysAdmin.h"
#include "carryforward/Imports.h"
#include "engine/Dao.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"
#include "transfer/AllTrustsImport.h"
#include "transfer/SqlText.h"
#include "transfer/TrustCarryTables.h"
#include "transfer/TrustDetailCopies.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
        bench::grow(*db, t, "TDCLNO", trusts);
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
        bench::grow(*db, t, "TDCLNO", trusts);
    db->Close();
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
    case Make::Found:
        return "1"; // the row read is there
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
    return "INSERT INTO main." + bracketed(table.target) + " (" + bench::joined(targets) +
           ") SELECT " + bench::joined(values) + " FROM l." + bracketed(source) +
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
        out.push_back("INSERT INTO main." + bracketed(plan.target) + " (" + bench::joined(targets) +
                      ") SELECT " + bench::joined(values) + " FROM l." + bracketed(plan.source) +
                      carriedTrusts + (order.empty() ? "" : " ORDER BY " + bench::joined(order)));
    }
    return out;
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

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 3;
    const fs::path dir = fs::temp_directory_path() / ("alltrust_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);

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
    bench::Scaling scaling;
    scaling.n = n;
    scaling.runs = runs;
    scaling.clients = "trusts";
    scaling.lastYear = lastPath;
    scaling.thisYearBase = basePath;
    scaling.thisYearCopy = (dir / "QolbTrust2018Lan.Mdb").string();
    scaling.transferBase = transferBase;
    scaling.transferCopy = (dir / "TransTrustDB.mdb").string();
    scaling.import = [&](const std::string& copy, const std::string& last) {
        return importAll(dir, copy, last);
    };
    scaling.bare = [](const bench::ScalingCase& c) -> bench::Work {
        return [&c](const std::string& copy, const std::string& last) {
            bench::bareCopy(copy, last, bareStatements(c.already));
            return true;
        };
    };
    std::vector<bench::ScalingCase> cases;
    const bool ok = bench::runScaling(scaling, cases);
    fs::remove_all(dir);
    if (!ok) return 1;
    std::printf("import of every trust (%d rows per detail table), %d runs each:\n", kRowsPerTable,
                runs);
    bench::reportScaling(scaling, cases);
    return 0;
}
