// Manufacturing profile of a simulated gateway: what the factory put into the
// manufacturing record (MRD) and the boot information of the bootloader.
#ifndef WY_PLATFORM_PROFILE_H
#define WY_PLATFORM_PROFILE_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gwsim {

inline constexpr uint32_t kMrdOffset = 0x1FF00;      // in the bootloader partition
inline constexpr uint32_t kMrdSize = 167;
inline constexpr uint32_t kBootInfoOffset = 0x1FFF2;
inline constexpr uint32_t kBootInfoSize = 14;

struct Profile {
    std::string vendor = "WyNet";
    std::string model = "WY-DSL-G1";
    std::array<uint8_t, 6> mac{0x02, 0x57, 0x59, 0x00, 0x00, 0x01};
    uint8_t mac_quantity = 4;
    uint8_t country_code = 0;
    std::string serial;  // 13 characters, or empty for "not set"
    uint8_t eng_debug_flag = 1;
    uint8_t main_feature_bits = 0;
    uint32_t model_id = 0x00010001;
    std::string chip_id = "WYSOC1";
    std::string wpa_psk;
    // Version 1.02, date fields 12 05, year 2016 (BCD).
    std::array<uint8_t, kBootInfoSize> boot_info{0x01, 0x02, 0x00, 0x12, 0x05, 0x20, 0x16};
};

// Applies "key=value" lines to `p` ('#' comments and blank lines skipped).
// false + `error` naming the line for an unknown key or a bad value.
bool apply_profile(std::string_view text, Profile &p, std::string &error);

// The 167 MRD bytes of `p` (fields big-endian, uninterpreted bytes 0).
std::array<uint8_t, kMrdSize> mrd_bytes(const Profile &p);

// The whole 128 KiB bootloader partition: code filler, MRD and boot info.
std::vector<uint8_t> bootloader_image(const Profile &p);

// The filler standing in for bootloader code at partition offset `i`: never
// 0xFF, with a period that is not a power of two so shifted copies show.
inline uint8_t boot_code_byte(uint32_t i) { return static_cast<uint8_t>((i * 131u + 17u) % 251u); }

} // namespace gwsim

#endif
