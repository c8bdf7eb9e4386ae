#include <string>

#include <gtest/gtest.h>

#include "mac.h"

TEST(MacText, VornaDigits)
{
    struct Case {
        const char *text;
        const char *digits; // nullptr: refused
    };
    const Case cases[] = {
        {"0257590000a4", "0257590000a4"},
        {"0257590000A4", "0257590000A4"},
        {"ff0257590000a4", "000257590000"}, // first two count as '0', last two unused
        {"zz0257590000a4", "000257590000"}, // replaced characters are not read
        {"0257590000a4zz", "0057590000a4"}, // nor is the unused tail
        {"12345678901234567890123456", "000000000000"},
        {"0257590000a", nullptr}, // short: refused rather than guessed
        {"", nullptr},
        {"02575900 0a4", nullptr},
        {"0x57590000a4", nullptr},
        {"02:57:59:00:", nullptr},
        {"g257590000a4", nullptr},
    };
    for (const Case &c : cases) {
        char digits[kMacDigits];
        bool ok = mac_vorna_digits(c.text, digits);
        EXPECT_EQ(ok, c.digits != nullptr) << c.text;
        if (ok && c.digits) {
            EXPECT_EQ(std::string(digits, kMacDigits), c.digits) << c.text;
        }
    }
}

TEST(MacText, DeviceAddress)
{
    struct Case {
        unsigned char mac[kMacBytes];
        bool device;
    };
    const Case cases[] = {
        {{0x02, 0x57, 0x59, 0x00, 0x00, 0xa4}, true},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x04}, true},
        {{0xfe, 0xff, 0xff, 0xff, 0xff, 0xff}, true},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, false},
        {{0x01, 0x00, 0x5e, 0x00, 0x00, 0x04}, false}, // group address
        {{0x33, 0x33, 0x00, 0x00, 0x00, 0x04}, false},
        {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, false}, // broadcast
    };
    for (const Case &c : cases)
        EXPECT_EQ(mac_device_address(c.mac), c.device) << std::hex << int(c.mac[0]) << " .. " << int(c.mac[5]);
    EXPECT_TRUE(mac_all_hex("0123456789abcdefABCDEF", 22));
    EXPECT_FALSE(mac_all_hex("012345678G", 10));
    EXPECT_TRUE(mac_all_hex("012345678G", 9));
}
