// Default locations in the program folder and the two path files that keep the actual
// ones between runs.

#include "app/FileNames.h"
#include "app/PathFileValues.h"
#include "app/frmSysAdmin.h"
#include "runtime/AtomicFile.h"
#include "runtime/CaseFold.h"
#include "runtime/FileOps.h"
#include "runtime/PathFile.h"
#include "runtime/Paths.h"

namespace app {

namespace {

// A path file that cannot be written stays as it was; the paths in memory stay in force.
void writeQuietly(const std::string& file, const std::vector<std::string>& values) {
    try {
        runtime::writePathFile(file, values);
    } catch (const runtime::Error&) {
    }
}

// A first start killed after it wrote the path files but before it made the first database
// leaves a path file that names the default files, none of which exists. That is no
// network out of reach but a first start not finished: the next start finishes it.
bool namesOnlyMissingDefaults(const std::vector<std::string>& values,
                              const std::vector<std::string>& defaults) {
    if (values.size() != defaults.size()) return false;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (runtime::foldCase(values[i]) != runtime::foldCase(defaults[i]) ||
            runtime::fileExists(values[i]))
            return false;
    return true;
}

} // namespace

void writeProgramPathFile(const std::string& programFolder, std::string_view fileName,
                          const std::vector<std::string>& values) {
    writeQuietly(runtime::joinPath(programFolder, fileName), values);
}

runtime::PathFileContent readProgramPathFile(const std::string& programFolder,
                                             std::string_view fileName) {
    runtime::PathFileContent content =
        runtime::readPathFile(runtime::joinPath(programFolder, fileName));
    for (std::string& value : content.values)
        if (!value.empty() && value.front() != '/') value = runtime::joinPath(programFolder, value);
    return content;
}

void frmSysAdmin::setDefaultLocations() {
    const std::string folder = programFolder();
    SysAdminDbPath = runtime::joinPath(folder, kSysAdminDbName);
    PersDbPath = runtime::joinPath(folder, kPersDbName);
    TrustDbPath = runtime::joinPath(folder, kTrustDbName);
    CompDbPath = runtime::joinPath(folder, kCompDbName);
    TransPersDbPath = runtime::joinPath(folder, kTransPersDbName);
    TransTrustDbPath = runtime::joinPath(folder, kTransTrustDbName);
    TransCompDbPath = runtime::joinPath(folder, kTransCompDbName);
}

bool frmSysAdmin::readPathFiles() {
    const std::string folder = programFolder();

    const std::string sysFile = runtime::joinPath(folder, kSysPathFileName);
    const std::string clientFile = runtime::joinPath(folder, kClientPathFileName);
    // A start killed while writing a path file left its new version beside it.
    runtime::AtomicFile::removeLeftovers(sysFile);
    runtime::AtomicFile::removeLeftovers(clientFile);

    const runtime::PathFileContent sys = readProgramPathFile(folder, kSysPathFileName);
    if (!sys.opened) {
        writeQuietly(sysFile, {SysAdminDbPath});
    } else if (sys.hasContent && !sys.values.empty()) {
        SysAdminDbPath = sys.values[0];
    }
    // An empty file stays empty: the locating phase asks for the location.

    const runtime::PathFileContent client = readProgramPathFile(folder, kClientPathFileName);
    if (!client.opened) {
        writeQuietly(clientFile, {PersDbPath, TrustDbPath, CompDbPath});
        return true;
    }
    if (!client.hasContent) return true;
    if (namesOnlyMissingDefaults(client.values, {PersDbPath, TrustDbPath, CompDbPath})) return true;
    // Values are taken as they stand; a file with fewer values leaves the rest as they were.
    std::string* targets[] = {&PersDbPath, &TrustDbPath, &CompDbPath};
    for (std::size_t i = 0; i < 3 && i < client.values.size(); ++i)
        *targets[i] = client.values[i];
    return false;
}

void frmSysAdmin::writeSystemPathFile() {
    writeProgramPathFile(programFolder(), kSysPathFileName, {SysAdminDbPath});
}

void frmSysAdmin::writeClientPathFile() {
    writeProgramPathFile(programFolder(), kClientPathFileName,
                         {PersDbPath, TrustDbPath, CompDbPath});
}

} // namespace app
