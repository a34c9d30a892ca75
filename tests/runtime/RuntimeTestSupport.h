#pragma once

#include "runtime/Error.h"
#include "runtime/Variant.h"
#include "support/ErrorOf.h"
#include "support/TempFolder.h"

#include <ostream>

namespace runtime {
// Readable values in failure messages.
inline void PrintTo(const Variant& v, std::ostream* os) {
    *os << "VarType " << static_cast<int>(v.type()) << " ";
    switch (v.type()) {
    case VarType::Boolean:
        *os << (v.rawBool() ? "True" : "False");
        break;
    case VarType::Integer:
    case VarType::Long:
        *os << v.rawInt();
        break;
    case VarType::Double:
    case VarType::Date:
        *os << v.rawDouble();
        break;
    case VarType::String:
        *os << '"' << v.rawString() << '"';
        break;
    default:
        break;
    }
}
} // namespace runtime

namespace runtime_test {

using support::errorOf;
using support::TempFolder;

} // namespace runtime_test
