// What a new device's flash holds beyond the bootloader, and the boot that
// loads its running configuration when it starts.
#ifndef WY_PLATFORM_SIM_FIRMWARE_H
#define WY_PLATFORM_SIM_FIRMWARE_H

#include <string>

#include "device.h"
#include "flashimg.h"
#include "profile.h"

namespace gwsim {

// "wylinux", "romfile" and "second_romfile" as `opt` asks (see CreateOptions).
// false + `error` when a file cannot be read or does not fit its partition.
bool fill_flash(const FlashImage &image, const Profile &profile, const CreateOptions &opt, std::string &error);

// Runs the firmware's boot path (root/sbin/fwpath boot) inside the started
// device, its messages going to the device's log. false + a message on
// stderr when it fails; a firmware tree without it boots nothing.
bool boot_device(const DevicePaths &d);

} // namespace gwsim

#endif
