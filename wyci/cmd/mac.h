// MAC address texts of the factory commands. A typo here becomes the unit's
// address for good, so the writers take only what these accept.
#ifndef WY_WYCI_MAC_H
#define WY_WYCI_MAC_H

#include <stddef.h>

inline constexpr size_t kMacDigits = 12;
inline constexpr size_t kMacBytes = 6;

// True when the first `len` characters of `text` are hexadecimal digits.
bool mac_all_hex(const char *text, size_t len);

// The 12 digits ATWriteVornaMac reads from `text`: a longer text has its first
// (length - 12) characters taken as '0' and its tail past 12 left unused.
// False for a text shorter than 12 characters or digits that are not hex.
bool mac_vorna_digits(const char *text, char digits[kMacDigits]);

// False for an address no Ethernet device can own: all zeros, or the group
// (multicast) bit of the first byte set, broadcast included.
bool mac_device_address(const unsigned char mac[kMacBytes]);

// Prints the refusal of an address that mac_device_address rejects.
void mac_print_not_device(const unsigned char mac[kMacBytes]);

// The last of `quantity` consecutive addresses from `first`, as 48-bit
// arithmetic that wraps (FFFFFFFFFFFF with 2 gives 000000000000). A quantity
// of 0 owns no address; the first one stands in for the last then, never the
// one before it.
void mac_last_address(const unsigned char first[kMacBytes], unsigned quantity,
                      unsigned char last[kMacBytes]);

#endif
