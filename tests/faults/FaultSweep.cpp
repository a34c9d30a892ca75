#include "FaultSweep.h"

#include "FileContent.h"
#include "engine/Dao.h"
#include "runtime/Error.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace faults {

namespace {

using Digests = std::vector<std::string>;

void closeEngine() {
    try {
        engine::DBEngine::instance().Workspaces(0).Close();
    } catch (const runtime::Error&) {
    }
}

Digests digests(const Operation& op, const Place& p) {
    Digests out;
    for (const WrittenFile& f : op.files)
        out.push_back(contentDigest(f.path(p)));
    return out;
}

// Files as the next user of them finds them: opened through the engine, which plays
// back or discards what a failed or killed writer left.
std::string reopen(const Operation& op, const Place& p) {
    std::string problems;
    for (const WrittenFile& f : op.files) {
        const std::string path = f.path(p);
        if (!std::filesystem::exists(path)) continue;
        try {
            auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path, false, false,
                                                                              f.connect);
            (void)db->TableDefs().Count();
            db->Close();
        } catch (const runtime::Error& e) {
            problems +=
                f.name + " does not open: " + std::to_string(e.number()) + " " + e.text() + "\n";
        }
    }
    closeEngine();
    return problems;
}

// After a run with a fault: sound files, each old or new, and the claim that matches.
// Gives what is wrong, empty when nothing is.
std::string problemsAfter(const Operation& op, const Place& p, const Digests& before,
                          const Digests& unfinished, const Digests& after,
                          std::optional<Claim> claim) {
    std::string problems;
    bool allNew = true, allOld = true;
    for (std::size_t i = 0; i < op.files.size(); ++i) {
        const std::string path = op.files[i].path(p);
        const std::string integrity = integrityCheck(path);
        if (integrity != "ok")
            problems += op.files[i].name + ": integrity_check: " + integrity + "\n";
        const std::string now = contentDigest(path);
        const bool isOld = now == before[i] || now == unfinished[i], isNew = now == after[i];
        if (!isOld && !isNew)
            problems += op.files[i].name +
                        " holds neither its old nor its new content: " + now.substr(0, 200) + "\n";
        allNew = allNew && isNew;
        allOld = allOld && isOld;
    }
    if (op.allOrNothing && !allNew && !allOld) problems += "some files changed, others did not\n";
    if (claim && allNew && *claim != Claim::Success)
        problems += "the change was made, but a failure was shown\n" + p.desk.transcript();
    if (claim && !allNew && *claim != Claim::Failure)
        problems += "not every file changed, but success was shown\n" + p.desk.transcript();
    return problems;
}

// The run in a child process that dies at point n; false when it ran to its end.
bool killedAt(const Operation& op, Place& p, long n) {
    const pid_t child = fork();
    if (child == 0) {
        FaultPoints::arm(n, Blow::Kill);
        try {
            op.run(p);
        } catch (...) {
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace

std::vector<long> pointsToTry(long last) {
#ifdef __SANITIZE_ADDRESS__
    constexpr bool kSample = true;
#else
    constexpr bool kSample = false;
#endif
    constexpr long kEnds = 25, kBetween = 30;
    std::vector<long> points;
    for (long n = 1; n <= last; ++n) {
        const bool nearEnd = n <= kEnds || n > last - kEnds;
        const long middle = last - 2 * kEnds;
        if (!kSample || nearEnd || middle <= kBetween || (n - kEnds) % (middle / kBetween + 1) == 0)
            points.push_back(n);
    }
    return points;
}

Claim claimOf(const support::ScriptedDesktop& desk, std::size_t boxesBefore,
              const std::optional<std::string>& success) {
    const std::vector<std::string> texts = desk.messages();
    const std::vector<std::string> shown(texts.begin() + static_cast<long>(boxesBefore),
                                         texts.end());
    if (!success) return shown.empty() ? Claim::Success : Claim::Failure;
    return !shown.empty() && shown.back() == *success ? Claim::Success : Claim::Failure;
}

void sweep(const Operation& op, Blow how) {
    installFaultPoints();
    Digests before, unfinished, after;
    long last = 0;
    {
        Place p;
        op.prepare(p);
        if (op.unfinished) op.unfinished(p);
        closeEngine();
        unfinished = digests(op, p);
    }
    {
        Place p;
        op.prepare(p);
        closeEngine();
        before = digests(op, p);
        FaultPoints::countOnly();
        const Claim claim = op.run(p);
        last = FaultPoints::seen();
        closeEngine();
        after = digests(op, p);
        ASSERT_EQ(claim, Claim::Success) << op.name << " fails without a fault\n"
                                         << p.desk.transcript();
        ASSERT_NE(before, after) << op.name << " changes nothing";
        ASSERT_GT(last, 0) << op.name << " writes nothing";
    }
    std::vector<long> failing;
    for (long n : pointsToTry(last)) {
        const std::string where =
            op.name + " at point " + std::to_string(n) + " of " + std::to_string(last);
        Place p;
        op.prepare(p);
        closeEngine();
        std::string problems;
        if (how == Blow::Kill) {
            if (!killedAt(op, p, n)) problems += "the run passed the point\n";
            problems += reopen(op, p);
            problems += problemsAfter(op, p, before, unfinished, after, std::nullopt);
        } else {
            FaultPoints::arm(n, how);
            const Claim claim = op.run(p);
            const bool fired = FaultPoints::fired();
            FaultPoints::countOnly();
            closeEngine();
            if (!fired) problems += "the fault never struck\n";
            problems += reopen(op, p);
            problems += problemsAfter(op, p, before, unfinished, after, claim);
        }
        if (problems.empty()) continue;
        // The first few in full; the rest by number.
        if (failing.size() < 3) ADD_FAILURE() << where << ":\n" << problems;
        failing.push_back(n);
    }
    if (!failing.empty()) {
        std::string list;
        for (long n : failing)
            list += " " + std::to_string(n);
        ADD_FAILURE() << op.name << ": " << failing.size() << " of the points tried (of " << last
                      << ") leave a fault:" << list;
    }
}

} // namespace faults
