// The gateway's flash and configuration library: the one public header.
// Operations have C linkage so that firmware components in C or C++ can call
// them. Results follow one rule: 1 (or a non-zero size or checksum) for done or
// found, 0 for failed or absent; codec operations 0 for success and -1 for
// failure. Every failure is printed where it happens.
#ifndef WY_FLASHLIB_H
#define WY_FLASHLIB_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Flash partitions and the manufacturing record ---- */

/* The bootloader partition (/dev/mtd0, "bootloader") is handled as one 128 KiB
 * image; the manufacturing record (MRD) sits near its end. */
#define BOOT_IMAGE_SIZE 0x20000
#define MRD_OFFSET 0x1FF00
#define MRD_SIZE 167

/* Field offsets inside the MRD. Multi-byte numbers are big-endian; bytes not
 * named here are kept as read. */
#define MRD_VENDOR_NAME 4        /* 32 bytes, NUL-terminated text */
#define MRD_PRODUCT_MODEL 36     /* 36 bytes, NUL-terminated text */
#define MRD_FIRST_MAC 72         /* 6 bytes, most significant first */
#define MRD_COUNTRY_CODE 100
#define MRD_SERIAL_NUMBER 104    /* 13 characters, no terminator; 0 = not set */
#define MRD_SERIAL_LEN 13
#define MRD_MAC_QUANTITY 117
#define MRD_ENG_DEBUG_FLAG 119   /* 1 permits the manufacturing writes */
#define MRD_MAIN_FEATURE_BITS 120
#define MRD_OTHER_FEATURE_BITS 121 /* 30 bytes */
#define MRD_MODEL_ID 121         /* unsigned 32-bit, big-endian */
#define MRD_CHIP_ID 128          /* up to 8 characters */
#define MRD_WPA_PSK 151          /* up to 16 characters, NUL-terminated when shorter */
#define MRD_WPA_PSK_LEN 16

/* Opens the MTD character device of the partition called `name` with the open
 * flags `flags`: the first /proc/mtd line "mtdN: ..." containing `name` anywhere
 * selects /dev/mtdN. When no line matches or /proc/mtd cannot be read, an
 * absolute `name` is opened as a path itself. Returns the descriptor or -1
 * (nothing printed). */
int vr_open_mtd(const char *name, int flags);

/* The total size in bytes of the partition `name` (opened with vr_open_mtd),
 * from the MTD information request. Returns 0 on failure after printing
 * "Could not open mtd device: NAME" or "Could not get MTD device info from NAME". */
int vr_mtd_size(const char *name);

/* Reads exactly `size` bytes from the current position of `fd` into a new
 * zero-filled buffer that the caller frees. Returns NULL after printing
 * "buffer allocation failed." or "Error: vr_readFdtoBuf read function fail.". */
unsigned char *vr_readFdtoBuf(int fd, int size);

/* Fills `buf` (MRD_SIZE bytes) with the MRD read from /dev/mtd0. Returns 1, or
 * 0 after printing "open mtd device (MRD) error!!" or "read mtd device (MRD)
 * error!!" (the buffer's contents are then undefined). */
int MRDread(unsigned char *buf);

/* Writes `record` (MRD_SIZE bytes) into the bootloader partition: the whole
 * partition image with the record patched in goes to /tmp/boot.bin, which the
 * flash tool writes; the whole partition is then read back from /dev/mtd0 and
 * compared with that image. Returns 1 when the flash holds the image, 0 after
 * printing the reason otherwise (flash is left alone when the image could not
 * be prepared in full). */
int MRDwrite(const unsigned char *record);

/* The hexadecimal value of `text` ("0x" prefix optional, lowercase x only),
 * up to the first character that is no hex digit; 32-bit, wrapping. Text without
 * leading digits gives 0. */
uint32_t lib_xtoi(const char *text);

/* The byte of the arm-flag file /tmp/vorna_atbt (0 to 255); 0 for an empty file.
 * A missing or unreadable file gives 0 after printing "Open file error!!" and
 * "\nERROR\n". */
