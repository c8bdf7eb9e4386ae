// The store inside a simulated gateway: what the factory program relies on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simtest.h"

TEST(StoreGateway, CommitOfSystemEntryRestartsTheGatewayOnce)
{
    simtest::Gateway gw;
    auto set = gw.run({"sh", "-c", "$WY_SYSROOT/userfs/bin/wyapi set System_Entry reboot_type 2"});
    ASSERT_EQ(set.status, 0) << set.err;
    auto other = gw.run({"wyapi", "commit", "WebCurSet_Entry"});
    EXPECT_EQ(other.status, 0) << other.err;
    auto commit = gw.run({"wyapi", "commit", "System_Entry"});
    EXPECT_EQ(commit.status, 0) << commit.err;
    auto again = gw.run({"wyapi", "commit", "System_Entry"});
    EXPECT_EQ(again.status, 0) << again.err;
    // Every commit saves to the next copy; the restart happens once.
    EXPECT_EQ(gw.calls(), (std::vector<std::string>{
                              "wyapi set System_Entry reboot_type 2",
                              "wyapi commit WebCurSet_Entry",
                              "mtd -f write /tmp/tmp_compress second_romfile",
                              "wyapi commit System_Entry",
                              "mtd -f write /tmp/tmp_compress romfile",
                              "reboot",
                              "wyapi commit System_Entry",
                              "mtd -f write /tmp/tmp_compress second_romfile",
                          }));
    auto get = gw.run({"wyapi", "get", "System_Entry", "reboot_type"});
    EXPECT_EQ(get.out, "\n");
}
