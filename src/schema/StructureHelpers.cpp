#include "schema/StructureHelpers.h"

#include "engine/EngineErrors.h"
#include "forms/Desktop.h"
#include "runtime/Error.h"
#include "schema/TableSpec.h"

#include <string_view>
#include <vector>

namespace schema {

namespace {

constexpr std::string_view Locale = ";LANGID=0x0409;CP=1252;COUNTRY=0";
constexpr std::string_view Password = ";pwd=tevo";

struct State {
    engine::Workspace* workspace = nullptr;
    engine::DatabasePtr db;
    engine::TableDefPtr table;
    // New tables not yet stored (beginTable), in order; the current table is the last.
    std::vector<engine::TableDefPtr> pending;
};

State& state() {
    static State s;
    return s;
}

// The engine's "nothing current" (error 91), raised where the original object would be
// missing, so that the handlers below see the same numbers as they would there.
// A failure of the disk ends the run with its error: the engine may have given up the
// file's transaction with it, and whatever a definition went on to write would then be
// stored piece by piece, outside the transaction that was to make it all or nothing.
void endRunOnDiskFailure(const runtime::Error& e) {
    if (e.number() == engine::err::DiskOrNetworkError || e.number() == engine::err::DiskFull)
        throw e;
}

engine::Database& currentDb() {
    if (!state().db) throw runtime::Error(runtime::err::ObjectVariableNotSet);
    return *state().db;
}

engine::TableDef& currentTable() {
    if (!state().table) throw runtime::Error(runtime::err::ObjectVariableNotSet);
    return *state().table;
}

// A table kept unstored checks its index fields only when it is stored, and then refuses
// the whole table; this refuses the single index instead, as a stored table would.
void checkKeyFields(const engine::TableDef& table, const engine::Index& index) {
    if (table.isStored()) return;
    for (int i = 0; i < index.Fields().Count(); ++i)
        if (!table.Fields().contains(index.Fields().Item(i)->Name()))
            throw runtime::Error(engine::err::ItemNotFound);
}

std::vector<std::string> splitFields(const std::string& fields) {
    std::vector<std::string> out;
    std::string::size_type from = 0;
    for (;;) {
        const auto comma = fields.find(',', from);
        out.push_back(fields.substr(from, comma - from));
        if (comma == std::string::npos) return out;
        from = comma + 1;
    }
}

engine::IndexPtr newIndex(const engine::TableDef& table, const std::string& name,
                          const std::vector<std::string>& fields, bool primary, bool unique) {
    engine::IndexPtr index = table.CreateIndex(name);
    index->setPrimary(primary);
    index->setUnique(unique);
    for (const std::string& f : fields)
        index->Fields().Append(index->CreateField(f));
    return index;
}

// A stored index that is already just what the definition names is built again in one
// step, which leaves the file as deleting it and making it anew would. False when the
// index differs in anything, or is not there.
bool rebuiltAsItIs(engine::TableDef& table, const std::string& name,
                   const std::vector<std::string>& fields, bool primary, bool unique) {
    if (!table.isStored() || !table.Indexes().contains(name)) return false;
    const engine::IndexPtr existing = table.Indexes().Item(name);
    if (existing->Name() != name || existing->Primary() != primary ||
        existing->Unique() != (unique || primary) ||
        existing->Fields().Count() != static_cast<int>(fields.size()))
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (existing->Fields().Item(static_cast<int>(i))->Name() != fields[i]) return false;
    table.Indexes().replace(newIndex(table, name, fields, primary, unique));
    return true;
}

void takeTable(const std::string& name, bool deferStore) {
    State& s = state();
    s.table.reset();
    try {
        engine::Database& db = currentDb();
        if (db.TableDefs().contains(name)) {
            // Taken as it is: an existing table gets no In Use from here.
            s.table = db.TableDefs().Item(name);
            return;
        }
        engine::TableDefPtr table = db.CreateTableDef(name);
        table->Fields().Append(table->CreateField(std::string(InUseField), engine::dbBoolean));
        if (deferStore) {
            s.table = table;
            s.pending.push_back(table);
            return;
        }
        db.TableDefs().Append(table);
        s.table = table;
    } catch (const runtime::Error& e) {
        endRunOnDiskFailure(e);
        // Made meanwhile by another user of the file: take that one.
        if (e.number() == engine::err::TableAlreadyExists) {
            try {
                s.table = currentDb().TableDefs().Item(name);
            } catch (const runtime::Error&) {
            }
        }
        // Anything else: no current table, so the field and index calls that follow
        // touch nothing rather than a table of another file.
    }
}

// Table names compare as the engine compares them: ASCII letters without regard to case.
bool sameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// Neither in the current database nor waiting to be stored.
bool isNewTable(const std::string& name) {
    State& s = state();
    for (const engine::TableDefPtr& t : s.pending)
        if (sameName(t->Name(), name)) return false;
    try {
        return s.db && !s.db->TableDefs().contains(name);
    } catch (const runtime::Error&) {
        return false;
    }
}

} // namespace

engine::Workspace* CurWorkspace() {
    return state().workspace;
}
const engine::DatabasePtr& CurDB() {
    return state().db;
}
const engine::TableDefPtr& CurTableDef() {
    return state().table;
}

void MakeDatabase(const std::string& path, bool password) {
    State& s = state();
    detail::finishTable();
    s.workspace = &engine::DBEngine::instance().Workspaces(0);
    s.db.reset();
    s.table.reset();
    const std::string locale = std::string(Locale) + (password ? std::string(Password) : "");
    try {
        s.db = s.workspace->CreateDatabase(path, locale);
    } catch (const runtime::Error& e) {
        detail::createFailed(e, path, password);
    }
}

void MakeTable(const std::string& name) {
    detail::finishTable();
    takeTable(name, false);
}

void MakeField(const std::string& name, int type, std::int16_t size, std::int16_t special) {
    try {
        engine::TableDef& table = currentTable();
        engine::FieldPtr field = table.CreateField(name, type, size);
        if (special == SpecialAutoIncrement) field->setAttributes(engine::dbAutoIncrField);
        if (special == SpecialDefaultZero) {
            field->setDefaultValue(runtime::Variant(std::int32_t{0}));
            field->setRequired(true);
        }
        if (special == SpecialDefaultOne) {
            field->setDefaultValue(runtime::Variant(std::int32_t{1}));
            field->setRequired(true);
        }
        if (type == engine::dbText || type == engine::dbMemo) field->setAllowZeroLength(true);
        // The engine would refuse both (3265, 3191); asking first spares the throw on
        // every field of a complete file. A table being built asks itself on Append.
        if (special == SpecialDropField) {
            if (table.Fields().contains(name)) table.Fields().Delete(name);
        } else if (!table.isStored() || !table.Fields().contains(name)) {
            table.Fields().Append(field);
        }
    } catch (const runtime::Error& e) {
        endRunOnDiskFailure(e);
        // A field that exists keeps its definition; a field to drop that is not there,
        // or no current table: nothing to do.
    }
}

void MakeIndex(const std::string& name, const std::string& fields, std::int16_t primary,
               std::int16_t unique) {
    try {
        engine::TableDef& table = currentTable();
        const std::vector<std::string> keys = splitFields(fields);
        if (rebuiltAsItIs(table, name, keys, primary != 0, unique != 0)) return;
        try {
            if (table.Indexes().contains(name)) table.Indexes().Delete(name);
        } catch (const runtime::Error& e) {
            if (e.number() != engine::err::ObjectNotFound &&
                e.number() != engine::err::ItemNotFound)
                throw;
        }
        engine::IndexPtr index = newIndex(table, name, keys, primary != 0, unique != 0);
        checkKeyFields(table, *index);
        table.Indexes().Append(index);
    } catch (const runtime::Error& e) {
        endRunOnDiskFailure(e);
        // Already there, a key field missing, or no current table: the index is not made.
    }
}

namespace detail {

void createFailed(const runtime::Error& e, const std::string& path, bool password) {
    State& s = state();
    switch (e.number()) {
    case engine::err::DatabaseAlreadyExists:
        // An error of this opening goes back to the caller.
        s.db = password ? s.workspace->OpenDatabase(path, true, false, std::string(Password))
                        : s.workspace->OpenDatabase(path);
        break;
    case runtime::err::ObjectVariableNotSet:
        forms::desktop().MsgBox("Cannot Update " + path + " at this stage.Please try again later",
                                forms::vbInformation, "Operation Unsuccessful");
        break;
    default:
        // A folder that does not exist, a drive that cannot be written: no database.
        break;
    }
}

void beginTable(const std::string& name) {
    // New tables wait to be stored together; a table of the file, or a name that waits
    // already, has every table before it stored first, as one at a time would.
    if (!isNewTable(name)) finishTable();
    takeTable(name, true);
}

void finishTable() {
    State& s = state();
    if (s.pending.empty()) return;
    const std::vector<engine::TableDefPtr> tables = std::move(s.pending);
    s.pending.clear();
    try {
        engine::TableDefList& defs = currentDb().TableDefs();
        // One at a time when they cannot all be stored: each that can be is made.
        if (tables.size() == 1 || !defs.appendTogether(tables)) {
            for (const engine::TableDefPtr& table : tables) {
                try {
                    defs.Append(table);
                } catch (const runtime::Error& e) {
                    endRunOnDiskFailure(e);
                }
            }
        }
    } catch (const runtime::Error& e) {
        endRunOnDiskFailure(e);
    }
    // A current table that could not be stored is no table.
    if (s.table && !s.table->isStored()) s.table.reset();
}

} // namespace detail

} // namespace schema
