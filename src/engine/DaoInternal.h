#pragma once

// Internal state behind Dao.h. Only src/engine includes this header.
//
// File layout. A database file is an SQLite file (rollback journal) under the name the
// program gives it. Each Jet table is an SQLite table of the same name whose columns carry
// the Jet field names; the engine's own tables describe them:
//   __jet_meta(key, value)         "format" = kFormatMarker, "password", "locale"
//   __jet_fields(tbl, name, ord, type, size, attributes, required, allow_zero_length,
//                default_value)    one row per field; ord gives the field order
//   __jet_indexes(tbl, name, ord, sql_name, is_primary, is_unique)
//   __jet_index_fields(tbl, idx, pos, field)
//   __jet_rowids(tbl, high)         the highest row id a deleted last row had (RowidGuard.h)
// An index's SQLite name is "<table>.<index>" (Jet names hold no dot), so an index name
// belongs to its table. Text columns are declared COLLATE NOCASE, so SQL comparisons and
// ORDER BY ignore the case of A to Z. An index with a Text key ignores the case of every
// letter: it is made on "<table>!keys", which holds the folded keys (FoldedKeys.cpp).
// SQLite's indexes end in the rowid, so ties keep insertion order, and NULL sorts first.
// Column declarations: Boolean INTEGER NOT NULL (-1/0), Integer/Long INTEGER, Double/Date
// REAL (a day number from 30 Dec 1899), Text/Memo TEXT. Named CHECK constraints ("jet<N>
// <field>", N the Jet error number) keep Text sizes, zero-length texts and Required; every
// write path of the engine converts values to the field's type first (JetValues.h).

#include "engine/Dao.h"
#include "engine/FileLock.h"
#include "engine/JetValues.h"
#include "runtime/Error.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace engine::detail {

inline constexpr const char* kFormatMarker = "quolby-jet 1";

// Names of tables, fields and indexes ignore case as every text does (runtime/CaseFold.h).
struct NoCaseLess {
    using is_transparent = void; // looked up by string_view without a copy
    bool operator()(std::string_view a, std::string_view b) const;
};
bool equalsNoCase(std::string_view a, std::string_view b);
std::string foldName(std::string_view s); // the key of a lookup by name

struct IndexInfo {
    std::string name;
    std::string sqlName;
    bool primary = false;
    bool unique = false;
    std::vector<std::string> fields; // as the index names them
    int ord = 0;                     // its `ord` in __jet_indexes
    bool folded = false;             // made on the table of folded keys
};

struct TableInfo {
    std::string name;
    std::vector<FieldInfo> fields; // in field order
    std::vector<int> fieldOrds;    // each field's `ord` in __jet_fields, ascending
    std::vector<IndexInfo> indexes;
    // Field ordinals by lower-case name; shared by the copies an index change makes.
    std::shared_ptr<const std::unordered_map<std::string, int>> ordinalByLowerName;

    // The `ord` a field or index appended now gets: after every one the file holds.
    int nextFieldOrd() const { return fieldOrds.empty() ? 1 : fieldOrds.back() + 1; }
    int nextIndexOrd() const { return indexes.empty() ? 1 : indexes.back().ord + 1; }

    int ordinalOf(std::string_view fieldName) const; // -1 when missing
    const IndexInfo* index(std::string_view indexName) const;
    void rebuildLookup(); // after the fields changed
};

// A prepared statement in use: reset when the scope ends, so that no statement holds a
// read lock on the file between calls.
class StmtUse {
public:
    explicit StmtUse(sqlite3_stmt* s) : s_(s) {}
    ~StmtUse();
    StmtUse(const StmtUse&) = delete;
    StmtUse& operator=(const StmtUse&) = delete;
    sqlite3_stmt* get() const { return s_; }
    operator sqlite3_stmt*() const { return s_; }

private:
    sqlite3_stmt* s_;
};

// One open database file of this process: its SQLite connection, shared by every handle
// on the file.
struct Store : std::enable_shared_from_this<Store> {
    ~Store();

    // Opens an existing file (canonical path), checking that it is a sound database of
    // this engine (3343 otherwise).
    static std::shared_ptr<Store> open(const std::string& canonicalPath);
    std::string path;
    // Keeps this process's lock descriptor of the file open until the connection closed:
    // closing it earlier would drop SQLite's own locks.
    FileLock::Pin lockPin;
    sqlite3* db = nullptr;
    bool readOnlyConnection = false;
    std::string password;
    bool hasPassword = false;

