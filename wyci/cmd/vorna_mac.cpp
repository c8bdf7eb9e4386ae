#include <stdio.h>
#include <string.h>

#include "ci.h"
#include "flashlib.h"
#include "mac.h"
#include "sysroot.h"

int ATWriteVornaMac(int n, char **p)
{
    unsigned char mrd[MRD_SIZE];
    int allowed = ci_interlock(mrd);
    if (allowed != 1)
        return allowed;
    if (n < 2 || n > 6)
        return -1;
    bool reboot = n == 6 && lib_xtoi(p[5]) != 0;
    if (n >= 5)
        mrd[MRD_MAIN_FEATURE_BITS] = static_cast<unsigned char>(lib_xtoi(p[4]));
    if (n >= 4)
        mrd[MRD_ENG_DEBUG_FLAG] = static_cast<unsigned char>(lib_xtoi(p[3]));
    if (n >= 3)
        mrd[MRD_COUNTRY_CODE] = static_cast<unsigned char>(lib_xtoi(p[2]));

    char digits[kMacDigits];
    if (!mac_vorna_digits(p[1], digits)) {
        printf("MAC address must be 12 hexadecimal digits\n");
        ERROROut();
        return -1;
    }
    unsigned char *mac = mrd + MRD_FIRST_MAC;
    for (size_t i = 0; i < kMacBytes; ++i) {
        char pair[3] = {digits[2 * i], digits[2 * i + 1], '\0'};
        mac[i] = static_cast<unsigned char>(lib_xtoi(pair));
    }
    if (mac[5] & 0x03) {
        printf("MAC is not valid. Must multiples of four.\n");
        ERROROut();
        return -1;
    }
    if (!mac_device_address(mac)) {
        mac_print_not_device(mac);
        ERROROut();
        return -1;
    }

    printf("MAC address  : %02X:%02X:%02X:%02X:%02X:%02X\n", mac[0], mac[1], mac[2], mac[3], mac[4],
           mac[5]);
    printf("Country Code : %02X\n", mrd[MRD_COUNTRY_CODE]);
    printf("EngDebugFlag : %02X\n", mrd[MRD_ENG_DEBUG_FLAG]);
    printf("FeatureBit   : %02X\n", mrd[MRD_MAIN_FEATURE_BITS]);
    printf("MAC Number   : %02X\n", mrd[MRD_MAC_QUANTITY]);

    bool written = MRDwrite(mrd) == 1;
    if (!written)
        ERROROut();
    atbt_set(0);
    // A reboot after a failed write would only take the error off the console.
    if (reboot && written)
        wy_system("reboot");
    return 0;
}
