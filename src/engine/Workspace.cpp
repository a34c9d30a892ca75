// DBEngine, its workspace and Database handles: opening, creating, closing, transactions.

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/Repair.h"
#include "engine/SnapshotCopy.h"
#include "engine/SqliteValues.h"
#include "runtime/Error.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

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
    if (store) store->detach();
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

// `made`: the connection that has just written the file, taken over rather than opening
// a second one.
DatabasePtr openHandle(const detail::ResolvedPath& r, const std::string& name, bool exclusive,
                       bool readOnly, const std::string& connect, sqlite3* made = nullptr) {
    std::shared_ptr<FileLock> lock;
    try {
        lock = FileLock::acquire(r.path, exclusive);
    } catch (...) {
        sqlite3_close_v2(made);
        throw;
    }
    EngineState& state = EngineState::get();
    std::shared_ptr<Store> store;
    if (made) {
        store = state.findStore(r.path);
        if (store) {
            sqlite3_close_v2(made);
        } else {
            std::string pwd;
            detail::connectValue(connect, "pwd", pwd);
            store = Store::adopt(r.path, made, pwd);
            state.addStore(store);
        }
    } else {
        store = state.openStore(r.path);
    }
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

// Writes the engine's description tables into a new, empty file and returns the open
// connection. No journal: there is nothing to go back to, and a file that is not finished
// is removed, so a journal would only cost its writes and flushes; the commit still
// flushes the file itself.
sqlite3* initialiseFile(const std::string& path, const std::string& locale,
                        const std::string& pwd) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(
        path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    const char* schema =
        "PRAGMA journal_mode=OFF;"
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
        "COLLATE NOCASE, pos INTEGER NOT NULL, field TEXT NOT NULL, PRIMARY KEY (tbl, idx, pos));";
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
    if (rc == SQLITE_OK) return db;
    sqlite3_close_v2(db);
    raiseEngine(engineNumberForSqlite(rc), path);
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
    detail::executeJet(*impl_, sql);
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
    // Made with O_EXCL, so that a file another program makes at the same moment is not
    // taken over.
    const int fd = ::open(r.path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int e = errno;
        if (e == EEXIST) raiseEngine(err::DatabaseAlreadyExists);
        if (e == EACCES || e == EPERM || e == EROFS) raiseEngine(err::CouldNotOpenFile, path);
        raiseEngine(err::DiskOrNetworkError);
    }
    ::close(fd);
    std::string pwd;
    detail::connectValue(locale, "pwd", pwd);
    sqlite3* db = nullptr;
    try {
        db = initialiseFile(r.path, localeWithoutPassword(locale), pwd);
    } catch (...) {
        std::error_code ec;
        fs::remove(r.path, ec);
        fs::remove(r.path + "-journal", ec);
        throw;
    }
    const detail::ResolvedPath made = detail::resolvePath(r.path);
    return openHandle(made, path, false, false, ";pwd=" + pwd, db);
}

void Workspace::RepairDatabase(const std::string& path) {
    DBEngine::instance().RepairDatabase(path);
}

void Workspace::Close() {
    EngineState& state = EngineState::get();
    if (state.transaction) Rollback();
    for (auto& weak : state.databases)
        if (auto db = weak.lock())
            if (db->open) db->close();
    state.databases.clear();
    for (auto& [path, weak] : state.stores)
        if (auto s = weak.lock()) s->detach();
}

void Workspace::BeginTrans() {
    EngineState& state = EngineState::get();
    if (state.transaction) raiseEngine(err::TooManyTransactions);
    state.transaction = true;
}

void Workspace::CommitTrans() {
    EngineState& state = EngineState::get();
    if (!state.transaction) raiseEngine(err::NoTransaction);
    std::optional<runtime::Error> failure;
    for (const auto& s : state.participants) {
        if (!failure) {
            const int rc = sqlite3_exec(s->db, "COMMIT", nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK) {
                try {
                    s->raise(rc);
                } catch (const runtime::Error& e) {
                    failure = e;
                }
            }
        }
        // After a failed commit, what is left is given up rather than kept half done.
        if (sqlite3_get_autocommit(s->db) == 0)
            sqlite3_exec(s->db, "ROLLBACK", nullptr, nullptr, nullptr);
        s->inTransaction = false;
        s->transactionLock.reset();
        if (failure) s->invalidateSchema();
        s->touch();
        s->detach();
    }
    state.participants.clear();
    state.transaction = false;
    if (failure) throw *failure;
}

void Workspace::Rollback() {
    EngineState& state = EngineState::get();
    if (!state.transaction) raiseEngine(err::NoTransaction);
    for (const auto& s : state.participants) {
        sqlite3_exec(s->db, "ROLLBACK", nullptr, nullptr, nullptr);
        s->inTransaction = false;
        s->transactionLock.reset();
        s->invalidateSchema();
        s->clearStatements();
        s->touch();
        s->detach();
    }
    state.participants.clear();
    state.transaction = false;
}

bool Workspace::inTransaction() const {
    return EngineState::get().transaction;
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
    // Nobody else may open the file while it is rebuilt.
    const auto lock = FileLock::acquire(r.path, true);
    repairFile(r.path);
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
