// DBEngine, its workspace and Database handles: opening, creating, closing, transactions.

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/MultiFileCommit.h"
#include "engine/NewDatabaseFile.h"
#include "engine/Repair.h"
#include "engine/SnapshotCopy.h"
#include "engine/SqliteValues.h"
#include "runtime/Error.h"

#include <filesystem>
#include <map>
#include <sqlite3.h>

namespace fs = std::filesystem;

namespace engine {

using detail::DatabaseImpl;
using detail::EngineState;
using detail::Store;

namespace detail {

Store& DatabaseImpl::checkedStore() const {
    if (!open || !store) raiseEngine(err::ObjectInvalid);
    return *store;
}

Store& DatabaseImpl::writableStore() const {
    Store& s = checkedStore();
    if (readOnly || s.readOnlyConnection) raiseEngine(err::ReadOnly);
    return s;
}

void DatabaseImpl::close() {
    for (auto& weak : cursors)
        if (auto c = weak.lock()) closeCursor(*c);
    cursors.clear();
    store.reset();
    lock.reset();
    open = false;
}

DatabaseImpl& TableImpl::checkedDatabase() const {
    auto db = database.lock();
    if (!db || !db->open) raiseEngine(err::ObjectInvalid);
    return *db;
}

DatabasePtr Access::makeDatabase(std::shared_ptr<DatabaseImpl> impl) {
    return DatabasePtr(new Database(std::move(impl)));
}

} // namespace detail

namespace {

std::map<std::string, int>& faults() {
    static std::map<std::string, int> table;
    return table;
}

DatabasePtr openHandle(const detail::ResolvedPath& r, const std::string& name, bool exclusive,
                       bool readOnly, const std::string& connect) {
    std::shared_ptr<FileLock> lock = FileLock::acquire(r.path, exclusive);
    EngineState& state = EngineState::get();
    std::shared_ptr<Store> store = state.openStore(r.path);
    if (store->hasPassword) {
        std::string given;
        if (!detail::connectValue(connect, "pwd", given) || given != store->password)
            raiseEngine(err::InvalidPassword);
    }
    auto impl = std::make_shared<DatabaseImpl>();
    impl->name = name;
    impl->store = std::move(store);
    impl->lock = std::move(lock);
    impl->exclusive = exclusive;
    impl->readOnly = readOnly || impl->store->readOnlyConnection;
    std::erase_if(state.databases, [](const auto& w) { return w.expired(); });
    state.databases.push_back(impl);
    return detail::Access::makeDatabase(std::move(impl));
}

// The locale string without its password, as the file keeps it.
std::string localeWithoutPassword(const std::string& locale) {
    std::string out;
    std::size_t pos = 0;
    while (pos <= locale.size()) {
        std::size_t end = locale.find(';', pos);
        if (end == std::string::npos) end = locale.size();
        const std::string part = locale.substr(pos, end - pos);
        const auto eq = part.find('=');
        if (!part.empty() && !(eq != std::string::npos &&
                               detail::equalsNoCase(detail::foldName(part.substr(0, eq)), "pwd")))
            out += ";" + part;
        pos = end + 1;
    }
    return out;
}

// Writes the engine's description tables into a new, empty file. No journal and no
// flushes: the file is not yet under its name, and is flushed as a whole before it gets it.
void initialiseFile(const std::string& path, const std::string& locale, const std::string& pwd) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(
        path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    const char* schema =
        "PRAGMA journal_mode=OFF;"
        "PRAGMA synchronous=OFF;"
        "BEGIN;"
        "CREATE TABLE __jet_meta (key TEXT PRIMARY KEY, value TEXT);"
        "CREATE TABLE __jet_fields (tbl TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE "
        "NOCASE, ord INTEGER NOT NULL, type INTEGER NOT NULL, size INTEGER NOT NULL, attributes "
        "INTEGER NOT NULL DEFAULT 0, required INTEGER NOT NULL DEFAULT 0, allow_zero_length "
        "INTEGER NOT NULL DEFAULT 0, default_value TEXT, PRIMARY KEY (tbl, name));"
        "CREATE TABLE __jet_indexes (tbl TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE "
        "NOCASE, ord INTEGER NOT NULL, sql_name TEXT NOT NULL, is_primary INTEGER NOT NULL, "
        "is_unique INTEGER NOT NULL, PRIMARY KEY (tbl, name));"
        "CREATE TABLE __jet_index_fields (tbl TEXT NOT NULL COLLATE NOCASE, idx TEXT NOT NULL "
        "COLLATE NOCASE, pos INTEGER NOT NULL, field TEXT NOT NULL, PRIMARY KEY (tbl, idx, pos));"
        "CREATE TABLE __jet_rowids (tbl TEXT PRIMARY KEY COLLATE NOCASE, high INTEGER NOT NULL);";
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, schema, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        rc = sqlite3_prepare_v2(db, "INSERT INTO __jet_meta (key, value) VALUES (?, ?)", -1, &s,
                                nullptr);
        const std::pair<const char*, std::string> rows[] = {
            {"format", detail::kFormatMarker}, {"locale", locale}, {"password", pwd}};
        for (const auto& [key, value] : rows) {
            if (rc != SQLITE_OK && rc != SQLITE_DONE) break;
            sqlite3_bind_text(s, 1, key, -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 2, value.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        if (rc == SQLITE_DONE) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK) raiseEngine(engineNumberForSqlite(rc), path, path, rc);
}

// Whether the file opens as one of the engine's and SQLite finds nothing wrong in it.
bool soundDatabase(const std::string& path) {
    try {
        const auto store = Store::open(path);
        sqlite3_stmt* s = nullptr;
        const bool ok =
            sqlite3_prepare_v2(store->db, "PRAGMA integrity_check(1)", -1, &s, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW && sqlite3_column_text(s, 0) &&
            std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))) == "ok";
        sqlite3_finalize(s);
        return ok;
    } catch (const runtime::Error&) {
        return false;
    }
}

} // namespace

