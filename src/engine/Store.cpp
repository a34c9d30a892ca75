#include "engine/CommitVfs.h"
#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/FoldedKeys.h"
#include "engine/LockWait.h"
#include "engine/MultiFileCommit.h"
#include "engine/RowSource.h"
#include "engine/RowidGuard.h"
#include "engine/SqliteErrors.h"
#include "engine/SqliteValues.h"
#include "runtime/CaseFold.h"
#include "runtime/Strings.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <set>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace engine::detail {

namespace {

// The engine is SQLite's only user in the program and nobody reads SQLite's memory
// statistics; without them no allocation takes SQLite's global memory mutex. It must be
// set before SQLite starts, hence at load time; should SQLite have started already, it
// keeps its statistics.
[[maybe_unused]] const bool memoryStatisticsOff =
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;

// Every connection, of the engine or of anything else in the program, goes through the
// engine's file layer, so that none plays back a journal of a commit over several files
// that had in fact committed.
[[maybe_unused]] const bool commitLayerRegistered = (ensureCommitVfs(), true);

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// Cheap soundness checks on the file itself, before SQLite sees it: an SQLite header and,
// unless a journal waits to be played back, no pages missing from the end.
bool soundHeader(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char h[100];
    struct stat st {};
    const bool readOk = fstat(fd, &st) == 0 && ::read(fd, h, sizeof h) == sizeof h;
    ::close(fd);
    if (!readOk || std::memcmp(h, "SQLite format 3", 16) != 0) return false;
    std::uint32_t pageSize = (std::uint32_t{h[16]} << 8) | h[17];
    if (pageSize == 1) pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0) return false;
    std::error_code ec;
    if (fs::exists(path + "-journal", ec)) return true;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size % pageSize != 0) return false;
    const std::uint32_t pages = bigEndian32(h + 28);
    const bool pagesValid = bigEndian32(h + 24) == bigEndian32(h + 92) && pages > 0;
    return !pagesValid || size >= std::uint64_t{pages} * pageSize;
}

} // namespace

// Names compare as the runtime compares texts without regard to case.
bool NoCaseLess::operator()(std::string_view a, std::string_view b) const {
    return runtime::compareNoCase(a, b) < 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return runtime::equalsNoCase(a, b);
}

std::string foldName(std::string_view s) {
    return runtime::foldCase(s);
}

int TableInfo::ordinalOf(std::string_view fieldName) const {
    if (!ordinalByLowerName) return -1;
    const auto it = ordinalByLowerName->find(foldName(fieldName));
    return it == ordinalByLowerName->end() ? -1 : it->second;
}

const IndexInfo* TableInfo::index(std::string_view indexName) const {
    for (const IndexInfo& ix : indexes)
        if (equalsNoCase(ix.name, indexName)) return &ix;
    return nullptr;
}

void TableInfo::rebuildLookup() {
    auto lookup = std::make_shared<std::unordered_map<std::string, int>>();
    lookup->reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
        lookup->emplace(foldName(fields[i].name), static_cast<int>(i));
    ordinalByLowerName = std::move(lookup);
}

StmtUse::~StmtUse() {
    if (s_) sqlite3_reset(s_);
}

bool connectValue(std::string_view connect, std::string_view key, std::string& value) {
    std::size_t pos = 0;
    while (pos <= connect.size()) {
        std::size_t end = connect.find(';', pos);
        if (end == std::string_view::npos) end = connect.size();
        const std::string_view part = connect.substr(pos, end - pos);
        const std::size_t eq = part.find('=');
        if (eq != std::string_view::npos) {
            std::string_view k = part.substr(0, eq);
            while (!k.empty() && k.front() == ' ')
                k.remove_prefix(1);
            while (!k.empty() && k.back() == ' ')
                k.remove_suffix(1);
            if (equalsNoCase(k, key)) {
                value = std::string(part.substr(eq + 1));
                return true;
            }
        }
        pos = end + 1;
    }
    return false;
}

