#include "runtime/Paths.h"

#include "runtime/Strings.h"

#include <filesystem>
#include <sys/stat.h>

namespace runtime {

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string tail(name);
    for (char& c : tail)
        if (c == '\\') c = '/';
    std::string out(folder);
    if (!tail.empty() && tail.front() != '/' && !out.empty() && out.back() != '/') out += '/';
    return out + tail;
}

std::string folderOf(std::string_view path) {
    std::string p = Trim(path);
    auto slash = p.find_last_of('/');
    if (slash == std::string::npos) return {};
    p.resize(slash);
    while (!p.empty() && p.back() == '/')
        p.pop_back();
    return p.empty() ? "/" : p;
}

std::string fileNameOf(std::string_view path) {
    std::string p = Trim(path);
    auto slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string resolveCase(const std::string& path) {
    struct stat st {};
    if (path.empty() || lstat(path.c_str(), &st) == 0) return path;
    auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return path;
    std::string dir = slash == std::string::npos ? std::string(".")
                      : slash == 0               ? std::string("/")
                                                 : path.substr(0, slash);

    std::error_code ec;
    std::string match;
    int matches = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        std::string candidate = entry.path().filename().string();
        if (equalsNoCase(candidate, name)) {
            match = candidate;
            ++matches;
        }
    }
    // Two names that differ only in case cannot be told apart: leave the choice alone.
    if (ec || matches != 1) return path;
    return path.substr(0, slash == std::string::npos ? 0 : slash + 1) + match;
}

} // namespace runtime
