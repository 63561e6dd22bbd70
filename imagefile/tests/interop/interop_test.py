#!/usr/bin/env python3
"""Interoperability of the image file core with tools written elsewhere.

Random images with gaps, some crossing 64 KiB and 1 MiB boundaries, go both
ways: files the core writes must be read identically by srec_cat and by
Python's intelhex, and files those tools write must be read identically by the
core. Usage: interop_test.py HEXO_CONVERT WORK_DIR
"""
import os
import random
import subprocess
import sys

from intelhex import IntelHex

TOOL, WORK = sys.argv[1], sys.argv[2]
os.makedirs(WORK, exist_ok=True)

HEX, S19, S28, S37 = 1, 2, 3, 4
SREC_CAT_FORMAT = {HEX: ["-intel"], S19: ["-motorola", "-address-length=2"],
                   S28: ["-motorola", "-address-length=3"], S37: ["-motorola", "-address-length=4"]}
failures = []


def check(name, got, expected):
    if "error" in got:
        failures.append(name)
        print(f"FAIL {name}: {got['error']}")
    elif got != expected:
        missing = sorted(set(expected) - set(got))[:5]
        extra = sorted(set(got) - set(expected))[:5]
        wrong = sorted(a for a in set(got) & set(expected) if got[a] != expected[a])[:5]
        failures.append(name)
        print(f"FAIL {name}: {len(got)} vs {len(expected)} bytes; missing {list(map(hex, missing))} "
              f"extra {list(map(hex, extra))} differing {list(map(hex, wrong))}")
    else:
        print(f"ok   {name} ({len(expected)} bytes)")


class Image:
    """A contiguous random block from `low` with random gaps cut out."""

    def __init__(self, rng, low, length, gaps):
        self.low = low
        self.blob = bytes(rng.randrange(256) for _ in range(length))
        self.gaps = []
        for _ in range(gaps):
            start = low + rng.randrange(1, length - 1)
            self.gaps.append((start, min(start + rng.randrange(1, 300), low + length - 1)))
        self.cells = {low + i: b for i, b in enumerate(self.blob)
                      if not any(s <= low + i < e for s, e in self.gaps)}


def hexo_write(image, kind, path):
    text = "".join(f"{a:08X} {b:02X}\n" for a, b in sorted(image.cells.items()))
    subprocess.run([TOOL, "write", str(kind), path], input=text, text=True, check=True)


def hexo_read(kind, path):
    done = subprocess.run([TOOL, "read", str(kind), path], capture_output=True, text=True)
    if done.returncode != 0:
        return {"error": done.stderr.strip()}
    cells = {}
    for line in done.stdout.splitlines():
        address, byte = line.split()
        cells[int(address, 16)] = int(byte, 16)
    return cells


def srec_cat_read(kind, path):
    """srec_cat's reading of `path`, taken from its S3 output (absolute 32-bit addresses)."""
    out = subprocess.run(["srec_cat", path] + SREC_CAT_FORMAT[kind][:1] +
                         ["-o", "-", "-motorola", "-address-length=4"],
                         capture_output=True, text=True, check=True).stdout
    cells = {}
    for line in out.splitlines():
        if line.startswith("S3"):
            count = int(line[2:4], 16)
            address = int(line[4:12], 16)
            data = bytes.fromhex(line[12:12 + 2 * (count - 5)])
            for i, b in enumerate(data):
                cells[address + i] = b
    return cells


def srec_cat_write(image, kind, path):
    source = os.path.join(WORK, "blob.bin")
    with open(source, "wb") as f:
        f.write(image.blob)
    # An execution start address makes srec_cat end S-record files with a
    # terminator (without one the reader rightly reports a file cut short) and
    # adds a start address record to HEX files, which the reader passes over.
    command = ["srec_cat", source, "-binary", "-offset", hex(image.low)]
    for start, end in image.gaps:
        command += ["-exclude", hex(start), hex(end)]
    command += ["-execution-start-address=0"]
    subprocess.run(command + ["-o", path] + SREC_CAT_FORMAT[kind], check=True)


def intelhex_write(image, path):
    ih = IntelHex()
    ih.fromdict(image.cells)
    ih.write_hex_file(path)


def intelhex_read(path):
    return IntelHex(path).todict()


rng = random.Random(20261208)
# (name, lowest address, length, gaps, formats whose address range holds it)
layouts = [
    ("below 64 KiB", 0x0000, 0x3000, 12, [HEX, S19, S28, S37]),
    ("across 64 KiB", 0xF800, 0x1800, 10, [HEX, S28, S37]),
    ("across 1 MiB", 0xFF000, 0x2400, 10, [HEX, S28, S37]),
    ("across 64 KiB above 1 MiB", 0x10F800, 0x1900, 10, [HEX, S28, S37]),
    ("across 2 MiB", 0x1FF900, 0x1000, 6, [HEX, S28, S37]),
    ("high 32-bit addresses", 0x7FFFF800, 0x1000, 6, [HEX, S37]),
]
names = {HEX: "HEX", S19: "S19", S28: "S28", S37: "S37"}
for number, (title, low, length, gaps, kinds) in enumerate(layouts):
    image = Image(rng, low, length, gaps)
    for kind in kinds:
        # Files keep their names per case, so that a failing one can be looked at.
        ours = os.path.join(WORK, f"ours{number}." + names[kind].lower())
        hexo_write(image, kind, ours)
        check(f"{title}: {names[kind]} written here, read by srec_cat", srec_cat_read(kind, ours), image.cells)
        if kind == HEX:
            check(f"{title}: HEX written here, read by intelhex", intelhex_read(ours), image.cells)
        theirs = os.path.join(WORK, f"srec_cat{number}." + names[kind].lower())
        srec_cat_write(image, kind, theirs)
        check(f"{title}: {names[kind]} written by srec_cat, read here", hexo_read(kind, theirs), image.cells)
        if kind == HEX:
            theirs = os.path.join(WORK, f"intelhex{number}.hex")
            intelhex_write(image, theirs)
            check(f"{title}: HEX written by intelhex, read here", hexo_read(kind, theirs), image.cells)

if failures:
    print(f"{len(failures)} interoperability checks failed")
    sys.exit(1)
print("all interoperability checks passed")
