#pragma once

// Writing a carry table as data, a group of fields at a time, in the order the new row's
// fields are set.

#include "runtime/Constants.h"
#include "transfer/RecordCarry.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace transfer {

// Builds a table in write order, a group of fields at a time.
class Rules {
public:
    explicit Rules(std::string target) { table_.target = std::move(target); }

    Rules& copy(std::initializer_list<const char*> fields) {
        for (const char* f : fields)
            add(f, Make::Copy);
        return *this;
    }
    // name0 .. name<last>, each from last year's field of the same name.
    Rules& copyNumbered(const std::string& name, int first, int last) {
        for (int i = first; i <= last; ++i)
            add(name + std::to_string(i), Make::Copy);
        return *this;
    }
    Rules& copyFrom(const char* field, const char* from) {
        return add(field, Make::CopyFrom, from);
    }
    Rules& plusOne(const char* field) { return add(field, Make::PlusOne); }
    Rules& plus(const char* field, runtime::Variant addend) {
        return add(field, Make::Plus, {}, std::move(addend));
    }
    Rules& clientNumber(const char* field) { return add(field, Make::ClientNumber); }
    Rules& byNumbering(const char* field, runtime::Variant kept, runtime::Variant renumbered) {
        return add(field, Make::ByNumbering, {}, std::move(kept), std::move(renumbered));
    }
    Rules& set(std::initializer_list<const char*> fields, const runtime::Variant& value) {
        for (const char* f : fields)
            add(f, Make::Constant, {}, value);
        return *this;
    }
    Rules& setNumbered(const std::string& name, int first, int last,
                       const runtime::Variant& value) {
        for (int i = first; i <= last; ++i)
            add(name + std::to_string(i), Make::Constant, {}, value);
        return *this;
    }
    // A whole number 0, stored as 0 in Integer and Double fields alike.
    Rules& zero(std::initializer_list<const char*> fields) { return set(fields, Zero); }
    Rules& zeroNumbered(const std::string& name, int first, int last) {
        return setNumbered(name, first, last, Zero);
    }
    Rules& clear(std::initializer_list<const char*> fields) {
        return set(fields, runtime::Variant(false));
    }
    Rules& empty(std::initializer_list<const char*> fields) {
        return set(fields, runtime::Variant(""));
    }
    Rules& noDate(std::initializer_list<const char*> fields) {
        return set(fields, runtime::Variant(runtime::NoDateValue));
    }

    CarryTable take() { return std::move(table_); }

    static inline const runtime::Variant Zero{std::int16_t{0}};

private:
    Rules& add(std::string field, Make make, std::string from = {}, runtime::Variant value = {},
               runtime::Variant renumbered = {}) {
        table_.rules.push_back(
            {std::move(field), make, std::move(from), std::move(value), std::move(renumbered)});
        return *this;
    }
    CarryTable table_;
};

} // namespace transfer
