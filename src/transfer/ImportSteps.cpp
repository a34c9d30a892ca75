#include "transfer/ImportSteps.h"

namespace transfer {

ImportStepError::ImportStepError(std::string step, const runtime::Error& cause, bool written)
    : runtime::Error(cause), step_(std::move(step)), written_(written) {}

} // namespace transfer
