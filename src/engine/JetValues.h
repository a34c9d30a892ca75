#pragma once

// Jet's field types and the conversion of values to them. One set of rules serves every
// write path (recordset updates, SQL values, defaults), so that a value is stored the
// same way whichever way it arrives.

#include "runtime/Variant.h"

#include <string>
#include <string_view>

namespace engine::detail {

using runtime::Variant;

struct FieldInfo {
    std::string name;
    int type = 0;
    int size = 0; // Text: greatest number of characters
    long attributes = 0;
    std::string defaultExpr; // as Jet keeps it; empty: none
    bool required = false;
    bool allowZeroLength = false;
    Variant defaultValue; // defaultExpr evaluated and converted; Empty when none
};

bool isValidFieldType(int type);
// The Size that DAO reports for a field.
int reportedSize(int type, int size);
// Text fields without a size hold at most this many characters.
inline constexpr int kMaxTextSize = 255;

// Converts a value to what a field of `field`'s type stores: Null, bool (Boolean),
// int32 (Integer, Long), double (Double), date (Date) or string (Text, Memo). Raises
// 3421 (cannot convert), 3349 (out of range), 3163 (text too long), 3315 (zero-length
// text refused) and, unless nullAllowed, 3314 (Null in a required field); `table` names
// the field in texts.
Variant toFieldValue(const Variant& value, const FieldInfo& field, std::string_view table,
                     bool nullAllowed = false);

// Reads a stored value back as the field's type: numeric text as its number, a fraction
// in a whole-number field rounded. A value the field cannot hold (text that is no number
// in a numeric field, a number beyond an Integer or Long), which only another program
// can have stored, comes back as it is stored, never as Null: holdsFieldValue tells it,
// and the reader raises it with raiseMisfit when the value is asked for.
Variant fromStored(const Variant& stored, int type);
// Whether a value read by fromStored is one a field of `type` holds.
bool holdsFieldValue(const Variant& value, int type);
// Raises 3349 for a number beyond a whole-number field, else 3421, naming table.field.
[[noreturn]] void raiseMisfit(const Variant& value, int type, std::string_view table,
                              std::string_view field);

// Evaluates a DefaultValue text: a number, a quoted text, True/False/Yes/No, Null; any
// other text stands for itself. Returns Empty for an empty text.
Variant evaluateDefault(const std::string& expression);
// The DefaultValue text for a value handed to setDefaultValue.
std::string defaultText(const Variant& value);

// A whole text read as a number, as the runtime reads texts (blanks around allowed).
bool parseNumber(std::string_view text, double& out);
// Characters of a UTF-8 text.
std::size_t characterCount(std::string_view text);

// SQL text for a value (NULL, -1/0, digits, 'quoted').
std::string sqlLiteral(const Variant& value);
std::string quoteIdent(std::string_view name);

} // namespace engine::detail
