#include "profile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace gwsim {
namespace {

int hexval(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Exactly 2*N hex digits.
template <size_t N>
bool parse_hex(std::string_view s, std::array<uint8_t, N> &out)
{
    if (s.size() != 2 * N)
        return false;
    for (size_t i = 0; i < N; ++i) {
        int hi = hexval(s[2 * i]), lo = hexval(s[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return true;
}

bool parse_number(std::string_view s, uint32_t max, uint32_t &out)
{
    std::string t(s);
    if (t.empty() || t[0] == '-' || t[0] == '+')
        return false;
    char *end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(t.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || v > max)
        return false;
    out = static_cast<uint32_t>(v);
    return true;
}

bool set_key(std::string_view key, std::string_view val, Profile &p)
{
    uint32_t n = 0;
    if (key == "vendor" && val.size() <= 31)
        p.vendor = val;
    else if (key == "model" && val.size() <= 35)
        p.model = val;
    else if (key == "mac")
        return parse_hex(val, p.mac);
    else if (key == "boot_info")
        return parse_hex(val, p.boot_info);
    else if (key == "serial" && (val.empty() || val.size() == 13))
        p.serial = val;
    else if (key == "chip_id" && val.size() <= 8)
        p.chip_id = val;
    else if (key == "wpa_psk" && val.size() <= 16)
        p.wpa_psk = val;
    else if (key == "model_id" && parse_number(val, 0xFFFFFFFFu, n))
        p.model_id = n;
    else if (key == "mac_quantity" && parse_number(val, 255, n))
        p.mac_quantity = static_cast<uint8_t>(n);
    else if (key == "country_code" && parse_number(val, 255, n))
        p.country_code = static_cast<uint8_t>(n);
    else if (key == "eng_debug_flag" && parse_number(val, 255, n))
        p.eng_debug_flag = static_cast<uint8_t>(n);
    else if (key == "main_feature_bits" && parse_number(val, 255, n))
        p.main_feature_bits = static_cast<uint8_t>(n);
    else
        return false;
    return true;
}

void put_text(uint8_t *field, size_t size, const std::string &s)
{
    std::memcpy(field, s.data(), std::min(size, s.size()));
}

} // namespace

bool apply_profile(std::string_view text, Profile &p, std::string &error)
{
    int lineno = 0;
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++lineno;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        size_t b = line.find_first_not_of(" \t");
        if (b == std::string_view::npos || line[b] == '#')
            continue;
        line.remove_prefix(b);
        size_t eq = line.find('=');
        std::string_view key = line.substr(0, eq);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
            key.remove_suffix(1);
        if (eq == std::string_view::npos || !set_key(key, line.substr(eq + 1), p)) {
            error = "profile line " + std::to_string(lineno) + ": bad or unknown entry \"" +
                    std::string(line) + "\"";
            return false;
        }
    }
    return true;
}

std::array<uint8_t, kMrdSize> mrd_bytes(const Profile &p)
{
    std::array<uint8_t, kMrdSize> r{};
    put_text(&r[4], 31, p.vendor);
    put_text(&r[36], 35, p.model);
    std::memcpy(&r[72], p.mac.data(), 6);
    r[100] = p.country_code;
    put_text(&r[104], 13, p.serial);
    r[117] = p.mac_quantity;
    r[119] = p.eng_debug_flag;
    r[120] = p.main_feature_bits;
    r[121] = static_cast<uint8_t>(p.model_id >> 24);
    r[122] = static_cast<uint8_t>(p.model_id >> 16);
    r[123] = static_cast<uint8_t>(p.model_id >> 8);
    r[124] = static_cast<uint8_t>(p.model_id);
    put_text(&r[128], 8, p.chip_id);
    put_text(&r[151], 16, p.wpa_psk);
    return r;
}

std::vector<uint8_t> bootloader_image(const Profile &p)
{
    std::vector<uint8_t> img(0x20000);
    for (uint32_t i = 0; i < img.size(); ++i)
        img[i] = boot_code_byte(i);
    auto mrd = mrd_bytes(p);
    std::memcpy(&img[kMrdOffset], mrd.data(), mrd.size());
    std::memcpy(&img[kBootInfoOffset], p.boot_info.data(), p.boot_info.size());
    return img;
}

} // namespace gwsim
