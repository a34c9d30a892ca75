#pragma once

// The files of a few folders as they stand at one moment, kept in memory to be put back
// later, in the same folders or in others of the same shape. A kill -9 leaves a file as
// its last completed write left it, so a copy taken just before a write stands for the
// files a kill at that write would leave.

#include <memory>
#include <string>
#include <vector>

namespace faults {

class FolderSnapshot {
public:
    FolderSnapshot() = default;

    // Every file and folder under each of `folders`. A file whose bytes are those it had in
    // `earlier` (taken of the same folders) shares them, so a run of copies costs about
    // what changed between them.
    static FolderSnapshot take(const std::vector<std::string>& folders,
                               const FolderSnapshot* earlier = nullptr);

    // Empties each of `folders` (as many as were taken) and puts the files back in them.
    void restoreInto(const std::vector<std::string>& folders) const;

private:
    struct Entry {
        std::size_t folder;                       // index into the folders taken
        std::string relative;                     // path under that folder
        std::shared_ptr<const std::string> bytes; // none for a folder
    };
    std::vector<Entry> entries_;
};

} // namespace faults
