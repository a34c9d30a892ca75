#include "transfer/ClientsDetailCopies.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "transfer/SqlText.h"

#include <optional>

namespace transfer {

namespace {

const NumberMapTable kMap{"ClientNoMap", "OldNo", "NewNo"};

long rowsOf(const std::vector<CopiedRows>& copies) {
    long rows = 0;
    for (const CopiedRows& c : copies)
        rows += c.rows;
    return rows;
}

// The first client of `clients` whose own rows `plan` cannot copy, found by copying them one
// by one (the transaction that undoes them is about to roll back); none when each copies.
std::optional<double> refusedClient(const CopyPlan& plan, engine::Database& from,
                                    const std::string& targetPath, const ClientSelection& clients) {
    engine::RecordsetPtr numbers = from.OpenRecordset(
        "SELECT DISTINCT " + bracketed(clients.column) + " FROM " + bracketed(clients.table) +
            " WHERE " + clients.condition + " ORDER BY " + bracketed(clients.column),
        engine::dbOpenDynaset);
    for (; !numbers->Eof(); numbers->MoveNext()) {
        const double number = runtime::CDbl(numbers->Fields(0).Value());
        const ClientCopyStatement one = clientCopyStatement(plan, targetPath, number, number);
        try {
            from.Execute(one.sql, one.parameters);
        } catch (const runtime::Error&) {
            return number;
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<CopiedRows> copyClientsDetails(const std::vector<CopyPlan>& plans,
                                           engine::Database& from, const std::string& targetPath,
                                           const ClientSelection& clients) {
    std::vector<CopiedRows> out;
    for (const CopyPlan& plan : plans) {
        const ClientCopyStatement s = clientsCopyStatement(plan, targetPath, clients);
        try {
            out.push_back({plan.target, copyRows(from, s, plan.target)});
        } catch (const ImportStepError& e) {
            if (!refusesARow(e)) throw;
            const std::optional<double> client = refusedClient(plan, from, targetPath, clients);
            if (!client) throw;
            throw ImportStepError(e.step() + " of the client numbered " +
                                      runtime::CStr(runtime::Variant(*client)),
                                  e);
        }
    }
    return out;
}

void prepareClientNoMap(const std::string& transferPath) {
    engine::DatabasePtr db = app::defaultWorkspace().OpenDatabase(transferPath);
    if (db->TableDefs().contains(kMap.table)) {
        db->Execute("DELETE *FROM [" + kMap.table + "]");
    } else {
        engine::TableDefPtr table = db->CreateTableDef(kMap.table);
        table->Fields().Append(table->CreateField(kMap.oldColumn, engine::dbDouble));
        table->Fields().Append(table->CreateField(kMap.newColumn, engine::dbDouble));
        db->TableDefs().Append(table);
        engine::IndexPtr index = table->CreateIndex("OldNoIndex");
        index->Fields().Append(index->CreateField(kMap.oldColumn));
        table->Indexes().Append(index);
    }
    db->Close();
}

namespace {

void writeClientNoMap(engine::Database& transfer, const ClientNoMap& map) {
    engine::RecordsetPtr rs = transfer.OpenRecordset(kMap.table, engine::dbOpenTable);
    engine::FieldRef oldNo = rs->Fields(kMap.oldColumn);
    engine::FieldRef newNo = rs->Fields(kMap.newColumn);
    for (std::size_t i = 0; i < map.oldNumbers.size(); ++i) {
        rs->AddNew();
        oldNo.setValue(runtime::Variant(map.oldNumbers[i]));
        newNo.setValue(runtime::Variant(map.newNumbers[i]));
        rs->Update();
    }
    rs->Close();
}

} // namespace

std::vector<CopiedRows> copyRenumberedDetails(const std::vector<CopyPlan>& plans,
                                              engine::Database& transfer,
                                              const std::string& thisYearPath) {
    std::vector<CopiedRows> out;
    for (const CopyPlan& plan : plans) {
        const ClientCopyStatement s = renumberedCopyStatement(plan, thisYearPath, kMap);
        out.push_back({plan.target, copyRows(transfer, s, plan.target)});
    }
    return out;
}

void stageClientsDetails(const std::vector<CopyPlan>& plans, engine::Database& lastYear,
                         const ClientSelection& clients, const std::string& transferPath,
                         const ClientNoMap& map) {
    during("the detail rows in the transfer database", [&] {
        engine::DatabasePtr transfer = app::defaultWorkspace().OpenDatabase(transferPath);
        {
            engine::Transaction transaction;
            try {
                copyClientsDetails(plans, lastYear, transferPath, clients);
            } catch (const ImportStepError& e) {
                throw ImportStepError(e.step() + " in the transfer database", e);
            }
            writeClientNoMap(*transfer, map);
            transaction.commit();
        }
        transfer->Close();
    });
}

long carryClientsDetails(const std::vector<CopyPlan>& plans, engine::Database& lastYear,
                         const ClientSelection& clients, const DetailFiles& files,
                         bool renumbered) {
    if (!renumbered)
        return during("the detail rows", [&] {
            return rowsOf(copyClientsDetails(plans, lastYear, files.thisYear, clients));
        });
    return during("the renumbered detail rows", [&] {
        engine::DatabasePtr transfer = app::defaultWorkspace().OpenDatabase(files.transfer);
        const long rows = rowsOf(copyRenumberedDetails(plans, *transfer, files.thisYear));
        transfer->Close();
        return rows;
    });
}

} // namespace transfer
