// Times every structure definition from nothing and again over complete files, against a
// plain sqlite3 script that creates the same tables and indexes.
//
//   schema_bench [repetitions]
//
// Prints one line per file and the totals; the targets are under 1 s from nothing, under
// 0.3 s over complete files, and at most twice the plain script.
//
// The plain script makes the same tables: the CREATE TABLE, CREATE INDEX and CREATE
// TRIGGER statements are read from the file the definition wrote, so both sides declare
// the same columns, constraints and collations; only the engine's description tables and
// its bookkeeping are left out. From nothing it creates everything; again over complete
// files it creates only what is missing and drops and makes anew every index the
// definition names, as the definition must. A last line gives, for reference, a script
// that declares bare columns (no constraints, no case-blind collation).

#include "Stats.h"
#include "schema/SchemaTables.h"
#include "schema/StructureDefinitions.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsOf(const std::function<void()>& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

using bench::median;

std::string sqlIdent(std::string_view name) {
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

const char* sqlType(schema::FieldType t) {
    switch (t) {
    case schema::FieldType::Boolean:
    case schema::FieldType::Integer:
        return "INTEGER";
    case schema::FieldType::Text:
    case schema::FieldType::Memo:
        return "TEXT";
    default:
        return "REAL";
    }
}

// For reference: bare columns, CREATE TABLE IF NOT EXISTS with every column, then each
// index dropped and made anew, in one transaction.
std::string bareScript(const std::vector<schema::TableSpec>& tables) {
    std::string sql = "BEGIN;\n";
    for (const auto& t : tables) {
        sql += "CREATE TABLE IF NOT EXISTS " + sqlIdent(t.name) + " (";
        bool first = true;
        for (const auto& f : schema::createdFields(t)) {
            sql += (first ? "" : ", ") + sqlIdent(f.name) + " " + sqlType(f.type);
            if (f.special == schema::SpecialDefaultZero) sql += " NOT NULL DEFAULT 0";
            if (f.special == schema::SpecialDefaultOne) sql += " NOT NULL DEFAULT 1";
            first = false;
        }
        sql += ");\n";
        for (const auto& ix : t.indexes) {
            const std::string name = sqlIdent(t.name + "." + std::string(ix.name));
            sql += "DROP INDEX IF EXISTS " + name + ";\n";
            sql += "CREATE INDEX " + name + " ON " + sqlIdent(t.name) + " (" + sqlIdent(ix.fields) +
                   ");\n";
        }
    }
    return sql + "COMMIT;\n";
}

// The statements of one kind that the file holds for a name (type 'table' or 'index') or
// for a table's triggers (type 'trigger', by table).
std::vector<std::string> storedSql(sqlite3* db, const char* type, const std::string& name) {
    const char* query = std::string_view(type) == "trigger"
                            ? "SELECT sql FROM sqlite_master WHERE type = ?1 AND tbl_name = ?2"
                            : "SELECT sql FROM sqlite_master WHERE type = ?1 AND name = ?2";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &s, nullptr) != SQLITE_OK) std::abort();
    sqlite3_bind_text(s, 1, type, -1, SQLITE_STATIC);
    sqlite3_bind_text(s, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::string> out;
    while (sqlite3_step(s) == SQLITE_ROW)
        out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    return out;
}

std::string ifNotExists(const std::string& create, std::string_view kind) {
    const std::string head = "CREATE " + std::string(kind) + " ";
    if (create.rfind(head, 0) != 0) std::abort();
    return head + "IF NOT EXISTS " + create.substr(head.size());
}

// The same tables as the definition made in `enginePath`, by the file's own statements.
std::string sameTablesScript(const std::string& enginePath,
                             const std::vector<schema::TableSpec>& tables) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(enginePath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        std::abort();
    std::string sql = "BEGIN;\n";
    for (const auto& t : tables) {
        // With the table of folded keys that the Text-keyed indexes are made on.
        for (const std::string& table : {t.name, t.name + "!keys"})
            for (const auto& create : storedSql(db, "table", table))
                sql += ifNotExists(create, "TABLE") + ";\n";
        for (const auto& create : storedSql(db, "trigger", t.name))
            sql += ifNotExists(create, "TRIGGER") + ";\n";
        for (const auto& ix : t.indexes) {
            const std::string name = t.name + "." + std::string(ix.name);
            for (const auto& create : storedSql(db, "index", name))
                sql += "DROP INDEX IF EXISTS " + sqlIdent(name) + ";\n" + create + ";\n";
        }
    }
    sqlite3_close(db);
    return sql + "COMMIT;\n";
}

void runScript(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) std::abort();
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "plain script: %s\n", error);
        std::abort();
    }
    sqlite3_close(db);
}

std::vector<schema::TableSpec>
concat(std::initializer_list<const std::vector<schema::TableSpec>*> parts) {
    std::vector<schema::TableSpec> out;
    for (const auto* p : parts)
        out.insert(out.end(), p->begin(), p->end());
    return out;
}

