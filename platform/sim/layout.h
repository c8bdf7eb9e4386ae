// Geometry of a simulated gateway's flash and the files of a device directory.
#ifndef WY_PLATFORM_LAYOUT_H
#define WY_PLATFORM_LAYOUT_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace gwsim {

inline constexpr uint32_t kFlashSize = 0x800000;  // 8 MiB NOR
inline constexpr uint32_t kEraseSize = 0x10000;   // 64 KiB blocks

struct Partition {
    const char *name;
    uint32_t offset;  // from the start of the flash
    uint32_t size;
};

// Index = N of /dev/mtdN. "romd" is the last erase block of "wylinux".
inline constexpr std::array<Partition, 5> kPartitions{{
    {"bootloader", 0x000000, 0x020000},
    {"romfile", 0x020000, 0x010000},
    {"wylinux", 0x030000, 0x7C0000},
    {"romd", 0x7E0000, 0x010000},
    {"second_romfile", 0x7F0000, 0x010000},
}};

// Where things live in a device directory DIR.
struct DevicePaths {
    std::string dir;
    std::string root() const { return dir + "/root"; }
    std::string flash() const { return dir + "/flash.bin"; }
    std::string calls() const { return dir + "/calls.log"; }
    std::string cmdtable() const { return dir + "/cmdtable.txt"; }
    std::string adslinfo() const { return dir + "/adslinfo.txt"; }
    std::string cmdlog() const { return dir + "/cmdnode.log"; }
    std::string cmd_refuse() const { return dir + "/cmdnode.refuse"; }
    std::string pidfile() const { return dir + "/gwsim.pid"; }
    std::string log() const { return dir + "/gwsim.log"; }
    std::string temporary_mark() const { return dir + "/.temporary"; }
    std::string proc_mount() const { return root() + "/proc/wysoc"; }
    std::string dev_mount() const { return root() + "/dev"; }
};

// The /proc/mtd text the kernel would print for kPartitions.
std::string proc_mtd_text();

// The partition that a /proc/mtd text lists under exactly `name` (the quoted
// field), by its mtdN number; nullptr when no line names it or N is not one
// of kPartitions.
const Partition *partition_by_name(std::string_view proc_mtd, std::string_view name);

} // namespace gwsim

#endif
