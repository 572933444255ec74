// The one loop that feeds an input to the algorithms, and the file and text
// drivers built on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "algorithms/algorithm_table.h"
#include "algorithms/digest.h"
#include "algorithms/params.h"
#include "jobs/input_source.h"
#include "jobs/stream_control.h"

namespace sumwise {

// The unit of reading, of progress, and of the pieces a text is handed over in.
inline constexpr std::size_t kBlockSize = 524288;

enum class StreamStatus {
    Complete,     // the whole input was read
    ReadError,    // reading failed part-way; the bytes before it were delivered
    CannotOpen,   // nothing was read
    Stopped,      // a stop was requested; the input is closed
};

struct StreamOutcome {
    StreamStatus status = StreamStatus::Complete;
    std::uint64_t bytesRead = 0;
};

// Block buffers kept for the whole run: taking one costs no call to the
// system once the run has warmed up. A buffer goes back to the pool when its
// holder is destroyed; the pool keeps at most kPooledBlocks of them.
inline constexpr std::size_t kPooledBlocks = 32;
class BlockBuffer {
public:
    BlockBuffer();
    ~BlockBuffer();
    BlockBuffer(const BlockBuffer&) = delete;
    BlockBuffer& operator=(const BlockBuffer&) = delete;
    std::uint8_t* data() const { return data_; }

private:
    std::uint8_t* data_;
};

// The processors this process may use, read once.
unsigned processorCount();

using BlockSink = std::function<void(const std::uint8_t* data, std::size_t size)>;

// Reads `source` block by block into `sink`. After each block the control's
// progress hears of it, then a pause is waited out and a stop ends the loop.
StreamOutcome streamInput(InputSource& source, const BlockSink& sink, const StreamControl* control = nullptr);

struct HashResult {
    StreamStatus status = StreamStatus::Complete;
    Digest digest;  // for Complete, and for ReadError the digest of the bytes read
    std::uint64_t bytesRead = 0;

    bool complete() const { return status == StreamStatus::Complete; }
};

// The file driver: the digest of a file or raw volume.
HashResult hashFile(const AlgorithmEntry& algorithm, const std::filesystem::path& path,
                    const AlgorithmParams& params, const StreamControl* control = nullptr);
HashResult hashInput(const AlgorithmEntry& algorithm, InputSource& source, const AlgorithmParams& params,
                     const StreamControl* control = nullptr);

// The text driver: the digest of the bytes of `text` before its first NUL,
// handed over in pieces of at most one block. It gives no progress.
Digest hashText(const AlgorithmEntry& algorithm, std::string_view text, const AlgorithmParams& params);

}  // namespace sumwise
