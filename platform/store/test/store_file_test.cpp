// The store library over its file: values, names, failure texts, change
// detection and the file it writes.
#include <gtest/gtest.h>

#include "wytest/capture.h"
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "testroot.h"
#include "wyapi.h"
#include "wyapi_sim.h"

using testroot::Store;
using testroot::TempRoot;

namespace {

std::string get(const char *node, const char *attr, int *rc = nullptr)
{
    char buf[WYAPI_BUF_SIZE];
    int r = wyapi_get(node, attr, buf);
    if (rc)
        *rc = r;
    return buf;
}

// A value as another process reads it back (the command line adds a line feed).
std::string get_fresh(const char *node, const char *attr)
{
    auto r = wytest::run({WYAPI_CLI, "get", node, attr});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(r.out.empty());
    return r.out.substr(0, r.out.size() ? r.out.size() - 1 : 0);
}

std::string all_bytes()
{
    std::string s;
    for (int c = 1; c < 256; ++c)
        s.push_back(static_cast<char>(c));
    return s;
}

} // namespace

TEST(StoreFile, MissingFileIsEmptyStoreAndSetCreatesIt)
{
    TempRoot root;
    int rc = 0;
    EXPECT_EQ(get("GUI_Entry1", "Language", &rc), WYAPI_NO_NODE);
    EXPECT_EQ(rc, WYAPI_ERR_NODE);
    EXPECT_FALSE(root.exists("/tmp/var"));

    ASSERT_EQ(wyapi_set("GUI_Entry1", "Language", "Turkey"), WYAPI_OK);
    EXPECT_EQ(get("GUI_Entry1", "Language", &rc), "Turkey");
    EXPECT_EQ(rc, WYAPI_OK);
    EXPECT_EQ(get("GUI_Entry1", "Multi_Language", &rc), WYAPI_NO_ATTR);
    EXPECT_EQ(rc, WYAPI_ERR_ATTR);
    EXPECT_EQ(root.read_store(), (Store{{"GUI_Entry1", {{"Language", "Turkey"}}}}));
}

TEST(StoreFile, ValuesRoundTripExactly)
{
    const std::string cases[] = {
        "N/A",
        "",
        "<script>alert('x')</script> & \"quoted\"",
        "tab\there\nline\r\nend\r",
        "  leading and trailing  ",
        "\xc3\xa7\xc4\x9f latin \xe9\xff\x80 broken utf-8 \xc3",
        "&amp; &lt; &#10; ]]> </ROMFILE>",
        all_bytes(),
        std::string(WYAPI_VALUE_MAX, 'v'),
    };
    TempRoot root;
    int i = 0;
    for (const auto &v : cases) {
        std::string attr = "a" + std::to_string(i++);
        ASSERT_EQ(wyapi_set("Value_Entry", attr.c_str(), v.c_str()), WYAPI_OK) << attr;
        EXPECT_EQ(get("Value_Entry", attr.c_str()), v) << attr;
        EXPECT_EQ(get_fresh("Value_Entry", attr.c_str()), v) << attr;
        EXPECT_EQ(root.read_store()["Value_Entry"][attr], v) << attr;
    }
}

