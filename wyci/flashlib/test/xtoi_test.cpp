#include <gtest/gtest.h>

#include "flashlib.h"

TEST(LibXtoi, Table)
{
    struct Case {
        const char *text;
        uint32_t value;
    };
    const Case cases[] = {
        {"0x1f", 31},       {"1F", 31},         {"1f", 31},
        {"0X1F", 0},        // only a lowercase x forms the prefix
        {"12zz", 0x12},     {"", 0},            {"zz", 0},
        {"0x", 0},          {"x1f", 0},         {"0", 0},
        {"123456789", 0x23456789}, // the overflowing first digit is shifted out
        {"ffffffff", 0xffffffffu}, {"0xABCDEF01", 0xabcdef01u},
        {"00000000000a", 10},
        {"7f ", 0x7f},      {"-1", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(lib_xtoi(c.text), c.value) << "text \"" << c.text << "\"";
}
