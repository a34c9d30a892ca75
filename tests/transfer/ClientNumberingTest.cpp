// The numbers an import of many clients gives them: their own into an empty year, else one
// after another from the first free number, one per row written; and the highest number
// this year's file holds.
#include "transfer/ClientNumbering.h"

#include "support/DatabaseFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using runtime::Variant;
using transfer::numberClients;

TEST(ClientNumbering, EachOldNumberTakesTheNumberOfItsFirstRow) {
    struct Case {
        std::string name;
        std::vector<double> rows;
        std::optional<double> first;
        std::vector<double> oldNumbers, newNumbers;
    };
    const Case cases[] = {
        {"no rows", {}, 58, {}, {}},
        {"into an empty year", {3, 7, 100058}, std::nullopt, {3, 7, 100058}, {3, 7, 100058}},
        {"after this year's highest", {3, 7, 100058}, 58, {3, 7, 100058}, {58, 59, 60}},
        // The second row of 12 uses up 59 but is not in the map: its rows follow the first.
        {"a number on two rows", {12, 12, 58}, 58, {12, 58}, {58, 60}},
        {"a number on two rows, kept", {12, 12, 58}, std::nullopt, {12, 58}, {12, 58}},
        {"old numbers meeting new ones", {1, 2, 3}, 2, {1, 2, 3}, {2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const transfer::ClientNoMap map = numberClients(c.rows, c.first);
        EXPECT_EQ(map.oldNumbers, c.oldNumbers);
        EXPECT_EQ(map.newNumbers, c.newNumbers);
    }
}

// The variants differ only where the highest row holds no number or one below 1: an import
// that numbers on from 1 must not take either for its base.
TEST(ClientNumbering, TheHighestNumberIsReadByTheIndex) {
    struct Case {
        std::string name;
        std::vector<Variant> numbers; // in the order the rows are added
        std::optional<double> highest, given, fromZero;
    };
    const Case cases[] = {
        {"no client", {}, std::nullopt, std::nullopt, std::nullopt},
        {"clients added out of order",
         {Variant(57.0), Variant(100058.0), Variant(3.0)},
         100058,
         100058,
         100058},
        {"a client without a number among others", {Variant(5.0), Variant::null()}, 5, 5, 5},
        {"only a client without a number", {Variant::null()}, 0, std::nullopt, 0},
        {"only numbers below 1", {Variant(-4.0), Variant(-9.0)}, -4, -4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        support::TempFolder folder;
        support::DatabaseFile file(folder.file("Qolb2018LAN.mdb"), support::FileKind::Individuals);
        file.only({"Qolb2018"});
        for (const Variant& n : c.numbers)
            file.row("Qolb2018", {{"DCLNO", n}});
        file.make();
        engine::DatabasePtr db =
            engine::DBEngine::instance().Workspaces(0).OpenDatabase(folder.file("Qolb2018LAN.mdb"));
        EXPECT_EQ(transfer::highestNumber(*db, "Qolb2018", "PERSNUM", "DCLNO"), c.highest);
        engine::RecordsetPtr main = db->OpenRecordset("Qolb2018", engine::dbOpenTable);
        EXPECT_EQ(transfer::highestGivenNumber(*main, "PERSNUM", "DCLNO"), c.given);
        EXPECT_EQ(transfer::highestNumberFromZero(*main, "PERSNUM", "DCLNO"), c.fromZero);
        main->Close();
        db->Close();
    }
}

} // namespace
