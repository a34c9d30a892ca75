#pragma once

// A stand-alone individuals file (its individuals and trust tables) and its company file,
// the three network files, and the administration window with the stand-alone page
// attached, its dialogs and boxes scripted.

#include "app/frmSysAdmin.h"
#include "support/DatabaseFile.h"
#include "support/ScriptedDesktop.h"
#include "support/StandAloneFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace standalone_test {

using runtime::Variant;
using support::FileKind;
using support::makeStandAlone;
using support::Row;
using support::Rows;

// The numbers of a table's rows, ascending (Null rows as -1).
std::vector<double> numbers(const std::string& path, const std::string& table,
                            const std::string& key);
// One value of the first row whose key holds `number`.
Variant valueOf(const std::string& path, const std::string& table, const std::string& key,
                double number, const std::string& field);

void closeAll();

class StandAloneFixture : public ::testing::Test {
protected:
    StandAloneFixture();
    ~StandAloneFixture() override;

    // Network files of the three kinds with these rows, named in the window's paths.
    void makeNetwork(const Rows& individuals = {}, const Rows& trusts = {},
                     const Rows& companies = {});
    // Locates `path` through the dialog; the boxes in `okMessages` follow, answered OK.
    void locate(const std::string& path, const std::vector<std::string>& okMessages = {});

    std::string sourcePath() const { return src.file("Qolb2018.mdb"); }
    std::string sourceCompanyPath() const { return src.file("QolbCompany2018.Mdb"); }

    support::TempFolder program, src, net, home;
    support::ScriptedDesktop desk;
    app::frmSysAdmin w;

private:
    std::optional<std::string> oldHome_;
};

} // namespace standalone_test
