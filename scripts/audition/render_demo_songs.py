#!/usr/bin/env python3
"""Writes the demo songs as MIDI files, renders every part on its factory program through
morvelline-render, mixes the parts with sox and draws a spectrogram of each song.

usage: render_demo_songs.py --render BIN --bank FILE.hfb --out DIR"""
import argparse
import os
import subprocess
import sys

from demo_songs import SONGS


def program_numbers(render, bank):
    out = subprocess.run([render, "--bank", bank, "--list-programs"], check=True, capture_output=True, text=True).stdout
    return {line[5:]: int(line[:3]) for line in out.splitlines()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--render", required=True)
    parser.add_argument("--bank", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    programs = program_numbers(args.render, args.bank)
    for stem, parts in SONGS.items():
        part_files = []
        for make_part, program in parts:
            midi = os.path.join(args.out, f"{stem}-{make_part.__name__}.mid" if len(parts) > 1 else f"{stem}.mid")
            make_part().save(midi)
            wav = midi[:-4] + ".wav"
            subprocess.run([args.render, "--bank", args.bank, "--program", str(programs[program]), midi,
                            "--out", wav, "--tail", "6"], check=True)
            part_files.append(wav)
        song = os.path.join(args.out, stem + ".wav")
        if len(part_files) > 1:
            # Plain sum: the programs are levelled so parts sit together without a mixer.
            subprocess.run(["sox", "-m", "-v", "1", part_files[0], "-v", "1", part_files[1], song], check=True)
            for f in part_files:
                os.remove(f)
        picture = os.path.join(args.out, stem + "-spectrogram.png")
        subprocess.run(["sox", song, "-n", "spectrogram", "-t", stem, "-o", picture], check=True)
        print(f"{song}\n{picture}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
