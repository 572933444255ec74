#include "cli/standard_stream.h"

#include <algorithm>
#include <cstring>

#include "cli/system.h"

namespace sumwise::cli {

StandardStreamBuffer::StandardStreamBuffer(bool standardError, std::error_code closedAtStart)
    : standardError_(standardError), error_(closedAtStart) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

StandardStreamBuffer::~StandardStreamBuffer() { drain(); }

bool StandardStreamBuffer::drain() {
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    // Nothing to write is no failure, even on a stream closed at the start.
    if (pending == 0) return true;
    if (error_) return false;
    if (pending > 0) error_ = writeStandardStream(standardError_, buffer_.data(), pending);
    return !error_;
}

StandardStreamBuffer::int_type StandardStreamBuffer::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize StandardStreamBuffer::xsputn(const char* data, std::streamsize size) {
    std::streamsize done = 0;
    while (done < size) {
        if (pptr() == epptr() && !drain()) return done;
        const auto room = static_cast<std::streamsize>(epptr() - pptr());
        const std::streamsize take = std::min(room, size - done);
        std::memcpy(pptr(), data + done, static_cast<std::size_t>(take));
        pbump(static_cast<int>(take));
        done += take;
    }
    return done;
}

int StandardStreamBuffer::sync() { return drain() ? 0 : -1; }

}  // namespace sumwise::cli
