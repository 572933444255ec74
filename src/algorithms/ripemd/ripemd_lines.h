// The two parallel lines of the RIPEMD compression functions, shared by the
// single- and double-width forms. A round runs one step of the left line and
// the same step of the right line side by side: the lines are independent
// until the end of the block, so the processor overlaps their dependency
// chains. Steps are templates over their position, so every word index,
// rotation amount, constant and Boolean function is a compile-time constant.
#pragma once

#include <bit>
#include <cstdint>
#include <utility>

namespace sumwise::ripemd {

using Word = std::uint32_t;

// A compression function is one straight run of code only if every step and
// round is inlined; the compiler's size limits would otherwise stop short.
#define SUMWISE_RIPEMD_INLINE inline __attribute__((always_inline))

// Message word taken by each of the 80 steps (the four-word lines use the
// first 64).
inline constexpr std::uint8_t kWordLeft[80] = {
    0, 1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,  //
    7, 4,  13, 1,  10, 6,  15, 3,  12, 0,  9,  5,  2,  14, 11, 8,   //
    3, 10, 14, 4,  9,  15, 8,  1,  2,  7,  0,  6,  13, 11, 5,  12,  //
    1, 9,  11, 10, 0,  8,  12, 4,  13, 3,  7,  15, 14, 5,  6,  2,   //
    4, 0,  5,  9,  7,  12, 2,  10, 14, 1,  3,  8,  11, 6,  15, 13,  //
};
inline constexpr std::uint8_t kWordRight[80] = {
    5,  14, 7,  0, 9, 2,  11, 4,  13, 6,  15, 8,  1,  10, 3,  12,  //
    6,  11, 3,  7, 0, 13, 5,  10, 14, 15, 8,  12, 4,  9,  1,  2,   //
    15, 5,  1,  3, 7, 14, 6,  9,  11, 8,  12, 2,  10, 0,  4,  13,  //
    8,  6,  4,  1, 3, 11, 15, 0,  5,  12, 2,  13, 9,  7,  10, 14,  //
    12, 15, 10, 4, 1, 5,  8,  7,  6,  2,  13, 14, 0,  3,  9,  11,  //
};
// Left rotation of each step.
inline constexpr std::uint8_t kShiftLeft[80] = {
    11, 14, 15, 12, 5,  8,  7,  9,  11, 13, 14, 15, 6,  7,  9,  8,   //
    7,  6,  8,  13, 11, 9,  7,  15, 7,  12, 15, 9,  11, 7,  13, 12,  //
    11, 13, 6,  7,  14, 9,  13, 15, 14, 8,  13, 6,  5,  12, 7,  5,   //
    11, 12, 14, 15, 14, 15, 9,  8,  9,  14, 5,  6,  8,  6,  5,  12,  //
    9,  15, 5,  11, 6,  8,  13, 12, 5,  12, 13, 14, 11, 8,  5,  6,   //
};
inline constexpr std::uint8_t kShiftRight[80] = {
    8,  9,  9,  11, 13, 15, 15, 5,  7,  7,  8,  11, 14, 14, 12, 6,   //
    9,  13, 15, 7,  12, 8,  9,  11, 7,  7,  12, 7,  6,  15, 13, 11,  //
    9,  7,  15, 11, 8,  6,  6,  14, 12, 13, 5,  14, 13, 13, 7,  5,   //
    15, 5,  8,  11, 14, 14, 6,  14, 6,  9,  12, 9,  12, 5,  15, 8,   //
    8,  5,  12, 9,  12, 5,  14, 6,  8,  13, 6,  5,  15, 13, 11, 11,  //
};
// Additive constant of each round.
inline constexpr Word kConstantLeft[5] = {0x00000000, 0x5a827999, 0x6ed9eba1, 0x8f1bbcdc, 0xa953fd4e};
inline constexpr Word kConstantRight4[4] = {0x50a28be6, 0x5c4dd124, 0x6d703ef3, 0x00000000};
inline constexpr Word kConstantRight5[5] = {0x50a28be6, 0x5c4dd124, 0x6d703ef3, 0x7a6d76e9, 0x00000000};

// The five Boolean functions f1..f5, numbered from 0, added to `sum`. The
// newest word is x: each form keeps the operations that wait for it few, and
// f4's two terms never share a bit, so they are added separately and the one
// without x is ready early.
template <int F>
SUMWISE_RIPEMD_INLINE Word addBoolean(Word sum, Word x, Word y, Word z) {
    if constexpr (F == 0) return sum + (x ^ y ^ z);
    else if constexpr (F == 1) return sum + (z ^ (x & (y ^ z)));  // (x & y) | (~x & z)
    else if constexpr (F == 2) return sum + ((x | ~y) ^ z);
    else if constexpr (F == 3) return (sum + (y & ~z)) + (x & z);  // (x & z) | (y & ~z)
    else return sum + (x ^ (y | ~z));
}

// Step I (0..15) of round R on both four-word lines; the right line takes
// the functions in reverse order.
template <int R, int I>
SUMWISE_RIPEMD_INLINE void step4(Word& al, Word bl, Word cl, Word dl, Word& ar, Word br, Word cr, Word dr, const Word* x) {
    constexpr int n = 16 * R + I;
    al = std::rotl(addBoolean<R>(al + x[kWordLeft[n]] + kConstantLeft[R], bl, cl, dl), kShiftLeft[n]);
    ar = std::rotl(addBoolean<3 - R>(ar + x[kWordRight[n]] + kConstantRight4[R], br, cr, dr), kShiftRight[n]);
}

template <int R, int... Q>
SUMWISE_RIPEMD_INLINE void steps4(std::integer_sequence<int, Q...>, Word& al, Word& bl, Word& cl, Word& dl, Word& ar,
                                  Word& br, Word& cr, Word& dr, const Word* x) {
    ((step4<R, 4 * Q>(al, bl, cl, dl, ar, br, cr, dr, x),
      step4<R, 4 * Q + 1>(dl, al, bl, cl, dr, ar, br, cr, x),
      step4<R, 4 * Q + 2>(cl, dl, al, bl, cr, dr, ar, br, x),
      step4<R, 4 * Q + 3>(bl, cl, dl, al, br, cr, dr, ar, x)),
     ...);
}

// One round of sixteen steps; the roles of the words move one place each step
// and are back in place after the round.
template <int R>
SUMWISE_RIPEMD_INLINE void round4(Word& al, Word& bl, Word& cl, Word& dl, Word& ar, Word& br, Word& cr, Word& dr,
                                  const Word* x) {
    steps4<R>(std::make_integer_sequence<int, 4>{}, al, bl, cl, dl, ar, br, cr, dr, x);
}

// Step I of round R on both five-word lines, with the rotation of C by 10.
template <int R, int I>
SUMWISE_RIPEMD_INLINE void step5(Word& al, Word bl, Word& cl, Word dl, Word el, Word& ar, Word br, Word& cr, Word dr, Word er,
                  const Word* x) {
    constexpr int n = 16 * R + I;
    al = std::rotl(addBoolean<R>(al + x[kWordLeft[n]] + kConstantLeft[R], bl, cl, dl), kShiftLeft[n]) + el;
    ar = std::rotl(addBoolean<4 - R>(ar + x[kWordRight[n]] + kConstantRight5[R], br, cr, dr), kShiftRight[n]) + er;
    cl = std::rotl(cl, 10);
    cr = std::rotl(cr, 10);
}

template <int R, int... Q>
SUMWISE_RIPEMD_INLINE void steps5(std::integer_sequence<int, Q...>, Word& al, Word& bl, Word& cl, Word& dl, Word& el,
                                  Word& ar, Word& br, Word& cr, Word& dr, Word& er, const Word* x) {
    ((step5<R, 5 * Q>(al, bl, cl, dl, el, ar, br, cr, dr, er, x),
      step5<R, 5 * Q + 1>(el, al, bl, cl, dl, er, ar, br, cr, dr, x),
      step5<R, 5 * Q + 2>(dl, el, al, bl, cl, dr, er, ar, br, cr, x),
      step5<R, 5 * Q + 3>(cl, dl, el, al, bl, cr, dr, er, ar, br, x),
      step5<R, 5 * Q + 4>(bl, cl, dl, el, al, br, cr, dr, er, ar, x)),
     ...);
}

// One round of sixteen steps on five words: the roles move one place each
// step, so after the round they stand one place further (the caller passes
// the words of the next round in that order).
template <int R>
SUMWISE_RIPEMD_INLINE void round5(Word& al, Word& bl, Word& cl, Word& dl, Word& el, Word& ar, Word& br, Word& cr,
                                  Word& dr, Word& er, const Word* x) {
    steps5<R>(std::make_integer_sequence<int, 3>{}, al, bl, cl, dl, el, ar, br, cr, dr, er, x);
    step5<R, 15>(al, bl, cl, dl, el, ar, br, cr, dr, er, x);
}

#undef SUMWISE_RIPEMD_INLINE

}  // namespace sumwise::ripemd
