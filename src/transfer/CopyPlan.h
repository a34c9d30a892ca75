#pragma once

// A copy of one table's rows from one database file into another: the target table and,
// for each target column, where its value comes from. It renders the engine's
// `INSERT INTO ... IN ? SELECT ...` statement. The target file's path and the client numbers
// a statement is given are parameters, so no path and none of those numbers is part of the
// SQL text. The text holds the names of the plan and of a number-map table, each in
// brackets; a Constant column's value and the shift of a shifted copy, each written by
// exactNumber so that it reads back as the very same number; and a ClientSelection's
// condition, as its caller wrote it.

#include "runtime/Variant.h"

#include <span>
#include <string>
#include <vector>

namespace transfer {

struct ColumnCopy {
    enum class From {
        Column,       // the source column `source`
        Constant,     // the number `constant` (a Text column stores its digits)
        ClientNumber, // the client's number in the target file
        EmptyText,    // the empty text (a Date column takes Null from it)
    };
    std::string target;
    From from = From::Column;
    std::string source = {};
    double constant = 0;
};

struct CopyPlan {
    std::string target;       // the table written, in the file named by IN
    std::string source;       // the table read, in the file the statement runs on
    std::string clientColumn; // the source column holding the client's number
    std::vector<ColumnCopy> columns = {};
    std::vector<std::string> orderBy = {}; // source columns giving the order rows are added in
};

// The statement of a plan for one client, and its parameters in the order it holds them.
struct ClientCopyStatement {
    std::string sql;
    std::vector<runtime::Variant> parameters;
};

// Copies the rows whose client column holds `sourceNumber` into the file at `targetPath`,
// giving them `targetNumber`.
ClientCopyStatement clientCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                        double sourceNumber, double targetNumber);

// Copies, in one statement, the rows whose client column holds one of `numbers` (each a
// parameter) into the file at `targetPath`; a ClientNumber column takes the row's number
// plus `shift`.
ClientCopyStatement shiftedCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                         double shift, const std::vector<double>& numbers);

// The clients whose rows a copy takes: the numbers in `column` of the rows of `table` that
// meet `condition` (Jet SQL of that table, no parameters), in the file the statement runs on.
struct ClientSelection {
    std::string table, column, condition;
};

// Copies, in one statement, the rows of the clients `clients` selects into the file at
// `targetPath`, each keeping its number. A number selected twice brings its rows once; rows
// of a number not selected stay behind.
ClientCopyStatement clientsCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                         const ClientSelection& clients);

// A table of old and new client numbers, each old number once, in the file a statement
// runs on.
struct NumberMapTable {
    std::string table, oldColumn, newColumn;
};

// Copies the rows a plan has already copied into the file the statement runs on (its
// target table there, every value as the plan made it) into the file at `targetPath`, each
// under the new number `map` gives its old one; rows of a number the map lacks stay behind.
ClientCopyStatement renumberedCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                            const NumberMapTable& map);

} // namespace transfer