TEST(StoreFile, NamesAndValuesBeyondTheLimitsAreRefused)
{
    const std::string max_name = "N" + std::string(WYAPI_NAME_MAX - 1, 'x');
    struct Case {
        std::string node, attr, value;
        int rc;
    } cases[] = {
        {max_name, max_name, "ok", WYAPI_OK},
        {"A1_b", "c_2", std::string(WYAPI_VALUE_MAX, 'x'), WYAPI_OK},
        {max_name + "x", "a", "v", WYAPI_ERR_NODE},
        {"", "a", "v", WYAPI_ERR_NODE},
        {"1abc", "a", "v", WYAPI_ERR_NODE},
        {"_abc", "a", "v", WYAPI_ERR_NODE},
        {"a-b", "a", "v", WYAPI_ERR_NODE},
        {"a b", "a", "v", WYAPI_ERR_NODE},
        {"Firewall_LANtoLAN_Entry-1", "a", "v", WYAPI_ERR_NODE},
        {"a", max_name + "x", "v", WYAPI_ERR_ATTR},
        {"a", "", "v", WYAPI_ERR_ATTR},
        {"a", "x=\"1\"", "v", WYAPI_ERR_ATTR},
        {"a", "b", std::string(WYAPI_VALUE_MAX + 1, 'x'), WYAPI_ERR_VALUE},
    };
    TempRoot root;
    ASSERT_EQ(wyapi_set("Keep_Entry", "k", "1"), WYAPI_OK);
    for (const auto &c : cases) {
        std::string before = root.get(testroot::kStoreFile);
        int rc = wyapi_set(c.node.c_str(), c.attr.c_str(), c.value.c_str());
        EXPECT_EQ(rc, c.rc) << c.node << " " << c.attr;
        if (rc == WYAPI_OK) {
            EXPECT_EQ(get(c.node.c_str(), c.attr.c_str()), c.value);
            continue;
        }
        EXPECT_EQ(root.get(testroot::kStoreFile), before) << c.node << " " << c.attr;
        int grc = 0;
        get(c.node.c_str(), c.attr.c_str(), &grc);
        EXPECT_NE(grc, WYAPI_OK);
    }
    EXPECT_EQ(wyapi_unset("a-b"), WYAPI_ERR_NODE);
    EXPECT_EQ(wyapi_set(nullptr, "a", "v"), WYAPI_ERR_NODE);
    EXPECT_EQ(wyapi_set("a", "b", nullptr), WYAPI_ERR_VALUE);
}

TEST(StoreFile, UnsetRemovesTheNodeWithAllItsAttributes)
{
    TempRoot root;
    root.write_store({{"Firewall_LANtoLAN_Entry0", {{"Active", "Yes"}, {"Action", "Permit"}}},
                      {"Firewall_LANtoLAN_Entry1", {{"Active", "No"}}}});
    ASSERT_EQ(wyapi_unset("Firewall_LANtoLAN_Entry0"), WYAPI_OK);
    int rc = 0;
    EXPECT_EQ(get("Firewall_LANtoLAN_Entry0", "Active", &rc), WYAPI_NO_NODE);
    EXPECT_EQ(rc, WYAPI_ERR_NODE);
    EXPECT_EQ(get("Firewall_LANtoLAN_Entry0", "Action", &rc), WYAPI_NO_NODE);
    EXPECT_EQ(root.read_store(), (Store{{"Firewall_LANtoLAN_Entry1", {{"Active", "No"}}}}));
    EXPECT_EQ(wyapi_unset("Firewall_LANtoLAN_Entry0"), WYAPI_OK);
    // Setting it again starts from nothing.
    ASSERT_EQ(wyapi_set("Firewall_LANtoLAN_Entry0", "Log", "Yes"), WYAPI_OK);
    EXPECT_EQ(get("Firewall_LANtoLAN_Entry0", "Action", &rc), WYAPI_NO_ATTR);
    ASSERT_EQ(wyapi_unset("Firewall_LANtoLAN_Entry0"), WYAPI_OK);
    ASSERT_EQ(wyapi_unset("Firewall_LANtoLAN_Entry1"), WYAPI_OK);
    EXPECT_EQ(root.get(testroot::kStoreFile), "<ROMFILE>\n</ROMFILE>\n");
}

TEST(StoreFile, WrittenFileIsOneRomText)
{
    TempRoot root;
    ASSERT_EQ(wyapi_set("WebCurSet_Entry", "firewalldir_id", "LANtoWAN"), WYAPI_OK);
    ASSERT_EQ(wyapi_set("GUI_Entry1", "Language", "a<b"), WYAPI_OK);
    EXPECT_EQ(root.get(testroot::kStoreFile),
              "<ROMFILE>\n"
              "\t<WebCurSet_Entry firewalldir_id=\"LANtoWAN\" />\n"
              "\t<GUI_Entry1 Language=\"a&lt;b\" />\n"
              "</ROMFILE>\n");
    EXPECT_FALSE(root.exists("/tmp/var/romfile.cfg.tmp"));
}