    // Raised by every change made through this process, so that cursors know when to
    // read their row again.
    std::uint64_t generation = 1;
    void touch() { ++generation; }

    // The file's schema version when every table was last found guarded against reused
    // row ids (RowidGuard.h).
    std::int64_t guardedSchemaVersion = -1;

    // Workspace transaction membership.
    bool inTransaction = false;
    int joinLevel = 0; // the nesting level at which the file joined the transaction
    std::shared_ptr<FileLock> transactionLock; // holds an `IN` target until the end
    // Called before every write: joins the workspace transaction when one is pending, and
    // refuses the write (3043) once a file's part of it is lost.
    void beforeWrite();
    // Whether SQLite ended the file's transaction on its own (after an I/O error or a full
    // disk) while the workspace transaction goes on: the rest of that transaction would be
    // written on its own, so it must fail as a whole. Stays true until the file leaves.
    bool transactionLost();
    // Ends this file's part in the workspace transaction; after a rollback, what was
    // read from the file is read again.
    void leaveTransaction(bool rolledBack);

    // Other files this connection reads attached, by canonical path, each under the schema
    // name sourceSchema(i) (AttachedSources.cpp). Only inside the workspace transaction: a
    // file attached before BEGIN IMMEDIATE would be reserved with the file itself. It stays
    // attached until the transaction ends (SQLite detaches no file a transaction has read).
    std::vector<std::string> attachedSources;
    // The schema name under which the file at `path` is read; empty when no more files can
    // be attached.
    std::string attachSource(const std::string& path);
    // Detaches every file that can be; called whenever the connection is out of a
    // transaction again.
    void detachSources();

    // Prepared statements by SQL text. A structure change leaves them valid (SQLite
    // prepares a statement again when the file's structure changed under it); a rollback
    // drops them all.
    sqlite3_stmt* prepare(std::string_view sql);
    void clearStatements();
    std::uint64_t statementEpoch = 1; // raised whenever prepared statements are dropped
    void exec(const std::string& sql);
    // Runs a statement without parameters or rows through the prepared-statement cache.
    void run(std::string_view sql);
    // Raises the engine error for a failure of SQLite on this connection; context: the
    // statement that failed.
    [[noreturn]] void raise(int rc, const std::string& context = {}) const;
    [[noreturn]] void raise(int rc, sqlite3_stmt* failed) const;

    // Tables of the file: read once, then kept up to date by this connection's own
    // structure changes, and read again after a rollback.
    std::shared_ptr<const TableInfo> table(std::string_view name);
    const std::map<std::string, std::shared_ptr<const TableInfo>, NoCaseLess>& tables();
    void invalidateSchema();
    // Takes the description of a table just changed, exactly as reading it from the file
    // would give it (lookup included); a table without fields is not listed.
    void replaceTable(std::shared_ptr<TableInfo> info);
    // Whether an object of the file's SQLite schema has that name, as read with the tables
    // and made since through this connection. Only names without a dot are kept: no other
    // can clash with a table name.
    bool nameInSchema(std::string_view name);
    void addSchemaName(const std::string& name);
    // nameInSchema("__jet_rowids") (RowidGuard.h), asked by every new row: kept until the
    // names change.
    bool guardsRowids();

private:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    // Looked up by the text without copying it.
    std::unordered_map<std::string, sqlite3_stmt*, TextHash, std::equal_to<>> statements_;
    std::map<std::string, std::shared_ptr<const TableInfo>, NoCaseLess> tables_;
    std::set<std::string, NoCaseLess> schemaNames_;
    int guardsRowids_ = -1; // unknown until asked
    bool tablesLoaded_ = false;
    bool transactionLost_ = false;
    void loadTables();
    void finishOpening();
    void readTables();
};

// A field's default as read from the file: its text evaluated for the field's type, or
// Empty when it has none or it cannot be converted.
void readDefault(FieldInfo& field, const std::string& table);

// Parses ";key=value;..." (keys ignore case). Returns the value of `key`, if present.
bool connectValue(std::string_view connect, std::string_view key, std::string& value);

