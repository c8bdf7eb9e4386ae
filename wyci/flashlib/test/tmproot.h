// A plain directory as the system root: files stand in for /proc/mtd and the
// MTD devices, so the library's file logic runs without a simulated gateway.
#ifndef WY_FLASHLIB_TEST_TMPROOT_H
#define WY_FLASHLIB_TEST_TMPROOT_H

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

class TmpRoot : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/wyci-root.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root_ = tmpl;
        for (const char *d : {"/proc", "/dev", "/tmp", "/userfs/bin"})
            std::filesystem::create_directories(root_ + d);
        setenv("WY_SYSROOT", root_.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("WY_SYSROOT");
        std::filesystem::remove_all(root_);
    }

    std::string path(const std::string &p) const { return root_ + p; }
    void put(const std::string &p, const std::string &bytes) const
    {
        std::ofstream(path(p), std::ios::binary) << bytes;
    }
    std::string get(const std::string &p) const
    {
        std::ifstream in(path(p), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string &p) const { return std::filesystem::exists(std::filesystem::symlink_status(path(p))); }
    void script(const std::string &p, const std::string &body) const
    {
        put(p, "#!/bin/sh\n" + body);
        chmod(path(p).c_str(), 0755);
    }
    void link(const std::string &target, const std::string &p) const
    {
        std::filesystem::remove(path(p));
        std::filesystem::create_symlink(target, path(p));
    }

    std::string root_;
};

#endif