int atbt_get(void);

/* Stores the one byte `value` in /tmp/vorna_atbt. Returns 1, or 0 after printing
 * the reason and "\nERROR\n". */
int atbt_set(unsigned char value);

/* ---- FastLZ level-1 codec and the compressed configuration file ---- */

/* Compresses `length` bytes of `input` into `output` as a FastLZ level-1
 * stream with a greedy parse (the fast tier), whatever `length` is (also for 65536 bytes and more), and returns the
 * number of bytes written; 0 for an empty input. `output` must hold at least
 * length + length / 32 + 1 bytes (within the published library's rule of 5 %
 * more, but at least 66 bytes). */
int fastlz_compress(const void *input, int length, void *output);

/* fastlz_compress's second tier, with the same contract: the smallest stream
 * this codec writes (an optimal parse over the matches a hash of the next
 * three bytes offers), at several times the encoding time. */
int fastlz_compress_optimal(const void *input, int length, void *output);

/* Decodes the `length` bytes of `input` as a level-1 stream into `output`,
 * writing at most `maxout` bytes. The top three bits of the first byte (the
 * level marker) are ignored. Returns the number of bytes written, or 0 for an
 * empty input or a stream that is not valid within these bounds: a literal run
 * or a match's length and distance bytes past the end of the input, output
 * beyond `maxout`, a match reaching before the start of `output`. Never reads
 * or writes outside the two areas; bytes after the decoded ones, up to
 * `maxout`, may be overwritten. Callers pass the exact decoded size as
 * `maxout` and treat any other result as a failure. */
int fastlz_decompress(const void *input, int length, void *output, int maxout);

/* Continues an Adler-32 checksum (RFC 1950) over `len` bytes; start with 1. */
uint32_t vr_adler32(uint32_t adler, const void *data, size_t len);

/* Header of a compressed configuration file: "<compressed len=", the stream
 * length in decimal, ">", NUL bytes up to offset 40; the stream follows. */
#define CFG_COMPRESSED_TAG "<compressed len="
#define CFG_COMPRESSED_HEADER_SIZE 40
#define CFG_MAX_STREAM_LEN 65536
/* Blocks of the stream: 16-byte little-endian header, then the payload. */
#define CFG_BLOCK_HEADER_SIZE 16
#define CFG_BLOCK_ID 17
#define CFG_BLOCK_SIZE 65536
#define CFG_METHOD_STORED 0
#define CFG_METHOD_FASTLZ 1

/* 1 when `buf` begins with "<compressed len=", else 0. Reads no further than
 * the first byte that differs, so a shorter NUL-terminated text is safe. */
int isCompressedConfigFile(const char *buf);

/* The stream length L from the header in the first 40 bytes of `buf` (which
 * must hold 40 bytes): the text between offset 16 and the first ">" read as by
 * atoi (white space, sign, digits; a number beyond the int range saturates).
 * No ">" in the 40 bytes gives 0 silently; a value above 65536, or negative,
 * prints "Oversized length %d in compressed config file header" and gives 0.
 * The "<compressed len=" prefix is not tested here. */
uint32_t vr_getCompressedConfigFileLength(const char *buf);

/* The real length of the ROM text at the start of `buf`: the offset of the
 * first "</ROMFILE>" plus 10, when `buf` begins with "<ROMFILE>". The tags are
 * searched as text within the first `size` bytes, up to the first NUL. 0 when
 * there is no such text; if "<ROMFILE>" occurs at all, "Current ROM file is
 * not valid!" is printed then. */
uint32_t vr_parseRomFromBuffer(const char *buf, uint32_t size);

/* vr_parseRomFromBuffer for the readers: a NULL `buf` prints "Input ROM file
 * buffer is NULL!" and gives 0. */
uint32_t vr_getRealRom(const char *buf, uint32_t size);

