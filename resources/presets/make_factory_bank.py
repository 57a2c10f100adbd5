#!/usr/bin/env python3
"""Writes the factory bank (Default.hfb beside this script) from the patch descriptions in
factory_patches.py. usage: make_factory_bank.py [OUTPUT.hfb]"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from factory_patches import PROGRAMS  # noqa: E402
from factory_units import default_program  # noqa: E402

BANK_HEADER = "Morvelline Preset Bank"
NAME_LENGTH = 24


def full_program(name, settings):
    values = default_program()
    unknown = set(settings) - set(values)
    if unknown:
        raise SystemExit(f"{name}: unknown parameters {sorted(unknown)}")
    if len(name) > NAME_LENGTH:
        raise SystemExit(f"{name}: longer than {NAME_LENGTH} characters")
    values.update(settings)
    for key, v in values.items():
        if not 0 <= v <= 1:
            raise SystemExit(f"{name}: {key} = {v} is outside 0..1")
    return values


def bank_text(programs):
    if len(programs) != 100:
        raise SystemExit(f"the bank needs 100 programs, not {len(programs)}")
    names = [name for name, _ in programs]
    if len(set(names)) != len(names):
        raise SystemExit("two programs share a name")
    full = [full_program(name, settings) for name, settings in programs]
    lines = [BANK_HEADER]
    for key in full[0]:
        lines.append(" ".join([key] + ["%g" % p[key] for p in full]))
    lines.append("")
    lines += names
    return "".join(line + "\r\n" for line in lines)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "Default.hfb")
    with open(out, "w", newline="", encoding="ascii") as f:
        f.write(bank_text(PROGRAMS))
    print(f"Wrote {out}: {len(PROGRAMS)} programs")


if __name__ == "__main__":
    main()
