// The trusted CA list inside a simulated gateway, as the web server runs it:
// certificate files in place, slots in the store, the page, then nothing left.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "certgen.h"
#include "simtest.h"

using namespace certgen;

TEST(TrustedcaGateway, ListsTheSlotsInUseAndRemovesTheFiles)
{
    simtest::Gateway gw;
    auto s = gw.run({"sh", "-c",
                     "set -e; w=$WY_SYSROOT/userfs/bin/wyapi\n"
                     "$w set SslCA_Entry0 Frag0 Yes\n"
                     "$w set SslCA_Entry1 Frag0 No\n"
                     "$w set SslCA_Entry3 Frag0 Yes\n"});
    ASSERT_EQ(s.status, 0) << s.err;
    std::filesystem::create_directories(gw.path("/tmp/Certificates"));
    gw.write_file("/tmp/Certificates/CA1.pem",
                  pem_cert(simple({{kC, "DE"}, {kO, "Acme & Sons"}, {kCN, "Acme Root"}})));
    gw.write_file("/tmp/Certificates/CA2.pem", pem_cert(simple({{kCN, "Not In Use"}})));
    gw.write_file("/tmp/Certificates/CA4.pem", pem_cert(simple({{kOU, "Unit"}, {kCN, "<Four>"}})));

    auto page = gw.run({"sh", "-c", "$WY_SYSROOT/userfs/cgi-bin/trustedca_list"});
    EXPECT_EQ(page.status, 0);
    EXPECT_EQ(page.err, "");
    EXPECT_EQ(page.out.rfind("Content-Type: text/html\n\n", 0), 0u);
    std::string rows;
    for (size_t at = page.out.find("<tr class=\"tabcolor2\""); at != std::string::npos;
         at = page.out.find("<tr class=\"tabcolor2\"", at + 1))
        rows += page.out.substr(at, page.out.find("</td><td>ca</td>", at) - at) + "\n";
    EXPECT_EQ(rows,
              "<tr class=\"tabcolor2\" align=\"center\"><td>ca1.pem</td><td class=\"table_font\">"
              "C=DE/O=Acme &amp; Sons/CN=Acme Root\n"
              "<tr class=\"tabcolor2\" align=\"center\"><td>ca4.pem</td><td class=\"table_font\">"
              "OU=Unit/CN=&lt;Four&gt;\n");
    EXPECT_NE(page.out.find("id=3><img src=\"../i_edit.gif\""), std::string::npos);
    EXPECT_NE(page.out.find("Multi_Language(0);</script></html>\n"), std::string::npos);
    EXPECT_FALSE(gw.exists("/tmp/Certificates"));

    // A second run, with the files not put back, lists nothing.
    auto again = gw.run({"sh", "-c", "$WY_SYSROOT/userfs/cgi-bin/trustedca_list"});
    EXPECT_EQ(again.out.find("<tr class=\"tabcolor2\""), std::string::npos);
    EXPECT_FALSE(gw.exists("/tmp/Certificates"));
}
