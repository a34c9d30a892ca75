#include "FolderSnapshot.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace faults {

namespace fs = std::filesystem;

namespace {

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

} // namespace

FolderSnapshot FolderSnapshot::take(const std::vector<std::string>& folders,
                                    const FolderSnapshot* earlier) {
    std::map<std::pair<std::size_t, std::string>, std::shared_ptr<const std::string>> known;
    if (earlier)
        for (const Entry& e : earlier->entries_)
            if (e.bytes) known[{e.folder, e.relative}] = e.bytes;
    FolderSnapshot out;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        // In name order, so that folders come before what they hold.
        std::vector<fs::path> paths(fs::recursive_directory_iterator(folders[i]), {});
        std::sort(paths.begin(), paths.end());
        for (const fs::path& path : paths) {
            Entry e{i, fs::relative(path, folders[i]).string(), nullptr};
            if (!fs::is_directory(path)) {
                std::string now = bytesOf(path);
                const auto same = known.find({i, e.relative});
                e.bytes = same != known.end() && *same->second == now
                              ? same->second
                              : std::make_shared<const std::string>(std::move(now));
            }
            out.entries_.push_back(std::move(e));
        }
    }
    return out;
}

void FolderSnapshot::restoreInto(const std::vector<std::string>& folders) const {
    for (const std::string& folder : folders)
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            fs::remove_all(entry.path());
    for (const Entry& e : entries_) {
        const fs::path path = fs::path(folders.at(e.folder)) / e.relative;
        if (e.bytes)
            write(path, *e.bytes);
        else
            fs::create_directory(path);
    }
}

} // namespace faults
