#!/usr/bin/env python3
"""Prints the SHA-2 constants from their definition in FIPS 180-2: the round
constants are the first 32 (64) bits of the fractional parts of the cube
roots of the first 64 (80) primes; the SHA-256 and SHA-512 initial values
are those of the square roots of the first eight primes, the SHA-384 initial
value that of the ninth to sixteenth primes, and the SHA-224 initial value
the low 32 bits of the SHA-384 one."""


def primes(count):
    found = []
    n = 2
    while len(found) < count:
        if all(n % p for p in found):
            found.append(n)
        n += 1
    return found


def integer_root(value, degree):
    # floor(value ** (1 / degree)) exactly, by Newton's method on integers
    x = 1 << ((value.bit_length() + degree - 1) // degree)
    while True:
        y = ((degree - 1) * x + value // x ** (degree - 1)) // degree
        if y >= x:
            return x
        x = y


def fraction_bits(n, degree, bits):
    # the first `bits` bits after the binary point of n ** (1 / degree)
    return integer_root(n << (degree * bits), degree) & ((1 << bits) - 1)


def show(title, values, digits):
    print(title)
    for i in range(0, len(values), 4):
        print("    " + " ".join("0x%0*X," % (digits, v) for v in values[i:i + 4]))


p = primes(80)
show("SHA-256 round constants", [fraction_bits(q, 3, 32) for q in p[:64]], 8)
show("SHA-512 round constants", [fraction_bits(q, 3, 64) for q in p], 16)
show("SHA-256 initial value", [fraction_bits(q, 2, 32) for q in p[:8]], 8)
show("SHA-224 initial value", [fraction_bits(q, 2, 64) & 0xFFFFFFFF for q in p[8:16]], 8)
show("SHA-512 initial value", [fraction_bits(q, 2, 64) for q in p[:8]], 16)
show("SHA-384 initial value", [fraction_bits(q, 2, 64) for q in p[8:16]], 16)
