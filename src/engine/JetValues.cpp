#include "engine/JetValues.h"

#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "runtime/NumberText.h"
#include "runtime/VariantOps.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace engine::detail {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool equalsWord(std::string_view a, std::string_view word) {
    if (a.size() != word.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

enum class Num { Ok, EmptyText, Bad };

// A value as a number: numbers and dates as they are, True as -1, texts parsed.
Num asNumber(const Variant& v, double& out) {
    switch (v.type()) {
    case runtime::VarType::Boolean:
        out = v.rawBool() ? -1 : 0;
        return Num::Ok;
    case runtime::VarType::Integer:
    case runtime::VarType::Long:
        out = v.rawInt();
        return Num::Ok;
    case runtime::VarType::Double:
    case runtime::VarType::Date:
        out = v.rawDouble();
        return Num::Ok;
    case runtime::VarType::String:
        if (trim(v.rawString()).empty()) return Num::EmptyText;
        return parseNumber(v.rawString(), out) ? Num::Ok : Num::Bad;
    default:
        return Num::Bad;
    }
}

// The number a numeric field stores for `value`; false for an empty text, which stores
// Null. Anything that is not a number is refused, naming the field (made only then).
template <class FieldName>
bool storedNumber(const Variant& value, double& out, const FieldName& field) {
    switch (asNumber(value, out)) {
    case Num::EmptyText:
        return false;
    case Num::Bad:
        raiseEngine(err::DataTypeConversion, field());
    case Num::Ok:
        break;
    }
    return true;
}

// Whether a whole number fits an Integer (16 bits) or Long (32 bits) field.
bool fitsWhole(double r, int type) {
    if (type == dbInteger) return r >= -32768 && r <= 32767;
    return r >= -2147483648.0 && r <= 2147483647.0;
}

std::string qualifiedName(std::string_view table, std::string_view field) {
    std::string name;
    if (!table.empty()) name.append(table).append(".");
    return name.append(field);
}

std::string textOf(const Variant& v) {
    return v.isString() ? v.rawString() : runtime::CStr(v);
}

} // namespace

bool isValidFieldType(int type) {
    switch (type) {
    case dbBoolean:
    case dbInteger:
    case dbLong:
    case dbDouble:
    case dbDate:
    case dbText:
    case dbMemo:
        return true;
    default:
        return false;
    }
}

int reportedSize(int type, int size) {
    switch (type) {
    case dbBoolean:
        return 1;
    case dbInteger:
        return 2;
    case dbLong:
        return 4;
    case dbDouble:
    case dbDate:
        return 8;
    case dbText:
        return size > 0 ? size : kMaxTextSize;
    default:
        return 0;
    }
}

Variant toFieldValue(const Variant& value, const FieldInfo& field, std::string_view table,
                     bool nullAllowed) {
    auto qualified = [&] { return qualifiedName(table, field.name); };
    auto nullValue = [&] {
        if (field.type == dbBoolean) return Variant(false);
        if (field.required && !nullAllowed) raiseEngine(err::RequiredFieldNull, qualified());
        return Variant::null();
    };
    if (value.isNull() || value.isEmpty()) return nullValue();

    switch (field.type) {
    case dbBoolean: {
        if (value.isString()) {
            const std::string_view t = trim(value.rawString());
            if (t.empty() || equalsWord(t, "false") || equalsWord(t, "no") || equalsWord(t, "off"))
                return Variant(false);
            if (equalsWord(t, "true") || equalsWord(t, "yes") || equalsWord(t, "on"))
                return Variant(true);
        }
        double d = 0;
        if (asNumber(value, d) != Num::Ok) raiseEngine(err::DataTypeConversion, qualified());
        return Variant(d != 0);
    }
    case dbInteger:
    case dbLong: {
        double d = 0;
        if (!storedNumber(value, d, qualified)) return nullValue();
        const double r = std::nearbyint(d); // half to even, as the platform rounds
        if (!fitsWhole(r, field.type)) raiseEngine(err::NumericOverflow, qualified());
        if (field.type == dbInteger) return Variant(static_cast<std::int16_t>(r));
        return Variant(static_cast<std::int32_t>(r));
    }
    case dbDouble:
    case dbDate: {
        double d = 0;
        if (!storedNumber(value, d, qualified)) return nullValue();
        if (!std::isfinite(d)) raiseEngine(err::NumericOverflow, qualified());
        return field.type == dbDate ? Variant::date(d) : Variant(d);
    }
    case dbText:
    case dbMemo: {
        std::string s = textOf(value);
        if (s.empty() && !field.allowZeroLength)
            raiseEngine(err::ZeroLengthNotAllowed, qualified());
        if (field.type == dbText &&
            characterCount(s) > static_cast<std::size_t>(reportedSize(dbText, field.size)))
            raiseEngine(err::FieldTooSmall);
        return Variant(std::move(s));
    }
    default:
        raiseEngine(err::InvalidFieldType);
    }
}

