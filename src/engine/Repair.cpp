#include "engine/Repair.h"

#include "engine/EngineErrors.h"
#include "engine/FileLock.h"
#include "engine/FileUri.h"
#include "engine/RepairedTables.h"

#include <cctype>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>
#include <string_view>
#include <system_error>
#include <vector>

namespace engine {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic{"SQLite format 3\0", 16};

bool hasDatabaseHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[16] = {};
    in.read(head, sizeof head);
    return in.gcount() == static_cast<std::streamsize>(sizeof head) &&
           std::string_view(head, sizeof head) == kMagic;
}

std::string quoteIdent(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

// "<path>.damaged-YYYYMMDD-HHMMSS", numbered when taken.
std::string copyName(const std::string& path) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".damaged-" + stamp;
    std::string name = base;
    std::error_code ec;
    for (int n = 2; fs::exists(name, ec) || fs::exists(name + "-journal", ec); ++n)
        name = base + "-" + std::to_string(n);
    return name;
}

class Connection {
public:
    Connection(const std::string& path, int flags) {
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            sqlite3_close(db_);
            db_ = nullptr;
        } else {
            sqlite3_busy_timeout(db_, 500);
        }
    }
    ~Connection() { sqlite3_close(db_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* get() const { return db_; }
    bool exec(const std::string& sql) {
        return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

struct SchemaRow {
    std::string type, name, sql;
};

// The pragma's value on the source, or -1 when it cannot be read.
std::int64_t pragmaValue(sqlite3* db, const char* pragma) {
    Statement st(db, std::string("PRAGMA ") + pragma);
    if (!st || sqlite3_step(st.get()) != SQLITE_ROW) return -1;
    return sqlite3_column_int64(st.get(), 0);
}

// Copies the rows of one table that can be read. Rows sit in b-tree pages by rowid: when
// a page cannot be read, the scan goes on from the first rowid beyond it that can be
// reached, so one damaged page costs only its own rows. False when no part of the table
// could be read at all (an empty table reads).
bool copyRows(sqlite3* src, sqlite3* dst, const std::string& table) {
    const std::string quoted = quoteIdent(table);
    Statement probe(src, "SELECT rowid FROM " + quoted + " LIMIT 0");
    const bool hasRowid = static_cast<bool>(probe);
    Statement read(src, hasRowid
                            ? "SELECT rowid, * FROM " + quoted + " WHERE rowid >= ?1 ORDER BY rowid"
                            : "SELECT * FROM " + quoted);
    if (!read) return false;
    const int columns = sqlite3_column_count(read.get());
    std::string insert = "INSERT OR IGNORE INTO " + quoted + " (";
    std::string marks;
    for (int c = 0; c < columns; ++c) {
        insert +=
            (c ? ", " : "") + (hasRowid && c == 0 ? std::string("rowid")
                                                  : quoteIdent(sqlite3_column_name(read.get(), c)));
        marks += c ? ", ?" : "?";
    }
    Statement write(dst, insert + ") VALUES (" + marks + ")");
    if (!write) return false;

    bool done = false, reached = false;
    auto restart = [&](std::int64_t start) {
        sqlite3_reset(read.get());
        if (hasRowid) sqlite3_bind_int64(read.get(), 1, start);
    };
    // Whether a scan from `start` gets past its first step.
    auto readable = [&](std::int64_t start) {
        restart(start);
        const int rc = sqlite3_step(read.get());
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
    };
    // Copies rows from `start` until the end (done) or a failure; returns the rowid the
    // scan would go on from.
    auto scan = [&](std::int64_t start) {
        restart(start);
        std::int64_t next = start;
        for (;;) {
            const int rc = sqlite3_step(read.get());
            if (rc == SQLITE_DONE) done = true;
            reached = reached || rc == SQLITE_ROW || rc == SQLITE_DONE;
            if (rc != SQLITE_ROW) return next;
            sqlite3_reset(write.get());
            for (int c = 0; c < columns; ++c)
                sqlite3_bind_value(write.get(), c + 1, sqlite3_column_value(read.get(), c));
            sqlite3_step(write.get()); // a row the target refuses is left out
            if (hasRowid) {
                const std::int64_t rowid = sqlite3_column_int64(read.get(), 0);
                if (rowid == INT64_MAX) {
                    done = true;
                    return rowid;
                }
                next = rowid + 1;
            }
        }
    };

    std::int64_t from = scan(INT64_MIN);
    while (!done && hasRowid) {
        // The scan broke at `from`: find a start beyond it that reads again by growing
        // steps, then narrow down to the first such start.
        std::int64_t failed = from, found = 0, step = 1;
        bool again = false;
        while (!again && failed <= INT64_MAX - step) {
            if (readable(failed + step)) {
                again = true;
                found = failed + step;
            } else {
                failed += step;
                step = step > INT64_MAX / 2 ? 1 : step * 2; // start growing again
            }
        }
        if (!again) return reached;
        while (found - failed > 1) {
            const std::int64_t mid = failed + (found - failed) / 2;
            (readable(mid) ? found : failed) = mid;
        }
        from = scan(found);
    }
    return reached;
}

// Whether a connection's file carries the engine's format marker.
enum class Marking { Marked, Unmarked, Unreadable };

Marking marking(sqlite3* db, std::string_view marker) {
    Statement listed(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = "
                         "'__jet_meta'");
    if (!listed || sqlite3_step(listed.get()) != SQLITE_ROW) return Marking::Unreadable;
    if (sqlite3_column_int(listed.get(), 0) == 0) return Marking::Unmarked;
    Statement format(db, "SELECT value FROM __jet_meta WHERE key = 'format'");
    if (!format) return Marking::Unreadable;
    const int rc = sqlite3_step(format.get());
    if (rc == SQLITE_DONE) return Marking::Unmarked;
    if (rc != SQLITE_ROW) return Marking::Unreadable;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(format.get(), 0));
    return text && text == marker ? Marking::Marked : Marking::Unmarked;
}

// A file that says of itself that it is not the engine's: read as it lies on disk, without
// playing back a journal or taking a lock, so that nothing of it changes.
bool markedAsForeign(const std::string& path, std::string_view marker) {
    Connection src(detail::fileUri(path) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    return src.get() && marking(src.get(), marker) == Marking::Unmarked;
}

// Returns the tables none of whose rows could be read: they stay, empty.
std::vector<std::string> rebuild(const std::string& path, const std::string& target) {
    Connection src(path, SQLITE_OPEN_READWRITE);
    if (!src.get()) raiseEngine(err::CouldNotOpenFile, path);
    // Lets the schema be read even when an entry in it points past a truncated end;
    // nothing is written through this connection.
    src.exec("PRAGMA writable_schema = ON");

    std::vector<SchemaRow> schema;
    {
        Statement st(src.get(), "SELECT type, name, sql FROM sqlite_master ORDER BY rowid");
        if (!st) {
            const int code = sqlite3_extended_errcode(src.get());
            if ((code & 0xff) == SQLITE_NOTADB) raiseEngine(err::UnrecognizedFormat, path);
            raiseEngine(err::DatabaseCorrupt, path);
        }
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            auto text = [&](int c) {
                const unsigned char* t = sqlite3_column_text(st.get(), c);
                return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
            };
            schema.push_back({text(0), text(1), text(2)});
        }
        if (rc != SQLITE_DONE && schema.empty()) raiseEngine(err::DatabaseCorrupt, path);
    }

    std::error_code ec;
    fs::remove(target, ec);
    Connection dst(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!dst.get()) raiseEngine(err::DiskOrNetworkError);
    for (const char* pragma : {"page_size", "auto_vacuum"}) {
        const std::int64_t v = pragmaValue(src.get(), pragma);
        if (v >= 0) dst.exec(std::string("PRAGMA ") + pragma + " = " + std::to_string(v));
    }
    {
        Statement enc(src.get(), "PRAGMA encoding");
        if (enc && sqlite3_step(enc.get()) == SQLITE_ROW)
            dst.exec(std::string("PRAGMA encoding = '") +
                     reinterpret_cast<const char*>(sqlite3_column_text(enc.get(), 0)) + "'");
    }
    dst.exec("PRAGMA journal_mode = DELETE");
    if (!dst.exec("BEGIN")) raiseEngine(err::DiskOrNetworkError);

    auto internal = [](const SchemaRow& r) { return r.name.rfind("sqlite_", 0) == 0; };
    std::vector<std::string> unreadable;
    for (const SchemaRow& r : schema) {
        if (r.type != "table" || internal(r) || r.sql.empty()) continue;
        if (!dst.exec(r.sql)) continue; // a definition that no longer parses is lost
        if (!copyRows(src.get(), dst.get(), r.name)) unreadable.push_back(r.name);
    }
    for (const SchemaRow& r : schema)
        if (r.type == "table" && r.name == "sqlite_sequence") {
            dst.exec("DELETE FROM sqlite_sequence");
            copyRows(src.get(), dst.get(), r.name);
        }
    // Indexes, views and triggers after the rows, so that no trigger fires on the copy;
    // one that cannot be made again (a unique index over damaged rows) is left out.
    for (const char* type : {"index", "view", "trigger"})
        for (const SchemaRow& r : schema)
            if (r.type == type && !internal(r) && !r.sql.empty()) dst.exec(r.sql);
    for (const char* pragma : {"user_version", "application_id"}) {
        const std::int64_t v = pragmaValue(src.get(), pragma);
        if (v > 0) dst.exec(std::string("PRAGMA ") + pragma + " = " + std::to_string(v));
    }
    if (!dst.exec("COMMIT")) raiseEngine(err::DiskOrNetworkError);
    return unreadable;
}

} // namespace

std::string repairFile(const std::string& path, std::string_view formatMarker) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) raiseEngine(err::FileNotFound, path);
    if (!hasDatabaseHeader(path)) raiseEngine(err::UnrecognizedFormat, path);
    // No other process may use the file while it is replaced.
    const auto hold = FileLock::acquire(path, true);
    if (!formatMarker.empty() && markedAsForeign(path, formatMarker))
        raiseEngine(err::UnrecognizedFormat, path);

    const std::string copy = copyName(path);
    if (!fs::copy_file(path, copy, fs::copy_options::none, ec)) {
        fs::remove(copy, ec);
        raiseEngine(err::DiskOrNetworkError);
    }

    const std::string target = path + ".repairing";
    try {
        const std::vector<std::string> unreadable = rebuild(path, target);
        // What the marker of a damaged file no longer shows is not put in place either.
        if (!formatMarker.empty()) {
            {
                Connection rebuilt(target, SQLITE_OPEN_READONLY);
                if (!rebuilt.get() || marking(rebuilt.get(), formatMarker) != Marking::Marked)
                    raiseEngine(err::UnrecognizedFormat, path);
            }
            detail::settleRepairedTables(target, unreadable);
        }
    } catch (...) {
        fs::remove(target, ec);
        fs::remove(copy, ec); // the original is unchanged: its copy is not needed
        throw;
    }

    // A journal left beside the file belongs to the damaged original: it goes with the
    // copy, so that SQLite never plays it back into the rebuilt file.
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        if (fs::exists(path + suffix, ec)) fs::rename(path + suffix, copy + suffix, ec);

    fs::rename(target, path, ec);
    if (ec) {
        fs::remove(target, ec);
        raiseEngine(err::DiskOrNetworkError);
    }
    return copy;
}

} // namespace engine
