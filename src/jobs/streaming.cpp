#include "jobs/streaming.h"

#include <algorithm>
#include <memory>
#include <new>

namespace sumwise {

namespace {

// Raw volumes want sector-aligned buffers; a page boundary suits them all.
constexpr std::align_val_t kBufferAlignment{4096};

struct AlignedDelete {
    void operator()(std::uint8_t* p) const { ::operator delete[](p, kBufferAlignment); }
};

std::unique_ptr<std::uint8_t[], AlignedDelete> newBlockBuffer() {
    return std::unique_ptr<std::uint8_t[], AlignedDelete>(
        static_cast<std::uint8_t*>(::operator new[](kBlockSize, kBufferAlignment)));
}

bool mayContinue(const StreamControl* control) {
    return control == nullptr || control->signals == nullptr || control->signals->waitWhilePaused();
}

}  // namespace

StreamOutcome streamInput(InputSource& source, const BlockSink& sink, const StreamControl* control) {
    StreamOutcome outcome;
    if (!mayContinue(control)) {
        outcome.status = StreamStatus::Stopped;
        return outcome;
    }
    const auto buffer = newBlockBuffer();
    for (;;) {
        const std::size_t got = source.read(buffer.get(), kBlockSize);
        if (got > 0) {
            sink(buffer.get(), got);
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
