// sumwise-bench: throughput of each written algorithm on one buffer in
// memory, beside the peer libraries that have the same algorithm, all in the
// same run.
//   sumwise-bench [--size MiB] [--haval PASSES,BITS] [NAME...]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "algorithms/cpu_features.h"
#include "jobs/registry.h"
#include "jobs/streaming.h"
#include "peers.h"

namespace {

using Clock = std::chrono::steady_clock;

// The CPU time this thread has used: unlike the wall clock, it does not
// count time the thread waited for a core another program held.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Best of a few runs; slow algorithms are run once.
template <typename Work>
double bestSeconds(Work&& work) {
    double best = 1e30;
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    for (int run = 0; run < 5; ++run) {
        const double start = threadSeconds();
        work();
        best = std::min(best, threadSeconds() - start);
        if (Clock::now() > deadline) break;
    }
    return best;
}

std::string ours(const sumwise::AlgorithmEntry& entry, const sumwise::AlgorithmParams& params, const std::uint8_t* data,
                 std::size_t size) {
    const auto hasher = entry.newHasher(params);
    hasher->init();
    for (std::size_t offset = 0; offset < size; offset += sumwise::kBlockSize) {
        hasher->update(data + offset, std::min(sumwise::kBlockSize, size - offset));
    }
    return sumwise::digestText(hasher->finish(), sumwise::LetterCase::Upper);
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t mebibytes = 64;
    std::vector<std::string> wanted;
    sumwise::AlgorithmParams params;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            mebibytes = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        } else if (std::strcmp(argv[i], "--haval") == 0 && i + 1 < argc) {
            unsigned passes = 0;
            unsigned bits = 0;
            if (std::sscanf(argv[++i], "%u,%u", &passes, &bits) == 2) {
                params.haval = {static_cast<std::uint16_t>(passes), static_cast<std::uint16_t>(bits)};
            }
        } else {
            wanted.emplace_back(argv[i]);
        }
    }
    const std::size_t size = mebibytes << 20;
    std::vector<std::uint8_t> buffer(size);
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (auto& byte : buffer) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        byte = static_cast<std::uint8_t>(state >> 56);
    }

    const auto& cpu = sumwise::cpuFeatures();
    std::printf("Buffer: %zu MiB in memory, pieces of %zu bytes, timed in thread CPU time. CPU: pclmul %d avx2 %d sha %d\n\n", mebibytes,
                sumwise::kBlockSize, cpu.pclmul, cpu.avx2, cpu.sha);
    std::printf("%-11s %10s   %-40s %s\n", "algorithm", "ours MB/s", "peers MB/s", "ours / fastest peer");

    int mismatches = 0;
    for (const sumwise::AlgorithmEntry& entry : sumwise::algorithms()) {
        const std::string name = entry.asciiName();
        if (!entry.available()) continue;
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), name) == wanted.end()) continue;

        std::string ourDigest;
        const double ourSeconds = bestSeconds([&] { ourDigest = ours(entry, params, buffer.data(), size); });
        const double ourSpeed = static_cast<double>(size) / 1e6 / ourSeconds;

        std::string peerText;
        double fastestPeer = 0;
        for (const sumwise::bench::Peer& peer : sumwise::bench::peersFor(name)) {
            std::string peerDigest;
            const double seconds =
                bestSeconds([&] { peerDigest = peer.run(name, buffer.data(), size, sumwise::kBlockSize); });
            const double speed = static_cast<double>(size) / 1e6 / seconds;
            fastestPeer = std::max(fastestPeer, speed);
            char item[64];
            std::snprintf(item, sizeof item, "%s %.0f  ", peer.library.c_str(), speed);
            peerText += item;
            if (peerDigest != ourDigest) {
                ++mismatches;
                std::printf("  MISMATCH with %s: ours %s, theirs %s\n", peer.library.c_str(), ourDigest.c_str(),
                            peerDigest.c_str());
            }
        }
        if (fastestPeer > 0) {
            std::printf("%-11s %10.0f   %-40s %.2f\n", name.c_str(), ourSpeed, peerText.c_str(), ourSpeed / fastestPeer);
        } else {
            std::printf("%-11s %10.0f   %-40s %s\n", name.c_str(), ourSpeed, "(no peer)", "-");
        }
        std::fflush(stdout);
    }
    return mismatches == 0 ? 0 : 1;
}
