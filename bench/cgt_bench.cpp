// The capital-gains clean-up after an import of 10,000 clients with 5 assets each (one
// of them sold, each asset with a line in every cost table) into a year that already holds
// 10,000 such clients, against plain SQLite doing the same deletes and updates in one
// set-based pass. The sides alternate on fresh copies of one file, RUNS times each (7
// unless set); each prints its median and range, and the ratio (limit 3).
//
//   cgt_bench [clients-per-year]

#include "Stats.h"
#include "engine/Dao.h"
#include "engine/Transaction.h"
#include "transfer/CapitalGainsCleanUp.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using runtime::Variant;

namespace {

constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";
constexpr int kAssets = 5;
const std::vector<std::string> kCostTables{"CGTAcqCost", "CGTImproveMade", "CGTSaleCost",
                                           "CGTImproveMadeBefore"};

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

void addTable(engine::Database& db, const std::string& name,
              const std::vector<std::pair<std::string, int>>& fields, const std::string& index) {
    auto td = db.CreateTableDef(name);
    for (const auto& [field, type] : fields)
        td->Fields().Append(td->CreateField(field, type));
    if (!index.empty()) { // on the client number, as this year's file has it
        auto ix = td->CreateIndex(index);
        ix->Fields().Append(ix->CreateField("DCLNO"));
        td->Indexes().Append(ix);
    }
    db.TableDefs().Append(td);
}

// Clients 1 to 2n, the second half just imported; asset 2 of every client is sold.
void makeBase(const std::string& path, int perYear) {
    auto db = ws().CreateDatabase(path, kLocale);
    addTable(*db, "CGTDetails",
             {{"DCLNO", engine::dbDouble},
              {"CGTMaxNum", engine::dbInteger},
              {"CGTAssetNum", engine::dbInteger},
              {"DateSale", engine::dbDouble}},
             "DCLNOIndex");
    for (const std::string& t : kCostTables)
        addTable(*db, t,
                 {{"DCLNO", engine::dbDouble},
                  {"Cost", engine::dbDouble},
                  {"CGTAsset Number", engine::dbDouble}},
                 "");
    addTable(*db, "Qolb2018", {{"DCLNO", engine::dbDouble}, {"ICGT", engine::dbInteger}},
             "PERSNUM");
    engine::Transaction tx;
    auto assets = db->OpenRecordset("CGTDetails", engine::dbOpenTable);
    std::vector<engine::RecordsetPtr> costs;
    for (const std::string& t : kCostTables)
        costs.push_back(db->OpenRecordset(t, engine::dbOpenTable));
    auto main = db->OpenRecordset("Qolb2018", engine::dbOpenTable);
    for (int c = 1; c <= 2 * perYear; ++c) {
        for (int a = 1; a <= kAssets; ++a) {
            assets->AddNew();
            assets->Fields("DCLNO").setValue(Variant(double(c)));
            assets->Fields("CGTMaxNum").setValue(Variant(std::int16_t{kAssets}));
            assets->Fields("CGTAssetNum").setValue(Variant(static_cast<std::int16_t>(a)));
            assets->Fields("DateSale").setValue(Variant(a == 2 ? 43000.0 : -693959.0));
            assets->Update();
            for (auto& rs : costs) {
                rs->AddNew();
                rs->Fields("DCLNO").setValue(Variant(double(c)));
                rs->Fields("Cost").setValue(Variant(10.0 * a));
                rs->Fields("CGTAsset Number").setValue(Variant(double(a)));
                rs->Update();
            }
        }
        main->AddNew();
        main->Fields("DCLNO").setValue(Variant(double(c)));
        main->Fields("ICGT").setValue(Variant(std::int16_t{1}));
        main->Update();
    }
    tx.commit();
    ws().Close();
}

// The same end state in one pass of plain SQL: SQLite numbers the rows itself.
void plainCleanUp(const std::string& path, int first) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
          db);
    const std::string f = std::to_string(first), sold = "DateSale > -693959";
    std::string sql = "PRAGMA journal_mode=DELETE; BEGIN;"
                      "CREATE TEMP TABLE plan AS SELECT rowid AS r, DCLNO AS c, CGTAssetNum AS old,"
                      " " +
                      sold + " AS gone FROM CGTDetails WHERE DCLNO >= " + f +
                      ";"
                      "DELETE FROM CGTDetails WHERE DCLNO >= " +
                      f + " AND " + sold +
                      ";"
                      "CREATE TEMP TABLE kept AS SELECT r, c, old, ROW_NUMBER() OVER"
                      " (PARTITION BY c ORDER BY old, r) AS new, COUNT(*) OVER (PARTITION BY c)"
                      " AS n FROM plan WHERE NOT gone;"
                      "CREATE INDEX temp.keptKey ON kept (c, old);"
                      "CREATE INDEX temp.goneKey ON plan (c, old) WHERE gone;";
    for (const std::string& t : kCostTables) {
        const std::string n = "\"CGTAsset Number\"";
        sql += "DELETE FROM " + t + " WHERE DCLNO >= " + f +
               " AND EXISTS (SELECT 1 FROM plan WHERE gone AND c = DCLNO AND old = " + n + ");";
        sql += "UPDATE " + t + " SET " + n +
               " = k.new FROM kept AS k WHERE k.c = DCLNO AND k.old = " + n +
               " AND k.new <> k.old AND DCLNO >= " + f + ";";
    }
    sql += "UPDATE CGTDetails SET CGTAssetNum = k.new, CGTMaxNum = k.n FROM kept AS k"
           " WHERE CGTDetails.rowid = k.r;"
           "UPDATE Qolb2018 SET ICGT = (SELECT COUNT(*) > 0 FROM kept WHERE c = DCLNO)"
           " WHERE DCLNO IN (SELECT c FROM plan WHERE gone);"
           "COMMIT;";
    check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

