#pragma once

#include "runtime/Error.h"

#include <functional>
#include <string>

namespace runtime {

// File operations with the platform's error numbers. Names of existing files match
// without regard to case (see resolveCase).

// The error number of an errno: ENOENT 53, ENOTDIR 76, EACCES/EPERM/EROFS/EBUSY 70,
// ENOSPC/EDQUOT/EFBIG 61, EIO 57, ENODEV/ENXIO and lost network shares 68, ENOMEDIUM 71,
// EEXIST 58, EMFILE/ENFILE 67, ENAMETOOLONG 52, anything else 75.
int errnoToNumber(int errnum);
// The same as an Error; for ENOENT it looks at the folder of path: a missing folder is
// 76 (path not found), a missing file in an existing folder 53 (file not found).
Error errnoToError(int errnum, const std::string& path = {});
// 71, 70, 68, 57, 61 and 76: failures of the medium that a retry or another medium may cure.
bool isMediaError(int number);

// Copies src over dst. The copy is written beside dst, flushed to disk and then renamed
// over it, so dst is either the old file or the whole new one, never half a file.
void FileCopy(const std::string& src, const std::string& dst);
// Deletes a file; a missing one is error 53.
void Kill(const std::string& path);
// True when path (or its name in another case) is an existing regular file.
bool fileExists(const std::string& path);
// Renames src to dst, replacing dst atomically when both are on one file system.
void renameFile(const std::string& src, const std::string& dst);
// True when both paths name one existing file, by any name (links included); a missing
// file is the same as no other.
bool sameExistingFile(const std::string& a, const std::string& b);

// Test seam: a fault function consulted by every FileCopy once the source is open and
// the new copy has been written beside the target, before it replaces the target. A
// non-zero result makes the copy fail with that error number; the target stays as it
// was. 0 means no fault.
class FileOpsHooks {
public:
    using CopyFault = std::function<int(const std::string& src, const std::string& dst)>;
    // Gives back the fault function that was set before.
    static CopyFault setCopyFault(CopyFault fault);
    static void clearCopyFault() { setCopyFault(nullptr); }
    static int copyFault(const std::string& src, const std::string& dst);

    // The same for renameFile, consulted before the rename: a non-zero result makes it
    // fail with that number and leaves both names as they were.
    using RenameFault = CopyFault;
    static RenameFault setRenameFault(RenameFault fault);
    static int renameFault(const std::string& src, const std::string& dst);

    // Another fault function, consulted before each write and each flush of a new copy
    // (FileCopy, and the database copies of a backup) with the path being written. A
    // non-zero result fails that write or flush with that error number, as the medium
    // would; the target stays as it was.
    enum class CopyStep { Write, Sync };
    using CopyStepFault = std::function<int(CopyStep step, const std::string& path)>;
    static CopyStepFault setCopyStepFault(CopyStepFault fault);
    static int copyStepFault(CopyStep step, const std::string& path);
};

// Sets a copy fault for the lifetime of the object and restores the previous one.
class ScopedCopyFault {
public:
    explicit ScopedCopyFault(FileOpsHooks::CopyFault fault);
    // Every copy fails with this number.
    explicit ScopedCopyFault(int number);
    ~ScopedCopyFault();
    ScopedCopyFault(const ScopedCopyFault&) = delete;
    ScopedCopyFault& operator=(const ScopedCopyFault&) = delete;

private:
    FileOpsHooks::CopyFault previous_;
};

// Sets a rename fault for the lifetime of the object and restores the previous one.
class ScopedRenameFault {
public:
    explicit ScopedRenameFault(FileOpsHooks::RenameFault fault);
    ~ScopedRenameFault();
    ScopedRenameFault(const ScopedRenameFault&) = delete;
    ScopedRenameFault& operator=(const ScopedRenameFault&) = delete;

private:
    FileOpsHooks::RenameFault previous_;
};

// Sets a copy-step fault for the lifetime of the object and restores the previous one.
class ScopedCopyStepFault {
public:
    explicit ScopedCopyStepFault(FileOpsHooks::CopyStepFault fault);
    ~ScopedCopyStepFault();
    ScopedCopyStepFault(const ScopedCopyStepFault&) = delete;
    ScopedCopyStepFault& operator=(const ScopedCopyStepFault&) = delete;

private:
    FileOpsHooks::CopyStepFault previous_;
};

} // namespace runtime