ResolvedPath resolvePath(const std::string& path) {
    ResolvedPath r;
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec).lexically_normal();
    if (ec || path.empty()) {
        r.path = path;
        return r;
    }
    // Each missing component is looked for without regard to case.
    fs::path current = p.root_path();
    bool found = true;
    std::vector<fs::path> parts;
    for (const auto& part : p.relative_path())
        if (!part.empty()) parts.push_back(part);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const fs::path candidate = current / parts[i];
        if (i + 1 == parts.size()) r.folderExists = found && fs::is_directory(current, ec);
        if (!found) {
            current = candidate;
            continue;
        }
        if (fs::exists(candidate, ec)) {
            current = candidate;
            continue;
        }
        std::vector<fs::path> matches;
        for (const auto& entry : fs::directory_iterator(current, ec))
            if (equalsNoCase(entry.path().filename().string(), parts[i].string()))
                matches.push_back(entry.path());
        if (matches.empty()) {
            found = false;
            current = candidate;
        } else {
            std::sort(matches.begin(), matches.end());
            current = matches.front();
        }
    }
    r.exists = found && !parts.empty() && fs::exists(current, ec);
    r.path = r.exists ? fs::canonical(current, ec).string() : current.string();
    if (r.path.empty()) r.path = current.string();
    return r;
}

namespace {

void configure(sqlite3* db) {
    sqlite3_extended_result_codes(db, 1);
    detail::waitForLocks(db);
    registerFunctions(db);
    registerRowSource(db);
    registerFold(db);
}

} // namespace

// What every connection does last, inside the read transaction that opening began: its
// tables read; then its journal and caches set.
void Store::finishOpening() {
    try {
        tables();
        if (!readOnlyConnection) sweepCommitLeftovers(path);
        exec("COMMIT");
        if (!readOnlyConnection) exec("PRAGMA journal_mode=DELETE");
        // Savepoints keep the pages they change in memory rather than in a temporary file:
        // every structure change is one, and a wide new table changes many pages.
        exec("PRAGMA cache_size=-16000; PRAGMA temp_store=MEMORY");
    } catch (const runtime::Error& e) {
        if (e.number() == err::Locked) throw;
        raiseEngine(err::UnrecognizedFormat, path, e.statement(), e.sqliteCode());
    }
}

