#include "update/update_download.h"

#include <chrono>
#include <filesystem>
#include <optional>

#include "resources/resource_ids.h"
#include "text/size_text.h"
#include "toolkit/strings.h"
#include "update/download_check.h"
#include "update/internet_error.h"
#include "update/internet_session.h"
#include "update/update_check.h"
#include "update/update_server.h"

namespace sumwise {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kProgressTextInterval = std::chrono::milliseconds(250);
constexpr DWORD kReadUnit = 512;
// The buffer follows what the connection has ready, up to this much.
constexpr DWORD kMaxReadSize = 1u << 20;
// The size text of the downloaded amount: every size below 10000 GB fits.
constexpr std::size_t kSizeTextMaxLength = 7;

// The next read's size for `available` bytes ready: whole units of 512.
DWORD readSizeFor(DWORD available) {
    return std::min<DWORD>((available / kReadUnit + 1) * kReadUnit, kMaxReadSize);
}

class TemporaryFile {
public:
    // A new, empty file in the folder of `target`.
    explicit TemporaryFile(const std::filesystem::path& target) {
        wchar_t name[MAX_PATH + 1] = {};
        const std::wstring folder = target.parent_path().wstring();
        if (GetTempFileNameW(folder.c_str(), L"swu", 0, name) == 0) {
            error_ = GetLastError();
            return;
        }
        path_ = name;
        handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) error_ = GetLastError();
    }
    ~TemporaryFile() {
        close();
        if (!path_.empty() && !kept_) DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool opened() const { return handle_ != INVALID_HANDLE_VALUE; }
    DWORD error() const { return error_; }
    const std::wstring& path() const { return path_; }

    bool write(const std::uint8_t* data, DWORD size) {
        while (size > 0) {
            DWORD written = 0;
            if (!WriteFile(handle_, data, size, &written, nullptr) || written == 0) {
                error_ = GetLastError();
                return false;
            }
            data += written;
            size -= written;
        }
        return true;
    }
    bool finish() {
        const bool flushed = FlushFileBuffers(handle_) != FALSE;
        if (!flushed) error_ = GetLastError();
        close();
        return flushed;
    }
    // Gives the file the name `target`, replacing what is there.
    bool moveTo(const std::filesystem::path& target) {
        close();
        if (!MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error_ = GetLastError();
            return false;
        }
        kept_ = true;
        return true;
    }

private:
    void close() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    std::wstring path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD error_ = 0;
    bool kept_ = false;
};

class Download {
public:
    Download(UpdateState& state, UpdateView& view) : state_(state), view_(view), separator_(decimalSeparator()) {}

    void run();

private:
    bool transfer(InternetSession& session, TemporaryFile& file);
    void fail(const std::wstring& text) {
        view_.showError(text);
        state_.set(kStopRequested);
    }
    std::wstring progressText() const;
    void finish(const std::filesystem::path& target, std::optional<TemporaryFile>& file);

