#pragma once

// The three kinds of last year's client the previous-year page carries forward, and
// everything that depends on the kind, as data: the option that chooses it, its detail
// frame and boxes, its file dialog, the tables that prove the file is the right one, its
// path file, the file whose structure version is tested, how its clients are listed, and
// the imports its buttons start.

#include "engine/Dao.h"
#include "runtime/Variant.h"

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

namespace app {
class frmSysAdmin;
}
namespace forms {
class Frame;
class TextBox;
} // namespace forms

namespace carryforward {

// Which file's structure version stands for the chosen one.
enum class VersionFile {
    Chosen,            // the chosen file carries its own
    IndividualsBeside, // the individuals file in the chosen file's folder
};

// One client as listed: its number and the texts shown for it (each may be Null).
struct ListedClient {
    runtime::Variant number, name, reference, description;
    std::string rowText;
};

// What the continuation table adds to a listed client (the individual's tax reference),
// by client number.
using References = std::unordered_map<double, runtime::Variant>;
// The client of the main table's current row.
using ReadClient = ListedClient (*)(engine::Recordset& main, const References& references);
using Import = void (*)(app::frmSysAdmin& w);

struct SourceKind {
    std::string_view code; // ImportKind
    int option;            // index of optWhichDBImport
    forms::Frame& (*frame)(app::frmSysAdmin& w);
    // Name, reference and description boxes; the description box may be nullptr.
    std::array<forms::TextBox*, 3> (*boxes)(app::frmSysAdmin& w);

    std::string_view fileName; // proposed by the dialog
    std::string_view dialogTitle;
    std::string_view mainTable;
    std::string_view continuationTable; // "" when the kind has none
    std::string_view wrongFileTitle;
    std::string_view pathFile; // in the program folder
    std::string app::frmSysAdmin::*path;
    VersionFile versionFile;

    std::string_view listIndex; // the order of the listing
    double app::frmSysAdmin::*selected;
    ReadClient read;
    // Reads the continuation table of the file in one pass; nullptr when the kind has none.
    References (*readReferences)(engine::Database& db);
    // Whether a file without clients still offers the imports (they then say it is empty).
    bool importsFromEmptyFile;

    Import importSelected;
    Import importWhole;
};

// The kind ImportKind names, compared without regard to case; nullptr for none.
const SourceKind* kindNamed(std::string_view importKind);
// The kind of option `index`; nullptr for none.
const SourceKind* kindOfOption(int index);

// Where last year's files are looked for first.
inline constexpr std::string_view kSourceFolder = "QB2017 SysAdmin";
// The file that carries last year's structure version.
inline constexpr std::string_view kVersionFileName = "\\Qolb2017LAN.MDB";
inline constexpr int kMinPrevYearDbVersion = 6;

} // namespace carryforward
