#include "jobs/hash_source.h"

#include <memory>
#include <optional>

#include "jobs/fan_out.h"

namespace sumwise {

SourceHashed hashSource(InputSource& source, const std::vector<const AlgorithmEntry*>& algorithms,
                        const AlgorithmParams& params, const SourceControl& control) {
    // An algorithm that cannot be computed gets no value; the others go on.
    std::vector<std::size_t> computed;  // the position in `algorithms` of each hasher
    std::vector<std::unique_ptr<Hasher>> hashers;
    for (std::size_t i = 0; i < algorithms.size(); ++i) {
        if (auto hasher = algorithms[i]->newHasher(params)) {
            computed.push_back(i);
            hashers.push_back(std::move(hasher));
        }
    }
    FanOutOptions options;
    options.cores = control.cores;
    options.signals = control.signals;
    options.blocksTaken = control.blocksTaken;
    if (control.finished) {
        options.finished = [&](std::size_t index, const Digest& digest) { control.finished(computed[index], digest); };
    }
    // The fan-out starts at the first block: an input shorter than one block
    // is computed on this thread by every algorithm, with no thread started.
    std::optional<FanOut> fanOut;
    const auto start = [&](std::size_t firstBlock) {
        if (firstBlock < kBlockSize) options.cores = 1;
        fanOut.emplace(std::move(hashers), std::move(options));
    };
    const StreamControl streamControl{control.signals, control.progress};
    SourceHashed hashed;
    hashed.outcome = streamInput(
        source,
        [&](const std::uint8_t* data, std::size_t size) {
            if (!fanOut) start(size);
            fanOut->feed(data, size);
        },
        &streamControl);
    if (!fanOut) start(0);
    std::vector<Digest> digests = fanOut->end(hashed.complete());
    if (hashed.complete() && digests.size() == computed.size()) {
        hashed.digests.resize(algorithms.size());
        for (std::size_t i = 0; i < computed.size(); ++i) hashed.digests[computed[i]] = std::move(digests[i]);
    }
    return hashed;
}

}  // namespace sumwise
