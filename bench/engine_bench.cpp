// The engine against plain SQLite doing the same work, as ratios (engine time / SQLite
// time), and two processes writing one file against one alone. The two sides run
// alternately on fresh files, RUNS times each (7 unless set).
//
//   engine_bench [rows-scale [name-part]]   (1 = the sizes below; only the cases named so)

#include "Stats.h"
#include "engine/Dao.h"
#include "runtime/CaseFold.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using engine::Variant;

namespace {

constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

fs::path gDir;
int gScale = 1;

std::string file(const std::string& name) {
    return (gDir / name).string();
}

void removeFile(const std::string& name) {
    std::error_code ec;
    fs::remove(file(name), ec);
    fs::remove(file(name) + "-journal", ec);
}

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

void exec(sqlite3* db, const std::string& sql) {
    check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
}

// The same open flags and settings as the engine's own connections.
sqlite3* openPlain(const std::string& path) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(path.c_str(), &db,
                          SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                          nullptr),
          db);
    exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=-16000; PRAGMA temp_store=MEMORY");
    return db;
}

struct Side {
    std::function<void()> prepare, work; // only `work` is timed
};

double timed(const Side& side) {
    side.prepare();
    const auto start = std::chrono::steady_clock::now();
    side.work();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    engine::DBEngine::instance().Workspaces(0).Close();
    return d.count();
}

using bench::median;

// Runs the two sides alternately (which goes first alternates too) and reports the median
// time of each, with its range, and the median of the run-by-run ratios, with its range.
const char* gOnly = nullptr; // runs only the cases whose name holds this text

void compare(const char* name, const Side& engineSide, const Side& sqliteSide, double limit) {
    if (gOnly && !std::strstr(name, gOnly)) return;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 7;
    std::vector<double> e, q, ratios;
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            e.push_back(timed(engineSide));
            q.push_back(timed(sqliteSide));
        } else {
            q.push_back(timed(sqliteSide));
            e.push_back(timed(engineSide));
        }
        ratios.push_back(e.back() / q.back());
    }
    const double ratio = median(ratios);
    std::printf("%s\n  engine %.3f s (%.3f-%.3f)  sqlite %.3f s (%.3f-%.3f)  ratio %.2f "
                "(%.2f-%.2f, limit %.1f) %s\n",
                name, median(e), *std::min_element(e.begin(), e.end()),
                *std::max_element(e.begin(), e.end()), median(q),
                *std::min_element(q.begin(), q.end()), *std::max_element(q.begin(), q.end()), ratio,
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), limit,
                ratio <= limit ? "ok" : "OVER");
}

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

// 1. AddNew/Update of wide rows of Doubles, one transaction.
void wideRows() {
    const int rows = 10000 * gScale;
    const int fields = 244;
    auto makeEngineFile = [&] {
        removeFile("wide.mdb");
        auto db = ws().CreateDatabase(file("wide.mdb"), kLocale);
        auto td = db->CreateTableDef("Wide");
        for (int i = 0; i < fields; ++i)
            td->Fields().Append(td->CreateField("F" + std::to_string(i), engine::dbDouble));
        db->TableDefs().Append(td);
        ws().Close();
    };
    const Side engineSide{makeEngineFile, [&] {
                              auto db = ws().OpenDatabase(file("wide.mdb"));
                              auto rs = db->OpenRecordset("Wide", engine::dbOpenTable);
                              ws().BeginTrans();
                              for (int r = 0; r < rows; ++r) {
                                  rs->AddNew();
                                  for (int i = 0; i < fields; ++i)
                                      rs->Fields(i).setValue(Variant(r * 1000.0 + i));
                                  rs->Update();
                              }
                              ws().CommitTrans();
                          }};
    const Side sqliteSide{[&] {
                              removeFile("wide-plain.db");
                              sqlite3* db = openPlain(file("wide-plain.db"));
                              std::string sql = "CREATE TABLE Wide (";
                              for (int i = 0; i < fields; ++i)
                                  sql += (i ? ", \"F" : "\"F") + std::to_string(i) + "\" REAL";
                              exec(db, sql + ")");
                              sqlite3_close(db);
                          },
                          [&] {
                              sqlite3* db = openPlain(file("wide-plain.db"));
                              std::string sql = "INSERT INTO Wide VALUES (";
                              for (int i = 0; i < fields; ++i)
                                  sql += i ? ", ?" : "?";
                              sqlite3_stmt* ins = nullptr;
                              check(sqlite3_prepare_v2(db, (sql + ")").c_str(), -1, &ins, nullptr),
                                    db);
                              exec(db, "BEGIN");
                              for (int r = 0; r < rows; ++r) {
                                  for (int i = 0; i < fields; ++i)
                                      sqlite3_bind_double(ins, i + 1, r * 1000.0 + i);
                                  check(sqlite3_step(ins), db);
                                  sqlite3_reset(ins);
                              }
                              exec(db, "COMMIT");
                              sqlite3_finalize(ins);
                              sqlite3_close(db);
                          }};
    compare("AddNew/Update, 244 Doubles, 10,000 rows, one transaction", engineSide, sqliteSide, 2);
}

