#include "engine/CommitVfs.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <sqlite3.h>
#include <unistd.h>

namespace engine::detail {

namespace {

constexpr std::string_view kJournalSuffix = "-journal";
constexpr const char* kVfsName = "jet-commit";

sqlite3_vfs* gReal = nullptr; // the layer wrapped

struct JFile {
    sqlite3_file base; // first: SQLite sees this
    sqlite3_file* real;
    std::string* dbPath; // main database files only, else null
    int pagerLevel;      // the lock SQLite believes it holds
    int realLevel;       // the lock actually held
};

// Open main database files by path, and the paths held, with their deferred deletions.
// Never destroyed: a handle kept in another static object may close its file while the
// program exits, after statics made later than it are gone.
std::mutex gMutex;
std::multimap<std::string, JFile*>& openFiles() {
    static auto* files = new std::multimap<std::string, JFile*>;
    return *files;
}
std::map<std::string, std::vector<std::string>>& holds() {
    static auto* held = new std::map<std::string, std::vector<std::string>>;
    return *held;
}
std::atomic<int> gHoldCount{0}; // spares the lookup when nothing is held

bool isHeld(const std::string& dbPath) {
    if (gHoldCount.load() == 0) return false;
    std::lock_guard guard(gMutex);
    return holds().count(dbPath) != 0;
}

bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

JFile* jfile(sqlite3_file* f) {
    return reinterpret_cast<JFile*>(f);
}

// --- io methods: passed through, but for the lock kept while held ---

int jClose(sqlite3_file* f) {
    JFile* p = jfile(f);
    if (p->dbPath) {
        std::lock_guard guard(gMutex);
        auto [first, last] = openFiles().equal_range(*p->dbPath);
        for (auto it = first; it != last; ++it)
            if (it->second == p) {
                openFiles().erase(it);
                break;
            }
    }
    const int rc = p->real->pMethods ? p->real->pMethods->xClose(p->real) : SQLITE_OK;
    delete p->dbPath;
    p->dbPath = nullptr;
    return rc;
}
int jRead(sqlite3_file* f, void* buf, int n, sqlite3_int64 off) {
    return jfile(f)->real->pMethods->xRead(jfile(f)->real, buf, n, off);
}
int jWrite(sqlite3_file* f, const void* buf, int n, sqlite3_int64 off) {
    return jfile(f)->real->pMethods->xWrite(jfile(f)->real, buf, n, off);
}
int jTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return jfile(f)->real->pMethods->xTruncate(jfile(f)->real, size);
}
int jSync(sqlite3_file* f, int flags) {
    return jfile(f)->real->pMethods->xSync(jfile(f)->real, flags);
}
int jFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return jfile(f)->real->pMethods->xFileSize(jfile(f)->real, size);
}
int jLock(sqlite3_file* f, int level) {
    JFile* p = jfile(f);
    const int rc = p->real->pMethods->xLock(p->real, level);
    if (rc == SQLITE_OK) {
        p->pagerLevel = level;
        p->realLevel = std::max(p->realLevel, level);
    }
    return rc;
}
int jUnlock(sqlite3_file* f, int level) {
    JFile* p = jfile(f);
    p->pagerLevel = level;
    if (p->dbPath && isHeld(*p->dbPath)) return SQLITE_OK; // given up on release
    const int rc = p->real->pMethods->xUnlock(p->real, level);
    if (rc == SQLITE_OK) p->realLevel = level;
    return rc;
}
int jCheckReservedLock(sqlite3_file* f, int* out) {
    return jfile(f)->real->pMethods->xCheckReservedLock(jfile(f)->real, out);
}
int jFileControl(sqlite3_file* f, int op, void* arg) {
    return jfile(f)->real->pMethods->xFileControl(jfile(f)->real, op, arg);
}
int jSectorSize(sqlite3_file* f) {
    return jfile(f)->real->pMethods->xSectorSize(jfile(f)->real);
}
int jDeviceCharacteristics(sqlite3_file* f) {
    return jfile(f)->real->pMethods->xDeviceCharacteristics(jfile(f)->real);
}
int jShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    const auto* m = jfile(f)->real->pMethods;
    return m->iVersion >= 2 ? m->xShmMap(jfile(f)->real, page, size, extend, out) : SQLITE_IOERR;
}
int jShmLock(sqlite3_file* f, int offset, int n, int flags) {
    const auto* m = jfile(f)->real->pMethods;
    return m->iVersion >= 2 ? m->xShmLock(jfile(f)->real, offset, n, flags) : SQLITE_IOERR;
}
void jShmBarrier(sqlite3_file* f) {
    const auto* m = jfile(f)->real->pMethods;
    if (m->iVersion >= 2) m->xShmBarrier(jfile(f)->real);
}
int jShmUnmap(sqlite3_file* f, int deleteFlag) {
    const auto* m = jfile(f)->real->pMethods;
    return m->iVersion >= 2 ? m->xShmUnmap(jfile(f)->real, deleteFlag) : SQLITE_OK;
}
int jFetch(sqlite3_file* f, sqlite3_int64 off, int n, void** out) {
    const auto* m = jfile(f)->real->pMethods;
    if (m->iVersion >= 3) return m->xFetch(jfile(f)->real, off, n, out);
    *out = nullptr;
    return SQLITE_OK;
}
int jUnfetch(sqlite3_file* f, sqlite3_int64 off, void* p) {
    const auto* m = jfile(f)->real->pMethods;
    return m->iVersion >= 3 ? m->xUnfetch(jfile(f)->real, off, p) : SQLITE_OK;
}

