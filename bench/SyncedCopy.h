#pragma once

// A fresh copy of a benchmark's base file whose pages have reached the disk before the
// clock starts, so that the first sync of the work being timed is not charged with writing
// out a whole file it did not write.

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace bench {

inline void syncedCopy(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    const int fd = ::open(to.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace bench