// The rows of every table the clean-up writes, in row order, for comparing the two sides.
std::string endState(const std::string& path) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), db);
    std::string out;
    std::vector<std::string> tables = kCostTables;
    tables.insert(tables.end(), {"CGTDetails", "Qolb2018"});
    for (const std::string& t : tables) {
        const std::string sql = "SELECT * FROM " + t + " ORDER BY rowid";
        sqlite3_stmt* q = nullptr;
        check(sqlite3_prepare_v2(db, sql.c_str(), -1, &q, nullptr), db);
        out += t + "\n";
        while (sqlite3_step(q) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(q); ++i) {
                // Numbers as numbers: an integer stored in a Double field reads the same.
                const bool null = sqlite3_column_type(q, i) == SQLITE_NULL;
                out += null ? "null" : std::to_string(sqlite3_column_double(q, i));
                out += ' ';
            }
            out += '\n';
        }
        sqlite3_finalize(q);
    }
    sqlite3_close(db);
    return out;
}

using bench::median;

double timed(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    return d.count();
}

void report(const char* side, const std::vector<double>& v) {
    std::printf("  %-7s %s\n", side, bench::medianAndRange(v).c_str());
}

} // namespace

int main(int argc, char** argv) {
    const int perYear = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 7;
    const fs::path dir = fs::temp_directory_path() / ("cgt_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string base = (dir / "base.mdb").string(), work = (dir / "work.mdb").string();
    makeBase(base, perYear);

    std::vector<double> imported;
    for (int c = perYear + 1; c <= 2 * perYear; ++c)
        imported.push_back(c);
    auto engineSide = [&] {
        auto db = ws().OpenDatabase(work);
        engine::Transaction tx;
        transfer::RenumberCGT_Personal(*db, imported);
        tx.commit();
        ws().Close();
    };
    auto plainSide = [&] { plainCleanUp(work, perYear + 1); };

    // Both sides must leave the same rows, or the comparison says nothing.
    std::string states[2];
    for (int side = 0; side < 2; ++side) {
        fs::copy_file(base, work, fs::copy_options::overwrite_existing);
        (side == 0 ? std::function<void()>(engineSide) : plainSide)();
        states[side] = endState(work);
    }
    if (states[0] != states[1]) {
        std::fprintf(stderr, "the two sides leave different rows\n");
        fs::remove_all(dir);
        return 1;
    }

    std::vector<double> e, q, ratios;
    for (int run = 0; run < runs; ++run) {
        for (int side = 0; side < 2; ++side) {
            const bool engineTurn = (side == 0) == (run % 2 == 0);
            fs::copy_file(base, work, fs::copy_options::overwrite_existing);
            const double t = timed(engineTurn ? std::function<void()>(engineSide) : plainSide);
            (engineTurn ? e : q).push_back(t);
        }
        ratios.push_back(e.back() / q.back());
    }
    std::printf("capital-gains clean-up, %d imported clients into %d, %d runs\n", perYear, perYear,
                runs);
    report("engine", e);
    report("sqlite", q);
    const double ratio = median(ratios);
    std::printf("  ratio   %.2f (%.2f-%.2f, limit 3.0) %s\n", ratio,
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), ratio <= 3.0 ? "ok" : "OVER");
    fs::remove_all(dir);
    return 0;
}
