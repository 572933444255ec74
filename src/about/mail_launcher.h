// Starts the user's default mail client on a new message.
#pragma once

#include <windows.h>

#include <string_view>

namespace sumwise {

// Reads the default mail client and the command it registered for mailto
// links from HKEY_LOCAL_MACHINE\Software\Clients\Mail and starts it with
// "ADDRESS?subject=SUBJECT". Returns 0 when the client was started, else
// the system's error code: ERROR_NO_ASSOCIATION when no client is
// registered or its command cannot be used, or why the start failed.
DWORD launchMail(std::wstring_view address, std::wstring_view subject);

}  // namespace sumwise