TEST(StoreFile, RomTextIsTakenFromAroundTheTags)
{
    TempRoot root;
    std::string text = "<?xml version=\"1.0\"?>\n<ROMFILE><A_Entry x=\"1\"/></ROMFILE>";
    text += std::string(64, '\xff') + std::string(16, '\0') + "trailing </ROMFILE> junk";
    root.write_store_text(text);
    EXPECT_EQ(get("A_Entry", "x"), "1");
    ASSERT_EQ(wyapi_set("A_Entry", "y", "2"), WYAPI_OK);
    EXPECT_EQ(root.get(testroot::kStoreFile),
              "<ROMFILE>\n\t<A_Entry x=\"1\" y=\"2\" />\n</ROMFILE>\n");
    // A node of the root's name holds only attributes, so it is written back
    // without an end tag and later writes still go through.
    ASSERT_EQ(wyapi_set("ROMFILE", "a", "1"), WYAPI_OK);
    ASSERT_EQ(wyapi_set("A_Entry", "y", "3"), WYAPI_OK);
    EXPECT_EQ(get("ROMFILE", "a"), "1");
    EXPECT_EQ(get("A_Entry", "y"), "3");
}

TEST(StoreFile, UnreadableFileFailsReadsAndIsNeverOverwritten)
{
    const std::string cases[] = {
        "garbage",
        "<ROMFILE><A_Entry x=\"1\"></ROMFILE>",
        "<ROMFILE><A_Entry x=\"1\"/>",
        "<OTHER><A_Entry x=\"1\"/></OTHER>",
        "<ROMFILE><A_Entry x=\"1\" y=/></ROMFILE>",
        // Written back, the inner end tag would end the ROM text.
        std::string("<ROMFILE><ROMFILE>\xff</ROMFILE\r></ROMFILE>", 40),
        "<ROMFILE><A_Entry x=\"1\"><ROMFILE>t</ROMFILE ></A_Entry></ROMFILE>",
    };
    TempRoot root;
    for (const auto &text : cases) {
        root.write_store_text(text);
        int rc = 0;
        EXPECT_EQ(get("A_Entry", "x", &rc), WYAPI_NO_NODE) << text;
        EXPECT_EQ(rc, WYAPI_ERR_STORE) << text;
        EXPECT_EQ(wyapi_set("A_Entry", "x", "2"), WYAPI_ERR_STORE) << text;
        EXPECT_EQ(wyapi_unset("A_Entry"), WYAPI_ERR_STORE) << text;
        EXPECT_EQ(root.get(testroot::kStoreFile), text);
    }
    // An empty or blank file is an empty store.
    root.write_store_text(" \n");
    EXPECT_EQ(wyapi_set("A_Entry", "x", "3"), WYAPI_OK);
    EXPECT_EQ(get("A_Entry", "x"), "3");
}

TEST(StoreFile, OverlongValueOrFileWrittenByOtherMeansIsNotRead)
{
    TempRoot root;
    root.write_store_text("<ROMFILE><A_Entry big=\"" + std::string(WYAPI_VALUE_MAX + 1, 'b') +
                          "\" ok=\"1\"/></ROMFILE>");
    int rc = 0;
    EXPECT_EQ(get("A_Entry", "big", &rc), WYAPI_NO_ATTR);
    EXPECT_EQ(rc, WYAPI_ERR_VALUE);
    EXPECT_EQ(get("A_Entry", "ok", &rc), "1");

    std::string huge = "<ROMFILE><A_Entry ok=\"2\"/>" + std::string(8 << 20, ' ') + "</ROMFILE>";
    root.write_store_text(huge);
    EXPECT_EQ(get("A_Entry", "ok", &rc), WYAPI_NO_NODE);
    EXPECT_EQ(rc, WYAPI_ERR_STORE);
    EXPECT_EQ(wyapi_set("A_Entry", "ok", "3"), WYAPI_ERR_STORE);
}

