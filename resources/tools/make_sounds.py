#!/usr/bin/env python3
"""make_sounds.py FOLDER: synthesises the interface sounds into FOLDER as 16-bit mono WAV files.

Every sound is a sum of decaying tones and filtered noise, scaled to its peak and shaped so that
its first and last samples are silence. The same parameters always give the same bytes.
"""
import math
import os
import struct
import sys
import wave

RATE = 22050

# A tone: frequency gliding from `hz` to `to_hz`, partials as (frequency ratio, gain), an attack
# ramp and an exponential decay (time constant), starting at `at` ms.
# Noise: white noise through a resonant band-pass whose centre glides from `hz` to `to_hz`.
SOUNDS = [
    # A button released: a soft, short wooden tock.
    {"file": "button_release.wav", "ms": 70, "peak": 0.45, "parts": [
        {"kind": "tone", "at": 0, "hz": 1250, "to_hz": 1150, "partials": [(1, 1.0), (2.76, 0.3)],
         "attack": 1.0, "decay": 16},
        {"kind": "noise", "at": 0, "hz": 2500, "to_hz": 2500, "q": 2.0, "gain": 0.25,
         "attack": 0.5, "decay": 4},
    ]},
    # A quiet click.
    {"file": "quiet_click.wav", "ms": 40, "peak": 0.2, "parts": [
        {"kind": "tone", "at": 0, "hz": 2600, "to_hz": 2400, "partials": [(1, 1.0), (1.5, 0.2)],
         "attack": 0.5, "decay": 5},
    ]},
    # A prompt or chooser shown: two soft bell notes, rising a fifth.
    {"file": "prompt_shown.wav", "ms": 320, "peak": 0.4, "parts": [
        {"kind": "tone", "at": 0, "hz": 784, "to_hz": 784, "partials": [(1, 1.0), (2, 0.2), (3, 0.06)],
         "attack": 4, "decay": 80},
        {"kind": "tone", "at": 70, "hz": 1175, "to_hz": 1175, "partials": [(1, 0.9), (2, 0.15), (3, 0.05)],
         "attack": 4, "decay": 90},
    ]},
    # The save prompt answered: two quick notes falling a fourth.
    {"file": "prompt_answered.wav", "ms": 220, "peak": 0.4, "parts": [
        {"kind": "tone", "at": 0, "hz": 1047, "to_hz": 1047, "partials": [(1, 1.0), (2, 0.15)],
         "attack": 2, "decay": 40},
        {"kind": "tone", "at": 60, "hz": 784, "to_hz": 784, "partials": [(1, 1.0), (2, 0.15)],
         "attack": 2, "decay": 55},
    ]},
    # The clean-brush button: a brush swished through water, a rising wash of noise.
    {"file": "brush_clean.wav", "ms": 340, "peak": 0.35, "parts": [
        {"kind": "noise", "at": 0, "hz": 500, "to_hz": 2800, "q": 3.0, "gain": 1.0,
         "attack": 90, "decay": 70},
        {"kind": "tone", "at": 150, "hz": 1900, "to_hz": 2300, "partials": [(1, 0.12)],
         "attack": 3, "decay": 25},
    ]},
]

# Length of the closing fade, so that every sound ends exactly at silence.
FADE_MS = 8.0


def envelope(t_ms, attack, decay):
    if t_ms < 0:
        return 0.0
    rise = min(1.0, t_ms / attack)
    return rise * rise * math.exp(-max(0.0, t_ms - attack) / decay)


def render_tone(part, out):
    start = int(part["at"] * RATE / 1000)
    phases = [0.0] * len(part["partials"])
    length = len(out) - start
    for i in range(length):
        t_ms = i * 1000.0 / RATE
        hz = part["hz"] + (part["to_hz"] - part["hz"]) * i / max(1, length - 1)
        level = envelope(t_ms, part["attack"], part["decay"])
        value = 0.0
        for k, (ratio, gain) in enumerate(part["partials"]):
            phases[k] += 2.0 * math.pi * hz * ratio / RATE
            value += gain * math.sin(phases[k])
        out[start + i] += level * value


def render_noise(part, out):
    # xorshift32 keeps the noise the same on every platform and Python version.
    state = 0x2545F491
    start = int(part["at"] * RATE / 1000)
    length = len(out) - start
    low = band = 0.0
    for i in range(length):
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        white = state / 2147483648.0 - 1.0
        hz = part["hz"] + (part["to_hz"] - part["hz"]) * i / max(1, length - 1)
        # A state-variable filter: its band output is the resonant band-pass.
        f = 2.0 * math.sin(math.pi * hz / RATE)
        low += f * band
        high = white - low - band / part["q"]
        band += f * high
        t_ms = i * 1000.0 / RATE
        out[start + i] += part["gain"] * envelope(t_ms, part["attack"], part["decay"]) * band


def render(sound):
    count = int(sound["ms"] * RATE / 1000)
    samples = [0.0] * count
    for part in sound["parts"]:
        (render_tone if part["kind"] == "tone" else render_noise)(part, samples)
    fade = int(FADE_MS * RATE / 1000)
    for i in range(fade):
        gain = math.sin(0.5 * math.pi * i / fade)
        samples[count - 1 - i] *= gain * gain
    loudest = max(abs(s) for s in samples)
    scale = sound["peak"] * 32767 / loudest
    return [int(round(s * scale)) for s in samples]


def write_wav(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_sounds.py FOLDER\n")
        return 2
    os.makedirs(sys.argv[1], exist_ok=True)
    for sound in SOUNDS:
        write_wav(os.path.join(sys.argv[1], sound["file"]), render(sound))
    return 0


if __name__ == "__main__":
    sys.exit(main())
