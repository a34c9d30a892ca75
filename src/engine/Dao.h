#pragma once

// The database engine's object model, named as DAO names it: one DBEngine, its
// Workspaces(0), Database handles on files, their TableDefs with Fields and Indexes,
// and Recordsets. Every failure is a runtime::Error with the Jet number of
// EngineErrors.h. Single-threaded: the program's one UI thread uses it.

#include "runtime/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

using runtime::Variant;

// Field type codes.
inline constexpr int dbBoolean = 1;
inline constexpr int dbInteger = 3;
inline constexpr int dbLong = 4;
inline constexpr int dbDouble = 7;
inline constexpr int dbDate = 8;
inline constexpr int dbText = 10;
inline constexpr int dbMemo = 12;

// Recordset types (0: a table-type recordset for a table name, a dynaset for SQL).
inline constexpr int dbOpenTable = 1;
inline constexpr int dbOpenDynaset = 2;

// Field attributes.
inline constexpr long dbAutoIncrField = 16;

// Recordset edit modes.
inline constexpr int dbEditNone = 0;
inline constexpr int dbEditInProgress = 1;
inline constexpr int dbEditAdd = 2;

class DBEngine;
class Workspace;
class Database;
class TableDef;
class Field;
class Index;
class Recordset;

using DatabasePtr = std::shared_ptr<Database>;
using TableDefPtr = std::shared_ptr<TableDef>;
using FieldPtr = std::shared_ptr<Field>;
using IndexPtr = std::shared_ptr<Index>;
using RecordsetPtr = std::shared_ptr<Recordset>;

namespace detail {
struct Store;        // one open file of this process, shared by its handles
struct DatabaseImpl; // a Database handle's state
struct TableImpl;    // a stored table's link to its file
struct CursorImpl;   // a recordset's state
struct Access;       // the implementation's way in
} // namespace detail

// A field definition: of a table (TableDef::CreateField / Fields) or of an index
// (Index::CreateField). Properties can be set until the field is stored; a stored field's
// properties are read-only (3219 on a setter).
class Field {
public:
    Field(std::string name, int type, int size);

    const std::string& Name() const { return name_; }
    int Type() const { return type_; }
    // Text: the greatest number of characters; other types report their fixed width.
    int Size() const;
    long Attributes() const { return attributes_; }
    // The default as Jet keeps it, an expression text ("0", "1", "\"abc\""); "" if none.
    Variant DefaultValue() const;
    bool Required() const { return required_; }
    bool AllowZeroLength() const { return allowZeroLength_; }
    int OrdinalPosition() const { return ordinal_; }

    void setName(const std::string& name);
    void setType(int type);
    void setSize(int size);
    void setAttributes(long attributes);
    void setDefaultValue(const Variant& value);
    void setRequired(bool required);
    void setAllowZeroLength(bool allow);

private:
    friend struct detail::Access;
    friend class FieldList;
    void checkUnstored() const;

    std::string name_;
    int type_;
    int size_;
    long attributes_ = 0;
    std::string defaultValue_; // expression text; empty: none
    bool required_ = false;
    bool allowZeroLength_ = false;
    int ordinal_ = 0;
    bool stored_ = false;
};

// The fields of a TableDef, in field order. Lookup ignores case.
class FieldList {
public:
    int Count() const { return static_cast<int>(fields_.size()); }
    FieldPtr Item(int ordinal) const;           // 3265 when out of range
    FieldPtr Item(std::string_view name) const; // 3265 when missing
    bool contains(std::string_view name) const;
    // On a stored table the field is stored at once, after the existing fields (3191 when
    // a field of that name exists, 3125 for a name Jet refuses); rows already there read
    // its default (Null if none).
    // Unstored: kept until the table is appended.
    void Append(const FieldPtr& field);
    // Deletes the field and its data (3265 when missing; 3280 when an index uses it).
    void Delete(std::string_view name);

private:
    friend class TableDef;
    friend struct detail::Access;
    explicit FieldList(TableDef* owner) : owner_(owner) {}
    TableDef* owner_;
    std::vector<FieldPtr> fields_;
};

