// Helpers for tests that run wyci inside a simulated gateway.
#ifndef WY_WYCI_TEST_GW_H
#define WY_WYCI_TEST_GW_H

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simtest.h"
#include "wy_target_test.h"

namespace gwtest {

using Bytes = std::vector<uint8_t>;

inline constexpr uint32_t kBootSize = 0x20000;
inline constexpr uint32_t kMrdAt = 0x1FF00;
inline constexpr uint32_t kMrdSize = 167;

// Output of one wyci run; its status is always 0.
inline std::string wyci(const simtest::Gateway &gw, std::vector<std::string> words)
{
    words.insert(words.begin(), "wyci");
    simtest::RunResult r = gw.run(words);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

// Puts a shell script where a program of the device lies. The old entry is
// removed first: some are symlinks to the host's own tools.
inline void replace_program(const simtest::Gateway &gw, const std::string &device_path,
                            const std::string &body)
{
    std::filesystem::remove(gw.path(device_path));
    gw.write_file(device_path, "#!/bin/sh\n" + body);
    chmod(gw.path(device_path).c_str(), 0755);
}

inline Bytes boot(const simtest::Gateway &gw) { return gw.flash(0, kBootSize); }
inline Bytes mrd(const simtest::Gateway &gw) { return gw.flash(kMrdAt, kMrdSize); }

// The arm flag file, or "(none)".
inline std::string flag(const simtest::Gateway &gw)
{
    return gw.exists("/tmp/vorna_atbt") ? gw.read_file("/tmp/vorna_atbt") : "(none)";
}

// Calls of the flash tool that the stand-ins recorded.
inline std::vector<std::string> tool_calls(const simtest::Gateway &gw)
{
    std::vector<std::string> out;
    for (const std::string &c : gw.calls())
        if (c.rfind("mtd ", 0) == 0)
            out.push_back(c);
    return out;
}

// Offsets at which two images differ.
inline std::vector<uint32_t> diff(const Bytes &a, const Bytes &b)
{
    std::vector<uint32_t> at;
    for (uint32_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            at.push_back(i);
    return at;
}

inline Bytes text(const std::string &s) { return Bytes(s.begin(), s.end()); }

} // namespace gwtest

#endif
