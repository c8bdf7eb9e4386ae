// /userfs/bin/wyapi: output, exit status, and the commit of System_Entry.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "testroot.h"
#include "wyapi.h"

using testroot::Store;
using testroot::TempRoot;

namespace {

struct Cli {
    std::vector<std::string> args;
    int status;
    std::string out;
};

// A PATH whose first directory holds a "reboot" and the firmware's "fwpath"
// that record their calls.
std::string recording_path(const TempRoot &root)
{
    for (const char *tool : {"reboot", "fwpath"}) {
        std::string p = std::string("/rec/") + tool;
        root.put(p, std::string("#!/bin/sh\necho \"") + tool + " $*\" >> \"$WY_SYSROOT/rec/calls\"\n");
        chmod(root.path(p).c_str(), 0755);
    }
    return "PATH=" + root.path("/rec") + ":/usr/bin:/bin";
}

} // namespace

TEST(StoreCli, CommandsAndExitStatus)
{
    const Cli cases[] = {
        {{"set", "WebCurSet_Entry", "firewalldir_id", "WANtoLAN"}, 0, ""},
        {{"get", "WebCurSet_Entry", "firewalldir_id"}, 0, "WANtoLAN\n"},
        {{"set", "WebCurSet_Entry", "empty", ""}, 0, ""},
        {{"get", "WebCurSet_Entry", "empty"}, 0, "\n"},
        {{"get", "WebCurSet_Entry", "missing"}, 1, ""},
        {{"get", "No_Entry", "x"}, 1, ""},
        {{"set", "bad-name", "x", "1"}, 1, ""},
        {{"set", "A_Entry", "x", std::string(WYAPI_VALUE_MAX + 1, 'v')}, 1, ""},
        {{"unset", "WebCurSet_Entry"}, 0, ""},
        {{"get", "WebCurSet_Entry", "firewalldir_id"}, 1, ""},
        {{"unset", "WebCurSet_Entry"}, 0, ""},
        {{"commit", "WebCurSet_Entry"}, 0, ""},
        {{"commit", "bad-name"}, 1, ""},
        {{}, 2, ""},
        {{"get", "A_Entry"}, 2, ""},
        {{"set", "A_Entry", "x"}, 2, ""},
        {{"frobnicate", "A_Entry"}, 2, ""},
    };
    TempRoot root;
    const std::string path = recording_path(root);
    for (const auto &c : cases) {
        std::vector<std::string> argv{WYAPI_CLI};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto r = wytest::run(argv, "", {path});
        std::string what = c.args.empty() ? "(none)" : c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : "");
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_EQ(r.out, c.out) << what;
        if (c.status != 0) {
            EXPECT_FALSE(r.err.empty()) << what;
        }
    }
    auto r = wytest::run({WYAPI_CLI, "get", "No_Entry", "x"});
    EXPECT_NE(r.err.find(WYAPI_NO_NODE), std::string::npos);
}

TEST(StoreCli, CommitSavesAndCarriesOutARequestOnce)
{
    struct Case {
        const char *reboot_type; // nullptr: attribute missing
        const char *node;
        std::string calls;
        const char *after; // reboot_type after the commit; nullptr: missing
    } cases[] = {
        // 2 and 4 restore the default configuration before the save and the restart.
        {"2", "System_Entry", "fwpath restore\nfwpath save\nreboot \n", ""},
        {"4", "System_Entry", "fwpath restore\nfwpath save\nreboot \n", ""},
        {"1", "System_Entry", "fwpath save\nreboot \n", ""},
        {nullptr, "System_Entry", "fwpath save\n", nullptr},
        {"N/A", "System_Entry", "fwpath save\n", "N/A"},
        {"", "System_Entry", "fwpath save\n", ""},
        {"2", "WebCurSet_Entry", "fwpath save\n", "2"},
    };
    for (const auto &c : cases) {
        TempRoot root;
        std::string path = recording_path(root);
        root.write_store({{"System_Entry", {{"upgrade_fw", "0"}}}});
        if (c.reboot_type) {
            ASSERT_EQ(wyapi_set("System_Entry", "reboot_type", c.reboot_type), WYAPI_OK);
        }
        Store want = root.read_store();
        if (c.after)
            want["System_Entry"]["reboot_type"] = c.after;
        const char *what = c.reboot_type ? c.reboot_type : "(missing)";
        auto r = wytest::run({WYAPI_CLI, "commit", c.node}, "", {path});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(root.get("/rec/calls"), c.calls) << what;
        EXPECT_EQ(root.read_store(), want) << what;
        // Carried out once: the next commit only saves.
        r = wytest::run({WYAPI_CLI, "commit", c.node}, "", {path});
        EXPECT_EQ(root.get("/rec/calls"), c.calls + "fwpath save\n") << what;
    }
}

TEST(StoreCli, CommitReportsAFailedSave)
{
    TempRoot root;
    std::string path = recording_path(root);
    root.put("/rec/fwpath", "#!/bin/sh\necho \"fwpath $*\" >> \"$WY_SYSROOT/rec/calls\"\nexit 1\n");
    ASSERT_EQ(wyapi_set("System_Entry", "reboot_type", "1"), WYAPI_OK);
    auto r = wytest::run({WYAPI_CLI, "commit", "System_Entry"}, "", {path});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("saving the configuration failed"), std::string::npos) << r.err;
    // The restart asked for happens all the same.
    EXPECT_EQ(root.get("/rec/calls"), "fwpath save\nreboot \n");
}

// A restore that failed never ends in a reboot into the configuration it
// should have replaced.
TEST(StoreCli, CommitWithoutRebootAfterAFailedRestore)
{
    TempRoot root;
    std::string path = recording_path(root);
    root.put("/rec/fwpath", "#!/bin/sh\necho \"fwpath $*\" >> \"$WY_SYSROOT/rec/calls\"\n[ \"$1\" != restore ]\n");
    ASSERT_EQ(wyapi_set("System_Entry", "reboot_type", "4"), WYAPI_OK);
    auto r = wytest::run({WYAPI_CLI, "commit", "System_Entry"}, "", {path});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("restoring the default configuration failed"), std::string::npos) << r.err;
    EXPECT_EQ(root.get("/rec/calls"), "fwpath restore\nfwpath save\n");
}

TEST(StoreCli, CommitReportsAFailedReboot)
{
    TempRoot root;
    std::string path = recording_path(root);
    root.put("/rec/reboot", "#!/bin/sh\nexit 3\n");
    ASSERT_EQ(wyapi_set("System_Entry", "reboot_type", "2"), WYAPI_OK);
    auto r = wytest::run({WYAPI_CLI, "commit", "System_Entry"}, "", {path});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("reboot"), std::string::npos);
}
