#!/usr/bin/env python3
"""Footprint check of a firmware tree built for the gateway.

Every ELF program and library in the tree (as `cmake --install --component
firmware` lays it out) is measured after stripping a copy, and its NEEDED
entries are read with readelf. It fails when a file is not a 32-bit big-endian
MIPS binary, needs a library other than the C library and its loader (and
libwyapi.so.1 where the firmware's layout links the store: wyci, idle_stub and
every CGI program; the two mbedTLS libraries for certsubj), or is over its
budget: 16 KiB for a CGI page or action program (userfs/cgi-bin), 64 KiB for
any other; the mbedTLS libraries are listed without one. With --expect, every
deliverable the build installs (its deliverables.txt, written by wy_install)
must be in the tree. With --doc, the table replaces the one between the
markers in that Markdown file.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

KIB = 1024
CGI_DIR = "userfs/cgi-bin/"
CGI_BUDGET = 16 * KIB
OTHER_BUDGET = 64 * KIB
BASE_NEEDS = {"libc.so.6", "ld.so.1"}
STORE_LIB = "libwyapi.so.1"
STORE_USERS = {"wyci", "idle_stub", "fwrule_action", "fwservice_action"}  # and all of userfs/cgi-bin
# mbedTLS as the firmware carries it for certsubj (scripts/mbedtls-target.sh):
# measured and listed, but third-party libraries have no budget of their own.
MBEDTLS_LIBS = {"libmbedx509.so.1": {"libmbedcrypto.so.7"}, "libmbedcrypto.so.7": set()}
EXTRA_NEEDS = {"certsubj": {"libmbedx509.so.1", "libmbedcrypto.so.7"}}

ET_REL, ET_EXEC, ET_DYN = 1, 2, 3
EM_MIPS = 8


def elf_kind(path):
    """(is_elf, is_mips32be, e_type) from the ELF identification and header."""
    with open(path, "rb") as f:
        head = f.read(20)
    if len(head) < 20 or head[:4] != b"\x7fELF":
        return False, False, None
    ei_class, ei_data = head[4], head[5]
    order = "big" if ei_data == 2 else "little"
    e_type = int.from_bytes(head[16:18], order)
    e_machine = int.from_bytes(head[18:20], order)
    return True, (ei_class == 1 and ei_data == 2 and e_machine == EM_MIPS), e_type


def needed(readelf, path):
    out = subprocess.run([readelf, "-d", path], check=True, capture_output=True, text=True).stdout
    libs = []
    for line in out.splitlines():
        if "(NEEDED)" in line and "[" in line:
            libs.append(line[line.index("[") + 1:line.rindex("]")])
    return libs


def stripped_size(strip, path, scratch):
    copy = os.path.join(scratch, "binary")
    shutil.copyfile(path, copy)
    subprocess.run([strip, "-o", copy + ".stripped", copy], check=True)
    return os.path.getsize(copy + ".stripped")


def check_file(rel, path, args, scratch):
    """A row of the table: (rel, size, budget, needs, problems)."""
    is_elf, target, e_type = elf_kind(path)
    if not is_elf:
        return None
    if e_type == ET_REL:
        return None  # kernel module or object: not a user-space program
    if not target:
        return (rel, os.path.getsize(path), None, [], ["not a 32-bit big-endian MIPS binary"])
    cgi = rel.startswith(CGI_DIR)
    name = os.path.basename(rel)
    budget = None if name in MBEDTLS_LIBS else budget_of(rel)
    allowed = set(BASE_NEEDS) | EXTRA_NEEDS.get(name, set()) | MBEDTLS_LIBS.get(name, set())
    if cgi or os.path.basename(rel) in STORE_USERS:
        allowed.add(STORE_LIB)
    libs = needed(args.readelf, path)
    size = stripped_size(args.strip, path, scratch)
    problems = ["needs " + lib for lib in libs if lib not in allowed]
    if budget is not None and size > budget:
        problems.append("%d bytes over budget" % (size - budget))
    return (rel, size, budget, libs, problems)


DOC_BEGIN = "<!-- footprint table: written by scripts/footprint.py -->"
DOC_END = "<!-- end of footprint table -->"


def budget_of(rel):
    return CGI_BUDGET if rel.startswith(CGI_DIR) else OTHER_BUDGET


def missing_rows(expect_file, rows):
    """Rows for the deliverables the build installs but the tree lacks."""
    present = {r[0] for r in rows}
    out = []
    with open(expect_file) as f:
        for line in f:
            rel = line.strip()
            if rel and rel not in present:
                out.append((rel, 0, budget_of(rel), [], ["missing from the tree"]))
    return out


def update_doc(path, lines):
    with open(path) as f:
        text = f.read()
    begin, end = text.find(DOC_BEGIN), text.find(DOC_END)
    if begin < 0 or end < begin:
        raise SystemExit("footprint: %s lacks the table markers" % path)
    text = text[:begin + len(DOC_BEGIN)] + "\n" + "\n".join(lines) + "\n" + text[end:]
    with open(path, "w") as f:
        f.write(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("tree", help="firmware tree (cmake --install ... --component firmware)")
    ap.add_argument("--strip", default="mips-linux-gnu-strip")
    ap.add_argument("--readelf", default="mips-linux-gnu-readelf")
    ap.add_argument("--markdown", help="also write the table here, as Markdown")
    ap.add_argument("--expect", help="deliverables.txt of the build: each must be in the tree")
    ap.add_argument("--doc", help="Markdown file whose table (between the markers) is replaced")
    args = ap.parse_args()

    rows = []
    with tempfile.TemporaryDirectory() as scratch:
        for dirpath, dirnames, filenames in os.walk(args.tree):
            dirnames.sort()
            for name in sorted(filenames):
                path = os.path.join(dirpath, name)
                if os.path.islink(path) or not os.path.isfile(path):
                    continue
                rel = os.path.relpath(path, args.tree)
                row = check_file(rel, path, args, scratch)
                if row:
                    rows.append(row)

    if args.expect:
        rows += missing_rows(args.expect, rows)
    if not rows:
        print("footprint: no target binaries under %s" % args.tree)
        return 1

    header = "| binary | installed at | stripped bytes | budget | needs | verdict |"
    lines = [header, "|---|---|---:|---:|---|---|"]
    for rel, size, budget, libs, problems in rows:
        lines.append("| %s | %s | %d | %s | %s | %s |" % (
            os.path.basename(rel), os.path.dirname(rel) or ".", size,
            "%d KiB" % (budget // KIB) if budget else "-",
            ", ".join(libs) or "-",
            "FAIL: " + "; ".join(problems) if problems else "ok"))
    print("\n".join(lines))
    if args.markdown:
        with open(args.markdown, "w") as f:
            f.write("\n".join(lines) + "\n")
    if args.doc:
        update_doc(args.doc, lines)
    failed = [r for r in rows if r[4]]
    print("footprint: %d binaries, %d over budget or with other run-time needs"
          % (len(rows), len(failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
