// CRC64 with the ECMA-182 polynomial, most significant bit first: sixteen
// bytes a step through the sliced tables.
#include "algorithms/bytes.h"
#include "algorithms/checksums/checksums.h"
#include "algorithms/checksums/crc_tables.h"

namespace sumwise {

namespace {

using crc_tables::kCrc64;

std::uint64_t crc64Sliced(std::uint64_t crc, const std::uint8_t* data, std::size_t size) {
    for (; size >= 16; size -= 16, data += 16) {
        const std::uint64_t hi = bytes::load64be(data) ^ crc;
        const std::uint64_t lo = bytes::load64be(data + 8);
        crc = kCrc64[15][hi >> 56] ^ kCrc64[14][(hi >> 48) & 0xFF] ^ kCrc64[13][(hi >> 40) & 0xFF] ^
              kCrc64[12][(hi >> 32) & 0xFF] ^ kCrc64[11][(hi >> 24) & 0xFF] ^ kCrc64[10][(hi >> 16) & 0xFF] ^
              kCrc64[9][(hi >> 8) & 0xFF] ^ kCrc64[8][hi & 0xFF] ^ kCrc64[7][lo >> 56] ^
              kCrc64[6][(lo >> 48) & 0xFF] ^ kCrc64[5][(lo >> 40) & 0xFF] ^ kCrc64[4][(lo >> 32) & 0xFF] ^
              kCrc64[3][(lo >> 24) & 0xFF] ^ kCrc64[2][(lo >> 16) & 0xFF] ^ kCrc64[1][(lo >> 8) & 0xFF] ^
              kCrc64[0][lo & 0xFF];
    }
    for (; size > 0; --size) crc = kCrc64[0][((crc >> 56) ^ *data++) & 0xFF] ^ (crc << 8);
    return crc;
}

}  // namespace

std::uint64_t crc64Reference(std::uint64_t crc, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint64_t>(data[i]) << 56;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & (1ull << 63)) ? (crc << 1) ^ crc_tables::kCrc64Polynomial : crc << 1;
        }
    }
    return crc;
}

std::uint64_t crc64Update(std::uint64_t crc, const std::uint8_t* data, std::size_t size) {
    return crc64Sliced(crc, data, size);
}

namespace {

class Crc64 final : public Hasher {
public:
    void init() override { crc_ = kCrc64Initial; }
    void update(const std::uint8_t* data, std::size_t size) override { crc_ = crc64Update(crc_, data, size); }
    Digest finish() override { return Digest::fromNumber(~crc_, 8); }

private:
    std::uint64_t crc_ = kCrc64Initial;
};

}  // namespace

std::unique_ptr<Hasher> newCrc64(const AlgorithmParams&) { return std::make_unique<Crc64>(); }

}  // namespace sumwise
