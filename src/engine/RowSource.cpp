#include "engine/RowSource.h"

#include "engine/DaoInternal.h"
#include "engine/SqlFunctions.h"
#include "engine/SqliteErrors.h"

#include <map>
#include <sqlite3.h>
#include <string>

namespace engine::detail {

namespace {

std::map<std::int64_t, RowSource*>& sources() {
    static std::map<std::int64_t, RowSource*> all;
    return all;
}
std::int64_t gNextToken = 1;

struct Cursor : sqlite3_vtab_cursor {
    RowSource* source = nullptr;
    bool eof = true;
    sqlite3_int64 row = 0;
};

const std::string& declaration() {
    static const std::string text = [] {
        std::string t = "CREATE TABLE x(";
        for (int i = 0; i < kRowSourceColumns; ++i)
            t += "c" + std::to_string(i) + ", ";
        return t + "token HIDDEN)";
    }();
    return text;
}

int xConnect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
    const int rc = sqlite3_declare_vtab(db, declaration().c_str());
    if (rc != SQLITE_OK) return rc;
    *out = static_cast<sqlite3_vtab*>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (!*out) return SQLITE_NOMEM;
    **out = sqlite3_vtab{};
    return SQLITE_OK;
}

int xDisconnect(sqlite3_vtab* vtab) {
    sqlite3_free(vtab);
    return SQLITE_OK;
}

// Only reading by token is possible.
int xBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn == kRowSourceColumns && c.op == SQLITE_INDEX_CONSTRAINT_EQ && c.usable) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->estimatedCost = 1;
            return SQLITE_OK;
        }
    }
    return SQLITE_CONSTRAINT;
}

int xOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    *out = new Cursor();
    return SQLITE_OK;
}

int xClose(sqlite3_vtab_cursor* c) {
    delete static_cast<Cursor*>(c);
    return SQLITE_OK;
}

int step(Cursor& c) {
    const int rc = sqlite3_step(c.source->query);
    if (rc == SQLITE_ROW) {
        c.eof = false;
        ++c.row;
        return SQLITE_OK;
    }
    c.eof = true;
    if (rc == SQLITE_DONE) return SQLITE_OK;
    c.source->failure = rc;
    sqlite3_free(c.pVtab->zErrMsg);
    c.pVtab->zErrMsg = sqlite3_mprintf("%s", sqlite3_errmsg(c.source->source.db));
    return SQLITE_ERROR;
}

int xFilter(sqlite3_vtab_cursor* base, int, const char*, int argc, sqlite3_value** argv) {
    auto& c = *static_cast<Cursor*>(base);
    const auto it = argc == 1 ? sources().find(sqlite3_value_int64(argv[0])) : sources().end();
    if (it == sources().end()) return SQLITE_ERROR;
    c.source = it->second;
    c.row = 0;
    sqlite3_reset(c.source->query);
    return step(c);
}

int xNext(sqlite3_vtab_cursor* base) {
    return step(*static_cast<Cursor*>(base));
}

int xEof(sqlite3_vtab_cursor* base) {
    return static_cast<Cursor*>(base)->eof;
}

// A copy of the whole row passes through here value by value: each value is taken from
// the query in one call each way, and checked here when it is copied as it is.
int xColumn(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int column) {
    const RowSource& source = *static_cast<Cursor*>(base)->source;
    if (column >= source.columnCount) return SQLITE_OK; // past the query's last column: Null
    sqlite3_value* value = sqlite3_column_value(source.query, column);
    const auto at = static_cast<std::size_t>(column);
    if (at < source.letters.size() && source.letters[at]) {
        if (const int number = misfitNumber(value, source.letters[at])) {
            sqlite3_result_error(ctx, source.names[at].c_str(), -1);
            sqlite3_result_error_code(ctx, functionFailureCode(number));
            return SQLITE_OK;
        }
    }
    sqlite3_result_value(ctx, value);
    return SQLITE_OK;
}

int xRowid(sqlite3_vtab_cursor* base, sqlite3_int64* out) {
    *out = static_cast<Cursor*>(base)->row;
    return SQLITE_OK;
}

sqlite3_module makeModule() {
    sqlite3_module m{};
    m.xConnect = xConnect; // eponymous only: no xCreate
    m.xBestIndex = xBestIndex;
    m.xDisconnect = xDisconnect;
    m.xOpen = xOpen;
    m.xClose = xClose;
    m.xFilter = xFilter;
    m.xNext = xNext;
    m.xEof = xEof;
    m.xColumn = xColumn;
    m.xRowid = xRowid;
    return m;
}

const sqlite3_module gModule = makeModule();

} // namespace

void registerRowSource(sqlite3* db) {
    sqlite3_create_module_v2(db, "__jet_rows", &gModule, nullptr, nullptr);
}

RowSource::RowSource(Store& s, sqlite3_stmt* q)
    : source(s), query(q), columnCount(sqlite3_column_count(q)), token_(gNextToken++) {
    sources()[token_] = this;
}

RowSource::~RowSource() {
    sources().erase(token_);
    sqlite3_reset(query);
}

void RowSource::checkColumns(std::vector<char> checkedLetters,
                             std::vector<std::string> checkedNames) {
    letters = std::move(checkedLetters);
    names = std::move(checkedNames);
}

void RowSource::raiseIfFailed() const {
    if (failure != 0) source.raise(failure, sqlite3_sql(query));
}

} // namespace engine::detail
