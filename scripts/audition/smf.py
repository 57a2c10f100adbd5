"""A small Standard MIDI File writer (format 0, one channel) for preview phrases and demo songs."""
import struct

TICKS_PER_BEAT = 480


def _var_length(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


class Song:
    def __init__(self, bpm=120):
        self.events = []  # (tick, order, bytes): note-offs sort before note-ons on the same tick
        self.tempo(0, bpm)

    def tempo(self, beat, bpm):
        micros = round(60_000_000 / bpm)
        self._add(beat, 0, b"\xff\x51\x03" + micros.to_bytes(3, "big"))

    def note(self, beat, length, key, velocity=100):
        self._add(beat, 2, bytes([0x90, key, velocity]))
        self._add(beat + length, 1, bytes([0x80, key, 64]))

    def chord(self, beat, length, keys, velocity=90):
        for k in keys:
            self.note(beat, length, k, velocity)

    def controller(self, beat, number, value):
        self._add(beat, 0, bytes([0xB0, number, value]))

    def pressure(self, beat, value):
        self._add(beat, 0, bytes([0xD0, value]))

    def end_beat(self):
        return max(tick for tick, _, _ in self.events) / TICKS_PER_BEAT

    def _add(self, beat, order, data):
        self.events.append((round(beat * TICKS_PER_BEAT), order, data))

    def to_bytes(self):
        track = bytearray()
        last = 0
        for tick, _, data in sorted(self.events, key=lambda e: (e[0], e[1])):
            track += _var_length(tick - last) + data
            last = tick
        track += b"\x00\xff\x2f\x00"
        header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS_PER_BEAT)
        return header + b"MTrk" + struct.pack(">I", len(track)) + bytes(track)

    def save(self, path):
        with open(path, "wb") as f:
            f.write(self.to_bytes())
