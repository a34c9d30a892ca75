#include "FileContent.h"

#include <algorithm>
#include <filesystem>
#include <sqlite3.h>
#include <vector>

namespace faults {

namespace {

// One connection, closed on every way out.
struct Plain {
    sqlite3* db = nullptr;
    std::string error;
    explicit Plain(const std::string& path) {
        // The stock file layer, not the engine's: the file as any other program sees it.
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, "unix") != SQLITE_OK)
            error = sqlite3_errmsg(db);
        else
            sqlite3_busy_timeout(db, 2000);
    }
    ~Plain() { sqlite3_close_v2(db); }
    Plain(const Plain&) = delete;
    Plain& operator=(const Plain&) = delete;

    // Each row as one text, its values tagged by type; empty when the query failed.
    bool rows(const std::string& sql, std::vector<std::string>& out) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(db);
            return false;
        }
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(s); ++i) {
                const int type = sqlite3_column_type(s, i);
                row += std::to_string(type) + ":";
                if (type != SQLITE_NULL) {
                    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, i));
                    row.append(bytes ? bytes : "",
                               static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
                }
                row += '\x1f';
            }
            out.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
        sqlite3_finalize(s);
        return rc == SQLITE_DONE;
    }
};

std::string quotedName(const std::string& name) {
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// The text of a row that holds one text column.
std::string firstValue(const std::string& row) {
    const auto colon = row.find(':');
    return row.substr(colon + 1, row.size() - colon - 2);
}

} // namespace

std::string contentDigest(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "<absent>";
    if (std::filesystem::file_size(path, ec) == 0) return "<empty>";
    Plain p(path);
    std::vector<std::string> master;
    if (!p.error.empty() ||
        !p.rows("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name", master))
        return "<unreadable: " + p.error + ">";
    std::string digest;
    for (const std::string& entry : master)
        digest += entry + "\n";
    std::vector<std::string> tables;
    if (!p.rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", tables))
        return "<unreadable: " + p.error + ">";
    for (const std::string& t : tables) {
        const std::string name = firstValue(t);
        std::vector<std::string> rows;
        if (!p.rows("SELECT * FROM " + quotedName(name), rows))
            return "<unreadable: " + p.error + ">";
        std::sort(rows.begin(), rows.end());
        digest += "[" + name + "]\n";
        for (const std::string& row : rows)
            digest += row + "\n";
    }
    return digest;
}

std::string integrityCheck(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "ok";
    Plain p(path);
    std::vector<std::string> result;
    if (!p.error.empty() || !p.rows("PRAGMA integrity_check", result)) return p.error;
    std::string out;
    for (const std::string& row : result)
        out += (out.empty() ? "" : "; ") + firstValue(row);
    return out;
}

} // namespace faults
