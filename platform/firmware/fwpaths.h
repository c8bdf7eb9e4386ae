// The gateway firmware's own paths that the simulator plays: saving the
// running configuration to flash, loading it at boot, upgrading the firmware,
// and the images a new device is created with. They call the flash library
// through its public header and write flash only through the flash tool.
// Platform code (host tool): the full standard library is fine here.
#ifndef WY_PLATFORM_FWPATHS_H
#define WY_PLATFORM_FWPATHS_H

#include <cstdint>
#include <string>
#include <vector>

namespace fwpath {

using Bytes = std::vector<uint8_t>;

// The running configuration a factory-fresh device holds.
std::string default_config_text();

// A configuration copy as saved: the compressed file of `text`, zero bytes
// up to the trailer, its checksum and `version`. Empty (and `error` set) when
// the compressed file would not fit before the trailer.
Bytes config_block(const std::string &text, uint32_t version, std::string &error);

// A firmware image whose tag names `model_id` and `chip_id`, with filler
// kernel and root file system and `defcfg_text` compressed as the default
// configuration; every checksum correct.
Bytes firmware_image(uint32_t model_id, const std::string &chip_id, const std::string &defcfg_text);

// Inside a device (WY_SYSROOT set). Each returns 0 on success, 1 after a
// message on stderr.
//
// The running configuration into the copy the write choice picks: compressed
// to /tmp/tmp_compress, stamped, written by the flash tool, read back.
int save();
// The running configuration from the copy the read choice picks; the
// firmware's default configuration when neither copy is usable.
int boot();
// Validates the image file and, when it passes, writes it into "wylinux".
int upgrade(const char *image);

} // namespace fwpath

#endif