// The fields of an index, in key order.
class IndexFieldList {
public:
    int Count() const { return static_cast<int>(fields_.size()); }
    FieldPtr Item(int i) const;
    FieldPtr Item(std::string_view name) const;
    void Append(const FieldPtr& field); // 3191 when named twice; 3219 once stored

private:
    friend class Index;
    friend struct detail::Access;
    explicit IndexFieldList(Index* owner) : owner_(owner) {}
    Index* owner_;
    std::vector<FieldPtr> fields_;
};

// An index definition. Its name belongs to its table: several tables may each have
// an index of the same name.
class Index {
public:
    explicit Index(std::string name);
    Index(const Index&) = delete;
    Index& operator=(const Index&) = delete;

    const std::string& Name() const { return name_; }
    bool Primary() const { return primary_; }
    bool Unique() const { return unique_ || primary_; }
    void setName(const std::string& name);
    void setPrimary(bool primary);
    void setUnique(bool unique);

    FieldPtr CreateField(const std::string& name) const;
    IndexFieldList& Fields() { return fields_; }
    const IndexFieldList& Fields() const { return fields_; }

private:
    friend class IndexFieldList;
    friend class IndexList;
    friend struct detail::Access;
    void checkUnstored() const;

    std::string name_;
    bool primary_ = false;
    bool unique_ = false;
    bool stored_ = false;
    IndexFieldList fields_{this};
};

// The indexes of a TableDef. Lookup ignores case.
class IndexList {
public:
    int Count() const { return static_cast<int>(indexes_.size()); }
    IndexPtr Item(int i) const;
    IndexPtr Item(std::string_view name) const; // 3265 when missing
    bool contains(std::string_view name) const;
    // On a stored table: built at once (3284 when the table has an index of that name;
    // 3022 when a unique index finds duplicates; 3265 when a key field is missing).
    void Append(const IndexPtr& index);
    // 3265 when the table has no index of that name.
    void Delete(std::string_view name);
    // Delete of the index of the same name, when the table has one, then Append. An index
    // exactly like the one it replaces (name, key fields as written, Primary, Unique) is
    // instead built again from the rows in one step, which leaves the file the same.
    void replace(const IndexPtr& index);

private:
    friend class TableDef;
    friend struct detail::Access;
    explicit IndexList(TableDef* owner) : owner_(owner) {}
    TableDef* owner_;
    std::vector<IndexPtr> indexes_;
};

// A table definition: made by Database::CreateTableDef (unstored until appended to
// TableDefs) or read from a file through TableDefs.
class TableDef {
public:
    explicit TableDef(std::string name);
    TableDef(const TableDef&) = delete;
    TableDef& operator=(const TableDef&) = delete;
    ~TableDef();

    const std::string& Name() const { return name_; }
    bool isStored() const { return table_ != nullptr; }

    FieldPtr CreateField(const std::string& name, int type = dbText, int size = 0) const;
    FieldList& Fields() { return fields_; }
    const FieldList& Fields() const { return fields_; }

    IndexPtr CreateIndex(const std::string& name) const;
    IndexList& Indexes() { return indexes_; }
    const IndexList& Indexes() const { return indexes_; }

private:
    friend class FieldList;
    friend class IndexList;
    friend class TableDefList;
    friend struct detail::Access;

    std::string name_;
    FieldList fields_{this};
    IndexList indexes_{this};
    std::shared_ptr<detail::TableImpl> table_; // set once stored
};

// The tables of a database, ordered by name without regard to case; lookup ignores case.
// The engine's own bookkeeping tables are not listed.
class TableDefList {
public:
    int Count() const;
    TableDefPtr Item(int i) const;
    TableDefPtr Item(std::string_view name) const; // 3265 when missing
    bool contains(std::string_view name) const;
    // Stores the table with its fields and indexes (3010 when a table of that name
    // exists; 3264 when it has no field; 3125 for a name Jet refuses: empty, over 64
    // characters, a leading blank, a control character or any of . ! ` [ ]).
    void Append(const TableDefPtr& table);
    // Stores the tables as Append of each in turn would, in one step: all of them, or
    // none (false) when any of them cannot be stored; Append of each then tells which.
    // A failure of the disk (3043, 3026) is raised.
    bool appendTogether(const std::vector<TableDefPtr>& tables);
    void Refresh() {}

private:
    friend class Database;
    explicit TableDefList(Database* owner) : owner_(owner) {}
    Database* owner_;
};

