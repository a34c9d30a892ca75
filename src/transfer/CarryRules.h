#pragma once

// Builds a carry table in write order, a group of fields at a time, so that the tables of
// every carried record read as a list of what happens to each field.

#include "runtime/Constants.h"
#include "transfer/RecordCarry.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace transfer {

class CarryRules {
public:
    explicit CarryRules(std::string target) { table_.target = std::move(target); }

    CarryRules& copy(std::initializer_list<const char*> fields) {
        for (const char* f : fields)
            add(f, Make::Copy);
        return *this;
    }
    // name0 .. name<last>, each from last year's field of the same name.
    CarryRules& copyNumbered(const std::string& name, int first, int last) {
        for (int i = first; i <= last; ++i)
            add(name + std::to_string(i), Make::Copy);
        return *this;
    }
    CarryRules& copyFrom(const char* field, const char* from) {
        return add(field, Make::CopyFrom, from);
    }
    CarryRules& plusOne(const char* field) { return add(field, Make::PlusOne); }
    CarryRules& plus(const char* field, runtime::Variant addend) {
        return add(field, Make::Plus, {}, std::move(addend));
    }
    CarryRules& halfLoss(const char* field, const char* from) {
        return add(field, Make::HalfLoss, from);
    }
    CarryRules& clientNumber(const char* field) { return add(field, Make::ClientNumber); }
    CarryRules& found(const char* field) { return add(field, Make::Found); }
    CarryRules& byNumbering(const char* field, runtime::Variant kept, runtime::Variant renumbered) {
        return add(field, Make::ByNumbering, {}, std::move(kept), std::move(renumbered));
    }
    CarryRules& set(std::initializer_list<const char*> fields, const runtime::Variant& value) {
        for (const char* f : fields)
            add(f, Make::Constant, {}, value);
        return *this;
    }
    CarryRules& setNumbered(const std::string& name, int first, int last,
                            const runtime::Variant& value) {
        for (int i = first; i <= last; ++i)
            add(name + std::to_string(i), Make::Constant, {}, value);
        return *this;
    }
    // A whole number 0, stored as 0 in Integer and Double fields alike.
    CarryRules& zero(std::initializer_list<const char*> fields) { return set(fields, Zero); }
    CarryRules& zeroNumbered(const std::string& name, int first, int last) {
        return setNumbered(name, first, last, Zero);
    }
    CarryRules& clear(std::initializer_list<const char*> fields) {
        return set(fields, runtime::Variant(false));
    }
    CarryRules& empty(std::initializer_list<const char*> fields) {
        return set(fields, runtime::Variant(""));
    }
    CarryRules& noDate(std::initializer_list<const char*> fields) {
        return set(fields, runtime::Variant(runtime::NoDateValue));
    }

    CarryTable take() { return std::move(table_); }

    static inline const runtime::Variant Zero{std::int16_t{0}};

private:
    CarryRules& add(std::string field, Make make, std::string from = {},
                    runtime::Variant value = {}, runtime::Variant renumbered = {}) {
        table_.rules.push_back(
            {std::move(field), make, std::move(from), std::move(value), std::move(renumbered)});
        return *this;
    }
    CarryTable table_;
};

} // namespace transfer
