#pragma once

// Carrying every living individual of last year's individuals file into this year's: each
// client's main and certificate rows, the detail rows of all of them and the tidying of
// their capital-gains assets, in one transaction on this year's file. Shows nothing; the
// handler shows the outcome.

#include "engine/Dao.h"
#include "runtime/Error.h"

#include <functional>
#include <optional>
#include <string>

namespace transfer {

struct AllIndividualsImported {
    long clients = 0;
    bool renumbered = false; // this year's file held clients: new numbers from its highest
    long detailRows = 0;     // rows of the nine detail tables
};

// Told as the import goes: the living clients once counted (never when there are none),
// then each client read and each client written.
struct ImportProgress {
    std::function<void(long clients)> counted;
    std::function<void()> step;
};

// A failure of the import, with what it was doing when it failed ("the client Smith (7)",
// "the detail rows of CARALL"); the engine's number and text are the cause's.
class ImportStepError : public runtime::Error {
public:
    ImportStepError(std::string step, const runtime::Error& cause);
    const std::string& step() const { return step_; }

private:
    std::string step_;
};

// Runs `work`, raising a failure as one of `step`.
template <class Work> auto during(const std::string& step, Work work) {
    try {
        return work();
    } catch (const ImportStepError&) {
        throw;
    } catch (const runtime::Error& e) {
        throw ImportStepError(step, e);
    }
}

// Carries last year's living clients (number above 0, not deceased) into the file at
// `thisYearPath`: under their own numbers into a year without clients, else under the
// numbers after the highest, their detail rows through the transfer file at
// `transferPath`. Nothing when last year holds no living client. A failure is raised as
// ImportStepError after this year's file has been put back as it was.
std::optional<AllIndividualsImported> importAllIndividuals(engine::Database& lastYear,
                                                           const std::string& thisYearPath,
                                                           const std::string& transferPath,
                                                           const ImportProgress& progress);

} // namespace transfer
