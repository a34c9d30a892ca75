// The imports themselves come in later; until then each says so plainly.

#include "carryforward/Imports.h"

#include "app/frmSysAdmin.h"
#include "carryforward/Messages.h"

namespace carryforward {

namespace {

void notAvailable(app::frmSysAdmin& w) {
    w.Ask(std::string(msg::ImportNotAvailable), forms::vbInformation, "");
}

} // namespace

void ImportSelAss_Personal(app::frmSysAdmin& w) {
    notAvailable(w);
}
void ImportWholeDB_Personal(app::frmSysAdmin& w) {
    notAvailable(w);
}
void ImportSelAss_Trust(app::frmSysAdmin& w) {
    notAvailable(w);
}
void ImportWholeDB_Trust(app::frmSysAdmin& w) {
    notAvailable(w);
}
void ImportSelAss_Company(app::frmSysAdmin& w) {
    notAvailable(w);
}
void ImportWholeDB_Company(app::frmSysAdmin& w) {
    notAvailable(w);
}

} // namespace carryforward
