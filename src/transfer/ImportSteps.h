#pragma once

// What every import of many clients shares: the progress it reports, and its failures named
// by the step that failed.

#include "runtime/Error.h"

#include <functional>
#include <string>

namespace transfer {

// Told as the import goes: the living clients once counted (never when there are none),
// then each client read and each client written.
struct ImportProgress {
    std::function<void(long clients)> counted;
    std::function<void()> step;
};

// Tells `progress` of `steps` more steps, where it listens.
inline void stepped(const ImportProgress& progress, long steps = 1) {
    for (long i = 0; progress.step && i < steps; ++i)
        progress.step();
}

// A failure of the import, with what it was doing when it failed ("the client Smith (7)",
// "the detail rows of CARALL"); the engine's number and text are the cause's. `written`:
// it failed after its transaction was committed, so this year's file holds the import.
class ImportStepError : public runtime::Error {
public:
    ImportStepError(std::string step, const runtime::Error& cause, bool written = false);
    const std::string& step() const { return step_; }
    bool written() const { return written_; }

private:
    std::string step_;
    bool written_;
};

// A failure that belongs to one row's values, not to the statement (a value a field cannot
// hold, a duplicate key ...): the import can look for the client whose rows were refused.
bool refusesARow(const runtime::Error& e);

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

// Runs `work` once the import's transaction is committed, raising a failure as one of
// `step` that leaves the import written.
template <class Work> void afterCommit(const std::string& step, Work work) {
    try {
        work();
    } catch (const runtime::Error& e) {
        throw ImportStepError(step, e, true);
    }
}

} // namespace transfer