struct DatabaseImpl {
    std::string name;
    std::shared_ptr<Store> store;
    std::shared_ptr<FileLock> lock;
    bool exclusive = false;
    bool readOnly = false;
    bool open = true;
    long recordsAffected = 0;
    std::vector<std::weak_ptr<CursorImpl>> cursors;

    Store& checkedStore() const;  // 3420 once closed
    Store& writableStore() const; // and 3027 when read-only
    void close();
};

struct TableImpl {
    std::weak_ptr<DatabaseImpl> database;
    DatabaseImpl& checkedDatabase() const; // 3420 once the database is closed
};

// The engine-wide registry of open files and the workspace's transaction.
struct EngineState {
    std::map<std::string, std::weak_ptr<Store>> stores;
    std::vector<std::weak_ptr<DatabaseImpl>> databases;
    int transactionLevel = 0; // nested BeginTrans calls pending, at most kMaxNesting
    std::vector<std::shared_ptr<Store>> participants;
    static constexpr int kMaxNesting = 5;
    // A file whose part of the transaction SQLite undid (Store::transactionLost), if any:
    // the transaction takes no more writes and cannot commit.
    Store* lostParticipant() const;

    static EngineState& get();
    std::shared_ptr<Store> findStore(const std::string& canonicalPath);
    // Opens (or shares) a file for a handle or an `IN` target: fault seam, lock, checks.
    std::shared_ptr<Store> openStore(const std::string& canonicalPath);
    void addStore(const std::shared_ptr<Store>& store);
};

// Resolving file names: an existing file is found whatever the case of its name.
struct ResolvedPath {
    bool exists = false;
    bool folderExists = false;
    std::string path; // canonical when it exists, else absolute as given
};
ResolvedPath resolvePath(const std::string& path);

// Structure changes, used by TableDefs/Fields/Indexes.
void addField(DatabaseImpl& db, const std::string& table, Field& field);
void dropField(DatabaseImpl& db, const std::string& table, std::string_view field);
void addIndex(DatabaseImpl& db, const std::string& table, Index& index);
void dropIndex(DatabaseImpl& db, const std::string& table, std::string_view index);
// Where the table's index of that name is exactly `index`, in the file's description and
// in SQLite, builds it again from the rows and moves it last, as one structure change;
// the file then reads as after dropIndex and addIndex. False, with nothing done, otherwise.
bool rebuildSameIndex(DatabaseImpl& db, const std::string& table, const Index& index);
// Makes an index of the table's description in SQLite (on the table of folded keys when
// folded), replacing one of that name.
void createIndexOf(Store& s, const TableInfo& info, const IndexInfo& index);
// Makes the triggers that number the table's auto-increment fields anew.
void remakeAutoNumbers(Store& s, const TableInfo& info);
// Removes the description rows of one index of the table.
void deleteIndexRows(Store& s, const std::string& table, const std::string& index);
// Moves the Text-keyed indexes of a file made before keys were folded onto folded keys;
// where the file cannot be written now, they go on working as they are.
void upgradeFoldedKeys(Store& s);

// What the implementation reaches inside the public objects.
struct Access {
    static void createTable(DatabaseImpl& db, TableDef& td);
    // All the tables as one step, or none (false).
    static bool createTables(DatabaseImpl& db, const std::vector<TableDefPtr>& tables);
    static void setStored(Field& field, int ordinal);
    static void setStored(Index& index);
    static TableDefPtr makeTableDef(const std::shared_ptr<DatabaseImpl>& db, const TableInfo& info);
    static RecordsetPtr makeRecordset(std::shared_ptr<CursorImpl> impl);
    static DatabasePtr makeDatabase(std::shared_ptr<DatabaseImpl> impl);
};

// Recordsets.
std::shared_ptr<CursorImpl> openTableCursor(const std::shared_ptr<DatabaseImpl>& db,
                                            const std::shared_ptr<const TableInfo>& table);
std::shared_ptr<CursorImpl> openDynaset(const std::shared_ptr<DatabaseImpl>& db,
                                        const std::string& sql);
void closeCursor(CursorImpl& c);

// Runs one Jet statement on a database handle.
void executeJet(DatabaseImpl& db, std::string_view sql, const std::vector<Variant>& parameters);

// Registers the engine's SQL functions on a connection (SqlFunctions.h).
void registerFunctions(sqlite3* db);

} // namespace engine::detail
