// Standard output (or error) as a stream that keeps the reason of a failed
// write, so that "write error" can say why.
#pragma once

#include <array>
#include <ostream>
#include <streambuf>
#include <system_error>

namespace sumwise::cli {

class StandardStreamBuffer final : public std::streambuf {
public:
    // A stream that was closed when the program started fails every write
    // with `closedAtStart` (it was reopened on the null device meanwhile).
    explicit StandardStreamBuffer(bool standardError, std::error_code closedAtStart = {});
    ~StandardStreamBuffer() override;
    StandardStreamBuffer(const StandardStreamBuffer&) = delete;
    StandardStreamBuffer& operator=(const StandardStreamBuffer&) = delete;

    // The first write error, if any.
    std::error_code error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

private:
    bool drain();

    bool standardError_;
    std::error_code error_;
    std::array<char, 16384> buffer_{};
};

}  // namespace sumwise::cli