std::shared_ptr<Store> Store::open(const std::string& canonicalPath) {
    if (!soundHeader(canonicalPath)) raiseEngine(err::UnrecognizedFormat, canonicalPath);
    auto store = std::make_shared<Store>();
    store->path = canonicalPath;
    store->lockPin = FileLock::pin(canonicalPath);
    store->readOnlyConnection = ::access(canonicalPath.c_str(), W_OK) != 0;
    const int flags = (store->readOnlyConnection ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(canonicalPath.c_str(), &store->db, flags, nullptr);
    if (rc != SQLITE_OK) raiseEngine(err::CouldNotOpenFile, canonicalPath, canonicalPath, rc);
    configure(store->db);
    // Everything opening reads, in one read transaction: one lock, and one look for a
    // journal to play back, rather than one for each query.
    store->exec("BEGIN");

    // The file must be one of ours: its description tables readable and marked.
    sqlite3_stmt* s = nullptr;
    bool marked = false;
    int step = sqlite3_prepare_v2(store->db, "SELECT key, value FROM __jet_meta", -1, &s, nullptr);
    while (step == SQLITE_OK || step == SQLITE_ROW) {
        step = sqlite3_step(s);
        if (step != SQLITE_ROW) break;
        const Variant key = storedColumn(s, 0), value = storedColumn(s, 1);
        if (!key.isString()) continue;
        if (key.rawString() == "format")
            marked = value.isString() && value.rawString() == kFormatMarker;
        else if (key.rawString() == "password" && value.isString() && !value.rawString().empty()) {
            store->hasPassword = true;
            store->password = value.rawString();
        }
    }
    sqlite3_finalize(s);
    const int code = step == SQLITE_DONE ? 0 : step;
    if ((step & 0xff) == SQLITE_BUSY || (step & 0xff) == SQLITE_LOCKED)
        raiseEngine(err::Locked, canonicalPath, canonicalPath, code);
    if (step != SQLITE_DONE || !marked)
        raiseEngine(err::UnrecognizedFormat, canonicalPath, canonicalPath, code);
    store->finishOpening();
    guardRowids(*store); // a file of the previous version
    if (!store->readOnlyConnection) upgradeFoldedKeys(*store);
    return store;
}

Store::~Store() {
    clearStatements();
    if (db) sqlite3_close_v2(db);
}

void Store::beforeWrite() {
    EngineState& state = EngineState::get();
    if (state.transactionLevel == 0) return;
    if (const Store* lost = state.lostParticipant())
        raiseEngine(err::DiskOrNetworkError, lost->path);
    if (inTransaction) return;
    detachSources();
    // Taken as a write at once: a read lock upgraded later could be refused without
    // waiting, when another process wants the file too.
    exec("BEGIN IMMEDIATE");
    inTransaction = true;
    joinLevel = state.transactionLevel;
    state.participants.push_back(shared_from_this());
}

bool Store::transactionLost() {
    if (inTransaction && !transactionLost_ && sqlite3_get_autocommit(db)) {
        transactionLost_ = true;
        touch(); // its rows are back as they were: cursors read them again
    }
    return transactionLost_;
}

void Store::leaveTransaction(bool rolledBack) {
    inTransaction = false;
    transactionLost_ = false;
    joinLevel = 0;
    transactionLock.reset();
    detachSources();
    if (rolledBack) {
        invalidateSchema();
        clearStatements();
    }
    touch();
}

sqlite3_stmt* Store::prepare(std::string_view sql) {
    if (const auto it = statements_.find(sql); it != statements_.end()) return it->second;
    sqlite3_stmt* s = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(s);
        raise(rc, std::string(sql));
    }
    statements_.emplace(sql, s);
    return s;
}

void Store::clearStatements() {
    for (auto& [sql, s] : statements_)
        sqlite3_finalize(s);
    statements_.clear();
    ++statementEpoch;
}

void Store::run(std::string_view sql) {
    StmtUse s(prepare(sql));
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) raise(rc, std::string(sql));
}

void Store::exec(const std::string& sql) {
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raise(rc, sql);
}

void Store::raise(int rc, const std::string& context) const {
    // The connection's code is the extended form of rc, unless rc already is one.
    int code = rc;
    if (db && (rc & ~0xff) == 0 && (sqlite3_extended_errcode(db) & 0xff) == rc)
        code = sqlite3_extended_errcode(db);
    const JetFailure failure = jetFailureFor(code, db ? sqlite3_errmsg(db) : "", path);
    raiseEngine(failure.number, failure.detail, context, code);
}

void Store::raise(int rc, sqlite3_stmt* failed) const {
    const char* sql = failed ? sqlite3_sql(failed) : nullptr;
    raise(rc, sql ? std::string(sql) : std::string());
}

const std::map<std::string, std::shared_ptr<const TableInfo>, NoCaseLess>& Store::tables() {
    if (!tablesLoaded_) loadTables();
    return tables_;
}

std::shared_ptr<const TableInfo> Store::table(std::string_view name) {
    const auto& all = tables();
    const auto it = all.find(name);
    return it == all.end() ? nullptr : it->second;
}

void Store::invalidateSchema() {
    tablesLoaded_ = false;
    tables_.clear();
    schemaNames_.clear();
    guardsRowids_ = -1;
}

bool Store::nameInSchema(std::string_view name) {
    tables();
    return schemaNames_.count(name) != 0;
}

void Store::addSchemaName(const std::string& name) {
    if (tablesLoaded_ && name.find('.') == std::string::npos) schemaNames_.insert(name);
    guardsRowids_ = -1;
}