const sqlite3_io_methods kMethods = {3,
                                     jClose,
                                     jRead,
                                     jWrite,
                                     jTruncate,
                                     jSync,
                                     jFileSize,
                                     jLock,
                                     jUnlock,
                                     jCheckReservedLock,
                                     jFileControl,
                                     jSectorSize,
                                     jDeviceCharacteristics,
                                     jShmMap,
                                     jShmLock,
                                     jShmBarrier,
                                     jShmUnmap,
                                     jFetch,
                                     jUnfetch};

std::size_t headerSize() {
    return (sizeof(JFile) + 15) & ~std::size_t{15};
}

int vOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags);

} // namespace

std::string journalStamp(const std::string& journalPath) {
    const int fd = ::open(journalPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    unsigned char h[16];
    const bool ok = ::pread(fd, h, sizeof h, 0) == static_cast<ssize_t>(sizeof h);
    ::close(fd);
    if (!ok) return {};
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : h) {
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

namespace {

// A journal kept by a commit over several files whose record is gone belongs to a
// transaction that committed: it is deleted rather than played back.
void dropCommittedJournal(const std::string& journalPath) {
    const std::string dbPath = journalPath.substr(0, journalPath.size() - kJournalSuffix.size());
    const std::string recordRef = commitMarkPath(dbPath);
    const int fd = ::open(recordRef.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    char buf[8192];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    const std::string text(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    const auto nl = text.find('\n');
    if (nl == std::string::npos) return; // not finished being written: no decision
    const std::string record = text.substr(0, nl);
    std::string stamp = text.substr(nl + 1);
    if (!stamp.empty() && stamp.back() == '\n') stamp.pop_back();
    if (::access(record.c_str(), F_OK) == 0) return; // not committed: play it back
    if (journalStamp(journalPath) == stamp) gReal->xDelete(gReal, journalPath.c_str(), 1);
    ::unlink(recordRef.c_str());
}

int vDelete(sqlite3_vfs*, const char* name, int syncDir) {
    if (gHoldCount.load() != 0 && name && endsWith(name, kJournalSuffix)) {
        const std::string journal(name);
        const std::string dbPath = journal.substr(0, journal.size() - kJournalSuffix.size());
        std::lock_guard guard(gMutex);
        const auto it = holds().find(dbPath);
        if (it != holds().end()) {
            it->second.push_back(journal);
            return SQLITE_OK;
        }
    }
    return gReal->xDelete(gReal, name, syncDir);
}

int vAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
    int rc = gReal->xAccess(gReal, name, flags, out);
    if (rc == SQLITE_OK && *out && flags == SQLITE_ACCESS_EXISTS && name &&
        endsWith(name, kJournalSuffix)) {
        const std::string journal(name);
        if (!isHeld(journal.substr(0, journal.size() - kJournalSuffix.size()))) {
            dropCommittedJournal(journal);
            rc = gReal->xAccess(gReal, name, flags, out);
        }
    }
    return rc;
}

int vFullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
    return gReal->xFullPathname(gReal, name, n, out);
}
void* vDlOpen(sqlite3_vfs*, const char* name) {
    return gReal->xDlOpen(gReal, name);
}
void vDlError(sqlite3_vfs*, int n, char* msg) {
    gReal->xDlError(gReal, n, msg);
}
void (*vDlSym(sqlite3_vfs*, void* h, const char* sym))(void) {
    return gReal->xDlSym(gReal, h, sym);
}
void vDlClose(sqlite3_vfs*, void* h) {
    gReal->xDlClose(gReal, h);
}
int vRandomness(sqlite3_vfs*, int n, char* out) {
    return gReal->xRandomness(gReal, n, out);
}
int vSleep(sqlite3_vfs*, int micro) {
    return gReal->xSleep(gReal, micro);
}
int vCurrentTime(sqlite3_vfs*, double* out) {
    return gReal->xCurrentTime(gReal, out);
}
int vGetLastError(sqlite3_vfs*, int n, char* out) {
    return gReal->xGetLastError ? gReal->xGetLastError(gReal, n, out) : 0;
}
int vCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return gReal->xCurrentTimeInt64(gReal, out);
}
int vSetSystemCall(sqlite3_vfs*, const char* name, sqlite3_syscall_ptr p) {
    return gReal->xSetSystemCall(gReal, name, p);
}
sqlite3_syscall_ptr vGetSystemCall(sqlite3_vfs*, const char* name) {
    return gReal->xGetSystemCall(gReal, name);
}
const char* vNextSystemCall(sqlite3_vfs*, const char* name) {
    return gReal->xNextSystemCall(gReal, name);
}

int vOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    JFile* p = jfile(f);
    p->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + headerSize());
    p->dbPath = nullptr;
    p->pagerLevel = p->realLevel = SQLITE_LOCK_NONE;
    p->real->pMethods = nullptr;
    const int rc = gReal->xOpen(gReal, name, p->real, flags, outFlags);
    p->base.pMethods = p->real->pMethods ? &kMethods : nullptr;
    if (rc == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) && name) {
        p->dbPath = new std::string(name);
        std::lock_guard guard(gMutex);
        openFiles().emplace(*p->dbPath, p);
    }
    return rc;
}

