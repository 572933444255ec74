// sumwise-bench: throughput of each written algorithm on one buffer in
// memory, beside the peer libraries that have the same algorithm, all in the
// same run, at every processor level this machine supports: each level runs
// in its own process, with SUMWISE_CPU capping our dispatch and
// OPENSSL_ia32cap capping libcrypto, since both are read once at start.
//   sumwise-bench [--size MiB] [--haval PASSES,BITS] [--level LEVEL] [NAME...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "algorithms/algorithm_table.h"
#include "algorithms/cpu_features.h"
#include "jobs/streaming.h"
#include "levels.h"
#include "peers.h"

namespace {

using Clock = std::chrono::steady_clock;

// The CPU time this thread has used, plus that of the processes it ran and
// waited for (a peer that is a program): unlike the wall clock, it does not
// count time the thread waited for a core another program held.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 + seconds(children.ru_utime) +
           seconds(children.ru_stime);
}

// The best time of each contestant over a few rounds, taking turns within
// each round, so that a change in the machine's load falls on all of them
// alike. Slow algorithms get fewer rounds.
template <typename Work>
std::vector<double> bestSecondsTakingTurns(const std::vector<Work>& contestants) {
    std::vector<double> best(contestants.size(), 1e30);
    const auto deadline = Clock::now() + std::chrono::seconds(4);
    for (int round = 0; round < 5; ++round) {
        for (std::size_t i = 0; i < contestants.size(); ++i) {
            const double start = threadSeconds();
            contestants[i]();
            best[i] = std::min(best[i], threadSeconds() - start);
        }
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

const char* variantName(const sumwise::AlgorithmEntry& entry) {
    const sumwise::HasherVariants& variants = entry.variants();
    return variants.variants[variants.best()].name;
}

// One table: every wanted algorithm at the level this process is capped to.
int measure(std::size_t mebibytes, const sumwise::AlgorithmParams& params, const std::vector<std::string>& wanted) {
    const std::size_t size = mebibytes << 20;
    std::vector<std::uint8_t> buffer(size);
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (auto& byte : buffer) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        byte = static_cast<std::uint8_t>(state >> 56);
    }

    const char* cap = std::getenv("OPENSSL_ia32cap");
    std::printf("Level %s (OPENSSL_ia32cap=%s). Buffer: %zu MiB in memory, pieces of %zu bytes, thread CPU time.\n",
                sumwise::cpuLevelName(sumwise::cpuLevel()), cap ? cap : "", mebibytes, sumwise::kBlockSize);
    std::printf("%-11s %10s %-15s %-40s %s\n", "algorithm", "ours MB/s", "(variant)", "peers MB/s",
                "ours / fastest peer");

    int mismatches = 0;
    for (const sumwise::AlgorithmEntry& entry : sumwise::algorithms()) {
        const std::string name(entry.name);
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), name) == wanted.end()) continue;

        const auto peers = sumwise::bench::peersFor(name);
        std::vector<std::string> digests(peers.size() + 1);
        std::vector<std::function<void()>> contestants;
        contestants.emplace_back([&] { digests[0] = ours(entry, params, buffer.data(), size); });
        for (std::size_t i = 0; i < peers.size(); ++i) {
            contestants.emplace_back(
                [&, i] { digests[i + 1] = peers[i].run(name, buffer.data(), size, sumwise::kBlockSize); });
        }
        const std::vector<double> seconds = bestSecondsTakingTurns(contestants);
        const double ourSpeed = static_cast<double>(size) / 1e6 / seconds[0];

        std::string peerText;
        double fastestPeer = 0;
        for (std::size_t i = 0; i < peers.size(); ++i) {
            const double speed = static_cast<double>(size) / 1e6 / seconds[i + 1];
            fastestPeer = std::max(fastestPeer, speed);
            char item[64];
            std::snprintf(item, sizeof item, "%s %.0f  ", peers[i].library.c_str(), speed);
            peerText += item;
            if (digests[i + 1] != digests[0]) {
                ++mismatches;
                std::printf("  MISMATCH with %s: ours %s, theirs %s\n", peers[i].library.c_str(), digests[0].c_str(),
                            digests[i + 1].c_str());
            }
        }
        const std::string variant = std::string("(") + variantName(entry) + ")";
        if (fastestPeer > 0) {
            std::printf("%-11s %10.0f %-15s %-40s %.2f\n", name.c_str(), ourSpeed, variant.c_str(), peerText.c_str(),
                        ourSpeed / fastestPeer);
        } else {
            std::printf("%-11s %10.0f %-15s %-40s %s\n", name.c_str(), ourSpeed, variant.c_str(), "(no peer)", "-");
        }
        std::fflush(stdout);
    }
    std::printf("\n");
    return mismatches;
}

// Runs this program again for one level, capped through the environment.
int runLevel(const char* self, sumwise::CpuLevel level, std::vector<std::string> arguments) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
        setenv("SUMWISE_CPU", sumwise::cpuLevelName(level), 1);
        const std::string cap = sumwise::bench::opensslCap(level);
        if (cap.empty()) unsetenv("OPENSSL_ia32cap");
        else setenv("OPENSSL_ia32cap", cap.c_str(), 1);
        arguments.insert(arguments.begin(), {self, "--level", sumwise::cpuLevelName(level)});
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t mebibytes = 64;
    std::vector<std::string> wanted;
    std::vector<std::string> passOn;  // the arguments every level's run gets
    const char* level = nullptr;
    sumwise::AlgorithmParams params;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            mebibytes = static_cast<std::size_t>(std::max(1, std::atoi(argv[i + 1])));
            passOn.insert(passOn.end(), {argv[i], argv[i + 1]});
            ++i;
        } else if (std::strcmp(argv[i], "--haval") == 0 && i + 1 < argc) {
            unsigned passes = 0;
            unsigned bits = 0;
            if (std::sscanf(argv[i + 1], "%u,%u", &passes, &bits) == 2) {
                params.haval = {static_cast<std::uint16_t>(passes), static_cast<std::uint16_t>(bits)};
            }
            passOn.insert(passOn.end(), {argv[i], argv[i + 1]});
            ++i;
        } else if (std::strcmp(argv[i], "--level") == 0 && i + 1 < argc) {
            level = argv[++i];
        } else {
            wanted.emplace_back(argv[i]);
            passOn.emplace_back(argv[i]);
        }
    }

    if (level != nullptr) {
        // One level, already capped by the environment this process started with.
        const auto parsed = sumwise::parseCpuLevel(level);
        const char* capped = std::getenv("SUMWISE_CPU");
        if (!parsed || capped == nullptr || std::strcmp(capped, level) != 0) {
            std::fprintf(stderr, "--level %s needs SUMWISE_CPU=%s in the environment\n", level, level);
            return 2;
        }
        return measure(mebibytes, params, wanted) == 0 ? 0 : 1;
    }

    // Every level this machine supports, highest first.
    const sumwise::CpuLevel top = sumwise::levelOf(sumwise::detectedCpuFeatures());
    int failures = 0;
    for (auto it = std::rbegin(sumwise::kCpuLevels); it != std::rend(sumwise::kCpuLevels); ++it) {
        if (*it > top) continue;
        if (runLevel(argv[0], *it, passOn) != 0) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
