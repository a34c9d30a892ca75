#include "app/Version.h"

#include "app/ClientPathRule.h"

#include <gtest/gtest.h>
#include <quolby/Version.h>
#include <string>

namespace {

TEST(VersionTest, CaptionPadsButNeverCuts) {
    EXPECT_EQ(app::versionCaption({1, 4, 0}), "Quolby2018 SysAdmin Ver: 1.04.000");
    EXPECT_EQ(app::versionCaption({2, 10, 3}), "Quolby2018 SysAdmin Ver: 2.10.003");
    EXPECT_EQ(app::versionCaption({1, 123, 4567}), "Quolby2018 SysAdmin Ver: 1.123.4567");
}

TEST(VersionTest, VerNumJoinsTheUnpaddedParts) {
    EXPECT_EQ(app::verNum({1, 4, 0}), 140);
    EXPECT_EQ(app::verNum({2, 10, 3}), 2103);
}

TEST(VersionTest, TheBuildGivesTheProjectVersion) {
    const forms::Version v = app::buildVersion();
    EXPECT_EQ(std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." +
                  std::to_string(v.Revision),
              quolby::kVersionText);
}

TEST(ClientPathRuleTest, TheOtherFilesFollowTheFolderOfTheChosenFile) {
    const app::ClientPaths before{"/keep/T.mdb", "/keep/C.mdb"};
    struct Case {
        const char* chosen;
        const char* trust;
        const char* company;
    } cases[] = {
        {"/data/Qolb2018LAN.mdb", "/data/QolbTrust2018Lan.Mdb", "/data/QolbCompany2018Lan.Mdb"},
        {"/data/Clients.mdb", "/data/QolbTrust2018Lan.Mdb", "/data/QolbCompany2018Lan.Mdb"},
        {"  /data/x.mdb  ", "/data/QolbTrust2018Lan.Mdb", "/data/QolbCompany2018Lan.Mdb"},
        {"/Qolb2018LAN.mdb", "/QolbTrust2018Lan.Mdb", "/QolbCompany2018Lan.Mdb"},
        {"Qolb2018LAN.mdb", "/keep/T.mdb", "/keep/C.mdb"},
        {"", "/keep/T.mdb", "/keep/C.mdb"},
    };
    for (const Case& c : cases) {
        const app::ClientPaths got = app::deriveClientPaths(c.chosen, before);
        EXPECT_EQ(got.trust, c.trust) << c.chosen;
        EXPECT_EQ(got.company, c.company) << c.chosen;
    }
}

} // namespace