/* Encodes the *len bytes of `src` as a block stream into `dst`, which holds
 * `capacity` bytes: blocks of 65536 bytes (the last one the remainder), each
 * FastLZ level 1, or stored when shorter than 32 bytes, with 16-byte
 * little-endian headers and the Adler-32 of the payload. The blocks come from
 * the fast encoder tier, or from the optimal one when the fast stream does
 * not fit `capacity`. Returns 0 and sets
 * *len to the stream length (0 for an empty input), or -1 after printing the
 * reason: work areas (64 KiB block, 128 KiB result) not allocated, or the
 * stream not fitting `capacity` (nothing is written past it; *len unchanged). */
int compressCfgBufToBuf(const char *src, char *dst, uint32_t *len, uint32_t capacity);

/* Decodes the block stream of *len bytes at `stream` into `dst` (`capacity`
 * bytes; callers give at least five times the stream length) and always returns 0;
 * *len then holds the total decoded size. A stored block is copied as it is: a
 * wrong checksum is reported ("Skipped.") but its bytes stay in the output and
 * count. A compressed block with a wrong checksum, or that does not decode to
 * its declared size, is reported, leaves no bytes and still counts in the
 * total, so the following blocks move up and the output ends that many bytes
 * short (a zeroed `dst` shows zeros there). A block whose
 * decoded bytes would not fit `capacity` after the total so far is reported
 * and skipped without counting, so the total never exceeds `capacity`. A
 * block header or payload running past the end of the stream is reported and
 * decoding stops there. Other block ids and methods are passed over header by
 * header. */
int decompressCfgBufToBuf(const char *stream, uint32_t *len, char *dst, uint32_t capacity);

/* Decodes in place the compressed configuration file in *buf, a heap buffer
 * (malloc/calloc) of at least 65536 bytes; the caller has tested it with
 * isCompressedConfigFile. Only the first 65536 bytes are read. The output
 * holds five times the stream length, or the sum of the decoded sizes the
 * blocks declare when that is more, but never more than 1 MiB (16 full
 * blocks): blocks beyond that are reported and skipped. On success
 * returns 0: *buf holds the decoded bytes (the buffer is reallocated, and *buf
 * replaced, when they exceed 65536), *len their number, and the bytes after
 * them keep what they held. The caller frees whatever *buf holds afterwards.
 * Returns -1 after printing the reason when memory runs out; *buf is then
 * still the caller's (unchanged) buffer. */
int vr_configFileLzDecoder(char **buf, uint32_t *len);

/* Encodes in place the *len bytes of `buf` into a compressed configuration
 * file (40-byte header, then the stream), from the optimal encoder tier when
 * the fast one's file would exceed 65536 bytes. Returns 0 with *len set to the
 * stream length L; the file takes 40 + L bytes at the start of `buf`, the rest
 * of the original *len bytes is zeroed. Returns -1 after printing the reason,
 * with `buf` unchanged, when memory runs out or the file would not fit in *len
 * bytes ("Error: input buffer is not enough!"). */
int vr_configFileLzEncoder(char *buf, uint32_t *len);

/* vr_configFileLzEncoder on `buf`, then the file written to /tmp/tmp_compress,
 * whose device path is copied into `outPath` (at least 18 bytes). Returns 1,
 * or 0 after printing the reason; `buf` already holds the compressed file when
 * only writing the file failed. */
int vr_compressCfgBufferToFile(char *outPath, char *buf, uint32_t *len);

/* Writes the bare block stream of the file `inPath` into a new file `outPath`
 * (never overwritten: an existing one is refused). The stream must fit in
 * 65536 bytes. `unused` is not used. Returns 0, or -1 after printing the
 * reason. Absolute paths are device paths (moved under the system root). */
int compressCfgFileToFile(int unused, const char *inPath, const char *outPath);

/* ---- Checksums, firmware tag and boot information ---- */

/* CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320), started at
 * 0xFFFFFFFF and not inverted at the end: the complement of the common CRC-32.
 * "123456789" gives 0x340BC6D9, an empty range 0xFFFFFFFF. */
uint32_t crc32buf(const void *data, size_t len);

/* Continues a running checksum `crc` over `len` more bytes; start with
 * 0xFFFFFFFF. Pieces fed in order give crc32buf of the whole. */