    UpdateState& state_;
    UpdateView& view_;
    wchar_t separator_;
    std::uint64_t received_ = 0;
    std::uint64_t total_ = 0;  // 0: unknown
};

std::wstring Download::progressText() const {
    const std::wstring size = sizeText(received_, separator_).substr(0, kSizeTextMaxLength);
    if (total_ == 0) {
        return formatText(loadText(IDS_DOWNLOADED_SIZE, state_.language),
                          {std::wstring_view(state_.fileName), std::wstring_view(size)}, 260);
    }
    const std::uint64_t percent = std::min<std::uint64_t>(received_ >= total_ ? 100 : received_ * 100 / total_, 100);
    return formatText(loadText(IDS_DOWNLOAD_PROGRESS, state_.language),
                      {std::wstring_view(state_.fileName), std::wstring_view(size), static_cast<std::int64_t>(percent)},
                      260);
}

bool Download::transfer(InternetSession& session, TemporaryFile& file) {
    DWORD readSize = kReadUnit;
    Clock::time_point lastText = Clock::now();
    while (!state_.has(kStopRequested)) {
        DWORD got = 0;
        const auto outcome = session.read(readSize, got);
        if (outcome == InternetSession::Outcome::Cancelled) return false;
        if (outcome == InternetSession::Outcome::Failed) {
            fail(internetErrorText(session.error(), IDS_ACTION_READ, state_.language));
            return false;
        }
        if (got == 0) break;
        if (!file.write(session.data(), got)) {
            fail(internetErrorText(file.error(), IDS_ACTION_WRITE, state_.language));
            return false;
        }
        received_ += got;
        const bool refreshText = Clock::now() - lastText > kProgressTextInterval;
        if (refreshText) lastText = Clock::now();
        view_.progress(received_, total_, refreshText ? progressText() : std::wstring());
        // This waits for the next bytes, so a stalled server ends here.
        DWORD available = 0;
        const auto asked = session.available(available);
        if (asked == InternetSession::Outcome::Cancelled) return false;
        if (asked == InternetSession::Outcome::Failed) {
            fail(internetErrorText(session.error(), IDS_ACTION_READ, state_.language));
            return false;
        }
        readSize = std::max(readSize, readSizeFor(available));
    }
    if (state_.has(kStopRequested)) return false;
    if (total_ != 0 && received_ < total_) {
        // The connection ended before the announced length.
        fail(internetErrorText(ERROR_INTERNET_CONNECTION_RESET, IDS_ACTION_READ, state_.language));
        return false;
    }
    return true;
}

void Download::run() {
    state_.clear(kIdle);
    view_.show(UpdateScreen::Preparing);
    if (!probeConnection(state_.baseUrl, state_.cancel, state_.idleLimit)) {
        // A cancel closes the dialog; nothing to show first.
        if (!state_.has(kStopRequested)) view_.show(UpdateScreen::NoConnection);
        endWork(state_, view_);
        return;
    }
    const std::wstring chosen = state_.has(kStopRequested) ? std::wstring() : view_.chooseTarget(state_.fileName);
    if (chosen.empty()) {
        view_.close(0);
        endWork(state_, view_);
        return;
    }
    const std::filesystem::path target(chosen);
    view_.show(UpdateScreen::Connecting);

    bool complete = false;
    std::optional<TemporaryFile> file;
    {
        InternetSession session(updateAgent(state_.language), state_.cancel, state_.idleLimit);
        if (session.failure() != InternetSession::Failure::None) {
            view_.showError(sessionErrorText(session, state_.language));
            view_.show(UpdateScreen::Halted);
            endWork(state_, view_);
            return;
        }
        const auto opened = session.open(downloadUrl(state_.baseUrl, state_.fileName));
        const DWORD status = opened == InternetSession::Outcome::Done ? session.statusCode().value_or(0) : 0;
        if (state_.has(kStopRequested) || opened == InternetSession::Outcome::Cancelled) {
            state_.set(kStopRequested);
        } else if (status == 0) {
            fail(internetErrorText(session.error(), IDS_ACTION_CHECK_FILE, state_.language));
        } else if (status != HTTP_STATUS_OK) {
            // An error page is not the program.
            fail(httpStatusErrorText(status, IDS_ACTION_CHECK_FILE, state_.language));
        } else {
            const std::optional<std::uint64_t> length = session.contentLength();
            if (!length && session.error() != 0) {
                fail(internetErrorText(session.error(), IDS_ACTION_FILE_SIZE, state_.language));
            } else {
                total_ = length.value_or(0);
                view_.show(UpdateScreen::Downloading);
                view_.progress(0, total_, std::wstring());
                file.emplace(target);
                if (!file->opened()) {
                    fail(internetErrorText(file->error(), IDS_ACTION_CREATE_FILE, state_.language));
                } else {
                    complete = transfer(session, *file);
                    view_.progress(received_, total_, progressText());
                    if (complete && !file->finish()) {
                        fail(internetErrorText(file->error(), IDS_ACTION_WRITE, state_.language));
                        complete = false;
                    }
                }
            }
        }
    }
    if (!complete || state_.has(kStopRequested)) {
        file.reset();  // removes the partial download
        state_.set(kStopRequested);
        endWork(state_, view_);
        return;
    }
    finish(target, file);
}

void Download::finish(const std::filesystem::path& target, std::optional<TemporaryFile>& file) {
    view_.show(UpdateScreen::Verifying);
    const DownloadCheck check = checkDownload(state_.published, state_.fileName, file->path(), &state_.verification);
    if (check == DownloadCheck::Stopped || state_.has(kStopRequested)) {
        file.reset();
        state_.set(kStopRequested);
        endWork(state_, view_);
        return;
    }
    if (check != DownloadCheck::Verified) {
        // Nothing unverified is kept, not even under another name.
        file.reset();
        state_.clear(kFileReady);
        view_.show(UpdateScreen::VerificationFailed);
        endWork(state_, view_);
        return;
    }
    if (!file->moveTo(target)) {
        const DWORD error = file->error();
        file.reset();
        fail(internetErrorText(error, IDS_ACTION_SAVE_FILE, state_.language));
        endWork(state_, view_);
        return;
    }
    const bool setup = state_.has(kFileReady);
    state_.fileName = target.wstring();
    if (setup) {
        view_.show(UpdateScreen::SetupReady);
    } else {
        state_.set(kFileReady);
        view_.show(UpdateScreen::PortableReady);
    }
    endWork(state_, view_);
}

}  // namespace

void downloadUpdate(UpdateState& state, UpdateView& view) {
    Download download(state, view);
    download.run();
}

}  // namespace sumwise
