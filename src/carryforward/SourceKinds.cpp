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
        {"PI", 0, [](W& w) -> forms::Frame& { return w.frmPersImport; },
         [](W& w) {
             return std::array<forms::TextBox*, 3>{&w.Text1, &w.Text2, &w.Text3};
         },
         "Qolb2017LAN.MDB", "Locate File Name : Qolb2017LAN.MDB", "Qolb2017", "Qolb2017Cont",
         " Quolby 2017 Database not found!", "\\QB2017Path.Dll", &W::PrevYearDbPath,
         VersionFile::Chosen, "indxSurname", &W::SelectedPersNo, readIndividual, taxReferences,
         true, ImportSelAss_Personal, ImportWholeDB_Personal},
        {"TI", 1, [](W& w) -> forms::Frame& { return w.fraTrustImport; },
         [](W& w) {
             return std::array<forms::TextBox*, 3>{&w.Text8, &w.Text7, &w.Text6};
         },
         "QolbTrust2017Lan.Mdb", "Locate File Name : QolbTrust2017Lan.MDB", "TRUSTDetails", "",
         " Quolby 2017 Database not found!", "\\QB2017Path.Dll", &W::PrevYearDbPath,
         VersionFile::IndividualsBeside, "TrustNameIndex1", &W::SelectedTrustNo, readTrust, nullptr,
         false, ImportSelAss_Trust, ImportWholeDB_Trust},
        {"CI", 2, [](W& w) -> forms::Frame& { return w.fraCompImport; },
         [](W& w) {
             return std::array<forms::TextBox*, 3>{&w.Text5, &w.Text4, nullptr};
         },
         "QolbCompany2017Lan.MDB", "Locate File Name : QolbCompany2017Lan.MDB", "CompanyDetails",
         "", " Quolby 2017 Company Database not found!", "\\QB2017CompPath.Dll",
         &W::PrevYearCompDbPath, VersionFile::IndividualsBeside, "CompanyRegNameIndex1",
         &W::SelectedCompNo, readCompany, nullptr, false, ImportSelAss_Company,
         ImportWholeDB_Company},
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
