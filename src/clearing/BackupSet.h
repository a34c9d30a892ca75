#pragma once

// The four database files a backup copies, and where each copy comes from and goes to.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clearing {

// The backup set in copy order: individuals, trusts, companies, system database. Each
// name is appended to a folder; existing files match it without regard to case.
inline constexpr std::array<std::string_view, 4> kBackupSetNames{
    "\\Qolb2018LAN.Mdb", "\\QolbTrust2018Lan.Mdb", "\\QolbCompany2018Lan.Mdb",
    "\\SysAdmin2018.Mdb"};

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
