#include "FaultSweep.h"

#include "FileContent.h"
#include "FolderSnapshot.h"
#include "engine/Dao.h"
#include "runtime/Error.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
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

// The points that leave a fault: the first few in full, then all by number.
class Findings {
public:
    Findings(const Operation& op, long last) : op_(op), last_(last) {}
    void add(long n, const std::string& problems) {
        if (problems.empty()) return;
        if (failing_.size() < 3)
            ADD_FAILURE() << op_.name << " at point " << n << " of " << last_ << ":\n" << problems;
        failing_.push_back(n);
    }
    void report() const {
        if (failing_.empty()) return;
        std::string list;
        for (long n : failing_)
            list += " " + std::to_string(n);
        ADD_FAILURE() << op_.name << ": " << failing_.size() << " of the points tried (of " << last_
                      << ") leave a fault:" << list;
    }

private:
    const Operation& op_;
    long last_;
    std::vector<long> failing_;
};

// The operation's files before it ran, in the state that also counts as nothing done, and
// after one run without a fault; that run's number of points and the file of each.
struct Baseline {
    FolderSnapshot prepared;
    Digests before, unfinished, after;
    std::vector<std::string> fileAt;
    long last() const { return static_cast<long>(fileAt.size()); }
};

FolderSnapshot preparedFiles(const Operation& op) {
    Place p;
    op.prepare(p);
    closeEngine();
    return FolderSnapshot::take(p.folders());
}

// Runs the operation once without a fault on the prepared files; `atEachPoint` is called
// before each write or sync. Fails the test when the run fails or changes nothing.
void runOnce(const Operation& op, Baseline& b, Place& p,
             const std::function<void(long)>& atEachPoint) {
    b.prepared.restoreInto(p.folders());
    b.before = digests(op, p);
    b.fileAt.clear();
    FaultPoints::watch([&](long n, const std::string& file) {
        b.fileAt.push_back(file);
        atEachPoint(n);
    });
    const Claim claim = op.run(p);
    FaultPoints::countOnly();
    closeEngine();
    b.after = digests(op, p);
    ASSERT_EQ(claim, Claim::Success) << op.name << " fails without a fault\n"
                                     << p.desk.transcript();
    ASSERT_NE(b.before, b.after) << op.name << " changes nothing";
    ASSERT_GT(b.last(), 0) << op.name << " writes nothing";
}

Digests unfinishedDigests(const Operation& op, const FolderSnapshot& prepared) {
    Place p;
    prepared.restoreInto(p.folders());
    if (op.unfinished) op.unfinished(p);
    closeEngine();
    return digests(op, p);
}

// A fresh run on the prepared files, failing at n as `how` says, then checked.
std::string failedRun(const Operation& op, const Baseline& b, long n, Blow how) {
    Place p;
    b.prepared.restoreInto(p.folders());
    FaultPoints::arm(n, how);
    const Claim claim = op.run(p);
    const bool fired = FaultPoints::fired();
    FaultPoints::countOnly();
    closeEngine();
    std::string problems = fired ? "" : "the fault never struck\n";
    problems += reopen(op, p);
    return problems + problemsAfter(op, p, b.before, b.unfinished, b.after, claim);
}

// A real kill at n of a run on the prepared files, then checked; `recovered` gets the
// content the next user finds.
std::string killedRun(const Operation& op, const Baseline& b, long n, Digests& recovered) {
    Place p;
    b.prepared.restoreInto(p.folders());
    std::string problems = killedAt(op, p, n) ? "" : "the run passed the point\n";
    problems += reopen(op, p);
    recovered = digests(op, p);
    return problems + problemsAfter(op, p, b.before, b.unfinished, b.after, std::nullopt);
}

// One run that copies the files at every point; each copy is then put back where it was
// (a commit's marks name its record by its full path) and checked as a kill there would
// be. The real kills at realKillPoints must leave what their copies leave.
void killSweep(const Operation& op, Baseline& b) {
    Place p;
    std::vector<FolderSnapshot> atPoint;
    runOnce(op, b, p, [&](long) {
        atPoint.push_back(
            FolderSnapshot::take(p.folders(), atPoint.empty() ? nullptr : &atPoint.back()));
    });
    if (::testing::Test::HasFatalFailure()) return;
    const std::vector<long> tried = pointsToTry(b.last()), real = realKillPoints(b.last());
    std::set<long> points(tried.begin(), tried.end());
    points.insert(real.begin(), real.end());
    Findings findings(op, b.last());
    for (long n : points) {
        atPoint[static_cast<std::size_t>(n - 1)].restoreInto(p.folders());
        std::string problems = reopen(op, p);
        problems += problemsAfter(op, p, b.before, b.unfinished, b.after, std::nullopt);
        if (std::find(real.begin(), real.end(), n) != real.end()) {
            const Digests copied = digests(op, p);
            Digests killed;
            problems += killedRun(op, b, n, killed);
            if (killed != copied)
                problems += "a real kill leaves other content than the copy made there\n";
        }
        findings.add(n, problems);
    }
    findings.report();
}

void failSweep(const Operation& op, Baseline& b, Blow how) {
    {
        Place p;
        runOnce(op, b, p, [](long) {});
    }
    if (::testing::Test::HasFatalFailure()) return;
    Findings findings(op, b.last());
    const std::vector<long> points =
        how == Blow::FailLater ? brokenDiskPoints(b.fileAt) : pointsToTry(b.last());
    for (long n : points)
        findings.add(n, failedRun(op, b, n, how));
    findings.report();
}

} // namespace

bool exhaustive() {
    const char* value = std::getenv("QUOLBY_FAULTS_EXHAUSTIVE");
    return value && std::string(value) == "1";
}

std::vector<long> pointsToTry(long last) {
#ifdef __SANITIZE_ADDRESS__
    const bool sample = !exhaustive();
#else
    const bool sample = false;
#endif
    constexpr long kEnds = 25, kBetween = 30;
    std::vector<long> points;
    for (long n = 1; n <= last; ++n) {
        const bool nearEnd = n <= kEnds || n > last - kEnds;
        const long middle = last - 2 * kEnds;
        if (!sample || nearEnd || middle <= kBetween || (n - kEnds) % (middle / kBetween + 1) == 0)
            points.push_back(n);
    }
    return points;
}

std::vector<long> brokenDiskPoints(const std::vector<std::string>& fileAt) {
    const long last = static_cast<long>(fileAt.size());
    if (exhaustive() || last <= kBrokenDiskSpread + 2) return pointsToTry(last);
    std::set<long> points{1, last};
    std::map<std::string, std::pair<long, long>> firstAndLast;
    for (long n = 1; n <= last; ++n) {
        auto [it, added] = firstAndLast.try_emplace(fileAt[static_cast<std::size_t>(n - 1)], n, n);
        it->second.second = n;
    }
    for (const auto& [file, ends] : firstAndLast)
        points.insert({ends.first, ends.second});
    for (long i = 1; i <= kBrokenDiskSpread; ++i)
        points.insert(1 + i * (last - 1) / (kBrokenDiskSpread + 1));
    return {points.begin(), points.end()};
}

std::vector<long> realKillPoints(long last) {
    if (exhaustive()) return pointsToTry(last);
    std::set<long> points{1, std::max(1L, last / 4), std::max(1L, last / 2), last};
    return {points.begin(), points.end()};
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
    Baseline b;
    b.prepared = preparedFiles(op);
    b.unfinished = unfinishedDigests(op, b.prepared);
    if (how == Blow::Kill)
        killSweep(op, b);
    else
        failSweep(op, b, how);
}

} // namespace faults
