// An SQLite file system that passes every call through to the one it wraps and reports
// each write and sync of a database file or journal to FaultPoints, failing the ones it
// is told to fail. A sync reaches the disk only as far as the page cache: no test here
// cuts the power, and a kill -9 leaves the page cache as it was.
#include "FaultPoints.h"

#include <algorithm>
#include <sqlite3.h>
#include <stdexcept>

namespace faults {

namespace {

sqlite3_vfs* base = nullptr; // the default file system before the shim

struct ShimFile {
    sqlite3_file head;  // pMethods: one of the shim's tables below
    bool counted;       // a main database, main journal or super-journal
    const char* name;   // SQLite keeps it alive while the file is open
    sqlite3_file* real; // the wrapped file, allocated right after this struct
};

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<ShimFile*>(f)->real;
}

bool failHere(sqlite3_file* f) {
    const auto* shim = reinterpret_cast<ShimFile*>(f);
    return shim->counted && FaultPoints::hit(shim->name ? shim->name : "");
}

// --- io methods: each hands the call to the wrapped file ---

int xClose(sqlite3_file* f) {
    sqlite3_file* r = real(f);
    const int rc = r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
    f->pMethods = nullptr;
    return rc;
}
int xRead(sqlite3_file* f, void* buf, int amount, sqlite3_int64 offset) {
    return real(f)->pMethods->xRead(real(f), buf, amount, offset);
}
int xWrite(sqlite3_file* f, const void* buf, int amount, sqlite3_int64 offset) {
    if (failHere(f)) return SQLITE_IOERR_WRITE;
    return real(f)->pMethods->xWrite(real(f), buf, amount, offset);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return real(f)->pMethods->xTruncate(real(f), size);
}
int xSync(sqlite3_file* f, int) {
    return failHere(f) ? SQLITE_IOERR_FSYNC : SQLITE_OK;
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int xLock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xLock(real(f), level);
}
int xUnlock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xUnlock(real(f), level);
}
int xCheckReservedLock(sqlite3_file* f, int* out) {
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int xFileControl(sqlite3_file* f, int op, void* arg) {
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int xSectorSize(sqlite3_file* f) {
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file* f) {
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file* f, int deleteFlag) {
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}
int xFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return real(f)->pMethods->xFetch(real(f), offset, amount, out);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
    return real(f)->pMethods->xUnfetch(real(f), offset, p);
}

// One table per version of the io methods, so that the shim offers exactly the methods
// the wrapped file offers.
sqlite3_io_methods methodsOfVersion(int version) {
    sqlite3_io_methods m{};
    m.iVersion = version;
    m.xClose = xClose;
    m.xRead = xRead;
    m.xWrite = xWrite;
    m.xTruncate = xTruncate;
    m.xSync = xSync;
    m.xFileSize = xFileSize;
    m.xLock = xLock;
    m.xUnlock = xUnlock;
    m.xCheckReservedLock = xCheckReservedLock;
    m.xFileControl = xFileControl;
    m.xSectorSize = xSectorSize;
    m.xDeviceCharacteristics = xDeviceCharacteristics;
    if (version >= 2) {
        m.xShmMap = xShmMap;
        m.xShmLock = xShmLock;
        m.xShmBarrier = xShmBarrier;
        m.xShmUnmap = xShmUnmap;
    }
    if (version >= 3) {
        m.xFetch = xFetch;
        m.xUnfetch = xUnfetch;
    }
    return m;
}

// A later version than 3 is offered as version 3: the methods it adds are not known here.
const sqlite3_io_methods* methodsLike(const sqlite3_io_methods* realMethods) {
    static const sqlite3_io_methods tables[] = {methodsOfVersion(1), methodsOfVersion(2),
                                                methodsOfVersion(3)};
    if (!realMethods) return nullptr;
    return &tables[std::clamp(realMethods->iVersion, 1, 3) - 1];
}

// --- the file system's methods ---

int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    auto* shim = reinterpret_cast<ShimFile*>(f);
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    shim->real->pMethods = nullptr;
    shim->name = name;
    shim->counted =
        (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_SUPER_JOURNAL)) != 0;
    const int rc = base->xOpen(base, name, shim->real, flags, outFlags);
    // A method table set on failure still gets its xClose: keep the two in step.
    f->pMethods = methodsLike(shim->real->pMethods);
    return rc;
}
int xDelete(sqlite3_vfs*, const char* name, int syncDir) {
    return base->xDelete(base, name, syncDir);
}
int xAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
    return base->xAccess(base, name, flags, out);
}
int xFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return base->xFullPathname(base, name, size, out);
}
void* xDlOpen(sqlite3_vfs*, const char* name) {
    return base->xDlOpen(base, name);
}
void xDlError(sqlite3_vfs*, int size, char* out) {
    base->xDlError(base, size, out);
}
void (*xDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return base->xDlSym(base, handle, symbol);
}
void xDlClose(sqlite3_vfs*, void* handle) {
    base->xDlClose(base, handle);
}
int xRandomness(sqlite3_vfs*, int size, char* out) {
    return base->xRandomness(base, size, out);
}
int xSleep(sqlite3_vfs*, int microseconds) {
    return base->xSleep(base, microseconds);
}
int xCurrentTime(sqlite3_vfs*, double* out) {
    return base->xCurrentTime(base, out);
}
int xGetLastError(sqlite3_vfs*, int size, char* out) {
    return base->xGetLastError ? base->xGetLastError(base, size, out) : 0;
}
int xCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return base->xCurrentTimeInt64(base, out);
}
int xSetSystemCall(sqlite3_vfs*, const char* name, sqlite3_syscall_ptr call) {
    return base->xSetSystemCall(base, name, call);
}
sqlite3_syscall_ptr xGetSystemCall(sqlite3_vfs*, const char* name) {
    return base->xGetSystemCall(base, name);
}
const char* xNextSystemCall(sqlite3_vfs*, const char* name) {
    return base->xNextSystemCall(base, name);
}

} // namespace

void installSqliteShim() {
    static sqlite3_vfs shim{};
    if (sqlite3_initialize() != SQLITE_OK) throw std::runtime_error("sqlite3_initialize");
    base = sqlite3_vfs_find(nullptr);
    if (!base) throw std::runtime_error("no default SQLite file system");
    shim.iVersion = base->iVersion;
    shim.szOsFile = static_cast<int>(sizeof(ShimFile)) + base->szOsFile;
    shim.mxPathname = base->mxPathname;
    shim.zName = "faults";
    shim.xOpen = xOpen;
    shim.xDelete = xDelete;
    shim.xAccess = xAccess;
    shim.xFullPathname = xFullPathname;
    shim.xDlOpen = xDlOpen;
    shim.xDlError = xDlError;
    shim.xDlSym = xDlSym;
    shim.xDlClose = xDlClose;
    shim.xRandomness = xRandomness;
    shim.xSleep = xSleep;
    shim.xCurrentTime = xCurrentTime;
    shim.xGetLastError = xGetLastError;
    if (shim.iVersion >= 2) shim.xCurrentTimeInt64 = xCurrentTimeInt64;
    if (shim.iVersion >= 3) {
        shim.xSetSystemCall = xSetSystemCall;
        shim.xGetSystemCall = xGetSystemCall;
        shim.xNextSystemCall = xNextSystemCall;
    }
    if (sqlite3_vfs_register(&shim, 1) != SQLITE_OK)
        throw std::runtime_error("cannot register the fault file system");
}

} // namespace faults