Variant fromStored(const Variant& stored, int type) {
    if (stored.isNull() || stored.isEmpty())
        return type == dbBoolean ? Variant(false) : Variant::null();
    double d = 0;
    const bool numeric = asNumber(stored, d) == Num::Ok;
    switch (type) {
    case dbBoolean:
        if (!numeric) return stored;
        return Variant(d != 0);
    case dbInteger:
    case dbLong: {
        if (!numeric) return stored;
        const double r = std::nearbyint(d);
        if (!fitsWhole(r, type)) return Variant(d);
        if (type == dbInteger) return Variant(static_cast<std::int16_t>(r));
        return Variant(static_cast<std::int32_t>(r));
    }
    case dbDouble:
        if (!numeric) return stored;
        return Variant(d);
    case dbDate:
        if (!numeric) return stored;
        return Variant::date(d);
    case dbText:
    case dbMemo:
        return stored.isString() ? stored : Variant(textOf(stored));
    default:
        return stored;
    }
}

bool holdsFieldValue(const Variant& value, int type) {
    using runtime::VarType;
    if (value.isNull() || value.isEmpty()) return true;
    switch (type) {
    case dbBoolean:
        return value.type() == VarType::Boolean;
    case dbInteger:
        return value.type() == VarType::Integer;
    case dbLong:
        return value.type() == VarType::Long;
    case dbDouble:
        return value.type() == VarType::Double;
    case dbDate:
        return value.type() == VarType::Date;
    case dbText:
    case dbMemo:
        return value.isString();
    default:
        return true; // a computed column has no field type to hold to
    }
}

void raiseMisfit(const Variant& value, int type, std::string_view table, std::string_view field) {
    const bool wholeNumberField = type == dbInteger || type == dbLong;
    raiseEngine(wholeNumberField && !value.isString() ? err::NumericOverflow
                                                      : err::DataTypeConversion,
                qualifiedName(table, field));
}

Variant evaluateDefault(const std::string& expression) {
    const std::string_view t = trim(expression);
    if (t.empty()) return {};
    if (t.size() >= 2 && (t.front() == '"' || t.front() == '\'') && t.back() == t.front()) {
        const char q = t.front();
        std::string s;
        for (std::size_t i = 1; i + 1 < t.size(); ++i) {
            s += t[i];
            if (t[i] == q && i + 2 < t.size() && t[i + 1] == q) ++i;
        }
        return Variant(std::move(s));
    }
    if (equalsWord(t, "true") || equalsWord(t, "yes") || equalsWord(t, "on")) return Variant(true);
    if (equalsWord(t, "false") || equalsWord(t, "no") || equalsWord(t, "off"))
        return Variant(false);
    if (equalsWord(t, "null")) return Variant::null();
    double d = 0;
    if (parseNumber(t, d)) return Variant(d);
    return Variant(std::string(t));
}

std::string defaultText(const Variant& value) {
    if (value.isNull() || value.isEmpty()) return {};
    return textOf(value);
}

bool parseNumber(std::string_view text, double& out) {
    const auto n = runtime::textToNumber(text);
    if (n) out = *n;
    return n.has_value();
}

std::size_t characterCount(std::string_view text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string sqlLiteral(const Variant& value) {
    switch (value.type()) {
    case runtime::VarType::Boolean:
        return value.rawBool() ? "-1" : "0";
    case runtime::VarType::Integer:
    case runtime::VarType::Long:
        return std::to_string(value.rawInt());
    case runtime::VarType::Double:
    case runtime::VarType::Date: {
        if (!std::isfinite(value.rawDouble())) return "NULL";
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", value.rawDouble());
        return buf;
    }
    case runtime::VarType::String: {
        std::string s = "'";
        for (char c : value.rawString()) {
            s += c;
            if (c == '\'') s += '\'';
        }
        return s + "'";
    }
    default:
        return "NULL";
    }
}

std::string quoteIdent(std::string_view name) {
    std::string s = "\"";
    for (char c : name) {
        s += c;
        if (c == '"') s += '"';
    }
    return s + "\"";
}

} // namespace engine::detail
