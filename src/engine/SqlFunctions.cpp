#include "engine/SqlFunctions.h"

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/SqliteErrors.h"
#include "engine/SqliteValues.h"
#include "runtime/VariantOps.h"

#include <algorithm>
#include <cstdint>
#include <sqlite3.h>
#include <string_view>

namespace engine::detail {

namespace {

void fail(sqlite3_context* ctx, int jetNumber, const char* detail) {
    sqlite3_result_error(ctx, detail ? detail : "", -1);
    sqlite3_result_error_code(ctx, functionFailureCode(jetNumber));
}

void setResult(sqlite3_context* ctx, const Variant& out) {
    switch (out.type()) {
    case runtime::VarType::Empty:
    case runtime::VarType::Null:
        sqlite3_result_null(ctx);
        break;
    case runtime::VarType::Boolean:
        sqlite3_result_int(ctx, out.rawBool() ? -1 : 0);
        break;
    case runtime::VarType::Integer:
    case runtime::VarType::Long:
        sqlite3_result_int(ctx, out.rawInt());
        break;
    case runtime::VarType::Double:
    case runtime::VarType::Date:
        sqlite3_result_double(ctx, out.rawDouble());
        break;
    case runtime::VarType::String:
        sqlite3_result_text(ctx, out.rawString().data(), static_cast<int>(out.rawString().size()),
                            SQLITE_TRANSIENT);
        break;
    }
}

// --- jet_cvt(value, type, size, flags, 'Table.Field') ---

void jetConvert(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* in = argv[0];
    const int type = sqlite3_value_int(argv[1]);
    const int size = sqlite3_value_int(argv[2]);
    const int flags = sqlite3_value_int(argv[3]);
    const int storage = sqlite3_value_type(in);
    // The common cases need no conversion.
    if ((type == dbDouble || type == dbDate) &&
        (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER)) {
        sqlite3_result_value(ctx, in);
        return;
    }
    if ((type == dbText || type == dbMemo) && storage == SQLITE_TEXT) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(in));
        const std::string_view text(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(in)));
        if ((!text.empty() || (flags & kCvtAllowZeroLength)) &&
            (type == dbMemo ||
             characterCount(text) <= static_cast<std::size_t>(reportedSize(dbText, size)))) {
            sqlite3_result_value(ctx, in);
            return;
        }
    }
    FieldInfo f;
    f.type = type;
    f.size = size;
    f.required = flags & kCvtRequired;
    f.allowZeroLength = flags & kCvtAllowZeroLength;
    try {
        setResult(ctx, toFieldValue(storedValue(in), f, {}));
    } catch (const runtime::Error& e) {
        fail(ctx, e.number(), reinterpret_cast<const char*>(sqlite3_value_text(argv[4])));
    }
}

// --- jet_fit(letters, names, value...) ---

// Whether a stored value is one a field of jet_fit's letter holds as it is.
bool holdsAsItIs(sqlite3_value* v, char letter) {
    const int storage = sqlite3_value_type(v);
    if (storage == SQLITE_NULL) return true;
    if (storage != SQLITE_INTEGER) return false;
    const sqlite3_int64 n = sqlite3_value_int64(v);
    return letter == 'I' ? n >= -32768 && n <= 32767 : n >= INT32_MIN && n <= INT32_MAX;
}

// The i-th name of a jet_fit call's list.
std::string fitName(sqlite3_value* names, int i) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(names));
    std::string_view list(p ? p : "");
    for (; i > 0 && !list.empty(); --i)
        list.remove_prefix(std::min(list.size(), list.find(kFitNameEnd) + 1));
    return std::string(list.substr(0, list.find(kFitNameEnd)));
}

void jetFit(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const auto* letters = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    for (int i = 2; i < argc; ++i) {
        if (const int number = misfitNumber(argv[i], letters ? letters[i - 2] : 'L')) {
            fail(ctx, number, fitName(argv[1], i - 2).c_str());
            return;
        }
    }
    sqlite3_result_value(ctx, argv[2]);
}

// --- Jet's arithmetic ---

struct Binary {
    const char* name;
    Variant (*op)(const Variant&, const Variant&);
};
constexpr Binary kBinaries[] = {{"jet_add", runtime::Add},
                                {"jet_sub", runtime::Sub},
                                {"jet_mul", runtime::Mul},
                                {"jet_div", runtime::Div}};

// Inside a query Jet reports a text that is not a number as a mismatch of the criteria.
int queryNumber(int runtimeNumber) {
    return runtimeNumber == runtime::err::TypeMismatch ? err::TypeMismatchInCriteria
                                                       : runtimeNumber;
}

void binary(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto* b = static_cast<const Binary*>(sqlite3_user_data(ctx));
    try {
        setResult(ctx, b->op(storedValue(argv[0]), storedValue(argv[1])));
    } catch (const runtime::Error& e) {
        fail(ctx, queryNumber(e.number()), nullptr);
    }
}

void negate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        setResult(ctx, runtime::Neg(storedValue(argv[0])));
    } catch (const runtime::Error& e) {
        fail(ctx, queryNumber(e.number()), nullptr);
    }
}

} // namespace

int misfitNumber(sqlite3_value* value, char letter) {
    if (holdsAsItIs(value, letter)) return 0;
    // Converted as any write converts it: refused, or (numeric text, a fraction) let pass.
    FieldInfo f;
    f.type = letter == 'I' ? dbInteger : dbLong;
    try {
        toFieldValue(storedValue(value), f, {}, true);
    } catch (const runtime::Error& e) {
        return e.number();
    }
    return 0;
}

void registerFunctions(sqlite3* db) {
    constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(db, "jet_cvt", 5, kFlags, nullptr, jetConvert, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "jet_fit", -1, kFlags, nullptr, jetFit, nullptr, nullptr,
                               nullptr);
    for (const Binary& b : kBinaries)
        sqlite3_create_function_v2(db, b.name, 2, kFlags, const_cast<Binary*>(&b), binary, nullptr,
                                   nullptr, nullptr);
    sqlite3_create_function_v2(db, "jet_neg", 1, kFlags, nullptr, negate, nullptr, nullptr,
                               nullptr);
}

} // namespace engine::detail