uint32_t getCrc32Iterative(const void *data, size_t len, uint32_t crc);

/* Firmware tag: FW_TAG_SIZE bytes at the start of a firmware image and of the
 * partition "wylinux". Numbers are unsigned 32-bit, big-endian. */
#define FW_TAG_SIZE 140
#define FW_TAG_READ_SIZE 256      /* what validation reads at the tag's offset */
#define FW_FLASH_BASE 0xB0030000u /* processor address of the tag in flash */
#define FWTAG_CHIP_ID 4           /* 24 bytes, text, NUL-terminated when shorter */
#define FWTAG_CHIP_ID_LEN 24
#define FWTAG_MODEL_ID 28
#define FWTAG_ROOTFS_START 36
#define FWTAG_ROOTFS_LEN 40
#define FWTAG_KERNEL_START 44
#define FWTAG_KERNEL_LEN 48
#define FWTAG_DEFCFG_START 52
#define FWTAG_DEFCFG_LEN 56
#define FWTAG_FW_VERSION 96       /* 32 bytes, text, NUL-terminated when shorter */
#define FWTAG_FW_VERSION_LEN 32
#define FWTAG_ROOTFS_CHKSUM 128
#define FWTAG_KERNEL_CHKSUM 132
#define FWTAG_DEFCFG_CHKSUM 136
#define MRD_CHIP_ID_LEN 8

/* Boot information: 14 bytes near the end of the bootloader partition. */
#define BOOT_INFO_OFFSET 0x1FFF2
#define BOOT_INFO_SIZE 14

/* The confidential-firmware marker: the first word of a header, big-endian. */
#define FW_CONFIDENTIAL_MAGIC 0x04D0FC9Cu

/* The big-endian 32-bit word at `p`. */
uint32_t vr_getBe32(const unsigned char *p);

/* Copies the text of a fixed-size record field (`size` bytes at `field`, ending
 * at the first NUL or at the field's end) into `out` (`outSize` bytes, at
 * least 1), cut to fit and always NUL-terminated. Returns the text's length
 * within the field, which may exceed what `out` holds. */
size_t vr_getFieldText(const unsigned char *field, size_t size, char *out, size_t outSize);

/* Copies the firmware tag of "wylinux" into `tag` (FW_TAG_SIZE bytes). The
 * first successful read is kept for the rest of the process; later calls copy
 * it without reading the flash. Returns 1, or 0 after printing "Could not open
 * mtd device: wylinux" or "read mtd device (VrFW tag) error!!" (a NULL `tag`
 * gives 0 silently). */
int vr_getFWtag(unsigned char *tag);

/* Writes the bootloader version ("V%d.%02d", `version` at least 16 bytes) and
 * date ("%d/%d/%d", `date` at least 24 bytes) from the boot information.
 * Each BCD byte is read as the decimal number its hexadecimal digits spell, up
 * to the first digit that is no decimal one; the year is the first year byte's
 * digits followed by both digits of the second (0x20 0x05 is 2005). Returns 1,
 * or 0 after printing the reason. */
int vr_getBootInfo(char *version, char *date);

/* The checksum of the configuration text in the copy get_read_romfile_index
 * picks ("second_romfile" for 2, "romfile" otherwise); 0xFFFFFFFF for a copy
 * without ROM text; 0 after printing the reason when it cannot be read. */
uint32_t vr_getRomChksum(void);

/* Checks the firmware image in `fd` whose tag sits at file offset `offset` and
 * which is `len` bytes long, for the partition `partition` of `partSize`
 * bytes. `mrd` is the manufacturing record (MRD_SIZE bytes) to compare chip
 * and model with, or NULL to read it with MRDread when needed. Every section
 * must lie inside the image (start at or above FW_FLASH_BASE, end within
 * `len`); sections are checksummed in pieces of at most 64 KiB, a compressed
 * default configuration over its decoded ROM text only. Prints the stored and
 * calculated checksums, model, chip and length, then the verdict. Returns 1
 * when the image may be written, 0 otherwise ("Upload image too big for
 * partition: %s", "Illegal image! Image Checksum failed.", "Illegal image!
 * modelID failed.", "Illegal image! chipID failed." and the read failures). */
