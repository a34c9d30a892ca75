#pragma once

// Last year's files with a few clients, and the administration window with the
// previous-year page attached, its dialogs and boxes scripted.

#include "app/frmSysAdmin.h"
#include "engine/Dao.h"
#include "support/DatabaseFile.h"
#include "support/ScriptedDesktop.h"
#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace carry_test {

using runtime::Variant;
using support::FileKind;
using support::Row;

// A scripted desktop that also runs `onMessage` while a box is up, as a user could act
// on the files meanwhile.
class HookedDesktop : public support::ScriptedDesktop {
public:
    int MsgBox(const std::string& text, int style, const std::string& title) override {
        if (onMessage) onMessage();
        return ScriptedDesktop::MsgBox(text, style, title);
    }
    std::function<void()> onMessage;
};

// Last year's file of `kind` with these rows, each a table and its values. For individuals
// the file holds DefInvOpt with `version` in UpDateDB (no row when nullopt).
void makeLastYear(const std::string& path, FileKind kind,
                  const std::vector<std::pair<std::string, Row>>& rows,
                  std::optional<Variant> version = Variant(std::int16_t{6}));

// Closes every handle of this program on any database.
void closeAll();

// The rows of a query, each with its values in the order of the query's fields.
using Rows = std::vector<std::vector<Variant>>;
Rows query(engine::Database& db, const std::string& sql);

inline Variant d(double v) {
    return Variant(v);
}

class CarryFixture : public ::testing::Test {
protected:
    CarryFixture();
    ~CarryFixture() override;

    // Chooses the kind by its option, as the user does.
    void chooseKind(int option);
    // Locates `path` through the dialog; the boxes with `okMessages` must follow, answered
    // OK.
    void locate(const std::string& path, const std::vector<std::string>& okMessages = {});

    // The individuals file that carries the version of trust and company files beside it.
    std::string versionFile() const { return src.file("Qolb2017LAN.MDB"); }
    std::string pathFileText(std::string_view name) const { return program.read(name); }
    // Closes every handle and removes last year's individuals file, this year's and the
    // transfer file, the window pointing at them; last year's path.
    std::string freshIndividualFiles();

    support::TempFolder program, src, home;
    HookedDesktop desk;
    app::frmSysAdmin w;

private:
    std::optional<std::string> oldHome_;
};

// The import of every client of one kind, through the window: last year's file at
// `lastYear`, and this year's file (the window's path `thisYearFile`) watched byte for byte.
class WholeFileImport : public CarryFixture {
protected:
    explicit WholeFileImport(std::string app::frmSysAdmin::*thisYearFile)
        : thisYearFile_(thisYearFile) {}

    // Chooses the kind of `option` and locates `lastYear`, leaving OK disabled as the page
    // is before an import.
    void ready(int option);
    // Clicks the import, which must show just the box `text` in `style`, answered OK.
    void import(const std::string& text, int style);
    // Clicks the import with every box answered OK, and finds no handle left on this year's
    // file; the texts of the boxes it showed.
    std::vector<std::string> importAnsweringOk();

    engine::DatabasePtr thisYear();
    // This year's file is as it was before the last click.
    bool unchanged() const;

    std::string lastYear, before;

private:
    std::string app::frmSysAdmin::*thisYearFile_;
};

} // namespace carry_test