sqlite3_vfs gVfs;

} // namespace

const char* baseVfsName() {
    ensureCommitVfs();
    return gReal->zName;
}

void ensureCommitVfs() {
    static const bool registered = [] {
        gReal = sqlite3_vfs_find(nullptr);
        gVfs = *gReal;
        gVfs.iVersion = std::min(gReal->iVersion, 3);
        gVfs.szOsFile = static_cast<int>(headerSize()) + gReal->szOsFile;
        gVfs.zName = kVfsName;
        gVfs.pNext = nullptr;
        gVfs.pAppData = nullptr;
        gVfs.xOpen = vOpen;
        gVfs.xDelete = vDelete;
        gVfs.xAccess = vAccess;
        gVfs.xFullPathname = vFullPathname;
        gVfs.xDlOpen = vDlOpen;
        gVfs.xDlError = vDlError;
        gVfs.xDlSym = vDlSym;
        gVfs.xDlClose = vDlClose;
        gVfs.xRandomness = vRandomness;
        gVfs.xSleep = vSleep;
        gVfs.xCurrentTime = vCurrentTime;
        gVfs.xGetLastError = vGetLastError;
        if (gVfs.iVersion >= 2) gVfs.xCurrentTimeInt64 = vCurrentTimeInt64;
        if (gVfs.iVersion >= 3) {
            gVfs.xSetSystemCall = vSetSystemCall;
            gVfs.xGetSystemCall = vGetSystemCall;
            gVfs.xNextSystemCall = vNextSystemCall;
        }
        return sqlite3_vfs_register(&gVfs, 1) == SQLITE_OK;
    }();
    (void)registered;
}

std::string commitMarkPath(const std::string& dbPath) {
    return dbPath + "-commit";
}

CommitHold::CommitHold(std::vector<std::string> dbPaths) : paths_(std::move(dbPaths)) {
    std::lock_guard guard(gMutex);
    for (const auto& p : paths_)
        holds().try_emplace(p);
    gHoldCount += static_cast<int>(paths_.size());
}

CommitHold::~CommitHold() {
    if (held_) releaseKeepingJournals();
}

namespace {

// Gives up the locks SQLite believes given up already, and ends the hold.
void endHold(const std::vector<std::string>& paths) {
    std::lock_guard guard(gMutex);
    for (const auto& path : paths) {
        holds().erase(path);
        auto [first, last] = openFiles().equal_range(path);
        for (auto it = first; it != last; ++it) {
            JFile* f = it->second;
            if (f->realLevel > f->pagerLevel &&
                f->real->pMethods->xUnlock(f->real, f->pagerLevel) == SQLITE_OK)
                f->realLevel = f->pagerLevel;
        }
    }
    gHoldCount -= static_cast<int>(paths.size());
}

} // namespace

bool CommitHold::releaseCommitted() {
    bool ok = true;
    std::vector<std::string> deletions;
    {
        std::lock_guard guard(gMutex);
        for (const auto& p : paths_) {
            auto& kept = holds()[p];
            deletions.insert(deletions.end(), kept.begin(), kept.end());
            kept.clear();
        }
    }
    // The journals go before the locks: a journal seen without a lock would be played back.
    for (const auto& j : deletions) {
        const int rc = gReal->xDelete(gReal, j.c_str(), 1);
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_DELETE_NOENT) ok = false;
    }
    endHold(paths_);
    held_ = false;
    return ok;
}

void CommitHold::releaseKeepingJournals() {
    endHold(paths_);
    held_ = false;
}

} // namespace engine::detail
