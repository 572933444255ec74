// Starts the user's default mail client on a new message.
#pragma once

#include <string_view>

namespace sumwise {

// Reads the default mail client and the command it registered for mailto
// links from HKEY_LOCAL_MACHINE\Software\Clients\Mail and starts it with
// "ADDRESS?subject=SUBJECT". Does nothing when no client is registered or
// its command cannot be used; failures are not reported.
void launchMail(std::wstring_view address, std::wstring_view subject);

}  // namespace sumwise