// A value of the current row of a recordset, found once by name and then used by ordinal.
class FieldRef {
public:
    FieldRef(Recordset* rs, int ordinal) : rs_(rs), ordinal_(ordinal) {}

    Variant Value() const;                 // 3021 without a current row
    void setValue(const Variant& v) const; // 3020 outside AddNew/Edit
    const std::string& Name() const;
    int Type() const;
    int Size() const;
    int ordinal() const { return ordinal_; }

private:
    Recordset* rs_;
    int ordinal_;
};

// A recordset. Table-type: a table, in the order of one of its indexes (Index) or else in
// insertion order, with Seek. It sees every change made through this program after it
// was opened: each move starts from the current row's key, so a row deleted under it does
// not stop MoveNext, and after its own Edit/Update the current row keeps its place in the
// order by its new key. Dynaset: an SQL SELECT whose rows and values are read when it
// opens; it is read-only here (AddNew/Edit raise 3027).
class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    int Type() const;
    const std::string& Name() const;

    // Table-type only: orders the recordset by that index of its table (3800 when the table
    // has none of that name; 3251 on a dynaset) and makes the first row current.
    void setIndex(const std::string& indexName);
    const std::string& Index() const;
    // Table-type with an Index: comparison "=", ">=", ">", "<=" or "<" against the leading
    // key fields. Sets NoMatch; on a match the row found becomes current.
    void Seek(std::string_view comparison, const std::vector<Variant>& keys);
    bool NoMatch() const;

    void MoveFirst(); // 3021 when there is no row
    void MoveLast();  // 3021 when there is no row
    void MoveNext();  // 3021 when already after the last row
    void MovePrevious();
    bool Eof() const;
    bool Bof() const;
    // Table-type: the rows of the table. Dynaset: the rows reached so far; exact after
    // MoveLast.
    long RecordCount() const;

    void AddNew();
    void Edit();   // 3021 without a current row
    void Update(); // 3020 without AddNew/Edit
    void CancelUpdate();
    void Delete(); // 3021 without a current row
    int EditMode() const;

    FieldRef Fields(std::string_view name);        // 3265 when the recordset has no such field
    FieldRef Fields(int ordinal);                  // 3265 when out of range
    int fieldOrdinal(std::string_view name) const; // -1 when missing
    int FieldCount() const;

    void Close();
    bool isOpen() const;

private:
    friend class Database;
    friend class FieldRef;
    friend struct detail::Access;
    explicit Recordset(std::shared_ptr<detail::CursorImpl> impl);
    std::shared_ptr<detail::CursorImpl> impl_;
};

// An index the engine keeps for itself over the rows of `table` that meet `where` (a Jet
// condition on the table's own fields), ordered by `field`. A statement on the table whose
// WHERE clause holds that condition, written alike, as one of its ANDed terms reads those
// rows only, not the whole table. Jet never sees it: TableDefs and Indexes do not list it.
struct PartialIndex {
    std::string_view table;
    std::string_view name; // unique among the table's partial indexes
    std::string_view field;
    std::string_view where;
};

// An open database file. Handles on the same file inside this program share one
// connection; closing one handle leaves the others working.
class Database {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The path the database was opened with.
    const std::string& Name() const;
    bool isOpen() const;
    bool isReadOnly() const;
    bool isExclusive() const;

    TableDefList& TableDefs();
    TableDefPtr CreateTableDef(const std::string& name) const;

    // Runs one Jet statement. It applies whole or raises its error: a row that cannot be
    // stored is never skipped in silence, whatever `options` says. Values are converted to
    // their target fields' types (0 into Text stores "0", '' into a number or Date Null).
    // A SELECT is refused (3065).
    void Execute(std::string_view sql, int options = 0);
    // The same with parameters, in the order the text holds them: `IN ?` takes the target
    // file's path from a text, each `?` of an expression a value. The path and the values
    // never enter SQL text, so a statement differing only in them is translated once.
    // 3061 when their number is not the text's.
    void Execute(std::string_view sql, const std::vector<Variant>& parameters, int options = 0);
    long RecordsAffected() const;

    // type 0: table-type for a table name, dynaset for SQL.
    RecordsetPtr OpenRecordset(std::string_view source, int type = 0);

