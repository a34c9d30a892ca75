#include "transfer/RecordCarry.h"

#include "engine/EngineErrors.h"
#include "runtime/VariantOps.h"
#include "transfer/SqlText.h"

#include <algorithm>
#include <cstdint>

namespace transfer {

namespace {

// The field of last year's row a rule reads, if any.
std::string_view readField(const FieldRule& rule) {
    switch (rule.make) {
    case Make::Copy:
    case Make::PlusOne:
    case Make::Plus:
        return rule.field;
    case Make::CopyFrom:
    case Make::HalfLoss:
        return rule.from;
    default:
        return {};
    }
}

} // namespace

int fieldPosition(engine::Recordset& rs, std::string_view field) {
    const int ordinal = rs.fieldOrdinal(field);
    if (ordinal < 0)
        throw FieldError(rs.Name(), std::string(field),
                         runtime::Error(engine::err::ItemNotFound,
                                        engine::engineErrorMessage(engine::err::ItemNotFound)));
    return ordinal;
}

long sourceRows(engine::Recordset& rs) {
    if (rs.Eof()) return 0;
    rs.MoveLast();
    const long rows = rs.RecordCount();
    rs.MoveFirst();
    return rows;
}

std::vector<std::string_view> sourceFields(const CarryTable& table) {
    std::vector<std::string_view> out;
    for (const FieldRule& rule : table.rules) {
        const std::string_view field = readField(rule);
        if (!field.empty() && std::ranges::find(out, field) == out.end()) out.push_back(field);
    }
    return out;
}

std::vector<std::string_view> carryFields(const CarryTable& table, std::string_view number) {
    std::vector<std::string_view> out{number};
    for (std::string_view field : sourceFields(table))
        if (field != number) out.push_back(field);
    return out;
}

std::string carrySelection(const CarryTable& table, std::string_view number) {
    std::string list;
    for (std::string_view field : carryFields(table, number))
        list += (list.empty() ? "" : ", ") + bracketed(field);
    return list;
}

FieldError::FieldError(std::string table, std::string field, const runtime::Error& cause)
    : runtime::Error(cause.number(), "Field '" + field + "' of '" + table + "': " + cause.text()),
      table_(std::move(table)), field_(std::move(field)) {
    from(cause.statement(), cause.sqliteCode());
}

RecordCarry::RecordCarry(const CarryTable& table, engine::Recordset& source,
                         engine::Recordset& target)
    : table_(table), source_(source), target_(target) {
    bound_.reserve(table.rules.size());
    for (const FieldRule& rule : table.rules) {
        const std::string_view read = readField(rule);
        bound_.push_back({&rule, fieldPosition(target, rule.field),
                          read.empty() ? -1 : fieldPosition(source, read)});
    }
}

void RecordCarry::add(const Numbering& numbering) {
    addRow(numbering, true);
}

void RecordCarry::addWithoutSource(const Numbering& numbering) {
    addRow(numbering, false);
}

void RecordCarry::addRow(const Numbering& numbering, bool fromSource) {
    target_.AddNew();
    try {
        for (const Bound& b : bound_)
            setField(b, numbering, fromSource);
        target_.Update();
    } catch (...) {
        // Nothing of the row is stored, and the recordset is left as it was.
        if (target_.EditMode() != engine::dbEditNone) target_.CancelUpdate();
        throw;
    }
}

void RecordCarry::setField(const Bound& b, const Numbering& numbering, bool fromSource) {
    try {
        target_.Fields(b.target).setValue(valueOf(b, numbering, fromSource));
    } catch (const runtime::Error& e) {
        throw FieldError(table_.target, b.rule->field, e);
    }
}

runtime::Variant RecordCarry::valueOf(const Bound& b, const Numbering& numbering,
                                      bool fromSource) const {
    const FieldRule& rule = *b.rule;
    switch (rule.make) {
    case Make::Constant:
        return rule.value;
    case Make::ClientNumber:
        return numbering.clientNo;
    case Make::ByNumbering:
        return numbering.keepsNumber ? rule.value : rule.renumbered;
    case Make::Found:
        return runtime::Variant(static_cast<std::int16_t>(fromSource ? 1 : 0));
    default:
        break;
    }
    const runtime::Variant last =
        fromSource ? source_.Fields(b.source).Value() : runtime::Variant(std::int16_t{0});
    if (rule.make == Make::PlusOne) return runtime::Add(last, runtime::Variant(std::int16_t{1}));
    if (rule.make == Make::Plus) return runtime::Add(last, rule.value);
    if (rule.make == Make::HalfLoss)
        return !last.isNull() && runtime::CDbl(last) < 0
                   ? runtime::Variant(runtime::CDbl(last) * 0.5)
                   : runtime::Variant(std::int16_t{0});
    return last;
}

} // namespace transfer
