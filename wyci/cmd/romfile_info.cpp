// doRomfileInfo: the two configuration copies' versions and stored checksums,
// and the copy in use, through the store library's debug print.
#include "ci.h"
#include "flashlib.h"
#include "wyapi.h"

int doRomfileInfo(int n, char **p)
{
    (void)n;
    (void)p;
    wydbg_printf("\r\n===== Double Romfile Message =====\r\n");
    uint32_t calc, stored, ver;
    if (!getRomfileChecksumAndVersion("romfile", &calc, &stored, &ver)) {
        wydbg_printf("get first romfile error \n");
        return -1;
    }
    wydbg_printf("Romfile 1 version : 0x%x,  checksum : 0x%x.\n\r", unsigned(ver), unsigned(stored));
    // One device under both names would show one partition twice.
    if (!vr_checkRomfilePair() || !getRomfileChecksumAndVersion("second_romfile", &calc, &stored, &ver)) {
        wydbg_printf("get second romfile error \n");
        return -1;
    }
    wydbg_printf("Romfile 2 version : 0x%x,  checksum : 0x%x.\n\r", unsigned(ver), unsigned(stored));
    wydbg_printf("Current using romfile %d\r\n", get_read_romfile_index());
    return 1;
}
