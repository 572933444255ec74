// Byte sources the streaming loop reads: files, raw volumes, standard input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace sumwise {

class InputSource {
public:
    virtual ~InputSource() = default;

    // Fills `buffer` as far as the input allows. Returns the number of bytes
    // read: fewer than `capacity` only at the end of the input or on a read
    // error, which `failed` then tells apart.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t capacity) = 0;
    // Reads what the input has ready, at least one byte unless it has ended
    // or failed: a pipe's lines as they come. 0 only at the end or on failure.
    virtual std::size_t readSome(std::uint8_t* buffer, std::size_t capacity) { return read(buffer, capacity); }
    virtual bool failed() const = 0;
    // Why reading failed, when the system said.
    virtual std::error_code error() const { return {}; }
    // The size in bytes when the input knows it (regular files), else none.
    virtual std::optional<std::uint64_t> size() const = 0;
};

// Opens a file for reading while other programs may still read it. On Windows
// the path is wide and may name a raw volume ("\\.\X:"); on other systems it
// is the path's bytes. Returns null when the path cannot be opened for
// reading or names a directory; `error` then tells the system's reason.
std::unique_ptr<InputSource> openInput(const std::filesystem::path& path, std::error_code* error = nullptr);

// The process's standard input, read in binary.
std::unique_ptr<InputSource> openStandardInput();

// The size of a file in bytes, or none when it cannot be opened or measured.
std::optional<std::uint64_t> measureInput(const std::filesystem::path& path);

}  // namespace sumwise
