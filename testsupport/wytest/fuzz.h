// The prologue the fuzz targets share: a check that stops the run, standard
// output sent away, and a temporary system root for targets that need files.
// Fuzz targets only.
#ifndef WYTEST_FUZZ_H
#define WYTEST_FUZZ_H

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <initializer_list>
#include <string>

namespace wyfuzz {

// A broken invariant: the fuzzer reports it as a crash.
inline void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// Code under test that reports on standard output would flood the run.
inline void quiet_stdout()
{
    if (!freopen("/dev/null", "w", stdout))
        abort();
}

// Makes a temporary system root with `dirs` once, points WY_SYSROOT at it, and
// PATH at its /bin only, so that no command a target runs is the host's own;
// removed at exit. Returns the root.
inline const std::string &temp_root(std::initializer_list<const char *> dirs)
{
    static std::string root;
    if (!root.empty())
        return root;
    char tmpl[] = "/tmp/wyfuzz.XXXXXX";
    if (!mkdtemp(tmpl))
        abort();
    root = tmpl;
    for (const char *d : dirs)
        std::filesystem::create_directories(root + d);
    std::filesystem::create_directories(root + "/bin");
    setenv("WY_SYSROOT", root.c_str(), 1);
    setenv("PATH", (root + "/bin").c_str(), 1);
    atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    });
    return root;
}

// Writes a file under the root made by temp_root.
inline void put(const std::string &device_path, const void *data, size_t size)
{
    FILE *f = fopen((getenv("WY_SYSROOT") + device_path).c_str(), "wb");
    if (!f)
        abort();
    if (size && fwrite(data, 1, size, f) != size)
        abort();
    fclose(f);
}

} // namespace wyfuzz

#endif