bool Store::guardsRowids() {
    tables();
    if (guardsRowids_ < 0) guardsRowids_ = schemaNames_.count("__jet_rowids") != 0;
    return guardsRowids_ == 1;
}

void Store::loadTables() {
    tables_.clear();
    schemaNames_.clear();
    guardsRowids_ = -1;
    readTables();
    tablesLoaded_ = true;
}

void Store::replaceTable(std::shared_ptr<TableInfo> info) {
    if (!tablesLoaded_) return; // read whole when first asked for
    if (const auto it = tables_.find(info->name); it != tables_.end()) tables_.erase(it);
    if (info->fields.empty()) return;
    tables_.emplace(info->name, std::move(info));
}

void readDefault(FieldInfo& f, const std::string& table) {
    f.defaultValue = Variant();
    if (f.defaultExpr.empty()) return;
    try {
        f.defaultValue = toFieldValue(evaluateDefault(f.defaultExpr), f, table, true);
    } catch (const runtime::Error&) {
        f.defaultValue = Variant();
    }
}

namespace {

std::string textColumn(sqlite3_stmt* s, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, column)))
             : std::string();
}

} // namespace

// Reads the description of every table. The rows are read in the order they are stored
// and put in `ord` order here, which spares SQLite a sort of every row of the file.
void Store::readTables() {
    struct Reading {
        std::shared_ptr<TableInfo> info;
        std::vector<std::pair<int, FieldInfo>> fields;
        std::string firstName; // the table's name as its lowest-ord field row spells it
        int firstOrd = 0;
    };
    // Every table of the file; descriptions of tables no longer in it are passed over.
    std::map<std::string, Reading, NoCaseLess> work;
    std::set<std::string> foldedIndexes; // made on a table of folded keys
    {
        StmtUse s(prepare("SELECT type, name, tbl_name FROM sqlite_master"));
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            std::string name = textColumn(s, 1);
            if (textColumn(s, 0) == "index" && textColumn(s, 2).find('!') != std::string::npos)
                foldedIndexes.insert(name);
            if (name.find('.') == std::string::npos) schemaNames_.insert(name);
            if (textColumn(s, 0) == "table") work.try_emplace(std::move(name));
        }
        if (rc != SQLITE_DONE) raise(rc, s);
    }
    // The rows of one table mostly follow each other: the last table found is tried first.
    Reading* last = nullptr;
    std::string lastName;
    auto find = [&](sqlite3_stmt* s) -> Reading* {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        const std::string_view tbl(p ? p : "",
                                   static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
        if (last && equalsNoCase(tbl, lastName)) return last;
        const auto it = work.find(tbl);
        lastName = std::string(tbl);
        last = it == work.end() ? nullptr : &it->second;
        return last;
    };
    {
        StmtUse s(prepare("SELECT tbl, name, type, size, attributes, required, "
                          "allow_zero_length, default_value, ord FROM __jet_fields"));
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            Reading* r = find(s);
            if (!r) continue;
            const int ord = sqlite3_column_int(s, 8);
            if (!r->info) r->info = std::make_shared<TableInfo>();
            if (r->fields.empty() || ord < r->firstOrd) {
                r->firstName = textColumn(s, 0);
                r->firstOrd = ord;
            }
            FieldInfo f;
            f.name = textColumn(s, 1);
            f.type = sqlite3_column_int(s, 2);
            f.size = sqlite3_column_int(s, 3);
            f.attributes = static_cast<long>(sqlite3_column_int64(s, 4));
            f.required = sqlite3_column_int(s, 5) != 0;
            f.allowZeroLength = sqlite3_column_int(s, 6) != 0;
            const int defaultType = sqlite3_column_type(s, 7);
            if (defaultType == SQLITE_TEXT || defaultType == SQLITE_BLOB)
                f.defaultExpr = textColumn(s, 7);
            r->fields.emplace_back(ord, std::move(f));
        }
        if (rc != SQLITE_DONE) raise(rc, s);
    }
    auto byOrd = [](const auto& a, const auto& b) { return a.first < b.first; };
    for (auto& [key, r] : work) {
        if (!r.info) continue;
        std::stable_sort(r.fields.begin(), r.fields.end(), byOrd);
        TableInfo& info = *r.info;
        info.name = r.firstName;
        info.fields.reserve(r.fields.size());
        info.fieldOrds.reserve(r.fields.size());
        for (auto& [ord, f] : r.fields) {
            readDefault(f, info.name);
            info.fields.push_back(std::move(f));
            info.fieldOrds.push_back(ord);
        }
        r.fields.clear();
        info.rebuildLookup();
    }
    last = nullptr;
    {
        StmtUse s(prepare("SELECT tbl, name, sql_name, is_primary, is_unique, ord FROM "
                          "__jet_indexes"));
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            Reading* r = find(s);
            if (!r || !r->info) continue;
            IndexInfo ix;
            ix.name = textColumn(s, 1);
            ix.sqlName = textColumn(s, 2);
            ix.primary = sqlite3_column_int(s, 3) != 0;
            ix.unique = sqlite3_column_int(s, 4) != 0;
            ix.ord = sqlite3_column_int(s, 5);
            ix.folded = foldedIndexes.count(ix.sqlName) != 0;
            r->info->indexes.push_back(std::move(ix));
        }
        if (rc != SQLITE_DONE) raise(rc, s);
    }
    for (auto& [key, r] : work)
        if (r.info)
            std::stable_sort(r.info->indexes.begin(), r.info->indexes.end(),
                             [](const IndexInfo& a, const IndexInfo& b) { return a.ord < b.ord; });
    last = nullptr;
    {
        // Key fields in `pos` order, gathered per index before they are put in place.
        std::map<IndexInfo*, std::vector<std::pair<int, std::string>>> keys;
        StmtUse s(prepare("SELECT tbl, idx, field, pos FROM __jet_index_fields"));
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            Reading* r = find(s);
            if (!r || !r->info) continue;
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            const std::string_view idx(p ? p : "",
                                       static_cast<std::size_t>(sqlite3_column_bytes(s, 1)));
            for (IndexInfo& ix : r->info->indexes)
                if (equalsNoCase(ix.name, idx))
                    keys[&ix].emplace_back(sqlite3_column_int(s, 3), textColumn(s, 2));
        }
        if (rc != SQLITE_DONE) raise(rc, s);
        for (auto& [ix, list] : keys) {
            std::stable_sort(list.begin(), list.end(), byOrd);
            for (auto& [pos, field] : list)
                ix->fields.push_back(std::move(field));
        }
    }
    for (auto& [key, r] : work)
        if (r.info) tables_[r.info->name] = std::move(r.info);
}

