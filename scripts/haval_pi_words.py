#!/usr/bin/env python3
"""Prints HAVAL's 136 constant words: the fractional part of pi in 32-bit
words, most significant first. Words 0-7 are the initial fingerprint; words
8-135 are the step constants of passes 2 to 5 (32 per pass).

    haval_pi_words.py                 print the table as C++ initialisers
    haval_pi_words.py --check FILE    compare with the 0x........ words of FILE,
                                      in order; exit status 1 on a difference
"""
import re
import sys

WORDS = 136
GUARD_BITS = 64


def arctan_inverse(x, one):
    """arctan(1/x) * one, by its Taylor series in integers."""
    total = term = one // x
    x2 = x * x
    n = 1
    sign = -1
    while term:
        term //= x2
        n += 2
        total += sign * (term // n)
        sign = -sign
    return total


def pi_fraction_words(count):
    bits = 32 * count + GUARD_BITS
    one = 1 << bits
    # Machin: pi = 16 arctan(1/5) - 4 arctan(1/239)
    pi = 16 * arctan_inverse(5, one) - 4 * arctan_inverse(239, one)
    fraction = (pi - 3 * one) >> GUARD_BITS
    return [(fraction >> (32 * (count - 1 - i))) & 0xFFFFFFFF for i in range(count)]


def main(argv):
    words = pi_fraction_words(WORDS)
    if len(argv) == 3 and argv[1] == "--check":
        with open(argv[2], encoding="utf-8") as source:
            found = [int(w, 16) for w in re.findall(r"0x([0-9A-Fa-f]{8})u?\b", source.read())]
        if found != words:
            for i, (want, have) in enumerate(zip(words, found)):
                if want != have:
                    print("word %d: 0x%08X expected, 0x%08X found" % (i, want, have))
                    break
            else:
                print("%d words expected, %d found" % (len(words), len(found)))
            return 1
        print("%s: all %d words match the fraction of pi" % (argv[2], len(words)))
        return 0
    for row in range(0, WORDS, 8):
        print("    " + " ".join("0x%08Xu," % w for w in words[row:row + 8]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
