// Test helper: a fresh simulated gateway per test, created from a manufacturing
// profile, started on construction and stopped and removed on destruction.
// For tests only (std::string and friends are fine here).
#ifndef WY_PLATFORM_SIMTEST_H
#define WY_PLATFORM_SIMTEST_H

#include <cstdint>
#include <string>
#include <vector>

#include "wytest/run.h"

namespace simtest {

using RunResult = wytest::RunResult;

class Gateway {
public:
    // `profile` holds "key=value" lines that override the default manufacturing
    // profile (see gwsim's documentation); empty for a factory-fresh unit.
    explicit Gateway(const std::string &profile = "");
    ~Gateway();
    Gateway(const Gateway &) = delete;
    Gateway &operator=(const Gateway &) = delete;

    const std::string &dir() const { return dir_; } // the device directory
    std::string root() const;                       // dir()/root, the system root
    std::string path(const std::string &device_path) const; // root() + device_path

    // `gwsim run DIR -- argv...`, optionally with `input` on standard input.
    RunResult run(const std::vector<std::string> &argv, const std::string &input = "") const;

    // Bytes of the flash image at an absolute flash offset (0 .. 8 MiB).
    std::vector<uint8_t> flash(uint32_t offset, uint32_t length) const;
    // Puts bytes straight into the image, bypassing NOR rules: test set-up only.
    void poke_flash(uint32_t offset, const std::vector<uint8_t> &bytes) const;

    // What the stand-ins (reboot, ifconfig, ...) recorded, one line per run:
    // the command name and its arguments separated by single blanks.
    std::vector<std::string> calls() const;

    // Every line written to /proc/wysoc/wyci_cmd, in order, each recorded when
    // its writer closed the node.
    std::vector<std::string> cmd_lines() const;
    // Makes the command node refuse "open" or "write" from now on, or refuse
    // nothing again for "".
    void cmd_node_refuses(const std::string &what) const;

    // Runs `gwsim ARGS...` itself (for example {"stop", dir()} or
    // {"start", dir()}), with the caller's environment.
    RunResult gwsim(const std::vector<std::string> &args) const;
    // The gwsim executable the fixture drives: $WY_GWSIM, else the one built.
    static std::string gwsim_path();

    // File helpers under the system root.
    std::string read_file(const std::string &device_path) const;
    void write_file(const std::string &device_path, const std::string &bytes) const;
    bool exists(const std::string &device_path) const;

private:
    std::string dir_;
};

} // namespace simtest

#endif
