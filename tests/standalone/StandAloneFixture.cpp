#include "StandAloneFixture.h"

#include "runtime/VariantOps.h"
#include "standalone/StandAloneWiring.h"

#include <algorithm>
#include <cstdlib>

namespace standalone_test {

std::vector<double> numbers(const std::string& path, const std::string& table,
                            const std::string& key) {
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path, false, true);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    std::vector<double> out;
    for (; !rs->Eof(); rs->MoveNext()) {
        const Variant v = rs->Fields(key).Value();
        out.push_back(runtime::IsNull(v) ? -1 : runtime::CDbl(v));
    }
    rs->Close();
    db->Close();
    std::ranges::sort(out);
    return out;
}

Variant valueOf(const std::string& path, const std::string& table, const std::string& key,
                double number, const std::string& field) {
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path, false, true);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    Variant out;
    for (; !rs->Eof(); rs->MoveNext())
        if (runtime::CDbl(rs->Fields(key).Value()) == number) {
            out = rs->Fields(field).Value();
            break;
        }
    rs->Close();
    db->Close();
    return out;
}

void closeAll() {
    try {
        engine::DBEngine::instance().Workspaces(0).Close();
    } catch (const runtime::Error&) {
    }
}

StandAloneFixture::StandAloneFixture() {
    desk.setProgramFolder(program.path());
    if (const char* h = std::getenv("HOME")) oldHome_ = h;
    setenv("HOME", home.path().c_str(), 1);
    standalone::attach(w);
    w.onLoad = [] {}; // the start-up is not under test
    w.Show();
    w.PersDbPath = net.file("Qolb2018LAN.mdb");
    w.TrustDbPath = net.file("QolbTrust2018Lan.Mdb");
    w.CompDbPath = net.file("QolbCompany2018Lan.Mdb");
}

StandAloneFixture::~StandAloneFixture() {
    closeAll();
    if (oldHome_)
        setenv("HOME", oldHome_->c_str(), 1);
    else
        unsetenv("HOME");
}

void StandAloneFixture::makeNetwork(const Rows& individuals, const Rows& trusts,
                                    const Rows& companies) {
    const std::pair<FileKind, const Rows*> files[] = {{FileKind::Individuals, &individuals},
                                                      {FileKind::Trust, &trusts},
                                                      {FileKind::Company, &companies}};
    const std::string paths[] = {w.PersDbPath, w.TrustDbPath, w.CompDbPath};
    for (std::size_t i = 0; i < 3; ++i) {
        support::DatabaseFile file(paths[i], files[i].first);
        for (const auto& [table, values] : *files[i].second)
            file.row(table, values);
        file.make();
    }
}

void StandAloneFixture::locate(const std::string& path,
                               const std::vector<std::string>& okMessages) {
    desk.expectOpenDialog(path);
    for (const std::string& text : okMessages)
        desk.expectMessage(text, forms::vbOKOnly, "", forms::vbOK);
    ASSERT_TRUE(w.click("cmdLocateImportDBs"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
}

} // namespace standalone_test
