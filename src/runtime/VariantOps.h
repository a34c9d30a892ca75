#pragma once

#include "runtime/Variant.h"

#include <cstdint>
#include <string>

namespace runtime {

// Conversions and operators with the platform's rules for untyped values.
//
// Empty counts as 0 or "", Null propagates through arithmetic and is refused by the
// conversions (error 94), a text that does not read as a number is a type mismatch
// (error 13) and a value outside the target's range is an overflow (error 6).
// Booleans count as -1 (True) and 0 (False) wherever a number is wanted.

inline bool IsNull(const Variant& v) {
    return v.isNull();
}
inline bool IsEmpty(const Variant& v) {
    return v.isEmpty();
}

double CDbl(const Variant& v);
// Whole-number conversions round halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
std::int16_t CInt(const Variant& v);
std::int32_t CLng(const Variant& v);
// Numbers as numberToText writes them, Booleans as "True"/"False", a Date as its day
// number, Empty as "".
std::string CStr(const Variant& v);
// Numbers: non-zero is True; texts: "True"/"False" in any case, or a number.
bool CBool(const Variant& v);

// "&": joins the text of each part, a Null or Empty part counting as "".
std::string Concat(const Variant& a, const Variant& b);
template <class... More>
std::string Concat(const Variant& a, const Variant& b, const More&... more) {
    return Concat(Variant(Concat(a, b)), more...);
}

// Arithmetic. Null on either side gives Null. Whole numbers stay whole (Integer, then
// Long) and widen instead of overflowing; a Date plus or minus a number stays a Date.
// Add of two texts joins them ("+" as the system uses it to join names, so that a Null
// part makes the whole Null); a text with a number must read as a number (error 13).
Variant Add(const Variant& a, const Variant& b);
Variant Sub(const Variant& a, const Variant& b);
Variant Mul(const Variant& a, const Variant& b);
// Always a Double; dividing by zero is error 11.
Variant Div(const Variant& a, const Variant& b);
Variant Neg(const Variant& a);

// Comparisons: false whenever either side is Null ("=" and "<>" alike). Two texts
// compare by their bytes (case matters, as the platform's default); a number against a
// text reads the text as a number (error 13 when it is not one); Empty is 0 or "".
bool Eq(const Variant& a, const Variant& b);
bool Ne(const Variant& a, const Variant& b);
bool Lt(const Variant& a, const Variant& b);
bool Le(const Variant& a, const Variant& b);
bool Gt(const Variant& a, const Variant& b);
bool Ge(const Variant& a, const Variant& b);

} // namespace runtime
