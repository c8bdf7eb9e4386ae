// The flash tool /userfs/bin/mtd: the only way flash is written or erased. The
// command lines are fixed here and run through the shell; each call returns
// the shell's status, which callers must not take as proof of the write.
#ifndef WY_FLASHLIB_MTDTOOL_H
#define WY_FLASHLIB_MTDTOOL_H

namespace mtdtool {

inline constexpr const char kWriteBoot[] = "/userfs/bin/mtd -f write /tmp/boot.bin bootloader";
inline constexpr const char kWriteBootRaw[] = "/userfs/bin/mtd -rf write /tmp/boot.bin bootloader";
inline constexpr const char kEraseRomd[] = "/userfs/bin/mtd -f erase romd";

// /tmp/boot.bin (BOOT_IMAGE_SIZE bytes) from the start of "bootloader".
int write_boot();
// The same write with the extra flag the MAC patch command passes.
int write_boot_raw();
// Erases the ROM-D area at the end of the firmware partition.
int erase_romd();

} // namespace mtdtool

#endif
