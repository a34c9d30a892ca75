#pragma once

#include "schema/TableSpec.h"

#include <string_view>
#include <vector>

namespace schema {

// The structure definitions as data, each list in creation order.

// "SysAdmin2018.mdb".
const std::vector<TableSpec>& systemDbTables();

// "Qolb2018LAN.mdb": the main and continuation tables, then the 79 detail tables, then
// the five tables that the extended definition adds.
const std::vector<TableSpec>& individualsMainTables();
const std::vector<TableSpec>& individualsDetailTables();
const std::vector<TableSpec>& individualsExtendedTables();

// "QolbTrust2018Lan.Mdb" and "QolbCompany2018Lan.Mdb".
const std::vector<TableSpec>& trustDbTables();
const std::vector<TableSpec>& companyDbTables();

// The transfer files "TransDB.mdb", "TransTrustDB.mdb" and "TransCompanyDB.mdb": copies
// of network tables, some of them cut down.
const std::vector<TableSpec>& transferPersonalTables();
const std::vector<TableSpec>& transferTrustTables();
const std::vector<TableSpec>& transferCompanyTables();

// The table `name` in the lists `parts` of one file's structure. A name none of them holds
// is a fault of the caller's own table of names: std::logic_error.
const TableSpec& tableIn(const std::vector<const std::vector<TableSpec>*>& parts,
                         std::string_view name);

} // namespace schema
