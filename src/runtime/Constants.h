#pragma once

#include <cstdint>

namespace runtime {

// The tax year of this edition, 1 March 2017 to 28 February 2018, and the one before,
// as day numbers from 30 December 1899.
inline constexpr std::int32_t TaxYearStart = 42795;
inline constexpr std::int32_t TaxYearEnd = 43159;
inline constexpr std::int32_t PrevTaxYearStart = 42430;
inline constexpr std::int32_t PrevTaxYearEnd = 42794;

// "No date" in the date fields an import resets: 1 January 1800, and 31 December 1799
// for the assessment dates.
inline constexpr std::int32_t NoDateValue = -36522;
inline constexpr std::int32_t NoAssDateValue = -36523;
// The empty value of sale and submission dates held in Double fields.
inline constexpr std::int32_t BlankDateSerial = -693959;

// Structure versions (field UpDateDB of DefInvOpt).
inline constexpr std::int16_t CurNetDbVersion = 3;
inline constexpr std::int16_t CurSysDbVersion = 1;
inline constexpr std::int16_t MinPrevYearDbVersion = 6;
inline constexpr std::int16_t MinStandAloneDbVersion = 2;

} // namespace runtime