// --- Database ---

Database::Database(std::shared_ptr<DatabaseImpl> impl) : impl_(std::move(impl)) {}
Database::~Database() = default;

const std::string& Database::Name() const {
    return impl_->name;
}
bool Database::isOpen() const {
    return impl_->open;
}
bool Database::isReadOnly() const {
    return impl_->readOnly;
}
bool Database::isExclusive() const {
    return impl_->exclusive;
}

TableDefList& Database::TableDefs() {
    impl_->checkedStore();
    return tableDefs_;
}

TableDefPtr Database::CreateTableDef(const std::string& name) const {
    impl_->checkedStore();
    return std::make_shared<TableDef>(name);
}

void Database::Execute(std::string_view sql, int) {
    detail::executeJet(*impl_, sql, {});
}

void Database::Execute(std::string_view sql, const std::vector<Variant>& parameters, int) {
    detail::executeJet(*impl_, sql, parameters);
}

long Database::RecordsAffected() const {
    impl_->checkedStore();
    return impl_->recordsAffected;
}

RecordsetPtr Database::OpenRecordset(std::string_view source, int type) {
    Store& s = impl_->checkedStore();
    const auto table = s.table(source);
    std::shared_ptr<detail::CursorImpl> cursor;
    if (type == dbOpenTable) {
        if (!table) raiseEngine(err::ObjectNotFound, std::string(source));
        cursor = detail::openTableCursor(impl_, table);
    } else if (type == 0 && table) {
        cursor = detail::openTableCursor(impl_, table);
    } else {
        cursor = detail::openDynaset(impl_, table ? "SELECT * FROM [" + table->name + "]"
                                                  : std::string(source));
    }
    std::erase_if(impl_->cursors, [](const auto& w) { return w.expired(); });
    impl_->cursors.push_back(cursor);
    return detail::Access::makeRecordset(std::move(cursor));
}

void Database::Close() {
    impl_->checkedStore();
    impl_->close();
}

// --- Workspace ---

DatabasePtr Workspace::OpenDatabase(const std::string& path, bool exclusive, bool readOnly,
                                    const std::string& connect) {
    if (const int number = OpenFaults::numberFor(path)) raiseEngine(number, path);
    const detail::ResolvedPath r = detail::resolvePath(path);
    if (!r.exists) raiseEngine(r.folderExists ? err::FileNotFound : err::InvalidPath, path);
    std::error_code ec;
    if (!fs::is_regular_file(r.path, ec)) raiseEngine(err::InvalidPath, path);
    return openHandle(r, path, exclusive, readOnly, connect);
}

DatabasePtr Workspace::CreateDatabase(const std::string& path, const std::string& locale, int) {
    const detail::ResolvedPath r = detail::resolvePath(path);
    if (r.exists) raiseEngine(err::DatabaseAlreadyExists);
    if (!r.folderExists) raiseEngine(err::InvalidPath, path);
    std::string pwd;
    detail::connectValue(locale, "pwd", pwd);
    {
        // Built aside and then put in place whole: a process killed meanwhile leaves no
        // file under the name, and a file another program made meanwhile is not replaced.
        NewDatabaseFile file(r.path);
        initialiseFile(file.tempPath(), localeWithoutPassword(locale), pwd);
        file.place();
    }
    const detail::ResolvedPath made = detail::resolvePath(r.path);
    return openHandle(made, path, false, false, ";pwd=" + pwd);
}

void Workspace::RepairDatabase(const std::string& path) {
    DBEngine::instance().RepairDatabase(path);
}

void Workspace::Close() {
    EngineState& state = EngineState::get();
    while (state.transactionLevel > 0)
        Rollback();
    for (auto& weak : state.databases)
        if (auto db = weak.lock())
            if (db->open) db->close();
    state.databases.clear();
}

