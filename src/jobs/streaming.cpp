#include "jobs/streaming.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace sumwise {

namespace {

// Raw volumes want sector-aligned buffers; a page boundary suits them all.
constexpr std::align_val_t kBufferAlignment{4096};

std::mutex poolMutex;
std::vector<std::uint8_t*>& pool() {
    // Never destroyed: a thread may give its buffer back while the process ends.
    static auto* buffers = new std::vector<std::uint8_t*>();
    return *buffers;
}

bool mayContinue(const StreamControl* control) {
    return control == nullptr || control->signals == nullptr || control->signals->waitWhilePaused();
}

}  // namespace

BlockBuffer::BlockBuffer() {
    {
        std::lock_guard lock(poolMutex);
        if (!pool().empty()) {
            data_ = pool().back();
            pool().pop_back();
            return;
        }
    }
    data_ = static_cast<std::uint8_t*>(::operator new[](kBlockSize, kBufferAlignment));
}

BlockBuffer::~BlockBuffer() {
    {
        std::lock_guard lock(poolMutex);
        if (pool().size() < kPooledBlocks) {
            try {
                pool().push_back(data_);
                return;
            } catch (...) {
            }
        }
    }
    ::operator delete[](data_, kBufferAlignment);
}

unsigned processorCount() {
    // Asking the system reads a file on some of them: once is enough.
    static const unsigned count = std::max(1u, std::thread::hardware_concurrency());
    return count;
}

StreamOutcome streamInput(InputSource& source, const BlockSink& sink, const StreamControl* control) {
    StreamOutcome outcome;
    if (!mayContinue(control)) {
        outcome.status = StreamStatus::Stopped;
        return outcome;
    }
    const BlockBuffer buffer;
    for (;;) {
        const std::size_t got = source.read(buffer.data(), kBlockSize);
        if (got > 0) {
            sink(buffer.data(), got);
            outcome.bytesRead += got;
            if (control != nullptr && control->progress != nullptr) control->progress->blockRead(outcome.bytesRead);
        }
        if (source.failed()) {
            outcome.status = StreamStatus::ReadError;
            return outcome;
        }
        if (got < kBlockSize) return outcome;
        if (!mayContinue(control)) {
            outcome.status = StreamStatus::Stopped;
            return outcome;
        }
    }
}

HashResult hashInput(const AlgorithmEntry& algorithm, InputSource& source, const AlgorithmParams& params,
                     const StreamControl* control) {
    HashResult result;
    const auto hasher = algorithm.newHasher(params);
    hasher->init();
    const StreamOutcome outcome = streamInput(
        source, [&](const std::uint8_t* data, std::size_t size) { hasher->update(data, size); }, control);
    result.status = outcome.status;
    result.bytesRead = outcome.bytesRead;
    if (outcome.status == StreamStatus::Complete || outcome.status == StreamStatus::ReadError) {
        result.digest = hasher->finish();
    }
    return result;
}

HashResult hashFile(const AlgorithmEntry& algorithm, const std::filesystem::path& path,
                    const AlgorithmParams& params, const StreamControl* control) {
    const auto source = openInput(path);
    if (!source) return {StreamStatus::CannotOpen, {}, 0};
    return hashInput(algorithm, *source, params, control);
}

Digest hashText(const AlgorithmEntry& algorithm, std::string_view text, const AlgorithmParams& params) {
    const auto hasher = algorithm.newHasher(params);
    const std::size_t end = std::min(text.find('\0'), text.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    hasher->init();
    for (std::size_t offset = 0; offset < end; offset += kBlockSize) {
        hasher->update(bytes + offset, std::min(kBlockSize, end - offset));
    }
    return hasher->finish();
}

}  // namespace sumwise
