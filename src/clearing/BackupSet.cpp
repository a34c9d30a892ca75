#include "clearing/BackupSet.h"

#include "runtime/Paths.h"
#include "runtime/Strings.h"

namespace clearing {

namespace {

// A file of the set in a folder, in the spelling the file already has there. A path
// without a folder yields no place at all: its copy then fails as "path not found".
std::string inFolder(const std::string& folder, std::string_view name) {
    if (folder.empty()) return {};
    // The root folder: the name's own backslash is the one separator.
    return runtime::resolveCase(runtime::joinPath(folder == "/" ? "" : folder, name));
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
