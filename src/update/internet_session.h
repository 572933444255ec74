// Asynchronous HTTP through WinINet for the update threads: one Internet
// handle with its status callback, and the request it has open. Every wait
// ends when the update dialog's cancel event is signalled, or as a failure
// with ERROR_INTERNET_TIMEOUT when the server sent nothing for the idle
// limit, so a user never waits on a server that does not answer.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace sumwise {

// What the status callback shares with the thread that waits (one per thread).
struct RequestContext {
    enum : LONG { kClosing = -1, kIdle = 0, kOpening = 1 };
    std::atomic<LONG> state{kIdle};
    std::atomic<HINTERNET> request{nullptr};
    // The last completed operation: its result and error code.
    std::atomic<DWORD_PTR> result{0};
    std::atomic<DWORD> error{0};
    HANDLE event = nullptr;  // auto-reset; signalled by the callback
    // Where an asynchronous read puts its bytes and their count.
    std::vector<std::uint8_t> buffer;
    DWORD bytesRead = 0;
};

void CALLBACK onInternetStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID information,
                               DWORD informationLength);

// Whether the server at `url` can be reached (a connection is made). False
// as well when `cancel` is signalled or `limit` milliseconds pass first: the
// system's call cannot be interrupted, so it runs on a thread of its own and
// is left to finish there.
bool probeConnection(const std::wstring& url, HANDLE cancel, DWORD limit);

class InternetSession {
public:
    // Which step of opening failed, for the error message's action.
    enum class Failure { None, OpenInternet, CreateEvent, SetCallback };
    enum class Outcome { Done, Failed, Cancelled };

    // `idleLimit`: how long, in milliseconds, one wait for the server may last.
    InternetSession(const std::wstring& agent, HANDLE cancel, DWORD idleLimit);
    ~InternetSession();
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;

    Failure failure() const { return failure_; }
    // The error code of the last failure.
    DWORD error() const { return error_; }

    // Opens `url` (reloaded, never cached) and waits until the answer's
    // headers are in.
    Outcome open(const std::wstring& url);
    std::optional<DWORD> statusCode();
    // The Content-Length; none when the answer has none (chunked), and then
    // `error()` is 0, or when the query failed.
    std::optional<std::uint64_t> contentLength();
    // Reads up to `size` bytes into `data()`; `got` is 0 at the end of the
    // body. The buffer grows to `size` when it is smaller.
    Outcome read(DWORD size, DWORD& got);
    const std::uint8_t* data() const { return context_->buffer.data(); }
    // How many bytes can be read without waiting (`count`, 0 when unknown).
    // Waits for the next bytes when none are there yet: Failed only when
    // the idle limit passed.
    Outcome available(DWORD& count);
    // Closes the open request and waits for the handle to go.
    void closeRequest();

private:
    // Done, Cancelled, or Failed when the idle limit passed.
    Outcome wait();
    // A call that failed with `error`: when WinINet finishes it later, its
    // outcome once finished (or cancelled, or timed out).
    Outcome awaitPending(DWORD error);
    void waitUntilClosed();

    // On the heap: when an operation cannot be ended, the context and its
    // buffer are left to the callback rather than freed under it.
    std::unique_ptr<RequestContext> context_;
    HINTERNET internet_ = nullptr;
    HANDLE cancel_ = nullptr;
    DWORD idleLimit_ = INFINITE;
    Failure failure_ = Failure::None;
    DWORD error_ = 0;
    bool callbackSet_ = false;
    // An operation was left pending when the session ended: the callback
    // may still use the context, which is then kept.
    bool pending_ = false;
};

}  // namespace sumwise
