#pragma once

// The two records of a trust that the previous-year imports carry field by field, whether
// they carry one chosen trust or all of them.

#include "transfer/RecordCarry.h"

namespace transfer {

// This year's TRUSTDetails row from last year's: the particulars and balance-sheet figures
// are carried, the three assessment dates and the year's tracking start afresh.
const CarryTable& trustMainCarry();

// This year's TRUSTIncExpend row: every amount and flag starts at 0, but half of last year's
// capital loss is brought forward.
const CarryTable& trustIncomeCarry();

} // namespace transfer
