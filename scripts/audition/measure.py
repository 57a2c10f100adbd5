"""Reads the float WAV files of morvelline-render and measures what a listener would notice:
peak, loudness, clipping, broken samples, how long the tail rings, and a spectral fingerprint."""
import array
import cmath
import math
import struct


def read_float_wav(path):
    """(sample rate, list of channel arrays) of a 32-bit float WAV file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    pos, rate, channels, samples = 12, 0, 0, None
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if chunk == b"fmt ":
            fmt, channels, rate = struct.unpack("<HHI", body[:8])
            bits = struct.unpack("<H", body[14:16])[0]
            if bits != 32 or fmt not in (3, 0xFFFE):
                raise ValueError(f"{path}: not 32-bit float samples")
        elif chunk == b"data":
            samples = array.array("f")
            samples.frombytes(body[:len(body) // 4 * 4])
        pos += 8 + size + (size & 1)
    if samples is None or channels == 0:
        raise ValueError(f"{path}: no audio data")
    return rate, [samples[c::channels] for c in range(channels)]


def db(x):
    return 20 * math.log10(x) if x > 0 else -200.0


def window_rms(mono, rate, seconds):
    n = max(1, int(rate * seconds))
    return [math.sqrt(sum(v * v for v in mono[i:i + n]) / len(mono[i:i + n])) for i in range(0, len(mono), n)]


def fft(x):
    n = len(x)
    a = list(x)
    j = 0
    for i in range(1, n):
        bit = n >> 1
        while j & bit:
            j ^= bit
            bit >>= 1
        j |= bit
        if i < j:
            a[i], a[j] = a[j], a[i]
    size = 2
    while size <= n:
        step = cmath.exp(-2j * math.pi / size)
        for start in range(0, n, size):
            w = 1
            for k in range(size // 2):
                u, v = a[start + k], a[start + k + size // 2] * w
                a[start + k], a[start + k + size // 2] = u + v, u - v
                w *= step
        size *= 2
    return a


BAND_EDGES = [50 * 2 ** (i / 3) for i in range(0, 26)]  # third octaves, 50 Hz to 16 kHz


def spectral_shape(mono, rate, start, end, frames=12, size=2048):
    """Mean band levels in dB relative to their own average: the timbre without the level."""
    span = max(0, int(end * rate) - int(start * rate) - size)
    hann = [0.5 - 0.5 * math.cos(2 * math.pi * i / size) for i in range(size)]
    power = [1e-12] * (len(BAND_EDGES) - 1)
    for f in range(frames):
        offset = int(start * rate) + span * f // max(1, frames - 1)
        chunk = mono[offset:offset + size]
        if len(chunk) < size:
            continue
        spectrum = fft([c * h for c, h in zip(chunk, hann)])
        for b in range(len(power)):
            lo, hi = (int(BAND_EDGES[b] * size / rate), int(BAND_EDGES[b + 1] * size / rate))
            power[b] += sum(abs(spectrum[k]) ** 2 for k in range(max(lo, 1), max(hi, lo + 1)))
    levels = [10 * math.log10(p) for p in power]
    mean = sum(levels) / len(levels)
    return [max(level - mean, -60) for level in levels]


def measure(path, phrase_end):
    rate, channels = read_float_wav(path)
    mono = [sum(frame) / len(frame) for frame in zip(*channels)]
    broken = sum(1 for ch in channels for v in ch if not math.isfinite(v))
    peak = max(max(abs(v) for v in ch) for ch in channels)
    clipped = sum(1 for ch in channels for v in ch if abs(v) >= 0.999)
    windows = window_rms(mono, rate, 0.1)
    loudest = max(windows)
    gated = [w for w in windows if w > loudest * 0.1]  # within 20 dB of the loudest moment
    loudness = math.sqrt(sum(w * w for w in gated) / len(gated)) if gated else 0.0
    fine = window_rms(mono, rate, 0.05)
    threshold = peak * 1e-3  # 60 dB below the peak
    last_loud = max((i for i, w in enumerate(fine) if w > threshold), default=0)
    tail = max(0.0, (last_loud + 1) * 0.05 - phrase_end)
    decays = fine[-1] <= threshold if fine else True
    envelope = [max(db(w / loudest) if loudest > 0 else -40, -40) for w in window_rms(mono[:int(phrase_end * rate)], rate, phrase_end / 16)][:16]
    return {"peak_db": db(peak), "rms_db": db(loudness), "tail_s": tail, "decays": decays,
            "clipped": clipped, "broken": broken, "length_s": len(mono) / rate,
            "shape": spectral_shape(mono, rate, 0.0, phrase_end), "envelope": envelope}


def distance(a, b):
    """Mean dB difference of spectral shape plus half that of the level envelope."""
    shape = sum(abs(x - y) for x, y in zip(a["shape"], b["shape"])) / len(a["shape"])
    n = min(len(a["envelope"]), len(b["envelope"]))
    env = sum(abs(x - y) for x, y in zip(a["envelope"][:n], b["envelope"][:n])) / max(n, 1)
    return shape + 0.5 * env
