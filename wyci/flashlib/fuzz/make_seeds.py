#!/usr/bin/env python3
"""Seed inputs for the firmware-validation and configuration-copy fuzz targets:
a valid image behind a zero-byte header, and intact copies, plain and
compressed (one stored block). Writes corpus/<target>/."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
BASE = 0xB0030000


def crc(b):
    return zlib.crc32(b) ^ 0xFFFFFFFF


def compressed(text):
    block = struct.pack('<HHIII', 17, 0, len(text), zlib.adler32(text), len(text)) + text
    head = b'<compressed len=%d>' % len(block)
    return head + b'\0' * (40 - len(head)) + block


def image(defcfg, defcfg_sum):
    kernel, rootfs = bytes(range(64)), bytes(range(64, 192))
    tag = bytearray(256)
    tag[4:10] = b'WYSOC1'
    struct.pack_into('>I', tag, 28, 0x00010001)
    at = 256
    for start, sec in ((44, kernel), (36, rootfs), (52, defcfg)):
        struct.pack_into('>II', tag, start, BASE + at, len(sec))
        at += len(sec)
    struct.pack_into('>III', tag, 128, crc(rootfs), crc(kernel), defcfg_sum)
    return bytes(tag) + kernel + rootfs + defcfg


def block(data, stored, version):
    return data + b'\0' * (65528 - len(data)) + struct.pack('>II', stored, version)


def write(target, name, data):
    d = os.path.join(HERE, 'corpus', target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), 'wb') as f:
        f.write(data)


text = b'<ROMFILE>\n<System_Entry reboot_type="" upgrade_fw="0"/>\n</ROMFILE>'
write('fw_validate', 'compressed_defcfg', b'\0' + image(compressed(text + b'\n'), crc(text)))
write('fw_validate', 'plain_defcfg', b'\x05' + b'H' * 5 + image(text, crc(text)))
write('romfile_copy', 'plain', block(text, crc(text), 7))
write('romfile_copy', 'compressed', block(compressed(text), crc(text), 0x7FFFFFFF))
