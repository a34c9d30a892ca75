// The statements a copy plan renders, read as text: every value in the column it names, each
// `?` matched by its parameter in order, the path and the clients' numbers never in the text.
#include "transfer/CopyPlan.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using runtime::Variant;
using transfer::ClientCopyStatement;
using transfer::ColumnCopy;
using transfer::CopyPlan;

// One column of each kind, one name with a blank, a constant that is no whole number, and
// last year's table under another name than this year's.
const CopyPlan kPlan{
    .target = "Cont 18",
    .source = "Cont17",
    .clientColumn = "No",
    .columns = {{.target = "Asset No", .source = "Old Asset"},
                {.target = "Rate", .from = ColumnCopy::From::Constant, .constant = 0.1},
                {.target = "No", .from = ColumnCopy::From::ClientNumber},
                {.target = "Sold", .from = ColumnCopy::From::EmptyText}},
    .orderBy = {"No", "Asset No"}};

CopyPlan unordered(CopyPlan plan) {
    plan.orderBy.clear();
    return plan;
}

const std::string kInto = "INSERT INTO [Cont 18] ([Asset No], [Rate], [No], [Sold]) IN ? SELECT ";
const std::string kPath = "/office/it's 2018.mdb";

TEST(CopyPlanStatements, EachCopyNamesItsColumnsAndTakesItsNumbersAsParameters) {
    struct Case {
        std::string name;
        ClientCopyStatement statement;
        std::string sql;
        std::vector<Variant> parameters;
    };
    const Case cases[] = {
        {"one client under a new number",
         transfer::clientCopyStatement(kPlan, kPath, 7, 58),
         kInto + "[Cont17].[Old Asset], 0.1, ?, '' FROM [Cont17] WHERE [Cont17].[No] = ? "
                 "ORDER BY [Cont17].[No], [Cont17].[Asset No]",
         {Variant(kPath), Variant(58.0), Variant(7.0)}},
        {"one client keeping its number, in no order",
         transfer::clientCopyStatement(unordered(kPlan), kPath, 7, 7),
         kInto + "[Cont17].[Old Asset], 0.1, ?, '' FROM [Cont17] WHERE [Cont17].[No] = ?",
         {Variant(kPath), Variant(7.0), Variant(7.0)}},
        {"clients shifted up",
         transfer::shiftedCopyStatement(kPlan, kPath, 100057, {3, 12.5}),
         kInto + "[Cont17].[Old Asset], 0.1, [Cont17].[No] + 100057, '' FROM [Cont17] WHERE "
                 "[Cont17].[No] IN (?, ?) ORDER BY [Cont17].[No], [Cont17].[Asset No]",
         {Variant(kPath), Variant(3.0), Variant(12.5)}},
        {"clients shifted down",
         transfer::shiftedCopyStatement(kPlan, kPath, -2, {3}),
         kInto + "[Cont17].[Old Asset], 0.1, [Cont17].[No] + -2, '' FROM [Cont17] WHERE "
                 "[Cont17].[No] IN (?) ORDER BY [Cont17].[No], [Cont17].[Asset No]",
         {Variant(kPath), Variant(3.0)}},
        {"the clients a query selects",
         transfer::clientsCopyStatement(kPlan, kPath, {"Main 17", "No", "[Dead] = 0"}),
         kInto + "[Cont17].[Old Asset], 0.1, [Cont17].[No], '' FROM [Cont17] WHERE "
                 "[Cont17].[No] IN (SELECT [Main 17].[No] FROM [Main 17] WHERE [Dead] = 0) "
                 "ORDER BY [Cont17].[No], [Cont17].[Asset No]",
         {Variant(kPath)}},
        // The staged rows are read from the target table, every column under its own name.
        {"staged rows renumbered by a map",
         transfer::renumberedCopyStatement(kPlan, kPath, {"Client Map", "OldNo", "NewNo"}),
         kInto + "[Cont 18].[Asset No], 0.1, [Client Map].[NewNo], '' FROM [Cont 18] INNER "
                 "JOIN [Client Map] ON [Cont 18].[No] = [Client Map].[OldNo] ORDER BY "
                 "[Cont 18].[No], [Cont 18].[Asset No]",
         {Variant(kPath)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.statement.sql, c.sql);
        EXPECT_EQ(c.statement.parameters, c.parameters);
        EXPECT_EQ(std::ranges::count(c.statement.sql, '?'),
                  static_cast<long>(c.statement.parameters.size()));
    }
}

} // namespace
