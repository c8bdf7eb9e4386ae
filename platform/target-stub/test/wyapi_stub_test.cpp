#include <dlfcn.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "wyapi.h"

// Programs find the library under the name the gateway's platform gives it.
TEST(WyapiStub, LoadsAsLibwyapiSo1) {
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void *>(&wyapi_get), &info), 0);
    std::string file = info.dli_fname;
    EXPECT_EQ(file.substr(file.rfind('/') + 1), "libwyapi.so.1") << file;
}

// An unavailable store: a write is refused and leaves nothing to read; a failed
// read leaves the failure text the callers test for, and not a byte more.
TEST(WyapiStub, AnswersAsAStoreThatCannotBeRead) {
    EXPECT_EQ(wyapi_set("GUI_Entry1", "Language", "1"), WYAPI_ERR_STORE);
    char buf[WYAPI_BUF_SIZE];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(wyapi_get("GUI_Entry1", "Language", buf), WYAPI_ERR_STORE);
    EXPECT_STREQ(buf, WYAPI_NO_NODE);
    EXPECT_EQ(buf[sizeof WYAPI_NO_NODE], 'x');
    EXPECT_EQ(wyapi_unset("GUI_Entry1"), WYAPI_ERR_STORE);
}

TEST(WyapiStub, NullArgumentsLeaveTheBufferAlone) {
    char buf[8] = "keep";
    EXPECT_EQ(wyapi_get(nullptr, "Language", buf), WYAPI_ERR_STORE);
    EXPECT_EQ(wyapi_get("GUI_Entry1", nullptr, buf), WYAPI_ERR_STORE);
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(wyapi_get("GUI_Entry1", "Language", nullptr), WYAPI_ERR_STORE);
}
