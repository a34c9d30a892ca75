#pragma once

// The SQL functions the engine registers on each of its connections (registerFunctions in
// DaoInternal.h). A value that breaks a Jet rule fails the statement with its Jet number
// (functionFailureCode in SqliteErrors.h).
//
// jet_cvt(value, type, size, flags, 'Table.Field'): the value converted to the field's
//   type, as every write of the engine converts it; flags below.
// jet_fit(letters, names, value...): the first value, once every value was found one its
//   field holds; a value that is not is converted as jet_cvt converts it, which refuses it
//   (3349, 3421) or lets it pass as it is. One letter a value: 'I' Integer, 'L' Long;
//   names: each field's 'Table.Field' ended by kFitNameEnd. At most kFitValues values a
//   call.
// jet_add, jet_sub, jet_mul, jet_div (two values) and jet_neg (one): Jet's arithmetic, as
//   the runtime's operators compute it. "+" joins two texts; a text with a number must read
//   as a number (3464 otherwise); Null gives Null.

#include <cstddef>

struct sqlite3_value;

namespace engine::detail {

enum JetCvtFlags : int { kCvtRequired = 1, kCvtAllowZeroLength = 2 };

// The Jet number refusing a stored value for a field of jet_fit's letter (3349, 3421), or
// 0 when the field takes it as it is. Used by jet_fit and by the streamed rows (RowSource.h).
int misfitNumber(sqlite3_value* value, char letter);

inline constexpr char kFitNameEnd = '\t'; // no Jet name holds a control character
// Within SQLite's limit on the arguments of a function, with room for the first two.
inline constexpr std::size_t kFitValues = 120;

} // namespace engine::detail
