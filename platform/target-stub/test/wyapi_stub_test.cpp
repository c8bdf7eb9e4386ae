#include <dlfcn.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

extern "C" {
int wyapi_get(const char *node, const char *attr, char *buf);
int wyapi_set(const char *node, const char *attr, const char *value);
int wyapi_unset(const char *node);
void wydbg_printf(const char *fmt, ...);
}

// Programs find the library under the name the gateway's platform gives it.
TEST(WyapiStub, LoadsAsLibwyapiSo1) {
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void *>(&wyapi_get), &info), 0);
    std::string file = info.dli_fname;
    EXPECT_EQ(file.substr(file.rfind('/') + 1), "libwyapi.so.1") << file;
}

// An empty, read-only store: a write is refused and leaves nothing to read.
TEST(WyapiStub, ReadsFailAsOnAMissingNodeEvenAfterASet) {
    EXPECT_NE(wyapi_set("GUI_Entry1", "Language", "1"), 0);
    char buf[64];
    memset(buf, 'x', sizeof buf);
    EXPECT_NE(wyapi_get("GUI_Entry1", "Language", buf), 0);
    EXPECT_STREQ(buf, "no node information");
    EXPECT_EQ(buf[sizeof "no node information"], 'x') << "wrote past its text";
    EXPECT_NE(wyapi_unset("GUI_Entry1"), 0);
}

TEST(WyapiStub, DebugPrintFormatsToStandardOutput) {
    testing::internal::CaptureStdout();
    wydbg_printf("%s: %08x %d\n", "romfile", 0xdeadbeefu, -3);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "romfile: deadbeef -3\n");
}
