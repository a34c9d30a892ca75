#include "transfer/ImportSteps.h"

namespace transfer {

ImportStepError::ImportStepError(std::string step, const runtime::Error& cause)
    : runtime::Error(cause), step_(std::move(step)) {}

} // namespace transfer
