#include "transfer/ImportSteps.h"

#include "engine/EngineErrors.h"

#include <algorithm>
#include <array>

namespace transfer {

ImportStepError::ImportStepError(std::string step, const runtime::Error& cause, bool written)
    : runtime::Error(cause), step_(std::move(step)), written_(written) {}

bool refusesARow(const runtime::Error& e) {
    constexpr std::array kRowErrors{
        engine::err::DuplicateValue,        engine::err::FieldTooSmall,
        engine::err::RequiredFieldNull,     engine::err::ZeroLengthNotAllowed,
        engine::err::NumericOverflow,       engine::err::DataTypeConversion,
        engine::err::TypeMismatchInCriteria};
    return std::ranges::find(kRowErrors, e.number()) != kRowErrors.end();
}

} // namespace transfer
