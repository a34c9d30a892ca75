// The numbers the clients receive: whatever the stand-alone numbers and the network's
// highest one, the k-th client by stand-alone number arrives as base + k with all its rows,
// no two clients' rows ever meet, and rows of no client stay behind.

#include "StandAloneFixture.h"
#include "engine/EngineErrors.h"
#include "runtime/VariantOps.h"
#include "standalone/KindImport.h"
#include "support/ErrorOf.h"

#include <algorithm>

namespace standalone_test {
namespace {

struct Case {
    const char* what;
    std::vector<double> clients; // stand-alone numbers of the main rows
    std::vector<double> orphans; // detail rows whose number no client carries
    double finalBase;
};

class Renumbering : public ::testing::TestWithParam<Case> {
protected:
    support::TempFolder folder;
};

TEST_P(Renumbering, EachClientArrivesWithItsRowsUnderItsNewNumber) {
    const Case& c = GetParam();
    const std::string path = folder.file("copy.mdb");
    support::DatabaseFile file(path, FileKind::Company);
    file.only({"CompanyDetails", "Adjustments"});
    // Client i has i + 1 adjustment lines, each with the client's old number as its amount.
    for (std::size_t i = 0; i < c.clients.size(); ++i) {
        file.row("CompanyDetails", {{"CDCLNO", c.clients[i]}});
        for (std::size_t j = 0; j <= i; ++j)
            file.row("Adjustments", {{"CDCLNO", c.clients[i]}, {"Amount", c.clients[i]}});
    }
    for (double o : c.orphans)
        file.row("Adjustments", {{"CDCLNO", o}, {"Amount", -1.0}});
    file.make();

    const std::string net = folder.file("net.mdb");
    support::DatabaseFile network(net, FileKind::Company);
    network.only({"CompanyDetails", "Adjustments"});
    if (c.finalBase > 0) network.row("CompanyDetails", {{"CDCLNO", c.finalBase}});
    network.make();
    const standalone::KindImported done =
        standalone::importKind(standalone::companiesKind(), path, net);

    std::vector<double> sorted = c.clients;
    std::ranges::sort(sorted);
    EXPECT_EQ(done.clients, static_cast<long>(sorted.size()));
    std::vector<double> expectMain, expectLines;
    if (c.finalBase > 0) expectMain.push_back(c.finalBase);
    for (std::size_t k = 0; k < sorted.size(); ++k) {
        const double now = c.finalBase + static_cast<double>(k + 1);
        expectMain.push_back(now);
        const auto at = std::ranges::find(c.clients, sorted[k]) - c.clients.begin();
        for (long j = 0; j <= at; ++j)
            expectLines.push_back(now);
    }
    std::ranges::sort(expectLines);
    EXPECT_EQ(numbers(net, "CompanyDetails", "CDCLNO"), expectMain);
    EXPECT_EQ(numbers(net, "Adjustments", "CDCLNO"), expectLines) << "orphans stay behind";
    // Each line still belongs to the client it came with.
    for (std::size_t k = 0; k < sorted.size(); ++k)
        EXPECT_EQ(runtime::CDbl(valueOf(net, "Adjustments", "CDCLNO",
                                        c.finalBase + static_cast<double>(k + 1), "Amount")),
                  sorted[k]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Renumbering,
    ::testing::Values(Case{"gaps close up", {15, 3, 8}, {}, 120},
                      Case{"an empty network", {2, 7}, {}, 0},
                      Case{"numbers already where they go", {1, 2, 3}, {}, 0},
                      Case{"numbers above 40000", {40001, 40002, 5}, {}, 10},
                      Case{"a highest number above 40000", {1, 40003}, {}, 40001},
                      Case{"orphans on numbers clients receive", {3, 8}, {1, 2, 40001}, 0},
                      Case{"no clients", {}, {4}, 9}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::erase_if(name, [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); });
        return name;
    });

TEST(RenumberingRefuses, TwoClientsOfOneNumber) {
    support::TempFolder folder;
    const std::string path = folder.file("copy.mdb"), net = folder.file("net.mdb");
    support::DatabaseFile(path, FileKind::Company)
        .only({"CompanyDetails", "Adjustments"})
        .row("CompanyDetails", {{"CDCLNO", 4.0}})
        .row("CompanyDetails", {{"CDCLNO", 4.0}})
        .row("Adjustments", {{"CDCLNO", 4.0}})
        .make();
    support::DatabaseFile(net, FileKind::Company).only({"CompanyDetails", "Adjustments"}).make();
    EXPECT_EQ(
        support::errorOf([&] { standalone::importKind(standalone::companiesKind(), path, net); }),
        engine::err::DuplicateValue);
    EXPECT_TRUE(numbers(net, "CompanyDetails", "CDCLNO").empty());
}

} // namespace
} // namespace standalone_test
