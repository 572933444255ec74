// BLAKE2s with each row of the state in a 128-bit register: the word
// rotations that turn the diagonal steps into column steps, shared by the
// SSE4.1 and AVX-512 compressions. Plain SSE2, so they inline into either.
#pragma once

#include <emmintrin.h>

namespace sumwise::blake2 {

// Rows a, c and d rotated by -1, 1 and 2 words, so the diagonals become columns, the one
// through v4 first. Row b stays: its shuffle would lie on the chain from one step to the next.
inline __attribute__((always_inline)) void diagonalize(__m128i& a, __m128i& c, __m128i& d) {
    a = _mm_shuffle_epi32(a, _MM_SHUFFLE(2, 1, 0, 3));
    c = _mm_shuffle_epi32(c, _MM_SHUFFLE(0, 3, 2, 1));
    d = _mm_shuffle_epi32(d, _MM_SHUFFLE(1, 0, 3, 2));
}

inline __attribute__((always_inline)) void undiagonalize(__m128i& a, __m128i& c, __m128i& d) {
    a = _mm_shuffle_epi32(a, _MM_SHUFFLE(0, 3, 2, 1));
    c = _mm_shuffle_epi32(c, _MM_SHUFFLE(2, 1, 0, 3));
    d = _mm_shuffle_epi32(d, _MM_SHUFFLE(1, 0, 3, 2));
}

}  // namespace sumwise::blake2
