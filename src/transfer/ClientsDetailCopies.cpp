#include "transfer/ClientsDetailCopies.h"

#include "app/DatabaseHandles.h"
#include "runtime/Variant.h"

#include <algorithm>
#include <span>

namespace transfer {

namespace {

const NumberMapTable kMap{"ClientNoMap", "OldNo", "NewNo"};

// Numbers per statement: well within the engine's bound on parameters, and few statements.
constexpr std::size_t kBatch = 500;

} // namespace

std::vector<CopiedRows> copyClientsDetails(engine::Database& from, const std::string& targetPath,
                                           const std::vector<double>& clients) {
    return copyClientsDetails(individualsDetailCopies(), from, targetPath, clients);
}

std::vector<CopiedRows> copyClientsDetails(const std::vector<CopyPlan>& plans,
                                           engine::Database& from, const std::string& targetPath,
                                           const std::vector<double>& clients) {
    std::vector<CopiedRows> out;
    for (const CopyPlan& plan : plans) {
        CopiedRows copied{plan.target, 0};
        for (std::size_t first = 0; first < clients.size(); first += kBatch) {
            const std::span<const double> batch(clients.data() + first,
                                                std::min(kBatch, clients.size() - first));
            const ClientCopyStatement s = clientsCopyStatement(plan, targetPath, batch);
            from.Execute(s.sql, s.parameters);
            copied.rows += from.RecordsAffected();
        }
        out.push_back(copied);
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

std::vector<CopiedRows> copyRenumberedDetails(engine::Database& transfer,
                                              const std::string& thisYearPath,
                                              const ClientNoMap& map) {
    return copyRenumberedDetails(individualsDetailCopies(), transfer, thisYearPath, map);
}

std::vector<CopiedRows> copyRenumberedDetails(const std::vector<CopyPlan>& plans,
                                              engine::Database& transfer,
                                              const std::string& thisYearPath,
                                              const ClientNoMap& map) {
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

    std::vector<CopiedRows> out;
    for (const CopyPlan& plan : plans) {
        const ClientCopyStatement s = renumberedCopyStatement(plan, thisYearPath, kMap);
        transfer.Execute(s.sql, s.parameters);
        out.push_back({plan.target, transfer.RecordsAffected()});
    }
    return out;
}

} // namespace transfer
