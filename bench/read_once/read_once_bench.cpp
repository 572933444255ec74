// sumwise-read-once-bench: the program's job driver over one file, first
// with the slowest algorithm (MD2) alone, then with every algorithm, timed
// on the wall clock; prints both times, their ratio, and how many bytes
// each job read from the file.
//   sumwise-read-once-bench FILE [RUNS]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "jobs/job_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window that shows nothing and ends each job at once.
class NullView final : public sumwise::JobView {
public:
    sumwise::JobDriver* driver = nullptr;
    void refreshCompare() override {}
    std::optional<sumwise::VolumeChoice> chosenVolume() override { return std::nullopt; }
    void enterBusyLayout(std::uint64_t) override {}
    void showSuspended(bool) override {}
    void showResult(std::size_t, const std::wstring&) override { ++results; }
    void jobEnded() override { driver->finish(); }
    void jobFinished(const sumwise::JobEnd& end) override { failed = end.failure.has_value(); }
    std::atomic<int> results{0};
    bool failed = false;
};

class NullLog final : public sumwise::ResultLog {
public:
    bool append(const sumwise::LocalTime&, const std::vector<std::wstring>&) override { return true; }
    sumwise::LocalTime now() const override { return {}; }
};

// Counts what the job takes from its input.
class CountingSource final : public sumwise::InputSource {
public:
    CountingSource(std::unique_ptr<sumwise::InputSource> inner, std::uint64_t& bytes)
        : inner_(std::move(inner)), bytes_(bytes) {}
    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        const std::size_t got = inner_->read(buffer, capacity);
        bytes_ += got;
        return got;
    }
    bool failed() const override { return inner_->failed(); }
    std::optional<std::uint64_t> size() const override { return inner_->size(); }

private:
    std::unique_ptr<sumwise::InputSource> inner_;
    std::uint64_t& bytes_;
};

struct Timing {
    double seconds = 0;
    std::uint64_t bytesRead = 0;
    int results = 0;
};

Timing runJob(const std::string& file, sumwise::AlgorithmMask mask) {
    sumwise::HashJob job;
    job.path = std::wstring(file.begin(), file.end());
    job.jobMask = mask;
    NullView view;
    NullLog log;
    Timing timing;
    sumwise::JobDriver driver(job, view, log, [&](const std::filesystem::path& path, std::error_code* error) {
        auto inner = sumwise::openInput(path, error);
        return inner ? std::make_unique<CountingSource>(std::move(inner), timing.bytesRead) : nullptr;
    });
    view.driver = &driver;
    const auto start = Clock::now();
    driver.hashPressed();
    driver.waitUntilIdle();
    timing.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    timing.results = view.results.load();
    if (view.failed) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        std::exit(1);
    }
    return timing;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sumwise-read-once-bench FILE [RUNS]\n");
        return 2;
    }
    const std::string file = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    const sumwise::AlgorithmMask all = sumwise::kAllAlgorithms;
    const sumwise::AlgorithmMask md2 = sumwise::flagNamed("MD2");

    double alone = 1e30;
    double every = 1e30;
    Timing last;
    for (int run = 0; run < runs; ++run) {
        alone = std::min(alone, runJob(file, md2).seconds);
        last = runJob(file, all);
        every = std::min(every, last.seconds);
    }
    std::printf("job driver, best of %d: MD2 alone %.2f s, all %d algorithms %.2f s, ratio %.3f\n", runs, alone,
                last.results, every, every / alone);
    std::printf("bytes read by the all-algorithms job: %llu\n", static_cast<unsigned long long>(last.bytesRead));
    return 0;
}
