#include "update/internet_session.h"

#include <system_error>
#include <thread>

namespace sumwise {

namespace {

// How long closing a request may take before the thread gives up on it.
constexpr DWORD kCloseTimeoutMilliseconds = 3000;
// Closing a request whose operation was given up: its closing notice comes
// only once that operation ends, which may be never; the user has waited.
constexpr DWORD kAbandonedCloseMilliseconds = 100;

}  // namespace

void CALLBACK onInternetStatus(HINTERNET, DWORD_PTR contextValue, DWORD status, LPVOID information, DWORD) {
    auto* context = reinterpret_cast<RequestContext*>(contextValue);
    if (context == nullptr) return;  // the Internet handle itself
    const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(information);
    LONG closing = RequestContext::kClosing;
    switch (status) {
    case INTERNET_STATUS_HANDLE_CREATED:
        if (context->state.load() == RequestContext::kOpening && result != nullptr) {
            context->request = reinterpret_cast<HINTERNET>(result->dwResult);
            context->state = RequestContext::kIdle;
        }
        break;
    case INTERNET_STATUS_REQUEST_COMPLETE:
        if (result != nullptr) {
            context->result = result->dwResult;
            context->error = result->dwResult != 0 ? 0 : result->dwError;
        }
        SetEvent(context->event);
        if (context->state.compare_exchange_strong(closing, RequestContext::kIdle)) SetEvent(context->event);
        break;
    case INTERNET_STATUS_HANDLE_CLOSING:
        if (context->state.compare_exchange_strong(closing, RequestContext::kIdle)) SetEvent(context->event);
        break;
    default:
        break;
    }
}

bool probeConnection(const std::wstring& url, HANDLE cancel, DWORD limit) {
    // Shared with the thread, which may outlive this call.
    struct Probe {
        std::wstring url;
        std::atomic<bool> reached{false};
        HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ~Probe() {
            if (done != nullptr) CloseHandle(done);
        }
    };
    const auto check = [](const std::wstring& target) {
        return InternetCheckConnectionW(target.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
    };
    auto probe = std::make_shared<Probe>();
    probe->url = url;
    if (probe->done == nullptr) return check(url);
    try {
        std::thread([probe, check] {
            probe->reached = check(probe->url);
            SetEvent(probe->done);
        }).detach();
    } catch (const std::system_error&) {
        return check(url);
    }
    const HANDLE handles[] = {probe->done, cancel};
    const DWORD count = cancel != nullptr ? 2 : 1;
    return WaitForMultipleObjects(count, handles, FALSE, limit) == WAIT_OBJECT_0 && probe->reached.load();
}

InternetSession::InternetSession(const std::wstring& agent, HANDLE cancel, DWORD idleLimit)
    : context_(std::make_unique<RequestContext>()), cancel_(cancel), idleLimit_(idleLimit) {
    internet_ = InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC);
    if (internet_ == nullptr) {
        failure_ = Failure::OpenInternet;
        error_ = GetLastError();
        return;
    }
    context_->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (context_->event == nullptr) {
        failure_ = Failure::CreateEvent;
        error_ = GetLastError();
        return;
    }
    if (InternetSetStatusCallbackW(internet_, onInternetStatus) == INTERNET_INVALID_STATUS_CALLBACK) {
        failure_ = Failure::SetCallback;
        error_ = GetLastError();
        return;
    }
    callbackSet_ = true;
}

InternetSession::~InternetSession() {
    if (context_->request.load() != nullptr) closeRequest();
    // The Internet handle is closed only once its callback is removed.
    const bool removed =
        !callbackSet_ || InternetSetStatusCallbackW(internet_, nullptr) != INTERNET_INVALID_STATUS_CALLBACK;
    if (internet_ != nullptr && removed) InternetCloseHandle(internet_);
    if (pending_) {
        // An operation that never ended may still complete into the context.
        (void)context_.release();
        return;
    }
    if (context_->event != nullptr) CloseHandle(context_->event);
}

InternetSession::Outcome InternetSession::wait() {
    const HANDLE handles[] = {context_->event, cancel_};
    const DWORD count = cancel_ != nullptr ? 2 : 1;
    const DWORD woken = WaitForMultipleObjects(count, handles, FALSE, idleLimit_);
    if (woken == WAIT_OBJECT_0) return Outcome::Done;
    if (woken == WAIT_TIMEOUT) {
        error_ = ERROR_INTERNET_TIMEOUT;
        return Outcome::Failed;
    }
    return Outcome::Cancelled;
}

InternetSession::Outcome InternetSession::awaitPending(DWORD error) {
    if (error != ERROR_IO_PENDING) {
        error_ = error;
        return Outcome::Failed;
    }
    if (const Outcome waited = wait(); waited != Outcome::Done) {
        pending_ = true;
        return waited;
    }
    if (context_->result.load() == 0) {
        error_ = context_->error.load();
        return Outcome::Failed;
    }
    return Outcome::Done;
}

InternetSession::Outcome InternetSession::open(const std::wstring& url) {
    RequestContext& context = *context_;
    if (context.request.load() != nullptr) closeRequest();
    ResetEvent(context.event);
    context.result = 0;
    context.error = 0;
    context.state = RequestContext::kOpening;
    const HINTERNET request = InternetOpenUrlW(internet_, url.c_str(), nullptr, 0,
                                               INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                                               reinterpret_cast<DWORD_PTR>(&context));
    if (request != nullptr) {
        context.request = request;
        context.state = RequestContext::kIdle;
        return Outcome::Done;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) context.state = RequestContext::kIdle;
    if (const Outcome outcome = awaitPending(error); outcome != Outcome::Done) return outcome;
    context.request = reinterpret_cast<HINTERNET>(context.result.load());
    return Outcome::Done;
}

std::optional<DWORD> InternetSession::statusCode() {
    DWORD code = 0;
    DWORD size = sizeof code;
    if (!HttpQueryInfoW(context_->request.load(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                        nullptr)) {
        error_ = GetLastError();
        return std::nullopt;
    }
    return code;
}

std::optional<std::uint64_t> InternetSession::contentLength() {
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!HttpQueryInfoW(context_->request.load(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                        nullptr)) {
        const DWORD error = GetLastError();
        error_ = error == ERROR_HTTP_HEADER_NOT_FOUND ? 0 : error;
        return std::nullopt;
    }
    return length;
}

InternetSession::Outcome InternetSession::read(DWORD size, DWORD& got) {
    RequestContext& context = *context_;
    got = 0;
    if (context.buffer.size() < size) context.buffer.resize(size);
    ResetEvent(context.event);
    context.result = 0;
    context.error = 0;
    context.bytesRead = 0;
    if (InternetReadFile(context.request.load(), context.buffer.data(), size, &context.bytesRead)) {
        got = std::min(context.bytesRead, size);
        return Outcome::Done;
    }
    if (const Outcome outcome = awaitPending(GetLastError()); outcome != Outcome::Done) return outcome;
    got = std::min(context.bytesRead, size);
    return Outcome::Done;
}

InternetSession::Outcome InternetSession::available(DWORD& count) {
    RequestContext& context = *context_;
    ResetEvent(context.event);
    context.result = 0;
    count = 0;
    if (InternetQueryDataAvailable(context.request.load(), &count, 0, 0)) return Outcome::Done;
    count = 0;
    if (GetLastError() != ERROR_IO_PENDING) return Outcome::Done;  // unknown: the reads still tell
    // The answer comes with the completion; waiting for it keeps the event
    // free of a late signal.
    if (const Outcome waited = wait(); waited != Outcome::Done) {
        pending_ = true;
        return waited;
    }
    count = static_cast<DWORD>(context.result.load());
    return Outcome::Done;
}

void InternetSession::closeRequest() {
    RequestContext& context = *context_;
    const HINTERNET request = context.request.exchange(nullptr);
    if (request == nullptr) return;
    context.state = RequestContext::kClosing;
    InternetCloseHandle(request);
    waitUntilClosed();
}

void InternetSession::waitUntilClosed() {
    RequestContext& context = *context_;
    const DWORD limit = pending_ ? kAbandonedCloseMilliseconds : kCloseTimeoutMilliseconds;
    const DWORD start = GetTickCount();
    while (context.state.load() == RequestContext::kClosing) {
        const DWORD spent = GetTickCount() - start;
        const HANDLE handles[] = {context.event, cancel_};
        const DWORD count = cancel_ != nullptr ? 2 : 1;
        const DWORD woken =
            spent >= limit ? WAIT_TIMEOUT : WaitForMultipleObjects(count, handles, FALSE, limit - spent);
        if (woken != WAIT_OBJECT_0 && context.state.load() == RequestContext::kClosing) {
            // A cancel does not wait for the server either.
            pending_ = true;
            return;
        }
    }
    // The handle is gone: nothing of it can still complete.
    pending_ = false;
}

}  // namespace sumwise
