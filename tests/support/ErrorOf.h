#pragma once

#include "runtime/Error.h"

#include <utility>

namespace support {

// The error number a call throws, 0 when it returns.
template <class F> int errorOf(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (const runtime::Error& e) {
        return e.number();
    }
    return 0;
}

} // namespace support
