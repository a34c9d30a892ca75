#include "LastYearFile.h"

#include "engine/Dao.h"
#include "engine/Transaction.h"
#include "support/DatabaseFile.h"

namespace bench {

void makeLastYearIndividuals(const std::string& path, int count) {
    using runtime::Variant;
    engine::Workspace& ws = engine::DBEngine::instance().Workspaces(0);
    support::DatabaseFile(path, support::FileKind::LastYearIndividuals)
        .only({"Qolb2017", "Qolb2017Cont", "DefInvOpt"})
        .row("DefInvOpt", {{"UpDateDB", Variant(std::int16_t{6})}})
        .make();
    auto db = ws.OpenDatabase(path);
    auto main = db->OpenRecordset("Qolb2017", engine::dbOpenTable);
    auto cont = db->OpenRecordset("Qolb2017Cont", engine::dbOpenTable);
    {
        engine::Transaction t(ws);
        for (int i = 0; i < count; ++i) {
            const double number = i + 1;
            const int key = (i * 7919) % count; // scatters the surnames
            main->AddNew();
            main->Fields("DCLNO").setValue(Variant(number));
            main->Fields("Surname").setValue(Variant("Surname" + std::to_string(key)));
            main->Fields("PERS2").setValue(Variant("A.B."));
            main->Fields("Desc").setValue(Variant("Client " + std::to_string(i)));
            main->Update();
            cont->AddNew();
            cont->Fields("DCLNO").setValue(Variant(number));
            cont->Fields("TaxRefNo_1").setValue(Variant(i % 3 ? "0123" : ""));
            cont->Fields("TaxRefNo_2").setValue(Variant("456"));
            cont->Fields("TaxRefNo_3").setValue(Variant("78"));
            cont->Fields("TaxRefNo_4").setValue(Variant("9"));
            cont->Update();
        }
        t.commit();
    }
    ws.Close();
}

} // namespace bench
