#pragma once

// The three kinds of client this year's files keep (individuals, trusts, companies), each
// described once: its main table and the field and index of the client's number, and what an
// import of the kind carries besides the main record. The imports take these names from here
// rather than spelling them.

#include "transfer/CapitalGainsTables.h"
#include "transfer/CopyPlan.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace transfer {

struct ClientKind {
    std::string_view mainTable;   // one row per client
    std::string_view numberField; // the client's number, in every table of the kind
    std::string_view numberIndex; // of the main table on the number: rows without one first
    std::string_view nameField;   // of the main table: what names a client in a message
    // The copy plans of the detail rows that follow a client from last year's file, in the
    // order they run (the trusts' cost lines follow their assets apart, trustCostLineCopies).
    const std::vector<CopyPlan>& (*detailCopies)();
    // The transfer file an import stages rows in: how it is made when missing, and the
    // tables emptied before each run.
    void (*makeTransferFile)(const std::string& path);
    std::span<const std::string_view> transferTables;
    // Where the kind keeps capital-gains assets; nullptr for a kind that keeps none.
    const CapitalGainsTables& (*capitalGains)();
};

const ClientKind& individualClients();
const ClientKind& trustClients();
const ClientKind& companyClients();

} // namespace transfer
