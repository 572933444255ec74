// Loading and storing words in a fixed byte order, whatever the machine's.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace sumwise::bytes {

template <typename Word>
inline Word loadNative(const std::uint8_t* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

template <typename Word>
inline void storeNative(std::uint8_t* p, Word w) {
    std::memcpy(p, &w, sizeof w);
}

template <typename Word>
constexpr Word byteswap(Word w) {
    if constexpr (sizeof(Word) == 8) return __builtin_bswap64(w);
    else if constexpr (sizeof(Word) == 4) return __builtin_bswap32(w);
    else if constexpr (sizeof(Word) == 2) return __builtin_bswap16(w);
    else return w;
}

template <typename Word>
inline Word loadLittle(const std::uint8_t* p) {
    const Word w = loadNative<Word>(p);
    if constexpr (std::endian::native == std::endian::little) return w;
    else return byteswap(w);
}

template <typename Word>
inline Word loadBig(const std::uint8_t* p) {
    const Word w = loadNative<Word>(p);
    if constexpr (std::endian::native == std::endian::big) return w;
    else return byteswap(w);
}

template <typename Word>
inline void storeLittle(std::uint8_t* p, Word w) {
    if constexpr (std::endian::native == std::endian::little) storeNative(p, w);
    else storeNative(p, byteswap(w));
}

template <typename Word>
inline void storeBig(std::uint8_t* p, Word w) {
    if constexpr (std::endian::native == std::endian::big) storeNative(p, w);
    else storeNative(p, byteswap(w));
}

inline std::uint32_t load32le(const std::uint8_t* p) { return loadLittle<std::uint32_t>(p); }
inline std::uint64_t load64le(const std::uint8_t* p) { return loadLittle<std::uint64_t>(p); }
inline std::uint32_t load32be(const std::uint8_t* p) { return loadBig<std::uint32_t>(p); }
inline std::uint64_t load64be(const std::uint8_t* p) { return loadBig<std::uint64_t>(p); }
inline void store32le(std::uint8_t* p, std::uint32_t w) { storeLittle(p, w); }
inline void store64le(std::uint8_t* p, std::uint64_t w) { storeLittle(p, w); }
inline void store32be(std::uint8_t* p, std::uint32_t w) { storeBig(p, w); }
inline void store64be(std::uint8_t* p, std::uint64_t w) { storeBig(p, w); }

}  // namespace sumwise::bytes
