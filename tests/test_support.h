// Helpers shared by the tests: temporary files, byte patterns, one-call hashing.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "algorithms/algorithm_table.h"
#include "algorithms/digest.h"
#include "algorithms/params.h"
#include "jobs/input_source.h"

namespace sumwise::test {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::filesystem::path write(const std::string& name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

// A file of `size` bytes in `dir` that takes no room on disk where the file
// system allows: it reads as zeros. Empty when it could not be made.
std::filesystem::path sparseFile(const TempDir& dir, const std::filesystem::path& name, std::uint64_t size);

// Polls `condition` until it holds (true) or the time is up (false).
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(30));

// Deterministic pseudo-random bytes.
std::vector<std::uint8_t> randomBytes(std::size_t size, std::uint32_t seed);
std::vector<std::uint8_t> bytesOf(std::string_view text);

// The algorithm table's row of a name; fails the test when there is none.
const AlgorithmEntry& algorithm(std::string_view name);

// The digest text of `bytes` given to the algorithm in one piece.
std::string hexOf(std::string_view algorithmName, const std::vector<std::uint8_t>& bytes,
                  LetterCase letterCase = LetterCase::Upper, const AlgorithmParams& params = {});
std::string hexOf(std::string_view algorithmName, std::string_view text, LetterCase letterCase = LetterCase::Upper,
                  const AlgorithmParams& params = {});
// The same bytes handed over in pieces of the given sizes, repeated until the input is used up.
std::string hexOfPieces(std::string_view algorithmName, const std::vector<std::uint8_t>& bytes,
                        const std::vector<std::size_t>& pieceSizes, const AlgorithmParams& params = {});
// `count` copies of `text`, hashed without building the whole message (one million 'a' and the like).
std::string hexOfRepeated(std::string_view algorithmName, std::string_view text, std::uint64_t count,
                          const AlgorithmParams& params = {});

// An input in memory that can be told to fail after some bytes.
class MemorySource final : public InputSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes, std::optional<std::size_t> failAfter = std::nullopt);
    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override;
    bool failed() const override { return failed_; }
    std::optional<std::uint64_t> size() const override { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
    std::optional<std::size_t> failAfter_;
    std::size_t offset_ = 0;
    bool failed_ = false;
};

}  // namespace sumwise::test
