// A whole sums file checked on a worker thread for the check window: its
// lines read into rows, the files they name read one after another (each once
// for all the algorithms of its lines), the statuses kept here for the window
// to show. The worker never touches a window: it calls `notify`, which posts.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "algorithms/params.h"
#include "jobs/stream_control.h"
#include "results/sums_check.h"
#include "results/sums_file.h"

namespace sumwise {

struct CheckRow {
    SumsEntry entry;
    LineStatus status = LineStatus::Waiting;
    std::error_code error;  // for Unreadable
};

// Whether a sums file can be checked at all, found before its window opens:
// it opens, and holds at least one line that can be read.
struct SumsProbe {
    enum class Result { Readable, CannotOpen, NoLines };
    Result result = Result::Readable;
    std::error_code error;  // for CannotOpen
};
SumsProbe probeSumsFile(const std::filesystem::path& sumsPath, const AlgorithmParams& params = {});

// Whether a dropped file is a sums file naming more than one file: its first
// lines are read (a data file shows no line to check among them).
bool namesSeveralFiles(const std::filesystem::path& path, const AlgorithmParams& params = {});

class CheckRun {
public:
    enum class Event { RowsChanged, Ended };
    using NameToPath = std::function<std::filesystem::path(const std::string& name)>;

    // `notify` is called on the worker thread; it must not block.
    CheckRun(std::filesystem::path sumsPath, AlgorithmParams params, NameToPath nameToPath,
             std::function<void(Event)> notify);
    ~CheckRun();  // stops and waits for the worker
    CheckRun(const CheckRun&) = delete;
    CheckRun& operator=(const CheckRun&) = delete;

    // Starts the worker: the first time it reads the sums file; then it
    // checks every line, or only those that failed, were missing or unreadable.
    void start(bool onlyFailed);
    // Asks the worker to stop; it ends soon after (Event::Ended).
    void stop();
    // Waits for a worker that has ended (or been stopped).
    void join();
    bool running() const { return running_.load(); }

    std::size_t rowCount() const;
    // A copy of one row, taken under the lock.
    CheckRow row(std::size_t index) const;
    CheckCounts counts() const;
    std::uint64_t totalBytes() const { return totalBytes_.load(); }
    std::uint64_t doneBytes() const { return doneBytes_.load(); }
    // The sums file failed part-way through (what came before is kept).
    bool sumsFailed() const { return sumsFailed_.load(); }
    std::filesystem::path pathOf(const CheckRow& row) const;

private:
    class Progress;
    void work(bool onlyFailed);
    void load();
    void setStatus(const std::vector<std::size_t>& rows, LineStatus status);

    std::filesystem::path sumsPath_;
    AlgorithmParams params_;
    NameToPath nameToPath_;
    std::function<void(Event)> notify_;
    mutable std::mutex mutex_;
    std::vector<CheckRow> rows_;
    bool loaded_ = false;
    JobSignals signals_;
    std::atomic<bool> running_{false};
    std::atomic<bool> sumsFailed_{false};
    std::atomic<std::uint64_t> totalBytes_{0};
    std::atomic<std::uint64_t> doneBytes_{0};
    std::thread thread_;
};

}  // namespace sumwise
