// Test fixtures for the firmware tag and the configuration copies: a bitwise
// reference CRC-32 (independent of the library's tables), firmware images
// built from their sections, configuration blocks with trailers. Test code.
#ifndef WY_FLASHLIB_TEST_FWIMAGE_H
#define WY_FLASHLIB_TEST_FWIMAGE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "flashlib.h"

namespace fwimage {

using Bytes = std::vector<uint8_t>;

// One bit at a time, the textbook way; no final inversion.
inline uint32_t ref_crc(const uint8_t *p, size_t n, uint32_t crc = 0xFFFFFFFFu)
{
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc;
}
inline uint32_t ref_crc(const Bytes &b) { return ref_crc(b.data(), b.size()); }
inline uint32_t ref_crc(const std::string &s) { return ref_crc(reinterpret_cast<const uint8_t *>(s.data()), s.size()); }

inline Bytes bytes(const std::string &s) { return Bytes(s.begin(), s.end()); }

inline void put_be32(Bytes &b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v >> 24);
    b[at + 1] = uint8_t(v >> 16);
    b[at + 2] = uint8_t(v >> 8);
    b[at + 3] = uint8_t(v);
}

inline uint32_t get_be32(const Bytes &b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

// Filler that is never all one value, so a shifted or cut section shows.
inline Bytes pattern(size_t n, uint32_t seed)
{
    Bytes out(n);
    uint32_t x = seed * 2654435761u + 1;
    for (auto &b : out) {
        x = x * 1103515245u + 12345u;
        b = uint8_t(x >> 16);
    }
    return out;
}

// A ROM text of about `n` bytes: "<ROMFILE>", repeated nodes, "</ROMFILE>".
inline std::string rom_text(size_t n, const char *node = "Entry")
{
    std::string s = "<ROMFILE>\n";
    for (int i = 0; s.size() + 40 < n; ++i)
        s += "<" + std::string(node) + std::to_string(i % 1000) + " a=\"" + std::to_string(i) + "\"/>\n";
    return s + "</ROMFILE>";
}

// The compressed configuration file of `text`: header, then the block stream.
inline Bytes compressed_file(const std::string &text)
{
    uint32_t capacity = uint32_t(text.size() * 2 + 1024);
    Bytes out(CFG_COMPRESSED_HEADER_SIZE + capacity, 0);
    uint32_t n = uint32_t(text.size());
    if (compressCfgBufToBuf(text.data(), reinterpret_cast<char *>(out.data()) + CFG_COMPRESSED_HEADER_SIZE, &n,
                            capacity) != 0)
        return {};
    std::snprintf(reinterpret_cast<char *>(out.data()), CFG_COMPRESSED_HEADER_SIZE, "%s%u>", CFG_COMPRESSED_TAG,
                  unsigned(n));
    out.resize(CFG_COMPRESSED_HEADER_SIZE + n);
    return out;
}

struct ImageSpec {
    std::string chip = "WYSOC1";
    uint32_t model = 0x00010001;
    std::string version = "1.0.0";
    Bytes kernel = pattern(70000, 1);
    Bytes rootfs = pattern(140000, 2);
    Bytes defcfg = bytes(rom_text(3000));
    // Checksum of the default configuration: over this text when set (a
    // compressed section), else over the section's bytes.
    std::optional<std::string> defcfg_text;
};

inline constexpr uint32_t kTagArea = 256;

// Tag, then kernel, root file system and default configuration, each right
// after the other, with correct lengths and checksums.
inline Bytes build(const ImageSpec &s)
{
    Bytes img(kTagArea, 0);
    std::memcpy(img.data() + FWTAG_CHIP_ID, s.chip.data(), std::min<size_t>(s.chip.size(), FWTAG_CHIP_ID_LEN));
    std::memcpy(img.data() + FWTAG_FW_VERSION, s.version.data(),
                std::min<size_t>(s.version.size(), FWTAG_FW_VERSION_LEN));
    put_be32(img, FWTAG_MODEL_ID, s.model);
    auto add = [&](const Bytes &sec, int start_at, int len_at, int sum_at, uint32_t sum) {
        put_be32(img, start_at, FW_FLASH_BASE + uint32_t(img.size()));
        put_be32(img, len_at, uint32_t(sec.size()));
        put_be32(img, sum_at, sum);
        img.insert(img.end(), sec.begin(), sec.end());
    };
    add(s.kernel, FWTAG_KERNEL_START, FWTAG_KERNEL_LEN, FWTAG_KERNEL_CHKSUM, ref_crc(s.kernel));
    add(s.rootfs, FWTAG_ROOTFS_START, FWTAG_ROOTFS_LEN, FWTAG_ROOTFS_CHKSUM, ref_crc(s.rootfs));
    add(s.defcfg, FWTAG_DEFCFG_START, FWTAG_DEFCFG_LEN, FWTAG_DEFCFG_CHKSUM,
        s.defcfg_text ? ref_crc(*s.defcfg_text) : ref_crc(s.defcfg));
    return img;
}

// The manufacturing record of a unit of that model and chip.
inline Bytes mrd(uint32_t model = 0x00010001, const std::string &chip = "WYSOC1")
{
    Bytes r(MRD_SIZE, 0);
    put_be32(r, MRD_MODEL_ID, model);
    std::memcpy(r.data() + MRD_CHIP_ID, chip.data(), std::min<size_t>(chip.size(), MRD_CHIP_ID_LEN));
    return r;
}

// A 64 KiB configuration block: `file` (plain text or compressed file), zero
// bytes up to the trailer, then checksum and version.
inline Bytes block(const Bytes &file, uint32_t stored, uint32_t version)
{
    Bytes b(ROMFILE_BLOCK_SIZE, 0);
    std::memcpy(b.data(), file.data(), std::min<size_t>(file.size(), ROMFILE_BLOCK_SIZE));
    put_be32(b, ROMFILE_TRAILER_OFFSET, stored);
    put_be32(b, ROMFILE_TRAILER_OFFSET + 4, version);
    return b;
}

// An intact copy of `text` saved as `version`.
inline Bytes saved(const std::string &text, uint32_t version)
{
    return block(bytes(text), ref_crc(text), version);
}

} // namespace fwimage

#endif