namespace {

std::string savepointName(int level) {
    return "jet_level" + std::to_string(level);
}

} // namespace

// A nested level is a savepoint in every file already in the transaction; a file that
// joins later starts its own transaction at the level it joins. A file whose transaction
// SQLite ended gets none: the savepoint would begin a new transaction, and the rest of
// the lost one would commit in it.
void Workspace::BeginTrans() {
    EngineState& state = EngineState::get();
    if (state.transactionLevel >= EngineState::kMaxNesting) raiseEngine(err::TooManyTransactions);
    const int level = state.transactionLevel + 1;
    for (const auto& s : state.participants)
        if (!s->transactionLost()) s->exec("SAVEPOINT " + savepointName(level));
    state.transactionLevel = level;
}

void Workspace::CommitTrans() {
    EngineState& state = EngineState::get();
    const int level = state.transactionLevel;
    if (level == 0) raiseEngine(err::NoTransaction);
    if (level > 1) {
        // A file lost part of the work: this level is undone, as a failed commit is, and
        // the outer levels stay doomed with the file.
        if (state.lostParticipant()) {
            Rollback();
            raiseEngine(err::DiskOrNetworkError);
        }
        // The inner level's work becomes the outer level's.
        for (const auto& s : state.participants) {
            if (s->joinLevel < level)
                s->exec("RELEASE " + savepointName(level));
            else
                s->joinLevel = level - 1;
        }
        state.transactionLevel = level - 1;
        return;
    }
    auto participants = std::move(state.participants);
    state.participants.clear();
    state.transactionLevel = 0;
    try {
        detail::commitAll(participants);
    } catch (...) {
        for (const auto& s : participants)
            s->leaveTransaction(true);
        throw;
    }
    for (const auto& s : participants)
        s->leaveTransaction(false);
}

void Workspace::Rollback() {
    EngineState& state = EngineState::get();
    const int level = state.transactionLevel;
    if (level == 0) raiseEngine(err::NoTransaction);
    std::vector<std::shared_ptr<Store>> kept;
    for (const auto& s : state.participants) {
        if (s->joinLevel < level) {
            const std::string name = savepointName(level);
            sqlite3_exec(s->db, ("ROLLBACK TO " + name + "; RELEASE " + name).c_str(), nullptr,
                         nullptr, nullptr);
            s->invalidateSchema();
            s->clearStatements();
            s->touch();
            kept.push_back(s);
        } else {
            sqlite3_exec(s->db, "ROLLBACK", nullptr, nullptr, nullptr);
            s->leaveTransaction(true);
        }
    }
    state.participants = std::move(kept);
    state.transactionLevel = level - 1;
}

bool Workspace::inTransaction() const {
    return EngineState::get().transactionLevel > 0;
}

int Workspace::transactionLevel() const {
    return EngineState::get().transactionLevel;
}

// --- DBEngine ---

DBEngine& DBEngine::instance() {
    static DBEngine engine;
    return engine;
}

Workspace& DBEngine::Workspaces(int index) {
    if (index != 0) raiseEngine(err::ItemNotFound);
    return workspace_;
}

bool DBEngine::isHeld(const std::string& path) const {
    const detail::ResolvedPath r = detail::resolvePath(path);
    return r.exists && EngineState::get().findStore(r.path) != nullptr;
}

void DBEngine::RepairDatabase(const std::string& path) {
    const detail::ResolvedPath r = detail::resolvePath(path);
    if (!r.exists) raiseEngine(r.folderExists ? err::FileNotFound : err::InvalidPath, path);
    if (EngineState::get().findStore(r.path)) raiseEngine(err::FileInUse, path);
    // Nobody else may open the file while it is looked at and rebuilt.
    const auto lock = FileLock::acquire(r.path, true);
    if (soundDatabase(r.path)) return; // nothing to repair, and no copy to keep
    repairFile(r.path, detail::kFormatMarker);
}

void DBEngine::backupFile(const std::string& sourcePath, const std::string& targetPath) {
    copyDatabaseSnapshot(sourcePath, targetPath);
}

// --- OpenFaults ---

void OpenFaults::set(const std::string& pathSubstring, int number) {
    faults()[pathSubstring] = number;
}
void OpenFaults::clear(const std::string& pathSubstring) {
    faults().erase(pathSubstring);
}
void OpenFaults::clearAll() {
    faults().clear();
}
int OpenFaults::numberFor(const std::string& path) {
    for (const auto& [key, number] : faults())
        if (!key.empty() && path.find(key) != std::string::npos) return number;
    return 0;
}

ScopedOpenFault::ScopedOpenFault(std::string pathSubstring, int number)
    : pathSubstring_(std::move(pathSubstring)) {
    OpenFaults::set(pathSubstring_, number);
}
ScopedOpenFault::~ScopedOpenFault() {
    OpenFaults::clear(pathSubstring_);
}

} // namespace engine
