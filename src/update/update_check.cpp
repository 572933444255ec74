#include "update/update_check.h"

#include <array>
#include <optional>

#include "resources/resource_ids.h"
#include "resources/version.h"
#include "toolkit/strings.h"
#include "toolkit/win32_text.h"
#include "update/internet_error.h"
#include "update/internet_session.h"
#include "update/signature_check.h"
#include "update/update_key.h"
#include "update/update_server.h"

namespace sumwise {

namespace {

constexpr std::size_t kShownVersionMaxLength = 32;

// What a version file offers.
struct Offer {
    bool newer = false;
    std::wstring shownVersion;
    VersionFile file;
};

}  // namespace

std::wstring updateAgent(LanguageId language) { return loadText(IDS_PRODUCT, language) + L"/" + kVersionWideText; }

void checkForUpdates(UpdateState& state, UpdateView& view) {
    state.clear(kIdle);
    view.show(UpdateScreen::Checking);
    std::wstring baseline = state.everyVersionNewer ? L"1" : kVersionWideText;

    if (!probeConnection(state.baseUrl, state.cancel, state.idleLimit)) {
        // A cancel closes the dialog; nothing to show first.
        if (!state.has(kStopRequested)) view.show(UpdateScreen::NoConnection);
        endWork(state, view);
        return;
    }

    const std::optional<Ed25519PublicKey> key = builtInUpdateKey();
    Offer release;
    Offer offer;  // what the dialog shows
    {
        InternetSession session(updateAgent(state.language), state.cancel, state.idleLimit);
        if (session.failure() != InternetSession::Failure::None) {
            view.showError(sessionErrorText(session, state.language));
            endWork(state, view);
            return;
        }
        const std::array<std::wstring_view, 2> files = {kLatestFileName, kBetaFileName};
        for (std::size_t index = 0; index < files.size() && !state.has(kStopRequested); ++index) {
            const bool beta = index == 1;
            const auto opened = session.open(versionFileUrl(state.baseUrl, files[index]));
            if (state.has(kStopRequested) || opened == InternetSession::Outcome::Cancelled) break;
            const DWORD status = opened == InternetSession::Outcome::Done ? session.statusCode().value_or(0) : 0;
            if (status == 0) {
                view.showError(internetErrorText(session.error(), IDS_ACTION_CHECK_FILE, state.language));
                state.set(kStopRequested);
                break;
            }
            if (status != HTTP_STATUS_OK) {
                session.closeRequest();
                if (!beta) {
                    // Without the release file nothing can be said about updates.
                    view.showError(httpStatusErrorText(status, IDS_ACTION_CHECK_FILE, state.language));
                    state.set(kStopRequested);
                    break;
                }
                // No beta published: the release result stands.
                state.clear(kBetaChannel);
                break;
            }
            // The length is not needed (the body is read to its end), so an
            // answer without one is fine; a failed query is not.
            if (!session.contentLength() && session.error() != 0) {
                view.showError(internetErrorText(session.error(), IDS_ACTION_FILE_SIZE, state.language));
                state.set(kStopRequested);
                break;
            }
            const std::optional<std::string> bytes = readBody(session, state, view, kVersionFileMaxLength);
            session.closeRequest();
            if (!bytes) break;
            // A keyed build trusts the file, and so its digests, only once its signature holds.
            if (key && !versionFileSignatureHolds(session, state, view, *key, files[index], *bytes)) break;

            // Converted as a whole, so a double-byte character is never split.
            const VersionFile file = parseVersionFile(fromAnsi(*bytes));
            if (!beta) {
                release.file = file;
                release.newer = isNewerVersion(baseline, file.version);
                release.shownVersion = release.newer ? file.version : baseline;
                offer = release;
                // A beta is offered only when it is newer than the release too.
                if (release.newer) baseline = file.version;
            } else if (isNewerVersion(baseline, file.version)) {
                offer.newer = true;
                offer.shownVersion = (file.version + L" (beta)").substr(0, kShownVersionMaxLength);
                offer.file = file;
            } else {
                state.clear(kBetaChannel);
            }
            if (!state.has(kBetaChannel)) break;
        }
    }

    if (state.has(kStopRequested)) {
        endWork(state, view);
        return;
    }
    state.published = offer.file;
    if (offer.newer) {
        view.show(UpdateScreen::NewerVersion,
                  formatText(loadText(IDS_NEW_VERSION_TEXT, state.language),
                             {std::wstring_view(kVersionWideText), std::wstring_view(offer.shownVersion)}, 512));
    } else {
        view.show(UpdateScreen::UpToDate,
                  formatText(loadText(IDS_NO_NEW_VERSION_TEXT, state.language), {std::wstring_view(kVersionWideText)},
                             512));
    }
    endWork(state, view);
}

}  // namespace sumwise