// 1b. AddNew/Update of rows keyed by a Text index (names beyond ASCII), one transaction.
// The engine keeps such an index on a table of folded keys beside the rows; the plain side
// keeps the same: each row, then its folded name under the same rowid, indexed.
void textKeyedRows() {
    const int rows = 20000 * gScale;
    auto name = [rows](int r) {
        static const char* const first[] = {"Zoë", "Émile", "ÅSA", "björn", "Σοφία", "Olga"};
        return std::string(first[r % 6]) + " " + std::to_string(r * 7919 % rows);
    };
    const Side engineSide{[&] {
                              removeFile("names.mdb");
                              auto db = ws().CreateDatabase(file("names.mdb"), kLocale);
                              auto td = db->CreateTableDef("Names");
                              td->Fields().Append(td->CreateField("Name", engine::dbText, 50));
                              td->Fields().Append(td->CreateField("Town", engine::dbText, 30));
                              td->Fields().Append(td->CreateField("N", engine::dbDouble));
                              auto ix = td->CreateIndex("NameIndex");
                              ix->Fields().Append(ix->CreateField("Name"));
                              td->Indexes().Append(ix);
                              db->TableDefs().Append(td);
                              ws().Close();
                          },
                          [&] {
                              auto db = ws().OpenDatabase(file("names.mdb"));
                              auto rs = db->OpenRecordset("Names", engine::dbOpenTable);
                              ws().BeginTrans();
                              for (int r = 0; r < rows; ++r) {
                                  rs->AddNew();
                                  rs->Fields(0).setValue(Variant(name(r)));
                                  rs->Fields(1).setValue(Variant("Zürich"));
                                  rs->Fields(2).setValue(Variant(double(r)));
                                  rs->Update();
                              }
                              ws().CommitTrans();
                          }};
    const Side sqliteSide{
        [&] {
            removeFile("names-plain.db");
            sqlite3* db = openPlain(file("names-plain.db"));
            exec(db, "CREATE TABLE Names (Name TEXT COLLATE NOCASE, Town TEXT COLLATE NOCASE, N "
                     "REAL); CREATE TABLE NameKeys (id INTEGER PRIMARY KEY, Name TEXT); "
                     "CREATE INDEX NameIndex ON NameKeys (Name)");
            sqlite3_close(db);
        },
        [&] {
            sqlite3* db = openPlain(file("names-plain.db"));
            sqlite3_stmt *ins = nullptr, *key = nullptr;
            check(sqlite3_prepare_v2(db, "INSERT INTO Names VALUES (?, ?, ?)", -1, &ins, nullptr),
                  db);
            check(sqlite3_prepare_v2(db, "INSERT INTO NameKeys VALUES (?, ?)", -1, &key, nullptr),
                  db);
            exec(db, "BEGIN");
            for (int r = 0; r < rows; ++r) {
                const std::string n = name(r);
                sqlite3_bind_text(ins, 1, n.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(ins, 2, "Zürich", -1, SQLITE_STATIC);
                sqlite3_bind_double(ins, 3, r);
                check(sqlite3_step(ins), db);
                sqlite3_reset(ins);
                const std::string folded = runtime::foldCase(n);
                sqlite3_bind_int64(key, 1, sqlite3_last_insert_rowid(db));
                sqlite3_bind_text(key, 2, folded.c_str(), -1, SQLITE_TRANSIENT);
                check(sqlite3_step(key), db);
                sqlite3_reset(key);
            }
            exec(db, "COMMIT");
            sqlite3_finalize(ins);
            sqlite3_finalize(key);
            sqlite3_close(db);
        }};
    compare("AddNew/Update, Text-keyed index, 20,000 rows, one transaction", engineSide, sqliteSide,
            2);
}

// A detail table like the capital-gains assets: 25 fields, an index on the client number.
void makeDetailTable(const engine::DatabasePtr& db, const std::string& name) {
    auto td = db->CreateTableDef(name);
    td->Fields().Append(td->CreateField("In Use", engine::dbBoolean));
    td->Fields().Append(td->CreateField("DCLNO", engine::dbDouble));
    td->Fields().Append(td->CreateField("AssetNum", engine::dbInteger));
    auto desc = td->CreateField("AssetDesc", engine::dbText, 60);
    desc->setAllowZeroLength(true);
    td->Fields().Append(desc);
    for (int i = 0; i < 21; ++i)
        td->Fields().Append(td->CreateField("Amount" + std::to_string(i), engine::dbDouble));
    db->TableDefs().Append(td);
    auto ix = td->CreateIndex("DCLNOIndex");
    ix->Fields().Append(ix->CreateField("DCLNO"));
    td->Indexes().Append(ix);
}

void fillDetailTable(const engine::DatabasePtr& db, const std::string& name, int rows) {
    auto rs = db->OpenRecordset(name, engine::dbOpenTable);
    ws().BeginTrans();
    for (int r = 0; r < rows; ++r) {
        rs->AddNew();
        rs->Fields(1).setValue(Variant(double(r % 5000)));
        rs->Fields(2).setValue(Variant(std::int16_t(r % 7)));
        rs->Fields(3).setValue(Variant("asset " + std::to_string(r)));
        for (int i = 0; i < 21; ++i)
            rs->Fields(4 + i).setValue(Variant(r + i * 0.25));
        rs->Update();
    }
    ws().CommitTrans();
}

// 2. A table-type walk that edits one field of every row.
void editWalk() {
    const int rows = 10000 * gScale;
    auto prepare = [&] {
        removeFile("walk.mdb");
        auto db = ws().CreateDatabase(file("walk.mdb"), kLocale);
        makeDetailTable(db, "CGTDetails");
        fillDetailTable(db, "CGTDetails", rows);
        ws().Close();
    };
    const Side engineSide{prepare, [&] {
                              auto db = ws().OpenDatabase(file("walk.mdb"));
                              auto rs = db->OpenRecordset("CGTDetails", engine::dbOpenTable);
                              rs->setIndex("DCLNOIndex");
                              const int amount = rs->fieldOrdinal("Amount3");
                              ws().BeginTrans();
                              while (!rs->Eof()) {
                                  rs->Edit();
                                  rs->Fields(amount).setValue(
                                      Variant(rs->Fields(amount).Value().rawDouble() + 1));
                                  rs->Update();
                                  rs->MoveNext();
                              }
                              ws().CommitTrans();
                          }};
    const Side sqliteSide{prepare, [&] {
                              sqlite3* db = openPlain(file("walk.mdb"));
                              exec(db, "UPDATE CGTDetails SET Amount3 = Amount3 + 1");
                              sqlite3_close(db);
                          }};
    compare("Table-type walk, Edit/Update of one field, 10,000 rows", engineSide, sqliteSide, 5);
}

// 3. INSERT ... IN 'path' SELECT of many rows into another file.
void insertIn() {
    const int rows = 100000 * gScale;
    auto makeSource = [&] {
        removeFile("source.mdb");
        auto db = ws().CreateDatabase(file("source.mdb"), kLocale);
        makeDetailTable(db, "CGTDetails");
        auto q = db->CreateTableDef("Qolb2017");
        q->Fields().Append(q->CreateField("DCLNO", engine::dbDouble));
        q->Fields().Append(q->CreateField("MPERSDECEASED", engine::dbInteger));
        db->TableDefs().Append(q);
        auto ix = q->CreateIndex("PERSNUM");
        ix->Fields().Append(ix->CreateField("DCLNO"));
        q->Indexes().Append(ix);
        ws().BeginTrans();
        auto rs = db->OpenRecordset("Qolb2017", engine::dbOpenTable);
        for (int i = 0; i < 5000; ++i) {
            rs->AddNew();
            rs->Fields(0).setValue(Variant(double(i)));
            rs->Fields(1).setValue(Variant(std::int16_t(i % 50 == 0)));
            rs->Update();
        }
        ws().CommitTrans();
        fillDetailTable(db, "CGTDetails", rows);
        ws().Close();
    };
    makeSource();
    auto makeTarget = [&] {
        removeFile("target.mdb");
        auto db = ws().CreateDatabase(file("target.mdb"), kLocale);
        makeDetailTable(db, "CGTDetails");
        ws().Close();
    };
    std::string columns = "DCLNO, AssetNum, AssetDesc",
                select = "CGTDetails.DCLNO, AssetNum, AssetDesc";
    for (int i = 0; i < 21; ++i) {
        columns += ", Amount" + std::to_string(i);
        select += ", Amount" + std::to_string(i);
    }
    const std::string from = " FROM CGTDetails LEFT JOIN Qolb2017 ON CGTDetails.DCLNO = "
                             "Qolb2017.DCLNO WHERE Qolb2017.MPERSDECEASED = 0";
    // Both sides in a transaction of their own, or both in none.
    for (const bool inTransaction : {false, true}) {
        const Side engineSide{makeTarget, [&] {
                                  auto db = ws().OpenDatabase(file("source.mdb"));
                                  if (inTransaction) ws().BeginTrans();
                                  db->Execute("INSERT INTO CGTDetails (" + columns + ") IN '" +
                                              file("target.mdb") + "' SELECT " + select + from +
                                              ";");
                                  if (inTransaction) ws().CommitTrans();
                              }};
        const Side sqliteSide{
            makeTarget, [&] {
                sqlite3* db = openPlain(file("source.mdb"));
                sqlite3_stmt* att = nullptr;
                check(sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS t", -1, &att, nullptr), db);
                sqlite3_bind_text(att, 1, file("target.mdb").c_str(), -1, SQLITE_TRANSIENT);
                check(sqlite3_step(att), db);
                sqlite3_finalize(att);
                // A pragma without a schema sets the main file only: the target is set alike.
                exec(db, "PRAGMA t.journal_mode=DELETE; PRAGMA t.cache_size=-16000");
                if (inTransaction) exec(db, "BEGIN IMMEDIATE");
                exec(db, "INSERT INTO t.CGTDetails (" + columns + ") SELECT " + select + from);
                if (inTransaction) exec(db, "COMMIT");
                sqlite3_close(db);
            }};
        compare(inTransaction ? "INSERT ... IN 'path' SELECT, 100,000 rows, inside BeginTrans"
                              : "INSERT ... IN 'path' SELECT, 100,000 rows",
                engineSide, sqliteSide, 1.3);
    }
}

// 4. Two processes storing rows in one file at once, as two users of a shared file do: each
// adds its rows with AddNew/Update, a few to a transaction or one at a time, and waits out
// the other's brief locks. Reported as rows a second of both together against one alone;
// afterwards the file must hold every row of every writer.
void makeSharedFile() {
    removeFile("shared.mdb");
    auto db = ws().CreateDatabase(file("shared.mdb"), kLocale);
    auto td = db->CreateTableDef("Entries");
    td->Fields().Append(td->CreateField("Writer", engine::dbInteger));
    td->Fields().Append(td->CreateField("N", engine::dbLong));
    td->Fields().Append(td->CreateField("Name", engine::dbText, 50));
    td->Fields().Append(td->CreateField("Amount", engine::dbDouble));
    auto ix = td->CreateIndex("NameIndex");
    ix->Fields().Append(ix->CreateField("Name"));
    td->Indexes().Append(ix);
    db->TableDefs().Append(td);
    ws().Close();
}

// One writer's rows (run in a child process): 0 when all were stored.
int storeRows(int writer, int rows, int perTransaction) {
    try {
        auto db = ws().OpenDatabase(file("shared.mdb"));
        auto rs = db->OpenRecordset("Entries", engine::dbOpenTable);
        for (int r = 0; r < rows; ++r) {
            if (perTransaction > 1 && r % perTransaction == 0) ws().BeginTrans();
            rs->AddNew();
            rs->Fields(0).setValue(Variant(std::int16_t(writer)));
            rs->Fields(1).setValue(Variant(std::int32_t(r)));
            rs->Fields(2).setValue(Variant("Émile " + std::to_string(writer * rows + r)));
            rs->Fields(3).setValue(Variant(r * 0.5));
            rs->Update();
            if (perTransaction > 1 && (r % perTransaction == perTransaction - 1 || r == rows - 1))
                ws().CommitTrans();
        }
        ws().Close();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "writer %d failed: %s\n", writer, e.what());
        return 1;
    }
}

// Rows the file holds from each writer.
std::vector<long> rowsByWriter(int writers) {
    std::vector<long> counts;
    auto db = ws().OpenDatabase(file("shared.mdb"));
    for (int w = 1; w <= writers; ++w) {
        auto rs = db->OpenRecordset("SELECT N FROM Entries WHERE Writer = " + std::to_string(w),
                                    engine::dbOpenDynaset);
        long n = 0;
        for (; !rs->Eof(); rs->MoveNext())
            ++n;
        counts.push_back(n);
    }
    ws().Close();
    return counts;
}

// Seconds for `writers` processes to store `rows` rows each into a fresh file; false in
// `complete` (and a loud message) when a writer failed or rows are missing.
double concurrentRun(int writers, int rows, int perTransaction, bool& complete) {
    makeSharedFile(); // closed again: a child must inherit no open file
    const auto start = std::chrono::steady_clock::now();
    std::vector<pid_t> children;
    for (int w = 1; w <= writers; ++w) {
        const pid_t pid = fork();
        if (pid < 0) throw std::runtime_error("fork failed");
        if (pid == 0) _exit(storeRows(w, rows, perTransaction));
        children.push_back(pid);
    }
    bool failed = false;
    for (const pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        failed = failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    const std::vector<long> counts = rowsByWriter(writers);
    for (int w = 0; w < writers; ++w)
        failed = failed || counts[static_cast<std::size_t>(w)] != rows;
    if (failed) {
        std::printf("  *** FAILED: %d writer(s) of %d rows each left", writers, rows);
        for (const long n : counts)
            std::printf(" %ld", n);
        std::printf(" rows ***\n");
        complete = false;
    }
    return d.count();
}

void twoWriters() {
    struct Mode {
        const char* name;
        int rows, perTransaction;
    };
    const Mode modes[] = {
        {"Two processes writing one file, 2,000 rows each, 10 to a transaction", 2000, 10},
        {"Two processes writing one file, 300 rows each, one at a time", 300, 1},
    };
    for (const Mode& m : modes) {
        if (gOnly && !std::strstr(m.name, gOnly)) continue;
        const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 7;
        const int rows = m.rows * gScale;
        std::vector<double> alone, both, ratios;
        bool complete = true;
        for (int run = 0; run < runs; ++run) {
            double one = 0, two = 0;
            if (run % 2 == 0) {
                one = concurrentRun(1, rows, m.perTransaction, complete);
                two = concurrentRun(2, rows, m.perTransaction, complete);
            } else {
                two = concurrentRun(2, rows, m.perTransaction, complete);
                one = concurrentRun(1, rows, m.perTransaction, complete);
            }
            alone.push_back(rows / one);
            both.push_back(2 * rows / two);
            ratios.push_back(both.back() / alone.back());
        }
        std::printf(
            "%s\n  one alone %.0f rows/s (%.0f-%.0f)  both together %.0f rows/s (%.0f-%.0f)  "
            "together/alone %.2f (%.2f-%.2f) %s\n",
            m.name, median(alone), *std::min_element(alone.begin(), alone.end()),
            *std::max_element(alone.begin(), alone.end()), median(both),
            *std::min_element(both.begin(), both.end()),
            *std::max_element(both.begin(), both.end()), median(ratios),
            *std::min_element(ratios.begin(), ratios.end()),
            *std::max_element(ratios.begin(), ratios.end()),
            complete ? "all rows stored" : "*** ROWS LOST OR WRITERS FAILED ***");
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) gScale = std::max(1, std::atoi(argv[1]));
    if (argc > 2) gOnly = argv[2];
    std::string pattern = (fs::temp_directory_path() / "engine-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    gDir = pattern;
    int status = 0;
    try {
        wideRows();
        textKeyedRows();
        editWalk();
        insertIn();
        twoWriters();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
        status = 1;
    }
    ws().Close();
    std::error_code ec;
    fs::remove_all(gDir, ec);
    return status;
}
