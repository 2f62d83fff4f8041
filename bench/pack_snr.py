#!/usr/bin/env python3
"""Signal-to-noise ratio of decoded sound against a reference, both raw 32-bit float mono.

usage: pack_snr.py REFERENCE.f32 DECODED.f32 [MAX_LAG]

The decoded sound is shifted by up to MAX_LAG samples (default 40) either way to line it up with
the reference (the lag with the smallest error over a stretch with sound wins), then compared over
the length both share. Prints the SNR in dB, the lag and the lengths.
"""
import array
import math
import sys


def read_f32(path):
    samples = array.array("f")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    return samples


def error_energy(ref, dec, lag, start, stop):
    total = 0.0
    for i in range(start, stop):
        j = i + lag
        d = ref[i] - (dec[j] if 0 <= j < len(dec) else 0.0)
        total += d * d
    return total


def loudest_stretch(ref, width):
    # A window with sound in it makes the alignment meaningful; silence would match any lag.
    best, best_start = -1.0, 0
    for start in range(0, max(1, len(ref) - width), width // 2):
        e = sum(x * x for x in ref[start:start + width])
        if e > best:
            best, best_start = e, start
    return best_start


def main():
    ref, dec = read_f32(sys.argv[1]), read_f32(sys.argv[2])
    max_lag = int(sys.argv[3]) if len(sys.argv) > 3 else 40
    width = min(8000, len(ref))
    start = loudest_stretch(ref, width)
    lag = min(range(-max_lag, max_lag + 1),
              key=lambda k: error_energy(ref, dec, k, start, min(start + width, len(ref))))
    n = min(len(ref), len(dec) - lag) if lag >= 0 else min(len(ref) + lag, len(dec))
    lo = max(0, -lag)
    signal = sum(ref[i] * ref[i] for i in range(lo, lo + n))
    noise = error_energy(ref, dec, lag, lo, lo + n)
    snr = 10 * math.log10(signal / noise) if noise > 0 else float("inf")
    print(f"snr_db={snr:.3f} lag={lag} reference_samples={len(ref)} decoded_samples={len(dec)}")


if __name__ == "__main__":
    main()
