// The one routine that hashes a set of algorithms from one input: the job
// driver and sumwise-cli both call it. It makes the algorithms' contexts,
// reads the input once and hands every block to all of them (see FanOut),
// and ends them when the input ends. An input shorter than one block never
// leaves the calling thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "algorithms/digest.h"
#include "algorithms/params.h"
#include "jobs/input_source.h"
#include "algorithms/algorithm_table.h"
#include "jobs/stream_control.h"
#include "jobs/streaming.h"

namespace sumwise {

// The per-call control of hashSource. Every member may be left empty.
struct SourceControl {
    // Pause and stop, looked at by the reader and by every algorithm.
    const JobSignals* signals = nullptr;
    // Told about every block read.
    ProgressSink* progress = nullptr;
    // Advanced by one for every block an algorithm has taken whole.
    std::atomic<std::uint64_t>* blocksTaken = nullptr;
    // Told the digest of each algorithm as soon as it has the whole of a
    // complete input (`index` as in the algorithms given), on any thread.
    std::function<void(std::size_t index, const Digest& digest)> finished;
    // Algorithms computing at one moment; 0: one per processor.
    unsigned cores = 0;
};

struct SourceHashed {
    StreamOutcome outcome;
    // One per algorithm given, only when the whole input was read; empty for
    // an algorithm that cannot be computed with these parameters.
    std::vector<Digest> digests;

    bool complete() const { return outcome.status == StreamStatus::Complete; }
};

// Reads `source` once into every algorithm of `algorithms`. An input that
// fails part-way, or a stop, finishes no algorithm: a digest of part of the
// input would look like the real one.
SourceHashed hashSource(InputSource& source, const std::vector<const AlgorithmEntry*>& algorithms,
                        const AlgorithmParams& params, const SourceControl& control = {});

}  // namespace sumwise
