// The unit report: firmware tag, bootloader, manufacturing record, checksums.
#include <stdio.h>

#include "ci.h"
#include "flashlib.h"
#include "mac.h"

namespace {

// A text field of a record, never read past its size.
void print_field(const char *format, const unsigned char *field, size_t size)
{
    char text[40];
    vr_getFieldText(field, size, text, sizeof text);
    printf(format, text);
}

} // namespace

void dumpMemory(const unsigned char *bytes, int len)
{
    printf("\n");
    for (int at = 0; at < len; at += 16) {
        char line[16 * 3 + 1];
        int used = 0;
        for (int i = 0; i < 16 && at + i < len; ++i)
            used += snprintf(line + used, sizeof line - static_cast<size_t>(used), "%02x%c", bytes[at + i],
                             i == 7 ? '-' : ' ');
        line[used] = '\0';
        printf("\t \t");
        printf("%s\n", line);
    }
    printf("\r\n");
}

int ATDumpROMMRD(int, char **)
{
    unsigned char tag[FW_TAG_SIZE];
    if (!vr_getFWtag(tag)) {
        printf("Fail to get Vorna firmware Tag\n");
        return 0;
    }
    unsigned char mrd[MRD_SIZE];
    if (!MRDread(mrd)) {
        printf("Fail to get MRD information!\n");
        return 0;
    }
    printf("\n");
    print_field("FW       Version       : V%s\n", tag + FWTAG_FW_VERSION, FWTAG_FW_VERSION_LEN);
    char version[16], date[24];
    if (!vr_getBootInfo(version, date)) {
        printf("Fail to get Bootloader information!\n");
        return 0;
    }
    printf("Startkit Version       : %s | %s\n", version, date);
    print_field("Vendor Name            : %s\n", mrd + MRD_VENDOR_NAME, MRD_PRODUCT_MODEL - MRD_VENDOR_NAME);
    print_field("Product Model          : %s\n", mrd + MRD_PRODUCT_MODEL, MRD_FIRST_MAC - MRD_PRODUCT_MODEL);
    printf("Serial Number          : ");
    if (mrd[MRD_SERIAL_NUMBER] == 0) {
        printf("0000000000000\n");
    } else {
        for (int i = 0; i < MRD_SERIAL_LEN; ++i)
            printf("%c", mrd[MRD_SERIAL_NUMBER + i]);
        printf("\n");
    }
    const unsigned char *mac = mrd + MRD_FIRST_MAC;
    printf("First MAC Address      : %02X%02X%02X%02X%02X%02X\n", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    unsigned char last[kMacBytes];
    mac_last_address(mac, mrd[MRD_MAC_QUANTITY], last);
    printf("Last MAC Address       : %02X%02X%02X%02X%02X%02X\n", last[0], last[1], last[2], last[3], last[4],
           last[5]);
    printf("MAC Address Quantity   : %02d\n", mrd[MRD_MAC_QUANTITY]);
    printf("Default Country Code   : %02X\n", mrd[MRD_COUNTRY_CODE]);
    printf("Boot Module Debug Flag : %02X\n", mrd[MRD_ENG_DEBUG_FLAG]);
    printf("Kernel      Checksum   : %08x\r\n", vr_getBe32(tag + FWTAG_KERNEL_CHKSUM));
    printf("RootFS      Checksum   : %08x\r\n", vr_getBe32(tag + FWTAG_ROOTFS_CHKSUM));
    uint32_t rom = vr_getRomChksum();
    printf("RomFile     Checksum   : %08x\r\n", rom);
    printf("Main Feature Bits      : %02X\n", mrd[MRD_MAIN_FEATURE_BITS]);
    printf("Other Feature Bits     :");
    dumpMemory(mrd + MRD_OTHER_FEATURE_BITS, 30);
    return 0;
}
