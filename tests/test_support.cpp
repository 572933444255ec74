#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

namespace sumwise::test {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("sumwise-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path sparseFile(const TempDir& dir, const std::filesystem::path& name, std::uint64_t size) {
    const std::filesystem::path path = dir.path() / name;
#ifdef _WIN32
    // Set the end directly: the C runtime's resize first asks for that much free room.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    if (!sized) return {};
#else
    std::ofstream(path, std::ios::binary).close();
    std::error_code error;
    std::filesystem::resize_file(path, size, error);
    if (error) return {};
#endif
    return path;
}

std::filesystem::path TempDir::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream stream(file, std::ios::binary);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::filesystem::path TempDir::write(const std::string& name, std::string_view bytes) const {
    return write(name, bytesOf(bytes));
}

std::vector<std::uint8_t> randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator() >> 24);
    return bytes;
}

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

const AlgorithmEntry& algorithm(std::string_view name) {
    const AlgorithmEntry* entry = algorithmNamed(name);
    EXPECT_TRUE(entry != nullptr) << "no algorithm named " << name;
    return entry ? *entry : algorithms()[0];
}

std::string hexOf(std::string_view algorithmName, const std::vector<std::uint8_t>& bytes, LetterCase letterCase,
                  const AlgorithmParams& params) {
    const auto hasher = algorithm(algorithmName).newHasher(params);
    if (!hasher) return "<unavailable>";
    hasher->init();
    hasher->update(bytes.data(), bytes.size());
    return digestText(hasher->finish(), letterCase);
}

std::string hexOf(std::string_view algorithmName, std::string_view text, LetterCase letterCase,
                  const AlgorithmParams& params) {
    return hexOf(algorithmName, bytesOf(text), letterCase, params);
}

std::string hexOfPieces(std::string_view algorithmName, const std::vector<std::uint8_t>& bytes,
                        const std::vector<std::size_t>& pieceSizes, const AlgorithmParams& params) {
    const auto hasher = algorithm(algorithmName).newHasher(params);
    if (!hasher) return "<unavailable>";
    hasher->init();
    std::size_t offset = 0;
    for (std::size_t i = 0; offset < bytes.size(); ++i) {
        const std::size_t piece = std::min(std::max<std::size_t>(pieceSizes[i % pieceSizes.size()], 1),
                                           bytes.size() - offset);
        hasher->update(bytes.data() + offset, piece);
        offset += piece;
    }
    return digestText(hasher->finish(), LetterCase::Upper);
}

std::string hexOfRepeated(std::string_view algorithmName, std::string_view text, std::uint64_t count,
                          const AlgorithmParams& params) {
    const auto hasher = algorithm(algorithmName).newHasher(params);
    if (!hasher) return "<unavailable>";
    // Feed in large pieces so long messages stay quick.
    std::string chunk;
    const std::uint64_t perChunk = std::max<std::uint64_t>(1, 65536 / std::max<std::size_t>(1, text.size()));
    for (std::uint64_t i = 0; i < perChunk; ++i) chunk += text;
    hasher->init();
    std::uint64_t remaining = count;
    while (remaining > 0) {
        const std::uint64_t copies = std::min(remaining, perChunk);
        hasher->update(reinterpret_cast<const std::uint8_t*>(chunk.data()), static_cast<std::size_t>(copies * text.size()));
        remaining -= copies;
    }
    return digestText(hasher->finish(), LetterCase::Upper);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

MemorySource::MemorySource(std::vector<std::uint8_t> bytes, std::optional<std::size_t> failAfter)
    : bytes_(std::move(bytes)), failAfter_(failAfter) {}

std::size_t MemorySource::read(std::uint8_t* buffer, std::size_t capacity) {
    std::size_t end = bytes_.size();
    if (failAfter_) end = std::min(end, *failAfter_);
    const std::size_t count = std::min(capacity, end - offset_);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset_), count, buffer);
    offset_ += count;
    if (failAfter_ && *failAfter_ < bytes_.size() && offset_ >= *failAfter_ && count < capacity) failed_ = true;
    return count;
}

}  // namespace sumwise::test