EngineState& EngineState::get() {
    static EngineState state;
    // A forked child holds none of its parent's files: it forgets them without touching
    // the parent's connections.
    static const bool forkHandled =
        pthread_atfork(nullptr, nullptr, [] {
            EngineState& s = EngineState::get();
            s.stores.clear();
            s.databases.clear();
            new std::vector<std::shared_ptr<Store>>(std::move(s.participants));
            s.participants.clear();
            s.transactionLevel = 0;
        }) == 0;
    (void)forkHandled;
    return state;
}

Store* EngineState::lostParticipant() const {
    for (const auto& s : participants)
        if (s->transactionLost()) return s.get();
    return nullptr;
}

std::shared_ptr<Store> EngineState::findStore(const std::string& canonicalPath) {
    const auto it = stores.find(canonicalPath);
    if (it == stores.end()) return nullptr;
    if (auto s = it->second.lock()) return s;
    stores.erase(it);
    return nullptr;
}

std::shared_ptr<Store> EngineState::openStore(const std::string& canonicalPath) {
    if (auto s = findStore(canonicalPath)) return s;
    auto s = Store::open(canonicalPath);
    stores[canonicalPath] = s;
    return s;
}

void EngineState::addStore(const std::shared_ptr<Store>& store) {
    stores[store->path] = store;
}

} // namespace engine::detail
