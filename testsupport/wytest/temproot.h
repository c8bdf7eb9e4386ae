// A temporary directory as the system root (WY_SYSROOT) for the life of the
// object: the previous value comes back and the tree is removed afterwards.
// Test code only.
#ifndef WYTEST_TEMPROOT_H
#define WYTEST_TEMPROOT_H

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace wytest {

class TempRoot {
public:
    // `dirs`: device folders made at once ("/tmp", "/dev" ...).
    explicit TempRoot(std::initializer_list<const char *> dirs = {})
    {
        char tmpl[] = "/tmp/wytest.XXXXXX";
        if (!mkdtemp(tmpl))
            throw std::runtime_error("mkdtemp failed");
        dir_ = tmpl;
        for (const char *d : dirs)
            std::filesystem::create_directories(dir_ + d);
        if (const char *old = getenv("WY_SYSROOT")) {
            had_old_ = true;
            old_ = old;
        }
        setenv("WY_SYSROOT", dir_.c_str(), 1);
    }
    ~TempRoot()
    {
        if (had_old_)
            setenv("WY_SYSROOT", old_.c_str(), 1);
        else
            unsetenv("WY_SYSROOT");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempRoot(const TempRoot &) = delete;
    TempRoot &operator=(const TempRoot &) = delete;

    const std::string &dir() const { return dir_; }
    std::string path(const std::string &device_path) const { return dir_ + device_path; }

    // Writes the file, making its folders.
    void put(const std::string &device_path, const std::string &bytes) const
    {
        std::filesystem::path p = path(device_path);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream f(p, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!f)
            throw std::runtime_error("cannot write " + p.string());
    }
    // The whole file; empty when it cannot be read.
    std::string get(const std::string &device_path) const
    {
        std::ifstream in(path(device_path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // True for a dangling link too.
    bool exists(const std::string &device_path) const
    {
        return std::filesystem::exists(std::filesystem::symlink_status(path(device_path)));
    }
    // An executable shell script.
    void script(const std::string &device_path, const std::string &body) const
    {
        put(device_path, "#!/bin/sh\n" + body);
        chmod(path(device_path).c_str(), 0755);
    }
    void link(const std::string &target, const std::string &device_path) const
    {
        std::filesystem::remove(path(device_path));
        std::filesystem::create_symlink(target, path(device_path));
    }

private:
    std::string dir_;
    std::string old_;
    bool had_old_ = false;
};

// A test whose system root holds the device folders the library expects:
// /proc, /dev, /tmp and /userfs/bin.
class RootTest : public ::testing::Test, public TempRoot {
protected:
    RootTest() : TempRoot({"/proc", "/dev", "/tmp", "/userfs/bin"}) {}
};

} // namespace wytest

#endif
