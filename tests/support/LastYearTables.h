#pragma once

// Last year's network files, which this program only reads and never makes: the tables the
// previous-year imports read, with the columns and indexes they use under last year's
// names. Last year's tables hold every column that this year's namesakes carry forward, so
// each is this year's table under last year's name, without the new year's columns.

#include "schema/TableSpec.h"

#include <vector>

namespace support {

// "Qolb2017LAN.mdb": Qolb2017, Qolb2017Cont, IRP5IncDed, the nine detail tables that follow
// a client into the new year, and DefInvOpt.
std::vector<schema::TableSpec> lastYearIndividualsTables();
// "QolbTrust2017Lan.Mdb": the structure of this year's trust file.
std::vector<schema::TableSpec> lastYearTrustTables();
// "QolbCompany2017Lan.Mdb": this year's structure, with CompanyDetails also indexed as
// last year's listing reads it (CompanyRegNameIndex1).
std::vector<schema::TableSpec> lastYearCompanyTables();

} // namespace support
