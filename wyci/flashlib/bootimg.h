// Every write of the bootloader partition goes one way: the caller prepares
// the image in memory and the file /tmp/boot.bin that the flash tool reads;
// bootimg::flash proves the file holds exactly that image, runs the tool and
// compares the whole partition read back with the image, so a tool that
// damages any byte, inside the record or not, is caught. Private to the
// flash library and the factory commands.
#ifndef WY_FLASHLIB_BOOTIMG_H
#define WY_FLASHLIB_BOOTIMG_H

namespace bootimg {

inline constexpr char kDevice[] = "/dev/mtd0";
inline constexpr char kFile[] = "/tmp/boot.bin";

enum class Read { ok, no_device, short_read };

// /dev/mtd0 opened read-only, or -1; nothing printed.
int open_device();

// The first BOOT_IMAGE_SIZE bytes of /dev/mtd0 into `image`; nothing printed.
Read read_partition(unsigned char *image);

// Checks that /tmp/boot.bin holds exactly the BOOT_IMAGE_SIZE bytes of
// `image`. Otherwise prints "WHO: ...; bootloader not written", removes the
// file so that nothing can flash it later, and returns false.
bool file_holds(const char *who, const unsigned char *image);

// file_holds, then `tool` (one of mtdtool's writers), then the partition read
// back and compared with `image`. Returns true only when the flash holds the
// image; each failure is printed with the tool's exit status.
bool flash(const char *who, const unsigned char *image, int (*tool)());

} // namespace bootimg

#endif
