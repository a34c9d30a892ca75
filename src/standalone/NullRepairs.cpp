#include "standalone/NullRepairs.h"

#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"
#include "engine/Transaction.h"
#include "runtime/Constants.h"
#include "schema/SchemaTables.h"
#include "transfer/SqlText.h"

#include <algorithm>
#include <stdexcept>

namespace standalone {

namespace {

using transfer::bracketed;

constexpr std::string_view kTrustTable = "TRUSTDetails";
constexpr std::string_view kFirstPracticeField = "TrustsSARSOffice";
constexpr std::string_view kTestedField = "ProvTaxPaidTrusts1";

std::string emptyValue(schema::FieldType type) {
    switch (type) {
    case schema::FieldType::Text:
    case schema::FieldType::Memo:
        return "''";
    case schema::FieldType::Date:
        return std::to_string(runtime::NoDateValue);
    default:
        return "0";
    }
}

} // namespace

long fixNullField(const std::string& path, std::string_view table, std::string_view field) {
    app::ClosedOnExit held;
    engine::Database& db = held.keep(app::defaultWorkspace().OpenDatabase(path));
    engine::Transaction transaction;
    db.Execute("UPDATE " + bracketed(table) + " SET " + bracketed(field) + " = 0 WHERE " +
               bracketed(field) + " IS NULL");
    const long rows = db.RecordsAffected();
    transaction.commit();
    return rows;
}

void FixNull_IRP5TOT3915(app::frmSysAdmin& w) {
    fixNullField(w.PersDbPath, "IRP5IncDed", "IRP5TOT3915");
}
void FixNull_LocDivTaxFree(app::frmSysAdmin& w) {
    fixNullField(w.PersDbPath, "Qolb2018Cont", "LocDivTaxFree");
}
void FixNull_Employer4475(app::frmSysAdmin& w) {
    fixNullField(w.PersDbPath, "Qolb2018", "Employer4475");
}

std::vector<schema::FieldSpec> trustPracticeFields() {
    for (const schema::TableSpec& t : schema::trustDbTables()) {
        if (t.name != kTrustTable) continue;
        const std::vector<schema::FieldSpec> all = schema::createdFields(t);
        const auto first = std::ranges::find(all, kFirstPracticeField, &schema::FieldSpec::name);
        return {first, all.end()};
    }
    throw std::logic_error("no trust main table");
}

void FixNull_TrustDetails(app::frmSysAdmin& w) {
    app::ClosedOnExit held;
    engine::Database& db = held.keep(app::defaultWorkspace().OpenDatabase(w.TrustDbPath));
    engine::Transaction transaction;
    const std::string tested = bracketed(kTestedField);
    // The tested field last: until then it still picks the rows to repair.
    std::vector<schema::FieldSpec> fields = trustPracticeFields();
    std::ranges::stable_partition(
        fields, [](const schema::FieldSpec& f) { return f.name != kTestedField; });
    for (const schema::FieldSpec& f : fields) {
        const std::string name = bracketed(f.name);
        std::string sql = "UPDATE " + bracketed(kTrustTable) + " SET " + name + " = " +
                          emptyValue(f.type) + " WHERE " + name + " IS NULL";
        if (f.name != kTestedField) sql += " AND " + tested + " IS NULL";
        db.Execute(sql);
    }
    transaction.commit();
}

} // namespace standalone
