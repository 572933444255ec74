// The context of a checksum: a running value, an update function (one of the
// checksum's variants), and the value printed at the end.
#pragma once

#include <memory>

#include "algorithms/hasher.h"

namespace sumwise {

template <typename Value, Value Initial, Value FinalXor>
class ChecksumHasher final : public Hasher {
public:
    using Update = Value (*)(Value value, const std::uint8_t* data, std::size_t size);

    explicit ChecksumHasher(Update function) : update_(function) {}

    void init() override { value_ = Initial; }
    void update(const std::uint8_t* data, std::size_t size) override { value_ = update_(value_, data, size); }
    Digest finish() override { return Digest::fromNumber(value_ ^ FinalXor, sizeof(Value)); }

private:
    Update update_;
    Value value_ = Initial;
};

}  // namespace sumwise