    // Makes the index when the file lacks it or holds it with another definition, as one
    // write of the current transaction; nothing when the file holds it already. Dropping
    // a field of the table drops its partial indexes, to be made again when next kept.
    // 3011 without the table, 3265 without the field, 3027 on a read-only handle, and the
    // translator's numbers (JetSql.h) for a condition it refuses.
    void keepPartialIndex(const PartialIndex& index);

    // Closes the handle and the recordsets opened through it.
    void Close();

private:
    friend class Workspace;
    friend class TableDefList;
    friend struct detail::Access;
    explicit Database(std::shared_ptr<detail::DatabaseImpl> impl);
    std::shared_ptr<detail::DatabaseImpl> impl_;
    TableDefList tableDefs_{this};
};

// The engine's workspace. Its transaction covers every handle of this program on every
// file written between BeginTrans and CommitTrans, including rows written through
// `IN 'path'`, and files opened and closed meanwhile; Rollback leaves every file as it
// was. The files commit all together or not at all, also when the process is killed
// during the commit: if one cannot commit, every file is put back and the error raised.
// A failure of the disk that undid a file's part of the transaction dooms the whole of it:
// every later write of the transaction is refused (3043), and so is the commit, which puts
// every file back (an inner level's commit undoes that level).
// Code above the engine runs a transaction through engine::Transaction (Transaction.h).
class Workspace {
public:
    // exclusive: no other process may open the file while this handle holds it.
    // connect: ";pwd=..." for a file with a password (3031 when it does not match).
    DatabasePtr OpenDatabase(const std::string& path, bool exclusive = false, bool readOnly = false,
                             const std::string& connect = "");
    // locale: ";LANGID=...;CP=...;COUNTRY=0" optionally followed by ";pwd=..." (3204 when
    // the file exists; 3044 when its folder does not).
    DatabasePtr CreateDatabase(const std::string& path, const std::string& locale, int options = 0);
    void RepairDatabase(const std::string& path);

    // Closes every database and recordset opened through the workspace (a pending
    // transaction is rolled back). The workspace can be used again afterwards.
    void Close();

    // Transactions nest five deep (3003 beyond): an inner CommitTrans hands its work to
    // the outer level, an inner Rollback undoes only its own level's work.
    void BeginTrans();
    void CommitTrans(); // 3034 without BeginTrans
    void Rollback();    // 3034 without BeginTrans
    bool inTransaction() const;
    // How many levels are begun and not yet ended: 0 outside a transaction.
    int transactionLevel() const;

private:
    friend class DBEngine;
    Workspace() = default;
};

// The program's one engine object, made on first use.
class DBEngine {
public:
    static DBEngine& instance();

    Workspace& Workspaces(int index); // 3265 for any index but 0

    // Repairs a damaged file (3045 when a handle of this program holds it). A copy of the
    // damaged file is kept beside it first; a file that is no database is left as it is (3343).
    void RepairDatabase(const std::string& path);

    // Whether a handle of this program has the file open (any spelling of the path).
    bool isHeld(const std::string& path) const;

    // A sound, durable copy of a database file even while another process writes to it;
    // the target is replaced whole or not at all. The same copy as copyDatabaseSnapshot
    // (SnapshotCopy.h), which lists its errors: 53, 76, 70 (also when the target is a file
    // that this program or another process has open), 61, 57, 3260 or 3343.
    void backupFile(const std::string& sourcePath, const std::string& targetPath);

private:
    DBEngine() = default;
    Workspace workspace_;
};

// A test seam: OpenDatabase of a path that contains `pathSubstring` (or equals it) fails
// with the chosen engine number before touching the file.
class OpenFaults {
public:
    static void set(const std::string& pathSubstring, int number);
    static void clear(const std::string& pathSubstring);
    static void clearAll();
    // The number set for a path, 0 when none.
    static int numberFor(const std::string& path);
};

class ScopedOpenFault {
public:
    ScopedOpenFault(std::string pathSubstring, int number);
    ~ScopedOpenFault();
    ScopedOpenFault(const ScopedOpenFault&) = delete;
    ScopedOpenFault& operator=(const ScopedOpenFault&) = delete;

private:
    std::string pathSubstring_;
};

} // namespace engine