int vr_fwValidateImage(const char *partition, uint32_t partSize, int fd, uint32_t offset, uint32_t len,
                       const unsigned char *mrd);

/* vr_fwValidateImage with the size of `partition` from vr_mtd_size (0: the
 * reason is printed and 0 returned) and the MRD read from flash. */
int vr_fwValidation(const char *partition, int fd, uint32_t offset, uint32_t len);

/* 1 when the first word of `header` (4 bytes) is FW_CONFIDENTIAL_MAGIC, after
 * printing "\n***** Vorna Confidential Firmware *****\n"; else 0, silently. */
int isConfidentialFw(const unsigned char *header);

/* ---- Dual configuration file ---- */

/* Each copy ("romfile" = 1, "second_romfile" = 2) is a 64 KiB block: the ROM
 * file (plain or compressed) in its first 65528 bytes, then the CRC-32 of the
 * ROM text and a save counter, both big-endian. */
#define ROMFILE_BLOCK_SIZE 65536
#define ROMFILE_TRAILER_OFFSET 65528
#define ROMFILE_EMPTY_CRC 0xFFFFFFFFu

/* What a copy holds: calc, the checksum of its ROM text (ROMFILE_EMPTY_CRC
 * when it has none); stored and version from its trailer. */
struct romfile_state {
    uint32_t calc;
    uint32_t stored;
    uint32_t version;
};

/* The copy to read: an empty copy never; otherwise the newer intact one
 * (romfile 1 on equal versions), else the other if intact; 0 when neither is
 * intact. Versions compare as unsigned numbers. */
int vr_chooseReadRomfile(const struct romfile_state *first, const struct romfile_state *second);

/* The copy to overwrite: an empty one, else a damaged one, else the older
 * (romfile 1 on equal versions). */
int vr_chooseWriteRomfile(const struct romfile_state *first, const struct romfile_state *second);

/* Reads the first 64 KiB of `partition`: calc over the ROM text (decoded when
 * compressed), stored and ver from the trailer as read from flash, before any
 * decoding. Returns 1, or 0 after printing "Could not open mtd device: %s",
 * "read mtd device (MRD) error!!" or "%s: vr_configFileLzwDecoder fail!". */
int getRomfileChecksumAndVersion(const char *partition, uint32_t *calc, uint32_t *stored, uint32_t *ver);

/* getRomfileChecksumAndVersion that also hands over the text: *text is the
 * decoded block (a heap buffer the caller frees), whose first *textLen bytes
 * are the ROM text (0: none). For the boot path, which loads the copy the
 * read choice picks. Returns 1, or 0 after printing the reason. */
int vr_readRomfileCopy(const char *partition, char **text, uint32_t *textLen, struct romfile_state *state);

/* 1 when "romfile" and "second_romfile" open two different devices; else 0
 * after printing the reason. */
int vr_checkRomfilePair(void);

/* vr_chooseReadRomfile over both partitions; 0 when a partition cannot be
 * read, or when both names open the same device (reported). */
int get_read_romfile_index(void);

/* vr_chooseWriteRomfile over both partitions; 0 as for the read choice. */
int get_write_romfile_index(void);

/* Stamps the configuration image file `path` (absolute paths are device paths)
 * for copy `target` (1 or 2): the CRC-32 of its ROM text and the other copy's
 * version + 1 (wrapping) at offset 65528, big-endian; a shorter file grows to
 * 65536 bytes. Refused, the file unchanged: a file longer than 65536 bytes,
 * without valid ROM text, or whose data (the ROM text, or header and stream of
 * a compressed file) reach past offset 65528; a target other than 1 or 2; an
 * unreadable other copy. A failed write restores the file's length and
 * trailer bytes. Returns 1 when the trailer was written, else 0 after printing
 * the reason. */
int updateRomfileChecksumAndVersion(const char *path, int target);

