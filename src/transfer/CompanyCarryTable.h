#pragma once

// The company record that the previous-year imports carry, whether they carry one chosen
// company or all of them.

#include "transfer/RecordCarry.h"

#include <cstdint>

namespace transfer {

// This year's CompanyDetails row from last year's row: the company's standing details are
// carried and its financial year-end moves on by 365 days; the old year's figures, tick
// boxes, workflow dates and texts start afresh; the lock fields start free.
const CarryTable& companyCarry();

// Days the financial year-end moves on by.
inline constexpr std::int16_t kYearEndMove = 365;

} // namespace transfer
