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
    EXPECT_TRUE(gw.calls().empty());
    auto other = gw.run({"wyapi", "commit", "WebCurSet_Entry"});
    EXPECT_EQ(other.status, 0) << other.err;
    EXPECT_TRUE(gw.calls().empty());
    auto commit = gw.run({"wyapi", "commit", "System_Entry"});
    EXPECT_EQ(commit.status, 0) << commit.err;
    EXPECT_EQ(gw.calls(), std::vector<std::string>{"reboot"});
    EXPECT_NE(gw.read_file("/tmp/var/romfile.cfg").find("reboot_type=\"2\""), std::string::npos);
    auto get = gw.run({"wyapi", "get", "System_Entry", "reboot_type"});
    EXPECT_EQ(get.out, "2\n");
}
