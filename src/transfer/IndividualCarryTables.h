#pragma once

// The two records of an individual that the previous-year imports carry field by field,
// whether they carry one chosen individual or all of them.

#include "transfer/RecordCarry.h"

namespace transfer {

// This year's Qolb2018 row from last year's Qolb2017 row: the standing details are carried,
// PERS5 moves on by one, two balances move to their "previous year" fields, and the old
// year's figures, dates and return tracking start afresh.
const CarryTable& individualMainCarry();

// Which import carries the certificate. The import of one individual marks every new row
// in MaxNum with 1; the import of all of them with whether last year held a row.
enum class ImportScope { OneClient, AllClients };

// This year's IRP5IncDed row from last year's row of the client: the lump-sum history of
// the years before this one is carried year for year; this year's lump sums and every
// certificate amount, code and text start afresh.
const CarryTable& individualCertificateCarry(ImportScope scope);

} // namespace transfer
