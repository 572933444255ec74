#!/usr/bin/env python3
"""Prints the CRC32 folding constants used by the carry-less multiplication
paths: for a fold over a distance of D bits, the lane's low half is multiplied
by x^(D+32) mod P and its high half by x^(D-32) mod P, both bit-reflected and
shifted left by one; then x^64 mod P, P itself and floor(x^64 / P) for the
final reduction, also reflected."""

P = 0x104C11DB7  # x^32 + ... + 1, the CRC-32 polynomial with its top bit


def x_power_mod(n):
    r = 1
    for _ in range(n):
        r <<= 1
        if r >> 32:
            r ^= P
    return r


def reflect(value, bits):
    return int(format(value, "0%db" % bits)[::-1], 2)


def fold_constant(n):
    return reflect(x_power_mod(n), 32) << 1


def barrett_quotient():
    # floor(x^64 / P) by long division over GF(2)
    dividend, quotient = 1 << 64, 0
    for shift in range(32, -1, -1):
        if dividend >> (shift + 32) & 1:
            dividend ^= P << shift
            quotient |= 1 << shift
    return quotient


for distance in (2048, 512, 128):
    print("fold %4d: low 0x%09X high 0x%09X" % (distance, fold_constant(distance + 32), fold_constant(distance - 32)))
print("fold   64: 0x%09X" % fold_constant(64))
print("polynomial 0x%09X, Barrett 0x%09X" % (reflect(P, 33), reflect(barrett_quotient(), 33)))
