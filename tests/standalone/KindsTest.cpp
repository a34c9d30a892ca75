// Each kind copies every table that carries its key, with the columns the network file has
// less the few that do not come over.

#include "standalone/Kinds.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

using transfer::ColumnCopy;

std::map<std::string, std::size_t> columnCounts(const standalone::Kind& kind) {
    std::map<std::string, std::size_t> out;
    for (const transfer::CopyPlan& p : kind.copies)
        out[p.target] = p.columns.size();
    return out;
}

TEST(StandAloneKinds, CopyEveryColumnButThoseLeftOut) {
    const auto people = columnCounts(standalone::individualsKind());
    EXPECT_EQ(people.size(), 45u);
    const std::pair<const char*, std::size_t> expected[] = {
        {"Qolb2018", 239},       {"Qolb2018Cont", 222},   {"CARALL", 54},
        {"IRP5CodeChecker", 73}, {"PropRentDetails", 83}, {"CGTDetails", 28},
        {"SITEPAYE", 12},        {"OMedCosts", 4},        {"PFAC", 3},
        {"LumpSums", 9},         {"TaxFreeDivs", 6},      {"CGTTrustOther", 7},
        {"IRP5IncDed", 126},     {"CMVDetails", 27},      {"AnnualTrends", 145}};
    for (const auto& [table, columns] : expected)
        EXPECT_EQ(people.at(table), columns) << table;

    const auto trusts = columnCounts(standalone::trustsKind());
    EXPECT_EQ(trusts.size(), 19u);
    for (const auto& [table, columns] :
         std::initializer_list<std::pair<const char*, std::size_t>>{{"TRUSTDetails", 100},
                                                                    {"TandBenDetails", 21},
                                                                    {"TRUSTIncExpend", 28},
                                                                    {"Expenditure", 3},
                                                                    {"TrustPropRentDetails", 16},
                                                                    {"TrustCGTDetails", 23}})
        EXPECT_EQ(trusts.at(table), columns) << table;

    const auto companies = columnCounts(standalone::companiesKind());
    EXPECT_EQ(companies.at("CompanyDetails"), 120u);
    EXPECT_EQ(companies.at("Adjustments"), 3u);
}

// A trust or company arrives free: its lock fields are given the empty text (a date takes
// Null from it), never the stand-alone edition's values; an individual's are not named.
TEST(StandAloneKinds, ClientsArriveWithoutTheirLocks) {
    for (const standalone::Kind* kind : {&standalone::trustsKind(), &standalone::companiesKind()}) {
        const auto& cols = kind->copies.front().columns;
        for (const char* lock : {"UserName", "DateLastSaved", "LastUserName"}) {
            const auto it = std::ranges::find(cols, std::string(lock), &ColumnCopy::target);
            ASSERT_NE(it, cols.end()) << lock;
            EXPECT_EQ(it->from, ColumnCopy::From::EmptyText) << lock;
        }
    }
    const auto& main = standalone::individualsKind().copies.front().columns;
    for (const char* left : {"UserName", "DateLastSaved", "LastUserName", "Email"})
        EXPECT_EQ(std::ranges::find(main, std::string(left), &ColumnCopy::target), main.end());
    EXPECT_NE(std::ranges::find(main, std::string("Email75"), &ColumnCopy::target), main.end());
}

} // namespace
