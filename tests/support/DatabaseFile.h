#pragma once

#include "engine/Dao.h"
#include "runtime/Variant.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace support {

// The kinds of database file the structure definitions make.
enum class FileKind {
    System,      // "SysAdmin2018.mdb", with the database password
    Individuals, // "Qolb2018LAN.mdb"
    Trust,       // "QolbTrust2018Lan.Mdb"
    Company,     // "QolbCompany2018Lan.Mdb"
    TransferPersonal,
    TransferTrust,
    TransferCompany,
    // Last year's files, which the previous-year imports read (support/LastYearTables.h).
    LastYearIndividuals, // "Qolb2017LAN.mdb"
    LastYearTrust,       // "QolbTrust2017Lan.Mdb"
    LastYearCompany,     // "QolbCompany2017Lan.Mdb"
};

using Row = std::vector<std::pair<std::string, runtime::Variant>>;

// A database file with the real structure of its kind (the tables, fields and indexes of
// the structure definitions) and a few rows, in a line or two:
//
//   DatabaseFile(path, FileKind::System).row("UserNames", {{"UserName", "ann"}}).make();
//
// only() keeps the file to the tables a test needs, which makes it faster to build.
class DatabaseFile {
public:
    DatabaseFile(std::string path, FileKind kind);

    DatabaseFile& only(std::vector<std::string> tables);
    DatabaseFile& row(std::string table, Row values);
    // A file of another build than the structure definitions make: the text field `field`
    // of `table` holds `size` characters, or the table lacks the field.
    DatabaseFile& resize(std::string table, std::string field, short size);
    DatabaseFile& drop(std::string table, std::string field);

    // Creates the file (it must not exist), adds the rows and closes it again.
    void make() const;

private:
    std::string path_;
    FileKind kind_;
    std::vector<std::string> only_;
    std::vector<std::pair<std::string, Row>> rows_;
    struct Change {
        std::string table, field;
        std::optional<short> size; // none: dropped
    };
    std::vector<Change> changes_;
};

// Adds one row with these field values through a table-type recordset.
void addRow(engine::Database& db, const std::string& table, const Row& values);
// The same to a file there is.
void addRow(const std::string& path, const std::string& table, const Row& values,
            const std::string& connect = "");

// Gives `field` of `table` the engine type `type`, as a file of another build holds it: the
// field is made anew, last and empty, with its indexes, through the table's definition.
void retype(engine::Database& db, const std::string& table, const std::string& field, int type);

} // namespace support
