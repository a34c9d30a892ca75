#pragma once

// The four database files a backup copies, and where each copy comes from and goes to.

#include "app/FileNames.h"

#include <optional>
#include <string>
#include <vector>

namespace clearing {

using app::kBackupSetNames;

// One file to copy.
struct CopyStep {
    std::string source;
    std::string target;
};

// The network folder of all four files: the folder of the individuals database.
std::string networkFolder(const std::string& persDbPath);

// Backup: the individuals file goes to the chosen file exactly as chosen, the other three
// under their own names into the chosen file's folder.
std::vector<CopyStep> backupSteps(const std::string& persDbPath, const std::string& targetFile);

// The first target that is also a source of the same steps (one file, whatever the case
// of its name or the links on its way), if any: copying there would overwrite a database
// with another before it has been copied itself.
std::optional<std::string> targetThatIsASource(const std::vector<CopyStep>& steps);

// Restore: the chosen file becomes the individuals file of the network folder, the other
// three come from the chosen file's folder under their own names.
std::vector<CopyStep> restoreSteps(const std::string& sourceFile, const std::string& persDbPath);

} // namespace clearing
