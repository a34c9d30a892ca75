#include "standalone/SourceFile.h"

#include "app/DatabaseHandles.h"
#include "app/ExclusiveDatabases.h"
#include "app/frmSysAdmin.h"
#include "runtime/Constants.h"
#include "runtime/FileOps.h"
#include "runtime/Paths.h"
#include "runtime/VariantOps.h"
#include "transfer/ClientKinds.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

namespace standalone {

namespace {

std::string canonicalLower(const std::string& path) {
    std::error_code ec;
    std::string out = std::filesystem::weakly_canonical(runtime::resolveCase(path), ec).string();
    if (ec) out = path;
    std::ranges::transform(out, out.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

} // namespace

std::string companyFileBeside(const std::string& individualsPath) {
    return runtime::joinPath(runtime::folderOf(individualsPath), "\\QolbCompany2018.Mdb");
}

std::string individualsCopyPath(const std::string& programFolder) {
    return runtime::joinPath(programFolder, "\\Qolb2018.Mdb");
}

std::string companiesCopyPath(const std::string& programFolder) {
    return runtime::joinPath(programFolder, "\\QolbCompany2018.MDB");
}

bool sameFile(const std::string& a, const std::string& b) {
    return canonicalLower(a) == canonicalLower(b);
}

std::optional<std::string> networkFileChosen(const app::frmSysAdmin& w) {
    for (const std::string* network : {&w.PersDbPath, &w.TrustDbPath})
        if (runtime::sameExistingFile(w.StandAlonePersDbPath, *network))
            return w.StandAlonePersDbPath;
    if (runtime::sameExistingFile(w.StandAloneCompDbPath, w.CompDbPath))
        return w.StandAloneCompDbPath;
    return std::nullopt;
}

std::optional<runtime::Error> individualsTableMissing(const std::string& path) {
    app::ClosedOnExit held;
    try {
        engine::Database& db = held.keep(app::defaultWorkspace().OpenDatabase(path));
        held.keep(db.OpenRecordset(transfer::individualClients().mainTable, engine::dbOpenTable));
        return std::nullopt;
    } catch (const runtime::Error& e) {
        return e;
    }
}

std::variant<runtime::Error, std::string> structureVersionText(const std::string& path,
                                                               bool exclusive) {
    app::ClosedOnExit held;
    try {
        engine::Database& db =
            held.keep(exclusive ? app::openExclusive(path)
                                : app::defaultWorkspace().OpenDatabase(path, false, true));
        engine::Recordset& options = held.keep(db.OpenRecordset("DefInvOpt", engine::dbOpenTable));
        const runtime::Variant v = options.Fields("UpDateDB").Value();
        if (runtime::IsNull(v)) return std::string();
        return runtime::CStr(v);
    } catch (const runtime::Error& e) {
        return e;
    }
}

bool versionAccepted(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= runtime::MinStandAloneDbVersion &&
           value <= 32767;
}

} // namespace standalone
