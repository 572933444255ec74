// The update check: the version files on the server against the running
// version. Runs on a thread of its own, started by the update dialog.
#pragma once

#include "update/update_state.h"

namespace sumwise {

// The agent name the program gives the server.
std::wstring updateAgent(LanguageId language);

// Reads "latest.txt" (and on the beta channel "beta.txt"), keeps the version
// file of the version on offer in `state.published`, and shows the result.
// Clears kIdle at the start (the dialog has cleared it already) and sets it
// as its last action.
void checkForUpdates(UpdateState& state, UpdateView& view);

}  // namespace sumwise
