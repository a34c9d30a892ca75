// Last year's file of another build holds a value this year's field cannot hold: the import
// of every client and of the chosen one stop in their own box, naming the client, the field
// and the engine's number, and this year's file stays as it was.

#include "CarryFixture.h"
#include "engine/Dao.h"
#include "support/DatabaseFile.h"

#include <algorithm>

namespace carry_test {
namespace {

class ValueThisYearCannotHold : public CarryFixture {
protected:
    // Last year: Smith (7), then Brown (9), each with a rental; Brown's `field` of `table`,
    // of `type` there, holds `value`. This year: one client.
    void prepare(const std::string& table, const std::string& field, int type,
                 const std::string& value) {
        lastYear = freshIndividualFiles();
        support::DatabaseFile(lastYear, FileKind::LastYearIndividuals)
            .row("Qolb2017",
                 {{"DCLNO", 7.0}, {"Surname", "Smith"}, {"MPERSDECEASED", std::int16_t{0}}})
            .row("Qolb2017", {{"DCLNO", 9.0},
                              {"Surname", "Brown"},
                              {"PERS2", "B."},
                              {"MPERSDECEASED", std::int16_t{0}}})
            .row("PropRentDetails", {{"DCLNO", 7.0}, {"PropNum", std::int16_t{1}}})
            .row("PropRentDetails", {{"DCLNO", 9.0}, {"PropNum", std::int16_t{1}}})
            .row("DefInvOpt", {{"UpDateDB", std::int16_t{6}}})
            .make();
        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(lastYear);
        support::retype(*db, table, field, type);
        db->Execute("UPDATE [" + table + "] SET [" + field + "] = " + value + " WHERE [DCLNO] = 9");
        db->Close();
        support::DatabaseFile(w.PersDbPath, FileKind::Individuals)
            .row("Qolb2018", {{"DCLNO", 57.0}, {"Surname", "Here"}})
            .make();
        chooseKind(0);
        locate(lastYear);
    }
    // Clicks `button`, Brown chosen, every box answered OK; the texts of the boxes shown.
    std::vector<std::string> click(const std::string& button) {
        const auto& items = w.lstPrevYear.items();
        const auto brown = std::ranges::find_if(
            items, [](const std::string& item) { return item.starts_with("Brown"); });
        EXPECT_TRUE(w.lstPrevYear.userSelect(static_cast<int>(brown - items.begin())));
        desk.answerAnyMessage(forms::vbOK);
        closeAll();
        before = support::readBytes(w.PersDbPath);
        const std::size_t shownBefore = desk.messages().size();
        EXPECT_TRUE(w.click(button));
        closeAll();
        const std::vector<std::string> shown = desk.messages();
        return {shown.begin() + static_cast<std::ptrdiff_t>(shownBefore), shown.end()};
    }

    std::string lastYear, before;
};

TEST_F(ValueThisYearCannotHold, TheImportNamesTheClientAndTheFieldAndWritesNothing) {
    struct Case {
        std::string button;
        std::string table;
        std::string field;
        int type;
        std::string value;
        std::string box;
    };
    const std::string nothing = "\r\nNothing has been written to this year's database.";
    const std::string overflow = "Error 3349: Field 'PERS5' of 'Qolb2018': Numeric field "
                                 "overflow. Field 'Qolb2018.PERS5'.";
    const std::string notANumber = "Error 3421: Field 'ICGT' of 'Qolb2018': Data type "
                                   "conversion error. Field 'Qolb2018.ICGT'.";
    const Case cases[] = {
        {"cmdImpWholeDB", "Qolb2017", "PERS5", engine::dbDouble, "1e15",
         "The clients could not be imported: the import stopped at the client Brown (9).\r\n" +
             overflow + nothing},
        {"cmdImpWholeDB", "Qolb2017", "ICGT", engine::dbText, "'abc'",
         "The clients could not be imported: the import stopped at the client Brown (9).\r\n" +
             notANumber + nothing},
        {"cmdImpSelAss", "Qolb2017", "PERS5", engine::dbDouble, "1e15",
         "The client B. Brown (9) could not be imported.\r\n" + overflow + nothing},
        {"cmdImpSelAss", "Qolb2017", "ICGT", engine::dbText, "'abc'",
         "The client B. Brown (9) could not be imported.\r\n" + notANumber + nothing},
        {"cmdImpWholeDB", "PropRentDetails", "ItemiseProp", engine::dbDouble, "1e15",
         "The clients could not be imported: the import stopped at the detail rows of "
         "PropRentDetails of the client numbered 9 in the transfer database.\r\nError 3349: "
         "Numeric field overflow. Field 'PropRentDetails.ItemiseProp'." +
             nothing},
        {"cmdImpSelAss", "PropRentDetails", "ItemiseProp", engine::dbText, "'abc'",
         "The client B. Brown (9) could not be imported: the import stopped at the detail rows "
         "of PropRentDetails.\r\nError 3421: Data type conversion error. Field "
         "'PropRentDetails.ItemiseProp'." +
             nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button + " " + c.field);
        prepare(c.table, c.field, c.type, c.value);
        EXPECT_EQ(click(c.button), std::vector<std::string>{c.box}) << desk.transcript();
        EXPECT_EQ(support::readBytes(w.PersDbPath), before);
    }
}

} // namespace
} // namespace carry_test
