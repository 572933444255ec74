#!/usr/bin/env python3
"""Generates src/algorithms/whirlpool/whirlpool_tables.cpp: Whirlpool's S-box,
built from the 4-bit mini-boxes E, E^-1 and R; the circulant tables C0..C7,
where C0[x] holds S[x] times the first row of circ(1, 1, 4, 1, 8, 5, 2, 9)
over GF(2^8) with the polynomial x^8 + x^4 + x^3 + x^2 + 1 (0x11D), most
significant byte first, and Ck is C0 rotated right by k bytes; and the round
constants, rows of eight consecutive S-box values.

    scripts/whirlpool_tables.py                 print the C++ file
    scripts/whirlpool_tables.py --check FILE    exit 1 unless FILE is what it prints
"""

import sys

import generated_file

E = [0x1, 0xB, 0x9, 0xC, 0xD, 0x6, 0xF, 0x3, 0xE, 0x8, 0x7, 0x4, 0xA, 0x2, 0x5, 0x0]
R = [0x7, 0xC, 0xB, 0xD, 0xE, 0x4, 0x9, 0xF, 0x6, 0x3, 0x8, 0xA, 0x2, 0x5, 0x1, 0x0]
E_INVERSE = [E.index(v) for v in range(16)]
MATRIX_ROW = [1, 1, 4, 1, 8, 5, 2, 9]
POLYNOMIAL = 0x11D
ROUNDS = 10


def sbox_entry(u):
    a = E[u >> 4]
    b = E_INVERSE[u & 0xF]
    r = R[a ^ b]
    return (E[a ^ r] << 4) | E_INVERSE[b ^ r]


def multiply(x, y):
    product = 0
    while y:
        if y & 1:
            product ^= x
        x <<= 1
        if x & 0x100:
            x ^= POLYNOMIAL
        y >>= 1
    return product


def rotate_right(word, bits):
    return ((word >> bits) | (word << (64 - bits))) & ((1 << 64) - 1)


def generate():
    sbox = [sbox_entry(u) for u in range(256)]
    assert sorted(sbox) == list(range(256)), "the S-box must be a permutation"
    c0 = []
    for s in sbox:
        word = 0
        for coefficient in MATRIX_ROW:
            word = (word << 8) | multiply(s, coefficient)
        c0.append(word)
    tables = [[rotate_right(w, 8 * k) for w in c0] for k in range(8)]
    constants = [int.from_bytes(bytes(sbox[8 * r:8 * r + 8]), "big") for r in range(ROUNDS)]
    return sbox, tables, constants


def words(values, per_line, indent):
    lines = []
    for row in range(0, len(values), per_line):
        lines.append(indent + ", ".join("0x%016XULL" % w for w in values[row:row + per_line]) + ",")
    return lines


def render(generated):
    sbox, tables, constants = generated
    lines = [
        "// Whirlpool's S-box, circulant tables C0..C7 and round constants. Generated",
        "// by scripts/whirlpool_tables.py from the mini-boxes and the matrix; do not",
        "// edit by hand.",
        '#include "algorithms/whirlpool/whirlpool_tables.h"',
        "",
        "namespace sumwise::whirlpool_tables {",
        "",
        "alignas(64) const std::uint8_t kSbox[256] = {",
    ]
    for row in range(0, 256, 16):
        lines.append("    " + ", ".join("0x%02X" % v for v in sbox[row:row + 16]) + ",")
    lines += ["};", "", "alignas(64) const std::uint64_t kCirculant[8][256] = {"]
    for table in tables:
        lines.append("    {")
        lines += words(table, 3, "        ")
        lines.append("    },")
    lines += ["};", "", "const std::uint64_t kRoundConstants[10] = {"]
    lines += words(constants, 2, "    ")
    lines += ["};", "", "}  // namespace sumwise::whirlpool_tables", ""]
    return "\n".join(lines)


if __name__ == "__main__":
    sys.exit(generated_file.main(render(generate()), __doc__, "tables"))
