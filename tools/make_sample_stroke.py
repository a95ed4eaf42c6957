#!/usr/bin/env python3
"""Writes sim/data/sample_stroke.txt: one smooth pen stroke for the simulated tablet.

A figure-eight across the built-in tablet (X 0..44799, Y 0..27999), sampled every 8 ms: the pen hovers in,
touches down with rising pressure, varies its pressure, tilt and twist along the curve, lifts and hovers out.
"""
import math
import sys

SAMPLES = 300
STEP_MS = 8
HOVER = 15  # samples of hovering before touch-down and after lift-off

FIELDS = "time cursor buttons x y z pressure tangent azimuth altitude twist"


def sample(i):
    t = i / (SAMPLES - 1)
    angle = 2 * math.pi * t
    x = 22400 + 16000 * math.sin(angle)
    y = 14000 + 8000 * math.sin(2 * angle)
    touching = HOVER <= i < SAMPLES - HOVER
    if touching:
        # Rises and falls smoothly over the stroke, with a slower swell on top.
        envelope = math.sin(math.pi * (i - HOVER) / (SAMPLES - 2 * HOVER - 1))
        pressure = round(1023 * envelope * (0.75 + 0.25 * math.sin(3 * angle)))
        pressure = max(1, min(1023, pressure))
    else:
        pressure = 0
    buttons = 1 if touching else 0
    azimuth = round(1800 + 900 * math.sin(angle)) % 3600
    altitude = round(600 + 200 * math.cos(angle))
    twist = round(3599 * t)
    return (i * STEP_MS, 0, buttons, round(x), round(y), 0, pressure, 0, azimuth, altitude, twist)


def main(path):
    with open(path, "w", newline="\n") as out:
        out.write("# Sample stroke for the simulated tablet (tools/make_sample_stroke.py).\n")
        out.write("# " + FIELDS + "\n")
        for i in range(SAMPLES):
            out.write(" ".join(str(v) for v in sample(i)) + "\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "sim/data/sample_stroke.txt")