struct Definition {
    const char* name;
    std::function<void(const std::string& dir)> run;
    std::vector<std::string> files;
    std::vector<std::vector<schema::TableSpec>> tables; // one list per file
};

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<Definition> definitions = {
        {"MakeNewSysDb",
         [](const std::string& d) { schema::MakeNewSysDb(d + "/SysAdmin2018.mdb"); },
         {"SysAdmin2018.mdb"},
         {schema::systemDbTables()}},
        {"MakeNewDb",
         [](const std::string& d) {
             schema::MakeNewDb(d + "/Qolb2018LAN.mdb", d + "/QolbTrust2018Lan.Mdb",
                               d + "/QolbCompany2018Lan.Mdb");
         },
         {"Qolb2018LAN.mdb", "QolbTrust2018Lan.Mdb", "QolbCompany2018Lan.Mdb"},
         {concat({&schema::individualsMainTables(), &schema::individualsDetailTables(),
                  &schema::individualsExtendedTables()}),
          schema::trustDbTables(), schema::companyDbTables()}},
        {"MakeTemp_Personal_DB",
         [](const std::string& d) { schema::MakeTemp_Personal_DB(d + "/TransDB.mdb"); },
         {"TransDB.mdb"},
         {schema::transferPersonalTables()}},
        {"MakeTemp_Trust_DB",
         [](const std::string& d) { schema::MakeTemp_Trust_DB(d + "/TransTrustDB.mdb"); },
         {"TransTrustDB.mdb"},
         {schema::transferTrustTables()}},
        {"MakeTemp_Company_DB",
         [](const std::string& d) { schema::MakeTemp_Company_DB(d + "/TransCompanyDB.mdb"); },
         {"TransCompanyDB.mdb"},
         {schema::transferCompanyTables()}},
    };

    const auto root =
        std::filesystem::temp_directory_path() / ("schema-bench-" + std::to_string(::getpid()));
    std::printf("%-22s %12s %12s %12s %12s %8s %8s\n", "definition", "new (ms)", "plain (ms)",
                "again (ms)", "plain (ms)", "new x", "again x");
    double totals[4] = {0, 0, 0, 0};
    double bareTotals[2] = {0, 0};
    for (const Definition& def : definitions) {
        std::vector<double> fresh, again, plainFresh, plainAgain, bareFresh, bareAgain;
        for (int r = 0; r < repetitions; ++r) {
            const auto dir = root / std::to_string(r);
            std::filesystem::remove_all(dir);
            std::filesystem::create_directories(dir / "plain");
            std::filesystem::create_directories(dir / "bare");
            fresh.push_back(secondsOf([&] { def.run(dir.string()); }));
            again.push_back(secondsOf([&] { def.run(dir.string()); }));
            std::vector<std::string> scripts, bare;
            for (std::size_t i = 0; i < def.files.size(); ++i) {
                scripts.push_back(sameTablesScript((dir / def.files[i]).string(), def.tables[i]));
                bare.push_back(bareScript(def.tables[i]));
            }
            auto run = [&](const char* folder, const std::vector<std::string>& sql) {
                return [&, folder] {
                    for (std::size_t i = 0; i < def.files.size(); ++i)
                        runScript((dir / folder / def.files[i]).string(), sql[i]);
                };
            };
            plainFresh.push_back(secondsOf(run("plain", scripts)));
            plainAgain.push_back(secondsOf(run("plain", scripts)));
            bareFresh.push_back(secondsOf(run("bare", bare)));
            bareAgain.push_back(secondsOf(run("bare", bare)));
        }
        const double m[4] = {median(fresh), median(plainFresh), median(again), median(plainAgain)};
        for (int i = 0; i < 4; ++i)
            totals[i] += m[i];
        bareTotals[0] += median(bareFresh);
        bareTotals[1] += median(bareAgain);
        std::printf("%-22s %12.1f %12.1f %12.1f %12.1f %8.2f %8.2f\n", def.name, m[0] * 1e3,
                    m[1] * 1e3, m[2] * 1e3, m[3] * 1e3, m[0] / m[1], m[2] / m[3]);
    }
    std::printf("%-22s %12.1f %12.1f %12.1f %12.1f %8.2f %8.2f\n", "all seven files",
                totals[0] * 1e3, totals[1] * 1e3, totals[2] * 1e3, totals[3] * 1e3,
                totals[0] / totals[1], totals[2] / totals[3]);
    std::printf("%-22s %12s %12.1f %12s %12.1f %8.2f %8.2f\n", "bare-column script", "",
                bareTotals[0] * 1e3, "", bareTotals[1] * 1e3, totals[0] / bareTotals[0],
                totals[2] / bareTotals[1]);
    std::filesystem::remove_all(root);
    return 0;
}