TEST(StoreFile, ChangesByOthersAreSeenAfterARefresh)
{
    TempRoot root;
    root.write_store({{"A_Entry", {{"x", "old"}}}});
    EXPECT_EQ(get("A_Entry", "x"), "old");

    // Replaced by rename with the same size and times: a different inode.
    struct stat before;
    ASSERT_EQ(stat(root.path(testroot::kStoreFile).c_str(), &before), 0);
    root.write_store({{"A_Entry", {{"x", "new"}}}});
    struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, root.path(testroot::kStoreFile).c_str(), times, 0), 0);
    wyapi_sim_refresh();
    EXPECT_EQ(get("A_Entry", "x"), "new");

    // Rewritten in place, same inode, another size.
    root.write_store_text("<ROMFILE><A_Entry x=\"third\"/></ROMFILE>");
    EXPECT_EQ(get("A_Entry", "x"), "third");

    // Removed: an empty store again.
    std::filesystem::remove(root.path(testroot::kStoreFile));
    wyapi_sim_refresh();
    int rc = 0;
    EXPECT_EQ(get("A_Entry", "x", &rc), WYAPI_NO_NODE);
    EXPECT_EQ(rc, WYAPI_ERR_NODE);

    // Another process sets a value, this one reads it.
    auto r = wytest::run({WYAPI_CLI, "set", "A_Entry", "x", "from CLI"});
    ASSERT_EQ(r.status, 0) << r.err;
    wyapi_sim_refresh();
    EXPECT_EQ(get("A_Entry", "x"), "from CLI");
}

TEST(StoreFile, ReadsComeFromOneSnapshotRenewedByOwnWrites)
{
    TempRoot root;
    root.write_store({{"A_Entry", {{"x", "1"}}}});
    EXPECT_EQ(get("A_Entry", "x"), "1");

    // Whatever happens to the file, this process reads the version it took.
    auto r = wytest::run({WYAPI_CLI, "set", "A_Entry", "x", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(get_fresh("A_Entry", "x"), "2");
    EXPECT_EQ(get("A_Entry", "x"), "1");
    root.put(testroot::kStoreFile, "garbage");
    EXPECT_EQ(get("A_Entry", "x"), "1");
    std::filesystem::remove(root.path(testroot::kStoreFile));
    EXPECT_EQ(get("A_Entry", "x"), "1");

    // Its own write works on the file as it is now, and the snapshot follows.
    r = wytest::run({WYAPI_CLI, "set", "A_Entry", "x", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(wyapi_set("B_Entry", "y", "own"), WYAPI_OK);
    EXPECT_EQ(get("A_Entry", "x"), "3");
    EXPECT_EQ(get("B_Entry", "y"), "own");
    r = wytest::run({WYAPI_CLI, "set", "A_Entry", "x", "4"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(wyapi_unset("C_Entry"), WYAPI_OK) << "an unset that changes nothing still looks";
    EXPECT_EQ(get("A_Entry", "x"), "4");
    EXPECT_EQ(root.read_store(), (Store{{"A_Entry", {{"x", "4"}}}, {"B_Entry", {{"y", "own"}}}}));
}

TEST(StoreFile, EachSystemRootHasItsOwnStore)
{
    TempRoot a;
    ASSERT_EQ(wyapi_set("A_Entry", "x", "in a"), WYAPI_OK);
    {
        TempRoot b;
        int rc = 0;
        EXPECT_EQ(get("A_Entry", "x", &rc), WYAPI_NO_NODE);
        ASSERT_EQ(wyapi_set("A_Entry", "x", "in b"), WYAPI_OK);
    }
    EXPECT_EQ(get("A_Entry", "x"), "in a");
}

TEST(StoreFile, DebugPrintGoesToStandardOutput)
{
    wytest::CaptureStdout();
    int n = wydbg_printf("Romfile %d version : 0x%x\n\r", 1, 0x2a);
    fflush(stdout);
    EXPECT_EQ(wytest::GetCapturedStdout(), "Romfile 1 version : 0x2a\n\r");
    EXPECT_EQ(n, 26);
}
