"""The three demo songs, each part with the factory program that plays it."""
from smf import Song

A_MINOR_PROGRESSION = [[45, 57, 60, 64], [41, 57, 60, 65], [48, 55, 60, 64], [43, 55, 59, 62]]


def pad_progression():
    """Slow chords for a pad: four bars of Am F C G, twice, with a high voice moving on top."""
    s = Song(84)
    for bar in range(8):
        chord = A_MINOR_PROGRESSION[bar % 4]
        s.chord(bar * 4, 3.9, chord, 80 + 10 * (bar % 2))
        s.note(bar * 4 + 2, 1.9, chord[-1] + 7 if bar % 2 else chord[-1] + 12, 70)
    s.chord(32, 6, [45, 57, 60, 64, 69], 85)
    return s


def bass_line():
    s = Song(118)
    pattern = [(0, 0.4, 0), (0.75, 0.25, 0), (1.5, 0.4, 12), (2.5, 0.4, 0), (3, 0.25, 10), (3.5, 0.4, 7)]
    for bar in range(10):
        root = [33, 29, 36, 31][bar % 4]
        for beat, length, step in pattern:
            s.note(bar * 4 + beat, length, root + step, 110 if beat == 0 else 90)
    s.note(40, 2, 33, 110)
    return s


def lead_melody():
    s = Song(118)
    phrase = [(0, 1.5, 76), (1.5, 0.5, 74), (2, 1, 72), (3, 1, 71), (4, 2, 72), (6, 1, 69), (7, 1, 67),
              (8, 1.5, 69), (9.5, 0.5, 71), (10, 1, 72), (11, 1, 74), (12, 3, 71), (15, 1, 67)]
    for repeat in (8, 24):  # enters after two bars, plays its phrase twice
        for beat, length, key in phrase:
            s.note(repeat + beat, length * 1.02, key, 100)
    s.note(40, 2, 69, 100)
    return s


def arpeggio_with_tempo_changes():
    """Sixteenth-note arpeggios whose tempo rises 100 -> 124 -> 140: the synced LFOs and delay follow."""
    s = Song(100)
    chords = [[57, 60, 64, 69], [53, 57, 60, 65], [48, 52, 55, 60], [55, 59, 62, 67]]
    for bar in range(12):
        if bar == 4:
            s.tempo(16, 124)
        if bar == 8:
            s.tempo(32, 140)
        notes = chords[bar % 4]
        order = notes + [notes[-1] + 12] + notes[::-1][1:]
        for i in range(16):
            s.note(bar * 4 + i * 0.25, 0.2, order[i % len(order)], 100 if i % 4 == 0 else 78)
    s.note(48, 1, 69, 100)
    return s


# Song file stem -> list of (part, factory program name).
SONGS = {
    "demo-pads": [(pad_progression, "PD Evolving Motion")],
    "demo-bass-lead": [(bass_line, "BS Acid Squelch"), (lead_melody, "LD Mono Glide Saw")],
    "demo-arpeggio": [(arpeggio_with_tempo_changes, "AR Trance Pluck")],
}
