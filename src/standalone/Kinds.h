#pragma once

// The three kinds of client the stand-alone edition keeps and how each comes over: its main
// table and key, the detail tables that follow a client, and the copy of every one of those
// tables into the network file, built from the network structure less a short list of
// columns that are not carried.

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
    std::string mainTable, key, index;
    std::vector<transfer::CopyPlan> copies; // main table first, in the order they run
    std::string app::frmSysAdmin::*networkPath;
    std::string nameField; // of the main table: what names a client in a message
};

const Kind& individualsKind();
const Kind& trustsKind();
const Kind& companiesKind();

} // namespace standalone