/* ---- ROM-D default-configuration block ---- */

/* ROM-D lies at the end of "wylinux", in its last erase block: the data (a ROM
 * file, plain or compressed) end where the 20-byte trailer "<romd len=N>"
 * begins, and the trailer ends with the partition. */
#define ROMD_PARTITION "wylinux"
#define ROMD_TRAILER_TAG "<romd len="
#define ROMD_TRAILER_SIZE 20
#define ROMD_MAX_LEN 65536
#define ROMD_DUMP_PATH "/tmp/romd.cfg"

/* The length N announced by the trailer at `text`, which must hold
 * ROMD_TRAILER_SIZE bytes: "<romd len=" found within those bytes, then the
 * first ">" after it also within them, and the text between read by the rules
 * of atoi. Nothing outside the 20 bytes is read. 0 when there is no marker or
 * no ">", and when N is not within 1 to ROMD_MAX_LEN. */
int vr_romd_length(const char *text);

/* The ROM-D length of the last erase block `block` (`eraseSize` bytes, its
 * trailer in the final ROMD_TRAILER_SIZE of them): vr_romd_length of the
 * trailer, 0 as well when N + ROMD_TRAILER_SIZE exceeds `eraseSize` or
 * `eraseSize` is below ROMD_TRAILER_SIZE. Pure: no device is read. */
int vr_romdBlockLength(const unsigned char *block, uint32_t eraseSize);

/* 1 when "wylinux" carries a ROM-D block, after printing "ROM-D exist! len =
 * N"; 0 when it does not (silently) or when its last erase block cannot be
 * read (the reason printed). The partition's size and erase size come from
 * MEMGETINFO; an erase size below ROMD_TRAILER_SIZE or above the partition
 * size is refused. */
int isRomdExist(void);

/* Copies the N ROM-D data bytes into `destination`, which holds at least
 * ROMD_MAX_LEN bytes. Returns 1, or 0 when there is no ROM-D (silently) or the
 * block cannot be read (reason printed). */
int vr_getRomdBuf(unsigned char *destination);

/* The CRC-32 of the ROM-D configuration text (decoded first when stored
 * compressed); 0 when there is no ROM-D or it cannot be read or holds no ROM
 * text ("Read default configuration error!!"). Prints "ROM-D exist! len = N"
 * when the block is there. */
uint32_t vr_getRomdChksum(void);

/* Writes the ROM-D configuration text (decoded when compressed) to
 * /tmp/romd.cfg, replacing an older file, and prints "Please see /tmp/romd.cfg
 * for ROM-D content.". Returns 1, or 0 after printing the reason; a file that
 * could not be written in full is removed. */
int vr_dumpRomdContent(void);

/* Prepares the firmware image file `path` (absolute paths are device paths),
 * whose image starts at `offset` and is *len bytes long, for "wylinux" of
 * `partSize` bytes whose last erase block is `block` (`eraseSize` bytes):
 * without ROM-D, or when the image ends before the last erase block, the file
 * is left alone and 1 returned. When the image reaches into the last block
 * but ends no later than where the ROM-D data begin, the file gets 0xFF up to
 * there, then the ROM-D data and trailer from `block`, and *len becomes
 * `partSize`; 1. An image overlapping ROM-D gives 0 silently; a failed open or
 * write gives 0 after printing the reason, with the file cut back to its
 * original length and *len unchanged. Sums are taken without 32-bit wrap. */
int vr_fitImageWithRomd(const char *path, uint32_t *len, uint32_t offset, uint32_t partSize,
                        const unsigned char *block, uint32_t eraseSize);

/* vr_fitImageWithRomd over the last erase block of "wylinux" as read from
 * flash, printing "ROM-D exist! len = N" when there is ROM-D. Returns 1 when
 * the image may be written, else 0; also 0 after printing the reason when the
 * block cannot be read, since ROM-D may be there. */
int isFwFitInWithRomd(const char *path, uint32_t *len, uint32_t offset);

#ifdef __cplusplus
}
#endif

#endif
