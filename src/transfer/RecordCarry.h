#pragma once

// Carrying one record of last year into a new row of this year's table, field by field, as
// data: a table says for each field of the new row how its value is made, and one loop
// runs it. Every import that carries a record forward runs the same table.

#include "engine/Dao.h"
#include "runtime/Error.h"
#include "runtime/Variant.h"

#include <string>
#include <string_view>
#include <vector>

namespace transfer {

// How a field of the new row gets its value.
enum class Make {
    Copy,         // last year's field of the same name, unchanged (Null stays Null)
    CopyFrom,     // last year's field `from`, unchanged
    Constant,     // `value`, whatever last year held
    PlusOne,      // last year's field of the same name plus 1 (Null stays Null)
    ClientNumber, // the number the client is written under
    ByNumbering,  // `value` when the client keeps its number, `renumbered` when it gets a new one
    Plus,         // last year's field of the same name plus `value` (Null stays Null)
    HalfLoss,     // half of last year's field `from` when below 0 (a loss carried), else 0
    Found,        // the whole number 1 when last year held the row, 0 when it did not
};

struct FieldRule {
    std::string field; // of the new row
    Make make = Make::Copy;
    std::string from;            // CopyFrom
    runtime::Variant value;      // Constant, ByNumbering, Plus
    runtime::Variant renumbered; // ByNumbering
};

// The new rows of `target` are made by `rules`, in this order.
struct CarryTable {
    std::string target;
    std::vector<FieldRule> rules;
};

// The fields of last year's row that a table reads, each once, in the order first read.
std::vector<std::string_view> sourceFields(const CarryTable& table);
// The same with the client's number `number` first, as a query that feeds the carry selects
// them.
std::vector<std::string_view> carryFields(const CarryTable& table, std::string_view number);
// Those fields as the list of a Jet SQL SELECT, each name in brackets: "[TDCLNO], [A], ...".
std::string carrySelection(const CarryTable& table, std::string_view number);

// How the client is numbered in this year's file: under last year's number (this year's
// table held no client when the import began) or under a new one.
struct Numbering {
    bool keepsNumber = true;
    double clientNo = 0; // the number written

    static Numbering kept(double lastYearNo) { return {true, lastYearNo}; }
    static Numbering renumbered(double newNo) { return {false, newNo}; }
};

// A field of the new row that could not be read or written: the engine's number, with a
// text that names the field and its table.
class FieldError : public runtime::Error {
public:
    FieldError(std::string table, std::string field, const runtime::Error& cause);
    const std::string& table() const { return table_; }
    const std::string& field() const { return field_; }

private:
    std::string table_;
    std::string field_;
};

// The position of `field` among the fields of `rs`; a field it lacks is raised as
// FieldError (3265).
int fieldPosition(engine::Recordset& rs, std::string_view field);

// The rows of the source `rs`, counted by moving to its last; it is left on its first.
long sourceRows(engine::Recordset& rs);

// One table bound to an open source recordset and an open table-type recordset on the
// target: every field is looked up once, here, so that a field either side lacks stops the
// import before any row is added (FieldError, 3265).
class RecordCarry {
public:
    RecordCarry(const CarryTable& table, engine::Recordset& source, engine::Recordset& target);

    // Adds one row to the target, made from the source's current row.
    void add(const Numbering& numbering);
    // Adds one row for a client the source holds no row for: every value taken from last
    // year starts at 0.
    void addWithoutSource(const Numbering& numbering);

private:
    struct Bound {
        const FieldRule* rule;
        int target;
        int source; // -1: reads nothing
    };
    void addRow(const Numbering& numbering, bool fromSource);
    void setField(const Bound& b, const Numbering& numbering, bool fromSource);
    runtime::Variant valueOf(const Bound& b, const Numbering& numbering, bool fromSource) const;

    const CarryTable& table_;
    engine::Recordset& source_;
    engine::Recordset& target_;
    std::vector<Bound> bound_;
};

} // namespace transfer
