#include "results/check_run.h"

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "jobs/input_source.h"
#include "jobs/ordered_pool.h"
#include "jobs/streaming.h"

namespace sumwise {

namespace {

// Rows are handed to the window in batches of this many while the sums file is read.
constexpr std::size_t kLoadBatch = 2048;
// Small files read at once and not yet told.
constexpr std::size_t kPoolWindow = 64;

bool failedStatus(LineStatus status) {
    return status == LineStatus::Failed || status == LineStatus::Missing || status == LineStatus::Unreadable;
}

// The rules a sums file is read with in the window: its name decides as for -c.
SumsFileRules checkRules(const std::filesystem::path& sumsPath, const AlgorithmParams& params) {
    SumsFileRules rules;
    rules.digits = digestDigitCounts(params);
    rules.params = params;
    const std::u8string name = sumsPath.filename().u8string();
    rules.fileName.assign(name.begin(), name.end());
    return rules;
}

}  // namespace

class CheckRun::Progress final : public ProgressSink {
public:
    Progress(std::atomic<std::uint64_t>& done, std::uint64_t base) : done_(done), base_(base) {}
    void blockRead(std::uint64_t totalBytes) override { done_.store(base_ + totalBytes); }

private:
    std::atomic<std::uint64_t>& done_;
    std::uint64_t base_;
};

SumsProbe probeSumsFile(const std::filesystem::path& sumsPath, const AlgorithmParams& params) {
    SumsProbe probe;
    std::error_code error;
    const std::unique_ptr<InputSource> source = openInput(sumsPath, &error);
    if (!source) {
        probe.result = SumsProbe::Result::CannotOpen;
        probe.error = error ? error : std::make_error_code(std::errc::io_error);
        return probe;
    }
    SumsFileReader reader(*source, checkRules(sumsPath, params));
    while (const auto entry = reader.next()) {
        if (entry->kind == SumsEntry::Kind::Check) return probe;
    }
    if (reader.failed()) {
        probe.result = SumsProbe::Result::CannotOpen;
        probe.error = source->error() ? source->error() : std::make_error_code(std::errc::io_error);
        return probe;
    }
    probe.result = SumsProbe::Result::NoLines;
    return probe;
}

bool namesSeveralFiles(const std::filesystem::path& path, const AlgorithmParams& params) {
    // A sums file shows a line to check among its first lines.
    constexpr std::size_t kLinesBeforeAnyCheck = 16;
    const std::unique_ptr<InputSource> source = openInput(path);
    if (!source) return false;
    SumsFileReader reader(*source, checkRules(path, params));
    std::string first;
    bool any = false;
    for (std::size_t seen = 0; const auto entry = reader.next(); ++seen) {
        if (entry->kind != SumsEntry::Kind::Check) {
            if (!any && seen >= kLinesBeforeAnyCheck) return false;
            continue;
        }
        if (!any) {
            any = true;
            first = entry->name;
        } else if (entry->name != first) {
            return true;
        }
    }
    return false;
}

CheckRun::CheckRun(std::filesystem::path sumsPath, AlgorithmParams params, NameToPath nameToPath,
                   std::function<void(Event)> notify)
    : sumsPath_(std::move(sumsPath)),
      params_(params),
      nameToPath_(std::move(nameToPath)),
      notify_(std::move(notify)) {}

CheckRun::~CheckRun() {
    stop();
    join();
}

void CheckRun::start(bool onlyFailed) {
    join();
    signals_.reset();
    running_ = true;
    thread_ = std::thread([this, onlyFailed] {
        work(onlyFailed);
        running_ = false;
        notify_(Event::Ended);
    });
}

void CheckRun::stop() { signals_.stop(); }

void CheckRun::join() {
    if (thread_.joinable()) thread_.join();
}

std::size_t CheckRun::rowCount() const {
    std::lock_guard lock(mutex_);
    return rows_.size();
}

CheckRow CheckRun::row(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < rows_.size() ? rows_[index] : CheckRow{};
}

CheckCounts CheckRun::counts() const {
    std::lock_guard lock(mutex_);
    CheckCounts counts;
    for (const CheckRow& row : rows_) counts.add(row.status);
    return counts;
}

std::filesystem::path CheckRun::pathOf(const CheckRow& row) const {
    return namedPath(row.entry, sumsPath_, sumsPath_.parent_path(),
                     row.entry.besideSumsFile ? std::filesystem::path{} : nameToPath_(row.entry.name));
}

void CheckRun::load() {
    loaded_ = true;
    std::error_code error;
    const std::unique_ptr<InputSource> source = openInput(sumsPath_, &error);
    if (!source) {
        sumsFailed_ = true;
        return;
    }
    SumsFileReader reader(*source, checkRules(sumsPath_, params_));
    std::vector<CheckRow> batch;
    auto hand = [&] {
        std::lock_guard lock(mutex_);
        for (CheckRow& row : batch) rows_.push_back(std::move(row));
        batch.clear();
    };
    while (auto entry = reader.next()) {
        CheckRow row;
        row.entry = std::move(*entry);
        row.entry.candidates.clear();
        if (row.entry.kind != SumsEntry::Kind::Check) row.status = LineStatus::BadLine;
        batch.push_back(std::move(row));
        if (batch.size() == kLoadBatch) {
            hand();
            notify_(Event::RowsChanged);
            if (signals_.stopRequested()) return;
        }
    }
    hand();
    if (reader.failed()) sumsFailed_ = true;
    notify_(Event::RowsChanged);
}

void CheckRun::setStatus(const std::vector<std::size_t>& rows, LineStatus status) {
    std::lock_guard lock(mutex_);
    for (const std::size_t index : rows) rows_[index].status = status;
}

void CheckRun::work(bool onlyFailed) {
    if (!loaded_) load();
    // The lines of one file, read together.
    struct Group {
        std::filesystem::path path;
        std::vector<std::size_t> rows;
        std::uint64_t size = 0;
        AlgorithmParams params;  // a tag's own ("HAVAL-128/3"), else the program's
    };
    std::vector<Group> groups;
    std::vector<const SumsEntry*> firsts;  // the first line of each group
    {
        // Only the grouping holds the lock; the paths are made after it.
        std::lock_guard lock(mutex_);
        std::unordered_map<std::string, std::size_t> byName;
        for (std::size_t index = 0; index < rows_.size(); ++index) {
            CheckRow& row = rows_[index];
            if (row.entry.kind != SumsEntry::Kind::Check) continue;
            if (onlyFailed && !failedStatus(row.status)) continue;
            row.status = LineStatus::Waiting;
            row.error.clear();
            // Lines whose tags carry other parameters need a read of their own.
            const AlgorithmParams& params = row.entry.params ? *row.entry.params : params_;
            std::string key = (row.entry.besideSumsFile ? "1" : "0") + row.entry.name + '\0' +
                              std::to_string(params.haval.passes) + '/' + std::to_string(params.haval.outputBits) +
                              '/' + std::to_string(params.md6.d) + '/' + std::to_string(params.md6.L) + '/' +
                              std::to_string(params.md6.r) + '/' + params.md6.key.data();
            const auto [found, added] = byName.try_emplace(std::move(key), groups.size());
            if (added) {
                groups.emplace_back();
                groups.back().params = params;
                firsts.push_back(&row.entry);
            }
            groups[found->second].rows.push_back(index);
        }
    }
    // Rows are only added while the sums file is read, so the entries stay put.
    for (std::size_t i = 0; i < groups.size(); ++i) {
        CheckRow first;
        first.entry = *firsts[i];
        groups[i].path = pathOf(first);
    }
    notify_(Event::RowsChanged);
    std::uint64_t total = 0;
    for (Group& group : groups) {
        if (signals_.stopRequested()) return;
        std::error_code ignored;
        const std::uintmax_t size = std::filesystem::file_size(group.path, ignored);
        group.size = ignored ? 0 : static_cast<std::uint64_t>(size);
        total += group.size;
    }
    totalBytes_ = total;
    doneBytes_ = 0;
    std::uint64_t base = 0;
    auto finish = [this, &base](const Group& group, const FileRead& read) {
        {
            std::lock_guard lock(mutex_);
            for (const std::size_t index : group.rows) {
                CheckRow& row = rows_[index];
                row.status = lineStatus(row.entry, read);
                if (row.status == LineStatus::Unreadable) row.error = read.error;
            }
        }
        base += group.size;
        doneBytes_ = base;
        notify_(Event::RowsChanged);
        // Let the window at the rows between many small files.
        std::this_thread::yield();
    };
    // Small files are read several at once, told in their order; a large
    // one alone, with its progress and as Checking.
    constexpr std::uint64_t kSmallFile = 1 << 20;
    // One processor is left to the window, which must go on answering.
    std::optional<OrderedPool> pool;
    if (processorCount() > 2) pool.emplace(processorCount() - 1, kPoolWindow);
    for (const Group& group : groups) {
        if (signals_.stopRequested()) break;
        // Entries stay put: rows are only added while the sums file is read.
        std::vector<const SumsEntry*> entries;
        for (const std::size_t index : group.rows) entries.push_back(&rows_[index].entry);
        if (pool && group.size < kSmallFile) {
            auto read = std::make_shared<FileRead>();
            const bool going = pool->give(
                [this, read, path = group.path, algorithms = algorithmsOf(entries), params = group.params] {
                    SourceControl control;
                    control.signals = &signals_;
                    control.cores = 1;
                    *read = readForCheck(path, algorithms, params, control);
                },
                [this, read, &group, &finish] {
                    if (signals_.stopRequested()) return false;
                    finish(group, *read);
                    return true;
                });
            if (!going) break;
            continue;
        }
        if (pool && !pool->deliverAll()) break;
        setStatus(group.rows, LineStatus::Checking);
        notify_(Event::RowsChanged);
        Progress progress(doneBytes_, base);
        SourceControl control;
        control.signals = &signals_;
        control.progress = &progress;
        const FileRead read = readForCheck(group.path, algorithmsOf(entries), group.params, control);
        if (signals_.stopRequested() && read.failure == FileRead::Failure::Read) {
            setStatus(group.rows, LineStatus::Waiting);
            break;
        }
        finish(group, read);
    }
    if (pool && !signals_.stopRequested()) pool->deliverAll();
}

}  // namespace sumwise
