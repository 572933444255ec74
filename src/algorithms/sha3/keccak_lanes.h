// The Keccak state's 25 lanes by name, for the unrolled absorbs (scalar and
// vector) that keep each lane in its own variable. Lane (x, y) is named by
// its row (b, g, k, m, s for y = 0..4) and column (a, e, i, o, u for
// x = 0..4); it sits at index x + 5y.
#pragma once

// X(lane, index) for each lane of the set named Y.
#define KECCAK_LANES(X, Y)                                                                                          \
    X(Y##ba, 0) X(Y##be, 1) X(Y##bi, 2) X(Y##bo, 3) X(Y##bu, 4) X(Y##ga, 5) X(Y##ge, 6) X(Y##gi, 7) X(Y##go, 8)      \
        X(Y##gu, 9) X(Y##ka, 10) X(Y##ke, 11) X(Y##ki, 12) X(Y##ko, 13) X(Y##ku, 14) X(Y##ma, 15) X(Y##me, 16)       \
            X(Y##mi, 17) X(Y##mo, 18) X(Y##mu, 19) X(Y##sa, 20) X(Y##se, 21) X(Y##si, 22) X(Y##so, 23) X(Y##su, 24)

// The same from the last lane down: as switch cases falling through, a
// block's lanes are added with one jump for every rate.
#define KECCAK_LANES_DOWN(X, Y)                                                                                     \
    X(Y##su, 24) X(Y##so, 23) X(Y##si, 22) X(Y##se, 21) X(Y##sa, 20) X(Y##mu, 19) X(Y##mo, 18) X(Y##mi, 17)          \
        X(Y##me, 16) X(Y##ma, 15) X(Y##ku, 14) X(Y##ko, 13) X(Y##ki, 12) X(Y##ke, 11) X(Y##ka, 10) X(Y##gu, 9)       \
            X(Y##go, 8) X(Y##gi, 7) X(Y##ge, 6) X(Y##ga, 5) X(Y##bu, 4) X(Y##bo, 3) X(Y##bi, 2) X(Y##be, 1)          \
                X(Y##ba, 0)
