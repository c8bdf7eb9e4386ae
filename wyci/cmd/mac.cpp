#include "mac.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

namespace {

bool is_hex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

} // namespace

bool mac_all_hex(const char *text, size_t len)
{
    for (size_t i = 0; i < len; ++i)
        if (!is_hex(text[i]))
            return false;
    return true;
}

bool mac_vorna_digits(const char *text, char digits[kMacDigits])
{
    size_t len = strlen(text);
    if (len < kMacDigits)
        return false;
    size_t zeros = len - kMacDigits;
    for (size_t i = 0; i < kMacDigits; ++i)
        digits[i] = i < zeros ? '0' : text[i];
    return mac_all_hex(digits, kMacDigits);
}

bool mac_device_address(const unsigned char mac[kMacBytes])
{
    if (mac[0] & 0x01)
        return false;
    for (size_t i = 0; i < kMacBytes; ++i)
        if (mac[i])
            return true;
    return false;
}

void mac_print_not_device(const unsigned char mac[kMacBytes])
{
    printf("MAC address %02X:%02X:%02X:%02X:%02X:%02X is no device address (all zeros or group bit set)\n",
           mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

void mac_last_address(const unsigned char first[kMacBytes], unsigned quantity,
                      unsigned char last[kMacBytes])
{
    uint64_t value = 0;
    for (size_t i = 0; i < kMacBytes; ++i)
        value = value << 8 | first[i];
    if (quantity > 0)
        value += quantity - 1;
    for (size_t i = kMacBytes; i-- > 0; value >>= 8)
        last[i] = static_cast<unsigned char>(value);
}
