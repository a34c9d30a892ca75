// Committing several files as one: every file commits with its journal kept and its lock
// held; then a record, and beside each file a mark naming it, are written; removing the
// record is the moment all files commit. Killed before that moment, every kept journal
// is played back by the next opener; after it, every opener deletes them (CommitVfs.cpp).

#include "engine/MultiFileCommit.h"

#include "engine/CommitFaults.h"
#include "engine/CommitVfs.h"
#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace engine {

namespace {

struct Fault {
    CommitStep step = CommitStep::None;
    bool kill = false;
};
Fault& fault() {
    static Fault f;
    return f;
}

} // namespace

void CommitFaults::failAt(CommitStep step) {
    fault() = {step, false};
}
void CommitFaults::killAt(CommitStep step) {
    fault() = {step, true};
}
void CommitFaults::clear() {
    fault() = {};
}
void CommitFaults::check(CommitStep step) {
    if (step == CommitStep::None || fault().step != step) return;
    if (fault().kill) ::raise(SIGKILL);
    raiseEngine(err::DiskOrNetworkError);
}

namespace detail {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// A small file, written whole and flushed with its folder entry.
void writeDurably(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!ok || !syncFolder(folderOf(path))) raiseEngine(err::DiskOrNetworkError, path);
}

std::string readSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string randomHex() {
    unsigned char bytes[8];
    sqlite3_randomness(sizeof bytes, bytes);
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

std::string journalOf(const std::string& dbPath) {
    return dbPath + "-journal";
}

void commitOne(Store& s) {
    const int rc = sqlite3_exec(s.db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) s.raise(rc, "COMMIT");
}

void rollBackOpen(Store& s) {
    if (sqlite3_get_autocommit(s.db) == 0)
        sqlite3_exec(s.db, "ROLLBACK", nullptr, nullptr, nullptr);
}

// A file committed with its journal kept plays the journal back on its next read.
bool playBack(Store& s) {
    return sqlite3_exec(s.db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) ==
           SQLITE_OK;
}

// A connection that read another file attached holds a read lock on it until its own
// commit, which would keep that file's commit waiting: such connections commit first.
std::vector<std::shared_ptr<Store>> inCommitOrder(std::vector<std::shared_ptr<Store>> stores) {
    std::stable_partition(stores.begin(), stores.end(),
                          [](const auto& s) { return !s->attachedSources.empty(); });
    return stores;
}

} // namespace

void commitAll(const std::vector<std::shared_ptr<Store>>& participants) {
    if (participants.empty()) return;
    const std::vector<std::shared_ptr<Store>> stores = inCommitOrder(participants);
    // Part of the work is gone with a transaction SQLite ended: the rest must not land.
    for (const auto& lost : stores)
        if (lost->transactionLost()) {
            for (const auto& s : stores)
                rollBackOpen(*s);
            raiseEngine(err::DiskOrNetworkError, lost->path);
        }
    if (stores.size() == 1) {
        try {
            commitOne(*stores.front());
        } catch (...) {
            rollBackOpen(*stores.front());
            throw;
        }
        return;
    }
    std::vector<std::string> paths;
    for (const auto& s : stores)
        paths.push_back(s->path);
    CommitHold hold(paths);
    std::size_t committed = 0;
    std::string record;
    std::vector<std::string> marks;
    try {
        for (const auto& s : stores) {
            commitOne(*s);
            if (++committed == 1) CommitFaults::check(CommitStep::AfterFirstFile);
        }
        CommitFaults::check(CommitStep::AfterAllFiles);
        record = paths.front() + "-commit-" + randomHex();
        std::string list;
        for (const auto& p : paths)
            list += p + "\n";
        writeDurably(record, list);
        for (const auto& p : paths) {
            marks.push_back(commitMarkPath(p));
            writeDurably(marks.back(), record + "\n" + journalStamp(journalOf(p)) + "\n");
        }
        CommitFaults::check(CommitStep::AfterMarks);
        if (::unlink(record.c_str()) != 0) raiseEngine(err::DiskOrNetworkError, record);
        syncFolder(folderOf(record)); // the moment of commit
    } catch (...) {
        for (const auto& m : marks)
            ::unlink(m.c_str());
        hold.releaseKeepingJournals();
        bool restored = true;
        for (std::size_t i = 0; i < stores.size(); ++i) {
            if (i < committed)
                restored = playBack(*stores[i]) && restored;
            else
                rollBackOpen(*stores[i]);
        }
        // A journal not yet played back still needs the record to be read as undone.
        if (restored && !record.empty()) ::unlink(record.c_str());
        throw;
    }
    CommitFaults::check(CommitStep::AfterCommitPoint);
    hold.releaseCommitted();
    for (const auto& m : marks)
        ::unlink(m.c_str());
}

namespace {

// A record is left by a commit that died before its moment: it is still needed while a
// file it lists keeps a journal whose mark names it.
void removeRecordIfDone(const std::string& record) {
    const std::string list = readSmallFile(record);
    std::size_t pos = 0;
    while (pos < list.size()) {
        auto end = list.find('\n', pos);
        if (end == std::string::npos) end = list.size();
        const std::string file = list.substr(pos, end - pos);
        pos = end + 1;
        if (readSmallFile(commitMarkPath(file)).rfind(record + "\n", 0) == 0 &&
            exists(journalOf(file)))
            return;
    }
    ::unlink(record.c_str());
}

} // namespace

void sweepCommitLeftovers(const std::string& dbPath) {
    const std::string mark = commitMarkPath(dbPath);
    if (exists(mark) && !exists(journalOf(dbPath))) {
        const std::string text = readSmallFile(mark);
        ::unlink(mark.c_str());
        const auto nl = text.find('\n');
        if (nl != std::string::npos && nl > 0) removeRecordIfDone(text.substr(0, nl));
    }
    const std::string folder = folderOf(dbPath);
    const std::string prefix = dbPath.substr(folder.size() + 1) + "-commit-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> records;
    while (const dirent* e = ::readdir(dir))
        if (std::string_view(e->d_name).rfind(prefix, 0) == 0)
            records.push_back(folder + "/" + e->d_name);
    ::closedir(dir);
    for (const auto& record : records)
        removeRecordIfDone(record);
}

} // namespace detail

} // namespace engine
