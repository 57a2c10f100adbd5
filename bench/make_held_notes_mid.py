#!/usr/bin/env python3
"""Writes a Standard MIDI File of eight notes held together, for comparing the whole plug-in's
real-time factor with another instrument in the same host run:

    python3 bench/make_held_notes_mid.py held8.mid [--seconds 20]
    build/linux/morvelline-render --bench held8.mid
    build/linux/morvelline-render --bench held8.mid --plugin /usr/lib/vst/amsynth_vst.so

With --silent the file lasts as long but plays no note: the cost of an idle instance.
"""
import argparse
import struct

NOTES = [48, 52, 55, 59, 60, 64, 67, 71]  # a spread chord: every voice at a different pitch
TICKS_PER_QUARTER = 480
TEMPO_US = 500000  # 120 BPM: one quarter is half a second


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def build(seconds, silent=False):
    held_ticks = int(seconds * 2 * TICKS_PER_QUARTER)
    track = bytearray()
    track += var_len(0) + b"\xff\x51\x03" + TEMPO_US.to_bytes(3, "big")
    if silent:
        # A text event marks the end, so the song lasts without a note.
        track += var_len(held_ticks) + b"\xff\x01\x04idle" + var_len(0) + b"\xff\x2f\x00"
        return midi_file(track)
    for note in NOTES:
        track += var_len(0) + bytes([0x90, note, 100])
    for i, note in enumerate(NOTES):
        track += var_len(held_ticks if i == 0 else 0) + bytes([0x80, note, 0])
    track += var_len(0) + b"\xff\x2f\x00"
    return midi_file(track)


def midi_file(track):
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS_PER_QUARTER)
    return header + b"MTrk" + struct.pack(">I", len(track)) + bytes(track)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--seconds", type=float, default=20.0, help="how long the notes are held")
    parser.add_argument("--silent", action="store_true", help="no notes: the cost of an idle instance")
    args = parser.parse_args()
    with open(args.output, "wb") as f:
        f.write(build(args.seconds, args.silent))


if __name__ == "__main__":
    main()
