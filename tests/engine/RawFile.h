#pragma once

// A database file opened with SQLite itself, beside the engine: for damaging a file and
// for looking at what the engine left in it.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>

namespace enginetest {

class RawFile {
public:
    explicit RawFile(const std::string& path) { sqlite3_open(path.c_str(), &db_); }
    ~RawFile() { sqlite3_close(db_); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    void exec(const std::string& sql) {
        char* msg = nullptr;
        const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg);
        const std::string text = msg ? msg : "";
        sqlite3_free(msg);
        ASSERT_EQ(rc, SQLITE_OK) << text << "\n" << sql;
    }
    // The first column of the first row; -1 (or "") when there is none.
    long long number(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        long long v = -1;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return v;
    }
    std::string text(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        std::string v;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            v = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return v;
    }

private:
    sqlite3* db_ = nullptr;
};

} // namespace enginetest
