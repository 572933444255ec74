// Asynchronous HTTP through WinINet for the update threads: one Internet
// handle with its status callback, and the request it has open. Every wait
// also ends when the update dialog's cancel event is signalled, so a user
// never waits on a server that does not answer.
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

// Whether the server at `url` can be reached (a connection is made).
bool probeConnection(const std::wstring& url);

class InternetSession {
public:
    // Which step of opening failed, for the error message's action.
    enum class Failure { None, OpenInternet, CreateEvent, SetCallback };
    enum class Outcome { Done, Failed, Cancelled };

    InternetSession(const std::wstring& agent, HANDLE cancel);
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
    // How many bytes can be read without waiting; none when unknown.
    std::optional<DWORD> available();
    // Closes the open request and waits for the handle to go.
    void closeRequest();

private:
    Outcome wait();
    // A call that failed with `error`: when WinINet finishes it later, its
    // outcome once finished (or cancelled).
    Outcome awaitPending(DWORD error);
    void waitUntilClosed();

    // On the heap: when an operation cannot be ended, the context and its
    // buffer are left to the callback rather than freed under it.
    std::unique_ptr<RequestContext> context_;
    HINTERNET internet_ = nullptr;
    HANDLE cancel_ = nullptr;
    Failure failure_ = Failure::None;
    DWORD error_ = 0;
    bool callbackSet_ = false;
    // An operation was left pending when the session ended: the callback
    // may still use the context, which is then kept.
    bool pending_ = false;
};

}  // namespace sumwise
