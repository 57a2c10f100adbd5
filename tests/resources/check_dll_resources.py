#!/usr/bin/python3
"""Checks that a Windows DLL carries every generated PNG as a resource of type "DATA" under its
name, byte for byte.

  check_dll_resources.py DLL IMAGE_FOLDER
"""

import os
import struct
import sys


def sections(pe):
    pe_offset = struct.unpack_from("<I", pe, 0x3C)[0]
    count = struct.unpack_from("<H", pe, pe_offset + 6)[0]
    optional_size = struct.unpack_from("<H", pe, pe_offset + 20)[0]
    table = pe_offset + 24 + optional_size
    for i in range(count):
        name, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", pe, table + 40 * i)
        yield name.rstrip(b"\0").decode(), vaddr, raw, rsize


def resources(pe):
    """{(type, name): bytes} from the resource directory (names upper-cased)."""
    rsrc = next(s for s in sections(pe) if s[0] == ".rsrc")
    _, vaddr, raw, _ = rsrc
    base = raw

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", pe, base + offset + 12)
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", pe, base + offset + 16 + 8 * i)
            if key & 0x80000000:
                at = base + (key & 0x7FFFFFFF)
                length = struct.unpack_from("<H", pe, at)[0]
                key = pe[at + 2:at + 2 + 2 * length].decode("utf-16-le").upper()
            yield key, target

    found = {}
    for type_key, type_target in entries(0):
        for name_key, name_target in entries(type_target & 0x7FFFFFFF):
            for _, lang_target in entries(name_target & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", pe, base + lang_target)
                start = raw + rva - vaddr
                found[(type_key, name_key)] = pe[start:start + size]
    return found


def main():
    dll, folder = sys.argv[1], sys.argv[2]
    with open(dll, "rb") as f:
        carried = resources(f.read())
    pngs = sorted(n for n in os.listdir(folder) if n.endswith(".png"))
    failures = 0
    for png in pngs:
        with open(os.path.join(folder, png), "rb") as f:
            expected = f.read()
        if carried.get(("DATA", png[:-4].upper())) != expected:
            print("missing or different: %s" % png[:-4])
            failures += 1
    print("%d of %d images carried as DATA resources" % (len(pngs) - failures, len(pngs)))
    return 1 if failures or not pngs else 0


if __name__ == "__main__":
    sys.exit(main())
