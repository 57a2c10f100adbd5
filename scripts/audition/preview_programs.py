#!/usr/bin/env python3
"""Renders a short preview of factory programs through morvelline-render and checks each one:
audible, peak between -12 and -1 dBFS, no clipping or broken samples, a tail that dies away,
loudness within a 10 dB window across the programs, and no two programs nearly alike. Each
program also plays a three-note chord at velocity 100 for two seconds, which must peak below
-1 dBFS too: a musician plays chords on basses and leads as well.

usage: preview_programs.py [--render BIN] [--bank FILE.hfb] [--programs 0,5,17] [--work DIR]
                           [--table FILE]
(defaults: build/linux/morvelline-render and resources/presets/Default.hfb of this tree)
Exits 1 when a program fails a check; the table lists every program's figures."""
import argparse
import itertools
import math
import os
import subprocess
import sys
import tempfile

from measure import distance, measure, read_float_wav
from phrases import chord_for, phrase_for

PEAK_RANGE = (-12.0, -1.0)
LOUDNESS_WINDOW_DB = 10.0
MAX_TAIL_S = 8.0
CHORD_TAIL_S = 2.0  # delay and reverb may add to the peak after the release
NEARLY_ALIKE = 1.0  # distance in dB below which two programs sound the same


def program_names(render, bank):
    out = subprocess.run([render, "--bank", bank, "--list-programs"], check=True, capture_output=True, text=True).stdout
    return [line[5:] for line in out.splitlines()]


def render_song(render, bank, number, song, stem, tail, work):
    """Plays a song on one program of the bank; returns the WAV file and what the renderer said."""
    midi = os.path.join(work, f"{stem}.mid")
    wav = os.path.join(work, f"{stem}.wav")
    song.save(midi)
    run = subprocess.run([render, "--bank", bank, "--program", str(number), midi, "--out", wav, "--format", "float",
                          "--tail", str(tail)], capture_output=True, text=True)
    if run.returncode != 0:
        raise SystemExit(f"morvelline-render failed on program {number}: {run.stderr.strip()}")
    return wav, run.stderr


def preview(render, bank, number, name, work):
    song = phrase_for(name)
    wav, said = render_song(render, bank, number, song, f"{number:02d}", MAX_TAIL_S, work)
    m = measure(wav, song.end_beat() * 0.5)
    m["nan_warning"] = "NaN" in said
    return m


def chord_peak_db(render, bank, number, name, work):
    """Peak of the program's test chord, in dBFS."""
    wav, _ = render_song(render, bank, number, chord_for(name), f"{number:02d}-chord", CHORD_TAIL_S, work)
    _, channels = read_float_wav(wav)
    peak = max(max(abs(v) for v in ch) for ch in channels)
    return 20 * math.log10(peak) if peak > 0 else -200.0


def problems_of(m):
    p = []
    if m["peak_db"] < -90:
        p.append("silent")
    elif not PEAK_RANGE[0] <= m["peak_db"] <= PEAK_RANGE[1]:
        p.append(f"peak {m['peak_db']:.1f} dBFS outside {PEAK_RANGE[0]:g}..{PEAK_RANGE[1]:g}")
    if m["clipped"]:
        p.append(f"{m['clipped']} clipped samples")
    if m["broken"] or m["nan_warning"]:
        p.append("NaN or infinite samples")
    if not m["decays"]:
        p.append(f"still sounding {MAX_TAIL_S:g} s after the last note")
    if not m["chord_peak_db"] < PEAK_RANGE[1]:
        p.append(f"chord peaks at {m['chord_peak_db']:.1f} dBFS, not below {PEAK_RANGE[1]:g}")
    return p


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    top = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--render", default=os.path.join(top, "build", "linux", "morvelline-render"))
    parser.add_argument("--bank", default=os.path.join(top, "resources", "presets", "Default.hfb"))
    parser.add_argument("--programs", help="comma-separated program numbers (default: all)")
    parser.add_argument("--work", help="folder for the phrases and previews (default: a temporary one)")
    parser.add_argument("--table", help="also write the table to this file")
    args = parser.parse_args()

    names = program_names(args.render, args.bank)
    numbers = [int(n) for n in args.programs.split(",")] if args.programs else list(range(len(names)))
    work = args.work or tempfile.mkdtemp(prefix="morvelline-previews-")
    os.makedirs(work, exist_ok=True)

    results, failures = {}, []
    lines = [f"{'#':>3}  {'Program':<24}  {'peak dBFS':>9}  {'chord':>6}  {'RMS dBFS':>8}  {'tail s':>6}  problems"]
    for n in numbers:
        m = results[n] = preview(args.render, args.bank, n, names[n], work)
        m["chord_peak_db"] = chord_peak_db(args.render, args.bank, n, names[n], work)
        problems = problems_of(m)
        failures += [f"{n} {names[n]}: {p}" for p in problems]
        lines.append(f"{n:>3}  {names[n]:<24}  {m['peak_db']:>9.1f}  {m['chord_peak_db']:>6.1f}  {m['rms_db']:>8.1f}  "
                     f"{m['tail_s']:>6.2f}  " + ("; ".join(problems) or "ok"))
        print(lines[-1], flush=True)

    loudness = [m["rms_db"] for m in results.values() if m["peak_db"] > -90]
    if loudness and max(loudness) - min(loudness) > LOUDNESS_WINDOW_DB:
        failures.append(f"loudness spans {min(loudness):.1f}..{max(loudness):.1f} dBFS, more than {LOUDNESS_WINDOW_DB:g} dB")
    closest = None
    for a, b in itertools.combinations(results, 2):
        d = distance(results[a], results[b])
        if closest is None or d < closest[0]:
            closest = (d, a, b)
        if d < NEARLY_ALIKE:
            failures.append(f"{a} {names[a]} and {b} {names[b]} sound nearly the same (distance {d:.2f} dB)")
    summary = [f"loudness {min(loudness):.1f}..{max(loudness):.1f} dBFS" if loudness else "no sound"]
    if closest:
        summary.append(f"closest pair: {closest[1]} {names[closest[1]]} / {closest[2]} {names[closest[2]]}, "
                       f"distance {closest[0]:.2f} dB")
    ending = [""] + summary + [f"FAIL {f}" for f in failures] + [f"previews in {work}"]
    print("\n".join(ending))
    if args.table:
        with open(args.table, "w") as f:
            f.write("\n".join(lines + ending) + "\n")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
