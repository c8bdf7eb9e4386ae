// store_get: the caller's buffer bounds every read.
#include <gtest/gtest.h>

#include <string>

#include "store.h"
#include "testroot.h"

TEST(StoreGet, CutsToTheCallersBufferAndNeverWritesPastIt)
{
    const std::string longest(WYAPI_VALUE_MAX, 'L');
    struct Case {
        const char *node, *attr;
        size_t size;
        int rc;
        std::string text;
    } cases[] = {
        {"A_Entry", "short", 16, WYAPI_OK, "abcdef"},
        {"A_Entry", "short", 7, WYAPI_OK, "abcdef"},
        {"A_Entry", "short", 6, WYAPI_OK, "abcde"},
        {"A_Entry", "short", 1, WYAPI_OK, ""},
        {"A_Entry", "na", 6, WYAPI_OK, "N/A"},
        {"A_Entry", "empty", 6, WYAPI_OK, ""},
        {"A_Entry", "longest", WYAPI_BUF_SIZE, WYAPI_OK, longest},
        {"A_Entry", "longest", 128, WYAPI_OK, longest.substr(0, 127)},
        {"A_Entry", "missing", 64, WYAPI_ERR_ATTR, WYAPI_NO_ATTR},
        {"A_Entry", "missing", 5, WYAPI_ERR_ATTR, "no a"},
        {"B_Entry", "short", 64, WYAPI_ERR_NODE, WYAPI_NO_NODE},
        {"B_Entry", "short", 6, WYAPI_ERR_NODE, "no no"},
    };
    testroot::TempRoot root;
    root.write_store({{"A_Entry", {{"short", "abcdef"}, {"na", "N/A"}, {"empty", ""}, {"longest", longest}}}});
    for (const auto &c : cases) {
        std::string buf(c.size + 16, '#');
        EXPECT_EQ(store_get(c.node, c.attr, buf.data(), c.size), c.rc) << c.attr << " " << c.size;
        EXPECT_EQ(std::string(buf.c_str()), c.text) << c.attr << " " << c.size;
        EXPECT_EQ(buf.substr(c.size), std::string(16, '#')) << c.attr << " " << c.size;
    }
    char untouched[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(store_get("A_Entry", "short", untouched, 0), WYAPI_ERR_STORE);
    EXPECT_EQ(std::string(untouched, 4), "####");
}
