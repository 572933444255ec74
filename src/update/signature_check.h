// The update check's reading of a version file and, in a keyed build, of
// its signature, on the update thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "algorithms/ed25519/ed25519.h"
#include "update/internet_session.h"
#include "update/update_state.h"

namespace sumwise {

// The body of the open request, at most `maxLength` bytes; none after an
// error (shown, and the check stops) or a cancel.
std::optional<std::string> readBody(InternetSession& session, UpdateState& state, UpdateView& view,
                                    std::size_t maxLength);

// Fetches "NAME.sig" beside the version file `fileName` and checks that it
// signs `versionFile`, the exact bytes received, with `key`. When it does
// not (missing, malformed or wrong), or the request fails, the error is
// shown, the check is asked to stop and the answer is false; false too on a cancel.
bool versionFileSignatureHolds(InternetSession& session, UpdateState& state, UpdateView& view,
                               const Ed25519PublicKey& key, std::wstring_view fileName, std::string_view versionFile);

}  // namespace sumwise
