#include "forms/HScrollBar.h"

#include "runtime/Error.h"

#include <algorithm>

namespace forms {

namespace {
void checkInteger(int v) {
    if (v < -32768 || v > 32767) throw runtime::Error(runtime::err::InvalidPropertyValue);
}
} // namespace

void HScrollBar::clampValue() {
    const int lo = std::min(min_, max_);
    const int hi = std::max(min_, max_);
    const int v = std::clamp(value_, lo, hi);
    if (v != value_) {
        value_ = v;
        changed(prop::Value);
        raise(onChange, false);
    }
}

void HScrollBar::setMin(int min) {
    checkInteger(min);
    if (min_ == min) return;
    min_ = min;
    changed(prop::Min);
    clampValue();
}

void HScrollBar::setMax(int max) {
    checkInteger(max);
    if (max_ == max) return;
    max_ = max;
    changed(prop::Max);
    clampValue();
}

void HScrollBar::setValue(int value) {
    if (value < std::min(min_, max_) || value > std::max(min_, max_))
        throw runtime::Error(runtime::err::InvalidPropertyValue);
    if (value_ == value) return;
    value_ = value;
    changed(prop::Value);
    raise(onChange, false);
}

bool HScrollBar::userSetValue(int value) {
    if (!acceptsUser()) return false;
    value = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
    if (value_ == value) return true;
    value_ = value;
    changed(prop::Value);
    raise(onChange, true);
    return true;
}

} // namespace forms
