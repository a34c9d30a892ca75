#pragma once

// The SQL functions the engine registers on each of its connections (registerFunctions in
// DaoInternal.h). A value that breaks a Jet rule fails the statement with its Jet number
// (functionFailureCode in SqliteErrors.h).
//
// jet_cvt(value, type, size, flags, 'Table.Field'): the value converted to the field's
//   type, as every write of the engine converts it; flags below.
// jet_add, jet_sub, jet_mul, jet_div (two values) and jet_neg (one): Jet's arithmetic, as
//   the runtime's operators compute it. "+" joins two texts; a text with a number must read
//   as a number (3464 otherwise); Null gives Null.

namespace engine::detail {

enum JetCvtFlags : int { kCvtRequired = 1, kCvtAllowZeroLength = 2 };

} // namespace engine::detail
