"""The preview phrase of each program group (the two-letter prefix of its name), in the group's
typical register, at 120 beats per minute."""
from smf import Song


def _bass(s):
    for i, key in enumerate([36, 36, 43, 36, 39, 41, 43, 48]):
        s.note(i * 0.5, 0.45, key, 100 if i % 2 == 0 else 85)
    s.note(4, 1, 36, 100)


def _lead(s):
    for i, key in enumerate([64, 67, 69, 71, 72, 67]):
        s.note(i, 1.05, key, 100)  # overlapping notes glide in mono programs


def _chords(s):
    s.chord(0, 2.9, [48, 55, 60, 63])
    s.chord(3, 2.9, [46, 53, 58, 62])


def _stabs(s):
    s.chord(0, 1, [60, 64, 67], 100)
    s.chord(1.5, 1, [57, 60, 64], 80)
    s.chord(3, 2, [59, 62, 67], 110)


def _arpeggio(s):
    for i in range(24):
        s.note(i * 0.25, 0.2, [60, 63, 67, 72, 67, 63][i % 6], 100 if i % 4 == 0 else 80)


def _effect(s):
    s.note(0, 5, 60, 100)


def _feature(s):
    s.note(0, 2, 48, 60)
    s.note(1, 2, 72, 120)
    s.chord(3, 2, [55, 64], 90)
    s.pressure(3.5, 100)
    s.pressure(4.5, 0)


PHRASES = {"BS": _bass, "LD": _lead, "PD": _chords, "ST": _chords, "KY": _stabs, "BR": _stabs,
           "PL": _arpeggio, "AR": _arpeggio, "FX": _effect, "FT": _feature}


# The root of each group's test chord: a major triad in the register the group is played in.
CHORD_ROOTS = {"BS": 36, "LD": 60, "PD": 55, "ST": 55, "KY": 60, "BR": 55, "PL": 60, "AR": 60, "FX": 60, "FT": 48}


def chord_for(program_name):
    """A three-note chord at velocity 100 held for two seconds."""
    s = Song(120)
    root = CHORD_ROOTS.get(program_name[:2], 60)
    s.chord(0, 4, [root, root + 4, root + 7], 100)
    return s


def phrase_for(program_name):
    s = Song(120)
    PHRASES.get(program_name[:2], _stabs)(s)
    return s
