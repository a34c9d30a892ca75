#include "carryforward/SourceKinds.h"

#include "app/frmSysAdmin.h"
#include "carryforward/Imports.h"
#include "runtime/Strings.h"
#include "runtime/VariantOps.h"

#include <vector>

namespace carryforward {

namespace {

using runtime::Variant;

Variant field(engine::Recordset& rs, std::string_view name) {
    return rs.Fields(name).Value();
}

// The text of a value as a box or a row shows it: Null shows as nothing.
bool isBlank(const Variant& v) {
    return runtime::Concat(v, Variant("")).empty();
}

// The individuals' tax references: for each client number, the four parts of its first
// continuation row joined by "/", or by blanks when the first part is empty. One query for
// the whole file rather than a search per client, each of which would read the file under
// a lock of its own.
References taxReferences(engine::Database& db) {
    References out;
    const engine::RecordsetPtr rs =
        db.OpenRecordset("SELECT [DCLNO], [TaxRefNo_1], [TaxRefNo_2], [TaxRefNo_3], [TaxRefNo_4] "
                         "FROM [Qolb2017Cont]");
    for (; !rs->Eof(); rs->MoveNext()) {
        const Variant number = rs->Fields(0).Value();
        if (runtime::IsNull(number)) continue;
        const Variant first = rs->Fields(1).Value();
        const Variant sep(isBlank(first) ? " " : "/");
        out.emplace(runtime::CDbl(number),
                    Variant(runtime::Concat(first, sep, rs->Fields(2).Value(), sep,
                                            rs->Fields(3).Value(), sep, rs->Fields(4).Value())));
    }
    rs->Close();
    return out;
}

// A client without a continuation row has no reference.
Variant referenceOf(const References& references, const Variant& number) {
    if (runtime::IsNull(number)) return Variant("");
    const auto it = references.find(runtime::CDbl(number));
    return it == references.end() ? Variant("") : it->second;
}

ListedClient readIndividual(engine::Recordset& main, const References& references) {
    const Variant initials = field(main, "PERS2");
    const Variant surname = field(main, "Surname");
    ListedClient c;
    c.number = field(main, "DCLNO");
    // "+" so that a missing part leaves no name at all rather than half of one.
    c.name = runtime::Add(runtime::Add(initials, Variant(" ")), surname);
    c.reference = referenceOf(references, c.number);
    c.description = field(main, "Desc");
    const Variant blank(" ");
    c.rowText = runtime::Concat(surname, blank, initials, blank, c.reference, blank, c.description);
    return c;
}

ListedClient readTrust(engine::Recordset& main, const References&) {
    ListedClient c;
    c.number = field(main, "TDCLNO");
    c.name = field(main, "TrustName");
    c.reference = field(main, "TrustRegNo");
    c.description = field(main, "TrustTaxNo");
    const Variant blank(" ");
    c.rowText = runtime::Concat(c.name, blank, c.reference, blank, c.description);
    return c;
}

ListedClient readCompany(engine::Recordset& main, const References&) {
    ListedClient c;
    c.number = field(main, "CDCLNO");
    c.name = field(main, "CompanyRegName");
    c.reference = field(main, "CompanyRegNo");
    c.rowText = runtime::Concat(c.name, Variant(" "), c.reference);
    return c;
}

using W = app::frmSysAdmin;

const std::vector<SourceKind>& kinds() {
    static const std::vector<SourceKind> all{
        {.code = "PI",
         .option = 0,
         .frame = [](W& w) -> forms::Frame& { return w.frmPersImport; },
         .boxes =
             [](W& w) {
                 return std::array<forms::TextBox*, 3>{&w.Text1, &w.Text2, &w.Text3};
             },
         .fileName = "Qolb2017LAN.MDB",
         .dialogTitle = "Locate File Name : Qolb2017LAN.MDB",
         .mainTable = "Qolb2017",
         .continuationTable = "Qolb2017Cont",
         .wrongFileTitle = " Quolby 2017 Database not found!",
         .pathFile = "\\QB2017Path.Dll",
         .path = &W::PrevYearDbPath,
         .versionFile = VersionFile::Chosen,
         .listIndex = "indxSurname",
         .selected = &W::SelectedPersNo,
         .read = readIndividual,
         .readReferences = taxReferences,
         .importsFromEmptyFile = true,
         .importSelected = ImportSelAss_Personal,
         .importWhole = ImportWholeDB_Personal},
        {.code = "TI",
         .option = 1,
         .frame = [](W& w) -> forms::Frame& { return w.fraTrustImport; },
         .boxes =
             [](W& w) {
                 return std::array<forms::TextBox*, 3>{&w.Text8, &w.Text7, &w.Text6};
             },
         .fileName = "QolbTrust2017Lan.Mdb",
         .dialogTitle = "Locate File Name : QolbTrust2017Lan.MDB",
         .mainTable = "TRUSTDetails",
         .continuationTable = "",
         .wrongFileTitle = " Quolby 2017 Database not found!",
         .pathFile = "\\QB2017Path.Dll",
         .path = &W::PrevYearDbPath,
         .versionFile = VersionFile::IndividualsBeside,
         .listIndex = "TrustNameIndex1",
         .selected = &W::SelectedTrustNo,
         .read = readTrust,
         .readReferences = nullptr,
         .importsFromEmptyFile = false,
         .importSelected = ImportSelAss_Trust,
         .importWhole = ImportWholeDB_Trust},
        {.code = "CI",
         .option = 2,
         .frame = [](W& w) -> forms::Frame& { return w.fraCompImport; },
         .boxes =
             [](W& w) {
                 return std::array<forms::TextBox*, 3>{&w.Text5, &w.Text4, nullptr};
             },
         .fileName = "QolbCompany2017Lan.MDB",
         .dialogTitle = "Locate File Name : QolbCompany2017Lan.MDB",
         .mainTable = "CompanyDetails",
         .continuationTable = "",
         .wrongFileTitle = " Quolby 2017 Company Database not found!",
         .pathFile = "\\QB2017CompPath.Dll",
         .path = &W::PrevYearCompDbPath,
         .versionFile = VersionFile::IndividualsBeside,
         .listIndex = "CompanyRegNameIndex1",
         .selected = &W::SelectedCompNo,
         .read = readCompany,
         .readReferences = nullptr,
         .importsFromEmptyFile = false,
         .importSelected = ImportSelAss_Company,
         .importWhole = ImportWholeDB_Company},
    };
    return all;
}

} // namespace

const SourceKind* kindNamed(std::string_view importKind) {
    for (const SourceKind& k : kinds())
        if (runtime::equalsNoCase(k.code, importKind)) return &k;
    return nullptr;
}

const SourceKind* kindOfOption(int index) {
    for (const SourceKind& k : kinds())
        if (k.option == index) return &k;
    return nullptr;
}

} // namespace carryforward
