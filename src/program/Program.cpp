#include "program/Program.h"

#include "carryforward/PrevYearWiring.h"
#include "clearing/ClearingWiring.h"
#include "standalone/StandAloneWiring.h"

namespace program {

namespace {

// Each subsystem wires the events of its controls to its handlers. Start-up and database
// locations wire themselves when the window is made.
void attachSubsystems(app::frmSysAdmin& window) {
    // Subsystems attach here, one call each, e.g. clearing::attach(window);
    clearing::attach(window);
    carryforward::attach(window);
    standalone::attach(window);
}

} // namespace

Program::Program() {
    attachSubsystems(admin_);
}

bool Program::start() {
    frame_.Show();
    return frame_.isLoaded();
}

} // namespace program
