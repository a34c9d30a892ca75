#include "clearing/BackupSet.h"

#include "runtime/Paths.h"
#include "runtime/Strings.h"

#include <filesystem>

namespace clearing {

namespace {

// A file of the set in a folder, in the spelling the file already has there. A path
// without a folder yields no place at all: its copy then fails as "path not found".
std::string inFolder(const std::string& folder, std::string_view name) {
    if (folder.empty()) return {};
    // The root folder: the name's own backslash is the one separator.
    return runtime::resolveCase(runtime::joinPath(folder == "/" ? "" : folder, name));
}

// One file: the same by any name (links included), or the same canonical folder and a
// name that differs only in case, which the system takes for one file.
bool samePlace(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    const fs::path ca = fs::weakly_canonical(a, ec);
    if (ec) return false;
    const fs::path cb = fs::weakly_canonical(b, ec);
    if (ec) return false;
    return ca.parent_path() == cb.parent_path() &&
           runtime::equalsNoCase(ca.filename().string(), cb.filename().string());
}

} // namespace

std::string networkFolder(const std::string& persDbPath) {
    return runtime::folderOf(persDbPath);
}

std::vector<CopyStep> backupSteps(const std::string& persDbPath, const std::string& targetFile) {
    const std::string from = networkFolder(persDbPath);
    const std::string to = runtime::folderOf(targetFile);
    std::vector<CopyStep> steps;
    steps.push_back({inFolder(from, kBackupSetNames[0]), runtime::Trim(targetFile)});
    for (std::size_t i = 1; i < kBackupSetNames.size(); ++i)
        steps.push_back({inFolder(from, kBackupSetNames[i]), inFolder(to, kBackupSetNames[i])});
    return steps;
}

std::optional<std::string> targetThatIsASource(const std::vector<CopyStep>& steps) {
    for (const CopyStep& to : steps)
        for (const CopyStep& from : steps)
            if (samePlace(to.target, from.source)) return to.target;
    return std::nullopt;
}

std::vector<CopyStep> restoreSteps(const std::string& sourceFile, const std::string& persDbPath) {
    const std::string from = runtime::folderOf(sourceFile);
    const std::string to = networkFolder(persDbPath);
    std::vector<CopyStep> steps;
    steps.push_back({runtime::Trim(sourceFile), inFolder(to, kBackupSetNames[0])});
    for (std::size_t i = 1; i < kBackupSetNames.size(); ++i)
        steps.push_back({inFolder(from, kBackupSetNames[i]), inFolder(to, kBackupSetNames[i])});
    return steps;
}

} // namespace clearing
