#include "app/ClientPathRule.h"

#include "app/FileNames.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"

namespace app {

ClientPaths deriveClientPaths(const std::string& persDbPath, const ClientPaths& current) {
    const std::string trimmed = runtime::Trim(persDbPath);
    if (trimmed.find('/') == std::string::npos) return current;
    std::string folder = runtime::folderOf(trimmed);
    if (folder == "/") folder.clear(); // the names bring their own separator
    return {runtime::joinPath(folder, kTrustDbName), runtime::joinPath(folder, kCompDbName)};
}

} // namespace app
