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
// Validates the image file and, when it passes, writes it into "wylinux";
// an image that reaches the last erase block is first extended with ROM-D
// (isFwFitInWithRomd), and refused when the two overlap.
int upgrade(const char *image);

// The compressed configuration file of `text` (header and block stream).
bool compressed_file(const std::string &text, Bytes &file);
// The ROM text of the firmware's default-configuration section, or "".
std::string firmware_default_text();
// Replaces the running configuration with `text`, whole and durable.
bool replace_running(const std::string &text);

// A ROM-D last erase block of `erase` bytes: 0xFF, then `data`, then the
// trailer announcing its length. Empty when `data` is empty or does not fit.
Bytes romd_block(const Bytes &data, uint32_t erase);
// The store's upload path for a configuration file (upload file type 3): the
// ROM text of `file`, compressed, becomes ROM-D through the flash tool, and
// is read back.
int upload_romd(const char *file);
// The default configuration a restore goes back to: ROM-D's text when the
// unit carries ROM-D, else the firmware's default configuration.
std::string default_text();
// A restore: the running configuration becomes the default one (a commit
// then saves it, and the reboot loads it).
int restore();

// Shared by the paths: a message on stderr (returns 1), a device path under
// the system root ("" when it does not fit), and a whole file of at most
// `max` bytes (false when it cannot be read or is longer).
int fail(const std::string &msg);
std::string device(const char *p);
bool read_file(const std::string &path, size_t max, std::string &out);

} // namespace fwpath

#endif
