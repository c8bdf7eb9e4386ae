// What a new device's flash holds beyond the bootloader, and the boot that
// loads its running configuration when it starts.
#ifndef WY_PLATFORM_SIM_FIRMWARE_H
#define WY_PLATFORM_SIM_FIRMWARE_H

#include <cstdint>
#include <string>
#include <vector>

#include "device.h"
#include "flashimg.h"
#include "profile.h"

namespace gwsim {

// What "wylinux", "romfile" and "second_romfile" are to hold, as `opt` asks
// (see CreateOptions); an empty part stays erased.
struct FlashContents {
    std::vector<uint8_t> firmware, romfile, second_romfile;
};

// Gathers the contents before anything of the device is made. false +
// `error` when a file cannot be read or does not fit its partition.
bool flash_contents(const Profile &profile, const CreateOptions &opt, FlashContents &out, std::string &error);

// Puts the contents into the new device's flash image.
bool fill_flash(const FlashImage &image, const FlashContents &contents, std::string &error);

// Runs the firmware's boot path (root/sbin/fwpath boot) inside the started
// device, its messages going to the device's log. false + a message on
// stderr when it fails; a firmware tree without it boots nothing.
bool boot_device(const DevicePaths &d);

} // namespace gwsim

#endif
