#include "update/signature_check.h"

#include "toolkit/strings.h"
#include "resources/resource_ids.h"
#include "update/internet_error.h"
#include "update/update_server.h"
#include "update/update_signature.h"

namespace sumwise {

namespace {

constexpr std::size_t kErrorTextMaxLength = 260;

void showNotSigned(UpdateState& state, UpdateView& view, std::wstring_view fileName) {
    const std::wstring url = versionFileUrl(state.baseUrl, fileName);
    view.showError(formatText(loadText(IDS_ERROR_NOT_SIGNED, state.language), {std::wstring_view(url)},
                              kErrorTextMaxLength));
    state.set(kStopRequested);
}

}  // namespace

std::optional<std::string> readBody(InternetSession& session, UpdateState& state, UpdateView& view,
                                    std::size_t maxLength) {
    std::string bytes;
    while (!state.has(kStopRequested) && bytes.size() < maxLength) {
        DWORD got = 0;
        const auto outcome = session.read(static_cast<DWORD>(maxLength - bytes.size()), got);
        if (outcome == InternetSession::Outcome::Cancelled) return std::nullopt;
        if (outcome == InternetSession::Outcome::Failed) {
            view.showError(internetErrorText(session.error(), IDS_ACTION_READ_FAILURE, state.language));
            state.set(kStopRequested);
            return std::nullopt;
        }
        if (got == 0) break;
        bytes.append(reinterpret_cast<const char*>(session.data()), got);
    }
    if (state.has(kStopRequested)) return std::nullopt;
    return bytes;
}

bool versionFileSignatureHolds(InternetSession& session, UpdateState& state, UpdateView& view,
                               const Ed25519PublicKey& key, std::wstring_view fileName, std::string_view versionFile) {
    const auto opened = session.open(versionFileUrl(state.baseUrl, signatureFileName(fileName)));
    if (state.has(kStopRequested) || opened == InternetSession::Outcome::Cancelled) return false;
    const DWORD status = opened == InternetSession::Outcome::Done ? session.statusCode().value_or(0) : 0;
    if (status == 0) {
        view.showError(internetErrorText(session.error(), IDS_ACTION_CHECK_FILE, state.language));
        state.set(kStopRequested);
        return false;
    }
    if (status == HTTP_STATUS_NOT_FOUND) {
        session.closeRequest();
        showNotSigned(state, view, fileName);
        return false;
    }
    if (status != HTTP_STATUS_OK) {
        session.closeRequest();
        view.showError(httpStatusErrorText(status, IDS_ACTION_CHECK_FILE, state.language));
        state.set(kStopRequested);
        return false;
    }
    // One byte past the longest well-formed file tells a longer one apart.
    const std::optional<std::string> signature = readBody(session, state, view, kSignatureFileMaxLength + 1);
    session.closeRequest();
    if (!signature) return false;
    if (!versionFileSigned(key, versionFile, *signature)) {
        showNotSigned(state, view, fileName);
        return false;
    }
    return true;
}

}  // namespace sumwise
