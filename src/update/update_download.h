// The download of a new version: saved where the user chooses, shown with
// its progress, checked against the digest its version file publishes.
// Runs on a thread of its own, started by the update dialog's Download and
// Install buttons.
#pragma once

#include "update/update_state.h"

namespace sumwise {

// Downloads `state.fileName`. The bytes go to a temporary file beside the
// chosen path, which takes the chosen name only once the download is
// verified; an error, a cancel or a failed check removes the temporary file
// and leaves whatever was at the chosen path untouched. On success
// `state.fileName` becomes the saved file's full path. Sets kIdle as its
// last action.
void downloadUpdate(UpdateState& state, UpdateView& view);

}  // namespace sumwise
