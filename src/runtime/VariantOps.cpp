#include "runtime/VariantOps.h"

#include "runtime/Error.h"
#include "runtime/NumberText.h"
#include "runtime/Strings.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace runtime {

namespace {

double roundHalfEven(double x) {
    double r = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5) r = 2.0 * std::round(x / 2.0);
    return r;
}

double textAsNumber(const std::string& s) {
    auto n = textToNumber(s);
    if (!n) throw Error(err::TypeMismatch);
    return *n;
}

// The value of a non-Null operand as a number.
double numberOf(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty:
        return 0;
    case VarType::Null:
        throw Error(err::InvalidUseOfNull);
    case VarType::Boolean:
        return v.rawBool() ? -1 : 0;
    case VarType::Integer:
    case VarType::Long:
        return v.rawInt();
    case VarType::Double:
    case VarType::Date:
        return v.rawDouble();
    case VarType::String:
        return textAsNumber(v.rawString());
    }
    throw Error(err::TypeMismatch);
}

// Rank of a whole-number operand: 1 Integer (Empty and Boolean count as Integer), 2 Long;
// 0 for anything that is not a whole number.
int wholeRank(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer:
        return 1;
    case VarType::Long:
        return 2;
    default:
        return 0;
    }
}

// A whole result in the narrowest type at least as wide as rank that holds it; beyond a
// Long it becomes a Double, as the platform widens untyped results instead of failing.
Variant wholeResult(long long value, int rank) {
    if (rank <= 1 && value >= std::numeric_limits<std::int16_t>::min() &&
        value <= std::numeric_limits<std::int16_t>::max())
        return Variant(static_cast<std::int16_t>(value));
    if (value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<std::int32_t>(value));
    return Variant(static_cast<double>(value));
}

long long wholeOf(const Variant& v) {
    switch (v.type()) {
    case VarType::Boolean:
        return v.rawBool() ? -1 : 0;
    case VarType::Integer:
    case VarType::Long:
        return v.rawInt();
    default:
        return 0; // Empty
    }
}

enum class Op { Add, Sub, Mul };

Variant arithmetic(const Variant& a, const Variant& b, Op op) {
    if (a.isNull() || b.isNull()) return Variant::null();
    if (wholeRank(a) && wholeRank(b)) {
        long long x = wholeOf(a), y = wholeOf(b);
        long long r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
        return wholeResult(r, std::max(wholeRank(a), wholeRank(b)));
    }
    double x = numberOf(a), y = numberOf(b);
    double r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
    bool aDate = a.type() == VarType::Date, bDate = b.type() == VarType::Date;
    // A date moved by a number stays a date; the distance between two dates is a number.
    if (op != Op::Mul && (aDate || bDate) && !(op == Op::Sub && aDate && bDate))
        return Variant::date(r);
    return Variant(r);
}

// -1, 0 or 1; empty when either side is Null.
std::optional<int> compare(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return std::nullopt;
    auto textOf = [](const Variant& v) { return v.isString() ? v.rawString() : std::string(); };
    bool aText = a.isString() || a.isEmpty(), bText = b.isString() || b.isEmpty();
    if (aText && bText && (a.isString() || b.isString())) {
        int c = textOf(a).compare(textOf(b));
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    double x = numberOf(a), y = numberOf(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

} // namespace

double CDbl(const Variant& v) {
    return numberOf(v);
}

std::int16_t CInt(const Variant& v) {
    double r = roundHalfEven(numberOf(v));
    if (r < std::numeric_limits<std::int16_t>::min() ||
        r > std::numeric_limits<std::int16_t>::max())
        throw Error(err::Overflow);
    return static_cast<std::int16_t>(r);
}

std::int32_t CLng(const Variant& v) {
    double r = roundHalfEven(numberOf(v));
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max())
        throw Error(err::Overflow);
    return static_cast<std::int32_t>(r);
}

std::string CStr(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty:
        return {};
    case VarType::Null:
        throw Error(err::InvalidUseOfNull);
    case VarType::Boolean:
        return v.rawBool() ? "True" : "False";
    case VarType::Integer:
    case VarType::Long:
        return std::to_string(v.rawInt());
    case VarType::Double:
    case VarType::Date:
        return numberToText(v.rawDouble());
    case VarType::String:
        return v.rawString();
    }
    throw Error(err::TypeMismatch);
}

bool CBool(const Variant& v) {
    if (v.type() == VarType::Boolean) return v.rawBool();
    if (v.isString()) {
        std::string t = Trim(v.rawString());
        if (equalsNoCase(t, "True")) return true;
        if (equalsNoCase(t, "False")) return false;
    }
    return numberOf(v) != 0;
}

std::string Concat(const Variant& a, const Variant& b) {
    auto part = [](const Variant& v) { return v.isNull() ? std::string() : CStr(v); };
    return part(a) + part(b);
}

Variant Add(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return Variant::null();
    // Two texts, or a text and Empty, join; a text with a number adds as numbers.
    if ((a.isString() || a.isEmpty()) && (b.isString() || b.isEmpty()) &&
        (a.isString() || b.isString()))
        return Variant(Concat(a, b));
    return arithmetic(a, b, Op::Add);
}

Variant Sub(const Variant& a, const Variant& b) {
    return arithmetic(a, b, Op::Sub);
}

Variant Mul(const Variant& a, const Variant& b) {
    return arithmetic(a, b, Op::Mul);
}

Variant Div(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return Variant::null();
    double x = numberOf(a), y = numberOf(b);
    if (y == 0) throw Error(x == 0 ? err::Overflow : err::DivisionByZero);
    return Variant(x / y);
}

Variant Neg(const Variant& a) {
    if (a.isNull()) return Variant::null();
    if (wholeRank(a)) return wholeResult(-wholeOf(a), wholeRank(a));
    if (a.type() == VarType::Date) return Variant::date(-a.rawDouble());
    return Variant(-numberOf(a));
}

bool Eq(const Variant& a, const Variant& b) {
    return compare(a, b) == 0;
}
bool Ne(const Variant& a, const Variant& b) {
    auto c = compare(a, b);
    return c && *c != 0;
}
bool Lt(const Variant& a, const Variant& b) {
    return compare(a, b) == -1;
}
bool Le(const Variant& a, const Variant& b) {
    auto c = compare(a, b);
    return c && *c <= 0;
}
bool Gt(const Variant& a, const Variant& b) {
    return compare(a, b) == 1;
}
bool Ge(const Variant& a, const Variant& b) {
    auto c = compare(a, b);
    return c && *c >= 0;
}

} // namespace runtime
