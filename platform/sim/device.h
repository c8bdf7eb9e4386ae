// gwsim's own pieces: device creation, start/stop of the FUSE daemon, running
// commands inside a device. Host tool code (full standard library).
#ifndef WY_PLATFORM_DEVICE_H
#define WY_PLATFORM_DEVICE_H

#include "layout.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace gwsim {

struct CreateOptions {
    std::string profile_file;          // empty: the default profile
    std::vector<std::string> fwroots;  // layered in order; empty: the default
    std::string cmdtable_file;         // empty: the one beside gwsim
    // Flash contents; empty: a firmware image valid for the profile's model
    // and chip, one good saved configuration in "romfile", "second_romfile"
    // erased.
    std::string firmware_file;         // into "wylinux"
    std::string romfile_file;          // into "romfile"
    std::string second_romfile_file;   // into "second_romfile"
};

// Directory of the running gwsim executable.
std::string self_dir();
// DIR made absolute; "" (with a message) when it has characters that must
// not reach a shell through WY_SYSROOT.
std::string device_dir(const std::string &dir);

int create_device(const DevicePaths &d, const CreateOptions &opt);
int start_device(const DevicePaths &d, pid_t owner);
int stop_device(const DevicePaths &d);
// The device's daemon runs and both its mounts answer.
bool device_running(const DevicePaths &d);
// Runs argv inside a started device; returns its exit status (128 + signal),
// or kRunRefused (with a message) when DIR holds no device or it is not started.
inline constexpr int kRunRefused = 125;
int run_in_device(const DevicePaths &d, const std::vector<std::string> &argv);

// The FUSE daemon (foreground): serves both mounts until they are unmounted
// or it gets SIGTERM/SIGINT/SIGHUP, or `owner` (when > 0) exits.
int serve_device(const DevicePaths &d, pid_t owner);

// Mount helpers shared by start, stop and the daemon.
bool is_mounted(const std::string &mountpoint);
bool unmount(const std::string &mountpoint);
// Removes a device directory without crossing into a mount still there.
bool remove_tree(const std::string &dir);

} // namespace gwsim

#endif
