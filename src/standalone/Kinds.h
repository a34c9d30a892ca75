#pragma once

// The three kinds of client the stand-alone edition keeps and how each comes over: the kind
// as the network files keep it (its main table and number), the detail tables that follow a
// client, and the copy of every one of those tables into the network file, built from the
// network structure less a short list of columns that are not carried.

#include "transfer/ClientKinds.h"
#include "transfer/CopyPlan.h"

#include <string>
#include <string_view>
#include <vector>

namespace app {
class frmSysAdmin;
}

namespace standalone {

struct Kind {
    std::string_view name; // "individuals", "trusts", "companies", as messages say it
    const transfer::ClientKind& client;
    std::vector<transfer::CopyPlan> copies; // main table first, in the order they run
    std::string app::frmSysAdmin::*networkPath;
};

const Kind& individualsKind();
const Kind& trustsKind();
const Kind& companiesKind();

} // namespace standalone
