#!/usr/bin/env python3
"""Reads Nagwick.exe's resources back (icoutils' wrestool and icotool) and
checks its version block and its icon group.  Usage: check_resources.py EXE"""
import re
import struct
import subprocess
import sys
import tempfile

DESCRIPTION = "Utility to provide a nagwick to remove a flash drive when a user logs out."
EXPECTED_STRINGS = [
    ("Comments", DESCRIPTION), ("CompanyName", "Nagwick"), ("FileDescription", DESCRIPTION),
    ("ProductName", "Nagwick"), ("FileVersion", "1.00"), ("ProductVersion", "1.00"),
    ("InternalName", "Nagwick"), ("OriginalFilename", "Nagwick.exe"),
]
EXPECTED_IMAGES = sorted((size, depth) for size in (48, 32, 16) for depth in (4, 8, 32))

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def align4(offset):
    return (offset + 3) & ~3


def parse_node(data, offset):
    """One VS_VERSIONINFO-style node: (key, value bytes, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    value_start = align4(key_end + 2)
    value_end = value_start + (value_length * 2 if value_type == 1 else value_length)
    children = []
    child = align4(value_end)
    while child < offset + length:
        children.append(parse_node(data, child))
        child = align4(children[-1][3])
    return data[offset + 6:key_end].decode("utf-16-le"), data[value_start:value_end], children, offset + length


def check_version(exe):
    data = subprocess.run(["wrestool", "-x", "--raw", "-t", "16", "-n", "1", exe],
                          check=True, capture_output=True).stdout
    key, fixed, children, _ = parse_node(data, 0)
    check(key == "VS_VERSION_INFO", "version resource 1 is a VS_VERSION_INFO")
    (signature, _, file_ms, file_ls, product_ms, product_ls, flags_mask, flags, file_os,
     file_type, file_subtype, _, _) = struct.unpack("<13I", fixed)
    check(signature == 0xFEEF04BD, "fixed part signature")
    check((file_ms, file_ls, product_ms, product_ls) == (0x00010000, 0, 0x00010000, 0),
          "file and product version 1.0.0.0")
    check(flags & flags_mask == 0, "no flags")
    check((file_os, file_type, file_subtype) == (4, 1, 0), "a 32-bit Windows (4) application")

    blocks = dict((child[0], child[2]) for child in children)
    check(list(blocks) == ["StringFileInfo", "VarFileInfo"], f"blocks {list(blocks)}")
    tables = blocks.get("StringFileInfo", [])
    check([t[0] for t in tables] == ["040904B0"], "one string table, 040904B0")
    strings = [(c[0], c[1].decode("utf-16-le").rstrip("\0")) for c in tables[0][2]] if tables else []
    check(strings == EXPECTED_STRINGS, "the eight strings, in order, and no other")
    for name, text in strings:
        print(f"       {name} = {text!r}")
    translation = blocks.get("VarFileInfo", [("", b"\0" * 4)])[0]
    check(translation[0] == "Translation" and struct.unpack("<HH", translation[1]) == (0x0409, 0x04B0),
          "translation 0x0409, 0x04B0")


def check_icon(exe):
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["wrestool", "-x", "-t", "14", "-n", "1", "-o", f"{folder}/group1.ico", exe], check=True)
        listing = subprocess.run(["icotool", "-l", f"{folder}/group1.ico"], check=True,
                                 capture_output=True, text=True).stdout
    images = sorted((int(w), int(d)) for w, d in re.findall(r"--width=(\d+) --height=\d+ --bit-depth=(\d+)", listing))
    check(images == EXPECTED_IMAGES, f"icon group 1: nine images 48/32/16 x 4/8/32 bits: {images}")
    check("--icon" in listing and "png" not in listing.lower(), "icon images are bitmaps, not PNG")


check_version(sys.argv[1])
check_icon(sys.argv[1])
print(f"{len(failures)} failed" if failures else "all resource checks passed")
sys.exit(1 if failures else 0)
