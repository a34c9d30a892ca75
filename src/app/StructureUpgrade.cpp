// The structure upgrade of the network client databases and the tax-year roll-forward.

#include "app/DatabaseHandles.h"
#include "app/OptionRows.h"
#include "app/StartupFault.h"
#include "app/frmSysAdmin.h"
#include "engine/EngineErrors.h"
#include "engine/Transaction.h"
#include "runtime/Constants.h"
#include "runtime/VariantOps.h"
#include "schema/StructureDefinitions.h"

namespace app {

namespace {

// The roll-forward statements, exactly as they are run.
constexpr const char* kIndividualsRollForward[] = {
    "UPDATE [Qolb2018] SET [PERS9] = 42795 WHERE PERS9 = 42430 ",
    "UPDATE [Qolb2018] SET [PERS10] = 43159 WHERE PERS10 = 42794  ",
    "UPDATE [CARALL] SET [TASD1] = 42795 WHERE TASD1 = 42430 ",
    "UPDATE [CARALL] SET [TAED1] = 43159 WHERE TAED1 = 42794  ",
};
constexpr const char* kTrustRollForward[] = {
    "UPDATE [TrustPropRentDetails] SET [TDateStart] = 42795 WHERE TDateStart = 42430 ",
    "UPDATE [TrustPropRentDetails] SET [TDateEnd] = 43159 WHERE TDateEnd = 42794  ",
};

// One contribution table of the older structure and where its entries go.
struct PensionColumns {
    const char* table;
    const char* older;
    const char* current;
};

constexpr PensionColumns kPensionTables[] = {
    {"PFCC", "Pension fund (current contributions)", "Pension fund (total contributions)"},
    {"ProvFund4003", "Current Provident Fund contributions", "Total Provident Fund contributions"},
    {"RACC", "Current R/A Fund contributions", "Total R/A Fund contributions"},
};

bool isMissingTable(const runtime::Error& e) {
    return e.number() == engine::err::ObjectNotFound ||
           e.number() == engine::err::InputTableNotFound;
}

// Moves the entries of one table across; applying it again changes nothing. A table that
// is missing or empty, or lacks a column of either structure, has nothing to move there.
// The table is done whole or not at all.
void movePensionEntries(engine::Database& db, engine::RecordsetPtr& rs,
                        const PensionColumns& columns) {
    try {
        rs = db.OpenRecordset(columns.table, engine::dbOpenTable);
    } catch (const runtime::Error& e) {
        if (isMissingTable(e)) return;
        throw;
    }
    const int older = rs->fieldOrdinal(columns.older);
    const int current = rs->fieldOrdinal(columns.current);
    const int taxpayer = rs->fieldOrdinal("Taxpayer contrib");
    const int total = rs->fieldOrdinal("Total contrib");
    const bool moveText = older >= 0 && current >= 0;
    const bool moveAmount = taxpayer >= 0 && total >= 0;
    if (rs->Eof() || (!moveText && !moveAmount)) {
        rs->Close();
        return;
    }

    engine::Transaction transaction(defaultWorkspace());
    rs->MoveFirst();
    while (!rs->Eof()) {
        if (moveText) {
            const runtime::Variant text = rs->Fields(older).Value();
            if (!text.isNull()) {
                rs->Edit();
                rs->Fields(current).setValue(text);
                rs->Update();
            }
        }
        if (moveAmount) {
            const runtime::Variant amount = rs->Fields(taxpayer).Value();
            if (!amount.isNull() && runtime::Gt(amount, std::int16_t{0})) {
                rs->Edit();
                rs->Fields(total).setValue(amount);
                rs->Fields(taxpayer).setValue(std::int16_t{0});
                rs->Update();
            }
        }
        rs->MoveNext();
    }
    transaction.commit();
    rs->Close();
}

} // namespace

bool frmSysAdmin::UpdatePensionTotals(runtime::PendingError& failure) {
    if (!failure.run([&] { ImportDB = defaultWorkspace().OpenDatabase(PersDbPath); })) return false;
    engine::RecordsetPtr* handles[] = {&MainRS, &SecondRS, &ThirdRS};
    bool moved = true;
    for (std::size_t i = 0; i < std::size(kPensionTables); ++i) {
        runtime::PendingError tableFailure;
        if (!tableFailure.run(
                [&] { movePensionEntries(*ImportDB, *handles[i], kPensionTables[i]); })) {
            // The first failure is the one reported; later tables still get their turn.
            if (moved) failure = tableFailure;
            moved = false;
        }
        closeQuietly(*handles[i]);
    }
    closeQuietly(ImportDB);
    return moved;
}

void frmSysAdmin::upgradeAndRollForward() {
    StartupFault fault(*this);
    closeQuietly(SysDB);
    closeWorkspaceQuietly();

    try {
        SysDB = defaultWorkspace().OpenDatabase(PersDbPath);
        MainRS = SysDB->OpenRecordset("DefInvOpt", engine::dbOpenTable);
        const std::optional<std::int16_t> stored = readStructureVersion(*MainRS);
        const std::int16_t version = stored.value_or(0);
        MainRS->Close();
        SysDB->Close();
        closeWorkspaceQuietly();

        if (version < runtime::CurNetDbVersion) {
            schema::MakeNewDb(PersDbPath, TrustDbPath, CompDbPath);
            bool upgraded = true;
            if (version <= 1) {
                runtime::PendingError failure;
                upgraded = UpdatePensionTotals(failure);
                if (!upgraded) fault.report(runtime::Error(failure.number(), failure.text()));
            }
            // The version goes up only once the upgrade is complete, so that a start that
            // failed part way tries again next time.
            if (upgraded) {
                SysDB = defaultWorkspace().OpenDatabase(PersDbPath);
                MainRS = SysDB->OpenRecordset("DefInvOpt", engine::dbOpenTable);
                recordStructureVersion(*MainRS, stored.has_value(), runtime::CurNetDbVersion,
                                       addClientOptionRow);
                MainRS->Close();
                SysDB->Close();
                closeWorkspaceQuietly();
            }
        }
    } catch (const runtime::Error& e) {
        fault.report(e);
        closeWorkspaceQuietly();
    }

    rollForwardTaxYear(fault);
}

void frmSysAdmin::rollForwardTaxYear(StartupFault& fault) {
    auto run = [&](const std::string& path, auto& statements) {
        try {
            ImportDB = defaultWorkspace().OpenDatabase(path);
        } catch (const runtime::Error& e) {
            fault.report(e);
            return;
        }
        for (const char* sql : statements) {
            try {
                ImportDB->Execute(sql);
            } catch (const runtime::Error& e) {
                fault.report(e);
            }
        }
        closeQuietly(ImportDB);
        closeWorkspaceQuietly();
    };
    run(PersDbPath, kIndividualsRollForward);
    run(TrustDbPath, kTrustRollForward);
}

} // namespace app
