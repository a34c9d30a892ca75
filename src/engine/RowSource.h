#pragma once

// Rows of a query on one connection, read by a statement of another connection as the
// table-valued function __jet_rows(token). An `INSERT ... IN 'path' SELECT` runs as one
// statement of the target file's own connection, which is the connection that holds that
// file's part of a workspace transaction, while the SELECT runs where its tables are,
// seeing what the transaction already wrote there.

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace engine::detail {

struct Store;

// Makes __jet_rows known to a connection.
void registerRowSource(sqlite3* db);

// The column count __jet_rows offers; a query giving more columns cannot be read.
inline constexpr int kRowSourceColumns = 1000;

class RowSource {
public:
    // query: a statement of source's connection, already prepared; it is reset, not
    // finalized, when reading ends.
    RowSource(Store& source, sqlite3_stmt* query);
    ~RowSource();
    RowSource(const RowSource&) = delete;
    RowSource& operator=(const RowSource&) = delete;

    std::int64_t token() const { return token_; }
    // After the reading statement failed: raises the source's own error, if reading the
    // source is what failed.
    void raiseIfFailed() const;

    // Columns copied as they are into fields of their own kind, checked value by value as
    // they pass (jet_fit in SqlFunctions.h): jet_fit's letter for each column (0: none) and
    // the field's 'Table.Field'.
    void checkColumns(std::vector<char> letters, std::vector<std::string> names);

    Store& source;
    sqlite3_stmt* query;
    const int columnCount;
    int failure = 0; // the source's SQLite result code when reading it failed
    std::vector<char> letters;
    std::vector<std::string> names;

private:
    std::int64_t token_;
};

} // namespace engine::detail
